#include "platform/UserDefaults.h"

namespace pellamor {

UserDefaults::UserDefaults(std::unique_ptr<DefaultsStorage> storage) : storage_(std::move(storage))
{
    if (storage_)
        values_ = storage_->load();
}

std::optional<PlistValue> UserDefaults::object(const std::string& key) const
{
    std::lock_guard lock(mutex_);
    auto found = values_.find(key);
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

bool UserDefaults::objectExists(const std::string& key) const
{
    std::lock_guard lock(mutex_);
    return values_.count(key) != 0;
}

bool UserDefaults::set(const std::string& key, PlistValue value)
{
    std::lock_guard lock(mutex_);
    values_[key] = std::move(value);
    return persist();
}

bool UserDefaults::setOrRevert(const std::string& key, PlistValue value)
{
    std::lock_guard lock(mutex_);
    std::optional<PlistValue> previous;
    if (auto found = values_.find(key); found != values_.end())
        previous = found->second;
    values_[key] = std::move(value);
    if (persist())
        return true;
    if (previous)
        values_[key] = std::move(*previous);
    else
        values_.erase(key);
    return false;
}

bool UserDefaults::remove(const std::string& key)
{
    std::lock_guard lock(mutex_);
    return !values_.erase(key) || persist();
}

PlistDictionary UserDefaults::dictionaryRepresentation() const
{
    std::lock_guard lock(mutex_);
    return values_;
}

// Called with the lock held, so that writes reach the storage in order.
bool UserDefaults::persist()
{
    return !storage_ || storage_->save(values_);
}

} // namespace pellamor
