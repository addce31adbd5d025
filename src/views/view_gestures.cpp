// The view gestures of the panes: pan and wheel zoom. They change what the panes show, not
// the model.
#include <cmath>
#include <cstdlib>

#include "views/mdlr_view.h"
#include "views/transforms.h"

namespace views {

namespace {

// The pane's two coordinates of the view centre set to `c`; the hidden one stays.
void SetCentreOnPlane(render::PaneRole role, rm::Vector& centre, render::PlanePoint c) {
    if (!std::isfinite(c.h) || !std::isfinite(c.v)) return;
    SetPlane(role, centre, c);
}

}  // namespace

void CMdlrView::OnMButtonDown(int x, int y) {
    if (panning) OnMButtonUp(panLast.x, panLast.y);
    if (!IsOrthographic()) return;
    if (!m_bLButtonDown && !m_bRButtonDown) pane_.SetCapture();
    panning = true;
    panLast = {x, y};
    ShowStatus(x, y);
}

void CMdlrView::OnMButtonUp(int /*x*/, int /*y*/) {
    if (!panning) return;
    panning = false;
    if (!m_bLButtonDown && !m_bRButtonDown) pane_.ReleaseCapture();
}

void CMdlrView::PanStep(int x, int y) {
    const render::PaneGeometry g = Geometry();
    if (x == panLast.x && y == panLast.y) return;
    // The model point that was under the pointer comes under it again.
    const render::PlanePoint was = g.ToModel(panLast.x, panLast.y);
    const render::PlanePoint now = g.ToModel(x, y);
    const render::PlanePoint c{g.centre.h - (now.h - was.h), g.centre.v - (now.v - was.v)};
    SetCentreOnPlane(Role(), session_.viewCentre, c);
    panLast = {x, y};
    frame_.InvalidateOrthographicPanes();
}

void CMdlrView::OnMouseWheel(int x, int y, int notches) {
    if (notches == 0) return;
    const render::PaneGeometry before = Geometry();
    const render::PlanePoint under = before.ToModel(x, y);
    bool changed = false;
    for (int i = std::abs(notches); i > 0; --i) {
        if (!ScaleViews(notches > 0 ? kZoomIn : kZoomOut)) break;
        changed = true;
    }
    if (!changed) return;
    if (IsOrthographic()) {
        // The centre that puts `under` back at (x, y) at the new scale.
        const float s = session_.ViewScale;
        const render::PlanePoint c{
            under.h - static_cast<float>(static_cast<long long>(x) - before.cx) / s,
            under.v - static_cast<float>(before.cy - static_cast<long long>(y)) / s};
        SetCentreOnPlane(Role(), session_.viewCentre, c);
        frame_.InvalidatePane(ports::PaneRole::View3D, false);  // zoomed with them
    } else {
        Render3D();
    }
    frame_.InvalidateOrthographicPanes();
    ShowStatus(x, y);
}

}  // namespace views
