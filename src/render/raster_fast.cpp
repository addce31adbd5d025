// The fast fill. Each edge's first or last covered column is walked from row to row with
// a quotient and a remainder (exact integer steps, no division per row), and the planes
// are stepped from row to row and along the span instead of evaluated per pixel. The
// pixels and their values are therefore exactly those of the reference fill.
#include <algorithm>
#include <limits>

#include "render/raster.h"

namespace render::raster {

namespace {

// floor(a / b) for b > 0.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// A bound of the covered columns of each row: floor(m / s) as m grows by `step` each
// row, kept as q and r with m = q s + r, 0 <= r < s. An edge parallel to the rows bounds
// nothing while its value is >= 0 and everything away when it is < 0.
struct EdgeWalk {
    std::int64_t q, r, s, dq, dr;
    std::int64_t level, levelStep;  // edges parallel to the rows
    bool parallel;

    void InitBound(std::int64_t m, std::int64_t divisor, std::int64_t step) {
        parallel = false;
        s = divisor;
        q = FloorDiv(m, s);
        r = m - q * s;
        if (step >= 0 && step < s) {
            dq = 0;
            dr = step;
        } else if (step < 0 && step >= -s) {
            dq = -1;
            dr = step + s;
        } else {
            dq = FloorDiv(step, s);
            dr = step - dq * s;
        }
    }
    void InitParallel(std::int64_t e, std::int64_t step) {
        parallel = true;
        level = e;
        levelStep = step;
    }
    void Next() {
        if (parallel) {
            level += levelStep;
            return;
        }
        q += dq;
        r += dr;
        if (r >= s) {
            ++q;
            r -= s;
        }
    }
};

inline std::uint32_t U(std::int32_t v) {
    return static_cast<std::uint32_t>(v);
}
inline std::int32_t S(std::uint32_t v) {
    return static_cast<std::int32_t>(v);
}

}  // namespace

void FillFast(const Triangle& tri, const FaceStyle& style, const Target& target) {
    // The rows inside the target (a band of the picture when threads share it).
    const int firstRow = std::max(tri.minY, target.clipY0);
    const int lastRow = std::min(tri.maxY, target.clipY1 - 1);
    if (firstRow > lastRow) return;
    const std::int64_t skip = firstRow - tri.minY;

    bool flat = !style.gouraud && !style.mono && !style.texture;
    bool plainGouraud = style.gouraud && !style.mono && !style.texture;
    std::uint32_t flatColor = style.color;
    if (plainGouraud && tri.r.dx == 0 && tri.r.dy == 0 && tri.g.dx == 0 && tri.g.dy == 0 &&
        tri.b.dx == 0 && tri.b.dy == 0) {
        // Corners of one colour (a flat region under Gouraud shading): every pixel gets it.
        flatColor = (Channel(tri.r.base) << 16) | (Channel(tri.g.base) << 8) | Channel(tri.b.base);
        flat = true;
        plainGouraud = false;
    }
    const bool opaque = style.alpha == 255;

    // Edge i covers column k of row y when e + ex k + ey y >= 0: for ex > 0 from
    // ceil((-e - ey y) / ex) on, for ex < 0 up to floor((e + ey y) / -ex).
    EdgeWalk lower[3], upper[3];
    int lowers = 0, uppers = 0;
    for (int i = 0; i < 3; ++i) {
        const std::int64_t ex = tri.ex[i], ey = tri.ey[i], e = tri.e[i] + ey * skip;
        if (ex > 0) {
            lower[lowers++].InitBound(-e + ex - 1, ex, -ey);
        } else if (ex < 0) {
            upper[uppers++].InitBound(e, -ex, ey);
        } else {
            lower[lowers++].InitParallel(e, ey);
        }
    }
    const std::int64_t width = tri.maxX - tri.minX + 1;
    constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max() / 4;

    // Plane values at column 0 of the first row, stepped by row.
    const int dy0 = int(skip);
    std::uint32_t zRow = U(tri.z.At(0, dy0)), rRow = 0, gRow = 0, bRow = 0;
    if (plainGouraud) {
        rRow = U(tri.r.At(0, dy0));
        gRow = U(tri.g.At(0, dy0));
        bRow = U(tri.b.At(0, dy0));
    }
    const std::uint32_t zdx = U(tri.z.dx), zdy = U(tri.z.dy);
    std::size_t row = std::size_t(firstRow) * std::size_t(target.stride) + std::size_t(tri.minX);

    for (int y = firstRow; y <= lastRow; ++y, row += std::size_t(target.stride), zRow += zdy) {
        std::int64_t lo = 0, hi = width - 1;
        for (int i = 0; i < lowers; ++i) {
            const EdgeWalk& w = lower[i];
            lo = std::max(lo, w.parallel ? (w.level >= 0 ? 0 : kNone) : w.q);
            lower[i].Next();
        }
        for (int i = 0; i < uppers; ++i) {
            hi = std::min(hi, upper[i].q);
            upper[i].Next();
        }
        if (plainGouraud && y != firstRow) {
            rRow += U(tri.r.dy);
            gRow += U(tri.g.dy);
            bRow += U(tri.b.dy);
        }
        if (lo > hi) continue;
        const int k0 = int(lo), k1 = int(hi);
        std::uint32_t* color = target.color + row;
        std::uint16_t* depth = target.depth ? target.depth + row : nullptr;
        std::uint32_t z = zRow + zdx * std::uint32_t(k0);

        if (flat && opaque) {
            if (depth) {
                for (int k = k0; k <= k1; ++k, z += zdx) {
                    const std::uint32_t d = DepthOf(S(z));
                    if (d < depth[k]) {
                        depth[k] = static_cast<std::uint16_t>(d);
                        color[k] = flatColor;
                    }
                }
            } else {
                std::fill(color + k0, color + k1 + 1, flatColor);
            }
            continue;
        }
        if (plainGouraud && opaque) {
            std::uint32_t r = rRow + U(tri.r.dx) * std::uint32_t(k0);
            std::uint32_t g = gRow + U(tri.g.dx) * std::uint32_t(k0);
            std::uint32_t b = bRow + U(tri.b.dx) * std::uint32_t(k0);
            const std::uint32_t rdx = U(tri.r.dx), gdx = U(tri.g.dx), bdx = U(tri.b.dx);
            for (int k = k0; k <= k1; ++k, z += zdx, r += rdx, g += gdx, b += bdx) {
                const std::uint32_t d = DepthOf(S(z));
                if (depth) {
                    if (d >= depth[k]) continue;
                    depth[k] = static_cast<std::uint16_t>(d);
                }
                color[k] = (Channel(S(r)) << 16) | (Channel(S(g)) << 8) | Channel(S(b));
            }
            continue;
        }
        // Stippled, textured or ramp-shaded: the shared per-pixel rules.
        const int dy = y - tri.minY;
        for (int k = k0; k <= k1; ++k, z += zdx) {
            if (!opaque && !StippleKeeps(style.alpha, tri.minX + k, y)) continue;
            const std::uint32_t d = DepthOf(S(z));
            if (depth) {
                if (d >= depth[k]) continue;
                depth[k] = static_cast<std::uint16_t>(d);
            }
            color[k] = flat ? flatColor : ShadePixel(tri, style, k, dy);
        }
    }
}

}  // namespace render::raster
