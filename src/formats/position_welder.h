// Vertices for formats that repeat a position at every corner (STL): corners at exactly the
// same position (bit for bit) share one vertex of the mesh, so the model's normals are
// smooth across them. An open-addressing table of vertex indices, grown by doubling.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "rm/types.h"

namespace formats {

class PositionWelder {
  public:
    // `vertices` receives each new position; `expected` is a hint of how many come.
    PositionWelder(std::vector<rm::Vector>& vertices, std::size_t expected) : vertices_(vertices) {
        std::size_t size = 1024;
        while (size < expected * 2) size *= 2;
        slots_.assign(size, kEmpty);
    }

    // The index of the vertex at `p`, added when it is new.
    std::uint32_t Find(const rm::Vector& p) {
        if ((vertices_.size() + 1) * 2 > slots_.size()) Grow();
        return Lookup(p);
    }

    // A hint that `p` is looked up soon: its slot is fetched into the cache meanwhile.
    void Prefetch(const rm::Vector& p) const {
        __builtin_prefetch(slots_.data() + (Hash(p) & (slots_.size() - 1)));
    }

  private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    static std::uint64_t Hash(const rm::Vector& p) {
        std::uint32_t b[3];
        std::memcpy(b, &p, sizeof b);
        std::uint64_t h = b[0] * 0x9E3779B97F4A7C15ull;
        h ^= (h >> 29) ^ (b[1] * 0xBF58476D1CE4E5B9ull);
        h ^= (h >> 31) ^ (b[2] * 0x94D049BB133111EBull);
        return h ^ (h >> 32);
    }
    static bool Same(const rm::Vector& a, const rm::Vector& b) {
        return std::memcmp(&a, &b, sizeof(rm::Vector)) == 0;
    }

    std::uint32_t Lookup(const rm::Vector& p) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = Hash(p) & mask;; i = (i + 1) & mask) {
            const std::uint32_t v = slots_[i];
            if (v == kEmpty) {
                slots_[i] = static_cast<std::uint32_t>(vertices_.size());
                vertices_.push_back(p);
                return slots_[i];
            }
            if (Same(vertices_[v], p)) return v;
        }
    }

    void Grow() {
        std::vector<std::uint32_t> old(slots_.size() * 2, kEmpty);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (std::uint32_t v : old) {
            if (v == kEmpty) continue;
            std::size_t i = Hash(vertices_[v]) & mask;
            while (slots_[i] != kEmpty) i = (i + 1) & mask;
            slots_[i] = v;
        }
    }

    std::vector<rm::Vector>& vertices_;
    std::vector<std::uint32_t> slots_;
};

}  // namespace formats
