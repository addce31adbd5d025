#include "views/mdlr_view.h"

#include <algorithm>

#include "base/numbers.h"
#include "render/ortho_draw.h"
#include "views/selection.h"

namespace views {

namespace {

constexpr render::PaneRole kOrthoPanes[] = {render::PaneRole::Top, render::PaneRole::Front,
                                            render::PaneRole::Side};

}  // namespace

std::string StatusText(render::PaneRole role, render::PlanePoint p) {
    // "座標(%f,%f,%f)" with the axis the pane does not show printed as a plain 0.
    const float* xyz[3] = {nullptr, nullptr, nullptr};
    switch (role) {
        case render::PaneRole::Top:  // X, Z
            xyz[0] = &p.h;
            xyz[2] = &p.v;
            break;
        case render::PaneRole::Front:  // X, Y
            xyz[0] = &p.h;
            xyz[1] = &p.v;
            break;
        case render::PaneRole::Side:  // horizontal Z, vertical Y
            xyz[1] = &p.v;
            xyz[2] = &p.h;
            break;
        case render::PaneRole::View3D:
            return {};
    }
    std::string s = "座標(";
    for (int i = 0; i < 3; ++i) {
        if (i) s += ',';
        if (xyz[i]) {
            base::AppendFixed(s, *xyz[i]);
        } else {
            s += '0';
        }
    }
    s += ')';
    return s;
}

CMdlrView::CMdlrView(doc::Session& session, ports::FrameHost& frame, ports::PaneHost& pane, int row,
                     int column)
    : session_(session), frame_(frame), pane_(pane), row_(row), column_(column) {
    session_.poly.PolyLastPoint = -1;
}

render::PaneGeometry CMdlrView::Geometry() const {
    return render::PaneGeometry::Of(pane_.ClientSize(), session_.ViewScale,
                                    render::PlaneOf(Role(), session_.viewCentre));
}

// --- presses and releases ---

void CMdlrView::Press(bool left, int x, int y) {
    // The same button pressed again: its release never came here.
    if (left && m_bLButtonDown) OnLButtonUp(m_ptLast.x, m_ptLast.y);
    if (!left && m_bRButtonDown) OnRButtonUp(m_ptLast.x, m_ptLast.y);
    if (!m_bLButtonDown && !m_bRButtonDown) pane_.SetCapture();
    m_ptAnchor = m_ptLast = {x, y};
    (left ? m_bLButtonDown : m_bRButtonDown) = 1;
    m_rcBand = {x, y, x, y};
    if (!left) zoomTravel = 0;
    if (EditMode() == doc::EDIT_POLYGON) {
        PolygonPress(left, x, y);
        return;
    }
    // A press acts as a drag of length zero.
    MouseMoveWork(x, y);
}

void CMdlrView::OnLButtonDown(int x, int y) {
    Press(true, x, y);
}
void CMdlrView::OnRButtonDown(int x, int y) {
    Press(false, x, y);
}

void CMdlrView::OnLButtonUp(int /*x*/, int /*y*/) {
    if (!m_bRButtonDown) pane_.ReleaseCapture();
    m_bLButtonDown = 0;
    switch (EditMode()) {
        case doc::EDIT_SELECT:
            if (IsOrthographic()) pane_.Invalidate(true);  // wipes the band
            break;
        case doc::EDIT_MOVE:
        case doc::EDIT_ROTATE:
        case doc::EDIT_SCALE:
        case doc::EDIT_STRETCH:
            if (IsOrthographic()) CommitTransform();
            break;
        default:
            break;
    }
}

void CMdlrView::OnRButtonUp(int /*x*/, int /*y*/) {
    if (!m_bLButtonDown) pane_.ReleaseCapture();
    m_bRButtonDown = 0;
    if (IsOrthographic()) pane_.Invalidate(true);
}

void CMdlrView::OnRButtonDblClk(int /*x*/, int /*y*/) {
    session_.Table().ClearSelection();
    frame_.InvalidateOrthographicPanes();
}

void CMdlrView::EndDrag() {
    if (ending_) return;  // a capture released below may report itself lost
    ending_ = true;
    if (m_bLButtonDown) OnLButtonUp(m_ptLast.x, m_ptLast.y);
    if (m_bRButtonDown) OnRButtonUp(m_ptLast.x, m_ptLast.y);
    if (panning) OnMButtonUp(panLast.x, panLast.y);
    ending_ = false;
}

// --- moves ---

void CMdlrView::OnMouseMove(int x, int y, HeldButtons held) {
    // A release that never reached this view (a dialog or another window took it).
    if (m_bLButtonDown && !held.left) OnLButtonUp(x, y);
    if (m_bRButtonDown && !held.right) OnRButtonUp(x, y);
    if (panning && !held.middle) OnMButtonUp(x, y);
    if (panning) PanStep(x, y);
    MouseMoveWork(x, y);
}

void CMdlrView::MouseMoveWork(int x, int y) {
    ShowStatus(x, y);
    if (m_bLButtonDown) {
        if (Role() == render::PaneRole::View3D) RotateModel(x, y);
        switch (EditMode()) {
            case doc::EDIT_SELECT:
                BandStep(x, y, 1);
                break;
            case doc::EDIT_MOVE:
            case doc::EDIT_ROTATE:
            case doc::EDIT_SCALE:
            case doc::EDIT_STRETCH:
                if (IsOrthographic()) TransformStep(x, y);
                break;
            default:  // 1 and polygon creation: nothing
                break;
        }
    }
    if (m_bRButtonDown) {
        UpdateBand(x, y);
        if (IsOrthographic()) {
            BandStep(x, y, 0);
        } else {
            ZoomStep(x);
        }
    }
    m_ptLast = {x, y};
}

void CMdlrView::ShowStatus(int x, int y) {
    frame_.SetMessageText(StatusText(Role(), Geometry().ToModel(x, y)));
}

void CMdlrView::UpdateBand(int x, int y) {
    m_rcBand = {std::min(m_ptAnchor.x, x), std::min(m_ptAnchor.y, y), std::max(m_ptAnchor.x, x),
                std::max(m_ptAnchor.y, y)};
}

void CMdlrView::BandStep(int x, int y, int value) {
    UpdateBand(x, y);
    if (!IsOrthographic()) return;
    MarkCornersInBand(session_.Table(), Role(), Geometry(), m_rcBand, value);
    InvalidateOrthographicPanes();
}

void CMdlrView::InvalidateOrthographicPanes() {
    pane_.Invalidate(true);
    for (const render::PaneRole role : kOrthoPanes) {
        if (role != Role()) frame_.InvalidatePane(role, true);
    }
}

void CMdlrView::RotateModel(int x, int y) {
    if (const rm::FramePtr& frame = session_.model.m_pModelFrame) {
        frame->AddRotation(rm::COMBINE_AFTER, 1.0f, 0.0f, 0.0f,
                           static_cast<float>(m_ptLast.y - y) * kRotationPerPixel);
        frame->AddRotation(rm::COMBINE_AFTER, 0.0f, 1.0f, 0.0f,
                           static_cast<float>(m_ptLast.x - x) * kRotationPerPixel);
    }
    Render3D();
}

void CMdlrView::Render3D() {
    if (pane3d && pane3d->IsReady()) pane3d->Render(true);
}

bool CMdlrView::ScaleViews(float factor) {
    float& scale = session_.ViewScale;
    // Zooming out needs a positive scale; neither direction may leave the bounds.
    const float next = scale * factor;
    const bool allowed =
        factor == kZoomOut ? scale > 0.0f && next >= kMinViewScale : next <= kMaxViewScale;
    if (!allowed) return false;
    scale = next;
    if (const rm::FramePtr& frame = session_.model.m_pModelFrame) {
        // A uniform scale about the scene origin. In the start view the frame sits there and
        // this is the scale of the frame's own contents; after a fit the model's centre
        // sits there, so the model keeps its place in the pane.
        frame->AddScale(rm::COMBINE_AFTER, factor, factor, factor);
    }
    return true;
}

void CMdlrView::ZoomStep(int x) {
    zoomTravel += x - m_ptLast.x;
    bool zoomed = false;
    while (zoomTravel >= kZoomPixelsPerStep || zoomTravel <= -kZoomPixelsPerStep) {
        const bool in = zoomTravel > 0;
        if (!ScaleViews(in ? kZoomIn : kZoomOut)) {
            zoomTravel = 0;
            break;
        }
        zoomTravel += in ? -kZoomPixelsPerStep : kZoomPixelsPerStep;
        zoomed = true;
    }
    if (!zoomed) return;
    Render3D();
    frame_.InvalidateOrthographicPanes();
}

// --- keys, size, paint ---

void CMdlrView::OnSize(int /*width*/, int /*height*/) {
    if (pane3d) pane3d->OnSize();
}

void CMdlrView::OnDraw(ports::Canvas& canvas) {
    if (!IsOrthographic()) {
        if (pane3d) pane3d->OnDraw();
        return;
    }
    const doc::PolygonState& poly = session_.poly;
    render::OrthoScene scene;
    scene.role = Role();
    scene.geometry = Geometry();
    scene.table = &session_.Table();
    scene.polygonMode = EditMode() == doc::EDIT_POLYGON;
    const int points = std::clamp(poly.PolyLastPoint + 1, 0, doc::MAX_POLY_POINTS);
    scene.polyPoints = {poly.PolyPoints, std::size_t(points)};
    scene.polyDepthRef = poly.PolyDepthRef;
    scene.buttonHeld = IsDragging();
    scene.band = m_rcBand;
    render::DrawOrthoPane(canvas, scene);
}

}  // namespace views
