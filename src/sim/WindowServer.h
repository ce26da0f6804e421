// The simulated window server: the private calls bound by name, the window list, and the hot-key rule.
#pragma once

#include "platform/EventServices.h"
#include "platform/WindowList.h"
#include "sim/OwnWindows.h"
#include "sim/World.h"

namespace pellamor::sim {

class SimulatedMac;

class WindowServer final : public WindowList {
public:
    // Registers the window server's private calls with the machine's symbol table.
    explicit WindowServer(SimulatedMac& mac);

    std::optional<PlistArray> copyWindowInfo(std::uint32_t options, std::uint32_t relativeToWindow) override;
    std::optional<PlistArray> createDescriptions(const std::vector<std::uint32_t>& windows) override;
    bool preflightScreenCaptureAccess() override;
    bool requestScreenCaptureAccess() override;
    void setOwnWindowAttributes(const QObject& window, const OwnWindowAttributes& attributes) override;
    std::optional<OwnWindowAttributes> ownWindowNumbered(std::uint32_t window) override;
    // What the application set on its window; none for a window it set nothing on or that is gone.
    std::optional<OwnWindowAttributes> ownWindowAttributes(const QObject* window) const;

    // The managed display spaces as the private call hands them over, faults included.
    std::optional<PlistValue> managedDisplaySpaces();
    // Not minimized, not hidden by a fault, and on a current space of its display or on every space.
    bool isOnScreen(const Window& window);
    // A key-down that matches an enabled Switch to Desktop N hot key switches the display holding desktop N.
    void keyPressed(const KeyboardEvent& event);

private:
    void registerSymbols();
    PlistDictionary describe(const Window& window, const Application& owner, bool onScreen);
    PlistDictionary describe(const OwnWindows::Shown& window, bool onScreen);
    bool isOnScreen(const OwnWindows::Shown& window);
    // The ids of the Spaces holding any of the windows, each once.
    std::optional<PlistValue> spacesOfWindows(const PlistArray& windows);
    // The numbers of the windows on any of the Spaces, in world order.
    std::optional<PlistValue> windowsOfSpaces(const PlistArray& spaces);

    SimulatedMac& mac_;
    OwnWindows ownWindows_;
};

} // namespace pellamor::sim
