// The fills on their own: the fast fill covers exactly the reference's pixels with exactly
// its values, for triangles of every shape, and shared edges are drawn once.
#include "render/raster.h"

#include <gtest/gtest.h>

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

}  // namespace
