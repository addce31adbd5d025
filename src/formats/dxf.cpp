#include "formats/dxf.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "base/numbers.h"
#include "formats/reader.h"
#include "formats/text_io.h"

namespace formats {

namespace {

// Colour of every face read from a DXF file: opaque grey 178.
constexpr rm::Color kDxfFaceColor = 0xFFB2B2B2u;

// The group codes that must follow a 3DFACE's code 10, in this order.
constexpr std::string_view kCornerCodes[11] = {"20", "30", "11", "21", "31", "12",
                                               "22", "32", "13", "23", "33"};

// Bytes per 3DFACE entity in a short typical file, for the first reservation of the mesh.
constexpr std::size_t kTypicalFaceBytes = 128;
// Vertices of a mesh are numbered in 32 bits.
constexpr std::size_t kMaxVertices = 0xFFFFFFF0u;

// The lines of a DXF text as the reader compares them: every space and tab is removed,
// lines that are then empty are skipped, and a CR before the line feed is dropped (CR LF
// files read like LF files). A line only equals a word when a line feed ended it, so a
// last line without one never matches.
class DxfLines {
  public:
    explicit DxfLines(std::string_view text) : text_(text) {}

    // Moves to the next line; false when no line is left. Lines left empty are skipped,
    // unless `keepEmpty` (a value line of an empty string).
    bool Next(bool keepEmpty = false) {
        const char* const end = text_.data() + text_.size();
        while (pos_ < text_.size()) {
            // Lines are short (a code or a number), so one byte loop beats memchr here.
            const char* start = text_.data() + pos_;
            const char* p = start;
            bool blanks = false;
            while (p != end && *p != '\n') {
                blanks |= (*p == ' ') | (*p == '\t');
                ++p;
            }
            std::size_t len = std::size_t(p - start);
            terminated_ = p != end;
            pos_ += terminated_ ? len + 1 : len;
            if (terminated_ && len > 0 && start[len - 1] == '\r') --len;
            if (!blanks) {
                line_ = std::string_view(start, len);
            } else {
                buffer_.clear();
                for (std::size_t i = 0; i < len; ++i) {
                    if (start[i] != ' ' && start[i] != '\t') buffer_ += start[i];
                }
                line_ = buffer_;
            }
            if (terminated_ && line_.empty() && !keepEmpty) continue;
            return true;
        }
        return false;
    }

    // The common case of a line without blanks, taken at once: when the next line is
    // exactly `word` (ended by LF or CR LF), moves past it (as Next would) and is true;
    // otherwise nothing moves.
    bool NextIs(std::string_view word) {
        const std::string_view rest = text_.substr(pos_);
        if (rest.size() <= word.size()) return false;
        for (std::size_t i = 0; i < word.size(); ++i) {  // short words: no library call
            if (rest[i] != word[i]) return false;
        }
        const std::size_t ending = LineEnding(rest, word.size());
        if (ending == 0) return false;
        line_ = rest.substr(0, word.size());
        terminated_ = true;
        pos_ += word.size() + ending;
        return true;
    }
    // The same for a line that is exactly a plain decimal number: its value, as ScanDouble
    // reads the line.
    bool NextIsDecimal(double& value) {
        std::string_view rest = text_.substr(pos_);
        if (rest.empty() || !(base::IsDigit(rest[0]) || rest[0] == '-' || rest[0] == '.')) {
            return false;
        }
        std::string_view number = rest;
        double v = 0.0;
        if (!base::ScanDecimal(number, v)) return false;
        const std::size_t length = rest.size() - number.size();
        const std::size_t ending = LineEnding(rest, length);
        if (ending == 0) return false;
        value = v;
        line_ = rest.substr(0, length);
        terminated_ = true;
        pos_ += length + ending;
        return true;
    }

    bool Is(std::string_view word) const { return terminated_ && line_ == word; }
    // Where the next line starts, to come back to it.
    std::size_t Position() const { return pos_; }
    void Seek(std::size_t pos) {
        pos_ = pos;
        terminated_ = false;
        line_ = {};
    }
    std::string_view Text() const { return line_; }

