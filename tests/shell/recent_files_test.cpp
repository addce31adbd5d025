// The recent-file list of the real main window: files dropped on the window one after
// another, reopened from the File menu, gone from the disk; what a later start finds in
// the settings; and that no test sees another's list.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "app/mdlr_app.h"
#include "frame/main_frame.h"
#include "test_support.h"

namespace {

using frame::Q;

std::string Lines(const QStringList& list) {
    return list.join('\n').toStdString();
}

struct RecentFiles : ::testing::Test {
    app::CMdlrApp theApp;
    testing_support::TempDir dir;
    QStringList paths;  // a.mqo .. e.mqo in `dir`, each a copy of the sample cube

    RecentFiles() {
        for (const char* name : {"a.mqo", "b.mqo", "c.mqo", "d.mqo", "e.mqo"}) {
            std::filesystem::copy_file(std::string(KESTRILUNE_SAMPLES) + "/cube.mqo",
                                       dir.Path(name));
            paths << Q(dir.Path(name));
        }
    }
    frame::CMainFrame& Frame() { return theApp.MainFrame(); }
    void Start() {
        theApp.InitInstance({});
        QTest::qWait(20);
    }
    // Drops one file on the window, as the desktop's file manager would.
    void Drop(const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        // The window takes the drop only once it has accepted the drag that brings it.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&Frame(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Frame(), &drop);
    }
    QMenu* FileMenu() { return Frame().menuBar()->actions().at(0)->menu(); }
    // The visible entries of the File menu between Save As and Exit: the recent files, or
    // the placeholder while there are none, one a line.
    std::string RecentEntries() {
        QStringList shown;
        int separators = 0;
        for (QAction* a : FileMenu()->actions()) {
            if (a->isSeparator()) {
                ++separators;
            } else if (separators == 1 && a->isVisible()) {
                shown << a->text();
            }
        }
        return shown.join('\n').toStdString();
    }
    QAction* Entry(int index) {
        for (QAction* a : FileMenu()->actions()) {
            if (a->isVisible() && a->text().startsWith(QStringLiteral("&%1 ").arg(index + 1))) {
                return a;
            }
        }
        ADD_FAILURE() << "no recent-file entry " << index + 1;
        return nullptr;
    }
    std::string Expected(std::initializer_list<int> files) {
        QStringList out;
        int n = 1;
        for (int f : files) out << QStringLiteral("&%1 %2").arg(n++).arg(paths[f]);
        return out.join('\n').toStdString();
    }
    // The recent-file keys of the settings as key=value, one a line.
    std::string Stored() {
        QSettings s(QString::fromLatin1(frame::kSettingsOrganization),
                    QString::fromLatin1(frame::kSettingsApplication));
        s.beginGroup(QStringLiteral("Recent File List"));
        QStringList out;
        for (const QString& key : s.childKeys()) out << key + "=" + s.value(key).toString();
        return out.join('\n').toStdString();
    }
};

TEST_F(RecentFiles, FiveFilesLeaveTheLastFourNewestFirstAndReopeningOneMovesItToTheTop) {
    Start();
    ASSERT_EQ(RecentEntries(), "最近使ったﾌｧｲﾙ");
    for (const QString& p : paths) Drop(p);
    EXPECT_EQ(Lines(Frame().RecentFiles()), Lines({paths[4], paths[3], paths[2], paths[1]}));
    EXPECT_EQ(RecentEntries(), Expected({4, 3, 2, 1}));
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("e.mqo[*] - Kestrilune"));
    // The last entry, b, goes to the top; the others move down one.
    QAction* b = Entry(3);
    ASSERT_NE(b, nullptr);
    b->trigger();
    EXPECT_EQ(RecentEntries(), Expected({1, 4, 3, 2}));
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("b.mqo[*] - Kestrilune"));
    EXPECT_EQ(theApp.Session().Table().faceCount, 6);  // the file alone, not added to e
    // Reopening the newest changes nothing; dropping a file that is listed only moves it.
    Entry(0)->trigger();
    Drop(paths[3]);
    EXPECT_EQ(RecentEntries(), Expected({3, 1, 4, 2}));
    // What the next start will find.
    EXPECT_EQ(Stored(), Lines({"File1=" + paths[3], "File2=" + paths[1], "File3=" + paths[4],
                               "File4=" + paths[2]}));
}

TEST_F(RecentFiles, AFileThatCanNoLongerBeReadDropsOut) {
    Start();
    // Each failed open says why in a message box: the user presses OK.
    int boxes = 0;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&boxes] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++boxes;
            box->accept();
        }
    });
    closer.start();
    for (int f : {0, 1, 2}) Drop(paths[f]);
    ASSERT_EQ(RecentEntries(), Expected({2, 1, 0}));
    std::filesystem::remove(paths[1].toStdString());
    Entry(1)->trigger();
    EXPECT_EQ(RecentEntries(), Expected({2, 0}));
    EXPECT_EQ(Stored(), Lines({"File1=" + paths[2], "File2=" + paths[0]}));
    EXPECT_EQ(theApp.Session().Table().faceCount, 0);
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("無題[*] - Kestrilune"));
    // A file replaced by bytes no reader takes goes the same way.
    testing_support::WriteFile(paths[2].toStdString(), "Metasequoia Document\nbroken\n");
    Entry(0)->trigger();
    EXPECT_EQ(RecentEntries(), Expected({0}));
    // The last one gone, the placeholder is back.
    std::filesystem::remove(paths[0].toStdString());
    Entry(0)->trigger();
    EXPECT_EQ(RecentEntries(), "最近使ったﾌｧｲﾙ");
    EXPECT_EQ(Stored(), "");
    EXPECT_EQ(boxes, 3);
}

TEST_F(RecentFiles, AStartShowsTheListAnEarlierSessionLeft) {
    {
        QSettings s(QString::fromLatin1(frame::kSettingsOrganization),
                    QString::fromLatin1(frame::kSettingsApplication));
        s.beginGroup(QStringLiteral("Recent File List"));
        s.setValue(QStringLiteral("File1"), paths[2]);
        s.setValue(QStringLiteral("File2"), paths[0]);
    }
    Start();
    EXPECT_EQ(RecentEntries(), Expected({2, 0}));
    Drop(paths[4]);
    EXPECT_EQ(RecentEntries(), Expected({4, 2, 0}));
}

// Each test starts with settings of its own: whatever the tests before it in this process,
// or others running beside it, left in theirs is not there.
TEST_F(RecentFiles, EveryTestStartsWithEmptySettingsOfItsOwn) {
    QSettings s(QString::fromLatin1(frame::kSettingsOrganization),
                QString::fromLatin1(frame::kSettingsApplication));
    EXPECT_TRUE(s.allKeys().isEmpty()) << s.allKeys().join(' ').toStdString();
    EXPECT_FALSE(s.fileName().startsWith(QDir::homePath())) << s.fileName().toStdString();
    Start();
    EXPECT_TRUE(Frame().RecentFiles().isEmpty());
}

}  // namespace
