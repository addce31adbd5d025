// Every input a fuzzer ever crashed a reader with, kept in tests/data/fuzz-regressions/ and
// named by the reader it went to (its extension; `.bitmap` for the texture image decoder).
// Each must read or fail cleanly: a failed read says why and leaves the model as it was, a
// refused image gives no pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>

#include "formats/registry.h"
#include "rm/bitmap.h"
#include "test_support.h"

namespace {

TEST(FuzzRegressions, EveryKeptInputReadsOrFailsCleanly) {
    const std::filesystem::path folder =
        std::filesystem::path(KESTRILUNE_TEST_DATA) / "fuzz-regressions";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        ++files;
        if (entry.path().extension() == ".bitmap") {
            const std::string bytes = testing_support::ReadFile(path);
            rm::Bitmap bmp;
            const rm::BitmapError e = rm::DecodeBitmap(
                std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), &bmp);
            if (e != rm::BitmapError::None) {
                EXPECT_TRUE(bmp.pixels.empty());
            }
            continue;
        }
        const formats::ReaderEntry* reader = formats::FindReader(path);
        ASSERT_NE(reader, nullptr) << "name the file after the reader it crashed";
        testing_support::Model m;
        const rm::Vector corner[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        ASSERT_TRUE(m.host.m_pMesh->AddFaces(corner, {}, std::vector<std::int32_t>{3, 0, 1, 2, 0}));
        const formats::ReadResult r = formats::RunReader(*reader, path, m.host);
        if (r.ok()) {
            EXPECT_GE(m.host.m_pMesh->GetFaceCount(), 1);
            m.Sync();  // and the table takes what was read
        } else {
            EXPECT_FALSE(r.detail.empty());
            EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1);
        }
    }
    EXPECT_GT(files, 0);
}

}  // namespace
