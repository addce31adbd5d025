#include "render/ortho_draw.h"

#include <algorithm>

#include "render/raster_canvas.h"

namespace render {

namespace {

// Draws with `pen` for the scope and puts the previous pen back afterwards.
class PenScope {
  public:
    PenScope(ports::Canvas& canvas, const ports::Pen& pen)
        : canvas_(canvas), old_(canvas.SelectPen(pen)) {}
    ~PenScope() { canvas_.SelectPen(old_); }
    PenScope(const PenScope&) = delete;
    PenScope& operator=(const PenScope&) = delete;

  private:
    ports::Canvas& canvas_;
    ports::Pen old_;
};

void Line(ports::Canvas& canvas, int x1, int y1, int x2, int y2) {
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

// Dotted lines across the pane at +-d pixels from the model origin `o`: two horizontal,
// then two vertical.
void DottedPair(ports::Canvas& canvas, const PaneGeometry& g, ports::Point o, int d) {
    const PenScope pen(canvas, kGuidePen);
    Line(canvas, 0, o.y - d, g.width, o.y - d);
    Line(canvas, 0, o.y + d, g.width, o.y + d);
    Line(canvas, o.x - d, 0, o.x - d, g.height);
    Line(canvas, o.x + d, 0, o.x + d, g.height);
}

}  // namespace

PaneLabels LabelsOf(PaneRole role, const PaneGeometry& g) {
    const int W = g.width, H = g.height, cx = g.cx, cy = g.cy;
    switch (role) {
        case PaneRole::Top:
            return {{{"Top", {0, 0}},
                     {"-X", {0, cy - 7}},
                     {"+X", {W - 20, cy - 7}},
                     {"+Z", {cx - 8, 0}},
                     {"-Z", {cx - 8, H - 15}}},
                    5};
        case PaneRole::Front:
            return {{{"Face", {0, 0}},
                     {"-X", {0, cy - 7}},
                     {"+X", {W - 10, cy - 7}},
                     {"+Y", {cx - 8, 0}},
                     {"-Y", {cx - 8, H - 15}}},
                    5};
        case PaneRole::Side:
            return {{{"Left", {0, 0}},
                     {"+Y", {cx - 8, 0}},
                     {"-Y", {cx - 8, H - 15}},
                     {"-Z", {0, cy - 7}},
                     {"+Z", {W - 20, cy - 7}}},
                    5};
        case PaneRole::View3D:
            break;
    }
    return {{}, 0};
}

void DrawGuides(ports::Canvas& canvas, const PaneGeometry& g) {
    // The axes and guides stand where the model's origin and units are drawn: at the pane
    // centre in the start view, elsewhere (or outside the pane) once the view has moved.
    const ports::Point o = g.OriginOnScreen();
    {
        const PenScope pen(canvas, kAxisPen);
        Line(canvas, 0, o.y, g.width, o.y);
        Line(canvas, o.x, 0, o.x, g.height);
    }
    const int d1 = TruncToFar(g.scale);  // one model unit
    DottedPair(canvas, g, o, d1);
    DottedPair(canvas, g, o, d1 / 2);  // half a unit
}

void DrawLabels(ports::Canvas& canvas, PaneRole role, const PaneGeometry& g) {
    canvas.SetTextColor(kLabelColor);
    canvas.SetBackgroundMode(ports::BackgroundMode::Transparent);
    const PaneLabels labels = LabelsOf(role, g);
    for (int i = 0; i < labels.count; ++i) {
        canvas.TextOut(labels.items[i].at.x, labels.items[i].at.y, labels.items[i].text);
    }
}

void DrawEdge(ports::Canvas& canvas, const PaneGeometry& g, int x1, int y1, int x2, int y2) {
    Line(canvas, g.cx + x1, g.cy + y1, g.cx + x2, g.cy + y2);
}

void DrawCornerMark(ports::Canvas& canvas, const PaneGeometry& g, int x, int y, bool selected) {
    const int r = selected ? 2 : 1;  // 4 x 4 or 2 x 2 pixels
    const int sx = g.cx + x, sy = g.cy + y;
    canvas.FillRect({sx - r, sy - r, sx + r, sy + r},
                    selected ? kSelectedCornerColor : kCornerColor);
}

void DrawPointMark(ports::Canvas& canvas, const PaneGeometry& g, int x, int y) {
    const int sx = g.cx + x, sy = g.cy + y;
    canvas.FillRect({sx - 2, sy - 2, sx + 2, sy + 2}, kPointMarkColor);
}

void DrawCrosshair(ports::Canvas& canvas, const PaneGeometry& g, float h, float v) {
    const PenScope pen(canvas, kCrosshairPen);
    // v comes negated (screen y grows downward), so the centre is added back.
    const int y = g.cy + TruncToFar(g.scale * (v + g.centre.v));
    const int x = g.cx + TruncToFar(g.scale * (h - g.centre.h));
    Line(canvas, 0, y, g.width, y);
    Line(canvas, x, 0, x, g.height);
}

void DrawBand(ports::Canvas& canvas, const ports::Rect& band) {
    const PenScope pen(canvas, kBandPen);
    canvas.MoveTo(band.left, band.top);
    canvas.LineTo(band.left, band.bottom);
    canvas.LineTo(band.right, band.bottom);
    canvas.LineTo(band.right, band.top);
    canvas.LineTo(band.left, band.top);
}

namespace {

// The wireframe on a canvas of a known type: the raster canvas's calls are then direct.
template <typename CanvasT>
void Wireframe(CanvasT& canvas, PaneRole role, const PaneGeometry& g,
               const model::FaceTable& table) {
    ports::Point at[model::MAX_FACE_VERTICES];
    const int faces = std::min(table.faceCount, model::MAX_FACES);
    for (int f = 0; f < faces; ++f) {
        const int n = std::min(table.vertexCount[f], model::MAX_FACE_VERTICES);
        for (int k = 0; k < n; ++k) at[k] = g.Offset(PlaneOf(role, table.position[f][k]));
        // Edge k -> k + 1 (the last closes at corner 0), then corner k's mark.
        for (int k = 0; k < n; ++k) {
            const ports::Point& a = at[k];
            const ports::Point& b = at[k + 1 < n ? k + 1 : 0];
            canvas.MoveTo(g.cx + a.x, g.cy + a.y);  // DrawEdge
            canvas.LineTo(g.cx + b.x, g.cy + b.y);
            const bool selected = table.selected[f][k] != 0;  // DrawCornerMark
            const int r = selected ? 2 : 1;
            const int sx = g.cx + a.x, sy = g.cy + a.y;
            canvas.FillRect({sx - r, sy - r, sx + r, sy + r},
                            selected ? kSelectedCornerColor : kCornerColor);
        }
    }
}

}  // namespace

void DrawWireframe(ports::Canvas& canvas, PaneRole role, const PaneGeometry& g,
                   const model::FaceTable& table) {
    if (auto* raster = dynamic_cast<RasterCanvas*>(&canvas)) {
        Wireframe(*raster, role, g, table);
    } else {
        Wireframe(canvas, role, g, table);
    }
}

void DrawOrthoPane(ports::Canvas& canvas, const OrthoScene& scene) {
    if (!IsOrthographic(scene.role)) return;
    const PaneGeometry& g = scene.geometry;
    DrawGuides(canvas, g);
    DrawLabels(canvas, scene.role, g);
    if (scene.table) DrawWireframe(canvas, scene.role, g, *scene.table);

    if (scene.polygonMode) {
        const PlanePoint ref = PlaneOf(scene.role, scene.polyDepthRef);
        DrawCrosshair(canvas, g, ref.h, -ref.v);
        const auto& pts = scene.polyPoints;
        const int last = static_cast<int>(pts.size()) - 1;
        if (last >= 0) {
            ports::Point at[model::MAX_FACE_VERTICES];
            const int n = std::min(last + 1, model::MAX_FACE_VERTICES);
            for (int k = 0; k < n; ++k) {
                at[k] = g.Offset(PlaneOf(scene.role, pts[std::size_t(k)]));
                DrawPointMark(canvas, g, at[k].x, at[k].y);
            }
            for (int k = n - 1; k >= 1; --k)
                DrawEdge(canvas, g, at[k].x, at[k].y, at[k - 1].x, at[k - 1].y);
            if (n >= 3) DrawEdge(canvas, g, at[0].x, at[0].y, at[n - 1].x, at[n - 1].y);
        }
    } else if (scene.buttonHeld) {
        DrawBand(canvas, scene.band);
    }
}

}  // namespace render
