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

}  // namespace rm
