// The display of a desktop without a 3D accelerator: the modes the shell reports for its
// screens and the program's three software rasterizer devices.
#pragma once

#include <vector>

#include "ports/display.h"

namespace render {

// "Ramp Emulation", "RGB Emulation" and "MMX Emulation", in that order.
std::vector<ports::DeviceInfo> SoftwareDevices();

class StandardDisplay : public ports::Display {
  public:
    // `current` is the primary screen's mode; `modes` every mode the screens offer (the
    // current one is added when missing). A current mode of zero size means no display.
    StandardDisplay(ports::DisplayMode current, std::vector<ports::DisplayMode> modes = {});

    std::vector<ports::DriverInfo> Drivers() const override;
    bool Open(int driverIndex) const override;
    std::vector<ports::DisplayMode> Modes() const override { return modes_; }
    ports::DisplayMode CurrentMode() const override { return current_; }
    std::vector<ports::DeviceInfo> Devices() const override;
    std::array<ports::PaletteEntry, 256> SystemPalette() const override;

  private:
    ports::DisplayMode current_;
    std::vector<ports::DisplayMode> modes_;
};

}  // namespace render
