#include "formats/dsm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.h"

namespace {

using testing_support::Model;
using testing_support::ReadFile;
using testing_support::ScopedLocale;
using testing_support::TempDir;

// The expected listings below are written with "\n"; files carry CR LF.
std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

const char* const kHeaderScene = R"(.data
.DmaPackVif 0
.macro fxyzw f1, f2, f3, f4
.float \f1, \f2, \f3, \f4
.endm
.macro iwzyx i1, i2, i3, i4
.int \i4, \i3, \i2, \i1
.endm

.macro ix i1
.int \i1
.endm

.global model_scene

model_scene:
DMAcnt *
BASE 256
OFFSET 384
ix 0x11000000    ; FLUSH
MSCAL 0
)";

void SetCorner(model::FaceTable& t, int f, int k, rm::Vector p, rm::Vector n, float u, float v) {
    t.position[f][k] = p;
    t.normal[f][k] = n;
    t.texU[f][k] = u;
    t.texV[f][k] = v;
}

// A triangle, a two-corner face with stale slots, a quadrilateral A B C D and a pentagon.
void FillSmallModel(model::FaceTable& t) {
    t.faceCount = 4;
    t.vertexCount[0] = 3;
    SetCorner(t, 0, 0, {1.0f, 2.5f, 0.1f}, {0, 0, 1}, 0.0f, 0.0f);
    SetCorner(t, 0, 1, {-4.0f, 5.0f, 1.0f / 3.0f}, {0, 0, 1}, 1.0f, 0.0f);
    SetCorner(t, 0, 2, {-0.5f, -0.0f, 1234.5678f}, {0, 0, 1}, 0.5f, 1.0f);

    t.vertexCount[1] = 2;
    for (int k = 0; k < 4; ++k) SetCorner(t, 1, k, {9, 9, 9}, {9, 9, 9}, 9, 9);

    t.vertexCount[2] = 4;
    SetCorner(t, 2, 0, {0, 0, 0}, {0, 0, -1}, 0.0f, 0.0f);  // A
    SetCorner(t, 2, 1, {1, 0, 0}, {0, 0, -1}, 1.0f, 0.0f);  // B
    SetCorner(t, 2, 2, {1, 1, 0}, {0, 0, -1}, 1.0f, 1.0f);  // C
    SetCorner(t, 2, 3, {0, 1, 0}, {0, 0, -1}, 0.0f, 1.0f);  // D
    t.faceColor[2] = {255, 64, 32, 128};

    t.vertexCount[3] = 5;
    SetCorner(t, 3, 0, {0, 0, 0}, {0, 0, 1}, 0.0f, 0.125f);
    SetCorner(t, 3, 1, {1, 0, 0}, {0, 0, 2}, 0.25f, 0.125f);
    SetCorner(t, 3, 2, {2, 1, 0}, {0, 0, 3}, 0.5f, 0.125f);
    SetCorner(t, 3, 3, {1, 2, 0}, {0, 0, 4}, 0.75f, 0.125f);
    SetCorner(t, 3, 4, {0, 1, 0}, {0, 0, 5}, 1.0f, 0.125f);
    t.faceColor[3] = {10, 20, 30, 40};
}

// Worked out by hand: the triangle as it is, no packet for the two-corner face, the
// quadrilateral in the order A B D C, and the pentagon as the fan (0 1 2) (0 2 3) (0 3 4).
const char* const kSmallModelPackets = R"(unpack[r] 4,4, V4_32, 0, *
iwzyx 0x0, 0x412, 0x300dc000, 0x8003
.EndUnpack

