// Lower-casing of identifiers read from the assistant's files.
#pragma once

#include <string>
#include <string_view>

namespace pellamor {

// Unicode lower case of UTF-8 text; plain ASCII takes a fast path.
std::string lowercased(std::string_view text);

} // namespace pellamor
