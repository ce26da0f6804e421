// User defaults of one domain: typed reads that tell absent from wrong type, writes kept by a storage.
#pragma once

#include "platform/PlistValue.h"

#include <memory>
#include <optional>
#include <string>

namespace pellamor {

// Where a defaults domain lives. Loading never fails: an unusable store starts empty and is kept aside.
class DefaultsStorage {
public:
    virtual ~DefaultsStorage() = default;
    virtual PlistDictionary load() = 0;
    // Persists the whole domain; false when it could not be written (what was stored before stays).
    virtual bool save(const PlistDictionary& values) = 0;
};

class UserDefaults {
public:
    // In memory only, for tests.
    UserDefaults() = default;
    explicit UserDefaults(std::unique_ptr<DefaultsStorage> storage);
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    std::optional<PlistValue> object(const std::string& key) const;
    bool objectExists(const std::string& key) const { return values_.count(key) != 0; }

    Lookup<bool> boolean(const std::string& key) const { return lookupBool(values_, key); }
    Lookup<std::int64_t> integer(const std::string& key) const { return lookupInteger(values_, key); }
    Lookup<double> real(const std::string& key) const { return lookupReal(values_, key); }
    Lookup<std::string> string(const std::string& key) const { return lookupString(values_, key); }
    Lookup<PlistData> data(const std::string& key) const { return lookupData(values_, key); }
    Lookup<PlistArray> array(const std::string& key) const { return lookupArray(values_, key); }
    Lookup<PlistDictionary> dictionary(const std::string& key) const { return lookupDictionary(values_, key); }

    void set(const std::string& key, PlistValue value);
    void remove(const std::string& key);

    const PlistDictionary& dictionaryRepresentation() const { return values_; }

private:
    void persist();

    std::unique_ptr<DefaultsStorage> storage_;
    PlistDictionary values_;
};

} // namespace pellamor