  private:
    // Length of the line ending at `at` in `s` (1 for LF, 2 for CR LF), or 0 for none.
    static std::size_t LineEnding(std::string_view s, std::size_t at) {
        if (at < s.size() && s[at] == '\n') return 1;
        if (at + 1 < s.size() && s[at] == '\r' && s[at + 1] == '\n') return 2;
        return 0;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string_view line_;
    bool terminated_ = false;
    std::string buffer_;
};

// What the reader sees of a file: the text ends at the first Ctrl-Z, as it did for
// text-mode reading on the platform the format comes from (DOS programs ended files
// with one).
std::string_view VisibleText(std::string_view data) {
    const auto eof = data.find('\x1a');
    return eof == std::string_view::npos ? data : data.substr(0, eof);
}

// The value line after a group code: a finite number (leading text parsed as "%f" does).
bool ReadCoordinate(DxfLines& lines, float& out, ReadResult* result) {
    double plain = 0.0;
    if (lines.NextIsDecimal(plain)) {
        out = base::ToFloat(plain);
        if (std::isfinite(out)) return true;
        return Fail(result, ReadFailure::Malformed, "a 3DFACE coordinate is out of range");
    }
    if (!lines.Next()) {
        return Fail(result, ReadFailure::Malformed, "end of file inside a 3DFACE");
    }
    std::string_view value = lines.Text();
    if (!ScanFloat(value, out)) {
        return Fail(result, ReadFailure::Malformed, "a 3DFACE coordinate is not a number");
    }
    if (!std::isfinite(out)) {
        return Fail(result, ReadFailure::Malformed, "a 3DFACE coordinate is out of range");
    }
    return true;
}

// Index 0..11 of a corner group code (10, 20, 30, 11, ... 33 in that order), or -1.
int CornerCodeIndex(std::string_view code) {
    if (code.size() != 2 || code[0] < '1' || code[0] > '3' || code[1] < '0' || code[1] > '3') {
        return -1;
    }
    return (code[1] - '0') * 3 + (code[0] - '1');
}

// Codes 13, 23 and 33 (the fourth corner) may be left out: a triangle. The corner then
// repeats the third, as other readers take it.
void RepeatThirdCorner(float (&v)[12]) {
    v[9] = v[6];
    v[10] = v[7];
    v[11] = v[8];
}

// Some exporters write the corners of a 3DFACE in another order (13, 23, 33, 12, ... 30).
// Reads the entity that starts at `start` as code/value pairs: codes before the first
// corner code are passed over; then all twelve corner codes must follow one another, each
// once, in any order, or the nine of the first three corners when the entity ends after
// them. `v` receives them in the order 10, 20, 30, 11, ... 33.
bool ReadPermutedCorners(DxfLines& lines, std::size_t start, float (&v)[12]) {
    lines.Seek(start);
    bool seen[12] = {};
    int count = 0;
    auto triangle = [&] { return count == 9 && !seen[9] && !seen[10] && !seen[11]; };
    for (;;) {
        const std::size_t before = lines.Position();
        if (!lines.Next()) break;
        const int index = CornerCodeIndex(lines.Text());
        if (index < 0 || !lines.Is(lines.Text())) {
            if (lines.Is("0") && triangle()) {
                lines.Seek(before);  // the next entity starts here
                RepeatThirdCorner(v);
                return true;
            }
            if (count > 0 || lines.Is("0")) return false;  // interrupted, or the entity ended
            if (!lines.Next()) return false;               // pass over the value
            continue;
        }
        if (seen[index] || !ReadCoordinate(lines, v[index], nullptr)) return false;
        seen[index] = true;
        if (++count == 12) return true;
    }
    if (!triangle()) return false;
    RepeatThirdCorner(v);
    return true;
}

// (P0 - P1) x (P0 - P2); when that is exactly zero (a triangle stored with a repeated
// corner) (P1 - P2) x (P1 - P3). Divided by its length unless the length is 0.
rm::Vector QuadNormal(const rm::Vector* p) {
    rm::Vector n = rm::Cross(p[0] - p[1], p[0] - p[2]);
    if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) n = rm::Cross(p[1] - p[2], p[1] - p[3]);
    const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length != 0.0f) n = {n.x / length, n.y / length, n.z / length};
    return n;
}

// One face of four vertices of its own, in reverse file order (codes 13 first, then 12,
// 11 and 10), with its own normal. False when the mesh cannot number more vertices.
bool AddFace(rm::MeshBuilder& mesh, const float (&v)[12]) {
    std::vector<rm::Vector>& vertices = mesh.Vertices();
    if (vertices.size() > kMaxVertices - 4) return false;
    const auto first = static_cast<std::uint32_t>(vertices.size());
    for (int c = 3; c >= 0; --c) vertices.push_back({v[3 * c], v[3 * c + 1], v[3 * c + 2]});
    mesh.Normals().push_back(QuadNormal(&vertices[first]));
    const std::uint32_t corners[4] = {first, first + 1, first + 2, first + 3};
    return mesh.AppendFace(corners, static_cast<std::uint32_t>(mesh.Normals().size() - 1));
}

// The value type of a group code in a binary file.
enum class BinaryValue { String, Double, Int16, Int32, Int64, Bool, Chunk };

BinaryValue BinaryValueOf(int code) {
    if (code >= 10 && code <= 59) return BinaryValue::Double;
    if (code >= 60 && code <= 79) return BinaryValue::Int16;
    if (code >= 90 && code <= 99) return BinaryValue::Int32;
    if (code >= 110 && code <= 149) return BinaryValue::Double;
    if (code >= 160 && code <= 169) return BinaryValue::Int64;
    if (code >= 170 && code <= 179) return BinaryValue::Int16;
    if (code >= 210 && code <= 239) return BinaryValue::Double;
    if (code >= 270 && code <= 289) return BinaryValue::Int16;
    if (code >= 290 && code <= 299) return BinaryValue::Bool;
    if (code >= 310 && code <= 319) return BinaryValue::Chunk;
    if (code >= 370 && code <= 389) return BinaryValue::Int16;
    if (code >= 400 && code <= 409) return BinaryValue::Int16;
    if (code >= 420 && code <= 429) return BinaryValue::Int32;
    if (code >= 440 && code <= 459) return BinaryValue::Int32;
    if (code >= 460 && code <= 469) return BinaryValue::Double;
    if (code == 1004) return BinaryValue::Chunk;
    if (code >= 1010 && code <= 1059) return BinaryValue::Double;
    if (code >= 1060 && code <= 1070) return BinaryValue::Int16;
    if (code == 1071) return BinaryValue::Int32;
    return BinaryValue::String;
}

constexpr char kBinarySentinel[] = "AutoCAD Binary DXF\r\n\x1a";  // then a NUL: 22 bytes

// A group code at pos: two bytes with wide codes, else one (255: two bytes follow). False
// when the data end inside it.
bool ReadGroupCode(const unsigned char* b, std::size_t size, std::size_t& pos, bool wideCodes,
                   int& code) {
    if (!wideCodes) {
        code = b[pos++];
        if (code != 255) return true;
    }
    if (size - pos < 2) return false;
    code = static_cast<std::int16_t>(base::LoadLE16(b + pos));
    pos += 2;
    return true;
}

// A NUL-ended string value, its line breaks made spaces (a line break inside a value would
// split it into two lines).
bool AppendBinaryString(const unsigned char* b, std::size_t size, std::size_t& pos,
                        std::string& text) {
    const void* nul = std::memchr(b + pos, 0, size - pos);
    if (!nul) return false;
    const std::size_t end = std::size_t(static_cast<const unsigned char*>(nul) - b);
    for (std::size_t i = pos; i < end; ++i) {
        const char c = char(b[i]);
        text += (c == '\n' || c == '\r') ? ' ' : c;
    }
    pos = end + 1;
    return true;
}

// A little-endian double, written with 9 decimals ("nan" when not finite).
bool AppendBinaryDouble(const unsigned char* b, std::size_t size, std::size_t& pos,
                        std::string& text) {
    if (size - pos < 8) return false;
    const double value = base::LoadLEDouble(b + pos);
    if (std::isfinite(value)) {
        AppendFixed(text, value, 9);
    } else {
        text += "nan";
    }
    pos += 8;
    return true;
}

// The value of a group of this code at pos, as its text line (without the line break).
// False when the data end inside it.
bool AppendBinaryValue(const unsigned char* b, std::size_t size, std::size_t& pos, int code,
                       std::string& text) {
    switch (BinaryValueOf(code)) {
        case BinaryValue::String:
            return AppendBinaryString(b, size, pos, text);
        case BinaryValue::Double:
            return AppendBinaryDouble(b, size, pos, text);
        case BinaryValue::Int16:
            if (size - pos < 2) return false;
            AppendInt(text, static_cast<std::int16_t>(base::LoadLE16(b + pos)));
            pos += 2;
            return true;
        case BinaryValue::Int32:
            if (size - pos < 4) return false;
            AppendInt(text, static_cast<std::int32_t>(base::LoadLE32(b + pos)));
            pos += 4;
            return true;
        case BinaryValue::Int64:
            if (size - pos < 8) return false;
            AppendInt(text, 0);  // nothing the reader takes
            pos += 8;
            return true;
        case BinaryValue::Bool:
            if (size - pos < 1) return false;
            AppendInt(text, b[pos]);
            pos += 1;
            return true;
        case BinaryValue::Chunk: {
            if (size - pos < 1) return false;
            const std::size_t length = b[pos];
            if (size - pos - 1 < length) return false;
            pos += 1 + length;  // binary data: nothing the reader takes
            return true;
        }
    }
    return true;
}

// A binary file as the text form it stands for: each group code and its typed value as
// two lines. R12 files give codes in one byte (255: a 16-bit code follows), later versions
// in two; the first group (0 SECTION) tells which. False when the data end inside a group.
bool BinaryToText(std::string_view data, std::string& text) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t size = data.size();
    std::size_t pos = 22;
    const bool wideCodes = size >= 25 && b[22] == 0 && b[23] == 0 && b[24] == 'S';
    text.reserve(size * 2);
    while (pos < size) {
        int code = 0;
        if (!ReadGroupCode(b, size, pos, wideCodes, code)) return false;
        AppendInt(text, code);
        text += '\n';
        if (!AppendBinaryValue(b, size, pos, code, text)) return false;
        text += '\n';
    }
    return true;
}

