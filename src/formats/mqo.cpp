#include "formats/mqo.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <new>
#include <vector>

#include "base/numbers.h"
#include "base/text_encoding.h"
#include "formats/face_groups.h"
#include "formats/reader.h"
#include "formats/text_io.h"
#include "rm/bitmap.h"

namespace formats {

namespace {

struct MqoMaterial {
    float red = 1.0f, green = 1.0f, blue = 1.0f, alpha = 1.0f;
    bool valid = false;   // false when the line's col(...) could not be read
    std::string texture;  // tex("..."), in UTF-8; empty for none
};

struct MqoFace {
    std::vector<std::int32_t> corners;  // the file's indices in reverse order
    std::vector<float> uv;              // u, v per corner in the same order, or empty
    int material = -1;
};

struct MqoObject {
    std::vector<rm::Vector> vertices;
    std::vector<MqoFace> faces;
    int mirror = 0;      // 0 none, 1 separate, 2 connected
    int mirrorAxis = 1;  // bits: 1 X, 2 Y, 4 Z
};

// First whitespace-delimited word of a line, lower-cased (keywords compare case-insensitively).
std::string FirstWord(std::string_view line) {
    std::string_view word;
    if (!ScanWord(line, word)) return {};
    return ToLower(word);
}

// The position just after `name(` where it starts a word of `line` ("col(" is not the end
// of "vcol("), or npos.
std::size_t FindAttribute(std::string_view line, std::string_view name) {
    for (std::size_t at = 0;; ++at) {
        at = line.find(name, at);
        if (at == std::string_view::npos) return at;
        if ((at == 0 || base::IsSpace(line[at - 1]) || line[at - 1] == ')') &&
            at + name.size() < line.size() && line[at + name.size()] == '(') {
            return at + name.size() + 1;
        }
    }
}

// `"name" ... col(r g b a) ... tex("file") ...`. A quoted name may hold blanks. Attributes
// may stand in any order after the name: writers of later versions put shader(...) and
// others first, also in documents that say "Ver 1.0". Text is in the document's code page.
MqoMaterial ParseMaterial(std::string_view line, bool utf8) {
    MqoMaterial m;
    SkipSpace(line);
    if (!line.empty() && line.front() == '"') {
        const auto close = line.find('"', 1);
        if (close == std::string_view::npos) return m;
        line.remove_prefix(close + 1);
    } else {
        std::string_view name;
        if (!ScanWord(line, name)) return m;
    }
    std::size_t at = FindAttribute(line, "tex");
    if (at != std::string_view::npos) {
        std::string_view rest = line.substr(at);
        SkipSpace(rest);
        // The quote cannot be the second byte of a Shift-JIS character (those are 0x40 and up).
        if (!rest.empty() && rest.front() == '"') {
            const auto close = rest.find('"', 1);
            if (close != std::string_view::npos) {
                const std::string_view raw = rest.substr(1, close - 1);
                m.texture = utf8 ? std::string(raw) : base::ShiftJisToUtf8(raw);
            }
        }
    }
    at = FindAttribute(line, "col");
    if (at == std::string_view::npos) return m;
    line.remove_prefix(at);
    if (ScanFloat(line, m.red) && ScanFloat(line, m.green) && ScanFloat(line, m.blue) &&
        ScanFloat(line, m.alpha)) {
        m.valid = true;
    }
    return m;
}

// `n V(i1 ... in) M(m) UV(u1 v1 ... un vn) ...`: false when the line is malformed. Attributes
// other than V, M and UV (UID, COL, CRS, ...) are passed over. `face.corners` holds the
// indices in reverse order, `face.uv` the coordinates in the same order.
bool ParseFace(std::string_view line, MqoFace& face) {
    int n = 0;
    if (!ScanInt(line, n) || n < 0) return false;
    face.corners.clear();
    face.uv.clear();
    face.material = -1;
    bool haveV = false;
    for (;;) {
        SkipSpace(line);
        if (line.empty()) break;
        const std::size_t open = line.find('(');
        if (open == std::string_view::npos) break;
        const std::string name = ToLower(line.substr(0, open));
        line.remove_prefix(open + 1);
        if (name == "v" && !haveV) {
            face.corners.reserve(std::size_t(std::min(n, 64)));
            for (int k = 0; k < n; ++k) {
                int index = 0;
                if (!ScanInt(line, index)) return false;
                face.corners.push_back(index);
            }
            haveV = true;
        } else if (name == "m") {
            int m = 0;
            if (ScanInt(line, m)) face.material = m;
        } else if (name == "uv") {
            std::vector<float> uv;
            uv.reserve(std::size_t(std::min(n, 64)) * 2);
            bool ok = true;
            for (int k = 0; k < 2 * n && ok; ++k) {
                float value = 0.0f;
                ok = ScanFloat(line, value);
                uv.push_back(value);
            }
            if (ok) face.uv = std::move(uv);
        }
        const std::size_t close = line.find(')');
        if (close == std::string_view::npos) {
            if (name == "v") return false;
            break;
        }
        line.remove_prefix(close + 1);
    }
    if (!haveV) return false;
    std::reverse(face.corners.begin(), face.corners.end());
    // Reverse the (u, v) pairs along with the corners.
    for (std::size_t a = 0, b = face.uv.size() / 2; a + 1 < b; ++a, --b) {
        std::swap(face.uv[2 * a], face.uv[2 * (b - 1)]);
        std::swap(face.uv[2 * a + 1], face.uv[2 * (b - 1) + 1]);
    }
    return true;
}

struct Document {
    std::vector<MqoMaterial> materials;
    int materialCount = 0;
    std::vector<MqoObject> objects;
    bool utf8 = false;  // "CodePage utf8"; otherwise names are Shift-JIS
};

enum class Search { Found, NextObject, Fail };

// Skips lines until one whose first word is one of `words`. An "object" or "eof" line on
// the way ends the search (the object has no such block) and is left for the body loop.
// `other` sees every line passed over, with its first word.
template <typename Other>
Search SkipTo(LineReader& lines, std::initializer_list<std::string_view> words,
              std::string_view& line, std::string& word, Other&& other) {
    for (;;) {
        const std::size_t before = lines.Offset();
        if (!lines.Next(line)) return Search::Fail;
        word = FirstWord(line);
        for (std::string_view w : words) {
            if (word == w) return Search::Found;
        }
        if (word == "object" || word == "eof") {
            lines.Seek(before);
            return Search::NextObject;
        }
        other(word, line);
    }
}

// A BVertex block: the next line is `Vector V [bytes]`, then V * 12 bytes of little-endian
// floats.
bool ReadBinaryVertices(std::string_view text, LineReader& lines, MqoObject& object,
                        ReadResult* result) {
    std::string_view line;
    if (!lines.Next(line)) {
        return Fail(result, ReadFailure::Malformed, "end of file in a BVertex block");
    }
    std::string_view rest = line, w;
    int count = 0;
    if (!ScanWord(rest, w) || !ScanInt(rest, count) || count < 0) {
        return Fail(result, ReadFailure::Malformed, "BVertex block without a vertex count");
    }
    const std::size_t start = lines.Offset();
    const std::size_t bytes = std::size_t(count) * 12;
    if (start > text.size() || bytes > text.size() - start) {
        return Fail(result, ReadFailure::Malformed,
                    "BVertex block is shorter than its vertex count");
    }
    const auto* p = reinterpret_cast<const unsigned char*>(text.data() + start);
    object.vertices.resize(std::size_t(count));
    for (auto& v : object.vertices) {
        v = {base::LoadLEFloat(p), base::LoadLEFloat(p + 4), base::LoadLEFloat(p + 8)};
        p += 12;
    }
    lines.Seek(start + bytes);
    return true;
}

// A text vertex block: `vertex N {` (the line given) then N lines of three numbers.
bool ReadTextVertices(std::string_view text, std::string_view line, LineReader& lines,
                      MqoObject& object, ReadResult* result) {
    std::string_view rest = line, w;
    int count = 0;
    if (!ScanWord(rest, w) || !ScanInt(rest, count) || count < 0) {
        return Fail(result, ReadFailure::Malformed, "vertex block without a vertex count");
    }
    object.vertices.reserve(std::min<std::size_t>(std::size_t(count), text.size() / 6 + 1));
    for (int i = 0; i < count; ++i) {
        rm::Vector v;
        if (!lines.Next(line)) {
            return Fail(result, ReadFailure::Malformed, "end of file in a vertex block");
        }
        if (!ScanFloat(line, v.x) || !ScanFloat(line, v.y) || !ScanFloat(line, v.z)) {
            return Fail(result, ReadFailure::Malformed, "malformed vertex line");
        }
        object.vertices.push_back(v);
    }
    return true;
}

// A face block: `face N {` (the line given) then N face lines; points and edges (fewer
// than 3 corners) are not polygons and are skipped.
bool ReadFaces(std::string_view text, std::string_view line, LineReader& lines, MqoObject& object,
               ReadResult* result) {
    std::string_view rest = line, w;
    int faceCount = 0;
    if (!ScanWord(rest, w) || !ScanInt(rest, faceCount) || faceCount < 0) {
        return Fail(result, ReadFailure::Malformed, "face block without a face count");
    }
    object.faces.reserve(std::min<std::size_t>(std::size_t(faceCount), text.size() / 8 + 1));
    MqoFace face;
    for (int i = 0; i < faceCount; ++i) {
        if (!lines.Next(line)) {
            return Fail(result, ReadFailure::Malformed, "end of file in a face block");
        }
        if (!ParseFace(line, face)) {
            return Fail(result, ReadFailure::Malformed, "malformed face line");
        }
        if (face.corners.size() >= 3) object.faces.push_back(face);
    }
    return true;
}

bool ParseObject(std::string_view text, LineReader& lines, MqoObject& object, ReadResult* result) {
    std::string_view line;
    std::string word;
    Search s = SkipTo(lines, {"bvertex", "vertex"}, line, word,
                      [&](const std::string& w, std::string_view l) {
                          std::string_view rest = l, first;
                          int value = 0;
                          if (!ScanWord(rest, first) || !ScanInt(rest, value)) return;
                          if (w == "mirror") object.mirror = value;
                          if (w == "mirror_axis") object.mirrorAxis = value;
                      });
    if (s == Search::Fail) {
        return Fail(result, ReadFailure::Malformed, "end of file before the object's vertices");
    }
    if (s == Search::NextObject) return true;
    const bool vertices = word == "bvertex" ? ReadBinaryVertices(text, lines, object, result)
                                            : ReadTextVertices(text, line, lines, object, result);
    if (!vertices) return false;

    s = SkipTo(lines, {"face"}, line, word, [](const std::string&, std::string_view) {});
    if (s == Search::Fail) {
        return Fail(result, ReadFailure::Malformed, "end of file before the object's faces");
    }
    if (s == Search::NextObject) return true;
    return ReadFaces(text, line, lines, object, result);
}

bool ParseDocument(std::string_view text, Document& doc, ReadResult* result) {
    LineReader lines(text);
    std::string_view line;
    if (!lines.Next(line) || FirstWord(line) != "metasequoia") {
        return Fail(result, ReadFailure::Malformed, "not a Metasequoia document");
    }
    {
        if (!lines.Next(line)) {
            return Fail(result, ReadFailure::Malformed, "no format line");
        }
        std::string_view rest = line, w1, w2, w3;
        if (!ScanWord(rest, w1) || !ScanWord(rest, w2) || !ScanWord(rest, w3) ||
            ToLower(w1) != "format" || ToLower(w2) != "text" || ToLower(w3) != "ver") {
            return Fail(result, ReadFailure::Malformed, "not a text Metasequoia document");
        }
        float version = 0.0f;  // a missing number counts as 0
        if (!ScanFloat(rest, version)) version = 0.0f;
        // Version 1.1 (written since the modeller's fourth release) keeps 1.0's objects and
        // faces; what it adds is skipped.
        if (!(version <= 1.1f)) {
            return Fail(result, ReadFailure::Unsupported, "document version is newer than 1.1");
        }
    }
    while (lines.Next(line)) {
        const std::string word = FirstWord(line);
        if (word == "codepage") {
            std::string_view rest = line, w, page;
            if (ScanWord(rest, w) && ScanWord(rest, page)) doc.utf8 = ToLower(page) == "utf8";
        } else if (word == "material") {
            std::string_view rest = line, w;
            int count = 0;
            if (!ScanWord(rest, w) || !ScanInt(rest, count) || count < 0) count = 0;
            doc.materials.clear();
            doc.materialCount = count;
            for (int i = 0; i < count && lines.Next(line); ++i) {
                doc.materials.push_back(ParseMaterial(line, doc.utf8));
            }
        } else if (word == "object") {
            doc.objects.emplace_back();
            if (!ParseObject(text, lines, doc.objects.back(), result)) return false;
        }
    }
    return true;
}

// The object's faces with its mirrored copies: for every combination of the mirror axes,
// the vertices reflected through the object's origin, each face again in the reflected
// vertices, its corners reversed when an odd number of axes is reflected (so that it faces
// outward). A connected mirror (2) is drawn the same way: only its editing differs.
void AddMirrors(MqoObject& object) {
    if (object.mirror != 1 && object.mirror != 2) return;
    const int axes = object.mirrorAxis & 7;
    if (axes == 0) return;
    const std::size_t vertexCount = object.vertices.size();
    const std::size_t faceCount = object.faces.size();
    for (int mask = 1; mask <= 7; ++mask) {
        if ((mask & axes) != mask) continue;
        const auto offset = static_cast<std::int32_t>(object.vertices.size());
        for (std::size_t i = 0; i < vertexCount; ++i) {
            rm::Vector v = object.vertices[i];
            if (mask & 1) v.x = -v.x;
            if (mask & 2) v.y = -v.y;
            if (mask & 4) v.z = -v.z;
            object.vertices.push_back(v);
        }
        const bool flip = (((mask & 1) + ((mask >> 1) & 1) + ((mask >> 2) & 1)) % 2) != 0;
        for (std::size_t f = 0; f < faceCount; ++f) {
            MqoFace copy = object.faces[f];
            for (std::int32_t& index : copy.corners) {
                // Out-of-range indices stay out of range (the build refuses them).
                if (index >= 0 && std::size_t(index) < vertexCount) index += offset;
            }
            if (flip) {
                std::reverse(copy.corners.begin(), copy.corners.end());
                for (std::size_t x = 0, y = copy.uv.size() / 2; x + 1 < y; ++x, --y) {
                    std::swap(copy.uv[2 * x], copy.uv[2 * (y - 1)]);
                    std::swap(copy.uv[2 * x + 1], copy.uv[2 * (y - 1) + 1]);
                }
            }
            object.faces.push_back(std::move(copy));
        }
    }
}

// One texture per material that names one, shared by its faces.
std::vector<rm::TexturePtr> MaterialTextures(const Document& doc, int usable) {
    std::vector<rm::TexturePtr> textures(std::size_t(std::max(usable, 0)));
    for (int m = 0; m < usable; ++m) {
        const std::string& name = doc.materials[std::size_t(m)].texture;
        if (!name.empty()) textures[std::size_t(m)] = std::make_shared<rm::Texture>(name);
    }
    return textures;
}

// An object's faces cut into the mesh's faces: their normals, per mesh face the polygon it
// came from (several for a cut one), and the face data. Fails on a corner that names no
// vertex.
bool CutObjectFaces(const MqoObject& object, std::vector<rm::Vector>& normals,
                    std::vector<std::size_t>& faceOrigin, FaceDataList& data, ReadResult* result) {
    normals.clear();
    faceOrigin.clear();
    data.Clear();
    for (std::size_t f = 0; f < object.faces.size(); ++f) {
        const auto& corners = object.faces[f].corners;
        for (std::int32_t index : corners) {
            if (index < 0 || std::size_t(index) >= object.vertices.size()) {
                return Fail(result, ReadFailure::Malformed,
                            "a face names a vertex that does not exist");
            }
        }
        normals.push_back(FaceNormal(object.vertices[std::size_t(corners[0])],
                                     object.vertices[std::size_t(corners[1])],
                                     object.vertices[std::size_t(corners[2])]));
        const std::size_t faces =
            data.AddPolygon(object.vertices, corners, static_cast<std::int32_t>(f));
        faceOrigin.insert(faceOrigin.end(), faces, f);
    }
    data.Finish();
    return true;
}

// The texture coordinates of mesh face f, cut from `face` (whole: the polygon was not cut).
// A cut polygon's triangles find their corners by vertex; base is the object's first
// vertex in the mesh.
void SetFaceUv(const MqoFace& face, bool whole, std::size_t base, rm::Face& added) {
    const int n = added.GetVertexCount();
    for (int k = 0; k < n; ++k) {
        std::size_t at = std::size_t(k);
        if (!whole) {
            const long long local = added.GetVertexIndex(k) - static_cast<long long>(base);
            const auto it = std::find(face.corners.begin(), face.corners.end(), local);
            at = std::size_t(it - face.corners.begin());
        }
        if (at < face.corners.size()) {
            added.SetTextureCoordinates(k, face.uv[2 * at], face.uv[2 * at + 1]);
        }
    }
}

// The added faces' colours, textures and texture coordinates from their polygons.
void DressFaces(const Document& doc, int usable, const std::vector<rm::TexturePtr>& textures,
                const MqoObject& object, const std::vector<std::size_t>& faceOrigin,
                std::size_t base, std::vector<rm::Face>& added) {
    for (std::size_t f = 0; f < added.size() && f < faceOrigin.size(); ++f) {
        const MqoFace& face = object.faces[faceOrigin[f]];
        const int m = face.material;
        if (m >= 0 && m < usable && m < 1000) {
            const MqoMaterial& mat = doc.materials[std::size_t(m)];
            if (mat.valid) added[f].SetColorRGB(mat.red, mat.green, mat.blue);
            if (textures[std::size_t(m)]) added[f].SetTexture(textures[std::size_t(m)]);
        }
        if (face.uv.empty()) continue;
        const bool whole = std::size_t(added[f].GetVertexCount()) == face.corners.size() &&
                           (f + 1 >= faceOrigin.size() || faceOrigin[f + 1] != faceOrigin[f]) &&
                           (f == 0 || faceOrigin[f - 1] != faceOrigin[f]);
        SetFaceUv(face, whole, base, added[f]);
    }
}

int BuildModel(Document& doc, const std::string& path, model::ModelHost& host, ReadResult* result) {
    rm::MeshBuilderPtr temp = BeginRead(host, result);
    if (!temp) return 0;
    const int usable = std::min<int>(doc.materialCount, int(doc.materials.size()));
    const std::vector<rm::TexturePtr> textures = MaterialTextures(doc, usable);
    std::vector<rm::Vector> normals;
    std::vector<std::size_t> faceOrigin;  // per mesh face, its polygon (several for a split one)
    FaceDataList data;
    for (MqoObject& object : doc.objects) {
        AddMirrors(object);
        if (!CutObjectFaces(object, normals, faceOrigin, data, result)) return 0;
        const std::size_t base = temp->GetVertexCount();
        std::vector<rm::Face> added;
        if (!temp->AddFaces(object.vertices, normals, data.Data(), &added)) {
            return Fail(result, ReadFailure::MergeRefused, "the mesh refused the object's faces");
        }
        DressFaces(doc, usable, textures, object, faceOrigin, base, added);
    }
    temp->Scale(0.01f, 0.01f, 0.01f);
    std::vector<std::string> missing;
    if (!path.empty() &&
        std::any_of(textures.begin(), textures.end(), [](const auto& t) { return t != nullptr; })) {
        missing = rm::LoadMeshTextures(*temp, ReaderTextureFolders(host, FolderOf(path)));
    }
    const int merged = FinishRead(host, *temp, result);
    if (merged && result) result->missingTextures = std::move(missing);
    return merged;
}

}  // namespace

int ReadMqoText(std::string_view text, model::ModelHost& host, ReadResult* result,
                const std::string& path) {
    return Guarded(result, [&] {
        Document doc;
        if (!ParseDocument(text, doc, result)) return 0;
        return BuildModel(doc, path, host, result);
    });
}

int ReadMqo(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result, [&](std::string_view bytes) {
        return ReadMqoText(bytes, host, result, path);
    });
}

