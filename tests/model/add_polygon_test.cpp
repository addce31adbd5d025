#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "model/face_table.h"
#include "test_support.h"

namespace {

using model::AddPolygonResult;
using model::FaceTable;
using model::POLY_NEW_VERTEX;
using rm::Vector;
using testing_support::Model;

// Table faces: triangle (0 1 2) and quad (1 3 4 5), with colours, a texture and texture
// coordinates of their own.
void FillTable(FaceTable& t) {
    const Vector p[6] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0.5f}, {0.25f, -2, 1}, {2, 2, 2}};
    const std::vector<std::vector<int>> faces = {{0, 1, 2}, {1, 3, 4, 5}};
    t.faceCount = int(faces.size());
    for (int f = 0; f < t.faceCount; ++f) {
        t.vertexCount[f] = int(faces[f].size());
        for (int k = 0; k < t.vertexCount[f]; ++k) {
            t.vertexIndex[f][k] = faces[f][k];
            t.position[f][k] = p[faces[f][k]];
            t.texU[f][k] = 0.25f * float(k);
            t.texV[f][k] = 1.0f - 0.25f * float(k);
        }
    }
    t.faceColor[0] = {10, 20, 30, 40};
    t.faceColor[1] = {50, 60, 70, 255};
}

Vector CornerOf(const rm::MeshBuilderPtr& mesh, int face, int k) {
    Vector p;
    mesh->GetFace(face).GetVertex(k, &p, nullptr);
    return p;
}

TEST(AddPolygon, NewVerticesAreNumberedAfterTheLargestIndexAndSnappedOnesKept) {
    Model m;
    FaceTable& t = *m.table;
    FillTable(t);
    auto tex = std::make_shared<rm::Texture>("wood.bmp");
    t.faceTexture[1] = tex;
    t.meshQuality = rm::Quality::Wireframe;
    ASSERT_TRUE(t.RebuildMesh(m.host));

    // New point, point snapped to vertex 3, new point, vertex 3 again.
    const std::array<Vector, 4> points = {Vector{5, 5, 5}, Vector{1, 1, 0.5f}, Vector{6, 6, 6},
                                          Vector{1, 1, 0.5f}};
    std::array<int, 4> vertex = {POLY_NEW_VERTEX, 3, POLY_NEW_VERTEX, 3};
    ASSERT_EQ(t.AddPolygon(m.host, points, vertex), AddPolygonResult::Added);
    EXPECT_EQ(vertex, (std::array<int, 4>{6, 3, 7, 3}));

    const rm::MeshBuilderPtr& mesh = m.host.m_pMesh;
    ASSERT_EQ(mesh->GetFaceCount(), 3);
    EXPECT_EQ(mesh->GetVertexCount(), 8u);
    const rm::Face added = mesh->GetFace(2);
    ASSERT_EQ(added.GetVertexCount(), 4);
    EXPECT_EQ(added.GetVertexIndex(0), 6);
    EXPECT_EQ(added.GetVertexIndex(3), 3);
    EXPECT_EQ(CornerOf(mesh, 2, 2), (Vector{6, 6, 6}));
    // The new face shares vertex 3 with the quad.
    EXPECT_EQ(mesh->GetFace(1).GetVertexIndex(1), 3);
    // Old faces keep their look; the new one has the defaults; the quality survives.
    EXPECT_EQ(mesh->GetFace(0).GetColor(), 0x280A141Eu);
    EXPECT_EQ(mesh->GetFace(1).GetTexture(), tex);
    float u = 0, v = 0;
    mesh->GetFace(1).GetTextureCoordinates(3, &u, &v);
    EXPECT_EQ(u, 0.75f);
    EXPECT_EQ(v, 0.25f);
    EXPECT_EQ(added.GetColor(), rm::MeshBuilder::kDefaultFaceColor);
    EXPECT_EQ(added.GetTexture(), nullptr);
    EXPECT_EQ(mesh->GetQuality(), rm::Quality::Wireframe);
    ASSERT_EQ(m.host.m_pModelFrame->Visuals().size(), 1u);
    EXPECT_EQ(m.host.m_pModelFrame->Visuals()[0], mesh);

    // The table is untouched until it reads the mesh, which brings the face in.
    EXPECT_EQ(t.faceCount, 2);
    t.ReadFromMesh(m.host);
    ASSERT_EQ(t.faceCount, 3);
    EXPECT_EQ(t.vertexCount[2], 4);
    EXPECT_EQ(t.vertexIndex[2][2], 7);
    EXPECT_EQ(t.position[2][0], (Vector{5, 5, 5}));
    EXPECT_EQ(t.meshQuality, rm::Quality::Wireframe);
    EXPECT_EQ(t.faceColor[0].alpha, 40);
}