// One group of an entity: its code line and its value line (which may be empty). False at
// the end of the text or when the code is not a number.
bool NextGroup(DxfLines& lines, int& code, std::string_view& value) {
    if (!lines.Next()) return false;
    std::string_view c = lines.Text();
    if (!ScanInt(c, code)) return false;
    if (!lines.Next(true)) return false;
    value = lines.Text();
    return true;
}

struct PolylineVertex {
    rm::Vector position;
    int flags = 0;
    int index[4] = {0, 0, 0, 0};  // codes 71 to 74 of a polyface face record
};

// Adds one polygon of the mesh's vertices `corners` (in file order) as a face in reverse
// order, like a 3DFACE's corners, with a normal of its own.
bool AddPolylineFace(rm::MeshBuilder& mesh, std::vector<std::uint32_t>& corners) {
    std::reverse(corners.begin(), corners.end());
    const std::vector<rm::Vector>& v = mesh.Vertices();
    rm::Vector n;
    if (corners.size() >= 3) n = FaceNormal(v[corners[0]], v[corners[1]], v[corners[2]]);
    mesh.Normals().push_back(n);
    return mesh.AppendFace(corners, static_cast<std::uint32_t>(mesh.Normals().size() - 1));
}

// A POLYLINE entity's own groups (before its first VERTEX): flag 70, counts M and N.
struct PolylineHeader {
    int flags = 0;
    int m = 0;
    int n = 0;
};

