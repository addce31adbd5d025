// The frame buffers of a 3D window: colour surfaces (0x00RRGGBB, row by row from the top,
// what the pane shows) and a 16-bit z-buffer.
#pragma once

#include <cstdint>
#include <vector>

namespace render {

struct ColorSurface {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool Valid() const { return width > 0 && height > 0; }
    // False (and an empty surface) for a size that is not positive.
    bool Create(int w, int h) {
        Release();
        if (w <= 0 || h <= 0) return false;
        width = w;
        height = h;
        pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0u);
        return true;
    }
    void Release() {
        width = height = 0;
        pixels.clear();
        pixels.shrink_to_fit();
    }
};

struct DepthSurface {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> depth;

    bool Valid() const { return width > 0 && height > 0; }
    bool Create(int w, int h) {
        Release();
        if (w <= 0 || h <= 0) return false;
        width = w;
        height = h;
        depth.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0xFFFF);
        return true;
    }
    void Release() {
        width = height = 0;
        depth.clear();
        depth.shrink_to_fit();
    }
};

}  // namespace render
