#include "render/d3d_manager.h"

#include <algorithm>

namespace render {

int MaskBits(std::uint32_t mask) {
    if (mask == 0) return 0;
    while (!(mask & 1u)) mask >>= 1;
    int n = 0;
    while (mask & 1u) {
        ++n;
        mask >>= 1;
    }
    return n;
}

// ---------------------------------------------------------------------------------------
// Display level

int CDDrawWindow::CreateDirectDraw(ports::PaneHost* window, bool want3D, bool enumerateDrivers,
                                   int driverIndex) {
    if (enumerateDrivers) {
        drivers_.clear();
        for (const ports::DriverInfo& d : display_.Drivers()) {
            if (drivers_.size() >= kMaxDrivers) break;
            drivers_.push_back({d.description, d.name});
        }
    }
    if (!display_.Open(driverIndex < 0 ? 0 : driverIndex)) return 0;
    open_ = true;
    systemPalette_ = display_.SystemPalette();
    window_ = window;
    want3D_ = want3D;
    if (!EnumerateModes()) return 0;
    if (!ReadDisplayMode()) return 0;
    return UpdateClientSize();
}

int CDDrawWindow::SetFullScreenMode(int, int, int) {
    return 0;
}

int CDDrawWindow::EnumerateModes() {
    modes_.clear();
    for (const ports::DisplayMode& m : display_.Modes()) {
        if (modes_.size() >= kMaxModes) break;
        modes_.push_back({m.width, m.height, m.bitsPerPixel, 0});
    }
    std::stable_sort(modes_.begin(), modes_.end(), [](const ModeEntry& a, const ModeEntry& b) {
        if (a.bitDepth != b.bitDepth) return a.bitDepth > b.bitDepth;
        if (a.width != b.width) return a.width > b.width;
        return a.height > b.height;
    });
    currentMode_ = 0;
    for (std::size_t i = 0; i < modes_.size(); ++i) {
        if (modes_[i].width == 640 && modes_[i].height == 480 && modes_[i].bitDepth == 8) {
            currentMode_ = static_cast<int>(i);
            break;
        }
    }
    return 1;
}

int CDDrawWindow::ReadDisplayMode() {
    const ports::DisplayMode m = display_.CurrentMode();
    displayWidth_ = m.width;
    displayHeight_ = m.height;
    displayBits_ = m.bitsPerPixel;
    return 1;
}

int CDDrawWindow::UpdateClientSize() {
    const ports::Size size = window_ ? window_->ClientSize() : ports::Size{};
    clientWidth_ = size.width;
    clientHeight_ = size.height;
    return 1;
}

int CDDrawWindow::SetWindowMode(int width, int height) {
    fullScreen_ = false;
    UpdateClientSize();
    if (width > 0 && height > 0) {
        clientWidth_ = width;
        clientHeight_ = height;
    }
    // A window not laid out yet gets surfaces of one pixel; its first size brings real ones.
    width_ = std::max(clientWidth_, 1);
    height_ = std::max(clientHeight_, 1);
    bitDepth_ = display_.CurrentMode().bitsPerPixel;
    return CreateSurfaces();
}

int CDDrawWindow::CreateSurfaces() {
    front_.Release();
    back_.Release();
    zbuffer_.Release();
    palette_.reset();
    if (!open_) return 0;
    if (!back_.Create(width_, height_)) return 0;
    if (wantZBuffer && !zbuffer_.Create(width_, height_)) return 0;
    return 1;
}

int CDDrawWindow::CreatePalette() {
    palette_.reset();
    if (bitDepth_ != 8) return 1;
    std::array<ports::PaletteEntry, 256> p = systemPalette_;
    for (int i = 0; i < 256; ++i)
        p[std::size_t(i)].flags = (i < 10 || i >= 246) ? PAL_READONLY : PC_RESERVED;
    palette_ = p;
    return 1;
}

int CDDrawWindow::RestorePalette(int) {
    return 1;
}

void CDDrawWindow::ReleaseDirectDraw() {
    zbuffer_.Release();
    back_.Release();
    front_.Release();
    palette_.reset();
    open_ = false;
    width_ = height_ = bitDepth_ = -1;
    fullScreen_ = false;
    zBufferDepth = 16;
}

// ---------------------------------------------------------------------------------------
// 3D level

int CD3DManager::Init(ports::PaneHost* window, CD3DRoot* root, rm::FramePtr scene,
                      rm::FramePtr camera) {
    ready_ = false;
    softwareOnly = false;
    root_ = root;
    scene_ = std::move(scene);
    camera_ = std::move(camera);
    if (root_) rm_ = root_->GetRM();
    if (!CreateDirectDraw(window, true, true, root_ ? root_->DriverIndex() : 0)) return 0;
    devices_ =
        ListDevices(display_, display_.CurrentMode().bitsPerPixel, kMaxDevices, softwareOnly);
    if (!ChooseDefaultDevice()) return 0;
    return SelectDevice(root_ ? root_->SelectedDevice() : currentDevice_);
}

int CD3DManager::ChooseDefaultDevice() {
    if (!softwareOnly) {
        for (std::size_t i = 0; i < devices_.size(); ++i) {
            if (devices_[i].hardware) {
                currentDevice_ = static_cast<int>(i);
                return 1;
            }
        }
    }
    for (std::uint32_t model : {ports::D3DCOLOR_MONO, ports::D3DCOLOR_RGB}) {
        for (std::size_t i = 0; i < devices_.size(); ++i) {
            if (devices_[i].desc.colorModel & model) {
                currentDevice_ = static_cast<int>(i);
                return 1;
            }
        }
    }
    return 0;
}

int CD3DManager::SelectDevice(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= devices_.size()) return 0;
    currentDevice_ = index;
    const DeviceEntry& d = devices_[std::size_t(index)];
    hardware_ = d.hardware;
    for (ModeEntry& m : modes_)
        m.usable = (d.desc.renderBitDepth & DepthFlag(m.bitDepth)) != 0 ? 1 : 0;
    return 1;
}

