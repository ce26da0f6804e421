// User defaults of one domain: typed reads that tell absent from wrong type, writes kept by a storage.
#pragma once

#include "platform/PlistValue.h"

#include <memory>
#include <mutex>
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

// Safe to use from any thread, as the system's user defaults are.
class UserDefaults {
public:
    // In memory only, for tests.
    UserDefaults() = default;
    explicit UserDefaults(std::unique_ptr<DefaultsStorage> storage);
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    std::optional<PlistValue> object(const std::string& key) const;
    bool objectExists(const std::string& key) const;

    Lookup<bool> boolean(const std::string& key) const { return read(key, lookupBool); }
    Lookup<std::int64_t> integer(const std::string& key) const { return read(key, lookupInteger); }
    Lookup<double> real(const std::string& key) const { return read(key, lookupReal); }
    Lookup<std::string> string(const std::string& key) const { return read(key, lookupString); }
    Lookup<PlistData> data(const std::string& key) const { return read(key, lookupData); }
    Lookup<PlistArray> array(const std::string& key) const { return read(key, lookupArray); }
    Lookup<PlistDictionary> dictionary(const std::string& key) const { return read(key, lookupDictionary); }

    // False when the storage could not keep the change (memory holds it all the same).
    bool set(const std::string& key, PlistValue value);
    // As set, but when the storage could not keep the change memory goes back to what it held, so that no
    // later write stores it unasked.
    bool setOrRevert(const std::string& key, PlistValue value);
    bool remove(const std::string& key);

    PlistDictionary dictionaryRepresentation() const;

private:
    template <class T>
    Lookup<T> read(const std::string& key, Lookup<T> (*lookup)(const PlistDictionary&, const std::string&)) const
    {
        std::lock_guard lock(mutex_);
        return lookup(values_, key);
    }
    bool persist();

    mutable std::mutex mutex_;
    std::unique_ptr<DefaultsStorage> storage_;
    PlistDictionary values_;
};

} // namespace pellamor
