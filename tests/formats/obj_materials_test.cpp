// The OBJ reader's texture coordinates and material libraries: what "vt", "mtllib" and
// "usemtl" give the faces, and that a file without a library reads as it always did.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "formats/obj.h"
#include "rm/image_builder.h"
#include "test_support.h"

namespace {

using testing_support::Model;
using testing_support::TempDir;
using testing_support::WriteFile;

const std::string kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

std::pair<float, float> UV(const Model& m, std::size_t face, std::size_t corner) {
    const auto& c = m.host.m_pMesh->FaceCorners(face)[corner];
    return {c.u, c.v};
}

TEST(ObjTexCoords, CornersTakeTheirVtWithVCountedFromTheTop) {
    Model m;
    const std::string text = kSquare +
                             "vt 0 0\nvt 1 0\nvt 1 1\nvt 0.25 0.75 0\n"
                             "f 1/1 2/2/1 3/3\n"   // v/vt and v/vt/vn
                             "f 1//1 3//1 4//1\n"  // no vt: (0, 0)
                             "f 1/-4 3/-2 4/-1\n"  // relative numbers
                             "f 1/9 2/0 3/x\n";    // numbers that name no vt: (0, 0)
    ASSERT_EQ(formats::ReadObjText(text, m.host), 1);
    using P = std::pair<float, float>;
    EXPECT_EQ(UV(m, 0, 0), P(0, 1));
    EXPECT_EQ(UV(m, 0, 1), P(1, 1));
    EXPECT_EQ(UV(m, 0, 2), P(1, 0));
    EXPECT_EQ(UV(m, 1, 1), P(0, 0));
    EXPECT_EQ(UV(m, 2, 0), P(0, 1));
    EXPECT_EQ(UV(m, 2, 1), P(1, 0));
    EXPECT_EQ(UV(m, 2, 2), P(0.25f, 0.25f));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(UV(m, 3, k), P(0, 0));
    // Positions and corner order are as without texture coordinates.
    EXPECT_EQ(m.host.m_pMesh->FaceCorners(2)[2].vertex, 3u);
    EXPECT_EQ(m.host.m_pMesh->FaceRecords()[0].color, 0xFFFFFFFFu);
}

TEST(ObjTexCoords, TheTrianglesOfALongFaceKeepTheirCornersCoordinates) {
    Model m;
    std::string text, face = "f";
    for (int i = 0; i < 20; ++i) {
        text += "v " + std::to_string(i) + ' ' + std::to_string(i * i) + " 0\n";
        text += "vt " + std::to_string(i) + " 0\n";  // u names the corner, v = 1 - 0
        face += ' ' + std::to_string(i + 1) + '/' + std::to_string(i + 1);
    }
    ASSERT_EQ(formats::ReadObjText(text + face + '\n', m.host), 1);
    const rm::MeshBuilder& mesh = *m.host.m_pMesh;
    ASSERT_EQ(mesh.GetFaceCount(), 18);
    for (std::size_t f = 0; f < 18; ++f) {
        for (const auto& c : mesh.FaceCorners(f)) {
            EXPECT_EQ(c.u, float(c.vertex));
            EXPECT_EQ(c.v, 1.0f);
        }
    }
}

class ObjLibrary : public testing::Test {
  protected:
    TempDir dir;
    Model m;
    formats::ReadResult result;

