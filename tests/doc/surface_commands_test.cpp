// The surface commands through scripted dialogs: material colour, transparency and
// quality; loading, wrapping and removing a texture; the wrap parameters.
#include "doc/surface_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "doc/texts.h"
#include "fake_ports.h"
#include "rm/bmp_builder.h"
#include "test_support.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

struct SurfaceFixture : ::testing::Test {
    TempDir dir;
    doc::Session session;
    testing_support::ScriptedUi ui;
    testing_support::RecordingFrame frame;

    SurfaceFixture() {
        session.programFolder = dir.Path("");
        session.CreateScene(std::make_shared<rm::Root>());
        std::filesystem::create_directories(dir.Dir() / "TEXTURE");
    }
    model::FaceTable& T() { return session.Table(); }
    rm::MeshBuilder& Mesh() { return *session.model.m_pMesh; }

    // Three quads side by side in the z = 3 plane, spanning X -2..2 and Y 0..1, and one
    // quad behind at z = 5: the box is X -2..2, Y 0..1, Z 3..5.
    void LoadModel() {
        const rm::Vector v[] = {{-2, 0, 3}, {-1, 0, 3}, {-1, 1, 3}, {-2, 1, 3}, {1, 0, 3},
                                {1, 1, 3},  {2, 0, 3},  {2, 1, 3},  {-2, 0, 5}, {2, 0, 5}};
        const std::int32_t faces[] = {4, 0, 1, 2, 3, 4, 1, 4, 5, 2, 4, 4, 6, 7, 5, 3, 8, 9, 6, 0};
        ASSERT_TRUE(Mesh().AddFaces(v, {}, faces));
        T().ReadFromMesh(session.model);
        ASSERT_TRUE(T().RebuildMesh(session.model));
    }
    void SelectFace(int f) {
        for (int k = 0; k < T().vertexCount[f]; ++k) T().selected[f][k] = 1;
    }
    // The user answers the material dialog with `fill`, then OK (true) or Cancel.
    void AnswerMaterial(std::function<void(doc::CMaterialDlg&)> fill, bool ok) {
        ui.onDialog = [fill, ok](ports::ModalDialog& d) {
            auto* m = dynamic_cast<doc::CMaterialDlg*>(&d);
            if (!m) return false;
            fill(*m);
            return ok;
        };
    }
    void AnswerWrap(int mapping, int axis) {
        ui.onDialog = [mapping, axis](ports::ModalDialog& d) {
            auto* w = dynamic_cast<doc::CTextureWrapDlg*>(&d);
            if (!w) return false;
            EXPECT_EQ(w->m_nMapping, 0);  // plane and X every time
            EXPECT_EQ(w->m_nWrapAxis, 0);
            w->m_nMapping = mapping;
            w->m_nWrapAxis = axis;
            return true;
        };
    }
    std::string Bitmap(const std::string& name, const std::string& bytes) {
        WriteFile(dir.Path("TEXTURE/" + name), bytes);
        return dir.Path("TEXTURE/" + name);
    }
    bool Pane3DInvalidatedWithoutErase() const {
        return !frame.invalidations.empty() &&
               frame.invalidations.back() ==
                   testing_support::RecordingFrame::Invalidation{0, 1, false};
    }
};

// --- Material ---

TEST_F(SurfaceFixture, OkUntouchedMakesFacesOpaqueAndKeepsTheQuality) {
    LoadModel();
    for (int f = 0; f < T().faceCount; ++f) T().faceColor[f].alpha = 100;
    T().meshQuality = rm::Quality::Flat;
    int shownTransparency = -1;
    int shownQuality = -1;
    AnswerMaterial(
        [&](doc::CMaterialDlg& m) {
            shownTransparency = m.m_nTransparency;
            shownQuality = m.m_nQuality;
        },
        true);
    doc::OnMaterial(session, ui, frame);

    EXPECT_EQ(shownTransparency, 0);  // whatever the faces' alpha
    EXPECT_EQ(shownQuality, 2);       // Flat
    for (int f = 0; f < T().faceCount; ++f) EXPECT_EQ(T().faceColor[f].alpha, 255);
    EXPECT_EQ(T().meshQuality, rm::Quality::Flat);
    EXPECT_EQ(Mesh().GetQuality(), rm::Quality::Flat);
    EXPECT_EQ(rm::ColorAlpha(Mesh().GetFace(0).GetColor()), 255u);
    EXPECT_TRUE(Pane3DInvalidatedWithoutErase());
}

