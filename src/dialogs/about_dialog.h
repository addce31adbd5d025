// The About box: the program's name, version and two links, laid out in dialog units of
// its 9-point font (IPAPGothic, metric-compatible with the font the layout was made for).
#pragma once

#include <QDialog>
#include <QIcon>

#include "doc/about.h"

class QWidget;

namespace dialogs {

class CLinkStatic;

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(doc::AboutDialog& model, QWidget* parent = nullptr);

    // The link field of a control id (1033 mail, 1034 web), or null.
    CLinkStatic* Link(int id) const;
    // The dialog's base units, from its font.
    doc::DialogBaseUnits BaseUnits() const { return units_; }

  private:
    doc::AboutDialog& model_;
    doc::DialogBaseUnits units_;
    CLinkStatic* web_ = nullptr;
    CLinkStatic* mail_ = nullptr;
};

// The program icon (32 and 48 pixels).
QIcon ProgramIcon();
// The dialog's font: IPAPGothic, 9 points.
QFont DialogFont();
// Base units of a font: average letter width and line height in pixels.
doc::DialogBaseUnits BaseUnitsOf(const QFont& font);

// Shows the About box modally for the user interface port; true on OK.
bool RunAboutDialog(doc::AboutDialog& model, QWidget* parent);

}  // namespace dialogs
