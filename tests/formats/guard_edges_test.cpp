// The readers' guards against hostile input, each at its exact edge: the last value that
// must still be read next to the first that must be refused. The bytes end where readable
// memory ends (BytesAtPageEnd), so a guard that lets a reader look one byte too far
// crashes the test in the plain build too; where a slip would stay inside the reader's
// own arrays, the kind of failure and the corners read tell.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/dxf.h"
#include "formats/lwo.h"
#include "formats/mqo.h"
#include "formats/obj.h"
#include "test_support.h"

namespace {

using formats::ReadFailure;
using testing_support::Be16;
using testing_support::Be32;
using testing_support::BytesAtPageEnd;
using testing_support::IffChunk;
using testing_support::Model;

// What a read gave: its result, its failure kind and the faces it added.
struct Outcome {
    int result = -1;
    ReadFailure kind = ReadFailure::None;
    std::string detail;
    int faces = 0;
};

template <class Reader>
Outcome ReadAtPageEnd(Reader reader, const std::string& bytes) {
    BytesAtPageEnd guarded(bytes);
    Model m;
    formats::ReadResult read;
    Outcome out;
    out.result = reader(guarded.View(), m.host, &read);
    out.kind = read.kind;
    out.detail = read.detail;
    out.faces = m.host.m_pMesh->GetFaceCount();
    return out;
}

void ExpectRead(const Outcome& o, int faces) {
    EXPECT_EQ(o.result, 1) << o.detail;
    EXPECT_EQ(o.faces, faces);
}

void ExpectMalformed(const Outcome& o) {
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.kind, ReadFailure::Malformed) << o.detail;
    EXPECT_EQ(o.faces, 0);
}

// --- Metasequoia ---------------------------------------------------------------------

// One object of four text vertices and the given face lines.
std::string Mqo(const std::vector<std::string>& faces) {
    std::string s =
        "Metasequoia Document\nFormat Text Ver 1.0\nObject \"o\" {\n\tvertex 4 {\n"
        "\t\t0 0 0\n\t\t100 0 0\n\t\t0 100 0\n\t\t100 100 0\n\t}\n\tface " +
        std::to_string(faces.size()) + " {\n";
    for (const std::string& f : faces) s += "\t\t" + f + "\n";
    return s + "\t}\n}\nEof\n";
}

int ReadMqo(std::string_view text, model::ModelHost& host, formats::ReadResult* r) {
    return formats::ReadMqoText(text, host, r);
}

// Vertex 3 is the last of four; 4 names none, wherever it stands in the face. The reader
// must refuse it itself (Malformed), before the mesh is asked to take the face.
TEST(GuardEdgesMqo, AFaceMayNameTheLastVertexButNotTheVertexCount) {
    for (const char* good : {"3 V(0 1 3)", "3 V(3 2 1)", "4 V(0 1 3 2)"}) {
        SCOPED_TRACE(good);
        ExpectRead(ReadAtPageEnd(ReadMqo, Mqo({good})), 1);
    }
    for (const char* bad :
         {"3 V(0 1 4)", "3 V(4 1 2)", "3 V(0 4 2)", "4 V(0 1 2 4)", "4 V(4 1 2 3)"}) {
        SCOPED_TRACE(bad);
        ExpectMalformed(ReadAtPageEnd(ReadMqo, Mqo({"3 V(0 1 2)", bad})));
    }
}

// A BVertex block: its vertex count times 12 bytes of floats must be there.
TEST(GuardEdgesMqo, ABinaryVertexBlockMustHoldAllItsBytes) {
    // Little-endian, as the block stores them.
    const std::string floats =
        testing_support::LeFloats({0.0f, 0.0f, 0.0f, 100.0f, 0.0f, 0.0f, 0.0f, 100.0f, 0.0f});
    const std::string head =
        "Metasequoia Document\nFormat Text Ver 1.0\nObject \"o\" {\n\tBVertex 3 {\n"
        "\t\tVector 3 [36]\n";
    ExpectRead(ReadAtPageEnd(ReadMqo, head + floats +
                                          "\n\t}\n\tface 1 {\n\t\t3 V(0 1 2)\n"
                                          "\t}\n}\nEof\n"),
               1);
    // The file ends one byte into the last float.
    ExpectMalformed(ReadAtPageEnd(ReadMqo, head + floats.substr(0, 35)));
}

// --- LightWave -----------------------------------------------------------------------

// The points (0 0 0), (1 0 0), (0 1 0), (1 1 0), big-endian.
std::string FourPoints() {
    std::string s;
    for (const float f : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 1.f, 1.f, 0.f}) {
        base::AppendBEFloat(s, f);
    }
    return s;
}
std::string Pols(std::initializer_list<unsigned> values) {
    std::string s;
    for (unsigned v : values) base::AppendBE16(s, v);
    return s;
}
// A FORM around the chunks, its size as they add up.
std::string Form(const std::string& chunks) {
    return "FORM" + Be32(std::uint32_t(4 + chunks.size())) + "LWOB" + chunks;
}
const std::string kSrfs = IffChunk("SRFS", std::string("S\0", 2));

