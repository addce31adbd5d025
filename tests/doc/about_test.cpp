#include "doc/about.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc/commands.h"
#include "doc/texts.h"
#include "fake_ports.h"
#include "test_support.h"

namespace {

using doc::AboutDialog;
using doc::LinkStatic;
using doc::MakeColorRef;
using testing_support::ScriptedOpener;
using testing_support::ScriptedUi;

constexpr doc::ColorRef kHighlight = MakeColorRef(51, 153, 255);

LinkStatic MakeLink(const std::string& text) {
    LinkStatic link;
    link.m_crHover = kHighlight;
    link.Attach(text);
    return link;
}

TEST(LinkStatic, AttachTakesTheTextAsTargetAndShowsTheTargetWhenTextIsEmpty) {
    LinkStatic a;
    EXPECT_EQ(a.Attach("https://example.org/"), "https://example.org/");
    EXPECT_EQ(a.m_strTarget, "https://example.org/");

    LinkStatic b;
    b.m_strTarget = "https://example.org/page";
    EXPECT_EQ(b.Attach("our page"), "our page");
    EXPECT_EQ(b.m_strTarget, "https://example.org/page");  // a set target stays

    LinkStatic c;
    c.m_strTarget = "me@example.org";
    EXPECT_EQ(c.Attach(""), "me@example.org");
}

TEST(LinkStatic, HoverTurnsHighlightAndLeavingRestoresLinkOrVisitedColour) {
    ScriptedOpener opener;
    ScriptedUi ui;
    LinkStatic link = MakeLink("https://example.org/");

    EXPECT_EQ(link.OnMouseMove(true), LinkStatic::HoverChange::Entered);
    EXPECT_EQ(link.TextColor(), kHighlight);
    EXPECT_EQ(link.OnMouseMove(true), LinkStatic::HoverChange::None);  // still inside
    EXPECT_EQ(link.OnMouseMove(false), LinkStatic::HoverChange::Left);
    EXPECT_EQ(link.TextColor(), MakeColorRef(0, 0, 238));
    EXPECT_EQ(link.OnMouseMove(false), LinkStatic::HoverChange::None);  // already out

    link.OnMouseMove(true);
    EXPECT_TRUE(link.OnClicked(opener, ui));
    EXPECT_EQ(link.TextColor(), kHighlight);  // hover wins over visited
    link.OnMouseMove(false);
    EXPECT_EQ(link.TextColor(), MakeColorRef(85, 26, 139));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.beeps, 0);
}

TEST(LinkStatic, FailedOpenBeepsThenExplainsTheCodeAndStaysUnvisited) {
    struct Case {
        int code;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {31, "There is no application associated\nwith the given filename extension."},
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {26, "A sharing violation occurred. "},
        {32, "The specified dynamic-link library was not found."},  // 32 is not above 32
        {7, "Unknown Error (7) occurred."},
        {-5, "Unknown Error (-5) occurred."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ScriptedOpener opener;
        opener.result = c.code;
        ScriptedUi ui;
        LinkStatic link = MakeLink("https://example.org/");
        EXPECT_FALSE(link.OnClicked(opener, ui));
        EXPECT_EQ(ui.beeps, 1);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "Unable to open hyperlink:\n\n" + c.reason);
        EXPECT_EQ(ui.messages[0].caption, "");  // the program's name
        EXPECT_EQ(ui.messages[0].buttons, ports::Buttons::Ok);
        EXPECT_EQ(ui.messages[0].icon, ports::Icon::Exclamation);
        EXPECT_EQ(link.m_bVisited, 0);
        EXPECT_EQ(link.TextColor(), MakeColorRef(0, 0, 238));
    }
}

TEST(LinkStatic, MailAddressesOpenAsMailtoAndUrlsAsTheyAre) {
    EXPECT_EQ(doc::TargetUrl("kestrilune@example.org"), "mailto:kestrilune@example.org");
    EXPECT_EQ(doc::TargetUrl("mailto:a@example.org"), "mailto:a@example.org");
    EXPECT_EQ(doc::TargetUrl("https://user@example.org/x"), "https://user@example.org/x");
    EXPECT_EQ(doc::TargetUrl("https://example.org/"), "https://example.org/");
    EXPECT_EQ(doc::TargetUrl("x+y.z-1:rest"), "x+y.z-1:rest");
    // A colon after something that is no scheme does not count.
    EXPECT_EQ(doc::TargetUrl("a b:c@example.org"), "mailto:a b:c@example.org");
    EXPECT_EQ(doc::TargetUrl(""), "");

    ScriptedOpener opener;
    ScriptedUi ui;
    LinkStatic mail = MakeLink("kestrilune@example.org");
    EXPECT_TRUE(mail.OnClicked(opener, ui));
    EXPECT_EQ(opener.urls, (std::vector<std::string>{"mailto:kestrilune@example.org"}));
}

