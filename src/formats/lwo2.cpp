// LightWave objects of the layouts LightWave has written since version 6 (LWO2) and since
// 2015 (LWO3): layers of points and polygons, surfaces named by polygon tags, vertex maps
// and image textures.
//
// LWO3 keeps LWO2's top-level chunks; its surfaces are FORMs whose sub-chunks have 32-bit
// sizes (LWO2's have 16-bit ones), and their colour and transparency stand in the node
// graph as named entries of doubles. The reader walks those FORMs and takes the entries
// "Color" and "Transparency" where it finds them; clips and blocks are read with 32-bit
// sub-chunk sizes too.
#include "formats/lwo2.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <optional>
#include <unordered_map>
#include <vector>

#include "base/numbers.h"
#include "formats/reader.h"
#include "rm/bitmap.h"
#include "rm/face_data.h"

namespace formats {

namespace {

// Colour of a surface without a colour of its own, as for LWOB surfaces.
constexpr float kDefaultChannel = 0.501960814f;
constexpr std::size_t kMaxPoints = 0xFFFFFFF0u;

// A cursor over a chunk's bytes; every read checks what is left and fails (sets `bad`)
// rather than run past the end.
struct Cursor {
    const unsigned char* p = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    bool bad = false;

    Cursor() = default;
    Cursor(const unsigned char* data, std::size_t n) : p(data), size(n) {}
    std::size_t Left() const { return size - pos; }
    bool Has(std::size_t n) {
        if (!bad && Left() >= n) return true;
        bad = true;
        return false;
    }
    std::uint16_t U2() {
        if (!Has(2)) return 0;
        pos += 2;
        return base::LoadBE16(p + pos - 2);
    }
    std::uint32_t U4() {
        if (!Has(4)) return 0;
        pos += 4;
        return base::LoadBE32(p + pos - 4);
    }
    float F4() {
        if (!Has(4)) return 0.0f;
        pos += 4;
        return base::LoadBEFloat(p + pos - 4);
    }
    double F8() {
        if (!Has(8)) return 0.0;
        const double d = base::LoadBEDouble(p + pos);
        pos += 8;
        return d;
    }
    // A variable-length index: two bytes, or four when the first is 0xFF (then the low
    // 24 bits count).
    std::uint32_t VX() {
        if (!Has(2)) return 0;
        if (p[pos] != 0xFF) return U2();
        if (!Has(4)) return 0;
        return U4() & 0x00FFFFFFu;
    }
    // A NUL-terminated string padded to an even length.
    std::string S0() {
        const std::size_t start = pos;
        while (pos < size && p[pos] != 0) ++pos;
        std::string s(reinterpret_cast<const char*>(p + start), pos - start);
        if (pos < size) ++pos;
        if ((pos - start) % 2 != 0 && pos < size) ++pos;
        return s;
    }
    std::string ID4() {
        if (!Has(4)) return {};
        pos += 4;
        return std::string(reinterpret_cast<const char*>(p + pos - 4), 4);
    }
};

// Sub-chunks of a SURF, BLOK or CLIP: ID, 16-bit (LWO2) or 32-bit (LWO3) size, data padded
// to an even length. Calls `each(id, data)` for each; stops at the first that runs past
// the end.
template <typename Each>
void ForEachSub(Cursor c, bool wideSizes, Each&& each) {
    while (c.Left() >= (wideSizes ? 8u : 6u)) {
        const std::string id = c.ID4();
        const std::size_t n = wideSizes ? c.U4() : c.U2();
        if (n > c.Left()) return;
        each(id, Cursor(c.p + c.pos, n));
        c.pos += n;
        if (n % 2 != 0 && c.Left() > 0) ++c.pos;
    }
}

struct ImageBlock {
    bool present = false;
    int projection = 5;  // 0 planar, 1 cylindrical, 2 spherical, 3 cubic, 4 front, 5 UV
    int axis = 0;        // 0 X, 1 Y, 2 Z
    std::uint32_t clip = 0;
    rm::Vector center{0, 0, 0};
    rm::Vector size{1, 1, 1};
    float wrapWidth = 1.0f, wrapHeight = 1.0f;
    std::string uvMap;
};

struct Surface {
    std::string name;
    std::optional<rm::Vector> color;
    float transparency = 0.0f;
    std::string vertexColorMap;  // VCOL's map, or empty
    ImageBlock image;
};

struct Polygon {
    std::size_t firstCorner = 0;
    std::uint32_t cornerCount = 0;
    int tag = -1;       // index into TAGS via PTAG SURF
    bool face = false;  // FACE, PTCH or SUBD: its cage is a face
};

struct Lwo {
    bool lwo3 = false;
    std::vector<std::string> tags;
    std::vector<rm::Vector> points;
    std::vector<std::uint32_t> corners;  // point numbers of every polygon, in order
    std::vector<Polygon> polygons;
    // Texture coordinates per map name: per point, and per (point, polygon) where the
    // polygon's corner differs (VMAD).
    std::unordered_map<std::string, std::unordered_map<std::uint32_t, std::pair<float, float>>> uv;
    std::unordered_map<std::string, std::unordered_map<std::uint64_t, std::pair<float, float>>>
        uvPoly;
    std::unordered_map<std::string, std::unordered_map<std::uint32_t, rm::Vector>> colors;
    std::string firstColorMap;
    std::unordered_map<std::uint32_t, std::string> clips;
    std::vector<Surface> surfaces;
    // The layer being read: where its points and polygons start.
    std::size_t layerPoints = 0;
    std::size_t layerPolygons = 0;
};

std::uint64_t PointPolygon(std::uint32_t point, std::size_t polygon) {
    return (std::uint64_t(polygon) << 32) | point;
}

bool ReadPoints(Cursor c, Lwo& lwo) {
    lwo.layerPoints = lwo.points.size();
    const std::size_t n = c.size / 12;
    if (lwo.points.size() + n > kMaxPoints) return false;
    lwo.points.reserve(lwo.points.size() + n);
    for (std::size_t i = 0; i < n; ++i) {
        const float x = c.F4(), y = c.F4(), z = c.F4();
        lwo.points.push_back({x, y, z});
    }
    return true;
}

bool ReadPolygons(Cursor c, Lwo& lwo, ReadResult* result) {
    const std::string type = c.ID4();
    const bool face = type == "FACE" || type == "PTCH" || type == "SUBD";
    lwo.layerPolygons = lwo.polygons.size();
    const std::size_t layerPointCount = lwo.points.size() - lwo.layerPoints;
    while (!c.bad && c.Left() >= 2) {
        const std::uint32_t n = c.U2() & 0x03FFu;  // the top 6 bits are flags
        Polygon poly;
        poly.firstCorner = lwo.corners.size();
        poly.cornerCount = n;
        poly.face = face;
        for (std::uint32_t k = 0; k < n; ++k) {
            const std::uint32_t v = c.VX();
            if (c.bad) break;
            if (v >= layerPointCount) {
                return Fail(result, ReadFailure::Malformed,
                            "a polygon names a point that does not exist");
            }
            lwo.corners.push_back(static_cast<std::uint32_t>(lwo.layerPoints + v));
        }
        if (c.bad) return Fail(result, ReadFailure::Malformed, "the polygon list is cut short");
        lwo.polygons.push_back(poly);
    }
    return true;
}

void ReadPolygonTags(Cursor c, Lwo& lwo) {
    if (c.ID4() != "SURF") return;
    while (!c.bad && c.Left() >= 4) {
        const std::uint32_t poly = c.VX();
        const std::uint16_t tag = c.U2();
        if (c.bad) break;
        const std::size_t at = lwo.layerPolygons + poly;
        if (at < lwo.polygons.size()) lwo.polygons[at].tag = tag;
    }
}

void ReadVertexMap(Cursor c, Lwo& lwo, bool perPolygon) {
    const std::string type = c.ID4();
    const std::uint16_t dimension = c.U2();
    const std::string name = c.S0();
    const std::size_t layerPointCount = lwo.points.size() - lwo.layerPoints;
    const bool uv = type == "TXUV" && dimension >= 2;
    const bool rgb = (type == "RGB " || type == "RGBA") && dimension >= 3;
    if (!uv && !rgb) return;
    if (rgb && lwo.firstColorMap.empty()) lwo.firstColorMap = name;
    while (!c.bad && c.Left() > 0) {
        const std::uint32_t point = c.VX();
        const std::uint32_t poly = perPolygon ? c.VX() : 0;
        float values[4] = {0, 0, 0, 0};
        for (std::uint16_t d = 0; d < dimension; ++d) {
            const float value = c.F4();
            if (d < 4) values[d] = value;
        }
        if (c.bad || point >= layerPointCount) break;
        const auto global = static_cast<std::uint32_t>(lwo.layerPoints + point);
        if (uv && perPolygon) {
            lwo.uvPoly[name][PointPolygon(global, lwo.layerPolygons + poly)] = {values[0],
                                                                                values[1]};
        } else if (uv) {
            lwo.uv[name][global] = {values[0], values[1]};
        } else if (!perPolygon) {
            lwo.colors[name][global] = {values[0], values[1], values[2]};
        }
    }
}

rm::Vector Vec12(Cursor& c) {
    const float x = c.F4(), y = c.F4(), z = c.F4();
    return {x, y, z};
}

void ReadBlock(Cursor c, bool wide, Surface& surface) {
    ImageBlock block;
    bool image = false, colourChannel = true, enabled = true;
    ForEachSub(c, wide, [&](const std::string& id, Cursor sub) {
        if (id == "IMAP") {
            image = true;
            sub.S0();  // ordinal
            ForEachSub(sub, wide, [&](const std::string& hid, Cursor h) {
                if (hid == "CHAN") colourChannel = h.ID4() == "COLR";
                if (hid == "ENAB") enabled = h.U2() != 0;
            });
        } else if (id == "TMAP") {
            ForEachSub(sub, wide, [&](const std::string& tid, Cursor t) {
                if (tid == "CNTR") block.center = Vec12(t);
                if (tid == "SIZE") block.size = Vec12(t);
            });
        } else if (id == "PROJ") {
            block.projection = sub.U2();
        } else if (id == "AXIS") {
            block.axis = sub.U2();
        } else if (id == "IMAG") {
            block.clip = sub.VX();
        } else if (id == "WRPW") {
            block.wrapWidth = sub.F4();
        } else if (id == "WRPH") {
            block.wrapHeight = sub.F4();
        } else if (id == "VMAP") {
            block.uvMap = sub.S0();
        }
    });
    if (image && colourChannel && enabled && !surface.image.present) {
        block.present = true;
        surface.image = block;
    }
}

void ReadSurface2(Cursor c, Lwo& lwo) {
    Surface s;
    s.name = c.S0();
    c.S0();  // the surface it derives from
    ForEachSub(Cursor(c.p + c.pos, c.Left()), false, [&](const std::string& id, Cursor sub) {
        if (id == "COLR") {
            s.color = Vec12(sub);
        } else if (id == "TRAN") {
            s.transparency = sub.F4();
        } else if (id == "VCOL") {
            sub.F4();
            sub.VX();
            sub.ID4();
            s.vertexColorMap = sub.S0();
        } else if (id == "BLOK") {
            ReadBlock(sub, false, s);
        }
    });
    lwo.surfaces.push_back(std::move(s));
}

// LWO3: the doubles of the entry named `name` in a surface FORM's node data
// (FORM ENTR { NAME name ... FORM VALU { "    " type  FORM VALU { "    " count doubles } } }).
struct Lwo3Values {
    std::string name;
    std::vector<double> values;
};

void FindEntries(Cursor c, std::vector<Lwo3Values>& found, int depth) {
    if (depth > 32) return;
    while (c.Left() >= 8) {
        const std::string id = c.ID4();
        const std::size_t n = c.U4();
        if (n > c.Left()) return;
        Cursor body(c.p + c.pos, n);
        if (id == "FORM" && n >= 4) {
            const std::string type = body.ID4();
            if (type == "ENTR") {
                Lwo3Values entry;
                // The entry's name, then the innermost value chunk: a count and doubles.
                std::vector<Cursor> stack{Cursor(body.p + body.pos, body.Left())};
                while (!stack.empty()) {
                    Cursor s = stack.back();
                    stack.pop_back();
                    while (s.Left() >= 8) {
                        const std::string sid = s.ID4();
                        const std::size_t sn = s.U4();
                        if (sn > s.Left()) break;
                        Cursor sb(s.p + s.pos, sn);
                        if (sid == "NAME") entry.name = sb.S0();
                        if (sid == "FORM" && sn >= 4 && sb.ID4() == "VALU") {
                            stack.push_back(Cursor(sb.p + sb.pos, sb.Left()));
                        }
                        if (sid == "    " && sn >= 4 && entry.values.empty()) {
                            const std::uint32_t count = sb.U4();
                            if (count >= 1 && count <= 4 && sb.Left() == std::size_t(count) * 8) {
                                for (std::uint32_t k = 0; k < count; ++k) {
                                    entry.values.push_back(sb.F8());
                                }
                            }
                        }
                        s.pos += sn + (sn % 2);
                        if (s.pos > s.size) break;
                    }
                }
                found.push_back(std::move(entry));
            } else {
                FindEntries(Cursor(body.p + body.pos, body.Left()), found, depth + 1);
            }
        }
        c.pos += n;
        if (n % 2 != 0 && c.Left() > 0) ++c.pos;
    }
}

void ReadSurface3(Cursor c, Lwo& lwo) {
    Surface s;
    // The first sub-chunk (its ID four blanks) holds the name and the source surface.
    if (c.Left() >= 8 && std::memcmp(c.p + c.pos, "    ", 4) == 0) {
        c.pos += 4;
        const std::size_t n = c.U4();
        if (n <= c.Left()) {
            Cursor name(c.p + c.pos, n);
            s.name = name.S0();
        }
    }
    std::vector<Lwo3Values> entries;
    FindEntries(Cursor(c.p, c.size), entries, 0);
    for (const Lwo3Values& e : entries) {
        if (e.name == "Color" && e.values.size() >= 3 && !s.color) {
            s.color = rm::Vector{float(e.values[0]), float(e.values[1]), float(e.values[2])};
        } else if (e.name == "Transparency" && !e.values.empty()) {
            s.transparency = float(e.values[0]);
        }
    }
    lwo.surfaces.push_back(std::move(s));
}

void ReadClip(Cursor c, Lwo& lwo) {
    const std::uint32_t index = c.U4();
    ForEachSub(Cursor(c.p + c.pos, c.Left()), lwo.lwo3, [&](const std::string& id, Cursor sub) {
        if (id == "STIL" && !lwo.clips.count(index)) lwo.clips[index] = sub.S0();
    });
}

bool ReadChunks(std::string_view bytes, Lwo& lwo, ReadResult* result) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    lwo.lwo3 = std::memcmp(data + 8, "LWO3", 4) == 0;
    const std::size_t end = std::min<std::size_t>(size, std::size_t(base::LoadBE32(data + 4)) + 8);
    std::size_t pos = 12;
    bool havePoints = false, havePolygons = false;
    while (end - pos >= 8 && pos < end) {
        const unsigned char* chunk = data + pos;
        const std::size_t n = base::LoadBE32(chunk + 4);
        pos += 8;
        if (n > size - pos) {
            return Fail(result, ReadFailure::Malformed,
                        "a chunk is longer than the rest of the file");
        }
        const Cursor body(chunk + 8, n);
        const std::string id(reinterpret_cast<const char*>(chunk), 4);
        if (id == "TAGS") {
            Cursor c = body;
            while (c.Left() > 0) lwo.tags.push_back(c.S0());
        } else if (id == "LAYR") {
            // A new layer: its points and polygons follow. Its pivot is only the centre
            // it turns about; its points stay where they are.
            lwo.layerPoints = lwo.points.size();
            lwo.layerPolygons = lwo.polygons.size();
        } else if (id == "PNTS") {
            if (!ReadPoints(body, lwo))
                return Fail(result, ReadFailure::Malformed, "too many points");
            havePoints = true;
        } else if (id == "POLS") {
            if (!ReadPolygons(body, lwo, result)) return false;
            havePolygons = true;
        } else if (id == "PTAG") {
            ReadPolygonTags(body, lwo);
        } else if (id == "VMAP") {
            ReadVertexMap(body, lwo, false);
        } else if (id == "VMAD") {
            ReadVertexMap(body, lwo, true);
        } else if (id == "CLIP") {
            ReadClip(body, lwo);
        } else if (id == "SURF" && !lwo.lwo3) {
            ReadSurface2(body, lwo);
        } else if (id == "FORM" && n >= 4 && std::memcmp(chunk + 8, "SURF", 4) == 0) {
            ReadSurface3(Cursor(chunk + 12, n - 4), lwo);
        }
        pos += n + (n % 2);
        if (pos > end) break;
    }
    if (!havePoints || !havePolygons) {
        return Fail(result, ReadFailure::Malformed, "the object lacks a PNTS or POLS chunk");
    }
    return true;
}

// The format's angle of (x, z) about the y axis ("heading"), as its documentation's
// projection code computes it.
double Heading(double x, double z) {
    constexpr double kHalfPi = std::numbers::pi / 2;
    if (x == 0.0 && z == 0.0) return 0.0;
    if (z == 0.0) return x < 0.0 ? kHalfPi : -kHalfPi;
    if (z < 0.0) return -std::atan(x / z) + std::numbers::pi;
    return -std::atan(x / z);
}

// The angle above the x-z plane ("pitch").
double Pitch(double x, double y, double z) {
    constexpr double kHalfPi = std::numbers::pi / 2;
    const double r = std::sqrt(x * x + z * z);
    if (r == 0.0) return y == 0.0 ? 0.0 : (y < 0.0 ? -kHalfPi : kHalfPi);
    return std::atan(y / r);
}

double Fraction(double v) {
    return v - std::floor(v);
}

}  // namespace

