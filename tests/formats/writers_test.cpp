// The writers of glTF, OBJ, STL and PLY: their bytes checked by hand on a small model, the
// axis conventions between every pair of formats, and every file they write of the samples
// and the real files judged by outside tools (the Khronos glTF validator, assimp).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "doc/model_io.h"
#include "formats/registry.h"
#include "formats/text_io.h"
#include "outside_judges.h"
#include "test_support.h"

namespace {

using testing_support::Model;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// A triangle (0,0,0) (1,0,0) (0,2,3), red, corner normals +Z, and a rectangle (0,0,0)
// (1,0,0) (1,2,3) (0,2,3), blue at alpha 128, whose corner normals are zero (as a face of
// no area leaves them) so that the writers fall back to the face's normal.
void FillSmallModel(Model& m) {
    testing_support::ModelBuilder()
        .Vertices({{0, 0, 0}, {1, 0, 0}, {0, 2, 3}, {1, 2, 3}})
        .Face({0, 1, 2})
        .Color(255, 0, 0)
        .Normal({0, 0, 1})
        .Uv({{0, 0.5f}, {0.25f, 0.5f}, {0.5f, 0.5f}})
        .Face({0, 1, 3, 2})
        .Color(0, 0, 255, 128)
        .Uv({{0, 0.5f}, {0.25f, 0.5f}, {0.5f, 0.5f}, {0.75f, 0.5f}})
        .Into(m);
}

std::string Write(Model& m, const std::string& path, bool ascii = false,
                  std::vector<std::string>* warnings = nullptr) {
    doc::ExportOptions options;
    options.ascii = ascii;
    const doc::ExportReport r = doc::ExportFile(m.host, *m.table, path, options);
    EXPECT_TRUE(r.ok) << path << ": " << r.detail;
    if (warnings) *warnings = r.warnings;
    return ReadFile(path);
}

using testing_support::Le32;
using testing_support::LeFloats;

// The left-handed model (nothing opened: the program's own) arrives mirrored in Z with its
// corners reversed: the triangle is written (0,2,-3) (1,0,0) (0,0,0), the rectangle
// (0,2,-3) (1,2,-3) (1,0,0) (0,0,0). Its face normal is (1,0,0) x (1,-2,3) made unit:
// (0, -3, -2) / sqrt(13).
TEST(Writers, ObjAndMtlByHand) {
    Model m;
    FillSmallModel(m);
    TempDir dir;
    const std::string obj = Write(m, dir.Path("small.obj"));
    EXPECT_EQ(obj,
              "# Kestrilune\nmtllib small.mtl\n"
              "v 0 2 -3\nvn 0 0 -1\nv 1 0 0\nvn 0 0 -1\nv 0 0 0\nvn 0 0 -1\n"
              "vn 0 -0.8320503 -0.5547002\nv 1 2 -3\nvn 0 -0.8320503 -0.5547002\n"
              "vn 0 -0.8320503 -0.5547002\nvn 0 -0.8320503 -0.5547002\n"
              "usemtl material0\nf 1//1 2//2 3//3\n"
              "usemtl material1\nf 1//4 4//5 2//6 3//7\n");
    EXPECT_EQ(ReadFile(dir.Path("small.mtl")),
              "# Kestrilune\nnewmtl material0\nKd 1 0 0\nd 1\n"
              "newmtl material1\nKd 0 0 1\nd 0.5019608\n");
}

TEST(Writers, StlByHand) {
    Model m;
    FillSmallModel(m);
    TempDir dir;
    const float a = float(-3.0 / std::sqrt(13.0)), b = float(-2.0 / std::sqrt(13.0));
    // Three triangles: the triangle, then the rectangle cut in two by the shared rule.
    const std::string bin = Write(m, dir.Path("small.stl"));
    ASSERT_EQ(bin.size(), 84u + 3 * 50u);
    EXPECT_EQ(bin.substr(0, 21), "Kestrilune binary STL");
    EXPECT_EQ(bin.substr(21, 59), std::string(59, '\0'));
    EXPECT_EQ(bin.substr(80, 4), Le32(3));
    EXPECT_EQ(bin.substr(84, 50),
              LeFloats({0, a, b, 0, 2, -3, 1, 0, 0, 0, 0, 0}) + std::string(2, '\0'));
    const std::string text = Write(m, dir.Path("text.stl"), true);
    EXPECT_TRUE(text.starts_with(
        "solid text\nfacet normal 0 -0.8320503 -0.5547002\nouter loop\nvertex 0 2 -3\n"
        "vertex 1 0 0\nvertex 0 0 0\nendloop\nendfacet\nfacet normal 0 -0.8320503 "
        "-0.5547002\n"
        "outer"))
        << text;
    EXPECT_TRUE(text.ends_with("endloop\nendfacet\nendsolid text\n"));
    // Both rectangle halves are corners of the rectangle, in its winding.
    std::size_t facets = 0;
    for (std::size_t p = text.find("facet normal"); p != std::string::npos;
         p = text.find("facet normal", p + 1))
        ++facets;
    EXPECT_EQ(facets, 3u);
}

TEST(Writers, PlyByHand) {
    Model m;
    FillSmallModel(m);
    TempDir dir;
    // Vertices 0, 1 and 2 are shared by a red and a blue face: written once per colour.
    const std::string header =
        "ply\nformat ascii 1.0\ncomment written by Kestrilune\nelement vertex 7\n"
        "property float x\nproperty float y\nproperty float z\n"
        "property uchar red\nproperty uchar green\nproperty uchar blue\nproperty uchar alpha\n"
        "element face 2\nproperty list uchar int vertex_indices\nend_header\n";
    EXPECT_EQ(Write(m, dir.Path("text.ply"), true),
              header +
                  "0 2 -3 255 0 0 255\n1 0 0 255 0 0 255\n0 0 0 255 0 0 255\n"
                  "0 2 -3 0 0 255 128\n1 2 -3 0 0 255 128\n1 0 0 0 0 255 128\n"
                  "0 0 0 0 0 255 128\n"
                  "3 0 1 2\n4 3 4 5 6\n");
    const std::string bin = Write(m, dir.Path("bin.ply"));
    std::string binHeader = header;
    binHeader.replace(binHeader.find("ascii"), 5, "binary_little_endian");
    ASSERT_EQ(bin.substr(0, binHeader.size()), binHeader);
    const std::string body = bin.substr(binHeader.size());
    ASSERT_EQ(body.size(), 7u * 16 + (1 + 3 * 4) + (1 + 4 * 4));
    EXPECT_EQ(body.substr(0, 16), LeFloats({0, 2, -3}) + std::string("\xFF\0\0\xFF", 4));
    EXPECT_EQ(body.substr(7 * 16), "\x03" + Le32(0) + Le32(1) + Le32(2) + "\x04" + Le32(3) +
                                       Le32(4) + Le32(5) + Le32(6));
}

// glTF: the document's numbers by hand, the buffer's bytes where they matter.
TEST(Writers, GltfByHand) {
    Model m;
    FillSmallModel(m);
    TempDir dir;
    const nlohmann::json doc = nlohmann::json::parse(Write(m, dir.Path("small.gltf")));
    const std::string bin = ReadFile(dir.Path("small.bin"));
    EXPECT_EQ(doc["asset"]["version"], "2.0");
    EXPECT_EQ(doc["buffers"][0]["uri"], "small.bin");
    EXPECT_EQ(doc["buffers"][0]["byteLength"], bin.size());
    ASSERT_EQ(doc["materials"].size(), 2u);
    const auto& red = doc["materials"][0];
    const auto& blue = doc["materials"][1];
    EXPECT_EQ(red["pbrMetallicRoughness"]["baseColorFactor"],
              nlohmann::json::array({1.0, 0.0, 0.0, 1.0}));
    EXPECT_FALSE(red.contains("alphaMode") && red["alphaMode"] != "OPAQUE");
    EXPECT_EQ(blue["alphaMode"], "BLEND");
    EXPECT_NEAR(double(blue["pbrMetallicRoughness"]["baseColorFactor"][3]), 128.0 / 255, 1e-9);
    const auto& prims = doc["meshes"][0]["primitives"];
    ASSERT_EQ(prims.size(), 2u);
    // 3 + 4 vertices (the shared ones differ in their normals), 1 + 2 triangles.
    const auto& accessors = doc["accessors"];
    const auto& pos = accessors[int(prims[0]["attributes"]["POSITION"])];
    EXPECT_EQ(pos["count"], 7);
    EXPECT_EQ(pos["min"], nlohmann::json::array({0.0, 0.0, -3.0}));
    EXPECT_EQ(pos["max"], nlohmann::json::array({1.0, 2.0, 0.0}));
    EXPECT_EQ(accessors[int(prims[0]["indices"])]["count"], 3);
    EXPECT_EQ(accessors[int(prims[1]["indices"])]["count"], 6);
    EXPECT_EQ(accessors[int(prims[1]["indices"])]["componentType"], 5123);  // 16-bit
    // The positions, in order of first use, and the first triangle's indices.
    const int posView = pos["bufferView"];
    const std::size_t posAt = doc["bufferViews"][posView].value("byteOffset", 0);
    EXPECT_EQ(bin.substr(posAt, 7 * 12),
              LeFloats({0, 2, -3, 1, 0, 0, 0, 0, 0, 0, 2, -3, 1, 2, -3, 1, 0, 0, 0, 0, 0}));
    const auto& nor = accessors[int(prims[0]["attributes"]["NORMAL"])];
    const std::size_t norAt = doc["bufferViews"][int(nor["bufferView"])].value("byteOffset", 0);
    const float a = float(-3.0 / std::sqrt(13.0)), b = float(-2.0 / std::sqrt(13.0));
    EXPECT_EQ(bin.substr(norAt, 4 * 12), LeFloats({0, 0, -1, 0, 0, -1, 0, 0, -1, 0, a, b}));
    const auto& idx = accessors[int(prims[0]["indices"])];
    const std::size_t idxAt = doc["bufferViews"][int(idx["bufferView"])].value("byteOffset", 0);
    EXPECT_EQ(bin.substr(idxAt, 6), std::string("\0\0\1\0\2\0", 6));
}

// A right-handed model (opened from OBJ) is written as it is; a mixed one counts as
// left-handed.
TEST(Writers, RightHandedModelsAreWrittenAsTheyAre) {
    Model m;
    FillSmallModel(m);
    m.host.handedness = model::Handedness::Right;
    TempDir dir;
    const std::string text = Write(m, dir.Path("right.stl"), true);
    EXPECT_TRUE(text.starts_with(
        "solid right\nfacet normal 0 -0.8320503 0.5547002\nouter loop\nvertex 0 0 0\n"
        "vertex 1 0 0\nvertex 0 2 3\n"))
        << text;
    m.host.handedness = model::Handedness::Mixed;
    EXPECT_NE(
        Write(m, dir.Path("mixed.stl"), true).find("vertex 0 2 -3\nvertex 1 0 0\nvertex 0 0 0"),
        std::string::npos);
}

// An asymmetric triangle in a file of each readable format: written by the program's
// writers, or by hand for OBJ. (DXF keeps a triangle as a four-corner face, whose last
// corner is doubled: it is a target only.)
std::vector<std::string> WriteTriangleSources(const TempDir& dir) {
    std::vector<std::string> sources;
    Model m;
    testing_support::ModelBuilder().FaceAt({{1, 0, 0}, {0, 2, 0}, {0, 0, 3}}).Into(m);
    for (const char* ext : {"x", "lwo", "mqo"}) {
        sources.push_back(dir.Path(std::string("src.") + ext));
        Write(m, sources.back());
    }
    sources.push_back(dir.Path("src.obj"));
    WriteFile(sources.back(), "v 1 0 0\nv 0 2 0\nv 0 0 3\nf 1 2 3\n");
    return sources;
}

// What a right-handed file must hold of face 0, corner by corner, as "vertex x y z" lines:
// a left-handed model's corners mirrored in Z and reversed.
std::string RightHandedCorners(const model::FaceTable& t, bool left) {
    std::string expected;
    for (int i = 0; i < 3; ++i) {
        const rm::Vector& q = t.position[0][left ? 2 - i : i];
        std::string line = "vertex ";
        formats::AppendShortest(line, q.x);
        line += ' ';
        formats::AppendShortest(line, q.y);
        line += ' ';
        formats::AppendShortest(line, left ? 0.0f - q.z : q.z);
        expected += line + "\n";
    }
    return expected;
}

// The corners an OBJ or PLY file holds (by position), in the same "vertex x y z" lines.
std::string WrittenCorners(const std::string& ext, const std::string& written) {
    std::string got;
    if (ext == "obj") {
        for (std::size_t p = written.find("\nv "); p != std::string::npos;
             p = written.find("\nv ", p + 1))
            got += "vertex " + written.substr(p + 3, written.find('\n', p + 1) - p - 3) + "\n";
        return got;
    }
    std::size_t p = written.find("end_header\n") + 11;
    for (int i = 0; i < 3; ++i) {
        const std::size_t e = written.find('\n', p);
        std::string l = written.substr(p, e - p);
        // x y z r g b a: drop the colour
        for (int k = 0; k < 4; ++k) l = l.substr(0, l.find_last_of(' '));
        got += "vertex " + l + "\n";
        p = e + 1;
    }
    return got;
}

// One writer's file of the opened model m: the older formats' files do not depend on the
// model's convention; the right-handed formats' files do, and hold `expected`.
void ExpectWriterFollowsConvention(Model& m, const TempDir& dir, const formats::WriterEntry& w,
                                   bool left, const std::string& expected) {
    const std::string ext(w.extension);
    SCOPED_TRACE(ext);
    const std::string out = dir.Path("out." + ext);
    const std::string written = Write(m, out, true);
    const formats::Format& format = *formats::FindFormat(out);
    const model::Handedness was = m.host.handedness;
    m.host.handedness = left ? model::Handedness::Right : model::Handedness::Left;  // the other
    const std::string other = Write(m, out, true);
    m.host.handedness = was;
    if (!format.writerAdded) {
        EXPECT_EQ(written, other);  // the older formats keep coordinates as they are
        return;
    }
    EXPECT_NE(written, other);
    if (ext == "stl") {
        EXPECT_NE(written.find(expected), std::string::npos) << written;
    }
    if (ext == "ply") {
        EXPECT_NE(written.find("3 0 1 2\n"), std::string::npos);
    }
    // OBJ and PLY: the same corners (by position) in the same order. (glTF: the validator
    // and the hand check above.)
    if (ext == "obj" || ext == "ply") {
        EXPECT_EQ(WrittenCorners(ext, written), expected);
    }
}

// Every pair of formats: the triangle goes into a file of each readable format, is opened,
// and goes out through every writer. The right-handed formats get the opened corners
// mirrored in Z and reversed when the source is left-handed, as they are when it is
// right-handed.
TEST(Conventions, EveryPairOfFormats) {
    TempDir dir;
    for (const std::string& source : WriteTriangleSources(dir)) {
        SCOPED_TRACE(source);
        Model m;
        ASSERT_TRUE(doc::ImportFile(m.host, *m.table, source).ok());
        const model::FaceTable& t = *m.table;
        ASSERT_EQ(t.faceCount, 1);
        ASSERT_EQ(t.vertexCount[0], 3);
        const bool left = formats::ConventionOf(source) == model::Handedness::Left;
        EXPECT_EQ(m.host.handedness, formats::ConventionOf(source));
        const std::string expected = RightHandedCorners(t, left);
        for (const formats::WriterEntry& w : formats::Writers())
            ExpectWriterFollowsConvention(m, dir, w, left, expected);
    }
}

// glTF: the found texture is a PNG image (tex_0.png beside a .gltf, inside a .glb); the
// missing one leaves its face untextured and is named in a warning.
void ExpectGltfTextureImages(Model& m, const TempDir& dir) {
    std::vector<std::string> warnings;
    const nlohmann::json doc =
        nlohmann::json::parse(Write(m, dir.Path("tex.gltf"), false, &warnings));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("wood.bmp"), std::string::npos);
    ASSERT_EQ(doc["images"].size(), 1u);
    EXPECT_EQ(doc["images"][0]["uri"], "tex_0.png");
    EXPECT_EQ(ReadFile(dir.Path("tex_0.png")).substr(1, 3), "PNG");
    EXPECT_EQ(doc["materials"][0]["pbrMetallicRoughness"]["baseColorTexture"]["index"], 0);
    EXPECT_FALSE(doc["materials"][1]["pbrMetallicRoughness"].contains("baseColorTexture"));
    EXPECT_TRUE(doc["meshes"][0]["primitives"][0]["attributes"].contains("TEXCOORD_0"));
    const std::string glb = Write(m, dir.Path("tex.glb"));
    EXPECT_NE(glb.find("image/png"), std::string::npos);
    EXPECT_NE(glb.find("\x89PNG"), std::string::npos);
}

