// Wavefront OBJ reader. Vertex positions ("v"), texture coordinates ("vt"), faces ("f"),
// and, when the file names a material library that is found, the materials of "usemtl":
// colour (Kd), transparency (d, or Tr as 1 - d) and texture (map_Kd). Normals, groups,
// points and lines are ignored (normals are the model's own).
//
// The whole file is parsed in one pass over the bytes in memory straight into a mesh: the
// vertex list, one normal per face and the faces. Nothing is allocated per line. Vertex
// numbers count across the whole file (1 is the file's first "v" line, -1 the latest one
// before the face); a face names only vertices already read.
#include "formats/obj.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <vector>

#include "base/numbers.h"
#include "formats/reader.h"
#include "formats/text_io.h"
#include "rm/bitmap.h"
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
// optional sign and at least one digit; the texture number follows the first '/'. Numbers
// too large for any vertex saturate at a value that no file can reach.
inline bool ParseIndex(const char*& p, const char* end, long long& out) {
    std::string_view t(p, std::size_t(end - p));
    if (!base::ScanInteger(t, out)) return false;
    p = t.data();
    return true;
}

// A material of the library: what "usemtl" gives the faces after it.
struct ObjMaterial {
    rm::Color color = rm::MeshBuilder::kDefaultFaceColor;
    std::string texture;  // the map_Kd name, or empty
};
using MaterialLibrary = std::map<std::string, ObjMaterial, std::less<>>;

// The rest of a line after its keyword, without the blanks around it.
std::string_view RestOfLine(const char* p, const char* end) {
    const char* stop = p;
    while (stop < end && ClassOf(*stop) != kLineEnd) ++stop;
    std::string_view rest(p, std::size_t(stop - p));
    while (!rest.empty() && ClassOf(rest.front()) == kBlank) rest.remove_prefix(1);
    while (!rest.empty() && ClassOf(rest.back()) == kBlank) rest.remove_suffix(1);
    return rest;
}

// The line's keyword ("newmtl", "Kd"...) and what follows it.
bool SplitKeyword(std::string_view line, std::string_view& key, std::string_view& rest) {
    while (!line.empty() && ClassOf(line.front()) == kBlank) line.remove_prefix(1);
    std::size_t n = 0;
    while (n < line.size() && ClassOf(line[n]) == kWord) ++n;
    if (n == 0) return false;
    key = line.substr(0, n);
    rest = RestOfLine(line.data() + n, line.data() + line.size());
    return true;
}

// Reads a material library's text: "newmtl NAME" starts a material; Kd r g b (0..1) its
// colour; d its opacity, Tr its transparency (1 - d; d wins when both are given); map_Kd
// its texture, the last word of the line (options such as "-s 1 1 1" come before it).
// Other statements are skipped; a number that does not read leaves the value as it was.
void ParseMaterialLibrary(std::string_view text, MaterialLibrary& out) {
    LineReader lines(text);
    std::string_view line;
    ObjMaterial* current = nullptr;
    bool haveD = false;
    float kd[3] = {1, 1, 1};
    float opacity = 1;
    const auto finish = [&] {
        if (!current) return;
        current->color = rm::MakeColor(rm::ChannelToByte(opacity), rm::ChannelToByte(kd[0]),
                                       rm::ChannelToByte(kd[1]), rm::ChannelToByte(kd[2]));
    };
    while (lines.Next(line)) {
        std::string_view key;
        std::string_view rest;
        if (!SplitKeyword(line, key, rest)) continue;
        if (key == "newmtl") {
            finish();
            current = &out[std::string(rest)];
            *current = ObjMaterial{};
            haveD = false;
            kd[0] = kd[1] = kd[2] = 1;
            opacity = 1;
        } else if (!current) {
            continue;
        } else if (key == "Kd") {
            float rgb[3];
            std::string_view t = rest;
            if (ScanFloat(t, rgb[0]) && ScanFloat(t, rgb[1]) && ScanFloat(t, rgb[2])) {
                for (int i = 0; i < 3; ++i) kd[i] = rgb[i];
            }
        } else if (key == "d" || key == "Tr") {
            float value = 0;
            std::string_view t = rest;
            if (!ScanFloat(t, value)) continue;
            if (key == "d") {
                opacity = value;
                haveD = true;
            } else if (!haveD) {
                opacity = 1 - value;
            }
        } else if (key == "map_Kd") {
            const std::size_t cut = rest.find_last_of(" \t");
            current->texture =
                std::string(cut == std::string_view::npos ? rest : rest.substr(cut + 1));
        }
    }
    finish();
}

