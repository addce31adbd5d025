// The model store's two sync operations on a full table, and the Metasequoia format on it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "formats/mqo.h"
#include "model/face_table.h"
#include "model/model_host.h"

namespace {

// 5000 faces of 16 corners: rings on a grid; neighbouring rings share no vertex, so the
// pool is full (80,000 entries).
void FillFullMesh(model::ModelHost& host) {
    std::vector<rm::Vector> verts;
    std::vector<std::int32_t> list;
    verts.reserve(model::MAX_POOL_VERTICES);
    list.reserve(model::MAX_FACES * 17 + 1);
    for (int f = 0; f < model::MAX_FACES; ++f) {
        const float cx = float(f % 100), cy = float(f / 100);
        list.push_back(16);
        for (int k = 0; k < 16; ++k) {
            const float a = float(k) * 6.2831853f / 16.0f;
            list.push_back(static_cast<std::int32_t>(verts.size()));
            verts.push_back(
                {cx + 0.4f * std::cos(a), cy + 0.4f * std::sin(a), 0.05f * float(k % 2)});
        }
    }
    list.push_back(0);
    host.m_pMesh->AddFaces(verts, {}, list);
}

struct FullModel {
    model::ModelHost host = model::ModelHost::CreateStandalone();
    std::unique_ptr<model::FaceTable> table = std::make_unique<model::FaceTable>();
    FullModel() {
        FillFullMesh(host);
        table->ReadFromMesh(host);
        table->RebuildMesh(host);
    }
};

void BM_ReadFromMesh_FullTable(benchmark::State& state) {
    FullModel m;
    for (auto _ : state) {
        m.table->ReadFromMesh(m.host);
        benchmark::DoNotOptimize(m.table->faceCount);
    }
}
BENCHMARK(BM_ReadFromMesh_FullTable)->Unit(benchmark::kMillisecond);

void BM_RebuildMesh_FullTable(benchmark::State& state) {
    FullModel m;
    for (auto _ : state) {
        m.table->RebuildMesh(m.host);
        benchmark::DoNotOptimize(m.host.m_pMesh.get());
    }
}
BENCHMARK(BM_RebuildMesh_FullTable)->Unit(benchmark::kMillisecond);

void BM_ReadAndRebuild_FullTable(benchmark::State& state) {
    FullModel m;
    for (auto _ : state) {
        m.table->ReadFromMesh(m.host);
        m.table->RebuildMesh(m.host);
        benchmark::DoNotOptimize(m.host.m_pMesh.get());
    }
}
BENCHMARK(BM_ReadAndRebuild_FullTable)->Unit(benchmark::kMillisecond);

void BM_FormatMqo_FullTable(benchmark::State& state) {
    FullModel m;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string doc = formats::FormatMqo(*m.table);
        bytes = doc.size();
        benchmark::DoNotOptimize(doc.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FormatMqo_FullTable)->Unit(benchmark::kMillisecond);

void BM_ReadMqo_FullTable(benchmark::State& state) {
    FullModel m;
    const std::string doc = formats::FormatMqo(*m.table);
    for (auto _ : state) {
        model::ModelHost host = model::ModelHost::CreateStandalone();
        benchmark::DoNotOptimize(formats::ReadMqoText(doc, host));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_ReadMqo_FullTable)->Unit(benchmark::kMillisecond);

}  // namespace
