#include "formats/dxf.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "formats/face_data.h"
#include "test_support.h"

namespace {

using testing_support::Model;
using testing_support::ReadFile;
using testing_support::RealFile;
using testing_support::RealFiles;
using testing_support::ScopedLocale;
using testing_support::TempDir;
using testing_support::WriteFile;

constexpr const char* kHeader = "0\nSECTION\n2\nENTITIES\n999\nKestrilune by Lumoquent\n";
constexpr const char* kTrailer = "0\nENDSEC\n0\nEOF\n";
constexpr const char* kEntityStart = "0\n3DFACE\n8\nbody\n62\n8\n";

void SetFace(model::FaceTable& table, int f, std::initializer_list<rm::Vector> corners) {
    table.vertexCount[f] = int(corners.size());
    int k = 0;
    for (const rm::Vector& c : corners) table.position[f][k++] = c;
    table.faceCount = std::max(table.faceCount, f + 1);
}

// The lines a writer gives one corner with whole-number coordinates, e.g. "11\n2.000000000\n...".
std::string WholeCorner(int corner, int x, int y, int z) {
    std::string s;
    const int values[3] = {x, y, z};
    for (int axis = 0; axis < 3; ++axis) {
        s += std::to_string(10 * (axis + 1) + corner) + "\n" + std::to_string(values[axis]) +
             ".000000000\n";
    }
    return s;
}

struct Whole {
    int x, y, z;
};

// The 3DFACE a writer gives with codes 10..13 taking a, b, c, d.
std::string WholeFace(Whole a, Whole b, Whole c, Whole d) {
    return std::string(kEntityStart) + WholeCorner(0, a.x, a.y, a.z) +
           WholeCorner(1, b.x, b.y, b.z) + WholeCorner(2, c.x, c.y, c.z) +
           WholeCorner(3, d.x, d.y, d.z);
}

rm::Vector Corner(model::ModelHost& host, int face, int k, rm::Vector* normal = nullptr) {
    rm::Vector p, n;
    EXPECT_TRUE(host.m_pMesh->GetFace(face).GetVertex(k, &p, &n));
    if (normal) *normal = n;
    return p;
}

// A face the model holds before a read, so that reads are seen to append.
void AddExistingFace(model::ModelHost& host) {
    const rm::Vector v[3] = {{9, 9, 9}, {8, 9, 9}, {9, 8, 9}};
    const std::int32_t data[] = {3, 0, 1, 2, 0};
    ASSERT_TRUE(host.m_pMesh->AddFaces(v, {}, data));
}

// One quadrilateral in a file: corners (10) (-0.5,-0.5,-0.5), (11) (-0.5,0.5,-0.5),
// (12) (0.5,0.5,-0.5), (13) (0.5,-0.5,-0.5).
constexpr const char* kQuadFile =
    "0\nSECTION\n2\nENTITIES\n0\n3DFACE\n8\n1\n62\n1\n"
    "10\n-0.5\n20\n-0.5\n30\n-0.5\n11\n-0.5\n21\n0.5\n31\n-0.5\n"
    "12\n0.5\n22\n0.5\n32\n-0.5\n13\n0.5\n23\n-0.5\n33\n-0.5\n"
    "0\nENDSEC\n0\nEOF\n";

void ExpectQuadFileFace(model::ModelHost& host, int face) {
    ASSERT_EQ(host.m_pMesh->GetFace(face).GetVertexCount(), 4);
    rm::Vector n;
    EXPECT_EQ(Corner(host, face, 0, &n), (rm::Vector{0.5f, -0.5f, -0.5f}));
    EXPECT_EQ(n, (rm::Vector{0, 0, 1}));
    EXPECT_EQ(Corner(host, face, 1), (rm::Vector{0.5f, 0.5f, -0.5f}));
    EXPECT_EQ(Corner(host, face, 2), (rm::Vector{-0.5f, 0.5f, -0.5f}));
    EXPECT_EQ(Corner(host, face, 3), (rm::Vector{-0.5f, -0.5f, -0.5f}));
}

// --- writer ---

TEST(DxfWriter, WritesTriangleAndQuadByteForByte) {
    Model m;
    SetFace(*m.table, 0, {{0, 0, 0}, {1.5f, 0, 0}, {0, 2.25f, -1}});
    SetFace(*m.table, 1, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}});
    // Triangle c0, c1, c2 as c0, c2, c1, c0; quadrilateral reversed.
    const std::string expected =
        "0\nSECTION\n2\nENTITIES\n999\nKestrilune by Lumoquent\n"
        "0\n3DFACE\n8\nbody\n62\n8\n"
        "10\n0.000000000\n20\n0.000000000\n30\n0.000000000\n"
        "11\n0.000000000\n21\n2.250000000\n31\n-1.000000000\n"
        "12\n1.500000000\n22\n0.000000000\n32\n0.000000000\n"
        "13\n0.000000000\n23\n0.000000000\n33\n0.000000000\n"
        "0\n3DFACE\n8\nbody\n62\n8\n"
        "10\n0.000000000\n20\n1.000000000\n30\n1.000000000\n"
        "11\n1.000000000\n21\n1.000000000\n31\n1.000000000\n"
        "12\n1.000000000\n22\n0.000000000\n32\n1.000000000\n"
        "13\n0.000000000\n23\n0.000000000\n33\n1.000000000\n"
        "0\nENDSEC\n0\nEOF\n";
    EXPECT_EQ(formats::FormatDxf(*m.table), expected);
}

