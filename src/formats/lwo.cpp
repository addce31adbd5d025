#include "formats/lwo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "base/numbers.h"
#include "formats/face_groups.h"
#include "formats/lwo2.h"
#include "formats/reader.h"
#include "formats/text_io.h"

namespace formats {

namespace {

// Colour of a surface whose SURF chunk has no COLR: 128/255 in each channel.
constexpr float kDefaultSurfaceChannel = 0.501960814f;
// Largest vertex count whose indices fit the file's unsigned 16-bit point numbers.
constexpr int kMaxWritableVertices = 65536;

bool IdIs(const unsigned char* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

struct Surface {
    std::string name;
    bool colorSet = false;
    float red = 0.0f, green = 0.0f, blue = 0.0f;
};

// The chunks that count, read where they stand in the file's bytes (the last of each kind
// wins).
struct Object {
    const unsigned char* points = nullptr;  // PNTS: 12 bytes per point
    std::size_t pointCount = 0;
    const unsigned char* polygons = nullptr;  // POLS: big-endian 16-bit values
    std::size_t polygonValues = 0;
    std::vector<Surface> surfaces;
    bool havePoints = false, haveSurfaces = false, havePolygons = false;
    std::size_t currentSurface = 0;  // the surface the next SURF chunk describes
};

// A name of a SRFS or SURF chunk starting at `pos` of `data`: up to its NUL, then one pad
// byte when the bytes read so far (NUL included) are odd in number. A name without NUL
// runs to the end of the data. Returns the position after the name.
std::size_t ReadName(const unsigned char* data, std::size_t size, std::size_t pos,
                     std::string& name) {
    const std::size_t start = pos;
    while (pos < size && data[pos] != 0) ++pos;
    name.assign(reinterpret_cast<const char*>(data + start), pos - start);
    if (pos < size) {
        ++pos;  // the NUL
        if ((pos - start) % 2 != 0 && pos < size) ++pos;
    }
    return pos;
}

void ReadPoints(const unsigned char* data, std::size_t size, Object& obj) {
    obj.points = data;
    obj.pointCount = size / 12;
    obj.havePoints = true;
}

void ReadSurfaceNames(const unsigned char* data, std::size_t size, Object& obj) {
    obj.surfaces.clear();
    std::size_t pos = 0;
    while (pos < size) {
        Surface s;
        pos = ReadName(data, size, pos, s.name);
        obj.surfaces.push_back(std::move(s));
    }
    obj.haveSurfaces = true;
}

void ReadPolygons(const unsigned char* data, std::size_t size, Object& obj) {
    obj.polygons = data;
    obj.polygonValues = size / 2;
    obj.havePolygons = true;
}

void ReadSurface(const unsigned char* data, std::size_t size, Object& obj) {
    std::string name;
    std::size_t pos = ReadName(data, size, 0, name);
    for (std::size_t i = 0; i < obj.surfaces.size(); ++i) {
        if (obj.surfaces[i].name == name) {
            obj.currentSurface = i;
            break;
        }
    }
    // Sub-chunks: ID, 16-bit size, data padded to an even length.
    while (size - pos >= 6) {
        const unsigned char* sub = data + pos;
        const std::size_t subSize = base::LoadBE16(sub + 4);
        pos += 6;
        if (subSize > size - pos) break;  // runs past the chunk: nothing more to read
        if (IdIs(sub, "COLR") && subSize >= 3 && obj.currentSurface < obj.surfaces.size()) {
            Surface& s = obj.surfaces[obj.currentSurface];
            const float inv255 = 1.0f / 255.0f;
            s.red = float(sub[6]) * inv255;
            s.green = float(sub[7]) * inv255;
            s.blue = float(sub[8]) * inv255;
            s.colorSet = true;
        }
        pos += subSize + (subSize % 2);
        if (pos > size) break;
    }
    ++obj.currentSurface;
}

// Reads the chunks of the FORM body into `obj`. False with `result` set when the file is
// not one this reader takes or a chunk it needs is cut short.
bool ReadChunks(std::string_view bytes, Object& obj, ReadResult* result) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    if (size < 12 || data[0] != 'F') {
        return Fail(result, ReadFailure::Malformed, "not a LightWave object file");
    }
    // LWO2 and LWO3 go to their own reader before this; the layered layout of LightWave 5
    // is refused. Any other form type is read as LWOB.
    if (IdIs(data + 8, "LWLO")) {
        return Fail(result, ReadFailure::Unsupported,
                    "this LightWave layout (LWLO) is not supported, only LWOB, LWO2 and LWO3");
    }
    // What the body size says remains after the form type.
    long long remaining = static_cast<long long>(base::LoadBE32(data + 4)) - 4;
    std::size_t pos = 12;
    while (remaining > 0 && size - pos >= 8) {
        const unsigned char* chunk = data + pos;
        const std::uint32_t chunkSize = base::LoadBE32(chunk + 4);
        pos += 8;
        const bool known = IdIs(chunk, "PNTS") || IdIs(chunk, "SRFS") || IdIs(chunk, "POLS") ||
                           IdIs(chunk, "SURF");
        if (chunkSize > size - pos) {
            if (known) {
                return Fail(result, ReadFailure::Malformed,
                            "a chunk is longer than the rest of the file");
            }
            break;  // an unknown chunk cut short: its contents have no effect anyway
        }
        const unsigned char* body = chunk + 8;
        if (IdIs(chunk, "PNTS")) {
            ReadPoints(body, chunkSize, obj);
        } else if (IdIs(chunk, "SRFS")) {
            ReadSurfaceNames(body, chunkSize, obj);
        } else if (IdIs(chunk, "POLS")) {
            ReadPolygons(body, chunkSize, obj);
        } else if (IdIs(chunk, "SURF")) {
            ReadSurface(body, chunkSize, obj);
        }
        // Chunks of odd size are followed by a pad byte.
        const std::size_t consumed = std::size_t(chunkSize) + (chunkSize % 2);
        pos += std::min(consumed, size - pos);
        remaining -= static_cast<long long>(consumed) + 8;
    }
    if (!obj.havePoints || !obj.haveSurfaces || !obj.havePolygons) {
        return Fail(result, ReadFailure::Malformed, "the object lacks a PNTS, SRFS or POLS chunk");
    }
    return true;
}

// The polygon stream: per polygon its vertex count n, n point indices and its surface
// number; a negative surface number is followed by the count of detail polygons, which
// come next in the stream in the same layout. Each polygon with vertices becomes a face
// (one of more than 16 corners several, see PolygonAppender) with one normal of its own
// and its surface's colour.
class PolygonReader {
  public:
    PolygonReader(const Object& obj, rm::MeshBuilder& mesh)
        : obj_(obj), mesh_(mesh), polygons_(mesh) {
        for (const Surface& s : obj.surfaces) {
            const float channel = kDefaultSurfaceChannel;
            colors_.push_back(rm::MakeColor(rm::ColorAlpha(rm::MeshBuilder::kDefaultFaceColor),
                                            rm::ChannelToByte(s.colorSet ? s.red : channel),
                                            rm::ChannelToByte(s.colorSet ? s.green : channel),
                                            rm::ChannelToByte(s.colorSet ? s.blue : channel)));
        }
    }

