// Which pane of the 2 x 2 splitter shows what, and the mapping between a pane's pixels and
// model coordinates. The model origin is always at the pane centre; one zoom factor (pixels
// per model unit) serves the three orthographic panes.
#pragma once

#include <cmath>
#include <string_view>

#include "ports/canvas.h"
#include "ports/pane_host.h"
#include "rm/types.h"

namespace render {

// Top: X right, Z up. Front: X right, Y up. Side: Z right, Y up.
enum class PaneRole { Top, View3D, Front, Side };

// Row 0: top, 3D; row 1: front, side.
constexpr PaneRole PaneRoleAt(int row, int column) {
    if (row == 0) return column == 0 ? PaneRole::Top : PaneRole::View3D;
    return column == 0 ? PaneRole::Front : PaneRole::Side;
}
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

    static PaneGeometry Of(ports::Size client, float viewScale) {
        return {client.width, client.height, client.width / 2, client.height / 2, viewScale};
    }

    // Offsets from the centre: trunc(scale * h) and trunc(-(scale * v)) (the product is
    // formed first, then negated, then truncated), kept within kFarPixel.
    int OffsetX(float h) const { return TruncToFar(scale * h); }
    int OffsetY(float v) const { return TruncToFar(-(scale * v)); }
    ports::Point Offset(PlanePoint q) const { return {OffsetX(q.h), OffsetY(q.v)}; }
    ports::Point ToScreen(PlanePoint q) const { return {cx + OffsetX(q.h), cy + OffsetY(q.v)}; }

    // Pixels back to model coordinates: h = (sx - cx) / scale, v = (cy - sy) / scale.
    PlanePoint ToModel(int sx, int sy) const {
        return {static_cast<float>(static_cast<long long>(sx) - cx) / scale,
                static_cast<float>(cy - static_cast<long long>(sy)) / scale};
    }
};

}  // namespace render
