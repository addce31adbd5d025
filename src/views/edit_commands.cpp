#include "views/edit_commands.h"

#include "doc/edit_path.h"
#include "doc/texts.h"
#include "views/mdlr_view.h"
#include "views/numeric_transform.h"
#include "views/polygon.h"

namespace views {

bool HandleEditKey(doc::Session& session, ports::UserInterface& ui, ports::FrameHost& frame,
                   int virtualKey) {
    switch (virtualKey) {
        case KEY_RETURN:
            if (session.m_nEditMode != doc::EDIT_POLYGON) return false;
            FinishPolygon(session, ui, frame);
            return true;
        case KEY_ESCAPE:
            RemoveLastPolygonPoint(session, frame);
            return true;
        case KEY_N:
            ApplyNumericTransform(session, ui, frame);
            return true;
        default:
            return false;
    }
}

void RegisterEditCommands(doc::Session& session, ports::UserInterface& ui, ports::FrameHost& frame,
                          doc::CommandRouter& router) {
    // Undo takes back the polygon's last point while there is one, else the last step.
    const auto undo = [&session, &frame] {
        if (CanRemovePolygonPoint(session)) {
            RemoveLastPolygonPoint(session, frame);
        } else {
            doc::EditPath(session, frame).Undo();
        }
    };
    const auto canUndo = [&session] {
        // A drag in progress becomes a step when the command ends it.
        return CanRemovePolygonPoint(session) || session.history.CanUndo() || session.edit.open;
    };
    const auto undoPrompt = [&session]() -> std::string {
        if (CanRemovePolygonPoint(session) || !session.history.CanUndo()) return {};
        return doc::text::Format(
            doc::text::kUndoStepPrompt,
            std::string(doc::StepName(doc::StepKind(session.history.UndoKind()))));
    };
    router.On(doc::ID_UNDO_POINT, undo, canUndo);
    router.On(doc::ID_EDIT_UNDO, undo, canUndo);
    router.SetPrompt(doc::ID_UNDO_POINT, undoPrompt);
    router.On(
        doc::ID_EDIT_REDO, [&session, &frame] { doc::EditPath(session, frame).Redo(); },
        [&session] { return session.history.CanRedo(); });
    router.SetPrompt(doc::ID_EDIT_REDO, [&session]() -> std::string {
        if (!session.history.CanRedo()) return {};
        return doc::text::Format(
            doc::text::kRedoStepPrompt,
            std::string(doc::StepName(doc::StepKind(session.history.RedoKind()))));
    });
    router.On(doc::ID_NUMERIC_INPUT,
              [&session, &ui, &frame] { ApplyNumericTransform(session, ui, frame); });
}

}  // namespace views
