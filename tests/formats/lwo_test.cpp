#include "formats/lwo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/convert.h"
#include "test_support.h"

namespace {

using testing_support::Model;
using testing_support::ReadFile;
using testing_support::RealFile;
using testing_support::RealFiles;
using testing_support::TempDir;
using testing_support::WriteFile;

// "46 4F" -> the two bytes.
std::string Hex(const char* text) {
    std::string out;
    std::istringstream in(text);
    std::string byte;
    while (in >> byte) out += static_cast<char>(std::stoi(byte, nullptr, 16));
    return out;
}

std::string Cat(std::initializer_list<std::string> parts) {
    std::string out;
    for (const auto& p : parts) out += p;
    return out;
}

// --- building files for the reader ---

std::string Be16(int v) {
    return {static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
}
std::string Be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
}
std::string BeFloat(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return Be32(bits);
}
std::string Chunk(const char* id, const std::string& data) {
    return std::string(id, 4) + Be32(std::uint32_t(data.size())) + data;
}
std::string Form(const std::string& chunks, const char* type = "LWOB") {
    return "FORM" + Be32(std::uint32_t(chunks.size() + 4)) + type + chunks;
}
std::string Points(std::initializer_list<rm::Vector> pts) {
    std::string d;
    for (const auto& p : pts) d += BeFloat(p.x) + BeFloat(p.y) + BeFloat(p.z);
    return Chunk("PNTS", d);
}
std::string Polygons(std::initializer_list<int> values) {
    std::string d;
    for (int v : values) d += Be16(v);
    return Chunk("POLS", d);
}
std::string SurfaceColor(const std::string& paddedName, int r, int g, int b) {
    return Chunk("SURF", paddedName + "COLR" + Be16(4) + char(r) + char(g) + char(b) + '\0');
}
// A unit square's corners and one more point.
std::string FivePoints() {
    return Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}});
}

struct Rgb {
    unsigned r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
Rgb FaceRgb(Model& m, int f) {
    const rm::Color c = m.host.m_pMesh->GetFace(f).GetColor();
    return {rm::ColorRed(c), rm::ColorGreen(c), rm::ColorBlue(c)};
}
std::vector<std::uint32_t> FaceVertices(Model& m, int f) {
    std::vector<std::uint32_t> out;
    for (const auto& c : m.host.m_pMesh->FaceCorners(std::size_t(f))) out.push_back(c.vertex);
    return out;
}

// --- the writer ---

// Four pool vertices and three triangles coloured red, blue, red.
void ThreeTriangles(model::FaceTable& t) {
    t.poolVertexCount = 4;
    t.vertexPool[0] = {0.0f, 0.0f, 0.0f};
    t.vertexPool[1] = {1.0f, 0.0f, 0.0f};
    t.vertexPool[2] = {0.0f, 0.5f, 0.0f};
    t.vertexPool[3] = {0.0f, 0.0f, -2.0f};
    const int faces[3][3] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}};
    const int colors[3][3] = {{255, 0, 0}, {0, 0, 255}, {255, 0, 0}};
    t.faceCount = 3;
    for (int f = 0; f < 3; ++f) {
        t.vertexCount[f] = 3;
        for (int k = 0; k < 3; ++k) t.vertexIndex[f][k] = faces[f][k];
        t.faceColor[f] = {colors[f][0], colors[f][1], colors[f][2], f == 1 ? 100 : 255};
    }
}

std::string ExpectedSurf(const char* name, const char* colr) {
    return Cat({"SURF", Hex("00 00 00 48"), std::string(name, 12), "COLR", Hex("00 04"), Hex(colr),
                "FLAG", Hex("00 02 01 04"), "SMAN", Hex("00 04 3F 46 D3 F2"), "DIFF",
                Hex("00 02 01 00"), "TRAN", Hex("00 02 00 00"), "SPEC", Hex("00 02 00 00"), "GLOS",
                Hex("00 02 00 00")});
}

