// The tool bar's button pictures: one of the button size for every button. With
// KESTRILUNE_ICON_DUMP set to a folder, each picture is also written there as
// icon-<command id>.png, for comparing the pictures of two builds pixel by pixel.
#include "frame/tool_icons.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <set>

#include "doc/commands.h"

namespace {

TEST(ToolIconsTest, EveryButtonHasAPictureOfTheButtonSize) {
    const QByteArray dump = qgetenv("KESTRILUNE_ICON_DUMP");
    if (!dump.isEmpty()) QDir().mkpath(QString::fromLocal8Bit(dump));
    int buttons = 0;
    for (int id : doc::ToolBarButtons()) {
        if (id == 0) continue;  // a separator
        ++buttons;
        const QImage image = frame::ToolPixmap(id).toImage();
        ASSERT_FALSE(image.isNull()) << "command " << id;
        EXPECT_EQ(image.width(), doc::TOOLBAR_BUTTON_WIDTH) << "command " << id;
        EXPECT_EQ(image.height(), doc::TOOLBAR_BUTTON_HEIGHT) << "command " << id;
        // Something is drawn, and the corners of the picture stay see-through somewhere.
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) != 0;
        }
        EXPECT_GT(opaque, 10) << "command " << id;
        EXPECT_LT(opaque, image.width() * image.height()) << "command " << id;
        if (!dump.isEmpty()) {
            const QString file =
                QStringLiteral("%1/icon-%2.png").arg(QString::fromLocal8Bit(dump)).arg(id);
            EXPECT_TRUE(image.convertToFormat(QImage::Format_ARGB32).save(file))
                << file.toStdString();
        }
    }
    EXPECT_GT(buttons, 10);
}

// The pictures come from data/toolbar through the resource: each button's is its file,
// pixel for pixel, and the folder holds no picture of a command without a button.
TEST(ToolIconsTest, EachPictureIsItsFileInTheTree) {
    const QDir folder(QStringLiteral(KESTRILUNE_TEST_DATA "/../../data/toolbar"));
    std::set<QString> files;
    for (const QString& f : folder.entryList({QStringLiteral("*.png")}, QDir::Files))
        files.insert(f);
    for (int id : doc::ToolBarButtons()) {
        if (id == 0) continue;
        const QString name = QStringLiteral("icon-%1.png").arg(id);
        ASSERT_EQ(files.erase(name), 1u) << name.toStdString();
        const QImage file = QImage(folder.filePath(name)).convertToFormat(QImage::Format_ARGB32);
        const QImage shown = frame::ToolPixmap(id).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(shown.size(), file.size()) << name.toStdString();
        for (int y = 0; y < file.height(); ++y) {
            for (int x = 0; x < file.width(); ++x)
                ASSERT_EQ(shown.pixel(x, y), file.pixel(x, y))
                    << name.toStdString() << " " << x << "," << y;
        }
    }
    EXPECT_TRUE(files.empty()) << files.begin()->toStdString();
    EXPECT_TRUE(frame::ToolPixmap(1).isNull());
}

}  // namespace
