// Import throughput of the Rokkaku Daioh reader on a generated grid of quadrilaterals.
#include <benchmark/benchmark.h>

#include <string>

#include "formats/rok.h"
#include "model/model_host.h"

namespace {

// An n x n grid of points joined into (n-1)^2 quadrilaterals, with a 13-entry palette.
std::string GridFile(int n) {
    std::string s = "POINT\n";
    auto line = [&s](const std::string& text) {
        s += text;
        s += '\n';
    };
    int number = 0;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            line(std::to_string(++number));
            for (int k = 0; k < 5; ++k) line("0");
            line(std::to_string(i * 1.25));
            line(std::to_string(j * -0.5));
            line(std::to_string((i + j) % 7 * 0.125));
        }
    }
    line("LINE0");
    // Horizontal edges first, then vertical ones.
    auto point = [n](int i, int j) { return j * n + i + 1; };
    auto edge = [&line](int a, int b) {
        line(std::to_string(a));
        line(std::to_string(b));
        line("0");
        line("0");
    };
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i + 1 < n; ++i) edge(point(i, j), point(i + 1, j));
    }
    const int horizontal = n * (n - 1);
    for (int j = 0; j + 1 < n; ++j) {
        for (int i = 0; i < n; ++i) edge(point(i, j), point(i, j + 1));
    }
    auto hEdge = [n](int i, int j) { return j * (n - 1) + i + 1; };
    auto vEdge = [n, horizontal](int i, int j) { return horizontal + j * n + i + 1; };
    line("FACE0");
    int face = 0;
    for (int j = 0; j + 1 < n; ++j) {
        for (int i = 0; i + 1 < n; ++i) {
            line("4");
            line(std::to_string(face % 14));
            line(std::to_string(++face));
            line(std::to_string(hEdge(i, j)));
            line(std::to_string(vEdge(i + 1, j)));
            line(std::to_string(hEdge(i, j + 1)));
            line(std::to_string(vEdge(i, j)));
        }
    }
    line("END00");
    line("PALC0");
    line("13");
    line("0");
    for (int e = 0; e < 13; ++e) {
        for (int k = 0; k < 6; ++k) line(std::to_string(e * 19 % 256));
        line("0");
    }
    line("ENDP0");
    return s;
}

void ReadGrid(benchmark::State& state) {
    const std::string file = GridFile(int(state.range(0)));
    for (auto _ : state) {
        model::ModelHost host = model::ModelHost::CreateStandalone();
        if (!formats::ReadRokBytes(file, host)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(host.m_pMesh->GetFaceCount());
    }
    state.SetBytesProcessed(std::int64_t(file.size()) * state.iterations());
    state.counters["file_bytes"] = double(file.size());
}
BENCHMARK(ReadGrid)->Arg(101)->Arg(317)->Unit(benchmark::kMillisecond);

}  // namespace