// OBJ: the found texture is written beside the file as a PNG image, which map_Kd names
// (the texture's own file is not beside it); the missing one keeps its name, with a
// warning. v is flipped (OBJ's origin is the bottom left). The file reads back textured.
void ExpectObjTextureImages(Model& m, const TempDir& dir, const rm::TexturePtr& found) {
    std::vector<std::string> warnings;
    std::filesystem::create_directory(dir.Path("obj"));
    Write(m, dir.Path("obj/tex.obj"), false, &warnings);
    const std::string mtl = ReadFile(dir.Path("obj/tex.mtl"));
    EXPECT_NE(mtl.find("map_Kd tex_0.png\n"), std::string::npos) << mtl;
    EXPECT_NE(mtl.find("map_Kd wood.bmp\n"), std::string::npos) << mtl;
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("wood.bmp"), std::string::npos);
    EXPECT_EQ(ReadFile(dir.Path("obj/tex_0.png")), ReadFile(dir.Path("tex_0.png")));
    EXPECT_NE(ReadFile(dir.Path("obj/tex.obj")).find("\nvt 0.5 0.5\n"), std::string::npos);
    Model back;
    ASSERT_TRUE(doc::ImportFile(back.host, *back.table, dir.Path("obj/tex.obj")).ok());
    const rm::TexturePtr& t = back.table->faceTexture[0];
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Width(), 2);
    EXPECT_EQ(t->Pixels(), found->Pixels());
}

