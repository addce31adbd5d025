// glTF 2.0 reader, on the glTF library. The library parses the JSON and gathers the
// buffers; everything it hands over is checked here before use: every index against its
// list, every accessor against its buffer view and every buffer view against its buffer.
#include "formats/gltf_read.h"

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <span>
#include <vector>

#include "base/numbers.h"
#include "formats/gltf_library.h"
#include "formats/reader.h"
#include "formats/text_io.h"
#include "rm/bitmap.h"

namespace formats {

namespace {

constexpr std::uint64_t kMaxCount = std::uint64_t(std::numeric_limits<std::int32_t>::max());

using Matrix = std::array<double, 16>;  // column-major, as glTF stores it
constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += a[k * 4 + r] * b[c * 4 + k];
            m[c * 4 + r] = s;
        }
    }
    return m;
}

double Determinant3(const Matrix& m) {
    return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
           m[8] * (m[1] * m[6] - m[5] * m[2]);
}

// A node's own transform: its matrix, or translation * rotation * scale.
bool LocalMatrix(const tinygltf::Node& node, Matrix& out) {
    if (!node.matrix.empty()) {
        if (node.matrix.size() != 16) return false;
        std::copy(node.matrix.begin(), node.matrix.end(), out.begin());
        return true;
    }
    if ((!node.translation.empty() && node.translation.size() != 3) ||
        (!node.rotation.empty() && node.rotation.size() != 4) ||
        (!node.scale.empty() && node.scale.size() != 3)) {
        return false;
    }
    const double tx = node.translation.empty() ? 0 : node.translation[0];
    const double ty = node.translation.empty() ? 0 : node.translation[1];
    const double tz = node.translation.empty() ? 0 : node.translation[2];
    const double x = node.rotation.empty() ? 0 : node.rotation[0];
    const double y = node.rotation.empty() ? 0 : node.rotation[1];
    const double z = node.rotation.empty() ? 0 : node.rotation[2];
    const double w = node.rotation.empty() ? 1 : node.rotation[3];
    const double sx = node.scale.empty() ? 1 : node.scale[0];
    const double sy = node.scale.empty() ? 1 : node.scale[1];
    const double sz = node.scale.empty() ? 1 : node.scale[2];
    out = {(1 - 2 * (y * y + z * z)) * sx,
           2 * (x * y + z * w) * sx,
           2 * (x * z - y * w) * sx,
           0,
           2 * (x * y - z * w) * sy,
           (1 - 2 * (x * x + z * z)) * sy,
           2 * (y * z + x * w) * sy,
           0,
           2 * (x * z + y * w) * sz,
           2 * (y * z - x * w) * sz,
           (1 - 2 * (x * x + y * y)) * sz,
           0,
           tx,
           ty,
           tz,
           1};
    return true;
}

// An accessor's elements, checked: `base` the first element's bytes (null: all zero, an
// accessor without a buffer view), `stride` between elements.
struct Elements {
    const unsigned char* base = nullptr;
    std::size_t stride = 0;
    std::size_t count = 0;
    int componentType = 0;
    int components = 0;
    bool normalized = false;
};

class Reader {
  public:
    // `firstBuffer`, when given, holds the bytes of buffer 0 (which the library was handed a
    // stand-in for).
    Reader(const tinygltf::Model& m, const std::span<const unsigned char>* firstBuffer,
           ReadResult* result)
        : m_(m), firstBuffer_(firstBuffer), result_(result) {}

