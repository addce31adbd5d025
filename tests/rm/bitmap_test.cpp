// Bitmap files for textures: the layouts that decode, the files that are refused, and how a
// texture's file is found.
#include "rm/bitmap.h"

#include <gtest/gtest.h>

#include "rm/bmp_builder.h"
#include "rm/mesh_builder.h"
#include "test_support.h"

namespace {

using testing_support::BmpLayout;
using testing_support::MakeBmp;
using testing_support::TempDir;
using testing_support::WriteFile;

rm::BitmapError Decode(const std::string& bytes, rm::Bitmap* out = nullptr) {
    return rm::DecodeBitmap(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), out);
}

// Three columns, two rows, every pixel different.
std::uint32_t Sample(int x, int y) {
    return 0xFF000000u | std::uint32_t(0x10 * (x + 1)) << 16 | std::uint32_t(0x20 * (y + 1)) << 8 |
           std::uint32_t(x * 3 + y);
}

TEST(Bitmap, EveryUncompressedLayoutGivesTheSamePixelsFromTheTop) {
    for (int bits : {24, 32}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, top-down " << topDown);
            BmpLayout layout{.width = 3, .height = 2, .bitsPerPixel = bits, .topDown = topDown};
            layout.pixel = Sample;
            rm::Bitmap bmp;
            ASSERT_EQ(Decode(MakeBmp(layout), &bmp), rm::BitmapError::None);
            ASSERT_EQ(bmp.width, 3);
            ASSERT_EQ(bmp.height, 2);
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < 3; ++x) EXPECT_EQ(bmp.pixels[y * 3 + x], Sample(x, y));
            }
        }
    }
}

TEST(Bitmap, PalettedPixelsTakeTheirPaletteColour) {
    BmpLayout layout{.width = 5, .height = 1, .bitsPerPixel = 8};  // 5 wide: rows are padded
    layout.pixel = [](int x, int) { return std::uint32_t(x * 60); };
    rm::Bitmap bmp;
    ASSERT_EQ(Decode(MakeBmp(layout), &bmp), rm::BitmapError::None);
    EXPECT_EQ(bmp.pixels[0], 0xFF000000u);
    EXPECT_EQ(bmp.pixels[4], 0xFFF0F0F0u);
}

TEST(Bitmap, AlphaOfA32BitBitmapIsKeptUnlessItIsZeroEverywhere) {
    BmpLayout layout{.width = 2, .height = 1, .bitsPerPixel = 32};
    layout.pixel = [](int x, int) { return x == 0 ? 0x80102030u : 0x00405060u; };
    rm::Bitmap bmp;
    ASSERT_EQ(Decode(MakeBmp(layout), &bmp), rm::BitmapError::None);
    EXPECT_EQ(bmp.pixels[0], 0x80102030u);
    EXPECT_EQ(bmp.pixels[1], 0x00405060u);

    layout.pixel = [](int, int) { return 0x00102030u; };
    ASSERT_EQ(Decode(MakeBmp(layout), &bmp), rm::BitmapError::None);
    EXPECT_EQ(bmp.pixels[0], 0xFF102030u);
}

TEST(Bitmap, CompressedTruncatedAndForeignFilesAreRefused) {
    BmpLayout rle{.width = 4, .height = 4, .bitsPerPixel = 8, .compression = 1};
    EXPECT_EQ(Decode(MakeBmp(rle)), rm::BitmapError::Unreadable);
    rle.compression = 2;
    EXPECT_EQ(Decode(MakeBmp(rle)), rm::BitmapError::Unreadable);

    std::string whole = MakeBmp({.width = 4, .height = 4});
    EXPECT_EQ(Decode(whole), rm::BitmapError::None);
    whole.pop_back();  // the last row is one byte short
    EXPECT_EQ(Decode(whole), rm::BitmapError::Unreadable);
    EXPECT_EQ(Decode(whole.substr(0, 20)), rm::BitmapError::Unreadable);

    EXPECT_EQ(Decode(""), rm::BitmapError::Unreadable);
    EXPECT_EQ(Decode("\x89PNG\r\n\x1a\n0000000000000000000000000000"), rm::BitmapError::Unreadable);
    EXPECT_EQ(Decode(MakeBmp({.width = 0, .height = 4})), rm::BitmapError::Unreadable);
}

