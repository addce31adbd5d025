// Shared helpers of the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/numbers.h"
#include "model/face_table.h"
#include "model/model_host.h"
#include "rm/types.h"

namespace testing_support {

// A file of the real-world collection (tests/data/real), e.g. "mqo/ninja.mqo".
std::string RealFile(const std::string& relative);
// Every file under a folder of the real collection, sorted.
std::vector<std::string> RealFiles(const std::string& folder, bool recursive = true);
// The samples and every real file that a reader takes by its extension, sorted.
std::vector<std::string> ReadableModels();

// A fresh, empty folder for one test, removed when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& Dir() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

std::string ReadFile(const std::string& path);

// A copy of some bytes that ends where readable memory ends: the page after it cannot be
// read, so a reader that looks even one byte past the end crashes at once, in every
// build (not only under AddressSanitizer).
class BytesAtPageEnd {
  public:
    explicit BytesAtPageEnd(std::string_view bytes);
    ~BytesAtPageEnd();
    BytesAtPageEnd(const BytesAtPageEnd&) = delete;
    BytesAtPageEnd& operator=(const BytesAtPageEnd&) = delete;
    std::string_view View() const { return {data_, size_}; }

  private:
    void* map_ = nullptr;
    std::size_t mapSize_ = 0;
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};
void WriteFile(const std::string& path, const std::string& bytes);

// A model host with an empty mesh, and a table (heap: it is large).
struct Model {
    model::ModelHost host = model::ModelHost::CreateStandalone();
    std::unique_ptr<model::FaceTable> table = std::make_unique<model::FaceTable>();
    // ReadFromMesh then RebuildMesh, as the open command does after a reader.
    void Sync() {
        table->ReadFromMesh(host);
        table->RebuildMesh(host);
    }
};

// A test model built as a reader builds one: vertices, then faces through them, added to
// an empty mesh; Into reads the mesh into the table and rebuilds it, as an open does.
class ModelBuilder {
  public:
    // Vertices that faces name by index, numbered in the order given (after earlier ones).
    ModelBuilder& Vertices(const std::vector<rm::Vector>& points);
    // A face through the given vertices.
    ModelBuilder& Face(const std::vector<int>& corners);
    // A face through points of its own: new vertices, numbered after those before.
    ModelBuilder& FaceAt(const std::vector<rm::Vector>& points);
    // Of the last face: its colour, one normal for every corner, the corners' texture
    // coordinates (u, v), its texture.
    ModelBuilder& Color(int red, int green, int blue, int alpha = 255);
    ModelBuilder& Normal(const rm::Vector& n);
    ModelBuilder& Uv(const std::vector<std::pair<float, float>>& uv);
    ModelBuilder& Texture(rm::TexturePtr texture);
    // Puts the faces into the host's mesh (which must have none), then ReadFromMesh and
    // RebuildMesh. The table's faces come out unselected.
    void Into(model::ModelHost& host, model::FaceTable& table) const;
    void Into(Model& m) const { Into(m.host, *m.table); }

  private:
    struct FacePlan {
        std::vector<int> corners;
        rm::Color color = rm::MeshBuilder::kDefaultFaceColor;
        std::uint32_t normal = rm::MeshBuilder::kNoNormal;
        std::vector<std::pair<float, float>> uv;
        rm::TexturePtr texture;
    };
    FacePlan& Last();
    std::vector<rm::Vector> vertices_;
    std::vector<rm::Vector> normals_;
    std::vector<FacePlan> faces_;
};

// One more face through new vertices at `points`, appended as the polygon tool appends one
// (the mesh rebuilt, the table read back); returns its number in the table.
int AppendFace(model::FaceTable& table, model::ModelHost& host,
               const std::vector<rm::Vector>& points);

// Every coordinate of `got` within `tolerance` of `want`: EXPECT_TRUE(Near(a, b)).
::testing::AssertionResult Near(const rm::Vector& got, const rm::Vector& want,
                                double tolerance = 1e-5);

// A concave star of 2 x `points` corners in the plane z = `z`, anticlockwise seen from +Z:
// the even corners at radius 1 (the first on +X), the odd ones at `inner`.
std::vector<rm::Vector> Star(int points, float inner, float z = 0);
// The signed area of a polygon in the plane z = const (the shoelace formula), positive
// when its corners run anticlockwise seen from +Z.
double SignedArea(const std::vector<rm::Vector>& polygon);

// The selected corners of the table's faces. SelectedCornersAnywhere counts every flag of
// the arrays, inside the faces or not (a flag left outside them breaks the invariants).
int SelectedCorners(const model::FaceTable& table);
int SelectedCornersAnywhere(const model::FaceTable& table);

// A binary .x file written token by token behind its header ("xof 0303bin 0032", or 0064
// for 8-byte floats): 2-byte token words, 4-byte counts, little-endian.
class XTokens {
  public:
    explicit XTokens(int floatBits = 32);
    XTokens& Tok(int token);
    XTokens& Count(std::uint32_t n);
    // A name (token 1) or a string (token 2), with its count of bytes.
    XTokens& Name(const std::string& s, int token = 1);
    // A list of integers (token 6, 4 bytes each) or of floats (token 7, of floatBits).
    XTokens& List(int token, const std::vector<double>& values);
    XTokens& Open() { return Tok(10); }
    XTokens& Close() { return Tok(11); }

    int bits;
    std::string out;
};

// The bytes of one number, for files built in one expression ("FORM" + Be32(n) + ...).
inline std::string Be16(unsigned v) {
    std::string s;
    base::AppendBE16(s, v);
    return s;
}
inline std::string Be32(std::uint32_t v) {
    std::string s;
    base::AppendBE32(s, v);
    return s;
}
inline std::string BeFloat(float f) {
    std::string s;
    base::AppendBEFloat(s, f);
    return s;
}
inline std::string Le32(std::uint32_t v) {
    std::string s;
    base::AppendLE32(s, v);
    return s;
}
inline std::string LeFloats(std::initializer_list<float> values) {
    std::string s;
    for (const float f : values) base::AppendLEFloat(s, f);
    return s;
}

// The text with every "\n" made `end`, for listings written with "\n"; Crlf for CR LF.
std::string WithLineEnds(const std::string& text, const std::string& end);
inline std::string Crlf(const std::string& text) {
    return WithLineEnds(text, "\r\n");
}

// A chunk of an IFF file (LightWave's): its four-letter id, its size as four big-endian
// bytes, its data; or with a size that says otherwise.
inline std::string IffChunk(const char* id, const std::string& data, std::uint32_t claimedSize) {
    return std::string(id, 4) + Be32(claimedSize) + data;
}
inline std::string IffChunk(const char* id, const std::string& data) {
    return IffChunk(id, data, std::uint32_t(data.size()));
}

// The corners of every face of the host's mesh: " (x y z)" each, in whole numbers, every
// face ending in ','.
std::string CornerText(const Model& m);

// The corners of a mesh's last face, as CornerText writes them.
std::string LastFaceText(const rm::MeshBuilder& mesh);

// Whether two meshes have the same vertices and the same faces over them: the same corners
// in the same order, naming the same vertex numbers.
bool SameFaces(const rm::MeshBuilder& a, const rm::MeshBuilder& b);

// Sets LC_ALL for the scope; false from ok() when the locale is not installed.
class ScopedLocale {
  public:
    explicit ScopedLocale(const char* name);
    ~ScopedLocale();
    bool ok() const { return ok_; }

  private:
    std::string old_;
    bool ok_ = false;
};

}  // namespace testing_support
