#include "platform/UserDefaults.h"

namespace pellamor {

UserDefaults::UserDefaults(std::unique_ptr<DefaultsStorage> storage) : storage_(std::move(storage))
{
    if (storage_)
        values_ = storage_->load();
}

std::optional<PlistValue> UserDefaults::object(const std::string& key) const
{
    auto found = values_.find(key);
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

void UserDefaults::set(const std::string& key, PlistValue value)
{
    values_[key] = std::move(value);
    persist();
}

void UserDefaults::remove(const std::string& key)
{
    if (values_.erase(key))
        persist();
}

void UserDefaults::persist()
{
    if (storage_)
        storage_->save(values_);
}

} // namespace pellamor
