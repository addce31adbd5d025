// Vertices for formats that repeat a position at every corner (STL): corners at exactly the
// same position (bit for bit: 0.0 and -0.0 are two positions, a NaN matches only the same
// NaN) share one vertex of the mesh, so the model's normals are smooth across them. Vertices
// are numbered in the order their positions first come.
//
// An open-addressing table, grown by doubling so that it stays at most half full. Each slot
// holds a vertex index and the upper half of its position's hash: a probe that meets another
// position's slot almost never reads that vertex, so a lookup reads one slot (fetched ahead
// with Prefetch) and, when the position is there, the vertex itself.
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

    static std::uint64_t Hash(const rm::Vector& p) {
        std::uint32_t b[3];
        std::memcpy(b, &p, sizeof b);
        std::uint64_t h = b[0] * 0x9E3779B97F4A7C15ull;
        h ^= (h >> 29) ^ (b[1] * 0xBF58476D1CE4E5B9ull);
        h ^= (h >> 31) ^ (b[2] * 0x94D049BB133111EBull);
        return h ^ (h >> 32);
    }

    // The index of the vertex at `p`, added when it is new; `hash` is Hash(p).
    std::uint32_t Find(const rm::Vector& p, std::uint64_t hash) {
        if ((vertices_.size() + 1) * 2 > slots_.size()) Grow();
        const std::uint64_t tag = hash & kTagBits;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint64_t s = slots_[i];
            if (s == kEmpty) {
                // Fewer than 2^32 - 1 vertices: the input files are far smaller than that.
                const auto v = static_cast<std::uint32_t>(vertices_.size());
                vertices_.push_back(p);
                slots_[i] = tag | v;
                return v;
            }
            if ((s & kTagBits) == tag) {
                const auto v = static_cast<std::uint32_t>(s);
                if (std::memcmp(&vertices_[v], &p, sizeof p) == 0) return v;
            }
        }
    }
    std::uint32_t Find(const rm::Vector& p) { return Find(p, Hash(p)); }

    // A hint that the position of this hash is looked up soon: its slot is fetched into the
    // cache meanwhile.
    void Prefetch(std::uint64_t hash) const {
        __builtin_prefetch(slots_.data() + (hash & (slots_.size() - 1)));
    }

  private:
    static constexpr std::uint64_t kEmpty = ~std::uint64_t(0);
    static constexpr std::uint64_t kTagBits = ~std::uint64_t(0xFFFFFFFFu);

    void Grow() {
        std::vector<std::uint64_t> old(slots_.size() * 2, kEmpty);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (std::uint64_t s : old) {
            if (s == kEmpty) continue;
            std::size_t i = Hash(vertices_[static_cast<std::uint32_t>(s)]) & mask;
            while (slots_[i] != kEmpty) i = (i + 1) & mask;
            slots_[i] = s;
        }
    }

    std::vector<rm::Vector>& vertices_;
    std::vector<std::uint64_t> slots_;
};

}  // namespace formats
