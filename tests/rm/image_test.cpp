// Texture images other than bitmaps: PNG, JPEG and TGA decode to the pixels that were
// written, and a file cut short or declaring too much is refused like a bitmap is.
#include <gtest/gtest.h>

#include <cstdlib>

#include "rm/bitmap.h"
#include "rm/bmp_builder.h"
#include "rm/image_builder.h"
#include "test_support.h"

namespace {

using testing_support::ImageFormat;
using testing_support::MakeImage;

rm::BitmapError Decode(const std::string& bytes, rm::Bitmap* out = nullptr,
                       rm::ImageKind* kind = nullptr) {
    return rm::DecodeBitmap(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), out, kind);
}

// Five columns, three rows, every pixel different, alpha varying.
std::uint32_t Sample(int x, int y) {
    return std::uint32_t(0x40 + 0x30 * x) << 24 | std::uint32_t(0x10 * (x + 1)) << 16 |
           std::uint32_t(0x20 * (y + 1)) << 8 | std::uint32_t(x * 3 + y);
}

TEST(Image, LosslessKindsGiveThePixelsThatWereWrittenFromTheTop) {
    const std::pair<ImageFormat, rm::ImageKind> kinds[] = {
        {ImageFormat::Png, rm::ImageKind::Png},
        {ImageFormat::Tga, rm::ImageKind::Tga},
        {ImageFormat::TgaRunLength, rm::ImageKind::Tga}};
    for (const auto& [format, kind] : kinds) {
        SCOPED_TRACE(int(format));
        rm::Bitmap bmp;
        rm::ImageKind found = rm::ImageKind::Unknown;
        ASSERT_EQ(Decode(MakeImage(format, 5, 3, Sample), &bmp, &found), rm::BitmapError::None);
        EXPECT_EQ(found, kind);
        ASSERT_EQ(bmp.width, 5);
        ASSERT_EQ(bmp.height, 3);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) EXPECT_EQ(bmp.pixels[y * 5 + x], Sample(x, y));
        }
    }
}

TEST(Image, JpegIsOpaqueAndCloseToWhatWasWritten) {
    // Flat blocks of colour survive the compression within a few steps.
    const auto block = [](int x, int y) {
        return x < 8 ? 0xFFC04020u : y < 8 ? 0xFF20C040u : 0xFF4020C0u;
    };
    rm::Bitmap bmp;
    rm::ImageKind kind = rm::ImageKind::Unknown;
    ASSERT_EQ(Decode(MakeImage(ImageFormat::Jpeg, 16, 16, block), &bmp, &kind),
              rm::BitmapError::None);
    EXPECT_EQ(kind, rm::ImageKind::Jpeg);
    ASSERT_EQ(bmp.width, 16);
    ASSERT_EQ(bmp.height, 16);
    for (const auto& [x, y] : {std::pair{2, 2}, std::pair{12, 3}, std::pair{13, 13}}) {
        const std::uint32_t got = bmp.pixels[y * 16 + x];
        const std::uint32_t want = block(x, y);
        EXPECT_EQ(got >> 24, 0xFFu);
        for (int shift : {16, 8, 0}) {
            EXPECT_LE(std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)), 6)
                << x << "," << y;
        }
    }
}

TEST(Image, RealJpegTexturesDecodeBaselineAndProgressive) {
    const std::tuple<const char*, int, int> files[] = {
        {"obj/SpiderTex.jpg", 249, 250},     // baseline
        {"obj/engineflare1.jpg", 128, 128},  // progressive
        {"obj/wal69ar_small.jpg", 250, 250}};
    for (const auto& [name, w, h] : files) {
        SCOPED_TRACE(name);
        rm::Bitmap bmp;
        rm::ImageKind kind = rm::ImageKind::Unknown;
        ASSERT_EQ(rm::LoadBitmapFile(testing_support::RealFile(name), &bmp, &kind),
                  rm::BitmapError::None);
        EXPECT_EQ(kind, rm::ImageKind::Jpeg);
        EXPECT_EQ(bmp.width, w);
        EXPECT_EQ(bmp.height, h);
        EXPECT_EQ(bmp.pixels.size(), std::size_t(w) * std::size_t(h));
    }
}

// A Huffman table's sixteen counts say how many codes follow; more than 256 is no JPEG, and
// the decoder would lay them out past its array before it looked. Refused wherever the table
// is: in the header of a baseline file, or between the scans of a progressive one.
TEST(Image, JpegHuffmanTablesOfMoreThan256CodesAreRefused) {
    std::string made = MakeImage(ImageFormat::Jpeg, 8, 8, Sample);
    const std::string real =
        testing_support::ReadFile(testing_support::RealFile("obj/engineflare1.jpg"));
    const std::size_t firstScan = real.find("\xFF\xDA");
    ASSERT_NE(firstScan, std::string::npos);
    for (auto [jpeg, from] : {std::pair{made, std::size_t(0)}, std::pair{real, firstScan}}) {
        ASSERT_EQ(Decode(jpeg), rm::BitmapError::None);
        const std::size_t dht = jpeg.find("\xFF\xC4", from);
        ASSERT_NE(dht, std::string::npos);
        // Marker, length, class and id, then the counts: 255 + 2 more codes than there were.
        jpeg[dht + 5] = char(0xFF);
        jpeg[dht + 6] = char(std::uint8_t(jpeg[dht + 6]) + 2);
        EXPECT_EQ(Decode(jpeg), rm::BitmapError::Unreadable) << "table at " << dht;
    }
}

