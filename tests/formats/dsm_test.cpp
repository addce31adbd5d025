#include "formats/dsm.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

using testing_support::Model;

// The expected listings below are written with "\n"; the writer ends every line in CR LF.
using testing_support::Crlf;

const std::string kHeaderScene =
    ".data\n.DmaPackVif 0\n.macro fxyzw f1, f2, f3, f4\n.float \\f1, \\f2, \\f3, \\f4\n.endm\n"
    ".macro iwzyx i1, i2, i3, i4\n.int \\i4, \\i3, \\i2, \\i1\n.endm\n\n"
    ".macro ix i1\n.int \\i1\n.endm\n\n.global model_scene\n\nmodel_scene:\n"
    "DMAcnt *\nBASE 256\nOFFSET 384\nix 0x11000000    ; FLUSH\nMSCAL 0\n";

// One packet of 3 or 4 corners: the fixed lines around its corner lines `rows`.
std::string Packet(int corners, const std::string& rows) {
    return std::string("unpack[r] 4,4, V4_32, 0, *\niwzyx 0x0, 0x412, ") +
           (corners == 3 ? "0x300dc000, 0x8003" : "0x300e4000, 0x8004") +
           "\n.EndUnpack\n\nunpack[r] 4,4, V4_32, 1, *\n" + rows + ".EndUnpack\nMSCNT\n\n\n";
}

void SetCorner(model::FaceTable& t, int f, int k, rm::Vector p, rm::Vector n, float u, float v) {
    t.position[f][k] = p;
    t.normal[f][k] = n;
    t.texU[f][k] = u;
    t.texV[f][k] = v;
}

// A triangle; a two-corner face with stale slots; a quadrilateral A B C D; a pentagon.
void FillTriangleEdgeQuadPentagon(model::FaceTable& t) {
    t.faceCount = 4;
    t.vertexCount[0] = 3;
    SetCorner(t, 0, 0, {1.0f, 2.5f, 0.1f}, {0, 0, 1}, 0.0f, 0.0f);
    SetCorner(t, 0, 1, {-4.0f, 5.0f, 1.0f / 3.0f}, {0, 1, 0}, 1.0f, 0.0f);
    SetCorner(t, 0, 2, {-0.5f, -0.0f, 1234.5678f}, {1, 0, 0}, 0.5f, 1.0f);
    t.vertexCount[1] = 2;
    for (int k = 0; k < 4; ++k) SetCorner(t, 1, k, {9, 9, 9}, {9, 9, 9}, 9, 9);
    t.vertexCount[2] = 4;
    const rm::Vector quad[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (int k = 0; k < 4; ++k)
        SetCorner(t, 2, k, quad[k], {0, 0, -1.0f - k}, quad[k].x, quad[k].y);
    t.faceColor[2] = {255, 64, 32, 128};
    t.vertexCount[3] = 5;
    const rm::Vector pentagon[5] = {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 1, 0}};
    for (int k = 0; k < 5; ++k)
        SetCorner(t, 3, k, pentagon[k], {0, 0, k + 1.0f}, 0.25f * float(k), 0.125f * float(k));
    t.faceColor[3] = {10, 20, 30, 40};
}

// Their packets' corner lines, by hand: the triangle as it is, nothing for the two-corner
// face, the quadrilateral in the order A B D C, the pentagon as the fan (0 1 2) (0 2 3)
// (0 3 4).
const std::string kTriangleRows =
    ";-- position --\nfxyzw 1.000000, 2.500000, 0.100000, 1.0\n"
    "fxyzw -4.000000, 5.000000, 0.333333, 1.0\n"
    "fxyzw -0.500000, -0.000000, 1234.567749, 1.0\n"
    ";-- normal --\nfxyzw 0.000000, 0.000000, 1.000000, 1.0\n"
    "fxyzw 0.000000, 1.000000, 0.000000, 1.0\nfxyzw 1.000000, 0.000000, 0.000000, 1.0\n"
    ";-- color --\nfxyzw 192.0, 192.0, 192.0, 255.0\nfxyzw 192.0, 192.0, 192.0, 255.0\n"
    "fxyzw 192.0, 192.0, 192.0, 255.0\n"
    ";-- texture --\nfxyzw 0.000000, 0.000000, 1.0, 0.0\n"
    "fxyzw 1.000000, 0.000000, 1.0, 0.0\nfxyzw 0.500000, 1.000000, 1.0, 0.0\n";