    bool Run(ReadResult* result) {
        const std::size_t size = obj_.polygonValues;
        // Room for a file of triangles (a hint: room never used costs no memory).
        mesh_.ReserveVertices(0, size / 5 + 1);
        mesh_.ReserveFaces(size / 5 + 1, 3 * (size / 5 + 1));
        std::size_t pos = 0;
        while (pos < size) {
            const std::size_t count = Value(pos);
            const std::size_t first = pos + 1;
            if (size - first < count + 1) {
                return Fail(result, ReadFailure::Malformed, "the polygon list is cut short");
            }
            const auto surface = static_cast<std::int16_t>(Value(first + count));
            pos = first + count + 1;
            if (surface < 0) {
                if (pos >= size) {
                    return Fail(result, ReadFailure::Malformed, "the polygon list is cut short");
                }
                ++pos;  // the detail count: the detail polygons follow as ordinary entries
            }
            corners_.resize(count);
            for (std::size_t k = 0; k < count; ++k) {
                corners_[k] = Value(first + k);
                if (corners_[k] >= obj_.pointCount) {
                    return Fail(result, ReadFailure::Malformed,
                                "a polygon names a point that does not exist");
                }
            }
            // A polygon without vertices is no face.
            if (count > 0 && !AddPolygon(surface < 0 ? -int(surface) : int(surface))) {
                return Fail(result, ReadFailure::MergeRefused,
                            "the mesh refused the object's polygons");
            }
        }
        return true;
    }

