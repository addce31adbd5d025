// What the rasterizer devices share: the triangle set-up in fixed point, the pixel rules
// (coverage, depth, stipple, shading) and the fills. Every device finds the same pixels
// and computes the same values for them; they differ in how they walk the triangle.
//
// Numbers:
// - Screen positions are in 1/16 pixel (4 fraction bits). A pixel is covered when its
//   centre lies inside the triangle, or on a top or left edge (so that triangles sharing
//   an edge never both draw a pixel, and never both miss one).
// - Front faces run clockwise on the screen (y down); triangles running the other way are
//   not drawn.
// - Attributes are planes a(x, y) = base + dx (x - minX) + dy (y - minY) over pixel
//   indices, in 32-bit fixed point with wrap-around arithmetic: colours with 16 fraction
//   bits (0..255 in the integer part), depth with 12 (0..65535). A pixel's value is its
//   plane value shifted down and clamped, so walking the plane step by step gives exactly
//   the value of evaluating it at the pixel.
// - Depth test: a pixel is drawn when its depth is less than the z-buffer's; the z-buffer
//   is cleared to 0xFFFF.
// - Transparency is a screen door: a face of alpha a draws the pixels of a 4 x 4 ordered
//   pattern whose threshold lies below a, so 255 draws all and 0 none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#else
#include <cmath>
#endif

#include "rm/texture.h"

namespace render::raster {

constexpr int kSubBits = 4;
constexpr int kSub = 1 << kSubBits;
constexpr int kColorShift = 16;
constexpr int kDepthShift = 12;

// The pixels a fill may touch.
struct Target {
    std::uint32_t* color = nullptr;
    std::uint16_t* depth = nullptr;                      // may be null: no depth test
    int stride = 0;                                      // pixels per row of both buffers
    int clipX0 = 0, clipY0 = 0, clipX1 = 0, clipY1 = 0;  // half-open pixel rectangle
};

// How a face is coloured.
struct FaceStyle {
    bool gouraud = false;     // colour planes, else one colour
    bool mono = false;        // ramp device: the r plane is an intensity, quantised to shades
    int shades = 256;         // ramp device's shade count (2 or more)
    std::uint32_t color = 0;  // flat: the pixel colour (0x00RRGGBB); mono: the face's own colour
    std::uint8_t alpha = 255;
    const rm::Texture* texture = nullptr;  // with pixels; texels lit by the colour planes
    bool perspective = false;              // texture coordinates perspective-correct
};

// A vertex after projection.
struct Vertex {
    float x = 0, y = 0;         // screen position in pixels
    float z = 0;                // depth 0..1
    float r = 0, g = 0, b = 0;  // 0..255: lit colour (or intensity for the ramp device)
    float s = 0, t = 0, q = 1;  // u q, v q and q (q = 1 for affine texturing)
};

struct Plane {
    std::int32_t base = 0, dx = 0, dy = 0;
    std::int32_t At(int x, int y) const {
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(base) +
            static_cast<std::uint32_t>(dx) * static_cast<std::uint32_t>(x) +
            static_cast<std::uint32_t>(dy) * static_cast<std::uint32_t>(y));
    }
};

struct FloatPlane {
    float base = 0, dx = 0, dy = 0;
    float At(int x, int y) const {
        return base + dx * static_cast<float>(x) + dy * static_cast<float>(y);
    }
};

struct Triangle {
    int minX = 0, minY = 0, maxX = -1, maxY = -1;  // inclusive pixel box, inside the target
    // Edge values at the centre of pixel (minX, minY), with the top-left bias applied (a
    // pixel is inside when all three are >= 0), and their steps per pixel.
    std::int64_t e[3] = {}, ex[3] = {}, ey[3] = {};
    std::int32_t vy[3] = {};  // the vertices' heights in 1/16 pixel (edge i runs from i to i + 1)
    Plane z, r, g, b;
    FloatPlane s, t, q;
};

