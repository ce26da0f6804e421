#include "desktops/NativeDesktopTopology.h"

#include "desktops/CleanText.h"
#include "desktops/DesktopModel.h"

#include <QString>
#include <algorithm>
#include <limits>
#include <set>

namespace pellamor {

namespace {

bool blankAfterTrimming(const std::string& text)
{
    return QString::fromStdString(text).trimmed().isEmpty();
}

std::optional<NativeDesktopTopology::Space> readSpace(const PlistValue& value, std::set<std::uint64_t>& seen)
{
    auto dictionary = value.asDictionary();
    if (!dictionary)
        return std::nullopt;
    auto id = dictionary->find("ManagedSpaceID");
    auto type = dictionary->find("type");
    if (id == dictionary->end() || type == dictionary->end())
        return std::nullopt;
    auto spaceID = wholeNumber(id->second);
    auto spaceType = wholeNumber(type->second);
    if (!spaceID || *spaceID == 0 || !seen.insert(*spaceID).second)
        return std::nullopt;
    if (!spaceType || *spaceType > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    return NativeDesktopTopology::Space { *spaceID, std::int64_t(*spaceType) };
}

bool ordinary(const NativeDesktopTopology::Space& space)
{
    return space.type == 0;
}

// Same number of displays with exactly the same identifiers, and every display but `except` unchanged.
bool othersUnchanged(const NativeDesktopTopology& after, const NativeDesktopTopology& before, std::size_t except)
{
    if (after.displays.size() != before.displays.size())
        return false;
    for (std::size_t i = 0; i < before.displays.size(); ++i) {
        if (after.displays[i].identifier != before.displays[i].identifier)
            return false;
        if (i != except && after.displays[i].spaces != before.displays[i].spaces)
            return false;
    }
    return true;
}

} // namespace

std::optional<NativeDesktopTopology> NativeDesktopTopology::make(const std::vector<PlistDictionary>& displays)
{
    if (displays.empty())
        return std::nullopt;
    NativeDesktopTopology topology;
    std::set<std::string> identifiers;
    std::set<std::uint64_t> spaceIDs;
    for (const auto& dictionary : displays) {
        auto identifier = lookupString(dictionary, "Display Identifier");
        if (!identifier || blankAfterTrimming(*identifier) || !identifiers.insert(*identifier).second)
            return std::nullopt;
        auto spaces = lookupArray(dictionary, "Spaces");
        if (!spaces || spaces->empty())
            return std::nullopt;
        Display display { *identifier, {} };
        for (const auto& value : *spaces) {
            auto space = readSpace(value, spaceIDs);
            if (!space)
                return std::nullopt;
            display.spaces.push_back(*space);
        }
        topology.displays.push_back(std::move(display));
    }
    return topology;
}

std::optional<std::size_t> NativeDesktopTopology::index(const std::string& display) const
{
    for (std::size_t i = 0; i < displays.size(); ++i) {
        if (equalIgnoringCase(displays[i].identifier, display))
            return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> NativeDesktopTopology::thumbnailIndex(std::uint64_t space, const std::string& display) const
{
    auto position = index(display);
    if (!position)
        return std::nullopt;
    const auto& spaces = displays[*position].spaces;
    for (std::size_t i = 0; i < spaces.size(); ++i) {
        if (spaces[i].id == space && ordinary(spaces[i]))
            return i;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> NativeDesktopTopology::desktopNumber(std::uint64_t space, const std::string& display) const
{
    auto thumbnail = thumbnailIndex(space, display);
    if (!thumbnail)
        return std::nullopt;
    const auto& spaces = displays[*index(display)].spaces;
    return std::uint64_t(std::count_if(spaces.begin(), spaces.begin() + std::ptrdiff_t(*thumbnail) + 1, ordinary));
}

bool NativeDesktopTopology::confirmsAddition(const std::string& display, const NativeDesktopTopology& before) const
{
    // An addition that did not happen is never confirmed, not even between two empty snapshots.
    auto position = before.index(display);
    if (!position || !othersUnchanged(*this, before, *position))
        return false;
    const auto& old = before.displays[*position].spaces;
    const auto& now = displays[*position].spaces;
    if (now.size() != old.size() + 1)
        return false;
    std::optional<std::size_t> added;
    for (std::size_t i = 0; i < now.size(); ++i) {
        bool known = std::any_of(old.begin(), old.end(), [&](const Space& s) { return s.id == now[i].id; });
        if (known)
            continue;
        if (added)
            return false;
        added = i;
    }
    if (!added || !ordinary(now[*added]))
        return false;
    auto rest = now;
    rest.erase(rest.begin() + std::ptrdiff_t(*added));
    if (rest != old)
        return false;
    return std::none_of(now.begin() + std::ptrdiff_t(*added) + 1, now.end(), ordinary);
}

bool NativeDesktopTopology::confirmsRemoval(
    std::uint64_t space, const std::string& display, const NativeDesktopTopology& before) const
{
    auto position = before.index(display);
    auto thumbnail = before.thumbnailIndex(space, display);
    if (!position || !thumbnail)
        return false;
    const auto& old = before.displays[*position].spaces;
    if (std::count_if(old.begin(), old.end(), ordinary) < 2)
        return false;
    if (!othersUnchanged(*this, before, *position))
        return false;
    auto expected = old;
    expected.erase(expected.begin() + std::ptrdiff_t(*thumbnail));
    return displays[*position].spaces == expected;
}

} // namespace pellamor
