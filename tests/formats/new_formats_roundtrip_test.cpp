// Every sample and every real file a reader takes goes out through the glTF, STL, PLY and
// OBJ writers and is opened again: what each format holds must come back. Corner by corner
// the positions, in the written order: a left-handed model reaches these right-handed
// formats mirrored in Z with its corners reversed, and the readers keep coordinates as the
// file has them, so the read-back model is the mirror image of a left-handed source. Faces
// stay polygons in OBJ and PLY; glTF and STL hold the shared triangle split of each face
// (glTF grouped by material, in order of first use). Colours and alpha where the format has
// them, texture coordinates and the textures' pixels where it has those.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <tuple>

#include "doc/model_io.h"
#include "formats/registry.h"
#include "rm/polygon.h"
#include "test_support.h"

namespace {

using testing_support::Model;

struct Target {
    const char* extension;
    bool ascii;
};
void PrintTo(const Target& t, std::ostream* os) {
    *os << "." << t.extension << (t.ascii ? " as text" : "");
}

// One corner as the read-back file must hold it.
struct Corner {
    rm::Vector position;
    float u, v;
};
struct Face {
    std::vector<Corner> corners;
    int source;  // the source table's face
};

bool SameColor(const model::FaceColor& a, const model::FaceColor& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

// The faces a file of the target should hold, in file order.
std::vector<Face> ExpectedFaces(const model::FaceTable& t, bool mirror, bool triangles,
                                bool byMaterial) {
    std::vector<int> order;
    if (byMaterial) {
        using Key = std::tuple<int, int, int, int, const rm::Texture*>;
        std::map<Key, int> group;
        std::vector<std::vector<int>> groups;
        for (int f = 0; f < t.Faces(); ++f) {
            const model::FaceColor& c = t.faceColor[f];
            const Key key{c.red, c.green, c.blue, c.alpha, t.faceTexture[f].get()};
            auto [it, added] = group.try_emplace(key, int(groups.size()));
            if (added) groups.emplace_back();
            groups[std::size_t(it->second)].push_back(f);
        }
        for (const auto& g : groups) order.insert(order.end(), g.begin(), g.end());
    } else {
        for (int f = 0; f < t.Faces(); ++f) order.push_back(f);
    }
    std::vector<Face> out;
    std::vector<rm::Triangle> split;
    for (const int f : order) {
        const int n = t.CornersOf(f);
        if (n < 3) continue;  // points and edges are no polygons in these formats
        std::vector<Corner> written;
        for (int i = 0; i < n; ++i) {
            const int k = mirror ? n - 1 - i : i;
            rm::Vector p = t.position[f][k];
            if (mirror) p.z = 0.0f - p.z;
            written.push_back({p, t.texU[f][k], t.texV[f][k]});
        }
        if (!triangles) {
            out.push_back({written, f});
            continue;
        }
        std::vector<rm::Vector> outline;
        for (const Corner& c : written) outline.push_back(c.position);
        rm::SplitPolygon(outline, split);
        for (const rm::Triangle& tri : split)
            out.push_back({{written[tri[0]], written[tri[1]], written[tri[2]]}, f});
    }
    return out;
}

// What a target keeps, and the counts of what its round trips checked.
struct RoundTrip {
    explicit RoundTrip(const Target& target)
        : ext(target.extension),
          ascii(target.ascii),
          triangles(ext == "glb" || ext == "gltf" || ext == "stl"),
          colours(ext != "stl"),
          textures(ext != "stl"),
          byMaterial(ext == "glb" || ext == "gltf") {}
    std::string ext;
    bool ascii, triangles, colours, textures, byMaterial;
    int models = 0, texturedFaces = 0;
};

// Face g of the read-back table r holds the expected corners' positions exactly, and the
// colour of the source face where the format has colours (white where it has none).
void ExpectFaceComesBack(const RoundTrip& rt, const model::FaceTable& t, const model::FaceTable& r,
                         int g, const Face& e) {
    ASSERT_EQ(r.CornersOf(g), int(e.corners.size())) << "face " << g;
    for (int i = 0; i < r.CornersOf(g); ++i) {
        const rm::Vector& p = r.position[g][i];
        const rm::Vector& q = e.corners[std::size_t(i)].position;
        ASSERT_TRUE(p.x == q.x && p.y == q.y && p.z == q.z)
            << "face " << g << " corner " << i << ": (" << p.x << ", " << p.y << ", " << p.z
            << ") for (" << q.x << ", " << q.y << ", " << q.z << ")";
    }
    const model::FaceColor& c = r.faceColor[g];
    if (rt.colours) {
        ASSERT_TRUE(SameColor(c, t.faceColor[e.source]))
            << "face " << g << ": " << c.red << " " << c.green << " " << c.blue << " " << c.alpha;
    } else {
        ASSERT_TRUE(SameColor(c, {255, 255, 255, 255})) << "face " << g;
    }
}

// Face g's texture: the source's pixels and texture coordinates, or for a texture whose
// bitmap was not found, a name without pixels in OBJ and PLY and nothing in glTF.
void ExpectTextureComesBack(RoundTrip& rt, const model::FaceTable& t, const model::FaceTable& r,
                            int g, const Face& e) {
    const rm::TexturePtr& had = t.faceTexture[e.source];
    const rm::TexturePtr& got = r.faceTexture[g];
    if (!had || had->Pixels().empty()) {
        if (had && rt.ext != "glb" && rt.ext != "gltf") {
            ASSERT_TRUE(got) << "face " << g;
            EXPECT_TRUE(got->Pixels().empty());
        } else {
            ASSERT_FALSE(got) << "face " << g;
        }
        return;
    }
    ++rt.texturedFaces;
    ASSERT_TRUE(got) << "face " << g;
    ASSERT_EQ(got->Width(), had->Width());
    ASSERT_EQ(got->Height(), had->Height());
    ASSERT_TRUE(got->Pixels() == had->Pixels()) << "face " << g;
    for (int i = 0; i < r.CornersOf(g); ++i) {
        const Corner& want = e.corners[std::size_t(i)];
        // OBJ and PLY count v from the bottom: 1 - (1 - v) may differ in the last bit.
        ASSERT_NEAR(r.texU[g][i], want.u, 1e-6f) << "face " << g << " corner " << i;
        ASSERT_NEAR(r.texV[g][i], want.v, 1e-6f) << "face " << g << " corner " << i;
    }
}

// PLY names one texture for the whole file: it keeps textures only when every face has the
// same one.
bool TexturesKept(const RoundTrip& rt, const model::FaceTable& t,
                  const std::vector<Face>& expected) {
    bool plyTexture = true;
    for (const Face& e : expected)
        plyTexture &= t.faceTexture[e.source] == t.faceTexture[expected.front().source];
    return rt.textures && (rt.ext != "ply" || plyTexture);
}

// One source written to the target and read back; a model the readers refuse is skipped.
// Stops at the first face that does not come back.
void ExpectModelComesBack(RoundTrip& rt, const testing_support::TempDir& dir,
                          const std::string& source) {
    Model a;
    if (!doc::ImportFile(a.host, *a.table, source, {.sizeTableToModel = true}).ok())
        return;  // refused on purpose (the readers' tests say why)
    ++rt.models;
    SCOPED_TRACE(source + " -> ." + rt.ext + (rt.ascii ? " (text)" : ""));
    const model::FaceTable& t = *a.table;
    const std::string out = dir.Path("m" + std::to_string(rt.models) + "." + rt.ext);
    doc::ExportOptions how;
    how.ascii = rt.ascii;
    const doc::ExportReport written = doc::ExportFile(a.host, t, out, how);
    ASSERT_TRUE(written.ok) << written.detail;

    Model b;
    const doc::ImportReport read =
        doc::ImportFile(b.host, *b.table, out, {.sizeTableToModel = true});
    const bool mirror = model::IsLeftHanded(a.host.handedness);
    const std::vector<Face> expected = ExpectedFaces(t, mirror, rt.triangles, rt.byMaterial);
    if (expected.empty()) {
        EXPECT_FALSE(read.ok());  // a file of no faces is refused on reading
        return;
    }
    ASSERT_TRUE(read.ok()) << read.read.detail;
    EXPECT_EQ(b.host.handedness, model::Handedness::Right);
    const model::FaceTable& r = *b.table;
    ASSERT_EQ(r.Faces(), int(expected.size()));
    const bool texturesKept = TexturesKept(rt, t, expected);
    for (int g = 0; g < r.Faces(); ++g) {
        const Face& e = expected[std::size_t(g)];
        ExpectFaceComesBack(rt, t, r, g, e);
        if (!testing::Test::HasFatalFailure() && texturesKept)
            ExpectTextureComesBack(rt, t, r, g, e);
        if (testing::Test::HasFatalFailure()) return;
    }
}

class NewFormatsRoundTrip : public testing::TestWithParam<Target> {};

TEST_P(NewFormatsRoundTrip, WhatTheFormatHoldsComesBack) {
    RoundTrip rt(GetParam());
    testing_support::TempDir dir;
    for (const std::string& source : testing_support::ReadableModels()) {
        ExpectModelComesBack(rt, dir, source);
        if (HasFatalFailure()) return;
    }
    // The samples and the real files the readers take (the real files' round trip through
    // the older formats counts them).
    EXPECT_GE(rt.models, 75);
    if (rt.textures) {
        // spider.obj, tiger.x, the UV-mapped LightWave files; PLY: those of one texture.
        EXPECT_GT(rt.texturedFaces, rt.ext == "ply" ? 0 : 1000);
    }
}

INSTANTIATE_TEST_SUITE_P(Writers, NewFormatsRoundTrip,
                         testing::Values(Target{"glb", false}, Target{"gltf", false},
                                         Target{"stl", false}, Target{"stl", true},
                                         Target{"ply", false}, Target{"ply", true},
                                         Target{"obj", false}),
                         [](const testing::TestParamInfo<Target>& p) {
                             return std::string(p.param.extension) + (p.param.ascii ? "_text" : "");
                         });

}  // namespace
