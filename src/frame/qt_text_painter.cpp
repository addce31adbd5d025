#include "frame/qt_text_painter.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace frame {

QtTextPainter::QtTextPainter() {
    // A stand-in for the classic window's system font: bold, a 16-pixel cell.
    font_.setPixelSize(13);
    font_.setBold(true);
    ascent_ = QFontMetrics(font_).ascent();
}

void QtTextPainter::DrawText(std::uint32_t* pixels, int width, int height, int stride, int x, int y,
                             std::string_view text, ports::Color color) {
    if (!pixels || width <= 0 || height <= 0) return;
    QImage image(reinterpret_cast<uchar*>(pixels), width, height, qsizetype(stride) * 4,
                 QImage::Format_RGB32);
    QPainter p(&image);
    p.setFont(font_);
    p.setPen(QColor::fromRgb(QRgb(0xFF000000u | color)));
    p.drawText(x, y + ascent_, QString::fromUtf8(text.data(), qsizetype(text.size())));
}

}  // namespace frame
