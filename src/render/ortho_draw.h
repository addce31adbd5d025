// The picture of an orthographic pane (top, front or side), drawn completely on every
// paint from the face table and the view's state, bottom layer first: guide lines, the
// five labels, the wireframe with a mark at every face corner, and the overlay (the
// polygon being created, or the rubber band of a mouse drag).
#pragma once

#include <span>

#include "model/face_table.h"
#include "ports/canvas.h"
#include "render/pane_geometry.h"
#include "rm/types.h"

namespace render {

// Colours and pens of the picture.
constexpr ports::Color kGuideColor = ports::Rgb(192, 192, 192);
constexpr ports::Color kLabelColor = ports::Rgb(128, 128, 128);
constexpr ports::Color kCornerColor = ports::Rgb(0, 0, 0);
constexpr ports::Color kSelectedCornerColor = ports::Rgb(255, 0, 0);
constexpr ports::Color kPointMarkColor = ports::Rgb(0, 0, 255);
constexpr ports::Pen kAxisPen{ports::PenStyle::Solid, 2, kGuideColor};
constexpr ports::Pen kGuidePen{ports::PenStyle::Dot, 1, kGuideColor};
constexpr ports::Pen kCrosshairPen{ports::PenStyle::Solid, 1, ports::Rgb(0, 255, 0)};
constexpr ports::Pen kBandPen{ports::PenStyle::Solid, 2, ports::Rgb(255, 255, 0)};

// A label and its client position.
struct Label {
    const char* text;
    ports::Point at;
};
// The five labels of a pane in drawing order; empty for the 3D pane.
struct PaneLabels {
    Label items[5];
    int count;
};
PaneLabels LabelsOf(PaneRole role, const PaneGeometry& g);

// What one paint of an orthographic pane reads.
struct OrthoScene {
    PaneRole role = PaneRole::Top;
    PaneGeometry geometry;
    const model::FaceTable* table = nullptr;
    // Polygon creation is the current tool: its points 0 .. PolyLastPoint (empty when none
    // is placed) and the depth reference that the crosshair shows.
    bool polygonMode = false;
    std::span<const rm::Vector> polyPoints;
    rm::Vector polyDepthRef;
    // A mouse button is held in the pane: the band (client pixels) is drawn, outside
    // polygon creation.
    bool buttonHeld = false;
    ports::Rect band;
};

// The whole picture, in the order described above. The canvas is expected to be white.
void DrawOrthoPane(ports::Canvas& canvas, const OrthoScene& scene);

// The pieces, each with offsets from the pane centre unless said otherwise.
void DrawGuides(ports::Canvas& canvas, const PaneGeometry& g);
void DrawLabels(ports::Canvas& canvas, PaneRole role, const PaneGeometry& g);
void DrawWireframe(ports::Canvas& canvas, PaneRole role, const PaneGeometry& g,
                   const model::FaceTable& table);
void DrawEdge(ports::Canvas& canvas, const PaneGeometry& g, int x1, int y1, int x2, int y2);
void DrawCornerMark(ports::Canvas& canvas, const PaneGeometry& g, int x, int y, bool selected);
void DrawPointMark(ports::Canvas& canvas, const PaneGeometry& g, int x, int y);
// Takes model coordinates: a horizontal line at cy + trunc(scale * v), then a vertical one
// at cx + trunc(scale * h), across the pane.
void DrawCrosshair(ports::Canvas& canvas, const PaneGeometry& g, float h, float v);
// The band in client pixels: left side, bottom, right side, top.
void DrawBand(ports::Canvas& canvas, const ports::Rect& band);

}  // namespace render
