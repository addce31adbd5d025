#include "rm/xfile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "base/numbers.h"
#include "test_support.h"

namespace {

using rm::MeshBuilder;
using testing_support::RealFile;
using testing_support::XTokens;

// Loads into a fresh builder; a failure must say why and add nothing.
MeshBuilder Load(const std::string& bytes, bool expectOk = true) {
    SCOPED_TRACE(std::to_string(bytes.size()) + " bytes: " + bytes.substr(0, 60));
    MeshBuilder m;
    std::string error;
    EXPECT_EQ(rm::LoadXFromMemory(bytes, m, &error), expectOk) << error;
    EXPECT_TRUE(expectOk || (!error.empty() && m.GetFaceCount() == 0)) << error;
    return m;
}

// A face as text: colour, texture name, then each corner's position, normal and u, v.
std::string Describe(MeshBuilder& m, int f) {
    rm::Face face = m.GetFace(f);
    std::ostringstream s;
    s << std::hex << face.GetColor() << std::dec << std::setprecision(9) << ' '
      << (face.GetTexture() ? face.GetTexture()->GetName() : "-");
    rm::Vector p, n;
    float u, v;
    for (int k = 0; face.GetVertex(k, &p, &n) && face.GetTextureCoordinates(k, &u, &v); ++k) {
        s << " | " << p.x << ' ' << p.y << ' ' << p.z << ", " << n.x << ' ' << n.y << ' ' << n.z
          << ", " << u << ' ' << v;
    }
    return s.str();
}

void ExpectSameMeshes(MeshBuilder& a, MeshBuilder& b) {
    ASSERT_EQ(a.GetFaceCount(), b.GetFaceCount());
    for (int f = 0; f < a.GetFaceCount(); ++f) EXPECT_EQ(Describe(a, f), Describe(b, f));
}

const char* kTextModel = R"(xof 0303txt 0032
// a comment with { braces }
template Thing { <12345678-1234-1234-1234-123456789012> DWORD x; [...] }
Header { 1; 0; 1; }  Unknown { 1; 2; 3; 1.5, 2.5; Mesh { 7; } }
Material Red { 1.000000;0.500000;0.250000;0.500000;; 10; 0;0;0;; 0;0;0;;   # face colour
 TextureFilename { "C:\maps\red wood.bmp"; } }
Mesh Shape {
 5; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 1234567.5;0.000244140625;2;;
 2; 4;0,1,2,3;, 3;1,4,2;;
 MeshMaterialList { 2; 2; 1, 0;; { Red } Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } }
 MeshNormals { 2; 0;0;1;, 0;1;0;; 2; 4;0,0,0,0;, 3;1,1,0;; }
 MeshTextureCoords { 5; 0;0;, 1;0;, 1;1;, 0;1;, 0.5;0.25;; }
}
)";

std::string BinaryTwin(int floatBits) {
    XTokens b(floatBits);
    b.Tok(31).Name("Thing").Open().Tok(5).out += "16 bytes of GUID";
    b.Tok(41).Name("x").Tok(20).Close();
    b.Name("Material").Name("Red").Open().List(7, {1, 0.5, 0.25, 0.5, 10, 0, 0, 0, 0, 0, 0});
    b.Name("TextureFilename").Open().Name("C:\\maps\\red wood.bmp", 2).Tok(20).Close().Close();
    b.Name("Mesh").Name("Shape").Open().List(6, {5});
    b.List(7, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 1234567.5, 0.000244140625, 2});
    b.List(6, {2, 4, 0, 1, 2, 3, 3, 1, 4, 2}).Name("MeshMaterialList").Open();
    b.List(6, {2, 2, 1, 0}).Open().Name("Red").Close().Name("Material").Open();
    b.List(7, {0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0}).Close().Close().Name("MeshNormals").Open();
    b.List(6, {2}).List(7, {0, 0, 1, 0, 1, 0}).List(6, {2, 4, 0, 0, 0, 0, 3, 1, 1, 0}).Close();
    b.Name("MeshTextureCoords").Open().List(6, {5});
    b.List(7, {0, 0, 1, 0, 1, 1, 0, 1, 0.5, 0.25}).Close().Close();
    return b.out;
}

