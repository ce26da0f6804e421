// JSON as the platform's encoder writes it with sorted keys: compact, object members in key order, "/" escaped.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace pellamor {

// None when a text of the document is not valid UTF-8.
std::optional<std::string> encodeSortedJSON(const nlohmann::json& document);

} // namespace pellamor
