// PLY reader. The header declares elements (a name and a count) and their properties (a
// scalar type, or a list: a count type and an item type); the data follows, element by
// element, as text words or as packed binary values. Every count is checked against what
// the file can still hold before anything is made room for.
#include "formats/ply_read.h"

#include <algorithm>
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
    bool Little() const { return encoding_ == Encoding::Little; }

    // The bytes not read yet, and reading past `n` of them (binary data only).
    std::string_view Rest() const { return data_; }
    void Skip(std::size_t n) { data_.remove_prefix(n); }

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

// Where the data goes: positions and faces straight into the mesh; of the vertices also
// their colours and texture coordinates, which the faces made from them take.
struct Target {
    explicit Target(rm::MeshBuilder& m) : mesh(m) {}
    rm::MeshBuilder& mesh;
    // Some vertex element has colours (texture coordinates): every vertex gets one, the
    // white (0, 0) of a vertex element without them.
    bool keepColours = false;
    bool keepUV = false;
    // Face colours count only when every face has one: a file of two face elements, one
    // with colours and one without, has fewer colours than faces, and which face a colour
    // belongs to is not known.
    bool faceColoured = false;
    std::vector<std::array<std::uint8_t, 4>> rgba;  // per vertex
    std::vector<std::array<float, 2>> uv;           // per vertex
    std::vector<std::uint32_t> corners;             // of the face being read
    std::vector<rm::Vector> outline;
    std::vector<rm::Triangle> triangles;
};

// One item of an element as the model sees it (a face's corners go to Target::corners);
// `cornersRead` says a face's corner list has been taken (a second list of the same name
// is read past).
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

bool TruncatedElement(const Element& e, ReadResult* result) {
    return Fail(result, ReadFailure::Malformed,
                "the file holds fewer " + e.name + " items than its header says (" +
                    std::to_string(e.count) + ")");
}

bool PastTheVertices(ReadResult* result) {
    return Fail(result, ReadFailure::Malformed, "a face names a vertex past the vertex count");
}

// Reads one of the file's items; what it means to the model goes into `item` (and a
// face's corners, checked against the vertex count, into the target's list).
class ItemReader {
  public:
    ItemReader(Values& values, std::uint64_t vertexCount, Target& target, ReadResult* result)
        : values_(values), vertexCount_(vertexCount), target_(target), result_(result) {}

    bool Read(const Element& e, const ElementRoles& roles, Item& item) {
        for (const Property& p : e.properties) {
            if (p.list ? !List(e, roles.face, p, item) : !Scalar(e, p, item)) return false;
        }
        return true;
    }

  private:
    bool Truncated(const Element& e) { return TruncatedElement(e, result_); }

    bool List(const Element& e, bool face, const Property& p, Item& item) {
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
                return PastTheVertices(result_);
            }
            target_.corners.push_back(std::uint32_t(value));
        }
        if (take) item.cornersRead = true;
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
    Target& target_;
    ReadResult* result_;
};

// One face of the file into the mesh, its corners checked already: one normal, a polygon
// of more corners than the model keeps split by the shared rule; its own colour `own` or
// the mean of its corners', texture coordinates from its corners. Points and edges are no
// polygons and are left out.
bool AddPolygon(Target& t, std::span<const std::uint32_t> c, rm::Color own, ReadResult* result) {
    if (c.size() < 3) return true;
    rm::MeshBuilder& mesh = t.mesh;
    rm::Color colour = rm::MeshBuilder::kDefaultFaceColor;
    if (t.faceColoured) {
        colour = own;
    } else if (t.keepColours) {
        unsigned sum[4] = {0, 0, 0, 0};
        for (std::uint32_t k : c) {
            for (int i = 0; i < 4; ++i) sum[i] += t.rgba[k][i];
        }
        const auto mean = [&](int i) { return unsigned((sum[i] + c.size() / 2) / c.size()); };
        colour = rm::MakeColor(mean(3), mean(0), mean(1), mean(2));
    }
    const std::vector<rm::Vector>& v = mesh.Vertices();
    mesh.Normals().push_back(FaceNormal(v[c[0]], v[c[1]], v[c[2]]));
    const auto normal = std::uint32_t(mesh.Normals().size() - 1);
    const std::size_t first = mesh.FaceRecords().size();
    if (c.size() <= model::MAX_FACE_VERTICES) {
        if (!mesh.AppendFace(c, normal)) return Fail(result, ReadFailure::Malformed, "bad face");
    } else {
        t.outline.clear();
        for (std::uint32_t k : c) t.outline.push_back(v[k]);
        rm::SplitPolygon(t.outline, t.triangles);
        for (const rm::Triangle& tri : t.triangles) {
            const std::uint32_t corners[3] = {c[tri[0]], c[tri[1]], c[tri[2]]};
            if (!mesh.AppendFace(corners, normal))
                return Fail(result, ReadFailure::Malformed, "bad face");
        }
    }
    for (std::size_t g = first; g < mesh.FaceRecords().size(); ++g) {
        mesh.MutableFaceRecord(g).color = colour;
        if (!t.keepUV) continue;
        const rm::MeshBuilder::CornerRange range = mesh.FaceCorners(g);
        for (std::size_t k = 0; k < range.size(); ++k) {
            const auto& uv = t.uv[range.Vertex(k)];
            mesh.SetCornerTextureCoordinates(g, k, uv[0], uv[1]);
        }
    }
    return true;
}