class Parser {
  public:
    explicit Parser(std::string_view text, std::string folder)
        : begin_(text.data()), end_(text.data() + text.size()), folder_(std::move(folder)) {
        // Room for the faces of a typical file (a hint: a file of shorter lines grows the
        // arrays; room that is never used costs no memory).
        const std::size_t lines = text.size() / 24 + 16;
        mesh.ReserveVertices(lines, lines);
        mesh.ReserveFaces(lines, 3 * lines);
    }

    bool Run(ReadResult* result);

    // The file's vertices, one normal per face (in face order) and the faces.
    rm::MeshBuilder mesh;
    // Texture names of the materials used, for the faces that carry them (by face index).
    std::vector<std::pair<std::size_t, const std::string*>> texturedFaces;
    bool libraryFound = false;

  private:
    bool VertexLine(const char*& p, ReadResult* result);
    void TexCoordLine(const char*& p);
    void LibraryLine(const char* p);
    void UseMaterialLine(const char* p);
    bool FaceLine(const char*& p, ReadResult* result);
    bool LongFaceLine(const char*& p, ReadResult* result);
    bool Corner(const char*& p, std::uint32_t& index, std::uint32_t& texCoord,
                ReadResult* result) const;
    bool AddPolygon(ReadResult* result);
    // Gives the faces from `firstFace` on the current material and their corners' texture
    // coordinates (`texCoords`, one per corner of the face line, kNone for none; `split`
    // the triangles of a long face, by corner of the line).
    void Dress(std::size_t firstFace, std::span<const std::uint32_t> texCoords,
               std::span<const rm::Triangle> split);

    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    const char* begin_;
    const char* end_;
    std::string folder_;  // the file's folder ("" or ending in '/'), where libraries are
    std::vector<std::uint32_t> corners_;    // the corners of a face line
    std::vector<std::uint32_t> texCoords_;  // their texture coordinates (kNone for none)
    std::vector<rm::Vector> positions_;     // a long face's corners' positions
    std::vector<rm::Triangle> triangles_;
    std::vector<std::pair<float, float>> uv_;  // "vt" lines, v counted from the top
    MaterialLibrary library_;
    const ObjMaterial* material_ = nullptr;  // the "usemtl" in force, or null
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
// The texture number after it names a "vt" line the same way; one that names none is
// not used (the corner has no texture coordinates, as before they were read).
inline bool Parser::Corner(const char*& p, std::uint32_t& index, std::uint32_t& texCoord,
                           ReadResult* result) const {
    long long number = 0;
    if (!ParseIndex(p, end_, number))
        return FailAt(result, "face word is not a vertex number", line_);
    const auto count = static_cast<long long>(mesh.Vertices().size());
    const long long i = number > 0 ? number - 1 : count + number;
    if (number == 0 || i < 0 || i >= count) {
        return FailAt(result, "face names a vertex that does not exist", line_);
    }
    index = static_cast<std::uint32_t>(i);
    texCoord = kNone;
    if (p < end_ && *p == '/' && !uv_.empty()) {
        const char* q = p + 1;
        long long t = 0;
        if (ParseIndex(q, end_, t)) {
            const auto uvCount = static_cast<long long>(uv_.size());
            const long long k = t > 0 ? t - 1 : uvCount + t;
            if (t != 0 && k >= 0 && k < uvCount) texCoord = static_cast<std::uint32_t>(k);
        }
        p = q;
    }
    SkipWord(p, end_);
    return true;
}

// "vt u v [w]": v is counted from the bottom of the image in the file, from the top in
// the model. A line whose numbers do not read still counts (as (0, 0)), so that later
// numbers keep their meaning.
void Parser::TexCoordLine(const char*& p) {
    float uv[2] = {0, 0};
    for (float& out : uv) {
        if (!NextWord(p, end_)) break;
        out = static_cast<float>(ParseDouble(p, end_));
        SkipWord(p, end_);
    }
    uv_.emplace_back(uv[0], 1.0f - uv[1]);
}

// "mtllib NAME...": each library found beside the file (or where its name leads) is read;
// one that is missing or unreadable adds nothing.
void Parser::LibraryLine(const char* p) {
    const std::string_view rest = RestOfLine(p, end_);
    // A name may hold blanks: the whole rest first, then word by word.
    std::vector<std::string> names{std::string(rest)};
    for (std::string_view t = rest, word; ScanWord(t, word);) {
        if (word.size() != rest.size()) names.emplace_back(word);
    }
    const std::string folders[] = {folder_};
    for (const std::string& name : names) {
        bool found = false;
        for (const std::string& path : rm::TextureCandidates(name, folders)) {
            rm::FileBytes bytes;
            std::error_code ec;
            if (!std::filesystem::is_regular_file(path, ec) || !rm::ReadFileBytes(path, bytes)) {
                continue;
            }
            ParseMaterialLibrary(bytes.View(), library_);
            found = libraryFound = true;
            break;
        }
        if (found && &name == &names.front()) break;  // the whole name was the file's
    }
}

void Parser::UseMaterialLine(const char* p) {
    const auto it = library_.find(RestOfLine(p, end_));
    material_ = it == library_.end() ? nullptr : &it->second;
}

void Parser::Dress(std::size_t firstFace, std::span<const std::uint32_t> texCoords,
                   std::span<const rm::Triangle> split) {
    for (std::size_t f = firstFace; f < mesh.FaceRecords().size(); ++f) {
        if (material_) {
            mesh.MutableFaceRecord(f).color = material_->color;
            if (!material_->texture.empty()) texturedFaces.emplace_back(f, &material_->texture);
        }
        const std::size_t n = mesh.FaceRecords()[f].cornerCount;
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t from = split.empty() ? k : split[f - firstFace][k];
            if (from < texCoords.size() && texCoords[from] != kNone) {
                const auto& [u, v] = uv_[texCoords[from]];
                mesh.SetCornerTextureCoordinates(f, k, u, v);
            }
        }
    }
}

