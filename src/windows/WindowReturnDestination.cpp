#include "windows/WindowReturnDestination.h"

#include "desktops/CleanText.h"
#include "desktops/ProjectDesktopAssociationCoding.h"
#include "desktops/ProjectDisplayWorkspace.h"
#include "platform/JSONEncoding.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <tuple>

namespace pellamor {

using nlohmann::json;

namespace {

bool isValidOrigin(const WindowReturnOrigin& origin)
{
    const QRectF& frame = origin.frame;
    return origin.identity.isValid() && origin.desktop.spaceID != 0 && isCleanString(origin.desktop.display)
        && origin.desktop.spaceUUID && isCleanString(*origin.desktop.spaceUUID) && std::isfinite(frame.x())
        && std::isfinite(frame.y()) && std::isfinite(frame.width()) && std::isfinite(frame.height())
        && frame.width() > 0 && frame.height() > 0;
}

template <class Integer> std::optional<Integer> integerMember(const json& object, const char* key)
{
    auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer())
        return std::nullopt;
    if (found->is_number_unsigned()) {
        auto value = found->get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<Integer>::max()))
            return std::nullopt;
        return static_cast<Integer>(value);
    }
    auto value = found->get<std::int64_t>();
    if (value < static_cast<std::int64_t>(std::numeric_limits<Integer>::min())
        || value > static_cast<std::int64_t>(std::numeric_limits<Integer>::max()))
        return std::nullopt;
    return static_cast<Integer>(value);
}

std::optional<WindowReturnIdentity> decodeIdentity(const json& value)
{
    if (!value.is_object())
        return std::nullopt;
    auto windowID = integerMember<std::uint32_t>(value, "windowID");
    auto pid = integerMember<std::int32_t>(value, "pid");
    auto bundleID = value.find("bundleID");
    auto launched = value.find("processLaunchTime");
    if (!windowID || !pid || bundleID == value.end() || !bundleID->is_string() || launched == value.end()
        || !launched->is_number())
        return std::nullopt;
    return WindowReturnIdentity { *windowID, *pid, bundleID->get<std::string>(), launched->get<double>() };
}

// [[x, y], [width, height]].
std::optional<QRectF> decodeFrame(const json& value)
{
    auto pair = [](const json& element) -> std::optional<std::pair<double, double>> {
        if (!element.is_array() || element.size() != 2 || !element[0].is_number() || !element[1].is_number())
            return std::nullopt;
        return std::pair(element[0].get<double>(), element[1].get<double>());
    };
    if (!value.is_array() || value.size() != 2)
        return std::nullopt;
    auto origin = pair(value[0]);
    auto size = pair(value[1]);
    if (!origin || !size)
        return std::nullopt;
    return QRectF(origin->first, origin->second, size->first, size->second);
}

std::optional<WindowReturnOrigin> decodeOrigin(const json& value)
{
    if (!value.is_object())
        return std::nullopt;
    auto identity = value.find("identity");
    auto desktop = value.find("desktop");
    auto frame = value.find("frame");
    if (identity == value.end() || desktop == value.end() || frame == value.end())
        return std::nullopt;
    auto decodedIdentity = decodeIdentity(*identity);
    auto decodedDesktop = decodeAssociation(*desktop);
    auto decodedFrame = decodeFrame(*frame);
    if (!decodedIdentity || !decodedDesktop || !decodedFrame)
        return std::nullopt;
    return WindowReturnOrigin { *decodedIdentity, *decodedDesktop, *decodedFrame };
}

json encodeOrigin(const WindowReturnOrigin& origin)
{
    const WindowReturnIdentity& identity = origin.identity;
    return json {
        { "desktop", encodeAssociation(origin.desktop) },
        { "frame",
            json::array({ json::array({ origin.frame.x(), origin.frame.y() }),
                json::array({ origin.frame.width(), origin.frame.height() }) }) },
        { "identity",
            json { { "bundleID", identity.bundleID }, { "pid", identity.pid },
                { "processLaunchTime", identity.processLaunchTime }, { "windowID", identity.windowID } } },
    };
}

} // namespace

bool WindowReturnIdentity::isValid() const
{
    return windowID != 0 && pid >= 1 && isCleanString(bundleID) && std::isfinite(processLaunchTime)
        && processLaunchTime > 0;
}

bool WindowReturnOrigins::isValid() const
{
    std::set<std::tuple<std::uint32_t, std::int32_t, std::string, double>> identities;
    for (const WindowReturnOrigin& entry : entries_) {
        const WindowReturnIdentity& identity = entry.identity;
        // Valid origins have finite launch times, so the tuples order strictly.
        if (!isValidOrigin(entry)
            || !identities.emplace(identity.windowID, identity.pid, identity.bundleID, identity.processLaunchTime)
                    .second)
            return false;
    }
    return true;
}

