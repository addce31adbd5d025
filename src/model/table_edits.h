// The edits of the table's geometry and selection that the tools and commands make: the
// transforms of the selected corners, band selection, invert, Cut, and the face a finished
// polygon adds. Each changes the table only (Cut and the polygon also the mesh they read
// back); the caller rebuilds the mesh and records the step (doc/edit_path.h).
#pragma once

#include <span>

#include "model/face_table.h"
#include "model/model_host.h"
#include "rm/types.h"

namespace model {

// The model axes of an orthographic pane as indices into (x, y, z): horizontal (right is
// +), vertical (up is +) and hidden.
struct PlaneAxes {
    int h;
    int v;
    int w;
};

// Every transform below changes only selected corners, in table order, and never writes a
// coordinate that is not finite: a corner whose new position would not be finite keeps
// its old one. Each returns the number of corners it moved.

// Mouse Move: h = h - dh, v = v + dv (dh, dv: the pointer's step in model units).
int MoveSelectedInPlane(FaceTable& table, PlaneAxes axes, float dh, float dv);
// Mouse Rotate: the pane's two coordinates turned about (ch, cv), with cos c and sin s of
// the angle worked in double: h = ch + c * dh + s * dv, v = cv - s * dh + c * dv.
int TurnSelectedInPlane(FaceTable& table, PlaneAxes axes, float ch, float cv, double c, double s);
// Mouse Scale: every axis p = p - (p - centre[p]) * t.
int ScaleSelected(FaceTable& table, const float centre[3], float t);
// Mouse Stretch: h = h - (h - ch) * th, v = v + (v - cv) * tv.
int StretchSelectedInPlane(FaceTable& table, PlaneAxes axes, float ch, float cv, float th,
                           float tv);

// Numeric Move: p = p + (x, y, z).
int MoveSelected(FaceTable& table, float x, float y, float z);
// Numeric Scale and Stretch, per axis p = p - ((100 - rate) * (p - c)) * 0.01 (rates in
// percent): 100 keeps the corner, 0 puts it on the centre, a negative rate mirrors it.
int StretchSelected(FaceTable& table, const float rate[3], const rm::Vector& centre);
// Numeric Rotate about the X (0), Y (1) or Z (2) axis through `centre`, by `degrees`:
// about X a positive angle turns +Y toward +Z, about Y +X toward +Z, about Z +Y toward +X.
// Any other axis changes nothing.
int RotateSelected(FaceTable& table, int axis, double degrees, const rm::Vector& centre);

// Band selection: selected[f][k] = value for every corner whose pixel, project(position),
// lies within [left, right] x [top, bottom] (inclusive). `project` maps a position to a
// point with x and y members. Returns the number of corners inside.
template <typename Project>
int MarkCornersInBand(FaceTable& table, Project project, int left, int top, int right, int bottom,
                      int value) {
    int inside = 0;
    table.ForEachCorner([&](int f, int k) {
        const auto s = project(table.position[f][k]);
        if (s.x >= left && s.x <= right && s.y >= top && s.y <= bottom) {
            table.selected[f][k] = value;
            ++inside;
        }
    });
    return inside;
}

// Toggles every corner of every face.
void InvertSelection(FaceTable& table);

// A face is fully selected when every one of its corners is; a face without corners is.
bool IsFullySelected(const FaceTable& table, int f);
bool AnyFullySelected(const FaceTable& table);

// Cut: deletes every fully selected face from the mesh (last face first, so the mesh's
// numbers of the faces still to visit stay those of the table), reads the mesh back and
// clears the selection. Vertices no face uses stay in the mesh. The caller detaches the
// mesh before and rebuilds after. Returns the number of faces deleted.
int CutFullySelected(FaceTable& table, ModelHost& host);

// Enter in polygon creation: AddPolygon, then the mesh read back so that the new face is
// the table's last, unselected whatever an earlier, longer model left in its row. Anything
// but Added leaves the table and the mesh as they were.
AddPolygonResult AppendPolygon(FaceTable& table, ModelHost& host,
                               std::span<const rm::Vector> points, std::span<int> pointVertex);

}  // namespace model
