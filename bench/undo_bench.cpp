// Undo and redo on a full table (5000 faces of 16 corners, everything selected): one
// recorded move drag (press, one move, release with the rebuild and the record), undo and
// redo of a whole-table move, and the memory a step keeps (counters one_vertex_step_bytes
// and whole_table_step_bytes).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "doc/edit_path.h"
#include "doc/session.h"
#include "ports/pane_host.h"
#include "views/mdlr_view.h"

namespace {

// A session whose table holds 5000 rings of 16 corners, every corner its own vertex and
// selected, with the mesh built from it and the history started.
std::unique_ptr<doc::Session> FullSession(ports::FrameHost& frame) {
    auto s = std::make_unique<doc::Session>();
    s->CreateScene(std::make_shared<rm::Root>());
    model::FaceTable& t = s->Table();
    t.faceCount = model::MAX_FACES;
    int index = 0;
    for (int f = 0; f < model::MAX_FACES; ++f) {
        const float cx = float(f % 100) - 50.0f, cy = float(f / 100) - 25.0f;
        t.vertexCount[f] = model::MAX_FACE_VERTICES;
        for (int k = 0; k < model::MAX_FACE_VERTICES; ++k) {
            const float a = float(k) * 6.2831853f / 16.0f;
            t.position[f][k] = {cx + 0.4f * std::cos(a), cy + 0.4f * std::sin(a), 0.0f};
            t.vertexIndex[f][k] = index++;
            t.selected[f][k] = 1;
        }
    }
    t.RebuildMesh(s->model);
    doc::EditPath(*s, frame).Reset();
    s->ViewScale = 12.0f;
    s->m_nEditMode = doc::EDIT_MOVE;
    return s;
}

void BM_RecordedDragStep_FullTable(benchmark::State& state) {
    ports::SilentFrameHost frame;
    ports::SilentPaneHost pane({500, 350});
    auto s = FullSession(frame);
    s->history.SetLimits(8, std::size_t(-1));
    views::CMdlrView front(*s, frame, pane, 1, 0);
    int dx = 1;
    for (auto _ : state) {
        front.OnLButtonDown(250, 175);
        front.OnMouseMove(250 + dx, 175, {true, false});
        front.OnLButtonUp(250 + dx, 175);
        dx = -dx;
    }
    state.counters["whole_table_step_bytes"] = double(s->history.LastStepBytes());
}
BENCHMARK(BM_RecordedDragStep_FullTable)->Unit(benchmark::kMillisecond);

// Undo then redo of one whole-table move, timed separately.
void BM_UndoRedoWholeTableMove(benchmark::State& state) {
    ports::SilentFrameHost frame;
    ports::SilentPaneHost pane({500, 350});
    auto s = FullSession(frame);
    views::CMdlrView front(*s, frame, pane, 1, 0);
    front.OnLButtonDown(250, 175);
    front.OnMouseMove(260, 170, {true, false});
    front.OnLButtonUp(260, 170);
    doc::EditPath path(*s, frame);
    const bool undo = state.range(0) == 0;
    for (auto _ : state) {
        if (undo) {
            path.Undo();
        } else {
            state.PauseTiming();
            path.Undo();
            state.ResumeTiming();
            path.Redo();
        }
        if (undo) {
            state.PauseTiming();
            path.Redo();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_UndoRedoWholeTableMove)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"redo"})
    ->Unit(benchmark::kMillisecond);

// The memory of a step that moves one vertex of the full table.
void BM_OneVertexStepMemory(benchmark::State& state) {
    ports::SilentFrameHost frame;
    auto s = FullSession(frame);
    model::FaceTable& t = s->Table();
    t.ClearSelection();
    t.selected[2500][7] = 1;
    doc::EditPath path(*s, frame);
    for (auto _ : state) {
        path.Begin(doc::StepKind::NumericMove, model::EditScope::Positions);
        t.position[2500][7].x += 0.5f;
        path.Commit(doc::Repaint::None, false);
    }
    state.counters["one_vertex_step_bytes"] = double(s->history.LastStepBytes());
}
BENCHMARK(BM_OneVertexStepMemory)->Unit(benchmark::kMicrosecond);

}  // namespace
