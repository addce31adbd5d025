// Cut, invert and clear on the corner selection.
#include "doc/selection_commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "doc/model_io.h"
#include "fake_ports.h"
#include "model/table_edits.h"
#include "test_support.h"

namespace {

using model::FaceTable;
using testing_support::SelectedCornersAnywhere;

struct Fixture {
    doc::Session session;
    testing_support::RecordingFrame frame;
    doc::CommandRouter router;

    Fixture() {
        EXPECT_TRUE(session.CreateScene(std::make_shared<rm::Root>()));
        doc::RegisterSelectionCommands(session, frame, router);
    }
    FaceTable& T() { return session.Table(); }
    int MeshFaces() { return session.model.m_pMesh->GetFaceCount(); }

    // Quads A (0 1 4 3) and B (1 2 5 4) sharing the edge 1-4, read into the table.
    void TwoQuads() {
        const std::vector<rm::Vector> v = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0},
                                           {0, 1, 0}, {1, 1, 0}, {2, 1, 0}};
        const std::vector<std::int32_t> list = {4, 0, 1, 4, 3, 4, 1, 2, 5, 4, 0};
        ASSERT_TRUE(session.model.m_pMesh->AddFaces(v, {}, list));
        T().ReadFromMesh(session.model);
        ASSERT_TRUE(T().RebuildMesh(session.model));
    }
    // Selects every corner that uses one of `vertices`, in every face, as a band would.
    void SelectVertices(std::vector<int> vertices) {
        for (int f = 0; f < T().faceCount; ++f) {
            for (int k = 0; k < T().vertexCount[f]; ++k) {
                for (int v : vertices) {
                    if (T().vertexIndex[f][k] == v) T().selected[f][k] = 1;
                }
            }
        }
    }
};

TEST(CutCommand, DeletesOnlyTheFullySelectedOfTwoQuadsSharingAnEdge) {
    Fixture fx;
    fx.TwoQuads();
    fx.SelectVertices({0, 1, 4, 3});  // all of A, and B's two corners on the shared edge
    EXPECT_FALSE(model::IsFullySelected(fx.T(), 1));
    fx.T().selected[4000][3] = 1;  // a stale flag beyond the used part
    ASSERT_TRUE(fx.router.Execute(doc::ID_EDIT_CUT));

    ASSERT_EQ(fx.MeshFaces(), 1);
    ASSERT_EQ(fx.T().faceCount, 1);
    // B survives with its vertex numbers: unused vertices stay in the mesh.
    EXPECT_EQ(std::vector<int>(fx.T().vertexIndex[0].begin(), fx.T().vertexIndex[0].begin() + 4),
              (std::vector<int>{1, 2, 5, 4}));
    EXPECT_EQ(fx.T().position[0][1], (rm::Vector{2, 0, 0}));
    EXPECT_EQ(fx.session.model.m_pMesh->GetVertexCount(), 6u);
    EXPECT_EQ(SelectedCornersAnywhere(fx.T()), 0);
    EXPECT_EQ(fx.frame.updates, 1);
    // The mesh on the model frame is the rebuilt one.
    ASSERT_EQ(fx.session.model.m_pModelFrame->Visuals().size(), 1u);
    EXPECT_EQ(fx.session.model.m_pModelFrame->Visuals()[0], fx.session.model.m_pMesh);
}

// Cut with no face fully selected changes nothing but the selection: the mesh stays and
// no step is recorded. With everything selected the model empties and one step is kept.
TEST(CutCommand, NothingOrEverythingSelected) {
    struct Case {
        std::vector<int> vertices;
        int cut;
    };
    const Case cases[] = {{{0, 1}, 0}, {{0, 1, 2, 3, 4, 5}, 2}};  // {0, 1}: no face fully
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cut);
        Fixture fx;
        fx.TwoQuads();
        fx.session.history.Reset(fx.T());
        fx.SelectVertices(c.vertices);
        const rm::MeshBuilderPtr before = fx.session.model.m_pMesh;
        EXPECT_EQ(doc::CutSelectedFaces(fx.session, fx.frame), c.cut);
        EXPECT_EQ(fx.MeshFaces(), 2 - c.cut);
        EXPECT_EQ(fx.T().faceCount, 2 - c.cut);
        EXPECT_EQ(fx.session.model.m_pMesh == before, c.cut == 0);
        EXPECT_EQ(SelectedCornersAnywhere(fx.T()), 0);
        EXPECT_EQ(fx.session.history.UndoSteps(), c.cut == 0 ? 0u : 1u);
    }
}

