#include "app/UnconfirmedCreation.h"

#include "desktops/CleanText.h"

#include <algorithm>
#include <set>

namespace pellamor {
namespace {

bool lists(const std::vector<NativeDesktopState>& inventory, const NativeDesktopState& desktop)
{
    return std::any_of(inventory.begin(), inventory.end(), [&](const NativeDesktopState& listed) {
        return listed.spaceID == desktop.spaceID && equalIgnoringCase(listed.display, desktop.display);
    });
}

} // namespace

std::vector<NativeDesktopState> desktopsAdded(const std::vector<NativeDesktopState>& inventory,
    const std::string& display, const std::vector<NativeDesktopState>& before)
{
    std::set<std::uint64_t> known;
    for (const NativeDesktopState& desktop : before)
        known.insert(desktop.spaceID);
    std::vector<NativeDesktopState> added;
    for (const NativeDesktopState& desktop : inventory) {
        if (!known.count(desktop.spaceID) && equalIgnoringCase(desktop.display, display))
            added.push_back(desktop);
    }
    return added;
}

UnconfirmedCreation::UnconfirmedCreation(
    std::string projectID, std::string display, std::vector<NativeDesktopState> before, double until)
    : projectID(std::move(projectID))
    , until(until)
    , display_(std::move(display))
    , before_(std::move(before))
{
}

void UnconfirmedCreation::observe(const std::vector<NativeDesktopState>& inventory)
{
    for (const NativeDesktopState& desktop : before_) {
        if (equalIgnoringCase(desktop.display, display_) && !lists(inventory, desktop))
            lostOne_ = true;
    }
    for (NativeDesktopState& added : desktopsAdded(inventory, display_, before_))
        gained_.insert_or_assign(added.spaceID, std::move(added));
}

std::optional<NativeDesktopState> UnconfirmedCreation::created() const
{
    if (lostOne_ || gained_.size() != 1)
        return std::nullopt;
    return gained_.begin()->second;
}

} // namespace pellamor
