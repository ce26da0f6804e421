// The Dock's side of Mission Control as Accessibility shows it: its element, the row of desktop
// thumbnails of one display, the add button and the remove action of one thumbnail.
#pragma once

#include "desktops/NativeDesktopTopology.h"
#include "platform/Accessibility.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pellamor::MissionControlDock {

// Mission Control's element; exists only while Mission Control is shown.
AXElementRef missionControlElement();

// The add button of that display's row.
AXElementRef addButton(const AXElementRef& missionControl, std::uint32_t displayID);
// The thumbnail of `space`, provided the row matches the display's spaces in `before` one for one.
AXElementRef thumbnail(const AXElementRef& missionControl, std::uint32_t displayID, std::uint64_t space,
    const std::string& display, const NativeDesktopTopology& before);

// The number a thumbnail's description ends in ("Bureau 3", "Desktop 3"): the desktop's number on its display.
// None for a description without one, such as a full-screen space's application.
std::optional<std::uint64_t> describedNumber(const AXElementRef& thumbnail);

// Enabled and offering `action`.
bool isReady(const AXElementRef& button, const std::string& action);

// The display's numeric id for a display identifier; "Main" is the main display.
std::optional<std::uint32_t> displayID(const std::string& identifier);

} // namespace pellamor::MissionControlDock