TEST(CutCommand, EmptyModel) {
    Fixture fx;
    EXPECT_TRUE(fx.router.Execute(doc::ID_EDIT_CUT));
    EXPECT_EQ(fx.T().faceCount, 0);
    EXPECT_EQ(fx.frame.updates, 1);
}

// A file face without corners never reaches the table, so the table's face numbers stay
// the mesh's and Cut deletes the face the user selected.
TEST(CutCommand, ModelFileWithAFaceWithoutCorners) {
    testing_support::TempDir dir;
    const std::string path = dir.Path("gap.x");
    testing_support::WriteFile(path,
                               "xof 0302txt 0032\n"
                               "Mesh {\n"
                               " 7;\n"
                               " 0;0;0;, 1;0;0;, 0;1;0;, 5;0;0;, 6;0;0;, 5;1;0;, 9;9;9;;\n"
                               " 3;\n"
                               " 3;0,1,2;,\n"
                               " 0;,\n"
                               " 3;3,4,5;;\n"
                               "}\n");
    Fixture fx;
    ASSERT_TRUE(doc::ImportFile(fx.session.model, fx.T(), path).ok());
    ASSERT_EQ(fx.T().faceCount, 2);
    for (int f = 0; f < fx.T().faceCount; ++f) EXPECT_GT(fx.T().vertexCount[f], 0) << f;
    ASSERT_EQ(fx.MeshFaces(), 2);

    for (int k = 0; k < 3; ++k) fx.T().selected[1][k] = 1;  // the triangle at x = 5
    EXPECT_EQ(doc::CutSelectedFaces(fx.session, fx.frame), 1);
    ASSERT_EQ(fx.T().faceCount, 1);
    EXPECT_EQ(fx.T().position[0][1], (rm::Vector{1, 0, 0}));
}

TEST(SelectionCommands, InvertTwiceGivesBackTheSelection) {
    Fixture fx;
    fx.TwoQuads();
    fx.T().selected[0][2] = 1;
    fx.T().selected[1][0] = 1;
    ASSERT_TRUE(fx.router.Execute(doc::ID_SELECT_INVERT));
    EXPECT_EQ(SelectedCornersAnywhere(fx.T()), 6);
    EXPECT_EQ(fx.T().selected[0][2], 0);
    EXPECT_EQ(fx.T().selected[0][3], 1);
    EXPECT_EQ(fx.T().selected[0][4], 0);  // beyond the face's corners: untouched
    ASSERT_TRUE(fx.router.Execute(doc::ID_SELECT_INVERT));
    EXPECT_EQ(SelectedCornersAnywhere(fx.T()), 2);
    EXPECT_EQ(fx.T().selected[0][2], 1);
    EXPECT_EQ(fx.T().selected[1][0], 1);
    EXPECT_EQ(fx.frame.updates, 2);
}

TEST(SelectionCommands, ClearDeselectsTheUsedCorners) {
    Fixture fx;
    fx.TwoQuads();
    fx.SelectVertices({1, 4});
    ASSERT_EQ(SelectedCornersAnywhere(fx.T()), 4);
    ASSERT_TRUE(fx.router.Execute(doc::ID_SELECT_CLEAR));
    EXPECT_EQ(SelectedCornersAnywhere(fx.T()), 0);
    EXPECT_EQ(fx.frame.updates, 1);
}

}  // namespace
