// Wavefront OBJ reader. Only vertex positions ("v" lines) and faces ("f" lines) are used;
// texture coordinates, normals, groups, materials, points and lines are ignored.
//
// The whole file is parsed in one pass over the bytes in memory straight into a mesh: the
// vertex list, one normal per face and the faces. Nothing is allocated per line. Vertex
// numbers count across the whole file (1 is the file's first "v" line, -1 the latest one
// before the face); a face names only vertices already read.
#include "formats/obj.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "base/numbers.h"
#include "formats/reader.h"
#include "formats/text_io.h"
#include "rm/polygon.h"

namespace formats {

namespace {

// Faces of more corners than the model keeps are split into triangles.
constexpr std::size_t kMaxCorners = model::MAX_FACE_VERTICES;
constexpr std::size_t kMaxCount = std::size_t(std::numeric_limits<std::int32_t>::max());

// Byte classes: a word character, a blank between words, or the end of a line's content.
// A NUL ends what is read of a line, as it ended the C string the line was read into.
enum : std::uint8_t { kWord = 0, kBlank = 1, kLineEnd = 2 };

constexpr std::array<std::uint8_t, 256> MakeClasses() {
    std::array<std::uint8_t, 256> t{};
    t[std::uint8_t(' ')] = kBlank;
    t[std::uint8_t('\t')] = kBlank;
    t[std::uint8_t('\r')] = kBlank;
    t[std::uint8_t('\v')] = kBlank;
    t[std::uint8_t('\f')] = kBlank;
    t[std::uint8_t('\n')] = kLineEnd;
    t[0] = kLineEnd;
    return t;
}
constexpr std::array<std::uint8_t, 256> kClass = MakeClasses();

inline std::uint8_t ClassOf(char c) {
    return kClass[static_cast<unsigned char>(c)];
}

// Skips blanks. True when a word starts at `p`; false at the end of the line's content.
inline bool NextWord(const char*& p, const char* end) {
    while (p < end && ClassOf(*p) == kBlank) ++p;
    return p < end && ClassOf(*p) == kWord;
}

inline void SkipWord(const char*& p, const char* end) {
    while (p < end && ClassOf(*p) == kWord) ++p;
}

// Converts the number at the start of a word the way the C library's text-to-double
// conversion does, but the same under every locale: the longest prefix that is a number
// counts, and a word that does not start with one gives 0. `p` is left inside the word.
inline double ParseDouble(const char*& p, const char* end) {
    std::string_view t(p, std::size_t(end - p));
    double value = 0.0;
    if (base::ScanDouble(t, value)) p = t.data();
    return value;
}

// The first number of a face word ("3", "3/1", "3/1/2", "3//2"), read like "%d": an
// optional sign and at least one digit. The texture and normal numbers are not used.
// Numbers too large for any vertex saturate at a value that no file can reach.
inline bool ParseIndex(const char*& p, const char* end, long long& out) {
    std::string_view t(p, std::size_t(end - p));
    if (!base::ScanInteger(t, out)) return false;
    p = t.data();
    return true;
}

class Parser {
  public:
    explicit Parser(std::string_view text) : begin_(text.data()), end_(text.data() + text.size()) {
        // Room for the faces of a typical file (a hint: a file of shorter lines grows the
        // arrays; room that is never used costs no memory).
        const std::size_t lines = text.size() / 24 + 16;
        mesh.ReserveVertices(lines, lines);
        mesh.ReserveFaces(lines, 3 * lines);
    }

    bool Run(ReadResult* result);

    // The file's vertices, one normal per face (in face order) and the faces.
    rm::MeshBuilder mesh;

  private:
    bool VertexLine(const char*& p, ReadResult* result);
    bool FaceLine(const char*& p, ReadResult* result);
    bool LongFaceLine(const char*& p, const std::uint32_t* first, ReadResult* result);
    bool Corner(const char*& p, std::uint32_t& index, ReadResult* result) const;
    bool AddPolygon(ReadResult* result);

