// Recognises the textual form of a UUID.
#pragma once

#include <string_view>

namespace pellamor {

// Exactly 8-4-4-4-12 hexadecimal digits of either case, separated by hyphens.
bool isUUIDText(std::string_view text);

} // namespace pellamor
