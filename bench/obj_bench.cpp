// Import throughput of the Wavefront OBJ reader on a generated grid of about 1 million
// triangles (positions with six decimals, as exporters write them). Rates are per CPU
// second of the reading thread, so that other work on a shared machine does not count;
// the wall time is in the "Time" column.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <string>

#include "formats/obj.h"
#include "model/model_host.h"

namespace {

void AppendNumber(std::string& s, double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    s.append(buf, r.ptr);
}

// A (n + 1) x (n + 1) grid of vertices with 2 n^2 triangles; faces use "v/t/n" words on
// every second row and plain numbers on the others.
const std::string& GridFile() {
    static const std::string text = [] {
        constexpr int n = 708;  // 2 * 708^2 = 1,002,528 triangles
        std::string s;
        s.reserve(48u << 20);
        s += "# generated grid\no grid\n";
        for (int y = 0; y <= n; ++y) {
            for (int x = 0; x <= n; ++x) {
                s += "v ";
                AppendNumber(s, x * 0.125 - 40.0);
                s += ' ';
                AppendNumber(s, y * 0.125 - 40.0);
                s += ' ';
                AppendNumber(s, 0.001 * ((x * 7 + y * 13) % 1000));
                s += '\n';
            }
        }
        s += "vt 0 0\nvn 0 0 1\n";
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const int a = y * (n + 1) + x + 1, b = a + 1, c = a + n + 1, d = c + 1;
                char line[96];
                if (y % 2 == 0) {
                    std::snprintf(line, sizeof line, "f %d %d %d\nf %d %d %d\n", a, b, d, a, d, c);
                } else {
                    std::snprintf(line, sizeof line,
                                  "f %d/1/1 %d/1/1 %d/1/1\nf %d/1/1 %d/1/1 %d/1/1\n", a, b, d, a, d,
                                  c);
                }
                s += line;
            }
        }
        return s;
    }();
    return text;
}

void BM_ObjImport(benchmark::State& state) {
    const std::string& text = GridFile();
    int faces = 0;
    for (auto _ : state) {
        model::ModelHost host = model::ModelHost::CreateStandalone();
        if (!formats::ReadObjText(text, host)) {
            state.SkipWithError("the generated file did not load");
            return;
        }
        faces = host.m_pMesh->GetFaceCount();
        benchmark::DoNotOptimize(faces);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    state.counters["faces"] = faces;
    state.counters["faces/s"] =
        benchmark::Counter(double(faces), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB"] = double(text.size()) / 1e6;
}
BENCHMARK(BM_ObjImport)->Unit(benchmark::kMillisecond);

// The text pass alone: the temporary mesh cannot be created, so the read stops right
// after the whole file has been parsed into the vertex, normal and face-data arrays.
void BM_ObjParseOnly(benchmark::State& state) {
    const std::string& text = GridFile();
    for (auto _ : state) {
        model::ModelHost host = model::ModelHost::CreateStandalone();
        host.m_pD3DRoot->FailNext(rm::Root::Op::CreateMeshBuilder);
        benchmark::DoNotOptimize(formats::ReadObjText(text, host));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    state.counters["faces/s"] =
        benchmark::Counter(1002528.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ObjParseOnly)->Unit(benchmark::kMillisecond);

}  // namespace
