#include "doc/session.h"

#include "base/module_dir.h"

namespace doc {

Session::Session()
    : table(std::make_unique<model::FaceTable>()), programFolder(base::GetModuleDirectory()) {}

bool Session::CreateScene(std::shared_ptr<rm::Root> root) {
    model.m_pD3DRoot = std::move(root);
    if (!model.m_pD3DRoot) return false;
    rm::Root& rm = *model.m_pD3DRoot;
    m_pScene = rm.CreateFrame();
    if (!m_pScene) return false;
    m_pLightFrame = rm.CreateFrame(m_pScene.get());
    model.m_pModelFrame = rm.CreateFrame(m_pScene.get());
    if (!m_pLightFrame || !model.m_pModelFrame) return false;
    model.m_pModelFrame->SetPosition(m_pScene.get(), 0.0f, 0.0f, 0.0f);
    model.m_pMesh = rm.CreateMeshBuilder();
    if (!model.m_pMesh) return false;
    model.m_pModelFrame->AddVisual(model.m_pMesh);
    m_pScene->AddLight(rm::Light::Create(rm::LightType::Ambient, 0.4f, 0.4f, 0.4f));
    m_pLightFrame->AddLight(rm::Light::Create(rm::LightType::Directional, 0.8f, 0.8f, 0.8f));
    return true;
}

void Session::ResetView() {
    ViewScale = INITIAL_VIEW_SCALE;
    viewCentre = {};
    if (model.m_pModelFrame) model.m_pModelFrame->AddTransform(rm::COMBINE_REPLACE, rm::Matrix{});
}

void Session::ReleaseScene() {
    m_pLightFrame.reset();
    model.m_pMesh.reset();
    model.m_pModelFrame.reset();
    m_pScene.reset();
}

}  // namespace doc
