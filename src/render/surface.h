// The frame buffers of a 3D window: colour surfaces (0x00RRGGBB, row by row from the top,
// what the pane shows) and a 16-bit z-buffer (cleared to the farthest depth, 0xFFFF).
#pragma once

#include <cstdint>
#include <vector>

namespace render {

template <typename Pixel, Pixel kInitial>
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;

    bool Valid() const { return width > 0 && height > 0; }
    // False (and an empty surface) for a size that is not positive.
    bool Create(int w, int h) {
        Release();
        if (w <= 0 || h <= 0) return false;
        width = w;
        height = h;
        pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), kInitial);
        return true;
    }
    void Release() {
        width = height = 0;
        pixels.clear();
        pixels.shrink_to_fit();
    }
};

using ColorSurface = Surface<std::uint32_t, 0u>;
using DepthSurface = Surface<std::uint16_t, std::uint16_t(0xFFFF)>;

}  // namespace render