TEST_F(SurfaceFixture, RightEndGivesAlphaZeroOnlyOnTheSelectedFaces) {
    LoadModel();
    SelectFace(1);
    AnswerMaterial([](doc::CMaterialDlg& m) { m.OnHScroll(doc::SB_RIGHT); }, true);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(T().faceColor[1].alpha, 0);
    EXPECT_EQ(T().faceColor[0].alpha, 255);
    EXPECT_EQ(rm::ColorAlpha(Mesh().GetFace(1).GetColor()), 0u);
}

TEST_F(SurfaceFixture, HalfwayTransparencyAndCancelLeavesAlphaAlone) {
    LoadModel();
    AnswerMaterial([](doc::CMaterialDlg& m) { m.OnHScroll(doc::SB_THUMBPOSITION, 128); }, true);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(T().faceColor[2].alpha, 127);

    AnswerMaterial([](doc::CMaterialDlg& m) { m.OnHScroll(doc::SB_RIGHT); }, false);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(T().faceColor[2].alpha, 127);
}

TEST(MaterialScroll, StepsPagesThumbAndEndsStayWithin0To255) {
    doc::CMaterialDlg d;
    struct Step {
        int from, code, thumb, to;
    };
    const Step steps[] = {
        {0, doc::SB_LINERIGHT, 0, 1},
        {0, doc::SB_LINELEFT, 0, 0},
        {5, doc::SB_LINELEFT, 0, 4},
        {250, doc::SB_PAGERIGHT, 0, 255},
        {240, doc::SB_PAGERIGHT, 0, 250},
        {5, doc::SB_PAGELEFT, 0, 0},
        {20, doc::SB_PAGELEFT, 0, 10},
        {7, doc::SB_THUMBTRACK, 200, 200},
        {7, doc::SB_THUMBPOSITION, 300, 255},
        {7, doc::SB_THUMBTRACK, -3, 0},
        {100, doc::SB_LEFT, 0, 0},
        {100, doc::SB_RIGHT, 0, 255},
        {100, doc::SB_ENDSCROLL, 0, 100},
        {100, 42, 0, 100},
    };
    for (const Step& s : steps) {
        d.m_nTransparency = s.from;
        EXPECT_EQ(d.OnHScroll(s.code, s.thumb), s.to) << "from " << s.from << " code " << s.code;
        EXPECT_EQ(d.m_nTransparency, s.to);
    }
}

TEST_F(SurfaceFixture, QualityRadiosMapToTheThreeQualitiesAndOthersCheckNone) {
    EXPECT_EQ(doc::QualityRadioOf(rm::Quality::Wireframe), 0);
    EXPECT_EQ(doc::QualityRadioOf(rm::Quality::Gouraud), 1);
    EXPECT_EQ(doc::QualityRadioOf(rm::Quality::Flat), 2);
    EXPECT_EQ(doc::QualityRadioOf(static_cast<rm::Quality>(0x87)), -1);

    LoadModel();
    AnswerMaterial([](doc::CMaterialDlg& m) { m.m_nQuality = 0; }, true);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(T().meshQuality, rm::Quality::Wireframe);
    EXPECT_EQ(Mesh().GetQuality(), rm::Quality::Wireframe);

    // A quality outside the table: no radio checked, and OK keeps it.
    T().meshQuality = static_cast<rm::Quality>(0x87);
    int shown = 5;
    AnswerMaterial([&shown](doc::CMaterialDlg& m) { shown = m.m_nQuality; }, true);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(shown, -1);
    EXPECT_EQ(static_cast<std::uint32_t>(T().meshQuality), 0x87u);
}