// A screen position in 1/16 pixel, as the set-up rounds it: to nearest, ties to even.
inline std::int64_t SubPixel(float v) {
#if defined(__SSE2__)
    return _mm_cvtsd_si64(_mm_set_sd(double(v * float(kSub))));
#else
    return std::lrint(double(v * float(kSub)));
#endif
}
// Twice the signed area of a triangle in 1/16 pixel units; front faces give > 0.
std::int64_t Area2(float x0, float y0, float x1, float y1, float x2, float y2);

// The pixels whose centres lie in a box of positions (in 1/16 pixel, from minXf, minYf
// to maxXf, maxYf), inside the target: false when there are none.
inline bool PixelBox(std::int64_t minXf, std::int64_t minYf, std::int64_t maxXf, std::int64_t maxYf,
                     const Target& target, int box[4]) {
    const std::int64_t half = kSub / 2;
    // (Arithmetic shifts divide by 16 rounding down.)
    std::int64_t minX = -((half - minXf) >> kSubBits), maxX = (maxXf - half) >> kSubBits;
    std::int64_t minY = -((half - minYf) >> kSubBits), maxY = (maxYf - half) >> kSubBits;
    minX = minX < target.clipX0 ? target.clipX0 : minX;
    minY = minY < target.clipY0 ? target.clipY0 : minY;
    maxX = maxX > target.clipX1 - 1 ? target.clipX1 - 1 : maxX;
    maxY = maxY > target.clipY1 - 1 ? target.clipY1 - 1 : maxY;
    if (minX > maxX || minY > maxY) return false;
    box[0] = int(minX);
    box[1] = int(minY);
    box[2] = int(maxX);
    box[3] = int(maxY);
    return true;
}

// The depth of a flat face. A face of four or more corners whose corners all lie within a
// quarter of a depth step of one plane takes its depth from that plane in every triangle
// it is cut into (the plane through corner 0 and the fan triangle's two other corners
// that span the largest area). A face that is not flat enough keeps one plane per
// triangle. Either way the depth inside a triangle is within a quarter step of its own
// corners' plane; one plane per face spares the set-up of each triangle's.
struct DepthPlane {
    Plane plane;  // from pixel (x0, y0)
    int x0 = 0, y0 = 0;
};
// False when the face keeps one plane per triangle (or covers nothing of the target).
bool FaceDepthPlane(const Vertex* v, std::size_t n, const Target& target, DepthPlane* out);
// The same with the corners' positions already rounded by SubPixel.
bool FaceDepthPlane(const Vertex* v, const std::int64_t* X, const std::int64_t* Y, std::size_t n,
                    const Target& target, DepthPlane* out);

// Sets up a triangle; false when it is culled (back-facing or empty) or covers no pixel
// of the target. `depth`, when given, is the depth plane of the face the triangle is part of.
bool SetupTriangle(const Vertex& v0, const Vertex& v1, const Vertex& v2, const FaceStyle& style,
                   const Target& target, Triangle* out, const DepthPlane* depth = nullptr);
// The part of the set-up before the edges: the box and the planes, from positions already
// rounded by SubPixel (X and Y). False as for SetupTriangle; the edges are left alone.
bool SetupPlanes(const Vertex& v0, const Vertex& v1, const Vertex& v2, const std::int64_t X[3],
                 const std::int64_t Y[3], const FaceStyle& style, const Target& target,
                 Triangle* out, const DepthPlane* depth = nullptr);

// The triangles the devices cut a face of n corners into: the fan (0, k, k + 1), set up
// for the target with the face's depth plane when it has one; `use(tri)` for each that is
// drawn. `tri` is the caller's, reused from triangle to triangle.
template <typename Use>
void ForEachTriangle(const Vertex* v, std::size_t n, const FaceStyle& style, const Target& target,
                     Triangle& tri, Use use) {
    DepthPlane depth;
    const bool planar = FaceDepthPlane(v, n, target, &depth);
    for (std::size_t k = 1; k + 1 < n; ++k) {
        if (SetupTriangle(v[0], v[k], v[k + 1], style, target, &tri, planar ? &depth : nullptr))
            use(tri);
    }
}

// The stipple rule: whether a face of this alpha draws pixel (x, y).
bool StippleKeeps(std::uint8_t alpha, int x, int y);
// Stipple thresholds of the 4 x 4 pattern, row by row.
extern const std::uint8_t kStippleThreshold[16];

