// The glTF reader: what a small hand-written file gives (its primitives, node transforms,
// materials and images), files that need what is not read, files that point past their
// buffers, and files written by another program.
#include "formats/gltf_read.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/numbers.h"
#include "rm/image_builder.h"
#include "test_support.h"

namespace {

using testing_support::CornerText;
using testing_support::Model;

std::string Base64(const std::string& bytes) {
    static const char* k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = unsigned(std::uint8_t(bytes[i])) << 16 |
                           unsigned(std::uint8_t(bytes[i + 1])) << 8 | std::uint8_t(bytes[i + 2]);
        for (int s : {18, 12, 6, 0}) out += k[(v >> s) & 63];
    }
    if (i + 1 == bytes.size()) {
        const unsigned v = unsigned(std::uint8_t(bytes[i])) << 16;
        out += k[(v >> 18) & 63];
        out += k[(v >> 12) & 63];
        out += "==";
    } else if (i + 2 == bytes.size()) {
        const unsigned v =
            unsigned(std::uint8_t(bytes[i])) << 16 | unsigned(std::uint8_t(bytes[i + 1])) << 8;
        for (int s : {18, 12, 6}) out += k[(v >> s) & 63];
        out += '=';
    }
    return out;
}

// The buffer of the small files: four positions of a unit square (bytes 0..47), their
// texture coordinates as normalised bytes (48..55), and six indices (56..67).
std::string SquareBuffer() {
    std::string b =
        testing_support::LeFloats({0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 1.f, 1.f, 0.f, 0.f, 1.f, 0.f});
    for (std::uint8_t u : {0, 0, 255, 0, 255, 255, 0, 255}) b += char(u);
    for (unsigned i : {0, 1, 2, 0, 2, 3}) base::AppendLE16(b, i);
    return b;
}

// A .gltf around SquareBuffer in a data URI; `primitive` and `rest` are spliced in.
std::string SquareGltf(const std::string& primitive = R"("indices": 2, "mode": 4)",
                       const std::string& rest = {}, const std::string& node = R"("mesh": 0)") {
    const std::string buffer = SquareBuffer();
    return R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}],
      "nodes": [{)" +
           node + R"(}],
      "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "TEXCOORD_0": 1}, )" +
           primitive + R"(}]}],
      "buffers": [{"byteLength": )" +
           std::to_string(buffer.size()) + R"(, "uri": "data:application/octet-stream;base64,)" +
           Base64(buffer) + R"("}],
      "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 48},
                      {"buffer": 0, "byteOffset": 48, "byteLength": 8},
                      {"buffer": 0, "byteOffset": 56, "byteLength": 12}],
      "accessors": [
        {"bufferView": 0, "componentType": 5126, "count": 4, "type": "VEC3"},
        {"bufferView": 1, "componentType": 5121, "normalized": true, "count": 4, "type": "VEC2"},
        {"bufferView": 2, "componentType": 5123, "count": 6, "type": "SCALAR"}])" +
           rest + "}";
}

int Read(const std::string& text, Model& m, formats::ReadResult* r = nullptr, bool binary = false) {
    return formats::ReadGltfBytes(text, binary, {}, m.host, r);
}

TEST(GltfReader, TrianglesStripsAndFansWithTheirTextureCoordinates) {
    const std::pair<std::string, std::string> cases[] = {
        {R"("indices": 2, "mode": 4)", " (0 0 0) (1 0 0) (1 1 0), (0 0 0) (1 1 0) (0 1 0),"},
        {R"("indices": 2)", " (0 0 0) (1 0 0) (1 1 0), (0 0 0) (1 1 0) (0 1 0),"},  // default
        // Strip 0 1 2 0 2 3: (0 1 2); the odd ones swap their last two corners: (1 0 2);
        // (2 0 2) repeats a corner and is a join; (0 3 2).
        {R"("indices": 2, "mode": 5)",
         " (0 0 0) (1 0 0) (1 1 0), (1 0 0) (0 0 0) (1 1 0), (0 0 0) (0 1 0) (1 1 0),"},
        {R"("mode": 6)", " (0 0 0) (1 0 0) (1 1 0), (0 0 0) (1 1 0) (0 1 0),"},  // no indices
        {R"("indices": 2, "mode": 1)", ""},  // lines are no faces
    };
    for (const auto& [primitive, corners] : cases) {
        SCOPED_TRACE(primitive);
        Model m;
        formats::ReadResult r;
        const int ok = Read(SquareGltf(primitive), m, &r);
        if (corners.empty()) {
            EXPECT_EQ(ok, 0);
            continue;
        }
        ASSERT_EQ(ok, 1) << r.detail;
        EXPECT_EQ(CornerText(m), corners);
    }
    Model m;
    ASSERT_EQ(Read(SquareGltf(), m), 1);
    // Normalised bytes: 255 is 1. glTF counts v from the top, as the model does.
    const auto& c = m.host.m_pMesh->FaceCorners(0);
    EXPECT_EQ(std::make_pair(c[1].u, c[1].v), std::make_pair(1.0f, 0.0f));
    EXPECT_EQ(std::make_pair(c[2].u, c[2].v), std::make_pair(1.0f, 1.0f));
    EXPECT_EQ(m.host.m_pMesh->FaceRecords()[0].color, 0xFFFFFFFFu);  // no material: white
}

