// The .x saver: one Mesh object as text (the file write is in xfile.cpp).
#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/numbers.h"
#include "rm/xfile.h"

namespace rm {
namespace {

// What one written vertex carries: the mesh vertex, and the u, v and normal that its
// corners share.
using VertexKey = std::array<std::uint32_t, 6>;
struct KeyHash {
    std::size_t operator()(const VertexKey& k) const {
        std::uint64_t h = 1469598103934665603ull;
        for (std::uint32_t x : k) {
            h ^= x;
            h *= 1099511628211ull;
        }
        return std::size_t(h ^ (h >> 29));
    }
};

// The vertices as written: every written vertex has one u, v and one normal, and each
// corner of the mesh points at one of them.
struct SplitVertices {
    std::vector<VertexKey> written;
    std::vector<std::uint32_t> cornerIndex;  // in face order
};

SplitVertices SplitByCorner(const MeshBuilder& mesh, bool withUv, bool withNormals) {
    const auto& meshNormals = mesh.Normals();
    const std::size_t faceCount = mesh.FaceRecords().size();
    SplitVertices out;
    std::unordered_map<VertexKey, std::uint32_t, KeyHash> index;
    out.cornerIndex.reserve(mesh.GetCornerCount());
    index.reserve(mesh.Vertices().size());
    for (std::size_t f = 0; f < faceCount; ++f) {
        for (const auto& c : mesh.FaceCorners(f)) {
            VertexKey key{c.vertex, 0, 0, 0, 0, 0};
            if (withUv) {
                key[1] = base::BitsOfFloat(c.u);
                key[2] = base::BitsOfFloat(c.v);
            }
            if (withNormals) {
                const Vector n = c.normal < meshNormals.size() ? meshNormals[c.normal] : Vector{};
                key[3] = base::BitsOfFloat(n.x);
                key[4] = base::BitsOfFloat(n.y);
                key[5] = base::BitsOfFloat(n.z);
            }
            const auto [it, inserted] =
                index.emplace(key, static_cast<std::uint32_t>(out.written.size()));
            if (inserted) out.written.push_back(key);
            out.cornerIndex.push_back(it->second);
        }
    }
    return out;
}

bool AnyCornerHasNormal(const MeshBuilder& mesh) {
    const std::size_t normalCount = mesh.Normals().size();
    for (std::size_t f = 0; f < mesh.FaceRecords().size(); ++f) {
        for (const auto& c : mesh.FaceCorners(f)) {
            if (c.normal < normalCount) return true;
        }
    }
    return false;
}

// A list of the text format: the count, then one item a line, the items separated by ";,"
// and the last closed by ";;".
template <class AppendItem>
void AppendList(std::string& out, std::size_t count, AppendItem appendItem) {
    out += ' ';
    base::AppendInt(out, count);
    out += ";\n";
    for (std::size_t i = 0; i < count; ++i) {
        out += ' ';
        appendItem(i);
        out += i + 1 < count ? ";,\n" : ";;\n";
    }
}

// Floats separated by ';' (the list adds the last one's).
void AppendFloats(std::string& out, std::initializer_list<float> values) {
    bool first = true;
    for (float v : values) {
        if (!first) out += ';';
        first = false;
        base::AppendShortest(out, v);
    }
}

void AppendFaces(std::string& out, const MeshBuilder& mesh,
                 const std::vector<std::uint32_t>& cornerIndex) {
    std::size_t corner = 0;
    AppendList(out, mesh.FaceRecords().size(), [&](std::size_t f) {
        const std::size_t n = mesh.FaceCorners(f).size();
        base::AppendInt(out, n);
        out += ';';
        for (std::size_t k = 0; k < n; ++k) {
            if (k) out += ',';
            base::AppendInt(out, cornerIndex[corner++]);
        }
    });
}

// One material per distinct (colour, texture) pair, in order of first use, and each face's.
void AppendMaterials(std::string& out, const MeshBuilder& mesh, bool withTextureNames) {
    const std::size_t faceCount = mesh.FaceRecords().size();
    std::map<std::pair<Color, const Texture*>, std::size_t> materialOf;
    std::vector<std::pair<Color, const Texture*>> materials;
    std::vector<std::size_t> faceMaterial(faceCount);
    for (std::size_t f = 0; f < faceCount; ++f) {
        const auto& rec = mesh.FaceRecords()[f];
        const Texture* tex = withTextureNames ? mesh.TextureAt(f) : nullptr;
        const auto key = std::make_pair(rec.color, tex);
        const auto [it, inserted] = materialOf.emplace(key, materials.size());
        if (inserted) materials.push_back(key);
        faceMaterial[f] = it->second;
    }
    const MaterialPtr props = mesh.GetMaterial();
    out += " MeshMaterialList {\n  ";
    base::AppendInt(out, materials.size());
    out += ";\n  ";
    base::AppendInt(out, faceCount);
    out += ";\n";
    for (std::size_t f = 0; f < faceCount; ++f) {
        out += "  ";
        base::AppendInt(out, faceMaterial[f]);
        out += f + 1 < faceCount ? ",\n" : ";\n";
    }
    const float scale = 1.0f / 255.0f;
    auto appendVector = [&](const float* v) {
        for (int i = 0; i < 3; ++i) {
            base::AppendShortest(out, v ? v[i] : 0.0f);
            out += ';';
        }
        out += ";\n";
    };
    for (const auto& [color, tex] : materials) {
        out += "  Material {\n   ";
        const unsigned channels[4] = {ColorRed(color), ColorGreen(color), ColorBlue(color),
                                      ColorAlpha(color)};
        for (unsigned ch : channels) {
            base::AppendShortest(out, float(ch) * scale);
            out += ';';
        }
        out += ";\n   ";
        base::AppendShortest(out, props ? props->power : 0.0f);
        out += ";\n   ";
        appendVector(props ? props->specular : nullptr);
        out += "   ";
        appendVector(props ? props->emissive : nullptr);
        if (tex && !tex->GetName().empty()) {
            out += "   TextureFilename {\n    \"";
            // A string cannot hold a quote or a line break.
            for (char c : tex->GetName()) {
                out += (c == '"' || c == '\n' || c == '\r') ? '_' : c;
            }
            out += "\";\n   }\n";
        }
        out += "  }\n";
    }
    out += " }\n";
}

}  // namespace

std::string SaveXToString(const MeshBuilder& mesh, unsigned flags) {
    const bool withUv = (flags & XOFSAVE_TEXTURECOORDINATES) != 0;
    const bool withMaterials = (flags & XOFSAVE_MATERIALS) != 0;
    const bool withTextureNames = withMaterials && (flags & XOFSAVE_TEXTURENAMES) != 0;
    const bool withNormals = (flags & XOFSAVE_NORMALS) != 0 && AnyCornerHasNormal(mesh);

    const auto& verts = mesh.Vertices();
    const SplitVertices split = SplitByCorner(mesh, withUv, withNormals);
    const auto& written = split.written;
    auto floatAt = [&](std::size_t i, int k) { return base::FloatFromBits(written[i][k]); };

    std::string out;
    out.reserve(64 + written.size() * (withUv ? 90 : 40) + mesh.GetCornerCount() * 16);
    out += "xof 0302txt 0032\nHeader {\n 1;\n 0;\n 1;\n}\n\nMesh {\n";
    AppendList(out, written.size(), [&](std::size_t i) {
        const Vector& p = verts[written[i][0]];
        AppendFloats(out, {p.x, p.y, p.z});
    });
    AppendFaces(out, mesh, split.cornerIndex);
    if (withMaterials) AppendMaterials(out, mesh, withTextureNames);
    if (withNormals) {
        out += " MeshNormals {\n";
        AppendList(out, written.size(), [&](std::size_t i) {
            AppendFloats(out, {floatAt(i, 3), floatAt(i, 4), floatAt(i, 5)});
        });
        // Normal i belongs to vertex i, so the faces repeat the vertex indices.
        AppendFaces(out, mesh, split.cornerIndex);
        out += " }\n";
    }
    if (withUv) {
        out += " MeshTextureCoords {\n";
        AppendList(out, written.size(), [&](std::size_t i) {
            AppendFloats(out, {floatAt(i, 1), floatAt(i, 2)});
        });
        out += " }\n";
    }
    out += "}\n";
    return out;
}

}  // namespace rm
