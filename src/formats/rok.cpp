// Rokkaku Daioh models: one number per line, in sections opened and closed by keyword
// lines. Points, edges between points, faces given by the edges around them, and a
// 13-entry palette. Every face becomes two mesh faces, one per winding.
#include "formats/rok.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "base/numbers.h"
#include "formats/reader.h"
#include "formats/text_io.h"

namespace formats {

namespace {

// Longest line kept whole; a longer line is cut there and its rest read as the next line.
constexpr std::size_t kMaxLineLength = 19;
constexpr int kPaletteEntries = 13;
// Colour index that the face check lets through but that has no file entry: it takes the
// built-in grey.
constexpr int kBuiltInColorIndex = 13;

// Lines as the format's own tools wrote and read them: a CR LF pair counts as a single LF
// (text mode), a line ends at CR or LF, and the other of the two right after it belongs to
// the same line end (CR LF, LF CR). Lines longer than kMaxLineLength are cut. The text of
// a line stops at its first NUL byte, as a C string would.
class RokLines {
  public:
    explicit RokLines(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        const std::size_t start = pos_;
        std::size_t length = 0;
        for (;;) {
            if (pos_ >= text_.size()) break;
            std::size_t width = 0;
            const char c = CharAt(pos_, width);
            if (c == '\r' || c == '\n') {
                pos_ += width;
                if (pos_ < text_.size()) {
                    std::size_t nextWidth = 0;
                    const char d = CharAt(pos_, nextWidth);
                    if ((c == '\r' && d == '\n') || (c == '\n' && d == '\r')) pos_ += nextWidth;
                }
                break;
            }
            if (length == kMaxLineLength) break;  // cut: the rest is the next line
            pos_ += width;
            ++length;
        }
        line = text_.substr(start, length);
        const auto nul = line.find('\0');
        if (nul != std::string_view::npos) line = line.substr(0, nul);
        return true;
    }

