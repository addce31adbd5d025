#include "render/pane3d.h"

#include <gtest/gtest.h>

#include "render/render_support.h"
#include "render/texts.h"

namespace {

using render_test::HardwareDevice;
using render_test::PaneRig;

// A rig whose pane is not set up yet: 64 x 48, the MMX device.
struct PaneSetup : PaneRig {
    PaneSetup() : PaneRig(64, 48, 2, 32, false) {}
};

TEST(Pane3DTest, SetUpPlacesTheCameraAndTheOrthographicViewport) {
    PaneSetup s;
    s.Start();
    s.pane->OnDraw();  // before the set-up: nothing
    EXPECT_EQ(s.pane->Picture(), nullptr);
    ASSERT_EQ(s.Update(), 1);
    EXPECT_TRUE(s.ui.messages.empty());
    EXPECT_TRUE(s.pane->IsReady());
    const rm::Frame& camera = *s.pane->CameraFrame();
    EXPECT_EQ(camera.GetParent(), s.session.m_pScene.get());
    EXPECT_EQ(camera.GetPosition(), (rm::Vector{0, 0, -50}));
    EXPECT_EQ(camera.GetWorldTransform().Axis(2), (rm::Vector{0, 0, 1}));
    const rm::Viewport& viewport = *s.pane->Manager()->GetViewport();
    EXPECT_EQ(viewport.GetField(), 2.0f);
    EXPECT_EQ(viewport.GetProjection(), rm::PROJECT_ORTHOGRAPHIC);
    EXPECT_EQ(viewport.GetBack(), 5000.0f);
    EXPECT_EQ(viewport.GetCamera(), s.pane->CameraFrame());
    EXPECT_EQ(s.pane->Manager()->GetDevice()->Kind(), ports::Rasterizer::Mmx);
    EXPECT_EQ(s.pane->Picture(), nullptr);  // nothing painted yet
    s.pane->OnDraw();
    ASSERT_NE(s.pane->Picture(), nullptr);
    EXPECT_EQ(s.pane->Picture()->width, 64);
    // A second initial update (File New) keeps device, viewport and camera.
    render::CD3DManager* manager = s.pane->Manager();
    EXPECT_EQ(s.Update(), 1);
    EXPECT_EQ(s.pane->Manager(), manager);
    EXPECT_EQ(s.root->ManagerCount(), 1u);
}

TEST(Pane3DTest, EachFailingStepShowsItsMessageOnceAndNeverRetries) {
    {
        PaneSetup s;
        s.display.opens = false;  // no display: no device
        s.Start();
        EXPECT_EQ(s.Update(), 0);
        ASSERT_EQ(s.ui.messages.size(), 1u);
        EXPECT_EQ(s.ui.messages[0].text, render::text::kD3DInitFailed);
        EXPECT_EQ(s.ui.messages[0].caption, "Kestrilune");
        EXPECT_EQ(s.ui.messages[0].buttons, ports::Buttons::Ok);
        EXPECT_EQ(s.Update(), 0);  // no second attempt, no second message
        EXPECT_EQ(s.ui.messages.size(), 1u);
        s.pane->OnDraw();
        s.pane->OnSize();
        EXPECT_EQ(s.pane->Picture(), nullptr);
        EXPECT_EQ(s.pane->Render(true), 0);
    }
    {
        PaneSetup s;
        s.display.current = {800, 600, 16};
        s.display.modes = {s.display.current};
        s.display.devices = {HardwareDevice("Accel 32 only", ports::DDBD_32),
                             render::SoftwareDevices()[2]};
        s.Start();
        s.root->SelectUsableHardwareDevice();  // none usable: device 0, the accelerator
        EXPECT_EQ(s.Update(), 0);
        ASSERT_EQ(s.ui.messages.size(), 1u);
        EXPECT_EQ(
            s.ui.messages[0].text,
            "Direct3D-WindowModeの初期化に失敗しました。\n"
            "ハードウェアアクセラレーションを使用している場合はVRAMが足りないと予測されます。\n"
            "解像度を下げてください。");
        EXPECT_EQ(s.ui.messages[0].caption, "Kestrilune");
    }
    {
        PaneSetup s;
        s.Start();
        s.root->GetRM()->FailNext(rm::Root::Op::CreateFrame);  // the camera frame
        EXPECT_EQ(s.Update(), 0);
        ASSERT_EQ(s.ui.messages.size(), 1u);
        EXPECT_EQ(s.ui.messages[0].text, "ビューポートとシーンを作成できません");
        EXPECT_FALSE(s.pane->IsReady());
    }
}

TEST(Pane3DTest, SizeChangesKeepFieldAndProjectionAndZeroSizeRecovers) {
    PaneSetup s;
    s.window.size = {0, 0};  // not laid out yet: the set-up still succeeds
    s.Start();
    ASSERT_EQ(s.Update(), 1);
    s.window.size = {120, 90};
    s.pane->OnSize();
    const rm::Viewport* viewport = s.pane->Manager()->GetViewport();
    ASSERT_NE(viewport, nullptr);
    EXPECT_EQ(viewport->GetWidth(), 120);
    EXPECT_EQ(viewport->GetField(), 2.0f);
    EXPECT_EQ(viewport->GetProjection(), rm::PROJECT_ORTHOGRAPHIC);
    s.pane->OnDraw();
    ASSERT_NE(s.pane->Picture(), nullptr);

    s.window.size = {120, 0};
    s.pane->OnSize();
    s.pane->OnDraw();
    EXPECT_EQ(s.pane->Picture(), nullptr);  // blank
    s.window.size = {50, 40};
    s.pane->OnSize();
    s.pane->OnDraw();
    ASSERT_NE(s.pane->Picture(), nullptr);
    EXPECT_EQ(s.pane->Picture()->height, 40);
    EXPECT_EQ(s.pane->Manager()->GetViewport()->GetField(), 2.0f);
}

TEST(Pane3DTest, NewDocumentMeshIsDrawnOnceAttached) {
    PaneRig rig(40, 30);
    render_test::AddQuad(rig.Mesh(), -1, -1, 1, 1, 0, 0xFFFFFFFF);
    EXPECT_EQ(rig.Draw().At(20, 15), 0xFFFFFFu);
    // The document's New detaches the mesh and makes an empty one: the scene is empty.
    rig.ModelFrame().DeleteVisual(rig.session.model.m_pMesh);
    rig.session.model.m_pMesh = rig.root->GetRM()->CreateMeshBuilder();
    EXPECT_EQ(rig.Draw().At(20, 15), 0u);
    EXPECT_EQ(rig.pane->OnInitialUpdate(rig.session.m_pScene, rig.session.model.m_pModelFrame), 1);
    // OnDestroy lets the camera go.
    rig.pane->OnDestroy();
    EXPECT_EQ(rig.pane->CameraFrame(), nullptr);
}

}  // namespace
