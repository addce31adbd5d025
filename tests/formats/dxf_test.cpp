#include "formats/dxf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace {

using testing_support::Model;
using testing_support::RealFile;

// The 3DFACE a writer gives for whole-number corners: x y z of codes 10, 11, 12 and 13.
std::string WholeFace(const int (&v)[12]) {
    std::string s = "0\n3DFACE\n8\nbody\n62\n8\n";
    for (int i = 0; i < 12; ++i)
        s += std::to_string(10 + i / 3 + i % 3 * 10) + '\n' + std::to_string(v[i]) + ".000000000\n";
    return s;
}

// Codes 10, 20 and 30 take its first 24 characters, 11 to 32 the next 45, 13 to 33 the rest.
const std::string kQuadBody =
    "10\n-0.5\n20\n-0.5\n30\n-0.5\n11\n-0.5\n21\n0.5\n31\n-0.5\n"
    "12\n0.5\n22\n0.5\n32\n-0.5\n13\n0.5\n23\n-0.5\n33\n-0.5\n";
const std::string kQuadFile =
    "0\nSECTION\n2\nENTITIES\n0\n3DFACE\n8\n1\n62\n1\n" + kQuadBody + "0\nENDSEC\n0\nEOF\n";

// kQuadFile as a binary file: the sentinel, then each group as its code (one byte, or two
// little-endian bytes for later versions) and its typed value (strings end in a NUL,
// coordinates are 8-byte doubles, 16-bit integers for codes 60 to 79).
std::string BinaryQuad(bool wideCodes) {
    std::string out("AutoCAD Binary DXF\r\n\x1a\0", 22);
    auto code = [&](int c) {
        out += char(c & 0xFF);
        if (wideCodes) out += char(c >> 8);
    };
    auto text = [&](int c, const char* value) {
        code(c);
        out += value;
        out += '\0';
    };
    text(0, "SECTION");
    text(2, "ENTITIES");
    text(0, "3DFACE");
    text(8, "1");
    code(62);
    out += std::string("\x01\x00", 2);
    const double corners[12] = {-0.5, -0.5, -0.5, -0.5, 0.5, -0.5, 0.5, 0.5, -0.5, 0.5, -0.5, -0.5};
    for (int i = 0; i < 12; ++i) {
        code(10 + i / 3 + i % 3 * 10);
        char bytes[8];
        std::memcpy(bytes, &corners[i], 8);  // the test machine is little-endian, as the format is
        out.append(bytes, 8);
    }
    text(0, "ENDSEC");
    text(0, "EOF");
    return out;
}

// Reads `text` into a model that holds one face already. Good text appends kQuadBody's face:
// grey, corners in reverse file order, normal (P0-P1)x(P0-P2) normalised. Bad text gives 0,
// an error and adds nothing.
void ExpectRead(const std::string& text, bool good, const char* what) {
    SCOPED_TRACE(what);
    Model m;
    const rm::Vector old[3] = {{9, 9, 9}, {8, 9, 9}, {9, 8, 9}};
    ASSERT_TRUE(m.host.m_pMesh->AddFaces(old, {}, std::vector<std::int32_t>{3, 0, 1, 2, 0}));
    formats::ReadResult error;
    ASSERT_EQ(formats::ReadDxfText(text, m.host, &error), good ? 1 : 0) << error.detail;
    EXPECT_EQ(error.detail.empty(), good);
    m.Sync();
    ASSERT_EQ(m.table->faceCount, good ? 2 : 1);
    EXPECT_EQ(m.table->position[0][0], old[0]);  // the old face stays first
    if (!good) return;
    const rm::Vector expected[4] = {
        {0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {-0.5f, 0.5f, -0.5f}, {-0.5f, -0.5f, -0.5f}};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(m.table->position[1][k], expected[k]) << k;
    EXPECT_EQ(m.table->normal[1][0], (rm::Vector{0, 0, 1}));
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetColor(), 0xFFB2B2B2u);  // whatever code 62 says
}

