#include "views/transforms.h"

#include "doc/session.h"
#include "model/table_edits.h"

namespace views {

namespace {

// The model axes of an orthographic pane, as indices into (x, y, z): horizontal (right is
// +), vertical (up is +) and hidden.
using PaneAxes = model::PlaneAxes;

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
    model::MoveSelectedInPlane(table, a, dh, dv);
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
    model::TurnSelectedInPlane(table, a, ch, cv, c, sn);
}

void ScaleStep(model::FaceTable& table, const DragStep& s) {
    PaneAxes a{};
    if (!AxesOf(s.role, &a)) return;
    const render::PlanePoint anchor = s.geometry.ToModel(s.anchor.x, s.anchor.y);
    float c[3] = {0.0f, 0.0f, 0.0f};  // the hidden axis scales about 0
    c[a.h] = anchor.h;
    c[a.v] = anchor.v;
    const float t = float((s.last.x - s.pointer.x) + (s.pointer.y - s.last.y)) / s.geometry.scale;
    model::ScaleSelected(table, c, t);
}

void StretchStep(model::FaceTable& table, const DragStep& s) {
    PaneAxes a{};
    if (!AxesOf(s.role, &a)) return;
    const render::PlanePoint centre = s.geometry.ToModel(s.anchor.x, s.anchor.y);
    const float ch = centre.h, cv = centre.v;
    const float tx = float(s.last.x - s.pointer.x) / s.geometry.scale;
    const float ty = float(s.last.y - s.pointer.y) / s.geometry.scale;
    model::StretchSelectedInPlane(table, a, ch, cv, tx, ty);
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

}  // namespace views
