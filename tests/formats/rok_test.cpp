#include "formats/rok.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "cli/convert.h"
#include "test_support.h"

namespace {

using testing_support::Model;
using testing_support::ReadFile;
using testing_support::ScopedLocale;
using testing_support::TempDir;
using testing_support::WriteFile;

// --- Writing fixtures: one number per line, LF line ends (other ends are made from these).

std::string Lines(std::initializer_list<std::string> lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

// Number, five unused lines, x, y, z.
std::string Point(const std::string& number, const std::string& x, const std::string& y,
                  const std::string& z) {
    return Lines({number, "0", "0", "0", "0", "0", x, y, z});
}

// First point, second point, two unused numbers.
std::string Edge(int a, int b) {
    return Lines({std::to_string(a), std::to_string(b), "0", "0"});
}

// Vertex count, colour index, face number, then the edge numbers.
std::string Face(int count, int color, int number, std::initializer_list<int> edges) {
    std::string s = Lines({std::to_string(count), std::to_string(color), std::to_string(number)});
    for (int e : edges) s += std::to_string(e) + "\n";
    return s;
}

using Entry = std::array<int, 6>;

// "PALC0", the count line, an unused line, seven lines per entry, "ENDP0".
std::string Palette(const std::vector<Entry>& entries, const std::string& countLine = "13") {
    std::string s = Lines({"PALC0", countLine, "0"});
    for (const Entry& e : entries) {
        for (int v : e) s += std::to_string(v) + "\n";
        s += "0\n";
    }
    return s + "ENDP0\n";
}

constexpr Entry kRed{255, 0, 0, 255, 0, 0};
constexpr Entry kHalfGrey{255, 255, 255, 0, 0, 0};
constexpr Entry kBlue{0, 0, 255, 0, 0, 255};
constexpr Entry kGreen{0, 255, 0, 0, 255, 0};

// Entry 1 red, 2 mid grey, 3 to 12 blue, 13 green.
std::vector<Entry> StandardPalette() {
    std::vector<Entry> p{kRed, kHalfGrey};
    for (int i = 3; i <= 12; ++i) p.push_back(kBlue);
    p.push_back(kGreen);
    return p;
}

const std::string kThreePoints = "POINT\n" + Point("1", "0", "0", "0") + Point("2", "1", "0", "0") +
                                 Point("3", "0", "10", "2") + "LINE0\n";
const std::string kThreeEdges = Edge(1, 2) + Edge(3, 2) + Edge(3, 1) + "FACE0\n";

// One triangle, colour index 0, with a comment line before "POINT" and a line between
// "END00" and "PALC0".
std::string TriangleFile() {
    return "Rokkaku model\n" + kThreePoints + kThreeEdges + Face(3, 0, 1, {1, 2, 3}) +
           "END00\nsomething\n" + Palette(StandardPalette());
}

std::string WithLineEnds(const std::string& lf, const std::string& end) {
    std::string out;
    for (char c : lf) {
        if (c == '\n') {
            out += end;
        } else {
            out += c;
        }
    }
    return out;
}

// --- Looking at the result.

rm::Vector Corner(model::ModelHost& host, int face, int k, rm::Vector* normal = nullptr) {
    rm::Vector p;
    EXPECT_TRUE(host.m_pMesh->GetFace(face).GetVertex(k, &p, normal));
    return p;
}

std::vector<rm::Vector> Corners(model::ModelHost& host, int face) {
    std::vector<rm::Vector> out;
    rm::Face f = host.m_pMesh->GetFace(face);
    for (int k = 0; k < f.GetVertexCount(); ++k) out.push_back(Corner(host, face, k));
    return out;
}

rm::Color ColorOf(model::ModelHost& host, int face) {
    return host.m_pMesh->GetFace(face).GetColor() & 0xFFFFFF;
}

// A model that already holds one face, so that "nothing added" can be seen.
Model ModelWithOneFace() {
    Model m;
    const std::vector<rm::Vector> v{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const std::vector<std::int32_t> data{3, 0, 1, 2, 0};
    EXPECT_TRUE(m.host.m_pMesh->AddFaces(v, {}, data));
    return m;
}

constexpr rm::Vector kP1{0, 0, 0}, kP2{1, 0, 0}, kP3{0, -10, 2};

TEST(RokReader, TriangleBecomesTwoFacesOfOppositeWinding) {
    Model m;
    std::string error;
    ASSERT_EQ(formats::ReadRokBytes(TriangleFile(), m.host, &error), 1) << error;
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2);

    // y is negated, x and z stay; edges (1,2) (3,2) (3,1) give the corners 1 2 3.
    EXPECT_EQ(Corners(m.host, 0), (std::vector<rm::Vector>{kP1, kP2, kP3}));
    EXPECT_EQ(Corners(m.host, 1), (std::vector<rm::Vector>{kP3, kP2, kP1}));

    // Colour index 0 takes the file's first entry; both windings share it.
    EXPECT_EQ(ColorOf(m.host, 0), 0xFF0000u);
    EXPECT_EQ(ColorOf(m.host, 1), 0xFF0000u);

    // Front normal (A-B) x (B-C) = (0, -2, -10) normalised; the back face has the opposite.
    const float len = std::sqrt(104.0f);
    for (int k = 0; k < 3; ++k) {
        rm::Vector front, back;
        Corner(m.host, 0, k, &front);
        Corner(m.host, 1, k, &back);
        EXPECT_NEAR(front.x, 0.0f, 1e-6f);
        EXPECT_NEAR(front.y, -2.0f / len, 1e-6f);
        EXPECT_NEAR(front.z, -10.0f / len, 1e-6f);
        EXPECT_NEAR(back.x, -front.x, 1e-6f);
        EXPECT_NEAR(back.y, -front.y, 1e-6f);
        EXPECT_NEAR(back.z, -front.z, 1e-6f);
    }
}

TEST(RokReader, CornersFollowTheEdgesWhicheverWayTheyAreListed) {
    {
        // The first edge's first point lies on the second edge, so it is taken second.
        const std::string file = kThreePoints + Edge(2, 1) + Edge(2, 3) + Edge(3, 1) + "FACE0\n" +
                                 Face(3, 0, 1, {1, 2, 3}) + "END00\n" + Palette(StandardPalette());
        Model m;
        ASSERT_EQ(formats::ReadRokBytes(file, m.host), 1);
        EXPECT_EQ(Corners(m.host, 0), (std::vector<rm::Vector>{kP1, kP2, kP3}));
    }
    {
        // A square from edges (2,1) (2,3) (4,3) (4,1): corners 1 2 3 4, back 4 3 2 1.
        const std::string file = "POINT\n" + Point("1", "0", "0", "0") + Point("2", "1", "0", "0") +
                                 Point("3", "1", "1", "0") + Point("4", "0", "1", "0") + "LINE0\n" +
                                 Edge(2, 1) + Edge(2, 3) + Edge(4, 3) + Edge(4, 1) + "FACE0\n" +
                                 Face(4, 0, 1, {1, 2, 3, 4}) + "END00\n" +
                                 Palette(StandardPalette());
        Model m;
        ASSERT_EQ(formats::ReadRokBytes(file, m.host), 1);
        ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
        const rm::Vector a{0, 0, 0}, b{1, 0, 0}, c{1, -1, 0}, d{0, -1, 0};
        EXPECT_EQ(Corners(m.host, 0), (std::vector<rm::Vector>{a, b, c, d}));
        EXPECT_EQ(Corners(m.host, 1), (std::vector<rm::Vector>{d, c, b, a}));
    }
}

TEST(RokReader, FaceColoursComeFromThePalette) {
    // Colour indices 0, 1, 12 and 13 on four faces over the same edges.
    const std::string body = kThreePoints + kThreeEdges + Face(3, 0, 1, {1, 2, 3}) +
                             Face(3, 1, 2, {1, 2, 3}) + Face(3, 12, 3, {1, 2, 3}) +
                             Face(3, 13, 4, {1, 2, 3}) + "END00\n";
    Model m;
    ASSERT_EQ(formats::ReadRokBytes(body + Palette(StandardPalette()), m.host), 1);
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 8);
    EXPECT_EQ(ColorOf(m.host, 0), 0xFF0000u);  // entry 1: (255 + 255) / 510
    EXPECT_EQ(ColorOf(m.host, 2), 0x808080u);  // entry 2: 255 + 0 gives one half
    EXPECT_EQ(ColorOf(m.host, 3), 0x808080u);
    EXPECT_EQ(ColorOf(m.host, 4), 0x00FF00u);  // entry 13
    EXPECT_EQ(ColorOf(m.host, 6), 0x808080u);  // 13 has no file entry: built-in grey
    EXPECT_EQ(ColorOf(m.host, 7), 0x808080u);

    // With a palette of nothing but red, index 13 is still grey.
    Model red;
    ASSERT_EQ(formats::ReadRokBytes(body + Palette(std::vector<Entry>(13, kRed)), red.host), 1);
    EXPECT_EQ(ColorOf(red.host, 4), 0xFF0000u);
    EXPECT_EQ(ColorOf(red.host, 6), 0x808080u);
}

TEST(RokReader, LineEndsAndLongLines) {
    Model reference;
    ASSERT_EQ(formats::ReadRokBytes(TriangleFile(), reference.host), 1);
    const auto expected = Corners(reference.host, 0);

    for (const std::string end : {"\r", "\r\n", "\n\r", "\r\r\n"}) {
        Model m;
        std::string error;
        ASSERT_EQ(formats::ReadRokBytes(WithLineEnds(TriangleFile(), end), m.host, &error), 1)
            << "line end of " << end.size() << " bytes: " << error;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
        EXPECT_EQ(Corners(m.host, 0), expected);
    }
    // Two line ends of the same kind make an empty line: here the first point's number.
    for (const std::string end : {"\n\n", "\r\r"}) {
        Model m;
        EXPECT_EQ(formats::ReadRokBytes(WithLineEnds(TriangleFile(), end), m.host), 0);
    }

    // A line of more than 19 characters is cut, its rest being the next line: here the
    // first point has only four physical unused lines, the first of them 23 characters.
    const std::string cut = "POINT\n1\nabcdefghijklmnopqrsWXYZ\n0\n0\n0\n0\n0\n0\n" +
                            Point("2", "1", "0", "0") + Point("3", "0", "10", "2") + "LINE0\n" +
                            kThreeEdges + Face(3, 0, 1, {1, 2, 3}) + "END00\n" +
                            Palette(StandardPalette());
    Model m;
    ASSERT_EQ(formats::ReadRokBytes(cut, m.host), 1);
    EXPECT_EQ(Corners(m.host, 0), expected);

    // 19 characters fit: one line, one number.
    const std::string full =
        "POINT\n" + Point("1", "0000000000000000000", "-000000000000000.25", "0") +
        Point("2", "1", "0", "0") + Point("3", "0", "10", "2") + "LINE0\n" + kThreeEdges +
        Face(3, 0, 1, {1, 2, 3}) + "END00\n" + Palette(StandardPalette());
    Model f;
    ASSERT_EQ(formats::ReadRokBytes(full, f.host), 1);
    EXPECT_EQ(Corner(f.host, 0, 0), (rm::Vector{0.0f, 0.25f, 0.0f}));
}

TEST(RokReader, BrokenFilesFailAndAddNothing) {
    const std::string palette = Palette(StandardPalette());
    const std::string oneFace = Face(3, 0, 1, {1, 2, 3}) + "END00\n";
    const std::vector<std::pair<const char*, std::string>> cases{
        {"empty file", ""},
        {"no POINT line", Lines({"LINE0", "FACE0", "END00"}) + palette},
        {"keyword in lower case", "point\n" + Point("1", "0", "0", "0") + "LINE0\n"},
        {"no points", "POINT\nLINE0\n" + Edge(1, 1) + "FACE0\n" + oneFace + palette},
        {"points 1, 2, 4", "POINT\n" + Point("1", "0", "0", "0") + Point("2", "1", "0", "0") +
                               Point("4", "0", "1", "0") + "LINE0\n" + kThreeEdges + oneFace +
                               palette},
        {"point numbered 0", "POINT\n" + Point("0", "0", "0", "0") + "LINE0\n"},
        {"end of file inside a point", "POINT\n1\n0\n0\n0\n0\n0\n1\n2\n"},
        {"end of file before LINE0", "POINT\n" + Point("1", "0", "0", "0")},
        {"no edges", kThreePoints + "FACE0\n" + oneFace + palette},
        {"edge to point 0",
         kThreePoints + Edge(1, 2) + Edge(3, 2) + Edge(0, 1) + "FACE0\n" + oneFace + palette},
        {"edge to point -1",
         kThreePoints + Edge(1, 2) + Edge(-1, 2) + Edge(3, 1) + "FACE0\n" + oneFace + palette},
        {"edge to point 4 of 3",
         kThreePoints + Edge(1, 2) + Edge(3, 4) + Edge(3, 1) + "FACE0\n" + oneFace + palette},
        {"end of file before FACE0", kThreePoints + Edge(1, 2)},
        {"no faces", kThreePoints + kThreeEdges + "END00\n" + palette},
        {"five vertices",
         kThreePoints + kThreeEdges + Face(5, 0, 1, {1, 2, 3, 1, 2}) + "END00\n" + palette},
        {"two vertices", kThreePoints + kThreeEdges + Face(2, 0, 1, {1, 2}) + "END00\n" + palette},
        {"colour index 14",
         kThreePoints + kThreeEdges + Face(3, 14, 1, {1, 2, 3}) + "END00\n" + palette},
        {"colour index -1",
         kThreePoints + kThreeEdges + Face(3, -1, 1, {1, 2, 3}) + "END00\n" + palette},
        {"faces numbered 1, 3", kThreePoints + kThreeEdges + Face(3, 0, 1, {1, 2, 3}) +
                                    Face(3, 0, 3, {1, 2, 3}) + "END00\n" + palette},
        {"face with edge 0",
         kThreePoints + kThreeEdges + Face(3, 0, 1, {1, 0, 3}) + "END00\n" + palette},
        {"face with edge -2",
         kThreePoints + kThreeEdges + Face(3, 0, 1, {1, 2, -2}) + "END00\n" + palette},
        {"face with edge 4 of 3",
         kThreePoints + kThreeEdges + Face(3, 0, 1, {1, 2, 4}) + "END00\n" + palette},
        {"end of file before END00", kThreePoints + kThreeEdges + Face(3, 0, 1, {1, 2, 3})},
        {"no palette", kThreePoints + kThreeEdges + oneFace},
        {"count line 12", kThreePoints + kThreeEdges + oneFace + Palette(StandardPalette(), "12")},
        {"count line 14", kThreePoints + kThreeEdges + oneFace + Palette(StandardPalette(), "14")},
        {"12 entries",
         kThreePoints + kThreeEdges + oneFace + Palette(std::vector<Entry>(12, kRed))},
        {"14 entries",
         kThreePoints + kThreeEdges + oneFace + Palette(std::vector<Entry>(14, kRed))},
        {"no ENDP0", kThreePoints + kThreeEdges + oneFace + palette.substr(0, palette.size() - 6)},
        {"point number beyond int", "POINT\n" + Point("99999999999999999999", "0", "0", "0")},
        {"point number 2^32 + 1", "POINT\n" + Point("4294967297", "0", "0", "0")},
        {"NUL bytes only", std::string(4096, '\0')},
    };
    for (const auto& [name, text] : cases) {
        Model m = ModelWithOneFace();
        std::string error;
        EXPECT_EQ(formats::ReadRokBytes(text, m.host, &error), 0) << name;
        EXPECT_FALSE(error.empty()) << name;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1) << name;
        EXPECT_EQ(m.host.m_pMesh->GetVertexCount(), 3u) << name;
    }
}

