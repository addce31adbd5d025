#include "render/standard_display.h"

#include <algorithm>

namespace render {

std::vector<ports::DeviceInfo> SoftwareDevices() {
    ports::DeviceDesc rgb;
    rgb.colorModel = ports::D3DCOLOR_RGB;
    rgb.renderBitDepth = ports::DDBD_8 | ports::DDBD_16 | ports::DDBD_24 | ports::DDBD_32;
    rgb.zBufferBitDepth = ports::DDBD_16;
    rgb.perspectiveTextures = true;
    ports::DeviceDesc mono = rgb;
    mono.colorModel = ports::D3DCOLOR_MONO;
    return {
        {"Ramp Emulation",
         "Software rasterizer lighting by intensity (mono colour model)",
         {},
         mono,
         ports::Rasterizer::Ramp},
        {"RGB Emulation",
         "Reference software rasterizer (RGB colour model)",
         {},
         rgb,
         ports::Rasterizer::Rgb},
        {"MMX Emulation",
         "Optimised software rasterizer (RGB colour model)",
         {},
         rgb,
         ports::Rasterizer::Mmx},
    };
}

StandardDisplay::StandardDisplay(ports::DisplayMode current, std::vector<ports::DisplayMode> modes)
    : current_(current), modes_(std::move(modes)) {
    if (current_.width > 0 && current_.height > 0 &&
        std::find(modes_.begin(), modes_.end(), current_) == modes_.end()) {
        modes_.push_back(current_);
    }
}

std::vector<ports::DriverInfo> StandardDisplay::Drivers() const {
    if (!Open(0)) return {};
    return {{"Primary Display Driver", "display"}};
}

bool StandardDisplay::Open(int driverIndex) const {
    return driverIndex == 0 && current_.width > 0 && current_.height > 0;
}

std::vector<ports::DeviceInfo> StandardDisplay::Devices() const {
    return Open(0) ? SoftwareDevices() : std::vector<ports::DeviceInfo>{};
}

std::array<ports::PaletteEntry, 256> StandardDisplay::SystemPalette() const {
    // A grey ramp stands in for a system palette, which true-colour screens do not have.
    std::array<ports::PaletteEntry, 256> p{};
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        p[std::size_t(i)] = {v, v, v, 0};
    }
    return p;
}

}  // namespace render
