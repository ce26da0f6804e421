// Reads the stored association data at launch: the association store, or the legacy number-based data.
#pragma once

#include "desktops/ProjectDesktopAssociations.h"
#include "desktops/ProjectManagedDesktops.h"
#include "platform/UserDefaults.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

// Project id → desktop number, as earlier versions stored it.
using LegacyAssociations = std::map<std::string, std::int64_t>;

struct StoredAssociations {
    ProjectDesktopAssociations associations;
    std::optional<LegacyAssociations> legacyAssociations;
    std::optional<std::vector<NativeDesktopState>> legacyDesktopInventory;
    // Unreadable data: it stays untouched and nothing is switched.
    bool invalid = false;
};

StoredAssociations readStoredAssociations(const UserDefaults& defaults);

struct StoredManagedDesktops {
    ProjectManagedDesktops desktops;
    // False when stored data did not decode: what depends on the list is then disabled.
    bool readable = true;
};

StoredManagedDesktops readStoredManagedDesktops(const UserDefaults& defaults);

} // namespace pellamor