TEST(RokReader, FilesOfOtherFormatsAreRefused) {
    for (const std::string& path : testing_support::RealFiles("")) {
        if (path.ends_with("README.md")) continue;
        Model m = ModelWithOneFace();
        EXPECT_EQ(formats::ReadRok(path, m.host), 0) << path;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1) << path;
    }
}

TEST(RokReader, EveryTruncatedFileFails) {
    const std::string file = TriangleFile();
    const std::size_t complete = file.size() - 1;  // "ENDP0" without its line end is enough
    for (std::size_t n = 0; n < file.size(); ++n) {
        struct {
            model::ModelHost host = model::ModelHost::CreateStandalone();
        } m;
        const int result = formats::ReadRokBytes(std::string_view(file).substr(0, n), m.host);
        EXPECT_EQ(result, n >= complete ? 1 : 0) << "first " << n << " bytes";
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), result ? 2 : 0) << "first " << n << " bytes";
    }
}

TEST(RokReader, FacesWhoseEdgesDoNotJoinAreSkipped) {
    // Points 1..4 of a square; edges 1-2, 2-3, 3-4, 4-1.
    const std::string head = "POINT\n" + Point("1", "0", "0", "0") + Point("2", "1", "0", "0") +
                             Point("3", "1", "1", "0") + Point("4", "0", "1", "0") + "LINE0\n" +
                             Edge(1, 2) + Edge(2, 3) + Edge(3, 4) + Edge(4, 1) + "FACE0\n";
    const std::string faces = Face(3, 0, 1, {1, 3, 2}) +     // 1-2 then 3-4: apart
                              Face(3, 2, 2, {1, 2, 4}) +     // joins: points 1 2 3
                              Face(4, 0, 3, {1, 2, 1, 4}) +  // third edge misses point 3
                              Face(4, 12, 4, {1, 2, 3, 4});  // the square
    Model m = ModelWithOneFace();
    std::string error;
    ASSERT_EQ(formats::ReadRokBytes(head + faces + "END00\n" + Palette(StandardPalette()), m.host,
                                    &error),
              1)
        << error;
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 1 + 4);
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetVertexCount(), 3);
    EXPECT_EQ(ColorOf(m.host, 1), 0x0000FFu);  // the second face's colour, entry 3
    EXPECT_EQ(m.host.m_pMesh->GetFace(3).GetVertexCount(), 4);
    EXPECT_EQ(ColorOf(m.host, 3), 0x00FF00u);

    // When no face is left the read fails.
    Model none = ModelWithOneFace();
    EXPECT_EQ(
        formats::ReadRokBytes(
            head + Face(3, 0, 1, {1, 3, 2}) + "END00\n" + Palette(StandardPalette()), none.host),
        0);
    EXPECT_EQ(none.host.m_pMesh->GetFaceCount(), 1);
}

