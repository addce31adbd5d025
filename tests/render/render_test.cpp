// Pictures of the 3D pane: golden images of each shading and of the ramp device, numbers
// of the camera and the lights, and the fast device against the reference.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "render/render_support.h"

namespace {

using render_test::AddCube;
using render_test::AddQuad;
using render_test::AddSphere;
using render_test::Image;
using render_test::MatchesGolden;
using render_test::PaneRig;

constexpr int kRgb = 1, kMmx = 2, kRamp = 0;

// Turns the model frame as a drag in the 3D pane does: (dy, dx) in pixels.
void Drag(rm::Frame& frame, int dx, int dy) {
    frame.AddRotation(rm::COMBINE_AFTER, 1, 0, 0, float(-dy) * 0.02f);
    frame.AddRotation(rm::COMBINE_AFTER, 0, 1, 0, float(-dx) * 0.02f);
}

void ColourFaces(rm::MeshBuilder& mesh) {
    const rm::Color colours[] = {0xFFE04040, 0xFF40C040, 0xFF4060E0,
                                 0xFFE0E040, 0xFF40E0E0, 0xFFE040E0};
    for (int i = 0; i < mesh.GetFaceCount(); ++i) mesh.GetFace(i).SetColor(colours[i % 6]);
}

// The centre of the pixels that are not black.
std::pair<double, double> Centroid(const Image& image) {
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.At(x, y) != 0) {
                sx += x;
                sy += y;
                ++n;
            }
        }
    }
    return {sx / n, sy / n};
}

TEST(RenderGoldenTest, ShadingQualities) {
    {
        PaneRig rig(96, 72);
        AddCube(rig.Mesh(), 0.8f);
        ColourFaces(rig.Mesh());
        rig.Mesh().SetQuality(rm::Quality::Flat);
        Drag(rig.ModelFrame(), 20, 25);
        EXPECT_TRUE(MatchesGolden(rig.Draw(), "cube_flat"));
        rig.Mesh().SetQuality(rm::Quality::Wireframe);
        EXPECT_TRUE(MatchesGolden(rig.Draw(), "cube_wireframe"));
    }
    {
        PaneRig rig(96, 72);
        AddSphere(rig.Mesh(), 1.2f, 10, 16);
        rig.Mesh().SetColor(0xFFD0A060);
        rig.Mesh().GenerateNormals(std::numbers::pi_v<float>, rm::GENERATENORMALS_USECREASEANGLE);
        rig.Mesh().SetQuality(rm::Quality::Gouraud);
        Drag(rig.ModelFrame(), 0, 30);  // the directional light grazes the top
        EXPECT_TRUE(MatchesGolden(rig.Draw(), "sphere_gouraud"));
    }
}

TEST(RenderGoldenTest, RampDeviceQuantisesTheIntensity) {
    PaneRig rig(96, 72, kRamp, 8);  // 8-bit display: 16 shades
    ASSERT_EQ(rig.pane->Manager()->GetDevice()->Kind(), ports::Rasterizer::Ramp);
    EXPECT_EQ(rig.pane->Manager()->GetDevice()->GetShades(), 16u);
    AddSphere(rig.Mesh(), 1.2f, 10, 16);
    rig.Mesh().SetColor(0xFFD0A060);
    rig.Mesh().GenerateNormals(std::numbers::pi_v<float>, rm::GENERATENORMALS_USECREASEANGLE);
    Drag(rig.ModelFrame(), 0, 30);
    const Image image = rig.Draw();
    EXPECT_TRUE(MatchesGolden(image, "sphere_ramp"));
    // Every pixel is the face colour scaled by one of the 16 levels.
    for (std::uint32_t p : image.pixels) {
        if (p == 0) continue;
        const std::uint32_t r = p >> 16;
        bool level = false;
        for (std::uint32_t k = 0; k <= 15; ++k) level = level || r == (0xD0 * k + 7) / 15;
        EXPECT_TRUE(level) << std::hex << p;
    }
}

TEST(RenderGoldenTest, TexturedQuadRepeatsItsTexture) {
    PaneRig rig(96, 72);
    AddQuad(rig.Mesh(), -1.5f, -1.0f, 1.5f, 1.0f, 0.0f, 0xFFFFFFFF);
    // A 4 x 4 checker of four colours, laid twice across and once down by hand.
    auto texture = std::make_shared<rm::Texture>("checker.bmp");
    std::vector<std::uint32_t> texels(16);
    const std::uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) texels[std::size_t(y * 4 + x)] = colours[(x + y) % 4];
    }
    texture->SetPixels(4, 4, texels);
    rm::Face face = rig.Mesh().GetFace(0);
    face.SetTexture(texture);
    for (int k = 0; k < 4; ++k) {
        rm::Vector p;
        face.GetVertex(k, &p, nullptr);
        face.SetTextureCoordinates(k, (p.x + 1.5f) / 1.5f, (1.0f - p.y) / 2.0f);
    }
    EXPECT_TRUE(MatchesGolden(rig.Draw(), "quad_textured"));
}

