#include "doc/recent_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using doc::RecentFileList;
using Files = std::vector<std::string>;

TEST(RecentFileList, NewestFirstEachOnceFourAtMost) {
    RecentFileList list;
    EXPECT_TRUE(list.Empty());
    for (const char* f : {"/m/a.x", "/m/b.x", "/m/c.x", "/m/d.x"}) list.Add(f);
    EXPECT_EQ(list.Entries(), (Files{"/m/d.x", "/m/c.x", "/m/b.x", "/m/a.x"}));
    // The fifth pushes the oldest off.
    list.Add("/m/e.x");
    EXPECT_EQ(list.Entries(), (Files{"/m/e.x", "/m/d.x", "/m/c.x", "/m/b.x"}));
    // Reopening the last entry moves it to the top and drops nothing.
    list.Add("/m/b.x");
    EXPECT_EQ(list.Entries(), (Files{"/m/b.x", "/m/e.x", "/m/d.x", "/m/c.x"}));
    // Reopening the top changes nothing.
    list.Add("/m/b.x");
    EXPECT_EQ(list.Entries(), (Files{"/m/b.x", "/m/e.x", "/m/d.x", "/m/c.x"}));
    // Names differing only in case are different files.
    list.Add("/m/B.x");
    EXPECT_EQ(list.Entries(), (Files{"/m/B.x", "/m/b.x", "/m/e.x", "/m/d.x"}));
}

TEST(RecentFileList, RemovingTakesEveryEntryOfThatNameOnly) {
    RecentFileList list;
    list.Load({"/m/a.x", "", "/m/b.x", "/m/a.x"});
    EXPECT_EQ(list.Entries(), (Files{"/m/a.x", "/m/b.x", "/m/a.x"}));
    list.Remove("/m/a.x");
    EXPECT_EQ(list.Entries(), (Files{"/m/b.x"}));
    list.Remove("/m/missing.x");
    EXPECT_EQ(list.Entries(), (Files{"/m/b.x"}));
    list.Remove("/m/b.x");
    EXPECT_TRUE(list.Empty());
    list.Remove("/m/b.x");
    EXPECT_TRUE(list.Empty());
}

TEST(RecentFileList, LoadingSkipsEmptyEntriesAndStopsAtFour) {
    RecentFileList list;
    list.Add("/old.x");
    list.Load({"", "/1.x", "", "/2.x", "/3.x", "/4.x", "/5.x"});
    EXPECT_EQ(list.Entries(), (Files{"/1.x", "/2.x", "/3.x", "/4.x"}));
    list.Load({"", ""});
    EXPECT_TRUE(list.Empty());
}

TEST(RecentFileList, MenuLabelsNumberFromOneAndShowAmpersands) {
    RecentFileList list;
    list.Add("/a&b/&&c.x");
    list.Add("/m/日本語.mqo");
    EXPECT_EQ(list.MenuLabel(0), "&1 /m/日本語.mqo");
    EXPECT_EQ(list.MenuLabel(1), "&2 /a&&b/&&&&c.x");
}

}  // namespace
