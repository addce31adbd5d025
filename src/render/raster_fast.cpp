// The fast fill: for each row the span of covered pixels is found from the three edge
// values with one division per edge, and the planes are stepped along the span instead
// of evaluated per pixel. Integer arithmetic throughout, so the pixels and their values
// are exactly those of the reference fill.
#include <algorithm>

#include "render/raster.h"

namespace render::raster {

namespace {

// The columns k >= 0 of a row where e + s k >= 0, intersected into [lo, hi].
inline void ClipSpan(std::int64_t e, std::int64_t s, std::int64_t& lo, std::int64_t& hi) {
    if (s > 0) {
        if (e < 0) lo = std::max(lo, (-e + s - 1) / s);
    } else if (s < 0) {
        if (e < 0) {
            hi = -1;
        } else {
            hi = std::min(hi, e / -s);
        }
    } else if (e < 0) {
        hi = -1;
    }
}

}  // namespace

void FillFast(const Triangle& tri, const FaceStyle& style, const Target& target) {
    const bool flat = !style.gouraud && !style.mono && !style.texture;
    const bool plainGouraud = style.gouraud && !style.mono && !style.texture;
    const bool opaque = style.alpha == 255;
    const std::int64_t width = tri.maxX - tri.minX + 1;
    std::int64_t e0 = tri.e[0], e1 = tri.e[1], e2 = tri.e[2];
    for (int y = tri.minY; y <= tri.maxY; ++y, e0 += tri.ey[0], e1 += tri.ey[1], e2 += tri.ey[2]) {
        std::int64_t lo = 0, hi = width - 1;
        ClipSpan(e0, tri.ex[0], lo, hi);
        ClipSpan(e1, tri.ex[1], lo, hi);
        ClipSpan(e2, tri.ex[2], lo, hi);
        if (lo > hi) continue;
        const int dy = y - tri.minY;
        const int k0 = int(lo), k1 = int(hi);
        const std::size_t row = std::size_t(y) * std::size_t(target.stride) + std::size_t(tri.minX);
        std::uint32_t* color = target.color + row;
        std::uint16_t* depth = target.depth ? target.depth + row : nullptr;
        std::uint32_t z = static_cast<std::uint32_t>(tri.z.At(k0, dy));
        const std::uint32_t zdx = static_cast<std::uint32_t>(tri.z.dx);
        if (flat && opaque) {
            const std::uint32_t c = style.color;
            if (depth) {
                for (int k = k0; k <= k1; ++k, z += zdx) {
                    const std::uint32_t d = DepthOf(static_cast<std::int32_t>(z));
                    if (d < depth[k]) {
                        depth[k] = static_cast<std::uint16_t>(d);
                        color[k] = c;
                    }
                }
            } else {
                std::fill(color + k0, color + k1 + 1, c);
            }
            continue;
        }
        if (plainGouraud && opaque) {
            std::uint32_t r = static_cast<std::uint32_t>(tri.r.At(k0, dy));
            std::uint32_t g = static_cast<std::uint32_t>(tri.g.At(k0, dy));
            std::uint32_t b = static_cast<std::uint32_t>(tri.b.At(k0, dy));
            const std::uint32_t rdx = static_cast<std::uint32_t>(tri.r.dx);
            const std::uint32_t gdx = static_cast<std::uint32_t>(tri.g.dx);
            const std::uint32_t bdx = static_cast<std::uint32_t>(tri.b.dx);
            for (int k = k0; k <= k1; ++k, z += zdx, r += rdx, g += gdx, b += bdx) {
                const std::uint32_t d = DepthOf(static_cast<std::int32_t>(z));
                if (depth) {
                    if (d >= depth[k]) continue;
                    depth[k] = static_cast<std::uint16_t>(d);
                }
                color[k] = (Channel(static_cast<std::int32_t>(r)) << 16) |
                           (Channel(static_cast<std::int32_t>(g)) << 8) |
                           Channel(static_cast<std::int32_t>(b));
            }
            continue;
        }
        // Stippled, textured or ramp-shaded: the shared per-pixel rules.
        for (int k = k0; k <= k1; ++k, z += zdx) {
            if (!opaque && !StippleKeeps(style.alpha, tri.minX + k, y)) continue;
            const std::uint32_t d = DepthOf(static_cast<std::int32_t>(z));
            if (depth) {
                if (d >= depth[k]) continue;
                depth[k] = static_cast<std::uint16_t>(d);
            }
            color[k] = flat ? style.color : ShadePixel(tri, style, k, dy);
        }
    }
}

}  // namespace render::raster
