// The surface commands through scripted dialogs: material colour, transparency and
// quality; loading, wrapping and removing a texture; the wrap parameters.
#include "doc/surface_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "doc/texts.h"
#include "fake_ports.h"
#include "rm/bmp_builder.h"
#include "rm/image_builder.h"
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
    void AnswerMaterial(std::function<void(doc::MaterialDialogData&)> fill, bool ok) {
        ui.onDialog = [fill, ok](ports::ModalDialog& d) {
            auto* m = dynamic_cast<doc::MaterialDialogData*>(&d);
            if (!m) return false;
            fill(*m);
            return ok;
        };
    }
    void AnswerWrap(int mapping, int axis) {
        ui.onDialog = [mapping, axis](ports::ModalDialog& d) {
            auto* w = dynamic_cast<doc::WrapDialogData*>(&d);
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

// The dialog starts from the faces' own transparency when they share it, so OK without a
// change keeps it (it used to start at 0 % and make every face opaque).
TEST_F(SurfaceFixture, OkUntouchedKeepsTheSharedTransparencyAndTheQuality) {
    LoadModel();
    T().ApplyTransparency(155);  // alpha 100 on every face: none is selected
    T().meshQuality = rm::Quality::Flat;
    int shownTransparency = -1;
    int shownQuality = -1;
    AnswerMaterial(
        [&](doc::MaterialDialogData& m) {
            shownTransparency = m.m_nTransparency;
            shownQuality = m.m_nQuality;
        },
        true);
    doc::OnMaterial(session, ui, frame);

    EXPECT_EQ(shownTransparency, 155);  // 255 - alpha 100
    EXPECT_EQ(shownQuality, 2);         // Flat
    for (int f = 0; f < T().faceCount; ++f) EXPECT_EQ(T().faceColor[f].alpha, 100);
    EXPECT_EQ(T().meshQuality, rm::Quality::Flat);
    EXPECT_EQ(Mesh().GetQuality(), rm::Quality::Flat);
    EXPECT_EQ(rm::ColorAlpha(Mesh().GetFace(0).GetColor()), 100u);
    EXPECT_TRUE(Pane3DInvalidatedWithoutErase());

    // Targets that differ: the dialog keeps its start at 0 %, and OK makes them opaque.
    T().faceColor[0].alpha = 30;
    AnswerMaterial([&](doc::MaterialDialogData& m) { shownTransparency = m.m_nTransparency; },
                   true);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(shownTransparency, 0);
    for (int f = 0; f < T().faceCount; ++f) EXPECT_EQ(T().faceColor[f].alpha, 255);
}

// The dialog used twice as a user does, on faces of two colours (as the cube sample
// has): the second use starts at the transparency the first one gave them all, so OK
// for a new quality alone keeps it; the colour dialog starts at black, since the colours
// differ.
TEST_F(SurfaceFixture, FacesOfSeveralColoursButOneTransparencyStartFromIt) {
    LoadModel();
    T().faceColor[1] = {0, 0, 255, 255};
    ASSERT_TRUE(T().RebuildMesh(session.model));
    AnswerMaterial(
        [](doc::MaterialDialogData& m) {
            for (int i = 0; i < 5; ++i) m.OnHScroll(doc::SB_PAGERIGHT, 0);
        },
        true);
    doc::OnMaterial(session, ui, frame);
    for (int f = 0; f < T().faceCount; ++f) EXPECT_EQ(T().faceColor[f].alpha, 205);
    int shown = -1;
    AnswerMaterial(
        [&](doc::MaterialDialogData& m) {
            shown = m.m_nTransparency;
            m.m_nQuality = 2;  // Flat, nothing else touched
            m.OnColor();       // the colour dialog, cancelled
        },
        true);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(shown, 50);
    for (int f = 0; f < T().faceCount; ++f) EXPECT_EQ(T().faceColor[f].alpha, 205);
    EXPECT_EQ(T().meshQuality, rm::Quality::Flat);
    EXPECT_EQ(ui.colorRequests, (std::vector<std::uint32_t>{0u}));
    EXPECT_EQ(T().faceColor[1].red, 0);  // colours untouched
    EXPECT_EQ(T().faceColor[0].red, 255);
}

TEST_F(SurfaceFixture, TransparencyActsOnTheSelectedFacesOnOkOnly) {
    LoadModel();
    SelectFace(1);
    AnswerMaterial([](doc::MaterialDialogData& m) { m.OnHScroll(doc::SB_THUMBPOSITION, 128); },
                   true);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(T().faceColor[1].alpha, 127);
    EXPECT_EQ(T().faceColor[0].alpha, 255);
    AnswerMaterial([](doc::MaterialDialogData& m) { m.OnHScroll(doc::SB_RIGHT); }, false);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(T().faceColor[1].alpha, 127);  // cancelled
    AnswerMaterial([](doc::MaterialDialogData& m) { m.OnHScroll(doc::SB_RIGHT); }, true);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(T().faceColor[1].alpha, 0);
    EXPECT_EQ(rm::ColorAlpha(Mesh().GetFace(1).GetColor()), 0u);
}

TEST(MaterialScroll, StepsPagesThumbAndEndsStayWithin0To255) {
    doc::MaterialDialogData d;
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
    LoadModel();
    AnswerMaterial([](doc::MaterialDialogData& m) { m.m_nQuality = 0; }, true);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(T().meshQuality, rm::Quality::Wireframe);
    EXPECT_EQ(Mesh().GetQuality(), rm::Quality::Wireframe);

    // A quality outside the table: no radio checked, and OK keeps it.
    T().meshQuality = static_cast<rm::Quality>(0x87);
    int shown = 5;
    AnswerMaterial([&shown](doc::MaterialDialogData& m) { shown = m.m_nQuality; }, true);
    doc::OnMaterial(session, ui, frame);
    EXPECT_EQ(shown, -1);
    EXPECT_EQ(static_cast<std::uint32_t>(T().meshQuality), 0x87u);
}

// Which faces a colour reaches is the face table's rule (model/face_table_test).
TEST_F(SurfaceFixture, ColourAppliesAtOnceAndSurvivesCancel) {
    LoadModel();
    SelectFace(2);
    ui.colors = {std::nullopt, 0x000000FFu};  // cancel, then red as 0x00BBGGRR
    int greenAfterCancel = -1, greenAfterRed = -1;
    AnswerMaterial(
        [&](doc::MaterialDialogData& m) {
            m.OnColor();
            greenAfterCancel = T().faceColor[2].green;
            m.OnColor();
            greenAfterRed = T().faceColor[2].green;  // while the dialog is still open
        },
        false);
    doc::OnMaterial(session, ui, frame);

    // The colour dialog opens at the target's colour (white; the first was cancelled).
    EXPECT_EQ(ui.colorRequests, (std::vector<std::uint32_t>{0x00FFFFFFu, 0x00FFFFFFu}));
    EXPECT_EQ(greenAfterCancel, 255);
    EXPECT_EQ(greenAfterRed, 0);
    EXPECT_EQ(T().faceColor[2].green, 0);
    EXPECT_EQ(T().faceColor[1].green, 255);
    EXPECT_EQ(Mesh().GetFace(2).GetColor(), 0xFFFF0000u);  // the mesh shows it too
    EXPECT_EQ(frame.invalidations, (std::vector<testing_support::RecordingFrame::Invalidation>{
                                       {0, 1, false}}));  // only the applied colour
}

// --- Texture, Remove texture ---

TEST_F(SurfaceFixture, TextureAsksInTheTextureFolderAndTexturesEveryFaceThenWraps) {
    LoadModel();
    SelectFace(0);
    ui.files = {Bitmap("check.bmp", testing_support::CheckerBmp(8, 2))};
    AnswerWrap(0, 2);
    doc::OnTextureLoad(session, ui, frame);

    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(testing_support::Describe(ui.fileRequests[0]),
              "open ext=bmp flags=0x4 folder=" + session.programFolder +
                  "TEXTURE name= | ビットマップファイル(*.bmp)|*.bmp|"
                  "全ての画像(*.bmp;*.png;*.jpg;*.jpeg;*.tga)|*.bmp;*.png;*.jpg;*.jpeg;*.tga|"
                  "PNGファイル(*.png)|*.png|JPEGファイル(*.jpg;*.jpeg)|*.jpg;*.jpeg|"
                  "TGAファイル(*.tga)|*.tga|");

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

TEST_F(SurfaceFixture, AnImageOfAnotherKindLoadsAndOneThatFailsIsNamedByItsKind) {
    LoadModel();
    std::string png = testing_support::MakeImage(testing_support::ImageFormat::Png, 4, 2,
                                                 [](int, int) { return 0xFF00FF00u; });
    const std::string good = Bitmap("green.png", png);
    png.resize(png.size() - 20);  // IEND and part of the pixels gone
    const std::string cut = Bitmap("cut.png", png);
    std::string jpeg = testing_support::MakeImage(testing_support::ImageFormat::Jpeg, 4, 2,
                                                  [](int, int) { return 0xFF00FF00u; });
    jpeg.resize(jpeg.size() - 2);  // no end of image
    const std::string cutJpeg = Bitmap("cut.jpg", jpeg);
    ui.files = {cut, cutJpeg, Bitmap("junk.tga", "nothing"), good};
    AnswerWrap(0, 2);
    for (int i = 0; i < 4; ++i) doc::OnTextureLoad(session, ui, frame);

    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_NE(ui.messages[0].text.find(doc::text::kPngUnreadable), std::string::npos);
    EXPECT_NE(ui.messages[1].text.find(doc::text::kJpegUnreadable), std::string::npos);
    EXPECT_NE(ui.messages[2].text.find(doc::text::kTgaUnreadable), std::string::npos);
    const rm::TexturePtr t = Mesh().GetFace(0).GetTexture();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Width(), 4);
    EXPECT_EQ(t->Pixels()[0], 0xFF00FF00u);
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
    struct Case {
        int mapping, axis;
        rm::WrapType type;
        rm::Vector direction, up;
        float su, sv, ou, ov;
    };
    const Case cases[] = {
        {0, 2, rm::WrapType::Flat, {0, 0, 1}, {0, -1, 0}, 0.25f, 1, -0.5f, 0},
        // Plane on X (the dialog's default): su = 1/extent Z, sv = 1/extent Y.
        {0, 0, rm::WrapType::Flat, {1, 0, 0}, {0, -1, 0}, 0.5f, 1, 1.5f, 0},
        {1, 0, rm::WrapType::Cylinder, {1, 0, 0}, {0, -1, 0}, 1, 1, 1.5f, 0},  // v only
        // Sphere on Y: no scaling, up +Z, B = X and A = Z for the origins.
        {2, 1, rm::WrapType::Sphere, {0, 1, 0}, {0, 0, 1}, 1, 1, -0.5f, 1.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mapping << " " << c.axis);
        const doc::WrapParameters p = doc::ComputeWrapParameters(c.mapping, c.axis, box);
        EXPECT_EQ(p.type, c.type);
        EXPECT_EQ(p.direction, c.direction);
        EXPECT_EQ(p.up, c.up);
        EXPECT_EQ((std::vector<float>{p.su, p.sv, p.ou, p.ov}),
                  (std::vector<float>{c.su, c.sv, c.ou, c.ov}));
    }
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
