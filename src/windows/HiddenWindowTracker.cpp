#include "windows/HiddenWindowTracker.h"

#include <iterator>

namespace pellamor {

std::optional<bool> HiddenWindowTracker::candidate(
    bool onScreen, bool sourceIsActive, bool enumerationSucceeded, bool identifiedByAX)
{
    if (onScreen || identifiedByAX)
        return false;
    if (sourceIsActive && enumerationSucceeded)
        return true;
    return std::nullopt;
}

bool HiddenWindowTracker::observe(std::uint32_t id, std::int32_t pid, const std::vector<std::uint64_t>& spaces,
    std::optional<bool> candidate, double now)
{
    auto found = observations.find(id);
    if (found != observations.end() && (found->second.pid != pid || found->second.spaces != spaces)) {
        observations.erase(found);
        found = observations.end();
    }
    if (!candidate)
        return found != observations.end() && found->second.confirmed;
    if (!*candidate) {
        if (found != observations.end())
            observations.erase(found);
        return false;
    }
    if (found == observations.end()) {
        observations[id] = Observation { pid, spaces, now, false };
        return false;
    }
    if (now - found->second.since >= confirmationDelay)
        found->second.confirmed = true;
    return found->second.confirmed;
}

void HiddenWindowTracker::retain(const std::set<std::uint32_t>& ids)
{
    for (auto it = observations.begin(); it != observations.end();)
        it = ids.count(it->first) ? std::next(it) : observations.erase(it);
}

} // namespace pellamor
