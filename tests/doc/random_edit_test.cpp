// Thousands of random commands, gestures and dialog answers, with undo and redo among them:
// after every action the model is sound, and at the end undoing everything gives the first
// model back and redoing everything the last. KESTRILUNE_RANDOM_ACTIONS sets the number of
// actions (a long run under the sanitizers uses 100000).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "edit_rig.h"
#include "test_support.h"
#include "views/numeric_transform.h"

namespace {

using edit_rig::Rig;
using edit_rig::SnapMesh;
using edit_rig::SnapTable;

int ActionCount() {
    const char* n = std::getenv("KESTRILUNE_RANDOM_ACTIONS");
    return n ? std::max(1, std::atoi(n)) : 1500;
}

// The one source of randomness: a fixed seed, so every run plays the same actions.
struct Dice {
    std::mt19937 rng{20261209};
    int Pick(int n) { return int(rng() % unsigned(n)); }
    int Coord(int extent) { return Pick(extent + 40) - 20; }  // a point, sometimes outside
};

// Every dialog gets random values, and about one in four is cancelled.
void AnswerDialogsAtRandom(Rig& r, Dice& dice) {
    r.ui.onDialog = [&r, &dice](ports::ModalDialog& d) {
        const auto pick = [&dice](int n) { return dice.Pick(n); };
        if (pick(4) == 0) return false;  // Cancel
        if (auto* m = dynamic_cast<views::CMoveDlg*>(&d)) {
            m->m_fX = float(pick(200) - 100) / 50.0f;
            m->m_fY = float(pick(200) - 100) / 50.0f;
        } else if (auto* ro = dynamic_cast<views::CRotateDlg*>(&d)) {
            ro->m_nAxis = pick(4);  // 3: no axis
            ro->m_dAngle = double(pick(720) - 360);
        } else if (auto* sc = dynamic_cast<views::CScaleDlg*>(&d)) {
            sc->m_fRate = float(pick(300) - 50);
        } else if (auto* st = dynamic_cast<views::CStretchDlg*>(&d)) {
            st->m_fRateX = float(pick(300));
            st->m_fRateZ = float(pick(300) - 150);
        } else if (auto* ma = dynamic_cast<doc::MaterialDialogData*>(&d)) {
            if (pick(2)) {
                r.ui.colors.push_back(pick(3) ? std::optional<std::uint32_t>(dice.rng() & 0xFFFFFF)
                                              : std::nullopt);
                ma->OnColor();
            }
            ma->OnHScroll(doc::SB_THUMBPOSITION, pick(256));
            ma->m_nQuality = pick(4) - 1;
            return pick(5) != 0;
        } else if (auto* w = dynamic_cast<doc::WrapDialogData*>(&d)) {
            w->m_nMapping = pick(3);
            w->m_nWrapAxis = pick(3);
        }
        return true;
    };
}

// A polygon of up to five random points in pane p, some after a right click, finished with
// Return or abandoned with Escape.
void DrawRandomPolygon(Rig& r, Dice& dice, int p) {
    r.router.Execute(doc::ID_TOOL_POLYGON);
    const int points = dice.Pick(6);
    for (int i = 0; i < points; ++i) {
        const int x = dice.Coord(240), y = dice.Coord(200);
        if (dice.Pick(5) == 0) {
            r.view[p]->OnRButtonDown(x, y);
            r.view[p]->OnRButtonUp(x, y);
        }
        r.view[p]->OnLButtonDown(x, y);
        r.view[p]->OnLButtonUp(x, y);
    }
    r.view[p]->OnKeyDown(dice.Pick(4) ? views::KEY_RETURN : views::KEY_ESCAPE);
}

// The panes the actions happen in and the tools the drags use.
constexpr int kPanes[3] = {0, 2, 3};
constexpr int kTools[4] = {doc::ID_TOOL_MOVE, doc::ID_TOOL_ROTATE, doc::ID_TOOL_SCALE,
                           doc::ID_TOOL_STRETCH};

// One random action in one of the three side panes: a gesture, a command, a file opened or
// a step of the history.
void DoRandomAction(Rig& r, Dice& dice, const std::string& texture, const std::string& samples) {
    const auto pick = [&dice](int n) { return dice.Pick(n); };
    const auto coord = [&dice](int extent) { return dice.Coord(extent); };
    const int p = kPanes[pick(3)];
    switch (pick(16)) {
        case 0:
        case 1:  // band selection or deselection
            r.router.Execute(doc::ID_TOOL_SELECT);
            r.Drag(p, coord(240), coord(200), coord(240), coord(200), 1 + pick(3), pick(3) != 0);
            break;
        case 2:
        case 3:  // a transform drag
            r.router.Execute(kTools[pick(4)]);
            r.Drag(p, coord(240), coord(200), coord(240), coord(200), 1 + pick(5));
            break;
        case 4:  // a numeric transform
            r.router.Execute(kTools[pick(4)]);
            if (pick(2)) {
                r.router.Execute(doc::ID_NUMERIC_INPUT);
            } else {
                r.view[p]->OnKeyDown('N');
            }
            break;
        case 5:
            r.router.Execute(pick(2) ? doc::ID_SELECT_INVERT : doc::ID_SELECT_CLEAR);
            break;
        case 6:
            r.router.Execute(doc::ID_EDIT_CUT);
            break;
        case 7:
            r.router.Execute(doc::ID_MATERIAL);
            break;
        case 8:
            r.ui.files.push_back(pick(4) ? std::optional(texture) : std::nullopt);
            r.router.Execute(doc::ID_TEXTURE);
            break;
        case 9:
            r.router.Execute(pick(2) ? doc::ID_WRAP : doc::ID_TEXTURE_REMOVE);
            break;
        case 10:
            DrawRandomPolygon(r, dice, p);
            break;
        case 11:
            if (r.T().faceCount < 300) {
                r.ui.files.push_back(samples + (pick(2) ? "pyramid.mqo" : "house.x"));
                r.router.Execute(doc::ID_FILE_OPEN);
            }
            break;
        case 12:
        case 13:
        case 14:
            r.router.Execute(doc::ID_EDIT_UNDO);
            break;
        default:
            r.router.Execute(doc::ID_EDIT_REDO);
            break;
    }
}

// After the actions: undoing everything gives the first model back (with the selection the
// first step started from) and a clean document; redoing everything gives the last.
template <typename Table, typename Mesh>
void ExpectHistoryWalksBothWays(Rig& r, const Table& firstTable, const Mesh& firstMesh,
                                int actions) {
    // Pending polygon points would make undo take them back first.
    r.router.Execute(doc::ID_TOOL_SELECT);
    while (r.router.IsEnabled(doc::ID_EDIT_REDO)) r.router.Execute(doc::ID_EDIT_REDO);
    const auto lastTable = SnapTable(r.T());
    const auto lastMesh = SnapMesh(r.s->model.m_pMesh);
    std::size_t undone = 0;
    while (r.router.Execute(doc::ID_EDIT_UNDO)) ++undone;
    EXPECT_GT(undone, std::size_t(actions / 20));
    auto back = SnapTable(r.T());
    back.selected = firstTable.selected;
    EXPECT_EQ(back, firstTable);
    EXPECT_EQ(SnapMesh(r.s->model.m_pMesh), firstMesh);
    EXPECT_FALSE(r.document->IsModified());
    while (r.router.Execute(doc::ID_EDIT_REDO)) {
    }
    EXPECT_EQ(SnapTable(r.T()), lastTable);
    EXPECT_EQ(SnapMesh(r.s->model.m_pMesh), lastMesh);
    testing::Test::RecordProperty("steps", int(undone));
}

TEST(RandomEdits, ModelStaysSoundAndTheHistoryWalksBothWays) {
    testing_support::TempDir dir;
    const std::string samples = std::string(KESTRILUNE_SAMPLES) + "/";
    std::filesystem::create_directories(dir.Path("TEXTURE"));
    std::filesystem::copy_file(samples + "texture/checker.bmp", dir.Path("TEXTURE/checker.bmp"));
    Rig r(dir.Path(""));
    r.s->history.SetLimits(std::size_t(-1), std::size_t(-1));  // keep every step
    r.s->ViewScale = 30.0f;
    ASSERT_TRUE(r.document->OpenDocumentFile(samples + "house.mqo"));
    const auto firstTable = SnapTable(r.T());
    const auto firstMesh = SnapMesh(r.s->model.m_pMesh);

    Dice dice;
    AnswerDialogsAtRandom(r, dice);
    const int actions = ActionCount();
    for (int a = 0; a < actions; ++a) {
        DoRandomAction(r, dice, dir.Path("TEXTURE/checker.bmp"), samples);
        ASSERT_TRUE(edit_rig::ModelIsSound(*r.s)) << "after action " << a;
    }
    ExpectHistoryWalksBothWays(r, firstTable, firstMesh, actions);
}

// The history keeps at most its number of steps and about its bytes; the oldest go first
// and the marks of the saved state survive the trimming.
TEST(RandomEdits, HistoryLimitsDropTheOldestSteps) {
    model::TableHistory h(3, std::size_t(1) << 30);
    testing_support::Model m;
    testing_support::ModelBuilder().FaceAt({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}).Into(m);
    model::FaceTable* t = m.table.get();
    h.Reset(*t);
    const std::uint64_t start = h.StateId();
    for (int i = 1; i <= 5; ++i) {
        h.Begin(*t);
        t->position[0][0].x = float(i);
        ASSERT_TRUE(h.Record(*t, model::EditScope::Positions, i));
    }
    EXPECT_EQ(h.UndoSteps(), 3u);
    while (h.Undo(*t)) {
    }
    EXPECT_EQ(t->position[0][0].x, 2.0f);  // steps 1 and 2 were dropped
    EXPECT_NE(h.StateId(), start);
    EXPECT_EQ(h.LastStepBytes(), 0u);  // nothing left to undo
    // A one-vertex step costs bytes, not megabytes.
    ASSERT_TRUE(h.Redo(*t));
    EXPECT_GT(h.LastStepBytes(), 0u);
    EXPECT_LT(h.LastStepBytes(), std::size_t(1024));

    model::TableHistory small(1000, 1);  // every step over the bytes: only the newest kept
    small.Reset(*t);
    for (int i = 0; i < 3; ++i) {
        small.Begin(*t);
        t->position[0][1].y = float(i + 10);
        small.Record(*t, model::EditScope::Positions, 0);
    }
    EXPECT_EQ(small.UndoSteps(), 1u);
}

}  // namespace
