// Editing in the real main window: the numeric transform dialogs with Qt (layout from the
// core's data, a refused OK, the numeric-input command with a user at the dialog), and a
// move drag and a polygon driven through the panes with QTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/mdlr_app.h"
#include "dialogs/numeric_dialogs.h"
#include "doc/commands.h"
#include "fake_ports.h"
#include "frame/main_frame.h"
#include "frame/pane_widget.h"
#include "frame/qt_ui.h"
#include "test_support.h"

namespace {

using frame::Q;

QPushButton* ButtonWithText(QWidget& w, const QString& text) {
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (b->text() == text) return b;
    }
    return nullptr;
}

// Puts one triangle into the table and the mesh: (0, 0, 0), (1, 0, 0), (0, 1, 0).
void OneTriangle(doc::Session& s) {
    testing_support::ModelBuilder()
        .FaceAt({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})
        .Into(s.model, s.Table());
}

TEST(NumericDialogWindow, ShowsTheFieldsAndKeepsARefusedOkOpen) {
    testing_support::ScriptedUi ui;
    views::CScaleDlg data;
    dialogs::CNumericDialog window(data, ui, nullptr);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("拡大縮小"));
    EXPECT_EQ(window.Edit(0)->text(), QStringLiteral("0"));
    EXPECT_EQ(window.Edit(3)->text(), QStringLiteral("100"));
    QStringList groups;
    for (QGroupBox* g : window.findChildren<QGroupBox*>()) groups << g->title();
    EXPECT_EQ(groups, (QStringList{QStringLiteral("中心点"), QStringLiteral("拡大率")}));
    ASSERT_NE(ButtonWithText(window, QStringLiteral("OK")), nullptr);
    ASSERT_NE(ButtonWithText(window, QStringLiteral("ｷｬﾝｾﾙ")), nullptr);

    window.show();
    window.Edit(3)->setText(QStringLiteral("1e39"));
    QTest::mouseClick(ButtonWithText(window, QStringLiteral("OK")), Qt::LeftButton);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(ui.messages.size(), 1u);  // the text is the core's, pinned in its tests
    EXPECT_EQ(window.focusWidget(), window.Edit(3));
    EXPECT_EQ(window.Edit(3)->selectedText(), QStringLiteral("1e39"));

    window.Edit(3)->setText(QStringLiteral("50"));
    QTest::mouseClick(ButtonWithText(window, QStringLiteral("OK")), Qt::LeftButton);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(data.m_fRate, 50.0f);
}

TEST(NumericDialogWindow, RotateHasTheAxisButtonsBeforeTheAngle) {
    testing_support::ScriptedUi ui;
    views::CRotateDlg data;
    dialogs::CNumericDialog window(data, ui, nullptr);
    ASSERT_EQ(window.AxisButtons().size(), 3u);
    EXPECT_EQ(window.AxisButtons()[0]->text(), QStringLiteral("X軸"));
    EXPECT_TRUE(window.AxisButtons()[0]->isChecked());
    QStringList groups;
    for (QGroupBox* g : window.findChildren<QGroupBox*>()) groups << g->title();
    EXPECT_EQ(groups, (QStringList{QStringLiteral("中心点"), QStringLiteral("回転軸"),
                                   QStringLiteral("回転角度")}));
    window.AxisButtons()[2]->setChecked(true);
    window.Edit(3)->setText(QStringLiteral("-45.5"));
    window.accept();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(data.m_nAxis, 2);
    EXPECT_EQ(data.m_dAngle, -45.5);
}

TEST(NumericDialogWindow, TheNumericInputCommandMovesTheSelectedCorners) {
    app::CMdlrApp theApp;
    theApp.InitInstance({});
    QTest::qWait(20);
    doc::Session& s = theApp.Session();
    OneTriangle(s);
    model::FaceTable& t = s.Table();
    t.selected[0][1] = 1;
    theApp.MainFrame().RunCommand(doc::ID_TOOL_MOVE);

    bool seen = false;
    QTimer::singleShot(50, [&] {
        auto* window = qobject_cast<dialogs::CNumericDialog*>(QApplication::activeModalWidget());
        if (!window) return;
        seen = window->windowTitle() == QStringLiteral("頂点移動");
        window->Edit(0)->setText(QStringLiteral("0.5"));
        window->Edit(2)->setText(QStringLiteral("-2"));
        window->accept();
    });
    theApp.MainFrame().RunCommand(doc::ID_NUMERIC_INPUT);
    EXPECT_TRUE(seen);
    EXPECT_EQ(t.position[0][1], (rm::Vector{1.5f, 0, -2}));
    EXPECT_EQ(t.position[0][0], (rm::Vector{0, 0, 0}));
    rm::Vector p;
    s.model.m_pMesh->GetFace(0).GetVertex(1, &p, nullptr);
    EXPECT_EQ(p, (rm::Vector{1.5f, 0, -2}));
}