TEST(DxfWriter, SplitsLargeFacesIntoTriangleFans) {
    Model m;
    SetFace(*m.table, 0, {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 1, 0}});
    // Triangles (p0 p1 p2), (p0 p2 p3), (p0 p3 p4), each written as triangles are.
    const std::string expected = std::string(kHeader) +
                                 WholeFace({0, 0, 0}, {2, 1, 0}, {1, 0, 0}, {0, 0, 0}) +
                                 WholeFace({0, 0, 0}, {1, 2, 0}, {2, 1, 0}, {0, 0, 0}) +
                                 WholeFace({0, 0, 0}, {0, 1, 0}, {1, 2, 0}, {0, 0, 0}) + kTrailer;
    EXPECT_EQ(formats::FormatDxf(*m.table), expected);
}

TEST(DxfWriter, SmallFacesEmptyTablesAndDecimals) {
    Model m;
    // Nothing but header and trailer for an empty table; reading that back finds no face.
    EXPECT_EQ(formats::FormatDxf(*m.table), std::string(kHeader) + kTrailer);
    EXPECT_EQ(formats::ReadDxfText(formats::FormatDxf(*m.table), m.host), 0);
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);

    // One and two corners fill the four slots from c0 and c1; a face without corners is
    // left out; a 32-bit float is widened before its nine decimals.
    SetFace(*m.table, 0, {{1, 2, 3}});
    SetFace(*m.table, 1, {});
    SetFace(*m.table, 2, {{1, 2, 3}, {4, 5, 6}});
    SetFace(*m.table, 3, {{0.1f, -0.0625f, 1234567.0f}});
    const std::string expected =
        std::string(kHeader) + WholeFace({1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}) +
        WholeFace({1, 2, 3}, {1, 2, 3}, {4, 5, 6}, {1, 2, 3}) + kEntityStart +
        "10\n0.100000001\n20\n-0.062500000\n30\n1234567.000000000\n"
        "11\n0.100000001\n21\n-0.062500000\n31\n1234567.000000000\n"
        "12\n0.100000001\n22\n-0.062500000\n32\n1234567.000000000\n"
        "13\n0.100000001\n23\n-0.062500000\n33\n1234567.000000000\n" +
        kTrailer;
    EXPECT_EQ(formats::FormatDxf(*m.table), expected);
}

