#include "formats/lwo2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/numbers.h"
#include "formats/lwo.h"
#include "test_support.h"

namespace {

using testing_support::Model;
using testing_support::RealFile;

// The faces and corners of every real LWO2 file are in real_table_test's table; here the
// bounding boxes as assimp reports them.
TEST(Lwo2RealFiles, BoundingBoxes) {
    Model box;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo/not-lwob/box0_LWO3.lwo"), box.host), 1);
    const rm::Box b = box.host.m_pMesh->GetBox();
    EXPECT_EQ(b.min, (rm::Vector{-0.5f, -0.5f, -0.5f}));
    EXPECT_EQ(b.max, (rm::Vector{0.5f, 0.5f, 0.5f}));
    Model concave;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo/not-lwob/concave_polygon_LWO2.lwo"), concave.host), 1);
    const rm::Box c = concave.host.m_pMesh->GetBox();
    EXPECT_FLOAT_EQ(c.min.x, -1.146f);
    EXPECT_FLOAT_EQ(c.max.x, -1.146f);
    EXPECT_FLOAT_EQ(c.min.y, 1.6575f);
    EXPECT_FLOAT_EQ(c.max.y, 3.1425f);
}

// Surfaces: LWO2 COLR floats, LWO3's node entry "Color" (0.7843 in doubles), TRAN as alpha.
TEST(Lwo2RealFiles, SurfaceColoursAndTransparency) {
    Model lwo3;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo/not-lwob/box0_LWO3.lwo"), lwo3.host), 1);
    EXPECT_EQ(lwo3.host.m_pMesh->GetFace(0).GetColor(), 0xFFC8C8C8u);
    Model box;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo2/boxuv.lwo"), box.host), 1);
    // COLR 0.784 (bytes 3F 48 C8 C9) in each channel: 200.
    EXPECT_EQ(box.host.m_pMesh->GetFace(0).GetColor(), 0xFFC8C8C8u);
    Model clear;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo2/transparency.lwo"), clear.host), 1);
    int seeThrough = 0;
    for (int f = 0; f < clear.host.m_pMesh->GetFaceCount(); ++f) {
        seeThrough += rm::ColorAlpha(clear.host.m_pMesh->GetFace(f).GetColor()) < 255;
    }
    EXPECT_GT(seeThrough, 0);
}

TEST(Lwo2RealFiles, UvMapsAndTheirPerPolygonCorrections) {
    Model m;
    formats::ReadResult error;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo2/box_2uv_1unused.lwo"), m.host, &error), 1);
    rm::MeshBuilder& mesh = *m.host.m_pMesh;
    // The surface's map is testUV0. Point 0 of polygon 0 from its VMAP (0.1158, 0.3905);
    // point 3 of polygon 4 from its VMAD (-0.1158, 0.3905); v counted from the top.
    auto uvOf = [&](int face, long long vertex) {
        rm::Face f = mesh.GetFace(face);
        for (int k = 0; k < f.GetVertexCount(); ++k) {
            if (f.GetVertexIndex(k) == vertex) {
                float u = 0, v = 0;
                f.GetTextureCoordinates(k, &u, &v);
                return std::make_pair(u, v);
            }
        }
        return std::make_pair(-9.0f, -9.0f);
    };
    EXPECT_NEAR(uvOf(0, 0).first, 0.1157839f, 1e-6);
    EXPECT_NEAR(uvOf(0, 0).second, 1.0f - 0.3905487f, 1e-6);
    EXPECT_NEAR(uvOf(4, 3).first, -0.1157839f, 1e-6);
    EXPECT_NEAR(uvOf(4, 3).second, 1.0f - 0.3905487f, 1e-6);
    // The image beside the file is found and loaded.
    Model box;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo2/boxuv.lwo"), box.host, &error), 1);
    EXPECT_TRUE(error.missingTextures.empty());
    rm::TexturePtr texture = box.host.m_pMesh->GetFace(0).GetTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetName(), "boxuv.png");
    EXPECT_GT(texture->Width(), 0);
}

// earth_planar_z: a planar projection along Z, centre (-0.55, 0.2, 0), size (5.7, 5.3, 5.7)
// (the block's TMAP). Its first polygon's points (-0.55, -2.45, 0), (0.18763, -2.35970, 0)
// and (0.1625, -2.35970, 0.19091) give u = (x - cx) / sx + 0.5 and v = -(y - cy) / sy + 0.5:
// (0.5, 1.0), (0.62941, 0.98296), (0.625, 0.98296), worked by hand. Its image is not in the
// folder: the name stays, missing.
TEST(Lwo2RealFiles, PlanarProjectionOfTheEarth) {
    Model m;
    formats::ReadResult error;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo2/earth_planar_z.lwo"), m.host, &error), 1);
    ASSERT_EQ(error.missingTextures.size(), 1u);
    rm::Face f = m.host.m_pMesh->GetFace(0);
    const float expected[3][2] = {{0.5f, 1.0f}, {0.6294095f, 0.9829629f}, {0.625f, 0.9829629f}};
    for (int k = 0; k < 3; ++k) {
        float u = 0, v = 0;
        ASSERT_TRUE(f.GetTextureCoordinates(k, &u, &v));
        EXPECT_NEAR(u, expected[k][0], 1e-5) << k;
        EXPECT_NEAR(v, expected[k][1], 1e-5) << k;
    }
}

