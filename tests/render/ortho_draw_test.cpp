// The orthographic picture, call for call: guides, labels, wireframe with corner marks and
// the overlay, in that order, with their pens, colours and positions.
#include "render/ortho_draw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "model/face_table.h"
#include "recording_canvas.h"
#include "render/raster_canvas.h"
#include "test_support.h"

namespace {

using render::PaneRole;
using Calls = std::vector<std::string>;

const std::string kDefaultPen = "pen solid 1 000000";

// A 100 x 80 pane (centre 50, 40) at 20 pixels per unit.
render::OrthoScene Scene(PaneRole role, const model::FaceTable* table, float scale = 20.0f) {
    render::OrthoScene s;
    s.role = role;
    s.geometry = render::PaneGeometry::Of({100, 80}, scale);
    s.table = table;
    return s;
}

Calls Draw(const render::OrthoScene& scene) {
    testing_support::RecordingCanvas canvas;
    render::DrawOrthoPane(canvas, scene);
    return canvas.calls;
}

// The calls from the first one equal to `from` (inclusive) to the end.
Calls From(const Calls& calls, const std::string& from) {
    const auto it = std::find(calls.begin(), calls.end(), from);
    return Calls(it, calls.end());
}

void AddFace(model::FaceTable& t, std::vector<rm::Vector> corners, std::vector<int> sel = {}) {
    const int f = t.faceCount++;
    t.vertexCount[f] = static_cast<int>(corners.size());
    for (std::size_t k = 0; k < corners.size(); ++k) {
        t.position[f][k] = corners[k];
        t.selected[f][k] = k < sel.size() ? sel[k] : 0;
    }
}

TEST(OrthoDraw, EmptyTableDrawsGuidesThenLabels) {
    auto table = std::make_unique<model::FaceTable>();
    const Calls expected = {
        // axes, 2 pixels wide
        "pen solid 2 c0c0c0", "move 0,40", "line 100,40", "move 50,0", "line 50,80", kDefaultPen,
        // one unit (20 pixels) either side, dotted
        "pen dot 1 c0c0c0", "move 0,20", "line 100,20", "move 0,60", "line 100,60", "move 30,0",
        "line 30,80", "move 70,0", "line 70,80", kDefaultPen,
        // half a unit
        "pen dot 1 c0c0c0", "move 0,30", "line 100,30", "move 0,50", "line 100,50", "move 40,0",
        "line 40,80", "move 60,0", "line 60,80", kDefaultPen,
        // labels
        "textcolor 808080", "transparent", "text 0,0 Top", "text 0,33 -X", "text 80,33 +X",
        "text 42,0 +Z", "text 42,65 -Z"};
    EXPECT_EQ(Draw(Scene(PaneRole::Top, table.get())), expected);
}

TEST(OrthoDraw, LabelsOfTheFrontAndSidePanes) {
    const Calls front = From(Draw(Scene(PaneRole::Front, nullptr)), "textcolor 808080");
    EXPECT_EQ(front, (Calls{"textcolor 808080", "transparent", "text 0,0 Face", "text 0,33 -X",
                            "text 90,33 +X", "text 42,0 +Y", "text 42,65 -Y"}));
    const Calls side = From(Draw(Scene(PaneRole::Side, nullptr)), "textcolor 808080");
    EXPECT_EQ(side, (Calls{"textcolor 808080", "transparent", "text 0,0 Left", "text 42,0 +Y",
                           "text 42,65 -Y", "text 0,33 -Z", "text 80,33 +Z"}));
    EXPECT_TRUE(Draw(Scene(PaneRole::View3D, nullptr)).empty());
}

TEST(OrthoDraw, SmallScalesPutTheGuidesOnTheAxes) {
    // 1.5 pixels per unit: one unit is 1 pixel, half a unit 0.
    const Calls calls = Draw(Scene(PaneRole::Top, nullptr, 1.5f));
    EXPECT_EQ(calls[7], "move 0,39");
    EXPECT_EQ(calls[17], "move 0,40");
    EXPECT_EQ(calls[18], "line 100,40");
    EXPECT_EQ(calls[23], "move 50,0");
    const Calls tiny = Draw(Scene(PaneRole::Top, nullptr, 0.5f));
    EXPECT_EQ(tiny[7], "move 0,40");
    EXPECT_EQ(tiny[13], "move 50,0");
}

TEST(OrthoDraw, WireframeInterleavesEdgesAndMarksFaceByFace) {
    auto t = std::make_unique<model::FaceTable>();
    AddFace(*t, {{0, 0, 0}, {1, 0, 1}, {-1, 2, 0.5f}}, {0, 1, 0});
    AddFace(*t, {{0.5f, 7, -0.5f}});  // one corner: a zero-length edge and its mark
    AddFace(*t, {});                  // no corners: nothing
    AddFace(*t, {{0.004f, 0, -0.004f}, {-0.004f, 0, 0.004f}});
    const Calls top = From(Draw(Scene(PaneRole::Top, t.get(), 20.0f)), "move 50,40");
    EXPECT_EQ(top, (Calls{// face 0 in X, Z: (0, 0), (20, -20), (-20, -10) from the centre
                          "move 50,40", "line 70,20", "fill 49,39,51,41 000000",  //
                          "move 70,20", "line 30,30", "fill 68,18,72,22 ff0000",  //
                          "move 30,30", "line 50,40", "fill 29,29,31,31 000000",
                          // face 1
                          "move 60,50", "line 60,50", "fill 59,49,61,51 000000",
                          // face 3: +-0.004 both truncate to the centre
                          "move 50,40", "line 50,40", "fill 49,39,51,41 000000",  //
                          "move 50,40", "line 50,40", "fill 49,39,51,41 000000"}));
    // The side pane shows Z across and Y up; the hidden X plays no part.
    const Calls side = From(Draw(Scene(PaneRole::Side, t.get(), 20.0f)), "move 50,40");
    EXPECT_EQ(Calls(side.begin(), side.begin() + 6),
              (Calls{"move 50,40", "line 70,40", "fill 49,39,51,41 000000", "move 70,40",
                     "line 60,0", "fill 68,38,72,42 ff0000"}));
}

TEST(OrthoDraw, PolygonOverlayByPointCount) {
    model::FaceTable* none = nullptr;
    const rm::Vector pts[3] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}};
    auto overlay = [&](int count) {
        render::OrthoScene s = Scene(PaneRole::Top, none);
        s.polygonMode = true;
        s.polyDepthRef = {0.5f, 9.0f, -1.0f};
        s.polyPoints = {pts, std::size_t(count)};
        s.buttonHeld = true;  // never a band while creating a polygon
        s.band = {1, 2, 3, 4};
        return From(Draw(s), "pen solid 1 00ff00");
    };
    // The crosshair through the depth reference (X 0.5, Z -1): horizontal, then vertical.
    const Calls crosshair = {"pen solid 1 00ff00", "move 0,60",  "line 100,60",
                             "move 60,0",          "line 60,80", kDefaultPen};
    EXPECT_EQ(overlay(0), crosshair);
    Calls one = crosshair;
    one.push_back("fill 48,38,52,42 0000ff");
    EXPECT_EQ(overlay(1), one);
    Calls two = one;
    two.insert(two.end(), {"fill 68,38,72,42 0000ff", "move 70,40", "line 50,40"});
    EXPECT_EQ(overlay(2), two);
    Calls three = crosshair;
    three.insert(three.end(), {"fill 48,38,52,42 0000ff", "fill 68,38,72,42 0000ff",
                               "fill 68,18,72,22 0000ff",  // marks first
                               "move 70,20", "line 70,40", "move 70,40", "line 50,40",  // 2-1-0
                               "move 50,40", "line 70,20"});  // closing 0 -> 2
    EXPECT_EQ(overlay(3), three);
}