  private:
    // The character at `p` after text-mode translation: CR LF reads as one LF.
    char CharAt(std::size_t p, std::size_t& width) const {
        if (text_[p] == '\r' && p + 1 < text_.size() && text_[p + 1] == '\n') {
            width = 2;
            return '\n';
        }
        width = 1;
        return text_[p];
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Text to integer in the manner of atoi: leading blanks, a sign, digits; anything else
// ends the number, no digits give 0. Values beyond int saturate.
int LineInt(std::string_view s) {
    long long value = 0;
    if (!base::ScanInteger(s, value)) return 0;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Text to double in the manner of atof: no number gives 0.
double LineDouble(std::string_view s) {
    double value = 0.0;
    if (!ScanDouble(s, value)) return 0.0;
    return value;
}

struct RokFace {
    int vertexCount = 0;
    int colorIndex = 0;
    std::array<int, 4> edges{};  // 1-based edge numbers
};

struct PaletteEntry {
    float red = 0.0f, green = 0.0f, blue = 0.0f;
};

struct Document {
    std::vector<rm::Vector> points;
    std::vector<std::array<int, 2>> edges;  // 1-based point numbers
    std::vector<RokFace> faces;
    // Entry 0 is the built-in grey, entries 1..13 the file's.
    std::array<PaletteEntry, kPaletteEntries + 1> palette{};
};

// Reads `count` lines into `out` (when given); false at the end of the file.
bool ReadLines(RokLines& lines, int count, std::string_view* out = nullptr) {
    std::string_view line;
    for (int i = 0; i < count; ++i) {
        if (!lines.Next(line)) return false;
        if (out) out[i] = line;
    }
    return true;
}

bool SkipTo(RokLines& lines, std::string_view keyword) {
    std::string_view line;
    while (lines.Next(line)) {
        if (line == keyword) return true;
    }
    return false;
}

PaletteEntry MakeColor(const std::array<int, 6>& a) {
    const float k = 1.0f / 510.0f;
    auto channel = [k](int x, int y) {
        return static_cast<float>(static_cast<long long>(x) + y) * k;
    };
    return {channel(a[0], a[3]), channel(a[1], a[4]), channel(a[2], a[5])};
}

bool ParsePoints(RokLines& lines, Document& doc, ReadResult* result) {
    if (!SkipTo(lines, "POINT")) return Fail(result, ReadFailure::Malformed, "no POINT section");
    std::string_view line;
    for (;;) {
        if (!lines.Next(line))
            return Fail(result, ReadFailure::Malformed, "end of file in the POINT section");
        if (line == "LINE0") break;
        if (LineInt(line) != static_cast<long long>(doc.points.size()) + 1) {
            return Fail(result, ReadFailure::Malformed, "points are not numbered 1, 2, 3, ...");
        }
        std::string_view xyz[3];
        if (!ReadLines(lines, 5) || !ReadLines(lines, 3, xyz)) {
            return Fail(result, ReadFailure::Malformed, "end of file in a point");
        }
        doc.points.push_back({static_cast<float>(LineDouble(xyz[0])),
                              -static_cast<float>(LineDouble(xyz[1])),
                              static_cast<float>(LineDouble(xyz[2]))});
    }
    if (doc.points.empty()) return Fail(result, ReadFailure::Malformed, "the file has no points");
    return true;
}

bool ParseEdges(RokLines& lines, Document& doc, ReadResult* result) {
    const long long pointCount = static_cast<long long>(doc.points.size());
    std::string_view line;
    for (;;) {
        if (!lines.Next(line))
            return Fail(result, ReadFailure::Malformed, "end of file in the edge section");
        if (line == "FACE0") break;
        std::string_view rest[3];
        if (!ReadLines(lines, 3, rest))
            return Fail(result, ReadFailure::Malformed, "end of file in an edge");
        const int a = LineInt(line);
        const int b = LineInt(rest[0]);
        if (a < 1 || b < 1 || a > pointCount || b > pointCount) {
            return Fail(result, ReadFailure::Malformed,
                        "an edge names a point that does not exist");
        }
        doc.edges.push_back({a, b});
    }
    if (doc.edges.empty()) return Fail(result, ReadFailure::Malformed, "the file has no edges");
    return true;
}

bool ParseFaces(RokLines& lines, Document& doc, ReadResult* result) {
    const long long edgeCount = static_cast<long long>(doc.edges.size());
    std::string_view line;
    for (;;) {
        if (!lines.Next(line))
            return Fail(result, ReadFailure::Malformed, "end of file in the face section");
        if (line == "END00") break;
        RokFace face;
        face.vertexCount = LineInt(line);
        if (face.vertexCount != 3 && face.vertexCount != 4) {
            return Fail(result, ReadFailure::Malformed,
                        "a face has a vertex count other than 3 or 4");
        }
        std::string_view head[2];
        if (!ReadLines(lines, 2, head))
            return Fail(result, ReadFailure::Malformed, "end of file in a face");
        face.colorIndex = LineInt(head[0]);
        if (face.colorIndex < 0 || face.colorIndex > kBuiltInColorIndex) {
            return Fail(result, ReadFailure::Malformed,
                        "a face has a colour index outside 0 to 13");
        }
        if (LineInt(head[1]) != static_cast<long long>(doc.faces.size()) + 1) {
            return Fail(result, ReadFailure::Malformed, "faces are not numbered 1, 2, 3, ...");
        }
        std::string_view edgeLines[4];
        if (!ReadLines(lines, face.vertexCount, edgeLines)) {
            return Fail(result, ReadFailure::Malformed, "end of file in a face");
        }
        for (int k = 0; k < face.vertexCount; ++k) {
            const int e = LineInt(edgeLines[k]);
            if (e < 1 || e > edgeCount)
                return Fail(result, ReadFailure::Malformed,
                            "a face names an edge that does not exist");
            face.edges[std::size_t(k)] = e;
        }
        doc.faces.push_back(face);
    }
    if (doc.faces.empty()) return Fail(result, ReadFailure::Malformed, "the file has no faces");
    return true;
}

bool ParsePalette(RokLines& lines, Document& doc, ReadResult* result) {
    if (!SkipTo(lines, "PALC0")) return Fail(result, ReadFailure::Malformed, "no PALC0 section");
    std::string_view line;
    if (!lines.Next(line))
        return Fail(result, ReadFailure::Malformed, "end of file in the palette");
    if (LineInt(line) != kPaletteEntries)
        return Fail(result, ReadFailure::Malformed, "the palette does not hold 13 entries");
    if (!lines.Next(line))
        return Fail(result, ReadFailure::Malformed, "end of file in the palette");
    doc.palette[0] = MakeColor({128, 128, 128, 128, 128, 128});
    int entries = 0;
    for (;;) {
        if (!lines.Next(line))
            return Fail(result, ReadFailure::Malformed, "end of file in the palette");
        if (line == "ENDP0") break;
        if (entries == kPaletteEntries)
            return Fail(result, ReadFailure::Malformed, "the palette has more than 13 entries");
        std::string_view rest[6];
        if (!ReadLines(lines, 6, rest))
            return Fail(result, ReadFailure::Malformed, "end of file in a palette entry");
        const std::array<int, 6> a{LineInt(line),    LineInt(rest[0]), LineInt(rest[1]),
                                   LineInt(rest[2]), LineInt(rest[3]), LineInt(rest[4])};
        doc.palette[std::size_t(++entries)] = MakeColor(a);
    }
    if (entries != kPaletteEntries)
        return Fail(result, ReadFailure::Malformed, "the palette has fewer than 13 entries");
    return true;
}

// The corners of a face from its edges (0-based point indices). False when the edges that
// give the corners do not join: the second edge must touch the first, and for a
// quadrilateral the third must touch the second.
bool FaceCorners(const Document& doc, const RokFace& face, std::array<std::int32_t, 4>& q) {
    auto edge = [&](int k) {
        const auto& e = doc.edges[std::size_t(face.edges[std::size_t(k)] - 1)];
        return std::array<std::int32_t, 2>{e[0] - 1, e[1] - 1};
    };
    const auto a = edge(0);
    const auto b = edge(1);
    if (a[0] == b[0] || a[0] == b[1]) {
        q[0] = a[1];
        q[1] = a[0];
    } else {
        q[0] = a[0];
        q[1] = a[1];
    }
    if (q[1] != b[0] && q[1] != b[1]) return false;
    q[2] = q[1] == b[0] ? b[1] : b[0];
    if (face.vertexCount == 4) {
        const auto c = edge(2);
        if (q[2] != c[0] && q[2] != c[1]) return false;
        q[3] = q[2] == c[0] ? c[1] : c[0];
    }
    return true;
}

// (A - B) x (B - C), unit length unless it is exactly zero.
rm::Vector FrontNormal(const rm::Vector& a, const rm::Vector& b, const rm::Vector& c) {
    const rm::Vector u = a - b;
    const rm::Vector w = b - c;
    rm::Vector n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
    const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (len != 0.0f) n = {n.x / len, n.y / len, n.z / len};
    return n;
}

int BuildModel(const Document& doc, model::ModelHost& host, ReadResult* result) {
    rm::MeshBuilderPtr temp = BeginRead(host, result);
    if (!temp) return 0;
    std::vector<rm::Vector> normals;
    std::vector<int> colors;  // colour index per mesh face
    normals.reserve(doc.faces.size() * 2);
    colors.reserve(doc.faces.size() * 2);
    FaceDataList data;
    data.Reserve(doc.faces.size() * 18 + 1);
    for (const RokFace& face : doc.faces) {
        std::array<std::int32_t, 4> q{};
        if (!FaceCorners(doc, face, q)) continue;  // edges that do not join: no face
        const std::size_t n = std::size_t(face.vertexCount);
        std::array<std::int32_t, 4> back{};
        std::reverse_copy(q.begin(), q.begin() + std::ptrdiff_t(n), back.begin());
        const rm::Vector front =
            FrontNormal(doc.points[std::size_t(q[0])], doc.points[std::size_t(q[1])],
                        doc.points[std::size_t(q[2])]);
        const auto normalIndex = static_cast<std::int32_t>(normals.size());
        data.AddFace(std::span<const std::int32_t>(q.data(), n), normalIndex);
        data.AddFace(std::span<const std::int32_t>(back.data(), n), normalIndex + 1);
        normals.push_back(front);
        normals.push_back({-front.x, -front.y, -front.z});
        colors.push_back(face.colorIndex);
        colors.push_back(face.colorIndex);
    }
    if (colors.empty()) {
        return Fail(result, ReadFailure::Malformed, "no face of the file has edges that join");
    }
    data.Finish();

    std::vector<rm::Face> added;
    if (!temp->AddFaces(doc.points, normals, data.Data(), &added) ||
        added.size() != colors.size()) {
        return FailAddFaces(result, "failure on AddFaces");
    }
    for (std::size_t k = 0; k < added.size(); ++k) {
        // Index c takes the file's entry c + 1; 13 has no file entry and takes the grey.
        const int c = colors[k];
        const PaletteEntry& p = doc.palette[c == kBuiltInColorIndex ? 0 : std::size_t(c + 1)];
        added[k].SetColorRGB(p.red, p.green, p.blue);
    }
    temp->GenerateNormals(1.0f, rm::GENERATENORMALS_USECREASEANGLE);
    return FinishRead(host, *temp, result);
}

}  // namespace

int ReadRokBytes(std::string_view data, model::ModelHost& host, ReadResult* result) {
    return Guarded(result, [&] {
        Document doc;
        RokLines lines(data);
        if (!ParsePoints(lines, doc, result) || !ParseEdges(lines, doc, result) ||
            !ParseFaces(lines, doc, result) || !ParsePalette(lines, doc, result)) {
            return 0;
        }
        return BuildModel(doc, host, result);
    });
}

int ReadRok(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result,
                        [&](std::string_view bytes) { return ReadRokBytes(bytes, host, result); });
}

}  // namespace formats
