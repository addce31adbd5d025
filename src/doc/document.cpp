#include "doc/document.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "doc/edit_path.h"
#include "doc/texts.h"
#include "formats/registry.h"

namespace doc {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

bool Has(const std::string& s, std::string_view what) {
    return s.find(what) != std::string::npos;
}

// The number after `word ` in `s` ("line 12", "offset 0x40" is not taken), or -1.
long NumberAfter(const std::string& s, std::string_view word) {
    std::size_t at = 0;
    while ((at = s.find(word, at)) != std::string::npos) {
        at += word.size();
        if (at < s.size() && s[at] == ' ') ++at;
        if (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at]))) {
            const long n = std::strtol(s.c_str() + at, nullptr, 10);
            if (n >= 0 && n < 2147483647L) return n;
        }
    }
    return -1;
}

}  // namespace

std::string ReadFailureReason(const formats::ReadResult& read) {
    using formats::ReadFailure;
    std::string out;
    switch (read.kind) {
        case ReadFailure::None:
            return {};
        case ReadFailure::Unreadable:
            out = text::kFailUnreadable;
            break;
        case ReadFailure::Malformed:
            out = text::kFailMalformed;
            break;
        case ReadFailure::Unsupported:
            out = text::kFailUnsupported;
            break;
        case ReadFailure::MergeRefused:
            out = text::kFailMergeRefused;
            break;
        case ReadFailure::NoModel:
            out = text::kFailNoModel;
            break;
    }
    const std::string d = Lower(read.detail);
    std::string known;
    const auto add = [&known](std::string_view t) {
        if (!known.empty()) known += '\n';
        known += t;
    };
    if (Has(d, "version")) {
        add(text::kDetailVersion);
    } else if (Has(d, "not supported") || Has(d, "unsupported") || Has(d, "layout")) {
        add(text::kDetailLayout);
    }
    if (Has(d, "no faces") || Has(d, "no polygons") || Has(d, "no mesh") || Has(d, "holds no")) {
        add(text::kDetailNoFaces);
    }
    if (Has(d, "end of file") || Has(d, "truncated") || Has(d, "cut short")) {
        add(text::kDetailTruncated);
    } else if (Has(d, "damaged") || Has(d, "malformed") || Has(d, "bad ") ||
               Has(d, "out of range") || Has(d, "not a number")) {
        add(text::kDetailDamaged);
    } else if (Has(d, "not a ")) {
        add(text::kDetailNotThisFormat);
    }
    if (Has(d, "out of memory")) add(text::kDetailOutOfMemory);
    if (const long line = NumberAfter(d, "line"); line >= 0) {
        add(text::Format(text::kDetailAtLine, int(line)));
    } else if (const long at = NumberAfter(d, "offset"); at >= 0) {
        add(text::Format(text::kDetailAtOffset, int(at)));
    }
    if (!known.empty()) out += '\n' + known;
    // What the reader said that no text above covers stays readable, as it was written.
    if (known.empty() && !read.detail.empty()) out += "\n(" + read.detail + ")";
    return out;
}

std::string DroppedWarning(int droppedFaces, int droppedCorners) {
    std::string what;
    if (droppedFaces > 0 && droppedCorners > 0) {
        what = text::Format(text::kDroppedBoth, droppedFaces, droppedCorners);
    } else if (droppedFaces > 0) {
        what = text::Format(text::kDroppedFaces, droppedFaces);
    } else if (droppedCorners > 0) {
        what = text::Format(text::kDroppedCorners, droppedCorners);
    } else {
        return {};
    }
    return text::Format(text::kDroppedOnRead, what);
}

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
    // A new model starts in the start view, the 3D pane unturned.
    session_.ResetView();
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
    // Both dialogs start in the folder last used, by a dialog or by a replacing open (the
    // program's folder the first time);
    // Save As suggests the name of the file the model came from. A name typed without an
    // extension takes the chosen file type's, ".x" when no type is chosen.
    const std::string folder =
        session_.fileFolder.empty() ? session_.programFolder : session_.fileFolder;
    std::optional<std::string> path =
        ui_.FileDialog({.open = open,
                        .filter = open ? formats::OpenFilter() : formats::SaveFilter(),
                        .defaultExtension = std::string(1, 'x'),
                        .initialName = open || title_ == text::kUntitled ? std::string() : title_,
                        .flags = open ? ports::OFN_HIDEREADONLY : ports::OFN_OVERWRITEPROMPT,
                        .initialFolder = folder});
    if (path) {
        const std::size_t slash = path->find_last_of('/');
        if (slash != std::string::npos) session_.fileFolder = path->substr(0, slash + 1);
    }
    return path;
}

void CMdlrDoc::OnFileOpen() {
    if (const auto path = AskForModelFile(true)) Import(*path);
}

ImportReport CMdlrDoc::Import(const std::string& path) {
    // Open adds to the model: one step, which undo takes back.
    const bool wasEmpty = session_.Table().faceCount == 0;
    EditPath edit(session_, frame_);
    edit.Begin(StepKind::Open, model::EditScope::Everything);
    ImportReport report = ImportFile(session_.model, session_.Table(), path);
    ShowImportProblems(path, report);
    if (report.readerFound && report.read.ok() && !report.rebuilt) {
        edit.Abandon(Repaint::AllViews);  // the mesh could not be built: the old model
    } else {
        edit.Commit(Repaint::AllViews, false);  // ImportFile rebuilt the mesh
    }
    if (wasEmpty && report.ok()) frame_.ModelOpened();
    return report;
}

void CMdlrDoc::ShowImportProblems(const std::string& path, const ImportReport& report) {
    if (!report.readerFound) {
        ui_.MessageBox(text::Format(text::kOpenFailed, DisplayName(path),
                                    std::string(text::kFailUnknownFormat)),
                       std::string(text::kOpenFailedCaption), ports::Buttons::Ok,
                       ports::Icon::Exclamation);
        return;
    }
    if (!report.read.ok()) {
        if (!report.read.message.empty()) {
            ui_.MessageBox(report.read.message, report.read.caption, ports::Buttons::Ok,
                           ports::Icon::None);
        }
        ui_.MessageBox(
            text::Format(text::kOpenFailed, DisplayName(path), ReadFailureReason(report.read)),
            std::string(text::kOpenFailedCaption), ports::Buttons::Ok, ports::Icon::Exclamation);
        return;
    }
    if (!report.read.missingTextures.empty()) {
        frame_.SetMessageText(
            text::Format(text::kTexturesMissing, int(report.read.missingTextures.size())));
    } else if (report.becameMixed) {
        frame_.SetMessageText(std::string(text::kMixedHandedness));
    }
    const std::string dropped =
        DroppedWarning(report.stats.droppedFaces, report.stats.droppedCorners);
    if (!dropped.empty()) {
        ui_.MessageBox(dropped, std::string(text::kDroppedCaption), ports::Buttons::Ok,
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
        // A file opened from the command line, a drop or the recent list is the folder last
        // used too: Save As then suggests the file's own name in the file's own folder.
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
        if (!error && !folder.empty()) session_.fileFolder = folder.string() + '/';
        frame_.AddToRecentFileList(path);
        frame_.ModelOpened();
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
