// What the panes show: the fit of a model or a selection, the test after an open, the
// moved view's mapping in the three panes, pan and wheel zoom, and every tool in a moved
// and zoomed view.
#include "views/view_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "doc/model_io.h"
#include "fake_ports.h"
#include "recording_canvas.h"
#include "render/ortho_draw.h"
#include "test_support.h"
#include "views/edit_fakes.h"
#include "views/mdlr_view.h"
#include "views/transforms.h"
#include "views/view_commands.h"

namespace {

using render::PaneRole;
using render::PlanePoint;

// Panes of 300 x 200 (centre 150, 100); the 3D pane too.
const views::PaneSizes kPanes{{300, 200}, {300, 200}, {300, 200}, {300, 200}};

views::ModelBounds Box(rm::Vector lo, rm::Vector hi) {
    views::ModelBounds b;
    b.points = 2;
    b.min = lo;
    b.max = hi;
    return b;
}

// Where the box's extreme corners land in a pane at the fitted view: left, right, top,
// bottom pixels.
struct Span {
    int left, right, top, bottom;
};
Span SpanIn(PaneRole role, const views::ModelBounds& b, const views::ViewFit& fit,
            ports::Size size) {
    const auto g = render::PaneGeometry::Of(size, fit.viewScale, render::PlaneOf(role, fit.centre));
    const ports::Point lo = g.ToScreen(render::PlaneOf(role, b.min));
    const ports::Point hi = g.ToScreen(render::PlaneOf(role, b.max));
    return {lo.x, hi.x, hi.y, lo.y};
}

TEST(ViewFit, AModelFarFromTheOriginFillsTheTightestPaneAndLiesInsideTheOthers) {
    // The red cone's box: x -62..-2, y 0..60, z 24..88.
    const views::ModelBounds b = Box({-62, 0, 24}, {-2, 60, 88});
    const views::ViewFit fit = views::FitView(b, kPanes, 120.0f, 1.0f, 2.0f);
    // The tightest constraint: 64 units of z or 60 of y across 200 pixels (the side pane's
    // width holds 64 in 300). 0.9 * 200 / 64 = 2.8125.
    EXPECT_FLOAT_EQ(fit.viewScale, 0.9f * 200.0f / 64.0f);
    EXPECT_FLOAT_EQ(fit.centre.x, -32.0f);
    EXPECT_FLOAT_EQ(fit.centre.y, 30.0f);
    EXPECT_FLOAT_EQ(fit.centre.z, 56.0f);
    for (PaneRole role : {PaneRole::Top, PaneRole::Front, PaneRole::Side}) {
        const Span s = SpanIn(role, b, fit, {300, 200});
        EXPECT_GE(s.left, 0) << int(role);
        EXPECT_LT(s.right, 300) << int(role);
        EXPECT_GE(s.top, 0) << int(role);
        EXPECT_LT(s.bottom, 200) << int(role);
    }
    // The top pane shows z vertically: 64 units fill 90 % of its 200 pixels.
    const Span top = SpanIn(PaneRole::Top, b, fit, {300, 200});
    EXPECT_NEAR(top.bottom - top.top, 180, 1);
    EXPECT_FALSE(views::NeedsFit(b, kPanes, fit.viewScale, fit.centre));
    // The 3D view: the bounding sphere (radius half the diagonal) within 90 % of the
    // field's share on the pane's smaller side (2 units on the 300 pixels, 1.33 on the 200).
    const double radius = 0.5 * std::sqrt(60.0 * 60 + 60 * 60 + 64 * 64);
    EXPECT_NEAR(fit.frameScale, 0.9 * (2.0 * 200 / 300) / radius, 1e-6);
}

TEST(ViewFit, TinyHugePointAndFlatModels) {
    // Tiny: the zoom stops at its upper bound, centred on the model.
    const views::ViewFit tiny =
        views::FitView(Box({5, 5, 5}, {5.0001f, 5.0001f, 5.0001f}), kPanes, 120.0f, 1.0f, 2.0f);
    EXPECT_EQ(tiny.viewScale, views::kMaxViewScale);
    EXPECT_NEAR(tiny.centre.x, 5.00005f, 1e-5);
    // Huge, beyond the float range across: the lower bound, and a finite centre.
    const float big = std::numeric_limits<float>::max();
    const views::ViewFit huge =
        views::FitView(Box({-big, -big, -big}, {big, big, big}), kPanes, 120.0f, 1.0f, 2.0f);
    EXPECT_EQ(huge.viewScale, views::kMinViewScale);
    EXPECT_EQ(huge.centre.x, 0.0f);
    EXPECT_TRUE(std::isfinite(huge.frameScale));
    // One point: only centred; both zooms stay.
    const views::ViewFit point =
        views::FitView(Box({7, -3, 2}, {7, -3, 2}), kPanes, 33.0f, 0.5f, 2.0f);
    EXPECT_EQ(point.viewScale, 33.0f);
    EXPECT_EQ(point.frameScale, 0.5f);
    EXPECT_EQ(point.centre.y, -3.0f);
    // Flat in y (a floor): the front and side panes see a line, the top pane decides.
    const views::ViewFit flat =
        views::FitView(Box({-100, 0, -50}, {100, 0, 50}), kPanes, 120.0f, 1.0f, 2.0f);
    EXPECT_FLOAT_EQ(flat.viewScale, 0.9f * 300.0f / 200.0f);
    // Nothing at all: the view stays.
    const views::ViewFit none = views::FitView({}, kPanes, 120.0f, 1.0f, 2.0f);
    EXPECT_EQ(none.viewScale, 120.0f);
    // Panes not laid out yet limit nothing.
    const views::ViewFit unsized =
        views::FitView(Box({0, 0, 0}, {1, 1, 1}), {}, 120.0f, 1.0f, 2.0f);
    EXPECT_EQ(unsized.viewScale, 120.0f);
}

TEST(ViewFit, CornersThatAreNotFiniteAreLeftOutAndTheSelectionCanBeAlone) {
    auto table = std::make_unique<model::FaceTable>();
    model::FaceTable& t = *table;
    t.faceCount = 2;
    t.vertexCount[0] = 3;
    t.position[0][0] = {1, 2, 3};
    t.position[0][1] = {std::numeric_limits<float>::infinity(), 0, 0};
    t.position[0][2] = {-1, 0, std::nanf("")};
    t.vertexCount[1] = 2;
    t.position[1][0] = {10, 10, 10};
    t.position[1][1] = {12, 11, 9};
    t.selected[1][0] = t.selected[1][1] = 1;
    const views::ModelBounds all = views::CornerBounds(t, false);
    EXPECT_EQ(all.points, 3);
    EXPECT_EQ(all.min.x, 1.0f);
    EXPECT_EQ(all.max.x, 12.0f);
    EXPECT_EQ(all.min.z, 3.0f);
    const views::ModelBounds sel = views::CornerBounds(t, true);
    EXPECT_EQ(sel.points, 2);
    EXPECT_EQ(sel.min.x, 10.0f);
    EXPECT_EQ(sel.min.z, 9.0f);
    t.faceCount = 0;
    EXPECT_TRUE(views::CornerBounds(t, false).empty());
}

TEST(ViewFit, AfterAnOpenOnlyAModelOutOfViewOrTooSmallIsFitted) {
    // The start view: scale 120, centre at the origin; 300 x 200 pixels show x within
    // +-1.25 and the vertical axis within +-0.83.
    EXPECT_FALSE(
        views::NeedsFit(Box({-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}), kPanes, 120.0f, {}));
    EXPECT_TRUE(views::NeedsFit(Box({-62, 0, 24}, {-2, 60, 88}), kPanes, 120.0f, {}));
    EXPECT_TRUE(
        views::NeedsFit(Box({-0.5f, -0.5f, -0.5f}, {0.5f, 0.9f, 0.5f}), kPanes, 120.0f, {}));
    // Under 2 % of the panes on every axis: 0.04 units are 4.8 pixels.
    EXPECT_TRUE(views::NeedsFit(Box({0, 0, 0}, {0.04f, 0.02f, 0.03f}), kPanes, 120.0f, {}));
    EXPECT_FALSE(views::NeedsFit(Box({0, 0, 0}, {0.1f, 0.02f, 0.03f}), kPanes, 120.0f, {}));
    // One point in view needs no fit; out of view it does.
    EXPECT_FALSE(views::NeedsFit(Box({0.2f, 0, 0}, {0.2f, 0, 0}), kPanes, 120.0f, {}));
    EXPECT_TRUE(views::NeedsFit(Box({9, 0, 0}, {9, 0, 0}), kPanes, 120.0f, {}));
    EXPECT_FALSE(views::NeedsFit({}, kPanes, 120.0f, {}));
}

TEST(ViewFit, TheFramedTransformTurnsTheModelAboutItsCentre) {
    rm::Matrix turned = rm::Matrix::Rotation(0, 1, 0, 0.7f) * rm::Matrix::Scaling(3, 3, 3);
    EXPECT_NEAR(views::FrameScaleOf(turned), 3.0f, 1e-5);
    const rm::Vector c{10, -4, 6};
    const rm::Matrix m = views::FramedTransform(turned, 0.5f, c);
    // The centre lands on the scene origin, the scale is the one asked for, and the
    // rotation is kept: a unit step along x goes where the old rotation sent it, halved.
    const rm::Vector at = m.TransformPoint(c);
    EXPECT_NEAR(at.x, 0.0f, 1e-5);
    EXPECT_NEAR(at.y, 0.0f, 1e-5);
    EXPECT_NEAR(at.z, 0.0f, 1e-5);
    EXPECT_NEAR(views::FrameScaleOf(m), 0.5f, 1e-6);
    const rm::Vector step = m.TransformDirection({1, 0, 0});
    const rm::Vector was = turned.TransformDirection({1, 0, 0});
    EXPECT_NEAR(step.x, was.x / 6.0f, 1e-5);
    EXPECT_NEAR(step.z, was.z / 6.0f, 1e-5);
    // A rotation after it turns the model about its centre: the centre stays put.
    const rm::Matrix spun = m * rm::Matrix::Rotation(1, 0, 0, 1.2f);
    EXPECT_NEAR(spun.TransformPoint(c).y, 0.0f, 1e-5);
}

// ---- the moved view in the panes ----

TEST(MovedView, TheThreePanesStayAlignedAndScreenToModelIsTheInverse) {
    const rm::Vector centre{3.5f, -2.0f, 7.25f};
    const float scale = 40.0f;
    const rm::Vector p{4.0f, -1.5f, 6.0f};
    const auto top =
        render::PaneGeometry::Of({300, 200}, scale, render::PlaneOf(PaneRole::Top, centre));
    const auto front =
        render::PaneGeometry::Of({300, 200}, scale, render::PlaneOf(PaneRole::Front, centre));
    const auto side =
        render::PaneGeometry::Of({300, 200}, scale, render::PlaneOf(PaneRole::Side, centre));
    // x shows at the same column in the top and front panes, y at the same row in the
    // front and side panes.
    EXPECT_EQ(top.ToScreen(render::PlaneOf(PaneRole::Top, p)).x,
              front.ToScreen(render::PlaneOf(PaneRole::Front, p)).x);
    EXPECT_EQ(front.ToScreen(render::PlaneOf(PaneRole::Front, p)).y,
              side.ToScreen(render::PlaneOf(PaneRole::Side, p)).y);
    // x = 4 is 0.5 right of the centre: 20 pixels; z = 6 is 1.25 below it: 50 pixels.
    EXPECT_EQ(top.ToScreen(render::PlaneOf(PaneRole::Top, p)).x, 170);
    EXPECT_EQ(top.ToScreen(render::PlaneOf(PaneRole::Top, p)).y, 150);
    const PlanePoint back = top.ToModel(170, 150);
    EXPECT_FLOAT_EQ(back.h, 4.0f);
    EXPECT_FLOAT_EQ(back.v, 6.0f);
    // At the origin the moved mapping is the start mapping, bit for bit.
    const auto start = render::PaneGeometry::Of({301, 201}, 120.0f);
    EXPECT_EQ(start.ToScreen({-0.004f, 0.004f}).x, 150);
    EXPECT_EQ(start.ToScreen({0.1f, 0.2f}).y, 100 - 24);
}

TEST(MovedView, AxesGuidesAndCrosshairStandWhereTheModelsLinesAre) {
    auto table = std::make_unique<model::FaceTable>();
    render::OrthoScene s;
    s.role = PaneRole::Top;
    // 100 x 80 pane (centre 50, 40) at 20 pixels per unit, the view moved to x = 1,
    // z = -0.5: the origin shows at (30, 30).
    s.geometry = render::PaneGeometry::Of({100, 80}, 20.0f, {1.0f, -0.5f});
    s.table = table.get();
    s.polygonMode = true;
    s.polyDepthRef = {2.0f, 0.0f, 1.0f};  // x 2, z 1: 40 pixels right, 20 up of the origin
    testing_support::RecordingCanvas canvas;
    render::DrawOrthoPane(canvas, s);
    const std::vector<std::string> axes(canvas.calls.begin(), canvas.calls.begin() + 6);
    EXPECT_EQ(axes, (std::vector<std::string>{"pen solid 2 c0c0c0", "move 0,30", "line 100,30",
                                              "move 30,0", "line 30,80", "pen solid 1 000000"}));
    auto has = [&](const std::string& c) {
        return std::find(canvas.calls.begin(), canvas.calls.end(), c) != canvas.calls.end();
    };
    // The unit guides 20 pixels either side of the origin, the half-unit ones 10.
    EXPECT_TRUE(has("move 0,10"));
    EXPECT_TRUE(has("move 50,0"));
    EXPECT_TRUE(has("move 0,20"));
    EXPECT_TRUE(has("move 40,0"));
    // The labels stay at the pane's edges and centre.
    EXPECT_TRUE(has("text 0,0 Top"));
    EXPECT_TRUE(has("text 42,0 +Z"));
    // The crosshair through the depth reference.
    const auto green = std::find(canvas.calls.begin(), canvas.calls.end(), "pen solid 1 00ff00");
    ASSERT_NE(green, canvas.calls.end());
    EXPECT_EQ(std::vector<std::string>(green + 1, green + 5),
              (std::vector<std::string>{"move 0,10", "line 100,10", "move 70,0", "line 70,80"}));
}

// ---- gestures and tools on a moved, zoomed view ----

struct Moved : edit_test::EditPanes {
    Moved() : EditPanes({300, 200}) {
        s->ViewScale = 40.0f;
        s->viewCentre = {10.0f, 20.0f, 30.0f};
    }
};

TEST(MovedView, PanMovesTheSharedCentreWithThePointer) {
    Moved p;
    p.Front().OnMButtonDown(100, 100);
    EXPECT_TRUE(p.pane[2].captured);
    p.Front().OnMouseMove(140, 80, {false, false, true});  // 40 right, 20 up: 1 and 0.5 units
    EXPECT_FLOAT_EQ(p.s->viewCentre.x, 9.0f);
    EXPECT_FLOAT_EQ(p.s->viewCentre.y, 19.5f);
    EXPECT_FLOAT_EQ(p.s->viewCentre.z, 30.0f);  // the front pane's hidden axis stays
    // The other panes follow at once: the side pane shows the same y at the same row.
    EXPECT_EQ(p.Side().Geometry().centre.v, 19.5f);
    p.Front().OnMouseMove(140, 80, {false, false, false});  // released elsewhere
    EXPECT_FALSE(p.Front().IsPanning());
    EXPECT_FALSE(p.pane[2].captured);
    // A pan is not an edit and happens only in the orthographic panes.
    p.View3D().OnMButtonDown(10, 10);
    p.View3D().OnMouseMove(50, 50, {false, false, true});
    EXPECT_FLOAT_EQ(p.s->viewCentre.x, 9.0f);
    EXPECT_EQ(p.T().faceCount, 0);
}

TEST(MovedView, AWheelNotchIsOneZoomStepAndKeepsThePointUnderThePointer) {
    Moved p;
    const PlanePoint before = p.Side().Geometry().ToModel(37, 161);
    p.Side().OnMouseWheel(37, 161, 1);
    EXPECT_EQ(p.s->ViewScale, 40.0f * views::kZoomIn);
    const auto g = p.Side().Geometry();
    const ports::Point back = g.ToScreen(before);
    EXPECT_NEAR(back.x, 37, 1);
    EXPECT_NEAR(back.y, 161, 1);
    // The model frame zooms by the same factor.
    EXPECT_NEAR(views::FrameScaleOf(p.s->model.m_pModelFrame->GetTransform()), views::kZoomIn,
                1e-6);
    // Three notches back out in the top pane; the 3D pane's scale follows each one.
    p.Top().OnMouseWheel(200, 20, -3);
    EXPECT_FLOAT_EQ(p.s->ViewScale,
                    40.0f * views::kZoomIn * views::kZoomOut * views::kZoomOut * views::kZoomOut);
    // In the 3D pane the wheel zooms without moving the centre.
    const rm::Vector c = p.s->viewCentre;
    p.View3D().OnMouseWheel(5, 5, 2);
    EXPECT_EQ(p.s->viewCentre.x, c.x);
    EXPECT_EQ(p.s->viewCentre.z, c.z);
}

TEST(MovedView, EveryToolMapsThePointerThroughTheMovedView) {
    Moved p;
    // A vertex at the front pane's pixel (170, 60): x = 10 + 20 / 40, y = 20 + 40 / 40.
    edit_test::SetFaces(*p.s,
                        {{{10.5f, 21.0f, 30.0f}, {9.0f, 19.0f, 30.0f}, {9.0f, 21.0f, 30.0f}}});
    // The status read-out.
    p.Front().OnMouseMove(170, 60);
    EXPECT_EQ(p.frame.statusTexts.back(), "座標(10.500000,21.000000,0)");
    // A click selects exactly the vertex under the pointer.
    p.Front().OnLButtonDown(170, 60);
    p.Front().OnLButtonUp(170, 60);
    EXPECT_EQ(p.T().selected[0][0], 1);
    EXPECT_EQ(p.T().selected[0][1], 0);
    // Move: 8 pixels right is 0.2 units.
    p.s->m_nEditMode = doc::EDIT_MOVE;
    p.Front().OnLButtonDown(170, 60);
    p.Front().OnMouseMove(178, 60);
    p.Front().OnLButtonUp(178, 60);
    EXPECT_NEAR(p.T().position[0][0].x, 10.7f, 1e-5);
    // Rotate about the anchor, which is read through the moved view: a quarter turn about
    // the vertex itself leaves it where it is.
    p.s->m_nEditMode = doc::EDIT_ROTATE;
    p.Front().OnLButtonDown(178, 60);
    p.Front().OnMouseMove(268, 60);
    p.Front().OnLButtonUp(268, 60);
    EXPECT_NEAR(p.T().position[0][0].x, 10.7f, 1e-4);
    EXPECT_NEAR(p.T().position[0][0].y, 21.0f, 1e-4);
    // Scale about the anchor at the vertex: the vertex stays too.
    p.s->m_nEditMode = doc::EDIT_SCALE;
    p.Front().OnLButtonDown(178, 60);
    p.Front().OnMouseMove(190, 60);
    p.Front().OnLButtonUp(190, 60);
    EXPECT_NEAR(p.T().position[0][0].x, 10.7f, 1e-4);
    EXPECT_NEAR(p.T().position[0][0].y, 21.0f, 1e-4);
    // Polygon points land on the model point under the pointer, the hidden axis from the
    // depth reference set in the side pane.
    p.s->m_nEditMode = doc::EDIT_POLYGON;
    p.Side().OnRButtonDown(150 + 20, 100);  // z = 30.5, y = 20
    p.Side().OnRButtonUp(170, 100);
    EXPECT_FLOAT_EQ(p.s->poly.PolyDepthRef.z, 30.5f);
    p.Front().OnLButtonDown(30, 180);  // x = 10 - 3, y = 20 - 2
    p.Front().OnLButtonUp(30, 180);
    ASSERT_EQ(p.s->poly.PolyLastPoint, 0);
    EXPECT_FLOAT_EQ(p.s->poly.PolyPoints[0].x, 7.0f);
    EXPECT_FLOAT_EQ(p.s->poly.PolyPoints[0].y, 18.0f);
    EXPECT_FLOAT_EQ(p.s->poly.PolyPoints[0].z, 30.5f);
    // Snapping finds the moved vertex where it is drawn.
    const ports::Point at =
        p.Front().Geometry().ToScreen(render::PlaneOf(PaneRole::Front, p.T().position[0][1]));
    p.Front().OnLButtonDown(at.x + 2, at.y - 1);
    p.Front().OnLButtonUp(at.x + 2, at.y - 1);
    ASSERT_EQ(p.s->poly.PolyLastPoint, 1);
    EXPECT_EQ(p.s->poly.PolyPoints[1].x, 9.0f);
}

TEST(ViewCommands, FitFitSelectionAndResetThroughTheRouter) {
    auto s = edit_test::MakeSession();
    testing_support::RecordingFrame frame;
    doc::CommandRouter router;
    views::RegisterViewCommands(*s, frame, router);
    edit_test::SetFaces(*s, {{{-62, 0, 24}, {-2, 60, 88}, {-2, 0, 24}}});
    s->model.m_pModelFrame->AddRotation(rm::COMBINE_AFTER, 0, 1, 0, 0.3f);
    ASSERT_TRUE(router.Execute(doc::ID_VIEW_FIT));
    EXPECT_FLOAT_EQ(s->viewCentre.x, -32.0f);
    EXPECT_EQ(frame.updates, 1);
    // The model's centre sits at the scene origin, in the 3D pane's view.
    const rm::Vector c = s->model.m_pModelFrame->GetTransform().TransformPoint({-32, 30, 56});
    EXPECT_NEAR(c.x, 0.0f, 1e-4);
    EXPECT_NEAR(c.z, 0.0f, 1e-4);
    // Fit selection with one corner selected centres on it.
    s->Table().selected[0][1] = 1;
    ASSERT_TRUE(router.Execute(doc::ID_VIEW_FIT_SELECTION));
    EXPECT_EQ(s->viewCentre.x, -2.0f);
    EXPECT_EQ(s->viewCentre.z, 88.0f);
    // Reset: the start view, the 3D pane unturned.
    ASSERT_TRUE(router.Execute(doc::ID_VIEW_RESET));
    EXPECT_EQ(s->ViewScale, 120.0f);
    EXPECT_EQ(s->viewCentre.x, 0.0f);
    EXPECT_EQ(s->model.m_pModelFrame->GetTransform(), rm::Matrix{});
    // Fitting an empty model changes nothing and repaints nothing.
    s->Table().faceCount = 0;
    const int updates = frame.updates;
    router.Execute(doc::ID_VIEW_FIT);
    EXPECT_EQ(frame.updates, updates);
    EXPECT_EQ(s->ViewScale, 120.0f);
}

// Every real file the program reads, opened into an empty model as a start-up or a drop
// would, is in view afterwards: inside all three panes and not a speck in them, whatever
// its size or distance from the origin. A maximised window's panes, and small ones.
TEST(ViewFit, EveryRealFileThatOpensIsInViewAfterwards) {
    const views::PaneSizes sizes[] = {{{620, 360}, {620, 360}, {620, 360}, {620, 360}},
                                      {{160, 90}, {160, 90}, {160, 90}, {160, 90}}};
    int opened = 0;
    for (const std::string& path : testing_support::RealFiles("")) {
        for (const views::PaneSizes& panes : sizes) {
            auto s = edit_test::MakeSession();
            const doc::ImportReport r = doc::ImportFile(s->model, s->Table(), path);
            if (!r.ok()) break;  // not a model file, or one the readers refuse
            SCOPED_TRACE(path);
            views::FitAfterOpen(*s, panes);
            const views::ModelBounds b = views::CornerBounds(s->Table(), false);
            ASSERT_FALSE(b.empty());
            EXPECT_FALSE(views::NeedsFit(b, panes, s->ViewScale, s->viewCentre))
                << "scale " << s->ViewScale;
            opened += &panes == &sizes[0];
        }
    }
    EXPECT_GE(opened, 72);  // the model files of the collection that open today
}

TEST(ViewCommands, CountsOfTheStatusBar) {
    auto table = std::make_unique<model::FaceTable>();
    model::FaceTable& t = *table;
    t.faceCount = 3;
    t.vertexCount[0] = 3;
    t.vertexCount[1] = 4;
    t.vertexCount[2] = 0;  // a face without corners is never fully selected
    t.poolVertexCount = 6;
    t.selected[0][0] = t.selected[0][1] = t.selected[0][2] = 1;
    t.selected[1][0] = 1;
    EXPECT_EQ(views::CountsText(t), "頂点 6  面 3  選択: 頂点 4  面 1");
}

}  // namespace
