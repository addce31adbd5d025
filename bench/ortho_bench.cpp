// The orthographic panes with a full table (5000 faces of 16 corners): the repaint of the
// three panes at 1000 x 700 through the views' own drawing path (the raster canvas into
// the pane's image, the labels through Qt, offscreen), one band-selection step, one pan
// step and one wheel notch (each with the three panes repainted), and a
// baseline that draws the same edges and marks with one QPainter call each.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <memory>

#include "doc/session.h"
#include "frame/qt_text_painter.h"
#include "render/ortho_draw.h"
#include "render/raster_canvas.h"
#include "views/mdlr_view.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 700;

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "kestrilune_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return *app;
}

// Rings of 16 corners on a 100 x 50 grid, 36 pixels across at the start-up zoom, tilted
// so that each pane sees them as ellipses; every other face selected.
void FillFullTable(model::FaceTable& t) {
    t.faceCount = model::MAX_FACES;
    for (int f = 0; f < model::MAX_FACES; ++f) {
        const int i = f % 100, j = f / 100;
        const float cx = -4.0f + 0.08f * float(i), cz = -2.5f + 0.1f * float(j);
        const float cy = 2.2f * std::sin(0.3f * float(i)) * std::cos(0.2f * float(j));
        t.vertexCount[f] = model::MAX_FACE_VERTICES;
        for (int k = 0; k < model::MAX_FACE_VERTICES; ++k) {
            const float a = float(k) * 6.2831853f / 16.0f;
            const float c = 0.15f * std::cos(a), s = 0.15f * std::sin(a);
            t.position[f][k] = {cx + c, cy + 0.7f * s, cz + 0.7f * s + 0.3f * c};
            t.selected[f][k] = f % 2;
        }
    }
}

struct NullPane : ports::PaneHost {
    ports::Size ClientSize() const override { return {kWidth, kHeight}; }
    void Invalidate(bool) override {}
    void SetCapture() override {}
    void ReleaseCapture() override {}
    bool HasCapture() const override { return false; }
};

// The three orthographic panes as the program paints them: each view's image cleared
// white, drawn by the view, labels by Qt.
struct ThreePanes {
    QGuiApplication& app = App();  // first: the text painter's font needs it
    doc::Session session;
    ports::SilentFrameHost frame;
    NullPane pane;
    std::unique_ptr<views::CMdlrView> views[3];
    QImage images[3];
    frame::QtTextPainter text;

    ThreePanes() {
        FillFullTable(session.Table());
        const int rc[3][2] = {{0, 0}, {1, 0}, {1, 1}};
        for (int i = 0; i < 3; ++i) {
            views[i] = std::make_unique<views::CMdlrView>(session, frame, pane, rc[i][0], rc[i][1]);
            images[i] = QImage(kWidth, kHeight, QImage::Format_RGB32);
        }
    }
    void Paint() {
        for (int i = 0; i < 3; ++i) {
            QImage& img = images[i];
            render::RasterCanvas canvas(reinterpret_cast<std::uint32_t*>(img.bits()), img.width(),
                                        img.height(), int(img.bytesPerLine() / 4));
            canvas.SetTextPainter(&text);
            canvas.Clear(render::kWhite);
            views[i]->OnDraw(canvas);
        }
    }
};

void BM_OrthoRepaint_ThreePanes(benchmark::State& state) {
    ThreePanes p;
    for (auto _ : state) {
        p.Paint();
        benchmark::DoNotOptimize(p.images[0].constBits());
    }
}
BENCHMARK(BM_OrthoRepaint_ThreePanes)->Unit(benchmark::kMillisecond);

// Times `step(i)` (one mouse message, i counting from 0) followed by the repaint of the
// three panes it invalidates.
template <class Step>
void TimeStepsWithRepaint(benchmark::State& state, ThreePanes& p, Step step) {
    int i = 0;
    for (auto _ : state) {
        step(i++);
        p.Paint();
        benchmark::DoNotOptimize(p.images[0].constBits());
    }
}

// One mouse message of a band selection in the top pane: the corner test over the whole
// table, then the three panes it invalidates repainted.
void BM_BandSelectionStep(benchmark::State& state) {
    ThreePanes p;
    views::CMdlrView& top = *p.views[0];
    top.OnLButtonDown(300, 200);
    TimeStepsWithRepaint(state, p, [&top](int i) { top.OnMouseMove(301 + i % 400, 450); });
    top.OnLButtonUp(301, 450);
}
BENCHMARK(BM_BandSelectionStep)->Unit(benchmark::kMillisecond);

// One step of a middle-button pan in the top pane: the view centre moved by the pointer,
// then the three panes it invalidates repainted.
void BM_PanStep_ThreePanes(benchmark::State& state) {
    ThreePanes p;
    views::CMdlrView& top = *p.views[0];
    top.OnMButtonDown(500, 350);
    TimeStepsWithRepaint(state, p, [&top](int i) {
        top.OnMouseMove(501 + i % 200, 350, {false, false, true});
    });
    top.OnMButtonUp(501, 350);
}
BENCHMARK(BM_PanStep_ThreePanes)->Unit(benchmark::kMillisecond);

// One wheel notch over the top pane (in and out by turns, so the scale stays near the
// start), then the three panes repainted.
void BM_WheelStep_ThreePanes(benchmark::State& state) {
    ThreePanes p;
    views::CMdlrView& top = *p.views[0];
    TimeStepsWithRepaint(state, p,
                         [&top](int i) { top.OnMouseWheel(420, 300, i % 2 == 0 ? 1 : -1); });
}
BENCHMARK(BM_WheelStep_ThreePanes)->Unit(benchmark::kMillisecond);

// The same three pictures with one QPainter::drawLine per edge and one fillRect per mark.
void BM_QPainterBaseline_ThreePanes(benchmark::State& state) {
    ThreePanes p;
    const model::FaceTable& t = p.session.Table();
    const render::PaneRole roles[3] = {render::PaneRole::Top, render::PaneRole::Front,
                                       render::PaneRole::Side};
    const auto g = render::PaneGeometry::Of({kWidth, kHeight}, p.session.ViewScale);
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            QImage& img = p.images[i];
            img.fill(Qt::white);
            QPainter qp(&img);
            qp.setPen(QPen(QColor(192, 192, 192), 2));
            qp.drawLine(0, g.cy, g.width, g.cy);
            qp.drawLine(g.cx, 0, g.cx, g.height);
            qp.setPen(QPen(Qt::black, 0));
            for (int f = 0; f < t.faceCount; ++f) {
                const int n = t.vertexCount[f];
                for (int k = 0; k < n; ++k) {
                    const ports::Point a = g.ToScreen(render::PlaneOf(roles[i], t.position[f][k]));
                    const ports::Point b =
                        g.ToScreen(render::PlaneOf(roles[i], t.position[f][(k + 1) % n]));
                    qp.drawLine(a.x, a.y, b.x, b.y);
                    const int r = t.selected[f][k] ? 2 : 1;
                    qp.fillRect(a.x - r, a.y - r, 2 * r, 2 * r,
                                t.selected[f][k] ? Qt::red : Qt::black);
                }
            }
            qp.setPen(QColor(128, 128, 128));
            qp.drawText(0, 12, QStringLiteral("Top"));
        }
        benchmark::DoNotOptimize(p.images[0].constBits());
    }
}
BENCHMARK(BM_QPainterBaseline_ThreePanes)->Unit(benchmark::kMillisecond);

}  // namespace
