#include "desktops/DesktopResetPlan.h"

#include "assistant/TextCase.h"

#include <QString>
#include <algorithm>
#include <set>

namespace pellamor {

namespace {

bool blank(const std::string& text)
{
    return QString::fromStdString(text).trimmed().isEmpty();
}

bool valid(const std::vector<NativeDesktopState>& inventory)
{
    if (inventory.empty())
        return false;
    std::set<std::uint64_t> ids;
    std::set<std::string> uuids;
    std::set<std::string> seenDisplays;
    for (std::size_t i = 0; i < inventory.size(); ++i) {
        const auto& desktop = inventory[i];
        if (desktop.spaceID == 0 || !ids.insert(desktop.spaceID).second || blank(desktop.display))
            return false;
        if (desktop.spaceUUID && (blank(*desktop.spaceUUID) || !uuids.insert(lowercased(*desktop.spaceUUID)).second))
            return false;
        // A display's desktops come in one run; meeting it again after another display is refused.
        if ((i == 0 || inventory[i - 1].display != desktop.display)
            && !seenDisplays.insert(lowercased(desktop.display)).second)
            return false;
    }
    return true;
}

} // namespace

std::optional<DesktopResetPlan> DesktopResetPlan::make(const std::vector<NativeDesktopState>& inventory)
{
    if (!valid(inventory))
        return std::nullopt;
    DesktopResetPlan plan;
    plan.before = inventory;
    std::set<std::uint64_t> kept;
    for (std::size_t i = 0; i < inventory.size(); ++i) {
        const auto& first = inventory[i];
        if (i > 0 && inventory[i - 1].display == first.display)
            continue;
        auto current = std::find_if(inventory.begin() + std::ptrdiff_t(i), inventory.end(), [&](const auto& d) {
            return d.display == first.display && d.spaceID == first.currentSpaceID;
        });
        const auto& retained = current != inventory.end() ? *current : first;
        plan.retained.push_back(retained);
        kept.insert(retained.spaceID);
    }
    for (const auto& desktop : inventory) {
        if (!kept.count(desktop.spaceID))
            plan.targets.push_back(desktop);
    }
    return plan;
}

bool DesktopResetPlan::sameIdentities(const std::vector<NativeDesktopState>& a, const std::vector<NativeDesktopState>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.spaceID == y.spaceID && x.display == y.display && x.spaceUUID == y.spaceUUID;
    });
}

} // namespace pellamor