TEST(GltfReader, NodeTransformsApplyAndAMirrorTurnsTheFacesOver) {
    Model m;
    // Translation (10, 20, 30) after a scale of 2: (1, 1, 0) -> (12, 22, 30).
    ASSERT_EQ(Read(SquareGltf(R"("indices": 2)", {},
                              R"("mesh": 0, "translation": [10, 20, 30], "scale": [2, 2, 2])"),
                   m),
              1);
    EXPECT_EQ(CornerText(m),
              " (10 20 30) (12 20 30) (12 22 30), (10 20 30) (12 22 30) (10 22 30),");
    // A parent that turns a quarter about Z (x -> y) over a child that mirrors X.
    const std::string tree = R"({"asset": {"version": "2.0"}, "nodes": [
        {"rotation": [0, 0, 0.7071067811865476, 0.7071067811865476], "children": [1]},
        {"mesh": 0, "matrix": [-1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1]}],)";
    std::string file = SquareGltf();
    file.replace(0, file.find("\"meshes\""), tree);  // no scenes: every root node
    Model mirrored;
    formats::ReadResult r;
    ASSERT_EQ(Read(file, mirrored, &r), 1) << r.detail;
    // (1, 0, 0) -> mirrored (-1, 0, 0) -> turned (0, -1, 0); the corner order is reversed
    // after the first corner.
    EXPECT_EQ(CornerText(mirrored), " (0 0 0) (-1 -1 0) (0 -1 0), (0 0 0) (-1 0 0) (-1 -1 0),");
}

TEST(GltfReader, MaterialsGiveColourAlphaAndTheirImage) {
    const std::string png = testing_support::MakeImage(testing_support::ImageFormat::Png, 2, 2,
                                                       [](int, int) { return 0xFF336699u; });
    const std::string materials =
        R"(, "materials": [{"pbrMetallicRoughness": {"baseColorFactor": [1, 0.5, 0, 0.25],
                            "baseColorTexture": {"index": 0}}}],
           "textures": [{"source": 0}],
           "images": [{"uri": "data:image/png;base64,)" +
        Base64(png) + R"("}])";
    Model m;
    formats::ReadResult r;
    ASSERT_EQ(Read(SquareGltf(R"("indices": 2, "material": 0)", materials), m, &r), 1) << r.detail;
    // 0.5 * 255 = 127.5 and 0.25 * 255 = 63.75 round to 128 and 64.
    EXPECT_EQ(m.host.m_pMesh->FaceRecords()[0].color, 0x40FF8000u);
    const rm::TexturePtr t = m.host.m_pMesh->TextureOf(0);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Width(), 2);
    EXPECT_EQ(t->Pixels()[0], 0xFF336699u);
    EXPECT_EQ(m.host.m_pMesh->TextureOf(1), t);
    EXPECT_TRUE(r.missingTextures.empty());

    // An image named by a URI that is not there: the texture keeps the name.
    std::string external = materials;
    external.replace(external.find("data:"),
                     external.find("\"}]", external.find("data:")) - external.find("data:"),
                     "my%20wood.png");
    Model m2;
    ASSERT_EQ(Read(SquareGltf(R"("indices": 2, "material": 0)", external), m2, &r), 1) << r.detail;
    ASSERT_TRUE(m2.host.m_pMesh->TextureOf(0));
    EXPECT_EQ(m2.host.m_pMesh->TextureOf(0)->GetName(), "my wood.png");
    EXPECT_EQ(r.missingTextures, std::vector<std::string>{"my wood.png"});
}

