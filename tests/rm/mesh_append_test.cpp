// Building a mesh face by face (the readers' path) and the textures the mesh holds for its
// faces.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
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
