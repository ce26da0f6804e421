#include "platform/JSONEncoding.h"

namespace pellamor {

std::optional<std::string> encodeSortedJSON(const nlohmann::json& document)
{
    std::string text;
    try {
        // nlohmann's objects are ordered maps, so members already come out sorted by key.
        text = document.dump();
    } catch (const nlohmann::json::type_error&) {
        return std::nullopt;
    }
    // Outside strings JSON has no "/", so escaping every one touches only text.
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '/')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace pellamor