std::pair<float, float> ProjectLwoTexture(const LwoProjection& map, const rm::Vector& point,
                                          int cubicAxis) {
    const double x = double(point.x) - map.center.x;
    const double y = double(point.y) - map.center.y;
    const double z = double(point.z) - map.center.z;
    const double sx = map.size.x != 0.0f ? map.size.x : 1.0;
    const double sy = map.size.y != 0.0f ? map.size.y : 1.0;
    const double sz = map.size.z != 0.0f ? map.size.z : 1.0;
    int projection = map.projection;
    int axis = map.axis;
    if (projection == 3) {  // cubic: planar along the polygon's main axis
        projection = 0;
        axis = cubicAxis;
    }
    double s = 0.0, t = 0.0;
    if (projection == 0) {
        s = axis == 0 ? z / sz + 0.5 : x / sx + 0.5;
        t = axis == 1 ? -z / sz + 0.5 : -y / sy + 0.5;
    } else if (projection == 1 || projection == 2) {
        double lon = 0.0, lat = 0.0;
        if (axis == 0) {
            lon = Heading(z, -y);
            lat = Pitch(z, x, -y);
            t = -x / sx + 0.5;
        } else if (axis == 1) {
            lon = Heading(-x, z);
            lat = Pitch(-x, y, z);
            t = -y / sy + 0.5;
        } else {
            lon = Heading(-x, -y);
            lat = Pitch(-x, z, -y);
            t = -z / sz + 0.5;
        }
        lon = 1.0 - lon / (2.0 * std::numbers::pi);
        if (map.wrapWidth != 1.0f) lon = Fraction(lon) * map.wrapWidth;
        s = Fraction(lon);
        if (projection == 2) {
            lat = 0.5 - lat / std::numbers::pi;
            if (map.wrapHeight != 1.0f) lat = Fraction(lat) * map.wrapHeight;
            t = Fraction(lat);
        }
    }
    return {float(s), float(t)};
}