// What kTextModel holds, worked out by hand. Face 0 takes the inline blue material, face 1
// "Red" by name (1, .5, .25, alpha .5).
void ExpectModel(MeshBuilder& m) {
    ASSERT_EQ(m.GetFaceCount(), 2);
    EXPECT_EQ(Describe(m, 0),
              "ff0000ff - | 0 0 0, 0 0 1, 0 0 | 1 0 0, 0 0 1, 1 0 | "
              "1 1 0, 0 0 1, 1 1 | 0 1 0, 0 0 1, 0 1");
    EXPECT_EQ(Describe(m, 1),
              "80ff8040 C:\\maps\\red wood.bmp | 1 0 0, 0 1 0, 1 0 | "
              "1234567.5 0.000244140625 2, 0 1 0, 0.5 0.25 | 1 1 0, 0 0 1, 1 1");
}

// The body cut into blocks, each raw-deflated with the previous block as its dictionary,
// behind a header whose size counts the 16 header bytes.
std::string Compress(const std::string& file, const char* format, std::size_t blockSize) {
    std::string out = file.substr(0, 8) + format + file.substr(12, 4), previous;
    base::AppendLE32(out, std::uint32_t(file.size()));
    for (std::size_t at = 16; at < file.size(); at += blockSize) {
        std::string block = file.substr(at, blockSize), packed(block.size() + 64, '\0');
        z_stream z{};
        z.next_in = reinterpret_cast<Bytef*>(block.data());
        z.avail_in = uInt(block.size());
        z.next_out = reinterpret_cast<Bytef*>(packed.data());
        z.avail_out = uInt(packed.size());
        EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
        deflateSetDictionary(&z, reinterpret_cast<Bytef*>(previous.data()), uInt(previous.size()));
        EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
        packed.resize(z.total_out);
        deflateEnd(&z);
        base::AppendLE32(out,
                         std::uint32_t(block.size() | (packed.size() + 2)
                                                          << 16));  // sizes inflated, packed + "CK"
        out += "CK" + packed;
        previous = block;
    }
    return out;
}

TEST(XLoad, TextBinaryAndCompressedGiveTheSameMesh) {
    MeshBuilder text = Load(kTextModel);
    ExpectModel(text);
    std::string nul = kTextModel;  // NUL bytes between tokens are blanks
    nul.insert(nul.find("Mesh Shape"), std::string(3, '\0'));
    // Small blocks: every block after the first needs its dictionary to inflate.
    for (const std::string& file :
         {BinaryTwin(32), BinaryTwin(64), Compress(BinaryTwin(32), "bzip", 64),
          Compress(kTextModel, "tzip", 100), nul}) {
        MeshBuilder other = Load(file);
        ExpectSameMeshes(text, other);
    }
}

TEST(XLoad, FramesMaterialListsAndCoordinatesBeyondFloat) {
    // Outer: scale 2. Inner: rotate 90 degrees about Z (x -> y, y -> -x), then +10 in x.
    // Material indices 5, 0 for three faces: material 5 of 1 leaves the default colour,
    // the last index repeats.
    // Beyond the float range: infinity; below it: 0.
    MeshBuilder m = Load(R"(xof 0303txt 0032
Frame Outer { FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,0,1;; }
 Frame Inner { FrameTransformMatrix { 0,1,0,0, -1,0,0,0, 0,0,1,0, 10,0,0,1;; }
  Mesh { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;; MeshNormals { 1; 1;0;0;; 1; 3;0,0,0;; } } }
 Mesh { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;; } }
Mesh { 3; 1e39;0;0;, 0;-1e39;0;, 0;0;1e-50;; 3; 3;0,1,2;, 3;0,1,2;, 3;0,1,2;;
 MeshMaterialList { 1; 2; 5, 0;; Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } } }
)");
    ASSERT_EQ(m.GetFaceCount(), 5);
    const std::string xyz = ", 0 0 0, 0 0 | ";  // no normal, no u, v
    EXPECT_EQ(Describe(m, 0),
              "ffffffff - | 20 2 0, 0 1 0, 0 0 | 18 0 0, 0 1 0, 0 0 | 20 0 2, 0 1 0, 0 0");
    EXPECT_EQ(Describe(m, 1), "ffffffff - | 2 0 0" + xyz + "0 2 0" + xyz + "0 0 2, 0 0 0, 0 0");
    const std::string huge = " - | inf 0 0" + xyz + "0 -inf 0" + xyz + "0 0 0, 0 0 0, 0 0";
    EXPECT_EQ(Describe(m, 2), "ffffffff" + huge);
    for (int f : {3, 4}) EXPECT_EQ(Describe(m, f), "ff00ff00" + huge);
    // The saver writes what has no spelling as 0, and the text still loads.
    MeshBuilder back = Load(rm::SaveXToString(m, rm::XOFSAVE_ALL));
    EXPECT_EQ(Describe(back, 2), "ffffffff - | 0 0 0" + xyz + "0 0 0" + xyz + "0 0 0, 0 0 0, 0 0");
}

