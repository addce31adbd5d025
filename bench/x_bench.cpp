// .x loader throughput on a generated text file of about a million triangles, and the
// saver's time on a 5000-face mesh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "rm/mesh_builder.h"
#include "rm/xfile.h"

namespace {

// A wavy grid of (n - 1)^2 quads split into triangles, with u, v on every corner and a
// few colours.
rm::MeshBuilder Grid(int n) {
    std::vector<rm::Vector> v;
    v.reserve(std::size_t(n) * n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            v.push_back({x * 0.013f, y * 0.017f, float((x * 7 + y * 3) % 11) * 0.031f});
        }
    }
    std::vector<std::int32_t> data;
    data.reserve(std::size_t(n) * n * 8 + 1);
    for (int y = 0; y + 1 < n; ++y) {
        for (int x = 0; x + 1 < n; ++x) {
            const int a = y * n + x, b = a + 1, c = a + n, d = c + 1;
            data.insert(data.end(), {3, a, b, d, 3, a, d, c});
        }
    }
    data.push_back(0);
    rm::MeshBuilder m;
    std::vector<rm::Face> faces;
    m.AddFaces(v, {}, data, &faces);
    for (rm::Face& f : faces) {
        for (int k = 0; k < f.GetVertexCount(); ++k) {
            rm::Vector p;
            f.GetVertex(k, &p, nullptr);
            f.SetTextureCoordinates(k, p.x, p.y);
        }
        f.SetColor(rm::MakeColor(255, 200, (f.Index() % 3) * 60, 40));
    }
    return m;
}

void BM_XTextLoad(benchmark::State& state) {
    // 708 x 708 vertices: 707 * 707 * 2 = 999,698 triangles.
    const std::string text = rm::SaveXToString(Grid(708), rm::XOFSAVE_ALL);
    for (auto _ : state) {
        rm::MeshBuilder m;
        if (!rm::LoadXFromMemory(text, m, nullptr)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(m.GetFaceCount());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    state.counters["file_MB"] = double(text.size()) / 1e6;
}
BENCHMARK(BM_XTextLoad)->Unit(benchmark::kMillisecond);

// 51 x 51 vertices: 50 * 50 * 2 = 5000 triangles.
void BM_XSaveToText(benchmark::State& state) {
    const rm::MeshBuilder m = Grid(51);
    m.GetFaceCount() == 5000 ? void() : state.SkipWithError("not 5000 faces");
    for (auto _ : state) benchmark::DoNotOptimize(rm::SaveXToString(m, rm::XOFSAVE_ALL));
}
BENCHMARK(BM_XSaveToText)->Unit(benchmark::kMicrosecond);

void BM_XSaveFile(benchmark::State& state) {
    const rm::MeshBuilder m = Grid(51);
    const std::string path =
        (std::filesystem::temp_directory_path() / "kestrilune_x_bench.x").string();
    for (auto _ : state) {
        if (!m.Save(path, rm::XOFSAVE_ALL)) state.SkipWithError("save failed");
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_XSaveFile)->Unit(benchmark::kMicrosecond);

}  // namespace
