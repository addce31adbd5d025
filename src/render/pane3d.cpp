#include "render/pane3d.h"

#include "render/texts.h"

namespace render {

namespace {

void ShowFailure(ports::UserInterface& ui, std::string_view text) {
    ui.MessageBox(std::string(text), std::string(ports::kProgramName), ports::Buttons::Ok,
                  ports::Icon::Exclamation);
}

}  // namespace

int C3DPane::OnInitialUpdate(const rm::FramePtr& scene, const rm::FramePtr& modelFrame) {
    if (m_bD3DReady) return 1;
    if (setUpTried_) return 0;
    setUpTried_ = true;
    const auto& rm = root_.GetRM();
    if (!rm || !scene) {
        ShowFailure(ui_, text::kD3DInitFailed);
        return 0;
    }
    // A camera that could not be made shows up as a failure to create the scene below.
    m_pCameraFrame = rm->CreateFrame(scene.get());
    if (!root_.CreateManager(&m_pD3D, &window_, scene, m_pCameraFrame, true)) {
        ShowFailure(ui_, text::kD3DInitFailed);
        return 0;
    }
    if (!m_pD3D->InitWindowed()) {
        ShowFailure(ui_, text::kWindowModeFailed);
        return 0;
    }
    if (!m_pD3D->CreateScene()) {
        ShowFailure(ui_, text::kNoViewportAndScene);
        return 0;
    }
    m_pD3D->SetCameraPosition(0.0f, 0.0f, kCameraZ);
    m_pD3D->CameraLookAt(modelFrame.get());
    ApplyFieldAndProjection();
    m_bD3DReady = 1;
    return 1;
}

void C3DPane::ApplyFieldAndProjection() {
    if (rm::Viewport* viewport = m_pD3D ? m_pD3D->GetViewport() : nullptr) {
        viewport->SetField(kField);
        viewport->SetProjection(rm::PROJECT_ORTHOGRAPHIC);
    }
}

void C3DPane::OnSize() {
    if (!m_bD3DReady) return;
    m_pD3D->Resize(true);
    ApplyFieldAndProjection();
}

void C3DPane::OnDraw() {
    if (!m_bD3DReady) return;
    m_pD3D->SetPainting(true);
    m_pD3D->Render(true);
    m_pD3D->SetPainting(false);
}

void C3DPane::OnDestroy() {
    // Only the pane's own reference goes; the frame stays in the scene until the scene goes.
    if (m_bD3DReady && m_pCameraFrame) m_pCameraFrame.reset();
}

int C3DPane::Render(bool present) {
    return m_bD3DReady ? m_pD3D->Render(present) : 0;
}

const ColorSurface* C3DPane::Picture() const {
    if (!m_bD3DReady || !m_pD3D->FrontBuffer().Valid()) return nullptr;
    return &m_pD3D->FrontBuffer();
}

}  // namespace render
