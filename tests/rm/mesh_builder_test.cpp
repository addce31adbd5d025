#include "rm/mesh_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "rm/frame.h"
#include "rm/root.h"

namespace {

using rm::MeshBuilder;
using rm::Vector;

const std::vector<Vector> kSquare = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};

TEST(MeshBuilderAddFaces, AppendsFacesInListOrderWithCornerOrderKept) {
    MeshBuilder mesh;
    EXPECT_EQ(mesh.GetFaceCount(), 0);
    const std::vector<std::int32_t> list = {3, 0, 1, 2, 4, 3, 2, 1, 0, 0};
    ASSERT_TRUE(mesh.AddFaces(kSquare, {}, list));
    ASSERT_EQ(mesh.GetFaceCount(), 2);
    EXPECT_EQ(mesh.GetFace(0).GetVertexCount(), 3);
    EXPECT_EQ(mesh.GetFace(1).GetVertexCount(), 4);
    EXPECT_EQ(mesh.GetFace(1).GetVertexIndex(0), 3);
    EXPECT_EQ(mesh.GetFace(1).GetVertexIndex(3), 0);
    EXPECT_EQ(mesh.GetFace(0).GetColor(), 0xFFFFFFFFu);  // new faces are opaque white
    Vector p;
    ASSERT_TRUE(mesh.GetFace(1).GetVertex(1, &p, nullptr));
    EXPECT_EQ(p, (Vector{1, 1, 0}));

    // A second call appends after the first; its indices refer to its own array.
    const std::vector<Vector> more = {{5, 5, 5}, {6, 5, 5}, {5, 6, 5}};
    ASSERT_TRUE(mesh.AddFaces(more, {}, std::vector<std::int32_t>{3, 0, 1, 2, 0}));
    ASSERT_EQ(mesh.GetFaceCount(), 3);
    EXPECT_EQ(mesh.GetFace(2).GetVertexIndex(0), 4);
    ASSERT_TRUE(mesh.GetFace(2).GetVertex(2, &p, nullptr));
    EXPECT_EQ(p, (Vector{5, 6, 5}));
}

TEST(MeshBuilderAddFaces, RefusesMalformedListsAndChangesNothing) {
    const std::vector<Vector> normals = {{0, 0, 1}};
    const std::vector<std::vector<std::int32_t>> bad = {
        {3, 0, 1, 4, 0},   // vertex index past the vertex count
        {3, 0, 1, -1, 0},  // negative vertex index
        {5, 0, 1, 2, 0},   // corner count larger than what remains
        {3, 0, 1, 2},      // no closing 0
        {},                // not even the closing 0
        {-2, 0, 1, 0},     // negative corner count
    };
    for (const auto& list : bad) {
        MeshBuilder mesh;
        ASSERT_TRUE(mesh.AddFaces(kSquare, {}, std::vector<std::int32_t>{3, 0, 1, 2, 0}));
        EXPECT_FALSE(mesh.AddFaces(kSquare, {}, list)) << ::testing::PrintToString(list);
        EXPECT_EQ(mesh.GetFaceCount(), 1);
        EXPECT_EQ(mesh.GetVertexCount(), 4u);
    }
    MeshBuilder mesh;
    // normal index past the normal count
    EXPECT_FALSE(
        mesh.AddFaces(kSquare, normals, std::vector<std::int32_t>{3, 0, 0, 1, 1, 2, 0, 0}));
    // pairs: a count of 2 needs 4 entries
    EXPECT_FALSE(mesh.AddFaces(kSquare, normals, std::vector<std::int32_t>{2, 0, 0, 1, 0}));
    EXPECT_EQ(mesh.GetFaceCount(), 0);
    EXPECT_EQ(mesh.GetVertexCount(), 0u);
}

