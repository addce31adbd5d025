// The views' mouse handling: the coordinate read-out, band selection and deselection, the
// 3D pane's rotate and zoom gestures, and drags whose release never arrives.
#include "views/mdlr_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "doc/commands.h"
#include "fake_ports.h"
#include "recording_canvas.h"
#include "test_support.h"
#include "views/edit_fakes.h"

namespace {

// The four panes, each 200 x 100 (centre 100, 50), on one session.
struct Panes : edit_test::EditPanes {
    Panes() : EditPanes({200, 100}) {}
    doc::Session& session = *s;

    // One face of `corners`, appended to the model.
    int AddFace(const std::vector<rm::Vector>& corners) {
        return testing_support::AppendFace(T(), session.model, corners);
    }
    std::vector<int> Selected(int f) {
        return std::vector<int>(T().selected[f].begin(),
                                T().selected[f].begin() + T().vertexCount[f]);
    }
    // The panes repainted through the main window: "row,column", " noerase" when so.
    std::vector<std::string> Invalidated() {
        std::vector<std::string> out;
        for (const auto& i : frame.invalidations) {
            out.push_back(std::to_string(i.row) + "," + std::to_string(i.column) +
                          (i.erase ? "" : " noerase"));
        }
        return out;
    }
    const rm::Matrix& ModelTransform() { return session.model.m_pModelFrame->GetTransform(); }
};

// ---- pane roles, mapping and the status read-out ----

TEST(ViewStatus, ShowsModelCoordinatesOfThePointerPerPane) {
    Panes p;
    // 12 pixels right of and 24 above the centre, at 120 pixels per unit.
    p.Top().OnMouseMove(112, 26);
    p.Front().OnMouseMove(112, 26);
    p.Side().OnMouseMove(112, 26);
    p.View3D().OnMouseMove(112, 26);
    EXPECT_EQ(p.frame.statusTexts,
              (std::vector<std::string>{"座標(0.100000,0,0.200000)", "座標(0.100000,0.200000,0)",
                                        "座標(0,0.200000,0.100000)", ""}));
}

TEST(ViewStatus, OddWidthAndLocale) {
    Panes p;
    p.pane[0].size = {301, 101};  // centre (150, 50)
    p.Top().OnMouseMove(150, 50);
    p.Top().OnMouseMove(151, 51);
    p.Top().OnMouseMove(-150, 500);  // captured, far outside
    testing_support::ScopedLocale german("de_DE.UTF-8");
    p.Top().OnMouseMove(147, 50);
    EXPECT_EQ(
        p.frame.statusTexts,
        (std::vector<std::string>{"座標(0.000000,0,0.000000)", "座標(0.008333,0,-0.008333)",
                                  "座標(-2.500000,0,-3.750000)", "座標(-0.025000,0,0.000000)"}));
}

TEST(ViewStatus, ShownOnEveryMoveOfADrag) {
    Panes p;
    p.Front().OnLButtonDown(10, 10);
    p.Front().OnMouseMove(20, 10);
    p.Front().OnMouseMove(30, 10);
    p.Front().OnLButtonUp(30, 10);
    EXPECT_EQ(p.frame.statusTexts.size(), 3u);  // the press runs the move work once
}

TEST(ViewMapping, TruncatesTowardZeroWithSaturation) {
    const auto g = render::PaneGeometry::Of({201, 100}, 120.0f);
    EXPECT_EQ(g.cx, 100);
    EXPECT_EQ(g.ToScreen({0.004f, 0.004f}), (ports::Point{100, 50}));
    EXPECT_EQ(g.ToScreen({-0.004f, -0.004f}), (ports::Point{100, 50}));
    EXPECT_EQ(g.ToScreen({0.5f, 0.25f}), (ports::Point{160, 20}));
    EXPECT_EQ(g.ToScreen({-0.5f, -0.25f}), (ports::Point{40, 80}));
    // Far away, infinite and undefined positions stay defined pixels.
    EXPECT_EQ(g.ToScreen({1e30f, -1e30f}),
              (ports::Point{100 + render::kFarPixel, 50 + render::kFarPixel}));
    EXPECT_EQ(g.ToScreen({-INFINITY, NAN}), (ports::Point{100 - render::kFarPixel, 50}));
    EXPECT_EQ(render::TruncToInt(-2.9f), -2);
    EXPECT_EQ(render::TruncToInt(3e9f), 2147483647);
    EXPECT_EQ(render::TruncToFar(-2.9f), -2);
    EXPECT_EQ(render::TruncToFar(536870880.0f), 536870880);
    EXPECT_EQ(render::TruncToFar(-1e9f), -render::kFarPixel);
    EXPECT_EQ(render::TruncToFar(NAN), 0);
}

// ---- band selection and deselection ----

TEST(ViewSelection, AClickSelectsOnlyTheCornerOnThePressedPixel) {
    Panes p;
    const int f = p.AddFace({{0.5f, 0, 0.25f}, {0.004f, 0, -0.004f}, {-0.004f, 3, 0.004f}});
    // Top pane: (0.5, 0.25) is at (160, 20); the other two truncate to the centre.
    p.Click(p.Top(), 161, 20);
    p.Click(p.Top(), 160, 21);
    EXPECT_EQ(p.Selected(f), (std::vector<int>{0, 0, 0}));
    p.Click(p.Top(), 160, 20);
    EXPECT_EQ(p.Selected(f), (std::vector<int>{1, 0, 0}));
    p.Click(p.Top(), 100, 50);  // both, whatever their height (the hidden axis)
    EXPECT_EQ(p.Selected(f), (std::vector<int>{1, 1, 1}));
}

TEST(ViewSelection, ADragSelectsTheUnionOfItsBands) {
    Panes p;
    // Front pane (X, Y): A at (130, 38), B at (190, 44), C at (10, 10).
    const int a = p.AddFace({{0.25f, 0.1f, 0}});
    const int b = p.AddFace({{0.75f, 0.05f, 9}});
    const int c = p.AddFace({{-0.75f, 1.0f / 3, 0}});
    p.Front().OnLButtonDown(120, 30);
    EXPECT_TRUE(p.pane[2].captured);
    p.Front().OnMouseMove(195, 45);  // covers A and B
    EXPECT_EQ(p.Front().m_rcBand, (ports::Rect{120, 30, 195, 45}));
    p.Front().OnMouseMove(125, 35);  // back toward the anchor
    EXPECT_EQ(p.Front().m_rcBand, (ports::Rect{120, 30, 125, 35}));
    p.Front().OnMouseMove(100, 20);  // past it: the band turns round
    EXPECT_EQ(p.Front().m_rcBand, (ports::Rect{100, 20, 120, 30}));
    p.Front().OnLButtonUp(100, 20);
    EXPECT_FALSE(p.pane[2].captured);
    EXPECT_EQ((std::vector<int>{p.T().selected[a][0], p.T().selected[b][0], p.T().selected[c][0]}),
              (std::vector<int>{1, 1, 0}));
}

TEST(ViewSelection, TheCapturedPointerReachesCornersOutsideThePane) {
    Panes p;
    const int f = p.AddFace({{-2, 0, 0}, {0, 0, 5}});  // side pane (Z, Y): (100, 50), (700, 50)
    p.Side().OnLButtonDown(90, 40);
    p.Side().OnMouseMove(800, 60);
    p.Side().OnLButtonUp(800, 60);
    EXPECT_EQ(p.Selected(f), (std::vector<int>{1, 1}));
}

TEST(ViewSelection, EachStepRepaintsTheThreeOrthographicPanes) {
    Panes p;
    p.Top().OnLButtonDown(10, 10);  // an empty table: nothing changes, the panes repaint
    EXPECT_EQ(p.pane[0].invalidations, 1);
    EXPECT_EQ(p.Invalidated(), (std::vector<std::string>{"1,0", "1,1"}));
    p.frame.invalidations.clear();
    p.Side().OnMouseMove(5, 5, {true, false});  // not pressed here: nothing
    EXPECT_TRUE(p.frame.invalidations.empty());
    p.Top().OnLButtonUp(10, 10);
    EXPECT_EQ(p.pane[0].invalidations, 2);  // the release wipes the band
    EXPECT_TRUE(p.frame.invalidations.empty());
    // A left press in the 3D pane selects nothing and repaints no orthographic pane.
    p.Click(p.View3D(), 10, 10);
    EXPECT_TRUE(p.frame.invalidations.empty());
    EXPECT_EQ(p.pane[1].invalidations, 0);
}

TEST(ViewSelection, RightDragDeselectsInEveryTool) {
    Panes p;
    const int f = p.AddFace({{0, 0, 0}, {0.5f, 0, 0}, {-0.5f, 0, 0}});
    for (int k = 0; k < 3; ++k) p.T().selected[f][k] = 1;
    p.session.m_nEditMode = doc::EDIT_MOVE;
    p.Front().OnRButtonDown(95, 45);
    p.Front().OnMouseMove(165, 55);
    p.Front().OnRButtonUp(165, 55);
    EXPECT_EQ(p.Selected(f), (std::vector<int>{0, 0, 1}));
    p.session.m_nEditMode = doc::EDIT_POLYGON;  // the press does nothing, the drag does
    p.Front().OnRButtonDown(30, 45);
    EXPECT_EQ(p.Selected(f), (std::vector<int>{0, 0, 1}));
    p.Front().OnMouseMove(45, 55);
    EXPECT_EQ(p.Selected(f), (std::vector<int>{0, 0, 0}));
}

TEST(ViewSelection, RightDoubleClickClearsAllAndRepaintsTheThreePanes) {
    Panes p;
    const int f = p.AddFace({{1, 0, 0}, {-1, 0, 0}});
    p.T().selected[f][0] = p.T().selected[f][1] = 1;
    p.T().selected[4999][15] = 1;
    // What the window system sends for a double-click: press, release, double-click,
    // release.
    p.RightClick(p.View3D(), 100, 50);
    const double scale = p.session.ViewScale;
    p.frame.invalidations.clear();
    p.View3D().OnRButtonDblClk(100, 50);
    EXPECT_EQ(p.Invalidated(), (std::vector<std::string>{"0,0", "1,0", "1,1"}));
    EXPECT_EQ(p.session.ViewScale, scale);  // no second zoom step
    EXPECT_FALSE(p.View3D().IsDragging());
    p.View3D().OnRButtonUp(100, 50);
    EXPECT_EQ(p.Selected(f), (std::vector<int>{0, 0}));
    EXPECT_EQ(p.T().selected[4999][15], 0);
}

TEST(ViewSelection, BothButtonsShareTheCaptureAndTheBand) {
    Panes p;
    p.Top().OnLButtonDown(10, 10);
    p.Top().OnRButtonDown(50, 60);  // restarts anchor and band
    EXPECT_EQ(p.pane[0].captures, 1);
    EXPECT_EQ(p.Top().m_ptAnchor, (ports::Point{50, 60}));
    EXPECT_EQ(p.Top().m_rcBand, (ports::Rect{50, 60, 50, 60}));
    p.Top().OnLButtonUp(50, 60);
    EXPECT_TRUE(p.pane[0].captured);  // the right button still holds it
    p.Top().OnRButtonUp(50, 60);
    EXPECT_FALSE(p.pane[0].captured);
    EXPECT_EQ(p.pane[0].releases, 1);
}

// ---- painting ----

TEST(ViewDraw, BandWhileAButtonIsHeldOutsidePolygonCreation) {
    Panes p;
    auto drawn = [&] {
        testing_support::RecordingCanvas canvas;
        p.Top().OnDraw(canvas);
        return canvas.calls;
    };
    auto hasBand = [](const std::vector<std::string>& calls) {
        return std::find(calls.begin(), calls.end(), "pen solid 2 ffff00") != calls.end();
    };
    p.Top().OnLButtonDown(10, 10);
    p.Top().OnMouseMove(30, 40);
    const auto during = drawn();
    EXPECT_TRUE(hasBand(during));
    EXPECT_EQ(during[during.size() - 6], "move 10,10");
    EXPECT_EQ(during[during.size() - 5], "line 10,40");
    p.Top().OnLButtonUp(30, 40);
    EXPECT_FALSE(hasBand(drawn()));
    p.session.m_nEditMode = doc::EDIT_POLYGON;
    p.Top().OnRButtonDown(10, 10);
    EXPECT_FALSE(hasBand(drawn()));
    // The 3D pane draws nothing itself.
    testing_support::RecordingCanvas canvas;
    p.View3D().OnDraw(canvas);
    EXPECT_TRUE(canvas.calls.empty());
}

// ---- the 3D pane's gestures ----

TEST(ViewZoom, RightDragInThe3DPaneZoomsAllPanesByHowFarThePointerWent) {
    Panes p;
    p.View3D().OnRButtonDown(50, 50);  // a press alone zooms nothing
    p.View3D().OnMouseMove(50, 80);    // nor does vertical travel
    EXPECT_EQ(p.session.ViewScale, 120.0f);
    EXPECT_TRUE(p.Invalidated().empty());
    p.View3D().OnMouseMove(50 + views::kZoomPixelsPerStep, 80);  // one step in, in one message
    // The factors are the exact floats 1.11111 in and 0.9 out.
    EXPECT_EQ(p.session.ViewScale, 120.0f * 1.11111f);
    EXPECT_EQ(p.ModelTransform(), rm::Matrix::Scaling(1.11111f, 1.11111f, 1.11111f));
    EXPECT_EQ(p.Invalidated(), (std::vector<std::string>{"0,0", "1,0", "1,1"}));
    // The same distance in one-pixel messages is the same single step.
    int x = 50 + views::kZoomPixelsPerStep;
    for (int i = 0; i < views::kZoomPixelsPerStep - 1; ++i) p.View3D().OnMouseMove(++x, 80);
    EXPECT_EQ(p.session.ViewScale, 120.0f * 1.11111f);
    p.View3D().OnMouseMove(++x, 80);
    EXPECT_EQ(p.session.ViewScale, 120.0f * 1.11111f * 1.11111f);
    // Two and a half steps to the left in one message: two out, the half kept for later.
    x -= views::kZoomPixelsPerStep * 5 / 2;
    p.View3D().OnMouseMove(x, 80);
    EXPECT_EQ(p.session.ViewScale, 120.0f * 1.11111f * 1.11111f * 0.9f * 0.9f);
    x -= views::kZoomPixelsPerStep / 2;
    p.View3D().OnMouseMove(x, 80);
    p.View3D().OnRButtonUp(x, 80);
    EXPECT_EQ(p.session.ViewScale, 120.0f * 1.11111f * 1.11111f * 0.9f * 0.9f * 0.9f);
    EXPECT_NE(p.session.ViewScale, 120.0f * 0.9f);  // 0.9 x 1.11111 is not 1
    EXPECT_EQ(p.pane[1].invalidations, 0);          // the release repaints only orthographic panes
}

TEST(ViewZoom, TravelLeftOverFromOneDragIsNotCarriedIntoTheNext) {
    Panes p;
    p.View3D().OnRButtonDown(0, 0);
    p.View3D().OnMouseMove(views::kZoomPixelsPerStep - 1, 0);
    p.View3D().OnRButtonUp(views::kZoomPixelsPerStep - 1, 0);
    p.View3D().OnRButtonDown(0, 0);
    p.View3D().OnMouseMove(1, 0);
    EXPECT_EQ(p.session.ViewScale, 120.0f);
}

TEST(ViewZoom, PolygonCreationPressDoesNotZoomButItsDragDoes) {
    Panes p;
    p.session.m_nEditMode = doc::EDIT_POLYGON;
    p.View3D().OnRButtonDown(50, 50);
    EXPECT_EQ(p.session.ViewScale, 120.0f);
    p.View3D().OnMouseMove(50 - views::kZoomPixelsPerStep, 50);
    EXPECT_EQ(p.session.ViewScale, 120.0f * 0.9f);
    EXPECT_NEAR(p.ModelTransform().m[0][0], 0.9f, 1e-7f);
}

TEST(ViewZoom, ScaleStaysWithinItsBounds) {
    Panes p;
    const int step = views::kZoomPixelsPerStep;
    p.View3D().OnRButtonDown(0, 0);
    for (int i = 1; i <= 1000; ++i) p.View3D().OnMouseMove(i * step, 0);  // 1000 steps in
    const float top = p.session.ViewScale;
    EXPECT_LE(top, views::kMaxViewScale);
    EXPECT_GT(top * views::kZoomIn, views::kMaxViewScale);
    const rm::Matrix atTop = p.ModelTransform();
    p.View3D().OnMouseMove(1001 * step, 0);  // at the bound: nothing changes
    EXPECT_EQ(p.session.ViewScale, top);
    EXPECT_EQ(p.ModelTransform(), atTop);
    // Travel past the bound is dropped: one step back is one step out at once.
    p.View3D().OnMouseMove(1000 * step, 0);
    EXPECT_EQ(p.session.ViewScale, top * views::kZoomOut);
    p.View3D().OnMouseMove(-3000 * step, 0);  // 4000 steps out in one message
    const float bottom = p.session.ViewScale;
    EXPECT_GE(bottom, views::kMinViewScale);
    EXPECT_LT(bottom * views::kZoomOut, views::kMinViewScale);
    EXPECT_TRUE(std::isfinite(p.ModelTransform().m[0][0]));
    EXPECT_GT(p.ModelTransform().m[0][0], 0.0f);
    p.View3D().OnRButtonUp(-3000 * step, 0);
    // The mapping stays finite at both ends.
    p.Top().OnMouseMove(199, 0);
    EXPECT_EQ(p.frame.statusTexts.back().find("inf"), std::string::npos);
}

TEST(ViewRotate, LeftDragInThe3DPaneTurnsTheModelFrame) {
    Panes p;
    p.session.m_nEditMode = doc::EDIT_MOVE;  // any tool
    const int f = p.AddFace({{0.5f, 0.5f, 0.5f}});
    p.T().selected[f][0] = 1;
    p.View3D().OnLButtonDown(100, 100);
    EXPECT_EQ(p.ModelTransform(), rm::Matrix{});  // a press turns by 0
    p.View3D().OnMouseMove(110, 100);             // right: about Y by -0.2
    auto expectNear = [&](const rm::Matrix& want) {
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                EXPECT_NEAR(p.ModelTransform().m[r][c], want.m[r][c], 1e-6f) << r << c;
            }
        }
    };
    const rm::Matrix want = rm::Matrix::Rotation(0, 1, 0, -0.2f);  // 0.02 per pixel
    expectNear(want);
    p.View3D().OnMouseMove(110, 90);  // up: about X by +0.2, after the first turn
    expectNear(want * rm::Matrix::Rotation(1, 0, 0, 0.2f));
    const rm::MeshBuilderPtr mesh = p.session.model.m_pMesh;
    p.View3D().OnLButtonUp(110, 90);
    // A view turn, not an edit: no corner moved, no orthographic pane repainted, no rebuild.
    EXPECT_EQ(p.T().position[f][0], (rm::Vector{0.5f, 0.5f, 0.5f}));
    EXPECT_TRUE(p.frame.invalidations.empty());
    EXPECT_EQ(p.session.model.m_pMesh, mesh);
}

