// What the desktop-management driver reads of the window server to tell empty desktops; its owner fills it
// from the window-server runtime, and leaves it empty when no runtime can be made.
#pragma once

#include "platform/PlistValue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace pellamor {

struct DesktopWindowServer {
    // The window numbers a Space holds; none when the window server cannot say.
    std::function<std::optional<std::vector<std::uint32_t>>(std::uint64_t space)> windowsInSpace;
    // The descriptions of every window; none when the window server does not answer.
    std::function<std::optional<PlistArray>()> windowInformation;

    bool isAvailable() const { return windowsInSpace && windowInformation; }
};

} // namespace pellamor