// The common layout of vertices: three little-endian floats x, y, z and nothing else, read
// without the general reader. False when `e` is laid out otherwise (nothing read).
bool FastVertices(const Element& e, Values& values, Target& t, const ReadPast& readPast) {
    if (!values.Little() || t.keepColours || t.keepUV || e.properties.size() != 3) return false;
    for (std::size_t k = 0; k < 3; ++k) {
        const Property& p = e.properties[k];
        if (p.list || p.type != Type::Float32 || p.role != Role(int(Role::X) + int(k))) {
            return false;
        }
    }
    // The caller has checked that the file holds them all.
    const auto* p = reinterpret_cast<const unsigned char*>(values.Rest().data());
    std::vector<rm::Vector>& v = t.mesh.Vertices();
    for (std::uint64_t i = 0; i < e.count; ++i, p += 12) {
        if (i % ReadPast::kEvery == 0) readPast.Before(p);
        v.push_back({base::LoadLEFloat(p), base::LoadLEFloat(p + 4), base::LoadLEFloat(p + 8)});
    }
    values.Skip(std::size_t(e.count) * 12);
    return true;
}

// The common layout of faces: a little-endian list of (u)int corners with a uchar or
// (u)int count, and nothing else.
bool FastFacesFit(const Element& e, const Values& values) {
    if (!values.Little() || e.properties.size() != 1) return false;
    const Property& p = e.properties[0];
    return p.list && p.role == Role::Corners &&
           (p.countType == Type::UInt8 || p.countType == Type::Int32 ||
            p.countType == Type::UInt32) &&
           (p.type == Type::Int32 || p.type == Type::UInt32);
}

// Faces of that layout, with the general reader's checks in the same order.
bool FastFaces(const Element& e, Values& values, std::uint64_t vertexCount, bool build, Target& t,
               const ReadPast& readPast, ReadResult* result) {
    const Type countType = e.properties[0].countType;
    const std::string_view rest = values.Rest();
    const auto* p = reinterpret_cast<const unsigned char*>(rest.data());
    const unsigned char* const end = p + rest.size();
    for (std::uint64_t i = 0; i < e.count; ++i) {
        if (i % ReadPast::kEvery == 0) readPast.Before(p);
        std::uint64_t n = 0;
        if (countType == Type::UInt8) {
            if (p == end) return TruncatedElement(e, result);
            n = *p++;
        } else {
            if (end - p < 4) return TruncatedElement(e, result);
            const std::uint32_t count = base::LoadLE32(p);
            if (countType == Type::Int32 && std::int32_t(count) < 0) {
                return Fail(result, ReadFailure::Malformed, "a list length that is no count");
            }
            n = count;
            p += 4;
        }
        if (n > std::uint64_t(end - p) / 4) return TruncatedElement(e, result);
        t.corners.resize(std::size_t(n));
        for (std::size_t k = 0; k < n; ++k, p += 4) {
            // A negative int is a huge unsigned one, past every vertex count.
            const std::uint32_t index = base::LoadLE32(p);
            if (index >= vertexCount) return PastTheVertices(result);
            t.corners[k] = index;
        }
        if (build && !AddPolygon(t, t.corners, rm::MeshBuilder::kDefaultFaceColor, result)) {
            return false;
        }
    }
    values.Skip(std::size_t(p - reinterpret_cast<const unsigned char*>(rest.data())));
    return true;
}

// How much of the data a walk over it keeps: everything, or (when a face element comes
// before the last vertex element, and its faces need vertices not read yet) the vertices on
// a first walk and the faces on a second.
enum class Pass { Everything, Vertices, Faces };

