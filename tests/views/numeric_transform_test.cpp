#include "views/numeric_transform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"
#include "views/edit_commands.h"
#include "views/edit_fakes.h"

namespace {

using edit_test::kAllPanes;
using edit_test::RecordingFrame;
using edit_test::ScriptedUi;
using rm::Vector;

std::vector<std::string> Texts(const views::NumericDialog& d) {
    std::vector<std::string> texts;
    for (const views::NumberField& f : d.Fields()) texts.push_back(f.text);
    return texts;
}
// "title #template [group] label id=text unit ...", the group named where it starts.
std::string Picture(const views::NumericDialog& d) {
    std::string out = std::string(d.Title()) + " #" + std::to_string(d.TemplateId());
    std::string_view group = "-";
    for (const views::NumberField& f : d.Fields()) {
        if (f.group != group) out += " [" + std::string(group = f.group) + "]";
        out += " " + std::string(f.label) + std::to_string(f.controlId) + "=" + f.text +
               std::string(f.unit);
    }
    return out;
}

// The user types `texts` into the fields and presses OK; true when the dialog closed.
bool TypeAndOk(views::NumericDialog& d, ScriptedUi& ui, const std::vector<std::string>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) d.Fields()[i].text = texts[i];
    return d.OnOK(ui);
}

TEST(NumericDialogs, FieldsTitlesAndInitialValues) {
    EXPECT_EQ(Picture(views::CMoveDlg()), "頂点移動 #133 [] X1008=0 Y1010=0 Z1012=0");
    EXPECT_EQ(Picture(views::CScaleDlg()),
              "拡大縮小 #134 [中心点] X1016=0 Y1018=0 Z1020=0 [拡大率] 1014=100%");
    EXPECT_EQ(Picture(views::CStretchDlg()),
              "ｽﾄﾚｯﾁ #135 [伸縮率] X1022=100% Y1023=100% "
              "Z1024=100% [中心点] X1017=0 Y1019=0 Z1021=0");
    views::CRotateDlg rotate;
    EXPECT_EQ(Picture(rotate), "回転 #136 [中心点] X1027=0 Y1028=0 Z1029=0 [回転角度] 1026=0゜");
    EXPECT_EQ(rotate.m_nAxis, 0);
    EXPECT_EQ(std::vector<std::string_view>(rotate.AxisLabels().begin(), rotate.AxisLabels().end()),
              (std::vector<std::string_view>{"X軸", "Y軸", "Z軸"}));  // half-width X
}

TEST(NumericDialogs, AFieldWithoutAFiniteNumberKeepsTheDialogOpen) {
    struct Case {
        std::vector<std::string> texts;  // the scale dialog: centre x, y, z, rate
        int focus;
    };
    const Case cases[] = {
        {{"abc", "0", "0", "100"}, 0}, {{"0", "", "0", "100"}, 1},   {{"0", "0", "1,5", "100"}, 2},
        {{"0", "0", "0", "1e39"}, 3},  // past the float range
        {{"0", "nan", "0", "100"}, 1}, {{"0", "0", "0", "-inf"}, 3}, {{"12abc", "0", "0", "x"}, 0},
        {{"0", "1 2", "0", "100"}, 1}, {{"0", "0", "0", "0x10"}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texts[std::size_t(c.focus)]);
        ScriptedUi ui;
        views::CScaleDlg d;
        EXPECT_FALSE(TypeAndOk(d, ui, c.texts));
        EXPECT_EQ(d.FocusField(), c.focus);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "数値を入力してください。");
        EXPECT_EQ(ui.messages[0].icon, ports::Icon::Exclamation);
        EXPECT_EQ(ui.messages[0].buttons, ports::Buttons::Ok);
    }
    // Blanks around a number, signs, exponents, 0 and negative rates are all fine; the
    // double angle field takes what a float cannot.
    ScriptedUi ui;
    views::CScaleDlg scale;
    ASSERT_TRUE(TypeAndOk(scale, ui, {" 2.5\t", "-0", "+3", "-1e-3"}));
    EXPECT_EQ(scale.m_fCenterX, 2.5f);
    EXPECT_EQ(scale.m_fCenterZ, 3.0f);
    EXPECT_EQ(scale.m_fRate, -1e-3f);
    EXPECT_EQ(scale.FocusField(), -1);
    views::CRotateDlg rotate;
    ASSERT_TRUE(TypeAndOk(rotate, ui, {"0", "0", "0", "1e39"}));
    EXPECT_EQ(rotate.m_dAngle, 1e39);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(NumericDialogs, NumbersReadTheSameUnderAnyLocale) {
    testing_support::ScopedLocale german("de_DE.UTF-8");
    if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    ScriptedUi ui;
    views::CMoveDlg d;
    ASSERT_TRUE(TypeAndOk(d, ui, {"0.5", "-1.25", "1e2"}));
    EXPECT_EQ(d.m_fX, 0.5f);
    EXPECT_EQ(d.m_fY, -1.25f);
    EXPECT_EQ(d.m_fZ, 100.0f);
    views::CMoveDlg comma;
    EXPECT_FALSE(TypeAndOk(comma, ui, {"0,5", "0", "0"}));
    // The initial texts carry no locale either.
    EXPECT_EQ(views::CStretchDlg().Fields()[0].text, "100");
}

