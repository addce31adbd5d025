// A display for the 3D tests: any drivers, modes and devices. Their pane and user
// interface are the shared ones of fake_ports.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ports/display.h"
#include "render/standard_display.h"

namespace render_test {

class FakeDisplay : public ports::Display {
  public:
    std::vector<ports::DriverInfo> drivers{{"Primary", "display"}};
    std::vector<ports::DisplayMode> modes{{1280, 720, 32}};
    ports::DisplayMode current{1280, 720, 32};
    std::vector<ports::DeviceInfo> devices = render::SoftwareDevices();
    bool opens = true;
    std::array<ports::PaletteEntry, 256> palette{};

    std::vector<ports::DriverInfo> Drivers() const override { return drivers; }
    bool Open(int) const override { return opens; }
    std::vector<ports::DisplayMode> Modes() const override { return modes; }
    ports::DisplayMode CurrentMode() const override { return current; }
    std::vector<ports::DeviceInfo> Devices() const override { return devices; }
    std::array<ports::PaletteEntry, 256> SystemPalette() const override { return palette; }
};

// A hardware device description that renders at the given depths.
inline ports::DeviceInfo HardwareDevice(const std::string& name, std::uint32_t depths) {
    ports::DeviceInfo d;
    d.name = name;
    d.description = name + " accelerator";
    d.hardware.colorModel = ports::D3DCOLOR_RGB;
    d.hardware.renderBitDepth = depths;
    d.hardware.zBufferBitDepth = ports::DDBD_16;
    d.rasterizer = ports::Rasterizer::None;
    return d;
}

}  // namespace render_test
