#include "render/d3d_root.h"

#include "base/module_dir.h"
#include "render/d3d_manager.h"
#include "render/texts.h"

namespace render {

std::uint32_t DepthFlag(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1:
            return ports::DDBD_1;
        case 2:
            return ports::DDBD_2;
        case 4:
            return ports::DDBD_4;
        case 8:
            return ports::DDBD_8;
        case 16:
            return ports::DDBD_16;
        case 24:
            return ports::DDBD_24;
        case 32:
            return ports::DDBD_32;
        default:
            return 0;
    }
}

std::vector<DeviceEntry> ListDevices(const ports::Display& display, int displayBits,
                                     std::size_t limit, bool softwareOnly) {
    std::vector<DeviceEntry> list;
    for (const ports::DeviceInfo& info : display.Devices()) {
        if (list.size() >= limit) break;
        const bool hardware = info.hardware.colorModel != 0;
        if (softwareOnly && hardware) continue;
        DeviceEntry e;
        e.name = info.name;
        e.description = info.description;
        e.desc = hardware ? info.hardware : info.software;
        e.guid = info.rasterizer;
        e.hardware = hardware ? 1 : 0;
        e.perspectiveTextures = e.desc.perspectiveTextures ? 1 : 0;
        e.zBuffer = e.desc.zBufferBitDepth != 0 ? 1 : 0;
        e.rendersAtDisplayDepth = (e.desc.renderBitDepth & DepthFlag(displayBits)) != 0 ? 1 : 0;
        list.push_back(std::move(e));
    }
    return list;
}

CD3DRoot::CD3DRoot(ports::Display& display) : display_(display) {}

CD3DRoot::~CD3DRoot() {
    ReleaseAll();
}

int CD3DRoot::EnumerateDevices() {
    drivers_.clear();
    for (const ports::DriverInfo& d : display_.Drivers()) {
        if (drivers_.size() >= kMaxDrivers) break;  // the rest are not kept
        drivers_.push_back({d.description, d.name});
    }
    devices_.clear();
    displayBits_ = 0;
    // Without a display the device list stays empty, so that a 3D window later fails to
    // set up instead of drawing with a device that does not exist.
    if (!display_.Open(0)) return 1;
    displayBits_ = display_.CurrentMode().bitsPerPixel;
    devices_ = ListDevices(display_, displayBits_, kMaxDevices, false);
    return 1;
}

int CD3DRoot::Init(const std::string& programFolder) {
    EnumerateDevices();
    rm_ = std::make_shared<rm::Root>();
    rm_->AddSearchPath(base::JoinPath(programFolder, "TEXTURE/"));
    return 1;
}

void CD3DRoot::SelectDeviceByName(int kind) {
    const char* word = kind == 0 ? "Ramp" : kind == 1 ? "RGB" : "MMX";
    selected_ = 0;
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        if (devices_[i].name.find(word) != std::string::npos) selected_ = static_cast<int>(i);
    }
}

int CD3DRoot::HasUsableHardwareDevice() const {
    for (const DeviceEntry& e : devices_) {
        if (e.hardware && e.rendersAtDisplayDepth) return 1;
    }
    return 0;
}

void CD3DRoot::SelectUsableHardwareDevice() {
    selected_ = 0;
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        if (devices_[i].hardware && devices_[i].rendersAtDisplayDepth) {
            selected_ = static_cast<int>(i);
            return;
        }
    }
}

int CD3DRoot::CreateManager(CD3DManager** out, ports::PaneHost* window, rm::FramePtr scene,
                            rm::FramePtr camera, bool wantZBuffer) {
    if (out) *out = nullptr;
    if (!out || managers_.size() >= kMaxManagers) return 0;
    auto manager = std::make_unique<CD3DManager>(display_);
    if (!manager->Init(window, this, std::move(scene), std::move(camera))) {
        manager->Release();
        return 0;
    }
    manager->wantZBuffer = wantZBuffer;
    *out = manager.get();
    managers_.push_back(std::move(manager));
    return 1;
}

void CD3DRoot::ReleaseAll() {
    for (auto& manager : managers_) {
        manager->Release();
        manager.reset();
    }
    managers_.clear();
    rm_.reset();
}

int ChooseStartupDevice(CD3DRoot& root, ports::UserInterface& ui,
                        const std::string& programFolder) {
    const int result = root.Init(programFolder);
    root.SelectDeviceByName(2);
    if (root.HasUsableHardwareDevice()) {
        const ports::Answer answer =
            ui.MessageBox(std::string(text::kHalQuestion), std::string(text::kHalCaption),
                          ports::Buttons::YesNo, ports::Icon::None);
        if (answer == ports::Answer::Yes) root.SelectUsableHardwareDevice();
    }
    return result;
}

}  // namespace render
