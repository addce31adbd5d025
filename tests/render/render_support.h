// Scenes, images and golden-image comparison for the 3D tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "doc/session.h"
#include "fake_ports.h"
#include "render/d3d_root.h"
#include "render/fake_display.h"
#include "render/pane3d.h"
#include "rm/mesh_builder.h"

namespace render_test {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB
    std::uint32_t At(int x, int y) const {
        return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
};

// PNG files (RGB, 8 bits).
bool WritePng(const std::string& path, const Image& image);
bool ReadPng(const std::string& path, Image* image);

// Compares with the golden file tests/data/render/<name>.png. Every channel of every pixel
// may differ by at most `tolerance`. A mismatch (or a missing golden) writes the picture to
// <build folder>/render-out/<name>.png for a look, and fails.
::testing::AssertionResult MatchesGolden(const Image& image, const std::string& name,
                                         int tolerance = 0);

// Polygons with their corners ordered so that the face normal points away from `inside`.
void AddOutwardFaces(rm::MeshBuilder& mesh, const std::vector<rm::Vector>& vertices,
                     const std::vector<std::vector<int>>& faces, const rm::Vector& inside);
// A cube of half size `h` about the origin, and a sphere of `radius` (`rings` x `segments`
// quads, triangles at the poles).
void AddCube(rm::MeshBuilder& mesh, float h);
void AddSphere(rm::MeshBuilder& mesh, float radius, int rings, int segments);
// A quad in the plane z = `z`, corners (x0, y0)-(x1, y1), facing -Z (the camera).
void AddQuad(rm::MeshBuilder& mesh, float x0, float y0, float x1, float y1, float z,
             rm::Color color);

// The program's scene (Session::CreateScene) and its 3D pane on a display, with any
// device. The constructor sets the pane up unless `start` is false (then change the
// display, call Start and Update yourself). Draw renders the pane as a paint does and
// returns the picture.
struct PaneRig {
    PaneRig(int width, int height, int device = 2, int displayBits = 32, bool start = true);
    void Start();
    int Update() { return pane->OnInitialUpdate(session.m_pScene, session.model.m_pModelFrame); }
    Image Draw();
    rm::MeshBuilder& Mesh() { return *session.model.m_pMesh; }
    rm::Frame& ModelFrame() { return *session.model.m_pModelFrame; }

    int device;
    FakeDisplay display;
    testing_support::RecordingPane window;
    testing_support::ScriptedUi ui;
    doc::Session session;
    std::unique_ptr<render::CD3DRoot> root;
    std::unique_ptr<render::C3DPane> pane;
};

}  // namespace render_test
