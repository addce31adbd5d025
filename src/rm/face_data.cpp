#include "rm/face_data.h"

namespace rm {

std::size_t FaceDataList::AddPolygon(std::span<const Vector> positions,
                                     std::span<const std::int32_t> vertices,
                                     std::span<const std::int32_t> normals) {
    if (vertices.empty()) return 0;  // a 0 would end the list
    const bool withNormals = !normals.empty();
    const bool shared = normals.size() == 1;
    auto put = [&](std::int32_t vertex, std::size_t k) {
        data_.push_back(vertex);
        if (withNormals) data_.push_back(shared ? normals[0] : normals[k]);
    };
    bool inside = true;
    for (std::int32_t v : vertices) inside = inside && v >= 0 && std::size_t(v) < positions.size();
    if (vertices.size() <= kMaxFaceCorners || !inside) {
        data_.push_back(static_cast<std::int32_t>(vertices.size()));
        for (std::size_t k = 0; k < vertices.size(); ++k) put(vertices[k], k);
        return 1;
    }
    corners_.clear();
    for (std::int32_t v : vertices) corners_.push_back(positions[std::size_t(v)]);
    SplitPolygon(corners_, triangles_);
    for (const Triangle& t : triangles_) {
        data_.push_back(3);
        for (std::uint32_t k : t) put(vertices[k], k);
    }
    return triangles_.size();
}

std::size_t PolygonAppender::Add(std::span<const std::uint32_t> vertices,
                                 std::span<const std::uint32_t> normals) {
    const std::size_t n = vertices.size();
    const auto& positions = mesh_.Vertices();
    const auto normalOf = [&](std::size_t k) {
        return normals.empty()       ? MeshBuilder::kNoNormal
               : normals.size() == 1 ? normals[0]
                                     : normals[k];
    };
    if (normals.size() > 1 && normals.size() != n) return 0;
    if (n <= kMaxFaceCorners) {
        if (normals.size() > 1) return mesh_.AppendFace(vertices, normals) ? 1 : 0;
        return mesh_.AppendFace(vertices, normalOf(0)) ? 1 : 0;
    }
    // Every index is checked first, so that no triangle is added unless all are.
    for (std::uint32_t v : vertices) {
        if (v >= positions.size()) return 0;
    }
    for (std::uint32_t i : normals) {
        if (i != MeshBuilder::kNoNormal && i >= mesh_.Normals().size()) return 0;
    }
    corners_.clear();
    for (std::uint32_t v : vertices) corners_.push_back(positions[v]);
    SplitPolygon(corners_, triangles_);
    const std::size_t before = mesh_.FaceRecords().size();
    for (const Triangle& t : triangles_) {
        const std::uint32_t corners[3] = {vertices[t[0]], vertices[t[1]], vertices[t[2]]};
        const std::uint32_t cornerNormals[3] = {normalOf(t[0]), normalOf(t[1]), normalOf(t[2])};
        if (!mesh_.AppendFace(corners, cornerNormals)) return 0;
    }
    return mesh_.FaceRecords().size() - before;
}

}  // namespace rm
