// What the benchmarks that run whole programs share: the generated files of about 1 million
// triangles (a 708 x 708 grid of quads, each cut in two: text .obj, .x and .dxf, binary .stl,
// .ply and .glb) and a child process whose time and peak memory are measured.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/numbers.h"

extern char** environ;

namespace bench_support {

namespace fs = std::filesystem;

inline constexpr int kGrid = 708;  // 2 * 708^2 = 1,002,528 triangles

struct Point {
    double x, y, z;
};
inline Point GridPoint(int x, int y) {
    return {x * 0.125 - 40.0, y * 0.125 - 40.0, 0.001 * ((x * 7 + y * 13) % 1000)};
}
inline void Put(std::string& s, double v) {
    base::AppendFixed(s, v, 6);
}

template <typename T>
inline void PutRaw(std::string& s, T v) {
    s.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// The grid's vertices are numbered row by row, (kGrid + 1) to a row.
inline constexpr int kRow = kGrid + 1;
inline Point VertexPoint(int i) {
    return GridPoint(i % kRow, i / kRow);
}
inline void PutCorner(std::string& s, const Point& p) {
    PutRaw(s, float(p.x)), PutRaw(s, float(p.y)), PutRaw(s, float(p.z));
}
// Calls each(a, b, c) with the vertex numbers of every triangle, two to a quad.
template <typename Each>
inline void ForEachTriangle(Each&& each) {
    for (int y = 0; y < kGrid; ++y) {
        for (int x = 0; x < kGrid; ++x) {
            const int a = y * kRow + x, b = a + 1, c = a + kRow, d = c + 1;
            each(a, b, d), each(a, d, c);
        }
    }
}

// The binary formats: STL (every triangle with its own corners), PLY little-endian (the
// grid's vertices, triangles as lists of three) and .glb (positions and 32-bit indices).
inline void WriteStl(std::string& s) {
    s.assign(80, ' ');
    PutRaw(s, std::uint32_t(2 * kGrid * kGrid));
    ForEachTriangle([&](int a, int b, int c) {
        for (int k = 0; k < 3; ++k) PutRaw(s, 0.0f);
        PutCorner(s, VertexPoint(a)), PutCorner(s, VertexPoint(b)), PutCorner(s, VertexPoint(c));
        s.append(2, '\0');
    });
}

inline void WritePly(std::string& s) {
    s = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(kRow * kRow) +
        "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
        std::to_string(2 * kGrid * kGrid) +
        "\nproperty list uchar int vertex_indices\nend_header\n";
    for (int i = 0; i < kRow * kRow; ++i) PutCorner(s, VertexPoint(i));
    ForEachTriangle([&](int a, int b, int c) {
        s += char(3);
        PutRaw(s, a), PutRaw(s, b), PutRaw(s, c);
    });
}

// The .glb's JSON chunk for a buffer of `positions` bytes of points then `indices` bytes of
// indices, padded with spaces to a multiple of four.
inline std::string GlbJson(std::size_t positions, std::size_t indices) {
    std::string json = R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],)"
                       R"("nodes":[{"mesh":0}],"meshes":[{"primitives":[{"attributes":)"
                       R"({"POSITION":0},"indices":1}]}],"buffers":[{"byteLength":)" +
                       std::to_string(positions + indices) +
                       R"(}],"bufferViews":[{"buffer":0,"byteLength":)" +
                       std::to_string(positions) + R"(},{"buffer":0,"byteOffset":)" +
                       std::to_string(positions) + R"(,"byteLength":)" + std::to_string(indices) +
                       R"(}],"accessors":[{"bufferView":0,"componentType":5126,"count":)" +
                       std::to_string(kRow * kRow) +
                       R"(,"type":"VEC3","min":[-40,-40,0],"max":[48.5,48.5,1]},)"
                       R"({"bufferView":1,"componentType":5125,"count":)" +
                       std::to_string(6 * kGrid * kGrid) + R"(,"type":"SCALAR"}]})";
    while (json.size() % 4) json += ' ';
    return json;
}

