// The editing tools' work inside the view's handlers: the transform tools' step and
// commit, polygon points, and the keys of the numeric transforms.
#include "views/mdlr_view.h"

namespace views {

void CMdlrView::TransformStep(int /*x*/, int /*y*/) {}

void CMdlrView::CommitTransform() {
    session_.Table().RebuildMesh(session_.model);
    frame_.InvalidatePane(0, 1, false);
}

void CMdlrView::PolygonPress(bool /*left*/, int /*x*/, int /*y*/) {}

void CMdlrView::OnKeyDown(int /*key*/) {}

}  // namespace views
