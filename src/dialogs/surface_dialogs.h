// The Material and Texture wrap dialogs with Qt: thin views of doc::MaterialDialogData and
// doc::WrapDialogData, which hold their fields and their logic.
#pragma once

#include <QDialog>

#include "doc/surface_commands.h"
#include "ports/ui.h"

class QButtonGroup;
class QPushButton;
class QScrollBar;

namespace dialogs {

// "ﾏﾃﾘｱﾙ": the "Color" button, the transparency bar (0..255, from "0%" to "100%") and
// the "Quality" radios in tab order Wire, Gouraud, Flat.
class CMaterialDlg : public QDialog {
  public:
    CMaterialDlg(doc::MaterialDialogData& fields, QWidget* parent = nullptr);

    QPushButton* ColorButton() const { return color_; }
    QScrollBar* TransparencyBar() const { return bar_; }
    QButtonGroup* QualityGroup() const { return quality_; }

    void accept() override;

  private:
    void OnScrollAction(int action);

    doc::MaterialDialogData& data_;
    QPushButton* color_;
    QScrollBar* bar_;
    QButtonGroup* quality_;
};

// "テクスチャー": the mapping radios (plane, cylinder, sphere) and the axis radios.
class CTextureWrapDlg : public QDialog {
  public:
    CTextureWrapDlg(doc::WrapDialogData& fields, QWidget* parent = nullptr);

    QButtonGroup* MappingGroup() const { return mapping_; }
    QButtonGroup* AxisGroup() const { return axis_; }

    void accept() override;

  private:
    doc::WrapDialogData& data_;
    QButtonGroup* mapping_;
    QButtonGroup* axis_;
};

// Runners for QtUserInterface::RegisterDialog: show the dialog modally; true on OK.
bool RunMaterialDialog(ports::ModalDialog& dialog, QWidget* parent);
bool RunTextureWrapDialog(ports::ModalDialog& dialog, QWidget* parent);

}  // namespace dialogs
