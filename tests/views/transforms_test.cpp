#include "views/transforms.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>

#include "doc/session.h"
#include "model/table_edits.h"
#include "test_support.h"
#include "views/edit_fakes.h"

namespace {

using render::PaneRole;
using rm::Vector;
using views::DragStep;

struct Bits {
    std::uint32_t x, y, z;
    friend bool operator==(const Bits&, const Bits&) = default;
};
Bits BitsOf(const Vector& p) {
    return {std::bit_cast<std::uint32_t>(p.x), std::bit_cast<std::uint32_t>(p.y),
            std::bit_cast<std::uint32_t>(p.z)};
}

// A table with one face: corner 0 selected at `selected`, corner 1 unselected at (9, 9, 9).
std::unique_ptr<model::FaceTable> OneCorner(Vector selected) {
    testing_support::Model m;
    testing_support::ModelBuilder().FaceAt({selected, {9, 9, 9}}).Into(m);
    m.table->selected[0][0] = 1;
    return std::move(m.table);
}

// A drag step in a 200 x 200 pane (centre 100, 100) at zoom 120, pressed at `anchor`.
DragStep Step(PaneRole role, ports::Point anchor, ports::Point last, ports::Point pointer,
              float scale = 120.0f) {
    return {role, render::PaneGeometry::Of({200, 200}, scale), anchor, last, pointer};
}

// The coordinate a pane hides.
float Hidden(PaneRole role, const Vector& p) {
    return role == PaneRole::Top ? p.y : role == PaneRole::Front ? p.z : p.x;
}

struct PaneCase {
    const char* name;
    PaneRole role;
};
constexpr PaneCase kPanes[] = {
    {"top", PaneRole::Top}, {"front", PaneRole::Front}, {"side", PaneRole::Side}};

TEST(MouseTransform, MoveFollowsThePointerOnThePaneAxes) {
    for (const PaneCase& pane : kPanes) {
        SCOPED_TRACE(pane.name);
        const PaneRole r = pane.role;
        auto t = OneCorner({0.5f, -0.25f, 2.0f});
        const Vector before = t->position[0][0];
        const render::PlanePoint b = render::PlaneOf(r, before);
        // 12 pixels right at 120 pixels per unit: +0.1 on the horizontal axis.
        views::MoveStep(*t, Step(r, {50, 50}, {50, 50}, {62, 50}));
        EXPECT_FLOAT_EQ(render::PlaneOf(r, t->position[0][0]).h, b.h + 0.1f);
        EXPECT_EQ(render::PlaneOf(r, t->position[0][0]).v, b.v);
        // 12 pixels up: +0.1 on the vertical axis (Z in the top pane, Y in the others).
        views::MoveStep(*t, Step(r, {50, 50}, {62, 50}, {62, 38}));
        EXPECT_FLOAT_EQ(render::PlaneOf(r, t->position[0][0]).v, b.v + 0.1f);
        EXPECT_EQ(Hidden(r, t->position[0][0]), Hidden(r, before));
        EXPECT_EQ(t->position[0][1], (Vector{9, 9, 9}));  // not selected
    }
    // Which coordinate is which: X right in the top pane, Z up; Z right in the side pane.
    auto t = OneCorner({0, 0, 0});
    views::MoveStep(*t, Step(PaneRole::Top, {0, 0}, {0, 0}, {12, -24}));
    EXPECT_FLOAT_EQ(t->position[0][0].x, 0.1f);
    EXPECT_FLOAT_EQ(t->position[0][0].z, 0.2f);
    views::MoveStep(*t, Step(PaneRole::Side, {0, 0}, {0, 0}, {12, -24}));
    EXPECT_FLOAT_EQ(t->position[0][0].z, 0.3f);
    EXPECT_FLOAT_EQ(t->position[0][0].y, 0.2f);
}

TEST(MouseTransform, RotateTurnsClockwiseAboutTheAnchorOneDegreePerPixel) {
    // Anchor 30 pixels right of and above the centre: (0.25, 0.25) in the front pane.
    auto t = OneCorner({1.25f, 0.25f, 7.0f});
    views::RotateStep(*t, Step(PaneRole::Front, {130, 70}, {130, 70}, {220, 70}));
    EXPECT_TRUE(testing_support::Near(t->position[0][0], {0.25f, -0.75f, 7.0f}, 1e-6));
    // Dragging up turns the same way as dragging right: 90 up brings it to (ch - 1, cv).
    views::RotateStep(*t, Step(PaneRole::Front, {130, 70}, {220, 70}, {220, -20}));
    EXPECT_TRUE(testing_support::Near(t->position[0][0], {-0.75f, 0.25f, 7.0f}, 1e-6));
}

TEST(MouseTransform, ScaleActsOnAllThreeAxesTheHiddenOneAboutZero) {
    auto t = OneCorner({1.0f, 2.0f, 1.0f});
    // Top pane, anchored at the centre, 12 pixels left: factor 1 - 0.1.
    views::ScaleStep(*t, Step(PaneRole::Top, {100, 100}, {100, 100}, {88, 100}));
    const Vector p = t->position[0][0];
    EXPECT_EQ(p.x, 1.0f - 1.0f * (12.0f / 120.0f));
    EXPECT_EQ(p.y, 2.0f - 2.0f * (12.0f / 120.0f));  // Y moves toward 0
    EXPECT_EQ(p.z, p.x);
    // Right or up enlarges, about the anchor on the pane's axes.
    auto u = OneCorner({1.0f, 2.0f, 1.0f});
    views::ScaleStep(*u, Step(PaneRole::Side, {220, 100}, {100, 100}, {100, 88}));
    EXPECT_FLOAT_EQ(u->position[0][0].z, 1.0f + (1.0f - 1.0f) * 0.1f);  // on the anchor
    EXPECT_FLOAT_EQ(u->position[0][0].y, 2.2f);
    EXPECT_FLOAT_EQ(u->position[0][0].x, 1.1f);
}

TEST(MouseTransform, StretchChangesOnlyThePaneAxes) {
    auto t = OneCorner({1.0f, 1.0f, 3.3f});
    const Bits hidden = BitsOf(t->position[0][0]);
    // Right 12 widens, up 12 heightens, about the anchor at the centre.
    views::StretchStep(*t, Step(PaneRole::Front, {100, 100}, {100, 100}, {112, 88}));
    EXPECT_FLOAT_EQ(t->position[0][0].x, 1.1f);
    EXPECT_FLOAT_EQ(t->position[0][0].y, 1.1f);
    EXPECT_EQ(BitsOf(t->position[0][0]).z, hidden.z);
}

TEST(MouseTransform, APressIsAStepOfLengthZero) {
    using StepFn = void (*)(model::FaceTable&, const DragStep&);
    const StepFn exact[] = {views::MoveStep, views::ScaleStep, views::StretchStep};
    for (StepFn fn : exact) {
        auto t = OneCorner({0.3f, -1.7f, 1e-3f});
        const Bits before = BitsOf(t->position[0][0]);
        fn(*t, Step(PaneRole::Top, {37, 151}, {37, 151}, {37, 151}));
        EXPECT_EQ(BitsOf(t->position[0][0]), before);
    }
    auto r = OneCorner({0.3f, -1.7f, 1e-3f});
    views::RotateStep(*r, Step(PaneRole::Top, {37, 151}, {37, 151}, {37, 151}));
    EXPECT_TRUE(testing_support::Near(r->position[0][0], {0.3f, -1.7f, 1e-3f}, 1e-6));
}

TEST(MouseTransform, MoveAndRotateInSinglePixelsEqualOneBigStep) {
    using StepFn = void (*)(model::FaceTable&, const DragStep&);
    for (StepFn fn :
         {static_cast<StepFn>(views::MoveStep), static_cast<StepFn>(views::RotateStep)}) {
        auto big = OneCorner({0.7f, 0.1f, -0.4f});
        auto small = OneCorner({0.7f, 0.1f, -0.4f});
        fn(*big, Step(PaneRole::Side, {80, 90}, {80, 90}, {125, 90}));
        for (int x = 80; x < 125; ++x)
            fn(*small, Step(PaneRole::Side, {80, 90}, {x, 90}, {x + 1, 90}));
        EXPECT_NEAR(small->position[0][0].z, big->position[0][0].z, 2e-5);
        EXPECT_NEAR(small->position[0][0].y, big->position[0][0].y, 2e-5);
        EXPECT_EQ(small->position[0][0].x, big->position[0][0].x);
    }
}

TEST(MouseTransform, ToolsByEditMode) {
    auto t = OneCorner({0, 0, 0});
    const DragStep s = Step(PaneRole::Top, {100, 100}, {100, 100}, {112, 100});
    EXPECT_TRUE(views::DragStepOfTool(doc::EDIT_MOVE, *t, s));
    EXPECT_FLOAT_EQ(t->position[0][0].x, 0.1f);
    for (int mode : {doc::EDIT_ROTATE, doc::EDIT_SCALE, doc::EDIT_STRETCH}) {
        EXPECT_TRUE(views::DragStepOfTool(mode, *t, s));
    }
    for (int mode : {int(doc::EDIT_SELECT), 1, int(doc::EDIT_POLYGON)}) {
        const Vector before = t->position[0][0];
        EXPECT_FALSE(views::DragStepOfTool(mode, *t, s));
        EXPECT_EQ(t->position[0][0], before);
    }
    // Nothing in the 3D pane.
    const Vector before = t->position[0][0];
    views::MoveStep(*t, Step(PaneRole::View3D, {100, 100}, {100, 100}, {112, 100}));
    EXPECT_EQ(t->position[0][0], before);
}

TEST(MouseTransform, NoStepWritesACoordinateThatIsNotFinite) {
    // A long enlarging drag multiplies by 1 + 200 per message: the float range ends after
    // about 17 messages, at any zoom. The corners stop at their last finite position.
    using StepFn = void (*)(model::FaceTable&, const DragStep&);
    for (StepFn fn :
         {static_cast<StepFn>(views::ScaleStep), static_cast<StepFn>(views::StretchStep)}) {
        auto t = OneCorner({1.0f, 1.0f, 1.0f});
        for (int i = 0; i < 40; ++i) {
            fn(*t, Step(PaneRole::Front, {100, 100}, {100, 100}, {300, 100}, 1.0f));
            const Vector p = t->position[0][0];
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << i;
        }
        EXPECT_GT(t->position[0][0].x, 1e36f);
    }
    // A zoom of 0 makes every step meaningless: nothing moves.
    auto z = OneCorner({0.5f, 0.5f, 0.5f});
    views::MoveStep(*z, Step(PaneRole::Top, {100, 100}, {100, 100}, {110, 90}, 0.0f));
    views::RotateStep(*z, Step(PaneRole::Top, {100, 100}, {100, 100}, {110, 90}, 0.0f));
    EXPECT_EQ(z->position[0][0], (Vector{0.5f, 0.5f, 0.5f}));
}

TEST(NumericRules, ScaleAndStretchAtHundredPercentAreBitIdentical) {
    auto t = OneCorner({0.1f, -3.7f, 12345.678f});
    const Bits before = BitsOf(t->position[0][0]);
    const float hundred[3] = {100, 100, 100};
    model::StretchSelected(*t, hundred, {0.3f, 0.2f, -9.0f});
    EXPECT_EQ(BitsOf(t->position[0][0]), before);
    // 50 halves the distance from the centre, 0 collapses, -100 mirrors.
    const float rates[3] = {50, 0, -100};
    model::StretchSelected(*t, rates, {1.0f, 1.0f, 1.0f});
    EXPECT_FLOAT_EQ(t->position[0][0].x, 0.55f);
    EXPECT_FLOAT_EQ(t->position[0][0].y, 1.0f);
    EXPECT_FLOAT_EQ(t->position[0][0].z, 2.0f - 12345.678f);
}

TEST(NumericRules, RotateAboutEachAxis) {
    struct Case {
        int axis;
        Vector from, centre, to;
    };
    const Case cases[] = {
        {2, {0, 1, 0}, {0, 0, 0}, {1, 0, 0}},  // about Z: +Y toward +X
        {0, {0, 1, 0}, {0, 0, 0}, {0, 0, 1}},  // about X: +Y toward +Z
        {1, {2, 5, 1}, {1, 0, 1}, {1, 5, 2}},  // about Y through (1, 0, 1): +X toward +Z
        {3, {2, 5, 1}, {0, 0, 0}, {2, 5, 1}},  // no axis chosen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.axis);
        auto t = OneCorner(c.from);
        model::RotateSelected(*t, c.axis, 90.0, c.centre);
        EXPECT_TRUE(testing_support::Near(t->position[0][0], c.to, 1e-6));
    }
}

TEST(NumericRules, AHugeScaleTwiceKeepsTheLastFinitePosition) {
    auto t = OneCorner({1000.0f, 2.0f, 3.0f});
    const float rate[3] = {1e20f, 1e20f, 1e20f};
    model::StretchSelected(*t, rate, {0, 0, 0});
    const Vector once = t->position[0][0];
    EXPECT_NEAR(once.x / 1e21f, 1.0f, 1e-5f);
    EXPECT_NEAR(once.y / 2e18f, 1.0f, 1e-5f);
    model::StretchSelected(*t, rate, {0, 0, 0});  // x would be 1e39: the corner stays
    EXPECT_EQ(BitsOf(t->position[0][0]), BitsOf(once));
    // The same for a move past the float range.
    auto u = OneCorner({0, 0, 0});
    model::MoveSelected(*u, 3e38f, 0, 0);
    model::MoveSelected(*u, 3e38f, 1, 0);
    EXPECT_EQ(u->position[0][0], (Vector{3e38f, 0, 0}));
}

TEST(MouseDrag, TheTableFollowsTheDragTheMeshTheRelease) {
    edit_test::EditPanes p;
    edit_test::SetFaces(*p.s, {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}});
    p.T().selected[0][1] = 1;
    p.s->m_nEditMode = doc::EDIT_MOVE;
    const rm::MeshBuilderPtr before = p.s->model.m_pMesh;
    p.Front().OnLButtonDown(100, 100);
    p.Front().OnMouseMove(106, 100);
    p.Front().OnMouseMove(112, 94);
    EXPECT_FLOAT_EQ(p.T().position[0][1].x, 1.1f);
    EXPECT_FLOAT_EQ(p.T().position[0][1].y, 0.05f);
    // During the drag only the orthographic panes repaint; the mesh stays.
    EXPECT_EQ(p.s->model.m_pMesh, before);
    for (const edit_test::PaneRepaint& r : p.frame.invalidations) {
        EXPECT_FALSE(r.row == 0 && r.column == 1);
    }
    EXPECT_GE(p.pane[2].invalidations, 3);  // press and two moves
    p.frame.invalidations.clear();
    p.Front().OnLButtonUp(112, 94);
    EXPECT_NE(p.s->model.m_pMesh, before);
    Vector corner;
    p.s->model.m_pMesh->GetFace(0).GetVertex(1, &corner, nullptr);
    EXPECT_EQ(corner, p.T().position[0][1]);
    EXPECT_EQ(p.frame.invalidations, (std::vector<edit_test::PaneRepaint>{{0, 1, false}}));

    // Nothing selected: nothing moves, but the drag still repaints and rebuilds.
    p.T().selected[0][1] = 0;
    const Vector still = p.T().position[0][1];
    const int repaints = p.pane[0].invalidations;
    const rm::MeshBuilderPtr again = p.s->model.m_pMesh;
    p.Top().OnLButtonDown(50, 50);
    p.Top().OnMouseMove(80, 20);
    p.Top().OnLButtonUp(80, 20);
    EXPECT_EQ(p.T().position[0][1], still);
    EXPECT_GT(p.pane[0].invalidations, repaints);
    EXPECT_NE(p.s->model.m_pMesh, again);
    // (A drag in the 3D pane turns the view only: ViewRotate in the view tests.)
}

}  // namespace