TEST(DialogUnits, BaseUnitsRoundTheAverageLetterWidth) {
    EXPECT_EQ(doc::BaseUnitsFromFont(312, 12).cx, 6);  // exactly 6
    EXPECT_EQ(doc::BaseUnitsFromFont(286, 12).cx, 6);  // 5.5 rounds up
    EXPECT_EQ(doc::BaseUnitsFromFont(285, 12).cx, 5);  // 5.48 rounds down
    EXPECT_EQ(doc::BaseUnitsFromFont(285, 12).cy, 12);
}

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZero) {
    struct Case {
        int a, b, c, want;
    };
    const Case cases[] = {
        {73, 12, 8, 110}, {7, 12, 8, 11},
        {5, 12, 8, 8},    {9, 6, 4, 14},
        {10, 6, 4, 15},   {-7, 12, 8, -11},
        {7, -12, 8, -11}, {7, 12, -8, -11},
        {1, 1, 0, -1},    {2000000000, 3, 4, 1500000000},  // no overflow in between
    };
    for (const Case& c : cases) {
        EXPECT_EQ(doc::MulDiv(c.a, c.b, c.c), c.want) << c.a << "*" << c.b << "/" << c.c;
    }
}

TEST(DialogUnits, AboutBoxControlsInPixelsForSixByTwelveUnits) {
    const doc::DialogBaseUnits u{6, 12};
    EXPECT_EQ(doc::DialogToPixels(AboutDialog::kSize, u), (doc::Rect{0, 0, 351, 110}));
    // OK at (177, 7, 50, 14): x 265.5, y 10.5, 75 x 21.
    EXPECT_EQ(doc::DialogToPixels({177, 7, 50, 14}, u), (doc::Rect{266, 11, 266 + 75, 11 + 21}));
    // Mail link at (40, 44, 131, 10): 60, 66, width 196.5, height 15.
    EXPECT_EQ(doc::DialogToPixels({40, 44, 131, 10}, u), (doc::Rect{60, 66, 60 + 197, 66 + 15}));
}

TEST(FitRectToText, ShrinksByAlignment) {
    const doc::Rect rc{10, 20, 110, 40};  // 100 x 20
    using doc::HAlign;
    EXPECT_EQ(doc::FitRectToText(rc, 30, 12, HAlign::Left, false), (doc::Rect{10, 20, 40, 32}));
    EXPECT_EQ(doc::FitRectToText(rc, 30, 12, HAlign::Right, false), (doc::Rect{80, 20, 110, 32}));
    EXPECT_EQ(doc::FitRectToText(rc, 30, 12, HAlign::Center, false), (doc::Rect{45, 20, 75, 32}));
    EXPECT_EQ(doc::FitRectToText(rc, 30, 12, HAlign::Left, true), (doc::Rect{10, 24, 40, 36}));
    // Odd differences: each side moves by the truncated half, so one pixel is left over.
    EXPECT_EQ(doc::FitRectToText({0, 0, 101, 21}, 30, 12, HAlign::Center, true),
              (doc::Rect{35, 4, 66, 17}));
    // A text wider than the field widens it, on both sides when centred.
    EXPECT_EQ(doc::FitRectToText({0, 0, 20, 10}, 30, 12, HAlign::Center, false),
              (doc::Rect{-5, 0, 25, 12}));
    EXPECT_EQ(doc::FitRectToText({0, 0, 20, 10}, 30, 12, HAlign::Left, false),
              (doc::Rect{0, 0, 30, 12}));
}

