// What a pane (one of the four views) and the document ask of the window around them.
#pragma once

#include <string>

namespace ports {

// The four panes of the 2 x 2 splitter by what they show. Row 0: top, 3D; row 1: front,
// side.
enum class PaneRole { Top, View3D, Front, Side };

constexpr PaneRole PaneRoleAt(int row, int column) {
    if (row == 0) return column == 0 ? PaneRole::Top : PaneRole::View3D;
    return column == 0 ? PaneRole::Front : PaneRole::Side;
}
constexpr int PaneRowOf(PaneRole role) {
    return role == PaneRole::Top || role == PaneRole::View3D ? 0 : 1;
}
constexpr int PaneColumnOf(PaneRole role) {
    return role == PaneRole::Top || role == PaneRole::Front ? 0 : 1;
}

struct Size {
    int width = 0;
    int height = 0;
};

// One pane's window: implemented by the shell's pane widget, by recorders in tests.
class PaneHost {
  public:
    virtual ~PaneHost() = default;
    // The pane's client area in pixels.
    virtual Size ClientSize() const = 0;
    // Schedules a repaint; `erase` clears the background first.
    virtual void Invalidate(bool erase) = 0;
    // Mouse capture: while held, the pane gets mouse messages from anywhere.
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    virtual bool HasCapture() const = 0;
};

// The main window as the document and the views see it.
class FrameHost {
  public:
    virtual ~FrameHost() = default;
    // Repaints all four panes (the document's UpdateAllViews).
    virtual void UpdateAllViews() = 0;
    // Repaints one pane; `erase` clears its background first.
    virtual void InvalidatePane(PaneRole pane, bool erase) = 0;
    // Repaints the top, front and side panes over a cleared background.
    void InvalidateOrthographicPanes() {
        InvalidatePane(PaneRole::Top, true);
        InvalidatePane(PaneRole::Front, true);
        InvalidatePane(PaneRole::Side, true);
    }
    // The message pane of the status bar.
    virtual void SetMessageText(const std::string& text) = 0;
    // The document's title ("無題" or the file's name) and the recent-file list.
    virtual void SetDocumentTitle(const std::string& title) = 0;
    virtual void AddToRecentFileList(const std::string& path) = 0;
    virtual void RemoveFromRecentFileList(const std::string& path) = 0;
    // A command's enabled or checked state may have changed (the undo-point command when
    // the polygon gains or loses a point): the menus and the tool bar ask again.
    virtual void RefreshCommandStates() {}
    // The pane's client size (zero while it is not laid out).
    virtual Size PaneClientSize(PaneRole /*pane*/) const { return {}; }
    // A file was opened into an empty model (New first, or an Open with nothing loaded):
    // the window brings it into view if it is not, once the panes have their size.
    virtual void ModelOpened() {}
    // The model differs from the one last saved (the title's modified mark).
    virtual void SetModified(bool /*modified*/) {}
};

// A pane of a fixed size for code that runs without a window (benchmarks): nothing
// repaints and nothing is captured.
class SilentPaneHost final : public PaneHost {
  public:
    explicit SilentPaneHost(Size size) : size_(size) {}
    Size ClientSize() const override { return size_; }
    void Invalidate(bool) override {}
    void SetCapture() override {}
    void ReleaseCapture() override {}
    bool HasCapture() const override { return false; }

  private:
    Size size_;
};

// A frame for code that runs without a window (benchmarks): every request is dropped.
class SilentFrameHost final : public FrameHost {
  public:
    void UpdateAllViews() override {}
    void InvalidatePane(PaneRole, bool) override {}
    void SetMessageText(const std::string&) override {}
    void SetDocumentTitle(const std::string&) override {}
    void AddToRecentFileList(const std::string&) override {}
    void RemoveFromRecentFileList(const std::string&) override {}
};

}  // namespace ports
