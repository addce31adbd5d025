// Building a mesh face by face (the readers' path) and the textures the mesh holds for its
// faces.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "rm/face_data.h"
#include "rm/mesh_builder.h"

namespace {

using rm::MeshBuilder;
using rm::Vector;

MeshBuilder Square() {
    MeshBuilder mesh;
    mesh.Vertices() = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.Normals() = {{0, 0, 1}};
    return mesh;
}

TEST(MeshBuilderAppend, AddsCheckedFacesAndRefusesBadOnesWhole) {
    MeshBuilder mesh = Square();
    const std::uint32_t quad[4] = {0, 1, 2, 3};
    ASSERT_TRUE(mesh.AppendFace(quad, 0));
    const std::uint32_t triangle[3] = {3, 2, 1};
    const std::uint32_t perCorner[3] = {0, MeshBuilder::kNoNormal, 0};
    ASSERT_TRUE(mesh.AppendFace(triangle, perCorner));
    ASSERT_EQ(mesh.GetFaceCount(), 2);
    EXPECT_EQ(mesh.GetFace(1).GetVertexIndex(0), 3);
    EXPECT_EQ(mesh.FaceCorners(1)[1].normal, MeshBuilder::kNoNormal);
    EXPECT_EQ(mesh.FaceCorners(0)[3].normal, 0u);
    EXPECT_EQ(mesh.GetFace(1).GetColor(), MeshBuilder::kDefaultFaceColor);

    // A vertex or normal out of range, no corners, or a normal list of another length:
    // nothing is added.
    const std::uint32_t outside[3] = {0, 1, 4};
    const std::uint32_t badNormals[3] = {0, 1, 0};
    EXPECT_FALSE(mesh.AppendFace(outside, MeshBuilder::kNoNormal));
    EXPECT_FALSE(mesh.AppendFace(triangle, 1));
    EXPECT_FALSE(mesh.AppendFace(triangle, badNormals));
    EXPECT_FALSE(mesh.AppendFace(std::span<const std::uint32_t>(), 0));
    EXPECT_FALSE(mesh.AppendFace(triangle, std::span<const std::uint32_t>(perCorner, 2)));
    EXPECT_EQ(mesh.GetFaceCount(), 2);
    EXPECT_EQ(mesh.GetCornerCount(), 7u);
}

TEST(MeshBuilderAppend, LongPolygonsBecomeTrianglesOrNothing) {
    MeshBuilder mesh;
    std::vector<std::uint32_t> ring;
    for (int k = 0; k < 20; ++k) {
        const float a = 6.2831853f * float(k) / 20.0f;
        mesh.Vertices().push_back({std::cos(a), std::sin(a), 0.0f});
        ring.push_back(std::uint32_t(k));
    }
    mesh.Normals() = {{0, 0, 1}};
    rm::PolygonAppender polygons(mesh);
    const std::uint32_t shared = 0;
    EXPECT_EQ(polygons.Add(ring, std::span<const std::uint32_t>(&shared, 1)), 18u);
    EXPECT_EQ(mesh.GetFaceCount(), 18);
    for (int f = 0; f < 18; ++f) {
        for (const auto& c : mesh.FaceCorners(std::size_t(f))) EXPECT_EQ(c.normal, 0u);
    }
    // One bad corner anywhere refuses the whole polygon, split or not.
    ring[19] = 20;
    EXPECT_EQ(polygons.Add(ring, {}), 0u);
    const std::vector<std::uint32_t> shortOutside = {0, 1, 99};
    EXPECT_EQ(polygons.Add(shortOutside, {}), 0u);
    EXPECT_EQ(mesh.GetFaceCount(), 18);
}

TEST(MeshBuilderTextures, FacesKeepTheirTexturesThroughCopiesAndMerges) {
    auto wood = std::make_shared<rm::Texture>("wood.bmp");
    std::weak_ptr<rm::Texture> watch = wood;
    MeshBuilder merged;
    {
        MeshBuilder source = Square();
        const std::uint32_t quad[4] = {0, 1, 2, 3};
        ASSERT_TRUE(source.AppendFace(quad, 0));
        ASSERT_TRUE(source.AppendFace(quad, 0));
        source.SetFaceTexture(1, wood);
        wood.reset();
        MeshBuilder copied(source);
        ASSERT_TRUE(merged.AddMeshBuilder(copied));  // copied: the other mesh keeps its own
        ASSERT_TRUE(merged.AddMeshBuilder(std::move(source)));
    }
    ASSERT_FALSE(watch.expired());
    ASSERT_EQ(merged.GetFaceCount(), 4);
    EXPECT_EQ(merged.GetFace(0).GetTexture(), nullptr);
    ASSERT_NE(merged.GetFace(3).GetTexture(), nullptr);
    EXPECT_EQ(merged.GetFace(3).GetTexture()->GetName(), "wood.bmp");
    EXPECT_EQ(merged.TextureAt(1), merged.TextureAt(3));
    merged.SetTexture(nullptr);
    EXPECT_TRUE(watch.expired());  // no face names it: the mesh let it go
}

TEST(MeshBuilderTextures, ReplacedTexturesAreNotKeptForever) {
    MeshBuilder mesh = Square();
    const std::uint32_t quad[4] = {0, 1, 2, 3};
    ASSERT_TRUE(mesh.AppendFace(quad, 0));
    std::weak_ptr<rm::Texture> first;
    for (int i = 0; i < 100; ++i) {
        auto t = std::make_shared<rm::Texture>("t" + std::to_string(i));
        if (i == 0) first = t;
        mesh.GetFace(0).SetTexture(t);
    }
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(mesh.GetFace(0).GetTexture()->GetName(), "t99");
}

}  // namespace

