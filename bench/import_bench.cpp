// Reading generated files of about 1 million triangles (text .obj, .x and .dxf; binary .stl,
// .ply and .glb), each in a process of its own: the converter's --info (the file read into
// the model, then described; nothing written) beside Debian's assimp reading the same file
// without post-processing (when the benchmark was built with libassimp-dev). The time is
// the child's CPU time (user + system), so that other work on a shared machine does not
// count (wall time is printed too); peak_MB is its largest resident set. At the end the
// ratios are printed:
//
//   build/release/bench/kestrilune_bench --benchmark_filter=^BM_Import
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;
using bench_support::Generate;
using bench_support::Run;
using bench_support::Spawn;

// The best run of each side per format, for the ratios printed at the end.
// (Never destroyed: the report at exit still reads it.)
std::map<std::string, std::pair<Run, Run>>& Results() {
    static auto* results = new std::map<std::string, std::pair<Run, Run>>;
    return *results;
}

void Measure(benchmark::State& state, const std::string& ext, bool assimp) {
    const std::string file = Generate(ext);
    Run best;
    for (auto _ : state) {
        const Run run = assimp ? Spawn({KESTRILUNE_ASSIMP_IMPORT_EXE, file})
                               : Spawn({KESTRILUNE_CONVERT_EXE, "--info", file});
        if (!run.ok) {
            state.SkipWithError("the import failed");
            return;
        }
        state.SetIterationTime(run.cpuSeconds);
        if (!best.ok || run.cpuSeconds < best.cpuSeconds) best = run;
    }
    state.counters["peak_MB"] = best.peakMB;
    state.counters["wall_s"] = best.wallSeconds;
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fs::file_size(file)));
    auto& slot = Results()[ext];
    (assimp ? slot.second : slot.first) = best;
}

void BM_ImportOurs(benchmark::State& state, const char* ext) {
    Measure(state, ext, false);
}
BENCHMARK_CAPTURE(BM_ImportOurs, obj, "obj")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportOurs, x, "x")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportOurs, dxf, "dxf")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportOurs, stl, "stl")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportOurs, ply, "ply")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportOurs, glb, "glb")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

#ifdef KESTRILUNE_ASSIMP_IMPORT_EXE
void BM_ImportAssimp(benchmark::State& state, const char* ext) {
    Measure(state, ext, true);
}
BENCHMARK_CAPTURE(BM_ImportAssimp, obj, "obj")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportAssimp, x, "x")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportAssimp, dxf, "dxf")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportAssimp, stl, "stl")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportAssimp, ply, "ply")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportAssimp, glb, "glb")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// Printed when the benchmark program ends.
struct RatioReport {
    ~RatioReport() {
        for (const auto& [ext, runs] : Results()) {
            const auto& [ours, theirs] = runs;
            if (!ours.ok || !theirs.ok) continue;
            std::fprintf(
                stderr,
                "import .%s: ours %.3f s, assimp %.3f s CPU: %.2fx faster (wall %.3f s, %.3f s); "
                "peak ours %.0f MB, assimp %.0f MB\n",
                ext.c_str(), ours.cpuSeconds, theirs.cpuSeconds,
                theirs.cpuSeconds / ours.cpuSeconds, ours.wallSeconds, theirs.wallSeconds,
                ours.peakMB, theirs.peakMB);
        }
    }
} ratioReport;
#endif

}  // namespace
