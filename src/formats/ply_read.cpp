// PLY reader. The header declares elements (a name and a count) and their properties (a
// scalar type, or a list: a count type and an item type); the data follows, element by
// element, as text words or as packed binary values. Every count is checked against what
// the file can still hold before anything is made room for.
#include "formats/ply_read.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "base/numbers.h"
#include "formats/reader.h"
#include "formats/text_io.h"
#include "model/face_table.h"
#include "rm/bitmap.h"
#include "rm/polygon.h"

namespace formats {

namespace {

enum class Type { Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };
constexpr std::size_t kSize[] = {1, 1, 2, 2, 4, 4, 4, 8};
constexpr std::uint64_t kMaxCount = std::uint64_t(std::numeric_limits<std::int32_t>::max());

bool TypeOf(std::string_view name, Type& out) {
    static constexpr std::pair<std::string_view, Type> kNames[] = {
        {"char", Type::Int8},      {"int8", Type::Int8},       {"uchar", Type::UInt8},
        {"uint8", Type::UInt8},    {"short", Type::Int16},     {"int16", Type::Int16},
        {"ushort", Type::UInt16},  {"uint16", Type::UInt16},   {"int", Type::Int32},
        {"int32", Type::Int32},    {"uint", Type::UInt32},     {"uint32", Type::UInt32},
        {"float", Type::Float32},  {"float32", Type::Float32}, {"double", Type::Float64},
        {"float64", Type::Float64}};
    for (const auto& [n, t] : kNames) {
        if (n == name) {
            out = t;
            return true;
        }
    }
    return false;
}

// What a vertex or face property means to the model.
enum class Role { None, X, Y, Z, Red, Green, Blue, Alpha, U, V, Corners };

struct Property {
    std::string name;
    Type type = Type::Float32;
    bool list = false;
    Type countType = Type::UInt8;
    Role role = Role::None;
};

struct Element {
    std::string name;
    std::uint64_t count = 0;
    std::vector<Property> properties;
};

enum class Encoding { Text, Little, Big };

struct Header {
    Encoding encoding = Encoding::Text;
    std::vector<Element> elements;
    std::string textureFile;
    std::size_t dataOffset = 0;
};

Role RoleOf(std::string_view element, std::string_view name, bool list) {
    if (element == "vertex" && !list) {
        static constexpr std::pair<std::string_view, Role> kVertex[] = {
            {"x", Role::X},
            {"y", Role::Y},
            {"z", Role::Z},
            {"red", Role::Red},
            {"green", Role::Green},
            {"blue", Role::Blue},
            {"alpha", Role::Alpha},
            {"diffuse_red", Role::Red},
            {"diffuse_green", Role::Green},
            {"diffuse_blue", Role::Blue},
            {"s", Role::U},
            {"t", Role::V},
            {"u", Role::U},
            {"v", Role::V},
            {"texture_u", Role::U},
            {"texture_v", Role::V},
            {"texture_s", Role::U},
            {"texture_t", Role::V}};
        for (const auto& [n, r] : kVertex) {
            if (n == name) return r;
        }
    } else if (element == "face") {
        if (list)
            return name == "vertex_indices" || name == "vertex_index" ? Role::Corners : Role::None;
        if (name == "red") return Role::Red;
        if (name == "green") return Role::Green;
        if (name == "blue") return Role::Blue;
        if (name == "alpha") return Role::Alpha;
    }
    return Role::None;
}

// "format KIND VERSION": the encoding of the data.
bool ParseFormat(std::string_view rest, Header& h, ReadResult* result) {
    std::string_view kind;
    std::string_view version;
    if (!ScanWord(rest, kind) || !ScanWord(rest, version) || version.substr(0, 1) != "1") {
        return Fail(result, ReadFailure::Unsupported, "unknown PLY format line");
    }
    if (kind == "ascii")
        h.encoding = Encoding::Text;
    else if (kind == "binary_little_endian")
        h.encoding = Encoding::Little;
    else if (kind == "binary_big_endian")
        h.encoding = Encoding::Big;
    else
        return Fail(result, ReadFailure::Unsupported, "unknown PLY encoding");
    return true;
}

// "element NAME COUNT".
bool ParseElement(std::string_view rest, Header& h, ReadResult* result) {
    Element e;
    std::string_view name;
    long long count = 0;
    if (!ScanWord(rest, name) || !base::ScanInteger(rest, count) || count < 0) {
        return Fail(result, ReadFailure::Malformed, "bad element line");
    }
    e.name = std::string(name);
    e.count = std::uint64_t(count);
    h.elements.push_back(std::move(e));
    return true;
}

// "property TYPE NAME" or "property list COUNT-TYPE TYPE NAME", of the latest element.
bool ParseProperty(std::string_view rest, Header& h, ReadResult* result) {
    if (h.elements.empty()) {
        return Fail(result, ReadFailure::Malformed, "property before any element");
    }
    Property p;
    std::string_view type;
    std::string_view name;
    if (!ScanWord(rest, type)) return Fail(result, ReadFailure::Malformed, "bad property");
    if (type == "list") {
        std::string_view countType;
        p.list = true;
        if (!ScanWord(rest, countType) || !TypeOf(countType, p.countType) ||
            !ScanWord(rest, type)) {
            return Fail(result, ReadFailure::Malformed, "bad list property");
        }
        if (p.countType == Type::Float32 || p.countType == Type::Float64) {
            return Fail(result, ReadFailure::Malformed, "list count of a real type");
        }
    }
    if (!TypeOf(type, p.type) || !ScanWord(rest, name)) {
        return Fail(result, ReadFailure::Malformed, "bad property");
    }
    p.name = std::string(name);
    p.role = RoleOf(h.elements.back().name, name, p.list);
    h.elements.back().properties.push_back(std::move(p));
    return true;
}

bool ParseHeader(std::string_view bytes, Header& h, ReadResult* result) {
    LineReader lines(bytes);
    std::string_view line;
    if (!lines.Next(line) || line != "ply") {
        return Fail(result, ReadFailure::Malformed, "not a PLY file");
    }
    bool haveFormat = false;
    while (lines.Next(line)) {
        std::string_view rest = line;
        std::string_view word;
        if (!ScanWord(rest, word)) continue;
        if (word == "end_header") {
            if (!haveFormat) return Fail(result, ReadFailure::Malformed, "no format line");
            h.dataOffset = lines.Offset();
            return true;
        }
        if (word == "comment" || word == "obj_info") {
            std::string_view key;
            if (ScanWord(rest, key) && (key == "TextureFile" || key == "texturefile")) {
                SkipSpace(rest);
                h.textureFile = std::string(rest);
            }
        } else if (word == "format") {
            if (!ParseFormat(rest, h, result)) return false;
            haveFormat = true;
        } else if (word == "element") {
            if (!ParseElement(rest, h, result)) return false;
        } else if (word == "property") {
            if (!ParseProperty(rest, h, result)) return false;
        } else {
            return Fail(result, ReadFailure::Malformed, "unknown header line");
        }
    }
    return Fail(result, ReadFailure::Malformed, "the header has no end_header");
}

// The data after the header, value by value, whatever its encoding. Read is false when the
// file holds no more values (or a text word is no number).
class Values {
  public:
    Values(std::string_view data, Encoding encoding) : data_(data), encoding_(encoding) {}

