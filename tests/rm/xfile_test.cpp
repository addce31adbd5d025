#include "rm/xfile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using rm::MeshBuilder;
using rm::Vector;
using testing_support::ReadFile;
using testing_support::RealFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// ---------------------------------------------------------------------------------------
// Helpers

MeshBuilder Load(const std::string& bytes, bool expectOk = true) {
    MeshBuilder m;
    std::string error;
    const bool ok = rm::LoadXFromMemory(bytes, m, &error);
    EXPECT_EQ(ok, expectOk) << error;
    if (!ok) {
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(m.GetFaceCount(), 0);
    }
    return m;
}

std::vector<Vector> Positions(MeshBuilder& m, int f) {
    std::vector<Vector> out;
    rm::Face face = m.GetFace(f);
    for (int k = 0; k < face.GetVertexCount(); ++k) {
        Vector p, n;
        face.GetVertex(k, &p, &n);
        out.push_back(p);
    }
    return out;
}

Vector NormalAt(MeshBuilder& m, int f, int k) {
    Vector p, n;
    m.GetFace(f).GetVertex(k, &p, &n);
    return n;
}

std::pair<float, float> UvAt(MeshBuilder& m, int f, int k) {
    float u = -1, v = -1;
    m.GetFace(f).GetTextureCoordinates(k, &u, &v);
    return {u, v};
}

// Everything a face shows, corner by corner, for comparing two meshes.
void ExpectSameMeshes(MeshBuilder& a, MeshBuilder& b, bool normals = true) {
    ASSERT_EQ(a.GetFaceCount(), b.GetFaceCount());
    for (int f = 0; f < a.GetFaceCount(); ++f) {
        rm::Face fa = a.GetFace(f), fb = b.GetFace(f);
        ASSERT_EQ(fa.GetVertexCount(), fb.GetVertexCount()) << "face " << f;
        EXPECT_EQ(fa.GetColor(), fb.GetColor()) << "face " << f;
        const auto ta = fa.GetTexture(), tb = fb.GetTexture();
        EXPECT_EQ(ta ? ta->GetName() : "", tb ? tb->GetName() : "") << "face " << f;
        for (int k = 0; k < fa.GetVertexCount(); ++k) {
            Vector pa, na, pb, nb;
            fa.GetVertex(k, &pa, &na);
            fb.GetVertex(k, &pb, &nb);
            EXPECT_EQ(pa, pb) << "face " << f << " corner " << k;
            if (normals) {
                EXPECT_EQ(na, nb) << "face " << f << " corner " << k;
            }
            EXPECT_EQ(UvAt(a, f, k), UvAt(b, f, k)) << "face " << f << " corner " << k;
        }
    }
}

// A binary token stream, written token by token.
class Bin {
  public:
    explicit Bin(int floatBits = 32) : floatBits_(floatBits) {
        out_ = std::string("xof 0303bin ") + (floatBits == 64 ? "0064" : "0032");
    }
    Bin& Tok(int t) {
        out_ += char(t & 0xFF);
        out_ += char(t >> 8);
        return *this;
    }
    Bin& Dword(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out_ += char((v >> (8 * i)) & 0xFF);
        return *this;
    }
    Bin& Name(const std::string& s) {
        Tok(1).Dword(std::uint32_t(s.size()));
        out_ += s;
        return *this;
    }
    Bin& String(const std::string& s) {
        Tok(2).Dword(std::uint32_t(s.size()));
        out_ += s;
        return Tok(20);
    }
    Bin& Ints(const std::vector<std::uint32_t>& v) {
        Tok(6).Dword(std::uint32_t(v.size()));
        for (auto x : v) Dword(x);
        return *this;
    }
    Bin& Floats(const std::vector<double>& v) {
        Tok(7).Dword(std::uint32_t(v.size()));
        for (double d : v) {
            if (floatBits_ == 64) {
                char b[8];
                std::memcpy(b, &d, 8);
                out_.append(b, 8);
            } else {
                const float f = float(d);
                char b[4];
                std::memcpy(b, &f, 4);
                out_.append(b, 4);
            }
        }
        return *this;
    }
    Bin& Open() { return Tok(10); }
    Bin& Close() { return Tok(11); }
    const std::string& Bytes() const { return out_; }

  private:
    std::string out_;
    int floatBits_;
};

