// The Finder's comparison of names shown to a person: case-insensitive, digit runs by value; and its search,
// also ignoring accents.
#pragma once

#include <string>

namespace pellamor {

// Negative, zero or positive as `a` sorts before, with or after `b`.
int localizedStandardCompare(const std::string& a, const std::string& b);
// True when `text` holds `query`, ignoring case and accents.
bool localizedStandardContains(const std::string& text, const std::string& query);

} // namespace pellamor
