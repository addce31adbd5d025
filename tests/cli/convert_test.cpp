#include "cli/convert.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "formats/mqo.h"
#include "formats/registry.h"
#include "model/model_host.h"
#include "test_support.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

struct RunResult {
    int code;
    std::string out;
    std::string err;
};

RunResult Convert(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int code = cli::RunConvert(args, out, err);
    return {code, out.str(), err.str()};
}

// A version 1.0 document whose vertices are a binary block: a square pyramid.
std::string PyramidBVertex() {
    std::string doc =
        "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n"
        "Material 1 {\r\n\t\"m\" col(0.200 0.400 0.600 1.000)\r\n}\r\n"
        "Object \"pyramid\" {\r\n\tBVertex 5 {\r\n\t\tVector 5 [60]\r\n";
    doc += testing_support::LeFloats(
        {-100, 0, -100, 100, 0, -100, 100, 0, 100, -100, 0, 100, 0, 150, 0});
    doc +=
        "\r\n\t}\r\n\tface 5 {\r\n"
        "\t\t4 V(0 1 2 3) M(0)\r\n\t\t3 V(0 4 1) M(0)\r\n\t\t3 V(1 4 2) M(0)\r\n"
        "\t\t3 V(2 4 3) M(0)\r\n\t\t3 V(3 4 0) M(0)\r\n\t}\r\n}\r\nEof\r\n";
    return doc;
}

