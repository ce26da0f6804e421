// One assistant project as the setup panel and the overview see it: identity, desktops and association state.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pellamor {

struct OverviewProjectAssignment {
    std::string id;
    std::string name;
    // Desktop numbers 1…9 of the project's desktops present now, one per display.
    std::vector<int> desktops;
    std::string path;
    bool unavailable = false;
    bool usingAssistantFallback = false;
    std::optional<int> fallbackDesktop;

    friend bool operator==(const OverviewProjectAssignment&, const OverviewProjectAssignment&) = default;
};

} // namespace pellamor
