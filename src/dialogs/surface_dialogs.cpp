#include "dialogs/surface_dialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <string_view>

#include "dialogs/qt_text.h"
#include "doc/texts.h"

namespace dialogs {

namespace {

// OK and ｷｬﾝｾﾙ, right-aligned.
QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    box->button(QDialogButtonBox::Ok)->setText(Q(doc::text::kDialogOk));
    box->button(QDialogButtonBox::Cancel)->setText(Q(doc::text::kDialogCancel));
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

// A group box of radios with ids 0, 1, 2 in tab order; `checked` -1 checks none.
QButtonGroup* RadioGroup(QDialog* dialog, QGroupBox* box,
                         std::initializer_list<std::string_view> labels, int checked) {
    auto* group = new QButtonGroup(dialog);
    auto* layout = new QVBoxLayout(box);
    int id = 0;
    QWidget* previous = nullptr;
    for (std::string_view label : labels) {
        auto* radio = new QRadioButton(Q(label), box);
        group->addButton(radio, id);
        layout->addWidget(radio);
        if (id == checked) radio->setChecked(true);
        if (previous) QWidget::setTabOrder(previous, radio);
        previous = radio;
        ++id;
    }
    return group;
}

}  // namespace

CMaterialDlg::CMaterialDlg(doc::MaterialDialogData& fields, QWidget* parent)
    : QDialog(parent), data_(fields) {
    setWindowTitle(Q(doc::text::kMaterialTitle));
    color_ = new QPushButton(Q(doc::text::kMaterialColor), this);
    connect(color_, &QPushButton::clicked, this, [this] { data_.OnColor(); });

    bar_ = new QScrollBar(Qt::Horizontal, this);
    bar_->setRange(0, doc::TRANSPARENCY_MAX);
    bar_->setSingleStep(1);
    bar_->setPageStep(10);
    bar_->setValue(data_.m_nTransparency);
    bar_->setMinimumWidth(160);
    bar_->setFocusPolicy(Qt::StrongFocus);
    connect(bar_, &QScrollBar::actionTriggered, this, [this](int a) { OnScrollAction(a); });

    auto* ends = new QGridLayout;
    ends->addWidget(new QLabel(Q(doc::text::kMaterialTransparency), this), 0, 0, 1, 2);
    ends->addWidget(bar_, 1, 0, 1, 2);
    ends->addWidget(new QLabel(Q(doc::text::kMaterialLeftEnd), this), 2, 0, Qt::AlignLeft);
    ends->addWidget(new QLabel(Q(doc::text::kMaterialRightEnd), this), 2, 1, Qt::AlignRight);

    auto* qualityBox = new QGroupBox(Q(doc::text::kMaterialQuality), this);
    quality_ = RadioGroup(
        this, qualityBox,
        {doc::text::kMaterialWire, doc::text::kMaterialGouraud, doc::text::kMaterialFlat},
        data_.m_nQuality);

    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(color_, 0, Qt::AlignLeft);
    left->addLayout(ends);
    left->addStretch();
    top->addLayout(left);
    top->addWidget(qualityBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    QDialogButtonBox* buttons = OkCancel(this);
    layout->addWidget(buttons);

    setTabOrder(color_, bar_);
    setTabOrder(bar_, quality_->button(0));
    setTabOrder(quality_->button(2), buttons);
}

void CMaterialDlg::OnScrollAction(int action) {
    int code = doc::SB_ENDSCROLL;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            code = doc::SB_LINELEFT;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            code = doc::SB_LINERIGHT;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = doc::SB_PAGELEFT;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = doc::SB_PAGERIGHT;
            break;
        case QAbstractSlider::SliderMove:
            code = doc::SB_THUMBTRACK;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = doc::SB_LEFT;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = doc::SB_RIGHT;
            break;
        default:
            break;
    }
    // The dialog's own rule decides where the bar goes; Qt's step is overridden.
    bar_->setSliderPosition(data_.OnHScroll(code, bar_->sliderPosition()));
}

void CMaterialDlg::accept() {
    data_.m_nTransparency = bar_->value();
    data_.m_nQuality = quality_->checkedId();
    QDialog::accept();
}

CTextureWrapDlg::CTextureWrapDlg(doc::WrapDialogData& fields, QWidget* parent)
    : QDialog(parent), data_(fields) {
    setWindowTitle(Q(doc::text::kWrapTitle));
    auto* mappingBox = new QGroupBox(Q(doc::text::kWrapMapping), this);
    mapping_ = RadioGroup(this, mappingBox,
                          {doc::text::kWrapPlane, doc::text::kWrapCylinder, doc::text::kWrapSphere},
                          data_.m_nMapping);
    auto* axisBox = new QGroupBox(Q(doc::text::kWrapAxis), this);
    axis_ = RadioGroup(this, axisBox,
                       {doc::text::kWrapAxisX, doc::text::kWrapAxisY, doc::text::kWrapAxisZ},
                       data_.m_nWrapAxis);
    auto* groups = new QHBoxLayout;
    groups->addWidget(mappingBox);
    groups->addWidget(axisBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(OkCancel(this));
}

void CTextureWrapDlg::accept() {
    data_.m_nMapping = mapping_->checkedId();
    data_.m_nWrapAxis = axis_->checkedId();
    QDialog::accept();
}

bool RunMaterialDialog(ports::ModalDialog& dialog, QWidget* parent) {
    auto* data = dynamic_cast<doc::MaterialDialogData*>(&dialog);
    if (!data) return false;
    CMaterialDlg dlg(*data, parent);
    return dlg.exec() == QDialog::Accepted;
}

bool RunTextureWrapDialog(ports::ModalDialog& dialog, QWidget* parent) {
    auto* data = dynamic_cast<doc::WrapDialogData*>(&dialog);
    if (!data) return false;
    CTextureWrapDlg dlg(*data, parent);
    return dlg.exec() == QDialog::Accepted;
}

}  // namespace dialogs