// PLY names one texture for all its faces: none while the faces differ in texture, the
// found one (as a PNG beside the file) when every face has it.
void ExpectPlyTextureImage(Model& m, const TempDir& dir, const rm::TexturePtr& found) {
    std::vector<std::string> warnings;
    const rm::TexturePtr second = m.table->faceTexture[1];
    const std::string two = Write(m, dir.Path("two.ply"), true, &warnings);
    EXPECT_EQ(two.find("TextureFile"), std::string::npos);
    EXPECT_NE(two.find("property float s\n"), std::string::npos);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("one texture"), std::string::npos);
    m.table->faceTexture[1] = found;
    const std::string one = Write(m, dir.Path("obj/one.ply"), true, &warnings);
    EXPECT_NE(one.find("comment written by Kestrilune\ncomment TextureFile one_0.png\n"),
              std::string::npos);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(ReadFile(dir.Path("obj/one_0.png")), ReadFile(dir.Path("tex_0.png")));
    m.table->faceTexture[1] = second;
}

// A texture whose bitmap was found goes into the glTF, OBJ and PLY files as a PNG image;
// one whose bitmap was not found is named in a warning.
TEST(Writers, TexturesBecomeImagesOrWarnings) {
    Model m;
    FillSmallModel(m);
    auto found = std::make_shared<rm::Texture>("C:\\textures\\checker.bmp");
    found->SetPixels(2, 1, {0xFF102030u, 0x80FFFFFFu});
    m.table->faceTexture[0] = found;
    m.table->faceTexture[1] = std::make_shared<rm::Texture>("wood.bmp");
    TempDir dir;
    ExpectGltfTextureImages(m, dir);
    ExpectObjTextureImages(m, dir, found);
    ExpectPlyTextureImage(m, dir, found);

    if (!testing_support::GltfValidatorMissing().empty()) return;
    for (const auto& v :
         testing_support::ValidateGltf({dir.Path("tex.gltf"), dir.Path("tex.glb")})) {
        EXPECT_EQ(v.errors, 0) << v.file << "\n" << v.messages;
        EXPECT_EQ(v.warnings, 0) << v.file << "\n" << v.messages;
    }
}