TEST(AddPolygon, AnEmptyTableStartsNumberingAtOne) {
    Model m;
    const std::array<Vector, 3> points = {Vector{0, 0, 0}, Vector{1, 0, 0}, Vector{0, 0, 1}};
    std::array<int, 3> vertex = {POLY_NEW_VERTEX, POLY_NEW_VERTEX, POLY_NEW_VERTEX};
    ASSERT_EQ(m.table->AddPolygon(m.host, points, vertex), AddPolygonResult::Added);
    EXPECT_EQ(vertex, (std::array<int, 3>{1, 2, 3}));
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1);
    EXPECT_EQ(CornerOf(m.host.m_pMesh, 0, 2), (Vector{0, 0, 1}));
}

TEST(AddPolygon, RefusalsLeaveMeshTableAndPointsAsTheyWere) {
    const std::array<Vector, 3> points = {Vector{0, 0, 0}, Vector{1, 0, 0}, Vector{0, 0, 1}};
    const std::array<int, 3> fresh = {POLY_NEW_VERTEX, 1, POLY_NEW_VERTEX};

    // The root refuses the new mesh.
    Model m;
    FillTable(*m.table);
    ASSERT_TRUE(m.table->RebuildMesh(m.host));
    const rm::MeshBuilderPtr before = m.host.m_pMesh;
    std::array<int, 3> vertex = fresh;
    m.host.m_pD3DRoot->FailNext(rm::Root::Op::CreateMeshBuilder);
    EXPECT_EQ(m.table->AddPolygon(m.host, points, vertex), AddPolygonResult::Refused);
    EXPECT_EQ(m.host.m_pMesh, before);
    EXPECT_EQ(before->GetFaceCount(), 2);
    ASSERT_EQ(m.host.m_pModelFrame->Visuals().size(), 1u);
    EXPECT_EQ(m.host.m_pModelFrame->Visuals()[0], before);
    EXPECT_EQ(vertex, fresh);
    EXPECT_EQ(m.table->faceCount, 2);

    // A point list that no face can take.
    EXPECT_EQ(m.table->AddPolygon(m.host, {}, {}), AddPolygonResult::Refused);
    std::vector<Vector> many(17);
    std::vector<int> manyVertex(17, POLY_NEW_VERTEX);
    EXPECT_EQ(m.table->AddPolygon(m.host, many, manyVertex), AddPolygonResult::Refused);

    // A full table.
    m.table->faceCount = model::MAX_FACES;
    EXPECT_EQ(m.table->AddPolygon(m.host, points, vertex), AddPolygonResult::TableFull);
    EXPECT_EQ(m.host.m_pMesh, before);
    EXPECT_EQ(vertex, fresh);
}

TEST(AddPolygon, FacesWithoutCornersAreLeftOutWithoutShiftingTheLook) {
    Model m;
    FillTable(*m.table);
    m.table->vertexCount[0] = 0;
    const std::array<Vector, 3> points = {Vector{0, 0, 0}, Vector{1, 0, 0}, Vector{0, 0, 1}};
    std::array<int, 3> vertex = {POLY_NEW_VERTEX, POLY_NEW_VERTEX, POLY_NEW_VERTEX};
    ASSERT_EQ(m.table->AddPolygon(m.host, points, vertex), AddPolygonResult::Added);
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
    EXPECT_EQ(m.host.m_pMesh->GetFace(0).GetColor(), 0xFF323C46u);  // the quad's colour
}

