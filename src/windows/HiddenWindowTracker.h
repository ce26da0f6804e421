// Windows that stay off screen although their desktop is active: observed over time, confirmed after a second.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace pellamor {

struct HiddenWindowTracker {
    struct Observation {
        std::int32_t pid = 0;
        std::vector<std::uint64_t> spaces;
        // Seconds of system uptime.
        double since = 0;
        bool confirmed = false;

        friend bool operator==(const Observation&, const Observation&) = default;
    };

    // How long a candidate must stay one before it counts as hidden.
    static constexpr double confirmationDelay = 1.0;

    std::map<std::uint32_t, Observation> observations;

    // False when the window is on screen or Accessibility knows it; true when its only desktop is active and its
    // application's windows could be listed; otherwise undecided.
    static std::optional<bool> candidate(
        bool onScreen, bool sourceIsActive, bool enumerationSucceeded, bool identifiedByAX);
    // Whether the window counts as hidden now.
    bool observe(std::uint32_t id, std::int32_t pid, const std::vector<std::uint64_t>& spaces,
        std::optional<bool> candidate, double now);
    // Forgets every window not in `ids`.
    void retain(const std::set<std::uint32_t>& ids);
};

} // namespace pellamor
