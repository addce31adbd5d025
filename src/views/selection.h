// The corner test of band selection: which corners of the table an orthographic pane shows
// inside a rectangle of its pixels.
#pragma once

#include "model/face_table.h"
#include "ports/canvas.h"
#include "render/pane_geometry.h"

namespace views {

// Sets selected[f][k] = value for every corner whose projection into the pane lies in
// `band` (all four bounds inclusive; the hidden axis plays no part). Returns the number of
// corners inside.
int MarkCornersInBand(model::FaceTable& table, render::PaneRole role,
                      const render::PaneGeometry& geometry, const ports::Rect& band, int value);

}  // namespace views
