#include "rm/image_builder.h"

#include <vector>

// GCC's -O3 inlining flags stb's writer (null dereferences it cannot rule out, and the
// like); the header is not ours, so its warnings are silenced around it alone.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace testing_support {

namespace {

void Append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), std::size_t(size));
}

}  // namespace

std::string MakeImage(ImageFormat format, int width, int height,
                      const std::function<std::uint32_t(int x, int y)>& pixel) {
    const int channels = format == ImageFormat::Jpeg ? 3 : 4;
    std::vector<unsigned char> rgba;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixel(x, y);
            rgba.push_back((p >> 16) & 0xFF);
            rgba.push_back((p >> 8) & 0xFF);
            rgba.push_back(p & 0xFF);
            if (channels == 4) rgba.push_back(p >> 24);
        }
    }
    std::string out;
    switch (format) {
        case ImageFormat::Png:
            stbi_write_png_to_func(Append, &out, width, height, channels, rgba.data(),
                                   width * channels);
            break;
        case ImageFormat::Jpeg:
            stbi_write_jpg_to_func(Append, &out, width, height, channels, rgba.data(), 100);
            break;
        case ImageFormat::Tga:
        case ImageFormat::TgaRunLength:
            stbi_write_tga_with_rle = format == ImageFormat::TgaRunLength ? 1 : 0;
            stbi_write_tga_to_func(Append, &out, width, height, channels, rgba.data());
            break;
    }
    return out;
}

}  // namespace testing_support
