#include "app/ProjectAssignmentReset.h"

#include "desktops/ProjectDesktopAssociations.h"
#include "ui/AppConstants.h"

#include <algorithm>

namespace pellamor::ProjectAssignmentReset {

bool clear(UserDefaults& defaults)
{
    std::optional<std::string> data = ProjectDesktopAssociations().encodedData();
    // What the file still holds stays what the app holds too.
    if (!data || !defaults.setOrRevert(desktopIdentitiesKey, PlistData(data->begin(), data->end())))
        return false;
    const char* dropped[] = { preferencesKey, pendingDesktopInventoryKey, pendingDesktopAssignmentsKey, managedDesktopsKey };
    bool removed = true;
    for (const char* key : dropped)
        removed = defaults.remove(key) && removed;
    return removed && std::none_of(std::begin(dropped), std::end(dropped), [&](const char* key) { return defaults.objectExists(key); });
}

} // namespace pellamor::ProjectAssignmentReset