bool ReadElements(const Header& h, std::string_view data, std::uint64_t vertexCount, Pass pass,
                  Target& t, const ReadPast& readPast, ReadResult* result) {
    Values values(data, h.encoding);
    ItemReader reader(values, vertexCount, t, result);
    for (const Element& e : h.elements) {
        if (!values.CanHold(e.count, LeastBytes(e))) return TruncatedElement(e, result);
        const ElementRoles roles = RolesOf(e);
        const bool faces = roles.face && roles.hasCorners;
        if (faces && e.count > kMaxCount)
            return Fail(result, ReadFailure::Unsupported, "too many faces");
        const bool keepVertices = roles.vertex && pass != Pass::Faces;
        const bool build = faces && pass != Pass::Vertices;
        if (keepVertices) {
            t.mesh.ReserveVertices(std::size_t(e.count), 0);
            if (t.keepColours) t.rgba.reserve(t.rgba.size() + std::size_t(e.count));
            if (t.keepUV) t.uv.reserve(t.uv.size() + std::size_t(e.count));
            if (FastVertices(e, values, t, readPast)) continue;
        }
        if (build) {
            t.mesh.ReserveFaces(std::size_t(e.count), std::size_t(e.count) * 3);
            t.mesh.ReserveVertices(0, std::size_t(e.count));
        }
        if (faces && FastFacesFit(e, values)) {
            if (!FastFaces(e, values, vertexCount, build, t, readPast, result)) return false;
            continue;
        }
        for (std::uint64_t i = 0; i < e.count; ++i) {
            if (i % ReadPast::kEvery == 0) readPast.Before(values.Rest().data());
            Item item;
            t.corners.clear();
            if (!reader.Read(e, roles, item)) return false;
            if (keepVertices) {
                t.mesh.Vertices().push_back(item.position);
                if (t.keepColours) t.rgba.push_back(item.rgba);
                if (t.keepUV) t.uv.push_back(item.uv);
            } else if (build) {
                const rm::Color own =
                    rm::MakeColor(item.rgba[3], item.rgba[0], item.rgba[1], item.rgba[2]);
                if (!AddPolygon(t, t.corners, own, result)) return false;
            }
        }
    }
    readPast.Before(values.Rest().data());
    return true;
}

bool ReadData(const Header& h, std::string_view data, Target& t, const ReadPast& readPast,
              ReadResult* result) {
    std::uint64_t vertexCount = 0;
    bool haveVertices = false;
    std::size_t lastVertexElement = 0;
    std::size_t firstFaceElement = h.elements.size();
    std::uint64_t faceCount = 0;
    bool everyFaceColoured = true;
    for (std::size_t i = 0; i < h.elements.size(); ++i) {
        const ElementRoles roles = RolesOf(h.elements[i]);
        if (roles.vertex) {
            vertexCount = h.elements[i].count;
            haveVertices = true;
            lastVertexElement = i;
            t.keepColours = t.keepColours || roles.hasColour;
            t.keepUV = t.keepUV || roles.hasUV;
        } else if (roles.face && roles.hasCorners) {
            firstFaceElement = std::min(firstFaceElement, i);
            faceCount += h.elements[i].count;
            everyFaceColoured = everyFaceColoured && roles.hasColour;
        }
    }
    if (!haveVertices)
        return Fail(result, ReadFailure::Malformed, "the file has no vertex element");
    if (vertexCount > kMaxCount) return Fail(result, ReadFailure::Unsupported, "too many vertices");
    t.faceColoured = faceCount > 0 && everyFaceColoured;
    if (firstFaceElement > lastVertexElement) {
        return ReadElements(h, data, vertexCount, Pass::Everything, t, readPast, result);
    }
    // The second walk reads what the first has read already: the pages stay.
    return ReadElements(h, data, vertexCount, Pass::Vertices, t, {}, result) &&
           ReadElements(h, data, vertexCount, Pass::Faces, t, {}, result);
}

int ReadPlyFrom(std::string_view bytes, model::ModelHost& host, ReadResult* result,
                const std::string& folder, rm::FileBytes* file) {
    return Guarded(result, [&] {
        Header header;
        if (!ParseHeader(bytes, header, result)) return 0;
        rm::MeshBuilder mesh;
        {
            Target target(mesh);
            if (!ReadData(header, bytes.substr(header.dataOffset), target, ReadPast(file, bytes),
                          result)) {
                return 0;
            }
        }
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

}  // namespace

int ReadPlyBytes(std::string_view bytes, model::ModelHost& host, ReadResult* result,
                 const std::string& folder) {
    return ReadPlyFrom(bytes, host, result, folder, nullptr);
}

int ReadPly(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result, [&](std::string_view bytes, rm::FileBytes& file) {
        return ReadPlyFrom(bytes, host, result, FolderOf(path), &file);
    });
}

}  // namespace formats
