// The 3D device of one window. CDDrawWindow is the display level: the display's drivers and
// modes, the window's surfaces (the picture the pane shows, the back buffer drawn into and
// the 16-bit z-buffer) and the palette of 8-bit displays. CD3DManager adds the 3D level:
// its own device list, the chosen rasterizer device, the viewport, the render states and
// the rendering operations.
//
// Full-screen exclusive mode is not provided: the program draws in a window only, and
// InitFullScreen fails.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "ports/display.h"
#include "ports/pane_host.h"
#include "render/d3d_root.h"
#include "render/device.h"
#include "render/surface.h"
#include "rm/frame.h"
#include "rm/root.h"
#include "rm/viewport.h"

namespace render {

struct ModeEntry {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int usable = 0;  // the chosen device renders at this depth
};

struct TextureFormat {
    int bitCount = 0;
    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;
    bool palettized = false;
    int redBits = 0, greenBits = 0, blueBits = 0, indexBits = 0;
};

// The length of the run of set bits that starts at the mask's lowest set bit; 0 for 0.
int MaskBits(std::uint32_t mask);

// Palette entry flags.
constexpr std::uint8_t PAL_READONLY = 0x40;
constexpr std::uint8_t PC_RESERVED = 0x01;

class CDDrawWindow {
  public:
    static constexpr std::size_t kMaxModes = 50;
    static constexpr std::size_t kMaxDrivers = 10;

    explicit CDDrawWindow(ports::Display& display) : display_(display) {}
    virtual ~CDDrawWindow() = default;
    CDDrawWindow(const CDDrawWindow&) = delete;
    CDDrawWindow& operator=(const CDDrawWindow&) = delete;

    virtual int CreateDirectDraw(ports::PaneHost* window, bool want3D, bool enumerateDrivers,
                                 int driverIndex);
    virtual int SetFullScreenMode(int width, int height, int bits);
    // Window mode with the window's client size (or the given size when both are > 0).
    virtual int SetWindowMode(int width = 0, int height = 0);
    virtual int UpdateClientSize();
    virtual int RestorePalette(int flag);

    // Lists the display's modes (the first 50), sorted by depth, then width, then height,
    // all descending; the current mode is a 640 x 480 x 8 one when listed, else the first.
    int EnumerateModes();
    int ReadDisplayMode();
    // (Re)creates the picture, the back buffer and (when wanted) the z-buffer at the
    // surface size. 0 for a size that is not positive: the window then has no surfaces.
    int CreateSurfaces();
    // On 8-bit surfaces a palette from the system palette: entries 0-9 and 246-255
    // read-only, the others reserved for the program. Other depths need none.
    int CreatePalette();
    void ReleaseDirectDraw();

    const std::vector<ModeEntry>& Modes() const { return modes_; }
    int CurrentModeIndex() const { return currentMode_; }
    const std::vector<DriverEntry>& Drivers() const { return drivers_; }
    const std::optional<std::array<ports::PaletteEntry, 256>>& Palette() const { return palette_; }
    // The picture the pane shows (empty until the first present) and the back buffer.
    const ColorSurface& FrontBuffer() const { return front_; }
    const ColorSurface& BackBuffer() const { return back_; }
    const DepthSurface& ZBuffer() const { return zbuffer_; }
    int SurfaceWidth() const { return width_; }
    int SurfaceHeight() const { return height_; }
    int SurfaceBitDepth() const { return bitDepth_; }
    int DisplayBitDepth() const { return displayBits_; }
    bool HasDirectDraw() const { return open_; }

    bool wantZBuffer = false;
    int zBufferDepth = 16;