namespace {

// The scene block: a camera looking at the origin from 1500 units along z.
void AppendScene(std::string& s) {
    s += "Scene {\n";
    s += "\tpos 0.0000 0.0000 1500.0000\n";
    s += "\tlookat 0.0000 0.0000 0.0000\n";
    s += "\thead 0.0000\n";
    s += "\tpich 0.0000\n";
    s += "\tortho 0\n";
    s += "\tzoom2 5.0000\n";
    s += "\tamb 0.250 0.250 0.250\n";
    s += "}\n";
}

// One material a colour, named by its number.
void AppendMaterials(std::string& s, const std::vector<rm::Color>& colors) {
    s += "Material ";
    AppendInt(s, static_cast<long long>(colors.size()));
    s += " {\n";
    const float inv255 = 1.0f / 255.0f;
    for (std::size_t m = 0; m < colors.size(); ++m) {
        s += "\t\"Kestrilune";
        AppendInt(s, static_cast<long long>(m));
        s += "\" col(";
        AppendFixed(s, double(float(rm::ColorRed(colors[m])) * inv255));
        s += ' ';
        AppendFixed(s, double(float(rm::ColorGreen(colors[m])) * inv255));
        s += ' ';
        AppendFixed(s, double(float(rm::ColorBlue(colors[m])) * inv255));
        s += " 1.000) dif(1.000) amb(0.250) emi(0.250) spc(0.250) power(5.00)\n";
    }
    s += "}\n";
}

// The object's vertex block, in the format's units (a hundred to the model's one).
void AppendVertices(std::string& s, const model::FaceTable& table) {
    const int pool = std::clamp(table.poolVertexCount, 0, model::MAX_POOL_VERTICES);
    s += "\tvertex ";
    AppendInt(s, pool);
    s += " {\n";
    for (int i = 0; i < pool; ++i) {
        const rm::Vector& v = table.vertexPool[i];
        s += "\t\t";
        AppendFixed(s, double(v.x) * 100.0);
        s += ' ';
        AppendFixed(s, double(v.y) * 100.0);
        s += ' ';
        AppendFixed(s, double(v.z) * 100.0);
        s += '\n';
    }
    s += "\t}\n";
}

// A face line: its corners in reverse order, then its material.
void AppendFaceLine(std::string& faces, std::initializer_list<int> reversed, int material) {
    faces += reversed.size() == 4 ? "\t\t4 V(" : "\t\t3 V(";
    bool first = true;
    for (int index : reversed) {
        if (!first) faces += ' ';
        first = false;
        AppendInt(faces, index);
    }
    faces += ") M(";
    AppendInt(faces, material);
    faces += ")\n";
}

// The object's face block. Triangles and quadrilaterals as they are; larger faces as a fan
// of triangles; points and edges left out. The count line counts exactly the lines written.
void AppendFaces(std::string& s, const model::FaceTable& table, int faceCount,
                 const std::vector<int>& faceMaterial) {
    std::string faces;
    long long faceLines = 0;
    for (int f = 0; f < faceCount; ++f) {
        const int n = table.CornersOf(f);
        const int* idx = table.vertexIndex[f];
        const int material = faceMaterial[std::size_t(f)];
        if (n == 4) {
            AppendFaceLine(faces, {idx[3], idx[2], idx[1], idx[0]}, material);
            ++faceLines;
        } else if (n >= 3) {
            for (int k = 1; k + 1 < n; ++k) {
                AppendFaceLine(faces, {idx[k + 1], idx[k], idx[0]}, material);
                ++faceLines;
            }
        }
    }
    s += "\tface ";
    AppendInt(s, faceLines);
    s += " {\n";
    s += faces;
    s += "\t}\n";
}

}  // namespace