TEST(XLoad, DamagedInputFailsAndAddsNothing) {
    const std::string txt = "xof 0303txt 0032\n";
    std::string deep = txt;
    for (int i = 0; i < 100000; ++i) deep += "Frame {";
    const std::string cases[] = {
        txt,  // no mesh
        "xof 0303txt 0016\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }",
        "xof 0303abc 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }",
        txt + "Mesh { 1000000000; 0;0;0;; 1; 3;0,0,0;; }",
        txt + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2.5;; }",
        kTextModel + std::string("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }"),
        txt + "template T { +5x",  // a sign glued to a name
        txt + "Mesh { +1a; }",
        deep,
        XTokens().Name("Mesh").Open().Tok(99).Close().out,
    };
    for (const std::string& c : cases) Load(c, false);
    // No cut of a valid file loads part of its mesh.
    for (const std::string& good :
         {std::string(kTextModel), BinaryTwin(32), Compress(BinaryTwin(32), "bzip", 64)}) {
        for (std::size_t n = 0; n + 1 < good.size(); ++n) Load(good.substr(0, n), false);
    }
}

// The face count of every real .x file, and the refusal of the damaged one, are in
// real_table_test's table.
TEST(XRealFiles, BinaryEqualsCompressed) {
    MeshBuilder bin, zip;
    ASSERT_TRUE(bin.Load(RealFile("x/test_cube_binary.x")) &&
                zip.Load(RealFile("x/test_cube_compressed.x")));
    ExpectSameMeshes(bin, zip);
}

TEST(XSave, SplitsVerticesOnlyWhereCornersDiffer) {
    MeshBuilder m = Load(kTextModel);
    // Vertex 1 has a normal per face: 5 + 1 vertices, while vertex 2 is the same in both.
    // Then vertex 2 gets a second u, v: one more.
    for (const std::size_t vertices : {6u, 7u}) {
        MeshBuilder back = Load(rm::SaveXToString(m, rm::XOFSAVE_ALL));
        ExpectSameMeshes(m, back);
        EXPECT_EQ(back.GetVertexCount(), vertices);
        m.GetFace(1).SetTextureCoordinates(2, 0.5f, 0.5f);
    }
}

