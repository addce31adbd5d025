#include "formats/gltf.h"

#include <cstring>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "formats/export_view.h"
#include "formats/gltf_library.h"
#include "formats/registry.h"
#include "formats/text_io.h"
#include "formats/vertex_welder.h"

namespace formats {

namespace {

constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;

struct CornerKey {
    std::uint32_t nx, ny, nz, u, v;
    bool operator==(const CornerKey&) const = default;
};

// The file's buffer, grown a view at a time; every view starts on a 4-byte boundary.
class BufferBuilder {
  public:
    explicit BufferBuilder(tinygltf::Model& m) : m_(m) {}
    // Room for views of `bytes` bytes in all, so that the buffer is not copied as it grows.
    void Reserve(std::size_t bytes) { Bytes().reserve(Bytes().size() + bytes); }
    int AddView(const void* data, std::size_t size, int target) {
        std::vector<unsigned char>& bytes = Bytes();
        while (bytes.size() % 4 != 0) bytes.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = bytes.size();
        view.byteLength = size;
        view.target = target;
        const auto* p = static_cast<const unsigned char*>(data);
        bytes.insert(bytes.end(), p, p + size);
        m_.bufferViews.push_back(std::move(view));
        return int(m_.bufferViews.size()) - 1;
    }
    std::vector<unsigned char>& Bytes() { return m_.buffers[0].data; }