int ReadLwo(std::string_view bytes, model::ModelHost& host, formats::ReadResult* r) {
    return formats::ReadLwoBytes(bytes, host, r);
}

// The chunk that ends the file may end exactly at its last byte; claiming one byte more is
// refused, for each chunk the reader uses.
TEST(GuardEdgesLwo, AChunkMayEndAtTheLastByteButNotBeyond) {
    const std::string points = FourPoints();
    const std::string pols = Pols({3, 0, 1, 2, 1});
    ExpectRead(
        ReadAtPageEnd(ReadLwo, Form(kSrfs + IffChunk("POLS", pols) + IffChunk("PNTS", points))), 1);
    ExpectRead(
        ReadAtPageEnd(ReadLwo, Form(kSrfs + IffChunk("PNTS", points) + IffChunk("POLS", pols))), 1);
    // 47 of the 48 point bytes, 9 of the 10 polygon bytes, 1 of the 2 name bytes.
    ExpectMalformed(ReadAtPageEnd(ReadLwo, Form(kSrfs + IffChunk("POLS", pols) +
                                                IffChunk("PNTS", points.substr(0, 47), 48))));
    ExpectMalformed(ReadAtPageEnd(
        ReadLwo, Form(kSrfs + IffChunk("PNTS", points) + IffChunk("POLS", pols.substr(0, 9), 10))));
    ExpectMalformed(ReadAtPageEnd(ReadLwo, Form(IffChunk("PNTS", points) + IffChunk("POLS", pols) +
                                                IffChunk("SRFS", "S", 2))));
}

// A COLR sub-chunk of a SURF chunk that ends the file: three colour bytes at the very end
// are read; a sub-chunk that claims more than its chunk holds is passed over (the surface
// keeps the default grey), and the file still reads.
TEST(GuardEdgesLwo, ASurfaceColourMayEndAtTheLastByte) {
    const std::string body =
        kSrfs + IffChunk("PNTS", FourPoints()) + IffChunk("POLS", Pols({3, 0, 1, 2, 1}));
    auto colourOf = [&](const std::string& surf) {
        BytesAtPageEnd guarded(Form(body + IffChunk("SURF", surf)));
        Model m;
        EXPECT_EQ(formats::ReadLwoBytes(guarded.View(), m.host), 1);
        return m.host.m_pMesh->GetFaceCount() == 1 ? m.host.m_pMesh->GetFace(0).GetColor() : 0u;
    };
    const std::string name("S\0", 2);
    EXPECT_EQ(colourOf(name + "COLR" + Be16(3) + "\x10\x20\x30"), 0xFF102030u);
    EXPECT_EQ(colourOf(name + "COLR" + Be16(4) + "\x10\x20\x30"), 0xFF808080u);
    EXPECT_EQ(colourOf(name + "COLR" + Be16(3) + "\x10\x20"), 0xFF808080u);
}

// Four points: index 3 is the last, 4 is none. The reader refuses it itself.
TEST(GuardEdgesLwo, APolygonMayNameTheLastPointButNotThePointCount) {
    auto file = [](std::initializer_list<unsigned> pols) {
        return Form(kSrfs + IffChunk("PNTS", FourPoints()) + IffChunk("POLS", Pols(pols)));
    };
    ExpectRead(ReadAtPageEnd(ReadLwo, file({3, 0, 1, 3, 1})), 1);
    ExpectRead(ReadAtPageEnd(ReadLwo, file({4, 3, 2, 1, 0, 1})), 1);
    for (const auto& bad : {file({3, 0, 1, 4, 1}), file({3, 4, 1, 2, 1}), file({4, 0, 1, 2, 4, 1}),
                            file({3, 0, 1, 2, 1, 3, 0, 1, 4, 1})}) {
        ExpectMalformed(ReadAtPageEnd(ReadLwo, bad));
    }
}

// The polygon list must hold each polygon's corners and its surface number, and after a
// negative surface number the detail count: a list that ends one value early is refused.
TEST(GuardEdgesLwo, APolygonListMustHoldEveryValueItAnnounces) {
    auto file = [](std::initializer_list<unsigned> pols) {
        return Form(kSrfs + IffChunk("PNTS", FourPoints()) + IffChunk("POLS", Pols(pols)));
    };
    ExpectRead(ReadAtPageEnd(ReadLwo, file({3, 0, 1, 2, 1})), 1);
    ExpectMalformed(ReadAtPageEnd(ReadLwo, file({3, 0, 1, 2})));
    ExpectMalformed(ReadAtPageEnd(ReadLwo, file({3, 0, 1, 2, 1, 4, 0, 1, 2, 3})));
    // Surface -1 (0xFFFF), then one detail polygon.
    ExpectRead(ReadAtPageEnd(ReadLwo, file({3, 0, 1, 2, 0xFFFF, 1, 3, 1, 2, 3, 1})), 2);
    ExpectRead(ReadAtPageEnd(ReadLwo, file({3, 0, 1, 2, 0xFFFF, 0})), 1);
    ExpectMalformed(ReadAtPageEnd(ReadLwo, file({3, 0, 1, 2, 0xFFFF})));
}

// --- DXF -----------------------------------------------------------------------------