TEST(AboutDialog, HoldsTheTitleTextsAndLayout) {
    ScriptedOpener opener;
    ScriptedUi ui;
    AboutDialog dlg(opener, ui);
    EXPECT_EQ(dlg.Title(), "Kestriluneのﾊﾞｰｼﾞｮﾝ情報");
    // (The box's size is pinned by AboutBoxControlsInPixelsForSixByTwelveUnits.)
    // Each control as "type id x,y,w,h text" in dialog units.
    std::vector<std::string> picture;
    for (const AboutDialog::Control& k : dlg.Controls()) {
        picture.push_back(std::to_string(int(k.type)) + " " + std::to_string(k.id) + " " +
                          std::to_string(k.rect.x) + "," + std::to_string(k.rect.y) + "," +
                          std::to_string(k.rect.width) + "," + std::to_string(k.rect.height) + " " +
                          k.text);
    }
    const std::string web(doc::text::kAboutWebTarget);
    EXPECT_EQ(picture,
              (std::vector<std::string>{
                  "0 -1 11,17,0,0 ", "1 -1 40,10,119,8 Kestrilune Version 1.0",
                  "1 -1 40,25,127,8 ポリゴンモデラー・コンバーター", "2 1 177,7,50,14 OK",
                  "3 1033 40,44,131,10 kestrilune@example.org", "3 1034 40,58,131,8 " + web}));
    EXPECT_EQ(dlg.Link(1034), &dlg.webLink);
    EXPECT_EQ(dlg.Link(1033), &dlg.mailLink);
    EXPECT_EQ(dlg.Link(1), nullptr);
}

TEST(AboutDialog, LinkClicksOpenTheirOwnTargets) {
    ScriptedOpener opener;
    ScriptedUi ui;
    AboutDialog dlg(opener, ui);
    for (const auto& c : dlg.Controls())
        if (auto* link = dlg.Link(c.id)) link->Attach(c.text);

    EXPECT_TRUE(dlg.OnLinkClicked(AboutDialog::IDC_WEB));
    EXPECT_TRUE(dlg.OnLinkClicked(AboutDialog::IDC_MAIL));
    EXPECT_FALSE(dlg.OnLinkClicked(AboutDialog::IDOK));
    EXPECT_EQ(opener.urls, (std::vector<std::string>{std::string(doc::text::kAboutWebTarget),
                                                     "mailto:kestrilune@example.org"}));
    EXPECT_EQ(dlg.webLink.m_bVisited, 1);
    EXPECT_EQ(dlg.mailLink.m_bVisited, 1);
}

TEST(HelpCommands, AboutShowsTheBoxModallyAndItsLinksWorkWhileOpen) {
    ScriptedOpener opener;
    opener.result = ports::OPEN_NO_ASSOCIATION;
    ScriptedUi ui;
    ui.onDialog = [](ports::ModalDialog& d) {
        auto& about = dynamic_cast<AboutDialog&>(d);
        about.webLink.Attach(std::string(doc::text::kAboutWebTarget));
        about.OnLinkClicked(AboutDialog::IDC_WEB);
        return true;
    };
    doc::CommandRouter router;
    doc::RegisterHelpCommands(router, ui, opener, "/nowhere/");
    EXPECT_TRUE(router.Execute(doc::ID_APP_ABOUT));
    EXPECT_EQ(ui.dialogs, (std::vector<std::string>{"about"}));
    EXPECT_EQ(ui.beeps, 1);  // the failed open's message is pinned by the LinkStatic tests
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(HelpCommands, HelpOpensTheShippedManualOrSaysItCannot) {
    EXPECT_EQ(doc::ManualPath("/opt/k/"), "/opt/k/manual/index.html");
    EXPECT_EQ(doc::ManualPath("/opt/k"), "/opt/k/manual/index.html");

    testing_support::TempDir dir;
    const std::string folder = dir.Dir().string() + "/";
    {  // no manual: the message names the path, nothing is launched
        ScriptedOpener opener;
        ScriptedUi ui;
        doc::CommandRouter router;
        doc::RegisterHelpCommands(router, ui, opener, folder);
        EXPECT_TRUE(router.Execute(doc::ID_HELP_FINDER));
        EXPECT_TRUE(opener.files.empty());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text,
                  "ヘルプファイル " + folder + "manual/index.html を開けませんでした。");
        EXPECT_EQ(ui.messages[0].icon, ports::Icon::Exclamation);
    }
    std::filesystem::create_directories(dir.Dir() / "manual");
    testing_support::WriteFile(dir.Path("manual/index.html"), "<html></html>");
    {
        ScriptedOpener opener;
        ScriptedUi ui;
        EXPECT_TRUE(doc::OpenManual(folder, opener, ui));
        EXPECT_EQ(opener.files, (std::vector<std::string>{folder + "manual/index.html"}));
        EXPECT_TRUE(ui.messages.empty());
    }
    {  // the desktop has nothing to show HTML with
        ScriptedOpener opener;
        opener.result = ports::OPEN_NO_ASSOCIATION;
        ScriptedUi ui;
        EXPECT_FALSE(doc::OpenManual(folder, opener, ui));
        EXPECT_EQ(ui.messages.size(), 1u);
    }
}

}  // namespace