    int Read(const std::string& obj) {
        WriteFile(dir.Path("model.obj"), obj);
        return formats::ReadObj(dir.Path("model.obj"), m.host, &result);
    }
    rm::Color Color(std::size_t face) const { return m.host.m_pMesh->FaceRecords()[face].color; }
    rm::TexturePtr Texture(std::size_t face) const { return m.host.m_pMesh->TextureOf(face); }
};

TEST_F(ObjLibrary, MaterialsGiveColourTransparencyAndTexture) {
    std::filesystem::create_directories(dir.Dir() / "maps");
    WriteFile(dir.Path("maps/wood.png"),
              testing_support::MakeImage(testing_support::ImageFormat::Png, 3, 2,
                                         [](int, int) { return 0xFF112233u; }));
    WriteFile(dir.Path("lib.mtl"),
              "# materials\n"
              "newmtl red\nKd 1 0 0\nd 0.5\n"
              "newmtl glass\r\nKd 0.2 0.4 0.6\r\nTr 0.25\r\n"  // CRLF, Tr = 1 - d
              "newmtl both\nKd 0 1 0\nd 1\nTr 0.9\n"           // d wins
              "newmtl wood\nKd 0.8 0.8 0.8\nmap_Kd -s 1 1 1 maps\\wood.png\n"
              "newmtl lost\nmap_Kd gone.jpg\n");
    ASSERT_EQ(Read("mtllib lib.mtl\n" + kSquare +
                   "f 1 2 3\nusemtl red\nf 1 2 3\nusemtl glass\nf 1 2 3\nusemtl both\nf 1 2 3\n"
                   "usemtl wood\nf 1 2 3 4\nusemtl lost\nf 1 2 3\nusemtl nosuch\nf 1 2 3\n"),
              1);
    EXPECT_EQ(Color(0), 0xFFFFFFFFu);  // before any usemtl
    EXPECT_EQ(Color(1), 0x80FF0000u);  // 0.5 * 255 = 127.5 rounds up
    EXPECT_EQ(Color(2), 0xBF336699u);  // 0.75 * 255 = 191.25; 0.2, 0.4, 0.6 -> 51, 102, 153
    EXPECT_EQ(Color(3), 0xFF00FF00u);
    EXPECT_EQ(Color(4), 0xFFCCCCCCu);
    ASSERT_TRUE(Texture(4));
    EXPECT_EQ(Texture(4)->GetName(), "maps\\wood.png");
    EXPECT_EQ(Texture(4)->Width(), 3);
    EXPECT_EQ(Texture(4)->Pixels()[0], 0xFF112233u);
    ASSERT_TRUE(Texture(5));  // named, not found: the name stays, without pixels
    EXPECT_EQ(Texture(5)->GetName(), "gone.jpg");
    EXPECT_TRUE(Texture(5)->Pixels().empty());
    EXPECT_EQ(result.missingTextures, std::vector<std::string>{"gone.jpg"});
    EXPECT_EQ(Color(6), 0xFFFFFFFFu);  // a material the library does not hold
    EXPECT_FALSE(Texture(6));
}

TEST_F(ObjLibrary, WithoutALibraryOrWithAMissingOneFacesStayWhite) {
    for (const std::string& head :
         {std::string(), std::string("mtllib none.mtl\n"), std::string("mtllib .\n")}) {
        SCOPED_TRACE(head);
        Model fresh;
        WriteFile(dir.Path("model.obj"), head + kSquare + "usemtl red\nf 1 2 3\n");
        ASSERT_EQ(formats::ReadObj(dir.Path("model.obj"), fresh.host, &result), 1);
        EXPECT_EQ(fresh.host.m_pMesh->FaceRecords()[0].color, 0xFFFFFFFFu);
        EXPECT_FALSE(fresh.host.m_pMesh->TextureOf(0));
        EXPECT_TRUE(result.missingTextures.empty());
    }
}

TEST_F(ObjLibrary, ALibraryInAFolderAndNamesWithBlanks) {
    std::filesystem::create_directories(dir.Dir() / "mat");
    WriteFile(dir.Path("mat/a b.mtl"), "newmtl x y\nKd 0 0 1\n");
    WriteFile(dir.Path("second.mtl"), "newmtl z\nKd 1 1 0\n");
    ASSERT_EQ(Read("mtllib mat\\a b.mtl\nmtllib missing.mtl second.mtl\n" + kSquare +
                   "usemtl x y\nf 1 2 3\nusemtl z\nf 1 2 3\n"),
              1);
    EXPECT_EQ(Color(0), 0xFF0000FFu);
    EXPECT_EQ(Color(1), 0xFFFFFF00u);
}

TEST(ObjRealMaterials, SpiderOpensWithItsColoursAndTextures) {
    Model m;
    formats::ReadResult result;
    ASSERT_EQ(formats::ReadObj(testing_support::RealFile("obj/spider.obj"), m.host, &result), 1);
    EXPECT_TRUE(result.missingTextures.empty());
    const rm::MeshBuilder& mesh = *m.host.m_pMesh;
    ASSERT_EQ(mesh.GetFaceCount(), 1368);
    // Faces per texture (counted from the file's usemtl runs) and the images' sizes.
    std::map<std::string, std::pair<int, int>> byTexture;
    for (std::size_t f = 0; f < mesh.FaceRecords().size(); ++f) {
        const rm::TexturePtr t = mesh.TextureOf(f);
        ASSERT_TRUE(t) << f;
        ++byTexture[t->GetName()].first;
        byTexture[t->GetName()].second = t->Width();
    }
    using P = std::pair<int, int>;
    EXPECT_EQ(byTexture, (std::map<std::string, P>{{".\\wal67ar_small.jpg", P(260, 250)},
                                                   {".\\SpiderTex.jpg", P(80, 249)},
                                                   {".\\drkwood2.jpg", P(952, 768)},
                                                   {".\\engineflare1.jpg", P(76, 128)}}));
    // "f 1/1/1 2/2/2 3/3/3" with "vt 0.186192 0.222718" first.
    EXPECT_FLOAT_EQ(mesh.FaceCorners(0)[0].u, 0.186192f);
    EXPECT_FLOAT_EQ(mesh.FaceCorners(0)[0].v, 1.0f - 0.222718f);
    // The first face is HLeibTex's: Kd 0.690196 0.639216 0.615686 -> 176, 163, 157.
    EXPECT_EQ(mesh.FaceRecords()[0].color, 0xFFB0A39Du);
}

TEST(ObjRealMaterials, Regr01AndTheOtherLibrariesGiveTheirColours) {
    Model m;
    ASSERT_EQ(formats::ReadObj(testing_support::RealFile("obj/regr01.obj"), m.host), 1);
    std::set<rm::Color> colours;
    for (const auto& face : m.host.m_pMesh->FaceRecords()) colours.insert(face.color);
    EXPECT_TRUE(colours.count(0xFFCC9966u));   // Door: Kd 0.8 0.6 0.4
    EXPECT_TRUE(colours.count(0xFF333333u));   // Base: Kd 0.2 0.2 0.2
    EXPECT_FALSE(colours.count(0xFFFFFFFFu));  // every face has a material

    // A library named ".mat" that is not there (the ".mtl" beside it is not taken for it),
    // a material whose name is empty, and a concave polygon's material.
    const std::pair<const char*, rm::Color> files[] = {
        {"obj/cube_mtllib_after_g.obj", 0xFFFFFFFFu},
        {"obj/empty_mat.obj", 0xFFCCCCCCu},         // Kd 0.8
        {"obj/concave_polygon.obj", 0xFF242F69u}};  // Kd 0.141176 0.184314 0.411765
    for (const auto& [name, colour] : files) {
        SCOPED_TRACE(name);
        Model other;
        formats::ReadResult result;
        ASSERT_EQ(formats::ReadObj(testing_support::RealFile(name), other.host, &result), 1)
            << result.detail;
        EXPECT_EQ(other.host.m_pMesh->FaceRecords().back().color, colour);
    }
}

}  // namespace
