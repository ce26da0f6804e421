// ISO 8601 dates, the form property lists and outside services use.
#pragma once

#include "platform/PlistValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace pellamor {

// "2024-05-01T12:30:00Z", with optional fractional seconds and an offset ("+02:00", "-0130") in place of "Z".
// None for anything else, including out-of-range fields such as February 30.
std::optional<PlistDate> parseISO8601Date(std::string_view text);

// The wall clock's date now.
PlistDate currentDate();

// UTC with "Z", whole seconds or milliseconds. None for years outside 0000-9999 or a non-finite date.
std::optional<std::string> formatISO8601Date(PlistDate date, bool fractionalSeconds = false);

} // namespace pellamor
