// The About box on the offscreen platform: its size from the dialog font, the link colours
// as the pointer moves over a link and off it, a click that the desktop cannot open, and a
// picture of the box.
#include "dialogs/about_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "dialogs/link_static.h"
#include "doc/texts.h"
#include "fake_ports.h"

namespace {

using doc::AboutDialog;
using testing_support::ScriptedOpener;

class AboutBox : public ::testing::Test {
  protected:
    AboutBox() : model(opener, ui), dlg(model) {
        dlg.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    }
    ScriptedOpener opener;
    testing_support::ScriptedUi ui;
    AboutDialog model;
    dialogs::CAboutDlg dlg;
};

TEST_F(AboutBox, IsLaidOutInDialogUnitsOfItsFont) {
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Kestriluneのﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(dlg.font().family(), QStringLiteral("IPAPGothic"));
    const doc::DialogBaseUnits u = dlg.BaseUnits();
    // A 9-point Japanese proportional font at 96 dots per inch: 12-pixel lines, letters
    // about 5 to 7 pixels wide.
    EXPECT_GE(u.cy, 11);
    EXPECT_LE(u.cy, 14);
    EXPECT_GE(u.cx, 5);
    EXPECT_LE(u.cx, 7);
    EXPECT_EQ(dlg.width(), doc::MulDiv(234, u.cx, 4));
    EXPECT_EQ(dlg.height(), doc::MulDiv(73, u.cy, 8));

    const auto* ok = dlg.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->geometry(), QRect(doc::MulDiv(177, u.cx, 4), doc::MulDiv(7, u.cy, 8),
                                    doc::MulDiv(50, u.cx, 4), doc::MulDiv(14, u.cy, 8)));
    bool version = false;
    for (const QLabel* l : dlg.findChildren<QLabel*>())
        version = version || l->text().toStdString() == "Kestrilune Version 1.0";
    EXPECT_TRUE(version);

    // The links are shrunk to their text, underlined, with the target as tool tip.
    for (int id : {AboutDialog::IDC_WEB, AboutDialog::IDC_MAIL}) {
        const dialogs::CLinkStatic* link = dlg.Link(id);
        ASSERT_NE(link, nullptr);
        const QFontMetrics fm(link->font());
        EXPECT_EQ(link->width(), fm.horizontalAdvance(link->text()));
        EXPECT_EQ(link->height(), fm.height());
        EXPECT_EQ(link->x(), doc::MulDiv(40, u.cx, 4));
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->toolTip(), link->text());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_EQ(dlg.Link(AboutDialog::IDC_WEB)->text().toStdString(), doc::text::kAboutWebTarget);

    // A picture for a person to look at, when asked for.
    const QByteArray shot = qgetenv("KESTRILUNE_ABOUT_SHOT");
    if (!shot.isEmpty()) {
        EXPECT_TRUE(dlg.grab().save(QString::fromLocal8Bit(shot)));
    }
}

TEST_F(AboutBox, PointerOverALinkTurnsItHighlightAndOffRestoresIt) {
    dialogs::CLinkStatic* web = dlg.Link(AboutDialog::IDC_WEB);
    const QColor link(0, 0, 238), visited(85, 26, 139);
    const QColor highlight = web->palette().color(QPalette::Active, QPalette::Highlight);
    ASSERT_NE(highlight, link);
    EXPECT_EQ(web->TextColor(), link);
    EXPECT_EQ(web->palette().color(QPalette::WindowText), link);

    QTest::mouseMove(&dlg, web->geometry().center());
    EXPECT_EQ(web->TextColor(), highlight);
    EXPECT_EQ(web->palette().color(QPalette::WindowText), highlight);
    EXPECT_EQ(dlg.Link(AboutDialog::IDC_MAIL)->TextColor(), link);  // the other one stays

    QTest::mouseMove(&dlg, QPoint(5, dlg.height() - 3));
    EXPECT_EQ(web->TextColor(), link);

    // A successful open: visited from now on, highlight while the pointer is over it.
    QTest::mouseMove(&dlg, web->geometry().center());
    QTest::mouseClick(web, Qt::LeftButton, {}, web->rect().center());
    EXPECT_EQ(opener.urls, (std::vector<std::string>{std::string(doc::text::kAboutWebTarget)}));
    EXPECT_EQ(web->TextColor(), highlight);
    QTest::mouseMove(&dlg, QPoint(5, dlg.height() - 3));
    EXPECT_EQ(web->TextColor(), visited);
    EXPECT_EQ(web->palette().color(QPalette::WindowText), visited);
}

TEST_F(AboutBox, AMailLinkTheDesktopCannotOpenBeepsAndExplains) {
    opener.result = ports::OPEN_NO_ASSOCIATION;
    dialogs::CLinkStatic* mail = dlg.Link(AboutDialog::IDC_MAIL);
    QTest::mouseClick(mail, Qt::LeftButton, {}, mail->rect().center());
    EXPECT_EQ(opener.urls, (std::vector<std::string>{"mailto:kestrilune@example.org"}));
    EXPECT_EQ(ui.beeps, 1);  // the message's text is the core's, pinned in doc/about_test
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(mail->TextColor(), QColor(0, 0, 238));
}

}  // namespace
