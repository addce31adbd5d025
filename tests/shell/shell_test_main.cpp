// The shell tests run with a real QApplication on the offscreen platform. Every test gets
// a settings folder of its own, made fresh before it starts and removed after it: the
// recent-file list one test leaves can never show up in another, whether the tests run in
// one process or side by side in several (ctest -j).
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

namespace {

class FreshSettingsForEachTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        dir_ = std::make_unique<QTemporaryDir>();
        // QSettings objects made from now on read and write only here (fallbacks included).
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::UserScope, dir_->path() + "/user");
            QSettings::setPath(format, QSettings::SystemScope, dir_->path() + "/system");
        }
    }
    void OnTestEnd(const ::testing::TestInfo&) override { dir_.reset(); }

    std::unique_ptr<QTemporaryDir> dir_;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettingsForEachTest);
    return RUN_ALL_TESTS();
}
