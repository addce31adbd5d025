#include "model/face_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace {

using model::FaceTable;
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

// Table faces: triangle (0 1 2), quad (1 3 4 2), triangle (2 4 5).
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
        }
        t.faceMark[f] = 1;
    }
}

TEST(FaceTableLifecycle, HeapArraysExistFromConstruction) {
    auto t = std::make_unique<FaceTable>();
    ASSERT_NE(t->vertexPool, nullptr);
    ASSERT_NE(t->faceColor, nullptr);
    ASSERT_NE(t->faceTexture, nullptr);
    EXPECT_EQ(t->faceCount, 0);
    EXPECT_EQ(t->faceColor[4999].red, 192);
    EXPECT_EQ(t->faceColor[4999].alpha, 255);
    // Rebuilding before any Clear works.
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
    EXPECT_EQ(t.faceColor[1].red, 255);
    EXPECT_EQ(t.faceColor[1].green, 64);
    EXPECT_EQ(t.faceColor[1].blue, 32);
    EXPECT_EQ(t.faceColor[1].alpha, 128);
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
    Vector p;
    m.host.m_pMesh->GetFace(0).GetVertex(0, &p, nullptr);
    EXPECT_EQ(p, (Vector{2, 2, 2}));
    // A later read returns the same indices.
    t.ReadFromMesh(m.host);
    EXPECT_EQ(t.vertexIndex[0][0], 7);
    EXPECT_EQ(t.vertexIndex[1][2], 4);
    // The rebuilt mesh is the one attached to the model frame.
    ASSERT_EQ(m.host.m_pModelFrame->Visuals().size(), 1u);
    EXPECT_EQ(m.host.m_pModelFrame->Visuals()[0], m.host.m_pMesh);
}

TEST(FaceTableRebuild, FacesWithoutCornersAreLeftOutWithoutShiftingColours) {
    Model m;
    FillTable(*m.table);
    m.table->vertexCount[1] = 0;  // would end the face-data list early
    m.table->faceColor[2] = {1, 2, 3, 255};
    ASSERT_TRUE(m.table->RebuildMesh(m.host));
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetColor(), 0xFF010203u);
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetVertexIndex(2), 5);
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
        Vector p;
        m.host.m_pMesh->GetFace(0).GetVertex(0, &p, nullptr);
        EXPECT_EQ(p, (Vector{9, 9, 9}));
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
    EXPECT_EQ(t.vertexIndex[0][0], 0);
    EXPECT_EQ(t.vertexIndex[0][1], 1);
    EXPECT_EQ(t.vertexIndex[0][2], 2);
    EXPECT_EQ(t.vertexIndex[1][0], 2);  // still shared with face 0
    EXPECT_EQ(t.vertexIndex[1][1], 1);
    EXPECT_EQ(t.vertexIndex[1][2], 3);
    ASSERT_TRUE(m.table->RebuildMesh(m.host));
    EXPECT_EQ(t.poolVertexCount, 4);
    Vector p;
    m.host.m_pMesh->GetFace(1).GetVertex(0, &p, nullptr);
    EXPECT_EQ(p, (Vector{89999, 0, 0}));
}

TEST(FaceTableApply, ColourTargetsFullySelectedFacesOrEverything) {
    Model m;
    FillTable(*m.table);
    // Nothing fully selected (face 1 half selected): every face changes.
    m.table->selected[1][0] = m.table->selected[1][1] = 1;
    m.table->ApplyColor(m.host, 0x00102030u);  // 0x00BBGGRR
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(m.table->faceColor[f].red, 0x30);
        EXPECT_EQ(m.table->faceColor[f].green, 0x20);
        EXPECT_EQ(m.table->faceColor[f].blue, 0x10);
        EXPECT_EQ(m.table->faceColor[f].alpha, 255);
        EXPECT_EQ(m.table->faceMark[f], 1);
    }
    EXPECT_EQ(m.host.m_pMesh->GetFace(2).GetColor(), 0xFF302010u);
    // Face 2 fully selected, face 1 partly: only face 2 changes.
    for (int k = 0; k < 3; ++k) m.table->selected[2][k] = 1;
    m.table->ApplyColor(m.host, 0x000000FFu);
    EXPECT_EQ(m.table->faceColor[2].red, 255);
    EXPECT_EQ(m.table->faceColor[2].blue, 0);
    EXPECT_EQ(m.table->faceColor[1].red, 0x30);
    EXPECT_EQ(m.table->faceColor[0].red, 0x30);
    EXPECT_EQ(m.table->faceMark[2], 1);
}

TEST(FaceTableApply, TransparencySetsAlphaOnly) {
    Model m;
    FillTable(*m.table);
    for (int k = 0; k < 4; ++k) m.table->selected[1][k] = 1;
    m.table->ApplyTransparency(m.host, 255);
    EXPECT_EQ(m.table->faceColor[1].alpha, 0);
    EXPECT_EQ(m.table->faceColor[1].red, 192);
    EXPECT_EQ(m.table->faceColor[0].alpha, 255);
    EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetColor(), 0x00C0C0C0u);
    m.table->ApplyTransparency(m.host, 0);
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

}  // namespace
