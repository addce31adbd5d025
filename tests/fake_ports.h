// Scripted and recording stand-ins for the ports, shared by the core tests: they answer
// dialogs as a user would have and remember what the core asked for.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ports/opener.h"
#include "ports/pane_host.h"
#include "ports/ui.h"

namespace testing_support {

class ScriptedUi : public ports::UserInterface {
  public:
    struct Message {
        std::string text;
        std::string caption;
        ports::Buttons buttons;
        ports::Icon icon;
    };

    // Answers, used in order; when they run out: OK / cancel.
    std::deque<ports::Answer> answers;
    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<std::uint32_t>> colors;
    // Called for each modal dialog; returns whether the user pressed OK.
    std::function<bool(ports::ModalDialog&)> onDialog;

    std::vector<Message> messages;
    std::vector<ports::FileDialogRequest> fileRequests;
    std::vector<std::uint32_t> colorRequests;
    std::vector<std::string> dialogs;  // Kind() of each dialog shown
    int beeps = 0;

    ports::Answer MessageBox(const std::string& text, const std::string& caption,
                             ports::Buttons buttons, ports::Icon icon) override {
        messages.push_back({text, caption, buttons, icon});
        if (answers.empty()) return ports::Answer::Ok;
        const ports::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> FileDialog(const ports::FileDialogRequest& request) override {
        fileRequests.push_back(request);
        if (files.empty()) return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
    std::optional<std::uint32_t> ChooseColor(std::uint32_t initial) override {
        colorRequests.push_back(initial);
        if (colors.empty()) return std::nullopt;
        auto c = colors.front();
        colors.pop_front();
        return c;
    }
    bool DoModal(ports::ModalDialog& dialog) override {
        dialogs.emplace_back(dialog.Kind());
        return onDialog ? onDialog(dialog) : false;
    }
    void Beep() override { ++beeps; }
};

class RecordingFrame : public ports::FrameHost {
  public:
    struct Invalidation {
        int row;
        int column;
        bool erase;
        friend bool operator==(const Invalidation&, const Invalidation&) = default;
    };
    int updates = 0;
    std::vector<Invalidation> invalidations;
    std::vector<std::string> statusTexts;
    std::string title;
    std::vector<std::string> recent;  // most recent first

    void UpdateAllViews() override { ++updates; }
    void InvalidatePane(ports::PaneRole pane, bool erase) override {
        invalidations.push_back({ports::PaneRowOf(pane), ports::PaneColumnOf(pane), erase});
    }
    void SetMessageText(const std::string& text) override { statusTexts.push_back(text); }
    void SetDocumentTitle(const std::string& t) override { title = t; }
    void AddToRecentFileList(const std::string& path) override {
        std::erase(recent, path);
        recent.insert(recent.begin(), path);
    }
    void RemoveFromRecentFileList(const std::string& path) override { std::erase(recent, path); }
    void RefreshCommandStates() override { ++commandRefreshes; }
    int commandRefreshes = 0;
    // Client sizes by splitter position (row * 2 + column), and the opens into an empty
    // model the document reported.
    ports::Size paneSizes[4] = {{300, 200}, {300, 200}, {300, 200}, {300, 200}};
    ports::Size PaneClientSize(ports::PaneRole pane) const override {
        return paneSizes[ports::PaneRowOf(pane) * 2 + ports::PaneColumnOf(pane)];
    }
    void ModelOpened() override { ++modelsOpened; }
    int modelsOpened = 0;
    void SetModified(bool m) override { modified = m; }
    bool modified = false;  // the title's modified mark
};

class RecordingPane : public ports::PaneHost {
  public:
    ports::Size size{300, 200};
    int invalidations = 0;
    int erasingInvalidations = 0;
    bool captured = false;
    int captures = 0;
    int releases = 0;

    ports::Size ClientSize() const override { return size; }
    void Invalidate(bool erase) override {
        ++invalidations;
        if (erase) ++erasingInvalidations;
    }
    void SetCapture() override {
        captured = true;
        ++captures;
    }
    void ReleaseCapture() override {
        captured = false;
        ++releases;
    }
    bool HasCapture() const override { return captured; }
};

// A file dialog request in one line: "open|save ext=.. flags=0x.. folder=.. name=.. | filter".
inline std::string Describe(const ports::FileDialogRequest& r) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%x", r.flags);
    return std::string(r.open ? "open" : "save") + " ext=" + r.defaultExtension +
           " flags=" + flags + " folder=" + r.initialFolder + " name=" + r.initialName + " | " +
           r.filter;
}

// Answers every open with `result` and remembers what it was asked to open.
class ScriptedOpener : public ports::Opener {
  public:
    int result = ports::OPEN_OK;
    std::vector<std::string> urls;
    std::vector<std::string> files;

    int OpenUrl(const std::string& url) override {
        urls.push_back(url);
        return result;
    }
    int OpenFile(const std::string& path) override {
        files.push_back(path);
        return result;
    }
};

}  // namespace testing_support