const std::string kQuadRows =
    ";-- position --\nfxyzw 0.000000, 0.000000, 0.000000, 1.0\n"
    "fxyzw 1.000000, 0.000000, 0.000000, 1.0\nfxyzw 0.000000, 1.000000, 0.000000, 1.0\n"
    "fxyzw 1.000000, 1.000000, 0.000000, 1.0\n"
    ";-- normal --\nfxyzw 0.000000, 0.000000, -1.000000, 1.0\n"
    "fxyzw 0.000000, 0.000000, -2.000000, 1.0\n"
    "fxyzw 0.000000, 0.000000, -4.000000, 1.0\n"
    "fxyzw 0.000000, 0.000000, -3.000000, 1.0\n"
    ";-- color --\nfxyzw 255.0, 64.0, 32.0, 128.0\nfxyzw 255.0, 64.0, 32.0, 128.0\n"
    "fxyzw 255.0, 64.0, 32.0, 128.0\nfxyzw 255.0, 64.0, 32.0, 128.0\n"
    ";-- texture --\nfxyzw 0.000000, 0.000000, 1.0, 0.0\n"
    "fxyzw 1.000000, 0.000000, 1.0, 0.0\nfxyzw 0.000000, 1.000000, 1.0, 0.0\n"
    "fxyzw 1.000000, 1.000000, 1.0, 0.0\n";
const std::string kPentagonColor =
    ";-- color --\nfxyzw 10.0, 20.0, 30.0, 40.0\nfxyzw 10.0, 20.0, 30.0, 40.0\n"
    "fxyzw 10.0, 20.0, 30.0, 40.0\n";
const std::string kFanRows[3] = {
    ";-- position --\nfxyzw 0.000000, 0.000000, 0.000000, 1.0\n"
    "fxyzw 1.000000, 0.000000, 0.000000, 1.0\nfxyzw 2.000000, 1.000000, 0.000000, 1.0\n"
    ";-- normal --\nfxyzw 0.000000, 0.000000, 1.000000, 1.0\n"
    "fxyzw 0.000000, 0.000000, 2.000000, 1.0\nfxyzw 0.000000, 0.000000, 3.000000, 1.0\n" +
        kPentagonColor +
        ";-- texture --\nfxyzw 0.000000, 0.000000, 1.0, 0.0\n"
        "fxyzw 0.250000, 0.125000, 1.0, 0.0\nfxyzw 0.500000, 0.250000, 1.0, 0.0\n",
    ";-- position --\nfxyzw 0.000000, 0.000000, 0.000000, 1.0\n"
    "fxyzw 2.000000, 1.000000, 0.000000, 1.0\nfxyzw 1.000000, 2.000000, 0.000000, 1.0\n"
    ";-- normal --\nfxyzw 0.000000, 0.000000, 1.000000, 1.0\n"
    "fxyzw 0.000000, 0.000000, 3.000000, 1.0\nfxyzw 0.000000, 0.000000, 4.000000, 1.0\n" +
        kPentagonColor +
        ";-- texture --\nfxyzw 0.000000, 0.000000, 1.0, 0.0\n"
        "fxyzw 0.500000, 0.250000, 1.0, 0.0\nfxyzw 0.750000, 0.375000, 1.0, 0.0\n",
    ";-- position --\nfxyzw 0.000000, 0.000000, 0.000000, 1.0\n"
    "fxyzw 1.000000, 2.000000, 0.000000, 1.0\nfxyzw 0.000000, 1.000000, 0.000000, 1.0\n"
    ";-- normal --\nfxyzw 0.000000, 0.000000, 1.000000, 1.0\n"
    "fxyzw 0.000000, 0.000000, 4.000000, 1.0\nfxyzw 0.000000, 0.000000, 5.000000, 1.0\n" +
        kPentagonColor +
        ";-- texture --\nfxyzw 0.000000, 0.000000, 1.0, 0.0\n"
        "fxyzw 0.750000, 0.375000, 1.0, 0.0\nfxyzw 1.000000, 0.500000, 1.0, 0.0\n",
};

TEST(DsmListing, TitleTriangleQuadAndFanAreWrittenByteForByte) {
    Model m;
    model::FaceTable& t = *m.table;
    EXPECT_EQ(formats::FormatDsm("scene", t), Crlf(kHeaderScene + ".EndDmaData\n"));
    // The title names the symbol on both header lines.
    const std::string other = formats::FormatDsm("Robo_01", t);
    EXPECT_NE(other.find(".global model_Robo_01\r\n\r\nmodel_Robo_01:\r\n"), std::string::npos);
    EXPECT_EQ(other.find("scene"), std::string::npos);

    FillTriangleEdgeQuadPentagon(t);
    const std::string expected = kHeaderScene + Packet(3, kTriangleRows) + Packet(4, kQuadRows) +
                                 Packet(3, kFanRows[0]) + Packet(3, kFanRows[1]) +
                                 Packet(3, kFanRows[2]) + ".EndDmaData\n";
    EXPECT_EQ(formats::FormatDsm("scene", t), Crlf(expected));
}

}  // namespace
