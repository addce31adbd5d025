#include "frame/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWindow>

#include "base/module_dir.h"
#include "dialogs/about_dialog.h"
#include "dialogs/numeric_dialogs.h"
#include "dialogs/surface_dialogs.h"
#include "doc/about.h"
#include "doc/selection_commands.h"
#include "doc/surface_commands.h"
#include "doc/texts.h"
#include "doc/tools.h"
#include "frame/grid_splitter.h"
#include "frame/pane_widget.h"
#include "frame/tool_icons.h"
#include "views/edit_commands.h"
#include "views/view_commands.h"

namespace frame {

namespace {
constexpr const char* kRecentGroup = "Recent File List";
constexpr const char* kWindowGroup = "Window";
// The smallest normal size the window is given by itself (where the screen allows).
constexpr int kNormalWidth = 1024;
constexpr int kNormalHeight = 700;
// The order in which the panes are created: the 3D pane first.
constexpr std::array<std::array<int, 2>, 4> kCreationOrder{{{0, 1}, {0, 0}, {1, 0}, {1, 1}}};
}  // namespace

CMainFrame::CMainFrame(doc::Session& session, bool messagesToStderr)
    : session_(session), ui_(this) {
    ui_.SetMessagesToStderr(messagesToStderr);
    ui_.HoldMessages(true);  // until the window shows
    setAcceptDrops(true);
    setWindowIcon(dialogs::ProgramIcon());
    ui_.RegisterDialog("about", [](ports::ModalDialog& d, QWidget* parent) {
        return dialogs::RunAboutDialog(dynamic_cast<doc::AboutDialog&>(d), parent);
    });
    OnCreate();
    OnCreateClient();
    doc_ = std::make_unique<doc::CMdlrDoc>(session_, ui_, *this);
    // The 3D pane is the first view to get its initial update: it sets up its device.
    pane3d_->OnInitialUpdate(session_.m_pScene, session_.model.m_pModelFrame);
    doc_->RegisterCommands(router_);
    doc::RegisterSurfaceCommands(session_, ui_, *this, router_);
    ui_.RegisterDialog(std::string(doc::MaterialDialogData::kKind), dialogs::RunMaterialDialog);
    ui_.RegisterDialog(std::string(doc::WrapDialogData::kKind), dialogs::RunTextureWrapDialog);
    doc::RegisterToolCommands(session_, *this, router_);
    doc::RegisterSelectionCommands(session_, *this, router_);
    views::RegisterEditCommands(session_, ui_, *this, router_);
    views::RegisterViewCommands(session_, *this, router_);
    for (const char* kind : {"move", "scale", "stretch", "rotate"}) {
        ui_.RegisterDialog(kind, [this](ports::ModalDialog& d, QWidget* parent) {
            return dialogs::RunNumericDialog(d, ui_, parent);
        });
    }
    // No command works under a mouse drag: the drag ends first, as if released.
    router_.SetPrelude([this] {
        for (CPaneWidget* pane : panes_) pane->View().EndDrag();
    });
    RegisterFrameCommands();
    LoadRecentFiles();
    {
        QSettings settings(QString::fromLatin1(kSettingsOrganization),
                           QString::fromLatin1(kSettingsApplication));
        const QString folder =
            settings.value(QStringLiteral("%1/FileFolder").arg(QLatin1String(kWindowGroup)))
                .toString();
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
            session_.fileFolder = folder.endsWith(QLatin1Char('/')) ? folder.toStdString()
                                                                    : folder.toStdString() + '/';
        }
    }
    resize(RestoredSize());
    SetDocumentTitle(doc_->Title());
    UpdateCommandUI();
    qApp->installEventFilter(this);
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    SaveWindowSettings();
    Pane(0, 1)->SetPane3D(nullptr);
    pane3d_->OnDestroy();
    session_.ReleaseScene();
    d3dRoot_->ReleaseAll();
}

// Tool bar, menus, status bar and shortcuts.
void CMainFrame::OnCreate() {
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateShortcuts();
}

