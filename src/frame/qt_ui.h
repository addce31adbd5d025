// The user interface port with Qt: message boxes, file and colour dialogs, the program's
// modal dialogs.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <string>

#include "dialogs/qt_text.h"
#include "ports/ui.h"

class QWidget;

namespace frame {

// The dialog filter "label|patterns|label|patterns|" as Qt name filters: each entry becomes
// "label (p1 p2 ...)", since Qt separates patterns with blanks; the file dialog hides the
// part in brackets, so the user reads exactly the label.
QStringList NameFiltersOf(const std::string& filter);

using dialogs::Q;

class QtUserInterface final : public ports::UserInterface {
  public:
    // Shows one kind of the program's modal dialogs (ModalDialog::Kind()); true on OK.
    using DialogRunner = std::function<bool(ports::ModalDialog&, QWidget* parent)>;

    explicit QtUserInterface(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    void RegisterDialog(std::string kind, DialogRunner runner);

    ports::Answer MessageBox(const std::string& text, const std::string& caption,
                             ports::Buttons buttons, ports::Icon icon) override;
    std::optional<std::string> FileDialog(const ports::FileDialogRequest& request) override;
    std::optional<std::uint32_t> ChooseColor(std::uint32_t initial) override;
    bool DoModal(ports::ModalDialog& dialog) override;
    void Beep() override;

  private:
    QWidget* parent_;
    std::map<std::string, DialogRunner, std::less<>> runners_;
};

}  // namespace frame
