// Faces grouped by their look for the writers: groups in order of first use, every face
// pointing at the group of its own key, alpha not part of a colour's key.
#include "formats/face_groups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(FaceGroupsTest, GroupsAreNumberedInOrderOfFirstUse) {
    const std::vector<std::string> looks{"red", "blue", "red", "green", "blue", "red"};
    const auto groups =
        formats::GroupFaces(int(looks.size()), [&](int f) { return looks[std::size_t(f)]; });
    EXPECT_EQ(groups.keys, (std::vector<std::string>{"red", "blue", "green"}));
    EXPECT_EQ(groups.ofFace, (std::vector<int>{0, 1, 0, 2, 1, 0}));

    // Runs of one look, and a look coming back after a run of another.
    const std::vector<int> runs{7, 7, 3, 3, 3, 7, 9, 9, 3};
    const auto grouped =
        formats::GroupFaces(int(runs.size()), [&](int f) { return runs[std::size_t(f)]; });
    EXPECT_EQ(grouped.keys, (std::vector<int>{7, 3, 9}));
    EXPECT_EQ(grouped.ofFace, (std::vector<int>{0, 0, 1, 1, 1, 0, 2, 2, 1}));

    const auto none = formats::GroupFaces(0, [&](int f) { return looks[std::size_t(f)]; });
    EXPECT_TRUE(none.keys.empty());
    EXPECT_TRUE(none.ofFace.empty());
}

TEST(FaceGroupsTest, ColourKeyIsRedGreenBlueWithoutAlpha) {
    EXPECT_EQ(formats::RgbOf({1, 2, 3, 255}), 0x00010203u);
    EXPECT_EQ(formats::RgbOf({1, 2, 3, 0}), formats::RgbOf({1, 2, 3, 255}));
    EXPECT_EQ(formats::RgbOf({255, 0, 128, 10}), 0x00FF0080u);
}

}  // namespace
