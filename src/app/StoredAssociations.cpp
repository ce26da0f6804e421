#include "app/StoredAssociations.h"

#include "ui/AppConstants.h"

#include <cstdint>

namespace pellamor {
namespace {

std::string text(const PlistData& data)
{
    return std::string(data.begin(), data.end());
}

// A dictionary whose every value is an integer.
std::optional<LegacyAssociations> integerDictionary(const PlistValue& value)
{
    const PlistDictionary* dictionary = value.asDictionary();
    if (!dictionary)
        return std::nullopt;
    LegacyAssociations result;
    for (const auto& [key, number] : *dictionary) {
        const std::int64_t* integer = number.asInteger();
        const std::uint64_t* natural = number.asUnsigned();
        if (natural && *natural <= std::uint64_t(INT64_MAX)) {
            result[key] = static_cast<std::int64_t>(*natural);
            continue;
        }
        if (!integer)
            return std::nullopt;
        result[key] = *integer;
    }
    return result;
}

} // namespace

StoredAssociations readStoredAssociations(const UserDefaults& defaults)
{
    StoredAssociations stored;
    if (defaults.objectExists(desktopIdentitiesKey)) {
        Lookup<PlistData> data = defaults.data(desktopIdentitiesKey);
        std::optional<ProjectDesktopAssociations> decoded
            = data ? ProjectDesktopAssociations::decode(text(*data)) : std::nullopt;
        if (decoded)
            stored.associations = std::move(*decoded);
        else
            stored.invalid = true;
        return stored;
    }

    if (std::optional<PlistValue> legacy = defaults.object(preferencesKey)) {
        stored.legacyAssociations = integerDictionary(*legacy);
        if (!stored.legacyAssociations) {
            stored.invalid = true;
            return stored;
        }
    } else {
        stored.legacyAssociations = LegacyAssociations {};
    }

    if (!defaults.objectExists(pendingDesktopInventoryKey))
        return stored;
    Lookup<PlistArray> entries = defaults.array(pendingDesktopInventoryKey);
    std::optional<PlistValue> assignments = defaults.object(pendingDesktopAssignmentsKey);
    std::optional<LegacyAssociations> pendingAssignments = assignments ? integerDictionary(*assignments) : std::nullopt;
    std::optional<std::vector<NativeDesktopState>> inventory
        = entries ? ProjectDesktopAssociations::legacyInventory(*entries) : std::nullopt;
    if (!pendingAssignments || !inventory || !ProjectDesktopAssociations::valid(*inventory)) {
        stored.invalid = true;
        return stored;
    }
    stored.legacyDesktopInventory = std::move(inventory);
    stored.legacyAssociations = std::move(pendingAssignments);
    return stored;
}

StoredManagedDesktops readStoredManagedDesktops(const UserDefaults& defaults)
{
    StoredManagedDesktops stored;
    Lookup<PlistData> data = defaults.data(managedDesktopsKey);
    if (!data)
        return stored;
    if (std::optional<ProjectManagedDesktops> decoded = ProjectManagedDesktops::decode(text(*data)))
        stored.desktops = std::move(*decoded);
    else
        stored.readable = false;
    return stored;
}

} // namespace pellamor
