// The document: the user's file commands. New empties the model; Open imports a file into
// the model already loaded; Save As exports the model. The document keeps no content of
// its own: the model is the session's mesh and table.
#pragma once

#include <optional>
#include <string>

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
    // New from the menu: the new-document step, then every pane redrawn.
    void OnFileNew();
    // Import through the open dialog.
    void OnFileOpen();
    // Export through the save dialog; Ctrl+S comes here too.
    void OnFileSaveAs();

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
