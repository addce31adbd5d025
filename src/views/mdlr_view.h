// CMdlrView: one of the four panes of the main window's 2 x 2 splitter. Its splitter
// position says what it shows (top, 3D, front or side pane). It turns mouse messages into
// selection, transforms, polygon points and the 3D pane's rotate and zoom gestures, shows
// the pointer's model coordinates in the status bar, and paints the orthographic panes.
// The window system reaches it through the shell's pane widget; tests call it directly.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "doc/session.h"
#include "ports/canvas.h"
#include "ports/pane_host.h"
#include "ports/ui.h"
#include "render/pane3d.h"
#include "render/pane_geometry.h"

namespace views {

// Zoom factors of one step of the 3D pane's right drag (0.9 and 1.11111; their product is
// not 1), and the model frame's rotation per pixel of a left drag there, in radians.
inline constexpr float kZoomOut = std::bit_cast<float>(std::uint32_t{0x3F666666});
inline constexpr float kZoomIn = std::bit_cast<float>(std::uint32_t{0x3F8E38DA});
inline constexpr float kRotationPerPixel = std::bit_cast<float>(std::uint32_t{0x3CA3D70A});
// Horizontal pixels of the 3D pane's right drag per zoom step: the zoom follows how far the
// pointer went, not how many mouse messages the drag happened to send.
inline constexpr int kZoomPixelsPerStep = 10;
// ViewScale stays within these bounds (pixels per model unit): a zoom step that would
// leave them does nothing, so the mapping never reaches infinity or zero.
inline constexpr float kMinViewScale = 1e-3f;
inline constexpr float kMaxViewScale = 1e6f;

// Key codes that the views act on (the shell maps its keys to them).
enum KeyCode : int { KEY_RETURN = 0x0D, KEY_ESCAPE = 0x1B, KEY_N = 'N' };

// The mouse buttons held down during a mouse message, as the window system sees them.
struct HeldButtons {
    bool left = false;
    bool right = false;
    bool middle = false;  // the pan button (the middle one, or the left one with Space)
};

// "座標(%f,0,%f)" (top), "座標(%f,%f,0)" (front), "座標(0,%f,%f)" (side, Y before Z),
// with six decimals and '.' whatever the locale; empty for the 3D pane.
std::string StatusText(render::PaneRole role, render::PlanePoint p);

class CMdlrView {
  public:
    // The pane at (row, column) of the splitter. Sets "no polygon point yet".
    CMdlrView(doc::Session& session, ports::FrameHost& frame, ports::PaneHost& pane, int row,
              int column);
    CMdlrView(const CMdlrView&) = delete;
    CMdlrView& operator=(const CMdlrView&) = delete;

    int Row() const { return row_; }
    int Column() const { return column_; }
    render::PaneRole Role() const { return render::PaneRoleAt(row_, column_); }
    bool IsOrthographic() const { return render::IsOrthographic(Role()); }
    // Centre and scale from the pane's client size and ViewScale now.
    render::PaneGeometry Geometry() const;

    // Mouse messages, client pixels (outside the pane while it holds the capture).
    void OnLButtonDown(int x, int y);
    void OnLButtonUp(int x, int y);
    void OnRButtonDown(int x, int y);
    void OnRButtonUp(int x, int y);
    void OnRButtonDblClk(int x, int y);
    // A move; `held` says which buttons the window system still sees down. A button that
    // this view thinks held but is no longer down (its release went elsewhere) is released
    // here first.
    void OnMouseMove(int x, int y, HeldButtons held);
    void OnMouseMove(int x, int y) {
        OnMouseMove(x, y, {m_bLButtonDown != 0, m_bRButtonDown != 0, panning});
    }
    // The pan gesture (views/view_gestures.cpp): the middle button, or the left one with
    // Space held, dragged in an orthographic pane moves the view of all three with the
    // pointer. Not an edit; nothing in the 3D pane.
    void OnMButtonDown(int x, int y);
    void OnMButtonUp(int x, int y);
    // The wheel turned by `notches` (positive: away from the user, zoom in) with the pointer
    // at (x, y): each notch is one step of the 3D pane's zoom; in an orthographic pane the
    // model point under the pointer stays under it.
    void OnMouseWheel(int x, int y, int notches);
    // The pane lost the mouse grab or the keyboard focus, or a command is about to run: a
    // drag in progress ends as if its buttons had been released at the last position.
    void EndDrag();
    void OnCaptureLost() { EndDrag(); }
    void OnKillFocus() { EndDrag(); }
    bool IsDragging() const { return m_bLButtonDown != 0 || m_bRButtonDown != 0; }
    bool IsPanning() const { return panning; }

