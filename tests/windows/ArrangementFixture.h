// A simulated Mac with a main screen and a second, larger screen set lower and with a Dock on its left, and a
// window of "Notes" on each; arranges or reaches a window through the native environments on virtual time.
#pragma once

#include "desktops/MissionControl.h"
#include "support/TestMac.h"
#include "windows/NativeWindowArrangementAccessEnvironment.h"
#include "windows/NativeWindowArrangementEnvironment.h"

#include <gtest/gtest.h>

namespace pellamor::test {

inline constexpr int notesPid = 301;
// On D1 (main) desktop 11, and on D2 desktop 21; desktop 22 holds window 42.
inline constexpr std::uint32_t onMain = 40;
inline constexpr std::uint32_t onSecond = 41;
inline constexpr std::uint32_t onHiddenDesktop = 42;

class ArrangementFixture : public ::testing::Test {
protected:
    ArrangementFixture();

    // The window as the inventory would list it now.
    DesktopWindow record(std::uint32_t number);
    ConnectedMonitor monitor(const std::string& id);
    sim::Window& window(std::uint32_t number) { return *mac.mac().window(number); }
    sim::Faults& faults() { return mac.world().faults; }
    std::vector<std::string> log() { return mac.mac().log().lines(); }

    // Arranges the window on the screen and runs virtual time until the completion; "<none>" if it never came.
    std::optional<std::string> arrange(std::uint32_t number, WindowArrangement arrangement,
        const std::string& screen = "D2", std::optional<QRectF> restoredFrame = std::nullopt,
        AXElementRef resolvedWindow = nullptr);
    // Starts reaching the window; the result lands in `reached`.
    std::shared_ptr<WindowArrangementAccessSession> reach(std::uint32_t number);

    TestMac mac;
    std::shared_ptr<WindowSpaceRuntime> runtime;
    std::shared_ptr<MissionControlSwitcher> switcher = std::make_shared<MissionControlSwitcher>();
    std::shared_ptr<NativeWindowArrangementAccessEnvironment> access;
    std::vector<int> opened;
    std::vector<std::optional<std::string>> reached;
};

} // namespace pellamor::test