namespace {

// One texture a surface, for the surfaces whose image block names a clip with a file.
std::vector<rm::TexturePtr> SurfaceTextures(const Lwo& lwo) {
    std::vector<rm::TexturePtr> textures(lwo.surfaces.size());
    for (std::size_t i = 0; i < lwo.surfaces.size(); ++i) {
        const ImageBlock& image = lwo.surfaces[i].image;
        const auto clip = lwo.clips.find(image.clip);
        if (image.present && clip != lwo.clips.end() && !clip->second.empty()) {
            textures[i] = std::make_shared<rm::Texture>(clip->second);
        }
    }
    return textures;
}

// The surface a polygon's tag names, or null when the tag or the name is unknown.
const Surface* SurfaceOf(const Lwo& lwo, const std::unordered_map<std::string, std::size_t>& byName,
                         const Polygon& poly) {
    if (poly.tag < 0 || std::size_t(poly.tag) >= lwo.tags.size()) return nullptr;
    const auto it = byName.find(lwo.tags[std::size_t(poly.tag)]);
    return it != byName.end() ? &lwo.surfaces[it->second] : nullptr;
}

// The polygon's face colour: the surface's colour and transparency; without a surface
// colour, the mean of the corners' vertex colours when a colour map gives them.
rm::Color PolygonColor(const Lwo& lwo, const Surface* surface,
                       std::span<const std::uint32_t> corners) {
    rm::Vector color{kDefaultChannel, kDefaultChannel, kDefaultChannel};
    float alpha = 1.0f;
    if (surface) {
        alpha = std::clamp(1.0f - surface->transparency, 0.0f, 1.0f);
        if (surface->color) {
            color = *surface->color;
        }
    }
    if (!surface || !surface->color) {
        const std::string& mapName = surface && !surface->vertexColorMap.empty()
                                         ? surface->vertexColorMap
                                         : lwo.firstColorMap;
        const auto map = lwo.colors.find(mapName);
        if (map != lwo.colors.end()) {
            rm::Vector sum{0, 0, 0};
            int count = 0;
            for (std::uint32_t c : corners) {
                const auto it = map->second.find(c);
                if (it == map->second.end()) continue;
                sum = {sum.x + it->second.x, sum.y + it->second.y, sum.z + it->second.z};
                ++count;
            }
            if (count > 0)
                color = {sum.x / float(count), sum.y / float(count), sum.z / float(count)};
        }
    }
    return rm::MakeColor(rm::ChannelToByte(alpha), rm::ChannelToByte(color.x),
                         rm::ChannelToByte(color.y), rm::ChannelToByte(color.z));
}

// The axis a cubic map projects along: the normal's largest component (y wins ties with x,
// x wins ties with z).
int CubicAxis(const rm::Vector& n) {
    int cubicAxis = 0;
    if (std::fabs(n.y) >= std::fabs(n.x) && std::fabs(n.y) >= std::fabs(n.z)) cubicAxis = 1;
    if (std::fabs(n.z) > std::fabs(n.x) && std::fabs(n.z) > std::fabs(n.y)) cubicAxis = 2;
    return cubicAxis;
}

// A corner's coordinates from the image's UV map: the per-polygon value first, then the
// per-point one, else (0, 0).
std::pair<float, float> MappedUv(const Lwo& lwo, const ImageBlock& image, std::uint32_t vertex,
                                 std::size_t polygon) {
    std::pair<float, float> uv{0.0f, 0.0f};
    const auto perPoly = lwo.uvPoly.find(image.uvMap);
    const auto perPoint = lwo.uv.find(image.uvMap);
    bool found = false;
    if (perPoly != lwo.uvPoly.end()) {
        const auto it = perPoly->second.find(PointPolygon(vertex, polygon));
        if (it != perPoly->second.end()) {
            uv = it->second;
            found = true;
        }
    }
    if (!found && perPoint != lwo.uv.end()) {
        const auto it = perPoint->second.find(vertex);
        if (it != perPoint->second.end()) uv = it->second;
    }
    // The map's v runs up the image; the model's down from its top.
    uv.second = 1.0f - uv.second;
    return uv;
}

// A corner's texture coordinates: from the UV map (projection 5) or projected.
std::pair<float, float> CornerUv(const Lwo& lwo, const ImageBlock& image, const rm::Vector& point,
                                 std::uint32_t vertex, std::size_t polygon, int cubicAxis) {
    if (image.projection == 5) return MappedUv(lwo, image, vertex, polygon);
    LwoProjection map;
    map.projection = image.projection;
    map.axis = image.axis;
    map.center = image.center;
    map.size = image.size;
    map.wrapWidth = image.wrapWidth;
    map.wrapHeight = image.wrapHeight;
    return ProjectLwoTexture(map, point, cubicAxis);
}

// What the polygons' faces share while they are built.
struct BuildContext {
    const Lwo& lwo;
    rm::MeshBuilder& parsed;
    rm::PolygonAppender& appender;
    const std::unordered_map<std::string, std::size_t>& byName;
    const std::vector<rm::TexturePtr>& textures;
};

// Adds polygon p's faces with their colour and texture coordinates; returns how many
// faces it made (0: the mesh refused them).
std::size_t AddPolygon(const BuildContext& build, std::size_t p) {
    const Lwo& lwo = build.lwo;
    rm::MeshBuilder& parsed = build.parsed;
    const Polygon& poly = lwo.polygons[p];
    const std::span<const std::uint32_t> corners(lwo.corners.data() + poly.firstCorner,
                                                 poly.cornerCount);
    const std::vector<rm::Vector>& v = parsed.Vertices();
    const rm::Vector n = FaceNormal(v[corners[0]], v[corners[1]], v[corners[2]]);
    parsed.Normals().push_back(n);
    const auto normal = static_cast<std::uint32_t>(parsed.Normals().size() - 1);
    const std::size_t first = parsed.FaceRecords().size();
    const std::size_t pieces =
        build.appender.Add(corners, std::span<const std::uint32_t>(&normal, 1));
    if (pieces == 0) return 0;

    const Surface* surface = SurfaceOf(lwo, build.byName, poly);
    const rm::Color faceColor = PolygonColor(lwo, surface, corners);
    rm::TexturePtr texture;
    if (surface) texture = build.textures[std::size_t(surface - lwo.surfaces.data())];
    const int cubicAxis = CubicAxis(n);
    for (std::size_t f = first; f < first + pieces; ++f) {
        parsed.MutableFaceRecord(f).color = faceColor;
        if (!texture) continue;
        parsed.SetFaceTexture(f, texture);
        const rm::MeshBuilder::CornerRange range = parsed.FaceCorners(f);
        for (std::size_t k = 0; k < range.size(); ++k) {
            const std::uint32_t vertex = range.Vertex(k);
            const std::pair<float, float> uv =
                CornerUv(lwo, surface->image, v[vertex], vertex, p, cubicAxis);
            parsed.SetCornerTextureCoordinates(f, k, uv.first, uv.second);
        }
    }
    return pieces;
}

// The model's face colour and texture coordinates for each polygon.
int Build(const Lwo& lwo, const std::string& path, model::ModelHost& host, ReadResult* result) {
    rm::MeshBuilderPtr temp = BeginRead(host, result);
    if (!temp) return 0;
    rm::MeshBuilder parsed;
    parsed.Vertices() = lwo.points;
    std::unordered_map<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < lwo.surfaces.size(); ++i) byName.emplace(lwo.surfaces[i].name, i);
    const std::vector<rm::TexturePtr> textures = SurfaceTextures(lwo);
    rm::PolygonAppender appender(parsed);
    const BuildContext build{lwo, parsed, appender, byName, textures};
    std::size_t added = 0;
    for (std::size_t p = 0; p < lwo.polygons.size(); ++p) {
        const Polygon& poly = lwo.polygons[p];
        if (!poly.face || poly.cornerCount < 3) continue;  // curves, bones, lines, points
        const std::size_t pieces = AddPolygon(build, p);
        if (pieces == 0) {
            return Fail(result, ReadFailure::MergeRefused,
                        "the mesh refused the object's polygons");
        }
        added += pieces;
    }
    if (added == 0) return Fail(result, ReadFailure::Malformed, "the object has no polygons");
    std::vector<std::string> missing;
    if (!path.empty())
        missing = rm::LoadMeshTextures(parsed, ReaderTextureFolders(host, FolderOf(path)));
    if (!temp->AddMeshBuilder(std::move(parsed))) {
        return Fail(result, ReadFailure::MergeRefused, "the mesh refused the object's polygons");
    }
    const int merged = FinishRead(host, *temp, result);
    if (merged && result) result->missingTextures = std::move(missing);
    return merged;
}

}  // namespace

int ReadLwo2Bytes(std::string_view data, const std::string& path, model::ModelHost& host,
                  ReadResult* result) {
    Lwo lwo;
    if (!ReadChunks(data, lwo, result)) return 0;
    return Build(lwo, path, host, result);
}

}  // namespace formats
