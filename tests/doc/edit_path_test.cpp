// The edit path: every kind of step undone and redone to the exact table and mesh, steps
// that change nothing, a rebuild that fails, the modified mark and the save question.
#include "doc/edit_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "edit_rig.h"
#include "test_support.h"
#include "views/numeric_transform.h"

namespace {

using edit_rig::Rig;
using edit_rig::SnapMesh;
using edit_rig::SnapTable;
using ports::Answer;

std::string Sample(const char* name) {
    return std::string(KESTRILUNE_SAMPLES) + "/" + name;
}

// The house sample, opened as from the command line, zoomed to fit the 240 x 200 panes.
struct HouseRig : Rig {
    HouseRig() : Rig(std::string(KESTRILUNE_SAMPLES) + "/") {
        std::filesystem::create_directories(dir.Path("TEXTURE"));
        std::filesystem::copy_file(Sample("texture/checker.bmp"), dir.Path("TEXTURE/checker.bmp"));
        s->programFolder = dir.Path("");
        s->ViewScale = 30.0f;
        EXPECT_TRUE(document->OpenDocumentFile(Sample("house.mqo")));
        // The house does not lie wholly in view at this scale, so opening fits the view;
        // these cases are drawn for the view they set.
        s->ViewScale = 30.0f;
        s->viewCentre = {};
        EXPECT_GT(T().faceCount, 10);
        EXPECT_FALSE(document->IsModified());
    }
    testing_support::TempDir dir;
};

struct StepCase {
    const char* name;
    std::function<void(HouseRig&)> prepare;  // selection and answers; not a step
    std::function<void(HouseRig&)> act;      // exactly one step
};

bool AnswerDialogs(ports::ModalDialog& d) {
    if (auto* m = dynamic_cast<views::CMoveDlg*>(&d)) {
        m->m_fX = 0.5f;
        m->m_fZ = -0.25f;
        return true;
    }
    if (auto* w = dynamic_cast<doc::WrapDialogData*>(&d)) {
        w->m_nMapping = 1;
        w->m_nWrapAxis = 1;
        return true;
    }
    return false;
}

void SelectLeft(HouseRig& r) {
    r.router.Execute(doc::ID_TOOL_SELECT);
    r.Drag(0, 0, 0, 120, 199, 2);
}
std::function<void(HouseRig&)> Tool(int id) {
    return [id](HouseRig& r) { r.router.Execute(id); };
}

// One step of every kind, each with what it needs first.
const StepCase kStepCases[] = {
    {"move drag",
     [](HouseRig& r) {
         SelectLeft(r);
         r.router.Execute(doc::ID_TOOL_MOVE);
     },
     [](HouseRig& r) { r.Drag(0, 100, 100, 131, 83, 7); }},
    {"rotate drag",
     [](HouseRig& r) {
         SelectLeft(r);
         r.router.Execute(doc::ID_TOOL_ROTATE);
     },
     [](HouseRig& r) { r.Drag(2, 110, 90, 150, 60, 4); }},
    {"scale drag",
     [](HouseRig& r) {
         SelectLeft(r);
         r.router.Execute(doc::ID_TOOL_SCALE);
     },
     [](HouseRig& r) { r.Drag(3, 120, 100, 126, 97, 3); }},
    {"stretch drag",
     [](HouseRig& r) {
         SelectLeft(r);
         r.router.Execute(doc::ID_TOOL_STRETCH);
     },
     [](HouseRig& r) { r.Drag(0, 100, 100, 110, 120, 2); }},
    {"numeric move",
     [](HouseRig& r) {
         SelectLeft(r);
         r.router.Execute(doc::ID_TOOL_MOVE);
         r.ui.onDialog = AnswerDialogs;
     },
     Tool(doc::ID_NUMERIC_INPUT)},
    {"cut", SelectLeft, Tool(doc::ID_EDIT_CUT)},
    {"material, colour button and OK",
     [](HouseRig& r) {
         SelectLeft(r);
         r.ui.colors = {0x00336699u};
         r.ui.onDialog = [](ports::ModalDialog& d) {
             auto* m = dynamic_cast<doc::MaterialDialogData*>(&d);
             m->OnColor();
             m->m_nTransparency = 100;
             m->m_nQuality = 2;
             return true;
         };
     },
     Tool(doc::ID_MATERIAL)},
    {"material colour kept after Cancel",
     [](HouseRig& r) {
         r.ui.colors = {0x00010203u};
         r.ui.onDialog = [](ports::ModalDialog& d) {
             dynamic_cast<doc::MaterialDialogData&>(d).OnColor();
             return false;
         };
     },
     Tool(doc::ID_MATERIAL)},
    {"texture with its wrap cancelled",
     [](HouseRig& r) { r.ui.files = {r.dir.Path("TEXTURE/checker.bmp")}; }, Tool(doc::ID_TEXTURE)},
    {"wrap",
     [](HouseRig& r) {
         r.ui.files = {r.dir.Path("TEXTURE/checker.bmp")};
         r.router.Execute(doc::ID_TEXTURE);
         r.ui.onDialog = AnswerDialogs;
     },
     Tool(doc::ID_WRAP)},
    {"remove texture",
     [](HouseRig& r) {
         r.ui.files = {r.dir.Path("TEXTURE/checker.bmp")};
         r.ui.onDialog = AnswerDialogs;
         r.router.Execute(doc::ID_TEXTURE);
     },
     Tool(doc::ID_TEXTURE_REMOVE)},
    {"polygon",
     [](HouseRig& r) {
         r.router.Execute(doc::ID_TOOL_POLYGON);
         for (const auto& [x, y] : {std::pair{30, 30}, {200, 40}, {190, 180}}) {
             r.view[0]->OnLButtonDown(x, y);
             r.view[0]->OnLButtonUp(x, y);
         }
     },
     [](HouseRig& r) { r.view[0]->OnKeyDown(views::KEY_RETURN); }},
    {"open adds a file", [](HouseRig& r) { r.ui.files = {Sample("pyramid.mqo")}; },
     Tool(doc::ID_FILE_OPEN)},
};

// Do, undo, redo: the table (positions, indices, colours, textures, texture coordinates,
// selection, counts) and the mesh face for face come back exactly, and the step is one.
void ExpectStepUndoesAndRedoesExactly(const StepCase& c) {
    HouseRig r;
    c.prepare(r);
    const std::size_t steps = r.Steps();
    const auto tableBefore = SnapTable(r.T());
    const auto meshBefore = SnapMesh(r.s->model.m_pMesh);
    c.act(r);
    ASSERT_EQ(r.Steps(), steps + 1);
    EXPECT_TRUE(r.document->IsModified());
    const auto tableAfter = SnapTable(r.T());
    const auto meshAfter = SnapMesh(r.s->model.m_pMesh);
    ASSERT_NE(tableAfter, tableBefore);
    EXPECT_TRUE(edit_rig::ModelIsSound(*r.s));
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(r.router.Execute(doc::ID_EDIT_UNDO));
        EXPECT_EQ(SnapTable(r.T()), tableBefore);
        EXPECT_EQ(SnapMesh(r.s->model.m_pMesh), meshBefore);
        EXPECT_EQ(r.document->IsModified(), steps > 0);
        ASSERT_TRUE(r.router.Execute(doc::ID_EDIT_REDO));
        EXPECT_EQ(SnapTable(r.T()), tableAfter);
        EXPECT_EQ(SnapMesh(r.s->model.m_pMesh), meshAfter);
        EXPECT_TRUE(edit_rig::ModelIsSound(*r.s));
    }
    EXPECT_FALSE(r.router.IsEnabled(doc::ID_EDIT_REDO));
}

