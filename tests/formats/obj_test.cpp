#include "formats/obj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "formats/text_io.h"
#include "test_support.h"

namespace {

using testing_support::Model;
using FaceList = std::vector<std::vector<int>>;

// The vertex indices of every face of the model's mesh, in face and corner order.
FaceList Faces(const Model& m) {
    FaceList out;
    for (std::size_t f = 0; f < m.host.m_pMesh->FaceRecords().size(); ++f) {
        out.emplace_back();
        for (const auto& c : m.host.m_pMesh->FaceCorners(f)) out.back().push_back(int(c.vertex));
    }
    return out;
}

int Read(Model& m, const std::string& text, std::string* error = nullptr) {
    return formats::ReadObjText(text, m.host, error);
}

rm::Vector Vertex(const Model& m, int i) {
    return m.host.m_pMesh->Vertices()[std::size_t(i)];
}

rm::Vector CornerNormal(Model& m, int face, int corner) {
    rm::Vector position, normal;
    EXPECT_TRUE(m.host.m_pMesh->GetFace(face).GetVertex(corner, &position, &normal));
    return normal;
}

// A convex polygon of n corners, counter-clockwise in the z = 0 plane, as one face line.
std::string Polygon(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * 3.14159265358979 * i / n;
        s += "v ";
        s += std::to_string(std::cos(a));
        s += ' ';
        s += std::to_string(std::sin(a));
        s += " 0\n";
    }
    s += 'f';
    for (int i = 1; i <= n; ++i) {
        s += ' ';
        s += std::to_string(i);
    }
    s += '\n';
    return s;
}

// A string literal with every byte, NULs included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

const char kTriangle[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

TEST(ObjReader, TriangleKeepsOrderAndGetsTheFaceNormal) {
    Model m;
    ASSERT_EQ(Read(m, kTriangle), 1);
    ASSERT_EQ(Faces(m), (FaceList{{0, 1, 2}}));
    EXPECT_EQ(Vertex(m, 1), (rm::Vector{1, 0, 0}));
    // (A - B) x (A - C) = (-1, 0, 0) x (0, -1, 0) = (0, 0, 1) on every corner.
    for (int k = 0; k < 3; ++k) EXPECT_EQ(CornerNormal(m, 0, k), (rm::Vector{0, 0, 1}));
    EXPECT_EQ(m.host.m_pMesh->GetFace(0).GetColor(), rm::MeshBuilder::kDefaultFaceColor);
}

TEST(ObjReader, LineEndsBlanksWordFormsAndIgnoredLines) {
    const char* variants[] = {
        "v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nf 1 2 3\r\n",    // CRLF
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3",              // no final line feed
        "v  0 0 0 \nv\t1\t0\t0\nv 0 1 0 1.0\nf 1 2 3 \n",  // blanks, tabs, a w component
        "# c\nvt 0 0\nvn 0 0 1\nvp 1\ng a\nusemtl m\ns 1\nl 1 2\np 1\n"
        "v 0 0 0\nvt 1 1\nv 1 0 0\nvn 1 0 0\nv 0 1 0\no x\nf 1/1/1 2/2/2 3/1/2\n",
        " v 9 9 9\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",  // an indented line is not a vertex
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/4 2//9 +3/1/2\n",  // every word form names its first number
    };
    for (const char* text : variants) {
        Model m;
        std::string error;
        EXPECT_EQ(Read(m, text, &error), 1) << text << error;
        EXPECT_EQ(Faces(m), (FaceList{{0, 1, 2}})) << text;
        EXPECT_EQ(m.host.m_pMesh->GetVertexCount(), 3u) << text;
    }
}

TEST(ObjReader, VertexNumbersCountAcrossTheFileAndMayBeRelative) {
    Model m;
    ASSERT_EQ(Read(m,
                   "o first\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
                   "o second\nv 5 5 5\nv 6 5 5\nv 5 6 5\nf 4 5 6\n"
                   "f -3 -2 -1\nf 1 -2 -1\nv 7 7 7\nf -1 -2 -7\n"),
              1);
    EXPECT_EQ(Faces(m), (FaceList{{0, 1, 2}, {3, 4, 5}, {3, 4, 5}, {0, 4, 5}, {6, 5, 0}}));
    EXPECT_EQ(Vertex(m, 6), (rm::Vector{7, 7, 7}));
}

TEST(ObjReader, PolygonsUpTo16CornersStayWholeLargerOnesBecomeAFan) {
    // Corners: the first piece takes 16, each further one corner 0, the previous piece's
    // last corner and up to 14 new ones.
    const std::pair<int, std::vector<std::size_t>> cases[] = {
        {5, {5}}, {16, {16}}, {17, {16, 3}}, {30, {16, 16}}, {66, {16, 16, 16, 16, 10}}};
    for (const auto& [n, sizes] : cases) {
        Model m;
        ASSERT_EQ(Read(m, Polygon(n)), 1);
        const FaceList faces = Faces(m);
        ASSERT_EQ(faces.size(), sizes.size()) << n;
        int next = 1;  // every corner of the polygon appears in order, none twice
        for (std::size_t f = 0; f < faces.size(); ++f) {
            ASSERT_EQ(faces[f].size(), sizes[f]) << n;
            EXPECT_EQ(faces[f][0], 0);
            if (f > 0) --next;
            for (std::size_t k = 1; k < faces[f].size(); ++k) EXPECT_EQ(faces[f][k], next++) << n;
            EXPECT_NEAR(CornerNormal(m, int(f), 0).z, 1.0f, 1e-5f);  // every piece faces +z
        }
        EXPECT_EQ(next, n) << n;
    }
    Model m;  // 5000 corners: 1 + 4984 / 14 = 357 pieces
    ASSERT_EQ(Read(m, Polygon(5000)), 1);
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 357);
}

