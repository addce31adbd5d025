// The one way the model changes. Every command, gesture and dialog that edits the model
// runs inside a step of the edit path: Begin, then changes of the table (or of the detached
// mesh, read back into the table), then Commit, which rebuilds the mesh from the table,
// asks for the repaint, records the step for undo and sets the modified mark. Between steps
// the table is the truth and the mesh follows from it.
#pragma once

#include <functional>
#include <string_view>

#include "doc/session.h"
#include "model/table_history.h"
#include "ports/pane_host.h"

namespace doc {

// What a step was, for the undo and redo prompts.
enum class StepKind : int {
    Move,
    Rotate,
    Scale,
    Stretch,
    NumericMove,
    NumericRotate,
    NumericScale,
    NumericStretch,
    Cut,
    Material,
    Texture,
    RemoveTexture,
    Wrap,
    Polygon,
    Open,
};
// The step's name as the prompts show it ("移動", "切り取り", ...).
std::string_view StepName(StepKind kind);

// Which panes a step repaints when it ends.
enum class Repaint {
    None,
    View3D,    // the 3D pane, over its old picture
    AllPanes,  // the four panes one by one (top, 3D, front, side), erasing
    AllViews,  // the document's UpdateAllViews
};

class EditPath {
  public:
    EditPath(Session& session, ports::FrameHost& frame) : session_(session), frame_(frame) {}

    // Starts a step. A step still open (a drag that never saw its release) ends first.
    void Begin(StepKind kind, model::EditScope scope);
    bool InStep() const { return session_.edit.open; }

    // The table changed inside the step and the user should see it at once (the Material
    // dialog's colour button): the mesh is rebuilt now; the step stays open.
    bool Show(Repaint repaint);
    // Runs `change` on the mesh, detached from the model frame, attaches it again and reads
    // it back into the table. False when `change` reports that it did nothing; the table
    // is then not read.
    bool ChangeMesh(const std::function<bool(model::ModelHost&)>& change);

    // Ends the step: the mesh rebuilt from the table (unless `rebuild` is false because the
    // step rebuilt it already), the repaint, and a step recorded and the mark set when the
    // table changed. A rebuild that fails puts the table and the mesh back as they were
    // and records nothing; the result is false then.
    bool Commit(Repaint repaint, bool rebuild = true);
    // Ends the step without keeping its changes: the table back to the start of the step,
    // the mesh rebuilt from it.
    void Abandon(Repaint repaint);

    // Begin, `change` on the table, Commit; `change` returns false to abandon.
    bool Apply(StepKind kind, model::EditScope scope, Repaint repaint,
               const std::function<bool(model::FaceTable&)>& change);

    // Undo and Redo of the last step (a step still open ends first); every pane repaints.
    bool Undo();
    bool Redo();
    bool CanUndo() const { return session_.history.CanUndo(); }
    bool CanRedo() const { return session_.history.CanRedo(); }

    // New and the opens that replace the model: the history starts again from the table
    // as it is, unmodified.
    void Reset();
    // A save that kept everything: the present state is the saved one.
    void MarkSaved();
    bool IsModified() const { return session_.history.StateId() != session_.edit.savedState; }

  private:
    void Changed();
    void RequestRepaint(Repaint repaint);

    Session& session_;
    ports::FrameHost& frame_;
};

}  // namespace doc
