#include "render/raster.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace render::raster {

const std::uint8_t kStippleThreshold[16] = {
    // A 4 x 4 ordered-dither pattern: 16 * rank + 8, so that alpha 255 keeps every pixel,
    // alpha 0 none, and alpha 128 every other one.
    8, 136, 40, 168, 200, 72, 232, 104, 56, 184, 24, 152, 248, 120, 216, 88,
};

bool StippleKeeps(std::uint8_t alpha, int x, int y) {
    return alpha > kStippleThreshold[((y & 3) << 2) | (x & 3)];
}

namespace {

// Round to nearest, ties to even (lrint in the default rounding mode), without a call.
inline std::int64_t RoundToInt(double v) {
#if defined(__SSE2__)
    return _mm_cvtsd_si64(_mm_set_sd(v));
#else
    return std::lrint(v);
#endif
}

std::int32_t ToFixed(double v) {
    // Saturates: a plane of a sliver may have huge slopes; the clamp keeps the
    // conversion defined and is the same for every device.
    if (!(v > -2147483648.0)) return INT32_MIN;
    if (!(v < 2147483647.0)) return INT32_MAX;
    return static_cast<std::int32_t>(RoundToInt(v));
}

constexpr double kDepthScale = 65535.0 * (1 << kDepthShift);

struct Gradients {
    double inverseArea2;
    std::int64_t x0, y0, x1, y1, x2, y2;
    double px, py;  // centre of the box corner pixel, in 1/16 pixel, relative to vertex 0
};

// The plane of an attribute with vertex values a0, a1, a2, scaled by `scale`. A constant
// attribute gives the same plane as the general formula, without the arithmetic.
Plane MakePlane(const Gradients& g, double a0, double a1, double a2, double scale) {
    Plane p;
    if (a0 == a1 && a0 == a2) {
        p.base = ToFixed(a0 * scale);
        return p;
    }
    const double d1 = a1 - a0, d2 = a2 - a0;
    const double gx = (d1 * double(g.y2 - g.y0) - d2 * double(g.y1 - g.y0)) * g.inverseArea2;
    const double gy = (d2 * double(g.x1 - g.x0) - d1 * double(g.x2 - g.x0)) * g.inverseArea2;
    p.base = ToFixed((a0 + gx * g.px + gy * g.py) * scale);
    p.dx = ToFixed(gx * kSub * scale);
    p.dy = ToFixed(gy * kSub * scale);
    return p;
}

FloatPlane MakeFloatPlane(const Gradients& g, double a0, double a1, double a2) {
    const double d1 = a1 - a0, d2 = a2 - a0;
    const double gx = (d1 * double(g.y2 - g.y0) - d2 * double(g.y1 - g.y0)) * g.inverseArea2;
    const double gy = (d2 * double(g.x1 - g.x0) - d1 * double(g.x2 - g.x0)) * g.inverseArea2;
    FloatPlane p;
    p.base = static_cast<float>(a0 + gx * g.px + gy * g.py);
    p.dx = static_cast<float>(gx * kSub);
    p.dy = static_cast<float>(gy * kSub);
    return p;
}

}  // namespace

std::int64_t Area2(float x0, float y0, float x1, float y1, float x2, float y2) {
    const std::int64_t X0 = SubPixel(x0), Y0 = SubPixel(y0), X1 = SubPixel(x1), Y1 = SubPixel(y1);
    const std::int64_t X2 = SubPixel(x2), Y2 = SubPixel(y2);
    return (X1 - X0) * (Y2 - Y0) - (X2 - X0) * (Y1 - Y0);
}

bool SetupPlanes(const Vertex& v0, const Vertex& v1, const Vertex& v2, const std::int64_t X[3],
                 const std::int64_t Y[3], const FaceStyle& style, const Target& target,
                 Triangle* out, const DepthPlane* depth) {
    const std::int64_t area2 = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
    if (area2 <= 0) return false;

    const std::int64_t minXf = std::min({X[0], X[1], X[2]}), maxXf = std::max({X[0], X[1], X[2]});
    const std::int64_t minYf = std::min({Y[0], Y[1], Y[2]}), maxYf = std::max({Y[0], Y[1], Y[2]});
    // Pixels whose centres lie in the vertices' box.
    int box[4];
    if (!PixelBox(minXf, minYf, maxXf, maxYf, target, box)) return false;

    Triangle& t = *out;
    t.minX = box[0];
    t.minY = box[1];
    t.maxX = box[2];
    t.maxY = box[3];
    const std::int64_t half = kSub / 2;
    const std::int64_t px = std::int64_t(t.minX) * kSub + half;
    const std::int64_t py = std::int64_t(t.minY) * kSub + half;
    Gradients g{1.0 / double(area2), X[0], Y[0], X[1], Y[1], X[2], Y[2], double(px - X[0]),
                double(py - Y[0])};
    if (depth) {
        // The face's plane, from this box's corner (wrapping like the plane itself).
        t.z = depth->plane;
        t.z.base = depth->plane.At(t.minX - depth->x0, t.minY - depth->y0);
    } else {
        t.z = MakePlane(g, v0.z, v1.z, v2.z, kDepthScale);
    }
    const bool flatUntextured = !style.gouraud && !style.mono && !style.texture;
    if (!flatUntextured) {
        const double cScale = 1 << kColorShift;
        t.r = MakePlane(g, v0.r, v1.r, v2.r, cScale);
        t.g = MakePlane(g, v0.g, v1.g, v2.g, cScale);
        t.b = MakePlane(g, v0.b, v1.b, v2.b, cScale);
    }
    if (style.texture) {
        t.s = MakeFloatPlane(g, v0.s, v1.s, v2.s);
        t.t = MakeFloatPlane(g, v0.t, v1.t, v2.t);
        t.q = MakeFloatPlane(g, v0.q, v1.q, v2.q);
    }
    return true;
}