// Builds the binary twin of kTextModel.
std::string BinaryTwin(int floatBits) {
    Bin b(floatBits);
    b.Tok(31).Name("Thing").Open().Tok(5);
    for (int i = 0; i < 4; ++i) b.Dword(0x12345678);
    b.Tok(41).Name("x").Tok(20).Close();
    b.Name("Material").Name("Red").Open();
    b.Floats({1.0, 0.5, 0.25, 0.5, 10.0, 0, 0, 0, 0, 0, 0});
    b.Name("TextureFilename").Open().String("red.bmp").Close();
    b.Close();
    b.Name("Unknown").Open().Ints({1, 2, 3}).Floats({1.5, 2.5});
    b.Name("Mesh").Open().Ints({7}).Close();  // a "Mesh" inside an unknown object is skipped
    b.Close();
    b.Name("Mesh").Name("Shape").Open();
    b.Ints({5}).Floats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 2, 2, 2});
    b.Ints({2, 4, 0, 1, 2, 3, 3, 1, 4, 2});
    b.Name("MeshMaterialList").Open().Ints({2, 2, 1, 0});
    b.Open().Name("Red").Close();
    b.Name("Material").Open().Floats({0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0}).Close();
    b.Close();
    b.Name("MeshNormals").Open().Ints({2}).Floats({0, 0, 1, 0, 1, 0});
    b.Ints({2, 4, 0, 0, 0, 0, 3, 1, 1, 0}).Close();
    b.Name("MeshTextureCoords").Open().Ints({5});
    b.Floats({0, 0, 1, 0, 1, 1, 0, 1, 0.5, 0.25}).Close();
    b.Close();
    return b.Bytes();
}

const char* kTextModel = R"(xof 0303txt 0032
// a comment with { braces }
template Thing {
 <12345678-1234-1234-1234-123456789012>
 DWORD x;
 [...]
}
Header { 1; 0; 1; }
Material Red {
 1.000000;0.500000;0.250000;0.500000;;   # face colour
 10.000000;
 0.000000;0.000000;0.000000;;
 0.000000;0.000000;0.000000;;
 TextureFilename { "red.bmp"; }
}
Unknown {
 1; 2; 3;
 1.5, 2.5;
 Mesh { 7; }
}
Mesh Shape {
 5;
 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 2;2;2;;
 2;
 4;0,1,2,3;,
 3;1,4,2;;
 MeshMaterialList {
  2;
  2;
  1,
  0;;
  { Red }
  Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; }
 }
 MeshNormals {
  2;
  0;0;1;, 0;1;0;;
  2;
  4;0,0,0,0;,
  3;1,1,0;;
 }
 MeshTextureCoords {
  5;
  0;0;, 1;0;, 1;1;, 0;1;, 0.5;0.25;;
 }
}
)";