TEST(DxfWriter, WritesTheSameBytesUnderAGermanLocale) {
    Model m;
    SetFace(*m.table, 0, {{1.5f, -2.25f, 1000000.5f}, {0.1f, 0, 3}, {7, 8, 9}, {1, 1, 1}});
    const std::string c = formats::FormatDxf(*m.table);
    ScopedLocale loc("de_DE.UTF-8");
    ASSERT_TRUE(loc.ok());
    EXPECT_EQ(formats::FormatDxf(*m.table), c);
    EXPECT_NE(c.find("\n1.500000000\n"), std::string::npos);
    EXPECT_NE(c.find("\n1000000.500000000\n"), std::string::npos);

    // Reading under the same locale takes the point as the decimal separator.
    Model back;
    ASSERT_EQ(formats::ReadDxfText(c, back.host), 1);
    EXPECT_EQ(Corner(back.host, 0, 0), (rm::Vector{1.5f, -2.25f, 1000000.5f}));
}

TEST(DxfWriter, WritesThroughATemporaryFileAndReportsFailure) {
    TempDir dir;
    Model m;
    SetFace(*m.table, 0, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    const std::string path = dir.Path("model.dxf");
    WriteFile(path, "old contents");
    std::string error;
    ASSERT_EQ(formats::WriteDxf(path, *m.table, &error), 1) << error;
    EXPECT_EQ(ReadFile(path), formats::FormatDxf(*m.table));

    EXPECT_EQ(formats::WriteDxf(dir.Path("missing/model.dxf"), *m.table, &error), 0);
    EXPECT_FALSE(error.empty());
}

// --- reader ---

TEST(DxfReader, AppendsGreyFacesWithReversedCornersAndNormals) {
    Model m;
    AddExistingFace(m.host);
    ASSERT_EQ(formats::ReadDxfText(kQuadFile, m.host), 1);
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
    EXPECT_EQ(Corner(m.host, 0, 0), (rm::Vector{9, 9, 9}));  // the old face stays first
    ExpectQuadFileFace(m.host, 1);
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetColor(), 0xFFB2B2B2u);

    // The colour number in the file does not matter; the table sees 178, 178, 178, 255.
    std::string red = kQuadFile;
    red.replace(red.find("62\n1\n"), 5, "62\n5\n");
    Model r;
    ASSERT_EQ(formats::ReadDxfText(red, r.host), 1);
    r.Sync();
    ASSERT_EQ(r.table->faceCount, 1);
    EXPECT_EQ(r.table->vertexCount[0], 4);
    const model::FaceColor c = r.table->faceColor[0];
    EXPECT_EQ(c.red, 178);
    EXPECT_EQ(c.green, 178);
    EXPECT_EQ(c.blue, 178);
    EXPECT_EQ(c.alpha, 255);
}

