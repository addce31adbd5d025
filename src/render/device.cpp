#include "render/device.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {

// Quality bits: shade mode (0 flat, 1 Gouraud) in the low three bits, lighting on at 0x08,
// fill (0x40 lines, 0x80 solid) at 0xC0. The device's quality caps the mesh's.
constexpr std::uint32_t kShadeMask = 0x07, kLightOn = 0x08, kFillMask = 0xC0, kFillSolid = 0x80;

// Screens never get larger than this beyond the viewport: polygons are cut there, which
// keeps the fixed-point positions of the fills small.
constexpr float kGuardBand = 4096.0f;

bool Finite(const rm::Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Unit normal of a polygon (Newell's method) over its corners' positions.
rm::Vector NewellNormal(const std::vector<rm::Vector>& verts,
                        std::span<const rm::MeshBuilder::Corner> cs) {
    rm::Vector n{};
    if (cs.size() < 3) return n;
    const rm::Vector* a = &verts[cs[cs.size() - 1].vertex];
    for (const auto& c : cs) {
        const rm::Vector* b = &verts[c.vertex];
        n.x += (a->y - b->y) * (a->z + b->z);
        n.y += (a->z - b->z) * (a->x + b->x);
        n.z += (a->x - b->x) * (a->y + b->y);
        a = b;
    }
    return rm::Normalized(n);
}

// n * inverse-transpose of the world matrix's 3 x 3 part, so normals stay perpendicular
// under non-uniform scales; not normalised.
rm::Vector TransformNormal(const rm::Matrix& worldInverse, const rm::Vector& n) {
    return {n.x * worldInverse.m[0][0] + n.y * worldInverse.m[0][1] + n.z * worldInverse.m[0][2],
            n.x * worldInverse.m[1][0] + n.y * worldInverse.m[1][1] + n.z * worldInverse.m[1][2],
            n.x * worldInverse.m[2][0] + n.y * worldInverse.m[2][1] + n.z * worldInverse.m[2][2]};
}

template <typename V, typename Dist, typename Lerp>
void ClipPolygon(const std::vector<V>& in, std::vector<V>& out, Dist dist, Lerp lerp) {
    out.clear();
    const std::size_t n = in.size();
    for (std::size_t i = 0; i < n; ++i) {
        const V& a = in[i];
        const V& b = in[(i + 1) % n];
        const float da = dist(a), db = dist(b);
        if (da >= 0) out.push_back(a);
        if ((da >= 0) != (db >= 0)) out.push_back(lerp(a, b, da / (da - db)));
    }
}

float Mix(float a, float b, float t) {
    return a + (b - a) * t;
}

std::uint32_t Pack(float r, float g, float b) {
    auto c = [](float v) { return std::uint32_t(std::clamp(std::lrint(v), 0L, 255L)); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}

}  // namespace

Device::Device(ports::Rasterizer kind, ColorSurface* color, DepthSurface* depth)
    : kind_(kind), color_(color), depth_(depth) {}

bool Device::Clear(const rm::Viewport& viewport) {
    if (!color_ || !color_->Valid()) return false;
    const int x0 = std::clamp(viewport.GetX(), 0, color_->width);
    const int y0 = std::clamp(viewport.GetY(), 0, color_->height);
    const int x1 = std::clamp(viewport.GetX() + viewport.GetWidth(), x0, color_->width);
    const int y1 = std::clamp(viewport.GetY() + viewport.GetHeight(), y0, color_->height);
    const bool withDepth =
        depth_ && depth_->width == color_->width && depth_->height == color_->height;
    for (int y = y0; y < y1; ++y) {
        const std::size_t row = std::size_t(y) * std::size_t(color_->width);
        std::fill(color_->pixels.begin() + std::ptrdiff_t(row + std::size_t(x0)),
                  color_->pixels.begin() + std::ptrdiff_t(row + std::size_t(x1)), 0u);
        if (withDepth) {
            std::fill(depth_->pixels.begin() + std::ptrdiff_t(row + std::size_t(x0)),
                      depth_->pixels.begin() + std::ptrdiff_t(row + std::size_t(x1)),
                      std::uint16_t(0xFFFF));
        }
    }
    return true;
}

void Device::GatherLights(const rm::Frame& frame, const rm::Matrix& parentWorld,
                          Lighting& out) const {
    const rm::Matrix world = frame.GetTransform() * parentWorld;
    for (const auto& light : frame.Lights()) {
        const float intensity = (light->red + light->green + light->blue) / 3.0f;
        if (light->type == rm::LightType::Ambient) {
            out.ar += light->red;
            out.ag += light->green;
            out.ab += light->blue;
            out.ai += intensity;
        } else {
            const rm::Vector d = rm::Normalized(world.Axis(2));
            if (d == rm::Vector{}) continue;
            out.directional.push_back({light->red, light->green, light->blue, intensity, d});
        }
    }
    for (const auto& child : frame.Children()) GatherLights(*child, world, out);
}

bool Device::Render(const rm::Viewport& viewport, const rm::Frame& scene) {
    if (!color_ || !color_->Valid()) return false;
    raster::Target target;
    target.color = color_->pixels.data();
    const bool withDepth =
        depth_ && depth_->width == color_->width && depth_->height == color_->height;
    target.depth = withDepth ? depth_->pixels.data() : nullptr;
    target.stride = color_->width;
    target.clipX0 = std::clamp(viewport.GetX(), 0, color_->width);
    target.clipY0 = std::clamp(viewport.GetY(), 0, color_->height);
    target.clipX1 = std::clamp(viewport.GetX() + viewport.GetWidth(), target.clipX0, color_->width);
    target.clipY1 =
        std::clamp(viewport.GetY() + viewport.GetHeight(), target.clipY0, color_->height);
    if (target.clipX0 >= target.clipX1 || target.clipY0 >= target.clipY1) return true;

    // The scene's frame is the root: frames above it do not count.
    Lighting lighting;
    GatherLights(scene, rm::Matrix{}, lighting);
    RenderFrame(scene, rm::Matrix{}, viewport, lighting, target);
    return true;
}

void Device::RenderFrame(const rm::Frame& frame, const rm::Matrix& parentWorld,
                         const rm::Viewport& viewport, const Lighting& lighting,
                         const raster::Target& target) {
    const rm::Matrix world = frame.GetTransform() * parentWorld;
    for (const auto& mesh : frame.Visuals()) RenderMesh(*mesh, world, viewport, lighting, target);
    for (const auto& child : frame.Children())
        RenderFrame(*child, world, viewport, lighting, target);
}

void Device::Fill(const raster::Triangle& tri, const raster::FaceStyle& style,
                  const raster::Target& target) const {
    if (kind_ == ports::Rasterizer::Mmx) {
        raster::FillFast(tri, style, target);
    } else {
        raster::FillReference(tri, style, target);
    }
}

void Device::RenderMesh(const rm::MeshBuilder& mesh, const rm::Matrix& world,
                        const rm::Viewport& viewport, const Lighting& lighting,
                        const raster::Target& target) {
    const std::uint32_t meshQuality = static_cast<std::uint32_t>(mesh.GetQuality());
    const bool solid = std::min(meshQuality & kFillMask, quality_ & kFillMask) >= kFillSolid;
    const bool gouraud = std::min(meshQuality & kShadeMask, quality_ & kShadeMask) >= 1;
    const bool lit = (meshQuality & kLightOn) && (quality_ & kLightOn);
    const bool mono = kind_ == ports::Rasterizer::Ramp;
    const bool perspectiveProjection = viewport.GetProjection() == rm::PROJECT_PERSPECTIVE;
    const float front = viewport.GetFront(), back = viewport.GetBack();

    const rm::Matrix toCamera = world * viewport.WorldToCamera();
    const rm::Matrix worldInverse = world.InverseAffine();
    const auto& verts = mesh.Vertices();
    const auto& normals = mesh.Normals();
    camera_.resize(verts.size());
    for (std::size_t i = 0; i < verts.size(); ++i) camera_[i] = toCamera.TransformPoint(verts[i]);

    // Light arriving at a surface of world normal n (unit): per channel, or as one
    // intensity for the ramp device; ambient plus each directional light by the cosine
    // of its angle to the surface, clamped to 1.
    auto light = [&](const rm::Vector& n, float out[3]) {
        if (mono) {
            float i = lighting.ai;
            for (const Light& l : lighting.directional)
                i += l.intensity * std::max(0.0f, -rm::Dot(n, l.direction));
            out[0] = out[1] = out[2] = std::min(i, 1.0f);
            return;
        }
        float r = lighting.ar, g = lighting.ag, b = lighting.ab;
        for (const Light& l : lighting.directional) {
            const float d = std::max(0.0f, -rm::Dot(n, l.direction));
            r += l.r * d;
            g += l.g * d;
            b += l.b * d;
        }
        out[0] = std::min(r, 1.0f);
        out[1] = std::min(g, 1.0f);
        out[2] = std::min(b, 1.0f);
    };

    const float vx0 = float(viewport.GetX()) - kGuardBand,
                vy0 = float(viewport.GetY()) - kGuardBand;
    const float vx1 = float(viewport.GetX() + viewport.GetWidth()) + kGuardBand;
    const float vy1 = float(viewport.GetY() + viewport.GetHeight()) + kGuardBand;

    const auto& records = mesh.FaceRecords();
    for (std::size_t f = 0; f < records.size(); ++f) {
        const auto& rec = records[f];
        const std::uint8_t alpha = static_cast<std::uint8_t>(rm::ColorAlpha(rec.color));
        if (alpha == 0 || rec.cornerCount < 3) continue;
        const auto corners = mesh.FaceCorners(f);
        bool finite = true;
        for (const auto& c : corners) finite = finite && Finite(camera_[c.vertex]);
        if (!finite) continue;  // a face with a non-finite corner is not drawn

        const rm::Texture* texture = rec.texture.get();
        if (texture && (texture->Width() <= 0 || texture->Height() <= 0 ||
                        texture->Pixels().size() !=
                            std::size_t(texture->Width()) * std::size_t(texture->Height()))) {
            texture = nullptr;  // a texture whose bitmap was not loaded draws as the face's colour
        }
        raster::FaceStyle style;
        style.alpha = alpha;
        style.mono = mono && solid;
        style.shades = int(shades_);
        style.texture = solid ? texture : nullptr;
        style.perspective = mesh.GetPerspective() && perspectiveProjection;
        const std::uint32_t faceColor = rec.color & 0xFFFFFFu;
        // The colour the light multiplies: the face's, or white under a texture (the
        // texels are lit instead); for the ramp device the face colour is applied after
        // the intensity is quantised.
        const float baseR = (style.texture || style.mono) ? 255.0f : float(rm::ColorRed(faceColor));
        const float baseG =
            (style.texture || style.mono) ? 255.0f : float(rm::ColorGreen(faceColor));
        const float baseB =
            (style.texture || style.mono) ? 255.0f : float(rm::ColorBlue(faceColor));
        style.color = faceColor;

        // Corner colours.
        float faceLight[3] = {1, 1, 1};
        const bool perCorner = solid && lit && gouraud;
        if (lit && !perCorner) {
            light(rm::Normalized(TransformNormal(worldInverse, NewellNormal(verts, corners))),
                  faceLight);
        }
        clipA_.clear();
        for (const auto& c : corners) {
            float l[3] = {faceLight[0], faceLight[1], faceLight[2]};
            if (perCorner) {
                const rm::Vector n =
                    c.normal < normals.size() ? normals[c.normal] : NewellNormal(verts, corners);
                light(rm::Normalized(TransformNormal(worldInverse, n)), l);
            }
            clipA_.push_back(
                {camera_[c.vertex], baseR * l[0], baseG * l[1], baseB * l[2], c.u, c.v});
        }

        // Cut at the front and back clipping planes (camera space).
        auto lerp3 = [](const ClipVertex& a, const ClipVertex& b, float t) {
            return ClipVertex{{Mix(a.c.x, b.c.x, t), Mix(a.c.y, b.c.y, t), Mix(a.c.z, b.c.z, t)},
                              Mix(a.r, b.r, t),
                              Mix(a.g, b.g, t),
                              Mix(a.b, b.b, t),
                              Mix(a.u, b.u, t),
                              Mix(a.v, b.v, t)};
        };
        ClipPolygon(
            clipA_, clipB_, [&](const ClipVertex& v) { return v.c.z - front; }, lerp3);
        ClipPolygon(
            clipB_, clipA_, [&](const ClipVertex& v) { return back - v.c.z; }, lerp3);
        if (clipA_.size() < 3) continue;

        screenA_.clear();
        for (const ClipVertex& cv : clipA_) {
            const rm::Vector p = viewport.Project(cv.c);
            raster::Vertex v;
            v.x = p.x;
            v.y = p.y;
            v.z = std::clamp(p.z, 0.0f, 1.0f);
            v.r = cv.r;
            v.g = cv.g;
            v.b = cv.b;
            v.q = perspectiveProjection && style.perspective ? front / cv.c.z : 1.0f;
            v.s = cv.u * v.q;
            v.t = cv.v * v.q;
            screenA_.push_back(v);
        }
        // Cut at the guard band around the viewport (screen space).
        auto lerp2 = [](const raster::Vertex& a, const raster::Vertex& b, float t) {
            raster::Vertex v;
            v.x = Mix(a.x, b.x, t);
            v.y = Mix(a.y, b.y, t);
            v.z = Mix(a.z, b.z, t);
            v.r = Mix(a.r, b.r, t);
            v.g = Mix(a.g, b.g, t);
            v.b = Mix(a.b, b.b, t);
            v.s = Mix(a.s, b.s, t);
            v.t = Mix(a.t, b.t, t);
            v.q = Mix(a.q, b.q, t);
            return v;
        };
        ClipPolygon(
            screenA_, screenB_, [&](const raster::Vertex& v) { return v.x - vx0; }, lerp2);
        ClipPolygon(
            screenB_, screenA_, [&](const raster::Vertex& v) { return vx1 - v.x; }, lerp2);
        ClipPolygon(
            screenA_, screenB_, [&](const raster::Vertex& v) { return v.y - vy0; }, lerp2);
        ClipPolygon(
            screenB_, screenA_, [&](const raster::Vertex& v) { return vy1 - v.y; }, lerp2);
        const std::size_t n = screenA_.size();
        if (n < 3) continue;
        bool screenFinite = true;
        for (const auto& v : screenA_)
            screenFinite = screenFinite && std::isfinite(v.x) && std::isfinite(v.y);
        if (!screenFinite) continue;

        if (!solid) {
            // Lines of the front faces only, in the face's colour.
            double area = 0;
            for (std::size_t i = 0; i < n; ++i) {
                const auto& a = screenA_[i];
                const auto& b = screenA_[(i + 1) % n];
                area += double(a.x) * double(b.y) - double(b.x) * double(a.y);
            }
            if (!(area > 0)) continue;
            const std::uint32_t color = Pack(clipA_[0].r, clipA_[0].g, clipA_[0].b);
            for (std::size_t i = 0; i < n; ++i) {
                raster::DrawLine(screenA_[i], screenA_[(i + 1) % n], color, alpha, target);
            }
            continue;
        }
        if (!style.mono && !style.texture && !gouraud) {
            style.color = Pack(screenA_[0].r, screenA_[0].g, screenA_[0].b);
        }
        style.gouraud = gouraud;
        raster::Triangle tri;
        for (std::size_t i = 1; i + 1 < n; ++i) {
            if (raster::SetupTriangle(screenA_[0], screenA_[i], screenA_[i + 1], style, target,
                                      &tri)) {
                Fill(tri, style, target);
            }
        }
    }
}

}  // namespace render