std::optional<WindowReturnOrigins> WindowReturnOrigins::decode(std::string_view data)
{
    if (data.size() > maximumDataSize)
        return std::nullopt;
    json document = json::parse(data.begin(), data.end(), nullptr, false);
    if (document.is_discarded() || !document.is_object())
        return std::nullopt;
    auto version = integerMember<std::int64_t>(document, "version");
    auto entries = document.find("entries");
    if (version != 1 || entries == document.end() || !entries->is_array())
        return std::nullopt;
    WindowReturnOrigins origins;
    for (const json& entry : *entries) {
        auto origin = decodeOrigin(entry);
        if (!origin)
            return std::nullopt;
        origins.entries_.push_back(std::move(*origin));
    }
    if (!origins.isValid())
        return std::nullopt;
    return origins;
}

std::optional<std::string> WindowReturnOrigins::encodedData() const
{
    if (!isValid())
        return std::nullopt;
    json entries = json::array();
    for (const WindowReturnOrigin& origin : entries_)
        entries.push_back(encodeOrigin(origin));
    std::optional<std::string> data = encodeSortedJSON(json { { "entries", std::move(entries) }, { "version", 1 } });
    if (data && data->size() > maximumDataSize)
        return std::nullopt;
    return data;
}

std::optional<WindowReturnOrigin> WindowReturnOrigins::origin(const WindowReturnIdentity& identity) const
{
    if (!identity.isValid() || !isValid())
        return std::nullopt;
    auto found = std::find_if(
        entries_.begin(), entries_.end(), [&](const WindowReturnOrigin& entry) { return entry.identity == identity; });
    if (found == entries_.end())
        return std::nullopt;
    return *found;
}

bool WindowReturnOrigins::recordOriginal(
    const WindowReturnIdentity& identity, const NativeDesktopState& desktop, const QRectF& frame)
{
    if (!identity.isValid() || !isValid())
        return false;
    if (origin(identity))
        return true;
    if (!ProjectDesktopAssociations::valid({ desktop }))
        return false;
    WindowReturnOrigin recorded { identity, ProjectDesktopAssociation(desktop), frame };
    if (!isValidOrigin(recorded))
        return false;
    entries_.push_back(std::move(recorded));
    if (encodedData())
        return true;
    entries_.pop_back();
    return false;
}

bool WindowReturnOrigins::remove(const WindowReturnIdentity& identity)
{
    if (!identity.isValid() || !isValid())
        return false;
    return std::erase_if(entries_, [&](const WindowReturnOrigin& entry) { return entry.identity == identity; }) > 0;
}

WindowReturnDestinationResult WindowReturnOrigins::destination(const WindowReturnIdentity& identity,
    const std::vector<NativeDesktopState>& inventory, const std::optional<std::string>& assistantDisplay,
    const std::string& assistantBundleID, const std::set<std::uint64_t>& unavailableProjectSpaceIDs) const
{
    if (!identity.isValid() || !isValid() || !isCleanString(assistantBundleID))
        return WindowReturnDestinationError::invalidIdentity;
    if (!ProjectDesktopAssociations::valid(inventory) || unavailableProjectSpaceIDs.count(0))
        return WindowReturnDestinationError::invalidInventory;
    if (equalIgnoringCase(identity.bundleID, assistantBundleID))
        return WindowReturnDestinationError::protectedAssistant;

    if (auto recorded = origin(identity)) {
        const NativeDesktopState* match = nullptr;
        for (const NativeDesktopState& desktop : inventory) {
            if (!ProjectDisplayWorkspace::matches(recorded->desktop, desktop))
                continue;
            if (match)
                return WindowReturnDestinationError::originalUnavailable;
            match = &desktop;
        }
        if (!match)
            return WindowReturnDestinationError::originalUnavailable;
        if (unavailableProjectSpaceIDs.count(match->spaceID))
            return WindowReturnDestinationError::projectDesktop;
        return WindowReturnDestination { *match, recorded->frame, true };
    }

    if (!assistantDisplay || !isCleanString(*assistantDisplay))
        return WindowReturnDestinationError::assistantUnavailable;
    std::set<std::uint64_t> currentSpaces;
    for (const NativeDesktopState& desktop : inventory)
        if (equalIgnoringCase(desktop.display, *assistantDisplay))
            currentSpaces.insert(desktop.currentSpaceID);
    if (currentSpaces.size() != 1)
        return WindowReturnDestinationError::assistantUnavailable;
    auto current = std::find_if(inventory.begin(), inventory.end(), [&](const NativeDesktopState& desktop) {
        return equalIgnoringCase(desktop.display, *assistantDisplay) && desktop.spaceID == *currentSpaces.begin();
    });
    if (current == inventory.end())
        return WindowReturnDestinationError::assistantUnavailable;
    if (unavailableProjectSpaceIDs.count(current->spaceID))
        return WindowReturnDestinationError::projectDesktop;
    return WindowReturnDestination { *current, std::nullopt, false };
}

} // namespace pellamor