TEST(LwoWriter, SmallModelByteForByte) {
    Model m;
    ThreeTriangles(*m.table);
    std::string out;
    ASSERT_TRUE(formats::FormatLwo(*m.table, out));
    // Body: "LWOB" 4 + SRFS 8+24 + PNTS 8+48 + POLS 8+30 + 2 SURF of 8+72 = 290 = 0x122.
    const std::string expected = Cat({
        "FORM",
        Hex("00 00 01 22"),
        "LWOB",
        "SRFS",
        Hex("00 00 00 18"),
        std::string("Kestrilune0\0Kestrilune1\0", 24),
        "PNTS",
        Hex("00 00 00 30"),
        Hex("00 00 00 00  00 00 00 00  00 00 00 00"),
        Hex("3F 80 00 00  00 00 00 00  00 00 00 00"),
        Hex("00 00 00 00  3F 00 00 00  00 00 00 00"),
        Hex("00 00 00 00  00 00 00 00  C0 00 00 00"),
        "POLS",
        Hex("00 00 00 1E"),
        Hex("00 03  00 00 00 01 00 02  00 01"),
        Hex("00 03  00 00 00 02 00 03  00 02"),
        Hex("00 03  00 00 00 03 00 01  00 01"),
        ExpectedSurf("Kestrilune0\0", "FF 00 00 00"),
        ExpectedSurf("Kestrilune1\0", "00 00 FF 00"),
    });
    EXPECT_EQ(out, expected);

    // The file on disk holds the same bytes; the locale does not change them.
    TempDir dir;
    ASSERT_EQ(formats::WriteLwo(dir.Path("a.lwo"), *m.table), 1);
    EXPECT_EQ(ReadFile(dir.Path("a.lwo")), expected);
    testing_support::ScopedLocale loc("de_DE.UTF-8");
    ASSERT_TRUE(loc.ok());
    ASSERT_EQ(formats::WriteLwo(dir.Path("b.lwo"), *m.table), 1);
    EXPECT_EQ(ReadFile(dir.Path("b.lwo")), expected);
}

TEST(LwoWriter, EmptyModelAndSurfaceNamePadding) {
    Model m;
    std::string out;
    ASSERT_TRUE(formats::FormatLwo(*m.table, out));
    EXPECT_EQ(out, Cat({"FORM", Hex("00 00 00 1C"), "LWOB", "SRFS", Hex("00 00 00 00"), "PNTS",
                        Hex("00 00 00 00"), "POLS", Hex("00 00 00 00")}));

    // Eleven colours: Kestrilune10 (12 characters and NUL) gets one pad byte, the ten
    // shorter names none.
    model::FaceTable& t = *m.table;
    t.poolVertexCount = 3;
    t.faceCount = 11;
    for (int f = 0; f < 11; ++f) {
        t.vertexCount[f] = 3;
        for (int k = 0; k < 3; ++k) t.vertexIndex[f][k] = k;
        t.faceColor[f] = {f, 0, 0, 255};
    }
    ASSERT_TRUE(formats::FormatLwo(t, out));
    ASSERT_GE(out.size(), 12u + 8 + 134);
    EXPECT_EQ(out.substr(12, 8), "SRFS" + Hex("00 00 00 86"));
    EXPECT_EQ(out.substr(20 + 120, 14), std::string("Kestrilune10\0\0", 14));
    const auto last = out.rfind("SURF");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(out.substr(last + 8, 20), std::string("Kestrilune10\0\0COLR", 18) + Hex("00 04"));
    EXPECT_EQ(out.substr(last + 8 + 20, 4), Hex("0A 00 00 00"));
}

