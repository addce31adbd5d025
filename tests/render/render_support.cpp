#include "render/render_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wcast-align"
#pragma GCC diagnostic ignored "-Wnull-dereference"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wdouble-promotion"
// Static copies, so that no other user of these headers in the program clashes with them.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace render_test {

bool WritePng(const std::string& path, const Image& image) {
    std::vector<unsigned char> rgb(std::size_t(image.width) * std::size_t(image.height) * 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        rgb[i * 3 + 0] = static_cast<unsigned char>(image.pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<unsigned char>(image.pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<unsigned char>(image.pixels[i]);
    }
    return stbi_write_png(path.c_str(), image.width, image.height, 3, rgb.data(),
                          image.width * 3) != 0;
}

bool ReadPng(const std::string& path, Image* image) {
    int w = 0, h = 0, n = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 3);
    if (!data) return false;
    image->width = w;
    image->height = h;
    image->pixels.resize(std::size_t(w) * std::size_t(h));
    for (std::size_t i = 0; i < image->pixels.size(); ++i) {
        image->pixels[i] = (std::uint32_t(data[i * 3]) << 16) |
                           (std::uint32_t(data[i * 3 + 1]) << 8) | data[i * 3 + 2];
    }
    stbi_image_free(data);
    return true;
}

::testing::AssertionResult MatchesGolden(const Image& image, const std::string& name,
                                         int tolerance) {
    const std::string golden = std::string(KESTRILUNE_TEST_DATA) + "/render/" + name + ".png";
    // KESTRILUNE_RENDER_DUMP names a folder for every picture drawn, for comparing the
    // pictures of two builds exactly (the goldens allow a tolerance in some tests).
    if (const char* dump = std::getenv("KESTRILUNE_RENDER_DUMP"); dump && *dump) {
        std::filesystem::create_directories(dump);
        WritePng((std::filesystem::path(dump) / (name + ".png")).string(), image);
    }
    Image expected;
    std::string problem;
    if (!ReadPng(golden, &expected)) {
        problem = "no golden image " + golden;
    } else if (expected.width != image.width || expected.height != image.height) {
        problem = "size differs from " + golden;
    } else {
        int worst = 0, count = 0;
        for (std::size_t i = 0; i < image.pixels.size(); ++i) {
            for (int shift : {0, 8, 16}) {
                const int d = std::abs(int((image.pixels[i] >> shift) & 0xFF) -
                                       int((expected.pixels[i] >> shift) & 0xFF));
                if (d > tolerance) {
                    ++count;
                    worst = std::max(worst, d);
                }
            }
        }
        if (count == 0) return ::testing::AssertionSuccess();
        problem = std::to_string(count) + " channels differ from " + golden + " (worst by " +
                  std::to_string(worst) + ")";
    }
    const std::filesystem::path out = std::filesystem::current_path() / "render-out";
    std::filesystem::create_directories(out);
    const std::string written = (out / (name + ".png")).string();
    WritePng(written, image);
    return ::testing::AssertionFailure() << problem << "; the picture is in " << written;
}

void AddOutwardFaces(rm::MeshBuilder& mesh, const std::vector<rm::Vector>& vertices,
                     const std::vector<std::vector<int>>& faces, const rm::Vector& inside) {
    std::vector<std::int32_t> data;
    for (const auto& face : faces) {
        // Newell's normal of the face as given.
        rm::Vector n{}, centre{};
        for (std::size_t i = 0; i < face.size(); ++i) {
            const rm::Vector& a = vertices[std::size_t(face[(i + face.size() - 1) % face.size()])];
            const rm::Vector& b = vertices[std::size_t(face[i])];
            n.x += (a.y - b.y) * (a.z + b.z);
            n.y += (a.z - b.z) * (a.x + b.x);
            n.z += (a.x - b.x) * (a.y + b.y);
            centre = centre + b * (1.0f / float(face.size()));
        }
        const bool reverse = rm::Dot(n, centre - inside) < 0;
        data.push_back(std::int32_t(face.size()));
        for (std::size_t i = 0; i < face.size(); ++i)
            data.push_back(face[reverse ? face.size() - 1 - i : i]);
    }
    data.push_back(0);
    ASSERT_TRUE(mesh.AddFaces(vertices, {}, data));
}

void AddCube(rm::MeshBuilder& mesh, float h) {
    std::vector<rm::Vector> v;
    for (int i = 0; i < 8; ++i) v.push_back({(i & 1) ? h : -h, (i & 2) ? h : -h, (i & 4) ? h : -h});
    AddOutwardFaces(
        mesh, v,
        {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}}, {});
}

void AddSphere(rm::MeshBuilder& mesh, float radius, int rings, int segments) {
    const float pi = std::numbers::pi_v<float>;
    std::vector<rm::Vector> v;
    v.push_back({0, radius, 0});
    for (int r = 1; r < rings; ++r) {
        const float phi = pi * float(r) / float(rings);
        for (int s = 0; s < segments; ++s) {
            const float theta = 2 * pi * float(s) / float(segments);
            v.push_back({radius * std::sin(phi) * std::cos(theta), radius * std::cos(phi),
                         radius * std::sin(phi) * std::sin(theta)});
        }
    }
    v.push_back({0, -radius, 0});
    const int bottom = int(v.size()) - 1;
    auto at = [&](int r, int s) { return 1 + (r - 1) * segments + (s % segments); };
    std::vector<std::vector<int>> faces;
    for (int s = 0; s < segments; ++s) faces.push_back({0, at(1, s), at(1, s + 1)});
    for (int r = 1; r + 1 < rings; ++r) {
        for (int s = 0; s < segments; ++s)
            faces.push_back({at(r, s), at(r, s + 1), at(r + 1, s + 1), at(r + 1, s)});
    }
    for (int s = 0; s < segments; ++s)
        faces.push_back({bottom, at(rings - 1, s + 1), at(rings - 1, s)});
    AddOutwardFaces(mesh, v, faces, {});
}

void AddQuad(rm::MeshBuilder& mesh, float x0, float y0, float x1, float y1, float z,
             rm::Color color) {
    const int before = mesh.GetFaceCount();
    AddOutwardFaces(mesh, {{x0, y1, z}, {x1, y1, z}, {x1, y0, z}, {x0, y0, z}}, {{0, 1, 2, 3}},
                    {0, 0, z + 1});
    mesh.GetFace(before).SetColor(color);
}

PaneRig::PaneRig(int width, int height, int deviceKind, int displayBits, bool start)
    : device(deviceKind) {
    display.current = {1280, 720, displayBits};
    display.modes = {display.current};
    window.size = {width, height};
    if (!start) return;
    Start();
    Update();
}

void PaneRig::Start() {
    root = std::make_unique<render::CD3DRoot>(display);
    root->Init("/p/");
    root->SelectDeviceByName(device);
    session.CreateScene(root->GetRM());
    pane = std::make_unique<render::C3DPane>(*root, window, ui);
}

Image PaneRig::Draw() {
    pane->OnDraw();
    Image image;
    if (const render::ColorSurface* picture = pane->Picture()) {
        image.width = picture->width;
        image.height = picture->height;
        image.pixels = picture->pixels;
    }
    return image;
}

}  // namespace render_test