    bool Accessor(int index, Elements& out) {
        if (index < 0 || std::size_t(index) >= m_.accessors.size()) {
            return Bad("an accessor that does not exist");
        }
        const tinygltf::Accessor& a = m_.accessors[std::size_t(index)];
        if (a.sparse.isSparse) {
            Fail(result_, ReadFailure::Unsupported, "sparse accessors are not read");
            return false;
        }
        const int size = tinygltf::GetComponentSizeInBytes(std::uint32_t(a.componentType));
        const int components = tinygltf::GetNumComponentsInType(std::uint32_t(a.type));
        if (size <= 0 || components <= 0) return Bad("an accessor of an unknown type");
        if (a.count > kMaxCount) return Bad("an accessor of too many elements");
        out.count = a.count;
        out.componentType = a.componentType;
        out.components = components;
        out.normalized = a.normalized;
        const std::uint64_t element = std::uint64_t(size) * std::uint64_t(components);
        if (a.bufferView < 0) {
            out.base = nullptr;
            return true;
        }
        if (std::size_t(a.bufferView) >= m_.bufferViews.size()) {
            return Bad("an accessor's buffer view does not exist");
        }
        const tinygltf::BufferView& v = m_.bufferViews[std::size_t(a.bufferView)];
        std::span<const unsigned char> buffer;
        if (!View(v, buffer)) return false;
        const std::uint64_t stride = v.byteStride ? std::uint64_t(v.byteStride) : element;
        if (stride < element) return Bad("a buffer view's stride is smaller than its elements");
        if (a.count > 0) {
            const std::uint64_t need =
                std::uint64_t(a.byteOffset) + (std::uint64_t(a.count) - 1) * stride + element;
            if (a.byteOffset > v.byteLength || need > v.byteLength) {
                return Bad("an accessor reaches past its buffer view");
            }
        }
        out.base = buffer.data() + v.byteOffset + a.byteOffset;
        out.stride = std::size_t(stride);
        return true;
    }

    // A buffer view that lies inside its buffer.
    bool View(const tinygltf::BufferView& v, std::span<const unsigned char>& buffer) {
        if (v.buffer < 0 || std::size_t(v.buffer) >= m_.buffers.size()) {
            return Bad("a buffer view's buffer does not exist");
        }
        buffer =
            v.buffer == 0 && firstBuffer_ ? *firstBuffer_ : m_.buffers[std::size_t(v.buffer)].data;
        const std::uint64_t size = buffer.size();
        if (v.byteOffset > size || v.byteLength > size - v.byteOffset) {
            return Bad("a buffer view reaches past its buffer");
        }
        return true;
    }

    // Component k of element i as a real (normalised integers as glTF maps them).
    static double Component(const Elements& e, std::size_t i, int k) {
        if (!e.base) return 0;
        const unsigned char* p = e.base + i * e.stride;
        switch (e.componentType) {
            case TINYGLTF_COMPONENT_TYPE_FLOAT: {
                float f;
                std::memcpy(&f, p + 4 * k, 4);
                return f;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: {
                const double v = p[k];
                return e.normalized ? v / 255.0 : v;
            }
            case TINYGLTF_COMPONENT_TYPE_BYTE: {
                const double v = double(std::int8_t(p[k]));
                return e.normalized ? std::max(v / 127.0, -1.0) : v;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
                std::uint16_t s;
                std::memcpy(&s, p + 2 * k, 2);
                return e.normalized ? s / 65535.0 : s;
            }
            case TINYGLTF_COMPONENT_TYPE_SHORT: {
                std::int16_t s;
                std::memcpy(&s, p + 2 * k, 2);
                return e.normalized ? std::max(s / 32767.0, -1.0) : s;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
                std::uint32_t u;
                std::memcpy(&u, p + 4 * k, 4);
                return u;
            }
            default:
                return 0;
        }
    }

    bool Bad(const std::string& why) {
        Fail(result_, ReadFailure::Malformed, why);
        return false;
    }

  private:
    const tinygltf::Model& m_;
    const std::span<const unsigned char>* firstBuffer_;
    ReadResult* result_;
};

// The images the library found, decoded by the mesh layer's image code (never the
// library's), by image index. One that does not decode stays out: its texture is named
// without pixels.
struct DecodedImages {
    std::map<int, rm::Bitmap> images;
};

bool DecodeImage(tinygltf::Image*, const int index, std::string*, std::string*, int, int,
                 const unsigned char* bytes, int size, void* user) {
    auto* store = static_cast<DecodedImages*>(user);
    if (!bytes || size <= 0) return true;
    rm::Bitmap bitmap;
    if (rm::DecodeBitmap(std::span(bytes, std::size_t(size)), &bitmap) == rm::BitmapError::None) {
        store->images[index] = std::move(bitmap);
    }
    return true;
}

// Files beside a .gltf (buffers) are read like every input file, within the same limit.
bool FileExists(const std::string& path, void*) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}
std::string ExpandFilePath(const std::string& path, void*) {
    return path;
}
bool ReadWholeFile(std::vector<unsigned char>* out, std::string* err, const std::string& path,
                   void*) {
    rm::FileBytes bytes;
    std::string why;
    if (!rm::ReadFileBytes(path, bytes, &why)) {
        if (err) *err += "cannot read " + path + ": " + why + "\n";
        return false;
    }
    const std::string_view view = bytes.View();
    out->assign(view.begin(), view.end());
    return true;
}
bool WriteWholeFile(std::string* err, const std::string&, const std::vector<unsigned char>&,
                    void*) {
    if (err) *err += "the reader writes no files\n";
    return false;
}

