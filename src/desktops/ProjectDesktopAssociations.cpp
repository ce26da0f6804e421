#include "desktops/ProjectDesktopAssociations.h"

#include "assistant/TextCase.h"
#include "desktops/CleanText.h"

#include <algorithm>
#include <atomic>

namespace pellamor {

namespace {

using Inventory = std::vector<NativeDesktopState>;

std::atomic<std::uint64_t> checks { 0 };

bool validList(const std::vector<ProjectDesktopAssociation>& list)
{
    if (list.empty())
        return false;
    for (std::size_t index = 0; index < list.size(); ++index) {
        if (!list[index].isValid())
            return false;
        for (std::size_t other = 0; other < index; ++other)
            if (equalIgnoringCase(list[index].display, list[other].display))
                return false;
    }
    return true;
}

// The position of the first desktop the association denotes.
std::optional<std::size_t> denotedPosition(const ProjectDesktopAssociation& association, const Inventory& inventory)
{
    for (std::size_t position = 0; position < inventory.size(); ++position)
        if (association.denotes(inventory[position]))
            return position;
    return std::nullopt;
}

// Whether the desktop at this 0-based position has a number (1…9).
bool numbered(std::size_t position)
{
    return position < static_cast<std::size_t>(DesktopTargets::supportedLast);
}

std::vector<ProjectDesktopSwitchTarget> resolvedList(
    const std::vector<ProjectDesktopAssociation>& list, const Inventory& inventory)
{
    std::vector<ProjectDesktopSwitchTarget> resolved;
    for (std::size_t position = 0; position < inventory.size() && numbered(position); ++position) {
        const NativeDesktopState& desktop = inventory[position];
        bool denoted = std::any_of(list.begin(), list.end(),
            [&](const ProjectDesktopAssociation& association) { return association.denotes(desktop); });
        if (denoted)
            resolved.push_back({ static_cast<int>(position) + 1, desktop });
    }
    return resolved;
}

std::optional<AssistantFallbackTarget> fallbackOf(
    const std::vector<ProjectDesktopAssociation>* list, const Inventory& inventory, const std::string& assistantDisplay)
{
    bool fallsBack = !list;
    if (!fallsBack)
        for (const ProjectDesktopAssociation& association : *list) {
            auto position = denotedPosition(association, inventory);
            if (equalIgnoringCase(association.display, assistantDisplay) || !position || !numbered(*position)) {
                fallsBack = true;
                break;
            }
        }
    if (!fallsBack)
        return std::nullopt;

    // The dedicated display's current desktop, when all its entries agree on it.
    std::optional<AssistantFallbackTarget> answer;
    std::uint64_t current = 0;
    for (std::size_t position = 0; position < inventory.size(); ++position) {
        const NativeDesktopState& desktop = inventory[position];
        if (!equalIgnoringCase(desktop.display, assistantDisplay))
            continue;
        if (!answer) {
            answer = AssistantFallbackTarget { desktop.display, std::nullopt };
            current = desktop.currentSpaceID;
        }
        if (desktop.currentSpaceID != current)
            return std::nullopt;
        if (!answer->number && desktop.spaceID == current)
            answer->number = static_cast<int>(position) + 1;
    }
    return answer;
}

} // namespace

bool ProjectDesktopAssociation::isValid() const
{
    return spaceID != 0 && isCleanString(display) && (!spaceUUID || isCleanString(*spaceUUID));
}

bool ProjectDesktopAssociation::denotes(const NativeDesktopState& desktop) const
{
    if (!isValid() || !equalIgnoringCase(display, desktop.display))
        return false;
    if (spaceUUID)
        return desktop.spaceUUID && equalIgnoringCase(*spaceUUID, *desktop.spaceUUID);
    return spaceID == desktop.spaceID;
}

std::uint64_t ProjectDesktopAssociations::validityChecks()
{
    return checks.load(std::memory_order_relaxed);
}

bool ProjectDesktopAssociations::isValid() const
{
    checks.fetch_add(1, std::memory_order_relaxed);
    for (auto& [projectID, list] : targets)
        if (!isCleanString(projectID) || !validList(list))
            return false;
    for (const std::string& projectID : unresolvedProjects)
        if (!isCleanString(projectID) || targets.count(projectID))
            return false;
    return true;
}

bool ProjectDesktopAssociations::valid(const Inventory& inventory)
{
    if (inventory.empty())
        return false;
    std::set<std::uint64_t> ids;
    std::set<std::string> uuids;
    // Displays already left for another one, lower-cased: their desktops must come together.
    std::set<std::string> finished;
    std::string previous;
    for (std::size_t index = 0; index < inventory.size(); ++index) {
        const NativeDesktopState& desktop = inventory[index];
        if (desktop.spaceID == 0 || desktop.currentSpaceID == 0 || !isCleanString(desktop.display))
            return false;
        if (!ids.insert(desktop.spaceID).second)
            return false;
        if (desktop.spaceUUID
            && (!isCleanString(*desktop.spaceUUID) || !uuids.insert(lowercased(*desktop.spaceUUID)).second))
            return false;
        std::string display = lowercased(desktop.display);
        if (index > 0 && display != previous) {
            finished.insert(previous);
            if (finished.count(display))
                return false;
        }
        previous = display;
    }
    return true;
}

std::vector<ProjectDesktopSwitchTarget> ProjectDesktopAssociations::resolvedTargets(
    const std::string& projectID, const Inventory& inventory) const
{
    if (!isValid() || !isCleanString(projectID) || unresolvedProjects.count(projectID) || !valid(inventory))
        return {};
    auto found = targets.find(projectID);
    if (found == targets.end())
        return {};
    return resolvedList(found->second, inventory);
}

std::optional<AssistantFallbackTarget> ProjectDesktopAssociations::assistantFallback(
    const std::string& projectID, const Inventory& inventory, const std::optional<std::string>& assistantDisplay) const
{
    if (!isValid() || !isCleanString(projectID))
        return std::nullopt;
    auto found = targets.find(projectID);
    bool unresolved = unresolvedProjects.count(projectID) != 0;
    if (found == targets.end() && !unresolved)
        return std::nullopt;
    if (!valid(inventory) || !assistantDisplay || !isCleanString(*assistantDisplay))
        return std::nullopt;
    return fallbackOf(unresolved ? nullptr : &found->second, inventory, *assistantDisplay);
}

std::map<std::string, ProjectResolution> ProjectDesktopAssociations::resolveAll(
    const Inventory& inventory, const std::optional<std::string>& assistantDisplay) const
{
    std::map<std::string, ProjectResolution> answers;
    if (!isValid() || !valid(inventory))
        return answers;
    bool fallbackKnown = assistantDisplay && isCleanString(*assistantDisplay);
    for (const auto& [projectID, list] : targets) {
        ProjectResolution& answer = answers[projectID];
        answer.targets = resolvedList(list, inventory);
        if (fallbackKnown)
            answer.fallback = fallbackOf(&list, inventory, *assistantDisplay);
    }
    for (const std::string& projectID : unresolvedProjects)
        answers[projectID].fallback = fallbackKnown ? fallbackOf(nullptr, inventory, *assistantDisplay) : std::nullopt;
    return answers;
}

bool ProjectDesktopAssociations::assign(const std::string& projectID, int number, const Inventory& inventory)
{
    if (!isValid() || !isCleanString(projectID))
        return false;
    if (number == 0) {
        targets.erase(projectID);
        unresolvedProjects.erase(projectID);
        return true;
    }
    if (!DesktopTargets::isSupported(number) || !valid(inventory)
        || inventory.size() < static_cast<std::size_t>(number))
        return false;
    ProjectDesktopAssociation identity(inventory[static_cast<std::size_t>(number) - 1]);
    std::vector<ProjectDesktopAssociation> list;
    if (auto found = targets.find(projectID); found != targets.end())
        list = found->second;
    auto sameDisplay = std::find_if(list.begin(), list.end(), [&](const ProjectDesktopAssociation& association) {
        return equalIgnoringCase(association.display, identity.display);
    });
    if (sameDisplay != list.end())
        *sameDisplay = identity;
    else
        list.push_back(identity);
    targets[projectID] = std::move(list);
    unresolvedProjects.erase(projectID);
    return true;
}

bool ProjectDesktopAssociations::removeFallback(
    const std::string& projectID, const Inventory& inventory, const std::optional<std::string>& assistantDisplay)
{
    if (!isValid() || !isCleanString(projectID) || !valid(inventory))
        return false;
    if (assistantDisplay && !isCleanString(*assistantDisplay))
        return false;
    std::vector<ProjectDesktopAssociation> old;
    if (auto found = targets.find(projectID); found != targets.end())
        old = found->second;
    std::vector<ProjectDesktopAssociation> kept;
    for (const ProjectDesktopAssociation& association : old) {
        if (assistantDisplay && equalIgnoringCase(association.display, *assistantDisplay))
            continue;
        auto position = denotedPosition(association, inventory);
        if (position && numbered(*position))
            kept.push_back(association);
    }
    bool wasUnresolved = unresolvedProjects.erase(projectID) != 0;
    if (!wasUnresolved && kept.size() == old.size())
        return false;
    if (kept.empty())
        targets.erase(projectID);
    else
        targets[projectID] = std::move(kept);
    return true;
}

void ProjectDesktopAssociations::remove(
    std::uint64_t spaceID, const std::string& display, const std::optional<std::string>& spaceUUID)
{
    if (!isValid() || spaceID == 0 || !isCleanString(display) || (spaceUUID && !isCleanString(*spaceUUID)))
        return;
    for (auto entry = targets.begin(); entry != targets.end();) {
        auto& list = entry->second;
        list.erase(std::remove_if(list.begin(), list.end(),
                       [&](const ProjectDesktopAssociation& association) {
                           if (!equalIgnoringCase(association.display, display))
                               return false;
                           if (association.spaceUUID)
                               return spaceUUID && equalIgnoringCase(*association.spaceUUID, *spaceUUID);
                           return association.spaceID == spaceID;
                       }),
            list.end());
        entry = list.empty() ? targets.erase(entry) : std::next(entry);
    }
}

bool ProjectDesktopAssociations::migrate(const std::map<std::string, std::int64_t>& legacy, const Inventory& inventory)
{
    if (!isValid() || !valid(inventory))
        return false;
    for (auto& [projectID, number] : legacy)
        if (!isCleanString(projectID))
            return false;
    for (auto& [projectID, number] : legacy) {
        if (targets.count(projectID) || unresolvedProjects.count(projectID) || number == 0)
            continue;
        if (number < DesktopTargets::supportedFirst || number > DesktopTargets::supportedLast
            || static_cast<std::uint64_t>(number) > inventory.size()) {
            unresolvedProjects.insert(projectID);
            continue;
        }
        targets[projectID] = { ProjectDesktopAssociation(inventory[static_cast<std::size_t>(number) - 1]) };
    }
    return true;
}

} // namespace pellamor
