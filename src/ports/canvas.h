// The 2-D drawing surface of an orthographic pane: pens, lines, filled rectangles and
// text, with the pixel rules of the classic Windows device context (a line leaves out its
// last pixel, a filled rectangle its right and bottom edge, text hangs from its top-left
// corner). The core draws into a pixel buffer through it; tests record the calls.
#pragma once

#include <cstdint>
#include <string_view>

namespace ports {

// 0x00RRGGBB.
using Color = std::uint32_t;
constexpr Color Rgb(int red, int green, int blue) {
    return (Color(red & 0xFF) << 16) | (Color(green & 0xFF) << 8) | Color(blue & 0xFF);
}

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Client pixels; `right` and `bottom` lie outside the rectangle when it is filled.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class PenStyle { Solid, Dot };

struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    Color color = 0;  // black
    friend bool operator==(const Pen&, const Pen&) = default;
};

// Whether the gaps of a dotted line are painted with the background colour, white
// (Opaque, the default), or left as they are. Text never paints its background.
enum class BackgroundMode { Opaque, Transparent };

class Canvas {
  public:
    virtual ~Canvas() = default;
    // Makes `pen` the current pen and returns the one that was current. A fresh canvas
    // has the 1-pixel solid black pen.
    virtual Pen SelectPen(const Pen& pen) = 0;
    virtual void MoveTo(int x, int y) = 0;
    // A line from the current position to (x, y) with the current pen, without the pixel
    // at (x, y) itself; (x, y) becomes the current position.
    virtual void LineTo(int x, int y) = 0;
    // Fills left <= x < right, top <= y < bottom.
    virtual void FillRect(const Rect& rect, Color brush) = 0;
    virtual void SetTextColor(Color color) = 0;
    virtual void SetBackgroundMode(BackgroundMode mode) = 0;
    // Text with its cell's top-left corner at (x, y), in the surface's default font.
    virtual void TextOut(int x, int y, std::string_view text) = 0;
};

// Draws text onto the pixels of a raster canvas (the shell lends its font renderer).
class TextPainter {
  public:
    virtual ~TextPainter() = default;
    // `pixels` are 0xAARRGGBB rows of `stride` pixels; text cell top-left at (x, y).
    virtual void DrawText(std::uint32_t* pixels, int width, int height, int stride, int x, int y,
                          std::string_view text, Color color) = 0;
};

}  // namespace ports
