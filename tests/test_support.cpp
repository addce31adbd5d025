#include "test_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <numbers>
#include <random>
#include <sstream>
#include <stdexcept>

#include "base/numbers.h"
#include "formats/registry.h"
#include "model/table_edits.h"

namespace testing_support {

std::string RealFile(const std::string& relative) {
    const char* env = std::getenv("KESTRILUNE_REAL_DATA");
    const std::string base = env && *env ? env : KESTRILUNE_REAL_DATA;
    return base + "/" + relative;
}

std::vector<std::string> RealFiles(const std::string& folder, bool recursive) {
    std::vector<std::string> out;
    const std::filesystem::path root = RealFile(folder);
    if (recursive) {
        for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
            if (e.is_regular_file()) out.push_back(e.path().string());
        }
    } else {
        for (const auto& e : std::filesystem::directory_iterator(root)) {
            if (e.is_regular_file()) out.push_back(e.path().string());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> ReadableModels() {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(KESTRILUNE_SAMPLES)) {
        if (e.is_regular_file() && formats::FindReader(e.path().string()))
            files.push_back(e.path().string());
    }
    for (const std::string& f : RealFiles("")) {
        if (formats::FindReader(f)) files.push_back(f);
    }
    std::sort(files.begin(), files.end());
    return files;
}

TempDir::TempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        dir_ = base / ("kestrilune-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(dir_)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

BytesAtPageEnd::BytesAtPageEnd(std::string_view bytes) : size_(bytes.size()) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t readable = (bytes.size() + page - 1) / page * page;
    mapSize_ = readable + page;
    map_ = mmap(nullptr, mapSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map_ == MAP_FAILED) throw std::runtime_error("cannot map a guarded buffer");
    char* base = static_cast<char*>(map_);
    if (mprotect(base + readable, page, PROT_NONE) != 0) {
        munmap(map_, mapSize_);
        throw std::runtime_error("cannot protect the guard page");
    }
    char* at = base + readable - bytes.size();
    std::copy(bytes.begin(), bytes.end(), at);
    data_ = at;
}

BytesAtPageEnd::~BytesAtPageEnd() {
    munmap(map_, mapSize_);
}

ModelBuilder& ModelBuilder::Vertices(const std::vector<rm::Vector>& points) {
    vertices_.insert(vertices_.end(), points.begin(), points.end());
    return *this;
}

ModelBuilder& ModelBuilder::Face(const std::vector<int>& corners) {
    FacePlan face;
    face.corners = corners;
    faces_.push_back(std::move(face));
    return *this;
}

ModelBuilder& ModelBuilder::FaceAt(const std::vector<rm::Vector>& points) {
    std::vector<int> corners;
    for (const rm::Vector& p : points) {
        corners.push_back(int(vertices_.size()));
        vertices_.push_back(p);
    }
    return Face(corners);
}

ModelBuilder::FacePlan& ModelBuilder::Last() {
    if (faces_.empty()) throw std::logic_error("ModelBuilder: no face yet");
    return faces_.back();
}

ModelBuilder& ModelBuilder::Color(int red, int green, int blue, int alpha) {
    Last().color = rm::MakeColor(unsigned(alpha), unsigned(red), unsigned(green), unsigned(blue));
    return *this;
}

ModelBuilder& ModelBuilder::Normal(const rm::Vector& n) {
    Last().normal = std::uint32_t(normals_.size());
    normals_.push_back(n);
    return *this;
}

ModelBuilder& ModelBuilder::Uv(const std::vector<std::pair<float, float>>& uv) {
    Last().uv = uv;
    return *this;
}

ModelBuilder& ModelBuilder::Texture(rm::TexturePtr texture) {
    Last().texture = std::move(texture);
    return *this;
}

void ModelBuilder::Into(model::ModelHost& host, model::FaceTable& table) const {
    rm::MeshBuilder& mesh = *host.m_pMesh;
    ASSERT_EQ(mesh.GetFaceCount(), 0) << "ModelBuilder builds into an empty mesh";
    const std::uint32_t firstVertex = std::uint32_t(mesh.GetVertexCount());
    const std::uint32_t firstNormal = std::uint32_t(mesh.Normals().size());
    mesh.Vertices().insert(mesh.Vertices().end(), vertices_.begin(), vertices_.end());
    mesh.Normals().insert(mesh.Normals().end(), normals_.begin(), normals_.end());
    for (const FacePlan& planned : faces_) {
        std::vector<std::uint32_t> corners;
        for (const int v : planned.corners) corners.push_back(firstVertex + std::uint32_t(v));
        const std::uint32_t normal = planned.normal == rm::MeshBuilder::kNoNormal
                                         ? planned.normal
                                         : firstNormal + planned.normal;
        ASSERT_TRUE(mesh.AppendFace(corners, normal)) << "face " << mesh.GetFaceCount();
        rm::Face face = mesh.GetFace(mesh.GetFaceCount() - 1);
        face.SetColor(planned.color);
        for (std::size_t k = 0; k < planned.uv.size(); ++k)
            face.SetTextureCoordinates(int(k), planned.uv[k].first, planned.uv[k].second);
        if (planned.texture) face.SetTexture(planned.texture);
    }
    table.ClearSelection();
    table.ReadFromMesh(host);
    ASSERT_TRUE(table.RebuildMesh(host));
}

int AppendFace(model::FaceTable& table, model::ModelHost& host,
               const std::vector<rm::Vector>& points) {
    std::vector<int> snapped(points.size(), model::POLY_NEW_VERTEX);
    const model::AddPolygonResult r = model::AppendPolygon(table, host, points, snapped);
    EXPECT_EQ(r, model::AddPolygonResult::Added) << points.size() << " points";
    return table.faceCount - 1;
}

::testing::AssertionResult Near(const rm::Vector& got, const rm::Vector& want, double tolerance) {
    const auto off = [tolerance](float a, float b) {
        return !(std::fabs(double(a) - double(b)) <= tolerance);
    };
    if (off(got.x, want.x) || off(got.y, want.y) || off(got.z, want.z)) {
        return ::testing::AssertionFailure()
               << "(" << got.x << ", " << got.y << ", " << got.z << ") is not within " << tolerance
               << " of (" << want.x << ", " << want.y << ", " << want.z << ")";
    }
    return ::testing::AssertionSuccess();
}

std::string WithLineEnds(const std::string& text, const std::string& end) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += end;
        } else {
            out += c;
        }
    }
    return out;
}

