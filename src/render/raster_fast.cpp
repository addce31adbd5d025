// The fast fill. The triangle is cut at its middle vertex's height: above it only the two
// edges from the top vertex bound a row, below it only the two edges to the bottom
// vertex, so each row needs one left and one right bound. Each bound is walked from row
// to row with a quotient and a remainder (exact integer steps, no division per row), and
// the planes are stepped along the span instead of evaluated per pixel. The pixels and
// their values are therefore exactly those of the reference fill. (A narrow triangle
// just tests each column of its rows.)
//
// The whole-face path (SetupFan, FillFan) further down does the same over a convex face's
// outline, so that a face of many corners is one span per row instead of many slivers.
#include <algorithm>
#include <climits>

#include "render/raster.h"

namespace render::raster {

namespace {

// floor(a / b) for b > 0. A 64-bit integer division is slow; below 2^52 the truncated
// quotient of the doubles is off by at most two, and the remainder puts it right.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    constexpr std::int64_t kExact = std::int64_t(1) << 52;
    if (a > -kExact && a < kExact && b < kExact) {
        std::int64_t q = static_cast<std::int64_t>(double(a) / double(b));
        std::int64_t r = a - q * b;
        while (r < 0) {
            --q;
            r += b;
        }
        while (r >= b) {
            ++q;
            r -= b;
        }
        return q;
    }
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Triangles at most this many columns wide are filled by testing every column of a row.
constexpr std::int64_t kNarrow = 8;

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