// Projections worked by hand, centre 0 and size 2 in each direction.
TEST(Lwo2Projection, CornersWorkedByHand) {
    formats::LwoProjection map;
    map.size = {2, 2, 2};
    auto at = [&](rm::Vector p, int cubic = 0) {
        return formats::ProjectLwoTexture(map, p, cubic);
    };
    using UV = std::pair<float, float>;
    // Planar along Z: u = x / 2 + 0.5, v = -y / 2 + 0.5.
    map.projection = 0;
    map.axis = 2;
    EXPECT_EQ(at({1, 1, 0}), (UV{1.0f, 0.0f}));
    EXPECT_EQ(at({-1, -1, 5}), (UV{0.0f, 1.0f}));
    // Cylindrical about Y: u = 1 - heading / 2 pi, whole turns dropped; v = -y / 2 + 0.5.
    map.projection = 1;
    map.axis = 1;
    EXPECT_EQ(at({0, 0, 1}), (UV{0.0f, 0.5f}));
    EXPECT_EQ(at({1, 1, 0}), (UV{0.75f, 0.0f}));
    EXPECT_EQ(at({-1, 0, 0}), (UV{0.25f, 0.5f}));
    EXPECT_EQ(at({0, -1, -1}), (UV{0.5f, 1.0f}));
    map.wrapWidth = 2.0f;  // two turns of the image: 0.75 -> 1.5 -> 0.5
    EXPECT_EQ(at({1, 1, 0}), (UV{0.5f, 0.0f}));
    map.wrapWidth = 1.0f;
    // Spherical about Y: v = 0.5 - pitch / pi; the pole is v 0.
    map.projection = 2;
    EXPECT_EQ(at({0, 1, 0}), (UV{0.0f, 0.0f}));
    EXPECT_EQ(at({1, 0, 0}), (UV{0.75f, 0.5f}));
    // Cubic: planar along the polygon's main axis (here X: u = z / 2 + 0.5).
    map.projection = 3;
    EXPECT_EQ(at({0, 1, 1}, 0), (UV{1.0f, 0.0f}));
}

// A hand-built LWO2 file: one layer, a triangle coloured only by an RGB vertex map, a
// patch, a curve (skipped) and a 17-gon (cut into 15 triangles).
using testing_support::Be16;
using testing_support::BeFloat;
using testing_support::IffChunk;

TEST(Lwo2Read, VertexColoursPatchesCurvesAndLargePolygons) {
    std::string points;
    for (int i = 0; i < 17; ++i) {
        const double a = 2 * 3.14159265358979 * i / 17;
        points += BeFloat(float(std::cos(a))) + BeFloat(float(std::sin(a))) + BeFloat(0);
    }
    std::string faces = "FACE" + Be16(3) + Be16(0) + Be16(1) + Be16(2) + Be16(17);
    for (int i = 0; i < 17; ++i) faces += Be16(unsigned(i));
    std::string patch = "PTCH" + Be16(4) + Be16(0) + Be16(1) + Be16(2) + Be16(3);
    std::string curve = "CURV" + Be16(3) + Be16(0) + Be16(1) + Be16(2);
    std::string rgb = "RGB " + Be16(3) + std::string("paint\0", 6);
    rgb += Be16(0) + BeFloat(1) + BeFloat(0) + BeFloat(0);
    rgb += Be16(1) + BeFloat(0) + BeFloat(1) + BeFloat(0);
    rgb += Be16(2) + BeFloat(0) + BeFloat(0) + BeFloat(1);
    std::string body = "LWO2" + IffChunk("TAGS", std::string("plain\0", 6)) +
                       IffChunk("LAYR", Be16(0) + Be16(0) + BeFloat(5) + BeFloat(5) + BeFloat(5) +
                                            std::string("\0\0", 2)) +
                       IffChunk("PNTS", points) + IffChunk("VMAP", rgb) + IffChunk("POLS", faces) +
                       IffChunk("POLS", curve) + IffChunk("POLS", patch) +
                       IffChunk("SURF", std::string("plain\0\0\0", 8));
    const std::string file = IffChunk("FORM", body);
    Model m;
    formats::ReadResult error;
    ASSERT_EQ(formats::ReadLwoBytes(file, m.host, &error), 1) << error.detail;
    rm::MeshBuilder& mesh = *m.host.m_pMesh;
    ASSERT_EQ(mesh.GetFaceCount(), 1 + 15 + 1);
    // The mean of red, green and blue: 1/3 each (85).
    EXPECT_EQ(mesh.GetFace(0).GetColor(), 0xFF555555u);
    // The pivot (5, 5, 5) does not move the points.
    rm::Vector p;
    mesh.GetFace(0).GetVertex(0, &p, nullptr);
    EXPECT_EQ(p, (rm::Vector{1, 0, 0}));
    EXPECT_EQ(mesh.GetFace(16).GetVertexCount(), 4);

    // Cut short inside a polygon: refused, nothing added.
    Model cut;
    std::string shortFile = file.substr(0, file.find("CURV") - 10);
    EXPECT_EQ(formats::ReadLwoBytes(shortFile, cut.host), 0);
    EXPECT_EQ(cut.host.m_pMesh->GetFaceCount(), 0);
}

}  // namespace
