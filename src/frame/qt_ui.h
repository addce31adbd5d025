// The user interface port with Qt: message boxes, file and colour dialogs, the program's
// modal dialogs.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialogs/qt_text.h"
#include "ports/ui.h"

class QWidget;

namespace frame {

// The dialog filter "label|patterns|label|patterns|" as Qt name filters: each entry becomes
// "label (p1 p2 ...)", since Qt separates patterns with blanks; the file dialog hides the
// part in brackets, so the user reads exactly the label.
QStringList NameFiltersOf(const std::string& filter);

// The extension a typed name without one takes: the first pattern's of the chosen name
// filter ("LightWaveファイル(*.lwo) (*.lwo)" gives "lwo"), or `fallback` when the filter has
// several patterns or none.
QString ExtensionOfFilter(const QString& nameFilter, const QString& fallback);
// `path` with `extension` appended when its file name has none.
QString WithExtension(const QString& path, const QString& extension);

using dialogs::Q;

class QtUserInterface final : public ports::UserInterface {
  public:
    // Shows one kind of the program's modal dialogs (ModalDialog::Kind()); true on OK.
    using DialogRunner = std::function<bool(ports::ModalDialog&, QWidget* parent)>;

    explicit QtUserInterface(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    void RegisterDialog(std::string kind, DialogRunner runner);

    // Messages with only an OK button are held back while `hold` is set (before the main
    // window shows) and shown by ShowHeldMessages, over the window.
    void HoldMessages(bool hold) { hold_ = hold; }
    void ShowHeldMessages();
    // No box at all: each message goes to standard error, and a question gets the answer
    // that changes nothing (No, Cancel). For pictures made from the command line.
    void SetMessagesToStderr(bool on) { toStderr_ = on; }
    bool MessagesToStderr() const { return toStderr_; }

    ports::Answer MessageBox(const std::string& text, const std::string& caption,
                             ports::Buttons buttons, ports::Icon icon) override;
    std::optional<std::string> FileDialog(const ports::FileDialogRequest& request) override;
    std::optional<std::uint32_t> ChooseColor(std::uint32_t initial) override;
    bool DoModal(ports::ModalDialog& dialog) override;
    void Beep() override;

  private:
    struct Held {
        std::string text;
        std::string caption;
        ports::Icon icon;
    };
    ports::Answer ShowBox(const std::string& text, const std::string& caption,
                          ports::Buttons buttons, ports::Icon icon);

    QWidget* parent_;
    bool hold_ = false;
    bool toStderr_ = false;
    std::vector<Held> held_;
    std::map<std::string, DialogRunner, std::less<>> runners_;
};

}  // namespace frame
