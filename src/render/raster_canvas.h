// A canvas that draws into a plain 32-bit pixel buffer (0xAARRGGBB rows, alpha always
// 0xFF) with our own loops, placing pixels as a classic Windows display driver does:
// - LineTo leaves out the last pixel; the pixels in between follow the midpoint rule
//   (ties step away from the start);
// - a 1-pixel dotted pen draws 3 pixels on and 3 off, starting "on" at each MoveTo and
//   running on across joined LineTo calls; with the opaque background mode the gaps are
//   painted white;
// - a pen of width w >= 2 is solid whatever its style, keeps both end pixels (its round
//   caps cover them) and is w pixels thick across its main direction: for w = 2 the line's
//   own pixels and those one pixel above (mostly horizontal lines) or to the left (mostly
//   vertical lines);
// - FillRect leaves out the right column and the bottom row.
// Lines of any length are clipped to the buffer first, with exactly the pixels that the
// unclipped line would put there. Text goes to a TextPainter drawing on the same pixels.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "ports/canvas.h"

namespace render {

constexpr std::uint32_t PixelOf(ports::Color c) {
    return 0xFF000000u | (c & 0xFFFFFFu);
}
constexpr ports::Color kWhite = 0xFFFFFF;

class RasterCanvas final : public ports::Canvas {
  public:
    // `stride` is the row length in pixels (>= width). The buffer is borrowed.
    RasterCanvas(std::uint32_t* pixels, int width, int height, int stride);

    // Where text goes; null (the default) drops text.
    void SetTextPainter(ports::TextPainter* painter) { text_ = painter; }
    // Fills the whole buffer.
    void Clear(ports::Color color);

    ports::Pen SelectPen(const ports::Pen& pen) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void FillRect(const ports::Rect& rect, ports::Color brush) override;
    void SetTextColor(ports::Color color) override { textColor_ = color; }
    void SetBackgroundMode(ports::BackgroundMode mode) override { bkMode_ = mode; }
    void TextOut(int x, int y, std::string_view text) override;

    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    void ThinLine(int x0, int y0, int x1, int y1);
    void WideLine(int x0, int y0, int x1, int y1);

    std::uint32_t* pixels_;
    int width_;
    int height_;
    int stride_;
    ports::TextPainter* text_ = nullptr;
    ports::Pen pen_;
    ports::Point pos_;
    long long stylePos_ = 0;  // pixels of the dotted pattern used since the last MoveTo
    ports::Color textColor_ = 0;
    ports::BackgroundMode bkMode_ = ports::BackgroundMode::Opaque;
};

// A buffer with its canvas, for tests and benchmarks.
class PixelImage {
  public:
    PixelImage(int width, int height, ports::Color fill = kWhite);
    RasterCanvas& Canvas() { return canvas_; }
    std::uint32_t At(int x, int y) const { return pixels_[std::size_t(y) * width_ + x]; }
    ports::Color ColorAt(int x, int y) const { return At(x, y) & 0xFFFFFFu; }
    std::uint32_t* Pixels() { return pixels_.data(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
    RasterCanvas canvas_;
};

}  // namespace render
