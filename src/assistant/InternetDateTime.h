// The timestamp form of the assistant's log lines: an internet date-time with fractional seconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pellamor {

// "2026-03-01T09:15:02.417Z" or with a "+01:00" offset; the fraction is required (1 to 9 digits).
// Nanoseconds since 1970-01-01 UTC, or none when the text is not exactly that form, names no real time or lies
// outside the years 1678 to 2262 that the count reaches.
std::optional<std::int64_t> parseInternetDateTime(std::string_view text);

} // namespace pellamor
