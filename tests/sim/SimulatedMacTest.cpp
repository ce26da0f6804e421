#include "platform/SkyLight.h"
#include "sim/ScriptRunner.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <gtest/gtest.h>

namespace pellamor::sim {
namespace {

class SimulatedMacTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world()
                            .display("D1", { 11, 12 })
                            .display("D2", { 21, 22 })
                            .fullScreen(29)
                            .application(501, "com.openai.codex", "Codex")
                            .window(7, 501, QRectF(10, 20, 300, 200), { 11 }) };
    std::shared_ptr<Framework> skyLight = platform().frameworks().open(skylight::frameworkPath);

    void press(std::uint16_t code, std::uint64_t flags)
    {
        auto down = platform().events().createKeyboardEvent(code, true);
        ASSERT_TRUE(down);
        down->setFlags(flags);
        platform().events().post(EventTap::hid, *down);
    }
};

TEST_F(SimulatedMacTest, AMatchingHotKeySwitchesTheDisplayOfThatDesktopAfterTheDelay)
{
    press(19, 0x40000 | 0x100); // Control+2, with a device-dependent bit that does not matter
    EXPECT_EQ(mac.world().displays[0].current, 11u);
    mac.advance(0.05);
    EXPECT_EQ(mac.world().displays[0].current, 12u);
    press(21, 0x40000); // Control+4: desktop 4 is the second of D2; the full-screen space has no number
    mac.advance(0.05);
    EXPECT_EQ(mac.world().displays[1].current, 22u);
    EXPECT_EQ(mac.mac().log().lines(),
        (std::vector<std::string> { "key-posted code=19 flags=262400 down=true", "current-space display=D1 space=12",
            "key-posted code=21 flags=262144 down=true", "current-space display=D2 space=22" }));
}

TEST_F(SimulatedMacTest, HotKeysDoNothingWhenDisabledMismatchedOrFaulted)
{
    auto setEnabled = skyLight->function<skylight::SetSymbolicHotKeyEnabled>("CGSSetSymbolicHotKeyEnabled");
    ASSERT_TRUE(setEnabled);
    EXPECT_EQ(setEnabled(119, false), 0);
    press(19, 0x40000);
    press(18, 0x100000); // Command+1 is not the shortcut
    mac.advance(1);
    EXPECT_EQ(mac.world().displays[0].current, 11u);
    mac.world().faults.switchDelivery = SwitchDelivery::never;
    press(18, 0x40000);
    mac.advance(1);
    EXPECT_EQ(mac.world().displays[0].current, 11u);
    mac.world().faults.disableHotkey = HotkeyChange::fails;
    EXPECT_NE(setEnabled(118, false), 0);
    mac.world().faults.disableHotkey = HotkeyChange::ignored;
    EXPECT_EQ(setEnabled(118, false), 0);
    EXPECT_TRUE(mac.world().hotkeys.at(118).enabled);
    mac.world().faults.eventCreationFails = true;
    EXPECT_FALSE(platform().events().createKeyboardEvent(18, true));
}

TEST_F(SimulatedMacTest, ManagedDisplaySpacesCarryTheKeysAndTheirFaults)
{
    auto read = skyLight->function<skylight::CopyManagedDisplaySpaces>("SLSCopyManagedDisplaySpaces");
    auto connection = skyLight->function<skylight::MainConnectionID>("SLSMainConnectionID");
    auto spaces = read(connection());
    ASSERT_TRUE(spaces && spaces->asArray());
    const PlistValue& second = spaces->asArray()->at(1);
    EXPECT_EQ(*second.find("Display Identifier")->asString(), "D2");
    EXPECT_EQ(*second.find("Current Space")->find("ManagedSpaceID")->asUnsigned(), 21u);
    const PlistArray& list = *second.find("Spaces")->asArray();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(*list[2].find("type")->asInteger(), 4);
    EXPECT_EQ(*list[2].find("uuid")->asString(), "UUID-29");
    mac.world().faults.spaces = SpacesShape::null;
    EXPECT_FALSE(read(connection()));
    mac.world().faults.missingSymbols.insert("SLSCopyManagedDisplaySpaces");
    EXPECT_FALSE(skyLight->function<skylight::CopyManagedDisplaySpaces>("SLSCopyManagedDisplaySpaces"));
    mac.world().faults.missingSymbols.insert(skylight::frameworkPath);
    EXPECT_FALSE(platform().frameworks().open(skylight::frameworkPath));
}

