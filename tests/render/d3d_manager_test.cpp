#include "render/d3d_manager.h"

#include <gtest/gtest.h>

#include "fake_ports.h"
#include "render/fake_display.h"

namespace {

using render_test::FakeDisplay;
using render_test::HardwareDevice;
using testing_support::RecordingPane;

struct Rig {
    FakeDisplay display;
    RecordingPane pane;
    std::unique_ptr<render::CD3DRoot> root;
    rm::FramePtr scene, camera;
    render::CD3DManager* manager = nullptr;

    Rig() { pane.size = {64, 48}; }
    int Create(int kind = 2) {
        root = std::make_unique<render::CD3DRoot>(display);
        root->Init("/p/");
        root->SelectDeviceByName(kind);
        scene = root->GetRM()->CreateFrame();
        camera = root->GetRM()->CreateFrame(scene.get());
        return root->CreateManager(&manager, &pane, scene, camera, true);
    }
};

TEST(D3DManagerTest, ModesAreSortedDeepestAndLargestFirstAndLimitedTo50) {
    Rig rig;
    rig.display.modes = {{800, 600, 16},  {640, 480, 32},  {1024, 768, 32}, {640, 480, 8},
                         {1024, 768, 16}, {1024, 600, 32}, {800, 600, 8}};
    ASSERT_EQ(rig.Create(), 1);
    const auto& m = rig.manager->Modes();
    ASSERT_EQ(m.size(), 7u);
    const int expected[7][3] = {{1024, 768, 32}, {1024, 600, 32}, {640, 480, 32}, {1024, 768, 16},
                                {800, 600, 16},  {800, 600, 8},   {640, 480, 8}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(m[std::size_t(i)].width, expected[i][0]) << i;
        EXPECT_EQ(m[std::size_t(i)].height, expected[i][1]) << i;
        EXPECT_EQ(m[std::size_t(i)].bitDepth, expected[i][2]) << i;
    }
    EXPECT_EQ(rig.manager->CurrentModeIndex(), 6);  // the 640 x 480 x 8 mode
    // The software devices render at 8, 16, 24 and 32 bits.
    for (const auto& mode : m) EXPECT_EQ(mode.usable, 1);

    Rig many;
    many.display.modes.clear();
    for (int i = 0; i < 60; ++i) many.display.modes.push_back({320 + i, 200, 16});
    ASSERT_EQ(many.Create(), 1);
    ASSERT_EQ(many.manager->Modes().size(), 50u);  // the 51st and later are not listed
    EXPECT_EQ(many.manager->Modes()[0].width, 369);
    EXPECT_EQ(many.manager->CurrentModeIndex(), 0);  // no 640 x 480 x 8 mode: the first
}

TEST(D3DManagerTest, DeviceListHoldsFiveAndAnIndexOfFiveFails) {
    Rig rig;
    rig.display.devices = render::SoftwareDevices();
    for (int i = 0; i < 4; ++i) rig.display.devices.push_back(rig.display.devices[1]);
    rig.display.devices.push_back(rig.display.devices[2]);
    rig.display.devices.back().name = "Late MMX Emulation";  // the root's pick: index 7
    // The root selects from its list of up to 100, the manager keeps 5: creation fails.
    EXPECT_EQ(rig.Create(2), 0);
    EXPECT_EQ(rig.manager, nullptr);
    EXPECT_EQ(rig.root->SelectedDevice(), 7);

    Rig ok;
    ASSERT_EQ(ok.Create(), 1);
    EXPECT_EQ(ok.manager->Devices().size(), 3u);
    EXPECT_EQ(ok.manager->SelectDevice(5), 0);
    EXPECT_EQ(ok.manager->SelectDevice(3), 0);
    EXPECT_EQ(ok.manager->SelectDevice(-1), 0);
    EXPECT_EQ(ok.manager->SelectDevice(1), 1);
    EXPECT_EQ(ok.manager->CurrentDevice(), 1);
}

TEST(D3DManagerTest, DefaultDevicePrefersHardwareThenMonoThenRgb) {
    Rig rig;
    ASSERT_EQ(rig.Create(), 1);
    EXPECT_EQ(rig.manager->ChooseDefaultDevice(), 1);
    EXPECT_EQ(rig.manager->CurrentDevice(), 0);  // "Ramp Emulation", the mono device
    rig.manager->softwareOnly = true;
    EXPECT_EQ(rig.manager->ChooseDefaultDevice(), 1);
    EXPECT_EQ(rig.manager->CurrentDevice(), 0);

    Rig hw;
    hw.display.devices.push_back(HardwareDevice("Accel", ports::DDBD_32));
    ASSERT_EQ(hw.Create(), 1);
    EXPECT_EQ(hw.manager->ChooseDefaultDevice(), 1);
    EXPECT_EQ(hw.manager->CurrentDevice(), 3);

    Rig none;
    none.display.devices.clear();
    EXPECT_EQ(none.Create(), 0);
}

TEST(D3DManagerTest, HardwareDeviceOffTheDisplayDepthFallsBackToMono) {
    Rig rig;
    rig.display.current = {1024, 768, 16};
    rig.display.modes = {rig.display.current};
    rig.display.devices.insert(rig.display.devices.begin(),
                               HardwareDevice("Accel 32 only", ports::DDBD_32));
    ASSERT_EQ(rig.Create(), 1);
    ASSERT_EQ(rig.manager->SelectDevice(0), 1);
    EXPECT_EQ(rig.manager->Modes().size(), 1u);
    EXPECT_EQ(rig.manager->Modes()[0].usable, 0);  // the 16-bit mode is not usable with it
    ASSERT_EQ(rig.manager->InitWindowed(), 1);
    EXPECT_EQ(rig.manager->CurrentDevice(), 1);  // "Ramp Emulation"
    EXPECT_EQ(rig.manager->GetDevice()->Kind(), ports::Rasterizer::Ramp);

    // Without a mono software device the window cannot be set up.
    Rig bare;
    bare.display.current = {1024, 768, 16};
    bare.display.devices = {HardwareDevice("Accel 32 only", ports::DDBD_32),
                            render::SoftwareDevices()[1]};
    ASSERT_EQ(bare.Create(), 1);
    ASSERT_EQ(bare.manager->SelectDevice(0), 1);
    EXPECT_EQ(bare.manager->InitWindowed(), 0);
    EXPECT_FALSE(bare.manager->IsReady());
}

TEST(D3DManagerTest, EightBitDisplaysGetAPaletteWithTwentyReadOnlyEntries) {
    Rig rig;
    rig.display.current = {640, 480, 8};
    for (int i = 0; i < 256; ++i) rig.display.palette[std::size_t(i)] = {std::uint8_t(i), 1, 2, 0};
    ASSERT_EQ(rig.Create(), 1);
    ASSERT_EQ(rig.manager->InitWindowed(), 1);
    ASSERT_TRUE(rig.manager->Palette().has_value());
    const auto& p = *rig.manager->Palette();
    int readOnly = 0, reserved = 0;
    for (int i = 0; i < 256; ++i) {
        const auto& e = p[std::size_t(i)];
        EXPECT_EQ(e.red, i);  // copied from the system palette
        readOnly += e.flags == render::PAL_READONLY ? 1 : 0;
        reserved += e.flags == render::PC_RESERVED ? 1 : 0;
        if (i < 10 || i >= 246) {
            EXPECT_EQ(e.flags, render::PAL_READONLY) << i;
        }
    }
    EXPECT_EQ(readOnly, 20);
    EXPECT_EQ(reserved, 236);
    // Render states of an 8-bit display.
    EXPECT_EQ(rig.manager->GetDevice()->GetShades(), 16u);
    EXPECT_TRUE(rig.manager->GetDevice()->GetDither());
    EXPECT_EQ(rig.root->GetRM()->GetDefaultTextureColors(), 16u);
    EXPECT_EQ(rig.root->GetRM()->GetDefaultTextureShades(), 8u);

    Rig deep;
    ASSERT_EQ(deep.Create(), 1);
    ASSERT_EQ(deep.manager->InitWindowed(), 1);
    EXPECT_FALSE(deep.manager->Palette().has_value());
    EXPECT_EQ(deep.manager->GetDevice()->GetShades(), 256u);
    EXPECT_FALSE(deep.manager->GetDevice()->GetDither());
    EXPECT_EQ(deep.root->GetRM()->GetDefaultTextureShades(), 256u);
}

TEST(D3DManagerTest, RenderStatesFollowTheDisplayDepth) {
    const struct {
        int bits;
        unsigned colors, textureShades, shades;
    } cases[] = {{1, 64, 4, 4}, {16, 64, 32, 64}, {24, 64, 256, 256}};
    for (const auto& c : cases) {
        Rig rig;
        rig.display.current = {640, 480, c.bits};
        ASSERT_EQ(rig.Create(), 1);
        ASSERT_EQ(rig.manager->InitWindowed(), 1) << c.bits;
        EXPECT_EQ(rig.root->GetRM()->GetDefaultTextureColors(), c.colors)
            << c.bits;  // 1 bit: untouched
        EXPECT_EQ(rig.root->GetRM()->GetDefaultTextureShades(), c.textureShades) << c.bits;
        EXPECT_EQ(rig.manager->GetDevice()->GetShades(), c.shades) << c.bits;
        EXPECT_EQ(rig.manager->GetDevice()->GetQuality(), 0x89u);
        EXPECT_EQ(rig.manager->GetDevice()->GetTextureQuality(), render::TEXTURE_NEAREST);
    }
}

TEST(D3DManagerTest, TextureFormatsSkipAlphaAndPreferPalettized) {
    EXPECT_EQ(render::MaskBits(0xF800), 5);
    EXPECT_EQ(render::MaskBits(0x07E0), 6);
    EXPECT_EQ(render::MaskBits(0), 0);
    EXPECT_EQ(render::MaskBits(0x0F0F), 4);  // the run that starts at the lowest set bit
    Rig rig;
    ASSERT_EQ(rig.Create(), 1);
    ASSERT_EQ(rig.manager->InitWindowed(), 1);
    const auto& formats = rig.manager->TextureFormats();
    ASSERT_EQ(formats.size(), 3u);
    for (const auto& f : formats) EXPECT_EQ(f.alphaMask, 0u);
    EXPECT_TRUE(formats[std::size_t(rig.manager->ChosenTextureFormat())].palettized);
    EXPECT_EQ(formats[1].redBits, 5);
    EXPECT_EQ(formats[1].greenBits, 6);
}

TEST(D3DManagerTest, ResizeToZeroFailsAndTheNextSizeRecovers) {
    Rig rig;
    rig.pane.size = {64, 48};
    ASSERT_EQ(rig.Create(), 1);
    ASSERT_EQ(rig.manager->InitWindowed(), 1);
    ASSERT_EQ(rig.manager->CreateScene(), 1);
    EXPECT_EQ(rig.manager->Render(true), 1);
    EXPECT_EQ(rig.manager->FrontBuffer().width, 64);
    EXPECT_EQ(rig.pane.invalidations, 1);  // presented outside a paint: the pane repaints

    rig.pane.size = {0, 48};
    EXPECT_EQ(rig.manager->Resize(true), 0);
    EXPECT_TRUE(rig.manager->IsReady());
    EXPECT_EQ(rig.manager->Render(true), 0);
    EXPECT_FALSE(rig.manager->FrontBuffer().Valid());  // nothing to show

    rig.pane.size = {80, 20};
    EXPECT_EQ(rig.manager->Resize(true), 1);
    EXPECT_EQ(rig.manager->Render(false), 1);
    EXPECT_FALSE(rig.manager->FrontBuffer().Valid());  // not presented
    rig.manager->SetPainting(true);
    EXPECT_EQ(rig.manager->Render(true), 1);
    EXPECT_EQ(rig.pane.invalidations, 1);  // presented while painting: no repaint asked
    EXPECT_EQ(rig.manager->FrontBuffer().width, 80);
    EXPECT_EQ(rig.manager->FrontBuffer().height, 20);
    EXPECT_EQ(rig.manager->GetViewport()->GetWidth(), 80);
    EXPECT_EQ(rig.manager->GetViewport()->GetBack(), 5000.0f);

    // Resize without re-creation only notes the client size.
    rig.pane.size = {10, 10};
    EXPECT_EQ(rig.manager->Resize(false), 1);
    EXPECT_EQ(rig.manager->SurfaceWidth(), 80);
}

TEST(D3DManagerTest, FullScreenIsNotProvidedAndReleaseClearsEverything) {
    Rig rig;
    ASSERT_EQ(rig.Create(), 1);
    EXPECT_EQ(rig.manager->InitFullScreen(640, 480, 16), 0);
    ASSERT_EQ(rig.manager->InitWindowed(), 1);
    ASSERT_EQ(rig.manager->CreateScene(), 1);
    rig.manager->Release();
    EXPECT_FALSE(rig.manager->IsReady());
    EXPECT_EQ(rig.manager->GetViewport(), nullptr);
    EXPECT_EQ(rig.manager->GetDevice(), nullptr);
    EXPECT_EQ(rig.manager->SurfaceWidth(), -1);
    EXPECT_EQ(rig.manager->Render(true), 0);
    EXPECT_EQ(rig.manager->SetRenderQuality(0x88), 0);  // no device any more
}

}  // namespace
