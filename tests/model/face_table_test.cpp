// The face table: reading a mesh, rebuilding it, colours and transparency, and adding a
// polygon.
#include "model/face_table.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "test_support.h"

namespace {

using model::AddPolygonResult;
using model::FaceTable;
using model::POLY_NEW_VERTEX;
using rm::Vector;
using testing_support::Model;

// Adds `faces` triangles (each with its own three vertices) to the model's mesh.
void AddTriangles(Model& m, int faces) {
    std::vector<Vector> verts;
    std::vector<std::int32_t> list;
    for (int f = 0; f < faces; ++f) {
        const float x = float(f);
        verts.push_back({x, 0, 0});
        verts.push_back({x + 1, 0, 0});
        verts.push_back({x, 1, 0});
        list.insert(list.end(), {3, 3 * f, 3 * f + 1, 3 * f + 2});
    }
    list.push_back(0);
    ASSERT_TRUE(m.host.m_pMesh->AddFaces(verts, {}, list));
}

// Table faces: triangle (0 1 2), quad (1 3 4 2), triangle (2 4 5); the first two with
// colours of their own, every corner with texture coordinates of its own.
void FillTable(FaceTable& t) {
    const Vector p[6] = {{0, 0, 0},    {1, 0, 0},      {0, 1, 0},
                         {1, 1, 0.5f}, {0.25f, -2, 1}, {1, 2, -0.5f}};
    const std::vector<std::vector<int>> faces = {{0, 1, 2}, {1, 3, 4, 2}, {2, 4, 5}};
    t.faceCount = int(faces.size());
    for (int f = 0; f < t.faceCount; ++f) {
        t.vertexCount[f] = int(faces[f].size());
        for (int k = 0; k < t.vertexCount[f]; ++k) {
            t.vertexIndex[f][k] = faces[f][k];
            t.position[f][k] = p[faces[f][k]];
            t.selected[f][k] = 0;
            t.texU[f][k] = 0.25f * float(k);
            t.texV[f][k] = 1.0f - 0.25f * float(k);
        }
        t.faceMark[f] = 1;
    }
    t.faceColor[0] = {10, 20, 30, 40};
    t.faceColor[1] = {50, 60, 70, 255};
}

std::vector<int> Rgba(const model::FaceColor& c) {
    return {c.red, c.green, c.blue, c.alpha};
}
Vector CornerOf(const rm::MeshBuilderPtr& mesh, int face, int k) {
    Vector p;
    mesh->GetFace(face).GetVertex(k, &p, nullptr);
    return p;
}

TEST(FaceTableRebuild, WorksBeforeAnyClear) {
    Model m;
    EXPECT_TRUE(m.table->RebuildMesh(m.host));
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
}

TEST(FaceTableRead, CapsAtTheTableLimits) {
    Model m;
    AddTriangles(m, 6000);
    const model::ReadStats stats = m.table->ReadFromMesh(m.host);
    EXPECT_EQ(m.table->faceCount, 5000);
    EXPECT_EQ(stats.meshFaces, 6000);
    EXPECT_EQ(stats.droppedFaces, 1000);
    ASSERT_TRUE(m.table->RebuildMesh(m.host));
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 5000);

    // A 20-corner face is read as its first 16 corners and rebuilt as a 16-corner face.
    Model big;
    std::vector<Vector> ring;
    std::vector<std::int32_t> list = {20};
    for (int k = 0; k < 20; ++k) {
        ring.push_back({float(k), float(k * k), 0});
        list.push_back(k);
    }
    list.push_back(0);
    ASSERT_TRUE(big.host.m_pMesh->AddFaces(ring, {}, list));
    EXPECT_EQ(big.table->ReadFromMesh(big.host).droppedCorners, 4);
    EXPECT_EQ(big.table->vertexCount[0], 16);
    EXPECT_EQ(big.table->position[0][15], (Vector{15, 225, 0}));
    ASSERT_TRUE(big.table->RebuildMesh(big.host));
    EXPECT_EQ(big.host.m_pMesh->GetFace(0).GetVertexCount(), 16);
}

