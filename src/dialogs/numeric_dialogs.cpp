#include "dialogs/numeric_dialogs.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/qt_text.h"
#include "doc/texts.h"

namespace dialogs {

CNumericDialog::CNumericDialog(views::NumericDialog& values, ports::UserInterface& ui,
                               QWidget* parent)
    : QDialog(parent), data_(values), ui_(ui) {
    setWindowTitle(Q(values.Title()));
    auto* layout = new QVBoxLayout(this);
    auto* rotate = dynamic_cast<views::CRotateDlg*>(&values);

    // Fields in control order; consecutive fields of one group share its box.
    QGridLayout* grid = nullptr;
    int row = 0;
    const auto fields = values.Fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const views::NumberField& field = fields[i];
        if (!grid || field.group != fields[i - 1].group) {
            // The rotate dialog's axis buttons sit between the centre and the angle.
            if (rotate && field.doubleValue) {
                auto* box = new QGroupBox(Q(doc::text::kAxisGroup), this);
                auto* buttons = new QHBoxLayout(box);
                auto* group = new QButtonGroup(box);
                for (std::size_t a = 0; a < views::CRotateDlg::AxisLabels().size(); ++a) {
                    auto* radio = new QRadioButton(Q(views::CRotateDlg::AxisLabels()[a]), box);
                    radio->setChecked(int(a) == rotate->m_nAxis);
                    group->addButton(radio, int(a));
                    buttons->addWidget(radio);
                    axes_.push_back(radio);
                }
                layout->addWidget(box);
            }
            QWidget* holder = nullptr;
            if (field.group.empty()) {
                holder = new QWidget(this);
            } else {
                holder = new QGroupBox(Q(field.group), this);
            }
            grid = new QGridLayout(holder);
            layout->addWidget(holder);
            row = 0;
        }
        QWidget* holder = grid->parentWidget();
        if (!field.label.empty()) grid->addWidget(new QLabel(Q(field.label), holder), row, 0);
        auto* edit = new QLineEdit(Q(field.text), holder);
        edit->setObjectName(QStringLiteral("edit%1").arg(field.controlId));
        grid->addWidget(edit, row, 1);
        if (!field.unit.empty()) grid->addWidget(new QLabel(Q(field.unit), holder), row, 2);
        edits_.push_back(edit);
        ++row;
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(Q(doc::text::kDialogOk), this);
    auto* cancel = new QPushButton(Q(doc::text::kDialogCancel), this);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &CNumericDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CNumericDialog::reject);
    if (!edits_.empty()) edits_.front()->setFocus(Qt::OtherFocusReason);
}

void CNumericDialog::accept() {
    const auto fields = data_.Fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i].text = edits_[i]->text().toStdString();
    }
    if (auto* rotate = dynamic_cast<views::CRotateDlg*>(&data_)) {
        rotate->m_nAxis = -1;  // no button chosen
        for (std::size_t a = 0; a < axes_.size(); ++a) {
            if (axes_[a]->isChecked()) rotate->m_nAxis = int(a);
        }
    }
    if (!data_.OnOK(ui_)) {
        const int f = data_.FocusField();
        if (f >= 0 && std::size_t(f) < edits_.size()) {
            edits_[std::size_t(f)]->setFocus(Qt::OtherFocusReason);
            edits_[std::size_t(f)]->selectAll();
        }
        return;
    }
    QDialog::accept();
}

bool RunNumericDialog(ports::ModalDialog& dialog, ports::UserInterface& ui, QWidget* parent) {
    auto* data = dynamic_cast<views::NumericDialog*>(&dialog);
    if (!data) return false;
    CNumericDialog window(*data, ui, parent);
    return window.exec() == QDialog::Accepted;
}

}  // namespace dialogs
