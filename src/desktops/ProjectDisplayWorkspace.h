// Which desktop a project gets on a screen: its own, an empty one nobody uses, or a new one; and the
// re-check of that choice before a window is moved and before the assignment is committed.
#pragma once

#include "desktops/ProjectDesktopAssociations.h"
#include "platform/UUID.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace pellamor {

enum class ProjectDisplayWorkspaceError {
    unreadable,
    missingAssistantDisplay,
    reservedDisplay,
    unavailableDisplay,
    unknownEmptyDesktops,
    desktopLimit,
    preparationChanged,
    occupied,
};

// The French text shown to the user, already looked up.
std::string messageKey(ProjectDisplayWorkspaceError error);

struct ProjectDisplayPlan {
    struct Existing {
        NativeDesktopState desktop;
        friend bool operator==(const Existing&, const Existing&) = default;
    };
    struct ReuseEmpty {
        NativeDesktopState desktop;
        friend bool operator==(const ReuseEmpty&, const ReuseEmpty&) = default;
    };
    struct Create {
        std::string display;
        friend bool operator==(const Create&, const Create&) = default;
    };
    struct Blocked {
        ProjectDisplayWorkspaceError error;
        friend bool operator==(const Blocked&, const Blocked&) = default;
    };

    std::variant<Existing, ReuseEmpty, Create, Blocked> value;

    friend bool operator==(const ProjectDisplayPlan&, const ProjectDisplayPlan&) = default;
};

struct ProjectDisplayPreparation {
    UUID token;
    std::string projectID;
    std::string display;
    NativeDesktopState desktop;
    bool created = false;
    // Chosen because it was empty, so it must still be empty when committed.
    bool requiresEmpty = false;

    friend bool operator==(const ProjectDisplayPreparation&, const ProjectDisplayPreparation&) = default;
};

using SpaceIDSet = std::set<std::uint64_t>;

namespace ProjectDisplayWorkspace {

// `emptySpaceIDs` is none when reading which desktops are empty failed.
ProjectDisplayPlan plan(const std::string& projectID, const std::string& display,
    const std::vector<NativeDesktopState>& inventory, const ProjectDesktopAssociations& associations,
    const std::optional<std::string>& reservedDisplay, const std::optional<SpaceIDSet>& emptySpaceIDs);

// None while the preparation still holds.
std::optional<ProjectDisplayWorkspaceError> validatePreparation(const ProjectDisplayPreparation& preparation,
    const std::vector<NativeDesktopState>& inventory, const ProjectDesktopAssociations& associations,
    const std::optional<std::string>& reservedDisplay, const std::optional<SpaceIDSet>& emptySpaceIDs);

bool matches(const ProjectDesktopAssociation& association, const NativeDesktopState& desktop);

// Some other project of the store (ids compared exactly) has an association that denotes the desktop.
bool isAssignedToAnotherProject(
    const NativeDesktopState& desktop, const std::string& projectID, const ProjectDesktopAssociations& associations);

} // namespace ProjectDisplayWorkspace

} // namespace pellamor
