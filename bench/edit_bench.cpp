// Editing on a full model: one step of each mouse tool with every corner selected, and
// finishing a polygon on a table one face short of full (add, read back, rebuild).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "doc/session.h"
#include "render/ortho_draw.h"
#include "render/raster_canvas.h"
#include "views/polygon.h"
#include "views/transforms.h"

namespace {

// Rings of 16 corners on a grid, each corner its own vertex.
void FillRings(model::FaceTable& t, int faces, bool selected) {
    t.faceCount = faces;
    int index = 0;
    for (int f = 0; f < faces; ++f) {
        const float cx = float(f % 100) - 50.0f, cy = float(f / 100) - 25.0f;
        t.vertexCount[f] = model::MAX_FACE_VERTICES;
        for (int k = 0; k < model::MAX_FACE_VERTICES; ++k) {
            const float a = float(k) * 6.2831853f / 16.0f;
            t.position[f][k] = {cx + 0.4f * std::cos(a), cy + 0.4f * std::sin(a),
                                0.05f * float(k % 2)};
            t.vertexIndex[f][k] = index++;
            t.selected[f][k] = selected ? 1 : 0;
        }
    }
}

// One step of the tool per iteration in the front pane, the pointer wiggling one pixel
// right and back so that the model stays in place, then the repaint of the three
// orthographic panes (500 x 350 pixels each) from the table.
void BM_MouseToolStep_FullTable(benchmark::State& state) {
    auto table = std::make_unique<model::FaceTable>();
    FillRings(*table, model::MAX_FACES, true);
    const int mode = static_cast<int>(state.range(0));
    const render::PaneGeometry geometry = render::PaneGeometry::Of({500, 350}, 12.0f);
    views::DragStep step{render::PaneRole::Front, geometry, {270, 160}, {270, 160}, {271, 160}};
    std::vector<std::uint32_t> pixels(500 * 350);
    render::RasterCanvas canvas(pixels.data(), 500, 350, 500);
    for (auto _ : state) {
        views::DragStepOfTool(mode, *table, step);
        std::swap(step.last, step.pointer);
        for (render::PaneRole role :
             {render::PaneRole::Front, render::PaneRole::Top, render::PaneRole::Side}) {
            canvas.Clear(render::kWhite);
            render::OrthoScene scene;
            scene.role = role;
            scene.geometry = geometry;
            scene.table = table.get();
            scene.buttonHeld = true;
            scene.band = {270, 160, 270, 160};
            render::DrawOrthoPane(canvas, scene);
        }
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_MouseToolStep_FullTable)
    ->Arg(doc::EDIT_MOVE)
    ->Arg(doc::EDIT_ROTATE)
    ->Arg(doc::EDIT_SCALE)
    ->Arg(doc::EDIT_STRETCH)
    ->Unit(benchmark::kMillisecond);

// Enter with a triangle (two new points and one snapped) on 4,999 faces of 16 corners:
// AddPolygon, ReadFromMesh and RebuildMesh. Each iteration drops the face it added from
// the table again (the earlier faces read back unchanged).
void BM_FinishPolygon_NearlyFullTable(benchmark::State& state) {
    doc::Session session;
    session.CreateScene(std::make_shared<rm::Root>());
    model::FaceTable& t = session.Table();
    FillRings(t, model::MAX_FACES - 1, false);
    t.RebuildMesh(session.model);
    ports::SilentFrameHost frame;
    ports::SilentUserInterface ui;
    for (auto _ : state) {
        t.faceCount = model::MAX_FACES - 1;
        doc::PolygonState& poly = session.poly;
        poly.PolyPoints[0] = {0, 0, 0};
        poly.PolyPoints[1] = {1, 0, 0};
        poly.PolyPoints[2] = t.position[0][0];
        poly.PolyPointVertex[0] = poly.PolyPointVertex[1] = doc::POLY_NEW_VERTEX;
        poly.PolyPointVertex[2] = t.vertexIndex[0][0];
        poly.PolyLastPoint = 2;
        views::FinishPolygon(session, ui, frame);
        benchmark::DoNotOptimize(t.faceCount);
    }
    if (t.faceCount != model::MAX_FACES) state.SkipWithError("the polygon was not added");
}
BENCHMARK(BM_FinishPolygon_NearlyFullTable)->Unit(benchmark::kMillisecond);

}  // namespace