bool SameFaces(const rm::MeshBuilder& a, const rm::MeshBuilder& b) {
    if (a.Vertices() != b.Vertices() || a.FaceRecords().size() != b.FaceRecords().size()) {
        return false;
    }
    for (std::size_t f = 0; f < a.FaceRecords().size(); ++f) {
        const auto p = a.FaceCorners(f), q = b.FaceCorners(f);
        if (!std::equal(p.begin(), p.end(), q.begin(), q.end(),
                        [](const auto& x, const auto& y) { return x.vertex == y.vertex; })) {
            return false;
        }
    }
    return true;
}

namespace {

void AppendFaceText(std::string& out, const rm::MeshBuilder& mesh, std::size_t f) {
    for (const auto& c : mesh.FaceCorners(f)) {
        const rm::Vector& v = mesh.Vertices()[c.vertex];
        out += " (" + std::to_string(int(v.x)) + ' ' + std::to_string(int(v.y)) + ' ' +
               std::to_string(int(v.z)) + ')';
    }
}

}  // namespace

std::string LastFaceText(const rm::MeshBuilder& mesh) {
    std::string out;
    if (!mesh.FaceRecords().empty()) AppendFaceText(out, mesh, mesh.FaceRecords().size() - 1);
    return out;
}

std::string CornerText(const Model& m) {
    std::string out;
    const rm::MeshBuilder& mesh = *m.host.m_pMesh;
    for (std::size_t f = 0; f < mesh.FaceRecords().size(); ++f) {
        AppendFaceText(out, mesh, f);
        out += ',';
    }
    return out;
}

std::vector<rm::Vector> Star(int points, float inner, float z) {
    std::vector<rm::Vector> p;
    for (int i = 0; i < 2 * points; ++i) {
        const double a = std::numbers::pi * i / points;
        const double r = i % 2 ? inner : 1.0;
        p.push_back({float(r * std::cos(a)), float(r * std::sin(a)), z});
    }
    return p;
}

double SignedArea(const std::vector<rm::Vector>& polygon) {
    double a = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const rm::Vector& u = polygon[i];
        const rm::Vector& v = polygon[(i + 1) % polygon.size()];
        a += double(u.x) * v.y - double(v.x) * u.y;
    }
    return a / 2;
}

int SelectedCorners(const model::FaceTable& table) {
    int n = 0;
    table.ForEachCorner([&](int f, int k) { n += table.selected[f][k] != 0; });
    return n;
}

int SelectedCornersAnywhere(const model::FaceTable& table) {
    int n = 0;
    for (int f = 0; f < table.FaceCapacity(); ++f) {
        for (int k = 0; k < table.CornerCapacity(); ++k) n += table.selected[f][k] != 0;
    }
    return n;
}

XTokens::XTokens(int floatBits)
    : bits(floatBits), out(floatBits == 64 ? "xof 0303bin 0064" : "xof 0303bin 0032") {}

XTokens& XTokens::Tok(int token) {
    base::AppendLE16(out, unsigned(token));
    return *this;
}

XTokens& XTokens::Count(std::uint32_t n) {
    base::AppendLE32(out, n);
    return *this;
}

XTokens& XTokens::Name(const std::string& s, int token) {
    Tok(token).Count(std::uint32_t(s.size()));
    out += s;
    return *this;
}

XTokens& XTokens::List(int token, const std::vector<double>& values) {
    Tok(token).Count(std::uint32_t(values.size()));
    for (const double d : values) {
        if (token == 6) {
            base::AppendLE32(out, std::uint32_t(d));
        } else if (bits == 64) {
            const std::uint64_t b = std::bit_cast<std::uint64_t>(d);
            base::AppendLE32(out, std::uint32_t(b));
            base::AppendLE32(out, std::uint32_t(b >> 32));
        } else {
            base::AppendLEFloat(out, float(d));
        }
    }
    return *this;
}

ScopedLocale::ScopedLocale(const char* name) {
    const char* cur = std::setlocale(LC_ALL, nullptr);
    old_ = cur ? cur : "C";
    ok_ = std::setlocale(LC_ALL, name) != nullptr;
}

ScopedLocale::~ScopedLocale() {
    std::setlocale(LC_ALL, old_.c_str());
}

}  // namespace testing_support
