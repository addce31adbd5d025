// Every model file of the older formats in tests/data/real, read through the registry: the
// faces and corners the program keeps, or the refusal. The figures come from outside the
// project: the collection README's counts (measured by separate scripts; the LWO2 table is
// assimp 5.2.5's reading), ezdxf 0.18.1 for wuson.dxf's polyface mesh, then this program's
// rules: a polygon of more than 16 corners becomes n - 2 triangles, two-corner Metasequoia
// faces are edges and left out, every DXF 3DFACE keeps four corners, and the face table
// holds at most MAX_FACES faces.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "formats/registry.h"
#include "test_support.h"

namespace {

struct Expected {
    int faces = 0;    // 0: refused
    int corners = 0;  // of the mesh
    formats::ReadFailure refusal = formats::ReadFailure::None;
};

using F = formats::ReadFailure;

// Every model file of the older formats in the collection, by its path under tests/data/real.
const std::map<std::string, Expected> kRealFiles = {
    {"x/BCN_Epileptic.X", {5126, 3 * 5126}},
    {"x/ball.x", {224, 3 * 224}},
    {"x/cube_on_plane.x", {1073, 3 * 1073}},
    {"x/fromtruespace_bin32.x", {6656, 3 * 6656}},
    {"x/kwxport_test_cubewithvcolors.x", {12, 36}},
    {"x/mslogo.x", {2668, 3 * 2668}},
    {"x/seafloor.x", {2830, 3 * 2830}},
    {"x/skybox2.x", {12, 36}},
    {"x/sphere0.x", {108, 324}},
    {"x/test_cube_binary.x", {12, 36}},
    {"x/test_cube_compressed.x", {12, 36}},
    {"x/test_cube_text.x", {12, 36}},
    {"x/tiger.x", {599, 596 * 3 + 3 * 4}},
    {"x/malformed/malformed_skinweights_oob.x", {12, 36}},  // the text cube; skins unread
    {"x/malformed/OV_GetNextToken.x", {0, 0, F::Malformed}},
    {"lwo/ConcavePolygon.lwo", {64, 192}},
    {"lwo/formatDetection_LWOB.lwo", {22, 66}},
    {"lwo/bluewithcylindrictexz.lwo", {6, 24}},
    {"lwo/box0.5.lwo", {6, 24}},
    {"lwo/box1.5.lwo", {6, 24}},
    {"lwo/box3-uv-layers.lwo", {864, 144 * 3 + 720 * 4}},
    {"lwo/greenball.lwo", {528, 1584}},
    {"lwo/redcone.lwo", {48, 144}},
    {"lwo/sphere_with_mat_gloss_10pc.lwo", {288, 1104}},
    {"lwo/not-lwob/concave_polygon_LWO2.lwo", {64, 192}},
    {"lwo/not-lwob/box0_LWO3.lwo", {6, 24}},
    {"lwo2/boxuv.lwo", {6, 24}},
    {"lwo2/box_2uv_1unused.lwo", {6, 24}},
    {"lwo2/uvtest.lwo", {16, 64}},
    {"lwo2/earth_planar_z.lwo", {288, 1104}},
    {"lwo2/earth_cylindrical_y.lwo", {288, 1104}},
    {"lwo2/earth_spherical_y.lwo", {288, 1104}},
    {"lwo2/earth_uv_cylindrical_y.lwo", {288, 1104}},
    {"lwo2/hierarchy.lwo", {306, 1176}},
    {"lwo2/hierarchy_smoothed.lwo", {306, 1176}},
    {"lwo2/nonplanar_polygon.lwo", {16, 48}},
    {"lwo2/concave_self_intersecting.lwo", {1, 14}},
    {"lwo2/Subdivision.lwo", {24, 96}},
    {"lwo2/sphere_with_mat_gloss_10pc.lwo", {288, 1104}},
    {"lwo2/sphere_with_gradient.lwo", {288, 1104}},
    {"lwo2/transparency.lwo", {294, 1128}},
    {"lwo2/ModoExport_vertNormals.lwo", {288, 1104}},
    {"mqo/bvertex/anatawa12_test.mqo", {15, 60}},
    {"mqo/bvertex/single_object_with_bvertex.mqo", {6, 24}},
    {"mqo/text-vertex/lumino_cube.mqo", {24, 96}},
    {"mqo/text-vertex/multiple_objects.mqo", {66, 40 * 3 + 26 * 4}},
    {"mqo/text-vertex/ninja.mqo", {10518, 3 * 10518}},
    {"mqo/text-vertex/single_object_with_dup_vertices.mqo", {6, 5 * 4 + 5}},
    {"mqo/text-vertex/single_object_with_edge.mqo", {6, 24}},
    {"mqo/text-vertex/vertexattr.mqo", {6, 24}},
    {"dxf/PinkEggFromLW.dxf", {288, 4 * 288}},
    {"dxf/lineTest.dxf", {2, 8}},
    {"dxf/3dface.dxf", {46, 4 * 46}},
    {"dxf/POLI-ALL210_12.DXF", {1, 4}},
    {"dxf/no-3dface/wuson.dxf", {3732, 3 * 3732}},
    {"dxf/no-3dface/points.dxf", {0, 0, F::Malformed}},
    {"dxf/no-3dface/bin_dxf_r13.dxf", {0, 0, F::Malformed}},
    {"dxf-bin/PinkEggFromLW_binary.dxf", {288, 4 * 288}},
};

// The model files of these formats in the collection, each checked to be in the table.
int CountTabledModelFiles() {
    const std::string root = testing_support::RealFile("");
    int models = 0;
    for (const char* folder : {"x", "lwo", "lwo2", "mqo", "dxf", "dxf-bin"}) {
        for (const std::string& path : testing_support::RealFiles(folder)) {
            std::string ext = path.substr(path.find_last_of('.') + 1);
            std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
            if (ext != "x" && ext != "lwo" && ext != "mqo" && ext != "dxf") continue;
            ++models;
            EXPECT_TRUE(kRealFiles.count(path.substr(root.size()))) << path;
        }
    }
    return models;
}

// The file's faces and corners in the mesh, and in the face table up to its limit; or its
// refusal and an empty mesh.
void ExpectReadsAsTabled(const std::string& file, const Expected& expected) {
    const std::string path = testing_support::RealFile(file);
    const formats::ReaderEntry* reader = formats::FindReader(path);
    ASSERT_NE(reader, nullptr);
    testing_support::Model m;
    const formats::ReadResult result = formats::RunReader(*reader, path, m.host);
    if (expected.faces == 0) {
        EXPECT_EQ(result.kind, expected.refusal) << result.detail;
        EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), 0);
        return;
    }
    ASSERT_TRUE(result.ok()) << result.detail;
    EXPECT_EQ(m.host.m_pMesh->GetFaceCount(), expected.faces);
    EXPECT_EQ(m.host.m_pMesh->GetCornerCount(), std::size_t(expected.corners));
    m.table->ReadFromMesh(m.host);
    EXPECT_EQ(m.table->faceCount, std::min(expected.faces, model::MAX_FACES));
}

TEST(RealFileTable, EveryOldFormatModelReadsWithItsFacesOrIsRefused) {
    // The table names every model file of these formats in the collection.
    EXPECT_EQ(CountTabledModelFiles(), int(kRealFiles.size()));
    for (const auto& [file, expected] : kRealFiles) {
        SCOPED_TRACE(file);
        ExpectReadsAsTabled(file, expected);
    }
}

}  // namespace