// Two triangles of a square: the first red with the texture "wood.bmp", the second blue
// at alpha 51; every corner has the normal (0, 0, 1) and its own u, v. Corner 1 of the
// second face (vertex 2) has another u than in the first face, so the saver splits vertex
// 2 in two: five vertices, numbered in the order the corners first use them. The text
// below is worked out by hand from the format: lists of "count;" and items closed by ";,"
// and the last by ";;", floats in their shortest spelling (51 / 255 as a float is
// 0.200000018, spelt 0.20000002).
void BuildTwoMaterialSquare(MeshBuilder& m) {
    const rm::Vector square[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const rm::Vector up[1] = {{0, 0, 1}};
    ASSERT_TRUE(m.AddFaces(square, up,
                           std::vector<std::int32_t>{3, 0, 0, 1, 0, 2, 0, 3, 0, 0, 2, 0, 3, 0, 0}));
    auto material = std::make_shared<rm::Material>();
    material->power = 15;
    material->specular[0] = 0.25f;
    material->specular[1] = 0.5f;
    material->specular[2] = 1;
    material->emissive[2] = 0.125f;
    m.SetMaterial(material);
    rm::Face red = m.GetFace(0), blue = m.GetFace(1);
    ASSERT_TRUE(red.SetColor(0xFFFF0000u));
    ASSERT_TRUE(red.SetTexture(std::make_shared<rm::Texture>("wood.bmp")));
    ASSERT_TRUE(blue.SetColor(rm::MakeColor(51, 0, 0, 255)));
    const float uv[2][3][2] = {{{0, 1}, {1, 1}, {1, 0}}, {{0, 1}, {0.5f, 0}, {0, 0}}};
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(red.SetTextureCoordinates(k, uv[0][k][0], uv[0][k][1]));
        ASSERT_TRUE(blue.SetTextureCoordinates(k, uv[1][k][0], uv[1][k][1]));
    }
}
// The square saved with everything.
const std::string kTwoMaterialSquareX =
    "xof 0302txt 0032\n"
    "Header {\n 1;\n 0;\n 1;\n}\n\n"
    "Mesh {\n"
    " 5;\n 0;0;0;,\n 1;0;0;,\n 1;1;0;,\n 1;1;0;,\n 0;1;0;;\n"
    " 2;\n 3;0,1,2;,\n 3;0,3,4;;\n"
    " MeshMaterialList {\n"
    "  2;\n  2;\n  0,\n  1;\n"
    "  Material {\n"
    "   1;0;0;1;;\n   15;\n   0.25;0.5;1;;\n   0;0;0.125;;\n"
    "   TextureFilename {\n    \"wood.bmp\";\n   }\n"
    "  }\n"
    "  Material {\n"
    "   0;0;1;0.20000002;;\n   15;\n   0.25;0.5;1;;\n   0;0;0.125;;\n"
    "  }\n"
    " }\n"
    " MeshNormals {\n"
    " 5;\n 0;0;1;,\n 0;0;1;,\n 0;0;1;,\n 0;0;1;,\n 0;0;1;;\n"
    " 2;\n 3;0,1,2;,\n 3;0,3,4;;\n"
    " }\n"
    " MeshTextureCoords {\n"
    " 5;\n 0;1;,\n 1;1;,\n 1;0;,\n 0.5;0;,\n 0;0;;\n"
    " }\n"
    "}\n";
// Without materials, normals or coordinates.
const std::string kPlainSquareX =
    "xof 0302txt 0032\nHeader {\n 1;\n 0;\n 1;\n}\n\nMesh {\n"
    " 4;\n 0;0;0;,\n 1;0;0;,\n 1;1;0;,\n 0;1;0;;\n"
    " 2;\n 3;0,1,2;,\n 3;0,2,3;;\n}\n";

TEST(XSave, ASmallModelOfTwoMaterialsATextureAndCoordinatesByteForByte) {
    MeshBuilder m;
    ASSERT_NO_FATAL_FAILURE(BuildTwoMaterialSquare(m));
    const std::string& expected = kTwoMaterialSquareX;
    EXPECT_EQ(rm::SaveXToString(m, rm::XOFSAVE_ALL), expected);
    // The file holds the same bytes, in any locale.
    testing_support::TempDir dir;
    ASSERT_TRUE(m.Save(dir.Path("c.x"), rm::XOFSAVE_ALL));
    EXPECT_EQ(testing_support::ReadFile(dir.Path("c.x")), expected);
    testing_support::ScopedLocale german("de_DE.UTF-8");
    if (german.ok()) {
        EXPECT_EQ(rm::SaveXToString(m, rm::XOFSAVE_ALL), expected);
    }
    // Without texture names the first material has none; without materials, normals or
    // coordinates their blocks go, and the vertices no longer split.
    const std::string& plain = kPlainSquareX;
    EXPECT_EQ(rm::SaveXToString(m, 0), plain);
    const std::string materialsOnly = rm::SaveXToString(m, rm::XOFSAVE_MATERIALS);
    EXPECT_EQ(materialsOnly.find("TextureFilename"), std::string::npos);
    EXPECT_EQ(materialsOnly.substr(0, plain.size() - 2), plain.substr(0, plain.size() - 2));
}

