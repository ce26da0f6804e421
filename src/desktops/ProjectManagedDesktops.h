// The desktops the app created for projects: recording, forgetting, offering them for cleanup, and their
// stored JSON form.
#pragma once

#include "desktops/ProjectDesktopAssociations.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pellamor {

struct ProjectManagedDesktop {
    std::string projectID;
    ProjectDesktopAssociation identity;

    bool isValid() const;
    // The live desktop it names, by display and UUID; none without a UUID.
    std::optional<NativeDesktopState> resolve(const std::vector<NativeDesktopState>& inventory) const;

    friend bool operator==(const ProjectManagedDesktop&, const ProjectManagedDesktop&) = default;
};

struct ProjectManagedDesktops {
    std::vector<ProjectManagedDesktop> entries;

    // Every entry valid and no desktop named twice.
    bool isValid() const;

    // Refuses a desktop without UUID: it could never be forgotten or offered for cleanup afterwards.
    bool markCreated(const std::string& projectID, const NativeDesktopState& desktop);
    void remove(const NativeDesktopState& desktop);
    // From the end of the inventory towards its start; a display always keeps one desktop.
    std::vector<ProjectManagedDesktop> eligibleCleanup(const std::vector<NativeDesktopState>& inventory,
        const ProjectDesktopAssociations& associations, const std::optional<std::set<std::uint64_t>>& emptySpaceIDs,
        const std::optional<std::string>& reservedDisplay) const;

    // Version 1, sorted keys; none when the list is not valid.
    std::optional<std::string> encodedData() const;
    static std::optional<ProjectManagedDesktops> decode(std::string_view data);

    friend bool operator==(const ProjectManagedDesktops&, const ProjectManagedDesktops&) = default;
};

} // namespace pellamor