TEST(MeshBuilderAddFaces, AcceptsPointsAndEdges) {
    MeshBuilder mesh;
    ASSERT_TRUE(mesh.AddFaces(kSquare, {}, std::vector<std::int32_t>{1, 3, 2, 0, 1, 0}));
    ASSERT_EQ(mesh.GetFaceCount(), 2);
    EXPECT_EQ(mesh.GetFace(0).GetVertexCount(), 1);
    EXPECT_EQ(mesh.GetFace(1).GetVertexCount(), 2);
    EXPECT_EQ(mesh.GetFace(0).GetNormal(), (Vector{}));
}

TEST(MeshBuilderFaces, ColourTextureAndCoordinatesPerFace) {
    MeshBuilder mesh;
    ASSERT_TRUE(mesh.AddFaces(kSquare, {}, std::vector<std::int32_t>{3, 0, 1, 2, 3, 0, 2, 3, 0}));
    rm::Face f1 = mesh.GetFace(1);
    ASSERT_TRUE(f1.SetColor(0x80FF4020u));
    EXPECT_EQ(f1.GetColor(), 0x80FF4020u);
    // SetColorRGB keeps alpha and rounds to the nearest byte.
    ASSERT_TRUE(f1.SetColorRGB(1.0f, 64.0f / 255.0f, 0.5f));
    EXPECT_EQ(f1.GetColor(), 0x80FF4080u);
    auto tex = std::make_shared<rm::Texture>("wood.bmp");
    ASSERT_TRUE(f1.SetTexture(tex));
    EXPECT_EQ(mesh.GetFace(1).GetTexture(), tex);
    EXPECT_EQ(mesh.GetFace(0).GetTexture(), nullptr);
    ASSERT_TRUE(f1.SetTextureCoordinates(2, 0.25f, 0.75f));
    float u = 0, v = 0;
    ASSERT_TRUE(mesh.GetFace(1).GetTextureCoordinates(2, &u, &v));
    EXPECT_EQ(u, 0.25f);
    EXPECT_EQ(v, 0.75f);
    // Texture coordinates are per corner: the other face's corner of vertex 0 is untouched.
    ASSERT_TRUE(mesh.GetFace(0).GetTextureCoordinates(0, &u, &v));
    EXPECT_EQ(u, 0.0f);
    EXPECT_FALSE(f1.SetTextureCoordinates(3, 0, 0));
    EXPECT_EQ(f1.GetVertexIndex(7), -1);
}

TEST(MeshBuilderFaces, DeleteMovesLaterFacesDown) {
    MeshBuilder mesh;
    ASSERT_TRUE(mesh.AddFaces(kSquare, {},
                              std::vector<std::int32_t>{3, 0, 1, 2, 4, 0, 1, 2, 3, 3, 1, 2, 3, 0}));
    mesh.GetFace(2).SetColor(0xFF00FF00u);
    ASSERT_TRUE(mesh.DeleteFace(mesh.GetFace(1)));
    ASSERT_EQ(mesh.GetFaceCount(), 2);
    EXPECT_EQ(mesh.GetFace(1).GetVertexCount(), 3);
    EXPECT_EQ(mesh.GetFace(1).GetVertexIndex(0), 1);
    EXPECT_EQ(mesh.GetFace(1).GetColor(), 0xFF00FF00u);
    EXPECT_FALSE(mesh.DeleteFace(2));
    EXPECT_FALSE(mesh.GetFace(2).IsValid());
}

