// The numeric transforms: the four dialogs (move, scale, stretch, rotate) as data, and the
// routine behind the numeric-input command and the N key that opens the dialog of the
// current tool and applies it to the selected corners.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "doc/session.h"
#include "ports/pane_host.h"
#include "ports/ui.h"

namespace views {

// One number field of a numeric dialog, in control order.
struct NumberField {
    int controlId;
    std::string_view group;  // the group box around it ("" = none)
    std::string_view label;  // "X", "Y" or "Z" before the field, or ""
    std::string_view unit;   // "%" or "゜" after the field, or ""
    std::string text;        // what the field holds
    float* floatValue = nullptr;
    double* doubleValue = nullptr;
};

// A numeric dialog: made afresh for every use, so it always opens with the initial values
// ("0", "100"). The shell shows Fields() in order, copies the texts back when the user
// presses OK and calls OnOK; a test does the same.
class NumericDialog : public ports::ModalDialog {
  public:
    NumericDialog(const NumericDialog&) = delete;
    NumericDialog& operator=(const NumericDialog&) = delete;

    std::string_view Title() const { return title_; }
    int TemplateId() const { return templateId_; }
    std::span<NumberField> Fields() { return fields_; }
    std::span<const NumberField> Fields() const { return fields_; }

    // OK pressed: every field's text into its member, in control order. Numbers read the
    // same under every locale, with blanks around them allowed. The first field that does
    // not hold a finite number of its type (float or double) stops the exchange: the
    // message box says so, the result is false and the dialog must stay open with that
    // field focused and its text selected (FocusField).
    bool OnOK(ports::UserInterface& ui);
    // The field to focus after a refused OK, -1 when none was refused.
    int FocusField() const { return focusField_; }

  protected:
    NumericDialog(std::string_view title, int templateId)
        : title_(title), templateId_(templateId) {}
    void AddField(int controlId, std::string_view group, std::string_view label,
                  std::string_view unit, float* value);
    void AddField(int controlId, std::string_view group, std::string_view label,
                  std::string_view unit, double* value);

  private:
    std::string_view title_;
    int templateId_;
    std::vector<NumberField> fields_;
    int focusField_ = -1;
};

class CMoveDlg final : public NumericDialog {
  public:
    CMoveDlg();
    std::string_view Kind() const override { return "move"; }
    float m_fX = 0.0f;
    float m_fY = 0.0f;
    float m_fZ = 0.0f;
};

class CScaleDlg final : public NumericDialog {
  public:
    CScaleDlg();
    std::string_view Kind() const override { return "scale"; }
    float m_fCenterX = 0.0f;
    float m_fCenterY = 0.0f;
    float m_fCenterZ = 0.0f;
    float m_fRate = 100.0f;  // percent
};

class CStretchDlg final : public NumericDialog {
  public:
    CStretchDlg();
    std::string_view Kind() const override { return "stretch"; }
    float m_fRateX = 100.0f;  // percent
    float m_fRateY = 100.0f;
    float m_fRateZ = 100.0f;
    float m_fCenterX = 0.0f;
    float m_fCenterY = 0.0f;
    float m_fCenterZ = 0.0f;
};

// The rotate dialog also has the axis radio group ("X軸", "Y軸", "Z軸", ids 1030..1032)
// between the centre and the angle; the shell reads and writes m_nAxis directly.
class CRotateDlg final : public NumericDialog {
  public:
    CRotateDlg();
    std::string_view Kind() const override { return "rotate"; }
    static constexpr int AXIS_FIRST_ID = 1030;
    static std::span<const std::string_view> AxisLabels();
    float m_fCenterX = 0.0f;
    float m_fCenterY = 0.0f;
    float m_fCenterZ = 0.0f;
    int m_nAxis = 0;        // 0 X, 1 Y, 2 Z; anything else: no button chosen
    double m_dAngle = 0.0;  // degrees
};

// The numeric-input command and the N key: the dialog of the current tool (none for
// vertex selection and polygon creation); after OK its transform on every selected
// corner. Then, dialog or not, OK or Cancel, the mesh is rebuilt and all four panes are
// repainted.
void ApplyNumericTransform(doc::Session& session, ports::UserInterface& ui,
                           ports::FrameHost& frame);

}  // namespace views