TEST_F(SurfaceFixture, ColourAppliesAtOnceToSelectedFacesAndSurvivesCancel) {
    LoadModel();
    SelectFace(0);
    SelectFace(2);
    T().selected[1][0] = 1;     // a partly selected face is not a target
    ui.colors = {0x000000FFu};  // red as 0x00BBGGRR
    int alphaBefore = -1;
    AnswerMaterial(
        [&](doc::CMaterialDlg& m) {
            m.OnColor();
            alphaBefore = T().faceColor[0].alpha;
        },
        false);
    doc::OnMaterial(session, ui, frame);

    ASSERT_EQ(ui.colorRequests, std::vector<std::uint32_t>{0u});  // opens at black
    for (int f : {0, 2}) {
        EXPECT_EQ(T().faceColor[f].red, 255);
        EXPECT_EQ(T().faceColor[f].green, 0);
        EXPECT_EQ(T().faceColor[f].blue, 0);
    }
    for (int f : {1, 3}) {  // still the new mesh's white
        EXPECT_EQ(T().faceColor[f].green, 255);
        EXPECT_EQ(T().faceColor[f].blue, 255);
    }
    EXPECT_EQ(alphaBefore, 255);
    EXPECT_EQ(Mesh().GetFace(2).GetColor(), 0xFFFF0000u);  // the mesh shows it too
    EXPECT_TRUE(Pane3DInvalidatedWithoutErase());
}

TEST_F(SurfaceFixture, ColourWithNothingSelectedColoursEveryFaceAndCancelChangesNothing) {
    LoadModel();
    ui.colors = {std::nullopt, 0x00FF0000u};  // cancel, then blue
    AnswerMaterial(
        [](doc::CMaterialDlg& m) {
            m.OnColor();
            m.OnColor();
        },
        false);
    const std::size_t before = frame.invalidations.size();
    doc::OnMaterial(session, ui, frame);
    for (int f = 0; f < T().faceCount; ++f) EXPECT_EQ(T().faceColor[f].blue, 255);
    EXPECT_EQ(T().faceColor[0].red, 0);
    EXPECT_EQ(frame.invalidations.size(), before + 1);  // only the applied colour
}

// --- Texture, Remove texture ---

TEST_F(SurfaceFixture, TextureAsksInTheTextureFolderAndTexturesEveryFaceThenWraps) {
    LoadModel();
    SelectFace(0);
    ui.files = {Bitmap("check.bmp", testing_support::CheckerBmp(8, 2))};
    AnswerWrap(0, 2);
    doc::OnTextureLoad(session, ui, frame);

    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const ports::FileDialogRequest& r = ui.fileRequests[0];
    EXPECT_TRUE(r.open);
    EXPECT_EQ(r.filter, "ビットマップファイル(*.bmp)|*.bmp|");
    EXPECT_EQ(r.defaultExtension, "bmp");
    EXPECT_EQ(r.initialName, "");
    EXPECT_EQ(r.flags, ports::OFN_HIDEREADONLY);
    EXPECT_EQ(r.initialFolder, session.programFolder + "TEXTURE");

    EXPECT_EQ(ui.dialogs, std::vector<std::string>{"wrap"});
    const rm::TexturePtr t = Mesh().GetFace(0).GetTexture();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Width(), 8);
    for (int f = 0; f < T().faceCount; ++f) {
        EXPECT_EQ(Mesh().GetFace(f).GetTexture(), t);
        EXPECT_EQ(T().faceTexture[f], t);
    }
    // The plane wrap on Z ran: u = 0.25 * (-x) + 0.5 at the model's left edge is 1.
    EXPECT_FLOAT_EQ(T().texU[0][0], 1.0f);
    EXPECT_TRUE(Pane3DInvalidatedWithoutErase());
}