TEST(MeshBuilderMerge, AppendsEverythingOfTheOtherMesh) {
    MeshBuilder a, b;
    ASSERT_TRUE(a.AddFaces(kSquare, {}, std::vector<std::int32_t>{3, 0, 1, 2, 0}));
    ASSERT_TRUE(b.AddFaces(kSquare, {}, std::vector<std::int32_t>{3, 3, 2, 1, 0}));
    b.GetFace(0).SetColor(0x11223344u);
    b.GetFace(0).SetTextureCoordinates(1, 0.5f, 0.5f);
    ASSERT_TRUE(a.AddMeshBuilder(b));
    ASSERT_EQ(a.GetFaceCount(), 2);
    EXPECT_EQ(a.GetFace(1).GetColor(), 0x11223344u);
    EXPECT_EQ(a.GetFace(1).GetVertexIndex(0), 4 + 3);
    Vector p;
    float u = 0, v = 0;
    a.GetFace(1).GetVertex(0, &p, nullptr);
    a.GetFace(1).GetTextureCoordinates(1, &u, &v);
    EXPECT_EQ(p, (Vector{0, 1, 0}));
    EXPECT_EQ(u, 0.5f);
    // Merging a mesh into itself doubles it.
    ASSERT_TRUE(a.AddMeshBuilder(a));
    EXPECT_EQ(a.GetFaceCount(), 4);
}

TEST(MeshBuilderGeometry, ScaleAndBoxOfUsedVertices) {
    MeshBuilder mesh;
    std::vector<Vector> verts = kSquare;
    verts.push_back({100, 100, 100});  // not used by any face
    ASSERT_TRUE(mesh.AddFaces(verts, {}, std::vector<std::int32_t>{4, 0, 1, 2, 3, 0}));
    mesh.Scale(2, 3, 4);
    const rm::Box box = mesh.GetBox();
    EXPECT_EQ(box.min, (Vector{0, 0, 0}));
    EXPECT_EQ(box.max, (Vector{2, 3, 0}));
    MeshBuilder empty;
    EXPECT_EQ(empty.GetBox().max, (Vector{}));

    // Many vertices, the used ones scattered over whole and partly used runs of 64, the
    // unused ones far outside: only what a face names counts, whatever the order.
    MeshBuilder big;
    std::vector<Vector> many;
    for (int i = 0; i < 300; ++i) many.push_back({1000.0f + float(i), -1000.0f, 5000.0f});
    std::vector<std::int32_t> list;
    Vector lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (int i = 299; i >= 0; --i) {
        if (i >= 64 && i < 128) continue;  // a whole run unused
        if (i >= 128 && i % 3 != 0) continue;
        many[std::size_t(i)] = {float(i % 17) - 8.0f, float(i % 5), -float(i % 11)};
        list.insert(list.end(), {1, i});
        const Vector& v = many[std::size_t(i)];
        lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
        hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
    }
    list.push_back(0);
    ASSERT_TRUE(big.AddFaces(many, {}, list));
    EXPECT_EQ(big.GetBox().min, lo);
    EXPECT_EQ(big.GetBox().max, hi);
}

// A unit cube of six quads sharing eight vertices, wound outwards.
MeshBuilder Cube() {
    const std::vector<Vector> v = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                   {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const std::vector<std::int32_t> list = {4, 0, 3, 2, 1, 4, 4, 5, 6, 7, 4, 0, 1, 5, 4, 4,
                                            2, 3, 7, 6, 4, 1, 2, 6, 5, 4, 0, 4, 7, 3, 0};
    MeshBuilder mesh;
    EXPECT_TRUE(mesh.AddFaces(v, {}, list));
    return mesh;
}

TEST(MeshBuilderNormals, CreaseAngleKeepsCubeEdgesSharp) {
    MeshBuilder mesh = Cube();
    mesh.GenerateNormals(1.5620698f, rm::GENERATENORMALS_USECREASEANGLE);
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        const Vector faceN = mesh.GetFace(f).GetNormal();
        for (int k = 0; k < 4; ++k) {
            Vector n;
            mesh.GetFace(f).GetVertex(k, nullptr, &n);
            EXPECT_LT(rm::Dot(n - faceN, n - faceN), 1e-12f) << f << " " << k;
        }
    }
    EXPECT_EQ(mesh.GetFace(0).GetNormal(), (Vector{0, 0, -1}));
}

