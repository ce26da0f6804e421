#include "app/ProjectAssignmentReset.h"

#include "desktops/ProjectDesktopAssociations.h"
#include "ui/AppConstants.h"

#include <algorithm>

namespace pellamor::ProjectAssignmentReset {

bool clear(UserDefaults& defaults)
{
    std::optional<std::string> data = ProjectDesktopAssociations().encodedData();
    if (!data)
        return false;
    PlistData bytes(data->begin(), data->end());
    std::optional<PlistValue> previous = defaults.object(desktopIdentitiesKey);
    bool written = defaults.set(desktopIdentitiesKey, bytes);
    Lookup<PlistData> stored = defaults.data(desktopIdentitiesKey);
    if (!written || !stored || *stored != bytes) {
        // What the file still holds stays what the app holds too.
        if (previous)
            defaults.set(desktopIdentitiesKey, *previous);
        else
            defaults.remove(desktopIdentitiesKey);
        return false;
    }
    const char* dropped[] = { preferencesKey, pendingDesktopInventoryKey, pendingDesktopAssignmentsKey, managedDesktopsKey };
    bool removed = true;
    for (const char* key : dropped)
        removed = defaults.remove(key) && removed;
    return removed && std::none_of(std::begin(dropped), std::end(dropped), [&](const char* key) { return defaults.objectExists(key); });
}

} // namespace pellamor::ProjectAssignmentReset
