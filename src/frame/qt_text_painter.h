// Text for the raster canvas: Qt draws each label straight onto the canvas's pixels, with
// the cell's top-left corner at the given point, in the order the canvas receives it.
#pragma once

#include <QFont>

#include "ports/canvas.h"

namespace frame {

class QtTextPainter : public ports::TextPainter {
  public:
    QtTextPainter();
    void DrawText(std::uint32_t* pixels, int width, int height, int stride, int x, int y,
                  std::string_view text, ports::Color color) override;
    const QFont& Font() const { return font_; }

  private:
    QFont font_;
    int ascent_ = 0;
};

}  // namespace frame