    // A key pressed while the pane has the focus (KeyCode values, or an ASCII capital).
    void OnKeyDown(int key);
    // The client area changed size.
    void OnSize(int width, int height);
    // Paints the pane: the orthographic picture onto `canvas` (which starts white), or in
    // the 3D pane the scene through its device (pane3d).
    void OnDraw(ports::Canvas& canvas);

    // --- steps of the handlers, reachable by the tools ---
    // The status read-out for a pointer at (x, y).
    void ShowStatus(int x, int y);
    // The band from the anchor to (x, y), smaller coordinate first on each axis.
    void UpdateBand(int x, int y);
    // Band selection (value 1) or deselection (0) at (x, y): the band is updated, the
    // corners inside get `value`, and this pane and the other two orthographic panes are
    // repainted. Nothing in the 3D pane.
    void BandStep(int x, int y, int value);
    // This pane and the other two orthographic panes repainted (erasing).
    void InvalidateOrthographicPanes();
    // The 3D pane's left drag: the model frame turned about X, then about Y.
    void RotateModel(int x, int y);
    // The 3D pane's right drag to pointer column x: one zoom step of the 3D pane and the
    // orthographic panes per kZoomPixelsPerStep pixels gone right (in) or left (out) since
    // the press; vertical travel and the press itself zoom nothing. Travel refused at a bound
    // of ViewScale is dropped, so turning back zooms back at once.
    void ZoomStep(int x);
    // One zoom step by `factor` (kZoomIn or kZoomOut) of ViewScale and the model frame,
    // within the bounds; false when the bound refused it. Repaints nothing.
    bool ScaleViews(float factor);
    // One step of the pan gesture to (x, y).
    void PanStep(int x, int y);
    // The user interface handed over, or one that shows nothing and cancels every dialog.
    ports::UserInterface& Ui();

    // --- the editing tools' work (views/edit_hooks.cpp) ---
    // One step of the move, rotate, scale or stretch tool, in an orthographic pane.
    void TransformStep(int x, int y);
    // The release of a transform drag that began in an orthographic pane: the mesh rebuilt
    // from the table, the 3D pane repainted without erasing.
    void CommitTransform();
    // A press in polygon creation: the left button places a point, the right one sets the
    // depth reference.
    void PolygonPress(bool left, int x, int y);

    // The message boxes and dialogs of the editing tools; the main window hands over its
    // user interface. Without one, no message shows and no dialog opens.
    void SetUserInterface(ports::UserInterface* ui) { ui_ = ui; }

    // --- view state ---
    // The 3D pane's device, camera and set-up state (null in the orthographic panes and
    // until the shell attaches it); owned by the pane's window.
    render::C3DPane* pane3d = nullptr;
    int m_bLButtonDown = 0;
    int m_bRButtonDown = 0;
    bool panning = false;     // the middle button is down
    ports::Point panLast;     // pointer at the previous step of the pan
    ports::Point m_ptLast;    // pointer at the previous mouse message
    int zoomTravel = 0;       // right-drag pixels in the 3D pane not yet turned into steps
    ports::Point m_ptAnchor;  // pointer at the most recent press
    ports::Rect m_rcBand;     // rubber band, left <= right, top <= bottom

  private:
    // The 3D pane renders and shows the scene at once, when it is set up.
    void Render3D();
    void Press(bool left, int x, int y);
    // Everything a mouse move does, in order; a press runs it once at its own point.
    void MouseMoveWork(int x, int y);
    int EditMode() const { return session_.m_nEditMode; }

    doc::Session& session_;
    ports::FrameHost& frame_;
    ports::PaneHost& pane_;
    int row_;
    int column_;
    bool ending_ = false;  // EndDrag is releasing
    ports::UserInterface* ui_ = nullptr;
};

}  // namespace views
