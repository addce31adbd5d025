#include "formats/mqo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "formats/text_io.h"
#include "test_support.h"

namespace {

using rm::Vector;
using testing_support::Crlf;
using testing_support::Model;
using testing_support::ReadFile;
using testing_support::TempDir;

// A version 1.0 document with a binary vertex block, as the modeller's older versions wrote.
std::string BVertexDocument(const std::string& version = "1.0") {
    std::string doc = Crlf(
        "Metasequoia Document\n"
        "Format Text Ver " +
        version +
        "\n"
        "\n"
        "Material 2 {\n"
        "\t\"red\" col(1.000 0.000 0.000 1.000) dif(0.800)\n"
        "\t\"green\" col(0.000 0.502 0.000 1.000) dif(0.800)\n"
        "}\n"
        "Object \"obj1\" {\n"
        "\tvisible 15\n"
        "\tBVertex 5 {\n"
        "\t\tVector 5 [60]\n");
    // The vertex data hold a '\n' and a '{' byte on purpose: they are data, not text.
    doc += testing_support::LeFloats({100, 200, -50, 0, 0, 0, 100, 0, 0, 0, 100, 0, 100, 100, 0});
    doc += Crlf(
        "\n\t}\n"
        "\tface 5 {\n"
        "\t\t3 V(0 1 2) M(0)\n"
        "\t\t4 V(1 2 4 3) M(1)\n"
        "\t\t3 V(1 2 3) M(-1)\n"
        "\t\t3 V(1 2 3) M(2)\n"
        "\t\t3 V(2 3 4)\n"
        "\t}\n"
        "}\n"
        "Eof\n");
    return doc;
}

std::vector<long long> Indices(const rm::Face& f) {
    std::vector<long long> out;
    for (int k = 0; k < f.GetVertexCount(); ++k) out.push_back(f.GetVertexIndex(k));
    return out;
}

TEST(MqoRead, BinaryVertexDocument) {
    Model m;
    formats::ReadResult error;
    ASSERT_EQ(formats::ReadMqoText(BVertexDocument(), m.host, &error), 1) << error.detail;
    rm::MeshBuilder& mesh = *m.host.m_pMesh;
    ASSERT_EQ(mesh.GetFaceCount(), 5);
    // Scaled by 0.01: (100, 200, -50) arrives at (1, 2, -0.5).
    Vector p;
    mesh.GetFace(0).GetVertex(2, &p, nullptr);
    EXPECT_FLOAT_EQ(p.x, 1.0f);
    EXPECT_FLOAT_EQ(p.y, 2.0f);
    EXPECT_FLOAT_EQ(p.z, -0.5f);
    // Corner order is reversed.
    EXPECT_EQ(Indices(mesh.GetFace(0)), (std::vector<long long>{2, 1, 0}));
    EXPECT_EQ(Indices(mesh.GetFace(1)), (std::vector<long long>{3, 4, 2, 1}));
    // Colours: material 0 red, material 1 green (0.502 -> 128); invalid or missing
    // materials keep the default white.
    EXPECT_EQ(mesh.GetFace(0).GetColor(), 0xFFFF0000u);
    EXPECT_EQ(mesh.GetFace(1).GetColor(), 0xFF008000u);
    EXPECT_EQ(mesh.GetFace(2).GetColor(), 0xFFFFFFFFu);
    EXPECT_EQ(mesh.GetFace(3).GetColor(), 0xFFFFFFFFu);
    EXPECT_EQ(mesh.GetFace(4).GetColor(), 0xFFFFFFFFu);
    ASSERT_NE(mesh.GetMaterial(), nullptr);
}

// Writers after version 1 put shader() and other attributes before col(), also in
// documents that say "Ver 1.0": the colour is found wherever it stands, but only as a word
// of its own (vcol( is another attribute) and not inside the quoted name.
TEST(MqoRead, TheColourAttributeCountsWhereverItStands) {
    const std::vector<std::pair<std::string, rm::Color>> cases = {
        {"\t\"a\" shader(3) vcol(1) dif(0.8) col(0.000 0.000 1.000 1.000) amb(0.6)", 0xFF0000FFu},
        {"\t\"my col(1 1 1 1) name\" dif(0.8) col(1.000 0.000 0.000 1.000)", 0xFFFF0000u},
        {"\t\"b\" shader(3) vcol(1.000 0.000 0.000 1.000)", 0xFFFFFFFFu},  // no colour
        {"\t\"c\" shader(3) col(0.000 1.000", 0xFFFFFFFFu},                // cut short
        {"\t\"d\"col(0.000 1.000 0.000 1.000)", 0xFF00FF00u},
    };
    for (const auto& [line, color] : cases) {
        SCOPED_TRACE(line);
        std::string doc = BVertexDocument();
        const std::string red = "\t\"red\" col(1.000 0.000 0.000 1.000) dif(0.800)";
        doc.replace(doc.find(red), red.size(), line);
        Model m;
        ASSERT_EQ(formats::ReadMqoText(doc, m.host), 1);
        EXPECT_EQ(m.host.m_pMesh->GetFace(0).GetColor(), color);
        EXPECT_EQ(m.host.m_pMesh->GetFace(1).GetColor(), 0xFF008000u);  // the next line
    }
}

TEST(MqoRead, VersionGateAndCaseInsensitiveHeader) {
    {
        Model m;
        formats::ReadResult error;
        EXPECT_EQ(formats::ReadMqoText(BVertexDocument("1.2"), m.host, &error), 0);
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
        EXPECT_EQ(error.kind, formats::ReadFailure::Unsupported);
    }
    {
        // 1.1 reads like 1.0.
        Model m;
        EXPECT_EQ(formats::ReadMqoText(BVertexDocument("1.1"), m.host), 1);
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 5);
    }
    {
        Model m;
        EXPECT_EQ(formats::ReadMqoText(BVertexDocument("0.5"), m.host), 1);
    }
    {
        std::string doc = BVertexDocument();
        doc.replace(0, std::strlen("Metasequoia Document\r\nFormat Text Ver"),
                    "METASEQUOIA DOCUMENT\r\nFORMAT TEXT VER");
        Model m;
        EXPECT_EQ(formats::ReadMqoText(doc, m.host), 1);
    }
    for (const char* bad :
         {"", "Metasequoia Document\r\n", "Metasequoia\r\nFormat Binary Ver 1.0\r\n",
          "Shape Document\r\nFormat Text Ver 1.0\r\n"}) {
        Model m;
        EXPECT_EQ(formats::ReadMqoText(bad, m.host), 0) << bad;
    }
}

