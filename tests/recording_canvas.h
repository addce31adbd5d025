// A canvas that writes every call down as one line of text.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "ports/canvas.h"

namespace testing_support {

inline std::string Hex(ports::Color c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06x", unsigned(c));
    return buf;
}

// Lines: "pen solid|dot W RRGGBB", "move X,Y", "line X,Y", "fill L,T,R,B RRGGBB",
// "textcolor RRGGBB", "transparent" / "opaque", "text X,Y TEXT".
class RecordingCanvas : public ports::Canvas {
  public:
    std::vector<std::string> calls;

    ports::Pen SelectPen(const ports::Pen& pen) override {
        calls.push_back(PenText(pen));
        const ports::Pen old = pen_;
        pen_ = pen;
        return old;
    }
    void MoveTo(int x, int y) override { calls.push_back(Pt("move ", x, y)); }
    void LineTo(int x, int y) override { calls.push_back(Pt("line ", x, y)); }
    void FillRect(const ports::Rect& r, ports::Color brush) override {
        calls.push_back("fill " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                        std::to_string(r.right) + "," + std::to_string(r.bottom) + " " +
                        Hex(brush));
    }
    void SetTextColor(ports::Color c) override { calls.push_back("textcolor " + Hex(c)); }
    void SetBackgroundMode(ports::BackgroundMode m) override {
        calls.push_back(m == ports::BackgroundMode::Transparent ? "transparent" : "opaque");
    }
    void TextOut(int x, int y, std::string_view text) override {
        calls.push_back(Pt("text ", x, y) + " " + std::string(text));
    }

    static std::string PenText(const ports::Pen& p) {
        return std::string("pen ") + (p.style == ports::PenStyle::Dot ? "dot " : "solid ") +
               std::to_string(p.width) + " " + Hex(p.color);
    }

  private:
    static std::string Pt(const char* what, int x, int y) {
        return what + std::to_string(x) + "," + std::to_string(y);
    }
    ports::Pen pen_;
};

}  // namespace testing_support
