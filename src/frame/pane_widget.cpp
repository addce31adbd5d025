#include "frame/pane_widget.h"

#include <QImage>
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

void CPaneWidget::resizeEvent(QResizeEvent*) {
    if (pane3d_) pane3d_->OnSize();
}

void CPaneWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (pane3d_) {
        pane3d_->OnDraw();
        if (const render::ColorSurface* picture = pane3d_->Picture()) {
            // The picture's pixels are 0x00RRGGBB, which the 32-bit RGB format shows opaque.
            const QImage image(reinterpret_cast<const uchar*>(picture->pixels.data()),
                               picture->width, picture->height, picture->width * 4,
                               QImage::Format_RGB32);
            p.drawImage(0, 0, image);
            return;
        }
    }
    // The 3D pane clears to black, the orthographic panes to white.
    p.fillRect(rect(), (row_ == 0 && column_ == 1) ? Qt::black : Qt::white);
}

}  // namespace frame