TEST(MqoRead, TextVerticesPointsEdgesLargeFacesAndEmptyObjects) {
    // An object without blocks must not take the next object's; points and edges are
    // skipped; a five-corner face stays whole.
    const std::string doc = Crlf(
        "Metasequoia Document\nFormat Text Ver 1.0\n"
        "Object \"empty\" {\n\tvisible 15\n}\n"
        "Object \"o\" {\n"
        "\tvertex 6 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t100 100 0\n\t\t0 100 0\n\t\t-50 50 0\n"
        "\t\t0 0 100\n\t}\n"
        "\tface 4 {\n\t\t2 V(0 1)\n\t\t1 V(5)\n\t\t5 V(0 1 2 3 4)\n\t\t3 V(0 1 5)\n\t}\n}\n"
        "Object \"verticesOnly\" {\n\tvertex 1 {\n\t\t1 2 3\n\t}\n}\n"
        "Eof\n");
    Model m;
    formats::ReadResult error;
    ASSERT_EQ(formats::ReadMqoText(doc, m.host, &error), 1) << error.detail;
    ASSERT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
    EXPECT_EQ(Indices(m.host.m_pMesh->GetFace(0)), (std::vector<long long>{4, 3, 2, 1, 0}));
    EXPECT_EQ(Indices(m.host.m_pMesh->GetFace(1)), (std::vector<long long>{5, 1, 0}));
}

