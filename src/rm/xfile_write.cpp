// The .x saver: one Mesh object as text, and the file write that replaces the target only
// once everything is on disk.
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
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

}  // namespace

std::string SaveXToString(const MeshBuilder& mesh, unsigned flags) {
    const bool withNormals = (flags & XOFSAVE_NORMALS) != 0;
    const bool withUv = (flags & XOFSAVE_TEXTURECOORDINATES) != 0;
    const bool withMaterials = (flags & XOFSAVE_MATERIALS) != 0;
    const bool withTextureNames = withMaterials && (flags & XOFSAVE_TEXTURENAMES) != 0;

    const auto& verts = mesh.Vertices();
    const auto& meshNormals = mesh.Normals();
    const std::size_t faceCount = mesh.FaceRecords().size();

    bool anyNormal = false;
    if (withNormals) {
        for (std::size_t f = 0; f < faceCount && !anyNormal; ++f) {
            for (const auto& c : mesh.FaceCorners(f)) {
                if (c.normal < meshNormals.size()) {
                    anyNormal = true;
                    break;
                }
            }
        }
    }

    // Split vertices so that every written vertex has one u, v and one normal.
    std::unordered_map<VertexKey, std::uint32_t, KeyHash> index;
    std::vector<VertexKey> written;
    std::vector<std::uint32_t> cornerIndex;
    cornerIndex.reserve(mesh.GetCornerCount());
    index.reserve(verts.size());
    for (std::size_t f = 0; f < faceCount; ++f) {
        for (const auto& c : mesh.FaceCorners(f)) {
            VertexKey key{c.vertex, 0, 0, 0, 0, 0};
            if (withUv) {
                key[1] = base::BitsOfFloat(c.u);
                key[2] = base::BitsOfFloat(c.v);
            }
            if (anyNormal) {
                const Vector n = c.normal < meshNormals.size() ? meshNormals[c.normal] : Vector{};
                key[3] = base::BitsOfFloat(n.x);
                key[4] = base::BitsOfFloat(n.y);
                key[5] = base::BitsOfFloat(n.z);
            }
            const auto [it, inserted] =
                index.emplace(key, static_cast<std::uint32_t>(written.size()));
            if (inserted) written.push_back(key);
            cornerIndex.push_back(it->second);
        }
    }

    std::string out;
    out.reserve(64 + written.size() * (withUv ? 90 : 40) + mesh.GetCornerCount() * 16);
    out += "xof 0302txt 0032\nHeader {\n 1;\n 0;\n 1;\n}\n\nMesh {\n ";
    base::AppendInt(out, written.size());
    out += ";\n";
    for (std::size_t i = 0; i < written.size(); ++i) {
        const Vector& p = verts[written[i][0]];
        out += ' ';
        base::AppendShortest(out, p.x);
        out += ';';
        base::AppendShortest(out, p.y);
        out += ';';
        base::AppendShortest(out, p.z);
        out += i + 1 < written.size() ? ";,\n" : ";;\n";
    }

    auto appendFaces = [&](std::string& o) {
        o += ' ';
        base::AppendInt(o, faceCount);
        o += ";\n";
        std::size_t corner = 0;
        for (std::size_t f = 0; f < faceCount; ++f) {
            const std::size_t n = mesh.FaceCorners(f).size();
            o += ' ';
            base::AppendInt(o, n);
            o += ';';
            for (std::size_t k = 0; k < n; ++k) {
                if (k) o += ',';
                base::AppendInt(o, cornerIndex[corner++]);
            }
            o += f + 1 < faceCount ? ";,\n" : ";;\n";
        }
    };
    appendFaces(out);

    if (withMaterials) {
        // One material per distinct (colour, texture) pair, in order of first use.
        std::map<std::pair<Color, const Texture*>, std::size_t> materialOf;
        std::vector<std::pair<Color, const Texture*>> materials;
        std::vector<std::size_t> faceMaterial(faceCount);
        for (std::size_t f = 0; f < faceCount; ++f) {
            const auto& rec = mesh.FaceRecords()[f];
            const Texture* tex = withTextureNames ? rec.texture.get() : nullptr;
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
            for (int i = 0; i < 3; ++i) {
                base::AppendShortest(out, props ? props->specular[i] : 0.0f);
                out += ';';
            }
            out += ";\n   ";
            for (int i = 0; i < 3; ++i) {
                base::AppendShortest(out, props ? props->emissive[i] : 0.0f);
                out += ';';
            }
            out += ";\n";
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

    if (anyNormal) {
        out += " MeshNormals {\n ";
        base::AppendInt(out, written.size());
        out += ";\n";
        for (std::size_t i = 0; i < written.size(); ++i) {
            out += ' ';
            base::AppendShortest(out, base::FloatFromBits(written[i][3]));
            out += ';';
            base::AppendShortest(out, base::FloatFromBits(written[i][4]));
            out += ';';
            base::AppendShortest(out, base::FloatFromBits(written[i][5]));
            out += i + 1 < written.size() ? ";,\n" : ";;\n";
        }
        // Normal i belongs to vertex i, so the faces repeat the vertex indices.
        appendFaces(out);
        out += " }\n";
    }

    if (withUv) {
        out += " MeshTextureCoords {\n ";
        base::AppendInt(out, written.size());
        out += ";\n";
        for (std::size_t i = 0; i < written.size(); ++i) {
            out += ' ';
            base::AppendShortest(out, base::FloatFromBits(written[i][1]));
            out += ';';
            base::AppendShortest(out, base::FloatFromBits(written[i][2]));
            out += i + 1 < written.size() ? ";,\n" : ";;\n";
        }
        out += " }\n";
    }
    out += "}\n";
    return out;
}

}  // namespace rm