// The 3D root with its device choice, the scene and the four panes, the 3D pane first.
void CMainFrame::OnCreateClient() {
    // The display as the 3D layer sees it: every screen's current mode, the primary first.
    std::vector<ports::DisplayMode> modes;
    for (const QScreen* screen : QGuiApplication::screens()) {
        modes.push_back({screen->size().width(), screen->size().height(), screen->depth()});
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    const ports::DisplayMode current =
        primary ? ports::DisplayMode{primary->size().width(), primary->size().height(),
                                     primary->depth()}
                : ports::DisplayMode{};
    display_ = std::make_unique<render::StandardDisplay>(current, modes);
    d3dRoot_ = std::make_unique<render::CD3DRoot>(*display_);
    render::ChooseStartupDevice(*d3dRoot_, ui_, session_.programFolder);
    session_.CreateScene(d3dRoot_->GetRM());
    splitter_ = new CGridSplitter(this);
    for (const auto& [row, column] : kCreationOrder) {
        auto* pane = new CPaneWidget(session_, *this, row, column);
        pane->View().SetUserInterface(&ui_);
        panes_[std::size_t(row * 2 + column)] = pane;
        splitter_->SetPane(row, column, pane);
    }
    pane3d_ = std::make_unique<render::C3DPane>(*d3dRoot_, *Pane(0, 1), ui_);
    Pane(0, 1)->SetPane3D(pane3d_.get());
    setCentralWidget(splitter_);
    m_bFirstSize = 1;
}

void CMainFrame::CreateActions() {
    for (const doc::CommandText& c : doc::Commands()) {
        if (c.label.empty() && c.id != doc::ID_EDIT_UNDO) continue;
        auto* action = new QAction(Q(c.label), this);
        action->setStatusTip(Q(doc::PromptOf(c)));
        const std::string_view tip = doc::ToolTipOf(c);
        if (!tip.empty()) action->setToolTip(Q(tip));
        int toolMode = 0;
        if (doc::ToolOfCommand(c.id, &toolMode, nullptr) || c.id == doc::ID_VIEW_TOOLBAR ||
            c.id == doc::ID_VIEW_STATUS_BAR) {
            action->setCheckable(true);
        }
        const int id = c.id;
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        actions_[id] = action;
    }
}

void CMainFrame::CreateMenus() {
    for (const doc::MenuDef& menuDef : doc::MainMenu()) {
        QMenu* menu = menuBar()->addMenu(Q(menuDef.label));
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
        for (int id : menuDef.items) {
            if (id == 0) {
                menu->addSeparator();
            } else if (id == doc::ID_FILE_MRU_FILE1) {
                fileMenu_ = menu;
                recentPlaceholder_ = actions_.at(id);
                menu->addAction(recentPlaceholder_);
                for (int i = 0; i < doc::RECENT_FILE_COUNT; ++i) {
                    auto* a = new QAction(this);
                    const int index = i;
                    connect(a, &QAction::triggered, this,
                            [this, index] { RunCommand(doc::ID_FILE_MRU_FILE1 + index); });
                    recentActions_[std::size_t(i)] = a;
                    menu->insertAction(recentPlaceholder_, a);
                }
            } else {
                menu->addAction(actions_.at(id));
            }
        }
    }
}

void CMainFrame::CreateToolBar() {
    toolBar_ = addToolBar(Q(doc::text::kAppName));
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    toolBar_->setIconSize(QSize(doc::TOOLBAR_BUTTON_WIDTH, doc::TOOLBAR_BUTTON_HEIGHT));
    toolBar_->setMovable(true);
    for (int id : doc::ToolBarButtons()) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* a = actions_.at(id);
        a->setIcon(ToolIcon(id));
        toolBar_->addAction(a);
    }
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    for (std::string_view indicator : doc::StatusIndicators()) {
        auto* label = new QLabel(Q(indicator), bar);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->sizeHint().width() + 8);
        // The lock states are not known to a portable program: the indicators stay grey.
        label->setEnabled(false);
        bar->addPermanentWidget(label);
    }
    // The counts stand before the indicators, in a pane of their own.
    counts_ = new QLabel(bar);
    counts_->setObjectName(QStringLiteral("counts"));
    counts_->setContentsMargins(6, 0, 6, 0);
    bar->insertPermanentWidget(0, counts_);
    bar->showMessage(Q(doc::text::kIdleMessage));
}

void CMainFrame::CreateShortcuts() {
    for (const doc::Accelerator& acc : doc::Accelerators()) {
        auto* shortcut = new QShortcut(QKeySequence(Q(acc.keys)), this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = acc.id;
        connect(shortcut, &QShortcut::activated, this, [this, id] { RunCommand(id); });
    }
}

void CMainFrame::RegisterFrameCommands() {
    router_.On(doc::ID_APP_EXIT, [this] { close(); });
    router_.On(
        doc::ID_VIEW_TOOLBAR, [this] { toolBar_->setVisible(!toolBar_->isVisible()); }, {},
        [this] { return toolBar_->isVisible(); });
    router_.On(
        doc::ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(!statusBar()->isVisible()); }, {},
        [this] { return statusBar()->isVisible(); });
    router_.On(doc::ID_NEXT_PANE, [this] { ActivatePane(1); });
    router_.On(doc::ID_PREV_PANE, [this] { ActivatePane(-1); });
    doc::RegisterHelpCommands(router_, ui_, opener_, session_.programFolder);
    for (int i = 0; i < doc::RECENT_FILE_COUNT; ++i) {
        router_.On(
            doc::ID_FILE_MRU_FILE1 + i,
            [this, i] {
                // A copy: the open reorders the list.
                if (std::size_t(i) >= recent_.Size()) return;
                const std::string path = recent_.Entries()[std::size_t(i)];
                doc_->OpenReplacing(path);
            },
            [this, i] { return std::size_t(i) < recent_.Size(); });
    }
}

