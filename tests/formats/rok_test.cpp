#include "formats/rok.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace {

using testing_support::Model;

// One number per line, LF line ends.
std::string N(std::initializer_list<int> numbers) {
    std::string s;
    for (int n : numbers) s += std::to_string(n) + "\n";
    return s;
}

// Number, five unused lines, x, y, z.
std::string Point(int n, int x, int y, int z) {
    return N({n, 0, 0, 0, 0, 0, x, y, z});
}
// First point, second point, two unused numbers.
std::string Edge(int a, int b) {
    return N({a, b, 0, 0});
}
// Vertex count, colour index, face number, then the edge numbers.
std::string Face(int count, int color, int number, std::initializer_list<int> edges) {
    return N({count, color, number}) + N(edges);
}

// Entry 1 red, 2 half red + half blue, then blue, the last green; each entry two RGB halves
// and an unused line.
std::string Palette(int entries = 13, const std::string& countLine = "13") {
    std::string s = "PALC0\n" + countLine + "\n0\n" + N({255, 0, 0, 255, 0, 0, 0}) +
                    N({255, 0, 0, 0, 0, 255, 0});
    for (int i = 3; i < entries; ++i) s += N({0, 0, 255, 0, 0, 255, 0});
    return s + N({0, 255, 0, 0, 255, 0, 0}) + "ENDP0\n";
}

// A rectangle 1 2 3 4; edges 1:(2,1) 2:(2,3) 3:(4,3) 4:(4,1).
const std::string kPoints = "POINT\n" + Point(1, 0, 0, 0) + Point(2, 1, 0, 0) + Point(3, 1, 10, 2) +
                            Point(4, 0, 10, 2) + "LINE0\n";
const std::string kEdges = Edge(2, 1) + Edge(2, 3) + Edge(4, 3) + Edge(4, 1) + "FACE0\n";
const std::string kOneFace = Face(3, 0, 1, {1, 2, 3}) + "END00\n";

// A comment line first and a line between END00 and PALC0.
const std::string kFile = "Rokkaku model\n" + kPoints + kEdges +
                          Face(3, 0, 1, {1, 2, 3}) +     // corners 1 2 3
                          Face(4, 1, 2, {1, 2, 3, 4}) +  // 1 2 3 4
                          Face(3, 0, 3, {1, 3, 2}) +     // (2,1) and (4,3) apart: skipped
                          Face(4, 0, 4, {1, 2, 1, 4}) +  // third edge misses 3: skipped
                          Face(3, 12, 5, {4, 3, 1}) +    // 1 4 3
                          Face(3, 13, 6, {2, 3, 1}) +    // 2 3 4
                          "END00\nsomething\n" + Palette();

std::vector<std::vector<rm::Vector>> Corners(model::ModelHost& host) {
    std::vector<std::vector<rm::Vector>> out(host.m_pMesh->GetFaceCount());
    for (std::size_t f = 0; f < out.size(); ++f) {
        rm::Face face = host.m_pMesh->GetFace(int(f));
        out[f].resize(std::size_t(face.GetVertexCount()));
        for (int k = 0; k < face.GetVertexCount(); ++k) face.GetVertex(k, &out[f][k], nullptr);
    }
    return out;
}

TEST(RokReader, EveryJoinedFaceBecomesTwoWindingsWithItsPaletteColour) {
    Model m;
    formats::ReadResult error;
    ASSERT_EQ(formats::ReadRokBytes(kFile, m.host, &error), 1) << error.detail;
    // y is negated; each face is followed by its reverse.
    const rm::Vector p1{0, 0, 0}, p2{1, 0, 0}, p3{1, -10, 2}, p4{0, -10, 2};
    const std::vector<std::vector<rm::Vector>> expected{
        {p1, p2, p3}, {p3, p2, p1}, {p1, p2, p3, p4}, {p4, p3, p2, p1},
        {p1, p4, p3}, {p3, p4, p1}, {p2, p3, p4},     {p4, p3, p2}};
    EXPECT_EQ(Corners(m.host), expected);
    // Index c takes entry c + 1, the two halves summed over 510; 13 is the built-in grey.
    const std::uint32_t colors[] = {0xFF0000, 0xFF0000, 0x800080, 0x800080,
                                    0x00FF00, 0x00FF00, 0x808080, 0x808080};
    for (int f = 0; f < 8; ++f)
        EXPECT_EQ(m.host.m_pMesh->GetFace(f).GetColor() & 0xFFFFFF, colors[f]) << f;
}

