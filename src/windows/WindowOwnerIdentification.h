// Static checks that a recorded window still is the same window of the same running process.
#pragma once

#include "platform/PlistValue.h"
#include "windows/DesktopWindow.h"

#include <optional>
#include <vector>

namespace pellamor {

// The window server's descriptions of one window number; none when it could not be asked.
using WindowDescriptions = std::optional<std::vector<PlistDictionary>>;

namespace WindowOwnerIdentification {

// A number that is not a Boolean whose decimal text is a positive 64-bit integer ("+" allowed); none otherwise.
std::optional<std::uint64_t> positiveInteger(const PlistValue* value);

// The record's window and owner are what the window server and the running application say now.
bool matches(const DesktopWindow& record, const WindowDescriptions& descriptions,
    std::optional<std::int32_t> runningPID, const std::optional<std::string>& runningBundleID, bool isTerminated);

// The record with the window server's current bounds and the given Spaces, when the window still is an
// ordinary, large enough window of a regular application other than this one.
std::optional<DesktopWindow> refreshedRecord(const DesktopWindow& record, const WindowDescriptions& descriptions,
    std::optional<std::int32_t> runningPID, const std::optional<std::string>& runningBundleID, bool isTerminated,
    bool isRegularApplication, std::int32_t ownPID, const std::optional<std::vector<std::uint64_t>>& spaces);

} // namespace WindowOwnerIdentification

// Windows narrower or lower than this are not listed nor arranged.
inline constexpr double minimumWindowWidth = 60;
inline constexpr double minimumWindowHeight = 40;

} // namespace pellamor