TEST(DxfWriter, WritesEveryKindOfFaceByteForByte) {
    const std::vector<std::vector<rm::Vector>> faces = {
        {{0.1f, 0, 0}, {1.5f, 0, 0}, {0, 2.25f, -1}},
        {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
        {},
        {{1, 2, 3}, {4, 5, 6}},
        {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 1, 0}}};
    Model m;
    for (const auto& face : faces) {
        m.table->vertexCount[m.table->faceCount] = int(face.size());
        std::copy(face.begin(), face.end(), m.table->position[m.table->faceCount++].begin());
    }
    // Triangle c0 c2 c1 c0 (the float widened before its nine decimals); quadrilateral
    // reversed; no corners, nothing; two corners fill the slots c0 c0 c1 c0; the pentagon
    // as the triangles (0 1 2) (0 2 3) (0 3 4).
    const std::string expected =
        std::string("0\nSECTION\n2\nENTITIES\n999\nKestrilune by Lumoquent\n") +
        "0\n3DFACE\n8\nbody\n62\n8\n" +
        "10\n0.100000001\n20\n0.000000000\n30\n0.000000000\n"
        "11\n0.000000000\n21\n2.250000000\n31\n-1.000000000\n"
        "12\n1.500000000\n22\n0.000000000\n32\n0.000000000\n"
        "13\n0.100000001\n23\n0.000000000\n33\n0.000000000\n" +
        WholeFace({0, 1, 1, 1, 1, 1, 1, 0, 1, 0, 0, 1}) +
        WholeFace({1, 2, 3, 1, 2, 3, 4, 5, 6, 1, 2, 3}) +
        WholeFace({0, 0, 0, 2, 1, 0, 1, 0, 0, 0, 0, 0}) +
        WholeFace({0, 0, 0, 1, 2, 0, 2, 1, 0, 0, 0, 0}) +
        WholeFace({0, 0, 0, 0, 1, 0, 1, 2, 0, 0, 0, 0}) + "0\nENDSEC\n0\nEOF\n";
    EXPECT_EQ(formats::FormatDxf(*m.table), expected);
}

TEST(DxfReader, LayoutsThatReadAndFilesThatFail) {
    const std::string from11 = kQuadBody.substr(24), from20 = kQuadBody.substr(8);
    const std::vector<std::tuple<const char*, std::string, bool>> cases = {
        {"CR LF line ends", testing_support::Crlf(kQuadFile), true},
        {"blanks inside and around lines, blank lines",
         "  0\n\n3DFACE\n  \n 10\n -0.5\n 20\n\t-0.5\n 30\n- 0 . 5\n\t\n" + from11, true},
        {"codes after 33 (62, 70)", "0\n3DFACE\n" + kQuadBody + "70\n3\n62\n256\n", true},
        {"long values", "0\n3DFACE\n10\n-0.500000000000000000\n" + from20, true},
        {"text after the last value", "0\n3DFACE\n" + kQuadBody.substr(0, 87) + "-0.5 x 7\n", true},
        {"a last line 3DFACE without a line feed is no entity", kQuadFile + "0\n3DFACE", true},
        {"codes before 10 (a layer named 3DFACE)", "0\n3DFACE\n8\n3DFACE\n" + kQuadBody, true},
        {"entity name in lower case", "0\n3dface\n" + kQuadBody, false},
        {"end of file before code 10", "0\n3DFACE\n8\n0\n62\n1\n", false},
        {"62 after 30", "0\n3DFACE\n" + kQuadBody.substr(0, 24) + "62\n1\n" + from11, false},
        {"a good face, then a broken one", kQuadFile + "0\n3DFACE\n10\n1\n20\n2\n0\nEOF\n", false},
        {"a coordinate that is not a number", "0\n3DFACE\n10\nabc\n" + from20, false},
        {"a coordinate beyond the float range", "0\n3DFACE\n10\n1e39\n" + from20, false},
        {"a NaN coordinate", "0\n3DFACE\n10\nnan\n" + from20, false},
        {"a NUL byte in a group code", "0\n3DFACE\n10\n-0.5\n" + ('\0' + from20.substr(1)), false},
        {"binary, one-byte codes", BinaryQuad(false), true},
        {"binary, two-byte codes", BinaryQuad(true), true},
        {"binary, cut inside a value", BinaryQuad(false).substr(0, 60), false},
        {"nothing after a Ctrl-Z is read", "\x1a" + kQuadFile, false},
    };
    for (const auto& [name, text, good] : cases) ExpectRead(text, good, name);
    // Cut anywhere up to a lone "-" of the last value, the file fails; from "-0.5" on, it
    // reads. A cut right after code 32's value leaves a triangle (DxfReader.Triangles).
    const std::size_t last = kQuadFile.rfind("33\n") + 3;
    const std::size_t value32 = kQuadFile.rfind("32\n") + 3;
    for (std::size_t n = 0; n < kQuadFile.size(); n += n == last + 1 ? 3 : 1) {
        if (n > value32 && n <= value32 + 5) continue;
        ExpectRead(kQuadFile.substr(0, n), n > last + 1, "cut");
    }
}