// A session with one triangle: corners 0 and 1 selected.
struct Fixture {
    std::unique_ptr<doc::Session> s = edit_test::MakeSession();
    ScriptedUi ui;
    RecordingFrame frame;
    Fixture() {
        edit_test::SetFaces(*s, {{{0, 1, 0}, {2, 0, 0}, {0, 0, 5}}});
        s->Table().selected[0][0] = s->Table().selected[0][1] = 1;
    }
    Vector Corner(int k) const { return s->Table().position[0][k]; }
    Vector MeshCorner(int k) const {
        Vector p;
        s->model.m_pMesh->GetFace(0).GetVertex(k, &p, nullptr);
        return p;
    }
    void Apply() { views::ApplyNumericTransform(*s, ui, frame); }
};

TEST(NumericTransform, OkAppliesTheToolsRuleRebuildsAndRepaintsAllPanes) {
    Fixture fx;
    fx.s->m_nEditMode = doc::EDIT_MOVE;
    fx.ui.onDialog = [&](ports::ModalDialog& d) {
        auto& dlg = dynamic_cast<views::CMoveDlg&>(d);
        // A wrong entry first: the dialog stays open until it is corrected.
        EXPECT_FALSE(TypeAndOk(dlg, fx.ui, {"1", "y", "0"}));
        EXPECT_EQ(dlg.FocusField(), 1);
        return TypeAndOk(dlg, fx.ui, {"1", "0.5", "0"});
    };
    fx.Apply();
    EXPECT_EQ(fx.ui.dialogs, (std::vector<std::string>{"move"}));
    EXPECT_EQ(fx.Corner(0), (Vector{1, 1.5f, 0}));
    EXPECT_EQ(fx.Corner(1), (Vector{3, 0.5f, 0}));
    EXPECT_EQ(fx.Corner(2), (Vector{0, 0, 5}));  // not selected
    EXPECT_EQ(fx.MeshCorner(1), (Vector{3, 0.5f, 0}));
    EXPECT_EQ(fx.frame.invalidations, kAllPanes);

    // Rotate 90 degrees about Z: (1, 1.5, 0) about the origin goes to (1.5, -1, 0).
    fx.s->m_nEditMode = doc::EDIT_ROTATE;
    fx.ui.onDialog = [&](ports::ModalDialog& d) {
        auto& dlg = dynamic_cast<views::CRotateDlg&>(d);
        dlg.m_nAxis = 2;
        return TypeAndOk(dlg, fx.ui, {"0", "0", "0", "90"});
    };
    fx.Apply();
    EXPECT_NEAR(fx.Corner(0).x, 1.5f, 1e-6);
    EXPECT_NEAR(fx.Corner(0).y, -1.0f, 1e-6);

    // Stretch per axis about a centre.
    fx.s->m_nEditMode = doc::EDIT_STRETCH;
    const Vector before = fx.Corner(1);
    fx.ui.onDialog = [&](ports::ModalDialog& d) {
        return TypeAndOk(dynamic_cast<views::CStretchDlg&>(d), fx.ui,
                         {"200", "100", "0", "1", "0", "0"});
    };
    fx.Apply();
    EXPECT_FLOAT_EQ(fx.Corner(1).x, 1 + 2 * (before.x - 1));
    EXPECT_EQ(fx.Corner(1).y, before.y);
    EXPECT_EQ(fx.Corner(1).z, 0.0f);
}