TEST(EditInThePanes, AMoveDragAndAPolygonOfThreeClicksAndEnter) {
    app::CMdlrApp theApp;
    theApp.InitInstance({});
    QTest::qWait(20);
    frame::CMainFrame& f = theApp.MainFrame();
    doc::Session& s = theApp.Session();
    OneTriangle(s);
    s.Table().selected[0][1] = 1;

    // Move: 12 pixels right and 24 up in the front pane.
    f.RunCommand(doc::ID_TOOL_MOVE);
    frame::CPaneWidget* front = f.Pane(1, 0);
    const QPoint c(front->width() / 2, front->height() / 2);
    QTest::mousePress(front, Qt::LeftButton, {}, c);
    QMouseEvent move(QEvent::MouseMove, QPointF(c + QPoint(12, -24)),
                     front->mapToGlobal(QPointF(c + QPoint(12, -24))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(front, &move);
    QTest::mouseRelease(front, Qt::LeftButton, {}, c + QPoint(12, -24));
    const float scale = s.ViewScale;
    EXPECT_FLOAT_EQ(s.Table().position[0][1].x, 1.0f + 12.0f / scale);
    EXPECT_FLOAT_EQ(s.Table().position[0][1].y, 24.0f / scale);
    rm::Vector p;
    s.model.m_pMesh->GetFace(0).GetVertex(1, &p, nullptr);
    EXPECT_EQ(p, s.Table().position[0][1]);

    // A polygon in the top pane: the first point on corner 0, two new ones.
    f.RunCommand(doc::ID_TOOL_POLYGON);
    frame::CPaneWidget* top = f.Pane(0, 0);
    const QPoint t(top->width() / 2, top->height() / 2);
    // No point yet: undo would take back the drag, and its prompt says so.
    EXPECT_TRUE(f.Action(doc::ID_UNDO_POINT)->isEnabled());
    EXPECT_EQ(f.Action(doc::ID_UNDO_POINT)->statusTip(),
              QStringLiteral("直前の操作「移動」を元に戻します"));
    QTest::mouseClick(top, Qt::LeftButton, {}, t + QPoint(2, -1));
    EXPECT_TRUE(f.Action(doc::ID_UNDO_POINT)->isEnabled());
    EXPECT_EQ(f.Action(doc::ID_UNDO_POINT)->statusTip(),
              QStringLiteral("ﾎﾟﾘｺﾞﾝ作成時、最後に作成したﾎﾟｲﾝﾄを消す"));
    QTest::mouseClick(top, Qt::LeftButton, {}, t + QPoint(-60, 0));
    QTest::mouseClick(top, Qt::LeftButton, {}, t + QPoint(0, -60));
    EXPECT_EQ(s.poly.PointCount(), 3);
    top->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(top, Qt::Key_Enter);  // the keypad's Enter
    EXPECT_EQ(s.poly.PointCount(), 0);
    EXPECT_EQ(f.Action(doc::ID_UNDO_POINT)->statusTip(),
              QStringLiteral("直前の操作「ﾎﾟﾘｺﾞﾝ作成」を元に戻します"));
    const model::FaceTable& table = s.Table();
    ASSERT_EQ(table.faceCount, 2);
    EXPECT_EQ(table.vertexIndex[1][0], 0);
    EXPECT_EQ(table.vertexIndex[1][1], 3);
    EXPECT_FLOAT_EQ(table.position[1][1].x, -60.0f / scale);
    EXPECT_FLOAT_EQ(table.position[1][2].z, 60.0f / scale);
    EXPECT_EQ(s.model.m_pMesh->GetFaceCount(), 2);

    // Ctrl+Z takes back a point.
    QTest::mouseClick(top, Qt::LeftButton, {}, t + QPoint(30, 30));
    QTest::keyClick(&f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.poly.PointCount(), 0);
}

}  // namespace