TEST(MqoRead, MalformedAndTruncatedDocumentsAddNothing) {
    const std::string good = BVertexDocument();
    std::vector<std::string> bad;
    // Every cut inside the object, up to the middle of its last face line. (A document cut
    // between blocks is a shorter document: it reads, with what it holds.)
    const std::size_t cutFrom = good.find("Object");
    const std::size_t cutTo = good.find("\t\t3 V(2 3 4)") + 8;
    for (std::size_t n = cutFrom + 6; n < cutTo; ++n) bad.push_back(good.substr(0, n));
    for (std::size_t n = 0; n < cutFrom + 6; ++n) {
        Model m;
        formats::ReadMqoText(good.substr(0, n), m.host);
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
    }
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string d = good;
        d.replace(d.find(from), from.size(), to);
        return d;
    };
    bad.push_back(replaced("Vector 5 [60]", "Vector 500000000 [60]"));  // count lies
    bad.push_back(replaced("Vector 5 [60]", "Vector -5 [60]"));
    bad.push_back(replaced("face 5 {", "face 50 {"));               // fewer lines than said
    bad.push_back(replaced("3 V(0 1 2) M(0)", "3 V(0 1 9) M(0)"));  // no vertex 9
    bad.push_back(replaced("3 V(0 1 2) M(0)", "3 V(0 1) M(0)"));    // fewer indices than said
    bad.push_back(replaced("3 V(0 1 2) M(0)", "three"));
    for (const std::string& doc : bad) {
        Model m;
        ASSERT_EQ(formats::ReadMqoText(doc, m.host), 0) << ::testing::PrintToString(doc);
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
    }
}

// A table of three faces: triangle (0 1 2) red, quad (1 3 4 2) blue half transparent,
// triangle (2 4 5) red with another alpha.
void FillTwoColourModel(Model& m) {
    testing_support::ModelBuilder()
        .Vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0.5f}, {0.25f, -2, 1}, {1, 2, -0.5f}})
        .Face({0, 1, 2})
        .Color(255, 0, 0)
        .Face({1, 3, 4, 2})
        .Color(0, 0, 255, 128)
        .Face({2, 4, 5})
        .Color(255, 0, 0, 10)
        .Into(m);
}

const char* const kTwoColourDocument =
    "Metasequoia Document\n"
    "Format Text Ver 1.0\n"
    "\n"
    "Scene {\n"
    "\tpos 0.0000 0.0000 1500.0000\n"
    "\tlookat 0.0000 0.0000 0.0000\n"
    "\thead 0.0000\n"
    "\tpich 0.0000\n"
    "\tortho 0\n"
    "\tzoom2 5.0000\n"
    "\tamb 0.250 0.250 0.250\n"
    "}\n"
    "Material 2 {\n"
    "\t\"Kestrilune0\" col(1.000000 0.000000 0.000000 1.000) dif(1.000) amb(0.250) emi(0.250) "
    "spc(0.250) power(5.00)\n"
    "\t\"Kestrilune1\" col(0.000000 0.000000 1.000000 1.000) dif(1.000) amb(0.250) emi(0.250) "
    "spc(0.250) power(5.00)\n"
    "}\n"
    "Object \"Kestrilune\" {\n"
    "\tvisible 15\n"
    "\tlocking 0\n"
    "\tshading 1\n"
    "\tfacet 89.5\n"
    "\tcolor 0.898 0.498 0.698\n"
    "\tcolor_type 0\n"
    "\tvertex 6 {\n"
    "\t\t0.000000 0.000000 0.000000\n"
    "\t\t100.000000 0.000000 0.000000\n"
    "\t\t0.000000 100.000000 0.000000\n"
    "\t\t100.000000 100.000000 50.000000\n"
    "\t\t25.000000 -200.000000 100.000000\n"
    "\t\t100.000000 200.000000 -50.000000\n"
    "\t}\n"
    "\tface 3 {\n"
    "\t\t3 V(2 1 0) M(0)\n"
    "\t\t4 V(2 4 3 1) M(1)\n"
    "\t\t3 V(5 4 2) M(0)\n"
    "\t}\n"
    "}\n"
    "Eof\n";

TEST(MqoWrite, SmallTwoColourModelByteForByte) {
    Model m;
    FillTwoColourModel(m);
    EXPECT_EQ(formats::FormatMqo(*m.table), Crlf(kTwoColourDocument));
    TempDir dir;
    ASSERT_EQ(formats::WriteMqo(dir.Path("out.mqo"), *m.table), 1);
    EXPECT_EQ(ReadFile(dir.Path("out.mqo")), Crlf(kTwoColourDocument));
}

