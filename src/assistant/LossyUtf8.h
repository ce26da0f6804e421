// UTF-8 text from bytes that may not be UTF-8: every invalid sequence becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace pellamor {

bool isValidUtf8(std::string_view bytes);
// Replaces each maximal invalid subpart with U+FFFD, as Unicode recommends.
std::string repairingUtf8(std::string_view bytes);

} // namespace pellamor
