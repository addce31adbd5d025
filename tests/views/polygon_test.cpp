// Polygon creation through the panes' mouse and key handlers: points with snapping and
// the depth reference, Enter, Esc and the undo-point command.
#include "views/polygon.h"

#include <gtest/gtest.h>

#include <vector>

#include "doc/commands.h"
#include "doc/texts.h"
#include "test_support.h"
#include "views/edit_commands.h"
#include "views/edit_fakes.h"

namespace {

using edit_test::EditPanes;
using edit_test::kAllPanes;
using edit_test::PaneRepaint;
using rm::Vector;

struct Fixture : EditPanes {
    Fixture() { s->m_nEditMode = doc::EDIT_POLYGON; }
    int Count() const { return s->poly.PointCount(); }
    const Vector& Point(int i) const { return s->poly.PolyPoints[i]; }
    int VertexOf(int i) const { return s->poly.PolyPointVertex[i]; }
    void Enter() { Top().OnKeyDown(views::KEY_RETURN); }
};

TEST(PolygonCreation, PointsLieOnThePaneAtTheReferenceDepth) {
    Fixture fx;
    // Before any right click the hidden coordinate is 0.
    fx.Click(fx.Top(), 112, 76);  // h = 0.1, v = 0.2
    EXPECT_EQ(fx.Point(0), (Vector{12.0f / 120, 0, 24.0f / 120}));
    EXPECT_EQ(fx.VertexOf(0), doc::POLY_NEW_VERTEX);
    // The pane itself and the other two orthographic panes repaint; the press makes no band
    // and no selection.
    EXPECT_GE(fx.pane[0].invalidations, 1);
    EXPECT_EQ(fx.frame.invalidations, (std::vector<PaneRepaint>{{1, 0, true}, {1, 1, true}}));

    // A right click in the front pane fixes x and y; the top pane then takes y from it.
    fx.RightClick(fx.Front(), 124, 88);
    EXPECT_EQ(fx.s->poly.PolyDepthRef, (Vector{24.0f / 120, 12.0f / 120, 0}));
    EXPECT_EQ(fx.Count(), 1);
    fx.Click(fx.Top(), 100, 100);
    EXPECT_EQ(fx.Point(1), (Vector{0, 12.0f / 120, 0}));
    // The side pane sets y and z, leaving x; its points take x from the reference.
    fx.RightClick(fx.Side(), 64, 112);
    EXPECT_EQ(fx.s->poly.PolyDepthRef, (Vector{24.0f / 120, -12.0f / 120, -36.0f / 120}));
    fx.Click(fx.Side(), 136, 100);
    EXPECT_EQ(fx.Point(2), (Vector{24.0f / 120, 0, 36.0f / 120}));
    fx.Click(fx.Front(), 100, 40);
    EXPECT_EQ(fx.Point(3), (Vector{0, 60.0f / 120, -36.0f / 120}));
    // The 3D pane takes no points and sets no reference; nothing is selected anywhere.
    fx.Click(fx.View3D(), 100, 100);
    fx.RightClick(fx.View3D(), 10, 10);
    EXPECT_EQ(fx.Count(), 4);
    EXPECT_EQ(fx.s->poly.PolyDepthRef.x, 24.0f / 120);
    EXPECT_TRUE(fx.ui.messages.empty());
    // The reference survives a change of tool.
    fx.s->m_nEditMode = doc::EDIT_MOVE;
    fx.s->poly.Discard();
    EXPECT_EQ(fx.s->poly.PolyDepthRef.z, -36.0f / 120);
}

TEST(PolygonCreation, SixteenPointsAtMost) {
    Fixture fx;
    for (int i = 0; i < 16; ++i) fx.Click(fx.Front(), 10 * i, 50);
    EXPECT_EQ(fx.Count(), 16);
    EXPECT_TRUE(fx.ui.messages.empty());
    fx.frame.invalidations.clear();
    fx.Click(fx.Front(), 195, 50);
    EXPECT_EQ(fx.Count(), 16);
    ASSERT_EQ(fx.ui.messages.size(), 1u);
    EXPECT_EQ(fx.ui.messages[0].text, "ポイントは16個までです。");
    EXPECT_EQ(fx.ui.messages[0].caption, "エラー");
    EXPECT_EQ(fx.ui.messages[0].buttons, ports::Buttons::Ok);
    EXPECT_TRUE(fx.frame.invalidations.empty());
    EXPECT_EQ(fx.Point(15).x, float(150 - 100) / 120.0f);
}

TEST(PolygonCreation, SnapsToTheFirstCornerWithinFourPixels) {
    Fixture fx;
    // Corner at (0.5, 0.25, 3): pixel (160, 70) in the front pane. A later face has a
    // corner one pixel to its right; the first in table order wins.
    edit_test::SetFaces(*fx.s, {{{9, 9, 9}, {0.5f, 0.25f, 3}, {1, 1, 1}}, {{0.51f, 0.25f, 4}}},
                        {{0, 7, 2}, {8}});
    fx.Click(fx.Front(), 164, 66);                     // 4 pixels off on both axes: snaps
    EXPECT_EQ(fx.Point(0), (Vector{0.5f, 0.25f, 3}));  // the hidden z too
    EXPECT_EQ(fx.VertexOf(0), 7);
    fx.Click(fx.Front(), 156, 74);
    EXPECT_EQ(fx.VertexOf(1), 7);
    fx.Click(fx.Front(), 165, 70);  // 5 pixels: not vertex 7 (the later corner is 4 off)
    EXPECT_EQ(fx.VertexOf(2), 8);
    EXPECT_EQ(fx.Point(2).z, 4.0f);
    fx.Click(fx.Front(), 160, 75);  // 5 pixels below both
    EXPECT_EQ(fx.VertexOf(3), doc::POLY_NEW_VERTEX);
    EXPECT_EQ(fx.Point(3).z, 0.0f);
    // The side pane shows the corner at (460, 70).
    fx.Click(fx.Side(), 457, 73);
    EXPECT_EQ(fx.VertexOf(4), 7);
}

TEST(PolygonCreation, EnterNeedsThreePointsThenAddsTheFace) {
    Fixture fx;
    // An existing triangle with vertex indices 0, 1 and 9. (How the face table numbers and
    // keeps the look of the faces is the face table's test.)
    edit_test::SetFaces(*fx.s, {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, {{0, 1, 9}});
    fx.T().selected[1][1] = 1;       // left over from a longer model
    fx.Click(fx.Front(), 100, 100);  // snaps to vertex 0
    fx.Click(fx.Front(), 100, 40);   // new, at (0, 0.5, 0)
    fx.Enter();
    ASSERT_EQ(fx.ui.messages.size(), 1u);
    EXPECT_EQ(fx.ui.messages[0].text, "3個以上のポイントを作ってください。");
    EXPECT_EQ(fx.ui.messages[0].caption, "エラー");
    EXPECT_EQ(fx.Count(), 2);

    fx.Click(fx.Front(), 40, 100);  // new, at (-0.5, 0, 0)
    fx.frame.invalidations.clear();
    fx.Side().OnKeyDown(views::KEY_RETURN);  // any pane
    EXPECT_EQ(fx.ui.messages.size(), 1u);
    EXPECT_EQ(fx.Count(), 0);
    EXPECT_EQ(fx.frame.invalidations, kAllPanes);

    // The table has read the new face back from the mesh.
    const model::FaceTable& t = fx.T();
    ASSERT_EQ(t.faceCount, 2);
    EXPECT_EQ((std::vector<int>{t.vertexCount[1], t.vertexIndex[1][0], t.vertexIndex[1][1],
                                t.vertexIndex[1][2], t.selected[1][1]}),
              (std::vector<int>{3, 0, 10, 11, 0}));
    EXPECT_EQ(t.position[1][2], (Vector{-0.5f, 0, 0}));
    EXPECT_EQ(fx.s->model.m_pMesh->GetFaceCount(), 2);
}

TEST(PolygonCreation, AFullTableKeepsThePoints) {
    Fixture fx;
    model::FaceTable& t = fx.T();
    testing_support::ModelBuilder full;
    full.Vertices({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    for (int f = 0; f < model::MAX_FACES; ++f) full.Face({0, 1, 2});
    full.Into(fx.s->model, t);
    ASSERT_EQ(t.faceCount, model::MAX_FACES);
    const rm::MeshBuilderPtr before = fx.s->model.m_pMesh;
    for (int y : {10, 20, 30}) fx.Click(fx.Top(), 10, y);
    fx.Enter();
    ASSERT_EQ(fx.ui.messages.size(), 1u);
    EXPECT_EQ(fx.ui.messages[0].text, doc::text::kPolygonTableFull);
    EXPECT_EQ(fx.ui.messages[0].caption, "エラー");
    EXPECT_EQ(fx.Count(), 3);
    EXPECT_EQ(fx.s->model.m_pMesh, before);
    EXPECT_EQ(t.faceCount, model::MAX_FACES);
}

TEST(PolygonCreation, UndoPointCommandEscAndCtrlZ) {
    Fixture fx;
    doc::CommandRouter router;
    views::RegisterEditCommands(*fx.s, fx.ui, fx.frame, router);
    EXPECT_FALSE(router.IsEnabled(doc::ID_UNDO_POINT));
    EXPECT_FALSE(router.IsEnabled(doc::ID_EDIT_UNDO));
    // Esc without points changes nothing but repaints the three orthographic panes.
    fx.Front().OnKeyDown(views::KEY_ESCAPE);
    EXPECT_EQ(fx.Count(), 0);
    EXPECT_EQ(fx.frame.invalidations,
              (std::vector<PaneRepaint>{{0, 0, true}, {1, 0, true}, {1, 1, true}}));
    EXPECT_EQ(fx.frame.commandRefreshes, 0);

    fx.Click(fx.Top(), 10, 10);
    fx.Click(fx.Top(), 20, 10);
    EXPECT_EQ(fx.frame.commandRefreshes, 2);
    EXPECT_TRUE(router.IsEnabled(doc::ID_UNDO_POINT));
    EXPECT_TRUE(router.Execute(doc::ID_UNDO_POINT));
    EXPECT_EQ(fx.Count(), 1);
    // Ctrl+Z and Alt+Backspace send the framework's undo id: the same command.
    int routed = 0;
    for (const doc::Accelerator& a : doc::Accelerators()) {
        if (a.keys == "Ctrl+Z" || a.keys == "Alt+Backspace") routed += a.id == doc::ID_EDIT_UNDO;
    }
    EXPECT_EQ(routed, 2);
    EXPECT_TRUE(router.Execute(doc::ID_EDIT_UNDO));
    EXPECT_EQ(fx.Count(), 0);
    EXPECT_FALSE(router.IsEnabled(doc::ID_UNDO_POINT));
    EXPECT_EQ(fx.frame.commandRefreshes, 4);
    // Esc works in every tool; the removed point is overwritten by the next one.
    fx.Click(fx.Top(), 30, 10);
    fx.s->m_nEditMode = doc::EDIT_SELECT;
    fx.Top().OnKeyDown(views::KEY_ESCAPE);
    EXPECT_EQ(fx.Count(), 0);
    fx.s->m_nEditMode = doc::EDIT_POLYGON;
    fx.Click(fx.Top(), 100, 100);
    EXPECT_EQ(fx.Point(0), (Vector{0, 0, 0}));
}

}  // namespace
