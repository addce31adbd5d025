// Builds .png, .jpg and .tga files in memory for the tests, with stb's image writer (an
// encoder of its own, not the decoder under test).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace testing_support {

enum class ImageFormat { Png, Jpeg, Tga, TgaRunLength };

// A `width` × `height` image of `format` whose pixel (x, y), y from the top, is `pixel` as
// 0xAARRGGBB, written with four channels (JPEG: three, at quality 100).
std::string MakeImage(ImageFormat format, int width, int height,
                      const std::function<std::uint32_t(int x, int y)>& pixel);

}  // namespace testing_support
