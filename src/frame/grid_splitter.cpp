#include "frame/grid_splitter.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace frame {

CGridSplitter::CGridSplitter(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
}

void CGridSplitter::SetPane(int row, int column, QWidget* pane) {
    pane->setParent(this);
    panes_[std::size_t(row * 2 + column)] = pane;
    Layout();
}

void CGridSplitter::SetColumnWidth(int w) {
    column0_ = std::max(0, w);
    columnShare_ = -1.0;
    Layout();
}
void CGridSplitter::SetRowHeight(int h) {
    row0_ = std::max(0, h);
    rowShare_ = -1.0;
    Layout();
}

void CGridSplitter::KeepProportions(bool on) {
    keep_ = on;
    columnShare_ = rowShare_ = -1.0;
}

int CGridSplitter::ColumnWidth() const {
    return std::clamp(column0_, 0, std::max(0, width() - kBar));
}
int CGridSplitter::RowHeight() const {
    return std::clamp(row0_, 0, std::max(0, height() - kBar));
}

void CGridSplitter::Layout() {
    const int cw = ColumnWidth();
    const int rh = RowHeight();
    const int x1 = cw + kBar;
    const int y1 = rh + kBar;
    const QRect cells[4] = {QRect(0, 0, cw, rh), QRect(x1, 0, width() - x1, rh),
                            QRect(0, y1, cw, height() - y1),
                            QRect(x1, y1, width() - x1, height() - y1)};
    for (std::size_t i = 0; i < 4; ++i) {
        if (panes_[i]) panes_[i]->setGeometry(cells[i]);
    }
}

int CGridSplitter::HitBars(QPoint p) const {
    int hit = 0;
    if (p.x() >= ColumnWidth() && p.x() < ColumnWidth() + kBar) hit |= 1;
    if (p.y() >= RowHeight() && p.y() < RowHeight() + kBar) hit |= 2;
    return hit;
}

void CGridSplitter::resizeEvent(QResizeEvent* event) {
    const QSize old = event->oldSize();
    if (keep_ && old.width() > kBar && old.height() > kBar) {
        // The shares are taken against the size the boundaries were set at, once, so that
        // many resizes do not drift.
        if (columnShare_ < 0.0) {
            columnShare_ = std::clamp(column0_, 0, old.width() - kBar) / double(old.width() - kBar);
        }
        if (rowShare_ < 0.0) {
            rowShare_ = std::clamp(row0_, 0, old.height() - kBar) / double(old.height() - kBar);
        }
        column0_ = int(std::lround(columnShare_ * std::max(0, width() - kBar)));
        row0_ = int(std::lround(rowShare_ * std::max(0, height() - kBar)));
    }
    Layout();
}

void CGridSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = HitBars(event->position().toPoint());
}

void CGridSplitter::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (dragging_ == 0) {
        const int hit = HitBars(p);
        setCursor(hit == 3   ? Qt::SizeAllCursor
                  : hit == 1 ? Qt::SplitHCursor
                  : hit == 2 ? Qt::SplitVCursor
                             : Qt::ArrowCursor);
        return;
    }
    if (dragging_ & 1) {
        column0_ = std::clamp(p.x() - kBar / 2, 0, std::max(0, width() - kBar));
        columnShare_ = -1.0;
    }
    if (dragging_ & 2) {
        row0_ = std::clamp(p.y() - kBar / 2, 0, std::max(0, height() - kBar));
        rowShare_ = -1.0;
    }
    Layout();
}

void CGridSplitter::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = 0;
}

}  // namespace frame
