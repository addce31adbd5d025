// LightWave object reader throughput and writer time on a full table.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "formats/lwo.h"
#include "model/face_table.h"
#include "model/model_host.h"

namespace {

void Put16(std::string& out, unsigned v) {
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v >> 16);
    Put16(out, v & 0xFFFF);
}
void PutFloat(std::string& out, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    Put32(out, bits);
}
void PutChunk(std::string& body, const char* id, const std::string& data) {
    body.append(id, 4);
    Put32(body, static_cast<std::uint32_t>(data.size()));
    body += data;
}

// A 256 x 256 grid of points (all that 16-bit indices reach) and 1,048,576 triangles that
// run over its cells again and again, on four surfaces.
std::string MillionTriangleFile() {
    constexpr unsigned kSide = 256;
    constexpr unsigned kTriangles = 1u << 20;
    std::string body = "LWOB";
    PutChunk(body, "SRFS", std::string("S0\0\0S1\0\0S2\0\0S3\0\0", 16));
    std::string chunk;
    chunk.reserve(kSide * kSide * 12);
    for (unsigned y = 0; y < kSide; ++y) {
        for (unsigned x = 0; x < kSide; ++x) {
            PutFloat(chunk, float(x) * 0.1f);
            PutFloat(chunk, float(y) * 0.1f);
            PutFloat(chunk, float((x * 7 + y * 3) % 11) * 0.01f);
        }
    }
    PutChunk(body, "PNTS", chunk);
    chunk.clear();
    chunk.reserve(std::size_t(kTriangles) * 10);
    constexpr unsigned kCells = (kSide - 1) * (kSide - 1);
    for (unsigned t = 0; t < kTriangles; ++t) {
        const unsigned cell = (t / 2) % kCells;
        const unsigned x = cell % (kSide - 1), y = cell / (kSide - 1);
        const unsigned a = y * kSide + x, b = a + 1, c = a + kSide, d = c + 1;
        Put16(chunk, 3);
        if (t % 2 == 0) {
            Put16(chunk, a), Put16(chunk, b), Put16(chunk, d);
        } else {
            Put16(chunk, a), Put16(chunk, d), Put16(chunk, c);
        }
        Put16(chunk, 1 + (t / 4096) % 4);
    }
    PutChunk(body, "POLS", chunk);
    for (int s = 0; s < 4; ++s) {
        chunk = std::string("S") + char('0' + s) + std::string("\0\0", 2);
        chunk += "COLR";
        Put16(chunk, 4);
        chunk += static_cast<char>(60 * s);
        chunk += static_cast<char>(255 - 60 * s);
        chunk += static_cast<char>(128);
        chunk += '\0';
        PutChunk(body, "SURF", chunk);
    }
    std::string file = "FORM";
    Put32(file, static_cast<std::uint32_t>(body.size()));
    return file + body;
}

void BM_LwoReadMillionTriangles(benchmark::State& state) {
    const std::string file = MillionTriangleFile();
    for (auto _ : state) {
        model::ModelHost host = model::ModelHost::CreateStandalone();
        if (!formats::ReadLwoBytes(file, host)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(host.m_pMesh->GetFaceCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(file.size()));
    state.counters["file_MB"] = double(file.size()) / 1e6;
}
BENCHMARK(BM_LwoReadMillionTriangles)->Unit(benchmark::kMillisecond);

// A full table: 5000 quads of a 100 x 50 grid (5151 shared vertices) in eight colours, as
// the open command leaves it after a rebuild.
struct FullTable {
    model::ModelHost host = model::ModelHost::CreateStandalone();
    std::unique_ptr<model::FaceTable> table = std::make_unique<model::FaceTable>();
    FullTable() {
        constexpr int kW = 100, kH = 50;
        std::vector<rm::Vector> vertices;
        for (int y = 0; y <= kH; ++y) {
            for (int x = 0; x <= kW; ++x) vertices.push_back({float(x), float(y), float(x % 3)});
        }
        std::vector<std::int32_t> data;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const int a = y * (kW + 1) + x;
                data.insert(data.end(), {4, a, a + 1, a + kW + 2, a + kW + 1});
            }
        }
        data.push_back(0);
        std::vector<rm::Face> faces;
        host.m_pMesh->AddFaces(vertices, {}, data, &faces);
        for (std::size_t f = 0; f < faces.size(); ++f) {
            faces[f].SetColor(rm::MakeColor(255, 32 * (f % 8), 200, 100));
        }
        table->ReadFromMesh(host);
        table->RebuildMesh(host);
    }
};

void BM_LwoFormatFullTable(benchmark::State& state) {
    FullTable full;
    std::string out;
    for (auto _ : state) {
        if (!formats::FormatLwo(*full.table, out)) state.SkipWithError("format failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["faces"] = full.table->faceCount;
}
BENCHMARK(BM_LwoFormatFullTable)->Unit(benchmark::kMicrosecond);

void BM_LwoWriteFullTable(benchmark::State& state) {
    FullTable full;
    const std::string path =
        (std::filesystem::temp_directory_path() / "kestrilune-lwo-bench.lwo").string();
    for (auto _ : state) {
        if (!formats::WriteLwo(path, *full.table)) state.SkipWithError("write failed");
    }
    std::error_code ec;
    std::filesystem::remove(path, ec);
}
BENCHMARK(BM_LwoWriteFullTable)->Unit(benchmark::kMicrosecond);

}  // namespace