  private:
    tinygltf::Model& m_;
};

// A file name as a URI reference: every byte but the unreserved ones percent-encoded.
std::string UriOf(const std::string& name) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            uri += ch;
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

int AddAccessor(tinygltf::Model& m, int view, int componentType, std::size_t count, int type) {
    tinygltf::Accessor a;
    a.bufferView = view;
    a.componentType = componentType;
    a.count = count;
    a.type = type;
    m.accessors.push_back(std::move(a));
    return int(m.accessors.size()) - 1;
}

struct Built {
    tinygltf::Model model;
    std::vector<std::string> pngs;  // image i's file
};

// The written vertices (positions, unit normals, texture coordinates when `textured`)
// and each material's triangles as indices into them.
struct WeldedMesh {
    bool textured = false;
    std::vector<float> positions, normals, uvs;
    std::vector<std::vector<std::uint32_t>> indices;  // per material
    std::size_t VertexCount() const { return positions.size() / 3; }
};

// Room for the most there can be (a vertex per corner, n - 2 triangles a face) is reserved:
// what is not used is never touched.
void ReserveWelded(const ExportView& view, const ExportMaterials& mats, WeldedMesh& w) {
    std::size_t corners = 0;
    std::vector<std::size_t> triangleCount(mats.list.size(), 0);
    for (int f = 0; f < view.Faces(); ++f) {
        const int n = view.Corners(f);
        if (n < 3) continue;
        corners += std::size_t(n);
        triangleCount[std::size_t(mats.ofFace[std::size_t(f)])] += std::size_t(n - 2);
    }
    w.positions.reserve(3 * corners);
    w.normals.reserve(3 * corners);
    if (w.textured) w.uvs.reserve(2 * corners);
    w.indices.resize(mats.list.size());
    for (std::size_t i = 0; i < w.indices.size(); ++i) w.indices[i].reserve(3 * triangleCount[i]);
}

// Corners that share a vertex, a normal and texture coordinates share a written vertex;
// every face becomes triangles of its material.
WeldedMesh WeldVertices(const ExportView& view, const ExportMaterials& mats) {
    WeldedMesh w;
    for (const ExportMaterial& mat : mats.list) w.textured |= mat.texture != nullptr;
    ReserveWelded(view, mats, w);
    VertexWelder<CornerKey> welder(view);
    std::vector<rm::Triangle> tris;
    std::uint32_t corner[model::MAX_FACE_VERTICES];
    for (int f = 0; f < view.Faces(); ++f) {
        const int n = view.Corners(f);
        if (n < 3) continue;
        for (int i = 0; i < n; ++i) {
            const rm::Vector nor = view.UnitNormal(f, i);
            const float u = w.textured ? view.U(f, i) : 0.0f;
            const float v = w.textured ? view.V(f, i) : 0.0f;
            const CornerKey key{base::BitsOfFloat(nor.x), base::BitsOfFloat(nor.y),
                                base::BitsOfFloat(nor.z), base::BitsOfFloat(u),
                                base::BitsOfFloat(v)};
            bool added = false;
            corner[i] = welder.Find(view.Vertex(f, i), key, added);
            if (added) {
                const rm::Vector p = view.Position(f, i);
                w.positions.insert(w.positions.end(), {p.x, p.y, p.z});
                w.normals.insert(w.normals.end(), {nor.x, nor.y, nor.z});
                if (w.textured) w.uvs.insert(w.uvs.end(), {u, v});
            }
        }
        view.Triangles(f, tris);
        std::vector<std::uint32_t>& out = w.indices[std::size_t(mats.ofFace[std::size_t(f)])];
        for (const rm::Triangle& t : tris) {
            out.insert(out.end(), {corner[t[0]], corner[t[1]], corner[t[2]]});
        }
    }
    return w;
}

// The accessors of the shared vertices (-1 for none).
struct VertexAccessors {
    int position = -1, normal = -1, uv = -1;
};

VertexAccessors AddVertexAccessors(tinygltf::Model& m, BufferBuilder& buffer, const WeldedMesh& w) {
    VertexAccessors a;
    const std::size_t vertexCount = w.VertexCount();
    if (vertexCount == 0) return a;
    a.position =
        AddAccessor(m, buffer.AddView(w.positions.data(), w.positions.size() * 4, kArrayBuffer),
                    TINYGLTF_COMPONENT_TYPE_FLOAT, vertexCount, TINYGLTF_TYPE_VEC3);
    std::vector<double> lo(3, 0.0), hi(3, 0.0);
    for (std::size_t v = 0; v < vertexCount; ++v) {
        for (std::size_t c = 0; c < 3; ++c) {
            const double x = w.positions[v * 3 + c];
            if (v == 0 || x < lo[c]) lo[c] = x;
            if (v == 0 || x > hi[c]) hi[c] = x;
        }
    }
    m.accessors[std::size_t(a.position)].minValues = lo;
    m.accessors[std::size_t(a.position)].maxValues = hi;
    a.normal = AddAccessor(m, buffer.AddView(w.normals.data(), w.normals.size() * 4, kArrayBuffer),
                           TINYGLTF_COMPONENT_TYPE_FLOAT, vertexCount, TINYGLTF_TYPE_VEC3);
    if (w.textured) {
        a.uv = AddAccessor(m, buffer.AddView(w.uvs.data(), w.uvs.size() * 4, kArrayBuffer),
                           TINYGLTF_COMPONENT_TYPE_FLOAT, vertexCount, TINYGLTF_TYPE_VEC2);
    }
    return a;
}

tinygltf::Material MaterialOf(const ExportMaterial& mat, int index, int texture) {
    tinygltf::Material material;
    material.name = "material" + std::to_string(index);
    const model::FaceColor& c = mat.color;
    auto unit = [](int x) { return std::clamp(x, 0, 255) / 255.0; };
    material.pbrMetallicRoughness.baseColorFactor = {unit(c.red), unit(c.green), unit(c.blue),
                                                     unit(c.alpha)};
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = 1.0;
    material.alphaMode = c.alpha < 255 ? "BLEND" : "OPAQUE";
    if (texture >= 0) material.pbrMetallicRoughness.baseColorTexture.index = texture;
    return material;
}

// The indices of one primitive: 16-bit when every vertex number fits.
int AddIndexAccessor(tinygltf::Model& m, BufferBuilder& buffer,
                     const std::vector<std::uint32_t>& idx, std::size_t vertexCount) {
    if (vertexCount <= 65535) {
        std::vector<std::uint16_t> small(idx.begin(), idx.end());
        return AddAccessor(m, buffer.AddView(small.data(), small.size() * 2, kElementArrayBuffer),
                           TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, small.size(),
                           TINYGLTF_TYPE_SCALAR);
    }
    return AddAccessor(m, buffer.AddView(idx.data(), idx.size() * 4, kElementArrayBuffer),
                       TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, idx.size(), TINYGLTF_TYPE_SCALAR);
}

// Materials and primitives; a material without triangles (its faces have fewer than 3
// corners) is left out.
tinygltf::Mesh AddPrimitives(tinygltf::Model& m, BufferBuilder& buffer, const WeldedMesh& w,
                             const ExportMaterials& mats, const std::vector<int>& textureOf) {
    std::size_t viewBytes = 4 * (w.positions.size() + w.normals.size() + w.uvs.size()) + 16;
    for (const std::vector<std::uint32_t>& idx : w.indices) viewBytes += 4 * idx.size() + 4;
    buffer.Reserve(viewBytes);
    const VertexAccessors vertices = AddVertexAccessors(m, buffer, w);
    tinygltf::Mesh mesh;
    for (std::size_t i = 0; i < mats.list.size(); ++i) {
        if (w.indices[i].empty()) continue;
        m.materials.push_back(MaterialOf(mats.list[i], int(m.materials.size()), textureOf[i]));
        tinygltf::Primitive prim;
        prim.mode = TINYGLTF_MODE_TRIANGLES;
        prim.material = int(m.materials.size()) - 1;
        prim.attributes["POSITION"] = vertices.position;
        prim.attributes["NORMAL"] = vertices.normal;
        if (vertices.uv >= 0) prim.attributes["TEXCOORD_0"] = vertices.uv;
        prim.indices = AddIndexAccessor(m, buffer, w.indices[i], w.VertexCount());
        mesh.primitives.push_back(std::move(prim));
    }
    return mesh;
}

// One image per texture, as a PNG: in the buffer (a .glb) or named as a file beside it.
void AddImages(Built& b, BufferBuilder& buffer, const std::vector<const rm::Texture*>& textures,
               bool embedImages, const std::string& path) {
    for (std::size_t k = 0; k < textures.size(); ++k) {
        tinygltf::Image image;
        std::string png = EncodePng(*textures[k]);
        if (embedImages) {
            image.mimeType = "image/png";
            image.bufferView = buffer.AddView(png.data(), png.size(), 0);
            b.model.bufferViews.back().target = 0;  // an image's view has none
        } else {
            image.uri = UriOf(ImageFileName(FileTitle(path), k));
        }
        b.pngs.push_back(std::move(png));
        b.model.images.push_back(std::move(image));
    }
}

void WarnUntextured(const ExportMaterials& mats, std::vector<std::string>* warnings) {
    if (!warnings) return;
    for (const ExportMaterial& mat : mats.list) {
        if (mat.texture && !mat.TextureFound()) {
            warnings->push_back("the bitmap of texture " + TextureFileName(*mat.texture) +
                                " was not found: its faces are untextured");
        }
    }
}

// The scene: one node of the mesh when it has primitives; the buffer padded to 4 bytes
// (none at all when it is empty).
void FinishScene(tinygltf::Model& m, tinygltf::Mesh mesh, BufferBuilder& buffer) {
    tinygltf::Scene scene;
    if (!mesh.primitives.empty()) {
        m.meshes.push_back(std::move(mesh));
        tinygltf::Node node;
        node.mesh = 0;
        m.nodes.push_back(std::move(node));
        scene.nodes.push_back(0);
    }
    m.scenes.push_back(std::move(scene));
    m.defaultScene = 0;
    while (buffer.Bytes().size() % 4 != 0) buffer.Bytes().push_back(0);
    if (buffer.Bytes().empty()) m.buffers.clear();
}

// Builds the glTF model of the table: one mesh, one primitive per material, all primitives
// sharing one set of vertices (positions, unit normals, texture coordinates when a face has
// a texture), one image per texture whose bitmap is loaded.
Built BuildModel(const WriteRequest& r, bool embedImages) {
    const ExportView view(r.table, r.options.mirror);
    const ExportMaterials mats = CollectMaterials(view);
    Built b;
    tinygltf::Model& m = b.model;
    m.asset.version = "2.0";
    m.asset.generator = "Kestrilune";
    m.buffers.emplace_back();
    BufferBuilder buffer(m);
    const WeldedMesh welded = WeldVertices(view, mats);
    // Images and textures of the materials whose bitmap is loaded.
    const ExportImages images = CollectImages(mats);
    for (std::size_t k = 0; k < images.textures.size(); ++k) {
        tinygltf::Texture tex;
        tex.source = int(k);
        m.textures.push_back(std::move(tex));
    }
    tinygltf::Mesh mesh = AddPrimitives(m, buffer, welded, mats, images.ofMaterial);
    AddImages(b, buffer, images.textures, embedImages, r.path);
    WarnUntextured(mats, r.options.warnings);
    FinishScene(m, std::move(mesh), buffer);
    return b;
}

// The model's document as the library writes it into a .glb, with the buffer's
// byteLength: the library is given the model without the buffer's bytes (it would copy
// them twice over), and the length is put back. The model is left as it was.
nlohmann::json GlbDocument(tinygltf::Model& m) {
    std::vector<unsigned char> bin;
    if (!m.buffers.empty()) bin.swap(m.buffers[0].data);
    struct Restore {
        tinygltf::Model& m;
        std::vector<unsigned char>& bin;
        ~Restore() {
            if (!m.buffers.empty()) bin.swap(m.buffers[0].data);
        }
    } restore{m, bin};
    tinygltf::TinyGLTF gltf;
    gltf.SetImageWriter(nullptr, nullptr);
    std::ostringstream out;
    gltf.WriteGltfSceneToStream(&m, out, false, true);
    const std::string glb = std::move(out).str();
    if (glb.size() < 20) throw std::runtime_error("the glTF library wrote nothing");
    const std::uint32_t jsonLength =
        base::LoadLE32(reinterpret_cast<const unsigned char*>(glb.data()) + 12);
    nlohmann::json doc = nlohmann::json::parse(glb.substr(20, jsonLength));
    if (!m.buffers.empty()) doc["buffers"][0]["byteLength"] = bin.size();
    return doc;
}

std::string_view BytesOf(const std::vector<unsigned char>& v) {
    return {reinterpret_cast<const char*>(v.data()), v.size()};
}

// Runs a glTF writer's body: running out of memory and a document the library got wrong
// become failures.
template <typename Write>
int GuardedGltfWrite(std::string* error, Write&& write) {
    try {
        return write();
    } catch (const std::bad_alloc&) {
        if (error) *error = "out of memory";
    } catch (const nlohmann::json::exception& e) {
        if (error) *error = std::string("the glTF library wrote a bad document: ") + e.what();
    } catch (const std::runtime_error& e) {
        if (error) *error = e.what();
    }
    return 0;
}

}  // namespace

// A .glb: the 12-byte header, the document as a chunk padded with blanks to 4 bytes, then
// the buffer as a chunk (BuildModel pads it to 4 bytes), written from where it is.
int SaveGlb(const WriteRequest& r, std::string* error) {
    return GuardedGltfWrite(error, [&] {
        Built b = BuildModel(r, true);
        std::string json = GlbDocument(b.model).dump();
        while (json.size() % 4 != 0) json += ' ';
        const std::string_view bin =
            b.model.buffers.empty() ? std::string_view() : BytesOf(b.model.buffers[0].data);
        const std::string_view binPad("\0\0\0", (4 - bin.size() % 4) % 4);
        const std::size_t binChunk = bin.empty() ? 0 : 8 + bin.size() + binPad.size();
        std::string head = "glTF";
        AppendLE32(head, 2);
        AppendLE32(head, std::uint32_t(12 + 8 + json.size() + binChunk));
        AppendLE32(head, std::uint32_t(json.size()));
        head += "JSON";
        head += json;
        if (!bin.empty()) {
            AppendLE32(head, std::uint32_t(bin.size() + binPad.size()));
            head += std::string_view("BIN\0", 4);
        }
        return rm::WriteFilesAtomically({{r.path, head, {bin, binPad}}}, error) ? 1 : 0;
    });
}

int SaveGltf(const WriteRequest& r, std::string* error) {
    return GuardedGltfWrite(error, [&] {
        Built b = BuildModel(r, false);
        // The library writes its buffer into a .glb only; the .gltf takes the document of
        // that file and names the buffer's own file.
        nlohmann::json doc = GlbDocument(b.model);
        const std::string title = FileTitle(r.path);
        const std::size_t slash = r.path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "" : r.path.substr(0, slash + 1);
        std::vector<rm::FileToWrite> files;
        if (!b.model.buffers.empty()) {
            doc["buffers"][0]["uri"] = UriOf(title + ".bin");
            files.push_back({folder + title + ".bin", BytesOf(b.model.buffers[0].data)});
        }
        for (std::size_t k = 0; k < b.pngs.size(); ++k) {
            files.push_back({folder + ImageFileName(title, k), b.pngs[k]});
        }
        const std::string json = doc.dump(2) + "\n";
        files.push_back({r.path, json});  // last: the document appears once its files are there
        return rm::WriteFilesAtomically(files, error) ? 1 : 0;
    });
}

}  // namespace formats
