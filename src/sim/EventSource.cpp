#include "sim/EventSource.h"

#include "sim/SimulatedMac.h"
#include "sim/WindowServer.h"

#include <algorithm>

namespace pellamor::sim {

std::optional<KeyboardEvent> EventSource::createKeyboardEvent(std::uint16_t keyCode, bool keyDown)
{
    if (mac_.world().faults.eventCreationFails)
        return std::nullopt;
    return KeyboardEvent(keyCode, keyDown);
}

void EventSource::post(EventTap, const KeyboardEvent& event)
{
    // Without the permission macOS drops posted events silently.
    if (!mac_.world().permissions.postEvents)
        return;
    mac_.log().keyPosted(event.keyCode(), event.flags(), event.keyDown());
    server_.keyPressed(event);
}

std::uint64_t EventSource::flagsState(EventSourceState)
{
    return mac_.world().input.flags;
}

bool EventSource::keyState(EventSourceState, std::uint16_t keyCode)
{
    return mac_.world().input.keys.count(keyCode) != 0;
}

bool EventSource::buttonState(EventSourceState, std::uint32_t button)
{
    return mac_.world().input.buttons.count(button) != 0;
}

double EventSource::secondsSinceLastEventType(EventSourceState, EventType type)
{
    const InputState& input = mac_.world().input;
    double last = input.lastInputAt;
    for (const auto& [eventType, at] : input.lastEventAt) {
        if (type == EventType::anyInput || eventType == static_cast<std::uint32_t>(type))
            last = std::max(last, at);
    }
    return mac_.uptime() - last;
}

bool EventSource::preflightPostEventAccess()
{
    return mac_.world().permissions.postEvents;
}

bool EventSource::requestPostEventAccess()
{
    return mac_.world().permissions.postEvents;
}

} // namespace pellamor::sim
