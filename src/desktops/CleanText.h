// Text rules for ids kept and compared: clean strings, and comparison ignoring case.
#pragma once

#include <string>
#include <string_view>

namespace pellamor {

// Not empty, no leading or trailing whitespace or newline, no control or format character, valid UTF-8.
bool isCleanString(std::string_view text);

bool equalIgnoringCase(std::string_view a, std::string_view b);

// Trimmed of Unicode white space and line breaks at both ends.
std::string trimmedText(const std::string& text);

} // namespace pellamor
