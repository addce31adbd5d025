#include "frame/pane_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "render/raster_canvas.h"

namespace frame {

CPaneWidget::CPaneWidget(doc::Session& session, ports::FrameHost& frame, int row, int column,
                         QWidget* parent)
    : QWidget(parent),
      row_(row),
      column_(column),
      view_(std::make_unique<views::CMdlrView>(session, frame, *this, row, column)) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
}

CPaneWidget::~CPaneWidget() = default;

ports::Size CPaneWidget::ClientSize() const {
    return {width(), height()};
}

// The whole pane is drawn at every paint, so erasing first changes nothing.
void CPaneWidget::Invalidate(bool /*erase*/) {
    update();
}

void CPaneWidget::SetCapture() {
    grabMouse();
}

void CPaneWidget::ReleaseCapture() {
    if (QWidget::mouseGrabber() == this) releaseMouse();
}

bool CPaneWidget::HasCapture() const {
    return QWidget::mouseGrabber() == this;
}

void CPaneWidget::SetPane3D(render::C3DPane* pane3d) {
    pane3d_ = pane3d;
    view_->m_p3D = pane3d;
}

void CPaneWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!view_->IsOrthographic()) {
        render::RasterCanvas none(nullptr, 0, 0, 0);  // the device draws into its own picture
        view_->OnDraw(none);
        if (const render::ColorSurface* picture = pane3d_ ? pane3d_->Picture() : nullptr) {
            // The picture's pixels are 0x00RRGGBB, which the 32-bit RGB format shows opaque.
            const QImage image(reinterpret_cast<const uchar*>(picture->pixels.data()),
                               picture->width, picture->height, picture->width * 4,
                               QImage::Format_RGB32);
            p.drawImage(0, 0, image);
        } else {
            p.fillRect(rect(), Qt::black);
        }
        return;
    }
    if (image_.size() != size()) image_ = QImage(size(), QImage::Format_RGB32);
    render::RasterCanvas canvas(reinterpret_cast<std::uint32_t*>(image_.bits()), image_.width(),
                                image_.height(), int(image_.bytesPerLine() / 4));
    canvas.SetTextPainter(&text_);
    canvas.Clear(render::kWhite);
    view_->OnDraw(canvas);
    p.drawImage(0, 0, image_);
}

void CPaneWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        view_->OnLButtonDown(at.x(), at.y());
    } else if (event->button() == Qt::RightButton) {
        view_->OnRButtonDown(at.x(), at.y());
    }
}

void CPaneWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        view_->OnLButtonUp(at.x(), at.y());
    } else if (event->button() == Qt::RightButton) {
        view_->OnRButtonUp(at.x(), at.y());
    }
}

// Qt sends this in place of the second press. The right button clears the selection; the
// left one does nothing, as the view has no left double-click handler.
void CPaneWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        const QPoint at = event->position().toPoint();
        view_->OnRButtonDblClk(at.x(), at.y());
    }
}

void CPaneWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const Qt::MouseButtons held = event->buttons();
    view_->OnMouseMove(at.x(), at.y(),
                       {held.testFlag(Qt::LeftButton), held.testFlag(Qt::RightButton)});
}

void CPaneWidget::keyPressEvent(QKeyEvent* event) {
    int code = 0;
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        code = views::KEY_RETURN;
    } else if (key == Qt::Key_Escape) {
        code = views::KEY_ESCAPE;
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        code = key;  // the capital letter's code
    }
    if (code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    view_->OnKeyDown(code);
}

void CPaneWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    view_->OnSize(width(), height());
}

// A dialog, another window or a menu took the focus: a drag in progress ends here, since
// its release will not come to this pane.
void CPaneWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    view_->OnKillFocus();
}

}  // namespace frame
