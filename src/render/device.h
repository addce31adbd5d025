// A 3D device: one of the program's rasterizers drawing a scene into a window's colour
// surface and z-buffer. "Ramp" lights by intensity only and quantises it to its shade
// count; "RGB" is the reference, written for clarity; "MMX" is the fast one and draws
// exactly the reference's pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ports/display.h"
#include "render/raster.h"
#include "render/surface.h"
#include "rm/frame.h"
#include "rm/viewport.h"

namespace render {

// Texture qualities of a device.
enum TextureQuality : int { TEXTURE_NEAREST = 0, TEXTURE_LINEAR = 1 };

class Device {
  public:
    // Draws into `color` (and `depth` when given); both must outlive the device.
    Device(ports::Rasterizer kind, ColorSurface* color, DepthSurface* depth);

    ports::Rasterizer Kind() const { return kind_; }

    // Render states.
    void SetQuality(std::uint32_t quality) { quality_ = quality; }
    std::uint32_t GetQuality() const { return quality_; }
    void SetDither(bool on) { dither_ = on; }
    bool GetDither() const { return dither_; }
    void SetTextureQuality(int quality) { textureQuality_ = quality; }
    int GetTextureQuality() const { return textureQuality_; }
    void SetShades(unsigned shades) { shades_ = shades < 2 ? 2 : shades; }
    unsigned GetShades() const { return shades_; }
    void SetRenderMode(std::uint32_t mode) { renderMode_ = mode; }
    std::uint32_t GetRenderMode() const { return renderMode_; }
    void SetBufferCount(int count) { bufferCount_ = count; }

    // Clears the viewport's rectangle to black and its depth to the farthest value.
    bool Clear(const rm::Viewport& viewport);
    // Draws every visual under `scene`, lit by the scene's lights, seen through the
    // viewport's camera. False when the device has nothing to draw into.
    bool Render(const rm::Viewport& viewport, const rm::Frame& scene);
    // Nothing to flush: the surfaces are written directly.
    bool Update() { return color_ && color_->Valid(); }

    // The fast device shares a frame between this many threads (1: none) once a frame
    // has at least `minFaces` faces; the picture is the same whatever the count.
    void SetParallel(int threads, std::size_t minFaces) {
        threads_ = threads < 1 ? 1 : threads;
        parallelMinFaces_ = minFaces;
    }

  private:
    struct Light {
        float r, g, b, intensity;
        rm::Vector direction;  // where the light travels, world axes, unit length
    };
    struct Lighting {
        float ar = 0, ag = 0, ab = 0, ai = 0;  // ambient
        std::vector<Light> directional;
    };
    struct ClipVertex {
        rm::Vector c;  // camera space
        float r, g, b, u, v;
    };
    // A mesh to draw, with what every face of it needs.
    struct Item {
        const rm::MeshBuilder* mesh;
        rm::Matrix world, worldInverse;
        std::vector<rm::Vector> camera;  // the mesh's vertices in camera space
        std::vector<rm::Vector> screen;  // and projected (solid meshes; meaningless for
                                         // vertices outside the clipping planes)
        bool solid, gouraud, lit;
    };
    struct Scratch {
        std::vector<ClipVertex> a, b;
        std::vector<raster::Vertex> sa, sb;
        raster::FanStore fan;  // the face being drawn, when drawn straight away
    };
    // What one thread's share of the faces draws, in face order.
    struct Recording {
        enum class Kind : std::uint8_t { Triangle, Line, Fan };
        struct Command {
            Kind kind;
            std::uint32_t index;
        };
        struct Tri {
            raster::Triangle tri;
            std::uint32_t style;
        };
        struct Line {
            raster::Vertex a, b;
            std::uint32_t color;
            std::uint8_t alpha;
        };
        struct Fan {
            raster::Fan fan;
            std::uint32_t style;
        };
        std::vector<Command> commands;
        std::vector<Tri> tris;
        std::vector<Line> lines;
        std::vector<Fan> fans;
        raster::FanStore fanStore;
        std::vector<raster::FaceStyle> styles;
        void Clear() {
            commands.clear();
            tris.clear();
            lines.clear();
            fans.clear();
            fanStore.Clear();
            styles.clear();
        }
    };

    struct FaceWork;
    struct DirectEmit;
    struct RecordEmit;

    bool MakeTarget(const rm::Viewport& viewport, raster::Target& target) const;
    void GatherLights(const rm::Frame& frame, const rm::Matrix& parentWorld, Lighting& out) const;
    void GatherItems(const rm::Frame& frame, const rm::Matrix& parentWorld,
                     const rm::Viewport& viewport);
    void Light(const Lighting& lighting, const rm::Vector& n, float out[3]) const;
    void DrawDirect(const rm::Viewport& viewport, const Lighting& lighting,
                    const raster::Target& target);
    void DrawShared(const rm::Viewport& viewport, const Lighting& lighting,
                    const raster::Target& target, int threads, std::size_t faces);
    void RecordShare(const rm::Viewport& viewport, const Lighting& lighting, int t, int threads,
                     std::size_t faces);
    template <typename Emit>
    void DrawFace(const Item& item, std::size_t f, const rm::Viewport& viewport,
                  const Lighting& lighting, Scratch& scratch, Emit& emit) const;
    // The stages of DrawFace, in order.
    bool BeginFace(const Item& item, std::size_t f, const rm::Viewport& viewport,
                   FaceWork& w) const;
    bool FacesAwayEarly(const Item& item, FaceWork& w) const;
    void LightCorners(const Item& item, const Lighting& lighting, const FaceWork& w,
                      std::vector<ClipVertex>& out) const;
    bool ClipToPlanes(const FaceWork& w, std::vector<ClipVertex>& a,
                      std::vector<ClipVertex>& b) const;
    void ProjectCorners(const rm::Viewport& viewport, const FaceWork& w,
                        const std::vector<ClipVertex>& in, std::vector<raster::Vertex>& out) const;
    bool ClipToGuardBand(const FaceWork& w, std::vector<raster::Vertex>& a,
                         std::vector<raster::Vertex>& b) const;
    template <typename Emit>
    void EmitOutline(const FaceWork& w, const std::vector<ClipVertex>& lit,
                     const std::vector<raster::Vertex>& screen, Emit& emit) const;
    void Fill(const raster::Triangle& tri, const raster::FaceStyle& style,
              const raster::Target& target) const;
    void Replay(const Recording& recording, const raster::Target& target) const;

    ports::Rasterizer kind_;
    ColorSurface* color_;
    DepthSurface* depth_;
    std::uint32_t quality_ = 0x89;
    bool dither_ = false;
    int textureQuality_ = TEXTURE_NEAREST;
    unsigned shades_ = 256;
    std::uint32_t renderMode_ = 0;
    int bufferCount_ = 1;
    int threads_ = 1;
    std::size_t parallelMinFaces_ = 2000;

    // Reused from frame to frame.
    std::vector<Item> items_;
    std::vector<Scratch> scratch_;
    std::vector<Recording> recordings_;
};

}  // namespace render