    bool Read(Type type, double& out) {
        if (encoding_ == Encoding::Text) {
            SkipSpace(data_);
            return base::ScanDouble(data_, out) && (data_.empty() || base::IsSpace(data_[0]));
        }
        const std::size_t n = kSize[int(type)];
        if (data_.size() < n) return false;
        unsigned char b[8];
        // Copies of a fixed size, which the compiler turns into single loads.
        switch (n) {
            case 1:
                b[0] = static_cast<unsigned char>(data_[0]);
                break;
            case 2:
                std::memcpy(b, data_.data(), 2);
                break;
            case 4:
                std::memcpy(b, data_.data(), 4);
                break;
            default:
                std::memcpy(b, data_.data(), 8);
                break;
        }
        if (encoding_ == Encoding::Big) {
            for (std::size_t i = 0; i < n / 2; ++i) std::swap(b[i], b[n - 1 - i]);
        }
        data_.remove_prefix(n);
        switch (type) {
            case Type::Int8:
                out = double(std::int8_t(b[0]));
                break;
            case Type::UInt8:
                out = double(b[0]);
                break;
            case Type::Int16:
                out = double(std::int16_t(base::LoadLE16(b)));
                break;
            case Type::UInt16:
                out = double(base::LoadLE16(b));
                break;
            case Type::Int32:
                out = double(std::int32_t(base::LoadLE32(b)));
                break;
            case Type::UInt32:
                out = double(base::LoadLE32(b));
                break;
            case Type::Float32:
                out = double(base::LoadLEFloat(b));
                break;
            case Type::Float64:
                out = base::LoadLEDouble(b);
                break;
        }
        return true;
    }

