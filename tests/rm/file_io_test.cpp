#include "rm/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// A file written from several pieces holds them in order; a write that fails leaves every
// old file as it was and no temporary file behind.
TEST(WriteFilesAtomically, PiecesInOrderAndNothingChangedOnFailure) {
    TempDir dir;
    const std::string a = dir.Path("a.bin"), b = dir.Path("b.bin");
    WriteFile(a, "old a");
    ASSERT_TRUE(rm::WriteFilesAtomically({{a, "head-", {"", "middle-", "tail"}}, {b, "b"}}));
    EXPECT_EQ(ReadFile(a), "head-middle-tail");
    EXPECT_EQ(ReadFile(b), "b");

    std::filesystem::create_directory(dir.Path("folder"));
    std::string error;
    EXPECT_FALSE(rm::WriteFilesAtomically({{a, "new", {"er"}}, {dir.Path("folder"), "x"}}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(a), "head-middle-tail");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path(""))) {
        ++entries;
    }
    EXPECT_EQ(entries, 3);  // a.bin, b.bin, folder
}

// A reader that gives back the pages it has read past may still read them again: they
// come back from the file, byte for byte. The last page, only partly the file's, goes too.
// Mapped or read into a buffer, a file reads as its bytes, also after the pages before a
// place are given back (and read again), and a read that fails leaves nothing.
TEST(FileBytes, PagesGivenBackReadAgainAsTheFile) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += char('a' + i % 23);
    const std::string path = dir.Path("pages.bin");
    WriteFile(path, bytes);
    for (const rm::FileRead how : {rm::FileRead::Mapped, rm::FileRead::Buffered}) {
        rm::FileBytes file;
        ASSERT_TRUE(rm::ReadFileBytes(path, file, nullptr, how));
        for (const std::size_t offset : {std::size_t(9000), std::size_t(100), std::size_t(12288),
                                         bytes.size(), bytes.size() + 5000}) {
            file.ReleaseBefore(offset);
            ASSERT_EQ(file.View(), bytes) << offset;
        }
        std::string why;
        EXPECT_FALSE(rm::ReadFileBytes(dir.Path("missing.bin"), file, &why, how));
        EXPECT_TRUE(file.View().empty());
        EXPECT_NE(why.find("cannot open"), std::string::npos) << why;
    }
}

}  // namespace
