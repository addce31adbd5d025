// A static text that behaves like a hyperlink: link, visited and hover colours, an
// underline, a hand cursor and the target as tool tip. The rules live in doc::LinkStatic;
// this widget forwards the pointer and clicks to it and draws what it says.
#pragma once

#include <QLabel>
#include <functional>

#include "doc/about.h"

namespace dialogs {

class CLinkStatic : public QLabel {
    Q_OBJECT
  public:
    // Takes over `link` (which must outlive the widget) with the field's text, as the
    // framework subclasses a static control: an empty target becomes the text. A click
    // calls `onClicked`, which opens the target and may mark the link visited.
    CLinkStatic(doc::LinkStatic& link, const QString& text, std::function<void()> onClicked,
                QWidget* parent = nullptr);

    // Places the field (in the parent's pixels) and, when the link asks for it, shrinks it
    // to its text.
    void PlaceAt(const QRect& rect);

    // The colour the text is drawn with now.
    QColor TextColor() const;

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void PointerAt(bool inside);
    void ApplyColor();

    doc::LinkStatic& link_;
    std::function<void()> onClicked_;
};

// 0x00BBGGRR to a QColor and back.
QColor ToQColor(doc::ColorRef c);
doc::ColorRef ToColorRef(const QColor& c);

}  // namespace dialogs