TEST(Image, FilesCutShortAreRefusedAtEveryLength) {
    const auto noise = [](int x, int y) {
        return 0xFF000000u | std::uint32_t(x * 7919 + y * 104729);
    };
    for (ImageFormat format :
         {ImageFormat::Png, ImageFormat::Jpeg, ImageFormat::Tga, ImageFormat::TgaRunLength}) {
        SCOPED_TRACE(int(format));
        const std::string whole = MakeImage(format, 24, 20, noise);
        ASSERT_EQ(Decode(whole), rm::BitmapError::None);
        for (std::size_t cut = 0; cut < whole.size(); cut += (cut < 64 ? 1 : 13)) {
            rm::Bitmap bmp;
            EXPECT_EQ(Decode(whole.substr(0, cut), &bmp), rm::BitmapError::Unreadable) << cut;
            EXPECT_TRUE(bmp.pixels.empty());
        }
    }
}

TEST(Image, DeclaredSizesPastTheLimitsAreRefusedBeforeDecoding) {
    // PNG: the IHDR chunk's width and height, big-endian at 16 and 20.
    std::string png = MakeImage(ImageFormat::Png, 1, 1, Sample);
    for (const auto& [w, h] : {std::pair{8193u, 1u}, std::pair{1u, 8193u},
                               std::pair{0x80000000u, 1u}, std::pair{8192u, 8192u + 1}}) {
        std::string big = png;
        big.replace(16, 8, testing_support::Be32(w) + testing_support::Be32(h));
        EXPECT_EQ(Decode(big), rm::BitmapError::TooLarge) << w << " x " << h;
    }
    // JPEG: the frame header's height and width, found by walking the segments.
    std::string jpeg = MakeImage(ImageFormat::Jpeg, 8, 8, Sample);
    const std::size_t sof = jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    jpeg[sof + 7] = char(0x20);  // width 8 -> 0x2008 = 8200
    EXPECT_EQ(Decode(jpeg), rm::BitmapError::TooLarge);
    // TGA: 16-bit little-endian sides at 12 and 14; a header alone is enough.
    std::string tga = MakeImage(ImageFormat::Tga, 1, 1, Sample).substr(0, 18);
    tga[12] = char(0x01);
    tga[13] = char(0x20);  // 8193
    EXPECT_EQ(Decode(tga), rm::BitmapError::TooLarge);
    // The largest taken is the bitmap's: 8192 a side.
    std::string edge = MakeImage(ImageFormat::TgaRunLength, 8192, 1, Sample);
    rm::Bitmap bmp;
    EXPECT_EQ(Decode(edge, &bmp), rm::BitmapError::None);
    EXPECT_EQ(bmp.width, 8192);
}

TEST(Image, KindsAreKnownByContentAndNamesOnlySayWhatAFileWasMeantToBe) {
    using K = rm::ImageKind;
    testing_support::TempDir dir;
    // A PNG named .bmp is a PNG.
    testing_support::WriteFile(dir.Path("wood.bmp"), MakeImage(ImageFormat::Png, 2, 2, Sample));
    testing_support::WriteFile(dir.Path("bad.PNG"), "\x89PNG\r\n\x1a\n and then nothing");
    testing_support::WriteFile(dir.Path("junk.jpeg"), "not an image at all");
    testing_support::WriteFile(dir.Path("junk.dat"), "not an image at all");
    rm::BitmapError e = rm::BitmapError::None;
    K kind = K::Unknown;
    std::vector<std::string> folders{dir.Path("")};
    EXPECT_TRUE(rm::LoadTexture("wood.bmp", folders, &e, nullptr, &kind));
    EXPECT_EQ(kind, K::Png);
    EXPECT_FALSE(rm::LoadTexture("bad.PNG", folders, &e, nullptr, &kind));
    EXPECT_EQ(e, rm::BitmapError::Unreadable);
    EXPECT_EQ(kind, K::Png);
    EXPECT_FALSE(rm::LoadTexture("junk.jpeg", folders, &e, nullptr, &kind));
    EXPECT_EQ(kind, K::Jpeg);
    EXPECT_FALSE(rm::LoadTexture("junk.dat", folders, &e, nullptr, &kind));
    EXPECT_EQ(e, rm::BitmapError::Unreadable);
    EXPECT_EQ(kind, K::Unknown);
    EXPECT_FALSE(rm::LoadTexture("none.png", folders, &e, nullptr, &kind));
    EXPECT_EQ(e, rm::BitmapError::NotFound);
    EXPECT_EQ(kind, K::Unknown);
}

}  // namespace
