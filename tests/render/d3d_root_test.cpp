#include "render/d3d_root.h"

#include <gtest/gtest.h>

#include "fake_ports.h"
#include "render/d3d_manager.h"
#include "render/fake_display.h"
#include "render/texts.h"

namespace {

using render_test::FakeDisplay;
using render_test::HardwareDevice;
using testing_support::RecordingPane;
using testing_support::ScriptedUi;

TEST(D3DRootTest, StartUpPicksTheMmxDeviceAndAsksNothingWithoutHardware) {
    render::StandardDisplay display({1280, 800, 32});
    render::CD3DRoot root(display);
    ScriptedUi ui;
    EXPECT_EQ(render::ChooseStartupDevice(root, ui, "/opt/kestrilune/"), 1);
    ASSERT_EQ(root.Devices().size(), 3u);
    EXPECT_EQ(root.Devices()[0].name, "Ramp Emulation");
    EXPECT_EQ(root.Devices()[1].name, "RGB Emulation");
    EXPECT_EQ(root.Devices()[2].name, "MMX Emulation");
    EXPECT_EQ(root.SelectedDevice(), 2);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(root.DisplayBitDepth(), 32);
    // The texture search path is kept on the object-creating root.
    ASSERT_TRUE(root.GetRM());
    ASSERT_EQ(root.GetRM()->GetSearchPaths().size(), 1u);
    EXPECT_EQ(root.GetRM()->GetSearchPaths()[0], "/opt/kestrilune/TEXTURE/");
}

TEST(D3DRootTest, SelectionByNameTakesTheLastMatchOrTheFirstDevice) {
    FakeDisplay display;
    display.devices = render::SoftwareDevices();
    display.devices.push_back(display.devices[2]);
    display.devices.back().name = "Second MMX Emulation";
    render::CD3DRoot root(display);
    root.Init("/p/");
    root.SelectDeviceByName(2);
    EXPECT_EQ(root.SelectedDevice(), 3);  // the later of the two "MMX" devices
    root.SelectDeviceByName(1);
    EXPECT_EQ(root.SelectedDevice(), 1);
    root.SelectDeviceByName(0);
    EXPECT_EQ(root.SelectedDevice(), 0);
    display.devices.erase(display.devices.begin() + 2, display.devices.end());
    root.EnumerateDevices();
    root.SelectDeviceByName(7);  // any other kind means "MMX": none here, so device 0
    EXPECT_EQ(root.SelectedDevice(), 0);
}

TEST(D3DRootTest, HardwareQuestionOnlyForADeviceThatRendersAtTheDisplayDepth) {
    FakeDisplay display;
    display.current = {1024, 768, 16};
    display.devices.push_back(HardwareDevice("Accel 32", ports::DDBD_32));
    {
        render::CD3DRoot root(display);
        ScriptedUi ui;
        render::ChooseStartupDevice(root, ui, "/p/");
        EXPECT_EQ(root.HasUsableHardwareDevice(), 0);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(root.SelectedDevice(), 2);
    }
    display.devices.push_back(HardwareDevice("Accel 16", ports::DDBD_16 | ports::DDBD_32));
    display.devices.push_back(HardwareDevice("Accel 16 too", ports::DDBD_16));
    {
        // Answering No keeps the MMX device.
        render::CD3DRoot root(display);
        ScriptedUi ui;
        ui.answers = {ports::Answer::No};
        render::ChooseStartupDevice(root, ui, "/p/");
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, render::text::kHalQuestion);
        EXPECT_EQ(ui.messages[0].caption, render::text::kHalCaption);
        EXPECT_EQ(ui.messages[0].buttons, ports::Buttons::YesNo);
        EXPECT_EQ(root.SelectedDevice(), 2);
    }
    {
        // Yes selects the first usable hardware device.
        render::CD3DRoot root(display);
        ScriptedUi ui;
        ui.answers = {ports::Answer::Yes};
        render::ChooseStartupDevice(root, ui, "/p/");
        EXPECT_EQ(root.SelectedDevice(), 4);
        EXPECT_EQ(root.Devices()[4].hardware, 1);
        EXPECT_EQ(root.Devices()[4].rendersAtDisplayDepth, 1);
    }
}

TEST(D3DRootTest, ListsKeepTheirLimitsAndWholeNames) {
    FakeDisplay display;
    display.drivers.assign(12, {"driver", "name"});
    display.devices.clear();
    const std::string longName(200, 'N');
    const std::string longText(2000, 'D');
    for (int i = 0; i < 105; ++i)
        display.devices.push_back({longName, longText, {}, {}, ports::Rasterizer::Rgb});
    render::CD3DRoot root(display);
    root.Init("/p/");
    EXPECT_EQ(root.Drivers().size(), 10u);
    ASSERT_EQ(root.Devices().size(), 100u);
    EXPECT_EQ(root.Devices()[99].name, longName);
    EXPECT_EQ(root.Devices()[99].description, longText);
}

TEST(D3DRootTest, NoDisplayMeansNoDevicesAndManagerCreationFails) {
    FakeDisplay display;
    display.opens = false;
    render::CD3DRoot root(display);
    EXPECT_EQ(root.Init("/p/"), 1);
    EXPECT_TRUE(root.Devices().empty());
    RecordingPane pane;
    pane.size = {64, 48};
    render::CD3DManager unrelated(display);
    render::CD3DManager* manager = &unrelated;
    EXPECT_EQ(root.CreateManager(&manager, &pane, root.GetRM()->CreateFrame(), nullptr, true), 0);
    EXPECT_EQ(manager, nullptr);
    EXPECT_EQ(root.ManagerCount(), 0u);
}

TEST(D3DRootTest, ManagersBelongToTheRootUntilReleaseAll) {
    FakeDisplay display;
    render::CD3DRoot root(display);
    root.Init("/p/");
    root.SelectDeviceByName(2);
    RecordingPane pane;
    pane.size = {64, 48};
    auto scene = root.GetRM()->CreateFrame();
    auto camera = root.GetRM()->CreateFrame(scene.get());
    render::CD3DManager* manager = nullptr;
    ASSERT_EQ(root.CreateManager(&manager, &pane, scene, camera, true), 1);
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->wantZBuffer);
    EXPECT_EQ(manager->CurrentDevice(), 2);
    EXPECT_EQ(root.ManagerCount(), 1u);
    root.ReleaseAll();
    EXPECT_EQ(root.ManagerCount(), 0u);
    EXPECT_EQ(root.GetRM(), nullptr);
    root.ReleaseAll();  // a second call finds nothing left
    // The scene belongs to the caller and outlives the manager.
    EXPECT_EQ(camera->GetParent(), scene.get());
}

}  // namespace
