// STL reader. A binary file is an 80-byte header, a 32-bit triangle count and 50 bytes a
// triangle (normal, three corners, two attribute bytes); a text file is "solid", facets of
// "vertex x y z" lines inside "outer loop" ... "endloop", and "endsolid". The file's facet
// normals are not used: the model makes its own.
#include "formats/stl_read.h"

#include <limits>
#include <vector>

#include "base/numbers.h"
#include "formats/position_welder.h"
#include "formats/reader.h"
#include "formats/text_io.h"
#include "model/face_table.h"
#include "rm/file_io.h"

namespace formats {

namespace {

constexpr std::size_t kHeader = 84;
constexpr std::size_t kTriangle = 50;
constexpr std::uint64_t kMaxTriangles = std::uint64_t(std::numeric_limits<std::int32_t>::max());

// One triangle (or, in text, a facet of more corners) into the mesh: the corners at `p`,
// already welded to the vertices `corners`, with the facet's own normal.
bool AddFacet(rm::MeshBuilder& mesh, std::span<const rm::Vector> p, const std::uint32_t* corners) {
    mesh.Normals().push_back(FaceNormal(p[0], p[1], p[2]));
    return mesh.AppendFace({corners, p.size()},
                           static_cast<std::uint32_t>(mesh.Normals().size() - 1));
}

bool ParseBinary(std::string_view bytes, rm::MeshBuilder& mesh, ReadResult* result) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint64_t count = base::LoadLE32(b + 80);
    if (count > kMaxTriangles) return Fail(result, ReadFailure::Unsupported, "too many triangles");
    if (count * kTriangle > bytes.size() - kHeader) {
        return Fail(result, ReadFailure::Malformed,
                    "the file holds fewer triangles than it says (" + std::to_string(count) + ")");
    }
    mesh.ReserveFaces(count, count * 3);
    mesh.ReserveVertices(count / 2 + 3, count);
    PositionWelder welder(mesh.Vertices(), count / 2 + 3);
    // The table slots of the corners a few triangles ahead are fetched while this one is
    // welded; their hashes are kept until their turn.
    constexpr std::uint64_t kAhead = 16;
    std::uint64_t hashes[kAhead][3];
    const unsigned char* first = b + kHeader + 12;  // triangle 0's first corner
    const auto corner = [first](std::uint64_t t, int k) {
        const unsigned char* q = first + t * kTriangle + 12 * std::size_t(k);
        return rm::Vector{base::LoadLEFloat(q), base::LoadLEFloat(q + 4), base::LoadLEFloat(q + 8)};
    };
    const auto fetch = [&](std::uint64_t t) {
        for (int k = 0; k < 3; ++k) {
            hashes[t % kAhead][k] = PositionWelder::Hash(corner(t, k));
            welder.Prefetch(hashes[t % kAhead][k]);
        }
    };
    for (std::uint64_t t = 0; t < kAhead && t < count; ++t) fetch(t);
    for (std::uint64_t t = 0; t < count; ++t) {
        rm::Vector p[3];
        std::uint32_t corners[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = corner(t, k);
            corners[k] = welder.Find(p[k], hashes[t % kAhead][k]);
        }
        if (t + kAhead < count) fetch(t + kAhead);
        if (!AddFacet(mesh, p, corners)) return Fail(result, ReadFailure::Malformed, "bad face");
    }
    return true;
}

bool FailText(ReadResult* result, const char* what, std::size_t line) {
    return Fail(result, ReadFailure::Malformed,
                std::string(what) + " (line " + std::to_string(line) + ")");
}

// The text form, word by word: "facet" [normal ...] "outer" "loop", "vertex" x y z ...,
// "endloop" "endfacet". Several solids may follow one another.
bool ParseText(std::string_view text, rm::MeshBuilder& mesh, ReadResult* result) {
    mesh.ReserveFaces(text.size() / 256 + 1, 3 * (text.size() / 256 + 1));
    PositionWelder welder(mesh.Vertices(), text.size() / 512 + 1);
    LineReader lines(text);
    std::string_view line;
    std::size_t number = 0;
    std::vector<rm::Vector> facet;
    bool inLoop = false;
    while (lines.Next(line)) {
        ++number;
        std::string_view word;
        std::string_view rest = line;
        if (!ScanWord(rest, word)) continue;
        if (word == "vertex") {
            if (!inLoop) return FailText(result, "vertex outside a loop", number);
            rm::Vector v;
            if (!ScanFloat(rest, v.x) || !ScanFloat(rest, v.y) || !ScanFloat(rest, v.z)) {
                return FailText(result, "vertex with fewer than 3 coordinates", number);
            }
            if (facet.size() == model::MAX_FACE_VERTICES) {
                return FailText(result, "facet of more than 16 corners", number);
            }
            facet.push_back(v);
        } else if (word == "outer") {
            if (inLoop) return FailText(result, "loop inside a loop", number);
            inLoop = true;
            facet.clear();
        } else if (word == "endloop") {
            if (!inLoop) return FailText(result, "endloop without a loop", number);
            inLoop = false;
            if (facet.size() < 3) return FailText(result, "facet of fewer than 3 corners", number);
            if (mesh.Normals().size() >= kMaxTriangles) {
                return Fail(result, ReadFailure::Unsupported, "too many facets");
            }
            std::uint32_t corners[model::MAX_FACE_VERTICES];
            for (std::size_t k = 0; k < facet.size(); ++k) corners[k] = welder.Find(facet[k]);
            if (!AddFacet(mesh, facet, corners)) return FailText(result, "bad facet", number);
        } else if (word != "solid" && word != "endsolid" && word != "facet" && word != "endfacet") {
            return FailText(result, "not an STL statement", number);
        }
    }
    if (inLoop) return Fail(result, ReadFailure::Malformed, "the file ends inside a facet");
    return true;
}

// Text begins with "solid" after any blanks; a binary file whose header happens to begin so
// is known by its size matching its triangle count.
bool LooksLikeText(std::string_view bytes) {
    std::string_view s = bytes;
    SkipSpace(s);
    if (s.substr(0, 5) != "solid") return false;
    if (bytes.size() >= kHeader) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::uint64_t count = base::LoadLE32(b + 80);
        if (kHeader + count * kTriangle == bytes.size()) return false;
    }
    return true;
}

}  // namespace

int ReadStlBytes(std::string_view bytes, model::ModelHost& host, ReadResult* result) {
    return Guarded(result, [&] {
        rm::MeshBuilder mesh;
        const bool text = LooksLikeText(bytes);
        if (!text && bytes.size() < kHeader) {
            return Fail(result, ReadFailure::Malformed, "shorter than an STL header");
        }
        if (!(text ? ParseText(bytes, mesh, result) : ParseBinary(bytes, mesh, result))) {
            return 0;
        }
        if (mesh.GetFaceCount() == 0) {
            return Fail(result, ReadFailure::Malformed, "the file holds no triangles");
        }
        rm::MeshBuilderPtr temp = BeginRead(host, result);
        if (!temp) return 0;
        if (!temp->AddMeshBuilder(std::move(mesh))) {
            return Fail(result, ReadFailure::MergeRefused, "cannot add the triangles");
        }
        return FinishRead(host, *temp, result);
    });
}

// Read into a buffer, not mapped: the reader walks the whole file once, and an STL file is
// big for what it holds (50 bytes a triangle), so walking it mapped costs more than copying
// it (see rm::FileRead).
int ReadStl(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(
        path, result, [&](std::string_view bytes) { return ReadStlBytes(bytes, host, result); },
        rm::FileRead::Buffered);
}

}  // namespace formats