// The groups of a POLYLINE whose "POLYLINE" line was just read, and of its VERTEX entities,
// up to the next other entity; the reader is left on the "0" line that ends the last entity
// read.
bool ReadPolylineGroups(DxfLines& lines, PolylineHeader& header,
                        std::vector<PolylineVertex>& vertices, ReadResult* result) {
    PolylineVertex* current = nullptr;
    for (;;) {
        const std::size_t before = lines.Position();
        int code = 0;
        std::string_view value;
        if (!NextGroup(lines, code, value)) break;
        if (code == 0) {
            if (value == "VERTEX") {
                vertices.emplace_back();
                current = &vertices.back();
                continue;
            }
            lines.Seek(before);
            break;
        }
        int number = 0;
        float coordinate = 0.0f;
        if (!current) {
            if (code == 70 && ScanInt(value, number)) header.flags = number;
            if (code == 71 && ScanInt(value, number)) header.m = number;
            if (code == 72 && ScanInt(value, number)) header.n = number;
            continue;
        }
        if (code >= 10 && code <= 30 && code % 10 == 0) {
            if (!ScanFloat(value, coordinate) || !std::isfinite(coordinate)) {
                return Fail(result, ReadFailure::Malformed, "a VERTEX coordinate is not a number");
            }
            (code == 10   ? current->position.x
             : code == 20 ? current->position.y
                          : current->position.z) = coordinate;
        } else if (code == 70 && ScanInt(value, number)) {
            current->flags = number;
        } else if (code >= 71 && code <= 74 && ScanInt(value, number)) {
            current->index[code - 71] = number;
        }
    }
    return true;
}

