// libFuzzer target: the texture image decoder (BMP, PNG, JPEG, TGA) on arbitrary bytes
// (texture files come from anywhere).
#include <cstddef>
#include <cstdint>
#include <span>

#include "rm/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rm::Bitmap bitmap;
    const rm::BitmapError e = rm::DecodeBitmap(std::span(data, size), &bitmap);
    if (e == rm::BitmapError::None) {
        // What decoded is whole and within the limits.
        if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.width > rm::kMaxBitmapSide ||
            bitmap.height > rm::kMaxBitmapSide ||
            bitmap.pixels.size() != std::size_t(bitmap.width) * std::size_t(bitmap.height)) {
            __builtin_trap();
        }
    } else if (!bitmap.pixels.empty()) {
        __builtin_trap();  // a refused file gives nothing
    }
    return 0;
}
