// The command table and the tool commands: what the menus, the tool bar and the check
// marks are built from.
#include "doc/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "doc/session.h"
#include "doc/tools.h"
#include "fake_ports.h"

namespace {

TEST(CommandTable, EveryMenuItemAndButtonHasItsTexts) {
    std::set<int> seen;
    for (const doc::MenuDef& menu : doc::MainMenu()) {
        for (int id : menu.items) {
            if (id == 0) continue;
            const doc::CommandText* c = doc::FindCommand(id);
            ASSERT_NE(c, nullptr) << id;
            EXPECT_FALSE(c->label.empty()) << id;
            EXPECT_TRUE(seen.insert(id).second) << "twice in the menus: " << id;
        }
    }
    for (int id : doc::ToolBarButtons()) {
        if (id == 0) continue;
        EXPECT_TRUE(seen.count(id)) << "button without a menu item: " << id;
        EXPECT_FALSE(doc::ToolTipOf(*doc::FindCommand(id)).empty()) << id;
    }
    for (const doc::Accelerator& a : doc::Accelerators()) {
        EXPECT_NE(doc::FindCommand(a.id), nullptr) << a.keys;
    }
}

TEST(CommandTable, LabelsKeepTheirTabAndPromptsSplitAtTheLineBreak) {
    EXPECT_EQ(doc::FindCommand(doc::ID_FILE_NEW)->label, "新規作成(&N)\tCtrl+N");
    EXPECT_EQ(doc::FindCommand(doc::ID_UNDO_POINT)->label, "元に戻す(&U)\tCtrl+Z");
    const doc::CommandText& move = *doc::FindCommand(doc::ID_TOOL_MOVE);
    EXPECT_EQ(doc::PromptOf(move), "選択した頂点を移動させる");
    EXPECT_EQ(doc::ToolTipOf(move), "移動");
    EXPECT_EQ(doc::FindCommand(12345), nullptr);
    // The tool bar: 22 buttons in 8 groups, our redo right after the undo button, then the
    // fit button in a group of its own.
    const auto bar = doc::ToolBarButtons();
    EXPECT_EQ(std::count(bar.begin(), bar.end(), 0), 8);
    EXPECT_EQ(bar.size(), 31u);
    EXPECT_EQ(bar[28], doc::ID_APP_ABOUT);
    EXPECT_EQ(bar.back(), doc::ID_VIEW_FIT);
    const auto undo = std::find(bar.begin(), bar.end(), doc::ID_UNDO_POINT);
    ASSERT_NE(undo, bar.end());
    EXPECT_EQ(undo[1], doc::ID_EDIT_REDO);
    EXPECT_EQ(doc::FindCommand(doc::ID_EDIT_REDO)->label, "やり直し(&R)\tCtrl+Y");
    EXPECT_TRUE(doc::FindCommand(doc::ID_EDIT_REDO)->ours);
    // Ctrl+Z still sends the framework's undo id; Delete cuts as Shift+Del does.
    const auto keys = doc::Accelerators();
    const auto idOf = [&keys](std::string_view k) {
        for (const doc::Accelerator& a : keys) {
            if (a.keys == k) return a.id;
        }
        return 0;
    };
    EXPECT_EQ(idOf("Ctrl+Z"), doc::ID_EDIT_UNDO);
    EXPECT_EQ(idOf("Ctrl+Y"), doc::ID_EDIT_REDO);
    EXPECT_EQ(idOf("Ctrl+Shift+Z"), doc::ID_EDIT_REDO);
    EXPECT_EQ(idOf("Del"), doc::ID_EDIT_CUT);
    EXPECT_EQ(idOf("Home"), doc::ID_VIEW_FIT);
    EXPECT_EQ(idOf("F"), doc::ID_VIEW_FIT_SELECTION);
}

TEST(CommandRouter, DisabledCommandsAndThoseWithoutHandlersDoNotRunNorThePrelude) {
    doc::CommandRouter router;
    std::string order;
    bool allowed = false;
    router.SetPrelude([&] { order += "prelude "; });
    router.On(
        doc::ID_UNDO_POINT, [&] { order += "command "; }, [&] { return allowed; });
    EXPECT_FALSE(router.IsEnabled(doc::ID_EDIT_COPY));
    EXPECT_FALSE(router.Execute(doc::ID_EDIT_COPY));
    EXPECT_FALSE(router.Execute(doc::ID_UNDO_POINT));
    allowed = true;
    EXPECT_TRUE(router.Execute(doc::ID_UNDO_POINT));
    EXPECT_EQ(order, "prelude command ");
    EXPECT_FALSE(router.IsChecked(doc::ID_UNDO_POINT));
}

struct ToolFixture : ::testing::Test {
    doc::Session session;
    testing_support::RecordingFrame frame;
    doc::CommandRouter router;
    ToolFixture() { doc::RegisterToolCommands(session, frame, router); }
    std::vector<int> Checked() {
        std::vector<int> out;
        for (int id : doc::ToolCommands()) {
            if (router.IsChecked(id)) out.push_back(id);
        }
        return out;
    }
};

TEST_F(ToolFixture, ExactlyTheChosenToolIsChecked) {
    EXPECT_EQ(Checked(), std::vector<int>{doc::ID_TOOL_SELECT});
    const std::pair<int, int> expected[] = {
        {doc::ID_TOOL_MOVE, doc::EDIT_MOVE},       {doc::ID_TOOL_ROTATE, doc::EDIT_ROTATE},
        {doc::ID_TOOL_SCALE, doc::EDIT_SCALE},     {doc::ID_TOOL_STRETCH, doc::EDIT_STRETCH},
        {doc::ID_TOOL_POLYGON, doc::EDIT_POLYGON}, {doc::ID_TOOL_SELECT, doc::EDIT_SELECT},
    };
    for (const auto& [id, mode] : expected) {
        ASSERT_TRUE(router.Execute(id));
        EXPECT_EQ(session.m_nEditMode, mode);
        EXPECT_EQ(Checked(), std::vector<int>{id});
    }
}

TEST_F(ToolFixture, PolygonToolClearsTheSelectionEvenWhenAlreadyActive) {
    session.poly.PolyLastPoint = 2;
    session.Table().selected[3][1] = 1;
    router.Execute(doc::ID_TOOL_POLYGON);
    EXPECT_EQ(session.Table().selected[3][1], 0);
    EXPECT_EQ(session.poly.PolyLastPoint, -1);
    const std::vector<testing_support::RecordingFrame::Invalidation> ortho{
        {0, 0, true}, {1, 0, true}, {1, 1, true}};
    EXPECT_EQ(frame.invalidations, ortho);

    session.Table().selected[4999][15] = 1;
    session.poly.PolyLastPoint = 0;
    router.Execute(doc::ID_TOOL_POLYGON);
    EXPECT_EQ(session.Table().selected[4999][15], 0);
    EXPECT_EQ(session.poly.PolyLastPoint, -1);
}

TEST_F(ToolFixture, LeavingPolygonCreationWipesItsPointsFromTheOrthographicPanes) {
    router.Execute(doc::ID_TOOL_MOVE);
    EXPECT_TRUE(frame.invalidations.empty());  // move from select: nothing to wipe
    router.Execute(doc::ID_TOOL_POLYGON);
    frame.invalidations.clear();
    session.poly.PolyLastPoint = 3;
    session.Table().selected[0][0] = 1;
    router.Execute(doc::ID_TOOL_MOVE);
    EXPECT_EQ(frame.invalidations.size(), 3u);
    EXPECT_EQ(session.poly.PolyLastPoint, -1);
    EXPECT_EQ(session.Table().selected[0][0], 1);  // other tools keep the selection
}

TEST(Splitter, FirstMaximisedSizeHalvesTheClientArea) {
    EXPECT_EQ(doc::FirstSplitterSize(1024, 740).column0Width, 512);
    EXPECT_EQ(doc::FirstSplitterSize(1024, 740).row0Height, 338);
    EXPECT_EQ(doc::FirstSplitterSize(1281, 801).column0Width, 640);
    EXPECT_EQ(doc::FirstSplitterSize(1281, 801).row0Height, 368);
    EXPECT_EQ(doc::FirstSplitterSize(10, 40).row0Height, 0);
    EXPECT_EQ(doc::FirstSplitterSize(0, 0).column0Width, 0);
}

TEST(Session, TheSceneHasItsFramesLightsAndAnEmptyMesh) {
    doc::Session session;
    ASSERT_TRUE(session.CreateScene(std::make_shared<rm::Root>()));
    const auto& children = session.m_pScene->Children();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0], session.m_pLightFrame);
    EXPECT_EQ(children[1], session.model.m_pModelFrame);
    ASSERT_EQ(session.m_pScene->Lights().size(), 1u);
    EXPECT_EQ(session.m_pScene->Lights()[0]->type, rm::LightType::Ambient);
    EXPECT_EQ(session.m_pScene->Lights()[0]->red, 0.4f);
    ASSERT_EQ(session.m_pLightFrame->Lights().size(), 1u);
    EXPECT_EQ(session.m_pLightFrame->Lights()[0]->type, rm::LightType::Directional);
    EXPECT_EQ(session.m_pLightFrame->Lights()[0]->green, 0.8f);
    ASSERT_TRUE(session.model.m_pMesh);
    EXPECT_EQ(session.model.m_pMesh->GetFaceCount(), 0);
    EXPECT_EQ(session.model.m_pModelFrame->Visuals().size(), 1u);

    auto failing = std::make_shared<rm::Root>();
    failing->FailNext(rm::Root::Op::CreateMeshBuilder);
    doc::Session other;
    EXPECT_FALSE(other.CreateScene(failing));
}

}  // namespace
