// What every reader shares: the face-data list that MeshBuilder::AddFaces takes, the face
// normal of three corners, and the merge of a reader's temporary mesh into the model.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/model_host.h"
#include "rm/mesh_builder.h"
#include "rm/types.h"

namespace formats {

// A face-data list under construction: per face its corner count, then its vertex indices
// (or vertex/normal index pairs); Finish() appends the closing 0.
class FaceDataList {
  public:
    void Reserve(std::size_t entries) { data_.reserve(entries); }
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
    void Finish() { data_.push_back(0); }
    std::span<const std::int32_t> Data() const { return data_; }
    bool Empty() const { return data_.empty(); }
    void Clear() { data_.clear(); }

  private:
    std::vector<std::int32_t> data_;
};

// (A - B) x (A - C) in 32-bit floats, divided by its length unless that is exactly 0.
rm::Vector FaceNormal(const rm::Vector& a, const rm::Vector& b, const rm::Vector& c);

// Appends the faces of a reader's temporary mesh to the model's mesh. When the merge fails
// (or the model has no mesh), the model's mesh stays exactly as it was and the result is 0.
// The temporary mesh is used up: its storage may move into the model (when the model is
// empty, nothing is copied). On failure `error` says so.
int MergeIntoModel(model::ModelHost& host, rm::MeshBuilder& loaded, std::string* error = nullptr);

}  // namespace formats
