// The simulated window server: the private calls bound by name, the window list, and the hot-key rule.
#pragma once

#include "platform/EventServices.h"
#include "platform/WindowList.h"

namespace pellamor::sim {

class SimulatedMac;

class WindowServer final : public WindowList {
public:
    // Registers the window server's private calls with the machine's symbol table.
    explicit WindowServer(SimulatedMac& mac);

    std::optional<PlistArray> copyWindowInfo(std::uint32_t options, std::uint32_t relativeToWindow) override;
    bool preflightScreenCaptureAccess() override;
    bool requestScreenCaptureAccess() override;

    // The managed display spaces as the private call hands them over, faults included.
    std::optional<PlistValue> managedDisplaySpaces();
    // A key-down that matches an enabled Switch to Desktop N hot key switches the display holding desktop N.
    void keyPressed(const KeyboardEvent& event);

private:
    void registerSymbols();

    SimulatedMac& mac_;
};

} // namespace pellamor::sim