// A face of up to kMaxCorners corners goes straight into the mesh with its own normal;
// points and edges (fewer than 3 corners) are not polygons and are skipped.
bool Parser::FaceLine(const char*& p, ReadResult* result) {
    std::uint32_t corners[kMaxCorners];
    std::uint32_t texCoords[kMaxCorners];
    std::size_t n = 0;
    while (NextWord(p, end_)) {
        if (n == kMaxCorners) {
            corners_.assign(corners, corners + n);
            texCoords_.assign(texCoords, texCoords + n);
            return LongFaceLine(p, result);
        }
        if (!Corner(p, corners[n], texCoords[n], result)) return false;
        ++n;
    }
    if (n < 3) return true;
    std::vector<rm::Vector>& normals = mesh.Normals();
    if (normals.size() >= kMaxCount) return FailAt(result, "too many faces", line_);
    const std::vector<rm::Vector>& v = mesh.Vertices();
    normals.push_back(FaceNormal(v[corners[0]], v[corners[1]], v[corners[2]]));
    const auto normal = static_cast<std::uint32_t>(normals.size() - 1);
    const std::size_t face = mesh.FaceRecords().size();
    if (!mesh.AppendFace({corners, n}, normal)) return FailAt(result, "bad face", line_);
    if (material_ || !uv_.empty()) Dress(face, {texCoords, n}, {});
    return true;
}

