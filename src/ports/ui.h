// The user interface as the core sees it: message boxes, questions, file and colour
// dialogs, and the modal dialogs of the program. The shell implements it with Qt; tests
// implement it with recorders and scripted answers. No Qt type appears here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ports {

// SaveDontSaveCancel: the save question's three buttons, answered Yes (save), No (do not
// save) or Cancel.
enum class Buttons { Ok, YesNo, OkCancel, SaveDontSaveCancel };
enum class Icon { None, Error, Exclamation, Information, Question };
enum class Answer { Ok, Yes, No, Cancel };

// File dialog flags, with the values the program's file dialogs pass.
constexpr unsigned OFN_HIDEREADONLY = 0x00000004;
constexpr unsigned OFN_OVERWRITEPROMPT = 0x00000002;

struct FileDialogRequest {
    bool open = true;  // open dialog, else save dialog
    // Entries "label|patterns|" one after the other, patterns separated by ';', e.g.
    // "DirectXファイル(*.x)|*.x|LightWaveファイル(*.lwo)|*.lwo|".
    std::string filter;
    std::string defaultExtension;  // added to a typed name without extension, e.g. "x"
    std::string initialName;
    unsigned flags = 0;
    std::string initialFolder;
};

// A modal dialog of the program as data: its fields and what it does while open. The
// shell shows the matching Qt dialog (it finds out which by dynamic_cast on the concrete
// class), copies the fields in and out, and calls the dialog's callbacks; a test fills
// the fields as the user would have and answers OK or Cancel.
class ModalDialog {
  public:
    virtual ~ModalDialog() = default;
    // Which dialog this is, for the shell's dispatch and for recorders ("about",
    // "material", "wrap", "move", ...).
    virtual std::string_view Kind() const = 0;
};

// The program's name: the caption of its message boxes and its main window's title.
inline constexpr std::string_view kProgramName = "Kestrilune";

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // A message box with text, caption, buttons and icon; the button the user pressed.
    // An empty caption means the program's name, as the framework's message box does.
    virtual Answer MessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                              Icon icon) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> FileDialog(const FileDialogRequest& request) = 0;
    // The chosen colour as 0x00BBGGRR, or nothing when the user cancelled.
    virtual std::optional<std::uint32_t> ChooseColor(std::uint32_t initial) = 0;
    // Shows the dialog modally; true when it was closed with OK.
    virtual bool DoModal(ModalDialog& dialog) = 0;
    // The warning beep.
    virtual void Beep() = 0;
};

// Shows nothing and cancels every question and dialog: for code that runs without a user
// (before the window hands over its interface, benchmarks).
class SilentUserInterface final : public UserInterface {
  public:
    Answer MessageBox(const std::string&, const std::string&, Buttons, Icon) override {
        return Answer::Ok;
    }
    std::optional<std::string> FileDialog(const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::uint32_t> ChooseColor(std::uint32_t) override { return std::nullopt; }
    bool DoModal(ModalDialog&) override { return false; }
    void Beep() override {}
};

}  // namespace ports