TEST_F(SimulatedMacTest, TheScriptActivatesHoldsAndQuitsAtItsTimes)
{
    bool quit = false;
    mac.mac().script().onQuit = [&] { quit = true; };
    std::vector<ScriptStep> steps = { { 1, "activate", "com.openai.codex" },
        { 2, "hold", { { "flags", 131072 }, { "buttons", nlohmann::json::array({ 0 }) } } }, { 3, "release", true },
        { 4, "quit", true } };
    ASSERT_EQ(mac.mac().script().start(steps), std::nullopt);
    std::vector<std::string> activations;
    auto observer = platform().workspaceCenter().addObserver(didActivateApplicationNotification, nullptr,
        [&](const Notification& note) { activations.push_back(*lookupString(note.userInfo, "bundleIdentifier")); });
    mac.advance(1);
    EXPECT_EQ(mac.mac().log().lines().back(), "frontmost bundle=com.openai.codex");
    EXPECT_EQ(activations, std::vector<std::string> { "com.openai.codex" });
    EXPECT_EQ(platform().workspace().frontmostApplication()->pid, 501);
    mac.advance(1);
    EXPECT_EQ(platform().events().flagsState(EventSourceState::hidSystem), 131072u);
    EXPECT_TRUE(platform().events().buttonState(EventSourceState::hidSystem, 0));
    EXPECT_EQ(platform().events().secondsSinceLastEventType(EventSourceState::hidSystem, EventType::anyInput), 0);
    mac.advance(1);
    EXPECT_EQ(platform().events().flagsState(EventSourceState::hidSystem), 0u);
    EXPECT_FALSE(quit);
    mac.advance(1);
    EXPECT_TRUE(quit);
}

TEST_F(SimulatedMacTest, AFaultyStepIsRefusedBeforeAnythingRuns)
{
    EXPECT_EQ(mac.mac().script().start({ { 1, "activate", "com.example.none" } }),
        "script[0].activate: no application has that bundle identifier");
    EXPECT_EQ(
        mac.mac().script().start({ { 1, "quit", true }, { 2, "dance", true } }), "script[1].dance: unknown action");
    EXPECT_EQ(mac.mac().script().start({ { 1, "hold", { { "flags", -1 } } } }),
        "script[0].hold: flags: expected a whole number");
    mac.advance(5);
    EXPECT_TRUE(mac.mac().log().lines().empty());
}

TEST_F(SimulatedMacTest, TheWindowListDescribesWindowsFrontToBack)
{
    mac.world().windows.push_back(mac.world().windows.front());
    mac.world().windows.back().number = 8;
    mac.world().windows.back().spaces = { 12 };
    mac.world().windows.push_back(mac.world().windows.front());
    mac.world().windows.back().number = 9;
    mac.world().windows.back().layer = -2147483623;
    WindowList& list = platform().windowList();
    auto all = list.copyWindowInfo(windowListOption::all, nullWindowID);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 3u);
    const PlistValue& first = all->front();
    EXPECT_EQ(*first.find(windowKey::number)->asInteger(), 7);
    EXPECT_EQ(*first.find(windowKey::ownerName)->asString(), "Codex");
    EXPECT_EQ(rectFromDictionary(*first.find(windowKey::bounds)), QRectF(10, 20, 300, 200));
    EXPECT_TRUE(*first.find(windowKey::isOnscreen)->asBool());
    EXPECT_FALSE(first.find(windowKey::name));
    EXPECT_FALSE((*all)[1].find(windowKey::isOnscreen));
    auto shown = list.copyWindowInfo(windowListOption::onScreenOnly | windowListOption::excludeDesktopElements, 0);
    ASSERT_EQ(shown->size(), 1u);
    mac.world().permissions.screenCapture = true;
    EXPECT_TRUE(list.preflightScreenCaptureAccess());
    EXPECT_EQ(*list.copyWindowInfo(windowListOption::all, 0)->front().find(windowKey::name)->asString(), "Window 7");
    mac.world().applications[0].terminated = true;
    EXPECT_TRUE(list.copyWindowInfo(windowListOption::all, 0)->empty());
    EXPECT_EQ(platform().workspace().runningApplications("com.openai.codex").front().terminated, true);
    EXPECT_FALSE(platform().workspace().frontmostApplication());
}

TEST_F(SimulatedMacTest, ScreensFollowTheDisplaysAndTheirChangesAreNotified)
{
    int notified = 0;
    auto observer = platform().defaultCenter().addObserver(
        screenParametersChangedNotification, nullptr, [&](const Notification&) { ++notified; });
    std::vector<Screen> screens = platform().screens().screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(*screens[1].deviceDescription.at("NSScreenNumber").asUnsigned(), 2u);
    EXPECT_EQ(platform().screens().displayUUID(2), "D2");
    EXPECT_TRUE(platform().screens().isMainDisplay(1));
    EXPECT_FALSE(platform().screens().isMainDisplay(2));
    mac.mac().disconnectDisplay("D2");
    EXPECT_EQ(platform().screens().displayUUID(2), std::nullopt);
    mac.mac().connectDisplay(sim::Display { "D3", 3, "Third", false, QRectF(0, 800, 100, 100), QRectF(),
        { { 31, std::nullopt, sim::desktopSpaceType } }, 31 });
    EXPECT_EQ(platform().screens().screens().back().localizedName, "Third");
    EXPECT_EQ(notified, 2);
}