    // Whether `count` items of at least `bytes` each can still be in the file (text: a word
    // and a blank a value at the least).
    bool CanHold(std::uint64_t count, std::uint64_t bytes) const {
        const std::uint64_t least =
            encoding_ == Encoding::Text ? 2 : std::max<std::uint64_t>(bytes, 1);
        return count <= data_.size() / least;
    }
    bool Binary() const { return encoding_ != Encoding::Text; }

  private:
    std::string_view data_;
    Encoding encoding_;
};

// The least bytes one item of `e` takes (a list at least its count).
std::uint64_t LeastBytes(const Element& e) {
    std::uint64_t n = 0;
    for (const Property& p : e.properties)
        n += p.list ? kSize[int(p.countType)] : kSize[int(p.type)];
    return n;
}

// A colour value as a byte: integers are 0..255 as they are, reals 0..1.
unsigned ColourByte(Type type, double value) {
    if (type == Type::Float32 || type == Type::Float64) return rm::ChannelToByte(float(value));
    return !(value > 0) ? 0u : value >= 255 ? 255u : unsigned(value);  // NaN too: 0
}

struct Parsed {
    std::vector<rm::Vector> positions;
    std::vector<std::array<float, 2>> uv;           // per vertex, when the file has them
    std::vector<std::array<std::uint8_t, 4>> rgba;  // per vertex, when the file has them
    std::vector<std::uint32_t> corners;             // every face's corners, one after another
    std::vector<std::uint32_t> cornerCounts;
    std::vector<rm::Color> faceColours;  // per face, when the faces have them
};

// One item of an element as the model sees it; `cornersRead` says a face's corner list
// has been taken (a second list of the same name is read past).
struct Item {
    rm::Vector position;
    std::array<std::uint8_t, 4> rgba{255, 255, 255, 255};
    std::array<float, 2> uv{0, 0};
    bool cornersRead = false;
};

// What an element's properties give the model.
struct ElementRoles {
    bool vertex = false, face = false;
    bool hasColour = false, hasUV = false, hasCorners = false;
};

ElementRoles RolesOf(const Element& e) {
    ElementRoles r;
    r.vertex = e.name == "vertex";
    r.face = e.name == "face";
    for (const Property& p : e.properties) {
        r.hasColour = r.hasColour || (p.role >= Role::Red && p.role <= Role::Alpha);
        r.hasUV = r.hasUV || p.role == Role::U || p.role == Role::V;
        r.hasCorners = r.hasCorners || p.role == Role::Corners;
    }
    return r;
}

// The element's count of vertices, or of faces, checked before room is made for them.
bool ReserveFor(const Element& e, const ElementRoles& r, Parsed& out, ReadResult* result) {
    if (r.vertex) {
        out.positions.reserve(e.count);
        if (r.hasColour) out.rgba.reserve(e.count);
        if (r.hasUV) out.uv.reserve(e.count);
    }
    if (r.face && r.hasCorners) {
        if (e.count > kMaxCount) return Fail(result, ReadFailure::Unsupported, "too many faces");
        out.cornerCounts.reserve(e.count);
        out.corners.reserve(e.count * 3);
        if (r.hasColour) out.faceColours.reserve(e.count);
    }
    return true;
}

bool TruncatedElement(const Element& e, ReadResult* result) {
    return Fail(result, ReadFailure::Malformed,
                "the file holds fewer " + e.name + " items than its header says (" +
                    std::to_string(e.count) + ")");
}

// Reads one of the file's items; what it means to the model goes into `item` and `out`.
class ItemReader {
  public:
    ItemReader(Values& values, std::uint64_t vertexCount, ReadResult* result)
        : values_(values), vertexCount_(vertexCount), result_(result) {}

