// The surface commands in the real main window: the menu's Texture command goes through
// the Qt file dialog and the Qt wrap dialog to a textured model in the 3D pane; Material
// goes through the Qt material dialog.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QFileDialog>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/mdlr_app.h"
#include "dialogs/surface_dialogs.h"
#include "frame/main_frame.h"
#include "frame/pane_widget.h"

namespace {

// Runs `act` on the next modal dialog of type D as soon as it is up.
template <typename D>
void WhenModal(std::function<void(D&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* d = dynamic_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*d);
        }
    });
    timer->start();
}

struct SurfaceApp : ::testing::Test {
    app::CMdlrApp theApp;
    SurfaceApp() {
        app::StartOptions o;
        o.files = {std::string(KESTRILUNE_SAMPLES) + "/house.mqo"};
        theApp.InitInstance(o);
        QTest::qWait(50);
    }
    model::FaceTable& Table() { return theApp.Session().Table(); }
    // The colours of the 3D pane's picture.
    QImage Pane3D() { return theApp.MainFrame().Pane(0, 1)->grab().toImage(); }
    // Saves the whole window when KESTRILUNE_SHOTS names a folder (for looking at it).
    void Shot(const char* name) {
        if (const char* folder = std::getenv("KESTRILUNE_SHOTS")) {
            theApp.SaveScreenshot(std::string(folder) + "/" + name + ".png");
        }
    }
};

bool HasColour(const QImage& image, std::function<bool(QRgb)> test) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (test(image.pixel(x, y))) return true;
        }
    }
    return false;
}

TEST_F(SurfaceApp, TextureCommandGoesThroughBothDialogsToATexturedModel) {
    ASSERT_GT(Table().faceCount, 0);
    const QString bitmap =
        QString::fromUtf8(KESTRILUNE_SAMPLES) + QStringLiteral("/texture/checker.bmp");
    // The checkerboard's blue squares (0x3C5AA0), lit.
    const auto isChecker = [](QRgb p) { return qBlue(p) > 120 && qRed(p) < qBlue(p) / 2; };
    EXPECT_FALSE(HasColour(Pane3D(), isChecker));
    const char* const names[] = {"wrap_plane_x", "wrap_cylinder_y", "wrap_sphere_z"};
    for (int mapping = 0; mapping < 3; ++mapping) {
        SCOPED_TRACE(mapping);
        WhenModal<QFileDialog>([bitmap, mapping](QFileDialog& d) {
            // Typed into the name field as a user would: selectFile() leaves a focused
            // field alone. done() rather than accept(), which checks the name against the
            // folder listing that fills in the background.
            auto* name = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_TRUE(name);
            name->setText(bitmap);
            EXPECT_EQ(d.selectedFiles(), QStringList{bitmap});
            static_cast<QDialog&>(d).done(QDialog::Accepted);
            WhenModal<dialogs::CTextureWrapDlg>([mapping](dialogs::CTextureWrapDlg& w) {
                EXPECT_EQ(w.MappingGroup()->checkedId(), 0);
                EXPECT_EQ(w.AxisGroup()->checkedId(), 0);
                w.MappingGroup()->button(mapping)->click();
                w.AxisGroup()->button(mapping)->click();
                w.accept();
            });
        });
        ASSERT_TRUE(theApp.MainFrame().RunCommand(doc::ID_TEXTURE));
        for (int f = 0; f < Table().faceCount; ++f) {
            ASSERT_TRUE(Table().faceTexture[f]);
            EXPECT_EQ(Table().faceTexture[f]->Width(), 64);
        }
        QTest::qWait(20);
        EXPECT_TRUE(HasColour(Pane3D(), isChecker));
        Shot(names[mapping]);
    }
    const float u = Table().texU[0][0];
    ASSERT_TRUE(theApp.MainFrame().RunCommand(doc::ID_TEXTURE_REMOVE));
    EXPECT_FALSE(Table().faceTexture[0]);
    EXPECT_EQ(Table().texU[0][0], u);
    QTest::qWait(20);
    EXPECT_FALSE(HasColour(Pane3D(), isChecker));
}

TEST_F(SurfaceApp, MaterialDialogMakesTheModelHalfTransparentAndFlat) {
    WhenModal<dialogs::CMaterialDlg>([](dialogs::CMaterialDlg& d) {
        EXPECT_EQ(d.TransparencyBar()->value(), 0);
        d.TransparencyBar()->setSliderPosition(128);
        d.TransparencyBar()->triggerAction(QAbstractSlider::SliderMove);
        d.QualityGroup()->button(2)->click();
        d.accept();
    });
    ASSERT_TRUE(theApp.MainFrame().RunCommand(doc::ID_MATERIAL));
    for (int f = 0; f < Table().faceCount; ++f) EXPECT_EQ(Table().faceColor[f].alpha, 127);
    EXPECT_EQ(Table().meshQuality, rm::Quality::Flat);
    EXPECT_EQ(theApp.Session().model.m_pMesh->GetQuality(), rm::Quality::Flat);
    QTest::qWait(20);
    Shot("material_half_transparent_flat");
}

}  // namespace
