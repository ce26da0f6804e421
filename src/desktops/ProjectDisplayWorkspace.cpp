#include "desktops/ProjectDisplayWorkspace.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"

#include <algorithm>

namespace pellamor {

namespace {

// Desktops beyond this position have no number.
constexpr std::size_t desktopLimit = DesktopTargets::supportedLast;

bool sameUUIDState(const std::optional<std::string>& a, const std::optional<std::string>& b)
{
    if (a && b)
        return equalIgnoringCase(*a, *b);
    return !a && !b;
}

bool reservedDisplayUnknown(const std::optional<std::string>& reservedDisplay)
{
    return !reservedDisplay || !isCleanString(*reservedDisplay);
}

} // namespace

std::string messageKey(ProjectDisplayWorkspaceError error)
{
    switch (error) {
    case ProjectDisplayWorkspaceError::unreadable:
        return L("Impossible de préparer cet écran pour le moment. Actualise la liste puis réessaie.");
    case ProjectDisplayWorkspaceError::missingAssistantDisplay:
        return L("Choisis d’abord l’écran de Codex dans Ton assistant.");
    case ProjectDisplayWorkspaceError::reservedDisplay:
        return L("Cet écran est réservé à Codex. Dépose la fenêtre sur un autre écran.");
    case ProjectDisplayWorkspaceError::unavailableDisplay:
        return L("Cet écran n’est plus disponible. Choisis un écran connecté.");
    case ProjectDisplayWorkspaceError::unknownEmptyDesktops:
        return L("Impossible de vérifier les espaces disponibles. Actualise la liste puis réessaie.");
    case ProjectDisplayWorkspaceError::desktopLimit:
        return L("Aucun espace libre sur cet écran. La limite de neuf bureaux est atteinte.");
    case ProjectDisplayWorkspaceError::preparationChanged:
        return L("L’espace prévu pour ce projet a changé. Réessaie le déplacement.");
    case ProjectDisplayWorkspaceError::occupied:
        return L("Une autre fenêtre occupe maintenant cet espace. Réessaie le déplacement.");
    }
    return {};
}

namespace ProjectDisplayWorkspace {

bool matches(const ProjectDesktopAssociation& association, const NativeDesktopState& desktop)
{
    return association.denotes(desktop);
}

bool isAssignedToAnotherProject(
    const NativeDesktopState& desktop, const std::string& projectID, const ProjectDesktopAssociations& associations)
{
    return std::any_of(associations.targets.begin(), associations.targets.end(), [&](const auto& target) {
        return target.first != projectID
            && std::any_of(target.second.begin(), target.second.end(),
                [&](const auto& association) { return matches(association, desktop); });
    });
}

ProjectDisplayPlan plan(const std::string& projectID, const std::string& display,
    const std::vector<NativeDesktopState>& inventory, const ProjectDesktopAssociations& associations,
    const std::optional<std::string>& reservedDisplay, const std::optional<SpaceIDSet>& emptySpaceIDs)
{
    using Error = ProjectDisplayWorkspaceError;
    using Blocked = ProjectDisplayPlan::Blocked;
    if (!isCleanString(projectID) || !isCleanString(display) || !ProjectDesktopAssociations::valid(inventory)
        || !associations.encodedData())
        return { Blocked { Error::unreadable } };
    if (reservedDisplayUnknown(reservedDisplay))
        return { Blocked { Error::missingAssistantDisplay } };
    if (equalIgnoringCase(display, *reservedDisplay))
        return { Blocked { Error::reservedDisplay } };
    auto onDisplay = [&](const NativeDesktopState& desktop) { return equalIgnoringCase(desktop.display, display); };
    auto first = std::find_if(inventory.begin(), inventory.end(), onDisplay);
    if (first == inventory.end())
        return { Blocked { Error::unavailableDisplay } };

    for (const auto& target : associations.resolvedTargets(projectID, inventory)) {
        if (onDisplay(target.desktop))
            return { ProjectDisplayPlan::Existing { target.desktop } };
    }
    if (!emptySpaceIDs)
        return { Blocked { Error::unknownEmptyDesktops } };
    for (std::size_t i = 0; i < inventory.size() && i < desktopLimit; ++i) {
        const auto& desktop = inventory[i];
        if (onDisplay(desktop) && emptySpaceIDs->count(desktop.spaceID)
            && !isAssignedToAnotherProject(desktop, projectID, associations))
            return { ProjectDisplayPlan::ReuseEmpty { desktop } };
    }
    if (inventory.size() >= desktopLimit)
        return { Blocked { Error::desktopLimit } };
    return { ProjectDisplayPlan::Create { first->display } };
}

std::optional<ProjectDisplayWorkspaceError> validatePreparation(const ProjectDisplayPreparation& preparation,
    const std::vector<NativeDesktopState>& inventory, const ProjectDesktopAssociations& associations,
    const std::optional<std::string>& reservedDisplay, const std::optional<SpaceIDSet>& emptySpaceIDs)
{
    using Error = ProjectDisplayWorkspaceError;
    const auto& prepared = preparation.desktop;
    if (!isCleanString(preparation.projectID) || !isCleanString(preparation.display)
        || !ProjectDesktopAssociations::valid({ prepared }) || !ProjectDesktopAssociations::valid(inventory)
        || !associations.encodedData())
        return Error::unreadable;
    if (reservedDisplayUnknown(reservedDisplay))
        return Error::missingAssistantDisplay;
    if (equalIgnoringCase(preparation.display, *reservedDisplay))
        return Error::reservedDisplay;
    if (!equalIgnoringCase(preparation.display, prepared.display))
        return Error::preparationChanged;
    auto entry = std::find_if(
        inventory.begin(), inventory.end(), [&](const auto& desktop) { return desktop.spaceID == prepared.spaceID; });
    if (entry == inventory.end() || std::size_t(entry - inventory.begin()) >= desktopLimit)
        return Error::preparationChanged;
    if (!equalIgnoringCase(entry->display, preparation.display) || !sameUUIDState(prepared.spaceUUID, entry->spaceUUID))
        return Error::preparationChanged;

    if (preparation.requiresEmpty) {
        if (isAssignedToAnotherProject(*entry, preparation.projectID, associations))
            return Error::preparationChanged;
        if (!emptySpaceIDs)
            return Error::unknownEmptyDesktops;
        if (emptySpaceIDs->count(entry->spaceID))
            return std::nullopt;
        return Error::occupied;
    }
    if (preparation.created)
        return Error::preparationChanged;
    auto targets = associations.resolvedTargets(preparation.projectID, inventory);
    bool owned = std::any_of(targets.begin(), targets.end(), [&](const auto& target) {
        return target.desktop.spaceID == entry->spaceID && equalIgnoringCase(target.desktop.display, entry->display)
            && sameUUIDState(target.desktop.spaceUUID, entry->spaceUUID);
    });
    if (owned)
        return std::nullopt;
    return Error::preparationChanged;
}

} // namespace ProjectDisplayWorkspace

} // namespace pellamor
