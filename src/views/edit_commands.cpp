#include "views/edit_commands.h"

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
    const auto undo = [&session, &frame] { RemoveLastPolygonPoint(session, frame); };
    const auto canUndo = [&session] { return CanRemovePolygonPoint(session); };
    router.On(doc::ID_UNDO_POINT, undo, canUndo);
    router.On(doc::ID_EDIT_UNDO, undo, canUndo);
    router.On(doc::ID_NUMERIC_INPUT,
              [&session, &ui, &frame] { ApplyNumericTransform(session, ui, frame); });
}

}  // namespace views
