// The real main window on the offscreen platform: start-up state, menus and tool bar from
// the command table, tool check marks, a file from the command line, the picture mode.
#include "frame/main_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include "app/mdlr_app.h"
#include "doc/tools.h"
#include "frame/grid_splitter.h"
#include "frame/pane_widget.h"
#include "frame/qt_ui.h"
#include "test_support.h"

namespace {

using frame::Q;

struct StartedApp : ::testing::Test {
    app::CMdlrApp theApp;
    frame::CMainFrame& Frame() { return theApp.MainFrame(); }
    void Start(std::vector<std::string> files = {}) {
        app::StartOptions o;
        o.files = std::move(files);
        theApp.InitInstance(o);
        QTest::qWait(50);
    }
};

TEST_F(StartedApp, StartsMaximisedWithSelectCheckedAndTheSplitterSizedOnce) {
    Start();
    frame::CMainFrame& f = Frame();
    EXPECT_TRUE(f.isMaximized());
    EXPECT_FALSE(f.FirstSizePending());
    const doc::SplitterSize s = doc::FirstSplitterSize(f.width(), f.height());
    EXPECT_EQ(f.Splitter().ColumnWidth(), s.column0Width);
    EXPECT_EQ(f.Splitter().RowHeight(), s.row0Height);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) ASSERT_NE(f.Pane(r, c), nullptr);
    }
    EXPECT_EQ(f.Pane(0, 0)->Row(), 0);
    EXPECT_EQ(f.Pane(1, 1)->Column(), 1);
    EXPECT_TRUE(f.Action(doc::ID_TOOL_SELECT)->isChecked());
    EXPECT_FALSE(f.Action(doc::ID_TOOL_MOVE)->isChecked());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("無題[*] - Kestrilune"));
    // Copy and Paste have no handler: shown disabled.
    EXPECT_FALSE(f.Action(doc::ID_EDIT_COPY)->isEnabled());
    EXPECT_FALSE(f.Action(doc::ID_EDIT_PASTE)->isEnabled());
    EXPECT_TRUE(f.Action(doc::ID_FILE_SAVE_AS)->isEnabled());
    EXPECT_TRUE(f.Pane(0, 0)->hasFocus());
    // Restored, the window has its normal size: 1024 x 700, or most of a smaller screen.
    const QSize avail = f.screen()->availableSize();
    const double share = f.Splitter().ColumnWidth() / double(f.Splitter().width());
    const double rowShare = f.Splitter().RowHeight() / double(f.Splitter().height());
    f.showNormal();
    QTest::qWait(20);
    if (avail.width() >= 1024 && avail.height() >= 700) {
        EXPECT_EQ(f.size(), QSize(1024, 700));
    } else {
        EXPECT_GE(f.width(), std::min(1024, avail.width() * 8 / 10));
        EXPECT_GE(f.height(), std::min(700, avail.height() * 8 / 10));
    }
    // A later resize keeps the panes' shares: the right and bottom panes stay in view.
    f.resize(500, 400);
    QTest::qWait(20);
    EXPECT_NEAR(f.Splitter().ColumnWidth() / double(f.Splitter().width()), share, 0.02);
    EXPECT_NEAR(f.Splitter().RowHeight() / double(f.Splitter().height()), rowShare, 0.02);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) {
            const QRect g = f.Pane(r, c)->geometry();
            EXPECT_GT(g.width(), 50) << r << c;
            EXPECT_GT(g.height(), 30) << r << c;
            EXPECT_LE(g.right(), f.Splitter().width()) << r << c;
            EXPECT_LE(g.bottom(), f.Splitter().height()) << r << c;
        }
    }
}

TEST_F(StartedApp, MenusAndToolBarFollowTheCommandTable) {
    Start();
    const QList<QAction*> menus = Frame().menuBar()->actions();
    const auto& table = doc::MainMenu();
    ASSERT_EQ(menus.size(), qsizetype(table.size()));
    for (std::size_t m = 0; m < table.size(); ++m) {
        EXPECT_EQ(menus[qsizetype(m)]->text(), Q(table[m].label));
        std::vector<QString> expected;
        for (int id : table[m].items) {
            if (id != 0) expected.push_back(Q(doc::FindCommand(id)->label));
        }
        std::vector<QString> shown;
        for (QAction* a : menus[qsizetype(m)]->menu()->actions()) {
            if (!a->isSeparator() && a->isVisible()) shown.push_back(a->text());
        }
        EXPECT_EQ(shown, expected) << m;
    }
    EXPECT_EQ(Frame().Action(doc::ID_FILE_OPEN)->text(), QStringLiteral("開く(&O)...\tCtrl+O"));
    int buttons = 0;
    for (QAction* a : Frame().ToolBar()->actions()) buttons += a->isSeparator() ? 0 : 1;
    EXPECT_EQ(buttons, 23);  // the program's 21, our redo, then fit
    EXPECT_EQ(Frame().Action(doc::ID_TOOL_ROTATE)->toolTip(), QStringLiteral("回転"));
    EXPECT_EQ(Frame().Action(doc::ID_TOOL_ROTATE)->statusTip(),
              QStringLiteral("選択した頂点を回転させる"));
}