unpack[r] 4,4, V4_32, 1, *
;-- position --
fxyzw 1.000000, 2.500000, 0.100000, 1.0
fxyzw -4.000000, 5.000000, 0.333333, 1.0
fxyzw -0.500000, -0.000000, 1234.567749, 1.0
;-- normal --
fxyzw 0.000000, 0.000000, 1.000000, 1.0
fxyzw 0.000000, 0.000000, 1.000000, 1.0
fxyzw 0.000000, 0.000000, 1.000000, 1.0
;-- color --
fxyzw 192.0, 192.0, 192.0, 255.0
fxyzw 192.0, 192.0, 192.0, 255.0
fxyzw 192.0, 192.0, 192.0, 255.0
;-- texture --
fxyzw 0.000000, 0.000000, 1.0, 0.0
fxyzw 1.000000, 0.000000, 1.0, 0.0
fxyzw 0.500000, 1.000000, 1.0, 0.0
.EndUnpack
MSCNT


unpack[r] 4,4, V4_32, 0, *
iwzyx 0x0, 0x412, 0x300e4000, 0x8004
.EndUnpack

unpack[r] 4,4, V4_32, 1, *
;-- position --
fxyzw 0.000000, 0.000000, 0.000000, 1.0
fxyzw 1.000000, 0.000000, 0.000000, 1.0
fxyzw 0.000000, 1.000000, 0.000000, 1.0
fxyzw 1.000000, 1.000000, 0.000000, 1.0
;-- normal --
fxyzw 0.000000, 0.000000, -1.000000, 1.0
fxyzw 0.000000, 0.000000, -1.000000, 1.0
fxyzw 0.000000, 0.000000, -1.000000, 1.0
fxyzw 0.000000, 0.000000, -1.000000, 1.0
;-- color --
fxyzw 255.0, 64.0, 32.0, 128.0
fxyzw 255.0, 64.0, 32.0, 128.0
fxyzw 255.0, 64.0, 32.0, 128.0
fxyzw 255.0, 64.0, 32.0, 128.0
;-- texture --
fxyzw 0.000000, 0.000000, 1.0, 0.0
fxyzw 1.000000, 0.000000, 1.0, 0.0
fxyzw 0.000000, 1.000000, 1.0, 0.0
fxyzw 1.000000, 1.000000, 1.0, 0.0
.EndUnpack
MSCNT


unpack[r] 4,4, V4_32, 0, *
iwzyx 0x0, 0x412, 0x300dc000, 0x8003
.EndUnpack

unpack[r] 4,4, V4_32, 1, *
;-- position --
fxyzw 0.000000, 0.000000, 0.000000, 1.0
fxyzw 1.000000, 0.000000, 0.000000, 1.0
fxyzw 2.000000, 1.000000, 0.000000, 1.0
;-- normal --
fxyzw 0.000000, 0.000000, 1.000000, 1.0
fxyzw 0.000000, 0.000000, 2.000000, 1.0
fxyzw 0.000000, 0.000000, 3.000000, 1.0
;-- color --
fxyzw 10.0, 20.0, 30.0, 40.0
fxyzw 10.0, 20.0, 30.0, 40.0
fxyzw 10.0, 20.0, 30.0, 40.0
;-- texture --
fxyzw 0.000000, 0.125000, 1.0, 0.0
fxyzw 0.250000, 0.125000, 1.0, 0.0
fxyzw 0.500000, 0.125000, 1.0, 0.0
.EndUnpack
MSCNT


unpack[r] 4,4, V4_32, 0, *
iwzyx 0x0, 0x412, 0x300dc000, 0x8003
.EndUnpack

unpack[r] 4,4, V4_32, 1, *
;-- position --
fxyzw 0.000000, 0.000000, 0.000000, 1.0
fxyzw 2.000000, 1.000000, 0.000000, 1.0
fxyzw 1.000000, 2.000000, 0.000000, 1.0
;-- normal --
fxyzw 0.000000, 0.000000, 1.000000, 1.0
fxyzw 0.000000, 0.000000, 3.000000, 1.0
fxyzw 0.000000, 0.000000, 4.000000, 1.0
;-- color --
fxyzw 10.0, 20.0, 30.0, 40.0
fxyzw 10.0, 20.0, 30.0, 40.0
fxyzw 10.0, 20.0, 30.0, 40.0
;-- texture --
fxyzw 0.000000, 0.125000, 1.0, 0.0
fxyzw 0.500000, 0.125000, 1.0, 0.0
fxyzw 0.750000, 0.125000, 1.0, 0.0
.EndUnpack
MSCNT


