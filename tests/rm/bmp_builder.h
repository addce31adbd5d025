// Builds .bmp files in memory for the tests: 8-bit with a palette, 24-bit and 32-bit,
// bottom-up or top-down, with a chosen compression field.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/numbers.h"

namespace testing_support {

struct BmpLayout {
    int width = 2;
    int height = 2;
    int bitsPerPixel = 24;  // 8 (grey palette: index = value), 24 or 32
    bool topDown = false;
    std::uint32_t compression = 0;
    // Colour of pixel (x, y), y from the top, as 0xAARRGGBB (8-bit: the blue byte is
    // the palette index).
    std::function<std::uint32_t(int x, int y)> pixel = [](int, int) { return 0xFF000000u; };
};

inline std::string MakeBmp(const BmpLayout& layout) {
    const int paletteSize = layout.bitsPerPixel == 8 ? 256 : 0;
    const std::uint32_t rowBytes =
        std::uint32_t((layout.width * layout.bitsPerPixel + 31) / 32 * 4);
    const std::uint32_t offset = 14 + 40 + std::uint32_t(paletteSize) * 4;
    std::string s = "BM";
    base::AppendLE32(s, offset + rowBytes * std::uint32_t(layout.height));
    base::AppendLE32(s, 0);
    base::AppendLE32(s, offset);
    base::AppendLE32(s, 40);
    base::AppendLE32(s, std::uint32_t(layout.width));
    base::AppendLE32(s, std::uint32_t(layout.topDown ? -layout.height : layout.height));
    base::AppendLE16(s, 1);
    base::AppendLE16(s, std::uint32_t(layout.bitsPerPixel));
    base::AppendLE32(s, layout.compression);
    base::AppendLE32(s, rowBytes * std::uint32_t(layout.height));
    base::AppendLE32(s, 2835);
    base::AppendLE32(s, 2835);
    base::AppendLE32(s, 0);
    base::AppendLE32(s, 0);
    for (int i = 0; i < paletteSize; ++i) base::AppendLE32(s, std::uint32_t(i) * 0x010101u);
    for (int row = 0; row < layout.height; ++row) {
        const int y = layout.topDown ? row : layout.height - 1 - row;
        std::string line;
        for (int x = 0; x < layout.width; ++x) {
            const std::uint32_t c = layout.pixel(x, y);
            if (layout.bitsPerPixel == 8) {
                line += char(c & 0xFF);
            } else {
                line += char(c & 0xFF);
                line += char((c >> 8) & 0xFF);
                line += char((c >> 16) & 0xFF);
                if (layout.bitsPerPixel == 32) line += char((c >> 24) & 0xFF);
            }
        }
        line.resize(rowBytes, '\0');
        s += line;
    }
    return s;
}

// A checkerboard of `cells` x `cells` squares, `size` pixels a side, black and white.
inline std::string CheckerBmp(int size, int cells) {
    BmpLayout layout;
    layout.width = layout.height = size;
    layout.pixel = [size, cells](int x, int y) {
        const int cell = size / cells;
        return ((x / cell + y / cell) % 2) ? 0xFF000000u : 0xFFFFFFFFu;
    };
    return MakeBmp(layout);
}

}  // namespace testing_support
