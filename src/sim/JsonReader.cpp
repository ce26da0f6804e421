#include "sim/JsonReader.h"

namespace pellamor::sim {

std::optional<std::uint64_t> wholeNumber(const nlohmann::json& value, std::uint64_t maximum)
{
    bool whole = value.is_number_unsigned() || (value.is_number_integer() && value.get<std::int64_t>() >= 0);
    if (!whole || value.get<std::uint64_t>() > maximum)
        return std::nullopt;
    return value.get<std::uint64_t>();
}

void JsonReader::fail(const std::string& path, const std::string& message)
{
    if (!fault)
        fault = path + ": " + message;
}

const JsonReader::json* JsonReader::member(const json& object, const std::string& path, const char* key, bool required)
{
    auto found = object.find(key);
    if (found != object.end())
        return &*found;
    if (required)
        fail(path + key, "missing");
    return nullptr;
}

void JsonReader::onlyMembers(const json& object, const std::string& path, std::initializer_list<const char*> known)
{
    for (auto& [key, value] : object.items()) {
        bool listed = false;
        for (const char* name : known)
            listed = listed || key == name;
        if (!listed)
            fail(path + key, "unknown member");
    }
}

bool JsonReader::object(const json& value, const std::string& path)
{
    if (value.is_object())
        return true;
    fail(path, "expected an object");
    return false;
}

std::string JsonReader::string(const json& value, const std::string& path, bool nonEmpty)
{
    if (!value.is_string() || (nonEmpty && value.get_ref<const std::string&>().empty())) {
        fail(path, nonEmpty ? "expected a non-empty string" : "expected a string");
        return {};
    }
    return value.get<std::string>();
}

bool JsonReader::boolean(const json& value, const std::string& path)
{
    if (!value.is_boolean()) {
        fail(path, "expected true or false");
        return false;
    }
    return value.get<bool>();
}

double JsonReader::number(const json& value, const std::string& path)
{
    if (!value.is_number()) {
        fail(path, "expected a number");
        return 0;
    }
    return value.get<double>();
}

double JsonReader::seconds(const json& value, const std::string& path)
{
    double number = this->number(value, path);
    if (number < 0) {
        fail(path, "must not be negative");
        return 0;
    }
    // Beyond that a time no longer fits the clock's whole nanoseconds.
    if (number > maximumSeconds) {
        fail(path, "must be at most 31536000 (a year)");
        return 0;
    }
    return number;
}

std::uint64_t JsonReader::unsignedNumber(const json& value, const std::string& path, std::uint64_t maximum)
{
    auto number = wholeNumber(value, maximum);
    if (!number)
        fail(path, "expected a whole number from 0 to " + std::to_string(maximum));
    return number.value_or(0);
}

std::int64_t JsonReader::integer(const json& value, const std::string& path)
{
    // Above INT64_MAX the JSON library keeps the number unsigned; read as signed it would wrap round.
    bool fits = value.is_number_integer()
        && (!value.is_number_unsigned() || value.get<std::uint64_t>() <= std::uint64_t(INT64_MAX));
    if (!fits) {
        fail(path, "expected a whole number");
        return 0;
    }
    return value.get<std::int64_t>();
}

QRectF JsonReader::rect(const json& value, const std::string& path)
{
    if (!value.is_array() || value.size() != 4) {
        fail(path, "expected [x, y, width, height]");
        return {};
    }
    double parts[4];
    for (std::size_t index = 0; index < 4; ++index)
        parts[index] = number(value[index], path + "[" + std::to_string(index) + "]");
    if (parts[2] < 0 || parts[3] < 0)
        fail(path, "width and height must not be negative");
    return QRectF(parts[0], parts[1], parts[2], parts[3]);
}

QSizeF JsonReader::size(const json& value, const std::string& path)
{
    if (!value.is_array() || value.size() != 2) {
        fail(path, "expected [width, height]");
        return {};
    }
    double width = number(value[0], path + "[0]");
    double height = number(value[1], path + "[1]");
    if (!(width > 0) || !(height > 0))
        fail(path, "width and height must be greater than 0");
    return QSizeF(width, height);
}

} // namespace pellamor::sim
