#include "desktops/DesktopModel.h"

#include "desktops/CleanText.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace pellamor {

namespace {

const std::uint64_t allowedFlags = 0xBE0000;
const std::uint64_t commandKeys = 0x1C0000;

bool isFunctionKey(std::uint64_t code)
{
    static const std::uint64_t functionKeys[]
        = { 122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113, 106, 64, 79, 80, 90 };
    return std::find(std::begin(functionKeys), std::end(functionKeys), code) != std::end(functionKeys);
}

const PlistDictionary* dictionaryMember(const PlistDictionary& dictionary, const char* key)
{
    auto found = dictionary.find(key);
    return found == dictionary.end() ? nullptr : found->second.asDictionary();
}

std::optional<std::uint64_t> numberMember(const PlistDictionary& dictionary, const char* key)
{
    auto found = dictionary.find(key);
    return found == dictionary.end() ? std::nullopt : wholeNumber(found->second);
}

} // namespace

std::optional<std::uint64_t> wholeNumber(const PlistValue& value)
{
    if (auto number = value.asUnsigned())
        return *number;
    if (auto number = value.asInteger())
        return *number >= 0 ? std::optional<std::uint64_t>(static_cast<std::uint64_t>(*number)) : std::nullopt;
    // Reals are exact integers only up to 2^53.
    if (auto number = value.asReal();
        number && *number >= 0 && *number <= 9007199254740992.0 && std::floor(*number) == *number)
        return static_cast<std::uint64_t>(*number);
    return std::nullopt;
}

std::optional<std::uint32_t> DesktopTargets::hotkeyID(int number)
{
    if (!isSupported(number))
        return std::nullopt;
    return static_cast<std::uint32_t>(number + 117);
}

std::optional<NativeShortcut> NativeShortcut::make(std::uint64_t code, std::uint64_t flags)
{
    if (code >= 128)
        return std::nullopt;
    // The modifier keys' own codes.
    if (code >= 54 && code <= 63)
        return std::nullopt;
    if (flags & ~allowedFlags)
        return std::nullopt;
    if (!(flags & commandKeys) && !isFunctionKey(code))
        return std::nullopt;
    return NativeShortcut { static_cast<std::uint16_t>(code), flags };
}

std::optional<std::vector<NativeDesktopState>> NativeDesktopState::inventory(
    const std::vector<PlistDictionary>& displays)
{
    if (displays.empty())
        return std::nullopt;
    std::vector<NativeDesktopState> result;
    std::set<std::uint64_t> seen;
    for (const PlistDictionary& display : displays) {
        auto identifier = lookupString(display, "Display Identifier");
        if (!identifier)
            return std::nullopt;
        auto spaces = lookupArray(display, "Spaces");
        if (!spaces)
            return std::nullopt;
        const PlistDictionary* current = dictionaryMember(display, "Current Space");
        if (!current)
            return std::nullopt;
        auto currentID = numberMember(*current, "ManagedSpaceID");
        if (!currentID)
            return std::nullopt;
        for (const PlistValue& value : *spaces) {
            const PlistDictionary* space = value.asDictionary();
            if (!space)
                return std::nullopt;
            auto type = lookupInteger(*space, "type");
            if (!type)
                return std::nullopt;
            if (*type != 0)
                continue;
            auto spaceID = numberMember(*space, "ManagedSpaceID");
            if (!spaceID || *spaceID == 0 || !seen.insert(*spaceID).second)
                return std::nullopt;
            auto uuid = lookupString(*space, "uuid");
            std::optional<std::string> spaceUUID;
            if (uuid && !uuid->empty())
                spaceUUID = *uuid;
            result.push_back(NativeDesktopState { *spaceID, *currentID, *identifier, spaceUUID });
        }
    }
    if (result.empty())
        return std::nullopt;
    return result;
}

std::optional<NativeDesktopState> NativeDesktopState::resolve(int number, const std::vector<PlistDictionary>& displays)
{
    if (!DesktopTargets::isSupported(number))
        return std::nullopt;
    auto desktops = inventory(displays);
    if (!desktops || desktops->size() < static_cast<std::size_t>(number))
        return std::nullopt;
    return (*desktops)[static_cast<std::size_t>(number - 1)];
}

DesktopScreenEligibility DesktopScreenPolicy::eligibility(int number,
    const std::optional<std::vector<NativeDesktopState>>& desktops, const std::optional<std::string>& assistantDisplay,
    bool separateSpaces, bool assistantConnected)
{
    if (!DesktopTargets::isSupported(number) || !desktops)
        return DesktopScreenEligibility::unreadable();
    if (desktops->empty())
        return DesktopScreenEligibility::unreadable();
    if (!assistantDisplay)
        return DesktopScreenEligibility::missingAssistantScreen();
    if (!assistantConnected)
        return DesktopScreenEligibility::missingAssistantScreen();
    if (!separateSpaces)
        return DesktopScreenEligibility::sharedSpaces();
    const NativeDesktopState& desktop = (*desktops)[std::min(static_cast<std::size_t>(number), desktops->size()) - 1];
    if (equalIgnoringCase(desktop.display, *assistantDisplay))
        return DesktopScreenEligibility::reserved();
    return DesktopScreenEligibility::content(desktop.display);
}

} // namespace pellamor
