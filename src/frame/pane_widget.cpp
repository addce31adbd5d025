#include "frame/pane_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

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
    view_->pane3d = pane3d;
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
    if (event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && spaceHeld_ && view_->IsOrthographic())) {
        leftPans_ = event->button() == Qt::LeftButton;
        view_->OnMButtonDown(at.x(), at.y());
    } else if (event->button() == Qt::LeftButton) {
        view_->OnLButtonDown(at.x(), at.y());
    } else if (event->button() == Qt::RightButton) {
        view_->OnRButtonDown(at.x(), at.y());
    }
}

void CPaneWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && leftPans_)) {
        if (event->button() == Qt::LeftButton) leftPans_ = false;
        view_->OnMButtonUp(at.x(), at.y());
    } else if (event->button() == Qt::LeftButton) {
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
    const bool left = held.testFlag(Qt::LeftButton);
    view_->OnMouseMove(at.x(), at.y(),
                       {left && !leftPans_, held.testFlag(Qt::RightButton),
                        held.testFlag(Qt::MiddleButton) || (left && leftPans_)});
}

void CPaneWidget::wheelEvent(QWheelEvent* event) {
    // One notch is 120 eighths of a degree; finer wheels add up to whole notches.
    wheelRest_ += event->angleDelta().y();
    const int notches = wheelRest_ / 120;
    wheelRest_ -= notches * 120;
    if (notches != 0) {
        const QPoint at = event->position().toPoint();
        view_->OnMouseWheel(at.x(), at.y(), notches);
    }
    event->accept();
}

void CPaneWidget::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) spaceHeld_ = false;
    QWidget::keyReleaseEvent(event);
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
    } else if (key == Qt::Key_Space) {
        spaceHeld_ = true;  // held with a left drag, it pans
        return;
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
    spaceHeld_ = false;
    leftPans_ = false;
    view_->OnKillFocus();
}

}  // namespace frame
