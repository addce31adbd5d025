// The four mouse tools (move, rotate, scale, stretch) as single steps on the table: one
// step per mouse message while the left button is held in an orthographic pane, from the
// pointer's movement since the previous message. The pane's pixels become model terms
// here; the corners move in model/table_edits.h. No step ever writes a coordinate that is
// not finite: a corner whose new position would not be finite keeps its old one.
#pragma once

#include "model/face_table.h"
#include "ports/canvas.h"
#include "render/pane_geometry.h"
#include "rm/types.h"

namespace views {

// Sets the two coordinates a pane shows (the counterpart of render::PlaneOf); the hidden
// coordinate stays.
void SetPlane(render::PaneRole role, rm::Vector& p, render::PlanePoint q);

// What one step of a mouse tool needs: the pane, its centre and zoom, and three pointer
// positions in client pixels.
struct DragStep {
    render::PaneRole role;
    render::PaneGeometry geometry;
    ports::Point anchor;   // where the button was pressed: the fixed centre of the drag
    ports::Point last;     // the pointer at the previous message
    ports::Point pointer;  // the pointer now
};

// One step of a tool on every selected corner, in table order (nothing in the 3D pane). Move
// follows the pointer; Rotate turns by one degree per pixel of (dx - dy) about the anchor; Scale
// multiplies all three axes by 1 + (dx - dy) / S about the anchor (the hidden axis about 0);
// Stretch multiplies the horizontal axis by 1 + dx / S and the vertical by 1 - dy / S.
void MoveStep(model::FaceTable& table, const DragStep& step);
void RotateStep(model::FaceTable& table, const DragStep& step);
void ScaleStep(model::FaceTable& table, const DragStep& step);
void StretchStep(model::FaceTable& table, const DragStep& step);
// The step of the tool `editMode` (EDIT_MOVE .. EDIT_STRETCH); false for any other mode.
bool DragStepOfTool(int editMode, model::FaceTable& table, const DragStep& step);

}  // namespace views