std::uint32_t ConstantShade(float r, float g, float b) {
    const Gradients none{};
    const double cScale = 1 << kColorShift;
    return (Channel(MakePlane(none, r, r, r, cScale).base) << 16) |
           (Channel(MakePlane(none, g, g, g, cScale).base) << 8) |
           Channel(MakePlane(none, b, b, b, cScale).base);
}

bool FaceDepthPlane(const Vertex* v, std::size_t n, const Target& target, DepthPlane* out) {
    constexpr std::size_t kMaxCorners = 64;
    if (n < 4 || n > kMaxCorners) return false;  // many corners (rare): one plane per triangle
    std::int64_t X[kMaxCorners], Y[kMaxCorners];
    for (std::size_t i = 0; i < n; ++i) {
        X[i] = SubPixel(v[i].x);
        Y[i] = SubPixel(v[i].y);
    }
    return FaceDepthPlane(v, X, Y, n, target, out);
}

bool FaceDepthPlane(const Vertex* v, const std::int64_t* X, const std::int64_t* Y, std::size_t n,
                    const Target& target, DepthPlane* out) {
    if (n < 4 || n > 64) return false;
    std::int64_t minXf = INT64_MAX, maxXf = INT64_MIN, minYf = INT64_MAX, maxYf = INT64_MIN;
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(v[i].z)) return false;
        minXf = std::min(minXf, X[i]);
        maxXf = std::max(maxXf, X[i]);
        minYf = std::min(minYf, Y[i]);
        maxYf = std::max(maxYf, Y[i]);
    }
    // The corners' pixel box, as for a triangle: the plane starts from its corner.
    int box[4];
    if (!PixelBox(minXf, minYf, maxXf, maxYf, target, box)) return false;
    const std::int64_t half = kSub / 2, minX = box[0], minY = box[1];

    std::size_t a = 0;
    std::int64_t best = 0;
    for (std::size_t k = 1; k + 1 < n; ++k) {
        const std::int64_t area2 =
            (X[k] - X[0]) * (Y[k + 1] - Y[0]) - (X[k + 1] - X[0]) * (Y[k] - Y[0]);
        if (area2 > best) {
            best = area2;
            a = k;
        }
    }
    if (best <= 0) return false;
    const std::size_t b = a + 1;
    const Gradients g{1.0 / double(best),
                      X[0],
                      Y[0],
                      X[a],
                      Y[a],
                      X[b],
                      Y[b],
                      double(minX * kSub + half - X[0]),
                      double(minY * kSub + half - Y[0])};
    // Every corner within a quarter of a depth step of the plane.
    const double z0 = v[0].z, d1 = double(v[a].z) - z0, d2 = double(v[b].z) - z0;
    const double gx = (d1 * double(Y[b] - Y[0]) - d2 * double(Y[a] - Y[0])) * g.inverseArea2;
    const double gy = (d2 * double(X[a] - X[0]) - d1 * double(X[b] - X[0])) * g.inverseArea2;
    for (std::size_t i = 1; i < n; ++i) {
        const double off = z0 + gx * double(X[i] - X[0]) + gy * double(Y[i] - Y[0]) - v[i].z;
        if (!(std::abs(off) * 65535.0 <= 0.25)) return false;
    }
    out->plane = MakePlane(g, v[0].z, v[a].z, v[b].z, kDepthScale);
    out->x0 = int(minX);
    out->y0 = int(minY);
    return true;
}

bool SetupTriangle(const Vertex& v0, const Vertex& v1, const Vertex& v2, const FaceStyle& style,
                   const Target& target, Triangle* out, const DepthPlane* depth) {
    const Vertex* v[3] = {&v0, &v1, &v2};
    std::int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        X[i] = SubPixel(v[i]->x);
        Y[i] = SubPixel(v[i]->y);
    }
    if (!SetupPlanes(v0, v1, v2, X, Y, style, target, out, depth)) return false;

    Triangle& t = *out;
    const std::int64_t half = kSub / 2;
    const std::int64_t px = std::int64_t(t.minX) * kSub + half;
    const std::int64_t py = std::int64_t(t.minY) * kSub + half;
    for (int i = 0; i < 3; ++i) t.vy[i] = std::int32_t(Y[i]);
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const std::int64_t dx = X[j] - X[i], dy = Y[j] - Y[i];
        const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        t.e[i] = (py - Y[i]) * dx - (px - X[i]) * dy - (topLeft ? 0 : 1);
        t.ex[i] = -dy * kSub;
        t.ey[i] = dx * kSub;
    }
    return true;
}