TEST(ConvertCli, BVertexDocumentToMqoReadsBackWithTheSameGeometry) {
    TempDir dir;
    WriteFile(dir.Path("in.MQO"), PyramidBVertex());
    const RunResult r = Convert({dir.Path("in.MQO"), dir.Path("out.mqo")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;

    testing_support::Model original, back;
    ASSERT_EQ(formats::ReadMqoText(PyramidBVertex(), original.host), 1);
    original.Sync();
    ASSERT_EQ(formats::ReadMqo(dir.Path("out.mqo"), back.host), 1);
    back.Sync();
    ASSERT_EQ(back.table->faceCount, 5);
    for (int f = 0; f < 5; ++f) {
        ASSERT_EQ(back.table->vertexCount[f], original.table->vertexCount[f]);
        for (int k = 0; k < back.table->vertexCount[f]; ++k) {
            EXPECT_EQ(back.table->vertexIndex[f][k], original.table->vertexIndex[f][k]);
            EXPECT_EQ(back.table->position[f][k], original.table->position[f][k]);
        }
        const model::FaceColor& c = back.table->faceColor[f];
        EXPECT_EQ((std::vector<int>{c.red, c.green, c.blue}), (std::vector<int>{51, 102, 153}));
    }
}

TEST(ConvertCli, SeveralInputsMakeOneModel) {
    TempDir dir;
    WriteFile(dir.Path("a.mqo"), PyramidBVertex());
    ASSERT_EQ(Convert({dir.Path("a.mqo"), dir.Path("a.mqo"), dir.Path("both.mqo")}).code, 0);
    testing_support::Model back;
    ASSERT_EQ(formats::ReadMqo(dir.Path("both.mqo"), back.host), 1);
    EXPECT_EQ(back.host.m_pMesh->GetFaceCount(), 10);
}

// Only some writers need the model rebuilt from the table (the mesh of .x, the vertex
// pool of .lwo and .mqo); the others read the table alone. Every one of them must still
// get both inputs' faces and their true positions.
TEST(ConvertCli, EveryWriterGetsEveryInputsGeometry) {
    TempDir dir;
    WriteFile(dir.Path("a.mqo"), PyramidBVertex());
    for (const std::string ext : {"mqo", "lwo", "x", "obj", "ply", "glb"}) {
        SCOPED_TRACE(ext);
        const std::string out = dir.Path("both." + ext);
        const RunResult r = Convert({dir.Path("a.mqo"), dir.Path("a.mqo"), out});
        ASSERT_EQ(r.code, 0) << r.err;
        model::ModelHost back = model::ModelHost::CreateStandalone();
        ASSERT_TRUE(formats::RunReader(*formats::FindReader(out), out, back).ok());
        const int faces = back.m_pMesh->GetFaceCount();
        EXPECT_EQ(faces, ext == "glb" ? 12 : 10);  // .glb keeps triangles only
        const rm::Box box = back.m_pMesh->GetBox();
        // The document's units are a hundredth of the model's.
        EXPECT_EQ(box.min, (rm::Vector{-1, 0, -1}));
        EXPECT_EQ(box.max, (rm::Vector{1, 1.5f, 1}));
    }
}

TEST(ConvertCli, UsageErrors) {
    // Each with the name the message must mention ("" for none in particular).
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, ""},
        {{"only.mqo"}, ""},
        {{"--bogus", "a.mqo", "b.mqo"}, ""},
        {{"a.mqo", "b.txt"}, "b.txt"},
        {{"a.png", "b.mqo"}, "a.png"},
    };
    for (const auto& [args, named] : cases) {
        const RunResult r = Convert(args);
        EXPECT_EQ(r.code, cli::kExitUsage) << testing::PrintToString(args);
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
    }

    const RunResult help = Convert({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: kestrilune-convert"), std::string::npos);
    const RunResult version = Convert({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("kestrilune-convert ", 0), 0u);
}

TEST(ConvertCli, UnreadableInputNamesTheFileAndWritesNothing) {
    TempDir dir;
    WriteFile(dir.Path("broken.mqo"),
              "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"x\" {\r\n");
    WriteFile(dir.Path("good.mqo"), PyramidBVertex());
    const RunResult r =
        Convert({dir.Path("good.mqo"), dir.Path("broken.mqo"), dir.Path("out.mqo")});
    EXPECT_EQ(r.code, cli::kExitReadFailed);
    EXPECT_NE(r.err.find("broken.mqo"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.mqo")));
    const RunResult missing = Convert({dir.Path("missing.mqo"), dir.Path("out.mqo")});
    EXPECT_EQ(missing.code, cli::kExitReadFailed);
    EXPECT_NE(missing.err.find("missing.mqo"), std::string::npos);
}

TEST(ConvertCli, UnwritableOutput) {
    TempDir dir;
    WriteFile(dir.Path("in.mqo"), PyramidBVertex());
    const RunResult r = Convert({dir.Path("in.mqo"), dir.Path("no/such/folder/out.mqo")});
    EXPECT_EQ(r.code, cli::kExitWriteFailed);
    EXPECT_NE(r.err.find("out.mqo"), std::string::npos);
}

TEST(ConvertCli, KeepsEveryFaceBeyondTheModellersLimits) {
    // 6000 triangles in one text-vertex document: the converter's table holds them all.
    std::string doc = "Metasequoia Document\nFormat Text Ver 1.0\nObject \"o\" {\nvertex 6002 {\n";
    for (int i = 0; i < 6002; ++i) doc += std::to_string(i) + " " + std::to_string(i % 2) + " 0\n";
    doc += "}\nface 6000 {\n";
    for (int i = 0; i < 6000; ++i) {
        doc += "3 V(" + std::to_string(i) + " " + std::to_string(i + 1) + " " +
               std::to_string(i + 2) + ")\n";
    }
    doc += "}\n}\nEof\n";
    TempDir dir;
    WriteFile(dir.Path("big.mqo"), doc);
    const RunResult r = Convert({dir.Path("big.mqo"), dir.Path("out.ply")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_NE(ReadFile(dir.Path("out.ply")).find("element face 6000\n"), std::string::npos);
    const RunResult info = Convert({"--info", dir.Path("big.mqo")});
    EXPECT_NE(info.out.find("(5000 faces of 16 corners): no"), std::string::npos) << info.out;
}

}  // namespace

namespace {

// A right triangle in OBJ (right-handed) with an asymmetric position.
constexpr const char* kTriangleObj = "v 1 0 0\nv 0 2 0\nv 0 0 3\nf 1 2 3\n";

TEST(ConvertCli, TransformsComeInTheirOrder) {
    TempDir dir;
    WriteFile(dir.Path("t.obj"), kTriangleObj);
    // --scale 2, then --up z: (x, y, z) -> (x, z, -y); an OBJ model goes to STL unmirrored.
    RunResult r =
        Convert({"--ascii", "--scale", "2", "--up", "z", dir.Path("t.obj"), dir.Path("up.stl")});
    ASSERT_EQ(r.code, 0) << r.err;
    std::string stl = ReadFile(dir.Path("up.stl"));
    EXPECT_NE(stl.find("vertex 2 0 0\nvertex 0 0 -4\nvertex 0 6 0\n"), std::string::npos) << stl;
    EXPECT_TRUE(r.err.empty()) << r.err;  // one colour: nothing lost
    // --flip-handedness last: mirror Z and reverse the corners.
    r = Convert(
        {"--ascii", "--up", "z", "--flip-handedness", dir.Path("t.obj"), dir.Path("flip.stl")});
    ASSERT_EQ(r.code, 0) << r.err;
    stl = ReadFile(dir.Path("flip.stl"));
    EXPECT_NE(stl.find("vertex 0 3 0\nvertex 0 0 2\nvertex 1 0 0\n"), std::string::npos) << stl;
    EXPECT_EQ(Convert({"--scale", "0", "a.obj", "b.stl"}).code, cli::kExitUsage);
    EXPECT_EQ(Convert({"--up", "x", "a.obj", "b.stl"}).code, cli::kExitUsage);
}

TEST(ConvertCli, SaysOnceWhatTheTargetCannotKeep) {
    TempDir dir;
    WriteFile(dir.Path("p.mqo"), PyramidBVertex());  // coloured, one four-corner face
    RunResult r = Convert({dir.Path("p.mqo"), dir.Path("p.stl")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find(".stl keeps no face colours"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(".stl keeps faces of at most 3 corners: 1 larger"), std::string::npos)
        << r.err;
    r = Convert({dir.Path("p.mqo"), dir.Path("p.ply")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    // Mixed conventions are named.
    WriteFile(dir.Path("t.obj"), kTriangleObj);
    r = Convert({dir.Path("p.mqo"), dir.Path("t.obj"), dir.Path("both.ply")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("mix left- and right-handed"), std::string::npos) << r.err;
}

TEST(ConvertCli, BatchCarriesOnPastABadFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path("out"));
    WriteFile(dir.Path("p.mqo"), PyramidBVertex());
    WriteFile(dir.Path("t.obj"), kTriangleObj);
    WriteFile(dir.Path("bad.mqo"), "not a document\n");
    for (const char* jobs : {"1", "3"}) {
        SCOPED_TRACE(jobs);
        const RunResult r =
            Convert({"-o", dir.Path("out"), "--to", "glb", "--jobs", jobs, dir.Path("p.mqo"),
                     dir.Path("bad.mqo"), dir.Path("t.obj"), dir.Path("q.txt")});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(std::filesystem::exists(dir.Path("out/p.glb")));
        EXPECT_TRUE(std::filesystem::exists(dir.Path("out/t.glb")));
        EXPECT_FALSE(std::filesystem::exists(dir.Path("out/bad.glb")));
        EXPECT_NE(r.err.find("bad.mqo"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("q.txt"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("2 of 4 files converted to .glb, 2 failed"), std::string::npos)
            << r.err;
        // The messages come in the order of the files.
        EXPECT_LT(r.err.find("bad.mqo"), r.err.find("q.txt"));
    }
    const RunResult ok = Convert({"-o", dir.Path("out"), "--to", ".PLY", dir.Path("t.obj")});
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_TRUE(std::filesystem::exists(dir.Path("out/t.ply")));
    EXPECT_EQ(Convert({"-o", dir.Path("out"), dir.Path("t.obj")}).code, cli::kExitUsage);
    EXPECT_EQ(Convert({"-o", dir.Path("out"), "--to", "txt", dir.Path("t.obj")}).code,
              cli::kExitUsage);
    EXPECT_EQ(Convert({"-o", dir.Path("nowhere"), "--to", "glb", dir.Path("t.obj")}).code,
              cli::kExitUsage);
    EXPECT_EQ(
        Convert({"--jobs", "0", "-o", dir.Path("out"), "--to", "glb", dir.Path("t.obj")}).code,
        cli::kExitUsage);
}

TEST(ConvertCli, InfoDescribesEachFile) {
    TempDir dir;
    WriteFile(dir.Path("p.mqo"), PyramidBVertex());
    const RunResult r = Convert({"--info", dir.Path("p.mqo"), dir.Path("missing.obj")});
    EXPECT_EQ(r.code, cli::kExitReadFailed);
    EXPECT_NE(r.out.find("p.mqo: Metasequoia document (left-handed)\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  faces 5, corners 16, vertices 5\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  materials 1\n  textures 0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("fits the modeller's limits (5000 faces of 16 corners): yes"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("missing.obj"), std::string::npos);
    // The pyramid's box: x and z from -100 to 100, y from 0 to 150, in the reader's units
    // (a hundredth).
    EXPECT_NE(r.out.find("  bounding box (-1, 0, -1) .. (1, 1.5, 1)\n"), std::string::npos)
        << r.out;
    const RunResult help = Convert({"--help"});
    for (const char* option : {"--info", "-o DIR", "--to EXT", "--jobs N", "--ascii",
                               "--flip-handedness", "--up z", "--scale F"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
}

}  // namespace