TEST(EditPathSteps, EveryKindUndoesAndRedoesExactly) {
    for (const StepCase& c : kStepCases) {
        SCOPED_TRACE(c.name);
        ExpectStepUndoesAndRedoesExactly(c);
    }
}

// Undo gives back the selection the step started with, not the one a later band made.
TEST(EditPathSteps, UndoAndRedoGiveBackEachStepsSelection) {
    HouseRig r;
    r.router.Execute(doc::ID_TOOL_SELECT);
    r.Drag(0, 0, 0, 120, 199, 1);
    const auto selectedAtDrag = SnapTable(r.T()).selected;
    r.router.Execute(doc::ID_TOOL_MOVE);
    r.Drag(0, 100, 100, 110, 100);
    r.router.Execute(doc::ID_SELECT_INVERT);  // not a step
    const auto inverted = SnapTable(r.T()).selected;
    r.router.Execute(doc::ID_EDIT_CUT);
    ASSERT_EQ(r.Steps(), 2u);
    r.router.Execute(doc::ID_EDIT_UNDO);
    EXPECT_EQ(SnapTable(r.T()).selected, inverted);
    r.router.Execute(doc::ID_EDIT_UNDO);
    EXPECT_EQ(SnapTable(r.T()).selected, selectedAtDrag);
    r.router.Execute(doc::ID_EDIT_REDO);
    EXPECT_EQ(SnapTable(r.T()).selected, selectedAtDrag);  // as the drag left it
    r.router.Execute(doc::ID_EDIT_REDO);
    EXPECT_EQ(SnapTable(r.T()).selected,
              std::vector<int>(model::MAX_FACES * model::MAX_FACE_VERTICES, 0));  // Cut clears
}

