// A 2 x 2 splitter whose column boundary is shared by both rows and whose row boundary is
// shared by both columns: dragging the vertical bar moves it for both rows, the horizontal
// bar for both columns, and their crossing moves both.
#pragma once

#include <QWidget>
#include <array>

namespace frame {

class CGridSplitter : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kBar = 7;  // width of a splitter bar in pixels

    explicit CGridSplitter(QWidget* parent = nullptr);

    // Puts a pane at (row, column); the splitter takes ownership.
    void SetPane(int row, int column, QWidget* pane);
    QWidget* Pane(int row, int column) const { return panes_[std::size_t(row * 2 + column)]; }

    // The ideal width of column 0 and height of row 0; the rest goes to column 1 / row 1.
    void SetColumnWidth(int width);
    void SetRowHeight(int height);
    int ColumnWidth() const;
    int RowHeight() const;
    // When on, a resize keeps the share of column 0 and row 0 in the splitter's width and
    // height, so that no pane is cut off; when off, they keep their pixel sizes.
    void KeepProportions(bool on);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void Layout();
    int HitBars(QPoint p) const;  // bit 1: vertical bar, bit 2: horizontal bar

    std::array<QWidget*, 4> panes_{};
    int column0_ = 100;
    int row0_ = 100;
    int dragging_ = 0;
    bool keep_ = false;
    // Shares of column 0 and row 0, taken at the first resize after they were set
    // (negative: to be taken).
    double columnShare_ = -1.0;
    double rowShare_ = -1.0;
};

}  // namespace frame
