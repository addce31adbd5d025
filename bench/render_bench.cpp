// One frame of the 3D pane at 1280 x 720 with each device: a full table (5000 faces of 16
// corners, Gouraud, lit) and a mesh of about 100,000 triangles (a sphere).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "doc/session.h"
#include "ports/pane_host.h"
#include "ports/ui.h"
#include "render/d3d_root.h"
#include "render/pane3d.h"
#include "render/standard_display.h"

namespace {

class Ui : public ports::UserInterface {
  public:
    ports::Answer MessageBox(const std::string&, const std::string&, ports::Buttons,
                             ports::Icon) override {
        return ports::Answer::No;
    }
    std::optional<std::string> FileDialog(const ports::FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::uint32_t> ChooseColor(std::uint32_t) override { return std::nullopt; }
    bool DoModal(ports::ModalDialog&) override { return false; }
    void Beep() override {}
};

// 5000 rings of 16 corners on a 100 x 50 grid filling the pane, each tilted by a wave so
// that the light falls differently on each; rings overlap their neighbours a little.
void AddFullTable(rm::MeshBuilder& mesh) {
    std::vector<rm::Vector> verts;
    std::vector<std::int32_t> list;
    const float pi = std::numbers::pi_v<float>;
    for (int f = 0; f < 5000; ++f) {
        const float cx = -2.0f + 0.04f * (float(f % 100) + 0.5f);
        const float cy = -1.125f + 0.045f * (float(f / 100) + 0.5f);
        const float tx = 0.5f * std::sin(cx * 3.0f), ty = 0.5f * std::cos(cy * 4.0f);
        list.push_back(16);
        for (int k = 0; k < 16; ++k) {
            const float a = -float(k) * 2.0f * pi / 16.0f;  // clockwise seen from the camera
            const float x = 0.026f * std::cos(a), y = 0.026f * std::sin(a);
            list.push_back(static_cast<std::int32_t>(verts.size()));
            verts.push_back({cx + x, cy + y, x * tx + y * ty});
        }
    }
    list.push_back(0);
    mesh.AddFaces(verts, {}, list);
    mesh.GenerateNormals(0.5f, rm::GENERATENORMALS_USECREASEANGLE);
}

// A sphere of 224 rings x 224 segments: 100,352 triangles.
void AddSphere(rm::MeshBuilder& mesh) {
    const int rings = 224, segments = 224;
    const float pi = std::numbers::pi_v<float>;
    std::vector<rm::Vector> v;
    for (int r = 0; r <= rings; ++r) {
        const float phi = pi * float(r) / float(rings);
        for (int s = 0; s < segments; ++s) {
            const float theta = 2 * pi * float(s) / float(segments);
            v.push_back({1.1f * std::sin(phi) * std::cos(theta), 1.1f * std::cos(phi),
                         1.1f * std::sin(phi) * std::sin(theta)});
        }
    }
    auto at = [&](int r, int s) { return std::int32_t(r * segments + (s % segments)); };
    std::vector<std::int32_t> list;
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            // Outward faces: clockwise seen from outside.
            list.insert(list.end(), {3, at(r, s), at(r, s + 1), at(r + 1, s + 1)});
            list.insert(list.end(), {3, at(r, s), at(r + 1, s + 1), at(r + 1, s)});
        }
    }
    list.push_back(0);
    mesh.AddFaces(v, {}, list);
    mesh.GenerateNormals(1.0f, rm::GENERATENORMALS_USECREASEANGLE);
}

// `threads` 0 leaves the device's own choice.
void RenderFrame(benchmark::State& state, int device, void (*build)(rm::MeshBuilder&),
                 int threads = 0) {
    render::StandardDisplay display({1920, 1080, 32});
    render::CD3DRoot root(display);
    root.Init("/p/");
    root.SelectDeviceByName(device);
    doc::Session session;
    session.CreateScene(root.GetRM());
    ports::SilentPaneHost pane({1280, 720});
    Ui ui;
    render::C3DPane view(root, pane, ui);
    view.OnInitialUpdate(session.m_pScene, session.model.m_pModelFrame);
    build(*session.model.m_pMesh);
    session.model.m_pMesh->SetQuality(rm::Quality::Gouraud);
    session.model.m_pModelFrame->AddRotation(rm::COMBINE_AFTER, 1, 0, 0, -0.3f);
    if (threads > 0) view.Manager()->GetDevice()->SetParallel(threads, 0);
    for (auto _ : state) {
        view.OnDraw();
        benchmark::DoNotOptimize(view.Picture());
    }
    state.counters["faces"] = session.model.m_pMesh->GetFaceCount();
    // How much of the picture the model covers, to show the frame is not empty.
    double drawn = 0;
    if (const render::ColorSurface* picture = view.Picture()) {
        for (std::uint32_t p : picture->pixels) drawn += p != 0 ? 1 : 0;
        drawn /= double(picture->pixels.size());
    }
    state.counters["covered"] = drawn;
}

void BM_FullTable_Ramp(benchmark::State& s) {
    RenderFrame(s, 0, AddFullTable);
}
void BM_FullTable_RGB(benchmark::State& s) {
    RenderFrame(s, 1, AddFullTable);
}
void BM_FullTable_MMX(benchmark::State& s) {
    RenderFrame(s, 2, AddFullTable);
}
// The fast device sharing the frame between two threads (on a machine of two cores or
// fewer it uses one).
void BM_FullTable_MMX_TwoThreads(benchmark::State& s) {
    RenderFrame(s, 2, AddFullTable, 2);
}
void BM_Sphere100k_Ramp(benchmark::State& s) {
    RenderFrame(s, 0, AddSphere);
}
void BM_Sphere100k_RGB(benchmark::State& s) {
    RenderFrame(s, 1, AddSphere);
}
void BM_Sphere100k_MMX(benchmark::State& s) {
    RenderFrame(s, 2, AddSphere);
}
void BM_Sphere100k_MMX_TwoThreads(benchmark::State& s) {
    RenderFrame(s, 2, AddSphere, 2);
}

BENCHMARK(BM_FullTable_Ramp)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FullTable_RGB)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FullTable_MMX)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FullTable_MMX_TwoThreads)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Sphere100k_Ramp)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Sphere100k_RGB)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Sphere100k_MMX)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Sphere100k_MMX_TwoThreads)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
