#include "desktops/ProjectManagedDesktops.h"

#include "assistant/TextCase.h"
#include "desktops/CleanText.h"
#include "desktops/ProjectDesktopAssociationCoding.h"
#include "desktops/ProjectDisplayWorkspace.h"
#include "platform/JSONEncoding.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>

namespace pellamor {

namespace {

using Json = nlohmann::json;

bool hasCleanUUID(const NativeDesktopState& desktop)
{
    return desktop.spaceUUID && isCleanString(*desktop.spaceUUID);
}

bool sameUUID(const ProjectDesktopAssociation& identity, const NativeDesktopState& desktop)
{
    return identity.spaceUUID && desktop.spaceUUID && equalIgnoringCase(*identity.spaceUUID, *desktop.spaceUUID);
}

// Whether two recorded identities name the same desktop; one with a UUID and one without never do.
bool sameDesktop(const ProjectDesktopAssociation& a, const ProjectDesktopAssociation& b)
{
    if (a.spaceUUID && b.spaceUUID)
        return equalIgnoringCase(*a.spaceUUID, *b.spaceUUID);
    if (!a.spaceUUID && !b.spaceUUID)
        return a.spaceID == b.spaceID && equalIgnoringCase(a.display, b.display);
    return false;
}

std::optional<ProjectManagedDesktop> entryFromJson(const Json& json)
{
    if (!json.is_object())
        return std::nullopt;
    auto identity = json.find("identity");
    auto projectID = json.find("projectID");
    if (identity == json.end() || projectID == json.end() || !projectID->is_string())
        return std::nullopt;
    auto decoded = decodeAssociation(*identity);
    if (!decoded)
        return std::nullopt;
    return ProjectManagedDesktop { projectID->get<std::string>(), *decoded };
}

} // namespace

bool ProjectManagedDesktop::isValid() const
{
    return isCleanString(projectID) && identity.isValid();
}

std::optional<NativeDesktopState> ProjectManagedDesktop::resolve(const std::vector<NativeDesktopState>& inventory) const
{
    if (!isValid() || !identity.spaceUUID || !ProjectDesktopAssociations::valid(inventory))
        return std::nullopt;
    auto found = std::find_if(inventory.begin(), inventory.end(), [&](const auto& desktop) {
        return equalIgnoringCase(desktop.display, identity.display) && sameUUID(identity, desktop);
    });
    if (found == inventory.end())
        return std::nullopt;
    return *found;
}

bool ProjectManagedDesktops::isValid() const
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].isValid())
            return false;
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            if (sameDesktop(entries[i].identity, entries[j].identity))
                return false;
        }
    }
    return true;
}

bool ProjectManagedDesktops::markCreated(const std::string& projectID, const NativeDesktopState& desktop)
{
    if (!hasCleanUUID(desktop))
        return false;
    ProjectManagedDesktop entry { projectID, ProjectDesktopAssociation(desktop) };
    if (!entry.isValid() || !isValid())
        return false;
    auto found = std::find_if(
        entries.begin(), entries.end(), [&](const auto& known) { return sameDesktop(known.identity, entry.identity); });
    if (found == entries.end()) {
        entries.push_back(std::move(entry));
        return true;
    }
    if (found->projectID != projectID || !equalIgnoringCase(found->identity.display, desktop.display))
        return false;
    *found = std::move(entry);
    return true;
}

void ProjectManagedDesktops::remove(const NativeDesktopState& desktop)
{
    if (!hasCleanUUID(desktop) || !isCleanString(desktop.display))
        return;
    std::erase_if(entries, [&](const auto& entry) {
        return sameUUID(entry.identity, desktop) && equalIgnoringCase(entry.identity.display, desktop.display);
    });
}

std::vector<ProjectManagedDesktop> ProjectManagedDesktops::eligibleCleanup(
    const std::vector<NativeDesktopState>& inventory, const ProjectDesktopAssociations& associations,
    const std::optional<std::set<std::uint64_t>>& emptySpaceIDs,
    const std::optional<std::string>& reservedDisplay) const
{
    if (!isValid() || !ProjectDesktopAssociations::valid(inventory) || !associations.encodedData() || !emptySpaceIDs
        || !reservedDisplay || !isCleanString(*reservedDisplay))
        return {};
    std::map<std::string, int> remaining;
    for (const auto& desktop : inventory)
        ++remaining[lowercased(desktop.display)];

    std::vector<ProjectManagedDesktop> answer;
    for (auto desktop = inventory.rbegin(); desktop != inventory.rend(); ++desktop) {
        auto& count = remaining[lowercased(desktop->display)];
        if (equalIgnoringCase(desktop->display, *reservedDisplay) || desktop->spaceID == desktop->currentSpaceID
            || !emptySpaceIDs->count(desktop->spaceID) || count <= 1)
            continue;
        auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& known) {
            return known.identity.spaceUUID && equalIgnoringCase(known.identity.display, desktop->display)
                && sameUUID(known.identity, *desktop);
        });
        if (entry == entries.end()
            || ProjectDisplayWorkspace::isAssignedToAnotherProject(*desktop, entry->projectID, associations))
            continue;
        answer.push_back(*entry);
        --count;
    }
    return answer;
}

std::optional<std::string> ProjectManagedDesktops::encodedData() const
{
    if (!isValid())
        return std::nullopt;
    Json list = Json::array();
    for (const auto& entry : entries)
        list.push_back({ { "identity", encodeAssociation(entry.identity) }, { "projectID", entry.projectID } });
    return encodeSortedJSON(Json { { "entries", list }, { "version", 1 } });
}

std::optional<ProjectManagedDesktops> ProjectManagedDesktops::decode(std::string_view data)
{
    // Far beyond any real list; a larger document is refused rather than parsed.
    if (data.size() > 1024 * 1024)
        return std::nullopt;
    auto json = Json::parse(data.begin(), data.end(), nullptr, false);
    if (!json.is_object())
        return std::nullopt;
    auto version = json.find("version");
    auto list = json.find("entries");
    if (version == json.end() || !version->is_number_integer() || *version != 1 || list == json.end()
        || !list->is_array())
        return std::nullopt;
    ProjectManagedDesktops decoded;
    for (const auto& element : *list) {
        auto entry = entryFromJson(element);
        if (!entry)
            return std::nullopt;
        decoded.entries.push_back(std::move(*entry));
    }
    if (!decoded.isValid())
        return std::nullopt;
    return decoded;
}

} // namespace pellamor
