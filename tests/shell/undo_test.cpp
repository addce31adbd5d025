// Undo and redo in the real main window: a move drag in a pane, Ctrl+Z and Ctrl+Y, the
// title's modified mark, and closing a modified window with each answer of the question.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/mdlr_app.h"
#include "doc/commands.h"
#include "doc/edit_path.h"
#include "frame/main_frame.h"
#include "frame/pane_widget.h"
#include "test_support.h"

namespace {

// Answers the save question that the next modal message box asks with `button`, and
// remembers its text.
void AnswerSaveQuestion(QMessageBox::StandardButton button, QString* text) {
    QTimer::singleShot(50, [button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        *text = box->text();
        box->button(button)->click();
    });
}

TEST(UndoInTheWindow, DragCtrlZCtrlYTheMarkAndCloseCancelled) {
    app::CMdlrApp theApp;
    theApp.InitInstance({});
    QTest::qWait(20);
    frame::CMainFrame& f = theApp.MainFrame();
    doc::Session& s = theApp.Session();
    model::FaceTable& t = s.Table();
    testing_support::ModelBuilder().FaceAt({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}).Into(s.model, t);
    doc::EditPath(s, f).Reset();  // the triangle is the unmodified start
    t.selected[0][1] = 1;
    EXPECT_FALSE(f.isWindowModified());

    f.RunCommand(doc::ID_TOOL_MOVE);
    frame::CPaneWidget* front = f.Pane(1, 0);
    const QPoint c(front->width() / 2, front->height() / 2);
    QTest::mousePress(front, Qt::LeftButton, {}, c);
    for (int i = 1; i <= 4; ++i) {  // one drag of four moves is one step
        const QPoint at = c + QPoint(3 * i, -6 * i);
        QMouseEvent move(QEvent::MouseMove, QPointF(at), front->mapToGlobal(QPointF(at)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(front, &move);
    }
    QTest::mouseRelease(front, Qt::LeftButton, {}, c + QPoint(12, -24));
    const rm::Vector moved = t.position[0][1];
    EXPECT_FLOAT_EQ(moved.x, 1.0f + 12.0f / s.ViewScale);
    EXPECT_TRUE(f.isWindowModified());
    EXPECT_TRUE(f.Action(doc::ID_UNDO_POINT)->isEnabled());
    EXPECT_FALSE(f.Action(doc::ID_EDIT_REDO)->isEnabled());

    QTest::keyClick(&f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(t.position[0][1], (rm::Vector{1, 0, 0}));
    EXPECT_EQ(t.selected[0][1], 1);
    EXPECT_FALSE(f.isWindowModified());
    rm::Vector p;
    s.model.m_pMesh->GetFace(0).GetVertex(1, &p, nullptr);
    EXPECT_EQ(p, (rm::Vector{1, 0, 0}));
    EXPECT_TRUE(f.Action(doc::ID_EDIT_REDO)->isEnabled());
    EXPECT_EQ(f.Action(doc::ID_EDIT_REDO)->statusTip(),
              QStringLiteral("元に戻した操作「移動」をやり直します"));

    QTest::keyClick(&f, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(t.position[0][1], moved);
    EXPECT_TRUE(f.isWindowModified());
    QTest::keyClick(&f, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // redo: nothing left
    EXPECT_EQ(t.position[0][1], moved);

    // Closing asks; Cancel keeps the window and the model.
    QString asked;
    AnswerSaveQuestion(QMessageBox::Cancel, &asked);
    EXPECT_FALSE(f.close());
    EXPECT_EQ(asked, QStringLiteral("無題への変更を保存しますか？"));
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(t.position[0][1], moved);
    // 保存しない closes it.
    asked.clear();
    AnswerSaveQuestion(QMessageBox::Discard, &asked);
    EXPECT_TRUE(f.close());
    EXPECT_FALSE(asked.isEmpty());
}

}  // namespace
