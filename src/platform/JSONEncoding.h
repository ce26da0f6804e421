// JSON as the platform's encoder writes it: compact, "/" escaped, other text as raw UTF-8, members in key order
// or in the order they were added.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace pellamor {

// None when a text of the document is not valid UTF-8.
std::optional<std::string> encodeSortedJSON(const nlohmann::json& document);
// The same writing with object members in the order they were added, as the unsorted encoder writes them.
std::optional<std::string> encodeJSON(const nlohmann::ordered_json& document);

} // namespace pellamor
