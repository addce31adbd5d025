#include "formats/ply.h"

#include <cstring>

#include "formats/export_view.h"
#include "formats/registry.h"
#include "formats/text_io.h"
#include "formats/vertex_welder.h"

namespace formats {

namespace {

struct PlyKey {
    std::uint32_t x, y, z, u, v;
    std::uint8_t rgba[4];
    bool operator==(const PlyKey&) const = default;
};

std::uint8_t Byte(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// The one texture a PLY file names ("comment TextureFile NAME") for all its faces: the
// model's texture when every face written carries the same one. Its image is written
// beside the file as NAME_0.png when its bitmap is loaded; one whose bitmap was not found
// is named by its own file name.
struct PlyTexture {
    const rm::Texture* texture = nullptr;
    std::string name;  // empty: none named
    std::string png;
};

PlyTexture ChooseTexture(const ExportView& view, const std::string& title,
                         std::vector<std::string>* warnings) {
    PlyTexture out;
    bool first = true, textured = false, shared = true;
    for (int f = 0; f < view.Faces(); ++f) {
        if (view.Corners(f) < 3) continue;
        const rm::Texture* t = view.Texture(f).get();
        if (first) out.texture = t;
        first = false;
        textured |= t != nullptr;
        shared &= t == out.texture;
    }
    if (!textured) return out;
    if (!shared) {
        // Faces of other textures, or none, would take it on reading.
        if (warnings) {
            warnings->push_back(
                "a PLY file names one texture for all its faces: the model's "
                "textures are not named (their coordinates are kept)");
        }
        out.texture = nullptr;
        return out;
    }
    if (!out.texture->Pixels().empty()) {
        out.name = ImageFileName(title, 0);
        out.png = EncodePng(*out.texture);
    } else {
        out.name = TextureFileName(*out.texture);
        if (warnings) {
            warnings->push_back("the bitmap of texture " + out.name +
                                " was not found: the file names it, no image is written");
        }
    }
    return out;
}

// The written vertices (one per model vertex and distinct position, colour and texture
// coordinates) and the faces: per face its count, then its vertices.
struct PlyMesh {
    explicit PlyMesh(const ExportView& view) : welder(view) {}
    const std::vector<PlyKey>& Vertices() const { return welder.Keys(); }
    bool textured = false;
    int faces = 0;
    VertexWelder<PlyKey> welder;
    std::vector<std::uint32_t> faceCorners;
};

void WeldPly(const ExportView& view, PlyMesh& m) {
    for (int f = 0; f < view.Faces(); ++f) m.textured |= view.Texture(f) != nullptr;
    std::size_t corners = 0;
    for (int f = 0; f < view.Faces(); ++f) corners += std::size_t(std::max(view.Corners(f), 0));
    m.faceCorners.reserve(std::size_t(view.Faces()) + corners);
    for (int f = 0; f < view.Faces(); ++f) {
        const int n = view.Corners(f);
        if (n < 3) continue;
        ++m.faces;
        m.faceCorners.push_back(std::uint32_t(n));
        const model::FaceColor& c = view.Color(f);
        for (int i = 0; i < n; ++i) {
            const rm::Vector p = view.Position(f, i);
            const float u = m.textured ? view.U(f, i) : 0.0f;
            const float v = m.textured ? 1.0f - view.V(f, i) : 0.0f;
            const PlyKey key{
                base::BitsOfFloat(p.x), base::BitsOfFloat(p.y),
                base::BitsOfFloat(p.z), base::BitsOfFloat(u),
                base::BitsOfFloat(v),   {Byte(c.red), Byte(c.green), Byte(c.blue), Byte(c.alpha)}};
            bool added = false;
            m.faceCorners.push_back(m.welder.Find(view.Vertex(f, i), key, added));
        }
    }
}

std::string PlyHeader(const PlyMesh& m, bool ascii, const std::string& textureName) {
    std::string s = "ply\n";
    s += ascii ? "format ascii 1.0\n" : "format binary_little_endian 1.0\n";
    s += "comment written by Kestrilune\n";
    if (!textureName.empty()) s += "comment TextureFile " + textureName + "\n";
    s += "element vertex " + std::to_string(m.Vertices().size()) + "\n";
    s += "property float x\nproperty float y\nproperty float z\n";
    s += "property uchar red\nproperty uchar green\nproperty uchar blue\nproperty uchar alpha\n";
    if (m.textured) s += "property float s\nproperty float t\n";
    s += "element face " + std::to_string(m.faces) + "\n";
    s += "property list uchar int vertex_indices\nend_header\n";
    return s;
}

void AppendAsciiBody(std::string& s, const PlyMesh& m) {
    for (const PlyKey& k : m.Vertices()) {
        for (const std::uint32_t bits : {k.x, k.y, k.z}) {
            AppendShortest(s, base::FloatFromBits(bits));
            s += ' ';
        }
        for (int i = 0; i < 4; ++i) {
            AppendInt(s, k.rgba[i]);
            s += i < 3 || m.textured ? ' ' : '\n';
        }
        if (m.textured) {
            AppendShortest(s, base::FloatFromBits(k.u));
            s += ' ';
            AppendShortest(s, base::FloatFromBits(k.v));
            s += '\n';
        }
    }
    for (std::size_t i = 0; i < m.faceCorners.size();) {
        const std::uint32_t n = m.faceCorners[i++];
        AppendInt(s, n);
        for (std::uint32_t k = 0; k < n; ++k) {
            s += ' ';
            AppendInt(s, m.faceCorners[i++]);
        }
        s += '\n';
    }
}

// Every byte is known in advance: the body is filled in place.
void AppendBinaryBody(std::string& s, const PlyMesh& m) {
    const std::size_t vertexBytes = m.textured ? 24 : 16;
    const std::size_t head = s.size();
    s.resize(head + m.Vertices().size() * vertexBytes + std::size_t(m.faces) +
             4 * (m.faceCorners.size() - std::size_t(m.faces)));
    auto* q = reinterpret_cast<unsigned char*>(s.data() + head);
    for (const PlyKey& k : m.Vertices()) {
        base::StoreLE32(q, k.x);
        base::StoreLE32(q + 4, k.y);
        base::StoreLE32(q + 8, k.z);
        std::memcpy(q + 12, k.rgba, 4);
        if (m.textured) {
            base::StoreLE32(q + 16, k.u);
            base::StoreLE32(q + 20, k.v);
        }
        q += vertexBytes;
    }
    for (std::size_t i = 0; i < m.faceCorners.size();) {
        const std::uint32_t n = m.faceCorners[i++];
        *q++ = static_cast<unsigned char>(n);
        for (std::uint32_t k = 0; k < n; ++k, q += 4) base::StoreLE32(q, m.faceCorners[i++]);
    }
}

std::string FormatPly(const ExportView& view, bool ascii, const std::string& textureName) {
    PlyMesh m(view);
    WeldPly(view, m);
    std::string s = PlyHeader(m, ascii, textureName);
    if (ascii) {
        AppendAsciiBody(s, m);
    } else {
        AppendBinaryBody(s, m);
    }
    return s;
}

}  // namespace

int SavePly(const WriteRequest& r, std::string* error) {
    try {
        const ExportView view(r.table, r.options.mirror);
        const std::string title = FileTitle(r.path);
        const PlyTexture texture = ChooseTexture(view, title, r.options.warnings);
        const std::string ply = FormatPly(view, r.options.ascii, texture.name);
        if (texture.png.empty()) return WriteFileAtomically(r.path, ply, error) ? 1 : 0;
        const std::size_t slash = r.path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "" : r.path.substr(0, slash + 1);
        // The image first: the model appears once its texture is there.
        return rm::WriteFilesAtomically({{folder + texture.name, texture.png}, {r.path, ply}},
                                        error)
                   ? 1
                   : 0;
    } catch (const std::bad_alloc&) {
        if (error) *error = "out of memory";
        return 0;
    }
}

}  // namespace formats