// A .glb of `json` and `bin`.
std::string Glb(std::string json, std::string bin) {
    while (json.size() % 4) json += ' ';
    while (bin.size() % 4) bin += '\0';
    std::string s = "glTF";
    base::AppendLE32(s, 2);
    base::AppendLE32(s, std::uint32_t(12 + 8 + json.size() + 8 + bin.size()));
    base::AppendLE32(s, std::uint32_t(json.size()));
    s += "JSON" + json;
    base::AppendLE32(s, std::uint32_t(bin.size()));
    s += std::string("BIN\0", 4) + bin;
    return s;
}

std::string SquareGlbJson(const std::string& extra, std::size_t binSize,
                          const std::string& primitive = R"("indices": 2, "material": 0)") {
    std::string json = SquareGltf(primitive, extra);
    const std::size_t uri = json.find(", \"uri\"");
    json.erase(uri, json.find('}', uri) - uri);
    const std::size_t length = json.find("\"byteLength\": ") + 14;
    json.replace(length, json.find_first_of(",}", length) - length, std::to_string(binSize));
    return json;
}

TEST(GltfReader, ABinaryFileWithItsImageInTheBuffer) {
    const std::string png = testing_support::MakeImage(
        testing_support::ImageFormat::Png, 3, 1,
        [](int x, int) { return 0xFF000000u | std::uint32_t(0x10 * (x + 1)); });
    std::string bin = SquareBuffer();
    bin.resize(68, '\0');
    const std::size_t imageAt = bin.size();
    bin += png;
    std::string extra =
        R"(, "materials": [{"pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}}],
        "textures": [{"source": 0}], "images": [{"bufferView": 3, "mimeType": "image/png"}])";
    std::string json = SquareGlbJson(extra, bin.size());
    json.replace(json.find("{\"buffer\": 0, \"byteOffset\": 56"), 0,
                 R"({"buffer": 0, "byteOffset": )" + std::to_string(imageAt) +
                     R"(, "byteLength": )" + std::to_string(png.size()) + "}, ");
    // The image's view went in front: the index view is now 3 and the image's 2.
    json.replace(json.find("\"bufferView\": 3"), 15, "\"bufferView\": 2");
    json.replace(json.find("{\"bufferView\": 2, \"componentType\": 5123"), 16,
                 "{\"bufferView\": 3");
    Model m;
    formats::ReadResult r;
    ASSERT_EQ(Read(Glb(json, bin), m, &r, true), 1) << r.detail;
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 2);
    const rm::TexturePtr t = m.host.m_pMesh->TextureOf(0);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Width(), 3);
    EXPECT_EQ(t->Pixels()[2], 0xFF000030u);

    // The same with the image's view reaching past the buffer, and cut short.
    std::string past = json;
    past.replace(past.find(std::to_string(png.size())), std::to_string(png.size()).size(),
                 std::to_string(png.size() + 100));
    Model m2;
    EXPECT_EQ(Read(Glb(past, bin), m2, &r, true), 0);
    EXPECT_EQ(r.kind, formats::ReadFailure::Malformed);
    const std::string whole = Glb(json, bin);
    for (std::size_t cut : {whole.size() - 1, whole.size() / 2, std::size_t(30), std::size_t(11)}) {
        Model m3;
        EXPECT_EQ(Read(whole.substr(0, cut), m3, &r, true), 0) << cut;
        EXPECT_EQ(m3.host.m_pMesh->GetFaceCount(), 0);
    }
}

// A .glb whose buffer is its binary chunk and holds no image: the buffer is read where it
// is in the file. Its views are held to the length the buffer declares, the declared length
// to the chunk, and the chunk to the end of the file (the bytes end at a page that cannot be
// read, so a read past them stops the test).
TEST(GltfReader, ABinaryFileWithoutImagesIsReadWithinItsChunk) {
    const std::string good = Glb(SquareGlbJson("", 68, R"("indices": 2)"), SquareBuffer());
    {
        Model m;
        formats::ReadResult r;
        const testing_support::BytesAtPageEnd bytes(good);
        ASSERT_EQ(formats::ReadGltfBytes(bytes.View(), true, {}, m.host, &r), 1) << r.detail;
        EXPECT_EQ(CornerText(m), " (0 0 0) (1 0 0) (1 1 0), (0 0 0) (1 1 0) (0 1 0),");
        const auto& c = m.host.m_pMesh->FaceCorners(0);
        EXPECT_EQ(std::make_pair(c[2].u, c[2].v), std::make_pair(1.0f, 1.0f));
    }
    const std::size_t chunk =
        20 + base::LoadLE32(reinterpret_cast<const unsigned char*>(good.data() + 12));
    const auto withChunkLength = [&](std::string file, std::uint32_t length) {
        std::string field;
        base::AppendLE32(field, length);
        return file.replace(chunk, 4, field);
    };
    const std::pair<std::string, std::string> cases[] = {
        // The buffer says 60 bytes: the index view (56..67) reaches past it.
        {Glb(SquareGlbJson("", 60, R"("indices": 2)"), SquareBuffer()), "buffer view"},
        // The buffer says more than the chunk holds.
        {Glb(SquareGlbJson("", 72, R"("indices": 2)"), SquareBuffer()), "byteLength"},
        // The chunk and its buffer say 72 bytes where the file holds 68.
        {withChunkLength(Glb(SquareGlbJson("", 72, R"("indices": 2)"), SquareBuffer()), 72),
         "end of the file"},
    };
    for (const auto& [file, why] : cases) {
        Model m;
        formats::ReadResult r;
        const testing_support::BytesAtPageEnd bytes(file);
        EXPECT_EQ(formats::ReadGltfBytes(bytes.View(), true, {}, m.host, &r), 0);
        EXPECT_EQ(r.kind, formats::ReadFailure::Malformed);
        EXPECT_NE(r.detail.find(why), std::string::npos) << r.detail;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
    }
}