TEST(EditPathSteps, CommandsThatChangeNothingRecordNothing) {
    HouseRig r;
    const auto before = SnapTable(r.T());
    r.router.Execute(doc::ID_EDIT_CUT);  // nothing selected
    r.router.Execute(doc::ID_TOOL_MOVE);
    r.Drag(0, 100, 100, 140, 80);              // nothing selected: nothing moves
    r.router.Execute(doc::ID_NUMERIC_INPUT);   // cancelled
    r.router.Execute(doc::ID_MATERIAL);        // cancelled
    r.router.Execute(doc::ID_WRAP);            // cancelled
    r.router.Execute(doc::ID_TEXTURE_REMOVE);  // no texture
    r.router.Execute(doc::ID_TOOL_SELECT);
    r.Drag(0, 0, 0, 239, 199, 1);
    r.router.Execute(doc::ID_TOOL_SCALE);
    r.ui.onDialog = [](ports::ModalDialog& d) {
        return dynamic_cast<views::CScaleDlg*>(&d) != nullptr;  // OK with 100 %
    };
    r.router.Execute(doc::ID_NUMERIC_INPUT);
    EXPECT_EQ(r.Steps(), 0u);
    EXPECT_FALSE(r.document->IsModified());
    EXPECT_FALSE(r.router.IsEnabled(doc::ID_EDIT_UNDO));
    auto after = SnapTable(r.T());
    after.selected = before.selected;
    EXPECT_EQ(after, before);
}

// A mesh that cannot be built: the step is not recorded and the model stays as it was.
TEST(EditPathSteps, AFailedRebuildRecordsNothingAndKeepsTheModel) {
    HouseRig r;
    r.SelectAll();
    r.router.Execute(doc::ID_TOOL_MOVE);
    const auto table = SnapTable(r.T());
    const auto mesh = SnapMesh(r.s->model.m_pMesh);
    r.view[0]->OnLButtonDown(100, 100);
    r.view[0]->OnMouseMove(130, 90, {true, false});
    r.s->model.m_pD3DRoot->FailNext(rm::Root::Op::CreateMeshBuilder);
    r.view[0]->OnLButtonUp(130, 90);
    EXPECT_EQ(r.Steps(), 0u);
    EXPECT_EQ(SnapTable(r.T()), table);
    EXPECT_EQ(SnapMesh(r.s->model.m_pMesh), mesh);
    EXPECT_FALSE(r.document->IsModified());
}

// Undo in the middle of a drag ends the drag first: the drag is one step, then undone.
TEST(EditPathSteps, UndoDuringADragEndsItFirst) {
    HouseRig r;
    r.SelectAll();
    r.router.Execute(doc::ID_TOOL_MOVE);
    const auto table = SnapTable(r.T());
    r.view[0]->OnLButtonDown(100, 100);
    r.view[0]->OnMouseMove(130, 90, {true, false});
    EXPECT_TRUE(r.router.Execute(doc::ID_EDIT_UNDO));
    EXPECT_FALSE(r.view[0]->IsDragging());
    EXPECT_EQ(SnapTable(r.T()), table);
    EXPECT_TRUE(r.router.IsEnabled(doc::ID_EDIT_REDO));
}

// Undo with polygon points takes back the last point; without, the last step.
TEST(EditPathSteps, UndoTakesBackAPolygonPointFirst) {
    HouseRig r;
    r.SelectAll();
    r.router.Execute(doc::ID_EDIT_CUT);
    r.router.Execute(doc::ID_TOOL_POLYGON);
    r.view[0]->OnLButtonDown(10, 10);
    r.view[0]->OnLButtonUp(10, 10);
    ASSERT_EQ(r.s->poly.PointCount(), 1);
    EXPECT_EQ(r.router.Prompt(doc::ID_UNDO_POINT), "");  // the command table's prompt
    r.router.Execute(doc::ID_EDIT_UNDO);
    EXPECT_EQ(r.s->poly.PointCount(), 0);
    EXPECT_EQ(r.T().faceCount, 0);
    EXPECT_EQ(r.router.Prompt(doc::ID_UNDO_POINT), "直前の操作「切り取り」を元に戻します");
    r.router.Execute(doc::ID_UNDO_POINT);
    EXPECT_GT(r.T().faceCount, 10);
    EXPECT_EQ(r.router.Prompt(doc::ID_EDIT_REDO), "元に戻した操作「切り取り」をやり直します");
}