// A file whose name has blanks: OBJ lists libraries by blank-separated names and takes
// map_Kd's last word, so the library and the image beside it are named without blanks and
// the model reads back with its colours and texture.
TEST(Writers, ObjOfANameWithBlanksReadsBackColouredAndTextured) {
    Model m;
    FillSmallModel(m);
    auto found = std::make_shared<rm::Texture>("checker.bmp");
    found->SetPixels(1, 1, {0xFF102030u});
    m.table->faceTexture[0] = found;
    TempDir dir;
    const std::string obj = Write(m, dir.Path("my model.obj"));
    EXPECT_NE(obj.find("mtllib my_model.mtl\n"), std::string::npos) << obj;
    EXPECT_NE(ReadFile(dir.Path("my_model.mtl")).find("map_Kd my_model_0.png\n"),
              std::string::npos);
    Model back;
    ASSERT_TRUE(doc::ImportFile(back.host, *back.table, dir.Path("my model.obj")).ok());
    const model::FaceTable& t = *back.table;
    ASSERT_EQ(t.faceCount, 2);
    EXPECT_EQ(t.faceColor[0].red, 255);
    EXPECT_EQ(t.faceColor[1].blue, 255);
    EXPECT_EQ(t.faceColor[1].alpha, 128);
    ASSERT_TRUE(t.faceTexture[0]);
    EXPECT_EQ(t.faceTexture[0]->Pixels(), found->Pixels());
    EXPECT_FALSE(t.faceTexture[1]);
}

