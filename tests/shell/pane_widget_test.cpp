// A real pane of the main window driven with mouse events: band selection, the status
// read-out, the picture, a right double-click, a lost release and Cut from the keyboard.
#include "frame/pane_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>

#include "app/mdlr_app.h"
#include "frame/main_frame.h"
#include "frame/qt_ui.h"
#include "render/ortho_draw.h"
#include "test_support.h"

namespace {

using testing_support::SelectedCorners;

struct PaneApp : ::testing::Test {
    app::CMdlrApp theApp;

    PaneApp() {
        app::StartOptions o;
        o.files = {std::string(KESTRILUNE_SAMPLES) + "/cube.mqo"};
        theApp.InitInstance(o);
        QTest::qWait(50);
    }
    frame::CMainFrame& Frame() { return theApp.MainFrame(); }
    frame::CPaneWidget& Pane(int row, int column) { return *Frame().Pane(row, column); }
    model::FaceTable& T() { return theApp.Session().Table(); }
    QString Status() { return Frame().statusBar()->currentMessage(); }

    // Where the top pane shows corner k of face f.
    QPoint TopPixel(int f, int k) {
        const auto g = Pane(0, 0).View().Geometry();
        const ports::Point s =
            g.ToScreen(render::PlaneOf(render::PaneRole::Top, T().position[f][k]));
        return {s.x, s.y};
    }
    // The smallest rectangle of the top pane around every corner.
    QRect TopBounds() {
        QRect r(TopPixel(0, 0), QSize(1, 1));
        for (int f = 0; f < T().faceCount; ++f) {
            for (int k = 0; k < T().vertexCount[f]; ++k) r |= QRect(TopPixel(f, k), QSize(1, 1));
        }
        return r;
    }
};

void Send(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}
void Press(QWidget& w, QPoint at, Qt::MouseButton b) {
    Send(w, QEvent::MouseButtonPress, at, b, b);
}
void Move(QWidget& w, QPoint at, Qt::MouseButtons held) {
    Send(w, QEvent::MouseMove, at, Qt::NoButton, held);
}
void Release(QWidget& w, QPoint at, Qt::MouseButton b) {
    Send(w, QEvent::MouseButtonRelease, at, b, Qt::NoButton);
}

TEST_F(PaneApp, LeftBandSelectsAndThePaneShowsIt) {
    ASSERT_EQ(T().faceCount, 6);
    frame::CPaneWidget& top = Pane(0, 0);
    ASSERT_TRUE(top.View().IsOrthographic());
    const QRect box = TopBounds().adjusted(-6, -6, 6, 6);
    ASSERT_TRUE(top.rect().contains(box)) << "the cube fits the pane";

    Press(top, box.topLeft(), Qt::LeftButton);
    Move(top, box.center(), Qt::LeftButton);
    Move(top, box.bottomRight(), Qt::LeftButton);
    // The read-out follows the pointer during the drag.
    const auto g = top.View().Geometry();
    const render::PlanePoint m = g.ToModel(box.right(), box.bottom());
    EXPECT_EQ(Status(), frame::Q(views::StatusText(render::PaneRole::Top, m)));
    // Mid-drag picture: the yellow band.
    top.repaint();
    // (Off the horizontal axis, which runs through the cube's centre.)
    const QPoint onBand(box.left(), box.center().y() + 10);
    EXPECT_EQ(top.Image().pixel(onBand) & 0xFFFFFF, 0xFFFF00u);
    Release(top, box.bottomRight(), Qt::LeftButton);
    EXPECT_EQ(SelectedCorners(T()), 24);
    EXPECT_FALSE(top.HasCapture());

    // After the release: no band, red marks at the corners, the other panes too.
    top.repaint();
    const QPoint c = TopPixel(0, 0);
    EXPECT_EQ(top.Image().pixel(c.x() - 2, c.y() - 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(top.Image().pixel(onBand) & 0xFFFFFF, 0xFFFFFFu);
    frame::CPaneWidget& front = Pane(1, 0);
    front.repaint();
    const ports::Point fc = front.View().Geometry().ToScreen(
        render::PlaneOf(render::PaneRole::Front, T().position[0][0]));
    EXPECT_EQ(front.Image().pixel(fc.x - 2, fc.y - 2) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(PaneApp, RightDoubleClickClearsAndCutDeletesFromTheKeyboard) {
    frame::CPaneWidget& top = Pane(0, 0);
    Frame().RunCommand(doc::ID_SELECT_INVERT);
    ASSERT_EQ(SelectedCorners(T()), 24);
    // Away from the cube, so the first click's deselection step hits nothing.
    const QPoint away(3, 3);
    Press(top, away, Qt::RightButton);
    Release(top, away, Qt::RightButton);
    ASSERT_EQ(SelectedCorners(T()), 24);
    Send(top, QEvent::MouseButtonDblClick, away, Qt::RightButton, Qt::RightButton);
    Release(top, away, Qt::RightButton);
    EXPECT_EQ(SelectedCorners(T()), 0);

    Frame().RunCommand(doc::ID_SELECT_INVERT);
    // Ctrl+X in the middle of a drag: the drag ends first, then every face goes.
    Press(top, away, Qt::LeftButton);
    QTest::keyClick(&top, Qt::Key_X, Qt::ControlModifier);
    EXPECT_FALSE(top.View().IsDragging());
    EXPECT_FALSE(top.HasCapture());
    EXPECT_EQ(T().faceCount, 0);
}

TEST_F(PaneApp, AReleaseThatNeverCameEndsTheDragAtTheNextMove) {
    frame::CPaneWidget& front = Pane(1, 0);
    Press(front, {10, 10}, Qt::LeftButton);
    EXPECT_TRUE(front.HasCapture());
    Move(front, {200, 200}, Qt::NoButton);  // the release went to a dialog
    EXPECT_FALSE(front.View().IsDragging());
    EXPECT_FALSE(front.HasCapture());
    EXPECT_EQ(SelectedCorners(T()), 0);
}

TEST_F(PaneApp, RightDragInThe3DPaneZoomsAndItsReadOutIsEmpty) {
    frame::CPaneWidget& pane3d = Pane(0, 1);
    const float before = theApp.Session().ViewScale;
    Press(pane3d, {50, 50}, Qt::RightButton);
    Move(pane3d, {50 + 2 * views::kZoomPixelsPerStep, 50}, Qt::RightButton);
    Release(pane3d, {50 + 2 * views::kZoomPixelsPerStep, 50}, Qt::RightButton);
    EXPECT_EQ(theApp.Session().ViewScale, before * views::kZoomIn * views::kZoomIn);
    EXPECT_TRUE(Status().isEmpty());
}

}  // namespace
