#include "rm/polygon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <vector>

#include "test_support.h"

namespace {

using rm::Triangle;
using rm::Vector;

using testing_support::SignedArea;

// What every split must give: n - 2 triangles of valid, distinct corner numbers, each
// turning the polygon's way, covering exactly its area (so none reaches outside a concave
// outline or overlaps another).
void ExpectCovers(const std::vector<Vector>& polygon, const std::vector<Triangle>& tris) {
    ASSERT_EQ(tris.size(), polygon.size() - 2);
    const double whole = SignedArea(polygon);
    double sum = 0, sumAbs = 0;
    std::set<std::uint32_t> used;
    for (const Triangle& t : tris) {
        for (std::uint32_t k : t) ASSERT_LT(k, polygon.size());
        ASSERT_TRUE(t[0] != t[1] && t[1] != t[2] && t[0] != t[2]);
        const double a = SignedArea({polygon[t[0]], polygon[t[1]], polygon[t[2]]});
        EXPECT_GE(a * whole, 0.0) << "a triangle turns the other way";
        sum += a;
        sumAbs += std::fabs(a);
        used.insert(t.begin(), t.end());
    }
    EXPECT_NEAR(sum, whole, 1e-6 * std::fabs(whole));
    EXPECT_NEAR(sumAbs, std::fabs(whole), 1e-6 * std::fabs(whole));
    EXPECT_EQ(used.size(), polygon.size());  // no corner lost
}

TEST(SplitPolygon, ConvexConcaveAndKeyholeOutlinesAreCoveredExactly) {
    std::vector<Triangle> tris;
    // A convex 20-gon, both windings.
    std::vector<Vector> circle;
    for (int i = 0; i < 20; ++i) {
        const double a = 2 * std::numbers::pi * i / 20;
        circle.push_back({float(std::cos(a)), float(std::sin(a)), 0});
    }
    rm::SplitPolygon(circle, tris);
    ExpectCovers(circle, tris);
    std::vector<Vector> clockwise(circle.rbegin(), circle.rend());
    rm::SplitPolygon(clockwise, tris);
    ExpectCovers(clockwise, tris);
    // A concave star of 24 corners: a fan from corner 0 would cover area outside it.
    const std::vector<Vector> star = testing_support::Star(12, 0.3f, 2.0f);
    rm::SplitPolygon(star, tris);
    ExpectCovers(star, tris);
    // A square with a square hole, joined by a doubled edge (the keyhole layout of
    // ConcavePolygon.lwo): outer 0..4 (back to the corner), inner clockwise, back.
    const std::vector<Vector> keyhole = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}, {0, 0, 0},
                                         {1, 1, 0}, {1, 3, 0}, {3, 3, 0}, {3, 1, 0}, {1, 1, 0}};
    rm::SplitPolygon(keyhole, tris);
    ExpectCovers(keyhole, tris);
    EXPECT_NEAR(SignedArea(keyhole), 16 - 4, 1e-9);
}

TEST(SplitPolygon, OutlinesInOtherPlanesAndWithStraightRuns) {
    std::vector<Triangle> tris;
    // The star in the plane x = 5, turned so that y and z carry the outline.
    std::vector<Vector> star = testing_support::Star(9, 0.4f, 2.0f), upright;
    for (const Vector& v : star) upright.push_back({5, v.x, v.y});
    rm::SplitPolygon(upright, tris);
    ExpectCovers(star, tris);  // its corner numbers cover the flat copy
    // An L shape with corners in the middle of straight edges.
    const std::vector<Vector> ell = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0},
                                     {1, 2, 0}, {1, 3, 0}, {0, 3, 0}, {0, 2, 0}, {0, 1, 0}};
    rm::SplitPolygon(ell, tris);
    ExpectCovers(ell, tris);
}

TEST(SplitPolygon, DegenerateAndSelfIntersectingOutlinesStillGiveNMinusTwoTriangles) {
    std::vector<Triangle> tris;
    rm::SplitPolygon(std::vector<Vector>{{0, 0, 0}, {1, 0, 0}}, tris);
    EXPECT_TRUE(tris.empty());
    rm::SplitPolygon(std::vector<Vector>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, tris);
    EXPECT_EQ(tris, (std::vector<Triangle>{{0, 1, 2}}));
    // All corners on one line, or in one point: a fan.
    std::vector<Vector> line, point(18, Vector{1, 1, 1});
    for (int i = 0; i < 18; ++i) line.push_back({float(i), float(2 * i), 0});
    for (const auto& p : {line, point}) {
        rm::SplitPolygon(p, tris);
        ASSERT_EQ(tris.size(), 16u);
        for (std::uint32_t k = 0; k < 16; ++k) EXPECT_EQ(tris[k], (Triangle{0, k + 1, k + 2}));
    }
    // A figure eight crosses itself: whatever cannot be clipped is finished as a fan, and
    // every corner still takes part.
    std::vector<Vector> eight;
    for (int i = 0; i < 20; ++i) {
        const double a = 2 * std::numbers::pi * i / 20;
        eight.push_back({float(std::sin(a)), float(std::sin(2 * a)), 0});
    }
    rm::SplitPolygon(eight, tris);
    ASSERT_EQ(tris.size(), 18u);
    std::set<std::uint32_t> used;
    for (const Triangle& t : tris) used.insert(t.begin(), t.end());
    EXPECT_EQ(used.size(), 20u);
    // A huge zigzag ends in bounded time (the work limit) with n - 2 triangles.
    std::vector<Vector> zigzag;
    for (int i = 0; i < 60000; ++i) zigzag.push_back({float(i), float(i % 2), 0});
    rm::SplitPolygon(zigzag, tris);
    EXPECT_EQ(tris.size(), zigzag.size() - 2);
}

}  // namespace
