#include "doc/selection_commands.h"

#include "doc/edit_path.h"
#include "model/table_edits.h"

namespace doc {

int CutSelectedFaces(Session& session, ports::FrameHost& frame) {
    model::FaceTable& table = session.Table();
    if (!model::AnyFullySelected(table)) {
        table.ClearSelection();
        frame.UpdateAllViews();
        return 0;
    }
    EditPath path(session, frame);
    path.Begin(StepKind::Cut, model::EditScope::Everything);
    const int deleted = model::CutFullySelected(table, session.model);
    if (!path.Commit(Repaint::AllViews)) return 0;
    return deleted;
}

void RegisterSelectionCommands(Session& session, ports::FrameHost& frame, CommandRouter& router) {
    router.On(ID_EDIT_CUT, [&session, &frame] { CutSelectedFaces(session, frame); });
    router.On(ID_SELECT_INVERT, [&session, &frame] {
        model::InvertSelection(session.Table());
        frame.UpdateAllViews();
    });
    router.On(ID_SELECT_CLEAR, [&session, &frame] {
        session.Table().ClearSelection();
        frame.UpdateAllViews();
    });
}

}  // namespace doc