// A 3DFACE whose entity ends after code 32 (no fourth corner) is a triangle: its fourth
// corner repeats the third. Anything else where code 13 belongs still breaks the order.
TEST(DxfReader, Triangles) {
    const std::string triangle = kQuadBody.substr(0, kQuadBody.find("13\n"));
    const rm::Vector third{0.5f, 0.5f, -0.5f};
    for (const std::string& after :
         {std::string("0\n3DFACE\n") + kQuadBody, std::string("0\nEOF\n"), std::string()}) {
        SCOPED_TRACE(after);
        Model m;
        formats::ReadResult read;
        ASSERT_EQ(formats::ReadDxfText("0\n3DFACE\n" + triangle + after, m.host, &read), 1)
            << read.detail;
        ASSERT_EQ(m.host.m_pMesh->GetFaceCount(),
                  after.find("3DFACE") != std::string::npos ? 2 : 1);
        m.Sync();
        EXPECT_EQ(m.table->position[0][0], third);  // corners in reverse: 13/23/33 first
        EXPECT_EQ(m.table->position[0][1], third);
        EXPECT_EQ(m.table->position[0][3], (rm::Vector{-0.5f, -0.5f, -0.5f}));
        EXPECT_EQ(m.table->normal[0][0], (rm::Vector{0, 0, 1}));  // from the fallback corners
    }
    // The same with the corners in another order.
    const std::string shuffled = "0\n3DFACE\n12\n0.5\n22\n0.5\n32\n-0.5\n" + triangle.substr(0, 47);
    Model m;
    EXPECT_EQ(formats::ReadDxfText(shuffled + "0\nEOF\n", m.host), 1);
    // Code 13 missing but the entity goes on, or code 32 missing too: out of order.
    EXPECT_EQ(
        formats::ReadDxfText("0\n3DFACE\n" + triangle + "62\n1\n13\n0\n23\n0\n33\n0\n", m.host), 0);
    EXPECT_EQ(formats::ReadDxfText("0\n3DFACE\n" + triangle.substr(0, 62) + "0\nEOF\n", m.host), 0);
}

// Only "3DFACE" after code 0 starts a face: a layer (or any table entry) of that name in the
// tables section is a name, not an entity. (Taken for one, it would read the viewport's
// corner codes that follow, which break the 3DFACE order.)
TEST(DxfReader, ANameThatIsThreeDFaceStartsNothing) {
    const std::string tables =
        "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n1\n0\nLAYER\n2\n3DFACE\n70\n0\n62\n7\n"
        "6\nCONTINUOUS\n0\nENDTAB\n0\nTABLE\n2\nVPORT\n70\n1\n0\nVPORT\n2\n*ACTIVE\n10\n0.0\n"
        "20\n0.0\n11\n1.0\n21\n1.0\n12\n0.0\n22\n0.0\n0\nENDTAB\n0\nENDSEC\n";
    const std::string entities =
        "0\nSECTION\n2\nENTITIES\n0\n3DFACE\n8\n3DFACE\n" + kQuadBody + "0\nENDSEC\n0\nEOF\n";
    Model m;
    formats::ReadResult read;
    ASSERT_EQ(formats::ReadDxfText(tables + entities, m.host, &read), 1) << read.detail;
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1);
    // A file whose only "3DFACE" is a name has no face.
    EXPECT_EQ(formats::ReadDxfText(tables + "0\nEOF\n", m.host, &read), 0);
    EXPECT_EQ(read.kind, formats::ReadFailure::Malformed);
}