// What the model of kTextModel / BinaryTwin must load as, checked against the file by hand.
void ExpectModel(MeshBuilder& m) {
    ASSERT_EQ(m.GetFaceCount(), 2);
    EXPECT_EQ(Positions(m, 0), (std::vector<Vector>{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
    EXPECT_EQ(Positions(m, 1), (std::vector<Vector>{{1, 0, 0}, {2, 2, 2}, {1, 1, 0}}));
    // Face 0 uses material 1 (the inline blue one), face 1 material 0 ("Red", by name):
    // 1.0, 0.5, 0.25, alpha 0.5 -> FF, 80, 40, alpha 80.
    EXPECT_EQ(m.GetFace(0).GetColor(), 0xFF0000FFu);
    EXPECT_EQ(m.GetFace(0).GetTexture(), nullptr);
    EXPECT_EQ(m.GetFace(1).GetColor(), 0x80FF8040u);
    ASSERT_NE(m.GetFace(1).GetTexture(), nullptr);
    EXPECT_EQ(m.GetFace(1).GetTexture()->GetName(), "red.bmp");
    EXPECT_EQ(NormalAt(m, 0, 3), (Vector{0, 0, 1}));
    EXPECT_EQ(NormalAt(m, 1, 0), (Vector{0, 1, 0}));
    EXPECT_EQ(NormalAt(m, 1, 2), (Vector{0, 0, 1}));
    EXPECT_EQ(UvAt(m, 0, 2), std::make_pair(1.0f, 1.0f));
    EXPECT_EQ(UvAt(m, 1, 1), std::make_pair(0.5f, 0.25f));
}

// MSZIP: the body cut into blocks, each raw-deflated with the previous block as its
// dictionary, behind a header whose size counts the 16 header bytes.
std::string Compress(const std::string& file, const char* format, std::size_t blockSize) {
    const std::string body = file.substr(16);
    std::string out = file.substr(0, 8) + format + file.substr(12, 4);
    const std::uint32_t total = std::uint32_t(body.size() + 16);
    for (int i = 0; i < 4; ++i) out += char((total >> (8 * i)) & 0xFF);
    std::string previous;
    for (std::size_t at = 0; at < body.size(); at += blockSize) {
        const std::string block = body.substr(at, blockSize);
        z_stream z{};
        EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
        if (!previous.empty()) {
            deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(previous.data()),
                                 uInt(previous.size()));
        }
        std::string packed(deflateBound(&z, uLong(block.size())) + 16, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
        z.avail_in = uInt(block.size());
        z.next_out = reinterpret_cast<Bytef*>(packed.data());
        z.avail_out = uInt(packed.size());
        EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
        packed.resize(z.total_out);
        deflateEnd(&z);
        const std::size_t ck = packed.size() + 2;
        out += char(block.size() & 0xFF);
        out += char(block.size() >> 8);
        out += char(ck & 0xFF);
        out += char(ck >> 8);
        out += "CK" + packed;
        previous = block;
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Loading files the tests build

TEST(XLoad, TextTemplatesMaterialsNormalsAndTextureCoordinates) {
    MeshBuilder m = Load(kTextModel);
    ExpectModel(m);
    // Version 0302 and 64-bit floats in the header read the same.
    std::string old = kTextModel;
    old.replace(4, 12, "0302txt 0064");
    MeshBuilder m2 = Load(old);
    ExpectSameMeshes(m, m2);
}

TEST(XLoad, BinaryWith32And64BitFloatsMatchesText) {
    MeshBuilder text = Load(kTextModel);
    MeshBuilder b32 = Load(BinaryTwin(32));
    ExpectModel(b32);
    ExpectSameMeshes(text, b32);
    MeshBuilder b64 = Load(BinaryTwin(64));
    ExpectSameMeshes(text, b64);
}

TEST(XLoad, CompressedBinaryAndTextInSeveralBlocks) {
    MeshBuilder plain = Load(BinaryTwin(32));
    // Small blocks: every block after the first needs its dictionary to inflate.
    MeshBuilder bzip = Load(Compress(BinaryTwin(32), "bzip", 64));
    ExpectSameMeshes(plain, bzip);
    MeshBuilder tzip = Load(Compress(kTextModel, "tzip", 100));
    ExpectModel(tzip);
    // A body larger than a 32 KiB window, repeated text so blocks refer back.
    std::string big = kTextModel;
    for (int i = 0; i < 400; ++i) big += "Unknown { 1; 2; 3; 4; 5; 6; 7; 8; 9; 10; }\n";
    MeshBuilder large = Load(Compress(big, "tzip", 32768));
    ExpectModel(large);
}

TEST(XLoad, NestedFramesMoveTheirMeshes) {
    // Outer frame: scale 2. Inner frame: translate (10, 0, 0), then rotate 90 degrees
    // about Z (x -> y, y -> -x) for the mesh: p * inner * outer.
    const std::string file = R"(xof 0303txt 0032
Frame Outer {
 FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,0,1;; }
 Frame Inner {
  FrameTransformMatrix { 0,1,0,0, -1,0,0,0, 0,0,1,0, 10,0,0,1;; }
  Mesh { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;;
   MeshNormals { 1; 1;0;0;; 1; 3;0,0,0;; } }
 }
 Mesh { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;; }
}
Mesh { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;; }
)";
    MeshBuilder m = Load(file);
    ASSERT_EQ(m.GetFaceCount(), 3);
    // (1,0,0) -> rotate (0,1,0) -> +10 (10,1,0) -> *2 (20,2,0).
    EXPECT_EQ(Positions(m, 0), (std::vector<Vector>{{20, 2, 0}, {18, 0, 0}, {20, 0, 2}}));
    EXPECT_EQ(NormalAt(m, 0, 0), (Vector{0, 1, 0}));  // rotated, still unit length
    EXPECT_EQ(Positions(m, 1), (std::vector<Vector>{{2, 0, 0}, {0, 2, 0}, {0, 0, 2}}));
    EXPECT_EQ(Positions(m, 2), (std::vector<Vector>{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}));
}

TEST(XLoad, AppendsToExistingFacesAndFailsWithoutAddingAnything) {
    MeshBuilder m = Load(kTextModel);
    ASSERT_TRUE(rm::LoadXFromMemory(kTextModel, m, nullptr));
    EXPECT_EQ(m.GetFaceCount(), 4);
    EXPECT_EQ(Positions(m, 3), (std::vector<Vector>{{1, 0, 0}, {2, 2, 2}, {1, 1, 0}}));

    // The second mesh has a bad index: the first, good mesh must not be added either.
    const std::string bad =
        std::string(kTextModel) + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }\n";
    std::string error;
    EXPECT_FALSE(rm::LoadXFromMemory(bad, m, &error));
    EXPECT_NE(error.find("index"), std::string::npos) << error;
    EXPECT_EQ(m.GetFaceCount(), 4);
}

TEST(XLoad, HostileInputFailsCleanly) {
    const char* cases[] = {
        "",
        "xof ",
        "xof 0303txt 0032",                                                    // no mesh
        "xof 0303txt 0016\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }",  // float size
        "xof 0303abc 0032\nMesh { }",                                          // format
        "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;",    // no '}'
        "xof 0303txt 0032\nMesh { 1000000000; 0;0;0;; 1; 3;0,0,0;; }",         // vertex count
        "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 4000000000; 3;0,1,2;; }",
        "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 99999999;0,1,2;; }",
        "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,-1;; }",
        "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2.5;; }",
        "xof 0303txt 0032\nMesh { 1e400; 0;0;0;; 0; }",
        "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,1e300;; }",
        "xof 0303txt 0032\nMesh { \"unterminated }",
        "xof 0303txt 0032\nFrame { FrameTransformMatrix { 1, 2; } }",
        "xof 0303txt 0032\ntemplate Open { <guid",
        "xof 0303txt 0032\ntemplate T { +5x",  // a sign glued to a name
        "xof 0303txt 0032\nMesh { +1a; }",
    };
    for (const char* c : cases) {
        SCOPED_TRACE(c);
        Load(c, false);
    }
    // NUL bytes: between tokens they are blanks; inside the header they are not.
    std::string nul = kTextModel;
    nul.insert(nul.find("Mesh Shape"), std::string(3, '\0'));
    MeshBuilder withNul = Load(nul);
    ExpectModel(withNul);
    std::string badHeader = kTextModel;
    badHeader[9] = '\0';
    Load(badHeader, false);
}

TEST(XLoad, ShortMaterialListsBadMaterialIndicesAndHugeCoordinates) {
    // Three faces, one material index: every face takes it. A second mesh names material
    // 5 of 1: that face keeps the default colour. A coordinate beyond the float range
    // becomes infinity; one below it, 0.
    const std::string file = R"(xof 0303txt 0032
Mesh { 3; 1e39;0;0;, 0;-1e39;0;, 0;0;1e-50;; 3; 3;0,1,2;, 3;0,1,2;, 3;0,1,2;;
 MeshMaterialList { 1; 1; 0;; Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } } }
Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;
 MeshMaterialList { 1; 1; 5;; Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } } }
)";
    MeshBuilder m = Load(file);
    ASSERT_EQ(m.GetFaceCount(), 4);
    for (int f = 0; f < 3; ++f) EXPECT_EQ(m.GetFace(f).GetColor(), 0xFF00FF00u);
    EXPECT_EQ(m.GetFace(3).GetColor(), MeshBuilder::kDefaultFaceColor);
    const auto p = Positions(m, 0);
    EXPECT_TRUE(std::isinf(p[0].x) && p[0].x > 0);
    EXPECT_TRUE(std::isinf(p[1].y) && p[1].y < 0);
    EXPECT_EQ(p[2].z, 0.0f);
    // Our save writes what has no spelling as 0, and still loads back.
    MeshBuilder back = Load(rm::SaveXToString(m, rm::XOFSAVE_ALL));
    EXPECT_EQ(Positions(back, 0)[0], (Vector{0, 0, 0}));
}

