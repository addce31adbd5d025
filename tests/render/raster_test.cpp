// The fills on their own: the fast fill covers exactly the reference's pixels with exactly
// its values, for triangles of every shape, and shared edges are drawn once.
#include "render/raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

using render::raster::FaceStyle;
using render::raster::Target;
using render::raster::Triangle;
using render::raster::Vertex;

struct Buffers {
    std::vector<std::uint32_t> color = std::vector<std::uint32_t>(40 * 30, 0);
    std::vector<std::uint16_t> depth = std::vector<std::uint16_t>(40 * 30, 0xFFFF);
    Target Whole() {
        Target t;
        t.color = color.data();
        t.depth = depth.data();
        t.stride = 40;
        t.clipX1 = 40;
        t.clipY1 = 30;
        return t;
    }
};

TEST(RasterTest, FastFillMatchesTheReferenceOnAwkwardTriangles) {
    std::mt19937 rng(5);
    // Positions on the 1/16 grid, often exactly on pixel centres and on shared rows, so
    // that ties of the coverage rule and edges along the rows come up.
    std::uniform_int_distribution<int> coarse(-4, 44), fine(0, 15), pick(0, 3);
    auto coordinate = [&] {
        const int c = coarse(rng);
        switch (pick(rng)) {
            case 0:
                return float(c) + 0.5f;  // a pixel centre
            case 1:
                return float(c);
            default:
                return float(c) + float(fine(rng)) / 16.0f;
        }
    };
    int drawn = 0;
    for (int n = 0; n < 3000; ++n) {
        Vertex v[3];
        for (auto& p : v) {
            p.x = coordinate();
            p.y = coordinate() * 0.75f;
            p.z = float(rng() % 1000) / 1000.0f;
            p.r = float(rng() % 256);
            p.g = float(rng() % 256);
            p.b = float(rng() % 256);
        }
        if (n % 5 == 0) v[1].y = v[0].y;  // an edge along the rows
        if (n % 7 == 0) v[2].y = v[1].y;
        FaceStyle style;
        style.gouraud = n % 2 == 0;
        style.color = 0x123456;
        style.alpha = n % 3 == 0 ? std::uint8_t(rng() % 256) : 255;
        Buffers a, b;
        Triangle tri;
        // Either winding: the back-facing half is culled by both alike.
        if (!render::raster::SetupTriangle(v[0], v[1], v[2], style, a.Whole(), &tri)) continue;
        render::raster::FillReference(tri, style, a.Whole());
        render::raster::FillFast(tri, style, b.Whole());
        ASSERT_EQ(a.color, b.color) << "triangle " << n;
        ASSERT_EQ(a.depth, b.depth) << "triangle " << n;
        // Bands of rows, as threads fill them, put together give the same picture.
        Buffers c;
        for (int band = 0; band < 3; ++band) {
            Target t = c.Whole();
            t.clipY0 = band * 11;
            t.clipY1 = std::min(30, band * 11 + 11);
            render::raster::FillFast(tri, style, t);
        }
        ASSERT_EQ(a.color, c.color) << "triangle " << n;
        ++drawn;
    }
    EXPECT_GT(drawn, 1000);
}

// A face as the devices draw it: the reference triangle by triangle, the fast device over
// the whole face when it can.
void DrawFaceReference(const std::vector<Vertex>& v, const FaceStyle& style, const Target& t) {
    Triangle tri;
    render::raster::ForEachTriangle(v.data(), v.size(), style, t, tri, [&](const Triangle& each) {
        render::raster::FillReference(each, style, t);
    });
}
render::raster::FanSetup DrawFaceFast(const std::vector<Vertex>& v, const FaceStyle& style,
                                      const Target& whole, const Target& band) {
    render::raster::FanStore store;
    render::raster::Fan fan;
    const auto setup = render::raster::SetupFan(v.data(), v.size(), style, whole, store, &fan);
    if (setup == render::raster::FanSetup::Ready) render::raster::FillFan(fan, store, style, band);
    if (setup == render::raster::FanSetup::Triangles) {
        Triangle tri;
        render::raster::ForEachTriangle(
            v.data(), v.size(), style, whole, tri,
            [&](const Triangle& each) { render::raster::FillFast(each, style, band); });
    }
    return setup;
}

