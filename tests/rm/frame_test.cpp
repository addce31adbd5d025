#include "rm/frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "rm/root.h"
#include "test_support.h"

namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2;

using testing_support::Near;

TEST(MatrixTest, RotationsTurnAxesTheDocumentedWay) {
    // About +X, +Y goes to +Z; about +Y, +Z goes to +X; about +Z, +X goes to +Y.
    EXPECT_TRUE(Near(rm::Matrix::Rotation(1, 0, 0, kHalfPi).TransformPoint({0, 1, 0}), {0, 0, 1}));
    EXPECT_TRUE(Near(rm::Matrix::Rotation(0, 1, 0, kHalfPi).TransformPoint({0, 0, 1}), {1, 0, 0}));
    EXPECT_TRUE(Near(rm::Matrix::Rotation(0, 0, 1, kHalfPi).TransformPoint({1, 0, 0}), {0, 1, 0}));
    // The axis need not be of unit length; a zero axis turns nothing.
    EXPECT_TRUE(Near(rm::Matrix::Rotation(0, 0, 5, kHalfPi).TransformPoint({1, 0, 0}), {0, 1, 0}));
    EXPECT_EQ(rm::Matrix::Rotation(0, 0, 0, 1.0f), rm::Matrix{});
}

TEST(MatrixTest, ProductAppliesLeftFactorFirst) {
    const rm::Matrix t = rm::Matrix::Translation(1, 0, 0);
    const rm::Matrix r = rm::Matrix::Rotation(0, 0, 1, kHalfPi);
    // Translate then rotate: (1,0,0) -> (2,0,0) -> (0,2,0).
    EXPECT_TRUE(Near((t * r).TransformPoint({1, 0, 0}), {0, 2, 0}));
    // Rotate then translate: (1,0,0) -> (0,1,0) -> (1,1,0).
    EXPECT_TRUE(Near((r * t).TransformPoint({1, 0, 0}), {1, 1, 0}));
}

TEST(MatrixTest, InverseUndoesAnAffineTransform) {
    const rm::Matrix m = rm::Matrix::Scaling(2, 3, 4) * rm::Matrix::Rotation(1, 2, 3, 0.7f) *
                         rm::Matrix::Translation(5, -6, 7);
    const rm::Vector p{0.25f, -1.5f, 3.0f};
    const rm::Vector back = m.InverseAffine().TransformPoint(m.TransformPoint(p));
    EXPECT_TRUE(Near(back, {p.x, p.y, p.z}));
    // A singular matrix has no inverse: the identity stands in.
    EXPECT_EQ(rm::Matrix::Scaling(0, 1, 1).InverseAffine(), rm::Matrix{});
}

TEST(FrameTest, CombineModesOrderTheTransforms) {
    rm::Frame f;
    f.SetPosition(nullptr, 10, 0, 0);
    // AFTER acts in the parent's axes after the current transform: the position turns too.
    f.AddRotation(rm::COMBINE_AFTER, 0, 0, 1, kHalfPi);
    EXPECT_TRUE(Near(f.GetPosition(), {0, 10, 0}));
    EXPECT_TRUE(Near(f.GetTransform().TransformPoint({1, 0, 0}), {0, 11, 0}));

    rm::Frame g;
    g.SetPosition(nullptr, 10, 0, 0);
    // BEFORE acts in the frame's own axes: the position stays, the contents turn.
    g.AddRotation(rm::COMBINE_BEFORE, 0, 0, 1, kHalfPi);
    EXPECT_TRUE(Near(g.GetPosition(), {10, 0, 0}));
    EXPECT_TRUE(Near(g.GetTransform().TransformPoint({1, 0, 0}), {10, 1, 0}));
    // A scale BEFORE scales about the frame's own origin.
    g.AddScale(rm::COMBINE_BEFORE, 2, 2, 2);
    EXPECT_TRUE(Near(g.GetTransform().TransformPoint({1, 0, 0}), {10, 2, 0}));
    EXPECT_TRUE(Near(g.GetPosition(), {10, 0, 0}));
    // A scale AFTER scales the position as well.
    g.AddScale(rm::COMBINE_AFTER, 0.5f, 0.5f, 0.5f);
    EXPECT_TRUE(Near(g.GetPosition(), {5, 0, 0}));
    // REPLACE drops everything before, the position included.
    g.AddScale(rm::COMBINE_REPLACE, 3, 3, 3);
    EXPECT_TRUE(Near(g.GetPosition(), {0, 0, 0}));
    EXPECT_TRUE(Near(g.GetTransform().TransformPoint({1, 1, 1}), {3, 3, 3}));
}