// The colour of a covered pixel at offsets (dx, dy) from the triangle's box corner, from
// the colour planes (and the texture); not for flat untextured faces, which use style.color.
std::uint32_t ShadePixel(const Triangle& tri, const FaceStyle& style, int dx, int dy);
// The colour a Gouraud face gives every pixel when all its corners have colour (r, g, b):
// that of constant colour planes.
std::uint32_t ConstantShade(float r, float g, float b);
// The pixel's depth 0..65535.
inline std::uint32_t DepthOf(std::int32_t z) {
    const std::int32_t v = z >> kDepthShift;
    return v < 0 ? 0u : v > 0xFFFF ? 0xFFFFu : static_cast<std::uint32_t>(v);
}
inline std::uint32_t Channel(std::int32_t c) {
    const std::int32_t v = c >> kColorShift;
    return v < 0 ? 0u : v > 255 ? 255u : static_cast<std::uint32_t>(v);
}

// The fills: the reference walks the whole box and evaluates every rule at every pixel;
// the fast one walks spans and steps the planes.
void FillReference(const Triangle& tri, const FaceStyle& style, const Target& target);
void FillFast(const Triangle& tri, const FaceStyle& style, const Target& target);

// The fast device's path for a whole face. The devices draw a face of n corners as the fan
// of triangles (0, k, k + 1). When the face's outline, rounded to 1/16 pixel, is strictly
// convex, the fan's triangles together cover exactly the pixels that the outline's own
// edges cover under the same rule, and a pixel lies in fan triangle k when it is on the
// inner side of the line from corner 0 to corner k + 1 and not of the line to corner k + 2
// (the lines from corner 0 split the face like slices). So the face can be filled row by
// row over its outline, one span per row, each pixel taking the planes of its triangle:
// the same pixels and values as triangle by triangle, with far fewer rows.
struct FanPoint {
    std::int32_t x = 0, y = 0;  // a corner in 1/16 pixel, as SubPixel rounds it
};
// A fan triangle's planes moved to the picture's corner: at pixel (x, y) they give
// At(x, y), wrapping like the triangle's own planes, so the values are the same.
struct FanPiece {
    Plane z;
};
struct FanShade {  // colour planes, for faces that are not one colour
    Plane r, g, b;
};
struct Fan {
    int minX = 0, minY = 0, maxX = -1, maxY = -1;  // the face's pixel box, inside the target
    std::uint32_t firstPoint = 0, count = 0;       // corners in FanStore::points
    std::uint32_t firstPiece = 0;                  // count - 2 triangles in FanStore::pieces
    std::uint32_t firstShade = 0;                  // and in FanStore::shades unless flat
    bool flat = false;                             // every pixel gets flatColor
    std::uint32_t flatColor = 0;
    bool planar = false;  // the face's depth plane (from the picture's corner) in `depth`
    Plane depth;
};
// The corners and triangles of many faces, so that a frame's faces can be set up first and
// filled later (by bands of rows).
struct FanStore {
    std::vector<FanPoint> points;
    std::vector<FanPiece> pieces;
    std::vector<FanShade> shades;
    void Clear() {
        points.clear();
        pieces.clear();
        shades.clear();
    }
};
enum class FanSetup {
    Culled,     // nothing to draw: back-facing or outside the target
    Ready,      // set up: FillFan draws it
    Triangles,  // not for this path (a triangle, not strictly convex once rounded, textured,
                // ramp-shaded or beyond the path's range): draw the triangles one by one
};
// Sets up the face of corners v[0..n) for the target's rectangle, appending to `store`.
FanSetup SetupFan(const Vertex* v, std::size_t n, const FaceStyle& style, const Target& target,
                  FanStore& store, Fan* out);
// Fills the rows of a face set up by SetupFan that lie inside the target.
void FillFan(const Fan& fan, const FanStore& store, const FaceStyle& style, const Target& target);

// A line between two projected vertices in one colour, depth-tested and stippled like a
// face (used for wireframe).
void DrawLine(const Vertex& a, const Vertex& b, std::uint32_t color, std::uint8_t alpha,
              const Target& target);

}  // namespace render::raster