// --- the modified mark and the save question ---

TEST(ModifiedMark, SetByAnEditClearedByUndoAndByAFullSave) {
    HouseRig r;
    EXPECT_FALSE(r.frame.modified);
    r.SelectAll();
    r.router.Execute(doc::ID_TOOL_MOVE);
    r.Drag(0, 100, 100, 110, 100);
    EXPECT_TRUE(r.frame.modified);
    r.router.Execute(doc::ID_EDIT_UNDO);
    EXPECT_FALSE(r.frame.modified);
    r.router.Execute(doc::ID_EDIT_REDO);
    EXPECT_TRUE(r.frame.modified);
    // .lwo does not keep everything: the mark stays and the status bar says why.
    r.ui.files = {r.dir.Path("house.lwo")};
    r.router.Execute(doc::ID_FILE_SAVE_AS);
    EXPECT_TRUE(std::filesystem::exists(r.dir.Path("house.lwo")));
    EXPECT_TRUE(r.frame.modified);
    EXPECT_EQ(r.frame.statusTexts.back(),
              "house.lwoに保存しました。この形式にはテクスチャーと透明度が保存されないため、"
              "変更済みのままです");
    r.ui.files = {r.dir.Path("house.x")};
    r.router.Execute(doc::ID_FILE_SAVE_AS);
    EXPECT_FALSE(r.frame.modified);
    r.router.Execute(doc::ID_EDIT_UNDO);  // away from the saved state and back
    EXPECT_TRUE(r.frame.modified);
    r.router.Execute(doc::ID_EDIT_REDO);
    EXPECT_FALSE(r.frame.modified);
}

// New, and the opens that replace the model, ask first; each answer does what it says.
TEST(SaveQuestion, EachAnswerAndASaveThatFails) {
    struct Case {
        const char* name;
        std::vector<Answer> answers;
        std::vector<std::optional<std::string>> files;  // the save dialog's answers
        bool goesOn;
    };
    const std::string missing = "/nonexistent-folder/house.x";
    const Case cases[] = {
        {"cancel", {Answer::Cancel}, {}, false},
        {"do not save", {Answer::No}, {}, true},
        {"save", {Answer::Yes}, {"HOUSE"}, true},
        {"save, dialog cancelled", {Answer::Yes}, {std::nullopt}, false},
        {"save fails", {Answer::Yes, Answer::Ok}, {missing}, false},
    };
    for (int command = 0; command < 2; ++command) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (command ? " / recent file" : " / new"));
            HouseRig r;
            r.SelectAll();
            r.router.Execute(doc::ID_EDIT_CUT);
            ASSERT_EQ(r.T().faceCount, 0);
            r.ui.answers = {c.answers.begin(), c.answers.end()};
            for (const auto& f : c.files) {
                r.ui.files.push_back(f && *f == "HOUSE" ? r.dir.Path("saved.x") : f);
            }
            r.ui.messages.clear();
            const bool went = command == 0
                                  ? (r.router.Execute(doc::ID_FILE_NEW), r.frame.title == "無題")
                                  : r.document->OpenReplacing(Sample("cube.mqo"));
            ASSERT_FALSE(r.ui.messages.empty());
            EXPECT_EQ(r.ui.messages[0].text, "house.mqoへの変更を保存しますか？");
            EXPECT_EQ(r.ui.messages[0].buttons, ports::Buttons::SaveDontSaveCancel);
            EXPECT_EQ(went, c.goesOn);
            if (c.goesOn) {
                EXPECT_FALSE(r.document->IsModified());
                EXPECT_FALSE(r.router.IsEnabled(doc::ID_EDIT_UNDO));  // the history starts again
            } else {
                EXPECT_EQ(r.T().faceCount, 0);  // the edited model is still there
                EXPECT_TRUE(r.document->IsModified());
            }
        }
    }
}

// Open adds to the model: no question, and one step that undo takes back.
TEST(SaveQuestion, OpenAddingAFileDoesNotAsk) {
    HouseRig r;
    r.SelectAll();
    r.router.Execute(doc::ID_EDIT_CUT);
    r.ui.files = {Sample("pyramid.mqo")};
    r.router.Execute(doc::ID_FILE_OPEN);
    EXPECT_TRUE(r.ui.messages.empty());
    EXPECT_GT(r.T().faceCount, 0);
    r.router.Execute(doc::ID_EDIT_UNDO);
    EXPECT_EQ(r.T().faceCount, 0);
}

}  // namespace