// A table of 4,999 faces of 16 corners, every corner its own vertex, numbered from `first`.
void FillNearlyFull(FaceTable& t, int first) {
    t.faceCount = model::MAX_FACES - 1;
    int index = first;
    for (int f = 0; f < t.faceCount; ++f) {
        t.vertexCount[f] = model::MAX_FACE_VERTICES;
        for (int k = 0; k < model::MAX_FACE_VERTICES; ++k) {
            t.vertexIndex[f][k] = index;
            t.position[f][k] = {float(f), float(k), float(index)};
            index += 1;
        }
    }
}

TEST(AddPolygon, VerticesAreRenumberedDenselyOnlyWhenNewOnesWouldPassThePool) {
    // Largest index 79,999 - 16 + 15 leaves no room after it: dense numbering, which
    // fills the pool exactly.
    Model m;
    FaceTable& t = *m.table;
    FillNearlyFull(t, 16);  // indices 16 .. 79,999
    std::vector<Vector> points(16);
    std::vector<int> vertex(16, POLY_NEW_VERTEX);
    for (int i = 0; i < 16; ++i) points[std::size_t(i)] = {-1, float(i), 0};
    vertex[3] = 16;  // snapped to the first corner
    ASSERT_EQ(t.AddPolygon(m.host, points, vertex), AddPolygonResult::Added);
    EXPECT_EQ(vertex[0], 79984);
    EXPECT_EQ(vertex[3], 0);
    EXPECT_EQ(vertex[15], 79998);
    const rm::MeshBuilderPtr& mesh = m.host.m_pMesh;
    EXPECT_LE(mesh->GetVertexCount(), std::size_t(model::MAX_POOL_VERTICES));
    EXPECT_EQ(mesh->GetFace(4998).GetVertexIndex(15), 79983);
    EXPECT_EQ(CornerOf(mesh, 4998, 15), (Vector{4998, 15, 79999}));
    EXPECT_EQ(CornerOf(mesh, 4999, 3), (Vector{-1, 3, 0}));  // the snapped point's position
    t.ReadFromMesh(m.host);
    EXPECT_EQ(t.faceCount, model::MAX_FACES);
    EXPECT_TRUE(t.RebuildMesh(m.host));

    // One index fewer in use: the plain numbering still fits and is kept.
    Model fits;
    FillNearlyFull(*fits.table, 0);  // indices 0 .. 79,983
    std::vector<int> plain(16, POLY_NEW_VERTEX);
    ASSERT_EQ(fits.table->AddPolygon(fits.host, points, plain), AddPolygonResult::Added);
    EXPECT_EQ(plain[0], 79984);
    EXPECT_EQ(plain[15], 79999);
    EXPECT_EQ(fits.host.m_pMesh->GetFace(100).GetVertexIndex(0), 1600);
}

TEST(AddPolygon, IndicesOutsideThePoolAreRenumberedToo) {
    Model m;
    FillTable(*m.table);
    m.table->vertexIndex[1][3] = 123456;  // the quad's last corner
    const std::array<Vector, 3> points = {Vector{0, 0, 0}, Vector{1, 0, 0}, Vector{0, 0, 1}};
    std::array<int, 3> vertex = {POLY_NEW_VERTEX, 123456, POLY_NEW_VERTEX};
    ASSERT_EQ(m.table->AddPolygon(m.host, points, vertex), AddPolygonResult::Added);
    EXPECT_EQ(vertex, (std::array<int, 3>{6, 5, 7}));
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetVertexIndex(3), 5);
}

}  // namespace