// Every corner of a mesh as (vertex, normal, u, v), face after face.
using CornerRow = std::tuple<std::uint32_t, std::uint32_t, float, float>;
std::vector<std::vector<CornerRow>> CornersOf(const MeshBuilder& mesh) {
    std::vector<std::vector<CornerRow>> out;
    for (std::size_t f = 0; f < mesh.FaceRecords().size(); ++f) {
        auto& face = out.emplace_back();
        for (const MeshBuilder::Corner& c : mesh.FaceCorners(f)) {
            face.emplace_back(c.vertex, c.normal, c.u, c.v);
        }
    }
    return out;
}

constexpr std::uint32_t kNo = MeshBuilder::kNoNormal;

// The mesh keeps a corner's normal and texture coordinates apart only once some face needs
// them: faces before and after that point, merges either way and deletions must all read
// back corner by corner.
TEST(MeshBuilderCorners, SharedAndOwnNormalsAndCoordinatesReadBackPerCorner) {
    MeshBuilder mesh = Square();
    mesh.Normals().push_back({0, 1, 0});
    const std::uint32_t tri[3] = {0, 1, 2};
    const std::uint32_t quad[4] = {0, 1, 2, 3};
    const std::uint32_t own[4] = {0, 1, 0, kNo};
    const std::uint32_t back[3] = {2, 3, 0};
    ASSERT_TRUE(mesh.AppendFace(tri, 0));
    mesh.SetCornerTextureCoordinates(0, 1, 0.0f, 0.0f);  // (0, 0) everywhere: nothing kept
    EXPECT_FALSE(mesh.HasTextureCoordinates());
    ASSERT_TRUE(mesh.AppendFace(quad, own));
    ASSERT_TRUE(mesh.AppendFace(back, 1));
    mesh.SetCornerTextureCoordinates(1, 2, 0.5f, 0.25f);
    mesh.SetCornerTextureCoordinates(2, 0, -0.0f, 1.0f);
    EXPECT_TRUE(mesh.HasTextureCoordinates());
    const std::vector<std::vector<CornerRow>> want = {
        {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}},
        {{0, 0, 0, 0}, {1, 1, 0, 0}, {2, 0, 0.5f, 0.25f}, {3, kNo, 0, 0}},
        {{2, 1, -0.0f, 1}, {3, 1, 0, 0}, {0, 1, 0, 0}}};
    EXPECT_EQ(CornersOf(mesh), want);
    EXPECT_TRUE(std::signbit(mesh.FaceCorners(2)[0].u));

    // Into a mesh of shared normals only, and that mesh into this one.
    MeshBuilder plain = Square();
    ASSERT_TRUE(plain.AppendFace(back, 0));
    MeshBuilder merged = plain;
    ASSERT_TRUE(merged.AddMeshBuilder(mesh));
    ASSERT_EQ(merged.GetFaceCount(), 4);
    std::vector<std::vector<CornerRow>> shifted = {{{2, 0, 0, 0}, {3, 0, 0, 0}, {0, 0, 0, 0}}};
    for (auto face : want) {
        for (auto& [vertex, normal, u, v] : face) {
            vertex += 4;
            if (normal != kNo) normal += 1;
        }
        shifted.push_back(face);
    }
    EXPECT_EQ(CornersOf(merged), shifted);
    MeshBuilder other = mesh;
    ASSERT_TRUE(other.AddMeshBuilder(plain));
    std::vector<std::vector<CornerRow>> appended = want;
    appended.push_back({{6, 2, 0, 0}, {7, 2, 0, 0}, {4, 2, 0, 0}});
    EXPECT_EQ(CornersOf(other), appended);

    // Deleting the face of own normals moves the next face's corners down with it.
    ASSERT_TRUE(mesh.DeleteFace(1));
    EXPECT_EQ(CornersOf(mesh), (std::vector<std::vector<CornerRow>>{want[0], want[2]}));
    const std::uint32_t more[3] = {3, 2, 1};
    ASSERT_TRUE(mesh.AppendFace(more, 1));
    EXPECT_EQ(CornersOf(mesh).back(),
              (std::vector<CornerRow>{{3, 1, 0, 0}, {2, 1, 0, 0}, {1, 1, 0, 0}}));
}