TEST(MqoWrite, EmptyModel) {
    auto t = std::make_unique<model::FaceTable>();
    const std::string doc = formats::FormatMqo(*t);
    EXPECT_NE(doc.find("Material 0 {\r\n}\r\n"), std::string::npos);
    EXPECT_NE(doc.find("\tface 0 {\r\n\t}\r\n"), std::string::npos);
}

TEST(MqoWrite, LargeFacesAsFansAndEdgesLeftOut) {
    Model m;
    model::FaceTable& t = *m.table;
    t.faceCount = 3;
    t.vertexCount[0] = 5;
    for (int k = 0; k < 5; ++k) {
        t.vertexIndex[0][k] = 10 + k;
        t.position[0][k] = {float(k), float(k * k), 0};
    }
    t.vertexCount[1] = 2;
    t.vertexIndex[1][0] = 10;
    t.vertexIndex[1][1] = 11;
    t.vertexCount[2] = 0;
    ASSERT_TRUE(t.RebuildMesh(m.host));
    const std::string doc = formats::FormatMqo(t);
    EXPECT_NE(doc.find("\tface 3 {\r\n"
                       "\t\t3 V(12 11 10) M(0)\r\n"
                       "\t\t3 V(13 12 10) M(0)\r\n"
                       "\t\t3 V(14 13 10) M(0)\r\n"
                       "\t}\r\n"),
              std::string::npos)
        << doc;
}

// The face counts of the real files are in real_table_test's table (the two-corner faces
// of single_object_with_edge are edges and left out); here their coordinates are read at all.
TEST(MqoRealFiles, EveryFileHasExtent) {
    for (const std::string& path : testing_support::RealFiles("mqo")) {
        SCOPED_TRACE(path);
        Model m;
        formats::ReadResult error;
        EXPECT_EQ(formats::ReadMqo(path, m.host, &error), 1) << error.detail;
        const rm::Box box = m.host.m_pMesh->GetBox();
        EXPECT_LT(box.min.x, box.max.x);
    }
}

TEST(MqoRealFiles, FaceUvsOfAnExporterArriveOnTheirCorners) {
    // anatawa12_test: 14 of its 15 faces carry UV(...); its first face line is
    // `4 V(3 2 1 0) M(0) UID(1) UV(0.00000 1.00000 1.00000 1.00000 1.00000 0.00000 0.00000
    // 0.00000)` once read through: corner 0 of the mesh face is the file's last corner.
    const std::string doc = ReadFile(testing_support::RealFile("mqo/bvertex/anatawa12_test.mqo"));
    const auto at = doc.find("\tface ");
    ASSERT_NE(at, std::string::npos);
    const auto lineStart = doc.find('\n', at) + 1;
    const std::string first = doc.substr(lineStart, doc.find('\r', lineStart) - lineStart);
    SCOPED_TRACE(first);
    const auto uv = first.find("UV(");
    ASSERT_NE(uv, std::string::npos);
    std::vector<float> values;
    std::string_view rest = std::string_view(first).substr(uv + 3);
    float value = 0.0f;
    while (formats::ScanFloat(rest, value)) values.push_back(value);
    ASSERT_EQ(values.size(), 8u);
    Model m;
    ASSERT_EQ(formats::ReadMqoText(doc, m.host), 1);
    rm::Face face = m.host.m_pMesh->GetFace(0);
    ASSERT_EQ(face.GetVertexCount(), 4);
    for (int k = 0; k < 4; ++k) {
        float u = -1.0f, v = -1.0f;
        ASSERT_TRUE(face.GetTextureCoordinates(k, &u, &v));
        EXPECT_FLOAT_EQ(u, values[std::size_t(2 * (3 - k))]) << k;
        EXPECT_FLOAT_EQ(v, values[std::size_t(2 * (3 - k) + 1)]) << k;
    }
}

std::vector<Vector> Corners(rm::Face face) {
    std::vector<Vector> out;
    for (int k = 0; k < face.GetVertexCount(); ++k) {
        Vector p;
        face.GetVertex(k, &p, nullptr);
        out.push_back(p);
    }
    return out;
}

void ExpectCorners(rm::Face face, std::vector<Vector> expected) {
    const std::vector<Vector> got = Corners(face);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_FLOAT_EQ(got[k].x, expected[k].x) << k;
        EXPECT_FLOAT_EQ(got[k].y, expected[k].y) << k;
        EXPECT_FLOAT_EQ(got[k].z, expected[k].z) << k;
    }
}