TEST_F(SurfaceFixture, ABitmapThatDoesNotLoadLeavesTheModelAndSaysWhy) {
    LoadModel();
    testing_support::BmpLayout rle{.width = 4, .height = 4, .bitsPerPixel = 8, .compression = 1};
    const std::string path = Bitmap("rle.bmp", testing_support::MakeBmp(rle));
    ui.files = {path, dir.Path("TEXTURE/none.bmp")};
    doc::OnTextureLoad(session, ui, frame);
    doc::OnTextureLoad(session, ui, frame);

    EXPECT_TRUE(ui.dialogs.empty());  // no wrap
    for (int f = 0; f < T().faceCount; ++f) EXPECT_FALSE(Mesh().GetFace(f).GetTexture());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].caption, doc::text::kErrorCaption);
    EXPECT_NE(ui.messages[0].text.find(path), std::string::npos);
    EXPECT_NE(ui.messages[0].text.find(doc::text::kBitmapUnreadable), std::string::npos);
    EXPECT_NE(ui.messages[1].text.find(doc::text::kBitmapNotFound), std::string::npos);
    EXPECT_TRUE(frame.invalidations.empty());
}

TEST_F(SurfaceFixture, CancelledFileDialogOrWrapChangesNothing) {
    LoadModel();
    doc::OnTextureLoad(session, ui, frame);  // no file chosen
    EXPECT_TRUE(ui.dialogs.empty());
    EXPECT_FALSE(Mesh().GetFace(0).GetTexture());

    T().texU[0][0] = 0.5f;
    doc::OnTextureWrap(session, ui, frame);  // the scripted UI cancels
    EXPECT_EQ(ui.dialogs, std::vector<std::string>{"wrap"});
    EXPECT_FLOAT_EQ(T().texU[0][0], 0.5f);
    EXPECT_TRUE(frame.invalidations.empty());
}

TEST_F(SurfaceFixture, RemoveTakesEveryTextureAndKeepsTheCoordinates) {
    LoadModel();
    ui.files = {Bitmap("check.bmp", testing_support::CheckerBmp(8, 2))};
    AnswerWrap(1, 1);
    doc::OnTextureLoad(session, ui, frame);
    const float u = T().texU[2][1];
    const float v = T().texV[2][1];

    doc::OnTextureRemove(session, frame);
    for (int f = 0; f < T().faceCount; ++f) {
        EXPECT_FALSE(Mesh().GetFace(f).GetTexture());
        EXPECT_FALSE(T().faceTexture[f]);
    }
    EXPECT_EQ(T().texU[2][1], u);
    EXPECT_EQ(T().texV[2][1], v);
    EXPECT_TRUE(Pane3DInvalidatedWithoutErase());
}

// --- Wrap ---

TEST(WrapParameters, FollowTheAxisTableAndTheBox) {
    const rm::Box box{{-2, 0, 3}, {2, 1, 5}};
    // Plane on Z.
    doc::WrapParameters p = doc::ComputeWrapParameters(0, 2, box);
    EXPECT_EQ(p.type, rm::WrapType::Flat);
    EXPECT_EQ(p.direction, (rm::Vector{0, 0, 1}));
    EXPECT_EQ(p.up, (rm::Vector{0, -1, 0}));
    EXPECT_FLOAT_EQ(p.su, 0.25f);
    EXPECT_FLOAT_EQ(p.sv, 1.0f);
    EXPECT_FLOAT_EQ(p.ou, -0.5f);
    EXPECT_FLOAT_EQ(p.ov, 0.0f);
    // Plane on X (the dialog's default): su = 1/extent Z, sv = 1/extent Y.
    p = doc::ComputeWrapParameters(0, 0, box);
    EXPECT_EQ(p.direction, (rm::Vector{1, 0, 0}));
    EXPECT_EQ(p.up, (rm::Vector{0, -1, 0}));
    EXPECT_FLOAT_EQ(p.su, 0.5f);
    EXPECT_FLOAT_EQ(p.sv, 1.0f);
    EXPECT_FLOAT_EQ(p.ou, 1.5f);
    EXPECT_FLOAT_EQ(p.ov, 0.0f);
    // Cylinder on X scales only v.
    p = doc::ComputeWrapParameters(1, 0, box);
    EXPECT_EQ(p.type, rm::WrapType::Cylinder);
    EXPECT_FLOAT_EQ(p.su, 1.0f);
    EXPECT_FLOAT_EQ(p.sv, 1.0f);
    EXPECT_FLOAT_EQ(p.ou, 1.5f);
    // Sphere on Y: no scaling, up +Z, B = X and A = Z for the origins.
    p = doc::ComputeWrapParameters(2, 1, box);
    EXPECT_EQ(p.type, rm::WrapType::Sphere);
    EXPECT_EQ(p.direction, (rm::Vector{0, 1, 0}));
    EXPECT_EQ(p.up, (rm::Vector{0, 0, 1}));
    EXPECT_FLOAT_EQ(p.su, 1.0f);
    EXPECT_FLOAT_EQ(p.sv, 1.0f);
    EXPECT_FLOAT_EQ(p.ou, -0.5f);
    EXPECT_FLOAT_EQ(p.ov, 1.5f);
}