    if (width <= kNarrow) {
        // A narrow triangle: each row's columns tested one by one (the three edge values
        // stepped along), cheaper than setting up the walks of its edges.
        for (int y = firstRow; y <= lastRow; ++y) {
            const std::int64_t dy = y - tri.minY;
            std::int64_t e0 = tri.e[0] + tri.ey[0] * dy, e1 = tri.e[1] + tri.ey[1] * dy;
            std::int64_t e2 = tri.e[2] + tri.ey[2] * dy;
            int lo = -1, hi = -2;
            for (int k = 0; k < width; ++k, e0 += tri.ex[0], e1 += tri.ex[1], e2 += tri.ex[2]) {
                if ((e0 | e1 | e2) >= 0) {  // all three >= 0
                    if (lo < 0) lo = k;
                    hi = k;
                }
            }
            if (lo <= hi) span(y, lo, hi);
        }
        return;
    }

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

namespace {

// Corners further out than this (in 1/16 pixel) go the triangle way, so that the fan
// path's edge values stay far inside 64 bits.
constexpr std::int64_t kFanRange = std::int64_t(1) << 24;

// A line's edge value at pixel (x, y) of the picture: c + ex x + ey y, the same value the
// triangle set-up gives that pixel (top-left bias included), so >= 0 is inside.
struct Line {
    std::int64_t c, ex, ey;
    std::int64_t Row(std::int64_t y) const { return c + ey * y; }
    std::int64_t At(std::int64_t x, std::int64_t y) const { return c + ey * y + ex * x; }
};

Line LineFrom(const FanPoint& a, const FanPoint& b) {
    const std::int64_t dx = std::int64_t(b.x) - a.x, dy = std::int64_t(b.y) - a.y;
    const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
    // (16 y + 8 - ay) dx - (16 x + 8 - ax) dy - bias
    const std::int64_t half = kSub / 2;
    return {(half - a.y) * dx - (half - a.x) * dy - (topLeft ? 0 : 1), -dy * kSub, dx * kSub};
}

int Sign(std::int64_t v) {
    return (v > 0) - (v < 0);
}

// A triangle's plane, which starts from its box corner, moved to the picture's corner.
Plane FromCorner(const Plane& p, int minX, int minY) {
    Plane q = p;
    q.base = S(U(p.base) - U(p.dx) * U(minX) - U(p.dy) * U(minY));
    return q;
}

// What the pixels of a face's row need.
struct FanRow {
    const Line* rays;  // rays[k] for 1 <= k <= lastPiece: see FillFan
    const FanPiece* pieces;
    const FanShade* shades;  // null for a flat face
    int lastPiece;
    std::uint32_t* color;  // the row's pixels
    std::uint16_t* depth;  // the row's depths, or null
    std::uint32_t flatColor;
    std::uint8_t alpha;
    Plane plane;  // the face's depth plane, for a flat face of one plane
};

// Pixels lo..hi of row y of a face of one colour and one depth plane: one run.
template <bool kOpaque, bool kDepth>
void FanSpanPlane(const FanRow& row, int y, int lo, int hi, int&) {
    std::uint32_t* const color = row.color;
    std::uint16_t* const depth = row.depth;
    const std::uint32_t flatColor = row.flatColor;
    const std::uint8_t alpha = row.alpha;
    std::uint32_t z = U(row.plane.At(lo, y));
    const std::uint32_t zdx = U(row.plane.dx);
    const std::int64_t first = S(z), last = first + std::int64_t(hi - lo) * row.plane.dx;
    constexpr std::int64_t kDeepest = (std::int64_t(0x10000) << kDepthShift) - 1;
    if (kOpaque && kDepth && std::min(first, last) >= 0 && std::max(first, last) <= kDeepest) {
        // Every depth of the span is in range (the plane is straight): no clamping.
        int x = lo;
#if defined(__SSE2__)
        // Eight pixels at a time. The depths are compared as signed 16-bit numbers, moved
        // down by 0x8000 (SSE2 compares no unsigned ones).
        const __m128i flip16 = _mm_set1_epi16(std::int16_t(-0x8000));
        const __m128i flip32 = _mm_set1_epi32(0x8000);
        const __m128i colour = _mm_set1_epi32(std::int32_t(flatColor));
        const __m128i step4 = _mm_set1_epi32(std::int32_t(zdx * 4u));
        __m128i za = _mm_add_epi32(
            _mm_set1_epi32(std::int32_t(z)),
            _mm_set_epi32(std::int32_t(zdx * 3u), std::int32_t(zdx * 2u), std::int32_t(zdx), 0));
        for (; x + 7 <= hi; x += 8) {
            const __m128i zb = _mm_add_epi32(za, step4);
            const __m128i d =
                _mm_packs_epi32(_mm_sub_epi32(_mm_srli_epi32(za, kDepthShift), flip32),
                                _mm_sub_epi32(_mm_srli_epi32(zb, kDepthShift), flip32));
            __m128i* const dp = reinterpret_cast<__m128i*>(depth + x);
            const __m128i old = _mm_loadu_si128(dp);
            const __m128i nearer = _mm_cmpgt_epi16(_mm_xor_si128(old, flip16), d);
            _mm_storeu_si128(dp, _mm_or_si128(_mm_and_si128(nearer, _mm_xor_si128(d, flip16)),
                                              _mm_andnot_si128(nearer, old)));
            __m128i* const cp = reinterpret_cast<__m128i*>(color + x);
            const __m128i m0 = _mm_unpacklo_epi16(nearer, nearer);
            const __m128i m1 = _mm_unpackhi_epi16(nearer, nearer);
            const __m128i c0 = _mm_loadu_si128(cp), c1 = _mm_loadu_si128(cp + 1);
            _mm_storeu_si128(cp, _mm_or_si128(_mm_and_si128(m0, colour), _mm_andnot_si128(m0, c0)));
            _mm_storeu_si128(cp + 1,
                             _mm_or_si128(_mm_and_si128(m1, colour), _mm_andnot_si128(m1, c1)));
            za = _mm_add_epi32(zb, step4);
            z += zdx * 8u;
        }
#endif
        for (; x <= hi; ++x, z += zdx) {
            const std::uint32_t d = z >> kDepthShift;
            if (d < depth[x]) {
                depth[x] = static_cast<std::uint16_t>(d);
                color[x] = flatColor;
            }
        }
        return;
    }
    for (int x = lo; x <= hi; ++x, z += zdx) {
        if (!kOpaque && !StippleKeeps(alpha, x, y)) continue;
        const std::uint32_t d = DepthOf(S(z));
        if (!kDepth || d < depth[x]) {
            if (kDepth) depth[x] = static_cast<std::uint16_t>(d);
            color[x] = flatColor;
        }
    }
}

// Pixels lo..hi of row y, run by run: a run is the pixels of one triangle of the fan,
// with its planes stepped along and the rays on either side of it watched for its end.
// `piece` is a guess at the triangle of pixel lo, and comes back as that of pixel hi.
template <bool kFlat, bool kOpaque, bool kDepth>
void FanSpan(const FanRow& row, int y, int lo, int hi, int& pieceInOut) {
    // Locals, not the row's fields: the stores to the pixels could alias those.
    const Line* const rays = row.rays;
    const FanPiece* const pieces = row.pieces;
    const FanShade* const shades = row.shades;
    const int lastPiece = row.lastPiece;
    std::uint32_t* const color = row.color;
    std::uint16_t* const depth = row.depth;
    const std::uint32_t flatColor = row.flatColor;
    const std::uint8_t alpha = row.alpha;
    const std::int64_t yy = y;
    auto rayAt = [&](int k, int x) { return rays[k].c + rays[k].ey * yy + rays[k].ex * x; };
    // The run goes on while the ray before its triangle counts the pixel inside
    // (`below` >= 0) and the ray after it does not (`above` < 0); the outline's own
    // edges stand in for the missing rays of the first and the last triangle.
    constexpr std::int64_t kInside = INT64_MAX / 4, kOutside = INT64_MIN / 4;
    int piece = pieceInOut;
    int x = lo;
    while (piece < lastPiece && rayAt(piece + 1, x) >= 0) ++piece;
    while (piece > 0 && rayAt(piece, x) < 0) --piece;
    std::int64_t below = kInside, belowStep = 0, above = kOutside, aboveStep = 0;
    if (piece > 0) {
        below = rayAt(piece, x);
        belowStep = rays[piece].ex;
    }
    if (piece < lastPiece) {
        above = rayAt(piece + 1, x);
        aboveStep = rays[piece + 1].ex;
    }
    for (;;) {
        const Plane& zp = pieces[piece].z;
        std::uint32_t z = U(zp.At(x, y));
        const std::uint32_t zdx = U(zp.dx);
        std::uint32_t r = 0, g = 0, b = 0, rdx = 0, gdx = 0, bdx = 0;
        if (!kFlat) {
            const FanShade& c = shades[piece];
            r = U(c.r.At(x, y));
            g = U(c.g.At(x, y));
            b = U(c.b.At(x, y));
            rdx = U(c.r.dx);
            gdx = U(c.g.dx);
            bdx = U(c.b.dx);
        }
        do {
            if (kOpaque || StippleKeeps(alpha, x, y)) {
                const std::uint32_t d = DepthOf(S(z));
                if (!kDepth || d < depth[x]) {
                    if (kDepth) depth[x] = static_cast<std::uint16_t>(d);
                    color[x] = kFlat ? flatColor
                                     : (Channel(S(r)) << 16) | (Channel(S(g)) << 8) | Channel(S(b));
                }
            }
            ++x;
            z += zdx;
            if (!kFlat) {
                r += rdx;
                g += gdx;
                b += bdx;
            }
            below += belowStep;
            above += aboveStep;
        } while (x <= hi && below >= 0 && above < 0);
        if (x > hi) break;
        // Into the next triangle (or the one before), perhaps past more than one ray.
        while (above >= 0) {
            ++piece;
            below = above;
            belowStep = aboveStep;
            above = kOutside;
            aboveStep = 0;
            if (piece < lastPiece) {
                above = rayAt(piece + 1, x);
                aboveStep = rays[piece + 1].ex;
            }
        }
        while (below < 0) {
            --piece;
            above = below;
            aboveStep = belowStep;
            below = kInside;
            belowStep = 0;
            if (piece > 0) {
                below = rayAt(piece, x);
                belowStep = rays[piece].ex;
            }
        }
    }
    pieceInOut = piece;
}

// The corners' positions kept for the depth plane (the first kMaxKept of them).
constexpr std::size_t kMaxKept = 64;
struct RoundedCorners {
    std::int64_t x[kMaxKept], y[kMaxKept];
    std::int64_t minX = INT64_MAX, maxX = INT64_MIN, minY = INT64_MAX, maxY = INT64_MIN;
};

// Rounds the corners to sub-pixels into the store's points, keeping their box; false when
// one lies outside the range the fan's sums hold.
bool RoundFanCorners(const Vertex* v, std::size_t n, FanStore& store, RoundedCorners& r) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::int64_t x = SubPixel(v[i].x), y = SubPixel(v[i].y);
        if (i < kMaxKept) {
            r.x[i] = x;
            r.y[i] = y;
        }
        if (!(x > -kFanRange && x < kFanRange && y > -kFanRange && y < kFanRange)) return false;
        store.points.push_back({std::int32_t(x), std::int32_t(y)});
        r.minX = std::min(r.minX, x);
        r.maxX = std::max(r.maxX, x);
        r.minY = std::min(r.minY, y);
        r.maxY = std::max(r.maxY, y);
    }
    return true;
}

// Strictly convex and going round once: every corner turns the same way, and the outline
// goes down once and up once (edges along the rows not counted). Ready when it faces the
// viewer, Culled when every triangle of the fan faces away, else Triangles.
FanSetup FanShape(const FanPoint* p, std::size_t n) {
    std::size_t front = 0, back = 0;
    int changes = 0, last = 0;
    auto next = [n](std::size_t i) { return i + 1 == n ? 0 : i + 1; };
    for (std::size_t i = 0; i < n; ++i) {
        if (const int s = Sign(std::int64_t(p[next(i)].y) - p[i].y)) last = s;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const FanPoint& a = p[i];
        const FanPoint& b = p[next(i)];
        const FanPoint& c = p[next(next(i))];
        const std::int64_t turn = (std::int64_t(b.x) - a.x) * (std::int64_t(c.y) - a.y) -
                                  (std::int64_t(c.x) - a.x) * (std::int64_t(b.y) - a.y);
        front += turn > 0 ? 1 : 0;
        back += turn < 0 ? 1 : 0;
        if (const int s = Sign(std::int64_t(b.y) - a.y)) {
            if (s != last) ++changes;
            last = s;
        }
    }
    if (changes != 2) return FanSetup::Triangles;
    if (back == n) return FanSetup::Culled;
    if (front != n) return FanSetup::Triangles;
    return FanSetup::Ready;
}

// Corners of one colour give every triangle of a Gouraud face the same constant colour
// planes: the face is filled like a flat one, and the planes are not needed. True when the
// face fills flat, with its colour.
bool FillsFlat(const Vertex* v, std::size_t n, const FaceStyle& style, std::uint32_t& color) {
    color = style.color;
    if (!style.gouraud) return true;
    for (std::size_t i = 1; i < n; ++i) {
        if (!(v[i].r == v[0].r && v[i].g == v[0].g && v[i].b == v[0].b)) return false;
    }
    color = ConstantShade(v[0].r, v[0].g, v[0].b);
    return true;
}

// Each triangle's planes, exactly as the triangle set-up makes them. A triangle whose box
// misses the target keeps empty planes: no pixel of the target lies in it. True when any
// triangle has pixels in the target.
bool SetupFanPieces(const Vertex* v, const FanPoint* p, std::size_t n, const FaceStyle& planes,
                    const Target& target, const DepthPlane* depth, FanStore& store) {
    bool any = false;
    Triangle tri;
    for (std::size_t k = 1; k + 1 < n; ++k) {
        const std::int64_t tx[3] = {p[0].x, p[k].x, p[k + 1].x};
        const std::int64_t ty[3] = {p[0].y, p[k].y, p[k + 1].y};
        FanPiece& piece = store.pieces.emplace_back();
        FanShade* shade = planes.gouraud ? &store.shades.emplace_back() : nullptr;
        if (SetupPlanes(v[0], v[k], v[k + 1], tx, ty, planes, target, &tri, depth)) {
            piece.z = FromCorner(tri.z, tri.minX, tri.minY);
            if (shade) {
                shade->r = FromCorner(tri.r, tri.minX, tri.minY);
                shade->g = FromCorner(tri.g, tri.minX, tri.minY);
                shade->b = FromCorner(tri.b, tri.minX, tri.minY);
            }
            any = true;
        }
    }
    return any;
}

}  // namespace

