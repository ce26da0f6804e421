// Keyboard events posted to the event taps, the input state of the event sources, and the posting permission.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

namespace pellamor {

enum class EventTap { hid, session, annotatedSession };

enum class EventSourceState { privateState, combinedSession, hidSystem };

enum class EventField { keyboardEventAutorepeat, keyboardEventKeycode };

enum class EventType : std::uint32_t {
    null = 0,
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,
    leftMouseDragged = 6,
    rightMouseDragged = 7,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    scrollWheel = 22,
    tabletPointer = 23,
    tabletProximity = 24,
    otherMouseDown = 25,
    otherMouseUp = 26,
    otherMouseDragged = 27,
    anyInput = 0xFFFFFFFF,
};

// One keyboard event, as made before it is posted.
class KeyboardEvent {
public:
    KeyboardEvent(std::uint16_t keyCode, bool keyDown)
        : keyCode_(keyCode)
        , keyDown_(keyDown)
    {
    }

    std::uint16_t keyCode() const { return keyCode_; }
    bool keyDown() const { return keyDown_; }
    std::uint64_t flags() const { return flags_; }
    void setFlags(std::uint64_t flags) { flags_ = flags; }
    std::int64_t integerValueField(EventField field) const;
    void setIntegerValueField(EventField field, std::int64_t value) { fields_[field] = value; }

private:
    std::uint16_t keyCode_;
    bool keyDown_;
    std::uint64_t flags_ = 0;
    std::map<EventField, std::int64_t> fields_;
};

class EventServices {
public:
    virtual ~EventServices() = default;

    // A keyboard event without event source; none when the system cannot make one.
    virtual std::optional<KeyboardEvent> createKeyboardEvent(std::uint16_t keyCode, bool keyDown) = 0;
    virtual void post(EventTap tap, const KeyboardEvent& event) = 0;

    virtual std::uint64_t flagsState(EventSourceState state) = 0;
    virtual bool keyState(EventSourceState state, std::uint16_t keyCode) = 0;
    virtual bool buttonState(EventSourceState state, std::uint32_t button) = 0;
    virtual double secondsSinceLastEventType(EventSourceState state, EventType type) = 0;

    virtual bool preflightPostEventAccess() = 0;
    virtual bool requestPostEventAccess() = 0;
};

inline std::int64_t KeyboardEvent::integerValueField(EventField field) const
{
    if (field == EventField::keyboardEventKeycode)
        return keyCode_;
    auto found = fields_.find(field);
    return found == fields_.end() ? 0 : found->second;
}

} // namespace pellamor