TEST(FaceTableRead, CopiesCornersColoursAndQuality) {
    Model m;
    AddTriangles(m, 2);
    rm::Face f = m.host.m_pMesh->GetFace(1);
    f.SetColor(0x80FF4020u);
    f.SetTextureCoordinates(2, 0.5f, 0.25f);
    auto tex = std::make_shared<rm::Texture>("brick.bmp");
    f.SetTexture(tex);
    m.host.m_pMesh->SetQuality(rm::Quality::Flat);
    m.table->ReadFromMesh(m.host);
    const FaceTable& t = *m.table;
    EXPECT_EQ(Rgba(t.faceColor[1]), (std::vector<int>{255, 64, 32, 128}));
    EXPECT_EQ(t.faceTexture[1], tex);
    EXPECT_EQ(t.faceTexture[0], nullptr);
    EXPECT_EQ(t.texU[1][2], 0.5f);
    EXPECT_EQ(t.texV[1][2], 0.25f);
    EXPECT_EQ(t.vertexIndex[1][1], 4);
    EXPECT_EQ(t.position[1][1], (Vector{2, 0, 0}));
    EXPECT_EQ(t.meshQuality, rm::Quality::Flat);

    // ... and the rebuild writes them back unchanged.
    ASSERT_TRUE(m.table->RebuildMesh(m.host));
    const rm::Face g = m.host.m_pMesh->GetFace(1);
    EXPECT_EQ(g.GetColor(), 0x80FF4020u);
    EXPECT_EQ(g.GetTexture(), tex);
    float u = 0, v = 0;
    g.GetTextureCoordinates(2, &u, &v);
    EXPECT_EQ(u, 0.5f);
    EXPECT_EQ(v, 0.25f);
    EXPECT_EQ(m.host.m_pMesh->GetQuality(), rm::Quality::Flat);
    EXPECT_TRUE(m.host.m_pMesh->GetPerspective());
}

TEST(FaceTableRebuild, LaterCornerWinsASharedIndexAndIndicesAreKept) {
    Model m;
    FaceTable& t = *m.table;
    t.faceCount = 2;
    t.vertexCount[0] = t.vertexCount[1] = 3;
    const int idx[2][3] = {{7, 1, 2}, {3, 7, 4}};
    for (int f = 0; f < 2; ++f) {
        for (int k = 0; k < 3; ++k) {
            t.vertexIndex[f][k] = idx[f][k];
            t.position[f][k] = {float(f * 10 + k), 0, 0};
        }
    }
    t.position[0][0] = {1, 1, 1};
    t.position[1][1] = {2, 2, 2};
    ASSERT_TRUE(t.RebuildMesh(m.host));
    EXPECT_EQ(t.poolVertexCount, 8);
    EXPECT_EQ(t.vertexPool[7], (Vector{2, 2, 2}));
    EXPECT_EQ(CornerOf(m.host.m_pMesh, 0, 0), (Vector{2, 2, 2}));
    // A later read returns the same indices.
    t.ReadFromMesh(m.host);
    EXPECT_EQ(t.vertexIndex[0][0], 7);
    EXPECT_EQ(t.vertexIndex[1][2], 4);
    // The rebuilt mesh is the one attached to the model frame.
    ASSERT_EQ(m.host.m_pModelFrame->Visuals().size(), 1u);
    EXPECT_EQ(m.host.m_pModelFrame->Visuals()[0], m.host.m_pMesh);
}

// A face of no corners would end the face-data list early: the rebuild and AddPolygon
// leave it out, and the faces after it keep their own look.
TEST(FaceTableRebuild, FacesWithoutCornersAreLeftOutWithoutShiftingColours) {
    Model m;
    FillTable(*m.table);
    m.table->vertexCount[1] = 0;
    m.table->faceColor[2] = {1, 2, 3, 255};
    ASSERT_TRUE(m.table->RebuildMesh(m.host));
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetColor(), 0xFF010203u);
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetVertexIndex(2), 5);

    const std::array<Vector, 3> points = {Vector{0, 0, 0}, Vector{1, 0, 0}, Vector{0, 0, 1}};
    std::array<int, 3> vertex = {POLY_NEW_VERTEX, POLY_NEW_VERTEX, POLY_NEW_VERTEX};
    ASSERT_EQ(m.table->AddPolygon(m.host, points, vertex), AddPolygonResult::Added);
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 3);
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetColor(), 0xFF010203u);
}