    bool Read(const Element& e, const ElementRoles& roles, Item& item, Parsed& out) {
        for (const Property& p : e.properties) {
            if (p.list ? !List(e, roles.face, p, item, out) : !Scalar(e, p, item)) return false;
        }
        return true;
    }

  private:
    bool Truncated(const Element& e) { return TruncatedElement(e, result_); }

    bool List(const Element& e, bool face, const Property& p, Item& item, Parsed& out) {
        double value = 0;
        if (!values_.Read(p.countType, value)) return Truncated(e);
        // A text count may be any number: only a whole one that fits is a count.
        if (!(value >= 0 && value <= 4294967295.0) || value != std::floor(value)) {
            return Fail(result_, ReadFailure::Malformed, "a list length that is no count");
        }
        const auto n = std::uint64_t(value);
        if (!values_.CanHold(n, kSize[int(p.type)])) return Truncated(e);
        const bool take = face && p.role == Role::Corners && !item.cornersRead;
        for (std::uint64_t k = 0; k < n; ++k) {
            if (!values_.Read(p.type, value)) return Truncated(e);
            if (!take) continue;
            if (!(value >= 0 && value < double(vertexCount_)) || value != std::floor(value)) {
                return Fail(result_, ReadFailure::Malformed,
                            "a face names a vertex past the vertex count");
            }
            out.corners.push_back(std::uint32_t(value));
        }
        if (take) {
            out.cornerCounts.push_back(std::uint32_t(n));
            item.cornersRead = true;
        }
        return true;
    }

    bool Scalar(const Element& e, const Property& p, Item& item) {
        double value = 0;
        if (!values_.Read(p.type, value)) return Truncated(e);
        switch (p.role) {
            case Role::X:
                item.position.x = float(value);
                break;
            case Role::Y:
                item.position.y = float(value);
                break;
            case Role::Z:
                item.position.z = float(value);
                break;
            case Role::Red:
            case Role::Green:
            case Role::Blue:
            case Role::Alpha:
                item.rgba[int(p.role) - int(Role::Red)] = std::uint8_t(ColourByte(p.type, value));
                break;
            case Role::U:
                item.uv[0] = float(value);
                break;
            case Role::V:
                item.uv[1] = 1.0f - float(value);  // from the top
                break;
            case Role::None:
            case Role::Corners:
                break;
        }
        return true;
    }

