// The editing tools' work inside the view's handlers: the transform tools' step and
// commit, polygon points, and the keys of the numeric transforms and polygon creation.
#include "doc/edit_path.h"
#include "views/edit_commands.h"
#include "views/mdlr_view.h"
#include "views/polygon.h"
#include "views/transforms.h"

namespace views {

ports::UserInterface& CMdlrView::Ui() {
    static ports::SilentUserInterface silent;
    return ui_ ? *ui_ : silent;
}

namespace {

doc::StepKind DragKindOf(int editMode) {
    switch (editMode) {
        case doc::EDIT_ROTATE:
            return doc::StepKind::Rotate;
        case doc::EDIT_SCALE:
            return doc::StepKind::Scale;
        case doc::EDIT_STRETCH:
            return doc::StepKind::Stretch;
        default:
            return doc::StepKind::Move;
    }
}

}  // namespace

void CMdlrView::TransformStep(int x, int y) {
    // The press starts the step; every move of the drag is part of it.
    doc::EditPath path(session_, frame_);
    if (!path.InStep()) path.Begin(DragKindOf(EditMode()), model::EditScope::Positions);
    DragStepOfTool(EditMode(), session_.Table(),
                   {Role(), Geometry(), m_ptAnchor, m_ptLast, ports::Point{x, y}});
    InvalidateOrthographicPanes();
}

void CMdlrView::CommitTransform() {
    doc::EditPath path(session_, frame_);
    if (!path.InStep()) path.Begin(DragKindOf(EditMode()), model::EditScope::Positions);
    path.Commit(doc::Repaint::View3D);
}

void CMdlrView::PolygonPress(bool left, int x, int y) {
    if (!IsOrthographic()) return;
    if (left) {
        if (!PlacePolygonPoint(session_, Ui(), Role(), Geometry(), {x, y})) return;
        InvalidateOrthographicPanes();
        frame_.RefreshCommandStates();  // the undo-point command has a point to take back
    } else if (SetDepthReference(session_, Role(), Geometry(), {x, y})) {
        InvalidateOrthographicPanes();
    }
}

void CMdlrView::OnKeyDown(int key) {
    HandleEditKey(session_, Ui(), frame_, key);
}

}  // namespace views