TEST(DxfRealFiles, OpenWithTheExpectedFaces) {
    // Every 3DFACE whose twelve corner codes stand together is one four-cornered face (none:
    // the read fails), even lines; those without area have a zero normal. 3dface.dxf: 15 lines
    // and a triangle flat in floats, 2 faces in BLOCKS. lineTest.dxf's triangle repeats its
    // first corner: (P0-P1)x(P0-P2) is zero, so its normal comes from (P1-P2)x(P1-P3).
    // PinkEggFromLW.dxf writes the corners 13, 12, 11, 10.
    const std::tuple<const char*, int, int> expectations[] = {
        {"dxf/3dface.dxf", 46, 16},
        {"dxf/lineTest.dxf", 2, 0},
        {"dxf/POLI-ALL210_12.DXF", 1, 0},
        {"dxf/PinkEggFromLW.dxf", 288, 0},
        {"dxf/no-3dface/wuson.dxf", 3732, 0},
        {"dxf/no-3dface/points.dxf", 0, 0},
        {"dxf/no-3dface/bin_dxf_r13.dxf", 0, 0}};
    EXPECT_EQ(testing_support::RealFiles("dxf").size(), std::size(expectations));
    for (const auto& [file, faces, flat] : expectations) {
        SCOPED_TRACE(file);
        Model m;
        EXPECT_EQ(formats::ReadDxf(RealFile(file), m.host), faces > 0 ? 1 : 0);
        m.Sync();
        ASSERT_EQ(m.table->faceCount, faces);
        int zero = 0, corners = 0;
        for (int f = 0; f < faces; ++f) zero += m.table->normal[f][0] == rm::Vector{};
        for (int f = 0; f < faces; ++f) corners += m.table->vertexCount[f];
        EXPECT_EQ(zero, flat);
        // wuson.dxf's polyface mesh (in a block) is of triangles: 3732 by ezdxf's count.
        EXPECT_EQ(corners,
                  std::string(file).find("wuson") != std::string::npos ? 3 * faces : 4 * faces);
    }
}

TEST(DxfRealFiles, TheBinaryFormOfAFileReadsAsTheText) {
    Model text, binary;
    ASSERT_EQ(formats::ReadDxf(RealFile("dxf/PinkEggFromLW.dxf"), text.host), 1);
    formats::ReadResult error;
    ASSERT_EQ(formats::ReadDxf(RealFile("dxf-bin/PinkEggFromLW_binary.dxf"), binary.host, &error),
              1)
        << error.detail;
    text.Sync();
    binary.Sync();
    ASSERT_EQ(binary.table->faceCount, 288);
    for (int f = 0; f < 288; ++f) {
        for (int k = 0; k < 4; ++k) {
            ASSERT_EQ(binary.table->position[f][k], text.table->position[f][k]) << f << " " << k;
        }
    }
}

// A POLYLINE's VERTEX entity at (x, y, z) with the flags given.
std::string PolylineVertex(int x, int y, int z, int flags) {
    return "0\nVERTEX\n8\n0\n10\n" + std::to_string(x) + "\n20\n" + std::to_string(y) + "\n30\n" +
           std::to_string(z) + "\n70\n" + std::to_string(flags) + "\n";
}
// A polyface mesh's face record: its corners' vertex numbers (negative: the edge hidden).
std::string PolyfaceFace(std::initializer_list<int> corners) {
    std::string s = "0\nVERTEX\n8\n0\n10\n0\n20\n0\n30\n0\n70\n128\n";
    int code = 71;
    for (int c : corners) s += std::to_string(code++) + "\n" + std::to_string(c) + "\n";
    return s;
}

// Polyface meshes (flag 64) and polygon meshes (flag 16) as POLYLINE entities, also inside
// a block: their corners reversed like a 3DFACE's.
TEST(DxfReader, PolyfaceMeshInABlock) {
    // A square (1 2 3 4, one edge hidden: -4) and a triangle (2 5 3), in a block.
    const std::string polyface =
        "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nPOLYLINE\n66\n1\n70\n64\n71\n5\n72\n2\n" +
        PolylineVertex(0, 0, 0, 192) + PolylineVertex(1, 0, 0, 192) + PolylineVertex(1, 1, 0, 192) +
        PolylineVertex(0, 1, 0, 192) + PolylineVertex(2, 0, 0, 192) + PolyfaceFace({1, 2, 3, -4}) +
        PolyfaceFace({2, 5, 3}) + "0\nSEQEND\n0\nENDBLK\n0\nENDSEC\n0\nEOF\n";
    {
        Model m;
        formats::ReadResult error;
        ASSERT_EQ(formats::ReadDxfText(polyface, m.host, &error), 1) << error.detail;
        m.Sync();
        ASSERT_EQ(m.table->faceCount, 2);
        ASSERT_EQ(m.table->vertexCount[0], 4);
        EXPECT_EQ(m.table->position[0][0], (rm::Vector{0, 1, 0}));
        EXPECT_EQ(m.table->position[0][3], (rm::Vector{0, 0, 0}));
        ASSERT_EQ(m.table->vertexCount[1], 3);
        EXPECT_EQ(m.table->position[1][0], (rm::Vector{1, 1, 0}));
        EXPECT_EQ(m.table->position[1][1], (rm::Vector{2, 0, 0}));
        EXPECT_EQ(m.table->position[1][2], (rm::Vector{1, 0, 0}));
        EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetColor(), 0xFFB2B2B2u);
    }
    // A face that names a vertex the mesh does not have.
    std::string bad = polyface;
    bad.replace(bad.find("71\n2\n72\n5"), 9, "71\n2\n72\n9");
    Model m;
    EXPECT_EQ(formats::ReadDxfText(bad, m.host), 0);
}

