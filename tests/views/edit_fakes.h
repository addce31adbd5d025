// Recorders and scripted answers for the editing tests: the main window that records
// which panes were repainted, and a user interface that records message boxes and lets
// each test play the user of a modal dialog.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "doc/session.h"
#include "ports/pane_host.h"
#include "ports/ui.h"

namespace edit_test {

struct PaneRepaint {
    int row;
    int column;
    bool erase;
    friend bool operator==(const PaneRepaint&, const PaneRepaint&) = default;
};

class RecordingFrame : public ports::FrameHost {
  public:
    void UpdateAllViews() override { ++updateAll; }
    void InvalidatePane(int row, int column, bool erase) override {
        repaints.push_back({row, column, erase});
    }
    void SetMessageText(const std::string&) override {}
    void SetDocumentTitle(const std::string&) override {}
    void AddToRecentFileList(const std::string&) override {}
    void RemoveFromRecentFileList(const std::string&) override {}
    void RefreshCommandStates() override { ++refreshes; }

    std::vector<PaneRepaint> repaints;
    int updateAll = 0;
    int refreshes = 0;
};

// All four panes in the order top, 3D, front, side.
inline const std::vector<PaneRepaint> kAllPanes = {
    {0, 0, true}, {0, 1, true}, {1, 0, true}, {1, 1, true}};

struct Message {
    std::string text;
    std::string caption;
    ports::Buttons buttons;
    ports::Icon icon;
};

class ScriptedUi : public ports::UserInterface {
  public:
    // Plays the user of a modal dialog: true = OK.
    std::function<bool(ports::ModalDialog&)> onModal;

    ports::Answer MessageBox(const std::string& text, const std::string& caption,
                             ports::Buttons buttons, ports::Icon icon) override {
        messages.push_back({text, caption, buttons, icon});
        return ports::Answer::Ok;
    }
    std::optional<std::string> FileDialog(const ports::FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::uint32_t> ChooseColor(std::uint32_t) override { return std::nullopt; }
    bool DoModal(ports::ModalDialog& dialog) override {
        dialogs.emplace_back(dialog.Kind());
        return onModal ? onModal(dialog) : false;
    }
    void Beep() override {}

    std::vector<Message> messages;
    std::vector<std::string> dialogs;
};

// A session with a scene, as the main window makes it.
inline std::unique_ptr<doc::Session> MakeSession() {
    auto s = std::make_unique<doc::Session>();
    s->CreateScene(std::make_shared<rm::Root>());
    return s;
}

// Puts faces into the session's table (each corner its own vertex unless `indices` says
// otherwise) and rebuilds the mesh from it.
inline void SetFaces(doc::Session& s, const std::vector<std::vector<rm::Vector>>& faces,
                     const std::vector<std::vector<int>>& indices = {}) {
    model::FaceTable& t = s.Table();
    t.faceCount = int(faces.size());
    int next = 0;
    for (int f = 0; f < t.faceCount; ++f) {
        t.vertexCount[f] = int(faces[f].size());
        for (int k = 0; k < t.vertexCount[f]; ++k) {
            t.position[f][k] = faces[f][k];
            t.vertexIndex[f][k] = indices.empty() ? next++ : indices[f][k];
            t.selected[f][k] = 0;
        }
    }
    t.RebuildMesh(s.model);
}

}  // namespace edit_test
