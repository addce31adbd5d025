// Polygons of more than 16 corners, in every reader that can hold one: the model keeps faces
// of at most 16 corners, so each reader cuts such a polygon into triangles that cover its
// outline exactly, with the polygon's colour. Smaller polygons stay whole.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "base/numbers.h"
#include "formats/lwo.h"
#include "formats/mqo.h"
#include "formats/obj.h"
#include "formats/x.h"
#include "rm/xfile.h"
#include "test_support.h"

namespace {

using rm::Vector;
using testing_support::Model;

// A concave star of `n` corners (n even) in the plane z = 0, counter-clockwise.
std::vector<Vector> Star(int n) {
    return testing_support::Star(n / 2, 0.4f);
}

using testing_support::SignedArea;

// The mesh's faces as they came from the star: `faces` faces of `corners` corners whose
// areas (signed, in the star's plane and winding `sign`) add up to the star's without any
// overlap, all of colour `color`.
void ExpectStar(const rm::MeshBuilder& mesh, std::size_t faces, std::size_t corners, double sign,
                rm::Color color) {
    ASSERT_EQ(mesh.FaceRecords().size(), faces);
    const double whole = SignedArea(Star(int(corners == 3 ? faces + 2 : corners)));
    double sum = 0, sumAbs = 0;
    for (std::size_t f = 0; f < faces; ++f) {
        std::vector<Vector> p;
        for (const auto& c : mesh.FaceCorners(f)) p.push_back(mesh.Vertices()[c.vertex]);
        ASSERT_EQ(p.size(), corners);
        sum += sign * SignedArea(p);
        sumAbs += std::fabs(SignedArea(p));
        EXPECT_EQ(mesh.FaceRecords()[f].color, color) << f;
    }
    EXPECT_NEAR(sum, whole, 1e-5);
    EXPECT_NEAR(sumAbs, whole, 1e-5);
}

std::string ObjStar(int n) {
    std::string s, f = "f";
    for (const Vector& v : Star(n)) {
        s += "v ";
        base::AppendFixed(s, v.x, 9);
        s += ' ';
        base::AppendFixed(s, v.y, 9);
        s += " 0\n";
    }
    for (int i = 1; i <= n; ++i) f += ' ' + std::to_string(i);
    return s + f + "\n";
}

std::string Chunk(const char* id, const std::string& data) {
    std::string s(id, 4);
    base::AppendBE32(s, std::uint32_t(data.size()));
    return s + data;
}

// One surface "s" coloured (255, 0, 0), one polygon of the star's corners.
std::string LwoStar(int n) {
    std::string points, pols;
    for (const Vector& v : Star(n)) {
        base::AppendBEFloat(points, v.x);
        base::AppendBEFloat(points, v.y);
        base::AppendBEFloat(points, v.z);
    }
    base::AppendBE16(pols, unsigned(n));
    for (int i = 0; i < n; ++i) base::AppendBE16(pols, unsigned(i));
    base::AppendBE16(pols, 1);
    std::string surf("s\0", 2);
    surf += "COLR";
    base::AppendBE16(surf, 4);
    surf += std::string("\xFF\x00\x00\x00", 4);
    const std::string body = "LWOB" + Chunk("PNTS", points) + Chunk("SRFS", std::string("s\0", 2)) +
                             Chunk("POLS", pols) + Chunk("SURF", surf);
    return Chunk("FORM", body);
}

// Material 0 green; the face line lists the star's corners, which the reader reverses.
std::string MqoStar(int n) {
    std::string s =
        "Metasequoia Document\nFormat Text Ver 1.0\nMaterial 1 {\n\t\"g\" col(0 1 0 1)\n}\n"
        "Object \"o\" {\n\tBVertex {\n\t\tVector " +
        std::to_string(n) + " [" + std::to_string(12 * n) + "]\n";
    for (const Vector& v : Star(n)) {
        s += testing_support::LeFloats({v.x * 100, v.y * 100, v.z});
    }
    s += "\n\t}\n\tface 1 {\n\t\t" + std::to_string(n) + " V(";
    for (int i = 0; i < n; ++i) s += (i ? " " : "") + std::to_string(i);
    return s + ") M(0)\n\t}\n}\nEof\n";
}

// A blue material on the one face.
std::string XStar(int n) {
    std::string s = "xof 0303txt 0032\nMesh {\n" + std::to_string(n) + ";\n";
    for (const Vector& v : Star(n)) {
        base::AppendShortest(s, v.x);
        s += ';';
        base::AppendShortest(s, v.y);
        s += ";0;,\n";
    }
    s.back() = ';';
    s += "\n1;\n" + std::to_string(n) + ";";
    for (int i = 0; i < n; ++i) s += (i ? "," : "") + std::to_string(i);
    return s + ";;\nMeshMaterialList { 1; 1; 0;; Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } }\n}\n";
}

constexpr rm::Color kDefault = rm::MeshBuilder::kDefaultFaceColor;

TEST(BigPolygons, EveryReaderCutsThemIntoTrianglesThatKeepTheOutline) {
    for (const int n : {16, 20, 66}) {
        SCOPED_TRACE(n);
        const std::size_t faces = n > 16 ? std::size_t(n - 2) : 1;
        const std::size_t corners = n > 16 ? 3 : std::size_t(n);
        {
            Model m;
            ASSERT_EQ(formats::ReadObjText(ObjStar(n), m.host), 1);
            ExpectStar(*m.host.m_pMesh, faces, corners, 1, kDefault);
        }
        {
            Model m;
            formats::ReadResult read;
            ASSERT_EQ(formats::ReadLwoBytes(LwoStar(n), m.host, &read), 1) << read.detail;
            ExpectStar(*m.host.m_pMesh, faces, corners, 1, 0xFFFF0000u);
        }
        {
            Model m;
            formats::ReadResult read;
            ASSERT_EQ(formats::ReadMqoText(MqoStar(n), m.host, &read), 1) << read.detail;
            ExpectStar(*m.host.m_pMesh, faces, corners, -1, 0xFF00FF00u);  // reversed
        }
        {
            rm::MeshBuilder mesh;
            std::string error;
            ASSERT_TRUE(rm::LoadXFromMemory(XStar(n), mesh, &error)) << error;
            ExpectStar(mesh, faces, corners, 1, 0xFF0000FFu);
        }
    }
}

// The keyhole polygons of real files: one polygon, a square with a square hole joined by
// a doubled edge. The triangles add up to its area with no overlap.
TEST(BigPolygons, RealKeyholePolygonsKeepTheirArea) {
    Model lwo, obj;
    ASSERT_EQ(formats::ReadLwo(testing_support::RealFile("lwo/ConcavePolygon.lwo"), lwo.host), 1);
    ASSERT_EQ(formats::ReadObj(testing_support::RealFile("obj/concave_polygon.obj"), obj.host), 1);
    for (const Model* m : {&lwo, &obj}) {
        const rm::MeshBuilder& mesh = *m->host.m_pMesh;
        ASSERT_EQ(mesh.FaceRecords().size(), 64u);
        // Newell's vector of each triangle; their sum is the polygon's, their lengths add
        // up to its area only when no two overlap.
        double sum[3] = {0, 0, 0}, lengths = 0;
        for (std::size_t f = 0; f < 64; ++f) {
            const auto c = mesh.FaceCorners(f);
            const Vector a = mesh.Vertices()[c[0].vertex], b = mesh.Vertices()[c[1].vertex],
                         d = mesh.Vertices()[c[2].vertex];
            const Vector n = rm::Cross(b - a, d - a);
            sum[0] += n.x;
            sum[1] += n.y;
            sum[2] += n.z;
            lengths += std::sqrt(double(rm::Dot(n, n)));
        }
        const double total = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
        EXPECT_GT(total, 0.0);
        EXPECT_NEAR(lengths, total, 1e-4 * total);
    }
}

}  // namespace
