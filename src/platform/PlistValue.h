// One property-list value: the type macOS hands over for window-server dictionaries and user defaults.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pellamor {

class PlistValue;
using PlistArray = std::vector<PlistValue>;
using PlistDictionary = std::map<std::string, PlistValue>;
using PlistData = std::vector<std::uint8_t>;

// Seconds since 1970-01-01 00:00:00 UTC.
struct PlistDate {
    double secondsSince1970 = 0;
    friend bool operator==(const PlistDate&, const PlistDate&) = default;
};

// Why a typed read gave no value.
enum class ValueError { absent, wrongType };

// A typed read that tells an absent value from one of another type.
template <class T>
class Lookup {
public:
    Lookup(T value) : state_(std::move(value)) {}
    Lookup(ValueError error) : state_(error) {}

    bool hasValue() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return hasValue(); }
    bool isAbsent() const { return !hasValue() && std::get<ValueError>(state_) == ValueError::absent; }
    bool isWrongType() const { return !hasValue() && std::get<ValueError>(state_) == ValueError::wrongType; }
    const T& value() const { return std::get<T>(state_); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    T valueOr(T fallback) const { return hasValue() ? value() : std::move(fallback); }
    std::optional<T> optional() const { return hasValue() ? std::optional<T>(value()) : std::nullopt; }

private:
    std::variant<T, ValueError> state_;
};

class PlistValue {
public:
    enum class Type { boolean, integer, unsignedInteger, real, string, data, date, array, dictionary };

    PlistValue() : storage_(std::make_shared<const Storage>(PlistDictionary{})) {}
    PlistValue(bool value) : storage_(make(value)) {}
    PlistValue(int value) : storage_(make(std::int64_t{value})) {}
    PlistValue(long value) : storage_(make(std::int64_t{value})) {}
    PlistValue(long long value) : storage_(make(std::int64_t{value})) {}
    PlistValue(unsigned value) : storage_(make(std::uint64_t{value})) {}
    PlistValue(unsigned long value) : storage_(make(std::uint64_t{value})) {}
    PlistValue(unsigned long long value) : storage_(make(std::uint64_t{value})) {}
    PlistValue(double value) : storage_(make(value)) {}
    PlistValue(const char* value) : storage_(make(std::string(value))) {}
    PlistValue(std::string value) : storage_(make(std::move(value))) {}
    PlistValue(PlistData value) : storage_(make(std::move(value))) {}
    PlistValue(PlistDate value) : storage_(make(value)) {}
    PlistValue(PlistArray value) : storage_(make(std::move(value))) {}
    PlistValue(PlistDictionary value) : storage_(make(std::move(value))) {}

    Type type() const { return static_cast<Type>(storage_->index()); }

    const bool* asBool() const { return std::get_if<bool>(storage_.get()); }
    const std::int64_t* asInteger() const { return std::get_if<std::int64_t>(storage_.get()); }
    const std::uint64_t* asUnsigned() const { return std::get_if<std::uint64_t>(storage_.get()); }
    const double* asReal() const { return std::get_if<double>(storage_.get()); }
    const std::string* asString() const { return std::get_if<std::string>(storage_.get()); }
    const PlistData* asData() const { return std::get_if<PlistData>(storage_.get()); }
    const PlistDate* asDate() const { return std::get_if<PlistDate>(storage_.get()); }
    const PlistArray* asArray() const { return std::get_if<PlistArray>(storage_.get()); }
    const PlistDictionary* asDictionary() const { return std::get_if<PlistDictionary>(storage_.get()); }

    // A signed or unsigned integer that fits in 64 signed bits.
    std::optional<std::int64_t> integerValue() const;

    // The member of a dictionary value; null when this is no dictionary or the key is missing.
    const PlistValue* find(const std::string& key) const;

    friend bool operator==(const PlistValue& a, const PlistValue& b);

private:
    using Storage = std::variant<bool, std::int64_t, std::uint64_t, double, std::string, PlistData, PlistDate,
                                 PlistArray, PlistDictionary>;
    template <class T>
    static std::shared_ptr<const Storage> make(T value) { return std::make_shared<const Storage>(std::move(value)); }

    // Shared and immutable, so copying a large window-server dictionary is cheap.
    std::shared_ptr<const Storage> storage_;
};

// Typed reads of one dictionary member.
Lookup<bool> lookupBool(const PlistDictionary& dictionary, const std::string& key);
Lookup<std::int64_t> lookupInteger(const PlistDictionary& dictionary, const std::string& key);
Lookup<double> lookupReal(const PlistDictionary& dictionary, const std::string& key);
Lookup<std::string> lookupString(const PlistDictionary& dictionary, const std::string& key);
Lookup<PlistData> lookupData(const PlistDictionary& dictionary, const std::string& key);
Lookup<PlistArray> lookupArray(const PlistDictionary& dictionary, const std::string& key);
Lookup<PlistDictionary> lookupDictionary(const PlistDictionary& dictionary, const std::string& key);

} // namespace pellamor
