// The display as the 3D layer sees it: its drivers, its modes, its 3D devices and its
// system palette. The shell reports the screens it finds and the program's own software
// devices (render::StandardDisplay); tests give any list.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ports {

// Depth flags of a device's render and z-buffer depths: one bit per bits-per-pixel value.
constexpr std::uint32_t DDBD_1 = 0x4000;
constexpr std::uint32_t DDBD_2 = 0x2000;
constexpr std::uint32_t DDBD_4 = 0x1000;
constexpr std::uint32_t DDBD_8 = 0x0800;
constexpr std::uint32_t DDBD_16 = 0x0400;
constexpr std::uint32_t DDBD_24 = 0x0200;
constexpr std::uint32_t DDBD_32 = 0x0100;

// Colour models of a device.
constexpr std::uint32_t D3DCOLOR_MONO = 1;
constexpr std::uint32_t D3DCOLOR_RGB = 2;

// What a device description says (a hardware or a software one); a colour model of 0
// means "no such description".
struct DeviceDesc {
    std::uint32_t colorModel = 0;
    std::uint32_t renderBitDepth = 0;   // DDBD_* flags
    std::uint32_t zBufferBitDepth = 0;  // DDBD_* flags
    bool perspectiveTextures = false;
};

// Which of the program's rasterizers draws for a device; None for a device the program
// cannot draw with (a test's imaginary hardware device).
enum class Rasterizer { None, Ramp, Rgb, Mmx };

struct DeviceInfo {
    std::string name;
    std::string description;
    DeviceDesc hardware;  // colour model 0 for a software device
    DeviceDesc software;
    Rasterizer rasterizer = Rasterizer::None;  // stands for the device's GUID
};

struct DriverInfo {
    std::string description;
    std::string name;
};

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
};

// One display: every call answers for the display as it is now. A display that cannot be
// opened (no screen) answers with empty lists and a zero mode.
class Display {
  public:
    virtual ~Display() = default;
    // Display drivers, the primary display's first.
    virtual std::vector<DriverInfo> Drivers() const = 0;
    // Whether the display can be opened at all (with the given driver, 0 the primary).
    virtual bool Open(int driverIndex) const = 0;
    // The display's modes in the order it lists them, and its current mode.
    virtual std::vector<DisplayMode> Modes() const = 0;
    virtual DisplayMode CurrentMode() const = 0;
    // The 3D devices of the display, in the order it lists them.
    virtual std::vector<DeviceInfo> Devices() const = 0;
    // The 256 entries of the system palette (meaningful on 8-bit displays).
    virtual std::array<PaletteEntry, 256> SystemPalette() const = 0;
};

}  // namespace ports