// The rest of a face line with more than kMaxCorners corners; corners_ and texCoords_ hold
// the first kMaxCorners corners.
bool Parser::LongFaceLine(const char*& p, ReadResult* result) {
    while (NextWord(p, end_)) {
        std::uint32_t index = 0;
        std::uint32_t texCoord = kNone;
        if (!Corner(p, index, texCoord, result)) return false;
        corners_.push_back(index);
        texCoords_.push_back(texCoord);
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
    const std::size_t face = mesh.FaceRecords().size();
    for (const rm::Triangle& t : triangles_) {
        const std::uint32_t corners[3] = {corners_[t[0]], corners_[t[1]], corners_[t[2]]};
        if (!mesh.AppendFace(corners, normal)) return FailAt(result, "bad face", line_);
    }
    if (material_ || !uv_.empty()) Dress(face, texCoords_, triangles_);
    return true;
}

bool Parser::Run(ReadResult* result) {
    const char* p = begin_;
    while (p < end_) {
        ++line_;
        // A line is dispatched on its first two characters: "v" or "f", then a blank;
        // then "vt", "mtllib" and "usemtl". "vn", "vp", comments, groups, "l" and "p" are
        // not read.
        if (end_ - p >= 2 && (p[1] == ' ' || p[1] == '\t')) {
            if (p[0] == 'v') {
                p += 2;
                if (!VertexLine(p, result)) return false;
            } else if (p[0] == 'f') {
                p += 2;
                if (!FaceLine(p, result)) return false;
            }
        } else if (end_ - p >= 3 && p[0] == 'v' && p[1] == 't' && ClassOf(p[2]) == kBlank) {
            p += 3;
            TexCoordLine(p);
        } else if (end_ - p >= 7 && ClassOf(p[6]) == kBlank) {
            if (std::memcmp(p, "mtllib", 6) == 0) LibraryLine(p + 6);
            if (std::memcmp(p, "usemtl", 6) == 0) UseMaterialLine(p + 6);
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

// The textures the materials name, each loaded once, through the root's search path and
// the file's folder. One that does not load keeps its name without pixels.
std::vector<std::string> LoadMaterialTextures(Parser& parsed, model::ModelHost& host,
                                              const std::string& folder) {
    std::vector<std::string> missing;
    if (parsed.texturedFaces.empty()) return missing;
    const std::vector<std::string> folders = ReaderTextureFolders(host, folder);
    std::map<const std::string*, rm::TexturePtr> loaded;
    for (const auto& [face, name] : parsed.texturedFaces) {
        auto it = loaded.find(name);
        if (it == loaded.end()) {
            rm::TexturePtr texture = rm::LoadTexture(*name, folders);
            if (!texture) {
                texture = std::make_shared<rm::Texture>(*name);
                missing.push_back(*name);
            }
            it = loaded.emplace(name, std::move(texture)).first;
        }
        parsed.mesh.SetFaceTexture(face, it->second);
    }
    return missing;
}

int BuildModel(Parser& parsed, model::ModelHost& host, ReadResult* result,
               const std::string& folder) {
    rm::MeshBuilderPtr temp = BeginRead(host, result);
    if (!temp) return 0;
    if (parsed.mesh.Normals().empty())
        return Fail(result, ReadFailure::Malformed, "the file holds no faces");
    std::vector<std::string> missing = LoadMaterialTextures(parsed, host, folder);
    if (!temp->AddMeshBuilder(std::move(parsed.mesh))) {
        return FailAddFaces(result, "failure on addfaces");
    }
    const int merged = FinishRead(host, *temp, result);
    if (merged && result) result->missingTextures = std::move(missing);
    return merged;
}

}  // namespace

int ReadObjText(std::string_view data, model::ModelHost& host, ReadResult* result,
                const std::string& folder) {
    return Guarded(result, [&] {
        Parser parser(data, folder);
        if (!parser.Run(result)) return 0;
        return BuildModel(parser, host, result, folder);
    });
}

int ReadObj(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result, [&](std::string_view bytes) {
        return ReadObjText(bytes, host, result, FolderOf(path));
    });
}

}  // namespace formats