// The JSON of a .gltf, or of a .glb's first chunk; discarded when there is none (the library
// then says what is wrong).
nlohmann::json JsonOf(std::string_view bytes, bool binary) {
    std::string_view text = bytes;
    if (binary) {
        if (bytes.size() < 20) return nlohmann::json::value_t::discarded;
        std::uint32_t length = 0;
        std::memcpy(&length, bytes.data() + 12, 4);
        if (length > bytes.size() - 20) return nlohmann::json::value_t::discarded;
        text = bytes.substr(20, length);
    }
    return nlohmann::json::parse(text, nullptr, false);
}

// A non-negative integer member of `o` (`fallback` when it is not there); false for
// anything else.
bool Unsigned(const nlohmann::json& o, const char* key, std::uint64_t fallback,
              std::uint64_t& out) {
    const auto it = o.find(key);
    if (it == o.end()) {
        out = fallback;
        return true;
    }
    if (!it->is_number_unsigned() && !(it->is_number_integer() && it->get<long long>() >= 0)) {
        return false;
    }
    out = it->get<std::uint64_t>();
    return true;
}

// The library reads an image's buffer view without looking at its bounds: before the file is
// handed to it, every image's buffer view is checked against the byte length its buffer
// declares (which the library holds each buffer to).
bool ImageViewsInside(const nlohmann::json& j) {
    if (j.is_discarded() || !j.is_object()) return true;
    const auto images = j.find("images");
    if (images == j.end() || !images->is_array()) return true;
    const auto views = j.find("bufferViews");
    const auto buffers = j.find("buffers");
    for (const nlohmann::json& image : *images) {
        if (!image.is_object() || !image.contains("bufferView")) continue;
        std::uint64_t view = 0;
        if (!Unsigned(image, "bufferView", 0, view)) return false;
        if (views == j.end() || !views->is_array() || view >= views->size()) return false;
        const nlohmann::json& v = (*views)[view];
        std::uint64_t buffer = 0;
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
        if (!v.is_object() || !Unsigned(v, "buffer", ~0ull, buffer) ||
            !Unsigned(v, "byteOffset", 0, offset) || !Unsigned(v, "byteLength", ~0ull, length)) {
            return false;
        }
        if (buffers == j.end() || !buffers->is_array() || buffer >= buffers->size()) return false;
        const nlohmann::json& b = (*buffers)[buffer];
        std::uint64_t size = 0;
        if (!b.is_object() || !Unsigned(b, "byteLength", 0, size)) return false;
        if (offset > size || length > size - offset) return false;
    }
    return true;
}