  private:
    std::uint32_t Value(std::size_t i) const { return base::LoadBE16(obj_.polygons + 2 * i); }

    bool AddPolygon(int surface) {
        const std::vector<rm::Vector>& points = mesh_.Vertices();
        rm::Vector n;
        if (corners_.size() >= 3)
            n = FaceNormal(points[corners_[0]], points[corners_[1]], points[corners_[2]]);
        mesh_.Normals().push_back(n);
        const auto normal = static_cast<std::uint32_t>(mesh_.Normals().size() - 1);
        const std::size_t first = mesh_.FaceRecords().size();
        const std::size_t faces =
            polygons_.Add(corners_, std::span<const std::uint32_t>(&normal, 1));
        if (faces == 0) return false;
        if (surface >= 1 && std::size_t(surface) <= colors_.size()) {
            for (std::size_t f = first; f < first + faces; ++f) {
                mesh_.MutableFaceRecord(f).color = colors_[std::size_t(surface) - 1];
            }
        }
        return true;
    }

    const Object& obj_;
    rm::MeshBuilder& mesh_;
    rm::PolygonAppender polygons_;
    std::vector<rm::Color> colors_;  // per surface
    std::vector<std::uint32_t> corners_;
};

int BuildModel(const Object& obj, model::ModelHost& host, ReadResult* result) {
    rm::MeshBuilderPtr temp = BeginRead(host, result);
    if (!temp) return 0;
    rm::MeshBuilder parsed;
    std::vector<rm::Vector>& points = parsed.Vertices();
    points.resize(obj.pointCount);
    for (std::size_t i = 0; i < obj.pointCount; ++i) {
        const unsigned char* p = obj.points + i * 12;
        points[i] = {base::LoadBEFloat(p), base::LoadBEFloat(p + 4), base::LoadBEFloat(p + 8)};
    }
    PolygonReader reader(obj, parsed);
    if (!reader.Run(result)) return 0;
    if (!temp->AddMeshBuilder(std::move(parsed))) {
        return Fail(result, ReadFailure::MergeRefused, "the mesh refused the object's polygons");
    }
    return FinishRead(host, *temp, result);
}

// A name, its NUL, and a 0 byte when the two together are odd in length.
void PutName(std::string& out, const std::string& name) {
    out += name;
    out += '\0';
    if ((name.size() + 1) % 2 != 0) out += '\0';
}

void PutChunk(std::string& body, const char* id, const std::string& data) {
    body.append(id, 4);
    base::AppendBE32(body, static_cast<std::uint32_t>(data.size()));
    body += data;
}

}  // namespace

int ReadLwoBytes(std::string_view data, model::ModelHost& host, ReadResult* result,
                 const std::string& path) {
    return Guarded(result, [&] {
        if (data.size() >= 12 && data[0] == 'F' &&
            (data.substr(8, 4) == "LWO2" || data.substr(8, 4) == "LWO3")) {
            return ReadLwo2Bytes(data, path, host, result);
        }
        Object obj;  // points into `data`
        if (!ReadChunks(data, obj, result)) return 0;
        return BuildModel(obj, host, result);
    });
}

int ReadLwo(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result, [&](std::string_view bytes) {
        return ReadLwoBytes(bytes, host, result, path);
    });
}