TEST(LwoWriter, RefusesModelsWhoseIndicesDoNotFit16Bits) {
    Model m;
    model::FaceTable& t = *m.table;
    t.faceCount = 1;
    t.vertexCount[0] = 3;
    t.vertexIndex[0][0] = 0;
    t.vertexIndex[0][1] = 65535;
    t.vertexIndex[0][2] = 1;
    t.vertexPool[65535] = {7.0f, 8.0f, 9.0f};
    t.poolVertexCount = 65536;

    // 65,536 vertices still fit: the last index is FF FF and reads back as unsigned.
    TempDir dir;
    ASSERT_EQ(formats::WriteLwo(dir.Path("big.lwo"), t), 1);
    const std::string bytes = ReadFile(dir.Path("big.lwo"));
    EXPECT_NE(bytes.find("POLS" + Hex("00 00 00 0A 00 03 00 00 FF FF 00 01 00 01")),
              std::string::npos);
    Model back;
    ASSERT_EQ(formats::ReadLwo(dir.Path("big.lwo"), back.host), 1);
    ASSERT_EQ(back.host.m_pMesh->GetFaceCount(), 1);
    EXPECT_EQ(FaceVertices(back, 0), (std::vector<std::uint32_t>{0, 65535, 1}));
    rm::Vector p;
    back.host.m_pMesh->GetFace(0).GetVertex(1, &p, nullptr);
    EXPECT_EQ(p, (rm::Vector{7.0f, 8.0f, 9.0f}));

    // One more vertex would wrap: refused, and an existing file stays as it was.
    t.poolVertexCount = 65537;
    t.vertexIndex[0][1] = 65536;
    std::string error;
    EXPECT_EQ(formats::WriteLwo(dir.Path("big.lwo"), t, &error), 0);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(dir.Path("big.lwo")), bytes);

    // Likewise an index outside the vertex list.
    t.poolVertexCount = 10;
    t.vertexIndex[0][1] = 12;
    std::string out;
    EXPECT_FALSE(formats::FormatLwo(t, out));
}

// --- the reader ---

