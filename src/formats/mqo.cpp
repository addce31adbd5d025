#include "formats/mqo.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "base/numbers.h"
#include "formats/reader.h"
#include "formats/text_io.h"

namespace formats {

namespace {

struct MqoMaterial {
    float red = 1.0f, green = 1.0f, blue = 1.0f, alpha = 1.0f;
    bool valid = false;  // false when the line's col(...) could not be read
};

struct MqoFace {
    std::vector<std::int32_t> corners;  // the file's indices in reverse order
    int material = -1;
};

struct MqoObject {
    std::vector<rm::Vector> vertices;
    std::vector<MqoFace> faces;
};

// First whitespace-delimited word of a line, lower-cased (keywords compare case-insensitively).
std::string FirstWord(std::string_view line) {
    std::string_view word;
    if (!ScanWord(line, word)) return {};
    return ToLower(word);
}

// `"name" ... col(r g b a) ...`. A quoted name may hold blanks. The colour attribute may
// stand anywhere after the name: writers of later versions put shader(...) and others
// first, also in documents that say "Ver 1.0". "col(" only counts at the start of a word
// (not the end of "vcol(").
MqoMaterial ParseMaterial(std::string_view line) {
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
    std::size_t at = 0;
    for (;; ++at) {
        at = line.find("col(", at);
        if (at == std::string_view::npos) return m;
        if (at == 0 || base::IsSpace(line[at - 1])) break;
    }
    line.remove_prefix(at + 4);
    if (ScanFloat(line, m.red) && ScanFloat(line, m.green) && ScanFloat(line, m.blue) &&
        ScanFloat(line, m.alpha)) {
        m.valid = true;
    }
    return m;
}

// `n V(i1 ... in) M(m) ...`: false when the line is malformed. `face.corners` holds the
// indices in reverse order.
bool ParseFace(std::string_view line, MqoFace& face) {
    int n = 0;
    if (!ScanInt(line, n) || n < 0) return false;
    if (!ScanLiteral(line, " V(")) return false;
    face.corners.assign(std::size_t(0), 0);
    face.corners.reserve(std::size_t(std::min(n, 64)));
    for (int k = 0; k < n; ++k) {
        int index = 0;
        if (!ScanInt(line, index)) return false;
        face.corners.push_back(index);
    }
    if (!ScanLiteral(line, " )")) return false;
    std::reverse(face.corners.begin(), face.corners.end());
    face.material = -1;
    int m = 0;
    if (ScanLiteral(line, " M(") && ScanInt(line, m)) face.material = m;
    return true;
}

struct Document {
    std::vector<MqoMaterial> materials;
    int materialCount = 0;
    std::vector<MqoObject> objects;
};

enum class Search { Found, NextObject, Fail };

// Skips lines until one whose first word is one of `words`. An "object" or "eof" line on
// the way ends the search (the object has no such block) and is left for the body loop.
Search SkipTo(LineReader& lines, std::initializer_list<std::string_view> words,
              std::string_view& line, std::string& word) {
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
    }
}

bool ParseObject(std::string_view text, LineReader& lines, MqoObject& object, ReadResult* result) {
    std::string_view line;
    std::string word;
    Search s = SkipTo(lines, {"bvertex", "vertex"}, line, word);
    if (s == Search::Fail) {
        return Fail(result, ReadFailure::Malformed, "end of file before the object's vertices");
    }
    if (s == Search::NextObject) return true;

    if (word == "bvertex") {
        // Next line: `Vector V [bytes]`, then V * 12 bytes of little-endian floats.
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
    } else {
        // `vertex N {` then N lines of three numbers.
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
    }

    s = SkipTo(lines, {"face"}, line, word);
    if (s == Search::Fail) {
        return Fail(result, ReadFailure::Malformed, "end of file before the object's faces");
    }
    if (s == Search::NextObject) return true;
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
        // Points and edges (fewer than 3 corners) are not polygons: skipped.
        if (face.corners.size() >= 3) object.faces.push_back(face);
    }
    return true;
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
        if (!(version <= 1.0f)) {
            return Fail(result, ReadFailure::Unsupported, "document version is newer than 1.0");
        }
    }
    while (lines.Next(line)) {
        const std::string word = FirstWord(line);
        if (word == "material") {
            std::string_view rest = line, w;
            int count = 0;
            if (!ScanWord(rest, w) || !ScanInt(rest, count) || count < 0) count = 0;
            doc.materials.clear();
            doc.materialCount = count;
            for (int i = 0; i < count && lines.Next(line); ++i) {
                doc.materials.push_back(ParseMaterial(line));
            }
        } else if (word == "object") {
            doc.objects.emplace_back();
            if (!ParseObject(text, lines, doc.objects.back(), result)) return false;
        }
    }
    return true;
}

