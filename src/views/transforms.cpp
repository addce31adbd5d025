#include "views/transforms.h"

#include <cmath>

#include "doc/session.h"

namespace views {

namespace {

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

// The anchor in model terms on the pane's two axes.
float AnchorH(const DragStep& s) {
    return float(s.anchor.x - s.centre.x) / s.scale;
}
float AnchorV(const DragStep& s) {
    return float(s.centre.y - s.anchor.y) / s.scale;
}

}  // namespace

bool AxesOfPane(int row, int column, PaneAxes* axes) {
    PaneAxes a{};
    if (row == 0 && column == 0) {
        a = TOP_AXES;
    } else if (row == 1 && column == 0) {
        a = FRONT_AXES;
    } else if (row == 1 && column == 1) {
        a = SIDE_AXES;
    } else {
        return false;
    }
    if (axes) *axes = a;
    return true;
}

void MoveStep(model::FaceTable& table, const DragStep& s) {
    const float dh = float(s.last.x - s.pointer.x) / s.scale;
    const float dv = float(s.last.y - s.pointer.y) / s.scale;
    ForEachSelected(table, [&](rm::Vector& p) {
        Coord(p, s.axes.h) = Coord(p, s.axes.h) - dh;
        Coord(p, s.axes.v) = Coord(p, s.axes.v) + dv;
    });
}

void RotateStep(model::FaceTable& table, const DragStep& s) {
    const float ch = AnchorH(s);
    const float cv = AnchorV(s);
    // One degree per pixel, with a pi of 3.141592654; 360 / 0 is infinite, so no movement
    // gives the angle -0.
    const int r = (s.last.x - s.pointer.x) + (s.pointer.y - s.last.y);
    const double theta = -6.283185308 / (360.0 / double(r));
    const double c = std::cos(theta);
    const double sn = std::sin(theta);
    ForEachSelected(table, [&](rm::Vector& p) {
        const float dh = Coord(p, s.axes.h) - ch;
        const float dv = Coord(p, s.axes.v) - cv;
        Coord(p, s.axes.h) = static_cast<float>(double(ch) + c * double(dh) + sn * double(dv));
        Coord(p, s.axes.v) = static_cast<float>(double(cv) - sn * double(dh) + c * double(dv));
    });
}

void ScaleStep(model::FaceTable& table, const DragStep& s) {
    float c[3] = {0.0f, 0.0f, 0.0f};  // the hidden axis scales about 0
    c[s.axes.h] = AnchorH(s);
    c[s.axes.v] = AnchorV(s);
    const float t = float((s.last.x - s.pointer.x) + (s.pointer.y - s.last.y)) / s.scale;
    ForEachSelected(table, [&](rm::Vector& p) {
        p.x = p.x - (p.x - c[0]) * t;
        p.y = p.y - (p.y - c[1]) * t;
        p.z = p.z - (p.z - c[2]) * t;
    });
}

void StretchStep(model::FaceTable& table, const DragStep& s) {
    const float ch = AnchorH(s);
    const float cv = AnchorV(s);
    const float tx = float(s.last.x - s.pointer.x) / s.scale;
    const float ty = float(s.last.y - s.pointer.y) / s.scale;
    ForEachSelected(table, [&](rm::Vector& p) {
        float& h = Coord(p, s.axes.h);
        float& v = Coord(p, s.axes.v);
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
