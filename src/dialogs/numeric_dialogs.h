// The four numeric transform dialogs with Qt: a thin window around views::NumericDialog,
// which holds the fields, the parsing and the messages.
#pragma once

#include <QDialog>
#include <vector>

#include "ports/ui.h"
#include "views/numeric_transform.h"

class QLineEdit;
class QRadioButton;

namespace dialogs {

class CNumericDialog : public QDialog {
    Q_OBJECT
  public:
    // `ui` shows the messages of a refused OK.
    CNumericDialog(views::NumericDialog& values, ports::UserInterface& ui, QWidget* parent);

    QLineEdit* Edit(int field) const { return edits_[std::size_t(field)]; }
    // The axis buttons of the rotate dialog (empty for the others).
    const std::vector<QRadioButton*>& AxisButtons() const { return axes_; }

  public slots:
    // OK: the texts into the data; a field that does not hold a number keeps the dialog
    // open, focused with its text selected.
    void accept() override;

  private:
    views::NumericDialog& data_;
    ports::UserInterface& ui_;
    std::vector<QLineEdit*> edits_;
    std::vector<QRadioButton*> axes_;
};

// Runner of the move, scale, stretch and rotate dialogs for QtUserInterface::RegisterDialog:
// shows the dialog modally, `ui` showing the messages of a refused OK; true on OK.
bool RunNumericDialog(ports::ModalDialog& dialog, ports::UserInterface& ui, QWidget* parent);

}  // namespace dialogs