void CD3DManager::ReleaseDevices() {
    viewport_.reset();
    device_.reset();
    d3dOpen_ = false;
}

void CD3DManager::Release() {
    ReleaseDevices();
    if (!root_) {
        scene_.reset();
        camera_.reset();
    }
    rm_.reset();
    root_ = nullptr;
    ReleaseDirectDraw();
    scene_.reset();
    camera_.reset();
    ready_ = false;
}

int CD3DManager::SetRenderQuality(std::uint32_t quality) {
    renderQuality_ = quality;
    if (!device_) return 0;
    device_->SetQuality(quality);
    return 1;
}

int CD3DManager::SetDither(bool dither) {
    dither_ = dither;
    if (!device_) return 0;
    device_->SetDither(dither);
    return 1;
}

int CD3DManager::SetTextureQuality(int quality) {
    textureQuality_ = quality;
    if (!device_) return 0;
    device_->SetTextureQuality(quality);
    return 1;
}

int CD3DManager::InitFullScreen(int, int, int) {
    return 0;
}

int CD3DManager::InitWindowed(int width, int height) {
    ready_ = false;
    if (devices_.empty() || std::size_t(currentDevice_) >= devices_.size()) return 0;
    // A hardware device that cannot draw at the display's depth gives way to the first
    // mono software device.
    const int displayBits = display_.CurrentMode().bitsPerPixel;
    const DeviceEntry& current = devices_[std::size_t(currentDevice_)];
    if (current.hardware && !(current.desc.renderBitDepth & DepthFlag(displayBits))) {
        bool found = false;
        for (std::size_t i = 0; i < devices_.size(); ++i) {
            if (!devices_[i].hardware && (devices_[i].desc.colorModel & ports::D3DCOLOR_MONO)) {
                currentDevice_ = static_cast<int>(i);
                hardware_ = 0;
                found = true;
                break;
            }
        }
        if (!found) return 0;
    }
    ReleaseDevices();
    if (!SetWindowMode(width, height)) return 0;
    if (!CreatePalette()) return 0;
    if (!root_ && !rm_) rm_ = std::make_shared<rm::Root>();
    if (!CreateDevices()) return 0;
    if (!EnumerateTextureFormats()) return 0;
    if (!ApplyRenderStates()) return 0;
    ready_ = true;
    return 1;
}

int CD3DManager::RestorePalette(int flag) {
    (void)flag;  // the palette lives with the surfaces and is never lost
    return 1;
}

int CD3DManager::CreateDevices() {
    ReleaseDevices();
    if (!back_.Valid()) return 0;
    const DeviceEntry& d = devices_[std::size_t(currentDevice_)];
    if (d.guid == ports::Rasterizer::None) return 0;  // a device the program cannot draw with
    d3dOpen_ = true;
    device_ = std::make_unique<Device>(d.guid, &back_, zbuffer_.Valid() ? &zbuffer_ : nullptr);
    return 1;
}

