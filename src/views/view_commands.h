// The view commands and what changes the view as a whole: fit the model or the selection
// (Home, F), back to the start view, the fit after an open, and the counts of the status
// bar. View changes are not edits: the model and its history stay as they are.
#pragma once

#include <string>

#include "doc/commands.h"
#include "doc/session.h"
#include "ports/pane_host.h"
#include "views/view_fit.h"

namespace views {

// The client sizes of the three orthographic panes and the 3D pane, as the window has them.
PaneSizes PaneSizesOf(const ports::FrameHost& frame);

// Puts a fit into the session: ViewScale, the view centre, and the model frame scaled to
// the fit's scale about the centre, its rotation kept.
void ApplyFit(doc::Session& session, const ViewFit& fit);
// Fits the whole model, or the selected corners (the whole model when none is selected).
// False when there is nothing to fit (an empty model).
bool FitToModel(doc::Session& session, const PaneSizes& panes, bool selectionOnly);
// After a file was opened into an empty model: fits when the model is not wholly and
// clearly in view at the current view. True when it fitted.
bool FitAfterOpen(doc::Session& session, const PaneSizes& panes);

// "頂点 %d  面 %d  選択: 頂点 %d  面 %d": the mesh's vertices, the faces, the selected
// corners and the faces whose corners are all selected.
std::string CountsText(const model::FaceTable& table);

// Registers fit (Home), fit selection (F) and reset view; each repaints the four panes.
void RegisterViewCommands(doc::Session& session, ports::FrameHost& frame,
                          doc::CommandRouter& router);

}  // namespace views
