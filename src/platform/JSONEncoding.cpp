#include "platform/JSONEncoding.h"

namespace pellamor {

namespace {

template <class Document> std::optional<std::string> encode(const Document& document)
{
    std::string text;
    try {
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

} // namespace

std::optional<std::string> encodeSortedJSON(const nlohmann::json& document)
{
    // nlohmann's objects are ordered maps, so members already come out sorted by key.
    return encode(document);
}

std::optional<std::string> encodeJSON(const nlohmann::ordered_json& document)
{
    return encode(document);
}

} // namespace pellamor
