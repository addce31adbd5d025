#include "rm/polygon.h"

#include <algorithm>
#include <cmath>

namespace rm {

namespace {

struct Point {
    double x = 0.0;
    double y = 0.0;
};

bool operator==(const Point& a, const Point& b) {
    return a.x == b.x && a.y == b.y;
}

// Twice the signed area of (a, b, c): positive when they turn left.
double Turn(const Point& a, const Point& b, const Point& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Inside the triangle or on its edges (the triangle turns left).
bool InTriangle(const Point& p, const Point& a, const Point& b, const Point& c) {
    return Turn(a, b, p) >= 0.0 && Turn(b, c, p) >= 0.0 && Turn(c, a, p) >= 0.0;
}

// The corners projected onto the coordinate plane most parallel to the polygon (Newell's
// normal decides), mirrored when needed so that the outline runs counter-clockwise.
// False when the polygon has no area (its corners lie on one line or one point).
bool Project(std::span<const Vector> corners, std::vector<Point>& out) {
    double nx = 0.0, ny = 0.0, nz = 0.0;
    const std::size_t n = corners.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Vector& a = corners[i];
        const Vector& b = corners[(i + 1) % n];
        nx += (double(a.y) - b.y) * (double(a.z) + b.z);
        ny += (double(a.z) - b.z) * (double(a.x) + b.x);
        nz += (double(a.x) - b.x) * (double(a.y) + b.y);
    }
    const double ax = std::fabs(nx), ay = std::fabs(ny), az = std::fabs(nz);
    if (!(ax > 0.0 || ay > 0.0 || az > 0.0) || !std::isfinite(ax + ay + az)) return false;
    out.resize(n);
    // Looking down the dominant axis: (y, z) for x, (z, x) for y, (x, y) for z keep the
    // outline counter-clockwise when that normal component is positive.
    for (std::size_t i = 0; i < n; ++i) {
        const Vector& c = corners[i];
        if (ax >= ay && ax >= az) {
            out[i] = nx > 0 ? Point{c.y, c.z} : Point{c.z, c.y};
        } else if (ay >= az) {
            out[i] = ny > 0 ? Point{c.z, c.x} : Point{c.x, c.z};
        } else {
            out[i] = nz > 0 ? Point{c.x, c.y} : Point{c.y, c.x};
        }
    }
    return true;
}

// Ear clipping on a ring of corners with cached convexity.
class Clipper {
  public:
    Clipper(const std::vector<Point>& points, std::vector<Triangle>& out)
        : p_(points), out_(out), n_(points.size()), next_(n_), prev_(n_), convex_(n_) {
        for (std::size_t i = 0; i < n_; ++i) {
            next_[i] = std::uint32_t((i + 1) % n_);
            prev_[i] = std::uint32_t((i + n_ - 1) % n_);
        }
        for (std::uint32_t i = 0; i < n_; ++i) Classify(i);
        // Enough for any outline that can be clipped in a few passes; a hostile one stops
        // there and is finished as a fan.
        const double n = double(n_);
        budget_ = static_cast<long long>(std::min(32.0 * n * n + 1024.0, double(1 << 24)));
    }

    void Run() {
        std::uint32_t i = 0;
        std::size_t remaining = n_;
        std::size_t sinceClip = 0;
        while (remaining > 3 && budget_ > 0) {
            --budget_;
            if (sinceClip >= remaining) {
                // A full round without an ear: clip a corner on a straight line (a triangle
                // without area keeps the outline), else give up.
                std::uint32_t flat = i;
                bool found = false;
                for (std::size_t k = 0; k < remaining; ++k, flat = next_[flat]) {
                    --budget_;
                    if (Turn(p_[prev_[flat]], p_[flat], p_[next_[flat]]) == 0.0) {
                        found = true;
                        break;
                    }
                }
                if (!found) break;
                i = Clip(flat);
                --remaining;
                sinceClip = 0;
                continue;
            }
            if (IsEar(i)) {
                i = Clip(i);
                --remaining;
                sinceClip = 0;
            } else {
                i = next_[i];
                ++sinceClip;
            }
        }
        // The rest (a triangle, or an outline that cannot be clipped) as a fan.
        const std::uint32_t first = i;
        for (std::uint32_t a = next_[first]; next_[a] != first; a = next_[a]) {
            out_.push_back({first, a, next_[a]});
        }
    }

  private:
    void Classify(std::uint32_t i) {
        const bool convex = Turn(p_[prev_[i]], p_[i], p_[next_[i]]) > 0.0;
        if (!convex && convex_[i] != 2) reflex_.push_back(i);  // listed once while not convex
        convex_[i] = convex ? 1 : 2;
    }

    bool IsEar(std::uint32_t i) {
        if (convex_[i] != 1) return false;
        const std::uint32_t a = prev_[i], c = next_[i];
        const Point &pa = p_[a], &pb = p_[i], &pc = p_[c];
        // Only corners that do not turn left can lie inside an ear of a simple outline.
        for (std::size_t k = 0; k < reflex_.size();) {
            const std::uint32_t r = reflex_[k];
            if (convex_[r] != 2) {  // clipped or turned convex: drop it from the list
                reflex_[k] = reflex_.back();
                reflex_.pop_back();
                continue;
            }
            ++k;
            --budget_;
            if (r == a || r == c) continue;
            const Point& q = p_[r];
            // A corner at the same place as one of the ear's (the two ends of a keyhole's
            // doubled edge) does not block it.
            if (q == pa || q == pb || q == pc) continue;
            if (InTriangle(q, pa, pb, pc)) return false;
        }
        return true;
    }

    // Cuts off corner i; returns the corner to look at next.
    std::uint32_t Clip(std::uint32_t i) {
        const std::uint32_t a = prev_[i], c = next_[i];
        out_.push_back({a, i, c});
        next_[a] = c;
        prev_[c] = a;
        convex_[i] = 0;
        Classify(a);
        Classify(c);
        return a;
    }

    const std::vector<Point>& p_;
    std::vector<Triangle>& out_;
    std::size_t n_;
    std::vector<std::uint32_t> next_, prev_;
    std::vector<std::uint8_t> convex_;  // 0 clipped, 1 turns left, 2 does not
    std::vector<std::uint32_t> reflex_;
    long long budget_ = 0;
};

}  // namespace

void SplitPolygon(std::span<const Vector> corners, std::vector<Triangle>& out) {
    out.clear();
    const std::size_t n = corners.size();
    if (n < 3) return;
    out.reserve(n - 2);
    std::vector<Point> points;
    if (n == 3 || !Project(corners, points)) {
        for (std::uint32_t k = 1; k + 1 < n; ++k) out.push_back({0, k, k + 1});
        return;
    }
    Clipper(points, out).Run();
}

}  // namespace rm