TEST(LwoReader, PolygonsKeepCornerOrderAndSurfaceColours) {
    const std::string file = Form(Cat({
        Chunk("SRFS", std::string("Red\0Blue\0\0", 10)),
        FivePoints(),
        Polygons({4, 0, 1, 2, 3, 2, 3, 4, 1, 0, 1}),
        SurfaceColor(std::string("Red\0", 4), 255, 0, 0),
        SurfaceColor(std::string("Blue\0\0", 6), 0, 0, 255),
    }));
    Model m;
    std::string error;
    ASSERT_EQ(formats::ReadLwoBytes(file, m.host, &error), 1) << error;
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
    EXPECT_EQ(FaceVertices(m, 0), (std::vector<std::uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(FaceVertices(m, 1), (std::vector<std::uint32_t>{4, 1, 0}));
    EXPECT_EQ(FaceRgb(m, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(FaceRgb(m, 1), (Rgb{255, 0, 0}));
    rm::Vector p;
    m.host.m_pMesh->GetFace(1).GetVertex(0, &p, nullptr);
    EXPECT_EQ(p, (rm::Vector{0, 0, 1}));

    // A second file adds its faces after the ones already there.
    ASSERT_EQ(formats::ReadLwoBytes(file, m.host), 1);
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 4);
}

TEST(LwoReader, SurfaceColoursWithoutOrWithUnknownNames) {
    // No SURF at all: grey 128/255.
    Model grey;
    ASSERT_EQ(formats::ReadLwoBytes(Form(Cat({Chunk("SRFS", std::string("A\0", 2)), FivePoints(),
                                              Polygons({3, 0, 1, 2, 1})})),
                                    grey.host),
              1);
    EXPECT_EQ(FaceRgb(grey, 0), (Rgb{128, 128, 128}));

    // SURF "X" before any other describes surface 1; SURF "Y" after "B" describes surface 3.
    // Unknown chunks and sub-chunks (even one holding COLR-like bytes) change nothing, and
    // a chunk of odd size is followed by its pad byte.
    const std::string file = Form(Cat({
        Chunk("SRFS", std::string("A\0B\0C\0D\0", 8)),
        Chunk("ZZZZ", "abc") + '\0',
        FivePoints(),
        Polygons({3, 0, 1, 2, 1, 3, 0, 1, 2, 2, 3, 0, 1, 2, 3, 3, 0, 1, 2, 4}),
        SurfaceColor(std::string("X\0", 2), 10, 20, 30),
        Chunk("SURF", std::string("B\0", 2) + "TIMG" + Be16(8) + "COLR" + Be16(4) + "ab" + "COLR" +
                          Be16(4) + char(40) + char(50) + char(60) + '\0'),
        SurfaceColor(std::string("Y\0", 2), 70, 80, 90),
    }));
    Model m;
    ASSERT_EQ(formats::ReadLwoBytes(file, m.host), 1);
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 4);
    EXPECT_EQ(FaceRgb(m, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(FaceRgb(m, 1), (Rgb{40, 50, 60}));
    EXPECT_EQ(FaceRgb(m, 2), (Rgb{70, 80, 90}));
    EXPECT_EQ(FaceRgb(m, 3), (Rgb{128, 128, 128}));
}

TEST(LwoReader, DetailPolygonsAndShortPolygons) {
    // A quad on surface 2 with one detail triangle on surface 1, then a point, an edge, a
    // polygon without vertices (no face) and a triangle whose surface number is out of range.
    const std::string file = Form(Cat({
        Chunk("SRFS", std::string("A\0B\0", 4)),
        FivePoints(),
        Polygons({4, 0, 1, 2, 3, -2, 1, 3, 0, 1, 2, 1,  //
                  1, 4, 1,                              //
                  2, 3, 4, 2,                           //
                  0, 1,                                 //
                  3, 2, 3, 4, 9}),
        SurfaceColor(std::string("A\0", 2), 255, 0, 0),
        SurfaceColor(std::string("B\0", 2), 0, 255, 0),
    }));
    Model m;
    std::string error;
    ASSERT_EQ(formats::ReadLwoBytes(file, m.host, &error), 1) << error;
    rm::MeshBuilder& mesh = *m.host.m_pMesh;
    ASSERT_EQ(mesh.GetFaceCount(), 5);
    EXPECT_EQ(FaceVertices(m, 0), (std::vector<std::uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(FaceVertices(m, 1), (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(FaceVertices(m, 2), (std::vector<std::uint32_t>{4}));
    EXPECT_EQ(FaceVertices(m, 3), (std::vector<std::uint32_t>{3, 4}));
    EXPECT_EQ(FaceRgb(m, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(FaceRgb(m, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(FaceRgb(m, 3), (Rgb{0, 255, 0}));
    EXPECT_EQ(mesh.GetFace(4).GetColor(), rm::MeshBuilder::kDefaultFaceColor);

    // The quad's normal is (A-B)x(A-C) = (-1,0,0)x(-1,-1,0) = (0,0,1); the point and the
    // edge get the zero normal.
    rm::Vector normal;
    mesh.GetFace(0).GetVertex(0, nullptr, &normal);
    EXPECT_EQ(normal, (rm::Vector{0, 0, 1}));
    mesh.GetFace(2).GetVertex(0, nullptr, &normal);
    EXPECT_EQ(normal, (rm::Vector{}));
    mesh.GetFace(3).GetVertex(1, nullptr, &normal);
    EXPECT_EQ(normal, (rm::Vector{}));
}

TEST(LwoReader, BodySizeBoundsTheChunksRead) {
    const std::string chunks =
        Cat({Chunk("SRFS", std::string("A\0", 2)), FivePoints(), Polygons({3, 0, 1, 2, 1})});
    // A body size far beyond the file: reading stops at the end of the file.
    std::string lying = Form(chunks);
    lying.replace(4, 4, Hex("7F FF FF FF"));
    Model m;
    EXPECT_EQ(formats::ReadLwoBytes(lying, m.host), 1);
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1);

    // A body size that ends before POLS: the chunks after it are not read.
    std::string shortBody = Form(chunks);
    shortBody.replace(4, 4, Be32(4 + 10 + 68));
    std::string error;
    EXPECT_EQ(formats::ReadLwoBytes(shortBody, m.host, &error), 0);
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 1);
    EXPECT_FALSE(error.empty());
}

TEST(LwoReader, BrokenFilesAddNothing) {
    const std::string srfs = Chunk("SRFS", std::string("A\0", 2));
    const std::string tri = Polygons({3, 0, 1, 2, 1});
    std::string cutPoints = Form(Cat({srfs, FivePoints(), tri}));
    cutPoints.resize(12 + 10 + 8 + 30);
    const std::map<std::string, std::string> cases = {
        {"empty", ""},
        {"short header", "FORM\0\0\0"},
        {"not FORM", "GARBAGE12345" + srfs + FivePoints() + tri},
        {"no points", Form(srfs + tri)},
        {"no names", Form(FivePoints() + tri)},
        {"no polygons", Form(srfs + FivePoints())},
        {"points cut short", cutPoints},
        {"polygon longer than the list",
         Form(Cat({srfs, FivePoints(), Polygons({3, 0, 1, 2, 1, 4, 0, 1})}))},
        {"missing surface number", Form(Cat({srfs, FivePoints(), Polygons({3, 0, 1, 2})}))},
        {"missing detail count", Form(Cat({srfs, FivePoints(), Polygons({3, 0, 1, 2, -1})}))},
        {"index out of range", Form(Cat({srfs, FivePoints(), Polygons({3, 0, 1, 5, 1})}))},
        {"huge counts", Form(Cat({srfs, FivePoints(), Polygons({0xFFFF, 0xFFFF, 0xFFFF})}))},
        {"chunk size near 4 GiB", Form(srfs + "PNTS" + Hex("FF FF FF F0") + "abcdefghijkl")},
        {"all NUL bytes", std::string(64, '\0')},
    };
    for (const auto& [name, bytes] : cases) {
        Model m;
        ASSERT_EQ(formats::ReadLwo(RealFile("lwo/box0.5.lwo"), m.host), 1);
        std::string error;
        EXPECT_EQ(formats::ReadLwoBytes(bytes, m.host, &error), 0) << name;
        EXPECT_FALSE(error.empty()) << name;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 6) << name;
    }

    // Names that run to the end of SRFS without a NUL, or are nothing but NULs, still count.
    Model m;
    ASSERT_EQ(formats::ReadLwoBytes(Form(Cat({Chunk("SRFS", std::string("\0\0\0\0Last", 8)),
                                              FivePoints(), Polygons({3, 0, 1, 2, 3}),
                                              SurfaceColor(std::string("Last\0\0", 6), 1, 2, 3)})),
                                    m.host),
              1);
    EXPECT_EQ(FaceRgb(m, 0), (Rgb{1, 2, 3}));
}

TEST(LwoReader, NewerLayoutsAreRefusedWithTheirName) {
    for (const auto& [file, layout] : {std::pair{"lwo/not-lwob/concave_polygon_LWO2.lwo", "LWO2"},
                                       std::pair{"lwo/not-lwob/box0_LWO3.lwo", "LWO3"}}) {
        Model m;
        std::string error;
        EXPECT_EQ(formats::ReadLwo(RealFile(file), m.host, &error), 0) << file;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
        EXPECT_NE(error.find("not supported"), std::string::npos) << error;
        EXPECT_NE(error.find(layout), std::string::npos) << error;
    }
    // The converter passes the reason on.
    TempDir dir;
    const std::vector<std::string> args = {RealFile("lwo/not-lwob/concave_polygon_LWO2.lwo"),
                                           dir.Path("out.mqo")};
    std::ostringstream out, err;
    EXPECT_NE(cli::RunConvert(args, out, err), cli::kExitOk);
    EXPECT_NE(err.str().find("LightWave layout (LWO2) is not supported"), std::string::npos)
        << err.str();
}

TEST(LwoReader, RealFiles) {
    // Faces per file, from the POLS chunks: one per polygon, every one with 3 or more points.
    const std::map<std::string, int> faces = {
        {"ConcavePolygon.lwo", 1},
        {"formatDetection_LWOB.lwo", 1},
        {"bluewithcylindrictexz.lwo", 6},
        {"sphere_with_mat_gloss_10pc.lwo", 288},
        {"redcone.lwo", 48},
        {"greenball.lwo", 528},
        {"box0.5.lwo", 6},
        {"box1.5.lwo", 6},
        {"box3-uv-layers.lwo", 864},
    };
    int read = 0;
    for (const std::string& path : RealFiles("lwo")) {
        const std::string name = std::filesystem::path(path).filename().string();
        Model m;
        std::string error;
        const int result = formats::ReadLwo(path, m.host, &error);
        if (path.find("not-lwob") != std::string::npos) {
            EXPECT_EQ(result, 0) << name;
            EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0) << name;
            continue;
        }
        ASSERT_TRUE(faces.count(name)) << "unexpected file " << name;
        EXPECT_EQ(result, 1) << name << ": " << error;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), faces.at(name)) << name;
        ++read;
    }
    EXPECT_EQ(read, 9);

    // The keyhole polygon keeps its 66 corners in the mesh; the table holds the first 16.
    Model concave;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo/ConcavePolygon.lwo"), concave.host), 1);
    EXPECT_EQ(concave.host.m_pMesh->GetFace(0).GetVertexCount(), 66);
    concave.Sync();
    EXPECT_EQ(concave.table->vertexCount[0], 16);
    EXPECT_EQ(FaceRgb(concave, 0), (Rgb{0x24, 0x2F, 0x69}));

    // Six surfaces, one per side, in the order of the POLS chunk.
    Model box;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo/box1.5.lwo"), box.host), 1);
    const Rgb sides[6] = {{0x40, 0, 0},    {0xFF, 0x80, 0}, {0, 0xFF, 0},
                          {0xFF, 0xFF, 0}, {0xFF, 0, 0},    {0, 0, 0xFF}};
    for (int f = 0; f < 6; ++f) EXPECT_EQ(FaceRgb(box, f), sides[f]) << f;
    EXPECT_EQ(FaceVertices(box, 5), (std::vector<std::uint32_t>{4, 7, 6, 5}));
}

// --- both sides ---

TEST(LwoRoundTrip, GeometryAndColoursSurvive) {
    Model src;
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo/box1.5.lwo"), src.host), 1);
    ASSERT_EQ(formats::ReadLwo(RealFile("lwo/sphere_with_mat_gloss_10pc.lwo"), src.host), 1);
    // A pentagon with its own colour and part transparency (alpha is not written).
    const std::vector<rm::Vector> pent = {
        {0, 0, 5}, {1, 0, 5}, {1.5f, 1, 5}, {0.5f, 2, 5}, {-0.5f, 1, 5}};
    const std::int32_t data[] = {5, 0, 1, 2, 3, 4, 0};
    std::vector<rm::Face> added;
    ASSERT_TRUE(src.host.m_pMesh->AddFaces(pent, {}, data, &added));
    added[0].SetColor(rm::MakeColor(0x80, 0x12, 0x34, 0x56));
    src.Sync();
    const model::FaceTable& a = *src.table;
    ASSERT_EQ(a.faceCount, 6 + 288 + 1);

    TempDir dir;
    ASSERT_EQ(formats::WriteLwo(dir.Path("rt.lwo"), a), 1);
    Model dst;
    std::string error;
    ASSERT_EQ(formats::ReadLwo(dir.Path("rt.lwo"), dst.host, &error), 1) << error;
    dst.Sync();
    const model::FaceTable& b = *dst.table;
    ASSERT_EQ(b.faceCount, a.faceCount);
    for (int f = 0; f < a.faceCount; ++f) {
        ASSERT_EQ(b.vertexCount[f], a.vertexCount[f]) << f;
        for (int k = 0; k < a.vertexCount[f]; ++k) {
            EXPECT_EQ(b.vertexIndex[f][k], a.vertexIndex[f][k]) << f << "/" << k;
            EXPECT_EQ(b.position[f][k], a.position[f][k]) << f << "/" << k;
        }
        EXPECT_EQ(b.faceColor[f].red, a.faceColor[f].red) << f;
        EXPECT_EQ(b.faceColor[f].green, a.faceColor[f].green) << f;
        EXPECT_EQ(b.faceColor[f].blue, a.faceColor[f].blue) << f;
    }
    EXPECT_EQ(b.faceColor[a.faceCount - 1].red, 0x12);
    EXPECT_EQ(b.faceColor[a.faceCount - 1].alpha, 255);
}

}  // namespace
