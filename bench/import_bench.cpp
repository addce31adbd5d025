// Whole converter runs (read, table, write a .mqo) on generated files of about 1 million
// triangles, each in a process of its own, beside Debian's assimp reading the same files
// without post-processing (when the benchmark was built with libassimp-dev). The time is
// the child's CPU time (user + system), so that other work on a shared machine does not
// count; peak_MB is its largest resident set. At the end the ratios are printed:
//
//   build/release/bench/kestrilune_bench --benchmark_filter=^BM_Import
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using bench_support::Generate;
using bench_support::Run;
using bench_support::Spawn;
namespace fs = std::filesystem;

// The best run of each side per format, for the ratios printed at the end.
// (Never destroyed: the report at exit still reads it.)
std::map<std::string, std::pair<Run, Run>>& Results() {
    static auto* results = new std::map<std::string, std::pair<Run, Run>>;
    return *results;
}

void Measure(benchmark::State& state, const std::string& ext, bool assimp) {
    const std::string file = Generate(ext);
    const std::string out =
        (fs::temp_directory_path() / "kestrilune-import-bench" / "out.mqo").string();
    Run best;
    for (auto _ : state) {
        const Run run = assimp ? Spawn({KESTRILUNE_ASSIMP_IMPORT_EXE, file})
                               : Spawn({KESTRILUNE_CONVERT_EXE, file, out});
        if (!run.ok) {
            state.SkipWithError("the import failed");
            return;
        }
        state.SetIterationTime(run.cpuSeconds);
        if (!best.ok || run.cpuSeconds < best.cpuSeconds) best = run;
    }
    state.counters["peak_MB"] = best.peakMB;
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

// Printed when the benchmark program ends.
struct RatioReport {
    ~RatioReport() {
        for (const auto& [ext, runs] : Results()) {
            const auto& [ours, theirs] = runs;
            if (!ours.ok || !theirs.ok) continue;
            std::fprintf(
                stderr,
                "import .%s: ours %.3f s, assimp %.3f s CPU: %.2fx faster; peak ours %.0f MB, "
                "assimp %.0f MB\n",
                ext.c_str(), ours.cpuSeconds, theirs.cpuSeconds,
                theirs.cpuSeconds / ours.cpuSeconds, ours.peakMB, theirs.peakMB);
        }
    }
} ratioReport;
#endif

}  // namespace
