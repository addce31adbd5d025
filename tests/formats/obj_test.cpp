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

// The vertex indices of every face of the model's mesh, in face and corner order.
std::vector<std::vector<int>> Faces(const Model& m) {
    std::vector<std::vector<int>> out;
    for (std::size_t f = 0; f < m.host.m_pMesh->FaceRecords().size(); ++f) {
        std::vector<int> face;
        for (const auto& c : m.host.m_pMesh->FaceCorners(f)) face.push_back(int(c.vertex));
        out.push_back(face);
    }
    return out;
}

int Read(Model& m, const std::string& text, std::string* error = nullptr) {
    return formats::ReadObjText(text, m.host, error);
}

rm::Vector Position(const Model& m, int vertex) {
    return m.host.m_pMesh->Vertices()[std::size_t(vertex)];
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
    ASSERT_EQ(Faces(m), (std::vector<std::vector<int>>{{0, 1, 2}}));
    EXPECT_EQ(Position(m, 1), (rm::Vector{1, 0, 0}));
    EXPECT_EQ(Position(m, 2), (rm::Vector{0, 1, 0}));
    // (A - B) x (A - C) = (-1, 0, 0) x (0, -1, 0) = (0, 0, 1) on every corner.
    rm::Face face = m.host.m_pMesh->GetFace(0);
    for (int k = 0; k < 3; ++k) {
        rm::Vector position, normal;
        ASSERT_TRUE(face.GetVertex(k, &position, &normal));
        EXPECT_EQ(normal, (rm::Vector{0, 0, 1}));
    }
    // Faces keep the mesh's default colour.
    EXPECT_EQ(face.GetColor(), rm::MeshBuilder::kDefaultFaceColor);
}

TEST(ObjReader, LineEndsBlanksAndIgnoredLines) {
    const std::vector<std::vector<int>> triangle{{0, 1, 2}};
    const char* variants[] = {
        "v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nf 1 2 3\r\n",    // CRLF
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3",              // no final line feed
        "v  0 0 0 \nv\t1\t0\t0\nv 0 1 0 1.0\nf 1 2 3 \n",  // blanks, tabs, a w component
        "# c\nvt 0 0\nvn 0 0 1\nvp 1\ng a\nusemtl m\ns 1\nl 1 2\np 1\n"
        "v 0 0 0\nvt 1 1\nv 1 0 0\nvn 1 0 0\nv 0 1 0\no x\nf 1/1/1 2/2/2 3/1/2\n",
        " v 9 9 9\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",  // an indented line is not a vertex
    };
    for (const char* text : variants) {
        Model m;
        std::string error;
        EXPECT_EQ(Read(m, text, &error), 1) << text << error;
        EXPECT_EQ(Faces(m), triangle) << text;
        EXPECT_EQ(m.host.m_pMesh->GetVertexCount(), 3u) << text;
    }
}

TEST(ObjReader, FaceWordFormsAllNameTheirFirstNumber) {
    Model m;
    ASSERT_EQ(Read(m,
                   "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                   "f 3 1 2\nf 3/1 1/1 2/1\nf 3/1/2 1/1/1 2/1/1\nf 3//2 1//1 2//1\n"
                   "f +3 1/ 2//\n"),
              1);
    const std::vector<int> expected{2, 0, 1};
    ASSERT_EQ(Faces(m).size(), 5u);
    for (const auto& face : Faces(m)) EXPECT_EQ(face, expected);
}

TEST(ObjReader, VertexNumbersCountAcrossTheFileAndMayBeRelative) {
    Model m;
    std::string error;
    ASSERT_EQ(Read(m,
                   "o first\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
                   "o second\nv 5 5 5\nv 6 5 5\nv 5 6 5\nf 4 5 6\n"
                   "f -3 -2 -1\nf 1 -2 -1\n"
                   "v 7 7 7\nf -1 -2 -7\n",
                   &error),
              1)
        << error;
    EXPECT_EQ(Faces(m), (std::vector<std::vector<int>>{
                            {0, 1, 2}, {3, 4, 5}, {3, 4, 5}, {0, 4, 5}, {6, 5, 0}}));
    EXPECT_EQ(Position(m, 6), (rm::Vector{7, 7, 7}));
}

