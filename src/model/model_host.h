// Where the model's mesh lives: the root that creates objects, the model frame the mesh
// is attached to, and the mesh itself. The main window owns one; the converter and the
// tests make their own.
#pragma once

#include <memory>

#include "model/handedness.h"
#include "rm/frame.h"
#include "rm/mesh_builder.h"
#include "rm/root.h"

namespace model {

struct ModelHost {
    std::shared_ptr<rm::Root> m_pD3DRoot;
    rm::FramePtr m_pModelFrame;
    // Replaced by every rebuild: never keep a copy across an operation.
    rm::MeshBuilderPtr m_pMesh;
    // The convention of the files opened into the model (reset by New).
    Handedness handedness = Handedness::None;

    // A root, a model frame and an empty mesh attached to it.
    static ModelHost CreateStandalone() {
        ModelHost host;
        host.m_pD3DRoot = std::make_shared<rm::Root>();
        host.m_pModelFrame = host.m_pD3DRoot->CreateFrame();
        host.m_pMesh = host.m_pD3DRoot->CreateMeshBuilder();
        host.m_pModelFrame->AddVisual(host.m_pMesh);
        return host;
    }
};

}  // namespace model
