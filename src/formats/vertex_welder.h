// One written vertex per model vertex and distinct set of corner attributes (normal,
// texture coordinates, colour): corners that share a vertex and agree on everything else
// share the written vertex, in order of first use.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/export_view.h"

namespace formats {

template <typename Key>
class VertexWelder {
  public:
    explicit VertexWelder(const ExportView& view) {
        int most = -1;
        std::size_t corners = 0;
        for (int f = 0; f < view.Faces(); ++f) {
            corners += std::size_t(std::max(view.Corners(f), 0));
            for (int i = 0; i < view.Corners(f); ++i) most = std::max(most, view.Vertex(f, i));
        }
        head_.assign(std::size_t(most + 1), -1);
        // Room for a written vertex per corner, the most there can be: the lists are not
        // copied as they grow, and what is not used is never touched.
        keys_.reserve(corners);
        next_.reserve(corners);
    }

    // The written vertex of model vertex `vertex` with attributes `key`; `added` says it is
    // new. A vertex number outside the model's (negative) is never shared.
    std::uint32_t Find(int vertex, const Key& key, bool& added) {
        const bool shared = vertex >= 0 && std::size_t(vertex) < head_.size();
        if (shared) {
            for (int i = head_[std::size_t(vertex)]; i >= 0; i = next_[std::size_t(i)]) {
                if (keys_[std::size_t(i)] == key) {
                    added = false;
                    return std::uint32_t(i);
                }
            }
        }
        const int i = int(keys_.size());
        keys_.push_back(key);
        next_.push_back(shared ? head_[std::size_t(vertex)] : -1);
        if (shared) head_[std::size_t(vertex)] = i;
        added = true;
        return std::uint32_t(i);
    }
    std::size_t Size() const { return keys_.size(); }
    // Every written vertex's attributes, in order.
    const std::vector<Key>& Keys() const { return keys_; }

  private:
    std::vector<int> head_;  // per model vertex: its latest written vertex, -1 none
    std::vector<int> next_;  // per written vertex: the previous one of the same model vertex
    std::vector<Key> keys_;
};

}  // namespace formats