std::string FormatMqo(const model::FaceTable& table) {
    // Materials: one per distinct red/green/blue, numbered in order of first appearance.
    const int faceCount = table.FacesToWrite();
    const FaceGroups<rm::Color> materials = GroupFacesByRgb(table, faceCount);

    std::string s;
    s.reserve(4096 + std::size_t(table.poolVertexCount) * 40 + std::size_t(faceCount) * 40);
    s += "Metasequoia Document\n";
    s += "Format Text Ver 1.0\n\n";
    AppendScene(s);
    AppendMaterials(s, materials.keys);
    s += "Object \"Kestrilune\" {\n";
    s += "\tvisible 15\n";
    s += "\tlocking 0\n";
    s += "\tshading 1\n";
    s += "\tfacet 89.5\n";
    s += "\tcolor 0.898 0.498 0.698\n";
    s += "\tcolor_type 0\n";
    AppendVertices(s, table);
    AppendFaces(s, table, faceCount, materials.ofFace);
    s += "}\n";
    s += "Eof\n";

    std::string crlf;
    crlf.reserve(s.size() + s.size() / 16);
    AppendCrlf(crlf, s);
    return crlf;
}

int WriteMqo(const std::string& path, const model::FaceTable& table, std::string* error) {
    return WriteFormatted(path, error, [&] { return FormatMqo(table); });
}

}  // namespace formats
