#include "desktops/MissionControlDock.h"

#include "desktops/CleanText.h"
#include "desktops/MissionControlPreparation.h"
#include "platform/Platform.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace pellamor::MissionControlDock {

namespace {

std::vector<AXElementRef> children(const AXElementRef& element)
{
    std::vector<AXElementRef> found;
    auto value = element->copyAttributeValue("AXChildren");
    if (!value)
        return found;
    auto array = value->as<AXValue::Array>();
    if (!array)
        return found;
    for (const auto& child : *array) {
        if (auto ref = child.as<AXElementRef>(); ref && *ref)
            found.push_back(*ref);
    }
    return found;
}

std::optional<std::string> stringAttribute(const AXElementRef& element, const std::string& attribute)
{
    auto value = element->copyAttributeValue(attribute);
    if (!value)
        return std::nullopt;
    if (auto text = value->as<std::string>())
        return *text;
    return std::nullopt;
}

std::optional<double> numberAttribute(const AXElementRef& element, const std::string& attribute)
{
    auto value = element->copyAttributeValue(attribute);
    if (!value)
        return std::nullopt;
    if (auto number = value->as<std::int64_t>())
        return double(*number);
    if (auto number = value->as<double>())
        return *number;
    return std::nullopt;
}

AXElementRef child(const AXElementRef& parent, const std::string& identifier)
{
    for (const auto& element : children(parent)) {
        if (stringAttribute(element, "AXIdentifier") == identifier)
            return element;
    }
    return nullptr;
}

AXElementRef spacesOfDisplay(const AXElementRef& missionControl, std::uint32_t displayID)
{
    for (const auto& element : children(missionControl)) {
        if (stringAttribute(element, "AXIdentifier") == "mc.display"
            && numberAttribute(element, "AXDisplayID") == double(displayID))
            return child(element, "mc.spaces");
    }
    return nullptr;
}

} // namespace

AXElementRef missionControlElement()
{
    auto docks = platform().workspace().runningApplications("com.apple.dock");
    if (docks.empty())
        return nullptr;
    auto dock = platform().accessibility().createApplication(docks.front().pid);
    if (!dock)
        return nullptr;
    dock->setMessagingTimeout(MissionControlPreparation::messagingTimeout);
    return child(dock, "mc");
}

AXElementRef addButton(const AXElementRef& missionControl, std::uint32_t displayID)
{
    auto spaces = spacesOfDisplay(missionControl, displayID);
    return spaces ? child(spaces, "mc.spaces.add") : nullptr;
}

AXElementRef thumbnail(const AXElementRef& missionControl, std::uint32_t displayID, std::uint64_t space,
    const std::string& display, const NativeDesktopTopology& before)
{
    auto spaces = spacesOfDisplay(missionControl, displayID);
    auto list = spaces ? child(spaces, "mc.spaces.list") : nullptr;
    auto position = before.index(display);
    auto index = before.thumbnailIndex(space, display);
    if (!list || !position || !index)
        return nullptr;
    auto thumbnails = children(list);
    if (thumbnails.size() != before.displays[*position].spaces.size())
        return nullptr;
    bool allButtons = std::all_of(thumbnails.begin(), thumbnails.end(),
        [](const auto& element) { return stringAttribute(element, "AXRole") == "AXButton"; });
    return allButtons ? thumbnails[*index] : nullptr;
}

std::optional<std::uint64_t> describedNumber(const AXElementRef& thumbnail)
{
    auto description = stringAttribute(thumbnail, "AXDescription");
    if (!description)
        return std::nullopt;
    auto digits = std::find_if_not(description->rbegin(), description->rend(), [](char c) {
        return c >= '0' && c <= '9';
    }).base();
    if (digits == description->end())
        return std::nullopt;
    std::uint64_t number = 0;
    const char* end = description->data() + description->size();
    auto parsed = std::from_chars(end - (description->end() - digits), end, number);
    // Too large for any desktop: still a number, and not the desktop's.
    return parsed.ec == std::errc() ? number : std::numeric_limits<std::uint64_t>::max();
}

bool isReady(const AXElementRef& button, const std::string& action)
{
    auto enabled = button->copyAttributeValue("AXEnabled");
    if (!enabled || !enabled->as<bool>() || !*enabled->as<bool>())
        return false;
    auto actions = button->copyActionNames();
    return actions && std::find(actions->begin(), actions->end(), action) != actions->end();
}

std::optional<std::uint32_t> displayID(const std::string& identifier)
{
    auto& screens = platform().screens();
    if (identifier == "Main")
        return screens.mainDisplayID();
    for (const auto& screen : screens.screens()) {
        auto number = lookupInteger(screen.deviceDescription, "NSScreenNumber");
        if (!number || *number < 0 || *number > 0xFFFFFFFF)
            continue;
        auto uuid = screens.displayUUID(std::uint32_t(*number));
        if (uuid && equalIgnoringCase(*uuid, identifier))
            return std::uint32_t(*number);
    }
    return std::nullopt;
}

} // namespace pellamor::MissionControlDock
