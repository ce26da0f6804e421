#include "windows/WindowOwnerIdentification.h"

#include "platform/WindowList.h"
#include "windows/WindowDescription.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace pellamor {

namespace {

// The number's decimal text, as the number object would write it.
std::optional<std::string> decimalText(const PlistValue& value)
{
    if (auto integer = value.asInteger())
        return std::to_string(*integer);
    if (auto unsignedInteger = value.asUnsigned())
        return std::to_string(*unsignedInteger);
    if (auto real = value.asReal()) {
        char text[40];
        std::snprintf(text, sizeof text, "%.16g", *real);
        return std::string(text);
    }
    return std::nullopt;
}

// The one description of the record's window whose owner is the running pid; null otherwise.
const PlistDictionary* ownedDescription(const DesktopWindow& record, const WindowDescriptions& descriptions,
    std::optional<std::int32_t> runningPID, const std::optional<std::string>& runningBundleID, bool isTerminated)
{
    if (record.id == 0)
        return nullptr;
    if (record.pid < 1 || !runningPID || *runningPID != record.pid || isTerminated)
        return nullptr;
    if (runningBundleID.value_or("") != record.bundleID)
        return nullptr;
    if (!descriptions)
        return nullptr;
    const PlistDictionary* found = nullptr;
    for (const PlistDictionary& description : *descriptions) {
        if (WindowOwnerIdentification::positiveInteger(descriptionValue(description, windowKey::number)) != record.id)
            continue;
        if (found)
            return nullptr;
        found = &description;
    }
    if (!found)
        return nullptr;
    auto owner = WindowOwnerIdentification::positiveInteger(descriptionValue(*found, windowKey::ownerPID));
    if (!owner || *owner != static_cast<std::uint64_t>(*runningPID))
        return nullptr;
    return found;
}

} // namespace

std::optional<std::uint64_t> WindowOwnerIdentification::positiveInteger(const PlistValue* value)
{
    if (!value || value->asBool())
        return std::nullopt;
    auto text = decimalText(*value);
    if (!text || text->empty())
        return std::nullopt;
    const char* first = text->data();
    const char* last = first + text->size();
    if (*first == '+')
        ++first;
    if (first == last || *first == '-')
        return std::nullopt;
    std::uint64_t parsed = 0;
    auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || end != last || parsed == 0)
        return std::nullopt;
    return parsed;
}

bool WindowOwnerIdentification::matches(const DesktopWindow& record, const WindowDescriptions& descriptions,
    std::optional<std::int32_t> runningPID, const std::optional<std::string>& runningBundleID, bool isTerminated)
{
    return ownedDescription(record, descriptions, runningPID, runningBundleID, isTerminated) != nullptr;
}

std::optional<DesktopWindow> WindowOwnerIdentification::refreshedRecord(const DesktopWindow& record,
    const WindowDescriptions& descriptions, std::optional<std::int32_t> runningPID,
    const std::optional<std::string>& runningBundleID, bool isTerminated, bool isRegularApplication,
    std::int32_t ownPID, const std::optional<std::vector<std::uint64_t>>& spaces)
{
    const PlistDictionary* description
        = ownedDescription(record, descriptions, runningPID, runningBundleID, isTerminated);
    if (!description || *runningPID == ownPID || !isRegularApplication)
        return std::nullopt;
    auto described = WindowDescription::parse(*description);
    if (!described)
        return std::nullopt;
    if (!spaces || spaces->empty() || std::find(spaces->begin(), spaces->end(), 0) != spaces->end())
        return std::nullopt;
    DesktopWindow refreshed = record;
    refreshed.frame = described->bounds;
    refreshed.spaces = *spaces;
    return refreshed;
}

} // namespace pellamor