TEST(XLoad, NestingTooDeepFailsInsteadOfOverflowing) {
    std::string deep = "xof 0303txt 0032\n";
    for (int i = 0; i < 100000; ++i) deep += "Frame {";
    Load(deep, false);
    // Deep but acceptable nesting still loads.
    std::string ok = "xof 0303txt 0032\n";
    for (int i = 0; i < 20; ++i) ok += "Frame {";
    ok += "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }";
    for (int i = 0; i < 20; ++i) ok += "}";
    EXPECT_EQ(Load(ok).GetFaceCount(), 1);
}

TEST(XLoad, BinaryAndCompressedDamageFailsCleanly) {
    const std::string good = BinaryTwin(32);
    // Every truncation of the binary file, and of its compressed form: no read past the
    // end; any failure adds nothing (checked in Load).
    for (std::size_t n = 0; n < good.size(); ++n) {
        MeshBuilder m;
        rm::LoadXFromMemory(good.substr(0, n), m, nullptr);
    }
    const std::string packed = Compress(good, "bzip", 64);
    for (std::size_t n = 0; n < packed.size(); ++n) {
        MeshBuilder m;
        if (!rm::LoadXFromMemory(packed.substr(0, n), m, nullptr)) {
            EXPECT_EQ(m.GetFaceCount(), 0);
        }
    }
    // Lying list counts and string lengths.
    Bin lie;
    lie.Name("Mesh").Open().Tok(7).Dword(0x40000000);
    Load(lie.Bytes(), false);
    Bin lie2;
    lie2.Name("Mesh").Open().Tok(1).Dword(0xFFFFFFFF);
    Load(lie2.Bytes(), false);
    Bin unknownToken;
    unknownToken.Name("Mesh").Open().Tok(99).Close();
    Load(unknownToken.Bytes(), false);
    // A compressed block whose stated sizes lie.
    std::string wrong = packed;
    wrong[22] = char(0xFF);  // compressed size of the first block, low byte
    wrong[23] = char(0x7F);
    Load(wrong, false);
    std::string noCk = packed;
    noCk[24] = 'X';
    Load(noCk, false);
}