TEST(RokReader, OddBytesAndNumbers) {
    // A NUL ends a line's text, as in a C string; the rest of the line is ignored.
    std::string nul = TriangleFile();
    nul.replace(nul.find("POINT\n"), 6, std::string("POINT\0junk\n", 11));
    Model a;
    EXPECT_EQ(formats::ReadRokBytes(nul, a.host), 1);

    // Numbers read as far as they go, and a line without one counts as 0.
    const std::string loose = "POINT\n" + Point(" +1", "  2.5e1xyz", "abc", ".5") +
                              Point("2", "1", "0", "0") + Point("3", "0", "10", "2") + "LINE0\n" +
                              kThreeEdges + Face(3, 0, 1, {1, 2, 3}) + "END00\n" +
                              Palette(StandardPalette());
    Model b;
    ASSERT_EQ(formats::ReadRokBytes(loose, b.host), 1);
    EXPECT_EQ(Corner(b.host, 0, 0), (rm::Vector{25.0f, -0.0f, 0.5f}));

    // Coordinates beyond float range and huge palette values are taken without harm.
    const std::string huge =
        "POINT\n" + Point("1", "1e300", "-1e39", "0") + Point("2", "1", "0", "0") +
        Point("3", "0", "10", "2") + "LINE0\n" + kThreeEdges + Face(3, 0, 1, {1, 2, 3}) +
        "END00\n" +
        Palette(std::vector<Entry>(
            13, Entry{2147483647, 2147483647, -2147483647, 2147483647, -2147483647, -2147483647}));
    Model c;
    ASSERT_EQ(formats::ReadRokBytes(huge, c.host), 1);
    const rm::Vector p = Corner(c.host, 0, 0);
    EXPECT_TRUE(std::isinf(p.x) && p.x > 0);
    EXPECT_TRUE(std::isinf(p.y) && p.y > 0);
    EXPECT_EQ(ColorOf(c.host, 0), 0xFF0000u);  // red saturates, green sums to 0, blue < 0
}

