// The document: the user's file commands. New empties the model; Open imports a file into
// the model already loaded; Save As exports the model. The document keeps no content of
// its own: the model is the session's mesh and table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "doc/commands.h"
#include "doc/model_io.h"
#include "doc/session.h"
#include "ports/pane_host.h"
#include "ports/ui.h"

namespace doc {

// Why a read failed, in the user's words: the text of the failure kind, then what the
// reader's detail names (a version or layout refused, no faces, a file cut short or
// damaged, the line or byte where it stopped); a detail not known here follows as the
// reader wrote it, in brackets.
std::string ReadFailureReason(const formats::ReadResult& read);
// The face-limit warning naming only what was dropped; empty when nothing was.
std::string DroppedWarning(int droppedFaces, int droppedCorners);

class CMdlrDoc {
  public:
    CMdlrDoc(Session& session, ports::UserInterface& ui, ports::FrameHost& frame);

    // Registers New, Open, Save, Save As and the recent-file entries.
    void RegisterCommands(CommandRouter& router);

    // The new-document step: the table cleared and the mesh replaced by an empty one (the
    // render quality stays), attached to the model frame. Title "無題".
    bool OnNewDocument();
    // New from the menu: the save question, the new-document step, then every pane redrawn.
    void OnFileNew();
    // Import through the open dialog.
    void OnFileOpen();
    // Export through the save dialog; Ctrl+S comes here too.
    void OnFileSaveAs();
    // The same, true when the model was written. A format that keeps everything the model
    // holds (.x) clears the modified mark; any other leaves it and the status bar says what
    // the format did not keep.
    bool SaveAs();
    // What a save to `path` leaves out of the model, by extension; empty for .x.
    static std::string_view WhatFormatLoses(const std::string& path);

    // The model differs from the one last opened, made new or saved in full.
    bool IsModified() const;
    // Before the model is discarded: a modified model asks whether to save it (保存 runs
    // Save As, 保存しない goes on, キャンセル stops). True when the caller may go on; a
    // cancelled or failed save stops it.
    bool SaveModified();

    // The import of Open without the dialog: read, then every pane redrawn. Shows the
    // reader's own message, the dropped-faces warning, or a message box saying why the
    // read failed. An import into an empty model asks the window to bring it into view.
    ImportReport Import(const std::string& path);
    // The export of Save As without the dialog; a failure shows "%sを作成できませんでした。".
    bool Export(const std::string& path);

    // A file named on the command line, dropped on the window or chosen from the recent
    // files: an empty model, then the file imported. On success the title names the file
    // and the file heads the recent-file list; on failure the model stays empty, the title
    // untitled, and the file leaves the recent-file list.
    bool OpenDocumentFile(const std::string& path);
    // A drop or a recent file: the save question first (false when it stopped the open).
    bool OpenReplacing(const std::string& path);

    const std::string& Title() const { return title_; }
    // The file name shown in the title: the path without its folder.
    static std::string DisplayName(const std::string& path);

  private:
    std::optional<std::string> AskForModelFile(bool open);
    void ShowImportProblems(const std::string& path, const ImportReport& report);
    void SetTitle(std::string title);

    Session& session_;
    ports::UserInterface& ui_;
    ports::FrameHost& frame_;
    std::string title_;
};

}  // namespace doc
