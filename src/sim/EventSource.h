// The simulated event system: keyboard events made and posted, and the input a person holds.
#pragma once

#include "platform/EventServices.h"

namespace pellamor::sim {

class SimulatedMac;
class WindowServer;

class EventSource final : public EventServices {
public:
    EventSource(SimulatedMac& mac, WindowServer& server)
        : mac_(mac)
        , server_(server)
    {
    }

    std::optional<KeyboardEvent> createKeyboardEvent(std::uint16_t keyCode, bool keyDown) override;
    void post(EventTap tap, const KeyboardEvent& event) override;
    std::uint64_t flagsState(EventSourceState state) override;
    bool keyState(EventSourceState state, std::uint16_t keyCode) override;
    bool buttonState(EventSourceState state, std::uint32_t button) override;
    double secondsSinceLastEventType(EventSourceState state, EventType type) override;
    bool preflightPostEventAccess() override;
    bool requestPostEventAccess() override;

private:
    SimulatedMac& mac_;
    WindowServer& server_;
};

} // namespace pellamor::sim
