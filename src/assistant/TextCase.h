// Lower-casing of identifiers read from the assistant's files.
#pragma once

#include <string>
#include <string_view>

namespace pellamor {

// Unicode lower case of UTF-8 text; plain ASCII takes a fast path.
std::string lowercased(std::string_view text);
// Appends the lower case of `text` to `into`, so that lower-casing many ids allocates rarely. True when the text
// had to change.
bool appendLowercased(std::string_view text, std::string& into);
// True when lower-casing leaves the text as it is and it is plain ASCII.
bool isLowercaseASCII(std::string_view text);

} // namespace pellamor