inline void WriteGlb(std::string& s) {
    std::string bin;
    for (int i = 0; i < kRow * kRow; ++i) PutCorner(bin, VertexPoint(i));
    const std::size_t positions = bin.size();
    ForEachTriangle([&](int a, int b, int c) {
        PutRaw(bin, std::uint32_t(a)), PutRaw(bin, std::uint32_t(b)), PutRaw(bin, std::uint32_t(c));
    });
    const std::string json = GlbJson(positions, bin.size() - positions);
    s = "glTF";
    PutRaw(s, std::uint32_t(2));
    PutRaw(s, std::uint32_t(12 + 8 + json.size() + 8 + bin.size()));
    PutRaw(s, std::uint32_t(json.size()));
    s += "JSON" + json;
    PutRaw(s, std::uint32_t(bin.size()));
    s += std::string("BIN\0", 4) + bin;
}

// The text formats: .obj (1-based indices), .x (0-based, lists closed by ";;") and .dxf
// (every triangle a 3DFACE with the third corner repeated).
inline void WriteObj(std::string& s) {
    for (int i = 0; i < kRow * kRow; ++i) {
        const Point p = VertexPoint(i);
        s += "v ", Put(s, p.x), s += ' ', Put(s, p.y), s += ' ', Put(s, p.z), s += '\n';
    }
    ForEachTriangle([&](int a, int b, int c) {
        s += "f " + std::to_string(a + 1) + ' ' + std::to_string(b + 1) + ' ' +
             std::to_string(c + 1) + '\n';
    });
}

inline void WriteX(std::string& s) {
    s += "xof 0302txt 0032\nMesh {\n " + std::to_string(kRow * kRow) + ";\n";
    for (int i = 0; i < kRow * kRow; ++i) {
        const Point p = VertexPoint(i);
        s += ' ', Put(s, p.x), s += ';', Put(s, p.y), s += ';', Put(s, p.z);
        s += (i == kRow * kRow - 1) ? ";;\n" : ";,\n";
    }
    const int faces = 2 * kGrid * kGrid;
    s += ' ' + std::to_string(faces) + ";\n";
    int written = 0;
    ForEachTriangle([&](int a, int b, int c) {
        s += " 3;" + std::to_string(a) + ',' + std::to_string(b) + ',' + std::to_string(c) +
             (++written == faces ? ";;\n" : ";,\n");
    });
    s += "}\n";
}

inline void WriteDxf(std::string& s) {
    s += "0\nSECTION\n2\nENTITIES\n";
    ForEachTriangle([&](int a, int b, int c) {
        const Point t[3] = {VertexPoint(a), VertexPoint(b), VertexPoint(c)};
        s += "0\n3DFACE\n8\n0\n";
        for (int k = 0; k < 4; ++k) {
            const Point& p = t[k < 3 ? k : 2];
            const std::string code = std::to_string(k);
            s += "1" + code + "\n", Put(s, p.x), s += "\n2" + code + "\n", Put(s, p.y);
            s += "\n3" + code + "\n", Put(s, p.z), s += '\n';
        }
    });
    s += "0\nENDSEC\n0\nEOF\n";
}

inline void Write(const std::string& ext, const fs::path& path) {
    std::string s;
    if (ext == "obj")
        WriteObj(s);
    else if (ext == "x")
        WriteX(s);
    else if (ext == "stl")
        WriteStl(s);
    else if (ext == "ply")
        WritePly(s);
    else if (ext == "glb")
        WriteGlb(s);
    else
        WriteDxf(s);
    std::ofstream(path, std::ios::binary) << s;
}

// The three files, written once into the temporary folder by a child process: the
// benchmark's own memory stays small, since a spawned child starts from its high-water mark.
inline std::string Generate(const std::string& ext) {
    const fs::path dir = fs::temp_directory_path() / "kestrilune-import-bench";
    fs::create_directories(dir);
    const fs::path path = dir / ("grid." + ext);
    if (fs::exists(path)) return path.string();
    const fs::path part = dir / ("grid." + ext + ".part");
    const pid_t pid = fork();
    if (pid == 0) {
        Write(ext, part);
        _exit(0);
    }
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) fs::rename(part, path);
    return path.string();
}

struct Run {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double peakMB = 0;
    bool ok = false;
};

// Runs the program with its arguments in a child process; its CPU time and peak memory.
inline Run Spawn(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    Run run;
    const auto start = std::chrono::steady_clock::now();
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.wallSeconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
            run.peakMB = double(usage.ru_maxrss) / 1024.0;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

}  // namespace bench_support