TEST(RenderGoldenTest, HalfTransparentFaceIsAScreenDoor) {
    PaneRig rig(96, 72);
    AddQuad(rig.Mesh(), -1.2f, -0.8f, 0.6f, 0.8f, 0.5f, 0xFFE02020);   // opaque red, behind
    AddQuad(rig.Mesh(), -0.6f, -0.5f, 1.2f, 0.6f, -0.5f, 0x800020E0);  // alpha 128 blue, in front
    const Image image = rig.Draw();
    EXPECT_TRUE(MatchesGolden(image, "transparent_over_opaque"));
    // Where both overlap, half the pixels are blue and half red.
    int blue = 0, red = 0;
    for (int y = 30; y < 38; ++y) {
        for (int x = 40; x < 56; ++x) {
            const std::uint32_t p = image.At(x, y);
            blue += (p & 0xFF) > (p >> 16) ? 1 : 0;
            red += (p >> 16) > (p & 0xFF) ? 1 : 0;
        }
    }
    EXPECT_EQ(blue, 64);
    EXPECT_EQ(red, 64);
}

TEST(RenderCameraTest, CameraSeesXRightAndYUpAndTheFieldSetsTheScale) {
    PaneRig rig(400, 300);
    // Field 2.0 across the larger side: 400 / 4 = 100 pixels per unit.
    AddQuad(rig.Mesh(), 0.5f, 0.25f, 1.5f, 1.25f, 0.0f, 0xFFFFFFFF);
    const Image image = rig.Draw();
    const auto [cx, cy] = Centroid(image);
    EXPECT_NEAR(cx, 200 + 100 - 0.5, 0.01);  // x = 1.0 right of the centre
    EXPECT_NEAR(cy, 150 - 75 - 0.5, 0.01);   // y = 0.75 above it
    EXPECT_EQ(image.At(250, 124), 0xFFFFFFu);
    EXPECT_EQ(image.At(249, 124), 0u);  // left edge at x = 0.5
    EXPECT_EQ(image.At(250, 125), 0u);  // bottom edge at y = 0.25
}

TEST(RenderCameraTest, DirectionalLightAlongZLightsAFaceToTheCameraFully) {
    PaneRig rig(40, 30);
    AddQuad(rig.Mesh(), -1, -1, 1, 1, 0, 0xFF806040);
    rig.Mesh().SetQuality(rm::Quality::Flat);
    EXPECT_EQ(rig.Draw().At(20, 15), 0x806040u);  // 0.4 + 0.8 clamped to 1
    // Turned by 60 degrees about Y: 0.4 + 0.8 cos 60 = 0.8.
    rig.ModelFrame().AddRotation(rm::COMBINE_AFTER, 0, 1, 0, std::numbers::pi_v<float> / 3);
    EXPECT_EQ(rig.Draw().At(20, 15), 0x664D33u);
    // Lit from behind, only the ambient part remains: 0.4.
    rig.ModelFrame().AddRotation(rm::COMBINE_REPLACE, 1, 0, 0, 0);
    rig.session.m_pLightFrame->AddRotation(rm::COMBINE_AFTER, 0, 1, 0, std::numbers::pi_v<float>);
    EXPECT_EQ(rig.Draw().At(20, 15), 0x33261Au);
}

TEST(RenderCameraTest, DraggingTurnsThePictureTheWayTheMouseMoved) {
    PaneRig rig(96, 72);
    // A marker on the front of the model (toward the camera).
    AddQuad(rig.Mesh(), -0.2f, -0.2f, 0.2f, 0.2f, -1.0f, 0xFFFFFFFF);
    const auto [x0, y0] = Centroid(rig.Draw());
    Drag(rig.ModelFrame(), 10, 0);  // right
    const auto [x1, y1] = Centroid(rig.Draw());
    EXPECT_GT(x1, x0 + 3);
    EXPECT_NEAR(y1, y0, 0.5);
    Drag(rig.ModelFrame(), -10, 10);  // back, then down
    const auto [x2, y2] = Centroid(rig.Draw());
    EXPECT_NEAR(x2, x0, 1.0);
    EXPECT_GT(y2, y0 + 3);
}