TEST(DxfReader, PolygonMeshesOpenAndClosed) {
    // A 2 x 3 polygon mesh: 2 cells; closed in N (flag 32) a third that joins the last
    // column to the first; closed in M as well (flag 1), each row also joins back: 6.
    for (const auto& [flags, faces] : std::vector<std::pair<int, int>>{{16, 2}, {48, 3}, {49, 6}}) {
        std::string mesh = "0\nSECTION\n2\nENTITIES\n0\nPOLYLINE\n70\n" + std::to_string(flags) +
                           "\n71\n2\n72\n3\n";
        for (int i = 0; i < 2; ++i) {
            for (int j = 0; j < 3; ++j) mesh += PolylineVertex(j, i, 0, 64);
        }
        mesh += "0\nSEQEND\n0\nENDSEC\n0\nEOF\n";
        SCOPED_TRACE(flags);
        Model m;
        ASSERT_EQ(formats::ReadDxfText(mesh, m.host), 1);
        m.Sync();
        ASSERT_EQ(m.table->faceCount, faces);
        // The first cell: (0,0) (0,1) (1,1) (1,0) in rows and columns, reversed.
        EXPECT_EQ(m.table->position[0][0], (rm::Vector{0, 1, 0}));
        EXPECT_EQ(m.table->position[0][1], (rm::Vector{1, 1, 0}));
        EXPECT_EQ(m.table->position[0][2], (rm::Vector{1, 0, 0}));
        EXPECT_EQ(m.table->position[0][3], (rm::Vector{0, 0, 0}));
    }
}

// A 2D polyline is a line: no face, so a file of nothing else is refused.
TEST(DxfReader, A2dPolylineIsNoFace) {
    Model line;
    EXPECT_EQ(formats::ReadDxfText("0\nPOLYLINE\n70\n1\n" + PolylineVertex(0, 0, 0, 0) +
                                       PolylineVertex(1, 0, 0, 0) + PolylineVertex(1, 1, 0, 0) +
                                       "0\nSEQEND\n0\nEOF\n",
                                   line.host),
              0);
}

TEST(DxfPermutedCorners, CornersInAnotherOrderReadAsTheirCodesSay) {
    // The first face of the LightWave export, written 13 first, reads 13, 12, 11, 10.
    Model egg;
    ASSERT_EQ(formats::ReadDxf(RealFile("dxf/PinkEggFromLW.dxf"), egg.host), 1);
    egg.Sync();
    EXPECT_EQ(egg.table->position[0][0], (rm::Vector{0.0f, -2.1f, 0.05f}));
    EXPECT_EQ(egg.table->position[0][3], (rm::Vector{0.5375f, -2.028444f, -0.120818f}));

    // Any order is taken, but the twelve must stand together, each once.
    const std::string shuffled = "0\n3DFACE\n8\n0\n33\n-0.5\n" + kQuadBody.substr(0, 84);
    ExpectRead(shuffled + "0\nEOF\n", true, "33 first");
    ExpectRead(shuffled.substr(0, 45) + "62\n1\n" + shuffled.substr(45), false, "62 after 30");
    ExpectRead(shuffled.substr(0, 29) + "20\n-0.5\n" + shuffled.substr(29), false, "20 twice");
    ExpectRead(shuffled.substr(0, 45) + "0\nEOF\n", false, "ends after 30");
}

}  // namespace