TEST(ObjReader, ModelStoreKeepsEveryCornerOfTheFan) {
    Model m;
    ASSERT_EQ(Read(m, Polygon(20)), 1);
    m.Sync();
    ASSERT_EQ(m.table->faceCount, 2);
    EXPECT_EQ(m.table->vertexCount[0], 16);
    EXPECT_EQ(m.table->vertexCount[1], 6);  // corners 0, 15, 16, 17, 18, 19
    EXPECT_EQ(m.table->vertexIndex[1][1], 15);
    EXPECT_EQ(m.table->vertexIndex[1][5], 19);
}

TEST(ObjReader, FacesOfFewerThanThreeCornersAreSkipped) {
    Model m;
    ASSERT_EQ(Read(m, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf\nf \nf 1\nf 1 2\nf 2 3 1\nf 3 2\n"), 1);
    EXPECT_EQ(Faces(m), (FaceList{{1, 2, 0}}));
    // No face at all (only skipped ones, an empty file, only vertices): nothing to add.
    for (const char* text : {"v 0 0 0\nv 1 0 0\nf 1 2\n", "", "v 1 2 3\n", "# nothing\n"}) {
        Model empty;
        std::string error;
        EXPECT_EQ(Read(empty, text, &error), 0) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(empty.host.m_pMesh->GetFaceCount(), 0);
    }
}

TEST(ObjReader, BadInputFailsAndAddsNothing) {
    const std::string bad[] = {
        "f 1 2 4\n",   // past the last vertex
        "f 0 1 2\n",   // 0 names no vertex
        "f -4 1 2\n",  // before the first vertex
        "f 1 2 99999999999999999999999\n",
        "f -99999999999999999999999 1 2\n",
        "f a b c\n",
        "f 1 2 /3\n",
        "f 1 2 1\nv 1 2\n",  // two coordinates
        "f 1 2 1\nv \n",
        Bytes("f 1 2 1\nv 0 1\0 5\n"),  // the line ends at the NUL
    };
    for (const std::string& tail : bad) {
        Model m;
        ASSERT_EQ(Read(m, kTriangle), 1);
        std::string error;
        EXPECT_EQ(Read(m, "v 0 0 0\nv 1 0 0\nv 0 1 0\n" + tail, &error), 0) << tail;
        EXPECT_FALSE(error.empty()) << tail;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1) << tail;
        EXPECT_EQ(m.host.m_pMesh->GetVertexCount(), 3u) << tail;
    }
    Model m;  // a face before the vertices it names
    EXPECT_EQ(Read(m, "f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"), 0);
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
}

TEST(ObjReader, TruncatedFilesAndNulBytes) {
    const std::string whole =
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nf 2/1 4/1 3/1\nf -4 -3 -1\n";
    for (std::size_t n = 0; n <= whole.size(); ++n) {
        Model m;
        const int result = Read(m, whole.substr(0, n));
        const int faces = m.host.m_pMesh->GetFaceCount();
        EXPECT_TRUE(result == 0 ? faces == 0 : faces >= 1 && faces <= 3) << n;
    }
    // What follows a NUL on its line is not read.
    Model m;
    ASSERT_EQ(Read(m, Bytes("v 0 0 0\nv 1 0 0 \0 junk 7\nv 0 1 0\nf 1 2 3\0 9\n\0\0\n")), 1);
    EXPECT_EQ(Faces(m), (FaceList{{0, 1, 2}}));
}

TEST(ObjReader, NumbersReadLikeTheCLibraryButIndependentOfTheLocale) {
    const std::string text =
        "v 1.5abc 1e3 -2.5e-1\nv abc +4 .5\nv 1e999 -1e999 1e-999\n"
        "v 0x10 -0x1p-1 0x\nv 1" +
        std::string(400, '0') + " 0." + std::string(400, '0') + "1 " +
        "1.00000000000000000000000000000000000001\n"
        "v 1.25 -2.5 3.125 99\nf 1 2 3 4 5 6\n";
    const float inf = std::numeric_limits<float>::infinity();
    const rm::Vector expected[] = {{1.5f, 1000.0f, -0.25f}, {0.0f, 4.0f, 0.5f},
                                   {inf, -inf, 0.0f},       {16.0f, -0.5f, 0.0f},
                                   {inf, 0.0f, 1.0f},       {1.25f, -2.5f, 3.125f}};
    const auto check = [&](const char* where) {
        Model m;
        ASSERT_EQ(Read(m, text), 1) << where;
        ASSERT_EQ(m.host.m_pMesh->GetVertexCount(), 6u) << where;
        for (int i = 0; i < 6; ++i) EXPECT_EQ(Vertex(m, i), expected[i]) << where << " " << i;
    };
    check("C locale");
    testing_support::ScopedLocale loc("de_DE.UTF-8");
    ASSERT_TRUE(loc.ok());
    check("de_DE.UTF-8");
}

TEST(ObjReader, LongLinesWordsAndFiles) {
    {
        const std::string word = "0." + std::string(5000, '0') + "1";
        Model m;
        ASSERT_EQ(Read(m, "v " + word + std::string(10000, ' ') + " 2 " + word +
                              "\nv 1 0 0\nv 0 1 0\nf 1 2 3\n# " + std::string(100000, 'x')),
                  1);
        EXPECT_EQ(Vertex(m, 0), (rm::Vector{0.0f, 2.0f, 0.0f}));
    }
    // A 300 x 300 grid of two triangles per cell (180,000 faces) takes the reader's
    // arrays through many growth steps.
    constexpr int n = 300;
    std::string text;
    for (int i = 0; i < (n + 1) * (n + 1); ++i) {
        text += "v ";
        text += std::to_string(i % (n + 1));
        text += ' ';
        text += std::to_string(i / (n + 1));
        text += " 0\n";
    }
    for (int cell = 0; cell < n * n; ++cell) {
        const int a = cell / n * (n + 1) + cell % n + 1;
        for (int c : {a, a + 1, a + n + 2, 0, a, a + n + 2, a + n + 1, 0}) {
            if (c == 0) {
                text += '\n';
                continue;
            }
            text += text.back() == '\n' ? "f " : " ";
            text += std::to_string(c);
        }
    }
    Model m;
    ASSERT_EQ(Read(m, text), 1);
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2 * n * n);
    const int last = (n + 1) * (n + 1) - 1;  // the last cell's corners
    EXPECT_EQ(Faces(m).back(), (std::vector<int>{last - n - 2, last, last - 1}));
    EXPECT_EQ(CornerNormal(m, 2 * n * n - 1, 0), (rm::Vector{0, 0, 1}));
    EXPECT_EQ(Vertex(m, last), (rm::Vector{float(n), float(n), 0}));
}

