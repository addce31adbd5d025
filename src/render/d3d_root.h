// The 3D root: the shared object-creating root of the scene, the display's drivers and 3D
// devices with the device the program draws with, and the 3D managers of the windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ports/display.h"
#include "ports/pane_host.h"
#include "ports/ui.h"
#include "rm/frame.h"
#include "rm/root.h"

namespace render {

class CD3DManager;

// One display driver as listed.
struct DriverEntry {
    std::string description;
    std::string name;
};

// One 3D device as listed. Names and descriptions are kept whole, however long.
struct DeviceEntry {
    std::string name;
    std::string description;
    ports::DeviceDesc
        desc;  // the hardware description when it has a colour model, else the software one
    ports::Rasterizer guid = ports::Rasterizer::None;  // what creates the device
    int hardware = 0;               // the hardware description has a colour model
    int perspectiveTextures = 0;    // desc draws textures perspective-correct
    int zBuffer = 0;                // desc has a z-buffer depth
    int rendersAtDisplayDepth = 0;  // desc renders at the display's depth
};

// The depth flag (DDBD_*) of a bits-per-pixel value; 0 for values without one.
std::uint32_t DepthFlag(int bitsPerPixel);

// Lists the display's devices into entries, computing the flags against the display's
// depth; at most `limit` entries, skipping hardware devices when `softwareOnly`.
std::vector<DeviceEntry> ListDevices(const ports::Display& display, int displayBits,
                                     std::size_t limit, bool softwareOnly);

class CD3DRoot {
  public:
    static constexpr std::size_t kMaxDrivers = 10;
    static constexpr std::size_t kMaxDevices = 100;
    static constexpr std::size_t kMaxManagers = 100;

    explicit CD3DRoot(ports::Display& display);
    ~CD3DRoot();
    CD3DRoot(const CD3DRoot&) = delete;
    CD3DRoot& operator=(const CD3DRoot&) = delete;

    // Lists drivers and devices, creates the object-creating root and adds the folder
    // "TEXTURE/" under `programFolder` to its texture search path. 1 on success.
    int Init(const std::string& programFolder);
    // Lists the display's drivers (the first 10 kept) and, when the primary display opens,
    // its depth and its 3D devices (the first 100 kept); with no display the lists are
    // empty. 1 on success.
    int EnumerateDevices();

    // Kind 0 looks for "Ramp", 1 for "RGB", anything else for "MMX": the last device whose
    // name contains the word is selected, device 0 when none does.
    void SelectDeviceByName(int kind);
    // 1 when a device is hardware and renders at the display's depth.
    int HasUsableHardwareDevice() const;
    // Selects the first such device, device 0 when there is none.
    void SelectUsableHardwareDevice();

    // A 3D manager for `window`, drawing `scene` seen from `camera`, kept in the root's
    // list. 1 on success; on failure the half-made manager is destroyed, *out is null and
    // the result 0 (also when the list of 100 is full).
    int CreateManager(CD3DManager** out, ports::PaneHost* window, rm::FramePtr scene,
                      rm::FramePtr camera, bool wantZBuffer);
    // Releases and destroys every manager, then the object-creating root. A second call
    // finds nothing left.
    void ReleaseAll();

    const std::shared_ptr<rm::Root>& GetRM() const { return rm_; }
    ports::Display& GetDisplay() const { return display_; }
    const std::vector<DriverEntry>& Drivers() const { return drivers_; }
    const std::vector<DeviceEntry>& Devices() const { return devices_; }
    int SelectedDevice() const { return selected_; }
    int DriverIndex() const { return driverIndex_; }
    int DisplayBitDepth() const { return displayBits_; }
    std::size_t ManagerCount() const { return managers_.size(); }

  private:
    ports::Display& display_;
    std::shared_ptr<rm::Root> rm_;
    int displayBits_ = 0;
    std::vector<std::unique_ptr<CD3DManager>> managers_;
    std::vector<DriverEntry> drivers_;
    std::vector<DeviceEntry> devices_;
    int selected_ = 0;
    int driverIndex_ = 0;
};

// The device choice at start-up: Init, the "MMX" device (else the first), and when a
// usable hardware device exists the question whether to use it; on Yes that device.
// Returns Init's result.
int ChooseStartupDevice(CD3DRoot& root, ports::UserInterface& ui, const std::string& programFolder);

}  // namespace render
