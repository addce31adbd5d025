#include "cli/convert.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "formats/mqo.h"
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

std::string Floats(std::initializer_list<float> values) {
    std::string s;
    for (float f : values) {
        char b[4];
        std::memcpy(b, &f, 4);
        s.append(b, 4);
    }
    return s;
}

// A version 1.0 document whose vertices are a binary block: a square pyramid.
std::string PyramidBVertex() {
    std::string doc =
        "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n"
        "Material 1 {\r\n\t\"m\" col(0.200 0.400 0.600 1.000)\r\n}\r\n"
        "Object \"pyramid\" {\r\n\tBVertex 5 {\r\n\t\tVector 5 [60]\r\n";
    doc += Floats({-100, 0, -100, 100, 0, -100, 100, 0, 100, -100, 0, 100, 0, 150, 0});
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

TEST(ConvertCli, ReportsWhatTheModelsLimitsDrop) {
    // 6000 triangles in one text-vertex document: 1000 are dropped.
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
    const RunResult r = Convert({dir.Path("big.mqo"), dir.Path("out.mqo")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("1000 of 6000 faces were dropped"), std::string::npos) << r.err;
}

}  // namespace