unpack[r] 4,4, V4_32, 0, *
iwzyx 0x0, 0x412, 0x300dc000, 0x8003
.EndUnpack

unpack[r] 4,4, V4_32, 1, *
;-- position --
fxyzw 0.000000, 0.000000, 0.000000, 1.0
fxyzw 1.000000, 2.000000, 0.000000, 1.0
fxyzw 0.000000, 1.000000, 0.000000, 1.0
;-- normal --
fxyzw 0.000000, 0.000000, 1.000000, 1.0
fxyzw 0.000000, 0.000000, 4.000000, 1.0
fxyzw 0.000000, 0.000000, 5.000000, 1.0
;-- color --
fxyzw 10.0, 20.0, 30.0, 40.0
fxyzw 10.0, 20.0, 30.0, 40.0
fxyzw 10.0, 20.0, 30.0, 40.0
;-- texture --
fxyzw 0.000000, 0.125000, 1.0, 0.0
fxyzw 0.750000, 0.125000, 1.0, 0.0
fxyzw 1.000000, 0.125000, 1.0, 0.0
.EndUnpack
MSCNT


)";

TEST(DsmListing, EmptyModelIsHeaderAndTrailer) {
    Model m;
    m.table->faceCount = 0;
    const std::string expected = Crlf(std::string(kHeaderScene) + ".EndDmaData\n");
    EXPECT_EQ(formats::FormatDsm("scene", *m.table), expected);

    // The title names the symbol on both header lines.
    const std::string other = formats::FormatDsm("Robo_01", *m.table);
    EXPECT_NE(other.find(".global model_Robo_01\r\n\r\nmodel_Robo_01:\r\n"), std::string::npos);
    EXPECT_EQ(other.find("scene"), std::string::npos);
}

TEST(DsmListing, TriangleQuadAndFanAreWrittenByteForByte) {
    Model m;
    FillSmallModel(*m.table);
    const std::string expected =
        Crlf(std::string(kHeaderScene) + kSmallModelPackets + ".EndDmaData\n");
    const std::string got = formats::FormatDsm("scene", *m.table);
    EXPECT_EQ(got, expected);

    // Every line ends in CR LF; no bare LF or CR anywhere.
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i] == '\n') {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(got[i - 1], '\r') << "bare LF at " << i;
        }
        if (got[i] == '\r') {
            ASSERT_LT(i + 1, got.size());
            EXPECT_EQ(got[i + 1], '\n') << "bare CR at " << i;
        }
    }
}

TEST(DsmListing, NumbersDoNotFollowTheLocale) {
    Model m;
    FillSmallModel(*m.table);
    const std::string inC = formats::FormatDsm("scene", *m.table);
    ScopedLocale loc("de_DE.UTF-8");
    ASSERT_TRUE(loc.ok());
    EXPECT_EQ(formats::FormatDsm("scene", *m.table), inC);
}

TEST(DsmFile, WritesTheListingOrFailsCleanly) {
    Model m;
    FillSmallModel(*m.table);
    TempDir dir;
    const std::string path = dir.Path("scene.dsm");
    std::string error;
    ASSERT_EQ(formats::WriteDsm(path, "scene", *m.table, &error), 1) << error;
    EXPECT_EQ(ReadFile(path), formats::FormatDsm("scene", *m.table));
    // Nothing but the target is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                            std::filesystem::directory_iterator()),
              1);

    error.clear();
    EXPECT_EQ(formats::WriteDsm(dir.Path("missing/scene.dsm"), "scene", *m.table, &error), 0);
    EXPECT_FALSE(error.empty());
}

}  // namespace
