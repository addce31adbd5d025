// What the window shows, driven as a user would: the wheel, a middle drag, Home, the fit
// after opening a model far from the origin, the Save As type choice, and the picture mode
// of a model over the face limit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "app/mdlr_app.h"
#include "doc/texts.h"
#include "frame/main_frame.h"
#include "frame/pane_widget.h"
#include "frame/qt_ui.h"
#include "test_support.h"
#include "views/mdlr_view.h"

namespace {

const std::string kRedCone = std::string(KESTRILUNE_REAL_DATA) + "/lwo/redcone.lwo";

struct ViewApp : ::testing::Test {
    app::CMdlrApp theApp;
    void Start(std::vector<std::string> files) {
        app::StartOptions o;
        o.files = std::move(files);
        theApp.InitInstance(o);
        QTest::qWait(50);
    }
    frame::CMainFrame& Frame() { return theApp.MainFrame(); }
    frame::CPaneWidget& Pane(int row, int column) { return *Frame().Pane(row, column); }
    doc::Session& S() { return theApp.Session(); }
};

void Mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

void Wheel(QWidget& w, QPoint at, int delta) {
    QWheelEvent e(QPointF(at), QPointF(w.mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
}

TEST_F(ViewApp, AModelFarFromTheOriginIsFittedAfterOpeningAndHomeFitsAgain) {
    Start({kRedCone});
    // The cone lies at x -62..-2, z 24..88: fitted, and the status bar says so.
    EXPECT_LT(S().ViewScale, 10.0f);
    EXPECT_NEAR(S().viewCentre.x, -32.0f, 0.5f);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), frame::Q(doc::text::kViewFitted));
    EXPECT_TRUE(Frame().CountsLabel()->text().startsWith(QStringLiteral("頂点 ")));
    const float fitted = S().ViewScale;
    // The wheel over the top pane: one notch in, the model point under the pointer stays.
    frame::CPaneWidget& top = Pane(0, 0);
    const QPoint at(top.width() / 4, top.height() / 3);
    const render::PlanePoint under = top.View().Geometry().ToModel(at.x(), at.y());
    Wheel(top, at, 120);
    EXPECT_EQ(S().ViewScale, fitted * views::kZoomIn);
    const ports::Point back = top.View().Geometry().ToScreen(under);
    EXPECT_NEAR(back.x, at.x(), 1);
    EXPECT_NEAR(back.y, at.y(), 1);
    // A middle drag pans: 30 pixels right moves the centre 30 / scale to the left.
    const float x0 = S().viewCentre.x;
    Mouse(top, QEvent::MouseButtonPress, at, Qt::MiddleButton, Qt::MiddleButton);
    Mouse(top, QEvent::MouseMove, at + QPoint(30, 0), Qt::NoButton, Qt::MiddleButton);
    Mouse(top, QEvent::MouseButtonRelease, at + QPoint(30, 0), Qt::MiddleButton, Qt::NoButton);
    EXPECT_NEAR(S().viewCentre.x, x0 - 30.0f / S().ViewScale, 1e-3);
    // Space with a left drag pans too, and selects nothing.
    QTest::keyPress(&top, Qt::Key_Space);
    Mouse(top, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Mouse(top, QEvent::MouseMove, at + QPoint(0, 20), Qt::NoButton, Qt::LeftButton);
    Mouse(top, QEvent::MouseButtonRelease, at + QPoint(0, 20), Qt::LeftButton, Qt::NoButton);
    QTest::keyRelease(&top, Qt::Key_Space);
    EXPECT_NEAR(S().viewCentre.x, x0 - 30.0f / S().ViewScale, 1e-3);
    EXPECT_EQ(Frame().CountsLabel()->text().contains(QStringLiteral("選択: 頂点 0 ")), true);
    // Home fits again.
    QTest::keyClick(&Frame(), Qt::Key_Home);
    EXPECT_EQ(S().ViewScale, fitted);
    EXPECT_NEAR(S().viewCentre.x, -32.0f, 0.5f);
    // New: the start view.
    QTest::keyClick(&Frame(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(S().ViewScale, 120.0f);
    EXPECT_EQ(S().viewCentre.x, 0.0f);
}

TEST_F(ViewApp, ASampleNearTheOriginKeepsTheStartView) {
    Start({std::string(KESTRILUNE_SAMPLES) + "/cube.mqo"});
    EXPECT_EQ(S().ViewScale, 120.0f);
    EXPECT_EQ(S().viewCentre.x, 0.0f);
}

TEST(SaveAsType, ANameTypedWithoutExtensionTakesTheChosenTypes) {
    EXPECT_EQ(frame::ExtensionOfFilter(QStringLiteral("LightWaveファイル(*.lwo) (*.lwo)"),
                                       QStringLiteral("x")),
              QStringLiteral("lwo"));
    EXPECT_EQ(frame::ExtensionOfFilter(QStringLiteral("全ての形式(*.x;*.lwo) (*.x *.lwo)"),
                                       QStringLiteral("x")),
              QStringLiteral("x"));
    EXPECT_EQ(frame::WithExtension(QStringLiteral("/a/out"), QStringLiteral("lwo")),
              QStringLiteral("/a/out.lwo"));
    EXPECT_EQ(frame::WithExtension(QStringLiteral("/a/out.dxf"), QStringLiteral("lwo")),
              QStringLiteral("/a/out.dxf"));

    // The real dialog: the user picks the LightWave type and types "out".
    testing_support::TempDir dir;
    frame::QtUserInterface ui;
    QTimer::singleShot(200, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        types->setCurrentIndex(1);
        emit types->activated(1);  // as a click on the entry does
        emit types->textActivated(types->itemText(1));
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("out"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto path = ui.FileDialog({.open = false,
                                     .filter = "DirectXファイル(*.x)|*.x|LightWaveファイル(*.lwo)|"
                                               "*.lwo|",
                                     .defaultExtension = "x",
                                     .initialName = {},
                                     .flags = ports::OFN_OVERWRITEPROMPT,
                                     .initialFolder = dir.Path("")});
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, dir.Path("out.lwo"));
}

TEST(PictureMode, AModelOverTheFaceLimitNeverWaitsAndWarnsOnStandardError) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    testing_support::TempDir dir;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(KESTRILUNE_PROGRAM),
            {QStringLiteral("--screenshot"), frame::Q(dir.Path("ninja.png")),
             QStringLiteral(KESTRILUNE_REAL_DATA "/mqo/text-vertex/ninja.mqo")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("個の面を読み込めませんでした"))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("0個の頂点"))) << err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(frame::Q(dir.Path("ninja.png"))));
    // A file that cannot be read: exit status 1, the reason on standard error.
    QProcess bad;
    bad.setProcessEnvironment(env);
    bad.start(QStringLiteral(KESTRILUNE_PROGRAM),
              {QStringLiteral("--screenshot"), frame::Q(dir.Path("bad.png")),
               frame::Q(dir.Path("missing.lwo"))});
    ASSERT_TRUE(bad.waitForFinished(30000));
    EXPECT_EQ(bad.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(bad.readAllStandardError())
                    .contains(QStringLiteral("missing.lwoを読み込めませんでした")));
}

TEST_F(ViewApp, AWarningRaisedAtStartShowsOverTheWindow) {
    bool seen = false;
    bool windowWasUp = false;
    QTimer::singleShot(300, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = box->text().contains(QStringLiteral("個の面を読み込めませんでした"));
        windowWasUp = Frame().isVisible() && box->parentWidget() == &Frame();
        box->accept();
    });
    Start({std::string(KESTRILUNE_REAL_DATA) + "/mqo/text-vertex/ninja.mqo"});
    QTest::qWait(600);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(windowWasUp);
}

}  // namespace