TEST(Bitmap, SidesUpTo8192AreTakenAndLargerOnesRefusedBeforeDecoding) {
    EXPECT_EQ(Decode(MakeBmp({.width = 8192, .height = 1})), rm::BitmapError::None);
    EXPECT_EQ(Decode(MakeBmp({.width = 1, .height = 8192, .topDown = true})),
              rm::BitmapError::None);

    // Headers alone: the pixels are never read.
    const std::pair<std::int32_t, std::int32_t> sizes[] = {
        {8193, 1}, {1, 8193}, {1, -8193}, {1, INT32_MIN}, {-1, 1}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        std::string header = MakeBmp({.width = 1, .height = 1}).substr(0, 54);
        std::string dims;
        base::AppendLE32(dims, std::uint32_t(w));
        base::AppendLE32(dims, std::uint32_t(h));
        header.replace(18, 8, dims);
        EXPECT_EQ(Decode(header), w < 0 ? rm::BitmapError::Unreadable : rm::BitmapError::TooLarge);
    }
}

TEST(Bitmap, FilesAreFoundInTheFoldersInOrder) {
    const std::vector<std::string> folders{"/p/TEXTURE/", "/m/"};
    using V = std::vector<std::string>;
    EXPECT_EQ(rm::TextureCandidates("wood.bmp", folders),
              (V{"/p/TEXTURE/wood.bmp", "/m/wood.bmp"}));
    EXPECT_EQ(rm::TextureCandidates("/abs/wood.bmp", folders),
              (V{"/abs/wood.bmp", "/p/TEXTURE/wood.bmp", "/m/wood.bmp"}));
    EXPECT_EQ(rm::TextureCandidates("sub\\wood.bmp", folders),
              (V{"/p/TEXTURE/sub\\wood.bmp", "/m/sub\\wood.bmp", "/p/TEXTURE/sub/wood.bmp",
                 "/m/sub/wood.bmp", "/p/TEXTURE/wood.bmp", "/m/wood.bmp"}));
    // A path of another system is looked for by its name only.
    EXPECT_EQ(rm::TextureCandidates("C:\\art\\wood.bmp", folders),
              (V{"/p/TEXTURE/wood.bmp", "/m/wood.bmp"}));
    EXPECT_TRUE(rm::TextureCandidates("", folders).empty());
    // Shift-JIS bytes are decoded before separators are looked for: 能 (94 5C) and
    // 表 (95 5C) end in a backslash byte that is part of the character.
    EXPECT_EQ(rm::TextureCandidates("\x94\x5C\x97\xCD\x95\x5C.bmp", V{"/m/"}),
              (V{"/m/能力表.bmp"}));
    // A volume name of another system ("HQ:") is dropped; a drive letter is not a volume.
    EXPECT_EQ(rm::TextureCandidates("HQ:images/wood.png", V{"/m/"}),
              (V{"/m/images/wood.png", "/m/wood.png"}));
    EXPECT_EQ(rm::TextureCandidates("D:wood.png", V{"/m/"}), (V{"/m/D:wood.png"}));
}