int ReadDxf(std::string_view text, model::ModelHost& host, formats::ReadResult* r) {
    return formats::ReadDxfText(text, host, r);
}

// A 3DFACE whose corner codes come in the order given, code c carrying the value c (so
// code 21 says y = 21 of the second corner); then the next entity.
std::string PermutedFace(const std::vector<int>& codes) {
    std::string s = "0\n3DFACE\n8\n0\n";
    for (int c : codes) s += std::to_string(c) + "\n" + std::to_string(c) + "\n";
    return s + "0\nEOF\n";
}

// Codes 10 .. 33 in another order are read: the corners land where their codes say, in
// reverse file order (13 first). A code that is no corner's (14, 24, 34, 40, 43 ...) among
// them breaks the face; before the first corner code it is passed over like any other.
TEST(GuardEdgesDxf, PermutedCornersReadOnlyTheTwelveCornerCodes) {
    const std::vector<int> order = {13, 23, 33, 12, 22, 32, 11, 21, 31, 10, 20, 30};
    auto corners = [](const std::string& text) {
        Model m;
        formats::ReadResult r;
        EXPECT_EQ(formats::ReadDxfText(text, m.host, &r), 1) << r.detail;
        std::string out;
        if (m.host.m_pMesh->GetFaceCount() != 1) return out;
        rm::Vector p;
        for (int k = 0; m.host.m_pMesh->GetFace(0).GetVertex(k, &p, nullptr); ++k) {
            out += std::to_string(int(p.x)) + ' ' + std::to_string(int(p.y)) + ' ' +
                   std::to_string(int(p.z)) + ", ";
        }
        return out;
    };
    const std::string expected = "13 23 33, 12 22 32, 11 21 31, 10 20 30, ";
    EXPECT_EQ(corners(PermutedFace(order)), expected);
    // Before the first corner code a stray code is passed over with its value, so all
    // twelve corners are still read (the run ends with code 23, which only this path reads).
    const std::vector<int> ending23 = {13, 33, 12, 22, 32, 11, 21, 31, 10, 20, 30, 23};
    EXPECT_EQ(corners(PermutedFace(ending23)), expected);
    for (const int stray : {14, 24, 34, 43, 62}) {
        SCOPED_TRACE(stray);
        std::vector<int> before = {stray};
        before.insert(before.end(), ending23.begin(), ending23.end());
        EXPECT_EQ(corners(PermutedFace(before)), expected);
    }
    for (const int stray : {14, 24, 34, 15, 40, 41, 43, 9, 19, 4}) {
        for (const std::size_t at : {std::size_t(9), std::size_t(11)}) {
            SCOPED_TRACE(std::to_string(stray) + " before position " + std::to_string(at));
            std::vector<int> codes = order;
            codes.insert(codes.begin() + std::ptrdiff_t(at), stray);
            ExpectMalformed(ReadAtPageEnd(ReadDxf, PermutedFace(codes)));
        }
    }
}

// --- Wavefront OBJ -------------------------------------------------------------------

int ReadObj(std::string_view text, model::ModelHost& host, formats::ReadResult* r) {
    return formats::ReadObjText(text, host, r);
}

// Four vertices: 1 .. 4 and -1 .. -4 name them, 5, -5 and 0 none. The reader refuses
// those itself, with its own words, before the mesh is asked to take the face.
TEST(GuardEdgesObj, FaceNumbersFromOneToTheVertexCountAndBackFromMinusOne) {
    const std::string vertices = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n";
    for (const char* good : {"f 1 2 4", "f 4 3 2", "f -4 -3 -1", "f 1 2 3 4"}) {
        SCOPED_TRACE(good);
        ExpectRead(ReadAtPageEnd(ReadObj, vertices + good + "\n"), 1);
        ExpectRead(ReadAtPageEnd(ReadObj, vertices + good), 1);  // no line feed at the end
    }
    for (const char* bad : {"f 1 2 5", "f 5 2 3", "f -5 1 2", "f 1 2 3 5", "f 0 1 2"}) {
        SCOPED_TRACE(bad);
        const Outcome o = ReadAtPageEnd(ReadObj, vertices + "f 1 2 3\n" + bad + "\n");
        ExpectMalformed(o);
        EXPECT_NE(o.detail.find("does not exist"), std::string::npos) << o.detail;
    }
}

// A face line of 16 corners is one face; from 17 on it is cut into triangles (n - 2 of
// them for a convex outline).
TEST(GuardEdgesObj, SixteenCornersMakeOneFaceSeventeenMakeTriangles) {
    for (const int n : {16, 17}) {
        SCOPED_TRACE(n);
        std::string text;
        for (int i = 0; i < n; ++i) {
            const double a = 6.283185307179586 * i / n;
            text += "v " + std::to_string(std::cos(a)) + ' ' + std::to_string(std::sin(a)) + " 0\n";
        }
        text += "f";
        for (int i = 1; i <= n; ++i) text += ' ' + std::to_string(i);
        const Outcome o = ReadAtPageEnd(ReadObj, text);
        ExpectRead(o, n == 16 ? 1 : n - 2);
    }
}

}  // namespace
