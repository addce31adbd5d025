// The face colour's conversions to the packed colours of the mesh and the colour dialog.
#include <gtest/gtest.h>

#include "model/face_table.h"

namespace {

using model::FaceColor;

TEST(FaceColorConversions, ChannelsLandWhereEachPackingPutsThem) {
    // 0xAARRGGBB for the mesh, 0x00BBGGRR for the colour dialog (worked out by hand).
    EXPECT_EQ(model::ToColor({0x12, 0x34, 0x56, 0x78}), 0x78123456u);
    EXPECT_EQ(model::ToColorRef({0x12, 0x34, 0x56, 0x78}), 0x00563412u);
    EXPECT_EQ(model::ToColor({255, 0, 0, 0}), 0x00FF0000u);
    EXPECT_EQ(model::ToColorRef({255, 0, 0, 0}), 0x000000FFu);
    EXPECT_EQ(model::ToColor(FaceColor{}), 0xFFC0C0C0u);  // the default grey, opaque

    const FaceColor back = model::FaceColorOf(0x80FF0102u);
    EXPECT_EQ(back.alpha, 0x80);
    EXPECT_EQ(back.red, 0xFF);
    EXPECT_EQ(back.green, 0x01);
    EXPECT_EQ(back.blue, 0x02);
    for (const rm::Color c : {0x00000000u, 0xFFFFFFFFu, 0x01020304u, 0xFE00FF7Fu}) {
        EXPECT_EQ(model::ToColor(model::FaceColorOf(c)), c);
    }
    // The dialog's colour reads back with the named channel functions.
    const rm::ColorRef ref = model::ToColorRef({10, 20, 30, 40});
    EXPECT_EQ(rm::RedOf(ref), 10);
    EXPECT_EQ(rm::GreenOf(ref), 20);
    EXPECT_EQ(rm::BlueOf(ref), 30);
}

}  // namespace