// A polyface mesh: its vertex records become the mesh's vertices, each face record a face.
bool AddPolyface(rm::MeshBuilder& mesh, const std::vector<PolylineVertex>& vertices,
                 ReadResult* result) {
    std::vector<rm::Vector>& points = mesh.Vertices();
    const auto first = static_cast<std::uint32_t>(points.size());
    std::uint32_t count = 0;
    for (const PolylineVertex& v : vertices) {
        if ((v.flags & 64) || !(v.flags & 128)) {
            if (points.size() >= kMaxVertices) {
                return Fail(result, ReadFailure::Malformed, "too many vertices");
            }
            points.push_back(v.position);
            ++count;
        }
    }
    std::vector<std::uint32_t> corners;
    for (const PolylineVertex& v : vertices) {
        if (!(v.flags & 128) || (v.flags & 64)) continue;
        corners.clear();
        for (int index : v.index) {
            const long long k = index < 0 ? -static_cast<long long>(index) : index;
            if (k == 0) continue;
            if (k > count) {
                return Fail(result, ReadFailure::Malformed,
                            "a polyface face names a vertex that does not exist");
            }
            const auto vertex = first + std::uint32_t(k - 1);
            // A corner repeated right after itself adds nothing (a triangle written
            // with 73 = 74).
            if (corners.empty() || corners.back() != vertex) corners.push_back(vertex);
        }
        if (corners.size() > 1 && corners.front() == corners.back()) corners.pop_back();
        if (corners.size() >= 3 && !AddPolylineFace(mesh, corners)) {
            return Fail(result, ReadFailure::MergeRefused, "the mesh refused a polyface face");
        }
    }
    return true;
}

// A polygon mesh of M x N vertices: a quadrilateral per cell, closed in M by flag 1 and in
// N by flag 32.
bool AddPolygonMesh(rm::MeshBuilder& mesh, const std::vector<PolylineVertex>& vertices,
                    const PolylineHeader& header, ReadResult* result) {
    const int m = header.m, n = header.n;
    if (m < 2 || n < 2 || vertices.size() / std::size_t(n) < std::size_t(m)) {
        return Fail(result, ReadFailure::Malformed, "a polygon mesh has fewer vertices than M x N");
    }
    std::vector<rm::Vector>& points = mesh.Vertices();
    const auto first = static_cast<std::uint32_t>(points.size());
    if (points.size() + std::size_t(m) * std::size_t(n) > kMaxVertices) {
        return Fail(result, ReadFailure::Malformed, "too many vertices");
    }
    for (std::size_t i = 0; i < std::size_t(m) * std::size_t(n); ++i) {
        points.push_back(vertices[i].position);
    }
    const int rows = (header.flags & 1) ? m : m - 1;
    const int columns = (header.flags & 32) ? n : n - 1;
    std::vector<std::uint32_t> corners;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const auto at = [&](int r, int c) {
                return first + std::uint32_t((r % m) * n + (c % n));
            };
            corners = {at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)};
            if (!AddPolylineFace(mesh, corners)) {
                return Fail(result, ReadFailure::MergeRefused, "the mesh refused a mesh face");
            }
        }
    }
    return true;
}

