// The numeric transform dialogs with Qt: layout from the core's data, a refused OK, and
// the numeric-input command of the real main window with a user at the dialog.
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
#include "frame/qt_ui.h"

namespace {

using frame::Q;

QPushButton* ButtonWithText(QWidget& w, const QString& text) {
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (b->text() == text) return b;
    }
    return nullptr;
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
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "数値を入力してください。");
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
    model::FaceTable& t = s.Table();
    t.faceCount = 1;
    t.vertexCount[0] = 3;
    t.position[0][0] = {0, 0, 0};
    t.position[0][1] = {1, 0, 0};
    t.position[0][2] = {0, 1, 0};
    for (int k = 0; k < 3; ++k) t.vertexIndex[0][k] = k;
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

}  // namespace