TEST(OutsideJudges, TheGltfValidatorAcceptsEveryFileWritten) {
    REQUIRE_JUDGE(testing_support::GltfValidatorMissing());
    TempDir dir;
    std::vector<std::string> written;
    int n = 0;
    for (const std::string& source : testing_support::ReadableModels()) {
        Model m;
        if (!doc::ImportFile(m.host, *m.table, source).ok()) continue;  // refused on purpose
        for (const char* ext : {"gltf", "glb"}) {
            const std::string out = dir.Path("m" + std::to_string(n) + "." + ext);
            const doc::ExportReport r = doc::ExportFile(m.host, *m.table, out);
            ASSERT_TRUE(r.ok) << source << " -> " << ext << ": " << r.detail;
            written.push_back(out);
        }
        ++n;
    }
    EXPECT_GE(n, 40);
    const auto verdicts = testing_support::ValidateGltf(written);
    ASSERT_EQ(verdicts.size(), written.size());
    for (const auto& v : verdicts) {
        EXPECT_EQ(v.errors, 0) << v.file << "\n" << v.messages;
        EXPECT_EQ(v.warnings, 0) << v.file << "\n" << v.messages;
    }
}

// assimp reads each new writer's file of a few models with the faces and vertices written.
TEST(OutsideJudges, AssimpReadsTheFacesAndVerticesWritten) {
    REQUIRE_JUDGE(testing_support::AssimpMissing());
    TempDir dir;
    const std::vector<std::string> sources = {
        std::string(KESTRILUNE_SAMPLES) + "/house.mqo",
        testing_support::RealFile("lwo/ConcavePolygon.lwo"),
        testing_support::RealFile("x/test_cube_text.x"),
        testing_support::RealFile("obj/concave_polygon.obj"),
    };
    for (const std::string& source : sources) {
        Model m;
        ASSERT_TRUE(doc::ImportFile(m.host, *m.table, source).ok()) << source;
        const model::FaceTable& t = *m.table;
        long polygons = 0, triangles = 0, corners = 0;
        for (int f = 0; f < t.faceCount; ++f) {
            if (t.vertexCount[f] < 3) continue;
            ++polygons;
            triangles += t.vertexCount[f] - 2;
            corners += t.vertexCount[f];
        }
        for (const char* ext : {"glb", "obj", "stl", "ply"}) {
            SCOPED_TRACE(source + " -> " + ext);
            const std::string out = dir.Path(std::string("j.") + ext);
            ASSERT_TRUE(doc::ExportFile(m.host, t, out).ok);
            const auto c = testing_support::AssimpInfo(out);
            ASSERT_TRUE(c.read) << c.output;
            const std::string e = ext;
            EXPECT_EQ(c.faces, e == "obj" || e == "ply" ? polygons : triangles);
            if (e == "stl") {
                EXPECT_EQ(c.vertices, 3 * triangles);
            }
            if (e == "obj") {
                EXPECT_EQ(c.vertices, corners);  // assimp: one per corner
            }
            if (e == "ply") {
                const std::string ply = ReadFile(out);
                const std::size_t at = ply.find("element vertex ") + 15;
                EXPECT_EQ(c.vertices, std::atol(ply.c_str() + at));
            }
        }
    }
}

}  // namespace