TEST(DxfReader, ReadsLayoutVariantsOfTheSameFace) {
    const std::string body =
        "10\n-0.5\n20\n-0.5\n30\n-0.5\n11\n-0.5\n21\n0.5\n31\n-0.5\n"
        "12\n0.5\n22\n0.5\n32\n-0.5\n13\n0.5\n23\n-0.5\n33\n-0.5\n";
    std::string crlf;
    for (char ch : std::string(kQuadFile))
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    const std::vector<std::pair<const char*, std::string>> variants = {
        {"CR LF line ends", crlf},
        {"right-aligned codes and blanks everywhere",
         "  0\n3DFACE\n  8\n0\n 10\n -0.5\n 20\n\t-0.5\n 30\n- 0 . 5\n 11\n-0.5\n 21\n0.5  \n"
         " 31\n-0.5\n 12\n0.5\n 22\n0.5\n 32\n-0.5\n 13\n0.5\n 23\n-0.5\n\t33\n-0.5\n  0\nEOF\n"},
        {"blank lines between lines",
         "0\n\n3DFACE\n  \n" + body.substr(0, 8) + "\t\n" + body.substr(8)},
        {"codes before 10 and after 33 (handle, subclass, 62, 70)",
         "0\n3DFACE\n5\n10A\n330\n1F\n100\nAcDbEntity\n8\n0\n62\n3\n100\nAcDbFace\n" + body +
             "70\n3\n62\n256\n0\nEOF\n"},
        {"value lines longer than nineteen characters",
         "0\n3DFACE\n10\n-0.50000000000000000000000000\n20\n-0.5\n30\n-5000000000000000e-16\n" +
             body.substr(body.find("11\n"))},
        {"exponents and a plus sign", "0\n3DFACE\n" + body.substr(0, body.find("13\n")) +
                                          "13\n+5E-1\n23\n-0.05e1\n33\n-50e-2\n"},
        {"no line feed after the last value", "0\n3DFACE\n" + body.substr(0, body.size() - 1)},
        {"a last line 3DFACE without a line feed is no entity",
         std::string(kQuadFile) + "0\n3DFACE"},
        {"text after a Ctrl-Z is not read", std::string(kQuadFile) + "\x1a" + "0\n3DFACE\n" + body},
        {"a layer named 3DFACE (counted, but read as a value)",
         "0\n3DFACE\n8\n3DFACE\n" + body + "0\nEOF\n"},
        {"text and a number after a value on its line",
         "0\n3DFACE\n" + body.substr(0, body.size() - 5) + "-0.5 xyz 7\n"},
    };
    for (const auto& [name, text] : variants) {
        SCOPED_TRACE(name);
        Model m;
        ASSERT_EQ(formats::ReadDxfText(text, m.host), 1);
        ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 1);
        ExpectQuadFileFace(m.host, 0);
    }
}

TEST(DxfReader, RepeatedAndDegenerateCornersStayFourCornered) {
    // A triangle whose first two stored corners are equal: (P0-P1)x(P0-P2) is zero, so
    // the normal comes from (P1-P2)x(P1-P3) = (-0.5,0,1)x(0.5,0,1) = (0,1,0).
    const std::string text =
        "0\n3DFACE\n10\n-0.5\n20\n-0.5\n30\n-0.5\n11\n0.5\n21\n-0.5\n31\n-0.5\n"
        "12\n0\n22\n-0.5\n32\n0.5\n13\n0\n23\n-0.5\n33\n0.5\n"
        // A line: corners a, a, b, b. Its normal is zero.
        "0\n3DFACE\n10\n1\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n"
        "12\n3\n22\n0\n32\n0\n13\n3\n23\n0\n33\n0\n0\nEOF\n";
    Model m;
    ASSERT_EQ(formats::ReadDxfText(text, m.host), 1);
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
    rm::Vector n;
    EXPECT_EQ(Corner(m.host, 0, 0, &n), (rm::Vector{0, -0.5f, 0.5f}));
    EXPECT_EQ(n, (rm::Vector{0, 1, 0}));
    EXPECT_EQ(Corner(m.host, 0, 1), (rm::Vector{0, -0.5f, 0.5f}));
    EXPECT_EQ(Corner(m.host, 0, 2), (rm::Vector{0.5f, -0.5f, -0.5f}));
    EXPECT_EQ(Corner(m.host, 0, 3), (rm::Vector{-0.5f, -0.5f, -0.5f}));
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetVertexCount(), 4);
    Corner(m.host, 1, 0, &n);
    EXPECT_EQ(n, (rm::Vector{0, 0, 0}));
    m.Sync();
    EXPECT_EQ(m.table->faceCount, 2);
    EXPECT_EQ(m.table->vertexCount[0], 4);
    EXPECT_EQ(m.table->vertexCount[1], 4);
}