namespace {

// Whether the table's vertices can be numbered in the format and every face names one of
// them; sets *error when not.
bool CheckWritable(const model::FaceTable& table, int faceCount, std::string* error) {
    const int pool = table.poolVertexCount;
    if (pool < 0 || pool > model::MAX_POOL_VERTICES || pool > kMaxWritableVertices) {
        if (error) *error = "the model has more vertices than a LightWave object can number";
        return false;
    }
    for (int f = 0; f < faceCount; ++f) {
        const int n = table.CornersOf(f);
        for (int k = 0; k < n; ++k) {
            const int index = table.vertexIndex[f][k];
            if (index < 0 || index >= pool) {
                if (error) *error = "a face names a vertex outside the vertex list";
                return false;
            }
        }
    }
    return true;
}

std::string PointsChunk(const model::FaceTable& table) {
    const int pool = table.poolVertexCount;
    std::string chunk;
    chunk.reserve(std::size_t(pool) * 12);
    for (int i = 0; i < pool; ++i) {
        const rm::Vector& v = table.vertexPool[i];
        base::AppendBEFloat(chunk, v.x);
        base::AppendBEFloat(chunk, v.y);
        base::AppendBEFloat(chunk, v.z);
    }
    return chunk;
}

// Each face's corners and its surface's number (from 1).
std::string PolygonsChunk(const model::FaceTable& table, int faceCount,
                          const FaceGroups<rm::Color>& surfaces) {
    std::string chunk;
    for (int f = 0; f < faceCount; ++f) {
        const int n = table.CornersOf(f);
        base::AppendBE16(chunk, unsigned(n));
        for (int k = 0; k < n; ++k) base::AppendBE16(chunk, unsigned(table.vertexIndex[f][k]));
        base::AppendBE16(chunk, unsigned(surfaces.ofFace[std::size_t(f)] + 1));
    }
    return chunk;
}

// A surface of one colour, smoothed and double-sided, fully diffuse, opaque and matte.
std::string SurfaceChunk(const std::string& name, rm::Color color) {
    std::string chunk;
    PutName(chunk, name);
    chunk.append("COLR", 4);
    base::AppendBE16(chunk, 4);
    chunk += static_cast<char>(rm::ColorRed(color));
    chunk += static_cast<char>(rm::ColorGreen(color));
    chunk += static_cast<char>(rm::ColorBlue(color));
    chunk += '\0';
    chunk.append("FLAG", 4);
    base::AppendBE16(chunk, 2);
    base::AppendBE16(chunk, 0x0104);  // smoothing, double-sided
    chunk.append("SMAN", 4);
    base::AppendBE16(chunk, 4);
    base::AppendBE32(chunk, 0x3F46D3F2u);  // 44.5 degrees in radians
    chunk.append("DIFF", 4);
    base::AppendBE16(chunk, 2);
    base::AppendBE16(chunk, 256);
    for (const char* id : {"TRAN", "SPEC", "GLOS"}) {
        chunk.append(id, 4);
        base::AppendBE16(chunk, 2);
        base::AppendBE16(chunk, 0);
    }
    return chunk;
}

}  // namespace

bool FormatLwo(const model::FaceTable& table, std::string& out, std::string* error) {
    const int faceCount = table.FacesToWrite();
    if (!CheckWritable(table, faceCount, error)) return false;

    // One surface per distinct red/green/blue, numbered from 1 in order of first use.
    const FaceGroups<rm::Color> surfaces = GroupFacesByRgb(table, faceCount);
    const std::vector<rm::Color>& colors = surfaces.keys;
    std::vector<std::string> names(colors.size());
    for (std::size_t s = 0; s < colors.size(); ++s) {
        names[s] = "Kestrilune";
        AppendInt(names[s], static_cast<long long>(s));
    }

    std::string body = "LWOB";
    std::string chunk;
    for (const std::string& name : names) PutName(chunk, name);
    PutChunk(body, "SRFS", chunk);
    PutChunk(body, "PNTS", PointsChunk(table));
    PutChunk(body, "POLS", PolygonsChunk(table, faceCount, surfaces));
    for (std::size_t s = 0; s < colors.size(); ++s) {
        PutChunk(body, "SURF", SurfaceChunk(names[s], colors[s]));
    }

    out.clear();
    out.reserve(body.size() + 8);
    out = "FORM";
    base::AppendBE32(out, static_cast<std::uint32_t>(body.size()));
    out += body;
    return true;
}

int WriteLwo(const std::string& path, const model::FaceTable& table, std::string* error) {
    try {
        std::string bytes;
        if (!FormatLwo(table, bytes, error)) return 0;
        return WriteFileAtomically(path, bytes, error) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        if (error) *error = "out of memory";
        return 0;
    }
}

}  // namespace formats