TEST(MeshBuilderCorners, AFaceListOfMixedNormalsIsTakenBackWholeWhenALaterFaceIsBad) {
    const std::vector<Vector> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const std::vector<Vector> normals = {{0, 0, 1}, {0, 0, -1}};
    MeshBuilder mesh;
    ASSERT_TRUE(mesh.AddFaces(square, normals, std::vector<std::int32_t>{3, 0, 0, 1, 0, 2, 0, 0}));
    const auto before = CornersOf(mesh);
    // The first face's corners have two normals; the second face names vertex 9.
    EXPECT_FALSE(mesh.AddFaces(
        square, normals, std::vector<std::int32_t>{3, 0, 0, 1, 1, 2, 0, 3, 0, 0, 1, 0, 9, 0, 0}));
    EXPECT_EQ(CornersOf(mesh), before);
    EXPECT_EQ(mesh.GetVertexCount(), 4u);
    ASSERT_TRUE(mesh.AddFaces(square, normals, std::vector<std::int32_t>{3, 0, 0, 1, 1, 2, 0, 0}));
    EXPECT_EQ(CornersOf(mesh).back(),
              (std::vector<CornerRow>{{4, 2, 0, 0}, {5, 3, 0, 0}, {6, 2, 0, 0}}));
    EXPECT_EQ(CornersOf(mesh).front(), before.front());
}

TEST(MeshBuilderTextures, MergedFacesKeepTheirOwnTexturesAmongTheTargetsOwn) {
    auto a = std::make_shared<rm::Texture>("a.bmp");
    auto b = std::make_shared<rm::Texture>("b.bmp");
    const std::uint32_t tri[3] = {0, 1, 2};
    MeshBuilder target = Square();
    ASSERT_TRUE(target.AppendFace(tri, 0));
    target.SetFaceTexture(0, a);
    MeshBuilder source = Square();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(source.AppendFace(tri, 0));
    source.SetFaceTexture(0, b);
    source.SetFaceTexture(1, a);
    ASSERT_TRUE(target.AddMeshBuilder(source));
    ASSERT_EQ(target.GetFaceCount(), 4);
    EXPECT_EQ(target.TextureAt(0), a.get());
    EXPECT_EQ(target.TextureAt(1), b.get());
    EXPECT_EQ(target.TextureAt(2), a.get());
    EXPECT_EQ(target.TextureAt(3), nullptr);
    EXPECT_EQ(target.FaceRecords()[0].texture, target.FaceRecords()[2].texture);
    // An empty mesh that already holds a texture takes the faces by copying.
    MeshBuilder empty;
    empty.SetTexture(a);
    MeshBuilder moved = source;
    ASSERT_TRUE(empty.AddMeshBuilder(std::move(moved)));
    EXPECT_EQ(empty.TextureOf(0), b);
    EXPECT_EQ(empty.TextureOf(1), a);
    EXPECT_EQ(empty.TextureOf(2), nullptr);
}