TEST_F(StartedApp, ToolsCheckOneAtATimeAndPolygonCreationClearsTheSelection) {
    Start();
    doc::Session& s = theApp.Session();
    s.Table().selected[0][0] = 1;
    for (int id : doc::ToolCommands()) {
        Frame().Action(id)->trigger();
        for (int other : doc::ToolCommands()) {
            EXPECT_EQ(Frame().Action(other)->isChecked(), other == id) << id << " " << other;
        }
    }
    EXPECT_EQ(s.m_nEditMode, doc::EDIT_POLYGON);
    EXPECT_EQ(s.Table().selected[0][0], 0);
    // The tool bar's button shares the menu item's action.
    Frame().Action(doc::ID_VIEW_TOOLBAR)->trigger();
    EXPECT_FALSE(Frame().ToolBar()->isVisible());
    EXPECT_FALSE(Frame().Action(doc::ID_VIEW_TOOLBAR)->isChecked());
}

TEST_F(StartedApp, AFileOnTheCommandLineIsImportedTitledAndRemembered) {
    Start({std::string(KESTRILUNE_SAMPLES) + "/cube.mqo"});
    EXPECT_EQ(theApp.Session().Table().faceCount, 6);
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("cube.mqo[*] - Kestrilune"));
    ASSERT_EQ(Frame().RecentFiles().size(), 1);
    EXPECT_TRUE(Frame().RecentFiles()[0].endsWith(QStringLiteral("/cube.mqo")));
    // Ctrl+N empties the model and forgets the title.
    QTest::keyClick(&Frame(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(theApp.Session().Table().faceCount, 0);
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("無題[*] - Kestrilune"));
}

TEST_F(StartedApp, ThePaneAtRow0Column1ShowsTheModelShaded) {
    Start({std::string(KESTRILUNE_SAMPLES) + "/cube.mqo"});
    frame::CMainFrame& f = Frame();
    ASSERT_TRUE(f.Pane3D().IsReady());
    EXPECT_EQ(f.D3DRoot().Devices()[std::size_t(f.D3DRoot().SelectedDevice())].name,
              "MMX Emulation");
    auto litPixels = [&] {
        const QImage image = f.Pane(0, 1)->grab().toImage();
        int lit = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                lit += (image.pixel(x, y) & 0xFFFFFF) != 0 ? 1 : 0;
        }
        return lit;
    };
    EXPECT_GT(litPixels(), 1000);
    // The picture follows the pane's size.
    ASSERT_NE(f.Pane3D().Picture(), nullptr);
    EXPECT_EQ(f.Pane3D().Picture()->width, f.Pane(0, 1)->width());
    EXPECT_EQ(f.Pane3D().Picture()->height, f.Pane(0, 1)->height());
    // New empties the model: the pane shows the empty scene.
    QTest::keyClick(&f, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(litPixels(), 0);
}

TEST_F(StartedApp, PictureModeSizesTheWindowAsAScreenAndSavesIt) {
    app::StartOptions o =
        app::ParseCommandLine({QStringLiteral("--screenshot"), QStringLiteral("/tmp/x.png"),
                               QStringLiteral("--size"), QStringLiteral("1024x740")});
    ASSERT_TRUE(o.error.empty());
    EXPECT_EQ(o.width, 1024);
    testing_support::TempDir dir;
    o.screenshot = dir.Path("shot.png");
    theApp.InitInstance(o);
    ASSERT_TRUE(theApp.SaveScreenshot(o.screenshot));
    EXPECT_EQ(Frame().Splitter().ColumnWidth(), 512);
    EXPECT_EQ(Frame().Splitter().RowHeight(), 338);
    const QImage shot(Q(o.screenshot));
    EXPECT_EQ(shot.width(), 1024);
    EXPECT_EQ(shot.height(), 740);
}

TEST(FileDialogFilters, EachEntryShowsItsLabelWithBlankSeparatedPatterns) {
    const QStringList f =
        frame::NameFiltersOf("全ての形式(*.x;*.lwo)|*.x;*.lwo|DXFファイル(*.dxf)|*.dxf|");
    ASSERT_EQ(f.size(), 2);
    EXPECT_EQ(f[0], QStringLiteral("全ての形式(*.x;*.lwo) (*.x *.lwo)"));
    EXPECT_EQ(f[1], QStringLiteral("DXFファイル(*.dxf) (*.dxf)"));
}

}  // namespace