TEST(ObjReader, RealRelativeFile) {
    // Every index of this file is relative; one quadrilateral per run of four vertices.
    Model m;
    std::string error;
    ASSERT_EQ(formats::ReadObj(testing_support::RealFile("obj/minimart.obj"), m.host, &error), 1)
        << error;
    const auto faces = Faces(m);
    ASSERT_FALSE(faces.empty());
    EXPECT_EQ(faces[0], (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(faces[1], (std::vector<int>{4, 5, 6, 7}));
}

TEST(ObjReader, PolygonsUpTo16CornersStayWholeLargerOnesBecomeAFan) {
    {
        Model m;
        ASSERT_EQ(Read(m, Polygon(5)), 1);
        EXPECT_EQ(Faces(m), (std::vector<std::vector<int>>{{0, 1, 2, 3, 4}}));
    }
    {
        Model m;
        ASSERT_EQ(Read(m, Polygon(16)), 1);
        ASSERT_EQ(Faces(m).size(), 1u);
        EXPECT_EQ(Faces(m)[0].size(), 16u);
    }
    {
        Model m;
        ASSERT_EQ(Read(m, Polygon(17)), 1);
        std::vector<int> first;
        for (int i = 0; i < 16; ++i) first.push_back(i);
        EXPECT_EQ(Faces(m), (std::vector<std::vector<int>>{first, {0, 15, 16}}));
    }
    {
        // 30 corners fill exactly two pieces: 0..15, then 0, 15..29.
        Model m;
        ASSERT_EQ(Read(m, Polygon(30)), 1);
        const auto faces = Faces(m);
        ASSERT_EQ(faces.size(), 2u);
        EXPECT_EQ(faces[1].size(), 16u);
        EXPECT_EQ(faces[1].front(), 0);
        EXPECT_EQ(faces[1][1], 15);
        EXPECT_EQ(faces[1].back(), 29);
    }
    {
        // 66 corners: 16 + 14 + 14 + 14 new corners, then the last 8 with corners 0 and 57.
        Model m;
        ASSERT_EQ(Read(m, Polygon(66)), 1);
        const auto faces = Faces(m);
        ASSERT_EQ(faces.size(), 5u);
        const std::size_t sizes[] = {16, 16, 16, 16, 10};
        const int seconds[] = {1, 15, 29, 43, 57};
        for (std::size_t f = 0; f < 5; ++f) {
            ASSERT_EQ(faces[f].size(), sizes[f]) << f;
            EXPECT_EQ(faces[f][0], 0);
            EXPECT_EQ(faces[f][1], seconds[f]);
            for (std::size_t k = 2; k < faces[f].size(); ++k) {
                EXPECT_EQ(faces[f][k], faces[f][k - 1] + 1);  // no corner lost or repeated
            }
        }
        EXPECT_EQ(faces[4].back(), 65);
        // Each piece of the counter-clockwise polygon faces +z.
        for (int f = 0; f < 5; ++f) {
            rm::Vector position, normal;
            ASSERT_TRUE(m.host.m_pMesh->GetFace(f).GetVertex(0, &position, &normal));
            EXPECT_NEAR(normal.z, 1.0f, 1e-5f) << f;
        }
    }
    {
        // 5000 corners: 1 + 4984 / 14 = 357 pieces.
        Model m;
        ASSERT_EQ(Read(m, Polygon(5000)), 1);
        EXPECT_EQ(Faces(m).size(), 357u);
        EXPECT_EQ(Faces(m).back().back(), 4999);
    }
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
    EXPECT_EQ(Faces(m), (std::vector<std::vector<int>>{{1, 2, 0}}));

    // A file whose faces are all skipped, an empty file and one without faces add nothing.
    for (const char* text : {"v 0 0 0\nv 1 0 0\nf 1 2\n", "", "v 1 2 3\n", "# nothing\n"}) {
        Model empty;
        std::string error;
        EXPECT_EQ(Read(empty, text, &error), 0) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(empty.host.m_pMesh->GetFaceCount(), 0);
    }
}

TEST(ObjReader, BadInputFailsAndAddsNothing) {
    const char* bad[] = {
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n",   // past the last vertex
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n",   // 0 names no vertex
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -4 1 2\n",  // before the first vertex
        "f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n",   // vertices not read yet
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 99999999999999999999999\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -99999999999999999999999 1 2\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf a b c\n",  // not numbers
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 /3\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 1\nv 1 2\n",  // two coordinates
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nv \n",
    };
    for (const char* text : bad) {
        Model m;
        ASSERT_EQ(Read(m, kTriangle), 1);
        std::string error;
        EXPECT_EQ(Read(m, text, &error), 0) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1) << text;
        EXPECT_EQ(m.host.m_pMesh->GetVertexCount(), 3u) << text;
    }
    // A NUL inside a line, given with its real length.
    const std::string withNul = Bytes("v 0 0 0\nv 1 0 0\nv 0 1\0 5\nf 1 2 3\n");
    Model m;
    EXPECT_EQ(Read(m, withNul), 0);
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
}

TEST(ObjReader, TextAfterANulOnALineIsNotRead) {
    const std::string text = Bytes("v 0 0 0\nv 1 0 0 \0 junk 7 7\nv 0 1 0\nf 1 2 3\0 9\n\0\0\0\n");
    Model m;
    std::string error;
    ASSERT_EQ(Read(m, text, &error), 1) << error;
    EXPECT_EQ(Faces(m), (std::vector<std::vector<int>>{{0, 1, 2}}));
}

TEST(ObjReader, TruncatedFilesNeverAddHalfAModel) {
    const std::string whole =
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nf 2/1/1 4/1/1 3/1/1\nf -4 -3 -1\n";
    for (std::size_t n = 0; n <= whole.size(); ++n) {
        Model m;
        const int result = Read(m, whole.substr(0, n));
        const int faces = m.host.m_pMesh->GetFaceCount();
        if (result == 0) {
            EXPECT_EQ(faces, 0) << n;
        } else {
            EXPECT_GE(faces, 1) << n;
            EXPECT_LE(faces, 3) << n;
        }
    }
}

TEST(ObjReader, NumbersReadLikeTheCLibraryButIndependentOfTheLocale) {
    const std::string text =
        "v 1.5abc 1e3 -2.5e-1\n"
        "v abc +4 .5\n"
        "v 1e999 -1e999 1e-999\n"
        "v 0x10 -0x1p-1 0x\n"
        "v 1" +
        std::string(400, '0') + " 0." + std::string(400, '0') + "1 " +
        "1.0000000000000000000000000000000000000000000000000000000000000000000001\n"
        "v 1.25 -2.5 3.125 99\n"
        "f 1 2 3 4 5 6\n";
    const auto check = [&](const char* where) {
        Model m;
        std::string error;
        ASSERT_EQ(Read(m, text, &error), 1) << where << error;
        const auto& v = m.host.m_pMesh->Vertices();
        ASSERT_EQ(v.size(), 6u) << where;
        EXPECT_EQ(v[0], (rm::Vector{1.5f, 1000.0f, -0.25f})) << where;
        EXPECT_EQ(v[1], (rm::Vector{0.0f, 4.0f, 0.5f})) << where;
        const float inf = std::numeric_limits<float>::infinity();
        EXPECT_EQ(v[2], (rm::Vector{inf, -inf, 0.0f})) << where;
        EXPECT_EQ(v[3], (rm::Vector{16.0f, -0.5f, 0.0f})) << where;
        EXPECT_EQ(v[4], (rm::Vector{inf, 0.0f, 1.0f})) << where;
        EXPECT_EQ(v[5], (rm::Vector{1.25f, -2.5f, 3.125f})) << where;
    };
    check("C locale");
    testing_support::ScopedLocale loc("de_DE.UTF-8");
    ASSERT_TRUE(loc.ok());
    check("de_DE.UTF-8");
}

TEST(ObjReader, LongLinesAndWords) {
    const std::string longWord = "0." + std::string(5000, '0') + "1";
    const std::string text = "v " + longWord + " " + std::string(10000, ' ') + "2 " + longWord +
                             "\nv 1 0 0\nv 0 1 0\nf 1 2 3\n# " + std::string(100000, 'x') + "\n";
    Model m;
    ASSERT_EQ(Read(m, text), 1);
    EXPECT_EQ(Position(m, 0), (rm::Vector{0.0f, 2.0f, 0.0f}));
    EXPECT_EQ(Faces(m).size(), 1u);
}

TEST(ObjReader, AddsToTheModelAndFailsCleanly) {
    Model m;
    ASSERT_EQ(Read(m, kTriangle), 1);
    ASSERT_EQ(Read(m, kTriangle), 1);
    // The faces already there stay; the second file's vertices come after the first's.
    EXPECT_EQ(Faces(m), (std::vector<std::vector<int>>{{0, 1, 2}, {3, 4, 5}}));

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

TEST(ObjReader, LargeFileKeepsEveryFace) {
    // A 300 x 300 grid of quads written as two triangles each: 180,000 faces, enough to
    // take the reader's arrays well past their first few growth steps.
    constexpr int n = 300;
    std::string text;
    for (int y = 0; y <= n; ++y) {
        for (int x = 0; x <= n; ++x) {
            text += "v ";
            text += std::to_string(x);
            text += ' ';
            text += std::to_string(y);
            text += " 0\n";
        }
    }
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const int a = y * (n + 1) + x + 1;
            for (int corner : {a, a + 1, a + n + 2, -1, a, a + n + 2, a + n + 1, -1}) {
                if (corner < 0) {
                    text += '\n';
                } else {
                    text += text.back() == '\n' ? "f " : " ";
                    text += std::to_string(corner);
                }
            }
        }
    }
    Model m;
    ASSERT_EQ(Read(m, text), 1);
    const auto& mesh = *m.host.m_pMesh;
    ASSERT_EQ(mesh.GetFaceCount(), 2 * n * n);
    ASSERT_EQ(mesh.GetVertexCount(), std::size_t((n + 1) * (n + 1)));
    for (int f : {0, 1, 12345, 2 * n * n - 1}) {
        const int cell = f / 2, x = cell % n, y = cell / n, a = y * (n + 1) + x;
        const std::vector<int> expected = f % 2 == 0 ? std::vector<int>{a, a + 1, a + n + 2}
                                                     : std::vector<int>{a, a + n + 2, a + n + 1};
        std::vector<int> got;
        for (const auto& c : mesh.FaceCorners(std::size_t(f))) got.push_back(int(c.vertex));
        EXPECT_EQ(got, expected) << f;
        rm::Vector position, normal;
        ASSERT_TRUE(m.host.m_pMesh->GetFace(f).GetVertex(0, &position, &normal));
        EXPECT_EQ(normal, (rm::Vector{0, 0, 1})) << f;
    }
    EXPECT_EQ(Position(m, (n + 1) * (n + 1) - 1), (rm::Vector{float(n), float(n), 0}));
}

