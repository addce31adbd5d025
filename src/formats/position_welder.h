// Vertices for formats that repeat a position at every corner (STL): corners at exactly the
// same position (bit for bit: 0.0 and -0.0 are two positions, a NaN matches only the same
// NaN) share one vertex of the mesh, so the model's normals are smooth across them. Vertices
// are numbered in the order their positions first come.
//
// An open-addressing table of 32-bit slots, grown by doubling so that it stays at most half
// full. A slot holds a vertex index + 1 and, in the bits the index leaves free, the top bits
// of its position's hash (12 of them in a table for a million positions): a probe that meets
// another position's slot seldom reads that vertex, so a lookup mostly reads one slot
// (fetched ahead with Prefetch) and, when the position is there, the vertex itself.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "rm/types.h"

namespace formats {

class PositionWelder {
  public:
    // `vertices` receives each new position; `expected` is a hint of how many come.
    PositionWelder(std::vector<rm::Vector>& vertices, std::size_t expected)
        : vertices_(vertices), first_(vertices.size()) {
        unsigned bits = 10;
        while ((std::size_t(1) << bits) < expected * 2) ++bits;
        Resize(bits);
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
        if ((vertices_.size() + 1) * 2 > slots_.size()) Resize(bits_ + 1);
        const std::uint32_t tag = Tag(hash);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint32_t s = slots_[i];
            if (s == 0) {
                const auto v = static_cast<std::uint32_t>(vertices_.size());
                vertices_.push_back(p);
                slots_[i] = tag | (v + 1);
                return v;
            }
            if ((s & tagMask_) == tag) {
                const std::uint32_t v = (s & ~tagMask_) - 1;
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
    // The top bits of a slot's hash, above the vertex index + 1 (0: an empty slot).
    std::uint32_t Tag(std::uint64_t hash) const {
        return static_cast<std::uint32_t>(hash >> 32) & tagMask_;
    }

    // A table of 2^bits slots, filled again with the vertices welded so far.
    void Resize(unsigned bits) {
        // The table holds at most half as many vertices as slots: an index + 1 fits in
        // `bits` bits, and 32 - bits bits are left for the tag.
        if (bits > 32) throw std::bad_alloc();
        bits_ = bits;
        tagMask_ = bits == 32 ? 0u : ~((std::uint32_t(1) << bits) - 1);
        slots_.assign(std::size_t(1) << bits, 0);
        const std::size_t mask = slots_.size() - 1;
        for (auto v = static_cast<std::uint32_t>(first_); v < vertices_.size(); ++v) {
            const std::uint64_t h = Hash(vertices_[v]);
            std::size_t i = h & mask;
            while (slots_[i] != 0) i = (i + 1) & mask;
            slots_[i] = Tag(h) | (v + 1);
        }
    }

    std::vector<rm::Vector>& vertices_;
    const std::size_t first_;  // vertices before this one are not welded to
    std::vector<std::uint32_t> slots_;
    unsigned bits_ = 0;
    std::uint32_t tagMask_ = 0;
};

}  // namespace formats