// A .glb's BIN chunk, when it is the file's first buffer and no image lies in it, is not
// copied by the library: the library is handed the file with a stand-in of four bytes for
// the chunk, and the reader takes the buffer's bytes from the file itself. The file is
// checked as the library checks it (and its chunk against the end of the file); a file
// that fails, or is laid out otherwise, goes to the library as it is.
struct StandIn {
    std::span<const unsigned char> firstBuffer;  // in the file
    std::string file;
};
bool MakeStandIn(std::string_view bytes, const nlohmann::json& j, StandIn& out) {
    if (!j.is_object() || bytes.size() < 20 || bytes.substr(0, 4) != "glTF") return false;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint64_t length = base::LoadLE32(b + 8);
    const std::uint64_t bin = 20 + std::uint64_t(base::LoadLE32(b + 12));  // the chunk's header
    if (length > bytes.size() || bin == 20 || bin % 4 != 0 || bin + 8 > length ||
        base::LoadLE32(b + 16) != 0x4E4F534Au) {
        return false;
    }
    const std::uint64_t binLength = base::LoadLE32(b + bin);
    if (base::LoadLE32(b + bin + 4) != 0x004E4942u || binLength < 4 || binLength % 4 != 0 ||
        binLength > length - bin - 8) {
        return false;
    }
    const auto buffers = j.find("buffers");
    if (buffers == j.end() || !buffers->is_array() || buffers->empty()) return false;
    const nlohmann::json& first = buffers->front();
    std::uint64_t size = 0;
    if (!first.is_object() || first.contains("uri") || !first.contains("byteLength") ||
        !Unsigned(first, "byteLength", 0, size) || size == 0 || size > binLength) {
        return false;
    }
    if (const auto images = j.find("images"); images != j.end()) {
        const auto views = j.find("bufferViews");
        if (!images->is_array()) return false;
        for (const nlohmann::json& image : *images) {
            if (!image.is_object() || !image.contains("bufferView")) continue;
            std::uint64_t view = 0, buffer = 0;
            if (!Unsigned(image, "bufferView", 0, view) || views == j.end() || !views->is_array() ||
                view >= views->size() || !(*views)[view].is_object() ||
                !Unsigned((*views)[view], "buffer", 0, buffer) || buffer == 0) {
                return false;
            }
        }
    }
    nlohmann::json json = j;
    json["buffers"][0]["byteLength"] = 4;
    std::string text = json.dump();
    text.resize((text.size() + 3) / 4 * 4, ' ');
    std::string& f = out.file;
    f.assign(bytes.substr(0, 8));  // magic and version
    base::AppendLE32(f, std::uint32_t(20 + text.size() + 12));
    base::AppendLE32(f, std::uint32_t(text.size()));
    f += "JSON";
    f += text;
    base::AppendLE32(f, 4);
    f.append("BIN\0\0\0\0\0", 8);
    out.firstBuffer = {b + bin + 8, std::size_t(size)};
    return true;
}

// "%20" and the like in a URI, as the file's name on disk.
std::string DecodeUri(const std::string& uri) {
    std::string out;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        const auto hex = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                          : -1;
        };
        if (uri[i] == '%' && i + 2 < uri.size() && hex(uri[i + 1]) >= 0 && hex(uri[i + 2]) >= 0) {
            out += char(hex(uri[i + 1]) * 16 + hex(uri[i + 2]));
            i += 2;
        } else {
            out += uri[i];
        }
    }
    return out;
}

class Builder {
  public:
    Builder(const tinygltf::Model& m, const std::span<const unsigned char>* firstBuffer,
            const ReadPast& readPast, DecodedImages& images, std::vector<std::string> folders,
            ReadResult* result)
        : m_(m),
          readPast_(readPast),
          images_(images),
          folders_(std::move(folders)),
          reader_(m, firstBuffer, result) {}

    bool Scene() {
        std::vector<int> roots;
        int scene = m_.defaultScene;
        if (scene < 0 && !m_.scenes.empty()) scene = 0;
        if (scene >= 0) {
            if (std::size_t(scene) >= m_.scenes.size()) return reader_.Bad("no such scene");
            roots = m_.scenes[std::size_t(scene)].nodes;
        } else {
            // No scenes: every node that is no other node's child.
            std::vector<bool> child(m_.nodes.size(), false);
            for (const tinygltf::Node& n : m_.nodes) {
                for (int c : n.children) {
                    if (c >= 0 && std::size_t(c) < child.size()) child[std::size_t(c)] = true;
                }
            }
            for (std::size_t i = 0; i < child.size(); ++i) {
                if (!child[i]) roots.push_back(int(i));
            }
        }
        visited_.assign(m_.nodes.size(), false);
        for (int root : roots) {
            if (!Node(root, kIdentity)) return false;
        }
        return true;
    }