// ---------------------------------------------------------------------------------------
// Real files

TEST(XRealFiles, FaceCountsOfEveryFile) {
    const std::pair<const char*, int> expected[] = {
        {"x/BCN_Epileptic.X", 5126},
        {"x/ball.x", 224},
        {"x/cube_on_plane.x", 1073},
        {"x/fromtruespace_bin32.x", 6656},
        {"x/kwxport_test_cubewithvcolors.x", 12},
        {"x/mslogo.x", 2668},
        {"x/seafloor.x", 2830},
        {"x/skybox2.x", 12},
        {"x/sphere0.x", 108},
        {"x/test_cube_binary.x", 12},
        {"x/test_cube_compressed.x", 12},
        {"x/test_cube_text.x", 12},
        {"x/tiger.x", 599},
    };
    for (const auto& [file, faces] : expected) {
        SCOPED_TRACE(file);
        MeshBuilder m;
        std::string error;
        ASSERT_TRUE(m.Load(RealFile(file), &error)) << error;
        EXPECT_EQ(m.GetFaceCount(), faces);
    }
    // tiger.x: 596 triangles and 3 quads, every face textured with tiger.bmp.
    MeshBuilder tiger;
    ASSERT_TRUE(tiger.Load(RealFile("x/tiger.x")));
    int quads = 0;
    for (int f = 0; f < tiger.GetFaceCount(); ++f) {
        quads += tiger.GetFace(f).GetVertexCount() == 4;
        ASSERT_NE(tiger.GetFace(f).GetTexture(), nullptr);
        EXPECT_EQ(tiger.GetFace(f).GetTexture()->GetName(), "tiger.bmp");
    }
    EXPECT_EQ(quads, 3);
    // skybox2.x: 6 meshes, each with its own texture, scaled by 3 by the frame around them.
    MeshBuilder sky;
    ASSERT_TRUE(sky.Load(RealFile("x/skybox2.x")));
    EXPECT_EQ(sky.GetFace(0).GetTexture()->GetName(), "SkyBox_Top.jpg");
    const rm::Box box = sky.GetBox();
    EXPECT_EQ(box.max, (Vector{30, 30, 30}));
    EXPECT_EQ(box.min, (Vector{-30, -30, -30}));
}

