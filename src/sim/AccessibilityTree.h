// The simulated Accessibility: trust, and one element per application and per window of the current spaces.
#pragma once

#include "platform/Accessibility.h"
#include "sim/AccessibilityElement.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace pellamor::sim {

class SimulatedMac;

class AccessibilityTree final : public Accessibility {
public:
    // Registers Accessibility's private call with the machine's symbol table.
    explicit AccessibilityTree(SimulatedMac& mac)
        : mac_(mac)
    {
        registerSymbols();
    }

    bool isProcessTrusted() override;
    bool isProcessTrustedWithOptions(bool prompt) override;
    AXElementRef createApplication(int pid) override;

    // The elements behind the interface, for tests and for the parts of the simulation that extend them.
    std::shared_ptr<AccessibilityElement> applicationElement(int pid);
    std::shared_ptr<AccessibilityElement> windowElement(std::uint32_t number);
    // Called on every application element as it is made, e.g. to give the Dock its own children.
    std::vector<std::function<void(AccessibilityElement&, int pid)>> applicationExtensions;
    // How many times the user was asked to trust the process.
    int prompts = 0;

private:
    void registerSymbols();
    AXResult<AXValue> windowsOf(int pid, bool mainOnly);
    AXResult<AXValue> readFrame(std::uint32_t number, bool position);
    AXError writeFrame(std::uint32_t number, const AXValue& value, bool position);
    AXError writeEnhancedUserInterface(int pid, const AXValue& value);

    SimulatedMac& mac_;
    std::map<int, std::shared_ptr<AccessibilityElement>> applications_;
    std::map<std::uint32_t, std::shared_ptr<AccessibilityElement>> windows_;
    std::map<std::uint32_t, QRectF> pendingFrames_;
    // Windows whose position or size Accessibility has written.
    std::set<std::uint32_t> writtenFrames_;
};

} // namespace pellamor::sim