TEST(ObjReader, AddsToTheModelAndFailsCleanly) {
    Model m;
    ASSERT_EQ(Read(m, kTriangle), 1);
    ASSERT_EQ(Read(m, kTriangle), 1);
    // The faces already there stay; the second file's vertices come after the first's.
    EXPECT_EQ(Faces(m), (FaceList{{0, 1, 2}, {3, 4, 5}}));

    std::string error;
    m.host.m_pD3DRoot->FailNext(rm::Root::Op::CreateMeshBuilder);
    EXPECT_EQ(Read(m, kTriangle, &error), 0);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 2);

    testing_support::TempDir dir;
    EXPECT_EQ(formats::ReadObj(dir.Path("missing.obj"), m.host, &error), 0);
    EXPECT_FALSE(error.empty());
    testing_support::WriteFile(dir.Path("tri.obj"), kTriangle);
    EXPECT_EQ(formats::ReadObj(dir.Path("tri.obj"), m.host, &error), 1);
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 3);
}

// Worked out by hand from the files: every face of 3..16 corners is one face; the single
// 66-corner polygon of concave_polygon.obj is a fan of 5 (16 + 16 + 16 + 16 + 10 corners).
// Corners are the sums of the face sizes; vertices are the files' "v" lines.
TEST(ObjReader, RealFilesGiveTheExpectedFaces) {
    struct Expected {
        const char* file;
        int faces;
        std::size_t corners, vertices;
    };
    const Expected expected[] = {
        {"WusonOBJ.obj", 3732, 3732 * 3, 2117},
        {"concave_polygon.obj", 5, 16 * 4 + 10, 64},
        {"cube_mtllib_after_g.obj", 12, 36, 8},
        {"empty_mat.obj", 256, 768, 130},
        {"hand1.obj", 552, 1656, 281},
        {"minimart.obj", 619, 64 * 3 + 512 * 4 + 9 * 5 + 6 + 2 * 8 + 31 * 11, 2660},
        {"p51_mustang.obj", 1430, 136 * 3 + 1156 * 4 + 48 * 5 + 70 * 6 + 4 * 7 + 14 * 8 + 2 * 10,
         1508},
        {"regr01.obj", 2710, 2710 * 3, 2108},
        {"segment.obj", 768, 768 * 4, 872},
        {"spider.obj", 1368, 1368 * 3, 762},
        {"testmixed.obj", 6, 24, 8},
    };
    ASSERT_EQ(testing_support::RealFiles("obj").size(), std::size(expected));
    for (const Expected& e : expected) {
        Model m;
        std::string error;
        const std::string path = testing_support::RealFile(std::string("obj/") + e.file);
        ASSERT_EQ(formats::ReadObj(path, m.host, &error), 1) << e.file << ": " << error;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), e.faces) << e.file;
        EXPECT_EQ(m.host.m_pMesh->GetCornerCount(), e.corners) << e.file;
        EXPECT_EQ(m.host.m_pMesh->GetVertexCount(), e.vertices) << e.file;
        if (std::string(e.file) == "minimart.obj") {  // relative numbers, four per run
            EXPECT_EQ(Faces(m)[1], (std::vector<int>{4, 5, 6, 7}));
        }
    }
}

TEST(ObjReader, OtherFormatsRealFilesDoNotCrashTheReader) {
    for (const std::string& path : testing_support::RealFiles("")) {
        if (formats::FileExtension(path) == "obj") continue;
        Model m;
        if (formats::ReadObj(path, m.host) == 0) {
            EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0) << path;
        }
    }
}

}  // namespace