TEST(XRealFiles, CompressedAndBinaryCubeAreIdentical) {
    MeshBuilder bin, zip, text;
    ASSERT_TRUE(bin.Load(RealFile("x/test_cube_binary.x")));
    ASSERT_TRUE(zip.Load(RealFile("x/test_cube_compressed.x")));
    ASSERT_TRUE(text.Load(RealFile("x/test_cube_text.x")));
    ExpectSameMeshes(bin, zip);
    EXPECT_EQ(bin.Vertices(), zip.Vertices());
    EXPECT_EQ(bin.Normals(), zip.Normals());
    // The text twin has the same faces, within the text's six decimals.
    ASSERT_EQ(text.GetFaceCount(), bin.GetFaceCount());
    for (int f = 0; f < text.GetFaceCount(); ++f) {
        const auto a = Positions(text, f), b = Positions(bin, f);
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t k = 0; k < a.size(); ++k) {
            EXPECT_NEAR(a[k].x, b[k].x, 1e-5);
            EXPECT_NEAR(a[k].y, b[k].y, 1e-5);
            EXPECT_NEAR(a[k].z, b[k].z, 1e-5);
        }
    }
}

TEST(XRealFiles, MalformedFilesDoNotCrash) {
    for (const std::string& path : testing_support::RealFiles("x/malformed")) {
        SCOPED_TRACE(path);
        MeshBuilder m;
        std::string error;
        if (!m.Load(path, &error)) {
            EXPECT_EQ(m.GetFaceCount(), 0);
            EXPECT_FALSE(error.empty());
        }
    }
    MeshBuilder damaged;
    EXPECT_FALSE(damaged.Load(RealFile("x/malformed/OV_GetNextToken.x")));
    EXPECT_EQ(damaged.GetFaceCount(), 0);
}

// ---------------------------------------------------------------------------------------
// Saving

// A mesh whose shared vertices carry different texture coordinates and normals on
// different corners, with colours and textures.
MeshBuilder SaveFixture() {
    MeshBuilder m;
    const Vector v[] = {
        {0, 0, 0}, {1.5f, 0, 0}, {1.5f, 1, -0.125f}, {0, 1, 0}, {0.1f, 1e-7f, 3e8f}};
    const Vector n[] = {{0, 0, 1}, {0, 0, -1}, {0.6f, 0.8f, 0}};
    const std::int32_t data[] = {4, 0, 0, 1, 0, 2, 0, 3, 0,  // quad
                                 3, 1, 1, 4, 2, 2, 1,        // triangle sharing 1 and 2
                                 2, 3, 2, 4, 0,              // a two-corner face
                                 0};
    std::vector<rm::Face> faces;
    EXPECT_TRUE(m.AddFaces(v, n, data, &faces));
    faces[0].SetColor(0x80FF4020u);
    faces[1].SetColor(0xFF000000u);
    faces[2].SetColor(0x80FF4020u);
    auto tex = std::make_shared<rm::Texture>("wood grain.bmp");
    faces[0].SetTexture(tex);
    faces[2].SetTexture(std::make_shared<rm::Texture>("C:\\textures\\stone.bmp"));
    const float uv[][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.25f, 0.75f}, {1.0f / 3, 2}, {0, 0}};
    faces[0].SetTextureCoordinates(0, uv[0][0], uv[0][1]);
    faces[0].SetTextureCoordinates(1, uv[1][0], uv[1][1]);
    faces[0].SetTextureCoordinates(2, uv[2][0], uv[2][1]);
    faces[0].SetTextureCoordinates(3, uv[3][0], uv[3][1]);
    faces[1].SetTextureCoordinates(0, uv[1][0], uv[1][1]);  // vertex 1: same u, v as face 0
    faces[1].SetTextureCoordinates(1, uv[4][0], uv[4][1]);
    faces[1].SetTextureCoordinates(2, uv[5][0], uv[5][1]);  // vertex 2: different u, v
    return m;
}

