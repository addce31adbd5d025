#include "render/raster_canvas.h"

#include <algorithm>

namespace render {

namespace {

// Products of two pixel distances need more than 64 bits when a coordinate lies near the
// int range's ends.
__extension__ typedef __int128 Wide;

constexpr int kDotOn = 3;   // pixels drawn ...
constexpr int kDotOff = 3;  // ... and left out, in turn, by a 1-pixel dotted pen
constexpr int kDotPeriod = kDotOn + kDotOff;

// A line from (x0, y0) to (x1, y1) as a walk along its main axis: pixel i (0 <= i <= n,
// n = the longer of |dx| and |dy|) lies at major = m0 + sm * i and minor = n0 + sn * q(i)
// with q(i) = floor((2 i dmin + dmaj) / (2 dmaj)), the midpoint rule with ties stepping
// away from the start.
struct LineWalk {
    bool xMajor = true;
    long long m0 = 0, n0 = 0;
    int sm = 1, sn = 1;
    long long dmaj = 0, dmin = 0;
};

LineWalk MakeWalk(int x0, int y0, int x1, int y1) {
    const long long dx = static_cast<long long>(x1) - x0;
    const long long dy = static_cast<long long>(y1) - y0;
    const long long adx = dx < 0 ? -dx : dx;
    const long long ady = dy < 0 ? -dy : dy;
    LineWalk w;
    w.xMajor = adx >= ady;
    if (w.xMajor) {
        w.m0 = x0, w.n0 = y0, w.sm = dx < 0 ? -1 : 1, w.sn = dy < 0 ? -1 : 1;
        w.dmaj = adx, w.dmin = ady;
    } else {
        w.m0 = y0, w.n0 = x0, w.sm = dy < 0 ? -1 : 1, w.sn = dx < 0 ? -1 : 1;
        w.dmaj = ady, w.dmin = adx;
    }
    return w;
}

Wide CeilDiv(Wide a, Wide b) {
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

struct Range {
    long long first;
    long long last;
    bool Empty() const { return first > last; }
};

// The steps i in [0, last] whose pixel lies in x in [xlo, xhi], y in [ylo, yhi].
Range VisibleSteps(const LineWalk& w, long long last, long long xlo, long long xhi, long long ylo,
                   long long yhi) {
    const long long mlo = w.xMajor ? xlo : ylo, mhi = w.xMajor ? xhi : yhi;
    const long long nlo = w.xMajor ? ylo : xlo, nhi = w.xMajor ? yhi : xhi;
    Wide first = 0, lastStep = last;
    if (w.sm > 0) {
        first = std::max<Wide>(first, Wide(mlo) - w.m0);
        lastStep = std::min<Wide>(lastStep, Wide(mhi) - w.m0);
    } else {
        first = std::max<Wide>(first, Wide(w.m0) - mhi);
        lastStep = std::min<Wide>(lastStep, Wide(w.m0) - mlo);
    }
    // The minor offsets q that fall inside, then the steps that give them (q grows with i).
    const Wide qlo = w.sn > 0 ? Wide(nlo) - w.n0 : Wide(w.n0) - nhi;
    const Wide qhi = w.sn > 0 ? Wide(nhi) - w.n0 : Wide(w.n0) - nlo;
    if (qhi < 0) return {1, 0};
    if (w.dmin == 0) {
        if (qlo > 0) return {1, 0};
    } else {
        const Wide den = Wide(2) * w.dmin;
        if (qlo > 0) first = std::max(first, CeilDiv((2 * qlo - 1) * w.dmaj, den));
        lastStep = std::min(lastStep, CeilDiv((2 * qhi + 1) * w.dmaj, den) - 1);
    }
    if (first > lastStep) return {1, 0};
    return {static_cast<long long>(first), static_cast<long long>(lastStep)};
}

// Where step `i` puts its pixel, and the midpoint remainder there.
struct StepState {
    long long major;
    long long minor;
    long long rem;  // (2 i dmin + dmaj) mod (2 dmaj)
};

StepState StateAt(const LineWalk& w, long long i) {
    const Wide num = Wide(2) * i * w.dmin + w.dmaj;
    const Wide den = Wide(2) * w.dmaj;
    const auto q = static_cast<long long>(num / den);
    return {w.m0 + w.sm * i, w.n0 + w.sn * q, static_cast<long long>(num % den)};
}

}  // namespace

RasterCanvas::RasterCanvas(std::uint32_t* pixels, int width, int height, int stride)
    : pixels_(pixels),
      width_(std::max(0, width)),
      height_(std::max(0, height)),
      stride_(std::max(stride, width_)) {}

void RasterCanvas::Clear(ports::Color color) {
    const std::uint32_t px = PixelOf(color);
    for (int y = 0; y < height_; ++y) std::fill_n(pixels_ + std::size_t(y) * stride_, width_, px);
}

ports::Pen RasterCanvas::SelectPen(const ports::Pen& pen) {
    const ports::Pen old = pen_;
    pen_ = pen;
    return old;
}

void RasterCanvas::MoveTo(int x, int y) {
    pos_ = {x, y};
    stylePos_ = 0;
}

void RasterCanvas::LineTo(int x, int y) {
    if (pen_.width >= 2) {
        WideLine(pos_.x, pos_.y, x, y);
    } else {
        ThinLine(pos_.x, pos_.y, x, y);
    }
    pos_ = {x, y};
}

void RasterCanvas::ThinLine(int x0, int y0, int x1, int y1) {
    const LineWalk w = MakeWalk(x0, y0, x1, y1);
    const long long styleStart = stylePos_;
    stylePos_ += w.dmaj;
    if (w.dmaj == 0 || width_ == 0 || height_ == 0) return;
    // Most lines lie inside: they start at their first pixel and need no clipping.
    const bool inside = x0 >= 0 && x0 < width_ && y0 >= 0 && y0 < height_ && x1 >= 0 &&
                        x1 < width_ && y1 >= 0 && y1 < height_;
    const Range r =
        inside ? Range{0, w.dmaj - 1} : VisibleSteps(w, w.dmaj - 1, 0, width_ - 1, 0, height_ - 1);
    if (r.Empty()) return;

    const StepState s = inside ? StepState{w.m0, w.n0, w.dmaj} : StateAt(w, r.first);
    const long long x = w.xMajor ? s.major : s.minor;
    const long long y = w.xMajor ? s.minor : s.major;
    std::uint32_t* p = pixels_ + y * stride_ + x;
    const std::ptrdiff_t majorStep = w.xMajor ? w.sm : std::ptrdiff_t(w.sm) * stride_;
    const std::ptrdiff_t minorStep = w.xMajor ? std::ptrdiff_t(w.sn) * stride_ : w.sn;
    const long long twoMin = 2 * w.dmin, twoMaj = 2 * w.dmaj;
    long long rem = s.rem;
    long long count = r.last - r.first + 1;

    const std::uint32_t ink = PixelOf(pen_.color);
    if (pen_.style == ports::PenStyle::Solid) {
        for (; count > 0; --count) {
            *p = ink;
            p += majorStep;
            rem += twoMin;
            if (rem >= twoMaj) rem -= twoMaj, p += minorStep;
        }
        return;
    }
    const bool opaque = bkMode_ == ports::BackgroundMode::Opaque;
    const std::uint32_t gap = PixelOf(kWhite);
    int phase = static_cast<int>((styleStart + r.first) % kDotPeriod);
    for (; count > 0; --count) {
        if (phase < kDotOn) {
            *p = ink;
        } else if (opaque) {
            *p = gap;
        }
        if (++phase == kDotPeriod) phase = 0;
        p += majorStep;
        rem += twoMin;
        if (rem >= twoMaj) rem -= twoMaj, p += minorStep;
    }
}

void RasterCanvas::WideLine(int x0, int y0, int x1, int y1) {
    const LineWalk w = MakeWalk(x0, y0, x1, y1);
    stylePos_ += w.dmaj;
    if (width_ == 0 || height_ == 0) return;
    const int thick = pen_.width;
    const int lo = -(thick / 2);  // offsets lo .. lo + thick - 1 across the main direction
    const std::uint32_t ink = PixelOf(pen_.color);
    auto put = [&](long long major, long long minor) {
        for (int o = lo; o < lo + thick; ++o) {
            const long long x = w.xMajor ? major : minor + o;
            const long long y = w.xMajor ? minor + o : major;
            if (x >= 0 && x < width_ && y >= 0 && y < height_) pixels_[y * stride_ + x] = ink;
        }
    };
    if (w.dmaj == 0) {
        put(w.m0, w.n0);
        return;
    }
    const Range r =
        VisibleSteps(w, w.dmaj, -thick, width_ - 1 + thick, -thick, height_ - 1 + thick);
    if (r.Empty()) return;
    StepState s = StateAt(w, r.first);
    const long long twoMin = 2 * w.dmin, twoMaj = 2 * w.dmaj;
    for (long long i = r.first; i <= r.last; ++i) {
        put(s.major, s.minor);
        s.major += w.sm;
        s.rem += twoMin;
        if (s.rem >= twoMaj) s.rem -= twoMaj, s.minor += w.sn;
    }
}

void RasterCanvas::FillRect(const ports::Rect& rect, ports::Color brush) {
    const std::uint32_t px = PixelOf(brush);
    if (rect.left >= 0 && rect.top >= 0 && rect.right <= width_ && rect.bottom <= height_) {
        // Inside, as nearly every corner mark is.
        for (int y = rect.top; y < rect.bottom; ++y) {
            std::uint32_t* row = pixels_ + std::size_t(y) * stride_;
            for (int x = rect.left; x < rect.right; ++x) row[x] = px;
        }
        return;
    }
    const int left = std::max(rect.left, 0), right = std::min(rect.right, width_);
    const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, height_);
    if (left >= right || top >= bottom) return;
    for (int y = top; y < bottom; ++y) {
        std::fill(pixels_ + std::size_t(y) * stride_ + left,
                  pixels_ + std::size_t(y) * stride_ + right, px);
    }
}

void RasterCanvas::TextOut(int x, int y, std::string_view text) {
    if (text_) text_->DrawText(pixels_, width_, height_, stride_, x, y, text, textColor_);
}

PixelImage::PixelImage(int width, int height, ports::Color fill)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      pixels_(std::size_t(width_) * std::size_t(height_), PixelOf(fill)),
      canvas_(pixels_.data(), width_, height_, width_) {}

}  // namespace render
