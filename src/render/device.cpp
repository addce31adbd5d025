#include "render/device.h"

#include <algorithm>
#include <cmath>
#include <span>
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

// A corner on the screen: position and depth.
struct Projected {
    float x, y, z;
};

bool Finite(const rm::Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Unit normal of a polygon (Newell's method) over its corners' positions.
rm::Vector NewellNormal(const std::vector<rm::Vector>& verts,
                        const rm::MeshBuilder::CornerRange& cs) {
    rm::Vector n{};
    if (cs.size() < 3) return n;
    const rm::Vector* a = &verts[cs.Vertex(cs.size() - 1)];
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

// What the stages of drawing one face share. No initialisers: every field is set before
// it is read, and clearing the corners' projections for every face would cost for nothing.
struct Device::FaceWork {
    rm::MeshBuilder::CornerRange corners;
    std::uint8_t alpha;
    raster::FaceStyle style;
    float baseR, baseG, baseB;  // the colour the light multiplies
    bool perspectiveProjection;
    float front, back;         // the clipping planes' depths
    float vx0, vy0, vx1, vy1;  // the guard band
    // Between the clipping planes and inside the guard band, with its corners projected
    // (in `p`) by the early test for facing away.
    bool simple;
    Projected p[kMaxEarlyCull];
};

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

// Draws each face straight into the target, on the calling thread.
struct Device::DirectEmit {
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
        raster::ForEachTriangle(v, n, style, whole, tri,
                                [&](const raster::Triangle& t) { device.Fill(t, style, target); });
    }
    void Line(const raster::Vertex& a, const raster::Vertex& b, std::uint32_t color,
              std::uint8_t alpha) {
        raster::DrawLine(a, b, color, alpha, target);
    }
};

// Records each face's fans, triangles and lines, to be replayed band by band.
struct Device::RecordEmit {
    Recording& rec;
    raster::Triangle tri{};  // reused: clearing it per face costs more than drawing
    void Style(const raster::FaceStyle& style) { rec.styles.push_back(style); }
    void Face(const raster::Vertex* v, std::size_t n, const raster::FaceStyle& style,
              const raster::Target& whole) {
        const std::uint32_t styleIndex = std::uint32_t(rec.styles.size() - 1);
        raster::Fan fan;
        switch (raster::SetupFan(v, n, style, whole, rec.fanStore, &fan)) {
            case raster::FanSetup::Ready:
                rec.commands.push_back({Recording::Kind::Fan, std::uint32_t(rec.fans.size())});
                rec.fans.push_back({fan, styleIndex});
                return;
            case raster::FanSetup::Culled:
                return;
            case raster::FanSetup::Triangles:
                break;
        }
        raster::ForEachTriangle(v, n, style, whole, tri, [&](const raster::Triangle& t) {
            rec.commands.push_back({Recording::Kind::Triangle, std::uint32_t(rec.tris.size())});
            rec.tris.push_back({t, styleIndex});
        });
    }
    void Line(const raster::Vertex& a, const raster::Vertex& b, std::uint32_t color,
              std::uint8_t alpha) {
        rec.commands.push_back({Recording::Kind::Line, std::uint32_t(rec.lines.size())});
        rec.lines.push_back({a, b, color, alpha});
    }
};

bool Device::MakeTarget(const rm::Viewport& viewport, raster::Target& target) const {
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
    return target.clipX0 < target.clipX1 && target.clipY0 < target.clipY1;
}

bool Device::Render(const rm::Viewport& viewport, const rm::Frame& scene) {
    if (!color_ || !color_->Valid()) return false;
    raster::Target target;
    if (!MakeTarget(viewport, target)) return true;

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
        DrawDirect(viewport, lighting, target);
    } else {
        DrawShared(viewport, lighting, target, threads, faces);
    }
    return true;
}

void Device::DrawDirect(const rm::Viewport& viewport, const Lighting& lighting,
                        const raster::Target& target) {
    DirectEmit emit{*this, target, scratch_[0].fan, {}};
    for (const Item& item : items_) {
        for (std::size_t f = 0; f < item.mesh->FaceRecords().size(); ++f) {
            DrawFace(item, f, viewport, lighting, scratch_[0], emit);
        }
    }
}

// Two passes, each shared between the threads. First every thread records the triangles
// and lines of its run of faces; then every thread replays all recordings, in face order,
// into its own band of rows. Each pixel is written by one thread in face order, so the
// picture does not depend on the scheduling.
void Device::DrawShared(const rm::Viewport& viewport, const Lighting& lighting,
                        const raster::Target& target, int threads, std::size_t faces) {
    recordings_.resize(std::size_t(threads));
    auto record = [&](int t) { RecordShare(viewport, lighting, t, threads, faces); };
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
}

// Thread t of `threads` records its run of the `faces` faces of all items.
void Device::RecordShare(const rm::Viewport& viewport, const Lighting& lighting, int t, int threads,
                         std::size_t faces) {
    Recording& rec = recordings_[std::size_t(t)];
    rec.Clear();
    const std::size_t first = faces * std::size_t(t) / std::size_t(threads);
    const std::size_t last = faces * std::size_t(t + 1) / std::size_t(threads);
    RecordEmit emit{rec, {}};
    std::size_t base = 0;
    for (const Item& item : items_) {
        const std::size_t n = item.mesh->FaceRecords().size();
        const std::size_t from = std::max(first, base), to = std::min(last, base + n);
        for (std::size_t g = from; g < to; ++g) {
            DrawFace(item, g - base, viewport, lighting, scratch_[std::size_t(t)], emit);
        }
        base += n;
    }
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

// Drawing a face, stage by stage: its style, the early test for facing away, the corners'
// light, the cut at the clipping planes, the projection, the cut at the guard band, and
// the lines or the fill.
template <typename Emit>
void Device::DrawFace(const Item& item, std::size_t f, const rm::Viewport& viewport,
                      const Lighting& lighting, Scratch& scratch, Emit& emit) const {
    FaceWork w;
    if (!BeginFace(item, f, viewport, w)) return;
    if (FacesAwayEarly(item, w)) return;
    LightCorners(item, lighting, w, scratch.a);
    if (!ClipToPlanes(w, scratch.a, scratch.b)) return;
    ProjectCorners(viewport, w, scratch.a, scratch.sa);
    if (!ClipToGuardBand(w, scratch.sa, scratch.sb)) return;
    if (!item.solid) {
        EmitOutline(w, scratch.a, scratch.sa, emit);
        return;
    }
    if (!w.style.mono && !w.style.texture && !item.gouraud) {
        w.style.color = Pack(scratch.sa[0].r, scratch.sa[0].g, scratch.sa[0].b);
    }
    w.style.gouraud = item.gouraud;
    emit.Style(w.style);
    raster::Target whole;  // set-up clips to the whole viewport; a band clips again when filling
    whole.clipX0 = std::max(viewport.GetX(), 0);
    whole.clipY0 = std::max(viewport.GetY(), 0);
    whole.clipX1 = std::min(viewport.GetX() + viewport.GetWidth(), color_->width);
    whole.clipY1 = std::min(viewport.GetY() + viewport.GetHeight(), color_->height);
    emit.Face(scratch.sa.data(), scratch.sa.size(), w.style, whole);
}

// The face's corners, style, base colour and guard band; false for a face not drawn at
// all (invisible, fewer than three corners, or a corner not finite).
bool Device::BeginFace(const Item& item, std::size_t f, const rm::Viewport& viewport,
                       FaceWork& w) const {
    const rm::MeshBuilder& mesh = *item.mesh;
    const auto& rec = mesh.FaceRecords()[f];
    w.alpha = static_cast<std::uint8_t>(rm::ColorAlpha(rec.color));
    if (w.alpha == 0 || rec.cornerCount < 3) return false;
    w.corners = mesh.FaceCorners(f);
    for (const auto& c : w.corners) {
        if (!Finite(item.camera[c.vertex]))
            return false;  // a face with a non-finite corner is not drawn
    }
    const bool mono = kind_ == ports::Rasterizer::Ramp;
    w.perspectiveProjection = viewport.GetProjection() == rm::PROJECT_PERSPECTIVE;
    w.front = viewport.GetFront();
    w.back = viewport.GetBack();

    const rm::Texture* texture = mesh.TextureAt(f);
    if (texture && (texture->Width() <= 0 || texture->Height() <= 0 ||
                    texture->Pixels().size() !=
                        std::size_t(texture->Width()) * std::size_t(texture->Height()))) {
        texture = nullptr;  // a texture whose bitmap was not loaded draws as the face's colour
    }
    w.style.alpha = w.alpha;
    w.style.mono = mono && item.solid;
    w.style.shades = int(shades_);
    w.style.texture = item.solid ? texture : nullptr;
    w.style.perspective = mesh.GetPerspective() && w.perspectiveProjection;
    const std::uint32_t faceColor = rec.color & 0xFFFFFFu;
    // The colour the light multiplies: the face's, or white under a texture (the texels
    // are lit instead); for the ramp device the face colour is applied after the
    // intensity is quantised.
    const bool white = w.style.texture || w.style.mono;
    w.baseR = white ? 255.0f : float(rm::ColorRed(faceColor));
    w.baseG = white ? 255.0f : float(rm::ColorGreen(faceColor));
    w.baseB = white ? 255.0f : float(rm::ColorBlue(faceColor));
    w.style.color = faceColor;

    w.vx0 = float(viewport.GetX()) - kGuardBand;
    w.vy0 = float(viewport.GetY()) - kGuardBand;
    w.vx1 = float(viewport.GetX() + viewport.GetWidth()) + kGuardBand;
    w.vy1 = float(viewport.GetY() + viewport.GetHeight()) + kGuardBand;
    w.simple = false;
    return true;
}

// A solid face that needs no cutting and whose every triangle faces away is skipped
// before it is lit: the set-up would cull each of its triangles alike. Such a face is
// `simple`, with its corners projected into `w.p` for the later stages.
bool Device::FacesAwayEarly(const Item& item, FaceWork& w) const {
    const auto& corners = w.corners;
    if (!item.solid || corners.size() > kMaxEarlyCull) return false;
    w.simple = true;
    for (std::size_t k = 0; k < corners.size() && w.simple; ++k) {
        const rm::Vector& c = item.camera[corners[k].vertex];
        w.simple = c.z >= w.front && c.z <= w.back;
        if (!w.simple) break;
        const rm::Vector& at = item.screen[corners[k].vertex];
        w.p[k] = {at.x, at.y, at.z};
        w.simple = w.p[k].x >= w.vx0 && w.p[k].x <= w.vx1 && w.p[k].y >= w.vy0 && w.p[k].y <= w.vy1;
    }
    if (!w.simple) return false;
    const Projected* p = w.p;
    for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
        if (raster::Area2(p[0].x, p[0].y, p[k].x, p[k].y, p[k + 1].x, p[k + 1].y) > 0) return false;
    }
    return true;
}

// The corners in camera space with their lit colours: one light for the face, or one for
// each corner's normal when the mesh is smooth-shaded.
void Device::LightCorners(const Item& item, const Lighting& lighting, const FaceWork& w,
                          std::vector<ClipVertex>& out) const {
    const auto& verts = item.mesh->Vertices();
    const auto& normals = item.mesh->Normals();
    float faceLight[3] = {1, 1, 1};
    const bool perCorner = item.solid && item.lit && item.gouraud;
    if (item.lit && !perCorner) {
        Light(lighting,
              rm::Normalized(TransformNormal(item.worldInverse, NewellNormal(verts, w.corners))),
              faceLight);
    }
    out.clear();
    rm::Vector lastNormal{};
    float l[3] = {faceLight[0], faceLight[1], faceLight[2]};
    bool haveLight = false;
    for (const auto& c : w.corners) {
        if (perCorner) {
            const rm::Vector n =
                c.normal < normals.size() ? normals[c.normal] : NewellNormal(verts, w.corners);
            // Corners of a flat region share their normal: the light is the same.
            if (!haveLight || !(n == lastNormal)) {
                Light(lighting, rm::Normalized(TransformNormal(item.worldInverse, n)), l);
                lastNormal = n;
                haveLight = true;
            }
        }
        out.push_back(
            {item.camera[c.vertex], w.baseR * l[0], w.baseG * l[1], w.baseB * l[2], c.u, c.v});
    }
}

// Cuts the polygon in `a` at the front and back clipping planes (camera space), leaving
// it in `a`; false when less than a polygon is left.
bool Device::ClipToPlanes(const FaceWork& w, std::vector<ClipVertex>& a,
                          std::vector<ClipVertex>& b) const {
    bool inside = w.simple;  // most faces lie between the planes: nothing to cut
    if (!w.simple) {
        inside = true;
        for (const ClipVertex& cv : a) inside = inside && cv.c.z >= w.front && cv.c.z <= w.back;
    }
    if (inside) return true;
    auto lerp = [](const ClipVertex& p, const ClipVertex& q, float t) {
        return ClipVertex{{Mix(p.c.x, q.c.x, t), Mix(p.c.y, q.c.y, t), Mix(p.c.z, q.c.z, t)},
                          Mix(p.r, q.r, t),
                          Mix(p.g, q.g, t),
                          Mix(p.b, q.b, t),
                          Mix(p.u, q.u, t),
                          Mix(p.v, q.v, t)};
    };
    const float front = w.front, back = w.back;
    ClipPolygon(
        a, b, [&](const ClipVertex& v) { return v.c.z - front; }, lerp);
    ClipPolygon(
        b, a, [&](const ClipVertex& v) { return back - v.c.z; }, lerp);
    return a.size() >= 3;
}

// The corners projected to the screen, with their texture coordinates divided for
// perspective-correct texturing where it applies.
void Device::ProjectCorners(const rm::Viewport& viewport, const FaceWork& w,
                            const std::vector<ClipVertex>& in,
                            std::vector<raster::Vertex>& out) const {
    out.clear();
    for (std::size_t k = 0; k < in.size(); ++k) {
        const ClipVertex& cv = in[k];
        // A face that needed no cutting was projected corner by corner already.
        const rm::Vector at =
            w.simple ? rm::Vector{w.p[k].x, w.p[k].y, w.p[k].z} : viewport.Project(cv.c);
        raster::Vertex v;
        v.x = at.x;
        v.y = at.y;
        v.z = std::clamp(at.z, 0.0f, 1.0f);
        v.r = cv.r;
        v.g = cv.g;
        v.b = cv.b;
        v.q = w.perspectiveProjection && w.style.perspective ? w.front / cv.c.z : 1.0f;
        v.s = cv.u * v.q;
        v.t = cv.v * v.q;
        out.push_back(v);
    }
}

// Cuts the polygon in `a` at the guard band around the viewport (screen space), leaving it
// in `a`; false when less than a polygon, or a corner not finite, is left.
bool Device::ClipToGuardBand(const FaceWork& w, std::vector<raster::Vertex>& a,
                             std::vector<raster::Vertex>& b) const {
    auto lerp = [](const raster::Vertex& p, const raster::Vertex& q, float t) {
        raster::Vertex v;
        v.x = Mix(p.x, q.x, t);
        v.y = Mix(p.y, q.y, t);
        v.z = Mix(p.z, q.z, t);
        v.r = Mix(p.r, q.r, t);
        v.g = Mix(p.g, q.g, t);
        v.b = Mix(p.b, q.b, t);
        v.s = Mix(p.s, q.s, t);
        v.t = Mix(p.t, q.t, t);
        v.q = Mix(p.q, q.q, t);
        return v;
    };
    const float vx0 = w.vx0, vy0 = w.vy0, vx1 = w.vx1, vy1 = w.vy1;
    bool inBand = w.simple;  // a simple face's corners were found inside the band already
    if (!w.simple) {
        inBand = true;
        for (const raster::Vertex& v : a) {
            inBand = inBand && v.x >= vx0 && v.x <= vx1 && v.y >= vy0 && v.y <= vy1;
        }
    }
    if (!inBand) {
        ClipPolygon(
            a, b, [&](const raster::Vertex& v) { return v.x - vx0; }, lerp);
        ClipPolygon(
            b, a, [&](const raster::Vertex& v) { return vx1 - v.x; }, lerp);
        ClipPolygon(
            a, b, [&](const raster::Vertex& v) { return v.y - vy0; }, lerp);
        ClipPolygon(
            b, a, [&](const raster::Vertex& v) { return vy1 - v.y; }, lerp);
    }
    if (a.size() < 3) return false;
    for (const auto& v : a) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y)) return false;
    }
    return true;
}

// A wire-frame face: the lines of a front face only, in the face's lit colour.
template <typename Emit>
void Device::EmitOutline(const FaceWork& w, const std::vector<ClipVertex>& lit,
                         const std::vector<raster::Vertex>& screen, Emit& emit) const {
    const std::size_t n = screen.size();
    double area = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto& a = screen[i];
        const auto& b = screen[(i + 1) % n];
        area += double(a.x) * double(b.y) - double(b.x) * double(a.y);
    }
    if (!(area > 0)) return;
    const std::uint32_t color = Pack(lit[0].r, lit[0].g, lit[0].b);
    for (std::size_t i = 0; i < n; ++i) emit.Line(screen[i], screen[(i + 1) % n], color, w.alpha);
}

}  // namespace render