// A random mesh of polygons: some through the front plane of a perspective view, some far
// outside the picture, some transparent, some textured, with any quality.
void AddRandomMesh(rm::MeshBuilder& mesh, std::mt19937& rng, int faces,
                   const rm::TexturePtr& texture) {
    std::uniform_real_distribution<float> pos(-2.0f, 2.0f), far(-200.0f, 200.0f), unit(0, 1);
    std::vector<rm::Vector> v;
    std::vector<std::int32_t> data;
    for (int f = 0; f < faces; ++f) {
        const int n = 3 + int(rng() % 6);
        const bool outside = rng() % 10 == 0;
        const rm::Vector centre{outside ? far(rng) : pos(rng), pos(rng),
                                outside ? pos(rng) : pos(rng) * 0.5f};
        data.push_back(n);
        for (int k = 0; k < n; ++k) {
            data.push_back(std::int32_t(v.size()));
            v.push_back(centre + rm::Vector{pos(rng), pos(rng), pos(rng)} * 0.6f);
        }
    }
    data.push_back(0);
    const int before = mesh.GetFaceCount();
    ASSERT_TRUE(mesh.AddFaces(v, {}, data));
    for (int f = before; f < mesh.GetFaceCount(); ++f) {
        rm::Face face = mesh.GetFace(f);
        const unsigned alpha = rng() % 4 == 0 ? rng() % 256 : 255;
        face.SetColor(rm::MakeColor(alpha, rng() % 256, rng() % 256, rng() % 256));
        if (rng() % 5 == 0) {
            face.SetTexture(texture);
            for (int k = 0; k < face.GetVertexCount(); ++k)
                face.SetTextureCoordinates(k, pos(rng), pos(rng));
        }
    }
    mesh.GenerateNormals(0.8f, rm::GENERATENORMALS_USECREASEANGLE);
}

TEST(RenderDevicesTest, FastDeviceDrawsTheReferencePicture) {
    auto texture = std::make_shared<rm::Texture>("noise.bmp");
    std::mt19937 texRng(7);
    std::vector<std::uint32_t> texels(8 * 8);
    for (auto& t : texels) t = 0xFF000000u | (texRng() & 0xFFFFFF);
    texture->SetPixels(8, 8, texels);

    for (unsigned seed = 1; seed <= 6; ++seed) {
        const rm::Quality qualities[] = {rm::Quality::Gouraud, rm::Quality::Flat,
                                         rm::Quality::Wireframe};
        const rm::Quality quality = qualities[seed % 3];
        const bool perspective = seed % 2 == 0;
        Image pictures[2];
        for (int which = 0; which < 2; ++which) {
            PaneRig rig(120, 90, which == 0 ? kRgb : kMmx);
            std::mt19937 rng(seed);
            AddRandomMesh(rig.Mesh(), rng, 60, texture);
            rig.Mesh().SetQuality(quality);
            rig.Mesh().SetPerspective(seed % 4 == 0);
            Drag(rig.ModelFrame(), int(seed * 7), int(seed * 3));
            if (perspective) {
                rm::Viewport* viewport = rig.pane->Manager()->GetViewport();
                viewport->SetProjection(rm::PROJECT_PERSPECTIVE);
                viewport->SetField(1.0f);
                rig.pane->Manager()->SetCameraPosition(0, 0, -2.5f);  // inside the mesh's reach
            }
            pictures[which] = rig.Draw();
        }
        ASSERT_EQ(pictures[0].pixels.size(), pictures[1].pixels.size());
        int differ = 0, drawn = 0;
        for (std::size_t i = 0; i < pictures[0].pixels.size(); ++i) {
            differ += pictures[0].pixels[i] != pictures[1].pixels[i] ? 1 : 0;
            drawn += pictures[0].pixels[i] != 0 ? 1 : 0;
        }
        EXPECT_EQ(differ, 0) << "seed " << seed;
        EXPECT_GT(drawn, 500) << "seed " << seed;  // the scene is not empty
    }
}

TEST(RenderDevicesTest, ThreadsShareAFrameWithoutChangingThePicture) {
    auto texture = std::make_shared<rm::Texture>("grey.bmp");
    texture->SetPixels(2, 2, {0xFF404040, 0xFFC0C0C0, 0xFFC0C0C0, 0xFF404040});
    for (int threads : {1, 2, 3}) {
        for (unsigned seed : {11u, 12u}) {
            Image pictures[2];
            for (int which = 0; which < 2; ++which) {
                PaneRig rig(150, 101, which == 0 ? kRgb : kMmx);
                rig.pane->Manager()->GetDevice()->SetParallel(threads, 0);
                std::mt19937 rng(seed);
                AddRandomMesh(rig.Mesh(), rng, 150, texture);
                rig.Mesh().SetQuality(seed == 11 ? rm::Quality::Gouraud : rm::Quality::Wireframe);
                pictures[which] = rig.Draw();
            }
            EXPECT_EQ(pictures[0].pixels, pictures[1].pixels)
                << threads << " threads, seed " << seed;
        }
    }
}

TEST(RenderDevicesTest, NonFiniteCornersSkipTheirFacesOnly) {
    PaneRig rig(40, 30);
    AddQuad(rig.Mesh(), -1, -1, 1, 1, 0, 0xFFFFFFFF);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ASSERT_TRUE(rig.Mesh().AddFaces(std::vector<rm::Vector>{{0, 0, -1}, {inf, 0, -1}, {0, nan, -1}},
                                    {}, std::vector<std::int32_t>{3, 0, 1, 2, 0}));
    const Image image = rig.Draw();
    EXPECT_EQ(image.At(20, 15), 0xFFFFFFu);
}

}  // namespace