// --- Guards at their exact edges -----------------------------------------------------

// Loads bytes that end where readable memory ends (a look one byte past them crashes);
// returns the failure kind (None on success) and leaves the faces in `m`.
rm::XLoadFailure LoadAtPageEnd(const std::string& bytes, MeshBuilder& m,
                               std::size_t maxInflated = rm::kMaxXFileSize,
                               std::string* why = nullptr) {
    testing_support::BytesAtPageEnd guarded(bytes);
    std::string scratch;
    std::string& error = why ? *why : scratch;
    rm::XLoadFailure failure = rm::XLoadFailure::None;
    const bool ok = rm::LoadXFromMemory(guarded.View(), m, &error, &failure, maxInflated);
    EXPECT_EQ(ok, failure == rm::XLoadFailure::None) << error;
    EXPECT_TRUE(ok || m.GetFaceCount() == 0) << error;
    return failure;
}

// A text file whose body (all after the 16-byte header) is exactly `size` bytes: one
// triangle, then a comment filling up the rest.
std::string TextFileWithBodyOf(std::size_t size) {
    std::string body = "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n#";
    body.resize(size, 'x');
    return "xof 0303txt 0032" + body;
}

// A compressed body may inflate to the limit, not one byte more, counting all its blocks.
TEST(XGuardEdges, ACompressedBodyMayInflateToTheLimitButNotBeyond) {
    constexpr std::size_t kLimit = 1000;
    for (const std::size_t block : {std::size_t(4096), std::size_t(600)}) {
        SCOPED_TRACE(block);
        MeshBuilder exact, over, unlimited;
        EXPECT_EQ(LoadAtPageEnd(Compress(TextFileWithBodyOf(kLimit), "tzip", block), exact, kLimit),
                  rm::XLoadFailure::None);
        EXPECT_EQ(exact.GetFaceCount(), 1);
        const std::string more = Compress(TextFileWithBodyOf(kLimit + 1), "tzip", block);
        EXPECT_EQ(LoadAtPageEnd(more, over, kLimit), rm::XLoadFailure::Malformed);
        EXPECT_EQ(LoadAtPageEnd(more, unlimited), rm::XLoadFailure::None);
    }
}

// A compressed block's packed size may reach the last byte of the file, not one beyond.
TEST(XGuardEdges, ACompressedBlockMustHoldTheBytesItsHeaderClaims) {
    const std::string file = Compress(TextFileWithBodyOf(200), "tzip", 4096);
    MeshBuilder whole, cut;
    EXPECT_EQ(LoadAtPageEnd(file, whole), rm::XLoadFailure::None);
    EXPECT_EQ(LoadAtPageEnd(file.substr(0, file.size() - 1), cut), rm::XLoadFailure::Malformed);
}

// A binary list's count is a count of values: its 4 (or 8) bytes each must be there. A
// list that is one byte short of them at the end of the file fails without a look past it.
TEST(XGuardEdges, BinaryListsMustHoldAllTheirValues) {
    for (const int bits : {32, 64}) {
        SCOPED_TRACE(bits);
        XTokens head(bits);
        head.Name("Mesh").Open().List(6, {3});
        XTokens floats = head;
        floats.List(7, {0, 0, 0, 1, 0, 0, 0, 1, 0});
        XTokens ints = floats;
        ints.List(6, {1, 3, 0, 1, 2});
        XTokens whole = ints;
        whole.Close();
        MeshBuilder good;
        EXPECT_EQ(LoadAtPageEnd(whole.out, good), rm::XLoadFailure::None);
        EXPECT_EQ(good.GetFaceCount(), 1);
        for (const std::string& cut :
             {ints.out.substr(0, ints.out.size() - 1), floats.out.substr(0, floats.out.size() - 1),
              head.out.substr(0, head.out.size() - 1)}) {
            MeshBuilder m;
            EXPECT_EQ(LoadAtPageEnd(cut, m), rm::XLoadFailure::Malformed) << cut.size();
        }
    }
    // Names and strings: their count of bytes.
    for (const int token : {1, 2}) {
        XTokens b;
        b.Name("Mesh").Open().Name("abcd", token);
        MeshBuilder m;
        EXPECT_EQ(LoadAtPageEnd(b.out.substr(0, b.out.size() - 1), m), rm::XLoadFailure::Malformed);
    }
}