// A POLYLINE entity whose "POLYLINE" line was just read: its VERTEX entities up to SEQEND.
// Polyface meshes (flag 64) give a face per face record (a vertex of flag 128 without 64,
// corners 71 to 74, 1-based, negative for a hidden edge, 0 for none); polygon meshes
// (flag 16) of M x N vertices (codes 71, 72) give a quadrilateral per cell, closed in M by
// flag 1 and in N by flag 32. Other polylines are lines and give nothing. The reader is
// left on the "0" line that ends the last entity read.
bool ReadPolyline(DxfLines& lines, rm::MeshBuilder& mesh, ReadResult* result) {
    PolylineHeader header;
    std::vector<PolylineVertex> vertices;
    if (!ReadPolylineGroups(lines, header, vertices, result)) return false;
    if (header.flags & 64) return AddPolyface(mesh, vertices, result);
    if (header.flags & 16) return AddPolygonMesh(mesh, vertices, header, result);
    return true;
}

// Reads the faces: each "3DFACE" entity (a "3DFACE" line right after a "0" line: the same
// word as the value of another code, a layer's name say, starts nothing), then the lines
// up to the next "10" line, then codes 20 to 33 in a fixed order, each followed by its
// value (or, failing that, the corner codes together in another order). A face whose
// entity ends after code 32 is a triangle (see RepeatThirdCorner). Each face goes to
// `mesh` (see AddFace).
//
// Reading stops at the end of the text. (Counting the "3DFACE" lines first and stopping
// after that many faces gives the same faces: every face uses up at least its own such
// line, so once as many faces as lines have been read, none is left to start another.)
bool ReadFaces(std::string_view text, rm::MeshBuilder& mesh, ReadResult* result) {
    DxfLines lines(text);
    for (;;) {
        bool found = false;
        bool afterZero = false;
        while (lines.Next()) {
            if (afterZero && lines.Is("3DFACE")) {
                found = true;
                break;
            }
            if (afterZero && lines.Is("POLYLINE")) {
                if (!ReadPolyline(lines, mesh, result)) return false;
                afterZero = false;
                continue;
            }
            afterZero = lines.Is("0");
        }
        if (!found) break;
        const std::size_t entityStart = lines.Position();

        found = false;
        while (lines.Next()) {
            if (lines.Is("10")) {
                found = true;
                break;
            }
        }
        if (!found) {
            return Fail(result, ReadFailure::Malformed,
                        "end of file before a 3DFACE's first corner");
        }
        float v[12];
        if (!ReadCoordinate(lines, v[0], result)) return false;
        for (std::size_t i = 0; i < 11; ++i) {
            if (lines.NextIs(kCornerCodes[i])) {
                if (!ReadCoordinate(lines, v[i + 1], result)) return false;
                continue;
            }
            const std::size_t before = lines.Position();
            const bool more = lines.Next();
            if (i == 8 && (!more || lines.Is("0"))) {  // no fourth corner
                lines.Seek(before);
                RepeatThirdCorner(v);
                break;
            }
            if (!more) return Fail(result, ReadFailure::Malformed, "end of file inside a 3DFACE");
            if (!lines.Is(kCornerCodes[i])) {
                if (!ReadPermutedCorners(lines, entityStart, v)) {
                    return Fail(result, ReadFailure::Malformed, "3DFACE group codes out of order");
                }
                break;
            }
            if (!ReadCoordinate(lines, v[i + 1], result)) return false;
        }
        if (!AddFace(mesh, v)) return Fail(result, ReadFailure::Malformed, "too many faces");
    }
    return true;
}

