// The pixel rules of the raster canvas, checked on small images drawn by hand.
#include "render/raster_canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

namespace {

using render::PixelImage;

constexpr ports::Color kRed = ports::Rgb(255, 0, 0);
constexpr ports::Color kBlack = 0;
constexpr ports::Color W = render::kWhite;

// The image as rows of '#' (the colour asked for), '.' (white) and '?' (anything else).
std::string Picture(const PixelImage& img, ports::Color ink) {
    std::string s;
    for (int y = 0; y < img.Height(); ++y) {
        for (int x = 0; x < img.Width(); ++x) {
            const ports::Color c = img.ColorAt(x, y);
            s += c == ink ? '#' : c == W ? '.' : '?';
        }
        s += '\n';
    }
    return s;
}

TEST(RasterCanvas, LineToLeavesOutItsLastPixel) {
    PixelImage img(6, 4);
    auto& c = img.Canvas();
    c.MoveTo(1, 0);
    c.LineTo(5, 0);  // x 1..4
    c.MoveTo(0, 1);
    c.LineTo(0, 1);  // zero length: nothing
    c.MoveTo(5, 3);
    c.LineTo(2, 3);  // leftwards: x 5..3
    EXPECT_EQ(Picture(img, kBlack),
              ".####.\n"
              "......\n"
              "......\n"
              "...###\n");
}

TEST(RasterCanvas, SlopedLinesStepAtTheMidpoint) {
    PixelImage img(5, 4);
    auto& c = img.Canvas();
    c.MoveTo(0, 0);
    c.LineTo(4, 2);  // slope 1/2: the tie at x = 1 steps down
    c.MoveTo(4, 3);
    c.LineTo(1, 0);  // 45 degrees up-left, last pixel (1, 0) left out
    EXPECT_EQ(Picture(img, kBlack),
              "#....\n"
              ".##..\n"
              "...#.\n"
              "....#\n");
}

TEST(RasterCanvas, JoinedLinesMeetWithoutGapsOrRepeats) {
    PixelImage img(4, 4);
    auto& c = img.Canvas();
    c.MoveTo(0, 0);
    c.LineTo(3, 0);
    c.LineTo(3, 3);
    c.LineTo(0, 3);
    c.LineTo(0, 0);
    EXPECT_EQ(Picture(img, kBlack),
              "####\n"
              "#..#\n"
              "#..#\n"
              "####\n");
}

TEST(RasterCanvas, FillRectLeavesOutRightColumnAndBottomRow) {
    PixelImage img(8, 6);
    auto& c = img.Canvas();
    // A 2 x 2 corner mark at (2, 2) and a 4 x 4 one at (5, 3), as the panes draw them.
    c.FillRect({2 - 1, 2 - 1, 2 + 1, 2 + 1}, kRed);
    c.FillRect({5 - 2, 3 - 2, 5 + 2, 3 + 2}, kRed);
    c.FillRect({6, 0, 5, 1}, kRed);     // right < left: nothing
    c.FillRect({-3, 5, 100, 9}, kRed);  // clipped to the last row
    EXPECT_EQ(Picture(img, kRed),
              "........\n"
              ".######.\n"
              ".######.\n"
              "...####.\n"
              "...####.\n"
              "########\n");
}

TEST(RasterCanvas, DottedPenDrawsThreeOnThreeOff) {
    PixelImage img(20, 4, kRed);
    auto& c = img.Canvas();
    c.SelectPen({ports::PenStyle::Dot, 1, kBlack});
    // Opaque (the default): the gaps become white.
    c.MoveTo(0, 0);
    c.LineTo(20, 0);
    // The pattern runs on across a joined LineTo and starts again at MoveTo.
    c.MoveTo(0, 1);
    c.LineTo(4, 1);
    c.LineTo(11, 1);
    c.MoveTo(11, 1);
    c.LineTo(17, 1);
    // Transparent: the gaps keep what was there; vertical lines count along y.
    c.SetBackgroundMode(ports::BackgroundMode::Transparent);
    c.MoveTo(0, 2);
    c.LineTo(14, 2);
    c.MoveTo(19, 0);
    c.LineTo(19, 4);
    EXPECT_EQ(Picture(img, kBlack),
              "###...###...###...##\n"
              "###...###..###...??#\n"
              "###???###???##?????#\n"
              "????????????????????\n");
}

TEST(RasterCanvas, WidthTwoPenCoversTheRowAboveOrTheColumnLeft) {
    PixelImage img(10, 8);
    auto& c = img.Canvas();
    c.SelectPen({ports::PenStyle::Dot, 2, kRed});  // wide pens are solid
    c.MoveTo(2, 2);
    c.LineTo(7, 2);  // rows 1 and 2, both ends kept
    c.MoveTo(1, 4);
    c.LineTo(1, 7);  // columns 0 and 1
    c.MoveTo(5, 5);
    c.LineTo(5, 5);  // a dot
    EXPECT_EQ(Picture(img, kRed),
              "..........\n"
              "..######..\n"
              "..######..\n"
              "..........\n"
              "##...#....\n"
              "##...#....\n"
              "##........\n"
              "##........\n");
}

TEST(RasterCanvas, WidthTwoBandIsAClosedFrame) {
    PixelImage img(9, 8);
    auto& c = img.Canvas();
    c.SelectPen({ports::PenStyle::Solid, 2, kRed});
    // The rubber band from (2, 2) to (6, 5): left side, bottom, right side, top.
    c.MoveTo(2, 2);
    c.LineTo(2, 5);
    c.LineTo(6, 5);
    c.LineTo(6, 2);
    c.LineTo(2, 2);
    EXPECT_EQ(Picture(img, kRed),
              ".........\n"
              "..#####..\n"
              ".######..\n"
              ".##..##..\n"
              ".######..\n"
              ".######..\n"
              ".........\n"
              ".........\n");
}

TEST(RasterCanvas, TextGoesToThePainterWithItsColour) {
    struct Painter : ports::TextPainter {
        std::string got;
        void DrawText(std::uint32_t* pixels, int width, int height, int stride, int x, int y,
                      std::string_view text, ports::Color color) override {
            got = std::to_string(width) + "x" + std::to_string(height) + "/" +
                  std::to_string(stride) + " " + std::to_string(x) + "," + std::to_string(y) + " " +
                  std::string(text) + " " + std::to_string(color);
            pixels[0] = 0;  // draws on the canvas's own pixels
        }
    } painter;
    PixelImage img(7, 3);
    img.Canvas().TextOut(1, 2, "none");  // no painter: dropped
    img.Canvas().SetTextPainter(&painter);
    img.Canvas().SetTextColor(0x808080);
    img.Canvas().TextOut(-4, 2, "+X");
    EXPECT_EQ(painter.got, "7x3/7 -4,2 +X 8421504");
    EXPECT_EQ(img.At(0, 0), 0u);
}

// Clipping keeps exactly the pixels the whole line would put in the window: lines drawn on
// a small window are compared with the same lines, moved, on a big image that holds them
// whole.
TEST(RasterCanvas, ClippedLinesKeepTheirPixels) {
    constexpr int kBigW = 1400, kBigH = 1100, kOx = 600, kOy = 500, kW = 41, kH = 29;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> bx(-kOx, kBigW - kOx - 1), by(-kOy, kBigH - kOy - 1);
    for (int style = 0; style < 3; ++style) {
        PixelImage small(kW, kH);
        PixelImage big(kBigW, kBigH);
        const ports::Pen pen{style == 1 ? ports::PenStyle::Dot : ports::PenStyle::Solid,
                             style == 2 ? 2 : 1, kBlack};
        small.Canvas().SelectPen(pen);
        big.Canvas().SelectPen(pen);
        for (int i = 0; i < 300; ++i) {
            const int x0 = bx(rng), y0 = by(rng), x1 = bx(rng), y1 = by(rng);
            small.Canvas().MoveTo(x0, y0);
            small.Canvas().LineTo(x1, y1);
            big.Canvas().MoveTo(x0 + kOx, y0 + kOy);
            big.Canvas().LineTo(x1 + kOx, y1 + kOy);
        }
        int mismatches = 0, inked = 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                mismatches += small.At(x, y) != big.At(x + kOx, y + kOy);
                inked += small.ColorAt(x, y) == kBlack;
            }
        }
        EXPECT_EQ(mismatches, 0) << "pen style " << style;
        EXPECT_GT(inked, 50) << "pen style " << style;  // the lines did cross the window
    }
}

TEST(RasterCanvas, LinesFromTheEndsOfTheIntRangeStayDefined) {
    PixelImage img(5, 5);
    auto& c = img.Canvas();
    c.MoveTo(INT_MIN, INT_MIN);
    c.LineTo(INT_MAX, INT_MAX);  // the diagonal through (0, 0)
    c.MoveTo(INT_MAX, 4);
    c.LineTo(INT_MIN, 4);  // the bottom row
    c.MoveTo(INT_MAX, INT_MIN);
    c.LineTo(INT_MAX, INT_MAX);  // far right: nothing
    EXPECT_EQ(Picture(img, kBlack),
              "#....\n"
              ".#...\n"
              "..#..\n"
              "...#.\n"
              "#####\n");
}

}  // namespace
