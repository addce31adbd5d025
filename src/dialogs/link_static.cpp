#include "dialogs/link_static.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPalette>
#include <utility>

namespace dialogs {

QColor ToQColor(doc::ColorRef c) {
    return QColor(doc::RedOf(c), doc::GreenOf(c), doc::BlueOf(c));
}

doc::ColorRef ToColorRef(const QColor& c) {
    return doc::MakeColorRef(c.red(), c.green(), c.blue());
}

CLinkStatic::CLinkStatic(doc::LinkStatic& link, const QString& text,
                         std::function<void()> onClicked, QWidget* parent)
    : QLabel(parent), link_(link), onClicked_(std::move(onClicked)) {
    const std::string shown = link_.Attach(text.toStdString());
    setText(QString::fromStdString(shown));
    setTextFormat(Qt::PlainText);
    // The desktop's highlight colour for the pointer over the link.
    link_.m_crHover = ToColorRef(palette().color(QPalette::Active, QPalette::Highlight));
    QFont f = font();
    f.setUnderline(link_.m_bUnderline != 0);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QString::fromStdString(link_.m_strTarget));
    setMouseTracking(true);
    ApplyColor();
}

void CLinkStatic::PlaceAt(const QRect& rect) {
    if (!link_.m_bFitToText) {
        setGeometry(rect);
        return;
    }
    const QFontMetrics fm(font());
    const ports::Rect fitted = doc::FitRectToText(
        {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()},
        fm.horizontalAdvance(text()), fm.height(), doc::HAlign::Left, false);
    setGeometry(fitted.left, fitted.top, fitted.Width(), fitted.Height());
}

QColor CLinkStatic::TextColor() const {
    return ToQColor(link_.TextColor());
}

void CLinkStatic::ApplyColor() {
    QPalette p = palette();
    const QColor c = TextColor();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(g, QPalette::WindowText, c);
    setPalette(p);
}

void CLinkStatic::PointerAt(bool inside) {
    if (link_.OnMouseMove(inside) != doc::LinkStatic::HoverChange::None) {
        ApplyColor();
        repaint();  // at once, as the pointer moves
    }
}

void CLinkStatic::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    PointerAt(true);
}

void CLinkStatic::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    PointerAt(false);
}

void CLinkStatic::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    PointerAt(rect().contains(event->position().toPoint()));
}

void CLinkStatic::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    event->accept();
    if (onClicked_) onClicked_();
    ApplyColor();
    update();
}

}  // namespace dialogs