namespace {

std::uint32_t Texel(const rm::Texture& tex, float u, float v) {
    const int w = tex.Width(), h = tex.Height();
    if (!std::isfinite(u) || !std::isfinite(v)) return tex.Pixels()[0];
    // Repeat: coordinates outside 0..1 wrap around.
    const double fu = double(u) - std::floor(double(u));
    const double fv = double(v) - std::floor(double(v));
    int x = int(fu * w), y = int(fv * h);
    x = std::clamp(x, 0, w - 1);
    y = std::clamp(y, 0, h - 1);
    return tex.Pixels()[std::size_t(y) * std::size_t(w) + std::size_t(x)];
}

std::uint32_t Modulate(std::uint32_t c, std::uint32_t level) {  // c 0..255, level 0..255
    return (c * level + 127) / 255;
}

}  // namespace

std::uint32_t ShadePixel(const Triangle& tri, const FaceStyle& style, int dx, int dy) {
    std::uint32_t base = style.color;
    if (style.texture) {
        const float s = tri.s.At(dx, dy), t = tri.t.At(dx, dy);
        float u = s, v = t;
        if (style.perspective) {
            const float q = tri.q.At(dx, dy);
            u = s / q;
            v = t / q;
        }
        base = Texel(*style.texture, u, v) & 0xFFFFFFu;
    }
    const std::uint32_t br = (base >> 16) & 0xFF, bg = (base >> 8) & 0xFF, bb = base & 0xFF;
    if (style.mono) {
        // Intensity quantised to the device's shades, as a ramp of the face's colour.
        const std::uint32_t n = std::uint32_t(std::max(style.shades, 2) - 1);
        const std::uint32_t level = (Channel(tri.r.At(dx, dy)) * n + 127) / 255;
        auto ramp = [&](std::uint32_t c) { return (c * level + n / 2) / n; };
        return (ramp(br) << 16) | (ramp(bg) << 8) | ramp(bb);
    }
    const std::uint32_t r = Channel(tri.r.At(dx, dy));
    const std::uint32_t g = Channel(tri.g.At(dx, dy));
    const std::uint32_t b = Channel(tri.b.At(dx, dy));
    if (!style.texture) return (r << 16) | (g << 8) | b;
    return (Modulate(br, r) << 16) | (Modulate(bg, g) << 8) | Modulate(bb, b);
}

void FillReference(const Triangle& tri, const FaceStyle& style, const Target& target) {
    const bool flat = !style.gouraud && !style.mono && !style.texture;
    for (int y = tri.minY; y <= tri.maxY; ++y) {
        for (int x = tri.minX; x <= tri.maxX; ++x) {
            const int dx = x - tri.minX, dy = y - tri.minY;
            bool inside = true;
            for (int i = 0; i < 3; ++i) {
                if (tri.e[i] + tri.ex[i] * dx + tri.ey[i] * dy < 0) inside = false;
            }
            if (!inside) continue;
            if (style.alpha != 255 && !StippleKeeps(style.alpha, x, y)) continue;
            const std::size_t at = std::size_t(y) * std::size_t(target.stride) + std::size_t(x);
            const std::uint32_t z = DepthOf(tri.z.At(dx, dy));
            if (target.depth) {
                if (z >= target.depth[at]) continue;
                target.depth[at] = static_cast<std::uint16_t>(z);
            }
            target.color[at] = flat ? style.color : ShadePixel(tri, style, dx, dy);
        }
    }
}

void DrawLine(const Vertex& a, const Vertex& b, std::uint32_t color, std::uint8_t alpha,
              const Target& target) {
    const int x0 = int(std::floor(a.x)), y0 = int(std::floor(a.y));
    const int x1 = int(std::floor(b.x)), y1 = int(std::floor(b.y));
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const int n = std::max(dx, dy);
    int err = dx - dy;
    int x = x0, y = y0;
    for (int i = 0; i <= n; ++i) {
        if (x >= target.clipX0 && x < target.clipX1 && y >= target.clipY0 && y < target.clipY1 &&
            (alpha == 255 || StippleKeeps(alpha, x, y))) {
            const float f = n == 0 ? 0.0f : float(i) / float(n);
            const float zf = std::clamp(a.z + (b.z - a.z) * f, 0.0f, 1.0f);
            const std::uint32_t z = std::uint32_t(std::lrint(zf * 65535.0f));
            const std::size_t at = std::size_t(y) * std::size_t(target.stride) + std::size_t(x);
            if (!target.depth || z < target.depth[at]) {
                if (target.depth) target.depth[at] = static_cast<std::uint16_t>(z);
                target.color[at] = color;
            }
        }
        const int e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
}

}  // namespace render::raster
