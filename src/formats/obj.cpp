// Wavefront OBJ reader. Only vertex positions ("v" lines) and faces ("f" lines) are used;
// texture coordinates, normals, groups, materials, points and lines are ignored.
//
// The whole file is parsed in one pass over the bytes in memory into flat arrays: the
// vertex list, one normal per face and the face-data list in the layout AddFaces takes.
// Nothing is allocated per line. Vertex numbers count across the whole file (1 is the
// file's first "v" line, -1 the latest one before the face), so one AddFaces call takes
// every face of the file.
#include "formats/obj.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <type_traits>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

// A growable array of plain values that is never zero-filled. Small arrays live on the
// heap and grow with realloc. Large ones are mapped pages (Linux) that grow by remapping,
// never by copying, and ask for huge pages: a big file otherwise spends much of its time
// faulting in 4 KiB pages one at a time.
template <class T>
class FlatBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    FlatBuffer() = default;
    FlatBuffer(const FlatBuffer&) = delete;
    FlatBuffer& operator=(const FlatBuffer&) = delete;
    ~FlatBuffer() { Release(); }

    // Room for `extra` more values after the last one; returns where they go.
    T* Ensure(std::size_t extra) {
        if (capacity_ - size_ < extra) Grow(extra);
        return data_ + size_;
    }
    // Takes `count` values written after the last one into the array.
    void Commit(std::size_t count) { size_ += count; }
    void Push(const T& value) {
        *Ensure(1) = value;
        ++size_;
    }
    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    std::span<const T> Span() const { return {data_, size_}; }

  private:
    void Grow(std::size_t extra) {
        constexpr std::size_t kLimit = std::numeric_limits<std::size_t>::max() / sizeof(T) / 4;
        if (extra > kLimit - size_) throw std::bad_alloc();
        std::size_t capacity = std::max({size_ + extra, capacity_ * 2, std::size_t(1024)});
#if defined(__linux__)
        constexpr std::size_t kHuge = std::size_t(2) << 20;
        std::size_t bytes = capacity * sizeof(T);
        if (bytes >= 2 * kHuge) {
            bytes = (bytes + kHuge - 1) / kHuge * kHuge;
            void* grown = MAP_FAILED;
            if (mappedBytes_ != 0) {
                grown = ::mremap(data_, mappedBytes_, bytes, MREMAP_MAYMOVE);
            } else {
                grown = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                               -1, 0);
                if (grown != MAP_FAILED && size_ > 0) std::memcpy(grown, data_, size_ * sizeof(T));
            }
            if (grown == MAP_FAILED) throw std::bad_alloc();
            ::madvise(grown, bytes, MADV_HUGEPAGE);  // a hint: failure changes nothing
            if (mappedBytes_ == 0) std::free(data_);
            data_ = static_cast<T*>(grown);
            capacity_ = bytes / sizeof(T);
            mappedBytes_ = bytes;
            return;
        }
#endif
        void* grown = std::realloc(data_, capacity * sizeof(T));
        if (!grown) throw std::bad_alloc();
        data_ = static_cast<T*>(grown);
        capacity_ = capacity;
    }

    void Release() {
#if defined(__linux__)
        if (mappedBytes_ != 0) {
            ::munmap(data_, mappedBytes_);
            return;
        }
#endif
        std::free(data_);
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t mappedBytes_ = 0;  // the size of the mapping, 0 while on the heap
};

class Parser {
  public:
    explicit Parser(std::string_view text) : begin_(text.data()), end_(text.data() + text.size()) {}

    bool Run(ReadResult* result);

    FlatBuffer<rm::Vector> vertices;
    FlatBuffer<rm::Vector> normals;     // one per face, in face order
    FlatBuffer<std::int32_t> faceData;  // per face n, then n (vertex, normal) pairs

  private:
    bool VertexLine(const char*& p, ReadResult* result);
    bool FaceLine(const char*& p, ReadResult* result);
    bool LongFaceLine(const char*& p, const std::int32_t* firstPairs, ReadResult* result);
    bool Corner(const char*& p, std::int32_t& index, ReadResult* result) const;
    void AddPolygon();

