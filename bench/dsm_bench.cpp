// Time of the DSM listing writer on a full table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "formats/dsm.h"
#include "model/face_table.h"

namespace {

// MAX_FACES faces of `corners` corners each, every value distinct enough to be printed in
// full.
std::unique_ptr<model::FaceTable> FullTable(int corners) {
    auto t = std::make_unique<model::FaceTable>();
    t->faceCount = model::MAX_FACES;
    for (int f = 0; f < model::MAX_FACES; ++f) {
        t->vertexCount[f] = corners;
        for (int k = 0; k < corners; ++k) {
            const float s = float(f) * 0.001f + float(k) * 0.37f;
            t->position[f][k] = {s, -s * 1.5f, s * 0.25f + 100.0f};
            t->normal[f][k] = {0.267261f, -0.534522f, 0.801784f};
            t->texU[f][k] = float(k) / float(corners);
            t->texV[f][k] = 1.0f - float(k) / float(corners);
        }
        t->faceColor[f] = {f % 256, 192, 64, 255};
    }
    return t;
}

void FormatListing(benchmark::State& state) {
    const auto table = FullTable(int(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string s = formats::FormatDsm("bench", *table);
        bytes = s.size();
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(std::int64_t(bytes) * state.iterations());
    state.counters["listing_bytes"] = double(bytes);
}
BENCHMARK(FormatListing)->Arg(3)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

void WriteListingFile(benchmark::State& state) {
    const auto table = FullTable(int(state.range(0)));
    const std::string path =
        (std::filesystem::temp_directory_path() / "kestrilune_dsm_bench.dsm").string();
    for (auto _ : state) {
        if (!formats::WriteDsm(path, "bench", *table)) state.SkipWithError("write failed");
    }
    std::remove(path.c_str());
}
BENCHMARK(WriteListingFile)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