TEST(NumericTransform, CancelAndToolsWithoutADialogStillRebuildAndRepaint) {
    Fixture fx;
    fx.s->m_nEditMode = doc::EDIT_SCALE;
    fx.ui.onDialog = [&](ports::ModalDialog& d) {
        TypeAndOk(dynamic_cast<views::CScaleDlg&>(d), fx.ui, {"0", "0", "0", "50"});
        return false;  // then Cancel
    };
    fx.s->Table().position[0][0] = {7, 7, 7};  // in the table only, not yet in the mesh
    fx.Apply();
    EXPECT_EQ(fx.Corner(0), (Vector{7, 7, 7}));
    EXPECT_EQ(fx.MeshCorner(0), (Vector{7, 7, 7}));
    EXPECT_EQ(fx.frame.invalidations, kAllPanes);

    for (int mode : {int(doc::EDIT_SELECT), int(doc::EDIT_POLYGON), 1}) {
        fx.s->m_nEditMode = mode;
        fx.frame.invalidations.clear();
        fx.s->Table().position[0][2] = {float(mode), 0, 0};
        fx.Apply();
        EXPECT_EQ(fx.ui.dialogs.size(), 1u);
        EXPECT_EQ(fx.MeshCorner(2), (Vector{float(mode), 0, 0}));
        EXPECT_EQ(fx.frame.invalidations, kAllPanes);
    }
}

TEST(NumericTransform, EveryOpeningShowsTheInitialValuesAndScale100ChangesNothing) {
    Fixture fx;
    fx.s->m_nEditMode = doc::EDIT_SCALE;
    std::vector<std::vector<std::string>> shown;
    fx.ui.onDialog = [&](ports::ModalDialog& d) {
        auto& dlg = dynamic_cast<views::CScaleDlg&>(d);
        shown.push_back(Texts(dlg));
        return TypeAndOk(dlg, fx.ui, {"5", "-3", "2", shown.size() == 1 ? "100" : "50"});
    };
    const Vector before = fx.Corner(0);
    fx.Apply();
    EXPECT_EQ(fx.Corner(0), before);  // 100 % about any centre: bit-identical
    fx.Apply();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], (std::vector<std::string>{"0", "0", "0", "100"}));
    EXPECT_FLOAT_EQ(fx.Corner(0).x, 2.5f);  // halfway to the centre (5, -3, 2)
    EXPECT_FLOAT_EQ(fx.Corner(0).y, -1.0f);

    // With nothing selected, a move changes nothing.
    fx.s->Table().ClearSelection();
    fx.s->m_nEditMode = doc::EDIT_MOVE;
    fx.ui.onDialog = [&](ports::ModalDialog& d) {
        return TypeAndOk(dynamic_cast<views::CMoveDlg&>(d), fx.ui, {"1", "0", "0"});
    };
    const Vector still = fx.Corner(1);
    fx.Apply();
    EXPECT_EQ(fx.Corner(1), still);
}

TEST(EditKeys, NOpensTheDialogAndEnterOnlyFinishesPolygons) {
    Fixture fx;
    fx.s->m_nEditMode = doc::EDIT_ROTATE;
    EXPECT_TRUE(views::HandleEditKey(*fx.s, fx.ui, fx.frame, views::KEY_N));
    EXPECT_EQ(fx.ui.dialogs, (std::vector<std::string>{"rotate"}));
    // Enter outside the polygon tool is left to default processing.
    EXPECT_FALSE(views::HandleEditKey(*fx.s, fx.ui, fx.frame, views::KEY_RETURN));
    EXPECT_TRUE(fx.ui.messages.empty());
    EXPECT_FALSE(views::HandleEditKey(*fx.s, fx.ui, fx.frame, 'M'));
    // (Esc in any tool: the polygon tests.)
    // The numeric-input command runs the same routine.
    doc::CommandRouter router;
    views::RegisterEditCommands(*fx.s, fx.ui, fx.frame, router);
    EXPECT_TRUE(router.IsEnabled(doc::ID_NUMERIC_INPUT));
    EXPECT_TRUE(router.Execute(doc::ID_NUMERIC_INPUT));
    EXPECT_EQ(fx.ui.dialogs.size(), 2u);
}

}  // namespace