    const char* begin_;
    const char* end_;
    std::vector<std::uint32_t> corners_;  // a face line of more than kMaxCorners corners
    std::vector<rm::Vector> positions_;   // its corners' positions
    std::vector<rm::Triangle> triangles_;
    std::size_t line_ = 0;
};

// A malformed line: false, with the line number in the detail.
bool FailAt(ReadResult* result, const char* what, std::size_t line) {
    Fail(result, ReadFailure::Malformed,
         std::string(what) + " (line " + std::to_string(line) + ")");
    return false;
}

bool Parser::VertexLine(const char*& p, ReadResult* result) {
    rm::Vector v;
    float* xyz[3] = {&v.x, &v.y, &v.z};
    for (float* out : xyz) {
        if (!NextWord(p, end_))
            return FailAt(result, "vertex line with fewer than 3 coordinates", line_);
        *out = static_cast<float>(ParseDouble(p, end_));
        SkipWord(p, end_);
    }
    if (mesh.Vertices().size() >= kMaxCount) return FailAt(result, "too many vertices", line_);
    mesh.Vertices().push_back(v);
    return true;
}

// Reads the face word at `p` into a 0-based vertex index: 1 is the file's first vertex,
// -1 the last vertex before this line.
inline bool Parser::Corner(const char*& p, std::uint32_t& index, ReadResult* result) const {
    long long number = 0;
    if (!ParseIndex(p, end_, number))
        return FailAt(result, "face word is not a vertex number", line_);
    const auto count = static_cast<long long>(mesh.Vertices().size());
    const long long i = number > 0 ? number - 1 : count + number;
    if (number == 0 || i < 0 || i >= count) {
        return FailAt(result, "face names a vertex that does not exist", line_);
    }
    index = static_cast<std::uint32_t>(i);
    SkipWord(p, end_);
    return true;
}

// A face of up to kMaxCorners corners goes straight into the mesh with its own normal;
// points and edges (fewer than 3 corners) are not polygons and are skipped.
bool Parser::FaceLine(const char*& p, ReadResult* result) {
    std::uint32_t corners[kMaxCorners];
    std::size_t n = 0;
    while (NextWord(p, end_)) {
        if (n == kMaxCorners) return LongFaceLine(p, corners, result);
        if (!Corner(p, corners[n], result)) return false;
        ++n;
    }
    if (n < 3) return true;
    std::vector<rm::Vector>& normals = mesh.Normals();
    if (normals.size() >= kMaxCount) return FailAt(result, "too many faces", line_);
    const std::vector<rm::Vector>& v = mesh.Vertices();
    normals.push_back(FaceNormal(v[corners[0]], v[corners[1]], v[corners[2]]));
    const auto normal = static_cast<std::uint32_t>(normals.size() - 1);
    if (!mesh.AppendFace({corners, n}, normal)) return FailAt(result, "bad face", line_);
    return true;
}

// The rest of a face line with more than kMaxCorners corners; `first` holds the first
// kMaxCorners corners.
bool Parser::LongFaceLine(const char*& p, const std::uint32_t* first, ReadResult* result) {
    corners_.assign(first, first + kMaxCorners);
    while (NextWord(p, end_)) {
        std::uint32_t index = 0;
        if (!Corner(p, index, result)) return false;
        corners_.push_back(index);
    }
    if (mesh.Normals().size() >= kMaxCount) return FailAt(result, "too many faces", line_);
    return AddPolygon(result);
}

// A polygon of more than kMaxCorners corners becomes the triangles of SplitPolygon, which
// keep its outline; they share the polygon's normal.
bool Parser::AddPolygon(ReadResult* result) {
    positions_.clear();
    for (std::uint32_t v : corners_) positions_.push_back(mesh.Vertices()[v]);
    rm::SplitPolygon(positions_, triangles_);
    mesh.Normals().push_back(FaceNormal(positions_[0], positions_[1], positions_[2]));
    const auto normal = static_cast<std::uint32_t>(mesh.Normals().size() - 1);
    for (const rm::Triangle& t : triangles_) {
        const std::uint32_t corners[3] = {corners_[t[0]], corners_[t[1]], corners_[t[2]]};
        if (!mesh.AppendFace(corners, normal)) return FailAt(result, "bad face", line_);
    }
    return true;
}

bool Parser::Run(ReadResult* result) {
    const char* p = begin_;
    while (p < end_) {
        ++line_;
        // A line is dispatched on its first two characters: "v" or "f", then a blank.
        // "vt", "vn", "vp", comments, groups, materials, "l" and "p" are not read.
        if (end_ - p >= 2 && (p[1] == ' ' || p[1] == '\t')) {
            if (p[0] == 'v') {
                p += 2;
                if (!VertexLine(p, result)) return false;
            } else if (p[0] == 'f') {
                p += 2;
                if (!FaceLine(p, result)) return false;
            }
        }
        // Whatever is left of the line (a w component, text after a NUL) is not read.
        if (p < end_ && *p == '\n') {
            ++p;
        } else {
            const void* nl = std::memchr(p, '\n', std::size_t(end_ - p));
            p = nl ? static_cast<const char*>(nl) + 1 : end_;
        }
    }
    return true;
}

int BuildModel(Parser& parsed, model::ModelHost& host, ReadResult* result) {
    rm::MeshBuilderPtr temp = BeginRead(host, result);
    if (!temp) return 0;
    if (parsed.mesh.Normals().empty())
        return Fail(result, ReadFailure::Malformed, "the file holds no faces");
    if (!temp->AddMeshBuilder(std::move(parsed.mesh))) {
        return FailAddFaces(result, "failure on addfaces");
    }
    return FinishRead(host, *temp, result);
}

}  // namespace

int ReadObjText(std::string_view data, model::ModelHost& host, ReadResult* result) {
    return Guarded(result, [&] {
        Parser parser(data);
        if (!parser.Run(result)) return 0;
        return BuildModel(parser, host, result);
    });
}

int ReadObj(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result,
                        [&](std::string_view bytes) { return ReadObjText(bytes, host, result); });
}

}  // namespace formats
