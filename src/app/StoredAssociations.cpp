#include "app/StoredAssociations.h"

#include "app/AppConstants.h"

#include <charconv>

namespace pellamor {
namespace {

std::string text(const PlistData& data) { return std::string(data.begin(), data.end()); }

// A dictionary whose every value is an integer that fits a desktop number's type.
std::optional<LegacyAssociations> integerDictionary(const PlistValue& value)
{
    const PlistDictionary* dictionary = value.asDictionary();
    if (!dictionary)
        return std::nullopt;
    LegacyAssociations result;
    for (const auto& [key, number] : *dictionary) {
        const std::int64_t* integer = number.asInteger();
        if (!integer || *integer < INT32_MIN || *integer > INT32_MAX)
            return std::nullopt;
        result[key] = static_cast<int>(*integer);
    }
    return result;
}

std::optional<std::uint64_t> unsignedDecimal(const std::string& text)
{
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Each entry must be a dictionary of strings; none when one is not.
std::optional<std::vector<NativeDesktopState>> pendingInventory(const PlistArray& entries, bool& skipped)
{
    std::vector<NativeDesktopState> inventory;
    for (const PlistValue& entry : entries) {
        const PlistDictionary* fields = entry.asDictionary();
        if (!fields)
            return std::nullopt;
        for (const auto& field : *fields) {
            if (!field.second.asString())
                return std::nullopt;
        }
        Lookup<std::string> id = lookupString(*fields, "id");
        Lookup<std::string> display = lookupString(*fields, "display");
        std::optional<std::uint64_t> spaceID = id ? unsignedDecimal(*id) : std::nullopt;
        if (!spaceID || !display) {
            skipped = true;
            continue;
        }
        inventory.push_back(NativeDesktopState{*spaceID, *spaceID, *display, std::nullopt});
    }
    return inventory;
}

} // namespace

StoredAssociations readStoredAssociations(const UserDefaults& defaults)
{
    StoredAssociations stored;
    if (defaults.objectExists(desktopIdentitiesKey)) {
        Lookup<PlistData> data = defaults.data(desktopIdentitiesKey);
        std::optional<ProjectDesktopAssociations> decoded =
            data ? ProjectDesktopAssociations::decode(text(*data)) : std::nullopt;
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
        stored.legacyAssociations = LegacyAssociations{};
    }

    if (!defaults.objectExists(pendingDesktopInventoryKey))
        return stored;
    Lookup<PlistArray> entries = defaults.array(pendingDesktopInventoryKey);
    std::optional<PlistValue> assignments = defaults.object(pendingDesktopAssignmentsKey);
    std::optional<LegacyAssociations> pendingAssignments =
        assignments ? integerDictionary(*assignments) : std::nullopt;
    bool skipped = false;
    std::optional<std::vector<NativeDesktopState>> inventory =
        entries ? pendingInventory(*entries, skipped) : std::nullopt;
    if (!pendingAssignments || !inventory || skipped || !ProjectDesktopAssociations::valid(*inventory)) {
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