TEST(XSave, RoundTripKeepsFacesCornersColoursTexturesAndNormals) {
    MeshBuilder original = SaveFixture();
    TempDir dir;
    const std::string path = dir.Path("out.x");
    std::string error;
    ASSERT_TRUE(original.Save(path, rm::XOFSAVE_ALL, &error)) << error;
    MeshBuilder back;
    ASSERT_TRUE(back.Load(path, &error)) << error;
    ExpectSameMeshes(original, back);
    // Vertex 1 has two normals, vertex 2 two normals and two u, v pairs, vertex 3 two
    // u, v pairs and two normals, vertex 4 two normals: 5 + 4 written vertices.
    EXPECT_EQ(back.GetVertexCount(), 9u);
    EXPECT_NE(back.GetFace(1).GetVertexIndex(0), back.GetFace(0).GetVertexIndex(1));

    // The saved text is the same under a locale with a decimal comma.
    const std::string c = ReadFile(path);
    {
        testing_support::ScopedLocale loc("de_DE.UTF-8");
        ASSERT_TRUE(loc.ok());
        ASSERT_TRUE(original.Save(path, rm::XOFSAVE_ALL));
        EXPECT_EQ(ReadFile(path), c);
        MeshBuilder again;
        ASSERT_TRUE(again.Load(path));
        ExpectSameMeshes(original, again);
    }
    EXPECT_EQ(c.rfind("xof 0302txt 0032\n", 0), 0u);
    EXPECT_NE(c.find("\"wood grain.bmp\";"), std::string::npos);
    EXPECT_NE(c.find("\"C:\\textures\\stone.bmp\";"), std::string::npos);
}

TEST(XSave, SharedCornersStaySharedAndFlagsLeaveOutParts) {
    // Two triangles sharing an edge with identical attributes: 4 vertices written.
    MeshBuilder m;
    const Vector v[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const std::int32_t data[] = {3, 0, 1, 2, 3, 0, 2, 3, 0};
    ASSERT_TRUE(m.AddFaces(v, {}, data));
    const std::string all = rm::SaveXToString(m, rm::XOFSAVE_ALL);
    MeshBuilder back = Load(all);
    EXPECT_EQ(back.GetVertexCount(), 4u);
    ExpectSameMeshes(m, back);
    EXPECT_EQ(all.find("MeshNormals"), std::string::npos);  // the mesh has no normals
    EXPECT_NE(all.find("MeshMaterialList"), std::string::npos);
    // Default colour: opaque white.
    EXPECT_EQ(back.GetFace(1).GetColor(), 0xFFFFFFFFu);

    const std::string bare = rm::SaveXToString(SaveFixture(), 0);
    EXPECT_EQ(bare.find("MeshNormals"), std::string::npos);
    EXPECT_EQ(bare.find("MeshTextureCoords"), std::string::npos);
    EXPECT_EQ(bare.find("MeshMaterialList"), std::string::npos);
    MeshBuilder positions = Load(bare);
    EXPECT_EQ(positions.GetVertexCount(), 5u);
    EXPECT_EQ(Positions(positions, 1),
              (std::vector<Vector>{{1.5f, 0, 0}, {0.1f, 1e-7f, 3e8f}, {1.5f, 1, -0.125f}}));
    const std::string noNames =
        rm::SaveXToString(SaveFixture(), rm::XOFSAVE_ALL & ~rm::XOFSAVE_TEXTURENAMES);
    EXPECT_EQ(noNames.find("TextureFilename"), std::string::npos);
}

TEST(XSave, RealFilesSurviveOurOwnSave) {
    for (const char* file : {"x/tiger.x", "x/cube_on_plane.x", "x/skybox2.x", "x/ball.x"}) {
        SCOPED_TRACE(file);
        MeshBuilder m;
        ASSERT_TRUE(m.Load(RealFile(file)));
        MeshBuilder back = Load(rm::SaveXToString(m, rm::XOFSAVE_ALL));
        ExpectSameMeshes(m, back);
    }
}

TEST(XSave, FailureReportsFalseAndLeavesTargetAlone) {
    MeshBuilder m = SaveFixture();
    TempDir dir;
    std::string error;
    EXPECT_FALSE(m.Save(dir.Path("missing/folder/out.x"), rm::XOFSAVE_ALL, &error));
    EXPECT_FALSE(error.empty());
    // A folder in the way of the target: the rename fails, the folder stays, no
    // temporary file is left behind.
    std::filesystem::create_directory(dir.Path("taken.x"));
    WriteFile(dir.Path("taken.x/keep"), "keep");
    EXPECT_FALSE(m.Save(dir.Path("taken.x"), rm::XOFSAVE_ALL, &error));
    EXPECT_EQ(ReadFile(dir.Path("taken.x/keep")), "keep");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Dir())) ++entries;
    EXPECT_EQ(entries, 1);
    // An existing file is replaced only by a complete save.
    WriteFile(dir.Path("old.x"), "old");
    ASSERT_TRUE(m.Save(dir.Path("old.x"), rm::XOFSAVE_ALL));
    EXPECT_NE(ReadFile(dir.Path("old.x")), "old");
}

}  // namespace