TEST(RokReader, NumbersDoNotFollowTheLocale) {
    const std::string file = "POINT\n" + Point("1", "1.5", "-0.25", "1e-1") +
                             Point("2", "1", "0", "0") + Point("3", "0", "10", "2") + "LINE0\n" +
                             kThreeEdges + Face(3, 0, 1, {1, 2, 3}) + "END00\n" +
                             Palette(StandardPalette());
    ScopedLocale loc("de_DE.UTF-8");
    ASSERT_TRUE(loc.ok());
    Model m;
    ASSERT_EQ(formats::ReadRokBytes(file, m.host), 1);
    EXPECT_EQ(Corner(m.host, 0, 0), (rm::Vector{1.5f, 0.25f, 0.1f}));
}

TEST(RokReader, AddsToTheModelAndFailsWithoutAMesh) {
    Model m = ModelWithOneFace();
    ASSERT_EQ(formats::ReadRokBytes(TriangleFile(), m.host), 1);
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 3);
    EXPECT_EQ(m.host.m_pMesh->GetFace(0).GetVertexCount(), 3);  // the old face stays first
    EXPECT_EQ(Corner(m.host, 1, 2), kP3);

    m.host.m_pD3DRoot->FailNext(rm::Root::Op::CreateMeshBuilder);
    std::string error;
    EXPECT_EQ(formats::ReadRokBytes(TriangleFile(), m.host, &error), 0);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 3);

    TempDir dir;
    const std::string path = dir.Path("triangle.rok");
    WriteFile(path, WithLineEnds(TriangleFile(), "\r\n"));
    Model fromFile;
    ASSERT_EQ(formats::ReadRok(path, fromFile.host, &error), 1) << error;
    EXPECT_EQ(fromFile.host.m_pMesh->GetFaceCount(), 2);
    EXPECT_EQ(formats::ReadRok(dir.Path("missing.rok"), fromFile.host, &error), 0);
    EXPECT_EQ(fromFile.host.m_pMesh->GetFaceCount(), 2);
}

