// The Qt Material and Wrap dialogs: their texts, their starting state, the scroll bar
// following the dialog's own rule, and the fields they hand back.
#include "dialogs/surface_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "doc/texts.h"

namespace {

QString T(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QStringList Texts(const QWidget& w) {
    QStringList out;
    for (const QLabel* l : w.findChildren<QLabel*>()) out << l->text();
    for (const QAbstractButton* b : w.findChildren<QAbstractButton*>()) out << b->text();
    for (const QGroupBox* g : w.findChildren<QGroupBox*>()) out << g->title();
    return out;
}

TEST(MaterialDialog, ShowsItsTextsAndStartsFromTheData) {
    doc::MaterialDialogData data;
    data.m_nQuality = 1;
    dialogs::CMaterialDlg dlg(data);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("ﾏﾃﾘｱﾙ"));
    const QStringList texts = Texts(dlg);
    for (const char* t : {"Color", "透明度", "0%", "100%", "Quality", "OK", "ｷｬﾝｾﾙ"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
    }
    EXPECT_EQ(dlg.TransparencyBar()->value(), 0);
    EXPECT_EQ(dlg.TransparencyBar()->maximum(), 255);
    EXPECT_EQ(dlg.QualityGroup()->checkedId(), 1);
    QStringList radios;  // in the order of their ids
    for (int id = 0; id < 3; ++id) radios << dlg.QualityGroup()->button(id)->text();
    EXPECT_EQ(radios, (QStringList{QStringLiteral("Wire"), QStringLiteral("Gouraud"),
                                   QStringLiteral("Flat")}));
    // Tab order: Wire, Gouraud, Flat.
    EXPECT_EQ(dlg.QualityGroup()->button(0)->nextInFocusChain(), dlg.QualityGroup()->button(1));
    EXPECT_EQ(dlg.QualityGroup()->button(1)->nextInFocusChain(), dlg.QualityGroup()->button(2));

    doc::MaterialDialogData none;
    none.m_nQuality = -1;
    dialogs::CMaterialDlg unchecked(none);
    EXPECT_EQ(unchecked.QualityGroup()->checkedId(), -1);
}

TEST(MaterialDialog, TheBarMovesByTheDialogsRuleAndOkHandsBackTheFields) {
    doc::MaterialDialogData data;
    data.m_nQuality = 2;
    int colours = 0;
    data.onColor = [&colours] { ++colours; };
    dialogs::CMaterialDlg dlg(data);
    QScrollBar* bar = dlg.TransparencyBar();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), 10);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), 11);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(bar->value(), 255);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(bar->value(), 245);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(bar->value(), 0);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);

    dlg.ColorButton()->click();
    EXPECT_EQ(colours, 1);
    dlg.QualityGroup()->button(0)->click();
    dlg.accept();
    EXPECT_EQ(data.m_nTransparency, 10);
    EXPECT_EQ(data.m_nQuality, 0);
}

TEST(WrapDialog, StartsAtPlaneAndXAndHandsBackTheChoice) {
    doc::WrapDialogData data;
    dialogs::CTextureWrapDlg dlg(data);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("テクスチャー"));
    const QStringList texts = Texts(dlg);
    for (std::string_view t :
         {doc::text::kWrapMapping, doc::text::kWrapPlane, doc::text::kWrapCylinder,
          doc::text::kWrapSphere, doc::text::kWrapAxis, doc::text::kWrapAxisX,
          doc::text::kWrapAxisY, doc::text::kWrapAxisZ}) {
        EXPECT_TRUE(texts.contains(T(t))) << t;
    }
    EXPECT_EQ(dlg.AxisGroup()->button(0)->text(), QStringLiteral("Ｘ軸"));  // full-width X
    EXPECT_EQ(dlg.MappingGroup()->checkedId(), 0);
    EXPECT_EQ(dlg.AxisGroup()->checkedId(), 0);
    dlg.MappingGroup()->button(2)->click();
    dlg.AxisGroup()->button(1)->click();
    dlg.accept();
    EXPECT_EQ(data.m_nMapping, 2);
    EXPECT_EQ(data.m_nWrapAxis, 1);
}

}  // namespace