TEST(Bitmap, FilesAreFoundWhateverTheirLetterCase) {
    TempDir dir;
    std::filesystem::create_directories(dir.Dir() / "Maps");
    WriteFile(dir.Path("Maps/Wood.BMP"), MakeBmp({.width = 2, .height = 3}));
    EXPECT_EQ(rm::FindFileIgnoringCase(dir.Path("maps/wood.bmp")), dir.Path("Maps/Wood.BMP"));
    EXPECT_EQ(rm::FindFileIgnoringCase(dir.Path("maps/none.bmp")), dir.Path("maps/none.bmp"));
    std::string found;
    const std::vector<std::string> folders{dir.Path("")};
    rm::TexturePtr t = rm::LoadTexture("MAPS\\wood.bmp", folders, nullptr, &found);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetName(), "MAPS\\wood.bmp");
    EXPECT_EQ(found, dir.Path("Maps/Wood.BMP"));
}

TEST(Bitmap, LoadTextureKeepsTheNameAndReportsTheFirstProblem) {
    TempDir dir;
    std::filesystem::create_directories(dir.Dir() / "a");
    std::filesystem::create_directories(dir.Dir() / "b");
    const std::vector<std::string> folders{dir.Path("a/"), dir.Path("b/")};
    WriteFile(dir.Path("b/ok.bmp"), MakeBmp({.width = 2, .height = 3}));
    WriteFile(dir.Path("a/bad.bmp"), "BM not really");
    WriteFile(dir.Path("b/bad.bmp"), MakeBmp({.width = 2, .height = 3}));

    std::string found;
    rm::BitmapError e = rm::BitmapError::None;
    rm::TexturePtr t = rm::LoadTexture("ok.bmp", folders, &e, &found);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->GetName(), "ok.bmp");
    EXPECT_EQ(found, dir.Path("b/ok.bmp"));
    EXPECT_EQ(t->Width(), 2);
    EXPECT_EQ(t->Height(), 3);
    EXPECT_EQ(t->Pixels().size(), 6u);

    // A broken file earlier on the path does not hide a good one later.
    EXPECT_TRUE(rm::LoadTexture("bad.bmp", folders, &e));

    EXPECT_FALSE(rm::LoadTexture("none.bmp", folders, &e));
    EXPECT_EQ(e, rm::BitmapError::NotFound);
    WriteFile(dir.Path("b/broken.bmp"), "BM");
    EXPECT_FALSE(rm::LoadTexture("broken.bmp", folders, &e));
    EXPECT_EQ(e, rm::BitmapError::Unreadable);
    // A folder of that name is not a file.
    EXPECT_EQ(rm::LoadBitmapFile(dir.Path("a"), nullptr), rm::BitmapError::NotFound);

    // Long paths work.
    const std::string deep = dir.Path(std::string(200, 'd') + "/" + std::string(200, 'e') + "/");
    std::filesystem::create_directories(deep);
    WriteFile(deep + std::string(200, 'f') + ".bmp", MakeBmp({}));
    EXPECT_TRUE(rm::LoadTexture(deep + std::string(200, 'f') + ".bmp", {}));
}

TEST(Bitmap, MeshTexturesGetPixelsOnceAndMissingOnesKeepTheirNames) {
    TempDir dir;
    WriteFile(dir.Path("here.bmp"), MakeBmp({.width = 4, .height = 4}));
    rm::MeshBuilder mesh;
    const rm::Vector v[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const std::int32_t faces[] = {3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 0};
    ASSERT_TRUE(mesh.AddFaces(v, {}, faces));
    auto here = std::make_shared<rm::Texture>("here.bmp");
    auto gone = std::make_shared<rm::Texture>("gone.bmp");
    mesh.GetFace(0).SetTexture(here);
    mesh.GetFace(1).SetTexture(gone);
    mesh.GetFace(2).SetTexture(here);

    const std::vector<std::string> folders{dir.Path("")};
    EXPECT_EQ(rm::LoadMeshTextures(mesh, folders), std::vector<std::string>{"gone.bmp"});
    EXPECT_EQ(here->Width(), 4);
    EXPECT_EQ(mesh.GetFace(2).GetTexture(), here);
    EXPECT_TRUE(gone->Pixels().empty());
    EXPECT_EQ(mesh.GetFace(1).GetTexture()->GetName(), "gone.bmp");
}

}  // namespace