// Corner lines of one 3DFACE: codes 10/20/30 take `a`, 11/21/31 `b`, 12/22/32 `c` and
// 13/23/33 `d`.
void AppendFace(std::string& s, const rm::Vector& a, const rm::Vector& b, const rm::Vector& c,
                const rm::Vector& d) {
    static constexpr const char* kCodes[4][3] = {
        {"10\n", "20\n", "30\n"},
        {"11\n", "21\n", "31\n"},
        {"12\n", "22\n", "32\n"},
        {"13\n", "23\n", "33\n"},
    };
    const rm::Vector* corners[4] = {&a, &b, &c, &d};
    s += "0\n3DFACE\n8\nbody\n62\n8\n";
    for (int k = 0; k < 4; ++k) {
        const float xyz[3] = {corners[k]->x, corners[k]->y, corners[k]->z};
        for (int axis = 0; axis < 3; ++axis) {
            s += kCodes[k][axis];
            AppendFixed(s, double(xyz[axis]), 9);
            s += '\n';
        }
    }
}

// A triangle is written as c0, c2, c1 with c0 repeated as the fourth corner, so that
// reading it back (corners reversed) gives c0, c1, c2, c0.
void AppendTriangle(std::string& s, const rm::Vector& c0, const rm::Vector& c1,
                    const rm::Vector& c2) {
    AppendFace(s, c0, c2, c1, c0);
}

}  // namespace

int ReadDxfText(std::string_view data, model::ModelHost& host, ReadResult* result) {
    return Guarded(result, [&] {
        if (!host.m_pD3DRoot || !host.m_pMesh) {
            return Fail(result, ReadFailure::NoModel, "there is no model to add to");
        }
        std::string converted;
        std::string_view text;
        if (data.starts_with(std::string_view(kBinarySentinel, sizeof kBinarySentinel - 1))) {
            if (!BinaryToText(data, converted)) {
                return Fail(result, ReadFailure::Malformed, "a binary DXF file is cut short");
            }
            text = converted;
        } else {
            text = VisibleText(data);
        }
        // Room for the faces of a typical file (a hint; room never used costs no memory).
        const std::size_t faces = text.size() / kTypicalFaceBytes + 1;
        rm::MeshBuilder parsed;
        parsed.ReserveVertices(4 * faces, faces);
        parsed.ReserveFaces(faces, 4 * faces);
        if (!ReadFaces(text, parsed, result)) return 0;
        if (parsed.GetFaceCount() == 0) {
            return Fail(result, ReadFailure::Malformed, "the file has no face");
        }
        parsed.SetColor(kDxfFaceColor);
        rm::MeshBuilderPtr temp = BeginRead(host, result);
        if (!temp) return 0;
        if (!temp->AddMeshBuilder(std::move(parsed))) {
            return Fail(result, ReadFailure::MergeRefused, "the mesh refused the file's faces");
        }
        return FinishRead(host, *temp, result);
    });
}

int ReadDxf(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result,
                        [&](std::string_view bytes) { return ReadDxfText(bytes, host, result); });
}

std::string FormatDxf(const model::FaceTable& table) {
    const int faceCount = table.FacesToWrite();
    std::string s;
    s.reserve(64 + std::size_t(faceCount) * 320);
    s += "0\nSECTION\n2\nENTITIES\n999\nKestrilune by Lumoquent\n";
    for (int f = 0; f < faceCount; ++f) {
        const int n = table.CornersOf(f);
        const rm::Vector* c = table.position[f];
        switch (n) {
            case 0:
                break;  // no corner to write
            case 1:
                AppendFace(s, c[0], c[0], c[0], c[0]);
                break;
            case 2:
                AppendFace(s, c[0], c[0], c[1], c[0]);
                break;
            case 3:
                AppendTriangle(s, c[0], c[1], c[2]);
                break;
            case 4:
                AppendFace(s, c[3], c[2], c[1], c[0]);
                break;
            default:
                // Larger faces become a fan of triangles around the first corner.
                for (int k = 1; k + 1 < n; ++k) AppendTriangle(s, c[0], c[k], c[k + 1]);
                break;
        }
    }
    s += "0\nENDSEC\n0\nEOF\n";
    return s;
}

int WriteDxf(const std::string& path, const model::FaceTable& table, std::string* error) {
    return WriteFormatted(path, error, [&] { return FormatDxf(table); });
}

}  // namespace formats
