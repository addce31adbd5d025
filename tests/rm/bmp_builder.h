// Builds .bmp files in memory for the tests: 8-bit with a palette, 24-bit and 32-bit,
// bottom-up or top-down, with a chosen compression field.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

struct BmpSpec {
    int width = 2;
    int height = 2;
    int bitsPerPixel = 24;  // 8 (grey palette: index = value), 24 or 32
    bool topDown = false;
    std::uint32_t compression = 0;
    // Colour of pixel (x, y), y from the top, as 0xAARRGGBB (8-bit: the blue byte is
    // the palette index).
    std::function<std::uint32_t(int x, int y)> pixel = [](int, int) { return 0xFF000000u; };
};

inline void Put16(std::string& s, std::uint32_t v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

inline std::string MakeBmp(const BmpSpec& spec) {
    const int paletteSize = spec.bitsPerPixel == 8 ? 256 : 0;
    const std::uint32_t rowBytes = std::uint32_t((spec.width * spec.bitsPerPixel + 31) / 32 * 4);
    const std::uint32_t offset = 14 + 40 + std::uint32_t(paletteSize) * 4;
    std::string s = "BM";
    Put32(s, offset + rowBytes * std::uint32_t(spec.height));
    Put32(s, 0);
    Put32(s, offset);
    Put32(s, 40);
    Put32(s, std::uint32_t(spec.width));
    Put32(s, std::uint32_t(spec.topDown ? -spec.height : spec.height));
    Put16(s, 1);
    Put16(s, std::uint32_t(spec.bitsPerPixel));
    Put32(s, spec.compression);
    Put32(s, rowBytes * std::uint32_t(spec.height));
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, 0);
    Put32(s, 0);
    for (int i = 0; i < paletteSize; ++i) Put32(s, std::uint32_t(i) * 0x010101u);
    for (int row = 0; row < spec.height; ++row) {
        const int y = spec.topDown ? row : spec.height - 1 - row;
        std::string line;
        for (int x = 0; x < spec.width; ++x) {
            const std::uint32_t c = spec.pixel(x, y);
            if (spec.bitsPerPixel == 8) {
                line += char(c & 0xFF);
            } else {
                line += char(c & 0xFF);
                line += char((c >> 8) & 0xFF);
                line += char((c >> 16) & 0xFF);
                if (spec.bitsPerPixel == 32) line += char((c >> 24) & 0xFF);
            }
        }
        line.resize(rowBytes, '\0');
        s += line;
    }
    return s;
}

// A checkerboard of `cells` x `cells` squares, `size` pixels a side, black and white.
inline std::string CheckerBmp(int size, int cells) {
    BmpSpec spec;
    spec.width = spec.height = size;
    spec.pixel = [size, cells](int x, int y) {
        const int cell = size / cells;
        return ((x / cell + y / cell) % 2) ? 0xFF000000u : 0xFFFFFFFFu;
    };
    return MakeBmp(spec);
}

}  // namespace testing_support