CPaneWidget* CMainFrame::Pane(int row, int column) const {
    return panes_[std::size_t(row * 2 + column)];
}

QAction* CMainFrame::Action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool CMainFrame::RunCommand(int id) {
    const bool ran = router_.Execute(id);
    UpdateCommandUI();
    return ran;
}

void CMainFrame::UpdateCommandUI() {
    updatePending_ = false;
    for (auto& [id, action] : actions_) {
        if (id == doc::ID_FILE_MRU_FILE1) continue;  // the placeholder stays grey
        action->setEnabled(router_.IsEnabled(id));
        if (action->isCheckable()) action->setChecked(router_.IsChecked(id));
        // Undo and redo name the step they would take back or do again.
        const std::string prompt = router_.Prompt(id);
        const doc::CommandText* c = doc::FindCommand(id);
        action->setStatusTip(prompt.empty() && c ? Q(doc::PromptOf(*c)) : Q(prompt));
    }
    // After every command, key and mouse release: the counts may have changed.
    if (counts_) counts_->setText(Q(views::CountsText(session_.Table())));
}

void CMainFrame::ActivatePane(int step) {
    // Panes in reading order: top, 3D, front, side.
    int current = -1;
    for (int i = 0; i < 4; ++i) {
        if (panes_[std::size_t(i)]->hasFocus()) current = i;
    }
    const int next = current < 0 ? 0 : (current + step + 4) % 4;
    panes_[std::size_t(next)]->setFocus(Qt::OtherFocusReason);
}

// --- ports::FrameHost ---

void CMainFrame::UpdateAllViews() {
    for (CPaneWidget* pane : panes_) pane->Invalidate(true);
}

void CMainFrame::InvalidatePane(ports::PaneRole pane, bool erase) {
    if (CPaneWidget* widget = Pane(ports::PaneRowOf(pane), ports::PaneColumnOf(pane)))
        widget->Invalidate(erase);
}

ports::Size CMainFrame::PaneClientSize(ports::PaneRole pane) const {
    const CPaneWidget* widget = Pane(ports::PaneRowOf(pane), ports::PaneColumnOf(pane));
    return widget ? ports::Size{widget->width(), widget->height()} : ports::Size{};
}

void CMainFrame::ModelOpened() {
    // Before the first maximised size the panes are not laid out: the fit waits for it.
    if (m_bFirstSize != 0) {
        fitPending_ = true;
        return;
    }
    FitAfterOpen();
}

void CMainFrame::FitAfterOpen() {
    fitPending_ = false;
    if (views::FitAfterOpen(session_, views::PaneSizesOf(*this))) {
        SetMessageText(std::string(doc::text::kViewFitted));
        UpdateAllViews();
    }
}

QSize CMainFrame::RestoredSize() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QSize avail = s ? s->availableSize() : QSize(kNormalWidth, kNormalHeight);
    // Most of a screen smaller than the normal size.
    const QSize most(std::max(200, avail.width() * 9 / 10), std::max(150, avail.height() * 9 / 10));
    QSettings settings(QString::fromLatin1(kSettingsOrganization),
                       QString::fromLatin1(kSettingsApplication));
    QSize size =
        settings.value(QStringLiteral("%1/Size").arg(QLatin1String(kWindowGroup))).toSize();
    if (!size.isValid() || size.width() < 200 || size.height() < 150) {
        size = QSize(kNormalWidth, kNormalHeight);
    }
    return size.boundedTo(avail.width() >= kNormalWidth && avail.height() >= kNormalHeight ? avail
                                                                                           : most);
}

void CMainFrame::SaveWindowSettings() {
    QSettings settings(QString::fromLatin1(kSettingsOrganization),
                       QString::fromLatin1(kSettingsApplication));
    settings.beginGroup(QString::fromLatin1(kWindowGroup));
    // The normal size even while maximised: the one the window comes back to.
    const QSize normal = isMaximized() ? normalGeometry().size() : size();
    if (normal.isValid() && normal.width() >= 200 && normal.height() >= 150) {
        settings.setValue(QStringLiteral("Size"), normal);
    }
    if (!session_.fileFolder.empty()) {
        settings.setValue(QStringLiteral("FileFolder"), Q(session_.fileFolder));
    }
}