// A triangle mesh of four vertices and three faces, with the given children.
std::string ThreeFaces(const std::string& children) {
    return "xof 0303txt 0032\nMesh { 4; 0;0;0;, 1;0;0;, 0;1;0;, 1;1;0;; 3; 3;0,1,2;, 3;1,3,2;, "
           "3;0,1,3;;\n" +
           children + " }\n";
}
const char* kRedAndBlue =
    " Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; } Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; }";

// The colours of the faces of `file`, "-" for a file that does not load.
std::string FaceColours(const std::string& file) {
    MeshBuilder m;
    if (LoadAtPageEnd(file, m) != rm::XLoadFailure::None) return "-";
    std::ostringstream s;
    for (int f = 0; f < m.GetFaceCount(); ++f) s << std::hex << m.GetFace(f).GetColor() << ' ';
    return s.str();
}

// Fewer material indices than faces: the faces after them take the last index. More are
// ignored; none at all leave every face its default colour. An index may name the last
// material; one past it names none (the face keeps its default colour).
TEST(XGuardEdges, MaterialIndexListsShorterThanTheFacesAndIndicesAtTheMaterialCount) {
    auto list = [](const std::string& indices) {
        return ThreeFaces(" MeshMaterialList { 2; " + indices + kRedAndBlue + " }");
    };
    const std::string red = "ffff0000 ", blue = "ff0000ff ", none = "ffffffff ";
    EXPECT_EQ(FaceColours(list("3; 0, 1, 0;;")), red + blue + red);
    EXPECT_EQ(FaceColours(list("2; 0, 1;;")), red + blue + blue);
    EXPECT_EQ(FaceColours(list("1; 1;;")), blue + blue + blue);
    EXPECT_EQ(FaceColours(list("0;;")), none + none + none);
    EXPECT_EQ(FaceColours(list("4; 1, 0, 1, 0;;")), blue + red + blue);
    EXPECT_EQ(FaceColours(list("3; 1, 2, 0;;")), blue + none + red);
    EXPECT_EQ(FaceColours(list("2; 0, 2;;")), red + none + none);
}

// Vertex numbers below the vertex count are read; the count itself fails the file. Normal
// numbers below the normal count are read; the count itself drops the normals (the file
// still loads, its corners without normals).
TEST(XGuardEdges, VertexAndNormalIndicesAtTheirCounts) {
    const std::string tri = "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; ";
    MeshBuilder last;
    EXPECT_EQ(LoadAtPageEnd(tri + "3;0,1,2;; }", last), rm::XLoadFailure::None);
    // The loader refuses the number itself, before the mesh is asked to take the face.
    for (const char* face : {"3;0,1,3;; }", "3;3,1,2;; }"}) {
        MeshBuilder past;
        std::string why;
        EXPECT_EQ(LoadAtPageEnd(tri + face, past, rm::kMaxXFileSize, &why),
                  rm::XLoadFailure::Malformed);
        EXPECT_NE(why.find("vertex index out of range"), std::string::npos) << why;
    }
    auto normals = [&](const char* corners) {
        MeshBuilder m;
        EXPECT_EQ(LoadAtPageEnd(
                      tri + "3;0,1,2;; MeshNormals { 2; 0;0;1;, 0;1;0;; 1; " + corners + " } }", m),
                  rm::XLoadFailure::None);
        std::string out;
        for (const auto& c : m.FaceCorners(0)) {
            out += c.normal == MeshBuilder::kNoNormal ? "- " : std::to_string(c.normal) + ' ';
        }
        return out;
    };
    EXPECT_EQ(normals("3;0,1,1;;"), "0 1 1 ");
    EXPECT_EQ(normals("3;0,2,1;;"), "- - - ");
    EXPECT_EQ(normals("3;2,0,0;;"), "- - - ");
}