// Faces worked out by hand from the files: every face of 3..16 corners is one face; the
// single 66-corner polygon of concave_polygon.obj is a fan of 5. Corners are the sums of
// the face sizes; vertices are the files' "v" lines.
TEST(ObjReader, RealFilesGiveTheExpectedFaces) {
    struct Expected {
        const char* file;
        int faces;
        std::size_t corners;
        std::size_t vertices;
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
    const auto files = testing_support::RealFiles("obj");
    ASSERT_EQ(files.size(), std::size(expected));
    for (const Expected& e : expected) {
        Model m;
        std::string error;
        ASSERT_EQ(formats::ReadObj(testing_support::RealFile(std::string("obj/") + e.file), m.host,
                                   &error),
                  1)
            << e.file << ": " << error;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), e.faces) << e.file;
        EXPECT_EQ(m.host.m_pMesh->GetCornerCount(), e.corners) << e.file;
        EXPECT_EQ(m.host.m_pMesh->GetVertexCount(), e.vertices) << e.file;
    }
}

TEST(ObjReader, OtherFormatsRealFilesDoNotCrashTheReader) {
    for (const std::string& path : testing_support::RealFiles("")) {
        if (formats::FileExtension(path) == "obj") continue;
        Model m;
        std::string error;
        if (formats::ReadObj(path, m.host, &error) == 0) {
            EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0) << path;
        }
    }
}

}  // namespace
