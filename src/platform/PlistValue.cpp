#include "platform/PlistValue.h"

#include <limits>

namespace pellamor {

std::optional<std::int64_t> PlistValue::integerValue() const
{
    if (auto value = asInteger())
        return *value;
    if (auto value = asUnsigned(); value && *value <= std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        return std::int64_t(*value);
    return std::nullopt;
}

const PlistValue* PlistValue::find(const std::string& key) const
{
    auto dictionary = asDictionary();
    if (!dictionary)
        return nullptr;
    auto found = dictionary->find(key);
    return found == dictionary->end() ? nullptr : &found->second;
}

bool operator==(const PlistValue& a, const PlistValue& b)
{
    return a.storage_ == b.storage_ || *a.storage_ == *b.storage_;
}

namespace {

template <class T, class Read>
Lookup<T> lookup(const PlistDictionary& dictionary, const std::string& key, Read read)
{
    auto found = dictionary.find(key);
    if (found == dictionary.end())
        return ValueError::absent;
    if (auto value = read(found->second))
        return T(*value);
    return ValueError::wrongType;
}

} // namespace

Lookup<bool> lookupBool(const PlistDictionary& d, const std::string& key)
{
    return lookup<bool>(d, key, [](const PlistValue& v) { return v.asBool(); });
}

Lookup<std::int64_t> lookupInteger(const PlistDictionary& d, const std::string& key)
{
    return lookup<std::int64_t>(d, key, [](const PlistValue& v) { return v.integerValue(); });
}

Lookup<double> lookupReal(const PlistDictionary& d, const std::string& key)
{
    return lookup<double>(d, key, [](const PlistValue& v) { return v.asReal(); });
}

Lookup<std::string> lookupString(const PlistDictionary& d, const std::string& key)
{
    return lookup<std::string>(d, key, [](const PlistValue& v) { return v.asString(); });
}

Lookup<PlistData> lookupData(const PlistDictionary& d, const std::string& key)
{
    return lookup<PlistData>(d, key, [](const PlistValue& v) { return v.asData(); });
}

Lookup<PlistArray> lookupArray(const PlistDictionary& d, const std::string& key)
{
    return lookup<PlistArray>(d, key, [](const PlistValue& v) { return v.asArray(); });
}

Lookup<PlistDictionary> lookupDictionary(const PlistDictionary& d, const std::string& key)
{
    return lookup<PlistDictionary>(d, key, [](const PlistValue& v) { return v.asDictionary(); });
}

} // namespace pellamor
