// The face-data list that MeshBuilder::AddFaces takes: per face its corner count n, then n
// vertex indices, or n (vertex index, normal index) pairs when normals are given; a single
// 0 ends the list. Readers and the model store build it with this class; readers that
// fill a mesh face by face use PolygonAppender (below) for the same polygon rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "rm/mesh_builder.h"
#include "rm/polygon.h"
#include "rm/types.h"

namespace rm {

class FaceDataList {
  public:
    void Reserve(std::size_t entries) { data_.reserve(entries); }
    // A face of vertex indices only (a list for a mesh without normals).
    void AddFace(std::span<const std::int32_t> vertices) {
        data_.push_back(static_cast<std::int32_t>(vertices.size()));
        data_.insert(data_.end(), vertices.begin(), vertices.end());
    }
    // Corners that all share one normal index.
    void AddFace(std::span<const std::int32_t> vertices, std::int32_t normal) {
        data_.push_back(static_cast<std::int32_t>(vertices.size()));
        for (std::int32_t v : vertices) {
            data_.push_back(v);
            data_.push_back(normal);
        }
    }
    // Corners with a normal index each (`normals` as long as `vertices`).
    void AddFace(std::span<const std::int32_t> vertices, std::span<const std::int32_t> normals) {
        data_.push_back(static_cast<std::int32_t>(vertices.size()));
        for (std::size_t k = 0; k < vertices.size(); ++k) {
            data_.push_back(vertices[k]);
            data_.push_back(normals[k]);
        }
    }
    // A polygon of a file, its corners `vertices` (indices into `positions`) with the
    // normal indices `normals` (one per corner, a single one that all corners share, or
    // none for a list without normals):
    // added whole when it has at most kMaxFaceCorners corners, else as the triangles of
    // SplitPolygon, all in its winding. Returns the number of faces added. A polygon that
    // names a vertex outside `positions` is added whole, for AddFaces to refuse.
    std::size_t AddPolygon(std::span<const Vector> positions,
                           std::span<const std::int32_t> vertices,
                           std::span<const std::int32_t> normals);
    std::size_t AddPolygon(std::span<const Vector> positions,
                           std::span<const std::int32_t> vertices, std::int32_t normal) {
        return AddPolygon(positions, vertices, std::span<const std::int32_t>(&normal, 1));
    }

    void Finish() { data_.push_back(0); }
    std::span<const std::int32_t> Data() const { return data_; }
    bool Empty() const { return data_.empty(); }
    void Clear() { data_.clear(); }

  private:
    std::vector<std::int32_t> data_;
    std::vector<Vector> corners_;  // scratch of AddPolygon
    std::vector<Triangle> triangles_;
};

// The same rule for a mesh built face by face (MeshBuilder::AppendFace): a polygon whose
// corners are vertices of the mesh goes in whole when it has at most kMaxFaceCorners
// corners, else as the triangles of SplitPolygon. `normals` holds one normal index per
// corner, a single one for every corner, or none (no normal). Returns the number of faces
// added; 0 when the mesh refused the polygon (no corners, or an index out of range).
class PolygonAppender {
  public:
    explicit PolygonAppender(MeshBuilder& mesh) : mesh_(mesh) {}
    std::size_t Add(std::span<const std::uint32_t> vertices,
                    std::span<const std::uint32_t> normals);

  private:
    MeshBuilder& mesh_;
    std::vector<Vector> corners_;  // scratch
    std::vector<Triangle> triangles_;
};

}  // namespace rm
