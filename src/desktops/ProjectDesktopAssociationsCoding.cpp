// The JSON form of the association store and the older pending inventory.
#include "desktops/ProjectDesktopAssociations.h"

#include "desktops/ProjectDesktopAssociationCoding.h"
#include "platform/JSONEncoding.h"

#include <nlohmann/json.hpp>

namespace pellamor {

namespace {

using nlohmann::json;

// Far beyond any real store; a larger document is refused rather than parsed.
const std::size_t maximumDataSize = 8 * 1024 * 1024;

std::optional<std::uint64_t> unsignedValue(const json& value)
{
    if (value.is_number_unsigned())
        return value.get<std::uint64_t>();
    if (value.is_number_integer() && value.get<std::int64_t>() >= 0)
        return static_cast<std::uint64_t>(value.get<std::int64_t>());
    return std::nullopt;
}

// Version 2 keeps a list per project, version 1 a single association.
std::optional<std::vector<ProjectDesktopAssociation>> decodeList(const json& value, std::int64_t version)
{
    if (version == 1) {
        auto association = decodeAssociation(value);
        if (!association)
            return std::nullopt;
        return std::vector<ProjectDesktopAssociation> { *association };
    }
    if (!value.is_array())
        return std::nullopt;
    std::vector<ProjectDesktopAssociation> list;
    for (const json& element : value) {
        auto association = decodeAssociation(element);
        if (!association)
            return std::nullopt;
        list.push_back(*association);
    }
    return list;
}


// Digits with an optional plus sign, within 64 unsigned bits.
std::optional<std::uint64_t> decimalID(const std::string& text)
{
    std::size_t start = !text.empty() && text[0] == '+' ? 1 : 0;
    if (start == text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t index = start; index < text.size(); ++index) {
        char digit = text[index];
        if (digit < '0' || digit > '9')
            return std::nullopt;
        std::uint64_t next = value * 10 + static_cast<std::uint64_t>(digit - '0');
        if (value > UINT64_MAX / 10 || next < value * 10)
            return std::nullopt;
        value = next;
    }
    return value;
}

} // namespace

std::optional<ProjectDesktopAssociation> decodeAssociation(const json& value)
{
    if (!value.is_object())
        return std::nullopt;
    auto spaceID = value.find("spaceID");
    auto display = value.find("display");
    if (spaceID == value.end() || display == value.end() || !display->is_string())
        return std::nullopt;
    auto id = unsignedValue(*spaceID);
    if (!id)
        return std::nullopt;
    ProjectDesktopAssociation association(*id, display->get<std::string>(), std::nullopt);
    if (auto uuid = value.find("spaceUUID"); uuid != value.end() && !uuid->is_null()) {
        if (!uuid->is_string())
            return std::nullopt;
        association.spaceUUID = uuid->get<std::string>();
    }
    if (!association.isValid())
        return std::nullopt;
    return association;
}

json encodeAssociation(const ProjectDesktopAssociation& association)
{
    json object = json::object();
    object["display"] = association.display;
    object["spaceID"] = association.spaceID;
    if (association.spaceUUID)
        object["spaceUUID"] = *association.spaceUUID;
    return object;
}

std::optional<std::string> ProjectDesktopAssociations::encodedData() const
{
    if (!isValid())
        return std::nullopt;
    json document = json::object();
    json projects = json::object();
    for (auto& [projectID, list] : targets) {
        json array = json::array();
        for (const ProjectDesktopAssociation& association : list)
            array.push_back(encodeAssociation(association));
        projects[projectID] = std::move(array);
    }
    document["targets"] = std::move(projects);
    document["unresolvedProjects"] = json(unresolvedProjects);
    document["version"] = 2;
    return encodeSortedJSON(document);
}

std::optional<ProjectDesktopAssociations> ProjectDesktopAssociations::decode(std::string_view data)
{
    if (data.size() > maximumDataSize)
        return std::nullopt;
    json document = json::parse(data.begin(), data.end(), nullptr, false);
    if (document.is_discarded() || !document.is_object())
        return std::nullopt;
    auto version = document.find("version");
    if (version == document.end() || !version->is_number_integer())
        return std::nullopt;
    std::int64_t format = version->is_number_unsigned() && version->get<std::uint64_t>() > INT64_MAX
        ? -1
        : version->get<std::int64_t>();
    if (format != 1 && format != 2)
        return std::nullopt;
    auto projects = document.find("targets");
    if (projects == document.end() || !projects->is_object())
        return std::nullopt;
    ProjectDesktopAssociations store;
    for (auto& [projectID, value] : projects->items()) {
        auto list = decodeList(value, format);
        if (!list)
            return std::nullopt;
        store.targets[projectID] = std::move(*list);
    }
    if (auto unresolved = document.find("unresolvedProjects"); unresolved != document.end() && !unresolved->is_null()) {
        if (!unresolved->is_array())
            return std::nullopt;
        for (const json& projectID : *unresolved)
            if (!projectID.is_string() || !store.unresolvedProjects.insert(projectID.get<std::string>()).second)
                return std::nullopt;
    }
    if (!store.isValid())
        return std::nullopt;
    return store;
}

std::optional<std::vector<NativeDesktopState>> ProjectDesktopAssociations::legacyInventory(const PlistArray& elements)
{
    std::vector<NativeDesktopState> inventory;
    for (const PlistValue& element : elements) {
        const PlistDictionary* dictionary = element.asDictionary();
        if (!dictionary)
            return std::nullopt;
        for (auto& [key, value] : *dictionary)
            if (!value.asString())
                return std::nullopt;
        auto id = lookupString(*dictionary, "id");
        auto display = lookupString(*dictionary, "display");
        std::optional<std::uint64_t> spaceID = id ? decimalID(*id) : std::nullopt;
        if (!spaceID || !display)
            return std::nullopt;
        inventory.push_back(NativeDesktopState { *spaceID, *spaceID, *display, std::nullopt });
    }
    return inventory;
}

} // namespace pellamor