TEST_F(SimulatedMacTest, ADisconnectedDisplaysWindowsMoveToTheMainDisplaysCurrentDesktop)
{
    sim::Window editor;
    editor.number = 8;
    editor.pid = 501;
    editor.frame = QRectF(1900, 700, 400, 300);
    editor.spaces = { 22 };
    mac.world().windows.push_back(editor);
    mac.world().displays[0].current = 12;
    mac.mac().disconnectDisplay("D2");
    const sim::Window* moved = mac.mac().window(8);
    ASSERT_NE(moved, nullptr) << "macOS keeps the windows of a screen that goes";
    EXPECT_EQ(moved->spaces, (std::vector<std::uint64_t> { 12 }));
    // Same place on the main screen, kept inside its visible area (1000 × 775 below a 25-point menu bar).
    EXPECT_EQ(moved->frame, QRectF(600, 500, 400, 300));
    EXPECT_EQ(mac.mac().window(7)->spaces, (std::vector<std::uint64_t> { 11 }));
    const auto& lines = mac.mac().log().lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "window-spaces window=8 spaces=12"), lines.end());
    EXPECT_EQ(mac.mac().canConnect(mac.world().displays[0]), "a display with that id is connected");
}

TEST_F(SimulatedMacTest, TheScriptConnectsAndDisconnectsDisplays)
{
    int notified = 0;
    auto observer = platform().defaultCenter().addObserver(
        screenParametersChangedNotification, nullptr, [&](const Notification&) { ++notified; });
    auto& script = mac.mac().script();
    EXPECT_EQ(script.start({ { 1, "connect-display", { { "id", "33333333-3333-3333-3333-333333333333" }, { "number", 3 } } } }),
        "script[0].connect-display: name: missing");
    EXPECT_EQ(script.start({ { 1, "connect-display", "D3" } }), "script[0].connect-display: expected an object");
    EXPECT_EQ(script.start({ { 1, "disconnect-display", 3 } }), "script[0].disconnect-display: expected a display id");
    nlohmann::json third = { { "id", "33333333-3333-3333-3333-333333333333" }, { "number", 3 }, { "name", "Third" }, { "frame", { 2000, 0, 800, 600 } },
        { "spaces", { { { "id", 31 } } } } };
    ASSERT_EQ(script.start({ { 1, "disconnect-display", "D2" }, { 2, "connect-display", third } }), std::nullopt);
    mac.advance(1);
    ASSERT_EQ(mac.world().displays.size(), 1u);
    EXPECT_EQ(mac.mac().window(7)->spaces, (std::vector<std::uint64_t> { 11 }));
    mac.advance(1);
    ASSERT_EQ(mac.world().displays.size(), 2u);
    EXPECT_EQ(mac.world().displays[1].name, "Third");
    EXPECT_EQ(mac.world().displays[1].current, 31u);
    EXPECT_EQ(notified, 2);
}

TEST_F(SimulatedMacTest, ADesktopAddedAfterARemovalNeverTakesTheRemovedDesktopsIdentity)
{
    std::uint64_t added = mac.mac().addSpace("D2", 2);
    EXPECT_EQ(added, 30u);
    mac.mac().removeSpace(added);
    std::uint64_t again = mac.mac().addSpace("D2", 2);
    EXPECT_NE(again, added) << "an association kept by space id would take the new desktop for the old one";
    EXPECT_NE(mac.world().displays[1].spaces[2].uuid, std::nullopt);
}

TEST_F(SimulatedMacTest, AccessibilityReachesTheWindowsOfTheCurrentSpaces)
{
    AXElementRef application = platform().accessibility().createApplication(501);
    auto main = application->copyAttributeValue("AXMainWindow");
    ASSERT_TRUE(main);
    AXElementRef window = *main->as<AXElementRef>();
    EXPECT_EQ(*window->copyAttributeValue("AXSubrole")->as<std::string>(), "AXStandardWindow");
    EXPECT_EQ(*window->copyAttributeValue("AXSize")->as<QSizeF>(), QSizeF(300, 200));
    EXPECT_TRUE(window->isAttributeSettable("AXPosition").value());
    EXPECT_EQ(window->setAttributeValue("AXPosition", QPointF(50, 60)), AXError::success);
    EXPECT_EQ(mac.mac().log().lines().back(), "window-frame window=7 frame=50,60,300,200");
    mac.world().faults.frameWrites = FrameWrites::late;
    EXPECT_EQ(window->setAttributeValue("AXPosition", QPointF(70, 80)), AXError::success);
    EXPECT_EQ(window->setAttributeValue("AXSize", QSizeF(100, 90)), AXError::success);
    EXPECT_EQ(*window->copyAttributeValue("AXPosition")->as<QPointF>(), QPointF(50, 60));
    mac.advance(0.3);
    EXPECT_EQ(mac.world().windows[0].frame, QRectF(70, 80, 100, 90));
    mac.world().faults.frameWrites = FrameWrites::clamped;
    EXPECT_EQ(window->setAttributeValue("AXSize", QSizeF(5000, 5000)), AXError::success);
    EXPECT_EQ(mac.world().windows[0].frame, QRectF(0, 25, 1000, 775));
    mac.mac().setCurrentSpace("D1", 12);
    EXPECT_EQ(application->copyAttributeValue("AXMainWindow").error(), AXError::noValue);
    mac.world().windows.clear();
    EXPECT_EQ(window->copyAttributeValue("AXSize").error(), AXError::invalidUIElement);
}

} // namespace
} // namespace pellamor::sim