// The random source of the faces below, seeded so that every run draws the same ones.
struct RandomFaces {
    std::mt19937 rng{17};
    std::uniform_real_distribution<float> unit{0.0f, 1.0f};
    std::uniform_int_distribution<int> pick{0, 3};
    float Unit() { return unit(rng); }
};

// Face corners of case n: convex faces of 3 to 40 corners, often with corners on pixel
// centres, on the 1/16 grid and level with each other (edges along the rows, rows through
// corners), some turned away, some beyond the picture's edges, flat or bent in depth; and
// every fifth case arbitrary polygons, which go the triangle way.
std::vector<Vertex> RandomFace(RandomFaces& r, int n) {
    const std::size_t corners = 3 + r.rng() % (n % 4 == 0 ? 38 : 6);
    const float cx = -5 + 50 * r.Unit(), cy = -5 + 40 * r.Unit();
    const float rx = 0.3f + 20 * r.Unit(), ry = 0.3f + 20 * r.Unit();
    std::vector<float> angles(corners);
    for (float& angle : angles) angle = 6.2831853f * r.Unit();
    std::sort(angles.begin(), angles.end());
    if (n % 3 == 1) std::reverse(angles.begin(), angles.end());  // turned away
    const bool arbitrary = n % 5 == 4;
    std::vector<Vertex> v(corners);
    for (std::size_t k = 0; k < corners; ++k) {
        float x = cx + rx * std::cos(angles[k]), y = cy + ry * std::sin(angles[k]);
        if (arbitrary) {
            x = cx + rx * (r.Unit() - 0.5f);
            y = cy + ry * (r.Unit() - 0.5f);
        }
        switch (r.pick(r.rng)) {
            case 0:
                x = std::floor(x) + 0.5f;
                y = std::floor(y) + 0.5f;
                break;
            case 1:
                x = std::round(x * 16) / 16;
                y = std::round(y * 16) / 16;
                break;
            default:
                break;
        }
        if (k > 0 && r.rng() % 6 == 0) v[k].y = v[k - 1].y;
        v[k].x = x;
        if (!(k > 0 && v[k].y == v[k - 1].y)) v[k].y = y;
        v[k].z = r.Unit();
        v[k].r = float(r.rng() % 256);
        v[k].g = float(r.rng() % 256);
        v[k].b = float(r.rng() % 256);
    }
    if (n % 7 == 3) {  // one colour in every corner
        for (auto& corner : v) corner.r = v[0].r, corner.g = v[0].g, corner.b = v[0].b;
    }
    if (n % 2 == 1) {  // a flat face: one depth plane (mostly; steep ones are not)
        const float z0 = 0.2f + 0.6f * r.Unit();
        const float zx = (r.Unit() - 0.5f) * 1e-4f, zy = (r.Unit() - 0.5f) * 1e-4f;
        for (auto& corner : v) corner.z = z0 + zx * (corner.x - cx) + zy * (corner.y - cy);
    }
    return v;
}

// How many faces went each way, and how many had one depth plane.
struct FaceWays {
    int fans = 0, triangles = 0, planar = 0;
};

// One face drawn three ways: by the reference into a, the fast way into b, and the fast way
// in three bands of rows (as threads fill them) into c.
void DrawThreeWays(const std::vector<Vertex>& v, const FaceStyle& style, Buffers& a, Buffers& b,
                   Buffers& c, FaceWays& ways) {
    render::raster::DepthPlane plane;
    ways.planar += render::raster::FaceDepthPlane(v.data(), v.size(), a.Whole(), &plane);
    DrawFaceReference(v, style, a.Whole());
    const auto setup = DrawFaceFast(v, style, b.Whole(), b.Whole());
    ways.fans += setup == render::raster::FanSetup::Ready ? 1 : 0;
    ways.triangles += setup == render::raster::FanSetup::Triangles ? 1 : 0;
    for (int band = 0; band < 3; ++band) {
        Target t = c.Whole();
        t.clipY0 = band * 11;
        t.clipY1 = std::min(30, band * 11 + 11);
        DrawFaceFast(v, style, c.Whole(), t);
    }
}