// Hand-made: `CodePage utf8`, a mirror along X, a face with UV(...) and a material whose
// tex("チェック/Check.BMP") names the file チェック/check.bmp beside it in other letter case.
TEST(MqoFixtures, MirrorAlongXUtf8NamesUvAndTexture) {
    Model m;
    formats::ReadResult error;
    const std::string path = std::string(KESTRILUNE_TEST_DATA) + "/mqo/mirror_x_utf8.mqo";
    ASSERT_EQ(formats::ReadMqo(path, m.host, &error), 1) << error.detail;
    EXPECT_TRUE(error.missingTextures.empty());
    rm::MeshBuilder& mesh = *m.host.m_pMesh;
    ASSERT_EQ(mesh.GetFaceCount(), 2);
    // The file's corners (1,0,0) (2,0,0) (1,1,0) reversed; the mirror: x negated, corners
    // reversed once more so that it faces the same way.
    ExpectCorners(mesh.GetFace(0), {{1, 1, 0}, {2, 0, 0}, {1, 0, 0}});
    ExpectCorners(mesh.GetFace(1), {{-1, 0, 0}, {-2, 0, 0}, {-1, 1, 0}});
    EXPECT_FLOAT_EQ(mesh.GetFace(0).GetNormal().z, -1.0f);
    EXPECT_FLOAT_EQ(mesh.GetFace(1).GetNormal().z, -1.0f);
    const std::vector<std::pair<float, float>> uv0 = {{0, 1}, {1, 0}, {0, 0}};
    const std::vector<std::pair<float, float>> uv1 = {{0, 0}, {1, 0}, {0, 1}};
    for (int k = 0; k < 3; ++k) {
        float u = 0, v = 0;
        mesh.GetFace(0).GetTextureCoordinates(k, &u, &v);
        EXPECT_EQ(std::make_pair(u, v), uv0[std::size_t(k)]) << k;
        mesh.GetFace(1).GetTextureCoordinates(k, &u, &v);
        EXPECT_EQ(std::make_pair(u, v), uv1[std::size_t(k)]) << k;
    }
    for (int f = 0; f < 2; ++f) {
        rm::TexturePtr texture = mesh.GetFace(f).GetTexture();
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetName(), "チェック/Check.BMP");
        ASSERT_EQ(texture->Width(), 2);
        EXPECT_EQ(texture->Pixels()[0], 0xFFFF0000u);  // top left red
        EXPECT_EQ(mesh.GetFace(f).GetColor(), 0xFFFF8000u);
    }
}

// Hand-made: no code page line, so names are Shift-JIS; the texture name
// "テクスチャ\能力表.bmp" holds 0x5C as the second byte of 能 and 表, and one real
// separator. A connected mirror along Y and Z gives three copies.
TEST(MqoFixtures, ShiftJisTextureNameAndMirrorAlongTwoAxes) {
    Model m;
    formats::ReadResult error;
    const std::string path = std::string(KESTRILUNE_TEST_DATA) + "/mqo/shift_jis_names.mqo";
    ASSERT_EQ(formats::ReadMqo(path, m.host, &error), 1) << error.detail;
    EXPECT_TRUE(error.missingTextures.empty());
    rm::MeshBuilder& mesh = *m.host.m_pMesh;
    ASSERT_EQ(mesh.GetFaceCount(), 4);
    ExpectCorners(mesh.GetFace(0), {{1, 2, 1}, {2, 1, 1}, {1, 1, 1}});
    ExpectCorners(mesh.GetFace(1), {{1, -1, 1}, {2, -1, 1}, {1, -2, 1}});     // Y: reversed
    ExpectCorners(mesh.GetFace(2), {{1, 1, -1}, {2, 1, -1}, {1, 2, -1}});     // Z: reversed
    ExpectCorners(mesh.GetFace(3), {{1, -2, -1}, {2, -1, -1}, {1, -1, -1}});  // both: kept
    rm::TexturePtr texture = mesh.GetFace(3).GetTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetName(), "テクスチャ\\能力表.bmp");
    EXPECT_EQ(texture->Width(), 2);
    EXPECT_EQ(mesh.GetFace(0).GetColor(), 0xFF0000FFu);
}

}  // namespace
