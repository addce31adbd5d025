// Wraps turn positions into texture coordinates: the three mappings with numbers, the
// wrap's own axes, and refused parameters.
#include "rm/wrap.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using rm::Vector;
using rm::Wrap;
using rm::WrapType;

// A wrap with the model's own axes (direction +Z, up +Y) at the origin.
Wrap Plain(WrapType type, float ou = 0, float ov = 0, float su = 1, float sv = 1) {
    return *Wrap::Create(type, {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, ou, ov, su, sv);
}

std::pair<float, float> UV(const Wrap& w, Vector p) {
    float u = NAN;
    float v = NAN;
    w.Map(p, &u, &v);
    return {u, v};
}

TEST(Wrap, FlatScalesAndShiftsTheAxesAcrossTheDirection) {
    const Wrap w = Plain(WrapType::Flat, -0.5f, 0.25f, 0.25f, 0.5f);
    EXPECT_EQ(UV(w, {-2, 0, 7}), std::pair(0.0f, -0.25f));
    EXPECT_EQ(UV(w, {2, 1, -7}), std::pair(1.0f, 0.25f));
    // The origin moves the projection; the texture origin is subtracted after scaling.
    const Wrap moved = *Wrap::Create(WrapType::Flat, {1, 1, 1}, {0, 0, 1}, {0, 1, 0}, 0, 0, 1, 1);
    EXPECT_EQ(UV(moved, {3, 5, 0}), std::pair(2.0f, 4.0f));
}

TEST(Wrap, AxesFollowDirectionAndUp) {
    // Direction +Z, up -Y: x is -X and y is -Y.
    const Wrap z = *Wrap::Create(WrapType::Flat, {}, {0, 0, 1}, {0, -1, 0}, 0, 0, 1, 1);
    EXPECT_EQ(UV(z, {1, 2, 3}), std::pair(-1.0f, -2.0f));
    // Direction +X, up -Y: x is +Z.
    const Wrap x = *Wrap::Create(WrapType::Flat, {}, {1, 0, 0}, {0, -1, 0}, 0, 0, 1, 1);
    EXPECT_EQ(UV(x, {1, 2, 3}), std::pair(3.0f, -2.0f));
    // Direction +Y, up +Z: x is -X.
    const Wrap y = *Wrap::Create(WrapType::Flat, {}, {0, 1, 0}, {0, 0, 1}, 0, 0, 1, 1);
    EXPECT_EQ(UV(y, {1, 2, 3}), std::pair(-1.0f, 3.0f));
    // Lengths do not matter, and an up vector leaning along the direction is straightened.
    const Wrap lean = *Wrap::Create(WrapType::Flat, {}, {0, 0, 5}, {0, 3, 3}, 0, 0, 1, 1);
    EXPECT_EQ(UV(lean, {1, 2, 3}), std::pair(1.0f, 2.0f));
}

TEST(Wrap, CylinderURunsOnceAroundTheAxisFromTheUpSide) {
    const Wrap w = Plain(WrapType::Cylinder, 0, -1, 1, 0.5f);
    const float eps = 1e-6f;
    EXPECT_NEAR(UV(w, {0, 3, 0}).first, 0.0f, eps);   // up side
    EXPECT_NEAR(UV(w, {3, 0, 0}).first, 0.25f, eps);  // a quarter turn towards +x
    EXPECT_NEAR(UV(w, {0, -3, 0}).first, 0.5f, eps);
    EXPECT_NEAR(UV(w, {-3, 0, 0}).first, 0.75f, eps);
    EXPECT_NEAR(UV(w, {-0.001f, 3, 0}).first, 1.0f, 1e-3f);  // just before a full turn
    // v follows the axis: sv * z - ov.
    EXPECT_FLOAT_EQ(UV(w, {0, 3, 4}).second, 3.0f);
    // On the axis itself u is 0, not a NaN.
    EXPECT_EQ(UV(w, {0, 0, 2}), std::pair(0.0f, 2.0f));
}

TEST(Wrap, SphereVRunsFromPoleToPole) {
    const Wrap w = Plain(WrapType::Sphere);
    const float eps = 1e-6f;
    EXPECT_NEAR(UV(w, {0, 0, 5}).second, 0.0f, eps);
    EXPECT_NEAR(UV(w, {0, 5, 0}).second, 0.5f, eps);
    EXPECT_NEAR(UV(w, {1, 0, -1}).second, 0.75f, eps);
    EXPECT_NEAR(UV(w, {0, 0, -5}).second, 1.0f, eps);
    EXPECT_NEAR(UV(w, {5, 0, 0}).first, 0.25f, eps);
    EXPECT_EQ(UV(w, {0, 0, 0}), std::pair(0.0f, 0.0f));
    const Wrap scaled = Plain(WrapType::Sphere, 0.5f, 1, 2, 4);
    EXPECT_NEAR(UV(scaled, {0, -5, 0}).first, 0.5f, eps);
    EXPECT_NEAR(UV(scaled, {0, 0, -5}).second, 3.0f, eps);
}

TEST(Wrap, DegenerateOrNonFiniteParametersAreRefused) {
    EXPECT_FALSE(Wrap::Create(WrapType::Flat, {}, {0, 0, 0}, {0, 1, 0}, 0, 0, 1, 1));
    EXPECT_FALSE(Wrap::Create(WrapType::Flat, {}, {0, 0, 1}, {0, 0, -2}, 0, 0, 1, 1));
    EXPECT_FALSE(Wrap::Create(WrapType::Flat, {}, {0, 0, 1}, {0, 1, 0}, 0, 0, INFINITY, 1));
    EXPECT_FALSE(Wrap::Create(WrapType::Flat, {}, {0, 0, 1}, {0, 1, 0}, NAN, 0, 1, 1));
    EXPECT_FALSE(Wrap::Create(WrapType::Flat, {NAN, 0, 0}, {0, 0, 1}, {0, 1, 0}, 0, 0, 1, 1));
}

TEST(Wrap, ApplySetsEveryCornerFromItsVertex) {
    rm::MeshBuilder mesh;
    const Vector v[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const std::int32_t faces[] = {3, 0, 1, 2, 3, 0, 2, 3, 0};
    ASSERT_TRUE(mesh.AddFaces(v, {}, faces));
    Plain(WrapType::Flat, 0, 0, 2, 3).Apply(mesh);
    float u = 0;
    float vv = 0;
    ASSERT_TRUE(mesh.GetFace(0).GetTextureCoordinates(2, &u, &vv));
    EXPECT_EQ(std::pair(u, vv), std::pair(2.0f, 3.0f));
    ASSERT_TRUE(mesh.GetFace(1).GetTextureCoordinates(1, &u, &vv));  // the same vertex
    EXPECT_EQ(std::pair(u, vv), std::pair(2.0f, 3.0f));
    ASSERT_TRUE(mesh.GetFace(1).GetTextureCoordinates(2, &u, &vv));
    EXPECT_EQ(std::pair(u, vv), std::pair(0.0f, 3.0f));
}

}  // namespace