// Two random faces per picture, so that depth decides between them: the fast fill, whole
// or in bands, gives the reference's pixels and depths exactly.
TEST(RasterTest, WholeFacesGiveTheTrianglesPixelsAndValues) {
    RandomFaces r;
    FaceWays ways;
    for (int n = 0; n < 2000; ++n) {
        Buffers a, b, c;
        for (int face = 0; face < 2; ++face) {
            const std::vector<Vertex> v = RandomFace(r, n);
            FaceStyle style;
            style.gouraud = n % 2 == 0;
            style.color = 0x00A0B0C0u + std::uint32_t(face);
            style.alpha = n % 6 == 5 ? std::uint8_t(r.rng() % 256) : 255;
            DrawThreeWays(v, style, a, b, c, ways);
        }
        ASSERT_EQ(a.color, b.color) << "case " << n;
        ASSERT_EQ(a.depth, b.depth) << "case " << n;
        ASSERT_EQ(a.color, c.color) << "case " << n;
    }
    EXPECT_GT(ways.fans, 500);
    EXPECT_GT(ways.triangles, 300);
    EXPECT_GT(ways.planar, 300);
}

TEST(RasterTest, FlatFacesTakeTheirDepthFromOnePlane) {
    // A quad tilted in depth: one plane, within a step of each triangle's own planes.
    std::vector<Vertex> quad(4);
    const float corners[4][2] = {{2.3f, 3.1f}, {35.6f, 5.2f}, {33.1f, 27.7f}, {4.4f, 25.9f}};
    for (int k = 0; k < 4; ++k) {
        quad[k].x = corners[k][0];
        quad[k].y = corners[k][1];
        // About one and a half depth steps per pixel across, one down.
        quad[k].z = 0.3f + 0.00002f * quad[k].x + 0.000015f * quad[k].y;
    }
    Buffers one;
    render::raster::DepthPlane depth;
    ASSERT_TRUE(render::raster::FaceDepthPlane(quad.data(), 4, one.Whole(), &depth));
    FaceStyle style;
    style.color = 0xFFFFFF;
    Buffers own;
    Triangle tri;
    for (int k = 1; k < 3; ++k) {
        ASSERT_TRUE(render::raster::SetupTriangle(quad[0], quad[k], quad[k + 1], style, one.Whole(),
                                                  &tri, &depth));
        render::raster::FillReference(tri, style, one.Whole());
        ASSERT_TRUE(
            render::raster::SetupTriangle(quad[0], quad[k], quad[k + 1], style, own.Whole(), &tri));
        render::raster::FillReference(tri, style, own.Whole());
    }
    int covered = 0;
    for (std::size_t p = 0; p < one.depth.size(); ++p) {
        EXPECT_EQ(one.color[p], own.color[p]);
        EXPECT_LE(std::abs(int(one.depth[p]) - int(own.depth[p])), 1) << "pixel " << p;
        covered += one.color[p] != 0 ? 1 : 0;
    }
    EXPECT_GT(covered, 600);

    // Bent by half a step at one corner: one plane per triangle.
    quad[2].z += 0.5f / 65535.0f;
    EXPECT_FALSE(render::raster::FaceDepthPlane(quad.data(), 4, one.Whole(), &depth));
    // A triangle is its own plane.
    EXPECT_FALSE(render::raster::FaceDepthPlane(quad.data(), 3, one.Whole(), &depth));
}

TEST(RasterTest, TrianglesSharingAnEdgeDrawEachPixelOnce) {
    // A square split along its diagonal, and a fan around a centre: every pixel once.
    const float corners[][2] = {{3.3f, 2.1f}, {30.7f, 4.9f}, {28.2f, 25.5f}, {5.1f, 22.0f}};
    std::vector<int> hits(40 * 30, 0);
    for (int i = 0; i < 4; ++i) {
        Vertex v[3];
        v[0].x = 16.5f;
        v[0].y = 14.5f;
        v[1].x = corners[i][0];
        v[1].y = corners[i][1];
        v[2].x = corners[(i + 1) % 4][0];
        v[2].y = corners[(i + 1) % 4][1];
        Buffers buf;
        Triangle tri;
        FaceStyle style;
        style.color = 1;
        Target t = buf.Whole();
        t.depth = nullptr;
        ASSERT_TRUE(render::raster::SetupTriangle(v[0], v[1], v[2], style, t, &tri));
        render::raster::FillFast(tri, style, t);
        for (std::size_t p = 0; p < hits.size(); ++p) hits[p] += int(buf.color[p]);
    }
    int once = 0;
    for (int h : hits) {
        EXPECT_LE(h, 1);
        once += h;
    }
    EXPECT_GT(once, 500);
}

