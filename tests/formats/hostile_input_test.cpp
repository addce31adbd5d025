// Inputs written to break a reader: counts and indices at and beyond the integer limits,
// lengths that claim more bytes than a file holds, vertex numbers at the edge of the face
// table. Each case pins one guard; without it the case reads, wraps or crashes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "formats/mqo.h"
#include "formats/obj.h"
#include "rm/xfile.h"
#include "test_support.h"

namespace {

using rm::Vector;
using testing_support::Model;
using testing_support::XTokens;

// A version 1.0 document with one object of three text vertices and one face line.
std::string MqoWithFace(const std::string& faceLine) {
    return "Metasequoia Document\nFormat Text Ver 1.0\nObject \"o\" {\n\tvertex 3 {\n"
           "\t\t0 0 0\n\t\t100 0 0\n\t\t0 100 0\n\t}\n\tface 1 {\n\t\t" +
           faceLine + "\n\t}\n}\nEof\n";
}

TEST(HostileMqo, FaceCountsAndIndicesBeyondIntFailWithoutWrapping) {
    {
        Model m;
        ASSERT_EQ(formats::ReadMqoText(MqoWithFace("3 V(0 1 2)"), m.host), 1);  // the control
    }
    // Each line would be a valid face if its number wrapped to 32 bits (2^32 + 3 is 3,
    // 2^32 is 0) or to int (2^31 + 3 is negative).
    for (const char* line : {"-3 V(0 1 2)", "4294967299 V(0 1 2)", "2147483651 V(0 1 2)",
                             "2147483648 V(0 1 2)", "3 V(0 1 4294967296)", "3 V(0 1 4294967298)",
                             "3 V(2147483648 0 1)", "3 V(0 -4294967295 1)"}) {
        SCOPED_TRACE(line);
        Model m;
        formats::ReadResult read;
        int result = -1;
        EXPECT_NO_THROW(result = formats::ReadMqoText(MqoWithFace(line), m.host, &read));
        EXPECT_EQ(result, 0);
        EXPECT_EQ(read.kind, formats::ReadFailure::Malformed) << read.detail;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
    }
}

// An OBJ file of n vertices (vertex i at x = i) and one triangle of the given 1-based
// vertex numbers.
std::string ObjWithTriangle(int n, int a, int b, int c) {
    std::string s;
    s.reserve(std::size_t(n) * 12);
    for (int i = 0; i < n; ++i) s += "v " + std::to_string(i) + " 0 0\n";
    return s + "f " + std::to_string(a) + ' ' + std::to_string(b) + ' ' + std::to_string(c) + '\n';
}

// The table's pool holds vertex indices 0..79,999. A mesh that uses larger ones still
// converts: the table numbers its vertices anew and keeps every corner.
TEST(HostileTable, VertexIndicesAroundThePoolSizeConvertWithEveryCorner) {
    for (const int largest : {79999, 80000, 80001}) {
        SCOPED_TRACE(largest);
        Model m;
        ASSERT_EQ(formats::ReadObjText(ObjWithTriangle(80002, 1, 2, largest + 1), m.host), 1);
        const model::ReadStats stats = m.table->ReadFromMesh(m.host);
        EXPECT_EQ(stats.renumbered, largest >= model::MAX_POOL_VERTICES);
        ASSERT_TRUE(m.table->RebuildMesh(m.host));
        const model::FaceTable& t = *m.table;
        ASSERT_EQ(t.faceCount, 1);
        ASSERT_EQ(t.vertexCount[0], 3);
        EXPECT_EQ(t.position[0][2], (Vector{float(largest), 0, 0}));
        for (int k = 0; k < 3; ++k) {
            ASSERT_LT(t.vertexIndex[0][k], model::MAX_POOL_VERTICES);
            EXPECT_EQ(t.vertexPool[t.vertexIndex[0][k]], t.position[0][k]) << k;
        }
        // The rebuilt mesh holds the same corners.
        Vector p;
        ASSERT_TRUE(m.host.m_pMesh->GetFace(0).GetVertex(2, &p, nullptr));
        EXPECT_EQ(p, (Vector{float(largest), 0, 0}));
    }
}

TEST(HostileTable, ARebuildRefusesAnIndexOutsideThePool) {
    Model m;
    ASSERT_EQ(formats::ReadObjText(ObjWithTriangle(3, 1, 2, 3), m.host), 1);
    m.Sync();
    const rm::MeshBuilderPtr before = m.host.m_pMesh;
    model::FaceTable& t = *m.table;
    t.vertexIndex[0][1] = model::MAX_POOL_VERTICES;  // 80,000: one past the pool
    EXPECT_FALSE(t.RebuildMesh(m.host));
    EXPECT_EQ(m.host.m_pMesh, before);  // the old mesh stays
    t.vertexIndex[0][1] = model::MAX_POOL_VERTICES - 1;
    EXPECT_TRUE(t.RebuildMesh(m.host));
}

// A token whose count claims about 4 GiB while a few bytes are left. Without the check the
// reader would step its position far past the buffer and read there.
TEST(HostileX, BinaryTokensClaimingMoreThanTheBytesLeftFail) {
    const std::uint32_t kHuge = 0xFFFFFFF0u;
    std::vector<std::string> cases;
    cases.push_back((XTokens().Tok(1).Count(kHuge).out += "Mesh"));                      // name
    cases.push_back((XTokens().Name("Header").Tok(10).Tok(2).Count(kHuge).out += "s"));  // string
    // Lists inside an object the loader skips (nothing is kept, so nothing is allocated).
    for (const int list : {6, 7}) {
        XTokens b;
        b.Name("Skipped").Tok(10).Tok(list).Count(kHuge);
        b.out += std::string(64, '\x01');
        b.Tok(11);
        cases.push_back(b.out);
    }
    // A float list of 8-byte floats whose count fits 4-byte floats but not 8-byte ones.
    XTokens wide(64);
    wide.Name("Skipped").Tok(10).Tok(7).Count(9);
    wide.out += std::string(36, '\x01');
    wide.Tok(11);
    cases.push_back(wide.out);
    for (const std::string& bytes : cases) {
        rm::MeshBuilder m;
        std::string error;
        rm::XLoadFailure failure = rm::XLoadFailure::None;
        EXPECT_FALSE(rm::LoadXFromMemory(bytes, m, &error, &failure));
        EXPECT_EQ(failure, rm::XLoadFailure::Malformed) << error;
        EXPECT_EQ(m.GetFaceCount(), 0);
    }
}

// Faces of a file without normals, appended to a mesh with normals, keep no normal: their
// corners do not point into the normals that were there before.
TEST(HostileX, CornersWithoutNormalsStayWithoutThemWhenMerged) {
    const std::string withNormals =
        "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
        " MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; } }\n";
    const std::string without =
        "xof 0303txt 0032\nMesh { 3; 0;0;1;, 1;0;1;, 0;1;1;; 1; 3;0,1,2;; }\n";
    rm::MeshBuilder m;
    ASSERT_TRUE(rm::LoadXFromMemory(withNormals, m));
    ASSERT_TRUE(rm::LoadXFromMemory(without, m));
    ASSERT_EQ(m.GetFaceCount(), 2);
    for (const auto& c : m.FaceCorners(0)) EXPECT_NE(c.normal, rm::MeshBuilder::kNoNormal);
    for (const auto& c : m.FaceCorners(1)) EXPECT_EQ(c.normal, rm::MeshBuilder::kNoNormal);
    Vector p, n{9, 9, 9};
    ASSERT_TRUE(m.GetFace(1).GetVertex(0, &p, &n));
    EXPECT_EQ(n, Vector{});
}

}  // namespace
