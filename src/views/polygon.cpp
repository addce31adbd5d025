#include "views/polygon.h"

#include <cmath>
#include <span>
#include <string>

#include "doc/edit_path.h"
#include "doc/texts.h"
#include "model/table_edits.h"

namespace views {

namespace {

namespace text = doc::text;

void ShowError(ports::UserInterface& ui, std::string_view message) {
    ui.MessageBox(std::string(message), std::string(text::kErrorCaption), ports::Buttons::Ok,
                  ports::Icon::None);
}

// The pointer in model terms on the pane's two axes; false when the zoom makes them
// meaningless (not finite).
bool PointerInModel(const render::PaneGeometry& geometry, ports::Point pointer,
                    render::PlanePoint* q) {
    *q = geometry.ToModel(pointer.x, pointer.y);
    return std::isfinite(q->h) && std::isfinite(q->v);
}

}  // namespace

bool PlacePolygonPoint(doc::Session& session, ports::UserInterface& ui, render::PaneRole role,
                       const render::PaneGeometry& geometry, ports::Point pointer) {
    if (!render::IsOrthographic(role)) return false;
    doc::PolygonState& poly = session.poly;
    if (poly.PolyLastPoint >= doc::MAX_POLY_POINTS - 1) {
        ShowError(ui, text::kTooManyPoints);
        return false;
    }
    render::PlanePoint q;
    if (!PointerInModel(geometry, pointer, &q)) return false;
    const int i = ++poly.PolyLastPoint;

    const model::FaceTable& t = session.Table();
    for (int f = 0; f < t.faceCount; ++f) {
        for (int k = 0; k < t.vertexCount[f]; ++k) {
            const ports::Point s = geometry.ToScreen(render::PlaneOf(role, t.position[f][k]));
            if (s.x >= pointer.x - doc::SNAP_TOLERANCE && s.x <= pointer.x + doc::SNAP_TOLERANCE &&
                s.y >= pointer.y - doc::SNAP_TOLERANCE && s.y <= pointer.y + doc::SNAP_TOLERANCE) {
                poly.PolyPoints[i] = t.position[f][k];  // all three coordinates
                poly.PolyPointVertex[i] = t.vertexIndex[f][k];
                return true;
            }
        }
    }
    rm::Vector p = poly.PolyDepthRef;  // the hidden coordinate
    SetPlane(role, p, q);
    poly.PolyPoints[i] = p;
    poly.PolyPointVertex[i] = doc::POLY_NEW_VERTEX;
    return true;
}

bool SetDepthReference(doc::Session& session, render::PaneRole role,
                       const render::PaneGeometry& geometry, ports::Point pointer) {
    if (!render::IsOrthographic(role)) return false;
    render::PlanePoint q;
    if (!PointerInModel(geometry, pointer, &q)) return false;
    SetPlane(role, session.poly.PolyDepthRef, q);
    return true;
}

void RemoveLastPolygonPoint(doc::Session& session, ports::FrameHost& frame) {
    if (session.poly.PolyLastPoint >= 0) {
        --session.poly.PolyLastPoint;
        frame.RefreshCommandStates();
    }
    frame.InvalidateOrthographicPanes();
}

bool CanRemovePolygonPoint(const doc::Session& session) {
    return session.poly.PolyLastPoint >= 0;
}

void FinishPolygon(doc::Session& session, ports::UserInterface& ui, ports::FrameHost& frame) {
    doc::PolygonState& poly = session.poly;
    if (poly.PolyLastPoint < 2) {
        ShowError(ui, text::kTooFewPoints);
        return;
    }
    doc::EditPath path(session, frame);
    path.Begin(doc::StepKind::Polygon, model::EditScope::Everything);
    const auto n = static_cast<std::size_t>(poly.PointCount());
    const model::AddPolygonResult result =
        model::AppendPolygon(session.Table(), session.model, std::span(poly.PolyPoints, n),
                             std::span(poly.PolyPointVertex, n));
    if (result != model::AddPolygonResult::Added) {
        path.Commit(doc::Repaint::None, false);  // nothing changed: records nothing
        switch (result) {
            case model::AddPolygonResult::TableFull:
                ShowError(ui, text::kPolygonTableFull);
                return;
            case model::AddPolygonResult::TooManyVertices:
                ShowError(ui, text::kPolygonTooManyVertices);
                return;
            default:
                ShowError(ui, text::kPolygonRefused);
                return;
        }
    }
    if (!path.Commit(doc::Repaint::AllPanes)) {
        ShowError(ui, text::kPolygonRefused);
        return;
    }
    poly.Discard();
    frame.RefreshCommandStates();
}

}  // namespace views
