// The vocabulary of desktops: numbers and their hot keys, shortcuts, one desktop of one display, the
// inventory read from the window server's managed display spaces, and whether a desktop's screen takes content.
#pragma once

#include "platform/PlistValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

namespace DesktopTargets {
inline constexpr int supportedFirst = 1;
inline constexpr int supportedLast = 9;
inline constexpr bool isSupported(int number)
{
    return number >= supportedFirst && number <= supportedLast;
}
// 118…126 for desktops 1…9 (Switch to Desktop N); none otherwise.
std::optional<std::uint32_t> hotkeyID(int number);
} // namespace DesktopTargets

struct NativeShortcut {
    std::uint16_t code = 0;
    std::uint64_t flags = 0;

    // Shift, Control, Option, Command and the secondary Fn key: held means keys are still down.
    static constexpr std::uint64_t modifiers = 0x9E0000;

    // None unless the code and flags make a shortcut a person can type.
    static std::optional<NativeShortcut> make(std::uint64_t code, std::uint64_t flags);

    friend bool operator==(const NativeShortcut&, const NativeShortcut&) = default;
};

struct NativeDesktopState {
    std::uint64_t spaceID = 0;
    // The desktop current on the same display when read.
    std::uint64_t currentSpaceID = 0;
    std::string display;
    std::optional<std::string> spaceUUID;

    // Ordinary desktops of all displays, display order then desktop order; none for any malformed part.
    static std::optional<std::vector<NativeDesktopState>> inventory(const std::vector<PlistDictionary>& displays);
    // The desktop numbered `number` (1…9) in the inventory of `displays`.
    static std::optional<NativeDesktopState> resolve(int number, const std::vector<PlistDictionary>& displays);

    friend bool operator==(const NativeDesktopState&, const NativeDesktopState&) = default;
};

class DesktopScreenEligibility {
public:
    enum class Kind { content, reserved, sharedSpaces, missingAssistantScreen, unreadable };

    static DesktopScreenEligibility content(std::string display) { return { Kind::content, std::move(display) }; }
    static DesktopScreenEligibility reserved() { return { Kind::reserved, {} }; }
    static DesktopScreenEligibility sharedSpaces() { return { Kind::sharedSpaces, {} }; }
    static DesktopScreenEligibility missingAssistantScreen() { return { Kind::missingAssistantScreen, {} }; }
    static DesktopScreenEligibility unreadable() { return { Kind::unreadable, {} }; }

    Kind kind() const { return kind_; }
    // The content display; empty for the other kinds.
    const std::string& display() const { return display_; }
    bool isSelectable() const { return kind_ == Kind::content; }

    friend bool operator==(const DesktopScreenEligibility&, const DesktopScreenEligibility&) = default;

private:
    DesktopScreenEligibility(Kind kind, std::string display)
        : kind_(kind)
        , display_(std::move(display))
    {
    }

    Kind kind_;
    std::string display_;
};

namespace DesktopScreenPolicy {
DesktopScreenEligibility eligibility(int number, const std::optional<std::vector<NativeDesktopState>>& desktops,
    const std::optional<std::string>& assistantDisplay, bool separateSpaces, bool assistantConnected);
} // namespace DesktopScreenPolicy

// A non-negative whole number as the window server writes ids: integers, or reals without fraction.
std::optional<std::uint64_t> wholeNumber(const PlistValue& value);

} // namespace pellamor