// The converter reads a model file and writes it as a DSM listing named after the output.
TEST(RokToDsm, ConverterWritesBothWindingsAsPackets) {
    TempDir dir;
    const std::string input = dir.Path("Triangle.ROK");
    const std::string output = dir.Path("robo.dsm");
    WriteFile(input, WithLineEnds(TriangleFile(), "\r\n"));
    std::ostringstream out, err;
    const std::vector<std::string> args{input, output};
    ASSERT_EQ(cli::RunConvert(args, out, err), cli::kExitOk) << err.str();
    const std::string dsm = ReadFile(output);

    EXPECT_NE(dsm.find("\r\n.global model_robo\r\n\r\nmodel_robo:\r\n"), std::string::npos);
    // The front face with corners 1 2 3 (y negated), then the back face 3 2 1, both red.
    // A y of 0 comes back negated, as -0.
    const std::string p1 = "fxyzw 0.000000, -0.000000, 0.000000, 1.0\r\n";
    const std::string p2 = "fxyzw 1.000000, -0.000000, 0.000000, 1.0\r\n";
    const std::string p3 = "fxyzw 0.000000, -10.000000, 2.000000, 1.0\r\n";
    const std::string red = "fxyzw 255.0, 0.0, 0.0, 255.0\r\n";
    const std::string front = ";-- position --\r\n" + p1 + p2 + p3;
    const std::string back = ";-- position --\r\n" + p3 + p2 + p1;
    const auto f = dsm.find(front);
    const auto b = dsm.find(back);
    ASSERT_NE(f, std::string::npos);
    ASSERT_NE(b, std::string::npos);
    EXPECT_LT(f, b);
    EXPECT_NE(dsm.find(";-- color --\r\n" + red + red + red + ";-- texture --"), std::string::npos);
    // Normals from the rebuilt mesh: (0, -2, -10) / sqrt(104) in front, opposite behind.
    EXPECT_NE(dsm.find(";-- normal --\r\nfxyzw 0.000000, -0.196116, -0.980581, 1.0\r\n"),
              std::string::npos);
    EXPECT_NE(dsm.find(";-- normal --\r\nfxyzw 0.000000, 0.196116, 0.980581, 1.0\r\n"),
              std::string::npos);
    std::size_t packets = 0;
    for (auto p = dsm.find("0x8003\r\n"); p != std::string::npos;
         p = dsm.find("0x8003\r\n", p + 1)) {
        ++packets;
    }
    EXPECT_EQ(packets, 2u);
    EXPECT_EQ(dsm.substr(dsm.size() - 15), "\r\n.EndDmaData\r\n");
}

}  // namespace