TEST(WrapParameters, AZeroExtentCountsAsOne) {
    const rm::Box flat{{-2, 3, 0}, {2, 3, 4}};  // flat in Y
    const doc::WrapParameters p = doc::ComputeWrapParameters(0, 2, flat);
    EXPECT_FLOAT_EQ(p.sv, 1.0f);
    EXPECT_FLOAT_EQ(p.ov, 3.0f);
    EXPECT_FLOAT_EQ(p.su, 0.25f);
    const doc::WrapParameters point = doc::ComputeWrapParameters(0, 0, rm::Box{});
    for (float f : {point.su, point.sv, point.ou, point.ov}) EXPECT_TRUE(std::isfinite(f));
}

TEST_F(SurfaceFixture, APlaneWrapSpansOneUnitOfUAndVAcrossTheBoxOnEveryAxis) {
    LoadModel();
    for (int axis = 0; axis < 3; ++axis) {
        SCOPED_TRACE(axis);
        SelectFace(0);  // a wrap acts on every vertex, selected or not
        AnswerWrap(0, axis);
        doc::OnTextureWrap(session, ui, frame);
        float minU = INFINITY, maxU = -INFINITY, minV = INFINITY, maxV = -INFINITY;
        for (int f = 0; f < T().faceCount; ++f) {
            for (int k = 0; k < T().vertexCount[f]; ++k) {
                minU = std::min(minU, T().texU[f][k]);
                maxU = std::max(maxU, T().texU[f][k]);
                minV = std::min(minV, T().texV[f][k]);
                maxV = std::max(maxV, T().texV[f][k]);
            }
        }
        EXPECT_FLOAT_EQ(maxU - minU, 1.0f);
        EXPECT_FLOAT_EQ(maxV - minV, 1.0f);
        EXPECT_TRUE(Pane3DInvalidatedWithoutErase());
    }
}

TEST_F(SurfaceFixture, AFlatModelWrappedAcrossItsFlatSideGetsFiniteCoordinates) {
    const rm::Vector v[] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}};  // flat in Y
    const std::int32_t faces[] = {3, 0, 1, 2, 0};
    ASSERT_TRUE(Mesh().AddFaces(v, {}, faces));
    T().ReadFromMesh(session.model);
    AnswerWrap(0, 0);  // plane on X: v follows Y, whose extent is 0
    doc::OnTextureWrap(session, ui, frame);
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(std::isfinite(T().texU[0][k]));
        EXPECT_EQ(T().texV[0][k], 0.0f);
    }
}

TEST_F(SurfaceFixture, CommandsAreRegisteredUnderTheirIds) {
    doc::CommandRouter router;
    doc::RegisterSurfaceCommands(session, ui, frame, router);
    for (int id : {doc::ID_MATERIAL, doc::ID_TEXTURE, doc::ID_TEXTURE_REMOVE, doc::ID_WRAP}) {
        EXPECT_TRUE(router.IsEnabled(id)) << id;
    }
    EXPECT_TRUE(router.Execute(doc::ID_MATERIAL));
    EXPECT_TRUE(router.Execute(doc::ID_WRAP));
    EXPECT_TRUE(router.Execute(doc::ID_TEXTURE));
    EXPECT_EQ(ui.dialogs, (std::vector<std::string>{"material", "wrap"}));
    EXPECT_EQ(ui.fileRequests.size(), 1u);
}

}  // namespace