    rm::MeshBuilder mesh;
    std::vector<std::string> missing;

  private:
    // A node and its children, each node once (a node met twice is a file whose hierarchy
    // is no tree, or has a cycle).
    bool Node(int index, const Matrix& parent) {
        struct Step {
            int node;
            Matrix parent;
        };
        std::vector<Step> stack{{index, parent}};
        while (!stack.empty()) {
            const Step step = stack.back();
            stack.pop_back();
            if (step.node < 0 || std::size_t(step.node) >= m_.nodes.size()) {
                return reader_.Bad("a node that does not exist");
            }
            if (visited_[std::size_t(step.node)]) return reader_.Bad("a node used twice");
            visited_[std::size_t(step.node)] = true;
            const tinygltf::Node& node = m_.nodes[std::size_t(step.node)];
            Matrix local;
            if (!LocalMatrix(node, local)) return reader_.Bad("a node's transform is malformed");
            const Matrix world = Multiply(step.parent, local);
            if (node.mesh >= 0) {
                if (std::size_t(node.mesh) >= m_.meshes.size()) {
                    return reader_.Bad("a node's mesh does not exist");
                }
                for (const tinygltf::Primitive& p : m_.meshes[std::size_t(node.mesh)].primitives) {
                    if (!Primitive(p, world)) return false;
                }
            }
            for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) {
                stack.push_back({*it, world});
            }
        }
        return true;
    }

    // The primitive's corners as vertex numbers: its indices, or 0, 1, 2, ... without them.
    struct Corners {
        Elements indices;
        bool indexed = false;
        std::size_t count = 0;
    };

    // Calls `f` with a function that gives corner i's vertex number, made for the kind of
    // the corners: a loop for each kind rather than a choice for each corner.
    template <typename F>
    static void WithCorners(const Corners& c, F&& f) {
        if (!c.indexed) return f([](std::size_t i) { return std::uint32_t(i); });
        if (!c.indices.base) return f([](std::size_t) { return std::uint32_t(0); });
        const unsigned char* const at = c.indices.base;
        const std::size_t stride = c.indices.stride;
        switch (c.indices.componentType) {
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
                return f([=](std::size_t i) { return std::uint32_t(at[i * stride]); });
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
                return f(
                    [=](std::size_t i) { return std::uint32_t(base::LoadLE16(at + i * stride)); });
            default:
                return f([=](std::size_t i) { return base::LoadLE32(at + i * stride); });
        }
    }

    // The corners of `p`, every index checked against the `vertexCount` positions.
    bool ReadCorners(const tinygltf::Primitive& p, std::size_t vertexCount, Corners& out) {
        if (p.indices < 0) {
            out.count = vertexCount;
            return true;
        }
        if (!reader_.Accessor(p.indices, out.indices)) return false;
        if (out.indices.components != 1 ||
            (out.indices.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
             out.indices.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
             out.indices.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)) {
            return reader_.Bad("indices are not unsigned integers");
        }
        out.indexed = true;
        out.count = out.indices.count;
        bool inside = true;
        WithCorners(out, [&](auto corner) {
            for (std::size_t i = 0; i < out.count && inside; ++i) inside = corner(i) < vertexCount;
        });
        return inside || reader_.Bad("an index past the vertices");
    }

    // The positions (three floats each) into the mesh, through the node's transform.
    bool AddVertices(const Elements& positions, const Matrix& world) {
        const std::size_t first = mesh.Vertices().size();
        if (first + positions.count > kMaxCount) return reader_.Bad("too many vertices");
        mesh.ReserveVertices(positions.count, 0);
        for (std::size_t i = 0; i < positions.count; ++i) {
            if (i % ReadPast::kEvery == 0 && positions.base)
                readPast_.Before(positions.base + i * positions.stride);
            float xyz[3] = {0, 0, 0};
            if (positions.base) std::memcpy(xyz, positions.base + i * positions.stride, 12);
            const double x = xyz[0], y = xyz[1], z = xyz[2];
            mesh.Vertices().push_back(
                {float(world[0] * x + world[4] * y + world[8] * z + world[12]),
                 float(world[1] * x + world[5] * y + world[9] * z + world[13]),
                 float(world[2] * x + world[6] * y + world[10] * z + world[14])});
        }
        return true;
    }

    // What every triangle of a primitive shares.
    struct Look {
        std::size_t firstVertex = 0;
        bool mirrored = false;  // a mirroring node turns faces over
        rm::Color colour = rm::MeshBuilder::kDefaultFaceColor;
        rm::TexturePtr texture;
        const Elements* uv = nullptr;  // null: none
    };

    // The triangle of the primitive's vertices a, b, c, with its normal, colour, texture
    // and texture coordinates.
    void AddTriangle(const Look& look, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        if (look.mirrored) std::swap(b, c);
        const std::size_t first = look.firstVertex;
        const std::uint32_t t[3] = {std::uint32_t(first + a), std::uint32_t(first + b),
                                    std::uint32_t(first + c)};
        const std::vector<rm::Vector>& v = mesh.Vertices();
        mesh.Normals().push_back(FaceNormal(v[t[0]], v[t[1]], v[t[2]]));
        mesh.AppendFace(t, std::uint32_t(mesh.Normals().size() - 1));
        const std::size_t f = mesh.FaceRecords().size() - 1;
        mesh.MutableFaceRecord(f).color = look.colour;
        if (look.texture) textured_.emplace_back(f, look.texture);
        if (look.uv) {
            const std::uint32_t from[3] = {a, b, c};
            for (std::size_t k = 0; k < 3; ++k) {
                mesh.SetCornerTextureCoordinates(f, k,
                                                 float(Reader::Component(*look.uv, from[k], 0)),
                                                 float(Reader::Component(*look.uv, from[k], 1)));
            }
        }
    }

    // Now and then, the file's pages before corner i given back.
    void ReadPastCorner(const Corners& corners, std::size_t i) {
        if (corners.indexed && corners.indices.base && i % ReadPast::kEvery == 0)
            readPast_.Before(corners.indices.base + i * corners.indices.stride);
    }

    // The corners as triangles by the primitive's mode.
    void AddTriangles(int mode, const Corners& corners, const Look& look) {
        const std::size_t n = corners.count;
        // Room for the triangles (at most n - 2), so that the mesh's arrays are not copied
        // as they grow.
        const std::size_t most = n < 3 ? 0 : mode == TINYGLTF_MODE_TRIANGLES ? n / 3 : n - 2;
        mesh.ReserveFaces(most, 3 * most);
        mesh.ReserveVertices(0, most);
        WithCorners(corners, [&](auto corner) { AddTriangles(mode, n, corner, corners, look); });
    }

    template <typename Corner>
    void AddTriangles(int mode, std::size_t n, Corner corner, const Corners& corners,
                      const Look& look) {
        if (mode == TINYGLTF_MODE_TRIANGLES) {
            for (std::size_t i = 0; i + 2 < n; i += 3) {
                ReadPastCorner(corners, i);
                AddTriangle(look, corner(i), corner(i + 1), corner(i + 2));
            }
        } else if (mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
            for (std::size_t i = 0; i + 2 < n; ++i) {
                ReadPastCorner(corners, i);
                const std::uint32_t a = corner(i), b = corner(i + 1), c = corner(i + 2);
                if (a == b || b == c || a == c) continue;  // the joins between strips
                // Every second triangle keeps its first corner and swaps the other two.
                if (i % 2 == 0) {
                    AddTriangle(look, a, b, c);
                } else {
                    AddTriangle(look, a, c, b);
                }
            }
        } else {
            for (std::size_t i = 1; i + 1 < n; ++i) {
                ReadPastCorner(corners, i);
                AddTriangle(look, corner(0), corner(i), corner(i + 1));
            }
        }
    }

    bool Primitive(const tinygltf::Primitive& p, const Matrix& world) {
        const int mode = p.mode < 0 ? TINYGLTF_MODE_TRIANGLES : p.mode;
        if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP &&
            mode != TINYGLTF_MODE_TRIANGLE_FAN) {
            return true;  // points and lines are no faces
        }
        const auto position = p.attributes.find("POSITION");
        if (position == p.attributes.end()) return true;
        Elements positions;
        if (!reader_.Accessor(position->second, positions)) return false;
        if (positions.components != 3 || positions.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT) {
            return reader_.Bad("positions are not three floats");
        }
        Elements uv;
        Look look;
        if (const auto t = p.attributes.find("TEXCOORD_0"); t != p.attributes.end()) {
            if (!reader_.Accessor(t->second, uv)) return false;
            if (uv.components != 2 || uv.count != positions.count ||
                (uv.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT && !uv.normalized)) {
                return reader_.Bad("texture coordinates that do not fit the positions");
            }
            look.uv = &uv;
        }
        if (p.material >= 0) {
            if (std::size_t(p.material) >= m_.materials.size()) {
                return reader_.Bad("a primitive's material does not exist");
            }
            if (!Material(m_.materials[std::size_t(p.material)], look.colour, look.texture))
                return false;
        }
        look.firstVertex = mesh.Vertices().size();
        if (!AddVertices(positions, world)) return false;
        Corners corners;
        if (!ReadCorners(p, positions.count, corners)) return false;
        look.mirrored = Determinant3(world) < 0;
        AddTriangles(mode, corners, look);
        return true;
    }

    bool Material(const tinygltf::Material& material, rm::Color& colour, rm::TexturePtr& texture) {
        const std::vector<double>& f = material.pbrMetallicRoughness.baseColorFactor;
        if (f.size() == 4) {
            colour = rm::MakeColor(rm::ChannelToByte(float(f[3])), rm::ChannelToByte(float(f[0])),
                                   rm::ChannelToByte(float(f[1])), rm::ChannelToByte(float(f[2])));
        }
        const int t = material.pbrMetallicRoughness.baseColorTexture.index;
        if (t < 0) return true;
        if (std::size_t(t) >= m_.textures.size())
            return reader_.Bad("a texture that does not exist");
        const int image = m_.textures[std::size_t(t)].source;
        if (image < 0) return true;
        if (std::size_t(image) >= m_.images.size())
            return reader_.Bad("an image that does not exist");
        texture = Image(image);
        return true;
    }

    // The texture of image `index`, made once: decoded from the file, or loaded from the
    // file its URI names. One that is not there keeps its name without pixels.
    rm::TexturePtr Image(int index) {
        if (const auto it = textures_.find(index); it != textures_.end()) return it->second;
        const tinygltf::Image& image = m_.images[std::size_t(index)];
        const bool external =
            image.bufferView < 0 && !image.uri.empty() && image.uri.compare(0, 5, "data:") != 0;
        std::string name = external              ? DecodeUri(image.uri)
                           : !image.name.empty() ? image.name
                                                 : "image" + std::to_string(index);
        rm::TexturePtr texture;
        if (external) {
            texture = rm::LoadTexture(name, folders_);
        } else if (auto it = images_.images.find(index); it != images_.images.end()) {
            texture = std::make_shared<rm::Texture>(name);
            texture->SetPixels(it->second.width, it->second.height, std::move(it->second.pixels));
        }
        if (!texture) {
            texture = std::make_shared<rm::Texture>(name);
            missing.push_back(name);
        }
        textures_.emplace(index, texture);
        return texture;
    }

  public:
    void SetTextures() {
        for (const auto& [face, texture] : textured_) mesh.SetFaceTexture(face, texture);
    }

  private:
    const tinygltf::Model& m_;
    const ReadPast& readPast_;
    DecodedImages& images_;
    std::vector<std::string> folders_;
    Reader reader_;
    std::vector<bool> visited_;
    std::map<int, rm::TexturePtr> textures_;
    std::vector<std::pair<std::size_t, rm::TexturePtr>> textured_;
};