// ---- releases ----

// A release that never arrives (a dialog opened during the drag, the grab lost, focus
// taken away) does not leave the button stuck.
TEST(ViewRelease, AMissedReleaseEndsTheDrag) {
    Panes p;
    const int f = p.AddFace({{0.5f, 0, 0}});  // top pane (160, 50)
    p.Top().OnLButtonDown(10, 10);
    p.Top().OnMouseMove(150, 60, {false, false});  // the button is up already
    EXPECT_FALSE(p.Top().IsDragging());
    EXPECT_FALSE(p.pane[0].captured);
    p.Top().OnMouseMove(170, 70, {false, false});
    EXPECT_EQ(p.T().selected[f][0], 0);  // the later moves select nothing

    p.Top().OnRButtonDown(10, 10);
    p.Top().OnCaptureLost();
    EXPECT_FALSE(p.Top().IsDragging());
    EXPECT_FALSE(p.pane[0].captured);

    // A second press of a held button: the first one's release is run first, so the
    // capture is taken again.
    p.Top().OnLButtonDown(10, 10);
    p.pane[0].captured = false;  // lost to another window
    p.Top().OnLButtonDown(20, 20);
    EXPECT_TRUE(p.pane[0].captured);
    EXPECT_EQ(p.pane[0].releases, p.pane[0].captures - 1);
    p.Top().OnLButtonUp(20, 20);

    p.session.m_nEditMode = doc::EDIT_MOVE;
    const rm::MeshBuilderPtr before = p.session.model.m_pMesh;
    p.Top().OnLButtonDown(10, 10);
    p.Top().OnKillFocus();
    EXPECT_FALSE(p.Top().IsDragging());
    EXPECT_NE(p.session.model.m_pMesh, before);  // the transform was committed
}

TEST(ViewRelease, ACommandDuringADragEndsItFirst) {
    Panes p;
    doc::CommandRouter router;
    router.SetPrelude([&] {
        for (auto& v : p.view) v->EndDrag();
    });
    bool draggingInCut = true;
    router.On(doc::ID_EDIT_CUT, [&] { draggingInCut = p.Top().IsDragging(); });
    p.Top().OnLButtonDown(10, 10);
    router.Execute(doc::ID_EDIT_CUT);  // Ctrl+X while the button is held
    EXPECT_FALSE(draggingInCut);
    EXPECT_FALSE(p.pane[0].captured);
}

}  // namespace