// The screen door at its thresholds. The 16 pixels of a 4 x 4 block have the thresholds
// 8, 24, ..., 248 (16 k + 8, one for each k of 0..15), and a face of alpha a keeps the
// pixels whose threshold lies below a: at a threshold 16 k + 8 and one below it, k
// pixels; one above it, k + 1. Alpha 136 keeps every other pixel, a checkerboard.
int ExpectedKept(int alpha) {
    int kept = 0;
    for (int k = 0; k < 16; ++k) kept += 16 * k + 8 < alpha ? 1 : 0;
    return kept;
}

TEST(StippleTest, KeptPixelsOfEveryBlockAtAndBesideEachThreshold) {
    for (int k = 0; k < 16; ++k) {
        const int t = 16 * k + 8;
        EXPECT_EQ(ExpectedKept(t - 1), k);
        EXPECT_EQ(ExpectedKept(t), k);
        EXPECT_EQ(ExpectedKept(t + 1), k + 1);
    }
    std::vector<int> previous(16, 0);
    for (int alpha = 0; alpha < 256; ++alpha) {
        SCOPED_TRACE(alpha);
        std::vector<int> keeps(16);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                keeps[std::size_t(y * 4 + x)] =
                    render::raster::StippleKeeps(std::uint8_t(alpha), x, y) ? 1 : 0;
                // Every block of the screen repeats the first.
                EXPECT_EQ(render::raster::StippleKeeps(std::uint8_t(alpha), x + 4 * 37, y + 4 * 5),
                          keeps[std::size_t(y * 4 + x)] != 0);
            }
        }
        EXPECT_EQ(std::count(keeps.begin(), keeps.end(), 1), ExpectedKept(alpha));
        // A higher alpha keeps every pixel a lower one keeps.
        for (std::size_t i = 0; i < 16; ++i) EXPECT_GE(keeps[i], previous[i]) << i;
        previous = keeps;
        if (alpha == 136) {
            for (int i = 0; i < 16; ++i) EXPECT_EQ(keeps[std::size_t(i)], (i / 4 + i % 4 + 1) % 2);
        }
    }
    EXPECT_EQ(ExpectedKept(0), 0);
    EXPECT_EQ(ExpectedKept(255), 16);
}

// The fills keep the same pixels: a flat face over two by two blocks, drawn by the
// reference, by the fast device's whole-face path and by its fill triangle by triangle,
// for each alpha at and beside each threshold.
TEST(StippleTest, EveryFillKeepsThePatternsPixelsAtEachThreshold) {
    const std::vector<Vertex> square = {{0, 0, 0.5f}, {8, 0, 0.5f}, {8, 8, 0.5f}, {0, 8, 0.5f}};
    auto keptPerBlock = [](const Buffers& b) {
        std::vector<int> kept(4, 0);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x)
                kept[std::size_t(y / 4 * 2 + x / 4)] += b.color[std::size_t(y * 40 + x)] != 0;
        }
        return kept;
    };
    for (int k = 0; k < 16; ++k) {
        for (const int alpha : {16 * k + 7, 16 * k + 8, 16 * k + 9}) {
            SCOPED_TRACE(alpha);
            FaceStyle style;
            style.color = 0xFFFFFF;
            style.alpha = std::uint8_t(alpha);
            const std::vector<int> expected(4, ExpectedKept(alpha));
            Buffers reference, fast, triangles;
            DrawFaceReference(square, style, reference.Whole());
            EXPECT_EQ(keptPerBlock(reference), expected);
            EXPECT_EQ(DrawFaceFast(square, style, fast.Whole(), fast.Whole()),
                      render::raster::FanSetup::Ready);
            EXPECT_EQ(fast.color, reference.color);
            Triangle tri;
            render::raster::ForEachTriangle(
                square.data(), 4, style, triangles.Whole(), tri, [&](const Triangle& each) {
                    render::raster::FillFast(each, style, triangles.Whole());
                });
            EXPECT_EQ(triangles.color, reference.color);
        }
    }
}

}  // namespace