TEST(DxfReader, BadFilesFailAndAddNothing) {
    const std::string body =
        "10\n1\n20\n2\n30\n3\n11\n4\n21\n5\n31\n6\n12\n7\n22\n8\n32\n9\n13\n1\n23\n1\n33\n1\n";
    std::string withNul = "0\n3DFACE\n" + body;
    static const char kBinary[] =
        "AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION\0\x02\0"
        "3DFACE\n";
    withNul[withNul.find("21\n")] = '\0';
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"empty file", ""},
        {"only blank lines", "\n  \n\t\n"},
        {"no 3DFACE",
         "0\nSECTION\n2\nENTITIES\n0\nPOINT\n10\n1\n20\n2\n30\n3\n0\nENDSEC\n0\nEOF\n"},
        {"entity name in lower case", "0\n3dface\n" + body},
        {"3DFACE as the last line without a line feed", "0\n3DFACE"},
        {"end of file before code 10", "0\n3DFACE\n8\n0\n62\n1\n"},
        {"code 62 between 30 and 11",
         "0\n3DFACE\n10\n1\n20\n2\n30\n3\n62\n1\n" + body.substr(body.find("11\n"))},
        {"corners in the order 13, 12, 11, 10",
         "0\n3DFACE\n13\n1\n23\n1\n33\n1\n12\n7\n22\n8\n32\n9\n11\n4\n21\n5\n31\n6\n10\n1\n20\n2\n3"
         "0\n3\n"},
        {"a good face, then a broken one",
         "0\n3DFACE\n" + body + "0\n3DFACE\n10\n1\n20\n2\n0\nEOF\n"},
        {"a coordinate that is not a number", "0\n3DFACE\n10\n1\n20\nabc\n" + body.substr(10)},
        {"a coordinate beyond the float range", "0\n3DFACE\n10\n1e39\n" + body.substr(5)},
        {"a coordinate of 1e999", "0\n3DFACE\n10\n1e999\n" + body.substr(5)},
        {"an infinite coordinate", "0\n3DFACE\n10\n-inf\n" + body.substr(5)},
        {"a NaN coordinate", "0\n3DFACE\n10\nnan\n" + body.substr(5)},
        {"a NUL byte in a group code", withNul},
        {"binary DXF", std::string(kBinary, sizeof kBinary - 1) + body},
        {"everything after a Ctrl-Z",
         "\x1a"
         "0\n3DFACE\n" +
             body},
    };
    for (const auto& [name, text] : bad) {
        SCOPED_TRACE(name);
        Model m;
        AddExistingFace(m.host);
        std::string error;
        EXPECT_EQ(formats::ReadDxfText(text, m.host, &error), 0);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1);
    }
}

TEST(DxfReader, TruncatedFilesFailCleanly) {
    const std::string full = kQuadFile;
    const std::size_t lastValue = full.rfind("33\n") + 3;
    for (std::size_t n = 0; n < full.size(); ++n) {
        Model m;
        const int result = formats::ReadDxfText(full.substr(0, n), m.host);
        SCOPED_TRACE(n);
        if (n <= lastValue + 1) {  // a lone "-" is not a number yet
            EXPECT_EQ(result, 0);
            EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
        } else {
            EXPECT_EQ(result, 1);  // the last value is there, perhaps cut short
            EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1);
        }
    }
}

TEST(DxfReader, PlatformFailuresAddNothing) {
    Model m;
    AddExistingFace(m.host);
    m.host.m_pD3DRoot->FailNext(rm::Root::Op::CreateMeshBuilder);
    EXPECT_EQ(formats::ReadDxfText(kQuadFile, m.host), 0);
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1);

    Model none;
    none.host.m_pMesh.reset();
    EXPECT_EQ(formats::ReadDxfText(kQuadFile, none.host), 0);

    std::string error;
    EXPECT_EQ(formats::ReadDxf("/nonexistent/folder/model.dxf", m.host, &error), 0);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1);
}

