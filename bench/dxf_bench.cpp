// DXF reader throughput on about a million triangles, and the writer on a full table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "formats/dxf.h"
#include "formats/text_io.h"
#include "model/face_table.h"
#include "model/model_host.h"

namespace {

// A grid of triangles laid out as our writer lays them out (triangles with the first
// corner repeated as the fourth), with six-decimal coordinates.
const std::string& MillionTriangleDxf() {
    static const std::string text = [] {
        constexpr int kSide = 708;  // 707 * 707 * 2 = 999,698 triangles
        std::string s;
        s.reserve(std::size_t(1000000) * 240);
        s += "0\nSECTION\n2\nENTITIES\n999\nbenchmark\n";
        auto corner = [&s](const char* codes[3], double x, double y, double z) {
            const double v[3] = {x, y, z};
            for (int a = 0; a < 3; ++a) {
                s += codes[a];
                formats::AppendFixed(s, v[a], 6);
                s += '\n';
            }
        };
        static const char* c10[3] = {"10\n", "20\n", "30\n"};
        static const char* c11[3] = {"11\n", "21\n", "31\n"};
        static const char* c12[3] = {"12\n", "22\n", "32\n"};
        static const char* c13[3] = {"13\n", "23\n", "33\n"};
        auto triangle = [&](double ax, double ay, double bx, double by, double cx, double cy) {
            s += "0\n3DFACE\n8\nbody\n62\n8\n";
            corner(c10, ax, ay, ax * 0.01 + ay * 0.02);
            corner(c11, cx, cy, cx * 0.01 + cy * 0.02);
            corner(c12, bx, by, bx * 0.01 + by * 0.02);
            corner(c13, ax, ay, ax * 0.01 + ay * 0.02);
        };
        for (int i = 0; i + 1 < kSide; ++i) {
            for (int j = 0; j + 1 < kSide; ++j) {
                const double x = i * 0.125, y = j * 0.125, d = 0.125;
                triangle(x, y, x + d, y, x + d, y + d);
                triangle(x, y, x + d, y + d, x, y + d);
            }
        }
        s += "0\nENDSEC\n0\nEOF\n";
        return s;
    }();
    return text;
}

void BM_DxfRead(benchmark::State& state) {
    const std::string& text = MillionTriangleDxf();
    int faces = 0;
    for (auto _ : state) {
        model::ModelHost host = model::ModelHost::CreateStandalone();
        if (!formats::ReadDxfText(text, host)) state.SkipWithError("read failed");
        faces = host.m_pMesh->GetFaceCount();
        benchmark::DoNotOptimize(faces);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    state.counters["faces"] = faces;
    state.counters["MB"] = double(text.size()) / 1e6;
}
BENCHMARK(BM_DxfRead)->Unit(benchmark::kMillisecond)->MinTime(5.0);

std::unique_ptr<model::FaceTable> FullTable() {
    auto table = std::make_unique<model::FaceTable>();
    table->faceCount = model::MAX_FACES;
    for (int f = 0; f < model::MAX_FACES; ++f) {
        table->vertexCount[f] = f % 2 ? 4 : 3;
        for (int k = 0; k < 4; ++k) {
            table->position[f][k] = {float(f) * 0.37f + float(k), float(k) * 1.25f - float(f),
                                     float(f % 97) * 0.011f};
        }
    }
    return table;
}

void BM_DxfFormatFullTable(benchmark::State& state) {
    const auto table = FullTable();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string s = formats::FormatDxf(*table);
        bytes = s.size();
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * bytes));
}
BENCHMARK(BM_DxfFormatFullTable)->Unit(benchmark::kMillisecond);

void BM_DxfWriteFullTable(benchmark::State& state) {
    const auto table = FullTable();
    const std::string path =
        (std::filesystem::temp_directory_path() / "kestrilune-dxf-bench.dxf").string();
    for (auto _ : state) {
        if (!formats::WriteDxf(path, *table)) state.SkipWithError("write failed");
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_DxfWriteFullTable)->Unit(benchmark::kMillisecond);

}  // namespace
