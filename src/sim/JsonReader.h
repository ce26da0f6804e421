// Reads JSON members strictly, remembering the first fault with the path of the member where it was found.
#pragma once

#include <QRectF>
#include <QSizeF>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace pellamor::sim {

// A whole number from 0 to `maximum`, or none.
std::optional<std::uint64_t> wholeNumber(const nlohmann::json& value, std::uint64_t maximum = UINT64_MAX);

class JsonReader {
public:
    using json = nlohmann::json;

    std::optional<std::string> fault;

    void fail(const std::string& path, const std::string& message);
    // The member, or null; a missing required member is a fault.
    const json* member(const json& object, const std::string& path, const char* key, bool required);
    void onlyMembers(const json& object, const std::string& path, std::initializer_list<const char*> known);
    bool object(const json& value, const std::string& path);
    std::string string(const json& value, const std::string& path, bool nonEmpty = true);
    bool boolean(const json& value, const std::string& path);
    double number(const json& value, const std::string& path);
    static constexpr double maximumSeconds = 365.0 * 24 * 3600;
    // A duration or a time from now: a number from 0 to a year.
    double seconds(const json& value, const std::string& path);
    std::uint64_t unsignedNumber(const json& value, const std::string& path, std::uint64_t maximum = UINT64_MAX);
    std::int64_t integer(const json& value, const std::string& path);
    // [x, y, width, height], width and height not negative.
    QRectF rect(const json& value, const std::string& path);
    // [width, height], both greater than 0.
    QSizeF size(const json& value, const std::string& path);

    template <class Item>
    void list(const json& value, const std::string& path, std::vector<Item>& into,
        const std::function<Item(const json&, const std::string&)>& readItem)
    {
        if (!value.is_array()) {
            fail(path, "expected an array");
            return;
        }
        for (std::size_t index = 0; index < value.size(); ++index)
            into.push_back(readItem(value[index], path + "[" + std::to_string(index) + "]"));
    }

    // Leaves `into` as it is when the member is missing.
    template <class Value>
    void optional(const json& object, const std::string& path, const char* key, Value& into,
        Value (JsonReader::*read)(const json&, const std::string&))
    {
        if (const json* value = member(object, path, key, false))
            into = (this->*read)(*value, path + key);
    }

    bool flag(const json& value, const std::string& path) { return boolean(value, path); }
    double real(const json& value, const std::string& path) { return number(value, path); }
    std::string text(const json& value, const std::string& path) { return string(value, path); }
    std::int64_t whole(const json& value, const std::string& path) { return integer(value, path); }
};

} // namespace pellamor::sim
