// The fast fill. The triangle is cut at its middle vertex's height: above it only the two
// edges from the top vertex bound a row, below it only the two edges to the bottom
// vertex, so each row needs one left and one right bound. Each bound is walked from row
// to row with a quotient and a remainder (exact integer steps, no division per row), and
// the planes are stepped along the span instead of evaluated per pixel. The pixels and
// their values are therefore exactly those of the reference fill.
#include <algorithm>

#include "render/raster.h"

namespace render::raster {

namespace {

// floor(a / b) for b > 0.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// floor(m / s) as m grows by `step` each row, kept as q and r with m = q s + r, 0 <= r < s.
struct Walk {
    std::int64_t q, r, s, dq, dr;

    void Init(std::int64_t m, std::int64_t divisor, std::int64_t step) {
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
    void Next() {
        q += dq;
        r += dr;
        if (r >= s) {
            ++q;
            r -= s;
        }
    }
};

// Edge i covers column k of row dy (counted from the box) when e + ex k + ey dy >= 0: for
// ex > 0 from ceil((-e - ey dy) / ex) on (a left bound), for ex < 0 up to
// floor((e + ey dy) / -ex) (a right bound). Starts the walk at row dy.
inline void StartLeft(const Triangle& t, int i, std::int64_t dy, Walk& w) {
    const std::int64_t e = t.e[i] + t.ey[i] * dy;
    w.Init(-e + t.ex[i] - 1, t.ex[i], -t.ey[i]);
}
inline void StartRight(const Triangle& t, int i, std::int64_t dy, Walk& w) {
    const std::int64_t e = t.e[i] + t.ey[i] * dy;
    w.Init(e, -t.ex[i], t.ey[i]);
}

// The covered columns of row dy from all three edges, evaluated directly.
inline void SpanOf(const Triangle& t, std::int64_t dy, std::int64_t width, std::int64_t& lo,
                   std::int64_t& hi) {
    lo = 0;
    hi = width - 1;
    for (int i = 0; i < 3; ++i) {
        const std::int64_t e = t.e[i] + t.ey[i] * dy, ex = t.ex[i];
        if (ex > 0) {
            lo = std::max(lo, FloorDiv(-e + ex - 1, ex));
        } else if (ex < 0) {
            hi = std::min(hi, FloorDiv(e, -ex));
        } else if (e < 0) {
            hi = -1;
        }
    }
}

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
    const std::int64_t width = tri.maxX - tri.minX + 1;
    const std::uint32_t zdx = U(tri.z.dx);

    auto span = [&](int y, int k0, int k1) {
        const int dy = y - tri.minY;
        const std::size_t row = std::size_t(y) * std::size_t(target.stride) + std::size_t(tri.minX);
        std::uint32_t* color = target.color + row;
        std::uint16_t* depth = target.depth ? target.depth + row : nullptr;
        std::uint32_t z = U(tri.z.At(k0, dy));
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
            return;
        }
        if (plainGouraud && opaque) {
            std::uint32_t r = U(tri.r.At(k0, dy)), g = U(tri.g.At(k0, dy)), b = U(tri.b.At(k0, dy));
            const std::uint32_t rdx = U(tri.r.dx), gdx = U(tri.g.dx), bdx = U(tri.b.dx);
            for (int k = k0; k <= k1; ++k, z += zdx, r += rdx, g += gdx, b += bdx) {
                const std::uint32_t d = DepthOf(S(z));
                if (depth) {
                    if (d >= depth[k]) continue;
                    depth[k] = static_cast<std::uint16_t>(d);
                }
                color[k] = (Channel(S(r)) << 16) | (Channel(S(g)) << 8) | Channel(S(b));
            }
            return;
        }
        // Stippled, textured or ramp-shaded: the shared per-pixel rules.
        for (int k = k0; k <= k1; ++k, z += zdx) {
            if (!opaque && !StippleKeeps(style.alpha, tri.minX + k, y)) continue;
            const std::uint32_t d = DepthOf(S(z));
            if (depth) {
                if (d >= depth[k]) continue;
                depth[k] = static_cast<std::uint16_t>(d);
            }
            color[k] = flat ? flatColor : ShadePixel(tri, style, k, dy);
        }
    };

    // Rows [r0, r1] bounded by edge `left` (ex > 0) and edge `right` (ex < 0) alone.
    auto twoEdges = [&](int r0, int r1, int left, int right) {
        Walk l, r;
        StartLeft(tri, left, r0 - tri.minY, l);
        StartRight(tri, right, r0 - tri.minY, r);
        for (int y = r0; y <= r1; ++y, l.Next(), r.Next()) {
            const std::int64_t lo = std::max<std::int64_t>(l.q, 0);
            const std::int64_t hi = std::min<std::int64_t>(r.q, width - 1);
            if (lo <= hi) span(y, int(lo), int(hi));
        }
    };
    // Rows [r0, r1] with all three edges evaluated row by row.
    auto threeEdges = [&](int r0, int r1) {
        for (int y = r0; y <= r1; ++y) {
            std::int64_t lo, hi;
            SpanOf(tri, y - tri.minY, width, lo, hi);
            if (lo <= hi) span(y, int(lo), int(hi));
        }
    };
    // The rows of a part of the triangle whose bounding edges are the two edges at vertex
    // v (edge v - 1 ends there, edge v starts there).
    auto part = [&](int r0, int r1, int v) {
        if (r0 > r1) return;
        const int a = (v + 2) % 3, b = v;
        const std::int64_t exa = tri.ex[a], exb = tri.ex[b];
        if (exa > 0 && exb < 0) {
            twoEdges(r0, r1, a, b);
        } else if (exb > 0 && exa < 0) {
            twoEdges(r0, r1, b, a);
        } else {
            threeEdges(r0, r1);  // an edge along the rows: no shortcut
        }
    };

    // The top, middle and bottom vertices, and the rows whose centres lie above, on and
    // below the middle one.
    int top = 0, bottom = 0;
    for (int i = 1; i < 3; ++i) {
        if (tri.vy[i] < tri.vy[top]) top = i;
        if (tri.vy[i] >= tri.vy[bottom]) bottom = i;
    }
    if (top == bottom) bottom = (top + 1) % 3;
    const int middle = 3 - top - bottom;
    const std::int64_t ym = tri.vy[middle];
    // Row y's centre is 16 y + 8: above the middle vertex while 16 y + 8 < ym.
    const int lastAbove = int(FloorDiv(ym - kSub / 2 - 1, kSub));
    const int firstBelow = int(FloorDiv(ym - kSub / 2, kSub)) + 1;
    part(firstRow, std::min(lastRow, lastAbove), top);
    if (lastAbove + 1 < firstBelow) {  // a row whose centre is level with the middle vertex
        const int y = lastAbove + 1;
        if (y >= firstRow && y <= lastRow) threeEdges(y, y);
    }
    part(std::max(firstRow, firstBelow), lastRow, bottom);
}

}  // namespace render::raster
