// The editing keys of the panes and the editing commands: Enter finishes a polygon, Esc
// and the undo-point command take back its last point, N and the numeric-input command
// open the dialog of the current tool.
#pragma once

#include "doc/commands.h"
#include "doc/session.h"
#include "ports/pane_host.h"
#include "ports/ui.h"

namespace views {

// A key pressed in any pane (KeyCode of views/mdlr_view.h: the shell maps Return and
// keypad Enter both to KEY_RETURN, N with or without Shift to KEY_N): true when the key did
// something here, false when it is left to default processing (Enter outside the polygon tool, and
// every other key).
bool HandleEditKey(doc::Session& session, ports::UserInterface& ui, ports::FrameHost& frame,
                   int virtualKey);

// Registers the undo command 32802 under its own id and under the framework's undo id that
// Ctrl+Z and Alt+Backspace send: it takes back the polygon's last point while there is one,
// else the last step of the edit path (enabled when either is possible, its prompt naming
// the step). Also Redo (enabled when a step was undone) and the numeric-input command 32803
// (always enabled).
void RegisterEditCommands(doc::Session& session, ports::UserInterface& ui, ports::FrameHost& frame,
                          doc::CommandRouter& router);

}  // namespace views
