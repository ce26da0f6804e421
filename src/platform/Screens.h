// The connected screens and the display calls that name them: numbers, UUIDs, the main display.
#pragma once

#include "platform/PlistValue.h"

#include <QRectF>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

// Posted on the default centre when screens are connected, removed or rearranged.
inline constexpr const char* screenParametersChangedNotification = "NSApplicationDidChangeScreenParametersNotification";

// One screen; rectangles in bottom-left-origin screen coordinates.
struct Screen {
    // Holds "NSScreenNumber", the display number.
    PlistDictionary deviceDescription;
    std::string localizedName;
    QRectF frame;
    QRectF visibleFrame;
};

class Screens {
public:
    virtual ~Screens() = default;

    // In the system's order, the screen with the menu bar first.
    virtual std::vector<Screen> screens() = 0;
    // The "Displays have separate Spaces" setting.
    virtual bool screensHaveSeparateSpaces() = 0;
    // The display's UUID as text; none for an unknown display number.
    virtual std::optional<std::string> displayUUID(std::uint32_t displayNumber) = 0;
    virtual bool isMainDisplay(std::uint32_t displayNumber) = 0;
    // The number of the display with the menu bar.
    virtual std::uint32_t mainDisplayID() = 0;
};

} // namespace pellamor
