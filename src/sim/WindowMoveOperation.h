// The window server's private move operation, as a class of the object runtime, and the script's window
// actions: another application moving or closing a window.
#pragma once

#include <cstdint>

namespace pellamor::sim {

class SimulatedMac;

class WindowMoveOperation {
public:
    // Registers the class "SLSBridgedMoveWindowsToManagedSpaceOperation" and the actions "move-window" and
    // "close-window".
    explicit WindowMoveOperation(SimulatedMac& mac);

private:
    void registerClass();
    void registerActions();
    // Moves the window onto the Space alone, or does what the faults say instead.
    void perform(std::uint32_t window, std::uint64_t space);

    SimulatedMac& mac_;
};

} // namespace pellamor::sim