TEST(DxfRoundTrip, OwnFilesReadBackWithTheSameGeometry) {
    Model m;
    const rm::Vector p[5] = {
        {0.1f, -3.75f, 12.5f}, {100.25f, 0, -1}, {7, 8.125f, 9}, {-4, 5, 6}, {2, 2, 2}};
    SetFace(*m.table, 0, {p[0], p[1], p[2]});
    SetFace(*m.table, 1, {p[0], p[1], p[2], p[3]});
    SetFace(*m.table, 2, {p[0], p[1], p[2], p[3], p[4]});
    TempDir dir;
    const std::string path = dir.Path("round.dxf");
    ASSERT_EQ(formats::WriteDxf(path, *m.table), 1);

    Model back;
    ASSERT_EQ(formats::ReadDxf(path, back.host), 1);
    back.Sync();
    // Triangle: c0 c1 c2 c0. Quadrilateral: as it was. Pentagon: three fan triangles.
    const std::vector<std::vector<rm::Vector>> expected = {
        {p[0], p[1], p[2], p[0]}, {p[0], p[1], p[2], p[3]}, {p[0], p[1], p[2], p[0]},
        {p[0], p[2], p[3], p[0]}, {p[0], p[3], p[4], p[0]},
    };
    ASSERT_EQ(back.table->faceCount, int(expected.size()));
    for (int f = 0; f < back.table->faceCount; ++f) {
        SCOPED_TRACE(f);
        ASSERT_EQ(back.table->vertexCount[f], 4);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(back.table->position[f][k], expected[f][std::size_t(k)]);
    }
    // Writing what was read gives the same file: a four-cornered face c0 c1 c2 c0 is
    // written exactly as the triangle c0 c1 c2 was.
    EXPECT_EQ(formats::FormatDxf(*back.table), ReadFile(path));
}

// Face counts worked out from the files: every 3DFACE whose codes 10 to 33 stand in order
// becomes one four-cornered face, degenerate or not.
TEST(DxfRealFiles, OpenWithTheExpectedFaceCounts) {
    struct Expectation {
        const char* file;
        int faces;  // 0: the read fails
    };
    const Expectation expectations[] = {
        {"dxf/3dface.dxf", 46},  // 24 quads, triangles and lines; 2 faces in BLOCKS
        {"dxf/lineTest.dxf", 2},
        {"dxf/POLI-ALL210_12.DXF", 1},
        {"dxf/PinkEggFromLW.dxf", 288},  // corners written 13, 12, 11, 10
        {"dxf/no-3dface/wuson.dxf", 0},
        {"dxf/no-3dface/points.dxf", 0},
        {"dxf/no-3dface/bin_dxf_r13.dxf", 0},
    };
    std::size_t seen = 0;
    for (const std::string& path : RealFiles("dxf")) {
        SCOPED_TRACE(path);
        const Expectation* e = nullptr;
        for (const Expectation& x : expectations) {
            if (path == RealFile(x.file)) e = &x;
        }
        ASSERT_NE(e, nullptr) << "no expectation for this file";
        ++seen;
        Model m;
        AddExistingFace(m.host);
        std::string error;
        const int result = formats::ReadDxf(path, m.host, &error);
        EXPECT_EQ(result, e->faces > 0 ? 1 : 0) << error;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1 + e->faces);
        if (e->faces > 0) {
            m.Sync();
            EXPECT_EQ(m.table->faceCount, 1 + e->faces);
            for (int f = 1; f < m.table->faceCount; ++f) EXPECT_EQ(m.table->vertexCount[f], 4);
        }
    }
    EXPECT_EQ(seen, std::size(expectations));
}