void CMainFrame::SetMessageText(const std::string& text) {
    statusBar()->showMessage(Q(text));
}

void CMainFrame::SetDocumentTitle(const std::string& title) {
    // "[*]" is where Qt shows the modified mark.
    setWindowTitle(Q(title) + QStringLiteral("[*] - ") + Q(doc::text::kAppName));
}

void CMainFrame::SetModified(bool modified) {
    setWindowModified(modified);
}

void CMainFrame::AddToRecentFileList(const std::string& path) {
    recent_.Add(QFileInfo(Q(path)).absoluteFilePath().toStdString());
    SaveRecentFiles();
    RebuildRecentFileMenu();
}

void CMainFrame::RemoveFromRecentFileList(const std::string& path) {
    recent_.Remove(QFileInfo(Q(path)).absoluteFilePath().toStdString());
    recent_.Remove(path);
    SaveRecentFiles();
    RebuildRecentFileMenu();
}

QStringList CMainFrame::RecentFiles() const {
    QStringList files;
    for (const std::string& f : recent_.Entries()) files << Q(f);
    return files;
}

void CMainFrame::LoadRecentFiles() {
    QSettings settings(QString::fromLatin1(kSettingsOrganization),
                       QString::fromLatin1(kSettingsApplication));
    settings.beginGroup(QString::fromLatin1(kRecentGroup));
    std::vector<std::string> stored;
    for (int i = 1; i <= doc::RECENT_FILE_COUNT; ++i)
        stored.push_back(settings.value(QStringLiteral("File%1").arg(i)).toString().toStdString());
    recent_.Load(stored);
    RebuildRecentFileMenu();
}

void CMainFrame::SaveRecentFiles() {
    QSettings settings(QString::fromLatin1(kSettingsOrganization),
                       QString::fromLatin1(kSettingsApplication));
    settings.beginGroup(QString::fromLatin1(kRecentGroup));
    for (int i = 1; i <= doc::RECENT_FILE_COUNT; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (std::size_t(i) <= recent_.Size()) {
            settings.setValue(key, Q(recent_.Entries()[std::size_t(i - 1)]));
        } else {
            settings.remove(key);
        }
    }
}

void CMainFrame::RebuildRecentFileMenu() {
    for (int i = 0; i < doc::RECENT_FILE_COUNT; ++i) {
        QAction* a = recentActions_[std::size_t(i)];
        if (!a) continue;
        const bool used = std::size_t(i) < recent_.Size();
        a->setVisible(used);
        if (used) {
            a->setText(Q(recent_.MenuLabel(std::size_t(i))));
            a->setStatusTip(Q(doc::PromptOf(*doc::FindCommand(doc::ID_FILE_MRU_FILE1))));
        }
    }
    // The greyed placeholder shows only while the list is empty.
    if (recentPlaceholder_) recentPlaceholder_->setVisible(recent_.Empty());
}

// --- events ---

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // Qt lays a window out once before it is shown, at its preferred size: only a resize of
    // the visible window is the maximised size.
    if (m_bFirstSize == 1 && isVisible() && (isMaximized() || emulateMaximized_)) {
        const doc::SplitterSize s = doc::FirstSplitterSize(width(), height());
        splitter_->SetColumnWidth(s.column0Width);
        splitter_->SetRowHeight(s.row0Height);
        m_bFirstSize = 0;
        // Later resizes keep the panes' proportions, so that none is cut off.
        splitter_->KeepProportions(true);
        if (fitPending_) FitAfterOpen();
    }
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Messages raised while the program started appear now, over the window.
    QTimer::singleShot(0, this, [this] { ui_.ShowHeldMessages(); });
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // A modified model asks whether to save first; Cancel keeps the window open.
    for (CPaneWidget* pane : panes_) pane->View().EndDrag();
    if (doc_ && !doc_->SaveModified()) {
        event->ignore();
        return;
    }
    SaveWindowSettings();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && !doc_->OpenReplacing(url.toLocalFile().toStdString())) break;
    }
    event->acceptProposedAction();
    UpdateCommandUI();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // Menu and tool-bar states follow every key and mouse release, once the event is done.
    const QEvent::Type t = event->type();
    if ((t == QEvent::KeyRelease || t == QEvent::MouseButtonRelease) && !updatePending_) {
        updatePending_ = true;
        QTimer::singleShot(0, this, [this] { UpdateCommandUI(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace frame
