#include "doc/document.h"

#include "doc/edit_path.h"
#include "doc/texts.h"
#include "formats/registry.h"

namespace doc {

CMdlrDoc::CMdlrDoc(Session& session, ports::UserInterface& ui, ports::FrameHost& frame)
    : session_(session), ui_(ui), frame_(frame), title_(text::kUntitled) {}

void CMdlrDoc::RegisterCommands(CommandRouter& router) {
    router.On(ID_FILE_NEW, [this] { OnFileNew(); });
    router.On(ID_FILE_OPEN, [this] { OnFileOpen(); });
    router.On(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    // The plain save wrote an empty file over the user's file: it asks for a name instead.
    router.On(ID_FILE_SAVE, [this] { OnFileSaveAs(); });
}

bool CMdlrDoc::OnNewDocument() {
    session_.Table().Clear();
    model::ModelHost& host = session_.model;
    host.handedness = model::Handedness::None;
    if (host.m_pD3DRoot) {
        rm::MeshBuilderPtr empty = host.m_pD3DRoot->CreateMeshBuilder();
        if (empty) {
            if (host.m_pMesh) {
                empty->SetQuality(host.m_pMesh->GetQuality());
                if (host.m_pModelFrame) host.m_pModelFrame->DeleteVisual(host.m_pMesh);
            }
            host.m_pMesh = std::move(empty);
        }
        if (host.m_pModelFrame && host.m_pMesh) host.m_pModelFrame->AddVisual(host.m_pMesh);
        // The views' initial update reads the empty mesh, which leaves the table empty.
        session_.Table().ReadFromMesh(host);
    }
    EditPath(session_, frame_).Reset();
    SetTitle(std::string(text::kUntitled));
    return true;
}

bool CMdlrDoc::IsModified() const {
    return session_.history.StateId() != session_.edit.savedState;
}

bool CMdlrDoc::SaveModified() {
    if (!IsModified()) return true;
    switch (ui_.MessageBox(text::Format(text::kSaveQuestion, title_), std::string(text::kAppName),
                           ports::Buttons::SaveDontSaveCancel, ports::Icon::Question)) {
        case ports::Answer::Yes:
        case ports::Answer::Ok:
            return SaveAs();
        case ports::Answer::No:
            return true;
        case ports::Answer::Cancel:
            break;
    }
    return false;
}

void CMdlrDoc::OnFileNew() {
    if (!SaveModified()) return;
    OnNewDocument();
    frame_.UpdateAllViews();
}

std::optional<std::string> CMdlrDoc::AskForModelFile(bool open) {
    // Both dialogs start in the program's folder and add ".x" to a name typed without one.
    return ui_.FileDialog({.open = open,
                           .filter = open ? formats::OpenFilter() : formats::SaveFilter(),
                           .defaultExtension = std::string(1, 'x'),
                           .initialName = {},
                           .flags = open ? ports::OFN_HIDEREADONLY : ports::OFN_OVERWRITEPROMPT,
                           .initialFolder = session_.programFolder});
}

void CMdlrDoc::OnFileOpen() {
    if (const auto path = AskForModelFile(true)) Import(*path);
}

ImportReport CMdlrDoc::Import(const std::string& path) {
    // Open adds to the model: one step, which undo takes back.
    EditPath edit(session_, frame_);
    edit.Begin(StepKind::Open, model::EditScope::Everything);
    ImportReport report = ImportFile(session_.model, session_.Table(), path);
    ShowImportProblems(path, report);
    if (report.readerFound && report.read.ok() && !report.rebuilt) {
        edit.Abandon(Repaint::AllViews);  // the mesh could not be built: the old model
    } else {
        edit.Commit(Repaint::AllViews, false);  // ImportFile rebuilt the mesh
    }
    return report;
}

void CMdlrDoc::ShowImportProblems(const std::string& path, const ImportReport& report) {
    if (!report.readerFound) {
        frame_.SetMessageText(text::Format(text::kUnknownFormat, DisplayName(path)));
        return;
    }
    if (!report.read.ok()) {
        if (!report.read.message.empty()) {
            ui_.MessageBox(report.read.message, report.read.caption, ports::Buttons::Ok,
                           ports::Icon::None);
        }
        frame_.SetMessageText(
            text::Format(text::kCannotRead, DisplayName(path), report.read.detail));
        return;
    }
    if (!report.read.missingTextures.empty()) {
        frame_.SetMessageText(
            text::Format(text::kTexturesMissing, int(report.read.missingTextures.size())));
    } else if (report.becameMixed) {
        frame_.SetMessageText(std::string(text::kMixedHandedness));
    }
    if (report.stats.droppedFaces > 0 || report.stats.droppedCorners > 0) {
        ui_.MessageBox(text::Format(text::kDroppedOnRead, report.stats.droppedFaces,
                                    report.stats.droppedCorners),
                       std::string(text::kDroppedCaption), ports::Buttons::Ok,
                       ports::Icon::Exclamation);
    }
}

void CMdlrDoc::OnFileSaveAs() {
    SaveAs();
}

bool CMdlrDoc::SaveAs() {
    const auto path = AskForModelFile(false);
    if (!path || !Export(*path)) return false;
    const std::string_view lost = WhatFormatLoses(*path);
    if (lost.empty()) {
        EditPath(session_, frame_).MarkSaved();
    } else {
        frame_.SetMessageText(
            text::Format(text::kSavedNotAll, DisplayName(*path), std::string(lost)));
    }
    return true;
}

std::string_view CMdlrDoc::WhatFormatLoses(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? std::string{} : path.substr(dot + 1);
    for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (ext == "x") return {};
    if (ext == "lwo") return text::kLostLwo;
    if (ext == "mqo") return text::kLostMqo;
    if (ext == "dxf") return text::kLostDxf;
    return text::kLostDsm;
}

bool CMdlrDoc::Export(const std::string& path) {
    const ExportReport report = ExportFile(session_.model, session_.Table(), path);
    if (report.ok) return true;
    // An extension no writer takes and a failed .x save said nothing before: both were
    // failures reported as success.
    ui_.MessageBox(text::Format(text::kCannotCreate, path), std::string(text::kErrorCaption),
                   ports::Buttons::Ok, ports::Icon::None);
    if (!report.detail.empty()) frame_.SetMessageText(report.detail);
    return false;
}

bool CMdlrDoc::OpenReplacing(const std::string& path) {
    if (!SaveModified()) return false;
    return OpenDocumentFile(path);
}

bool CMdlrDoc::OpenDocumentFile(const std::string& path) {
    OnNewDocument();
    const ImportReport report = ImportFile(session_.model, session_.Table(), path);
    ShowImportProblems(path, report);
    if (report.ok()) {
        SetTitle(DisplayName(path));
        frame_.AddToRecentFileList(path);
    } else {
        OnNewDocument();  // whatever a failed read left: an empty model
        frame_.RemoveFromRecentFileList(path);
    }
    EditPath(session_, frame_).Reset();  // the file as read is the unmodified start
    frame_.UpdateAllViews();
    return report.ok();
}

std::string CMdlrDoc::DisplayName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CMdlrDoc::SetTitle(std::string title) {
    title_ = std::move(title);
    frame_.SetDocumentTitle(title_);
}

}  // namespace doc
