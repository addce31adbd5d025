#include "formats/lwo.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/numbers.h"
#include "test_support.h"

namespace {

using testing_support::Model;

// "SRFS 00 02 A 00": a two-character word is a byte in hex, any other word its own text.
std::string Hex(const std::string& text) {
    std::string out, word;
    for (std::istringstream in(text); in >> word;)
        out += word.size() == 2 ? std::string(1, char(std::stoi(word, nullptr, 16))) : word;
    return out;
}
std::string Chunk(const char* id, const std::string& data) {
    return id + testing_support::Be32(std::uint32_t(data.size())) + data;
}
// A FORM of the surface names, the points of a unit square and (0, 0, 1), the POLS values
// given and the chunks after them.
std::string File(const char* names, std::initializer_list<int> pols, const std::string& after) {
    std::string body;
    for (int v : pols) base::AppendBE16(body, unsigned(v));
    body = Chunk("SRFS", Hex(names)) +
           Chunk("PNTS", Hex("00 00 00 00 00 00 00 00 00 00 00 00 3F 80 00 00 00 00 00 00 00 00 "
                             "00 00 3F 80 00 00 3F 80 00 00 00 00 00 00 00 00 00 00 3F 80 00 00 "
                             "00 00 00 00 00 00 00 00 00 00 00 00 3F 80 00 00")) +
           Chunk("POLS", body) + Hex(after);
    return Chunk("FORM", "LWOB" + body);
}
// Per face its vertex numbers and its colour (ARGB).
std::string Faces(Model& m) {
    std::ostringstream out;
    for (int f = 0; f < m.host.m_pMesh->GetFaceCount(); ++f) {
        for (const auto& c : m.host.m_pMesh->FaceCorners(std::size_t(f))) out << c.vertex << ' ';
        out << std::hex << m.host.m_pMesh->GetFace(f).GetColor() << std::dec << ", ";
    }
    return out.str();
}

TEST(LwoWriter, SmallModelByteForByte) {
    Model m;
    testing_support::ModelBuilder()
        .Vertices({{0, 0, 0}, {1, 0, 0}, {0, 0.5f, 0}, {0, 0, -2}})
        .Face({0, 1, 2})
        .Color(255, 0, 0, 100)  // alpha is not written
        .Face({3, 2, 1, 0})
        .Color(0, 0, 255, 100)
        .Face({0, 3, 1})
        .Color(255, 0, 0, 100)
        .Into(m);
    model::FaceTable& t = *m.table;
    std::string out, error;
    ASSERT_TRUE(formats::FormatLwo(t, out));
    const auto surf = [](const char* name, const char* rgb) {
        return std::string(" SURF 00 00 00 48 ") + name + " 00 COLR 00 04 " + rgb +
               " 00 FLAG 00 02 01 04 SMAN 00 04 3F 46 D3 F2 DIFF 00 02 01 00 "
               "TRAN 00 02 00 00 SPEC 00 02 00 00 GLOS 00 02 00 00";
    };
    // Body: "LWOB" 4 + SRFS 8+24 + PNTS 8+48 + POLS 8+32 + 2 SURF of 8+72 = 292 = 0x124.
    EXPECT_EQ(out, Hex("FORM 00 00 01 24 LWOB SRFS 00 00 00 18 Kestrilune0 00 Kestrilune1 00 "
                       "PNTS 00 00 00 30 00 00 00 00 00 00 00 00 00 00 00 00 "
                       "3F 80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 3F 00 00 00 00 00 00 00 "
                       "00 00 00 00 00 00 00 00 C0 00 00 00 POLS 00 00 00 20 "
                       "00 03 00 00 00 01 00 02 00 01 00 04 00 03 00 02 00 01 00 00 00 02 "
                       "00 03 00 00 00 03 00 01 00 01" +
                       surf("Kestrilune0", "FF 00 00") + surf("Kestrilune1", "00 00 FF")));

    // Eleven colours: only "Kestrilune10" (12 characters and NUL) gets a pad byte.
    for (t.faceCount = 0; t.faceCount < 11; ++t.faceCount)
        t.faceColor[t.faceCount] = {t.faceCount, 0, 0};
    ASSERT_TRUE(formats::FormatLwo(t, out));
    EXPECT_EQ(out.substr(out.rfind("SURF") + 8, 24),
              Hex("Kestrilune10 00 00 COLR 00 04 0A 00 00 00"));

    // 65,536 vertices still fit: the last index is FF FF and reads back as unsigned.
    t.vertexIndex[0][1] = 65535;
    t.poolVertexCount = 65536;
    ASSERT_TRUE(formats::FormatLwo(t, out));
    Model back;
    ASSERT_EQ(formats::ReadLwoBytes(out, back.host), 1);
    EXPECT_EQ(Faces(back), "0 65535 2 ff000000, 3 2 1 0 ff010000, 0 3 1 ff020000, ");
    // One more would wrap; an index outside the vertex list is refused too.
    t.poolVertexCount = 65537;
    EXPECT_FALSE(formats::FormatLwo(t, out, &error));
    EXPECT_FALSE(error.empty());
    t.poolVertexCount = 10;
    EXPECT_FALSE(formats::FormatLwo(t, out));
}

TEST(LwoReader, SurfacesDetailPolygonsAndBrokenFiles) {
    // A quad on surface 2 with one detail triangle on surface 1; a triangle and a point on 3,
    // an edge on 4, a polygon without vertices (no face) and a surface number out of range.
    // SURF "Blue" describes surface 2, "X" (no such name) the one after it, "A" surface 1;
    // D has no SURF. Unknown chunks and sub-chunks (one holding COLR-like bytes) change
    // nothing, and a chunk of odd size is followed by its pad byte.
    const std::string file =
        File("A 00 Blue 00 00 C 00 D 00", {4, 0, 1, 2, 3, -2, 1, 3, 0, 1, 2, 1, 3, 2, 3, 4,
                                           3, 1, 4, 3, 2, 3,  4, 4, 0, 1, 3, 2, 3, 4, 9},
             "ZZZZ 00 00 00 03 abc 00 SURF 00 00 00 1E Blue 00 00 TIMG 00 08 COLR 00 04 61 62 "
             "COLR 00 04 28 32 3C 00 SURF 00 00 00 0C X 00 COLR 00 04 46 50 5A 00 "
             "SURF 00 00 00 0C A 00 COLR 00 04 0A 14 1E 00");
    Model m;
    ASSERT_EQ(formats::ReadLwoBytes(file, m.host), 1);
    EXPECT_EQ(Faces(m),
              "0 1 2 3 ff28323c, 0 1 2 ff0a141e, 2 3 4 ff46505a, 4 ff46505a, "
              "3 4 ff808080, 2 3 4 ffffffff, ");
    // The quad's normal is (A-B)x(A-C) = (0,0,1).
    rm::Vector normal;
    m.host.m_pMesh->GetFace(0).GetVertex(0, nullptr, &normal);
    EXPECT_EQ(normal, (rm::Vector{0, 0, 1}));

    // Broken files add nothing to what is there.
    std::vector<std::string> cases = {
        Hex("FORM 00 00 00 5C LWOB") + file.substr(12),  // the body ends before POLS
        Hex("FORM 7F FF FF FF LWOB") + file.substr(32),  // no SRFS
        File("A 00", {3, 0, 1, 2}, ""),                  // no surface number
        File("A 00", {3, 0, 1, 2, -1}, ""),              // no detail count
        File("A 00", {3, 0, 1, 5, 1}, ""),               // no point 5
    };
    // Every cut of the file: a chunk is then missing or short, or only an unknown one is.
    for (std::size_t n = 0; n < file.size(); ++n) cases.push_back(file.substr(0, n));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const int before = m.host.m_pMesh->GetFaceCount();
        formats::ReadResult error;
        const int result = formats::ReadLwoBytes(cases[i], m.host, &error);
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), before + 6 * result) << i;
        // The first five fail, and a failure says why; a cut that still holds PNTS, SRFS and
        // POLS reads.
        EXPECT_EQ(error.detail.empty(), result == 1 && i >= 5) << i;
    }
}

// The layered layout of LightWave 5 is refused by name. (The face counts of the real files
// are in real_table_test's table.)
TEST(LwoReader, TheLayeredLayoutIsRefusedByName) {
    Model m;
    formats::ReadResult error;
    const std::string lwlo("FORM\0\0\0\x04LWLO", 12);
    EXPECT_EQ(formats::ReadLwoBytes(lwlo, m.host, &error), 0);
    EXPECT_EQ(error.kind, formats::ReadFailure::Unsupported);
    EXPECT_NE(error.detail.find("(LWLO) is not supported"), std::string::npos);
}

}  // namespace