// A .glb of many pages read from the disk, whose pages the reader gives back as it goes,
// gives the triangles of the same bytes in memory: a grid of 150 x 150 vertices, two
// triangles a square.
TEST(GltfReader, ABinaryFileOnDiskReadsAsItsBytesInMemory) {
    constexpr std::uint32_t kSide = 150, kTriangles = 2 * (kSide - 1) * (kSide - 1);
    std::string bin;
    for (std::uint32_t y = 0; y < kSide; ++y) {
        for (std::uint32_t x = 0; x < kSide; ++x) {
            for (float f : {float(x), float(y), 0.0f}) base::AppendLEFloat(bin, f);
        }
    }
    const std::size_t positions = bin.size();
    for (std::uint32_t y = 0; y + 1 < kSide; ++y) {
        for (std::uint32_t x = 0; x + 1 < kSide; ++x) {
            const std::uint32_t a = y * kSide + x;
            for (std::uint32_t k : {a, a + 1, a + kSide, a + 1, a + kSide + 1, a + kSide})
                base::AppendLE32(bin, k);
        }
    }
    const std::string json =
        R"({"asset": {"version": "2.0"}, "scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1}]}],
        "buffers": [{"byteLength": )" +
        std::to_string(bin.size()) + R"(}],
        "bufferViews": [{"buffer": 0, "byteLength": )" +
        std::to_string(positions) + R"(}, {"buffer": 0, "byteOffset": )" +
        std::to_string(positions) + R"(, "byteLength": )" + std::to_string(bin.size() - positions) +
        R"(}],
        "accessors": [{"bufferView": 0, "componentType": 5126, "count": )" +
        std::to_string(kSide * kSide) + R"(, "type": "VEC3"},
          {"bufferView": 1, "componentType": 5125, "count": )" +
        std::to_string(3 * kTriangles) + R"(, "type": "SCALAR"}]})";
    const std::string file = Glb(json, bin);
    Model inMemory;
    ASSERT_EQ(Read(file, inMemory, nullptr, true), 1);
    const rm::MeshBuilder& expected = *inMemory.host.m_pMesh;
    ASSERT_EQ(expected.GetFaceCount(), int(kTriangles));
    // The last square's second triangle.
    EXPECT_EQ(testing_support::LastFaceText(expected), " (149 148 0) (149 149 0) (148 149 0)");

    testing_support::TempDir dir;
    const std::string path = dir.Path("grid.glb");
    testing_support::WriteFile(path, file);
    Model onDisk;
    formats::ReadResult r;
    ASSERT_EQ(formats::ReadGltf(path, onDisk.host, &r), 1) << r.detail;
    EXPECT_TRUE(testing_support::SameFaces(*onDisk.host.m_pMesh, expected));
}

TEST(GltfReader, FilesThatPointPastWhatTheyHoldAreRefused) {
    const auto with = [](std::string file, const std::string& from, const std::string& to) {
        const std::size_t at = file.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return file.replace(at, from.size(), to);
    };
    const std::string good = SquareGltf();
    const std::string cases[] = {
        // An accessor past its view; a view past its buffer; a count past the view.
        with(good, R"("count": 4, "type": "VEC3")", R"("count": 5, "type": "VEC3")"),
        with(good, R"("byteOffset": 56, "byteLength": 12)",
             R"("byteOffset": 60, "byteLength": 12)"),
        with(good, R"("count": 6, "type": "SCALAR")", R"("count": 7, "type": "SCALAR")"),
        with(good, R"("count": 6, "type": "SCALAR")",
             R"("count": 6, "byteOffset": 4000000000, "type": "SCALAR")"),
        // A stride smaller than the elements.
        with(good, R"("byteOffset": 0, "byteLength": 48})",
             R"("byteOffset": 0, "byteLength": 48, "byteStride": 4})"),
        // Indices and references that name nothing.
        with(good, R"("indices": 2)", R"("indices": 9)"),
        with(good, R"("POSITION": 0)", R"("POSITION": 2)"),  // scalars as positions
        with(good, R"("mesh": 0)", R"("mesh": 3)"),
        with(good, R"("nodes": [0]}])", R"("nodes": [4]}])"),
        with(good, R"("mesh": 0)", R"("mesh": 0, "children": [0])"),  // a cycle
        with(good, R"("indices": 2, "mode": 4)", R"("indices": 2, "material": 0)"),
        with(good, R"("mesh": 0)", R"("mesh": 0, "translation": [1, 2])"),
        // The buffer's length is not its data's; an index past the vertices.
        with(good, R"("byteLength": 68)", R"("byteLength": 6800)"),
        with(good, R"("nodes": [0]}])", R"("nodes": [0]}], "extra": 0)") + "trailing", "", "{",
        R"({"asset": {"version": "2.0"}})",  // no triangles
    };
    for (const std::string& file : cases) {
        Model m;
        formats::ReadResult r;
        EXPECT_EQ(Read(file, m, &r), 0) << file.substr(0, 200);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
    }
    // An index past the four vertices, in a buffer of its own.
    std::string buffer = SquareBuffer();
    buffer[56 + 4] = 4;  // the third index
    std::string bad = good;
    const std::size_t at = bad.find("base64,") + 7;
    bad.replace(at, bad.find('"', at) - at, Base64(buffer));
    Model m;
    formats::ReadResult r;
    EXPECT_EQ(Read(bad, m, &r), 0);
    EXPECT_NE(r.detail.find("index"), std::string::npos) << r.detail;
}

TEST(GltfReader, ARequiredExtensionThatIsNotReadIsNamed) {
    std::string file = SquareGltf();
    file.insert(1, R"("extensionsUsed": ["KHR_draco_mesh_compression", "KHR_texture_transform"],
                      "extensionsRequired": ["KHR_draco_mesh_compression"], )");
    Model m;
    formats::ReadResult r;
    EXPECT_EQ(Read(file, m, &r), 0);
    EXPECT_EQ(r.kind, formats::ReadFailure::Unsupported);
    EXPECT_NE(r.detail.find("KHR_draco_mesh_compression"), std::string::npos);
    // Used but not required: read, the extension ignored.
    file.erase(file.find(R"("extensionsRequired")"),
               file.find("], ", file.find(R"("extensionsRequired")")) + 3 -
                   file.find(R"("extensionsRequired")"));
    Model m2;
    EXPECT_EQ(Read(file, m2, &r), 1) << r.detail;
}

TEST(GltfReader, FilesOfAnotherProgramHaveItsFaceCounts) {
    Model tiger;
    formats::ReadResult r;
    ASSERT_EQ(formats::ReadGltf(testing_support::RealFile("by-assimp/tiger.glb"), tiger.host, &r),
              1)
        << r.detail;
    EXPECT_EQ(tiger.host.m_pMesh->GetFaceCount(), 602);
    // Its vertices as well: the position accessors' counts (303 here, 3,148 over the plane's
    // 83 meshes), none joined or added.
    EXPECT_EQ(tiger.host.m_pMesh->Vertices().size(), 303u);
    // Its image is a URI of a file that is not there.
    EXPECT_EQ(r.missingTextures, std::vector<std::string>{"tiger.bmp"});
    Model plane;
    ASSERT_EQ(
        formats::ReadGltf(testing_support::RealFile("by-assimp/p51_mustang.gltf"), plane.host, &r),
        1)
        << r.detail;
    EXPECT_EQ(plane.host.m_pMesh->GetFaceCount(), 2992);
    EXPECT_EQ(plane.host.m_pMesh->Vertices().size(), 3148u);
    // Its material: baseColorFactor 0.6 -> 153.
    EXPECT_EQ(plane.host.m_pMesh->FaceRecords()[0].color, 0xFF999999u);
}

}  // namespace
