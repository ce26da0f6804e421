// Turns fuzz input read as JSON into property-list values, so that parsers of window-server dictionaries
// can be fed structured data.
#pragma once

#include "platform/PlistValue.h"

#include <nlohmann/json.hpp>
#include <optional>

namespace pellamor::fuzz {

inline PlistValue plistFromJson(const nlohmann::json& json)
{
    switch (json.type()) {
    case nlohmann::json::value_t::boolean:
        return PlistValue(json.get<bool>());
    case nlohmann::json::value_t::number_integer:
        return PlistValue(json.get<long long>());
    case nlohmann::json::value_t::number_unsigned:
        return PlistValue(json.get<unsigned long long>());
    case nlohmann::json::value_t::number_float:
        return PlistValue(json.get<double>());
    case nlohmann::json::value_t::string:
        return PlistValue(json.get<std::string>());
    case nlohmann::json::value_t::array: {
        PlistArray array;
        for (const auto& element : json)
            array.push_back(plistFromJson(element));
        return PlistValue(std::move(array));
    }
    case nlohmann::json::value_t::object: {
        PlistDictionary dictionary;
        for (const auto& [key, element] : json.items())
            dictionary.emplace(key, plistFromJson(element));
        return PlistValue(std::move(dictionary));
    }
    default:
        return PlistValue(PlistData {});
    }
}

// The input as an array of dictionaries, the shape the window server answers with; none otherwise.
inline std::optional<std::vector<PlistDictionary>> dictionariesFromJson(const std::uint8_t* data, std::size_t size)
{
    auto json = nlohmann::json::parse(data, data + size, nullptr, false);
    if (!json.is_array())
        return std::nullopt;
    std::vector<PlistDictionary> dictionaries;
    for (const auto& element : json) {
        auto value = plistFromJson(element);
        auto dictionary = value.asDictionary();
        if (!dictionary)
            return std::nullopt;
        dictionaries.push_back(*dictionary);
    }
    return dictionaries;
}

} // namespace pellamor::fuzz
