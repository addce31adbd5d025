// The commands on the corner selection: Cut deletes the fully selected faces from the
// mesh, Invert and Clear change the selection flags. Each ends with every pane redrawn.
#pragma once

#include "doc/commands.h"
#include "doc/session.h"
#include "model/face_table.h"
#include "ports/pane_host.h"

namespace doc {

// A face is fully selected when every one of its corners is; a face without corners is.
bool IsFullySelected(const model::FaceTable& table, int f);

// Deletes every fully selected face from the mesh (last face first, so the mesh's numbers
// of the faces still to visit stay those of the table), reads the mesh back into the table,
// rebuilds the mesh and clears every selection flag. Vertices no face uses stay in the
// mesh. Returns the number of faces deleted.
int CutSelectedFaces(Session& session);
// Toggles every corner of every face in the table, one corner at a time.
void InvertSelection(model::FaceTable& table);
// Deselects every corner of every face in the table.
void ClearSelection(model::FaceTable& table);

// OnEditCut, OnInvertSelection and OnClearSelection on their command ids.
void RegisterSelectionCommands(Session& session, ports::FrameHost& frame, CommandRouter& router);

}  // namespace doc