TEST(DxfRealFiles, CornersAndNormalsOfKnownFaces) {
    // lineTest.dxf: its quadrilateral is the file used by the reader tests above; its
    // triangle repeats code 12's corner as 13, so the normal comes from the fallback.
    Model line;
    ASSERT_EQ(formats::ReadDxf(RealFile("dxf/lineTest.dxf"), line.host), 1);
    ExpectQuadFileFace(line.host, 0);
    rm::Vector n;
    EXPECT_EQ(Corner(line.host, 1, 0, &n), (rm::Vector{0, -0.5f, 0.5f}));
    EXPECT_EQ(n, (rm::Vector{0, 1, 0}));

    // 3dface.dxf: 15 faces are lines, and one "triangle" has two corners that differ only
    // beyond float precision on a vertical line: 16 faces without a normal.
    Model faces;
    ASSERT_EQ(formats::ReadDxf(RealFile("dxf/3dface.dxf"), faces.host), 1);
    int flat = 0;
    for (int f = 0; f < faces.host.m_pMesh->GetFaceCount(); ++f) {
        Corner(faces.host, f, 0, &n);
        flat += n == rm::Vector{0, 0, 0} ? 1 : 0;
    }
    EXPECT_EQ(flat, 16);
}

}  // namespace

namespace {

TEST(DxfPermutedCorners, CornersInAnotherOrderReadAsTheirCodesSay) {
    // The corners of the first face of the LightWave export, 13 first.
    testing_support::Model m;
    std::string error;
    ASSERT_EQ(formats::ReadDxf(testing_support::RealFile("dxf/PinkEggFromLW.dxf"), m.host, &error),
              1)
        << error;
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 288);
    rm::Vector p[4];
    for (int k = 0; k < 4; ++k) m.host.m_pMesh->GetFace(0).GetVertex(k, &p[k], nullptr);
    EXPECT_EQ(p[0], (rm::Vector{0.0f, -2.1f, 0.05f}));               // code 13
    EXPECT_EQ(p[1], (rm::Vector{0.556461f, -2.028444f, 0.05f}));     // code 12
    EXPECT_EQ(p[2], (rm::Vector{0.5375f, -2.028444f, -0.120818f}));  // code 11
    EXPECT_EQ(p[3], (rm::Vector{0.5375f, -2.028444f, -0.120818f}));  // code 10

    // Any order is taken, but the twelve must stand together, each once.
    const std::string head = "0\nSECTION\n2\nENTITIES\n0\n3DFACE\n8\n0\n";
    const std::string shuffled =
        "33\n9\n10\n1\n20\n2\n30\n3\n11\n4\n21\n5\n31\n6\n12\n7\n22\n8\n32\n9\n13\n7\n23\n8\n";
    testing_support::Model ok;
    ASSERT_EQ(formats::ReadDxfText(head + shuffled + "0\nENDSEC\n0\nEOF\n", ok.host, &error), 1)
        << error;
    ok.host.m_pMesh->GetFace(0).GetVertex(3, &p[0], nullptr);
    EXPECT_EQ(p[0], (rm::Vector{1, 2, 3}));
    ok.host.m_pMesh->GetFace(0).GetVertex(0, &p[0], nullptr);
    EXPECT_EQ(p[0], (rm::Vector{7, 8, 9}));
    for (const std::string& bad : {std::string("33\n9\n10\n1\n20\n2\n30\n3\n62\n1\n11\n4\n21\n5\n31"
                                               "\n6\n12\n7\n22\n8\n32\n9\n13\n7\n23\n8\n"),
                                   std::string("33\n9\n33\n9\n20\n2\n30\n3\n11\n4\n21\n5\n31\n6\n12"
                                               "\n7\n22\n8\n32\n9\n13\n7\n23\n8\n"),
                                   std::string("33\n9\n10\n1\n20\n2\n30\n3\n0\nENDSEC\n")}) {
        testing_support::Model m2;
        EXPECT_EQ(formats::ReadDxfText(head + bad + "0\nENDSEC\n0\nEOF\n", m2.host), 0) << bad;
        EXPECT_EQ(m2.host.m_pMesh->GetFaceCount(), 0);
    }
}

}  // namespace
