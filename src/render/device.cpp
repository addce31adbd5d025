#include "render/device.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace render {

namespace {

// Quality bits: shade mode (0 flat, 1 Gouraud) in the low three bits, lighting on at 0x08,
// fill (0x40 lines, 0x80 solid) at 0xC0. The device's quality caps the mesh's.
constexpr std::uint32_t kShadeMask = 0x07, kLightOn = 0x08, kFillMask = 0xC0, kFillSolid = 0x80;

// Screens never get larger than this beyond the viewport: polygons are cut there, which
// keeps the fixed-point positions of the fills small.
constexpr float kGuardBand = 4096.0f;

// Faces of up to this many corners are tested for facing away before they are lit.
constexpr std::size_t kMaxEarlyCull = 32;

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
    : kind_(kind), color_(color), depth_(depth) {
    // The fast device uses the machine's cores, up to four, when it has more than two. On
    // two cores, usually shared with other work, a frame split in two waited for the core
    // that was busy elsewhere as often as it gained: the full table took 3 to 11 ms on
    // two threads against a steady 5 to 6 ms on one.
    if (kind_ == ports::Rasterizer::Mmx) {
        const unsigned cores = std::thread::hardware_concurrency();
        threads_ = cores > 2 ? int(std::min(cores, 4u)) : 1;
    }
}

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

void Device::GatherItems(const rm::Frame& frame, const rm::Matrix& parentWorld,
                         const rm::Viewport& viewport) {
    const rm::Matrix world = frame.GetTransform() * parentWorld;
    for (const auto& mesh : frame.Visuals()) {
        Item item;
        item.mesh = mesh.get();
        item.world = world;
        item.worldInverse = world.InverseAffine();
        const std::uint32_t q = static_cast<std::uint32_t>(mesh->GetQuality());
        item.solid = std::min(q & kFillMask, quality_ & kFillMask) >= kFillSolid;
        item.gouraud = std::min(q & kShadeMask, quality_ & kShadeMask) >= 1;
        item.lit = (q & kLightOn) && (quality_ & kLightOn);
        const rm::Matrix toCamera = world * viewport.WorldToCamera();
        const auto& verts = mesh->Vertices();
        item.camera.resize(verts.size());
        for (std::size_t i = 0; i < verts.size(); ++i)
            item.camera[i] = toCamera.TransformPoint(verts[i]);
        // Each vertex once, not once for each face around it.
        item.screen.resize(item.solid ? verts.size() : 0);
        for (std::size_t i = 0; i < item.screen.size(); ++i)
            item.screen[i] = viewport.Project(item.camera[i]);
        items_.push_back(std::move(item));
    }
    for (const auto& child : frame.Children()) GatherItems(*child, world, viewport);
}

// Light arriving at a surface of world normal n (unit): per channel, or as one intensity
// for the ramp device; ambient plus each directional light by the cosine of its angle to
// the surface, clamped to 1.
void Device::Light(const Lighting& lighting, const rm::Vector& n, float out[3]) const {
    if (kind_ == ports::Rasterizer::Ramp) {
        float i = lighting.ai;
        for (const auto& l : lighting.directional) {
            i += l.intensity * std::max(0.0f, -rm::Dot(n, l.direction));
        }
        out[0] = out[1] = out[2] = std::min(i, 1.0f);
        return;
    }
    float r = lighting.ar, g = lighting.ag, b = lighting.ab;
    for (const auto& l : lighting.directional) {
        const float d = std::max(0.0f, -rm::Dot(n, l.direction));
        r += l.r * d;
        g += l.g * d;
        b += l.b * d;
    }
    out[0] = std::min(r, 1.0f);
    out[1] = std::min(g, 1.0f);
    out[2] = std::min(b, 1.0f);
}

void Device::Fill(const raster::Triangle& tri, const raster::FaceStyle& style,
                  const raster::Target& target) const {
    if (kind_ == ports::Rasterizer::Mmx) {
        raster::FillFast(tri, style, target);
    } else {
        raster::FillReference(tri, style, target);
    }
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
    items_.clear();
    GatherItems(scene, rm::Matrix{}, viewport);
    std::size_t faces = 0;
    for (const Item& item : items_) faces += item.mesh->FaceRecords().size();

    const int threads =
        kind_ == ports::Rasterizer::Mmx && faces >= parallelMinFaces_ ? threads_ : 1;
    if (scratch_.size() < std::size_t(threads)) scratch_.resize(std::size_t(threads));
    if (threads == 1) {
        struct DirectEmit {
            const Device& device;
            const raster::Target& target;
            raster::FanStore& fans;
            raster::Triangle tri{};  // reused: clearing it per face costs more than drawing
            void Style(const raster::FaceStyle&) {}
            void Face(const raster::Vertex* v, std::size_t n, const raster::FaceStyle& style,
                      const raster::Target& whole) {
                if (device.Kind() == ports::Rasterizer::Mmx) {
                    fans.Clear();
                    raster::Fan fan;
                    const raster::FanSetup setup = raster::SetupFan(v, n, style, whole, fans, &fan);
                    if (setup == raster::FanSetup::Ready) raster::FillFan(fan, fans, style, target);
                    if (setup != raster::FanSetup::Triangles) return;
                }
                raster::ForEachTriangle(v, n, style, whole, tri, [&](const raster::Triangle& t) {
                    device.Fill(t, style, target);
                });
            }
            void Line(const raster::Vertex& a, const raster::Vertex& b, std::uint32_t color,
                      std::uint8_t alpha) {
                raster::DrawLine(a, b, color, alpha, target);
            }
        } emit{*this, target, scratch_[0].fan, {}};
        for (const Item& item : items_) {
            for (std::size_t f = 0; f < item.mesh->FaceRecords().size(); ++f) {
                DrawFace(item, f, viewport, lighting, scratch_[0], emit);
            }
        }
        return true;
    }

    // Two passes, each shared between the threads. First every thread records the
    // triangles and lines of its run of faces; then every thread replays all recordings,
    // in face order, into its own band of rows. Each pixel is written by one thread in
    // face order, so the picture does not depend on the scheduling.
    recordings_.resize(std::size_t(threads));
    auto record = [&](int t) {
        Recording& rec = recordings_[std::size_t(t)];
        rec.Clear();
        const std::size_t first = faces * std::size_t(t) / std::size_t(threads);
        const std::size_t last = faces * std::size_t(t + 1) / std::size_t(threads);
        struct RecordEmit {
            Recording& rec;
            raster::Triangle tri{};  // reused: clearing it per face costs more than drawing
            void Style(const raster::FaceStyle& style) { rec.styles.push_back(style); }
            void Face(const raster::Vertex* v, std::size_t n, const raster::FaceStyle& style,
                      const raster::Target& whole) {
                const std::uint32_t styleIndex = std::uint32_t(rec.styles.size() - 1);
                raster::Fan fan;
                switch (raster::SetupFan(v, n, style, whole, rec.fanStore, &fan)) {
                    case raster::FanSetup::Ready:
                        rec.commands.push_back(
                            {Recording::Kind::Fan, std::uint32_t(rec.fans.size())});
                        rec.fans.push_back({fan, styleIndex});
                        return;
                    case raster::FanSetup::Culled:
                        return;
                    case raster::FanSetup::Triangles:
                        break;
                }
                raster::ForEachTriangle(v, n, style, whole, tri, [&](const raster::Triangle& t) {
                    rec.commands.push_back(
                        {Recording::Kind::Triangle, std::uint32_t(rec.tris.size())});
                    rec.tris.push_back({t, styleIndex});
                });
            }
            void Line(const raster::Vertex& a, const raster::Vertex& b, std::uint32_t color,
                      std::uint8_t alpha) {
                rec.commands.push_back({Recording::Kind::Line, std::uint32_t(rec.lines.size())});
                rec.lines.push_back({a, b, color, alpha});
            }
        } emit{rec, {}};
        std::size_t base = 0;
        for (const Item& item : items_) {
            const std::size_t n = item.mesh->FaceRecords().size();
            const std::size_t from = std::max(first, base), to = std::min(last, base + n);
            for (std::size_t g = from; g < to; ++g) {
                DrawFace(item, g - base, viewport, lighting, scratch_[std::size_t(t)], emit);
            }
            base += n;
        }
    };
    auto replay = [&](int t) {
        raster::Target band = target;
        const int rows = target.clipY1 - target.clipY0;
        band.clipY0 = target.clipY0 + rows * t / threads;
        band.clipY1 = target.clipY0 + rows * (t + 1) / threads;
        for (const Recording& rec : recordings_) Replay(rec, band);
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t) workers.emplace_back(record, t);
    record(0);
    for (auto& w : workers) w.join();
    workers.clear();
    for (int t = 1; t < threads; ++t) workers.emplace_back(replay, t);
    replay(0);
    for (auto& w : workers) w.join();
    return true;
}

void Device::Replay(const Recording& rec, const raster::Target& target) const {
    for (const auto& c : rec.commands) {
        switch (c.kind) {
            case Recording::Kind::Line: {
                const auto& l = rec.lines[c.index];
                raster::DrawLine(l.a, l.b, l.color, l.alpha, target);
                break;
            }
            case Recording::Kind::Triangle: {
                const auto& t = rec.tris[c.index];
                if (t.tri.maxY < target.clipY0 || t.tri.minY >= target.clipY1) continue;
                raster::FillFast(t.tri, rec.styles[t.style], target);
                break;
            }
            case Recording::Kind::Fan: {
                const auto& f = rec.fans[c.index];
                if (f.fan.maxY < target.clipY0 || f.fan.minY >= target.clipY1) continue;
                raster::FillFan(f.fan, rec.fanStore, rec.styles[f.style], target);
                break;
            }
        }
    }
}

template <typename Emit>
void Device::DrawFace(const Item& item, std::size_t f, const rm::Viewport& viewport,
                      const Lighting& lighting, Scratch& scratch, Emit& emit) const {
    const rm::MeshBuilder& mesh = *item.mesh;
    const auto& rec = mesh.FaceRecords()[f];
    const std::uint8_t alpha = static_cast<std::uint8_t>(rm::ColorAlpha(rec.color));
    if (alpha == 0 || rec.cornerCount < 3) return;
    const auto corners = mesh.FaceCorners(f);
    for (const auto& c : corners) {
        if (!Finite(item.camera[c.vertex])) return;  // a face with a non-finite corner is not drawn
    }
    const bool mono = kind_ == ports::Rasterizer::Ramp;
    const bool perspectiveProjection = viewport.GetProjection() == rm::PROJECT_PERSPECTIVE;
    const float front = viewport.GetFront(), back = viewport.GetBack();
    const auto& verts = mesh.Vertices();
    const auto& normals = mesh.Normals();

    const rm::Texture* texture = rec.texture.get();
    if (texture && (texture->Width() <= 0 || texture->Height() <= 0 ||
                    texture->Pixels().size() !=
                        std::size_t(texture->Width()) * std::size_t(texture->Height()))) {
        texture = nullptr;  // a texture whose bitmap was not loaded draws as the face's colour
    }
    raster::FaceStyle style;
    style.alpha = alpha;
    style.mono = mono && item.solid;
    style.shades = int(shades_);
    style.texture = item.solid ? texture : nullptr;
    style.perspective = mesh.GetPerspective() && perspectiveProjection;
    const std::uint32_t faceColor = rec.color & 0xFFFFFFu;
    // The colour the light multiplies: the face's, or white under a texture (the texels
    // are lit instead); for the ramp device the face colour is applied after the
    // intensity is quantised.
    const bool white = style.texture || style.mono;
    const float baseR = white ? 255.0f : float(rm::ColorRed(faceColor));
    const float baseG = white ? 255.0f : float(rm::ColorGreen(faceColor));
    const float baseB = white ? 255.0f : float(rm::ColorBlue(faceColor));
    style.color = faceColor;

    const float vx0 = float(viewport.GetX()) - kGuardBand;
    const float vy0 = float(viewport.GetY()) - kGuardBand;
    const float vx1 = float(viewport.GetX() + viewport.GetWidth()) + kGuardBand;
    const float vy1 = float(viewport.GetY() + viewport.GetHeight()) + kGuardBand;

    // A solid face that needs no cutting and whose every triangle faces away is skipped
    // before it is lit: the set-up would cull each of its triangles alike.
    struct Projected {  // no initialisers: filled before use, and cleared per face for nothing
        float x, y, z;
    };
    Projected p[kMaxEarlyCull];  // the corners projected, when `simple`
    bool simple = false;
    if (item.solid && corners.size() <= kMaxEarlyCull) {
        simple = true;
        for (std::size_t k = 0; k < corners.size() && simple; ++k) {
            const rm::Vector& c = item.camera[corners[k].vertex];
            simple = c.z >= front && c.z <= back;
            if (!simple) break;
            const rm::Vector& at = item.screen[corners[k].vertex];
            p[k] = {at.x, at.y, at.z};
            simple = p[k].x >= vx0 && p[k].x <= vx1 && p[k].y >= vy0 && p[k].y <= vy1;
        }
        if (simple) {
            bool anyFront = false;
            for (std::size_t k = 1; k + 1 < corners.size() && !anyFront; ++k) {
                anyFront =
                    raster::Area2(p[0].x, p[0].y, p[k].x, p[k].y, p[k + 1].x, p[k + 1].y) > 0;
            }
            if (!anyFront) return;
        }
    }

    // Corner colours.
    float faceLight[3] = {1, 1, 1};
    const bool perCorner = item.solid && item.lit && item.gouraud;
    if (item.lit && !perCorner) {
        Light(lighting,
              rm::Normalized(TransformNormal(item.worldInverse, NewellNormal(verts, corners))),
              faceLight);
    }
    auto& clipA = scratch.a;
    auto& clipB = scratch.b;
    clipA.clear();
    rm::Vector lastNormal{};
    float l[3] = {faceLight[0], faceLight[1], faceLight[2]};
    bool haveLight = false;
    for (const auto& c : corners) {
        if (perCorner) {
            const rm::Vector n =
                c.normal < normals.size() ? normals[c.normal] : NewellNormal(verts, corners);
            // Corners of a flat region share their normal: the light is the same.
            if (!haveLight || !(n == lastNormal)) {
                Light(lighting, rm::Normalized(TransformNormal(item.worldInverse, n)), l);
                lastNormal = n;
                haveLight = true;
            }
        }
        clipA.push_back(
            {item.camera[c.vertex], baseR * l[0], baseG * l[1], baseB * l[2], c.u, c.v});
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
    bool inside = simple;  // most faces lie between the planes: nothing to cut
    if (!simple) {
        inside = true;
        for (const ClipVertex& cv : clipA) inside = inside && cv.c.z >= front && cv.c.z <= back;
    }
    if (!inside) {
        ClipPolygon(
            clipA, clipB, [&](const ClipVertex& v) { return v.c.z - front; }, lerp3);
        ClipPolygon(
            clipB, clipA, [&](const ClipVertex& v) { return back - v.c.z; }, lerp3);
        if (clipA.size() < 3) return;
    }

    auto& screenA = scratch.sa;
    auto& screenB = scratch.sb;
    screenA.clear();
    for (std::size_t k = 0; k < clipA.size(); ++k) {
        const ClipVertex& cv = clipA[k];
        // A face that needed no cutting was projected corner by corner above.
        const rm::Vector at = simple ? rm::Vector{p[k].x, p[k].y, p[k].z} : viewport.Project(cv.c);
        raster::Vertex v;
        v.x = at.x;
        v.y = at.y;
        v.z = std::clamp(at.z, 0.0f, 1.0f);
        v.r = cv.r;
        v.g = cv.g;
        v.b = cv.b;
        v.q = perspectiveProjection && style.perspective ? front / cv.c.z : 1.0f;
        v.s = cv.u * v.q;
        v.t = cv.v * v.q;
        screenA.push_back(v);
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
    bool inBand = simple;  // a simple face's corners were found inside the band above
    if (!simple) {
        inBand = true;
        for (const raster::Vertex& v : screenA) {
            inBand = inBand && v.x >= vx0 && v.x <= vx1 && v.y >= vy0 && v.y <= vy1;
        }
    }
    if (!inBand) {
        ClipPolygon(
            screenA, screenB, [&](const raster::Vertex& v) { return v.x - vx0; }, lerp2);
        ClipPolygon(
            screenB, screenA, [&](const raster::Vertex& v) { return vx1 - v.x; }, lerp2);
        ClipPolygon(
            screenA, screenB, [&](const raster::Vertex& v) { return v.y - vy0; }, lerp2);
        ClipPolygon(
            screenB, screenA, [&](const raster::Vertex& v) { return vy1 - v.y; }, lerp2);
    }
    const std::size_t n = screenA.size();
    if (n < 3) return;
    for (const auto& v : screenA) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y)) return;
    }

    if (!item.solid) {
        // Lines of the front faces only, in the face's colour.
        double area = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const auto& a = screenA[i];
            const auto& b = screenA[(i + 1) % n];
            area += double(a.x) * double(b.y) - double(b.x) * double(a.y);
        }
        if (!(area > 0)) return;
        const std::uint32_t color = Pack(clipA[0].r, clipA[0].g, clipA[0].b);
        for (std::size_t i = 0; i < n; ++i)
            emit.Line(screenA[i], screenA[(i + 1) % n], color, alpha);
        return;
    }
    if (!style.mono && !style.texture && !item.gouraud) {
        style.color = Pack(screenA[0].r, screenA[0].g, screenA[0].b);
    }
    style.gouraud = item.gouraud;
    emit.Style(style);
    raster::Target whole;  // set-up clips to the whole viewport; a band clips again when filling
    whole.clipX0 = std::max(viewport.GetX(), 0);
    whole.clipY0 = std::max(viewport.GetY(), 0);
    whole.clipX1 = std::min(viewport.GetX() + viewport.GetWidth(), color_->width);
    whole.clipY1 = std::min(viewport.GetY() + viewport.GetHeight(), color_->height);
    emit.Face(screenA.data(), n, style, whole);
}

}  // namespace render
