// What a pane (one of the four views) and the document ask of the window around them.
#pragma once

#include <string>

namespace ports {

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
    // Repaints one pane by its splitter position.
    virtual void InvalidatePane(int row, int column, bool erase) = 0;
    // The message pane of the status bar.
    virtual void SetMessageText(const std::string& text) = 0;
    // The document's title ("無題" or the file's name) and the recent-file list.
    virtual void SetDocumentTitle(const std::string& title) = 0;
    virtual void AddToRecentFileList(const std::string& path) = 0;
    virtual void RemoveFromRecentFileList(const std::string& path) = 0;
    // A command's enabled or checked state may have changed (the undo-point command when
    // the polygon gains or loses a point): the menus and the tool bar ask again.
    virtual void RefreshCommandStates() {}
    // The client size of the pane at a splitter position (zero while it is not laid out).
    virtual Size PaneClientSize(int /*row*/, int /*column*/) const { return {}; }
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
    void InvalidatePane(int, int, bool) override {}
    void SetMessageText(const std::string&) override {}
    void SetDocumentTitle(const std::string&) override {}
    void AddToRecentFileList(const std::string&) override {}
    void RemoveFromRecentFileList(const std::string&) override {}
};

}  // namespace ports
