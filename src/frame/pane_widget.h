// One of the four panes: a Qt widget that hands its events to the core and the core's
// requests (repaint, capture) back to Qt.
#pragma once

#include <QWidget>

#include "ports/pane_host.h"
#include "render/pane3d.h"

namespace frame {

class CPaneWidget : public QWidget, public ports::PaneHost {
    Q_OBJECT
  public:
    CPaneWidget(int row, int column, QWidget* parent = nullptr);

    int Row() const { return row_; }
    int Column() const { return column_; }
    // The 3D pane's core, which renders on paint and follows the size (null: none).
    void SetPane3D(render::C3DPane* pane3d) { pane3d_ = pane3d; }

    ports::Size ClientSize() const override;
    void Invalidate(bool erase) override;
    void SetCapture() override;
    void ReleaseCapture() override;
    bool HasCapture() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int row_;
    int column_;
    render::C3DPane* pane3d_ = nullptr;
};

}  // namespace frame