FanSetup SetupFan(const Vertex* v, std::size_t n, const FaceStyle& style, const Target& target,
                  FanStore& store, Fan* out) {
    // A lone triangle gains nothing here: FillFast draws it with less set-up.
    if (n < 4 || style.texture || style.mono) return FanSetup::Triangles;
    const std::size_t firstPoint = store.points.size();
    auto giveUp = [&](FanSetup result) {
        store.points.resize(firstPoint);
        return result;
    };
    RoundedCorners corners;
    if (!RoundFanCorners(v, n, store, corners)) return giveUp(FanSetup::Triangles);
    const FanPoint* p = store.points.data() + firstPoint;
    if (const FanSetup shape = FanShape(p, n); shape != FanSetup::Ready) return giveUp(shape);

    // The pixels whose centres lie in the corners' box, as for a triangle.
    int box[4];
    if (!PixelBox(corners.minX, corners.minY, corners.maxX, corners.maxY, target, box)) {
        return giveUp(FanSetup::Culled);
    }
    std::uint32_t flatColor = 0;
    const bool flat = FillsFlat(v, n, style, flatColor);
    FaceStyle planes = style;
    planes.gouraud = !flat;
    DepthPlane depth;
    const bool planar = n <= kMaxKept ? FaceDepthPlane(v, corners.x, corners.y, n, target, &depth)
                                      : FaceDepthPlane(v, n, target, &depth);

    const std::size_t firstPiece = store.pieces.size(), firstShade = store.shades.size();
    const bool onePlane = planar && flat;  // then the face needs nothing of its triangles
    if (!onePlane && !SetupFanPieces(v, p, n, planes, target, planar ? &depth : nullptr, store)) {
        store.pieces.resize(firstPiece);
        store.shades.resize(firstShade);
        return giveUp(FanSetup::Culled);
    }

    Fan& fan = *out;
    fan.minX = box[0];
    fan.minY = box[1];
    fan.maxX = box[2];
    fan.maxY = box[3];
    fan.firstPoint = std::uint32_t(firstPoint);
    fan.count = std::uint32_t(n);
    fan.firstPiece = std::uint32_t(firstPiece);
    fan.firstShade = std::uint32_t(firstShade);
    fan.flat = flat;
    fan.flatColor = flatColor;
    fan.planar = planar;
    if (planar) fan.depth = FromCorner(depth.plane, depth.x0, depth.y0);
    return FanSetup::Ready;
}