// Data objects may nest 64 deep; one more fails the file.
TEST(XGuardEdges, ObjectsNestSixtyFourDeepButNotSixtyFive) {
    auto nested = [](int frames) {
        std::string s = "xof 0303txt 0032\n";
        for (int i = 0; i < frames; ++i) s += "Frame {\n";
        s += "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";
        for (int i = 0; i < frames; ++i) s += "}\n";
        return s;
    };
    MeshBuilder deepest, deeper;
    EXPECT_EQ(LoadAtPageEnd(nested(rm::kMaxXNesting - 1), deepest), rm::XLoadFailure::None);
    EXPECT_EQ(deepest.GetFaceCount(), 1);
    EXPECT_EQ(LoadAtPageEnd(nested(rm::kMaxXNesting), deeper), rm::XLoadFailure::Malformed);
}

// A frame's transform needs all 16 numbers.
TEST(XGuardEdges, AFrameTransformOfFifteenNumbersFails) {
    auto frame = [](const std::string& numbers) {
        return "xof 0303txt 0032\nFrame { FrameTransformMatrix { " + numbers +
               ";; }\n Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } }\n";
    };
    MeshBuilder sixteen, fifteen;
    EXPECT_EQ(LoadAtPageEnd(frame("1,0,0,0, 0,1,0,0, 0,0,1,0, 5,0,0,1"), sixteen),
              rm::XLoadFailure::None);
    rm::Vector p;
    ASSERT_TRUE(sixteen.GetFace(0).GetVertex(0, &p, nullptr));
    EXPECT_EQ(p, (rm::Vector{5, 0, 0}));
    EXPECT_EQ(LoadAtPageEnd(frame("1,0,0,0, 0,1,0,0, 0,0,1,0, 5,0,0"), fifteen),
              rm::XLoadFailure::Malformed);
}

}  // namespace

namespace {

// Exporters that mean nothing by alpha write 0: a file whose every material is fully
// transparent reads opaque; one that mixes keeps its transparent materials.
TEST(XMaterials, AFileWhoseEveryMaterialHasAlphaZeroReadsOpaque) {
    const char* clearRedAndBlue =
        " Material { 1;0;0;0;; 0; 0;0;0;; 0;0;0;; } Material { 0;0;1;0;; 0; 0;0;0;; 0;0;0;; }";
    const char* clearRedOpaqueBlue =
        " Material { 1;0;0;0;; 0; 0;0;0;; 0;0;0;; } Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; }";
    const char* faintRed = " Material { 1;0;0;0.001;; 0; 0;0;0;; 0;0;0;; }";
    auto file = [](const std::string& materials, const char* indices) {
        return ThreeFaces(" MeshMaterialList { 2; " + std::string(indices) + materials + " }");
    };
    EXPECT_EQ(FaceColours(file(clearRedAndBlue, "3; 0, 1, 0;;")), "ffff0000 ff0000ff ffff0000 ");
    EXPECT_EQ(FaceColours(file(clearRedOpaqueBlue, "3; 0, 1, 0;;")), "ff0000 ff0000ff ff0000 ");
    // Alpha 0.001 is meant: it stays (as the byte 0).
    EXPECT_EQ(FaceColours(file(faintRed, "3; 0, 0, 0;;")), "ff0000 ff0000 ff0000 ");

    MeshBuilder cube;
    std::string error;
    ASSERT_TRUE(cube.Load(RealFile("x/cube_on_plane.x"), &error)) << error;
    ASSERT_EQ(cube.GetFaceCount(), 1073);
    for (int f = 0; f < cube.GetFaceCount(); ++f) {
        ASSERT_EQ(rm::ColorAlpha(cube.GetFace(f).GetColor()), 255u) << f;
    }
}

}  // namespace
