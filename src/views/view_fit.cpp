#include "views/view_fit.h"

#include <algorithm>
#include <cmath>

#include "views/mdlr_view.h"

namespace views {

namespace {

bool Finite(const rm::Vector& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool Usable(ports::Size s) {
    return s.width > 0 && s.height > 0;
}

struct OrthoPane {
    render::PaneRole role;
    ports::Size size;
};

}  // namespace

rm::Vector ModelBounds::Centre() const {
    return {min.x * 0.5f + max.x * 0.5f, min.y * 0.5f + max.y * 0.5f, min.z * 0.5f + max.z * 0.5f};
}

rm::Vector ModelBounds::Extent() const {
    return {max.x - min.x, max.y - min.y, max.z - min.z};
}

ModelBounds CornerBounds(const model::FaceTable& table, bool selectedOnly) {
    ModelBounds b;
    const int faces = std::clamp(table.faceCount, 0, model::MAX_FACES);
    for (int f = 0; f < faces; ++f) {
        const int n = std::clamp(table.vertexCount[f], 0, model::MAX_FACE_VERTICES);
        for (int k = 0; k < n; ++k) {
            if (selectedOnly && table.selected[f][k] == 0) continue;
            const rm::Vector& p = table.position[f][k];
            if (!Finite(p)) continue;
            if (b.points++ == 0) {
                b.min = b.max = p;
                continue;
            }
            b.min = {std::min(b.min.x, p.x), std::min(b.min.y, p.y), std::min(b.min.z, p.z)};
            b.max = {std::max(b.max.x, p.x), std::max(b.max.y, p.y), std::max(b.max.z, p.z)};
        }
    }
    return b;
}

ViewFit FitView(const ModelBounds& bounds, const PaneSizes& panes, float currentViewScale,
                float currentFrameScale, float field) {
    ViewFit fit{currentViewScale, {}, currentFrameScale};
    if (bounds.empty()) return fit;
    fit.centre = bounds.Centre();
    const rm::Vector e = bounds.Extent();

    // The orthographic zoom: the tightest of each pane's two axes.
    const OrthoPane ortho[3] = {{render::PaneRole::Top, panes.top},
                                {render::PaneRole::Front, panes.front},
                                {render::PaneRole::Side, panes.side}};
    double scale = INFINITY;
    for (const OrthoPane& p : ortho) {
        if (!Usable(p.size)) continue;
        const render::PlanePoint extent = render::PlaneOf(p.role, e);
        if (extent.h > 0.0f) scale = std::min(scale, kFitShare * p.size.width / double(extent.h));
        if (extent.v > 0.0f) {
            scale = std::min(scale, kFitShare * p.size.height / double(extent.v));
        }
    }
    if (std::isfinite(scale)) {
        fit.viewScale = float(std::clamp(scale, double(kMinViewScale), double(kMaxViewScale)));
    }

    // The 3D pane: the bounding sphere within the smaller side of the view.
    const double radius =
        0.5 * std::sqrt(double(e.x) * e.x + double(e.y) * e.y + double(e.z) * e.z);
    double half = field;
    if (Usable(panes.view3d)) {
        const int w = panes.view3d.width, h = panes.view3d.height;
        half = field * double(std::min(w, h)) / double(std::max(w, h));
    }
    if (radius > 0.0 && std::isfinite(radius)) {
        const double frame = kFitShare * half / radius;
        if (frame > 0.0 && frame < 1e30) fit.frameScale = std::max(float(frame), 1e-30f);
    }
    return fit;
}

bool NeedsFit(const ModelBounds& bounds, const PaneSizes& panes, float viewScale,
              const rm::Vector& centre) {
    if (bounds.empty()) return false;
    const OrthoPane ortho[3] = {{render::PaneRole::Top, panes.top},
                                {render::PaneRole::Front, panes.front},
                                {render::PaneRole::Side, panes.side}};
    const rm::Vector e = bounds.Extent();
    const bool onePoint = e.x == 0.0f && e.y == 0.0f && e.z == 0.0f;
    bool small = !onePoint;
    bool anyPane = false;
    for (const OrthoPane& p : ortho) {
        if (!Usable(p.size)) continue;
        anyPane = true;
        const render::PaneGeometry g =
            render::PaneGeometry::Of(p.size, viewScale, render::PlaneOf(p.role, centre));
        const ports::Point lo = g.ToScreen(render::PlaneOf(p.role, bounds.min));
        const ports::Point hi = g.ToScreen(render::PlaneOf(p.role, bounds.max));
        // lo is the left-bottom corner, hi the right-top one (screen y grows downward).
        if (lo.x < 0 || hi.x >= p.size.width || hi.y < 0 || lo.y >= p.size.height) return true;
        const double w = double(hi.x) - lo.x, h = double(lo.y) - hi.y;
        if (w >= kSmallShare * p.size.width || h >= kSmallShare * p.size.height) small = false;
    }
    return anyPane && small;
}

float FrameScaleOf(const rm::Matrix& m) {
    const rm::Vector a = m.Axis(0);
    const float s = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return std::isfinite(s) && s > 0.0f ? s : 1.0f;
}

rm::Matrix FramedTransform(const rm::Matrix& current, float scale, const rm::Vector& centre) {
    const float k = scale / FrameScaleOf(current);
    rm::Matrix m;  // identity: the last column stays 0, 0, 0, 1
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) m.m[i][j] = current.m[i][j] * k;
    }
    // p' = (p - centre) * L: the centre lands on the scene origin.
    const rm::Vector t = m.TransformDirection(centre);
    m.m[3][0] = -t.x;
    m.m[3][1] = -t.y;
    m.m[3][2] = -t.z;
    return m;
}

}  // namespace views
