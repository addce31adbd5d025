// The editing tools' work inside the view's handlers: the transform tools' step and
// commit, polygon points, and the keys of the numeric transforms and polygon creation.
#include "views/edit_commands.h"
#include "views/mdlr_view.h"
#include "views/polygon.h"
#include "views/transforms.h"

namespace views {

ports::UserInterface& CMdlrView::Ui() {
    static ports::SilentUserInterface silent;
    return ui_ ? *ui_ : silent;
}

void CMdlrView::TransformStep(int x, int y) {
    DragStepOfTool(EditMode(), session_.Table(),
                   {Role(), Geometry(), m_ptAnchor, m_ptLast, ports::Point{x, y}});
    InvalidateOrthographicPanes();
}

void CMdlrView::CommitTransform() {
    session_.Table().RebuildMesh(session_.model);
    frame_.InvalidatePane(0, 1, false);
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
