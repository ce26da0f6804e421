// Property lists in and out: XML read and written, binary read, the classic strings-file syntax read.
// Every reader is strict and bounded: malformed input gives no value, never a partial one.
#pragma once

#include "platform/PlistValue.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pellamor {

// Larger inputs are refused outright.
inline constexpr std::size_t maxPropertyListBytes = 64 * 1024 * 1024;
// Deeper nesting of arrays and dictionaries is refused.
inline constexpr int maxPropertyListDepth = 256;

std::optional<PlistValue> parseXMLPropertyList(std::string_view bytes);
std::optional<PlistValue> parseBinaryPropertyList(std::string_view bytes);
// `"key" = "value";` pairs, comments, unquoted words, escapes including \U; UTF-8 or UTF-16 with a byte-order mark.
std::optional<PlistDictionary> parseStringsFile(std::string_view bytes);

// The format is told by the first bytes: binary, XML, else the strings-file syntax.
std::optional<PlistValue> parsePropertyList(std::string_view bytes);

// None when the value holds what XML cannot carry (malformed UTF-8, control characters, dates out of range)
// or nests too deep.
std::optional<std::string> writeXMLPropertyList(const PlistValue& value);

} // namespace pellamor
