#include "views/numeric_transform.h"

#include <array>
#include <charconv>
#include <cmath>

#include "base/numbers.h"
#include "doc/edit_path.h"
#include "doc/texts.h"
#include "model/table_edits.h"

namespace views {

namespace {

namespace text = doc::text;

// The field's value as the dialog shows it: "%g" with the type's digits, in every locale.
std::string Display(double value, int digits) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    return std::string(buf, r.ptr);
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The whole text as one finite decimal number (no hexadecimal, "inf" or "nan").
bool ParseNumber(std::string_view textIn, double& out) {
    std::string_view s = TrimBlanks(textIn);
    if (s.empty() || !base::ScanDecimal(s, out)) return false;
    return s.empty() && std::isfinite(out);
}

constexpr std::array<std::string_view, 3> kAxisLabels = {text::kAxisX, text::kAxisY, text::kAxisZ};

}  // namespace

void NumericDialog::AddField(int controlId, std::string_view group, std::string_view label,
                             std::string_view unit, float* value) {
    fields_.push_back({controlId, group, label, unit, Display(*value, 6), value, nullptr});
}

void NumericDialog::AddField(int controlId, std::string_view group, std::string_view label,
                             std::string_view unit, double* value) {
    fields_.push_back({controlId, group, label, unit, Display(*value, 15), nullptr, value});
}

bool NumericDialog::OnOK(ports::UserInterface& ui) {
    focusField_ = -1;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        NumberField& field = fields_[i];
        double value = 0.0;
        bool ok = ParseNumber(field.text, value);
        if (ok && field.floatValue) {
            const float narrow = base::ToFloat(value);
            ok = std::isfinite(narrow);  // 1e39 does not fit a float
            if (ok) *field.floatValue = narrow;
        } else if (ok && field.doubleValue) {
            *field.doubleValue = value;
        }
        if (!ok) {
            focusField_ = static_cast<int>(i);
            ui.MessageBox(std::string(text::kEnterNumber), "", ports::Buttons::Ok,
                          ports::Icon::Exclamation);
            return false;
        }
    }
    return true;
}

CMoveDlg::CMoveDlg() : NumericDialog(text::kMoveTitle, 133) {
    AddField(1008, "", "X", "", &m_fX);
    AddField(1010, "", "Y", "", &m_fY);
    AddField(1012, "", "Z", "", &m_fZ);
}

CScaleDlg::CScaleDlg() : NumericDialog(text::kScaleTitle, 134) {
    AddField(1016, text::kCentreGroup, "X", "", &m_fCenterX);
    AddField(1018, text::kCentreGroup, "Y", "", &m_fCenterY);
    AddField(1020, text::kCentreGroup, "Z", "", &m_fCenterZ);
    AddField(1014, text::kRateGroup, "", text::kPercentUnit, &m_fRate);
}

CStretchDlg::CStretchDlg() : NumericDialog(text::kStretchTitle, 135) {
    AddField(1022, text::kStretchRateGroup, "X", text::kPercentUnit, &m_fRateX);
    AddField(1023, text::kStretchRateGroup, "Y", text::kPercentUnit, &m_fRateY);
    AddField(1024, text::kStretchRateGroup, "Z", text::kPercentUnit, &m_fRateZ);
    AddField(1017, text::kCentreGroup, "X", "", &m_fCenterX);
    AddField(1019, text::kCentreGroup, "Y", "", &m_fCenterY);
    AddField(1021, text::kCentreGroup, "Z", "", &m_fCenterZ);
}

CRotateDlg::CRotateDlg() : NumericDialog(text::kRotateTitle, 136) {
    AddField(1027, text::kCentreGroup, "X", "", &m_fCenterX);
    AddField(1028, text::kCentreGroup, "Y", "", &m_fCenterY);
    AddField(1029, text::kCentreGroup, "Z", "", &m_fCenterZ);
    AddField(1026, text::kAngleGroup, "", text::kDegreeUnit, &m_dAngle);
}

std::span<const std::string_view> CRotateDlg::AxisLabels() {
    return kAxisLabels;
}

void ApplyNumericTransform(doc::Session& session, ports::UserInterface& ui,
                           ports::FrameHost& frame) {
    model::FaceTable& table = session.Table();
    doc::EditPath path(session, frame);
    const auto begin = [&path](doc::StepKind kind) {
        path.Begin(kind, model::EditScope::Positions);
    };
    switch (session.m_nEditMode) {
        case doc::EDIT_MOVE: {
            begin(doc::StepKind::NumericMove);
            CMoveDlg dlg;
            if (ui.DoModal(dlg)) model::MoveSelected(table, dlg.m_fX, dlg.m_fY, dlg.m_fZ);
            break;
        }
        case doc::EDIT_ROTATE: {
            begin(doc::StepKind::NumericRotate);
            CRotateDlg dlg;
            if (ui.DoModal(dlg)) {
                model::RotateSelected(table, dlg.m_nAxis, dlg.m_dAngle,
                                      {dlg.m_fCenterX, dlg.m_fCenterY, dlg.m_fCenterZ});
            }
            break;
        }
        case doc::EDIT_SCALE: {
            begin(doc::StepKind::NumericScale);
            CScaleDlg dlg;
            if (ui.DoModal(dlg)) {
                const float rate[3] = {dlg.m_fRate, dlg.m_fRate, dlg.m_fRate};
                model::StretchSelected(table, rate,
                                       {dlg.m_fCenterX, dlg.m_fCenterY, dlg.m_fCenterZ});
            }
            break;
        }
        case doc::EDIT_STRETCH: {
            begin(doc::StepKind::NumericStretch);
            CStretchDlg dlg;
            if (ui.DoModal(dlg)) {
                const float rate[3] = {dlg.m_fRateX, dlg.m_fRateY, dlg.m_fRateZ};
                model::StretchSelected(table, rate,
                                       {dlg.m_fCenterX, dlg.m_fCenterY, dlg.m_fCenterZ});
            }
            break;
        }
        default:
            begin(doc::StepKind::NumericMove);  // no dialog: changes nothing
            break;
    }
    // Dialog or not, OK or Cancel: the mesh rebuilt and the four panes repainted.
    path.Commit(doc::Repaint::AllPanes);
}

}  // namespace views