void FillFan(const Fan& fan, const FanStore& store, const FaceStyle& style, const Target& target) {
    const int firstRow = std::max(fan.minY, target.clipY0);
    const int lastRow = std::min(fan.maxY, target.clipY1 - 1);
    if (firstRow > lastRow) return;
    const FanPoint* p = store.points.data() + fan.firstPoint;
    const FanPiece* pieces = store.pieces.data() + fan.firstPiece;
    const int n = int(fan.count);
    const int lastPiece = n - 3;

    // Edge i runs from corner i to corner i + 1. Ray k (1 <= k <= lastPiece) runs from
    // corner 0 to corner k + 1: triangle k's first edge. A pixel of the face lies in the
    // triangle k for which rays 1..k count it inside and ray k + 1 does not.
    constexpr int kMaxInline = 64;
    Line edgeStore[kMaxInline], rayStore[kMaxInline];
    std::vector<Line> edgeHeap, rayHeap;
    Line* edges = edgeStore;
    Line* rays = rayStore;
    if (n > kMaxInline) {
        edgeHeap.resize(std::size_t(n));
        rayHeap.resize(std::size_t(n));
        edges = edgeHeap.data();
        rays = rayHeap.data();
    }
    for (int i = 0; i < n; ++i) edges[i] = LineFrom(p[i], p[i + 1 == n ? 0 : i + 1]);
    if (!(fan.flat && fan.planar)) {  // otherwise every pixel has the same planes
        for (int k = 1; k <= lastPiece; ++k) rays[k] = LineFrom(p[0], p[k + 1]);
    }

    // Rows whose centres lie strictly between two corners' heights are bounded by one
    // edge on each side: the left outline runs up from the bottom to the top corner (edge
    // `left` from corner left up to left + 1), the right one down from the top corner.
    int top = 0;
    for (int i = 1; i < n; ++i) {
        if (p[i].y < p[top].y) top = i;
    }
    int left = top == 0 ? n - 1 : top - 1, right = top;
    const std::int64_t minX = fan.minX, maxX = fan.maxX;
    // The last row's bounds, the first guess at the next row's.
    std::int64_t lo0 = (std::int64_t(p[top].x) - kSub / 2) >> kSubBits, hi0 = lo0;
    int piece = 0;  // the triangle of the last span's first pixel: a good first guess
    const FanShade* shades = fan.flat ? nullptr : store.shades.data() + fan.firstShade;
    FanRow rows{rays,    pieces,        shades,      lastPiece, nullptr,
                nullptr, fan.flatColor, style.alpha, fan.depth};
    const bool opaque = style.alpha == 255, withDepth = target.depth != nullptr;
    using Span = void (*)(const FanRow&, int, int, int, int&);
    const Span spans[12] = {
        FanSpan<false, false, false>, FanSpan<false, false, true>, FanSpan<false, true, false>,
        FanSpan<false, true, true>,   FanSpan<true, false, false>, FanSpan<true, false, true>,
        FanSpan<true, true, false>,   FanSpan<true, true, true>,   FanSpanPlane<false, false>,
        FanSpanPlane<false, true>,    FanSpanPlane<true, false>,   FanSpanPlane<true, true>,
    };
    const int kind = fan.flat && fan.planar ? 8 : fan.flat ? 4 : 0;
    const Span span = spans[kind + (opaque ? 2 : 0) + (withDepth ? 1 : 0)];

    auto previous = [n](int i) { return i == 0 ? n - 1 : i - 1; };
    auto next = [n](int i) { return i + 1 == n ? 0 : i + 1; };
    for (int y = firstRow; y <= lastRow; ++y) {
        const std::int64_t cy = std::int64_t(y) * kSub + kSub / 2;
        while (p[left].y < cy) left = previous(left);
        while (p[next(right)].y < cy) right = next(right);
        std::int64_t lo, hi;
        if (p[left].y == cy || p[next(left)].y == cy || p[right].y == cy ||
            p[next(right)].y == cy) {
            // Level with a corner: every edge counts.
            lo = minX;
            hi = maxX;
            for (int i = 0; i < n; ++i) {
                const Line& e = edges[i];
                const std::int64_t e0 = e.Row(y);
                if (e.ex > 0) {
                    lo = std::max(lo, FloorDiv(-e0 + e.ex - 1, e.ex));
                } else if (e.ex < 0) {
                    hi = std::min(hi, FloorDiv(e0, -e.ex));
                } else if (e0 < 0) {
                    hi = lo - 1;
                }
            }
        } else {
            // The bounds move little from row to row: step from the last row's to this
            // row's, testing the edge pixel by pixel (exact, and no division).
            const Line& le = edges[left];
            lo = std::clamp(lo0, minX, maxX + 1);
            std::int64_t e = le.Row(y) + le.ex * lo;  // grows to the right
            if (e >= 0) {
                while (lo > minX && e - le.ex >= 0) {
                    --lo;
                    e -= le.ex;
                }
            } else {
                while (lo <= maxX && e < 0) {
                    ++lo;
                    e += le.ex;
                }
            }
            const Line& re = edges[right];
            hi = std::clamp(hi0, minX - 1, maxX);
            e = re.Row(y) + re.ex * hi;  // falls to the right
            if (e >= 0) {
                while (hi < maxX && e + re.ex >= 0) {
                    ++hi;
                    e += re.ex;
                }
            } else {
                while (hi >= minX && e < 0) {
                    --hi;
                    e -= re.ex;
                }
            }
        }
        lo0 = lo;
        hi0 = hi;
        if (lo > hi) continue;

        const std::size_t row = std::size_t(y) * std::size_t(target.stride);
        rows.color = target.color + row;
        rows.depth = target.depth ? target.depth + row : nullptr;
        span(rows, y, int(lo), int(hi), piece);
    }
}

}  // namespace render::raster