TEST(FaceTableRebuild, AFailedRebuildKeepsTheOldMeshAttached) {
    for (rm::Root::Op op : {rm::Root::Op::CreateMeshBuilder, rm::Root::Op::CreateFace}) {
        Model m;
        AddTriangles(m, 2);
        m.Sync();
        const rm::MeshBuilderPtr before = m.host.m_pMesh;
        m.table->position[0][0] = {9, 9, 9};
        m.host.m_pD3DRoot->FailNext(op);
        EXPECT_FALSE(m.table->RebuildMesh(m.host));
        EXPECT_EQ(m.host.m_pMesh, before);
        ASSERT_EQ(m.host.m_pModelFrame->Visuals().size(), 1u);
        EXPECT_EQ(m.host.m_pModelFrame->Visuals()[0], before);
        EXPECT_EQ(before->GetFaceCount(), 2);
        // The next rebuild succeeds and takes the edit.
        ASSERT_TRUE(m.table->RebuildMesh(m.host));
        EXPECT_EQ(CornerOf(m.host.m_pMesh, 0, 0), (Vector{9, 9, 9}));
    }
}

TEST(FaceTableRead, LargeVertexIndicesAreRenumberedDensely) {
    // A mesh whose faces name vertices beyond the pool's 80,000 entries.
    Model m;
    std::vector<Vector> verts(90000);
    for (std::size_t i = 0; i < verts.size(); ++i) verts[i] = {float(i), 0, 0};
    const std::vector<std::int32_t> list = {3, 85000, 5, 89999, 3, 89999, 5, 100, 0};
    ASSERT_TRUE(m.host.m_pMesh->AddFaces(verts, {}, list));
    const model::ReadStats stats = m.table->ReadFromMesh(m.host);
    EXPECT_TRUE(stats.renumbered);
    const FaceTable& t = *m.table;
    EXPECT_EQ((std::vector<int>{t.vertexIndex[0][0], t.vertexIndex[0][1], t.vertexIndex[0][2],
                                t.vertexIndex[1][0], t.vertexIndex[1][1], t.vertexIndex[1][2]}),
              (std::vector<int>{0, 1, 2, 2, 1, 3}));  // still shared between the faces
    ASSERT_TRUE(m.table->RebuildMesh(m.host));
    EXPECT_EQ(t.poolVertexCount, 4);
    EXPECT_EQ(CornerOf(m.host.m_pMesh, 1, 0), (Vector{89999, 0, 0}));
}

TEST(FaceTableApply, ColourTargetsFullySelectedFacesOrEverything) {
    Model m;
    FillTable(*m.table);
    // Nothing fully selected (face 1 half selected): every face changes.
    m.table->selected[1][0] = m.table->selected[1][1] = 1;
    m.table->ApplyColor(0x00102030u);  // 0x00BBGGRR
    ASSERT_TRUE(m.table->RebuildMesh(m.host));
    for (int f = 0; f < 3; ++f) {
        const int alpha = f == 0 ? 40 : 255;  // a colour keeps the transparency
        EXPECT_EQ(Rgba(m.table->faceColor[f]), (std::vector<int>{0x30, 0x20, 0x10, alpha}));
        EXPECT_EQ(m.table->faceMark[f], 1);
    }
    EXPECT_EQ(m.host.m_pMesh->GetFace(2).GetColor(), 0xFF302010u);
    // Face 2 fully selected, face 1 partly: only face 2 changes.
    for (int k = 0; k < 3; ++k) m.table->selected[2][k] = 1;
    m.table->ApplyColor(0x000000FFu);
    EXPECT_EQ(Rgba(m.table->faceColor[2]), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(m.table->faceColor[1].red, 0x30);
    EXPECT_EQ(m.table->faceColor[0].red, 0x30);
    EXPECT_EQ(m.table->faceMark[2], 1);
}

TEST(FaceTableApply, TransparencySetsAlphaOnly) {
    Model m;
    FillTable(*m.table);
    for (int k = 0; k < 4; ++k) m.table->selected[1][k] = 1;
    m.table->ApplyTransparency(255);
    ASSERT_TRUE(m.table->RebuildMesh(m.host));
    EXPECT_EQ(Rgba(m.table->faceColor[1]), (std::vector<int>{50, 60, 70, 0}));
    EXPECT_EQ(m.table->faceColor[0].alpha, 40);
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetColor(), 0x00323C46u);
    m.table->ApplyTransparency(0);
    EXPECT_EQ(m.table->faceColor[1].alpha, 255);
}

