// The derived association state of the application delegate: what each project resolves to on the desktops
// of now, rebuilt before every switch, pre-flight and poll, and the one-time migration of legacy numbers.
#include "app/AppDelegate.h"

#include "ui/AppConstants.h"
#include "desktops/CleanText.h"
#include "desktops/ScreenPlacement.h"
#include "platform/Platform.h"

namespace pellamor {

std::vector<ProjectDesktopSwitchTarget> AppDelegate::targets(const std::string& projectID,
                                                             const std::vector<NativeDesktopState>& inventory) const
{
    std::vector<ProjectDesktopSwitchTarget> kept;
    for (const ProjectDesktopSwitchTarget& target : desktopAssociations.resolvedTargets(projectID, inventory)) {
        if (!runtimeAssistantDisplay || !equalIgnoringCase(target.desktop.display, *runtimeAssistantDisplay))
            kept.push_back(target);
    }
    return kept;
}

bool AppDelegate::refreshDesktopAssociations(std::optional<std::vector<NativeDesktopState>> inventory)
{
    if (!associationDataInvalid && !inventory)
        inventory = desktopCreator->inventory();
    if (associationDataInvalid || !inventory || !ProjectDesktopAssociations::valid(*inventory)) {
        associationInventory.reset();
        fallbackProjects.clear();
        fallbackDesktopNumbers.clear();
        runtimeAssistantDisplay.reset();
        if (!associations.empty()) {
            associations.clear();
            updateTrackingControls();
        }
        return false;
    }
    if (legacyAssociations)
        migrateLegacyAssociations(*inventory);

    associationInventory = inventory;
    runtimeAssistantDisplay =
        AssistantScreenConfiguration::runtime(ConnectedMonitor::read(), platform().standardDefaults()).monitorID;

    std::map<std::string, std::vector<int>> fresh;
    std::set<std::string> projectIDs = desktopAssociations.unresolvedProjects;
    for (const auto& entry : desktopAssociations.targets)
        projectIDs.insert(entry.first);
    fallbackProjects.clear();
    for (const std::string& projectID : projectIDs) {
        std::set<int> numbers;
        for (const ProjectDesktopSwitchTarget& target : targets(projectID, *inventory))
            numbers.insert(target.number);
        if (auto fallback = desktopAssociations.assistantFallback(projectID, *inventory, runtimeAssistantDisplay)) {
            fallbackProjects.insert(projectID);
            if (fallback->number) {
                fallbackDesktopNumbers[projectID] = *fallback->number;
                numbers.insert(*fallback->number);
            } else {
                fallbackDesktopNumbers.erase(projectID);
            }
        }
        if (!numbers.empty())
            fresh[projectID] = std::vector<int>(numbers.begin(), numbers.end());
    }
    std::erase_if(fallbackDesktopNumbers, [this](const auto& entry) { return !fallbackProjects.count(entry.first); });
    if (fresh != associations) {
        associations = std::move(fresh);
        updateTrackingControls();
    }
    return true;
}

void AppDelegate::migrateLegacyAssociations(const std::vector<NativeDesktopState>& inventory)
{
    std::vector<NativeDesktopState> migration = legacyDesktopInventory.value_or(inventory);
    for (NativeDesktopState& legacy : migration) {
        if (legacy.spaceUUID)
            continue;
        for (const NativeDesktopState& live : inventory) {
            if (live.spaceID == legacy.spaceID && equalIgnoringCase(live.display, legacy.display)) {
                legacy.currentSpaceID = live.currentSpaceID;
                legacy.display = live.display;
                legacy.spaceUUID = live.spaceUUID;
                break;
            }
        }
    }
    ProjectDesktopAssociations migrated = desktopAssociations;
    if (!migrated.migrate(*legacyAssociations, migration))
        return;
    std::optional<std::string> data = migrated.encodedData();
    if (!data)
        return;
    desktopAssociations = std::move(migrated);
    UserDefaults& defaults = platform().standardDefaults();
    defaults.set(desktopIdentitiesKey, PlistData(data->begin(), data->end()));
    legacyAssociations.reset();
    legacyDesktopInventory.reset();
    defaults.remove(pendingDesktopInventoryKey);
    defaults.remove(pendingDesktopAssignmentsKey);
}

bool AppDelegate::hasAssociation(const std::string& projectID) const
{
    if (desktopAssociations.targets.count(projectID) || desktopAssociations.unresolvedProjects.count(projectID))
        return true;
    if (!legacyAssociations)
        return false;
    auto legacy = legacyAssociations->find(projectID);
    return legacy != legacyAssociations->end() && legacy->second != 0;
}

std::set<int> AppDelegate::assignedDesktops() const
{
    std::set<int> numbers;
    if (!associationInventory)
        return numbers;
    std::set<std::string> projectIDs;
    for (const auto& entry : desktopAssociations.targets)
        projectIDs.insert(entry.first);
    for (const std::string& projectID : projectIDs) {
        for (const ProjectDesktopSwitchTarget& target : targets(projectID, *associationInventory))
            numbers.insert(target.number);
    }
    return numbers;
}

} // namespace pellamor
