// UTF-8 checks and conversions shared by the readers of outside text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellamor {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUTF8(std::string_view bytes);

// Appends one code point; false (nothing appended) for a surrogate or a value above U+10FFFF.
bool appendUTF8(std::string& out, char32_t codePoint);

// 0-15 for a hexadecimal digit of either case, -1 for anything else.
int hexDigitValue(char c);

// UTF-16 code units to UTF-8; none when a surrogate is unpaired.
std::optional<std::string> utf8FromUTF16(std::u16string_view units);

// The text without leading and trailing white space and line breaks.
std::string trimmedText(const std::string& text);

} // namespace pellamor
