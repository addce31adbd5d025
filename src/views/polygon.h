// Polygon creation: up to 16 points clicked in the orthographic panes become one new face.
// A point within 4 pixels of an existing corner snaps to it and shares its vertex; any
// other point lies on the pane's plane at the depth of the reference point that the right
// button sets. Enter adds the face, Esc and the undo-point command take back a point.
#pragma once

#include "doc/session.h"
#include "ports/pane_host.h"
#include "ports/ui.h"
#include "views/transforms.h"

namespace views {

// Left press in an orthographic pane with the polygon tool: places the next point,
// snapped to the first corner in table order whose pixel lies within 4 pixels of the
// pointer on both axes (inclusive). The 17th point is refused with a message. True when a
// point was placed (the caller repaints the orthographic panes).
bool PlacePolygonPoint(doc::Session& session, ports::UserInterface& ui, render::PaneRole role,
                       const render::PaneGeometry& geometry, ports::Point pointer);

// Right press in an orthographic pane with the polygon tool: the pane's two coordinates
// of the reference point. True when it was set.
bool SetDepthReference(doc::Session& session, render::PaneRole role,
                       const render::PaneGeometry& geometry, ports::Point pointer);

// Esc and the undo-point command: takes back the last point, if any; the orthographic
// panes are repainted in any case.
void RemoveLastPolygonPoint(doc::Session& session, ports::FrameHost& frame);
// Whether there is a point to take back (the undo-point command's enabled state).
bool CanRemovePolygonPoint(const doc::Session& session);

// Enter with the polygon tool: with at least three points, the face is added to the model
// (the table reads the new mesh back and the mesh is rebuilt from it), all four panes are
// repainted and the points are dropped. With fewer points, a full table, or a mesh that
// cannot be built, a message says so and the points stay.
void FinishPolygon(doc::Session& session, ports::UserInterface& ui, ports::FrameHost& frame);

}  // namespace views