TEST(MeshBuilderNormals, GentleFoldIsSmoothedWithinTheCrease) {
    // Two triangles sharing the edge 1-2, folded by a few degrees.
    const std::vector<Vector> v = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0.1f}};
    MeshBuilder mesh;
    ASSERT_TRUE(mesh.AddFaces(v, {}, std::vector<std::int32_t>{3, 0, 1, 2, 3, 1, 3, 2, 0}));
    mesh.GenerateNormals(1.5620698f, rm::GENERATENORMALS_USECREASEANGLE);
    Vector a, b;
    mesh.GetFace(0).GetVertex(1, nullptr, &a);  // vertex 1 in face 0
    mesh.GetFace(1).GetVertex(0, nullptr, &b);  // vertex 1 in face 1
    EXPECT_EQ(a, b);
    const Vector n0 = mesh.GetFace(0).GetNormal();
    const Vector n1 = mesh.GetFace(1).GetNormal();
    EXPECT_NE(n0, n1);
    const Vector mid = rm::Normalized(n0 + n1);
    EXPECT_NEAR(a.x, mid.x, 1e-6);
    EXPECT_NEAR(a.z, mid.z, 1e-6);
}

TEST(Frames, VisualsAttachOnceAndDetach) {
    rm::Root root;
    rm::FramePtr scene = root.CreateFrame();
    rm::FramePtr model = root.CreateFrame(scene.get());
    ASSERT_EQ(scene->Children().size(), 1u);
    rm::MeshBuilderPtr mesh = root.CreateMeshBuilder();
    EXPECT_TRUE(model->AddVisual(mesh));
    EXPECT_TRUE(model->AddVisual(mesh));
    EXPECT_EQ(model->Visuals().size(), 1u);
    EXPECT_TRUE(model->DeleteVisual(mesh));
    EXPECT_FALSE(model->DeleteVisual(mesh));
    EXPECT_TRUE(model->Visuals().empty());
    root.FailNext(rm::Root::Op::CreateMeshBuilder);
    EXPECT_EQ(root.CreateMeshBuilder(), nullptr);
    EXPECT_NE(root.CreateMeshBuilder(), nullptr);
}

TEST(Colours, FloatChannelsRoundToTheNearestByte) {
    for (int b = 0; b <= 255; ++b) {
        EXPECT_EQ(rm::ChannelToByte(float(b) * (1.0f / 255.0f)), b);
    }
    EXPECT_EQ(rm::ChannelToByte(-0.5f), 0);
    EXPECT_EQ(rm::ChannelToByte(7.0f), 255);
    EXPECT_EQ(rm::ChannelToByte(std::nanf("")), 0);
}

TEST(MeshBuilderMerge, AnEmptyMeshTakesTheOthersStorage) {
    rm::MeshBuilder target, loaded;
    target.SetQuality(rm::Quality::Flat);
    ASSERT_TRUE(loaded.AddFaces(kSquare, {}, std::vector<std::int32_t>{4, 0, 1, 2, 3, 0}));
    loaded.GetFace(0).SetColor(0x80112233u);
    ASSERT_TRUE(target.AddMeshBuilder(std::move(loaded)));
    ASSERT_EQ(target.GetFaceCount(), 1);
    EXPECT_EQ(target.GetFace(0).GetColor(), 0x80112233u);
    EXPECT_EQ(target.GetQuality(), rm::Quality::Flat);  // the target's own settings stay
    // A second merge into a mesh that has faces copies and appends.
    rm::MeshBuilder more;
    ASSERT_TRUE(more.AddFaces(kSquare, {}, std::vector<std::int32_t>{3, 0, 1, 2, 0}));
    ASSERT_TRUE(target.AddMeshBuilder(std::move(more)));
    ASSERT_EQ(target.GetFaceCount(), 2);
    EXPECT_EQ(target.GetFace(1).GetVertexIndex(0), 4);
}

}  // namespace
