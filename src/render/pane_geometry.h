// Which pane of the 2 x 2 splitter shows what, and the mapping between a pane's pixels and
// model coordinates. One zoom factor (pixels per model unit) and one view centre (a model
// point drawn at the pane centre) serve the three orthographic panes, so they stay aligned;
// with the centre at the origin the mapping is the program's start view.
#pragma once

#include <cmath>
#include <string_view>

#include "ports/canvas.h"
#include "ports/pane_host.h"
#include "rm/types.h"

namespace render {

// Top: X right, Z up. Front: X right, Y up. Side: Z right, Y up.
using ports::PaneRole;
using ports::PaneRoleAt;
constexpr bool IsOrthographic(PaneRole role) {
    return role != PaneRole::View3D;
}

// A float truncated toward zero, saturating at the int range; NaN gives 0.
inline int TruncToInt(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483648.0f) return 2147483647;
    if (value <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<int>(value);
}

// Screen positions of model points stay within this distance of the origin, so that a
// centre plus an offset is always an int; it is far beyond any pane.
constexpr int kFarPixel = 1 << 29;

// A float truncated toward zero and kept within kFarPixel; NaN gives 0.
inline int TruncToFar(float value) {
    constexpr float far = static_cast<float>(kFarPixel);
    if (value > -far && value < far) return static_cast<int>(value);
    if (value >= far) return kFarPixel;
    return value <= -far ? -kFarPixel : 0;  // NaN: 0
}

// A model point's coordinates on a pane's horizontal and vertical axes.
struct PlanePoint {
    float h = 0.0f;
    float v = 0.0f;
};

inline PlanePoint PlaneOf(PaneRole role, const rm::Vector& p) {
    switch (role) {
        case PaneRole::Top:
            return {p.x, p.z};
        case PaneRole::Front:
            return {p.x, p.y};
        case PaneRole::Side:
            return {p.z, p.y};
        case PaneRole::View3D:
            break;
    }
    return {};
}

struct PaneGeometry {
    int width = 0;   // client right
    int height = 0;  // client bottom
    int cx = 0;      // centre, halves truncated toward zero
    int cy = 0;
    float scale = 1.0f;  // pixels per model unit
    PlanePoint centre;   // the model point drawn at (cx, cy), on this pane's axes

    // `viewCentre` is the view centre on this pane's axes (PlaneOf the model point).
    static PaneGeometry Of(ports::Size client, float viewScale, PlanePoint viewCentre = {}) {
        return {client.width,      client.height, client.width / 2,
                client.height / 2, viewScale,     viewCentre};
    }

    // Offsets from the pane centre: trunc(scale * (h - ch)) and trunc(-(scale * (v - cv)))
    // (the product is formed first, then negated, then truncated), kept within kFarPixel.
    // With the centre at the origin the differences are h and v themselves, bit for bit.
    int OffsetX(float h) const { return TruncToFar(scale * (h - centre.h)); }
    int OffsetY(float v) const { return TruncToFar(-(scale * (v - centre.v))); }
    ports::Point Offset(PlanePoint q) const { return {OffsetX(q.h), OffsetY(q.v)}; }
    ports::Point ToScreen(PlanePoint q) const { return {cx + OffsetX(q.h), cy + OffsetY(q.v)}; }
    // Where the model origin lies on the screen (the axes cross there).
    ports::Point OriginOnScreen() const { return ToScreen({0.0f, 0.0f}); }

    // Pixels back to model coordinates: h = ch + (sx - cx) / scale, v = cv + (cy - sy) /
    // scale; with the centre at the origin exactly (sx - cx) / scale and (cy - sy) / scale.
    PlanePoint ToModel(int sx, int sy) const {
        return {centre.h + static_cast<float>(static_cast<long long>(sx) - cx) / scale,
                centre.v + static_cast<float>(cy - static_cast<long long>(sy)) / scale};
    }
};

}  // namespace render
