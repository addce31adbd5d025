#include "formats/obj.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

#include "test_support.h"

namespace {

using testing_support::Model;

// The vertex indices of every face of the model's mesh: " 0 1 2, 3 4 5,".
std::string Faces(const Model& m) {
    std::string out;
    for (std::size_t f = 0; f < m.host.m_pMesh->FaceRecords().size(); ++f) {
        for (const auto& c : m.host.m_pMesh->FaceCorners(f)) out += ' ' + std::to_string(c.vertex);
        out += ',';
    }
    return out;
}

// A convex polygon of n corners on the parabola y = x * x, as one face line.
std::string Polygon(int n) {
    std::string v, f = "f";
    for (int i = 0; i < n; ++i) {
        v += "v " + std::to_string(i) + ' ' + std::to_string(i * i) + " 0\n";
        f += ' ' + std::to_string(i + 1);
    }
    return v + f + '\n';
}

const std::string kVertices = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

TEST(ObjReader, LineFormsAndNumbers) {
    const std::string fan = " 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15,";
    std::string many = kVertices, manyFaces;  // takes the arrays through their growth steps
    for (int i = 0; i < 100000; ++i) {
        many += "f 1 2 3\nf -1 -3 2\n";
        manyFaces += " 0 1 2, 2 0 1,";
    }
    const std::pair<std::string, std::string> cases[] = {
        {kVertices + "f 1 2 3", " 0 1 2,"},                             // no final line feed
        {"v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nf 1 2 3\r\n", " 0 1 2,"},    // CRLF
        {"v  0 0 0 \nv\t1\t0\t0\nv 0 1 0 1.0\nf 1 2 3 \n", " 0 1 2,"},  // blanks, tabs, w
        {"# c\nvt 0 0\nvn 0 0 1\nvp 1\ng a\nusemtl m\ns 1\nl 1 2\np 1\n" + kVertices + "f 1 2 3",
         " 0 1 2,"},                                          // lines that are not read
        {" v 9 9 9\n" + kVertices + "f 1 2 3\n", " 0 1 2,"},  // an indented line is no vertex
        {kVertices + "f 1/4 2//9 +3/1/2\n", " 0 1 2,"},       // a word's first number counts
        {kVertices + "f\nf \nf 1\nf 1 2\nf 1 2 3\nf 3 2\n", " 0 1 2,"},  // under 3 corners
        {kVertices + std::string("f 1 2 3\0 4\n", 11), " 0 1 2,"},       // a NUL ends a line
        // Numbers count across the file; negative ones back from the latest vertex.
        {"o a\n" + kVertices +
             "f 1 2 3\no b\nv 5 5 5\nv 6 5 5\nv 5 6 5\nf 4 5 6\n"
             "f -3 -2 -1\nf 1 -2 -1\nv 7 7 7\nf -7 -6 -5\n",
         " 0 1 2, 3 4 5, 3 4 5, 0 4 5, 0 1 2,"},
        // Up to 16 corners a face stays whole (larger ones: big_polygon_test.cpp).
        {Polygon(16), fan},
        {many, manyFaces},
    };
    for (const auto& [text, faces] : cases) {
        Model m;
        EXPECT_EQ(formats::ReadObjText(text, m.host), 1) << text;
        EXPECT_EQ(Faces(m), faces) << text;
        // (A - B) x (A - C) of the first face's first three corners: (0, 0, 1).
        rm::Vector position, normal;
        m.host.m_pMesh->GetFace(0).GetVertex(0, &position, &normal);
        EXPECT_EQ(normal, (rm::Vector{0, 0, 1})) << text;
    }
}

TEST(ObjReader, BadInputFailsAndAddsNothing) {
    // A vertex number past the last vertex, 0, before the first, too large either way, not a
    // number; a vertex of two coordinates; a face before the vertex it names; no face of 3
    // corners or more.
    std::istringstream bad(
        "f 1 2 4\n|f 0 1 2\n|f -4 1 2\n|f 1 2 99999999999999999999999\n|"
        "f -99999999999999999999999 1 2\n|f a b c\n|f 1 2 /3\n|f 1 2 1\nv 1 2\n|"
        "f 1 2 3 4\nv 1 1 1\n|f 1 2\n");
    for (std::string tail; std::getline(bad, tail, '|');) {
        Model m;
        ASSERT_EQ(formats::ReadObjText(kVertices + "f 1 2 3\n", m.host), 1);
        formats::ReadResult error;
        EXPECT_EQ(formats::ReadObjText(kVertices + tail, m.host, &error), 0) << tail;
        EXPECT_FALSE(error.detail.empty()) << tail;
        EXPECT_EQ(Faces(m), " 0 1 2,") << tail;
        EXPECT_EQ(m.host.m_pMesh->GetVertexCount(), 3u) << tail;
    }
}

TEST(ObjReader, NumbersReadLikeTheCLibraryButIndependentOfTheLocale) {
    testing_support::ScopedLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.ok());
    const std::string zeros(400, '0');
    std::string text =
        "v 1.5abc 1e3 -2.5e-1\nv abc +4 .5\nv 1e999 -1e999 1e-999\nv 0x10 -0x1p-1 0x\n";
    text += "v 1" + zeros + " 0." + zeros + "1 1." + zeros + "1\nf 1 2 3 4 5\n";
    Model m;
    ASSERT_EQ(formats::ReadObjText(text, m.host), 1);
    const float inf = std::numeric_limits<float>::infinity();
    const rm::Vector expected[] = {
        {1.5f, 1000, -0.25f}, {0, 4, 0.5f}, {inf, -inf, 0}, {16, -0.5f, 0}, {inf, 0, 1}};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(m.host.m_pMesh->Vertices()[i], expected[i]) << i;
}

// Worked out by hand from the files: every face of 3..16 corners is one face; the single
// 66-corner polygon of concave_polygon becomes 64 triangles (192 corners).
// Corners are the sums of the face sizes: minimart has 64 triangles, 512 quads, 9 pentagons,
// a hexagon, 2 octagons and 31 11-gons; p51_mustang 136 triangles, 1156 quads, 48 pentagons,
// 70 hexagons, 4 heptagons, 14 octagons and 2 decagons. Vertices are the files' "v" lines.
TEST(ObjReader, RealFilesGiveTheExpectedFaces) {
    std::string file;
    std::size_t faces = 0, corners = 0, vertices = 0;
    for (std::istringstream in(
             "WusonOBJ 3732 11196 2117 concave_polygon 64 192 64 "
             "cube_mtllib_after_g 12 36 8 empty_mat 256 768 130 hand1 552 1656 281 "
             "minimart 619 2648 2660 p51_mustang 1430 5852 1508 "
             "regr01 2710 8130 2108 segment 768 3072 872 spider 1368 4104 762 "
             "testmixed 6 24 8");
         in >> file >> faces >> corners >> vertices;) {
        Model m;
        formats::ReadResult error;
        const std::string path = testing_support::RealFile("obj/" + file + ".obj");
        ASSERT_EQ(formats::ReadObj(path, m.host, &error), 1) << file << ": " << error.detail;
        EXPECT_EQ(std::size_t(m.host.m_pMesh->GetFaceCount()), faces) << file;
        EXPECT_EQ(m.host.m_pMesh->GetCornerCount(), corners) << file;
        EXPECT_EQ(m.host.m_pMesh->GetVertexCount(), vertices) << file;
    }
}

}  // namespace
