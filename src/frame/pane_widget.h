// One of the four panes: a Qt widget that hands its events to the pane's view
// (views::CMdlrView) and the view's requests (repaint, capture) back to Qt. An
// orthographic pane is drawn by the view into the widget's image, the 3D pane by its
// device into its picture; the paint event shows either.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>

#include "doc/session.h"
#include "frame/qt_text_painter.h"
#include "ports/pane_host.h"
#include "render/pane3d.h"
#include "views/mdlr_view.h"

namespace frame {

class CPaneWidget : public QWidget, public ports::PaneHost {
    Q_OBJECT
  public:
    CPaneWidget(doc::Session& session, ports::FrameHost& frame, int row, int column,
                QWidget* parent = nullptr);
    ~CPaneWidget() override;

    int Row() const { return row_; }
    int Column() const { return column_; }
    views::CMdlrView& View() { return *view_; }
    // The orthographic picture as last painted.
    const QImage& Image() const { return image_; }
    // The 3D pane's core, which renders on paint and follows the size (null: none).
    void SetPane3D(render::C3DPane* pane3d);

    ports::Size ClientSize() const override;
    void Invalidate(bool erase) override;
    void SetCapture() override;
    void ReleaseCapture() override;
    bool HasCapture() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    int row_;
    int column_;
    std::unique_ptr<views::CMdlrView> view_;
    QImage image_;
    QtTextPainter text_;
    render::C3DPane* pane3d_ = nullptr;
    bool spaceHeld_ = false;  // Space turns a left drag into a pan
    bool leftPans_ = false;   // the left button went down with Space: it pans
    int wheelRest_ = 0;       // wheel turn short of a notch (high-resolution wheels)
};

}  // namespace frame
