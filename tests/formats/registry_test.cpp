#include "formats/registry.h"

#include <gtest/gtest.h>

namespace {

TEST(Registry, ExtensionsCompareWithoutCase) {
    ASSERT_NE(formats::FindReader("C:/models/MODEL.DXF"), nullptr);
    EXPECT_EQ(formats::FindReader("C:/models/MODEL.DXF")->extension, "dxf");
    ASSERT_NE(formats::FindWriter("out/a.LWO"), nullptr);
    EXPECT_EQ(formats::FindWriter("out/a.LWO")->extension, "lwo");
    EXPECT_EQ(formats::FindWriter("notes.txt"), nullptr);
    EXPECT_EQ(formats::FindReader("model.dsm"), nullptr);  // DSM is written only
    EXPECT_EQ(formats::FindWriter("model.obj"), nullptr);  // OBJ is read only
    EXPECT_EQ(formats::FindReader("folder.x/noextension"), nullptr);
}

}  // namespace