    Values& values_;
    std::uint64_t vertexCount_;
    ReadResult* result_;
};

bool ReadData(const Header& h, std::string_view data, Parsed& out, ReadResult* result) {
    Values values(data, h.encoding);
    std::uint64_t vertexCount = 0;
    bool haveVertices = false;
    for (const Element& e : h.elements) {
        if (e.name == "vertex") {
            vertexCount = e.count;
            haveVertices = true;
        }
    }
    if (!haveVertices)
        return Fail(result, ReadFailure::Malformed, "the file has no vertex element");
    if (vertexCount > kMaxCount) return Fail(result, ReadFailure::Unsupported, "too many vertices");
    ItemReader reader(values, vertexCount, result);
    for (const Element& e : h.elements) {
        if (!values.CanHold(e.count, LeastBytes(e))) return TruncatedElement(e, result);
        const ElementRoles roles = RolesOf(e);
        if (!ReserveFor(e, roles, out, result)) return false;
        for (std::uint64_t i = 0; i < e.count; ++i) {
            Item item;
            if (!reader.Read(e, roles, item, out)) return false;
            if (roles.vertex) {
                out.positions.push_back(item.position);
                if (roles.hasColour) out.rgba.push_back(item.rgba);
                if (roles.hasUV) out.uv.push_back(item.uv);
            } else if (roles.face && roles.hasCorners && roles.hasColour) {
                out.faceColours.push_back(
                    rm::MakeColor(item.rgba[3], item.rgba[0], item.rgba[1], item.rgba[2]));
            }
        }
    }
    return true;
}

// The faces into the mesh: one normal each, polygons of more corners than the model keeps
// split by the shared rule; colours and texture coordinates from their corners.
bool Build(Parsed& in, rm::MeshBuilder& mesh, ReadResult* result) {
    mesh.Vertices() = std::move(in.positions);
    mesh.ReserveFaces(in.cornerCounts.size(), in.corners.size());
    mesh.Normals().reserve(in.cornerCounts.size());
    const std::vector<rm::Vector>& v = mesh.Vertices();
    std::vector<rm::Vector> outline;
    std::vector<rm::Triangle> triangles;
    std::size_t at = 0;
    // Face colours count only when every face has one: a file of two face elements, one
    // with colours and one without, has fewer colours than faces, and which face a colour
    // belongs to is not known.
    const bool faceColoured =
        !in.faceColours.empty() && in.faceColours.size() == in.cornerCounts.size();
    for (std::size_t f = 0; f < in.cornerCounts.size(); ++f) {
        const std::span<const std::uint32_t> c(in.corners.data() + at, in.cornerCounts[f]);
        at += c.size();
        if (c.size() < 3) continue;  // points and edges are no polygons
        rm::Color colour = rm::MeshBuilder::kDefaultFaceColor;
        if (faceColoured) {
            colour = in.faceColours[f];
        } else if (!in.rgba.empty()) {
            unsigned sum[4] = {0, 0, 0, 0};
            for (std::uint32_t k : c) {
                for (int i = 0; i < 4; ++i) sum[i] += in.rgba[k][i];
            }
            const auto mean = [&](int i) { return unsigned((sum[i] + c.size() / 2) / c.size()); };
            colour = rm::MakeColor(mean(3), mean(0), mean(1), mean(2));
        }
        mesh.Normals().push_back(FaceNormal(v[c[0]], v[c[1]], v[c[2]]));
        const auto normal = std::uint32_t(mesh.Normals().size() - 1);
        const std::size_t first = mesh.FaceRecords().size();
        if (c.size() <= model::MAX_FACE_VERTICES) {
            if (!mesh.AppendFace(c, normal))
                return Fail(result, ReadFailure::Malformed, "bad face");
        } else {
            outline.clear();
            for (std::uint32_t k : c) outline.push_back(v[k]);
            rm::SplitPolygon(outline, triangles);
            for (const rm::Triangle& t : triangles) {
                const std::uint32_t tri[3] = {c[t[0]], c[t[1]], c[t[2]]};
                if (!mesh.AppendFace(tri, normal))
                    return Fail(result, ReadFailure::Malformed, "bad face");
            }
        }
        for (std::size_t g = first; g < mesh.FaceRecords().size(); ++g) {
            mesh.MutableFaceRecord(g).color = colour;
            if (in.uv.empty()) continue;
            const rm::MeshBuilder::CornerRange corners = mesh.FaceCorners(g);
            for (std::size_t k = 0; k < corners.size(); ++k) {
                const auto& uv = in.uv[corners.Vertex(k)];
                mesh.SetCornerTextureCoordinates(g, k, uv[0], uv[1]);
            }
        }
    }
    return true;
}

}  // namespace

int ReadPlyBytes(std::string_view bytes, model::ModelHost& host, ReadResult* result,
                 const std::string& folder) {
    return Guarded(result, [&] {
        Header header;
        if (!ParseHeader(bytes, header, result)) return 0;
        Parsed parsed;
        if (!ReadData(header, bytes.substr(header.dataOffset), parsed, result)) return 0;
        rm::MeshBuilder mesh;
        if (!Build(parsed, mesh, result)) return 0;
        if (mesh.GetFaceCount() == 0)
            return Fail(result, ReadFailure::Malformed, "the file holds no faces");
        std::vector<std::string> missing;
        if (!header.textureFile.empty()) {
            rm::TexturePtr texture =
                rm::LoadTexture(header.textureFile, ReaderTextureFolders(host, folder));
            if (!texture) {
                texture = std::make_shared<rm::Texture>(header.textureFile);
                missing.push_back(header.textureFile);
            }
            mesh.SetTexture(std::move(texture));
        }
        rm::MeshBuilderPtr temp = BeginRead(host, result);
        if (!temp) return 0;
        if (!temp->AddMeshBuilder(std::move(mesh))) {
            return Fail(result, ReadFailure::MergeRefused, "cannot add the faces");
        }
        const int merged = FinishRead(host, *temp, result);
        if (merged && result) result->missingTextures = std::move(missing);
        return merged;
    });
}

int ReadPly(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result, [&](std::string_view bytes) {
        return ReadPlyBytes(bytes, host, result, FolderOf(path));
    });
}

}  // namespace formats