TEST(FrameTest, GestureStepsComposeInTheParentsAxes) {
    // The 3D pane's drag: about X, then about Y, both AFTER. A quarter turn about X then
    // a quarter turn about Y takes +Y to +Z and then to +X.
    rm::Frame model;
    model.AddRotation(rm::COMBINE_AFTER, 1, 0, 0, kHalfPi);
    model.AddRotation(rm::COMBINE_AFTER, 0, 1, 0, kHalfPi);
    EXPECT_TRUE(Near(model.GetTransform().TransformPoint({0, 1, 0}), {1, 0, 0}));
    // The zoom: 0.9 BEFORE, twice, on top of the rotation.
    model.AddScale(rm::COMBINE_BEFORE, 0.9f, 0.9f, 0.9f);
    model.AddScale(rm::COMBINE_BEFORE, 0.9f, 0.9f, 0.9f);
    EXPECT_TRUE(Near(model.GetTransform().TransformPoint({0, 1, 0}), {0.81f, 0, 0}));
}

TEST(FrameTest, WorldTransformIsLocalThenParents) {
    rm::Root root;
    auto scene = root.CreateFrame();
    auto a = root.CreateFrame(scene.get());
    auto b = root.CreateFrame(a.get());
    a->SetPosition(nullptr, 0, 0, 5);
    a->AddRotation(rm::COMBINE_BEFORE, 0, 1, 0, kHalfPi);  // a's +Z points along the scene's +X
    b->SetPosition(nullptr, 0, 0, 2);                      // 2 along a's +Z
    EXPECT_TRUE(Near(b->GetWorldTransform().Origin(), {2, 0, 5}));
    EXPECT_TRUE(Near(b->GetPosition(scene.get()), {2, 0, 5}));
    // Placing b relative to the scene converts into a's axes.
    b->SetPosition(scene.get(), 1, 0, 5);
    EXPECT_TRUE(Near(b->GetPosition(), {0, 0, 1}));
    EXPECT_TRUE(Near(b->GetWorldTransform().Origin(), {1, 0, 5}));
}

TEST(FrameTest, ParentsAndChildrenStayConsistent) {
    rm::Root root;
    auto scene = root.CreateFrame();
    auto other = root.CreateFrame();
    auto child = root.CreateFrame(scene.get());
    EXPECT_EQ(child->GetParent(), scene.get());
    // Moving a child takes it from its old parent.
    EXPECT_TRUE(other->AddChild(child));
    EXPECT_EQ(child->GetParent(), other.get());
    EXPECT_TRUE(scene->Children().empty());
    // No cycles, no self-parenting.
    EXPECT_FALSE(child->AddChild(other));
    EXPECT_FALSE(child->AddChild(child));
    EXPECT_TRUE(other->DeleteChild(child));
    EXPECT_EQ(child->GetParent(), nullptr);
    // A parent that goes clears its children's link to it.
    other->AddChild(child);
    other.reset();
    EXPECT_EQ(child->GetParent(), nullptr);
}

TEST(FrameTest, OrientationAndLookAt) {
    rm::Root root;
    auto scene = root.CreateFrame();
    auto camera = root.CreateFrame(scene.get());
    auto model = root.CreateFrame(scene.get());
    camera->SetPosition(scene.get(), 0, 0, -50);
    ASSERT_TRUE(camera->LookAt(model.get(), scene.get(), rm::CONSTRAIN_Z));
    const rm::Matrix w = camera->GetWorldTransform();
    EXPECT_TRUE(Near(w.Axis(2), {0, 0, 1}));  // looking along +Z at the origin
    EXPECT_TRUE(Near(w.Axis(1), {0, 1, 0}));  // no roll
    EXPECT_TRUE(Near(w.Axis(0), {1, 0, 0}));
    EXPECT_TRUE(Near(camera->GetPosition(), {0, 0, -50}));

    // From above and to the side: Z toward the target, Y stays in the vertical plane.
    camera->SetPosition(scene.get(), 10, 10, 0);
    ASSERT_TRUE(camera->LookAt(model.get(), scene.get(), rm::CONSTRAIN_Z));
    const rm::Matrix v = camera->GetWorldTransform();
    const float k = 1.0f / std::sqrt(2.0f);
    EXPECT_TRUE(Near(v.Axis(2), {-k, -k, 0}));
    EXPECT_NEAR(v.Axis(0).y, 0.0f, 1e-6f);  // the X axis stays level
    EXPECT_GT(v.Axis(1).y, 0.0f);

    // A zero direction or an up along the direction changes nothing.
    EXPECT_FALSE(camera->SetOrientation(nullptr, 0, 0, 0, 0, 1, 0));
    EXPECT_FALSE(camera->SetOrientation(nullptr, 0, 1, 0, 0, 2, 0));
    EXPECT_TRUE(Near(camera->GetWorldTransform().Axis(2), {-k, -k, 0}));
    // Straight down: the frame's own up is kept.
    camera->SetPosition(scene.get(), 0, 10, 0);
    ASSERT_TRUE(camera->LookAt(model.get(), scene.get(), rm::CONSTRAIN_Z));
    EXPECT_TRUE(Near(camera->GetWorldTransform().Axis(2), {0, -1, 0}));
}

}  // namespace