int CD3DManager::EnumerateTextureFormats() {
    if (!device_) return 0;
    // What the rasterizers read: 8-bit palettized, 16-bit 5-6-5 and 32-bit colours; formats
    // with alpha pixels are not used.
    struct Offered {
        int bits;
        std::uint32_t r, g, b, a;
        bool palettized;
    };
    static constexpr Offered kOffered[] = {
        {8, 0, 0, 0, 0, true},
        {16, 0xF800, 0x07E0, 0x001F, 0, false},
        {32, 0xFF0000, 0xFF00, 0xFF, 0, false},
        {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u, false},
    };
    textureFormats_.clear();
    chosenFormat_ = 0;
    for (const Offered& o : kOffered) {
        if (o.a != 0) continue;
        if (textureFormats_.size() >= kMaxTextureFormats) break;
        TextureFormat f;
        f.bitCount = o.bits;
        f.redMask = o.r;
        f.greenMask = o.g;
        f.blueMask = o.b;
        f.palettized = o.palettized;
        if (o.palettized) {
            f.indexBits = o.bits == 8 ? 8 : 4;
        } else {
            f.redBits = MaskBits(o.r);
            f.greenBits = MaskBits(o.g);
            f.blueBits = MaskBits(o.b);
        }
        textureFormats_.push_back(f);
        if (f.palettized) chosenFormat_ = static_cast<int>(textureFormats_.size() - 1);
    }
    return 1;
}

int CD3DManager::ApplyRenderStates() {
    if (!device_) return 0;
    const int bits = display_.CurrentMode().bitsPerPixel;
    unsigned colors = 64, textureShades = 256, shades = 256;
    bool setColors = true;
    if (bits == 1) {
        setColors = false;
        textureShades = 4;
        shades = 4;
    } else if (bits == 8) {
        colors = 16;
        textureShades = 8;
        shades = 16;
    } else if (bits == 16) {
        colors = 64;
        textureShades = 32;
        shades = 64;
    }
    if (rm_) {
        if (setColors) rm_->SetDefaultTextureColors(colors);
        rm_->SetDefaultTextureShades(textureShades);
    }
    device_->SetShades(shades);
    device_->SetQuality(renderQuality_);
    dither_ = bits <= 8;
    device_->SetDither(dither_);
    device_->SetTextureQuality(textureQuality_);
    if (blendedTransparency) device_->SetRenderMode(0x3);
    return 1;
}

int CD3DManager::CreateScene() {
    if (!rm_) return 0;
    if (!root_) {
        if (!scene_) scene_ = rm_->CreateFrame();
        if (!camera_) camera_ = rm_->CreateFrame(scene_.get());
        if (!scene_ || !camera_) return 0;
    }
    if (!camera_) return 0;
    camera_->SetPosition(scene_.get(), 0.0f, 0.0f, 0.0f);
    camera_->SetOrientation(scene_.get(), 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f);
    return CreateViewport(0, 0, width_, height_, kBackPlane);
}

int CD3DManager::CreateViewport(int x, int y, int width, int height, float back) {
    if (!rm_ || !device_) return 0;
    viewport_.reset();
    if (width <= 0 || height <= 0) return 0;
    auto viewport = std::make_shared<rm::Viewport>(camera_, x, y, width, height);
    if (!viewport->SetBack(back)) return 0;
    viewport_ = std::move(viewport);
    return 1;
}

int CD3DManager::SetCameraPosition(float x, float y, float z) {
    if (!camera_) return 0;
    camera_->SetPosition(scene_.get(), x, y, z);
    return 1;
}

int CD3DManager::CameraLookAt(const rm::Frame* target) {
    if (!camera_ || !target) return 0;
    return camera_->LookAt(target, scene_.get(), rm::CONSTRAIN_Z) ? 1 : 0;
}

int CD3DManager::Present() {
    if (!back_.Valid()) return 0;
    front_ = back_;
    ++presents_;
    // A picture drawn outside a paint (after a gesture) reaches the screen through one.
    if (!painting_ && window_) window_->Invalidate(false);
    return 1;
}

int CD3DManager::Render(bool present) {
    if (!ready_) return 0;
    RestoreLostSurfaces();
    if (!device_ || !viewport_ || !scene_) return 0;
    if (!device_->Clear(*viewport_)) return 0;
    if (!device_->Render(*viewport_, *scene_)) return 0;
    if (!device_->Update()) return 0;
    if (!present) return 1;
    return Present();
}

int CD3DManager::Tick(float delta, bool present) {
    (void)delta;  // nothing in the scene moves by itself
    if (!ready_) return 0;
    if (!device_ || !viewport_ || !scene_) return 0;
    if (!device_->Clear(*viewport_) || !device_->Render(*viewport_, *scene_) || !device_->Update())
        return 0;
    return present ? Present() : 1;
}

int CD3DManager::Resize(bool recreate) {
    if (!ready_) return 0;
    if (fullScreen_) return 1;
    UpdateClientSize();
    if (!recreate) return 1;
    width_ = clientWidth_;
    height_ = clientHeight_;
    ReleaseDevices();
    if (!CreateSurfaces()) return 0;
    if (!CreatePalette()) return 0;
    if (!CreateDevices()) return 0;
    if (!ApplyRenderStates()) return 0;
    return CreateViewport(0, 0, width_, height_, kBackPlane);
}

}  // namespace render
