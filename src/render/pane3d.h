// The shaded 3D pane (row 0, column 1), without its window: the pane's widget forwards
// its initial update, size changes, paints and destruction here and shows Picture().
//
// Set-up (the first OnInitialUpdate only): a camera frame under the scene, a 3D manager
// from the root with a z-buffer, window mode, the scene's viewport, the camera at
// (0, 0, -50) looking at the model frame, field 2.0 and orthographic projection. Each
// failing step shows its message and leaves the pane unpainted for the rest of the run.
#pragma once

#include "ports/pane_host.h"
#include "ports/ui.h"
#include "render/d3d_manager.h"
#include "render/d3d_root.h"
#include "rm/frame.h"

namespace render {

class C3DPane {
  public:
    static constexpr float kField = 2.0f;
    static constexpr float kCameraZ = -50.0f;

    C3DPane(CD3DRoot& root, ports::PaneHost& window, ports::UserInterface& ui)
        : root_(root), window_(window), ui_(ui) {}

    // The pane's initial update. The first call sets up the device; later calls (File New)
    // change nothing here: the document has already replaced the mesh. 1 when the pane is
    // ready afterwards.
    int OnInitialUpdate(const rm::FramePtr& scene, const rm::FramePtr& modelFrame);
    // The window has a new size: new surfaces and viewport, then field and projection again.
    // A size of zero leaves the pane blank until the next non-zero size.
    void OnSize();
    // Paint: renders the scene and presents it; nothing before the set-up has succeeded.
    void OnDraw();
    // The window goes: the camera frame is let go (the root releases the manager later).
    void OnDestroy();

    // Renders at once (after a gesture changed the model frame); the window is asked to
    // repaint when `present`. 0 when not ready or rendering failed.
    int Render(bool present);

    bool IsReady() const { return m_bD3DReady != 0; }
    // The picture to show, or null when there is none (not set up, zero size, failed).
    const ColorSurface* Picture() const;
    CD3DManager* Manager() const { return m_pD3D; }
    const rm::FramePtr& CameraFrame() const { return m_pCameraFrame; }

  private:
    void ApplyFieldAndProjection();

    CD3DRoot& root_;
    ports::PaneHost& window_;
    ports::UserInterface& ui_;
    CD3DManager* m_pD3D = nullptr;  // owned by the root
    rm::FramePtr m_pCameraFrame;
    int m_bD3DReady = 0;
    bool setUpTried_ = false;  // the set-up runs once per pane, even when it failed
};

}  // namespace render
