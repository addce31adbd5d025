#include "views/polygon.h"

#include <climits>
#include <cmath>
#include <span>
#include <string>

#include "doc/texts.h"

namespace views {

namespace {

namespace text = doc::text;

long long TruncSaturated(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return INT_MAX;
    if (value <= -2147483648.0f) return INT_MIN;
    return static_cast<long long>(static_cast<int>(value));
}

// The pane that was clicked first, then the other two orthographic panes.
void InvalidateOrthographicPanes(ports::FrameHost& frame, int row, int column) {
    frame.InvalidatePane(row, column, true);
    const int panes[3][2] = {{0, 0}, {1, 0}, {1, 1}};
    for (const auto& p : panes) {
        if (p[0] != row || p[1] != column) frame.InvalidatePane(p[0], p[1], true);
    }
}

void ShowError(ports::UserInterface& ui, std::string_view message) {
    ui.MessageBox(std::string(message), std::string(text::kErrorCaption), ports::Buttons::Ok,
                  ports::Icon::None);
}

// The pointer in model terms on the pane's two axes; false when the zoom makes them
// meaningless (not finite).
bool PointerInModel(float scale, PixelPoint centre, PixelPoint pointer, float* h, float* v) {
    *h = float(pointer.x - centre.x) / scale;
    *v = float(centre.y - pointer.y) / scale;
    return std::isfinite(*h) && std::isfinite(*v);
}

}  // namespace

long long ScreenH(float scale, int cx, float h) {
    return cx + TruncSaturated(scale * h);
}

long long ScreenV(float scale, int cy, float v) {
    return cy + TruncSaturated(-(scale * v));
}

void PlacePolygonPoint(doc::Session& session, ports::UserInterface& ui, ports::FrameHost& frame,
                       int row, int column, PixelPoint centre, PixelPoint pointer) {
    PaneAxes axes{};
    if (!AxesOfPane(row, column, &axes)) return;
    doc::PolygonState& poly = session.poly;
    if (poly.PolyLastPoint >= doc::MAX_POLY_POINTS - 1) {
        ShowError(ui, text::kTooManyPoints);
        return;
    }
    const float scale = session.ViewScale;
    float h = 0.0f;
    float v = 0.0f;
    if (!PointerInModel(scale, centre, pointer, &h, &v)) return;
    const int i = ++poly.PolyLastPoint;

    const model::FaceTable& t = session.Table();
    for (int f = 0; f < t.faceCount; ++f) {
        for (int k = 0; k < t.vertexCount[f]; ++k) {
            const rm::Vector& p = t.position[f][k];
            const long long sx = ScreenH(scale, centre.x, Coord(p, axes.h));
            const long long sy = ScreenV(scale, centre.y, Coord(p, axes.v));
            if (sx >= pointer.x - doc::SNAP_TOLERANCE && sx <= pointer.x + doc::SNAP_TOLERANCE &&
                sy >= pointer.y - doc::SNAP_TOLERANCE && sy <= pointer.y + doc::SNAP_TOLERANCE) {
                poly.PolyPoints[i] = p;
                poly.PolyPointVertex[i] = t.vertexIndex[f][k];
                InvalidateOrthographicPanes(frame, row, column);
                frame.RefreshCommandStates();
                return;
            }
        }
    }
    rm::Vector p = poly.PolyDepthRef;
    Coord(p, axes.h) = h;
    Coord(p, axes.v) = v;
    poly.PolyPoints[i] = p;
    poly.PolyPointVertex[i] = doc::POLY_NEW_VERTEX;
    InvalidateOrthographicPanes(frame, row, column);
    frame.RefreshCommandStates();
}

void SetDepthReference(doc::Session& session, ports::FrameHost& frame, int row, int column,
                       PixelPoint centre, PixelPoint pointer) {
    PaneAxes axes{};
    if (!AxesOfPane(row, column, &axes)) return;
    float h = 0.0f;
    float v = 0.0f;
    if (!PointerInModel(session.ViewScale, centre, pointer, &h, &v)) return;
    Coord(session.poly.PolyDepthRef, axes.h) = h;
    Coord(session.poly.PolyDepthRef, axes.v) = v;
    InvalidateOrthographicPanes(frame, row, column);
}

void RemoveLastPolygonPoint(doc::Session& session, ports::FrameHost& frame) {
    if (session.poly.PolyLastPoint >= 0) {
        --session.poly.PolyLastPoint;
        frame.RefreshCommandStates();
    }
    frame.InvalidatePane(0, 0, true);
    frame.InvalidatePane(1, 0, true);
    frame.InvalidatePane(1, 1, true);
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
    model::FaceTable& t = session.Table();
    const auto n = static_cast<std::size_t>(poly.PointCount());
    switch (t.AddPolygon(session.model, std::span(poly.PolyPoints, n),
                         std::span(poly.PolyPointVertex, n))) {
        case model::AddPolygonResult::Added:
            break;
        case model::AddPolygonResult::TableFull:
            ShowError(ui, text::kPolygonTableFull);
            return;
        case model::AddPolygonResult::TooManyVertices:
            ShowError(ui, text::kPolygonTooManyVertices);
            return;
        case model::AddPolygonResult::Refused:
            ShowError(ui, text::kPolygonRefused);
            return;
    }
    t.ReadFromMesh(session.model);
    // The new face starts unselected, whatever an earlier, longer model left in its row.
    if (t.faceCount > 0) {
        for (int& s : t.selected[t.faceCount - 1]) s = 0;
    }
    t.RebuildMesh(session.model);
    frame.InvalidatePane(0, 0, true);
    frame.InvalidatePane(0, 1, true);
    frame.InvalidatePane(1, 0, true);
    frame.InvalidatePane(1, 1, true);
    poly.Discard();
    frame.RefreshCommandStates();
}

}  // namespace views
