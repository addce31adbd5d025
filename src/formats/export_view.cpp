#include "formats/export_view.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "formats/face_groups.h"

// GCC's -O3 inlining flags stb's writer (null dereferences it cannot rule out, and the
// like); the header is not ours, so its warnings are silenced around it alone.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC  // private to this unit: the tests have their own copy
#include <stb_image_write.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace formats {

namespace {

rm::Vector UnitOrZero(rm::Vector v) {
    const double len = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    if (!(len > 0) || !std::isfinite(len)) return {0, 0, 0};
    return {float(v.x / len), float(v.y / len), float(v.z / len)};
}

void AppendPngByte(void* context, void* data, int size) {
    auto* out = static_cast<std::string*>(context);
    out->append(static_cast<const char*>(data), std::size_t(size));
}

}  // namespace

rm::Vector ExportView::FaceNormal(int f) const {
    // Newell's sum over the outline: right for every planar polygon, concave ones included.
    const int n = Corners(f);
    double x = 0, y = 0, z = 0;
    for (int i = 0; i < n; ++i) {
        const rm::Vector a = Position(f, i);
        const rm::Vector b = Position(f, (i + 1) % n);
        x += (double(a.y) - b.y) * (double(a.z) + b.z);
        y += (double(a.z) - b.z) * (double(a.x) + b.x);
        z += (double(a.x) - b.x) * (double(a.y) + b.y);
    }
    return UnitOrZero({float(x), float(y), float(z)});
}

rm::Vector ExportView::UnitNormal(int f, int i) const {
    const rm::Vector n = UnitOrZero(Flip(t_.normal[f][Corner(f, i)]));
    if (n.x != 0 || n.y != 0 || n.z != 0) return n;
    const rm::Vector face = FaceNormal(f);
    if (face.x != 0 || face.y != 0 || face.z != 0) return face;
    return {0, 1, 0};
}

void ExportView::Triangles(int f, std::vector<rm::Triangle>& out) const {
    const int n = Corners(f);
    out.clear();
    if (n < 3) return;
    if (n == 3) {
        out.push_back({0, 1, 2});
        return;
    }
    rm::Vector corners[model::MAX_FACE_VERTICES];
    for (int i = 0; i < n; ++i) corners[i] = Position(f, i);
    rm::SplitPolygon(std::span<const rm::Vector>(corners, std::size_t(n)), out);
}

ExportMaterials CollectMaterials(const ExportView& view) {
    using Key = std::tuple<int, int, int, int, const rm::Texture*>;
    FaceGroups<Key> groups = GroupFaces(view.Faces(), [&view](int f) {
        const model::FaceColor& c = view.Color(f);
        return Key{c.red, c.green, c.blue, c.alpha, view.Texture(f).get()};
    });
    // Groups are numbered in order of first use: each material is made at its first face.
    ExportMaterials m;
    for (int f = 0; f < view.Faces(); ++f) {
        if (groups.ofFace[std::size_t(f)] == int(m.list.size()))
            m.list.push_back({view.Color(f), view.Texture(f)});
    }
    m.ofFace = std::move(groups.ofFace);
    return m;
}

std::string TextureFileName(const rm::Texture& texture) {
    const std::string& name = texture.GetName();
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

ExportImages CollectImages(const ExportMaterials& materials) {
    ExportImages images;
    images.ofMaterial.assign(materials.list.size(), -1);
    for (std::size_t i = 0; i < materials.list.size(); ++i) {
        const ExportMaterial& mat = materials.list[i];
        if (!mat.TextureFound()) continue;
        const auto known =
            std::find(images.textures.begin(), images.textures.end(), mat.texture.get());
        images.ofMaterial[i] = int(known - images.textures.begin());
        if (known == images.textures.end()) images.textures.push_back(mat.texture.get());
    }
    return images;
}

std::string ImageFileName(const std::string& title, std::size_t image) {
    return title + "_" + std::to_string(image) + ".png";
}

std::string EncodePng(const rm::Texture& texture) {
    const int w = texture.Width(), h = texture.Height();
    std::vector<unsigned char> rgba(std::size_t(w) * std::size_t(h) * 4);
    const std::vector<std::uint32_t>& px = texture.Pixels();
    for (std::size_t i = 0; i < px.size() && i * 4 + 3 < rgba.size(); ++i) {
        rgba[i * 4 + 0] = static_cast<unsigned char>(px[i] >> 16);
        rgba[i * 4 + 1] = static_cast<unsigned char>(px[i] >> 8);
        rgba[i * 4 + 2] = static_cast<unsigned char>(px[i]);
        rgba[i * 4 + 3] = static_cast<unsigned char>(px[i] >> 24);
    }
    std::string png;
    stbi_write_png_to_func(&AppendPngByte, &png, w, h, 4, rgba.data(), w * 4);
    return png;
}

}  // namespace formats
