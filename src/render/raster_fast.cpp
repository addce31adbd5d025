// The fast fill. Each edge's first and last covered column is walked from row to row
// with a quotient and a remainder (exact integer steps, no division per row), and the
// planes are stepped along the span instead of evaluated per pixel. The pixels and their
// values are therefore exactly those of the reference fill.
#include <algorithm>
#include <cmath>

#include "render/raster.h"

namespace render::raster {

namespace {

// floor(a / b) for b > 0, through a double estimate corrected by one step (|a| < 2^53).
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = static_cast<std::int64_t>(std::floor(double(a) / double(b)));
    while (q * b > a) --q;
    while ((q + 1) * b <= a) ++q;
    return q;
}

// floor(m / s) as m grows by `step` each row: q and r with m = q s + r, 0 <= r < s.
struct EdgeWalk {
    std::int64_t q, r, s, dq, dr;
    void Init(std::int64_t m, std::int64_t divisor, std::int64_t step) {
        s = divisor;
        q = FloorDiv(m, s);
        r = m - q * s;
        dq = FloorDiv(step, s);
        dr = step - dq * s;
    }
    void Next() {
        q += dq;
        r += dr;
        if (r >= s) {
            ++q;
            r -= s;
        }
    }
};

}  // namespace

void FillFast(const Triangle& tri, const FaceStyle& style, const Target& target) {
    constexpr std::int64_t kSmallWidth = 12;
    const bool flat = !style.gouraud && !style.mono && !style.texture;
    const bool plainGouraud = style.gouraud && !style.mono && !style.texture;
    const bool opaque = style.alpha == 255;
    const std::int64_t width = tri.maxX - tri.minX + 1;

    // One row's span [k0, k1] (columns from minX), filled with the planes stepped along it.
    auto span = [&](int y, int k0, int k1) {
        const int dy = y - tri.minY;
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
            return;
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
            return;
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
    };

    if (width <= kSmallWidth) {
        // Narrow boxes: the edge values are stepped across the row, no division at all.
        std::int64_t r0 = tri.e[0], r1 = tri.e[1], r2 = tri.e[2];
        for (int y = tri.minY; y <= tri.maxY;
             ++y, r0 += tri.ey[0], r1 += tri.ey[1], r2 += tri.ey[2]) {
            std::int64_t e0 = r0, e1 = r1, e2 = r2;
            int k0 = -1, k1 = -1;
            for (int k = 0; k < int(width);
                 ++k, e0 += tri.ex[0], e1 += tri.ex[1], e2 += tri.ex[2]) {
                if ((e0 | e1 | e2) >= 0) {
                    if (k0 < 0) k0 = k;
                    k1 = k;
                } else if (k0 >= 0) {
                    break;  // a triangle's row is one span
                }
            }
            if (k0 >= 0) span(y, k0, k1);
        }
        return;
    }

    // Edge i covers column k of row y when e + ex k + ey y >= 0: for ex > 0 from
    // ceil((-e - ey y) / ex) on, for ex < 0 up to floor((e + ey y) / -ex), for ex = 0 the
    // whole row or nothing.
    EdgeWalk lower[3], upper[3];
    int lowers = 0, uppers = 0;
    std::int64_t level[3], levelStep[3];
    int levels = 0;
    for (int i = 0; i < 3; ++i) {
        const std::int64_t e = tri.e[i], ex = tri.ex[i], ey = tri.ey[i];
        if (ex > 0) {
            lower[lowers++].Init(-e + ex - 1, ex, -ey);
        } else if (ex < 0) {
            upper[uppers++].Init(e, -ex, ey);
        } else {
            level[levels] = e;
            levelStep[levels++] = ey;
        }
    }
    for (int y = tri.minY; y <= tri.maxY; ++y) {
        std::int64_t lo = 0, hi = width - 1;
        for (int i = 0; i < lowers; ++i) {
            lo = std::max(lo, lower[i].q);
            lower[i].Next();
        }
        for (int i = 0; i < uppers; ++i) {
            hi = std::min(hi, upper[i].q);
            upper[i].Next();
        }
        for (int i = 0; i < levels; ++i) {
            if (level[i] < 0) hi = -1;
            level[i] += levelStep[i];
        }
        if (lo <= hi) span(y, int(lo), int(hi));
    }
}

}  // namespace render::raster
