// The derived association state of the application delegate: what each project resolves to on the desktops
// of now, refreshed before every switch, pre-flight and poll but rebuilt only when the store, the desktops or
// the dedicated screen changed, and the one-time migration of legacy numbers.
#include "app/AppDelegate.h"

#include "ui/AppConstants.h"
#include "desktops/CleanText.h"
#include "desktops/ScreenPlacement.h"
#include "platform/Platform.h"

namespace pellamor {

const std::map<std::string, ProjectResolution>& AppDelegate::resolvedProjects() const
{
    static const std::map<std::string, ProjectResolution> none;
    if (!associationInventory)
        return none;
    // Resolving checks the whole store: done again only when what it depends on changed.
    if (!resolved_.revision || resolved_.inventory != *associationInventory
        || resolved_.assistantDisplay != runtimeAssistantDisplay || resolved_.store != desktopAssociations) {
        resolved_ = ResolvedAssociations { desktopAssociations, *associationInventory, runtimeAssistantDisplay,
            desktopAssociations.resolveAll(*associationInventory, runtimeAssistantDisplay), resolved_.revision + 1 };
    }
    return resolved_.projects;
}

std::vector<ProjectDesktopSwitchTarget> AppDelegate::targets(const std::string& projectID) const
{
    const std::map<std::string, ProjectResolution>& projects = resolvedProjects();
    auto found = projects.find(projectID);
    return found == projects.end() ? std::vector<ProjectDesktopSwitchTarget> {} : targets(found->second);
}

std::vector<ProjectDesktopSwitchTarget> AppDelegate::targets(const ProjectResolution& resolution) const
{
    std::vector<ProjectDesktopSwitchTarget> kept;
    for (const ProjectDesktopSwitchTarget& target : resolution.targets) {
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
        derivedRevision_ = 0;
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

    const std::map<std::string, ProjectResolution>& projects = resolvedProjects();
    if (resolved_.revision == derivedRevision_)
        return true;
    derivedRevision_ = resolved_.revision;
    std::map<std::string, std::vector<int>> fresh;
    fallbackProjects.clear();
    for (const auto& [projectID, resolution] : projects) {
        std::set<int> numbers;
        for (const ProjectDesktopSwitchTarget& target : targets(resolution))
            numbers.insert(target.number);
        if (const std::optional<AssistantFallbackTarget>& fallback = resolution.fallback) {
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
    for (const auto& entry : resolvedProjects()) {
        for (const ProjectDesktopSwitchTarget& target : targets(entry.second))
            numbers.insert(target.number);
    }
    return numbers;
}

} // namespace pellamor