  protected:
    ports::Display& display_;
    ports::PaneHost* window_ = nullptr;
    bool open_ = false;  // the display was opened
    bool fullScreen_ = false;
    bool want3D_ = false;
    int hardware_ = 0;
    int width_ = -1, height_ = -1, bitDepth_ = -1;
    int clientWidth_ = 0, clientHeight_ = 0;
    int displayWidth_ = 0, displayHeight_ = 0, displayBits_ = 0;
    std::vector<DriverEntry> drivers_;
    std::array<ports::PaletteEntry, 256> systemPalette_{};
    std::vector<ModeEntry> modes_;
    int currentMode_ = 0;
    ColorSurface front_, back_;
    DepthSurface zbuffer_;
    std::optional<std::array<ports::PaletteEntry, 256>> palette_;
};

class CD3DManager : public CDDrawWindow {
  public:
    static constexpr std::size_t kMaxDevices = 5;
    static constexpr std::size_t kMaxTextureFormats = 50;
    static constexpr float kBackPlane = 5000.0f;

    explicit CD3DManager(ports::Display& display) : CDDrawWindow(display) {}

    // Takes the window, the root (null: a manager of its own that makes its own objects),
    // the scene and the camera; opens the display, lists the devices (at most 5), picks the
    // default and then the root's selected one. Creates no surfaces.
    int Init(ports::PaneHost* window, CD3DRoot* root, rm::FramePtr scene, rm::FramePtr camera);
    // The first hardware device (unless software only), else the first mono device, else
    // the first RGB one; 0 when there is none.
    int ChooseDefaultDevice();
    // 0 when `index` is not below the device count (5 at most).
    int SelectDevice(int index);
    void Release();

    int SetRenderQuality(std::uint32_t quality);
    int SetDither(bool dither);
    int SetTextureQuality(int quality);

    // Not provided: full-screen mode fails.
    int InitFullScreen(int width, int height, int bits);
    // Window mode: surfaces at the client size, palette, device, texture formats, render
    // states; then ready.
    int InitWindowed(int width = 0, int height = 0);
    int RestorePalette(int flag) override;

    // Draws one frame; presents it (into the picture the pane shows) when `present`.
    virtual int Render(bool present);
    virtual int Tick(float delta, bool present);
    // Follows a new client size; with `recreate` new surfaces, device and viewport.
    virtual int Resize(bool recreate);

    int CreateScene();
    int CreateViewport(int x, int y, int width, int height, float back);
    int SetCameraPosition(float x, float y, float z);
    int CameraLookAt(const rm::Frame* target);
    void RestoreLostSurfaces() {}  // our surfaces are never lost
    int CreateDevices();
    int EnumerateTextureFormats();
    int ApplyRenderStates();

    // While set, a present does not ask the window to repaint (it is painting already).
    void SetPainting(bool painting) { painting_ = painting; }

    bool IsReady() const { return ready_; }
    rm::Viewport* GetViewport() const { return viewport_.get(); }
    Device* GetDevice() const { return device_.get(); }
    const std::vector<DeviceEntry>& Devices() const { return devices_; }
    int CurrentDevice() const { return currentDevice_; }
    const std::vector<TextureFormat>& TextureFormats() const { return textureFormats_; }
    int ChosenTextureFormat() const { return chosenFormat_; }
    const rm::FramePtr& Scene() const { return scene_; }
    const rm::FramePtr& Camera() const { return camera_; }
    const std::shared_ptr<rm::Root>& RM() const { return rm_; }
    int PresentCount() const { return presents_; }

    bool softwareOnly = false;
    bool blendedTransparency = false;

  private:
    int Present();
    void ReleaseDevices();

    CD3DRoot* root_ = nullptr;
    std::shared_ptr<rm::Root> rm_;
    rm::FramePtr scene_, camera_;
    std::unique_ptr<Device> device_;
    bool d3dOpen_ = false;
    std::shared_ptr<rm::Viewport> viewport_;
    bool ready_ = false;
    bool painting_ = false;
    std::uint32_t renderQuality_ = 0x89;
    bool dither_ = false;
    int textureQuality_ = TEXTURE_NEAREST;
    std::vector<DeviceEntry> devices_;
    int currentDevice_ = 0;
    std::vector<TextureFormat> textureFormats_;
    int chosenFormat_ = 0;
    int presents_ = 0;
};

}  // namespace render
