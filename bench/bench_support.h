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

// The binary formats: STL (every triangle with its own corners), PLY little-endian (the
// grid's vertices, triangles as lists of three) and .glb (positions and 32-bit indices).
inline void WriteBinary(const std::string& ext, std::string& s) {
    const int n = kGrid, row = n + 1;
    const auto corner = [](const Point& p, std::string& out) {
        PutRaw(out, float(p.x)), PutRaw(out, float(p.y)), PutRaw(out, float(p.z));
    };
    const auto triangles = [&](auto&& each) {
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const int a = y * row + x, b = a + 1, c = a + row, d = c + 1;
                each(a, b, d), each(a, d, c);
            }
        }
    };
    const auto point = [&](int i) { return GridPoint(i % row, i / row); };
    if (ext == "stl") {
        s.assign(80, ' ');
        PutRaw(s, std::uint32_t(2 * n * n));
        triangles([&](int a, int b, int c) {
            for (int k = 0; k < 3; ++k) PutRaw(s, 0.0f);
            corner(point(a), s), corner(point(b), s), corner(point(c), s);
            s.append(2, '\0');
        });
    } else if (ext == "ply") {
        s = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(row * row) +
            "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
            std::to_string(2 * n * n) + "\nproperty list uchar int vertex_indices\nend_header\n";
        for (int i = 0; i < row * row; ++i) corner(point(i), s);
        triangles([&](int a, int b, int c) {
            s += char(3);
            PutRaw(s, a), PutRaw(s, b), PutRaw(s, c);
        });
    } else {
        std::string bin;
        for (int i = 0; i < row * row; ++i) corner(point(i), bin);
        const std::size_t positions = bin.size();
        triangles([&](int a, int b, int c) {
            PutRaw(bin, std::uint32_t(a)), PutRaw(bin, std::uint32_t(b)),
                PutRaw(bin, std::uint32_t(c));
        });
        const std::size_t indices = bin.size() - positions;
        std::string json =
            R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],)"
            R"("nodes":[{"mesh":0}],"meshes":[{"primitives":[{"attributes":)"
            R"({"POSITION":0},"indices":1}]}],"buffers":[{"byteLength":)" +
            std::to_string(bin.size()) + R"(}],"bufferViews":[{"buffer":0,"byteLength":)" +
            std::to_string(positions) + R"(},{"buffer":0,"byteOffset":)" +
            std::to_string(positions) + R"(,"byteLength":)" + std::to_string(indices) +
            R"(}],"accessors":[{"bufferView":0,"componentType":5126,"count":)" +
            std::to_string(row * row) +
            R"(,"type":"VEC3","min":[-40,-40,0],"max":[48.5,48.5,1]},)"
            R"({"bufferView":1,"componentType":5125,"count":)" +
            std::to_string(6 * n * n) + R"(,"type":"SCALAR"}]})";
        while (json.size() % 4) json += ' ';
        s = "glTF";
        PutRaw(s, std::uint32_t(2));
        PutRaw(s, std::uint32_t(12 + 8 + json.size() + 8 + bin.size()));
        PutRaw(s, std::uint32_t(json.size()));
        s += "JSON" + json;
        PutRaw(s, std::uint32_t(bin.size()));
        s += std::string("BIN\0", 4) + bin;
    }
}

inline void Write(const std::string& ext, const fs::path& path) {
    std::string s;
    const int n = kGrid, row = n + 1;
    if (ext == "obj") {
        for (int y = 0; y <= n; ++y) {
            for (int x = 0; x <= n; ++x) {
                const Point p = GridPoint(x, y);
                s += "v ", Put(s, p.x), s += ' ', Put(s, p.y), s += ' ', Put(s, p.z), s += '\n';
            }
        }
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const int a = y * row + x + 1, b = a + 1, c = a + row, d = c + 1;
                s += "f " + std::to_string(a) + ' ' + std::to_string(b) + ' ' + std::to_string(d) +
                     "\nf " + std::to_string(a) + ' ' + std::to_string(d) + ' ' +
                     std::to_string(c) + '\n';
            }
        }
    } else if (ext == "x") {
        s += "xof 0302txt 0032\nMesh {\n " + std::to_string(row * row) + ";\n";
        for (int y = 0; y <= n; ++y) {
            for (int x = 0; x <= n; ++x) {
                const Point p = GridPoint(x, y);
                s += ' ', Put(s, p.x), s += ';', Put(s, p.y), s += ';', Put(s, p.z);
                s += (y == n && x == n) ? ";;\n" : ";,\n";
            }
        }
        s += ' ' + std::to_string(2 * n * n) + ";\n";
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const int a = y * row + x, b = a + 1, c = a + row, d = c + 1;
                s += " 3;" + std::to_string(a) + ',' + std::to_string(b) + ',' + std::to_string(d) +
                     ";,\n 3;" + std::to_string(a) + ',' + std::to_string(d) + ',' +
                     std::to_string(c) + ((y == n - 1 && x == n - 1) ? ";;\n" : ";,\n");
            }
        }
        s += "}\n";
    } else if (ext == "stl" || ext == "ply" || ext == "glb") {
        WriteBinary(ext, s);
    } else {  // dxf: every triangle a 3DFACE with the third corner repeated
        s += "0\nSECTION\n2\nENTITIES\n";
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const Point tris[2][3] = {
                    {GridPoint(x, y), GridPoint(x + 1, y), GridPoint(x + 1, y + 1)},
                    {GridPoint(x, y), GridPoint(x + 1, y + 1), GridPoint(x, y + 1)}};
                for (const auto& t : tris) {
                    s += "0\n3DFACE\n8\n0\n";
                    for (int k = 0; k < 4; ++k) {
                        const Point& p = t[k < 3 ? k : 2];
                        const std::string c = std::to_string(k);
                        s += "1" + c + "\n", Put(s, p.x), s += "\n2" + c + "\n", Put(s, p.y);
                        s += "\n3" + c + "\n", Put(s, p.z), s += '\n';
                    }
                }
            }
        }
        s += "0\nENDSEC\n0\nEOF\n";
    }
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