int BuildModel(const Document& doc, model::ModelHost& host, ReadResult* result) {
    rm::MeshBuilderPtr temp = BeginRead(host, result);
    if (!temp) return 0;
    const int usable = std::min<int>(doc.materialCount, int(doc.materials.size()));
    std::vector<rm::Vector> normals;
    std::vector<int> faceMaterial;  // per mesh face: a face of more than 16 corners gives several
    FaceDataList data;
    for (const MqoObject& object : doc.objects) {
        normals.clear();
        faceMaterial.clear();
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
            faceMaterial.insert(faceMaterial.end(), faces, object.faces[f].material);
        }
        data.Finish();
        std::vector<rm::Face> added;
        if (!temp->AddFaces(object.vertices, normals, data.Data(), &added)) {
            return Fail(result, ReadFailure::MergeRefused, "the mesh refused the object's faces");
        }
        if (doc.materialCount > 0) {
            for (std::size_t f = 0; f < added.size() && f < faceMaterial.size(); ++f) {
                const int m = faceMaterial[f];
                if (m >= 0 && m < usable && m < 1000 && doc.materials[std::size_t(m)].valid) {
                    const MqoMaterial& mat = doc.materials[std::size_t(m)];
                    added[f].SetColorRGB(mat.red, mat.green, mat.blue);
                }
            }
        }
    }
    temp->Scale(0.01f, 0.01f, 0.01f);
    return FinishRead(host, *temp, result);
}

}  // namespace

int ReadMqoText(std::string_view text, model::ModelHost& host, ReadResult* result) {
    return Guarded(result, [&] {
        Document doc;
        if (!ParseDocument(text, doc, result)) return 0;
        return BuildModel(doc, host, result);
    });
}

int ReadMqo(const std::string& path, model::ModelHost& host, ReadResult* result) {
    return ReadFileThen(path, result,
                        [&](std::string_view bytes) { return ReadMqoText(bytes, host, result); });
}

std::string FormatMqo(const model::FaceTable& table) {
    // Materials: one per distinct red/green/blue, numbered in order of first appearance.
    std::vector<std::uint32_t> colors;  // 0x00RRGGBB
    const int faceCount = table.FacesToWrite();
    std::vector<int> faceMaterial(static_cast<std::size_t>(faceCount));
    for (int f = 0; f < faceCount; ++f) {
        const model::FaceColor& c = table.faceColor[f];
        const std::uint32_t key = (std::uint32_t(c.red & 0xFF) << 16) |
                                  (std::uint32_t(c.green & 0xFF) << 8) |
                                  std::uint32_t(c.blue & 0xFF);
        const auto it = std::find(colors.begin(), colors.end(), key);
        faceMaterial[std::size_t(f)] = int(it - colors.begin());
        if (it == colors.end()) colors.push_back(key);
    }

    std::string s;
    s.reserve(4096 + std::size_t(table.poolVertexCount) * 40 + std::size_t(faceCount) * 40);
    s += "Metasequoia Document\n";
    s += "Format Text Ver 1.0\n\n";
    s += "Scene {\n";
    s += "\tpos 0.0000 0.0000 1500.0000\n";
    s += "\tlookat 0.0000 0.0000 0.0000\n";
    s += "\thead 0.0000\n";
    s += "\tpich 0.0000\n";
    s += "\tortho 0\n";
    s += "\tzoom2 5.0000\n";
    s += "\tamb 0.250 0.250 0.250\n";
    s += "}\n";
    s += "Material ";
    AppendInt(s, static_cast<long long>(colors.size()));
    s += " {\n";
    const float inv255 = 1.0f / 255.0f;
    for (std::size_t m = 0; m < colors.size(); ++m) {
        s += "\t\"Kestrilune";
        AppendInt(s, static_cast<long long>(m));
        s += "\" col(";
        AppendFixed(s, double(float((colors[m] >> 16) & 0xFF) * inv255));
        s += ' ';
        AppendFixed(s, double(float((colors[m] >> 8) & 0xFF) * inv255));
        s += ' ';
        AppendFixed(s, double(float(colors[m] & 0xFF) * inv255));
        s += " 1.000) dif(1.000) amb(0.250) emi(0.250) spc(0.250) power(5.00)\n";
    }
    s += "}\n";
    s += "Object \"Kestrilune\" {\n";
    s += "\tvisible 15\n";
    s += "\tlocking 0\n";
    s += "\tshading 1\n";
    s += "\tfacet 89.5\n";
    s += "\tcolor 0.898 0.498 0.698\n";
    s += "\tcolor_type 0\n";
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

    // Triangles and quadrilaterals as they are; larger faces as a fan of triangles; points
    // and edges left out. The count line counts exactly the lines written.
    std::string faces;
    long long faceLines = 0;
    auto triangle = [&](int a, int b, int c, int material) {
        faces += "\t\t3 V(";
        AppendInt(faces, c);
        faces += ' ';
        AppendInt(faces, b);
        faces += ' ';
        AppendInt(faces, a);
        faces += ") M(";
        AppendInt(faces, material);
        faces += ")\n";
        ++faceLines;
    };
    for (int f = 0; f < faceCount; ++f) {
        const int n = table.CornersOf(f);
        const int* idx = table.vertexIndex[f];
        const int material = faceMaterial[std::size_t(f)];
        if (n == 4) {
            faces += "\t\t4 V(";
            for (int k = 3; k >= 0; --k) {
                AppendInt(faces, idx[k]);
                if (k > 0) faces += ' ';
            }
            faces += ") M(";
            AppendInt(faces, material);
            faces += ")\n";
            ++faceLines;
        } else if (n >= 3) {
            for (int k = 1; k + 1 < n; ++k) triangle(idx[0], idx[k], idx[k + 1], material);
        }
    }
    s += "\tface ";
    AppendInt(s, faceLines);
    s += " {\n";
    s += faces;
    s += "\t}\n";
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