TEST(OrthoDraw, BandShowsWhileAButtonIsHeld) {
    render::OrthoScene s = Scene(PaneRole::Front, nullptr);
    s.band = {10, 20, 30, 45};
    EXPECT_EQ(From(Draw(s), "pen solid 2 ffff00"), Calls{});
    s.buttonHeld = true;
    EXPECT_EQ(From(Draw(s), "pen solid 2 ffff00"),
              (Calls{"pen solid 2 ffff00", "move 10,20", "line 10,45", "line 30,45", "line 30,20",
                     "line 10,20", kDefaultPen}));
}

// The same picture in pixels: the layers land where the calls say, later ones on top.
TEST(OrthoDraw, PixelsOfAPane) {
    testing_support::Model m;
    const int edge = testing_support::AppendFace(*m.table, m.host, {{-1, 0, 0}, {1, 0, 0}});
    m.table->selected[edge][0] = 1;
    render::PixelImage img(100, 80);
    render::OrthoScene s = Scene(PaneRole::Front, m.table.get());
    s.buttonHeld = true;
    s.band = {5, 5, 95, 75};
    render::DrawOrthoPane(img.Canvas(), s);
    const ports::Color grey = render::kGuideColor, white = render::kWhite;
    // The horizontal axis covers rows 39 and 40 except where the edge lies on row 40.
    EXPECT_EQ(img.ColorAt(2, 39), grey);
    EXPECT_EQ(img.ColorAt(2, 40), grey);
    EXPECT_EQ(img.ColorAt(2, 41), white);
    EXPECT_EQ(img.ColorAt(40, 40), 0u);  // the edge from (30, 40) to (70, 40), black
    // The half-unit guide at x = 40 crosses the axis in a gap of its dots, painted white.
    EXPECT_EQ(img.ColorAt(40, 39), white);
    EXPECT_EQ(img.ColorAt(40, 37), grey);
    // The unit guide at x = 70 is dotted from its top: 3 on, 3 off.
    EXPECT_EQ(img.ColorAt(70, 0), grey);
    EXPECT_EQ(img.ColorAt(70, 2), grey);
    EXPECT_EQ(img.ColorAt(70, 3), white);
    // The selected corner at (30, 40) is 4 x 4 red; the other is 2 x 2 black.
    EXPECT_EQ(img.ColorAt(28, 38), render::kSelectedCornerColor);
    EXPECT_EQ(img.ColorAt(31, 41), render::kSelectedCornerColor);
    EXPECT_EQ(img.ColorAt(69, 39), 0u);
    EXPECT_EQ(img.ColorAt(70, 40), 0u);
    EXPECT_EQ(img.ColorAt(71, 40), grey);
    // The band on top of everything, yellow.
    EXPECT_EQ(img.ColorAt(5, 40), ports::Rgb(255, 255, 0));
    EXPECT_EQ(img.ColorAt(50, 74), ports::Rgb(255, 255, 0));
}

}  // namespace
