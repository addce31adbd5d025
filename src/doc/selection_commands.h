// The commands on the corner selection: Cut deletes the fully selected faces, Invert and
// Clear change the selection flags. Each ends with every pane redrawn.
#pragma once

#include "doc/commands.h"
#include "doc/session.h"
#include "model/face_table.h"
#include "ports/pane_host.h"

namespace doc {

// Cut, one step of the edit path: every fully selected face deleted from the mesh, the
// mesh read back and rebuilt, the selection cleared, every pane redrawn. With no face fully
// selected only the selection is cleared and no step is recorded. Returns the number of
// faces deleted.
int CutSelectedFaces(Session& session, ports::FrameHost& frame);

// OnEditCut, OnInvertSelection and OnClearSelection on their command ids.
void RegisterSelectionCommands(Session& session, ports::FrameHost& frame, CommandRouter& router);

}  // namespace doc