// Whether a .glb's BIN chunk ends inside the file. (The library holds the chunk's data, which
// follows its eight bytes of header, to the file's length without those eight bytes, and
// would read past the end of a file that is short of them.)
bool BinChunkInside(std::string_view bytes) {
    if (bytes.size() < 20) return true;  // the library refuses it
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint64_t length = base::LoadLE32(b + 8);
    const std::uint64_t bin = 20 + std::uint64_t(base::LoadLE32(b + 12));
    if (length > bytes.size() || bin + 12 > length) return true;  // refused, or no chunk
    return base::LoadLE32(b + bin) <= length - bin - 8;
}

int ReadGltfFrom(std::string_view bytes, bool binary, const std::string& folder,
                 model::ModelHost& host, ReadResult* result, rm::FileBytes* file) {
    return Guarded(result, [&]() -> int {
        if (bytes.size() > std::numeric_limits<unsigned int>::max()) {
            return Fail(result, ReadFailure::Unsupported, "the file is too large");
        }
        if (binary && !BinChunkInside(bytes)) {
            return Fail(result, ReadFailure::Malformed,
                        "the binary chunk reaches past the end of the file");
        }
        const nlohmann::json json = JsonOf(bytes, binary);
        if (!ImageViewsInside(json)) {
            return Fail(result, ReadFailure::Malformed,
                        "an image's buffer view reaches past its buffer");
        }
        StandIn standIn;
        const bool standing = binary && MakeStandIn(bytes, json, standIn);
        const std::string_view given = standing ? std::string_view(standIn.file) : bytes;
        tinygltf::TinyGLTF loader;
        DecodedImages images;
        loader.SetImageLoader(&DecodeImage, &images);
        loader.SetFsCallbacks(
            {&FileExists, &ExpandFilePath, &ReadWholeFile, &WriteWholeFile, nullptr});
        tinygltf::Model model;
        std::string err;
        std::string warn;
        std::string base = folder.empty() ? std::string(".") : folder.substr(0, folder.size() - 1);
        bool ok = false;
        try {
            ok = binary ? loader.LoadBinaryFromMemory(
                              &model, &err, &warn,
                              reinterpret_cast<const unsigned char*>(given.data()),
                              static_cast<unsigned int>(given.size()), base)
                        : loader.LoadASCIIFromString(&model, &err, &warn, given.data(),
                                                     static_cast<unsigned int>(given.size()), base);
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& e) {
            err = e.what();
            ok = false;
        }
        if (!ok) {
            while (!err.empty() && err.back() == '\n') err.pop_back();
            return Fail(result, ReadFailure::Malformed, err.empty() ? "not a glTF file" : err);
        }
        if (!model.extensionsRequired.empty()) {
            return Fail(result, ReadFailure::Unsupported,
                        "the file needs the extension " + model.extensionsRequired.front() +
                            ", which is not read");
        }
        // What the library has copied is no longer needed in the file: all of it, or all
        // before the BIN chunk that the builder reads from the file.
        const ReadPast readPast(file, bytes);
        if (standing) {
            readPast.Before(standIn.firstBuffer.data());
        } else {
            readPast.Before(bytes.data() + bytes.size());
        }
        Builder builder(model, standing ? &standIn.firstBuffer : nullptr, readPast, images,
                        ReaderTextureFolders(host, folder), result);
        if (!builder.Scene()) return 0;
        if (builder.mesh.GetFaceCount() == 0) {
            return Fail(result, ReadFailure::Malformed, "the file holds no triangles");
        }
        builder.SetTextures();
        rm::MeshBuilderPtr temp = BeginRead(host, result);
        if (!temp) return 0;
        if (!temp->AddMeshBuilder(std::move(builder.mesh))) {
            return Fail(result, ReadFailure::MergeRefused, "cannot add the triangles");
        }
        const int merged = FinishRead(host, *temp, result);
        if (merged && result) result->missingTextures = std::move(builder.missing);
        return merged;
    });
}

}  // namespace

int ReadGltfBytes(std::string_view bytes, bool binary, const std::string& folder,
                  model::ModelHost& host, ReadResult* result) {
    return ReadGltfFrom(bytes, binary, folder, host, result, nullptr);
}

int ReadGltf(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result, [&](std::string_view bytes, rm::FileBytes& file) {
        const bool binary = bytes.size() >= 4 && bytes.substr(0, 4) == "glTF";
        return ReadGltfFrom(bytes, binary, FolderOf(path), host, result, &file);
    });
}

}  // namespace formats
