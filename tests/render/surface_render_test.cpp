// Pictures of the surface commands in the 3D pane: a checkerboard wrapped planar,
// cylindrical and spherical through the Texture command, a face made half transparent and
// a model switched between flat and Gouraud through the Material command.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>

#include "doc/surface_commands.h"
#include "fake_ports.h"
#include "render/render_support.h"
#include "rm/bmp_builder.h"
#include "test_support.h"

namespace {

using render_test::Image;
using render_test::MatchesGolden;
using render_test::PaneRig;

// A 4 x 4 checkerboard of 8-pixel cells: white and black, with the top-left cell red so
// that the picture shows which way the texture lies.
std::string MarkedChecker() {
    testing_support::BmpLayout layout{.width = 32, .height = 32};
    layout.pixel = [](int x, int y) {
        if (x < 8 && y < 8) return 0xFFFF0000u;
        return ((x / 8 + y / 8) % 2) ? 0xFF000000u : 0xFFFFFFFFu;
    };
    return testing_support::MakeBmp(layout);
}

struct SurfaceRig {
    testing_support::TempDir dir;
    PaneRig rig{96, 72};
    testing_support::ScriptedUi ui;
    testing_support::RecordingFrame frame;

    SurfaceRig() {
        rig.session.programFolder = dir.Path("");
        std::filesystem::create_directories(dir.Dir() / "TEXTURE");
        testing_support::WriteFile(dir.Path("TEXTURE/checker.bmp"), MarkedChecker());
    }
    // The mesh built so far, read into the table as an opened file is.
    void Read() {
        rig.session.Table().ReadFromMesh(rig.session.model);
        ASSERT_TRUE(rig.session.Table().RebuildMesh(rig.session.model));
    }
    void Texture(int mapping, int axis) {
        ui.files = {dir.Path("TEXTURE/checker.bmp")};
        ui.onDialog = [mapping, axis](ports::ModalDialog& d) {
            auto& w = dynamic_cast<doc::WrapDialogData&>(d);
            w.m_nMapping = mapping;
            w.m_nWrapAxis = axis;
            return true;
        };
        doc::OnTextureLoad(rig.session, ui, frame);
        ASSERT_TRUE(rig.Mesh().GetFace(0).GetTexture());
    }
    void Material(std::function<void(doc::MaterialDialogData&)> fill) {
        ui.onDialog = [fill](ports::ModalDialog& d) {
            fill(dynamic_cast<doc::MaterialDialogData&>(d));
            return true;
        };
        doc::OnMaterial(rig.session, ui, frame);
    }
    void Turn(float aboutX, float aboutY) {
        rig.ModelFrame().AddRotation(rm::COMBINE_AFTER, 1, 0, 0, aboutX);
        rig.ModelFrame().AddRotation(rm::COMBINE_AFTER, 0, 1, 0, aboutY);
    }
};

// An open cylinder along Y: `segments` quads around, radius r, from y0 to y1.
void AddCylinder(rm::MeshBuilder& mesh, float r, float y0, float y1, int segments) {
    std::vector<rm::Vector> v;
    for (int s = 0; s < segments; ++s) {
        const float t = 2 * std::numbers::pi_v<float> * float(s) / float(segments);
        v.push_back({r * std::cos(t), y0, r * std::sin(t)});
        v.push_back({r * std::cos(t), y1, r * std::sin(t)});
    }
    std::vector<std::vector<int>> faces;
    for (int s = 0; s < segments; ++s) {
        const int n = (s + 1) % segments;
        faces.push_back({2 * s, 2 * n, 2 * n + 1, 2 * s + 1});
    }
    render_test::AddOutwardFaces(mesh, v, faces, {0, (y0 + y1) / 2, 0});
}

// Each wrap on the shape it suits: a plane on Z lays one checkerboard on a quad, a cylinder
// on Y goes once around a cylinder, a sphere on Y runs pole to pole.
TEST(SurfaceRender, EachWrapOnItsShape) {
    struct Case {
        const char* golden;
        int mapping, axis;
        std::function<void(rm::MeshBuilder&)> add;
    };
    const Case cases[] = {
        {"surface_plane_quad", 0, 2,
         [](rm::MeshBuilder& m) {
             render_test::AddQuad(m, -1.5f, -1.0f, 1.5f, 1.0f, 0.0f, 0xFFFFFFFF);
         }},
        {"surface_cylinder", 1, 1,
         [](rm::MeshBuilder& m) { AddCylinder(m, 0.9f, -0.9f, 0.9f, 24); }},
        {"surface_sphere", 2, 1,
         [](rm::MeshBuilder& m) { render_test::AddSphere(m, 1.1f, 12, 24); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        SurfaceRig s;
        c.add(s.rig.Mesh());
        s.Read();
        s.Texture(c.mapping, c.axis);
        if (c.mapping != 0) s.Turn(0.35f, 0.0f);
        EXPECT_TRUE(MatchesGolden(s.rig.Draw(), c.golden));
    }
}

TEST(SurfaceRender, MaterialMakesTheSelectedFaceHalfTransparent) {
    SurfaceRig s;
    render_test::AddQuad(s.rig.Mesh(), -1.2f, -0.8f, 0.6f, 0.8f, 0.5f, 0xFFE02020);
    render_test::AddQuad(s.rig.Mesh(), -0.6f, -0.5f, 1.2f, 0.6f, -0.5f, 0xFF2020E0);
    s.Read();
    for (int k = 0; k < 4; ++k) s.rig.session.Table().selected[1][k] = 1;
    s.Material([](doc::MaterialDialogData& m) { m.OnHScroll(doc::SB_THUMBTRACK, 128); });
    ASSERT_EQ(rm::ColorAlpha(s.rig.Mesh().GetFace(1).GetColor()), 127u);
    ASSERT_EQ(rm::ColorAlpha(s.rig.Mesh().GetFace(0).GetColor()), 255u);
    EXPECT_TRUE(MatchesGolden(s.rig.Draw(), "surface_half_transparent"));
}

TEST(SurfaceRender, MaterialSwitchesBetweenFlatAndGouraud) {
    SurfaceRig s;
    render_test::AddSphere(s.rig.Mesh(), 1.1f, 8, 12);
    s.rig.Mesh().SetColor(0xFFD0A060);
    s.Read();
    s.Turn(0.5f, 0.3f);
    s.Material([](doc::MaterialDialogData& m) { m.m_nQuality = 2; });
    const Image flat = s.rig.Draw();
    EXPECT_TRUE(MatchesGolden(flat, "surface_flat"));
    s.Material([](doc::MaterialDialogData& m) { m.m_nQuality = 1; });
    const Image gouraud = s.rig.Draw();
    EXPECT_TRUE(MatchesGolden(gouraud, "surface_gouraud"));
    EXPECT_NE(flat.pixels, gouraud.pixels);
}

}  // namespace
