// A display for the 3D tests: any drivers, modes and devices.
#pragma once

#include <string>
#include <vector>

#include "ports/display.h"
#include "ports/pane_host.h"
#include "ports/ui.h"
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

class FakePane : public ports::PaneHost {
  public:
    ports::Size size{64, 48};
    int invalidations = 0;
    ports::Size ClientSize() const override { return size; }
    void Invalidate(bool) override { ++invalidations; }
    void SetCapture() override {}
    void ReleaseCapture() override {}
    bool HasCapture() const override { return false; }
};

class ScriptedUi : public ports::UserInterface {
  public:
    struct Box {
        std::string text, caption;
        ports::Buttons buttons;
        ports::Icon icon;
    };
    std::vector<Box> boxes;
    ports::Answer answer = ports::Answer::No;

    ports::Answer MessageBox(const std::string& text, const std::string& caption,
                             ports::Buttons buttons, ports::Icon icon) override {
        boxes.push_back({text, caption, buttons, icon});
        return buttons == ports::Buttons::Ok ? ports::Answer::Ok : answer;
    }
    std::optional<std::string> FileDialog(const ports::FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::uint32_t> ChooseColor(std::uint32_t) override { return std::nullopt; }
    bool DoModal(ports::ModalDialog&) override { return false; }
    void Beep() override {}
};

}  // namespace render_test
