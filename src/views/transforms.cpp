#include "views/transforms.h"

#include <cmath>

#include "doc/session.h"

namespace views {

namespace {

// The model axes of an orthographic pane, as indices into (x, y, z): horizontal (right is
// +), vertical (up is +) and hidden.
struct PaneAxes {
    int h;
    int v;
    int w;
};

bool AxesOf(render::PaneRole role, PaneAxes* axes) {
    switch (role) {
        case render::PaneRole::Top:
            *axes = {0, 2, 1};
            return true;
        case render::PaneRole::Front:
            *axes = {0, 1, 2};
            return true;
        case render::PaneRole::Side:
            *axes = {2, 1, 0};
            return true;
        case render::PaneRole::View3D:
            break;
    }
    return false;
}

float& Coord(rm::Vector& p, int axis) {
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

bool IsFinite(const rm::Vector& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Runs `change` on a copy of every selected corner's position and keeps the result only
// when all three coordinates are finite.
template <typename Change>
void ForEachSelected(model::FaceTable& t, Change change) {
    for (int f = 0; f < t.faceCount; ++f) {
        const int n = t.vertexCount[f];
        for (int k = 0; k < n; ++k) {
            if (t.selected[f][k] != 1) continue;
            rm::Vector p = t.position[f][k];
            change(p);
            if (IsFinite(p)) t.position[f][k] = p;
        }
    }
}

}  // namespace

void SetPlane(render::PaneRole role, rm::Vector& p, render::PlanePoint q) {
    PaneAxes a{};
    if (!AxesOf(role, &a)) return;
    Coord(p, a.h) = q.h;
    Coord(p, a.v) = q.v;
}

void MoveStep(model::FaceTable& table, const DragStep& s) {
    PaneAxes a{};
    if (!AxesOf(s.role, &a)) return;
    const float scale = s.geometry.scale;
    const float dh = float(s.last.x - s.pointer.x) / scale;
    const float dv = float(s.last.y - s.pointer.y) / scale;
    ForEachSelected(table, [&](rm::Vector& p) {
        Coord(p, a.h) = Coord(p, a.h) - dh;
        Coord(p, a.v) = Coord(p, a.v) + dv;
    });
}

void RotateStep(model::FaceTable& table, const DragStep& s) {
    PaneAxes a{};
    if (!AxesOf(s.role, &a)) return;
    // The centre of rotate, scale and stretch: the anchor, fixed for the whole drag.
    const render::PlanePoint centre = s.geometry.ToModel(s.anchor.x, s.anchor.y);
    const float ch = centre.h, cv = centre.v;
    // One degree per pixel, with a pi of 3.141592654; 360 / 0 is infinite, so no movement
    // gives the angle -0.
    const int r = (s.last.x - s.pointer.x) + (s.pointer.y - s.last.y);
    const double theta = -6.283185308 / (360.0 / double(r));
    const double c = std::cos(theta);
    const double sn = std::sin(theta);
    ForEachSelected(table, [&](rm::Vector& p) {
        const float dh = Coord(p, a.h) - ch;
        const float dv = Coord(p, a.v) - cv;
        Coord(p, a.h) = static_cast<float>(double(ch) + c * double(dh) + sn * double(dv));
        Coord(p, a.v) = static_cast<float>(double(cv) - sn * double(dh) + c * double(dv));
    });
}

void ScaleStep(model::FaceTable& table, const DragStep& s) {
    PaneAxes a{};
    if (!AxesOf(s.role, &a)) return;
    const render::PlanePoint anchor = s.geometry.ToModel(s.anchor.x, s.anchor.y);
    float c[3] = {0.0f, 0.0f, 0.0f};  // the hidden axis scales about 0
    c[a.h] = anchor.h;
    c[a.v] = anchor.v;
    const float t = float((s.last.x - s.pointer.x) + (s.pointer.y - s.last.y)) / s.geometry.scale;
    ForEachSelected(table, [&](rm::Vector& p) {
        p.x = p.x - (p.x - c[0]) * t;
        p.y = p.y - (p.y - c[1]) * t;
        p.z = p.z - (p.z - c[2]) * t;
    });
}

void StretchStep(model::FaceTable& table, const DragStep& s) {
    PaneAxes a{};
    if (!AxesOf(s.role, &a)) return;
    const render::PlanePoint centre = s.geometry.ToModel(s.anchor.x, s.anchor.y);
    const float ch = centre.h, cv = centre.v;
    const float tx = float(s.last.x - s.pointer.x) / s.geometry.scale;
    const float ty = float(s.last.y - s.pointer.y) / s.geometry.scale;
    ForEachSelected(table, [&](rm::Vector& p) {
        float& h = Coord(p, a.h);
        float& v = Coord(p, a.v);
        h = h - (h - ch) * tx;
        v = v + (v - cv) * ty;
    });
}

bool DragStepOfTool(int editMode, model::FaceTable& table, const DragStep& step) {
    switch (editMode) {
        case doc::EDIT_MOVE:
            MoveStep(table, step);
            return true;
        case doc::EDIT_ROTATE:
            RotateStep(table, step);
            return true;
        case doc::EDIT_SCALE:
            ScaleStep(table, step);
            return true;
        case doc::EDIT_STRETCH:
            StretchStep(table, step);
            return true;
        default:
            return false;
    }
}

void MoveSelected(model::FaceTable& table, float x, float y, float z) {
    ForEachSelected(table, [&](rm::Vector& p) {
        p.x = p.x + x;
        p.y = p.y + y;
        p.z = p.z + z;
    });
}

void StretchSelected(model::FaceTable& table, const float rate[3], const rm::Vector& centre) {
    constexpr float kHundred = 100.0f;
    constexpr float kPercent = 0.01f;  // 0x3C23D70A
    const float c[3] = {centre.x, centre.y, centre.z};
    const float r[3] = {rate[0], rate[1], rate[2]};
    ForEachSelected(table, [&](rm::Vector& p) {
        for (int axis = 0; axis < 3; ++axis) {
            float& q = Coord(p, axis);
            q = q - ((kHundred - r[axis]) * (q - c[axis])) * kPercent;
        }
    });
}

void RotateSelected(model::FaceTable& table, int axis, double degrees, const rm::Vector& centre) {
    if (axis < 0 || axis > 2) return;
    const double theta = degrees * -0.017453292522222223;  // -pi / 180, pi = 3.141592654
    const double s = std::sin(theta);
    const double c = std::cos(theta);
    ForEachSelected(table, [&](rm::Vector& p) {
        const double dx = double(p.x - centre.x);
        const double dy = double(p.y - centre.y);
        const double dz = double(p.z - centre.z);
        switch (axis) {
            case 0:
                p.y = static_cast<float>(double(centre.y) + (c * dy + s * dz));
                p.z = static_cast<float>(double(centre.z) + (c * dz - s * dy));
                break;
            case 1:
                p.x = static_cast<float>(double(centre.x) + (c * dx + s * dz));
                p.z = static_cast<float>(double(centre.z) + (c * dz - s * dx));
                break;
            default:
                p.x = static_cast<float>(double(centre.x) + (c * dx - s * dy));
                p.y = static_cast<float>(double(centre.y) + (s * dx + c * dy));
                break;
        }
    });
}

}  // namespace views