TEST(RokReader, LineEndsAndOverlongLines) {
    Model reference;
    ASSERT_EQ(formats::ReadRokBytes(kFile, reference.host), 1);
    const auto ends = testing_support::WithLineEnds;
    // Beyond 19 characters a line is cut and its rest read as the next line: here one long
    // line stands for two of the first point's unused lines.
    std::string cut = kFile;
    cut.replace(cut.find("POINT\n1\n") + 8, 4, "abcdefghijklmnopqrsWXYZ\n");
    // At the limit: 20 characters are cut after the 19th, 19 stay one line.
    std::string twenty = kFile, nineteen = kFile;
    twenty.replace(twenty.find("POINT\n1\n") + 8, 4, "12345678901234567890\n");
    nineteen.replace(nineteen.find("POINT\n1\n") + 8, 2, "1234567890123456789\n");
    for (const std::string& text : {ends(kFile, "\r"), ends(kFile, "\r\n"), ends(kFile, "\n\r"),
                                    ends(kFile, "\r\r\n"), cut, twenty, nineteen}) {
        Model m;
        ASSERT_EQ(formats::ReadRokBytes(text, m.host), 1) << text.substr(0, 20);
        EXPECT_EQ(Corners(m.host), Corners(reference.host));
    }
    // Two line ends of one kind make an empty line: here the first point's number.
    Model twice;
    EXPECT_EQ(formats::ReadRokBytes(ends(kFile, "\r\r"), twice.host), 0);
}

TEST(RokReader, BrokenFilesFailAndAddNothing) {
    const std::string pal = Palette();
    const std::string edges123 = kPoints + Edge(2, 1) + Edge(2, 3);
    const std::vector<std::pair<const char*, std::string>> cases{
        {"point numbered 0", "POINT\n0" + kPoints.substr(7) + kEdges + kOneFace + pal},
        {"edge to point 0", edges123 + Edge(0, 3) + "FACE0\n" + kOneFace + pal},
        {"edge to point 5 of 4", edges123 + Edge(5, 3) + "FACE0\n" + kOneFace + pal},
        {"face with edge 0", kPoints + kEdges + Face(3, 0, 1, {1, 2, 0}) + "END00\n" + pal},
        {"face with edge 5 of 4", kPoints + kEdges + Face(3, 0, 1, {1, 2, 5}) + "END00\n" + pal},
        {"colour index -1", kPoints + kEdges + Face(3, -1, 1, {1, 2, 3}) + "END00\n" + pal},
        {"colour index 14", kPoints + kEdges + Face(3, 14, 1, {1, 2, 3}) + "END00\n" + pal},
        {"two vertices", kPoints + kEdges + Face(2, 0, 1, {1, 2}) + "END00\n" + pal},
        {"five vertices", kPoints + kEdges + Face(5, 0, 1, {1, 2, 3, 4, 1}) + "END00\n" + pal},
        {"face numbered 0", kPoints + kEdges + Face(3, 0, 0, {1, 2, 3}) + "END00\n" + pal},
        {"no face joins", kPoints + kEdges + Face(3, 0, 1, {1, 3, 2}) + "END00\n" + pal},
        {"count line 12", kPoints + kEdges + kOneFace + Palette(13, "12")},
        {"12 entries", kPoints + kEdges + kOneFace + Palette(12)},
        {"14 entries", kPoints + kEdges + kOneFace + Palette(14)},
    };
    for (const auto& [name, text] : cases) {
        Model m;
        formats::ReadResult error;
        EXPECT_EQ(formats::ReadRokBytes(text, m.host, &error), 0) << name;
        EXPECT_FALSE(error.detail.empty()) << name;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0) << name;
    }
}

TEST(RokReader, EveryTruncatedFileFails) {
    // "ENDP0" without its line end will do.
    for (std::size_t n = 0; n < kFile.size(); ++n) {
        auto host = model::ModelHost::CreateStandalone();
        const int result = formats::ReadRokBytes(std::string_view(kFile).substr(0, n), host);
        EXPECT_EQ(result, n + 1 >= kFile.size() ? 1 : 0) << n;
        EXPECT_EQ(host.m_pMesh->GetFaceCount(), result ? 8 : 0) << n;
    }
}

}  // namespace