TEST(FaceTableSelection, ReadKeepsItAndClearResetsIt) {
    Model m;
    AddTriangles(m, 2);
    m.table->ReadFromMesh(m.host);
    m.table->selected[1][2] = 1;
    m.table->faceColor[0].red = 7;
    m.table->ReadFromMesh(m.host);
    EXPECT_EQ(m.table->selected[1][2], 1);
    m.table->Clear();
    EXPECT_EQ(m.table->selected[1][2], 0);
    EXPECT_EQ(m.table->poolVertexCount, 0);
    EXPECT_EQ(m.table->faceColor[0].red, 192);
}

// ---- AddPolygon ----

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
    ASSERT_EQ(mesh->GetFaceCount(), 4);
    EXPECT_EQ(mesh->GetVertexCount(), 8u);
    const rm::Face added = mesh->GetFace(3);
    ASSERT_EQ(added.GetVertexCount(), 4);
    EXPECT_EQ(added.GetVertexIndex(0), 6);
    EXPECT_EQ(added.GetVertexIndex(3), 3);
    EXPECT_EQ(CornerOf(mesh, 3, 2), (Vector{6, 6, 6}));
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
    EXPECT_EQ(t.faceCount, 3);
    t.ReadFromMesh(m.host);
    ASSERT_EQ(t.faceCount, 4);
    EXPECT_EQ(t.vertexCount[3], 4);
    EXPECT_EQ(t.vertexIndex[3][2], 7);
    EXPECT_EQ(t.position[3][0], (Vector{5, 5, 5}));
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
    EXPECT_EQ(before->GetFaceCount(), 3);
    ASSERT_EQ(m.host.m_pModelFrame->Visuals().size(), 1u);
    EXPECT_EQ(m.host.m_pModelFrame->Visuals()[0], before);
    EXPECT_EQ(vertex, fresh);
    EXPECT_EQ(m.table->faceCount, 3);

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

    // Plain numbering that would end exactly one past the pool is dense too.
    Model edge;
    FillNearlyFull(*edge.table, 1);  // indices 1 .. 79,984; plain would end at 80,000
    std::vector<int> past(16, POLY_NEW_VERTEX);
    ASSERT_EQ(edge.table->AddPolygon(edge.host, points, past), AddPolygonResult::Added);
    EXPECT_EQ(past[15], 79999);
}

TEST(AddPolygon, IndicesOutsideThePoolAreRenumberedToo) {
    Model m;
    FillTable(*m.table);
    m.table->vertexIndex[1][3] = 123456;  // the quad's last corner
    const std::array<Vector, 3> points = {Vector{0, 0, 0}, Vector{1, 0, 0}, Vector{0, 0, 1}};
    std::array<int, 3> vertex = {POLY_NEW_VERTEX, 123456, POLY_NEW_VERTEX};
    ASSERT_EQ(m.table->AddPolygon(m.host, points, vertex), AddPolygonResult::Added);
    // In order of first use: 0 1 2 3 4, then 123456 as 5 and 5 as 6.
    EXPECT_EQ(vertex, (std::array<int, 3>{7, 5, 8}));
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetVertexIndex(3), 5);
    EXPECT_EQ(m.host.m_pMesh->GetFace(2).GetVertexIndex(2), 6);
}

}  // namespace
