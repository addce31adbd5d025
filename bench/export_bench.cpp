// Whole converter runs from the import benchmark's generated OBJ of about 1 million
// triangles to .glb, .stl, .ply and .obj, each in a process of its own, beside Debian's
// `assimp export` of the same file to the same format (binary glTF 2.0, binary STL, binary
// PLY, OBJ), both sides in the same run. The time is wall time (CPU time is reported
// too); peak_MB is the child's largest resident set. At the end the ratios are printed:
//
//   build/release/bench/kestrilune_bench --benchmark_filter=^BM_Export
#include <benchmark/benchmark.h>

#include <map>

#include "bench_support.h"

namespace {

using bench_support::Run;
namespace fs = std::filesystem;

std::map<std::string, std::pair<Run, Run>>& ExportResults() {
    static auto* results = new std::map<std::string, std::pair<Run, Run>>;
    return *results;
}

// assimp's exporter for each of our targets.
std::string AssimpFormat(const std::string& ext) {
    if (ext == "glb") return "glb2";
    if (ext == "stl") return "stlb";
    if (ext == "ply") return "plyb";
    return ext;
}

void MeasureExport(benchmark::State& state, const std::string& ext, bool assimp) {
    const std::string file = bench_support::Generate("obj");
    const fs::path dir = fs::temp_directory_path() / "kestrilune-import-bench";
    const std::string out = (dir / ((assimp ? "assimp-out." : "out.") + ext)).string();
    Run best;
    for (auto _ : state) {
        const Run run = assimp ? bench_support::Spawn({KESTRILUNE_ASSIMP_EXE, "export", file, out,
                                                       "-f" + AssimpFormat(ext)})
                               : bench_support::Spawn({KESTRILUNE_CONVERT_EXE, file, out});
        if (!run.ok) {
            state.SkipWithError("the export failed");
            return;
        }
        state.SetIterationTime(run.wallSeconds);
        if (!best.ok || run.wallSeconds < best.wallSeconds) best = run;
    }
    state.counters["peak_MB"] = best.peakMB;
    state.counters["cpu_s"] = best.cpuSeconds;
    state.counters["out_MB"] = double(fs::file_size(out)) / (1024.0 * 1024.0);
    auto& slot = ExportResults()[ext];
    (assimp ? slot.second : slot.first) = best;
}

void BM_ExportOurs(benchmark::State& state, const char* ext) {
    MeasureExport(state, ext, false);
}
#define KESTRILUNE_EXPORT_BENCH(side, ext) \
    BENCHMARK_CAPTURE(side, ext, #ext)     \
        ->UseManualTime()                  \
        ->Iterations(3)                    \
        ->Unit(benchmark::kMillisecond)
KESTRILUNE_EXPORT_BENCH(BM_ExportOurs, glb);
KESTRILUNE_EXPORT_BENCH(BM_ExportOurs, stl);
KESTRILUNE_EXPORT_BENCH(BM_ExportOurs, ply);
KESTRILUNE_EXPORT_BENCH(BM_ExportOurs, obj);

#ifdef KESTRILUNE_ASSIMP_EXE
void BM_ExportAssimp(benchmark::State& state, const char* ext) {
    MeasureExport(state, ext, true);
}
KESTRILUNE_EXPORT_BENCH(BM_ExportAssimp, glb);
KESTRILUNE_EXPORT_BENCH(BM_ExportAssimp, stl);
KESTRILUNE_EXPORT_BENCH(BM_ExportAssimp, ply);
KESTRILUNE_EXPORT_BENCH(BM_ExportAssimp, obj);

// Printed when the benchmark program ends.
struct ExportRatioReport {
    ~ExportRatioReport() {
        for (const auto& [ext, runs] : ExportResults()) {
            const auto& [ours, theirs] = runs;
            if (!ours.ok || !theirs.ok) continue;
            std::fprintf(stderr,
                         "export .obj -> .%s: ours %.3f s, assimp %.3f s wall: %.2fx faster; "
                         "peak ours %.0f MB, assimp %.0f MB\n",
                         ext.c_str(), ours.wallSeconds, theirs.wallSeconds,
                         theirs.wallSeconds / ours.wallSeconds, ours.peakMB, theirs.peakMB);
        }
    }
} exportRatioReport;
#endif

}  // namespace