    const char* begin_;
    const char* end_;
    std::vector<std::int32_t> corners_;  // a face line of more than kMaxCorners corners
    std::vector<rm::Vector> positions_;  // its corners' positions
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
    if (vertices.Size() >= kMaxCount) return FailAt(result, "too many vertices", line_);
    vertices.Push(v);
    return true;
}

// Reads the face word at `p` into a 0-based vertex index: 1 is the file's first vertex,
// -1 the last vertex before this line.
inline bool Parser::Corner(const char*& p, std::int32_t& index, ReadResult* result) const {
    long long number = 0;
    if (!ParseIndex(p, end_, number))
        return FailAt(result, "face word is not a vertex number", line_);
    const long long count = static_cast<long long>(vertices.Size());
    const long long i = number > 0 ? number - 1 : count + number;
    if (number == 0 || i < 0 || i >= count) {
        return FailAt(result, "face names a vertex that does not exist", line_);
    }
    index = static_cast<std::int32_t>(i);
    SkipWord(p, end_);
    return true;
}

// A face of up to kMaxCorners corners goes straight into the face-data list; points and
// edges (fewer than 3 corners) are not polygons and are skipped.
bool Parser::FaceLine(const char*& p, ReadResult* result) {
    std::int32_t* const head = faceData.Ensure(1 + 2 * kMaxCorners);
    const auto normalIndex = static_cast<std::int32_t>(normals.Size());
    std::int32_t* out = head + 1;
    std::size_t n = 0;
    while (NextWord(p, end_)) {
        if (n == kMaxCorners) return LongFaceLine(p, head + 1, result);
        if (!Corner(p, out[0], result)) return false;
        out[1] = normalIndex;
        out += 2;
        ++n;
    }
    if (n < 3) return true;
    if (normals.Size() >= kMaxCount) return FailAt(result, "too many faces", line_);
    head[0] = static_cast<std::int32_t>(n);
    faceData.Commit(1 + 2 * n);
    normals.Push(FaceNormal(vertices[std::size_t(head[1])], vertices[std::size_t(head[3])],
                            vertices[std::size_t(head[5])]));
    return true;
}

// The rest of a face line with more than kMaxCorners corners; `firstPairs` holds the
// first kMaxCorners (vertex, normal) pairs, not yet part of the list.
bool Parser::LongFaceLine(const char*& p, const std::int32_t* firstPairs, ReadResult* result) {
    corners_.clear();
    for (std::size_t k = 0; k < kMaxCorners; ++k) corners_.push_back(firstPairs[2 * k]);
    while (NextWord(p, end_)) {
        std::int32_t index = 0;
        if (!Corner(p, index, result)) return false;
        corners_.push_back(index);
    }
    if (normals.Size() >= kMaxCount) return FailAt(result, "too many faces", line_);
    AddPolygon();
    return true;
}

// A polygon of more than kMaxCorners corners becomes the triangles of SplitPolygon, which
// keep its outline; they share the polygon's normal.
void Parser::AddPolygon() {
    const auto normalIndex = static_cast<std::int32_t>(normals.Size());
    const std::int32_t* c = corners_.data();
    positions_.clear();
    for (std::int32_t v : corners_) positions_.push_back(vertices[std::size_t(v)]);
    rm::SplitPolygon(positions_, triangles_);
    std::int32_t* out = faceData.Ensure(7 * triangles_.size());
    for (const rm::Triangle& t : triangles_) {
        *out++ = 3;
        for (std::uint32_t k : t) {
            *out++ = c[k];
            *out++ = normalIndex;
        }
    }
    faceData.Commit(7 * triangles_.size());
    normals.Push(FaceNormal(positions_[0], positions_[1], positions_[2]));
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
    if (parsed.normals.Empty())
        return Fail(result, ReadFailure::Malformed, "the file holds no faces");
    parsed.faceData.Push(0);
    if (!temp->AddFaces(parsed.vertices.Span(), parsed.normals.Span(), parsed.faceData.Span())) {
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
