// The main window: tool bar, menus, status bar and the 2 x 2 splitter of panes. It builds
// its menus, tool bar and shortcuts from the command table, routes every command through
// the core's command router, and refreshes the menu and tool-bar states after each command,
// key and mouse release.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <map>
#include <memory>

#include "dialogs/desktop_opener.h"
#include "doc/commands.h"
#include "doc/document.h"
#include "doc/recent_files.h"
#include "doc/session.h"
#include "frame/qt_ui.h"
#include "ports/pane_host.h"
#include "render/d3d_root.h"
#include "render/pane3d.h"
#include "render/standard_display.h"

class QAction;
class QLabel;
class QMenu;
class QSettings;
class QToolBar;

namespace frame {

class CGridSplitter;
class CPaneWidget;

// Settings of the program (the recent-file list): organisation and application name.
inline constexpr const char* kSettingsOrganization = "Local AppWizard-Generated Applications";
inline constexpr const char* kSettingsApplication = "Kestrilune";

class CMainFrame : public QMainWindow, public ports::FrameHost {
    Q_OBJECT
  public:
    // `messagesToStderr`: no message box at all, each message goes to standard error (for
    // pictures made from the command line). Otherwise messages raised before the window
    // shows wait for it and appear over it.
    explicit CMainFrame(doc::Session& session, bool messagesToStderr = false);
    ~CMainFrame() override;

    doc::Session& Session() { return session_; }
    doc::CMdlrDoc& Document() { return *doc_; }
    doc::CommandRouter& Router() { return router_; }
    QtUserInterface& Ui() { return ui_; }
    CGridSplitter& Splitter() { return *splitter_; }
    CPaneWidget* Pane(int row, int column) const;
    // The 3D root and the 3D pane's core (row 0, column 1).
    render::CD3DRoot& D3DRoot() { return *d3dRoot_; }
    render::C3DPane& Pane3D() { return *pane3d_; }
    // The action of a menu or tool-bar command (the menu's action), or null.
    QAction* Action(int id) const;
    QToolBar* ToolBar() const { return toolBar_; }
    QStringList RecentFiles() const;
    // The status bar's counts of vertices, faces and the selection.
    QLabel* CountsLabel() const { return counts_; }
    // The window's normal (not maximised) size: the one last given, kept in the settings,
    // or 1024 x 700 held within most of the screen.
    QSize RestoredSize() const;

    // Runs a command as the menu would, then refreshes the command states.
    bool RunCommand(int id);
    // Enabled and checked states of every menu item and tool-bar button from the router.
    void UpdateCommandUI();

    // For pictures made without a window manager: treat the first resize as the
    // maximised one, so that the splitter gets its first size.
    void EmulateMaximized(bool on) { emulateMaximized_ = on; }
    bool FirstSizePending() const { return m_bFirstSize != 0; }

    // ports::FrameHost
    void UpdateAllViews() override;
    void InvalidatePane(ports::PaneRole pane, bool erase) override;
    void SetMessageText(const std::string& text) override;
    void SetDocumentTitle(const std::string& title) override;
    void AddToRecentFileList(const std::string& path) override;
    void RemoveFromRecentFileList(const std::string& path) override;
    void RefreshCommandStates() override { UpdateCommandUI(); }
    ports::Size PaneClientSize(ports::PaneRole pane) const override;
    void ModelOpened() override;
    void SetModified(bool modified) override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnCreate();
    void OnCreateClient();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateShortcuts();
    void RegisterFrameCommands();
    void LoadRecentFiles();
    void SaveRecentFiles();
    void RebuildRecentFileMenu();
    void ActivatePane(int step);
    // The fit after an open, once the panes have their size; says so in the status bar.
    void FitAfterOpen();
    void SaveWindowSettings();

    doc::Session& session_;
    QtUserInterface ui_;
    dialogs::DesktopOpener opener_;  // links and the manual
    std::unique_ptr<render::StandardDisplay> display_;
    std::unique_ptr<render::CD3DRoot> d3dRoot_;
    std::unique_ptr<render::C3DPane> pane3d_;
    doc::CommandRouter router_;
    std::unique_ptr<doc::CMdlrDoc> doc_;
    CGridSplitter* splitter_ = nullptr;
    std::array<CPaneWidget*, 4> panes_{};
    std::map<int, QAction*> actions_;
    QMenu* fileMenu_ = nullptr;
    QAction* recentPlaceholder_ = nullptr;
    std::array<QAction*, doc::RECENT_FILE_COUNT> recentActions_{};
    QToolBar* toolBar_ = nullptr;
    doc::RecentFileList recent_;
    int m_bFirstSize = 0;
    bool emulateMaximized_ = false;
    bool updatePending_ = false;
    bool fitPending_ = false;  // an open waits for the first size to be fitted
    QLabel* counts_ = nullptr;
};

}  // namespace frame
