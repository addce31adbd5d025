// The main window's tool commands: the six tools (select, move, rotate, scale, stretch,
// polygon creation) with their check marks, and the first sizing of the 2 x 2 splitter.
#pragma once

#include "doc/commands.h"
#include "doc/session.h"
#include "ports/pane_host.h"

namespace doc {

// The tool of a tool command id, and its index in the check order; false for other ids.
bool ToolOfCommand(int id, int* editMode, int* toolCheck);

// Runs a tool command. For the five editing tools: a pending polygon is wiped from the
// three orthographic panes, the tool is set and the pending points are discarded. For
// polygon creation: the tool is set, the points discarded, every corner deselected and the
// three orthographic panes repainted.
void SelectTool(Session& session, ports::FrameHost& frame, int id);

// Registers the six tool commands with their checked queries.
void RegisterToolCommands(Session& session, ports::FrameHost& frame, CommandRouter& router);

// The splitter's first size, from the main window's client area at the first maximised
// resize: column 0 is half the width, row 0 half the height less 32 (never below 0).
struct SplitterSize {
    int column0Width;
    int row0Height;
};
SplitterSize FirstSplitterSize(int clientWidth, int clientHeight);

}  // namespace doc
