#include "frame/pane_widget.h"

#include <QPainter>

namespace frame {

CPaneWidget::CPaneWidget(int row, int column, QWidget* parent)
    : QWidget(parent), row_(row), column_(column) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
}

ports::Size CPaneWidget::ClientSize() const {
    return {width(), height()};
}

void CPaneWidget::Invalidate(bool /*erase*/) {
    update();
}

void CPaneWidget::SetCapture() {
    grabMouse();
}

void CPaneWidget::ReleaseCapture() {
    releaseMouse();
}

bool CPaneWidget::HasCapture() const {
    return QWidget::mouseGrabber() == this;
}

void CPaneWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The 3D pane clears to black, the orthographic panes to white.
    p.fillRect(rect(), (row_ == 0 && column_ == 1) ? Qt::black : Qt::white);
}

}  // namespace frame
