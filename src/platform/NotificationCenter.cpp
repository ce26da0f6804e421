#include "platform/NotificationCenter.h"

#include <utility>
#include <vector>

namespace pellamor {

ObserverToken& ObserverToken::operator=(ObserverToken&& other) noexcept
{
    if (this != &other) {
        reset();
        remove_ = std::move(other.remove_);
        other.remove_ = nullptr;
    }
    return *this;
}

void ObserverToken::reset()
{
    if (auto remove = std::exchange(remove_, nullptr))
        remove();
}

ObserverToken NotificationCenter::addObserver(std::string name, const void* object, Handler handler)
{
    auto id = nextID_++;
    observers_->emplace(id, Observer{std::move(name), object, std::make_shared<Handler>(std::move(handler))});
    std::weak_ptr<Observers> weak = observers_;
    return ObserverToken([weak, id] {
        if (auto observers = weak.lock())
            observers->erase(id);
    });
}

void NotificationCenter::post(const std::string& name, const void* object, PlistDictionary userInfo)
{
    Notification notification{name, object, std::move(userInfo)};
    // Observers may come and go while handlers run: deliver to those registered at the post,
    // skipping any removed meanwhile.
    std::vector<std::pair<std::uint64_t, std::weak_ptr<Handler>>> targets;
    for (auto& [id, observer] : *observers_) {
        if (!observer.name.empty() && observer.name != name)
            continue;
        if (observer.object && observer.object != object)
            continue;
        targets.emplace_back(id, observer.handler);
    }
    auto keepAlive = observers_;
    for (auto& [id, weakHandler] : targets) {
        if (!keepAlive->count(id))
            continue;
        if (auto handler = weakHandler.lock())
            (*handler)(notification);
    }
}

} // namespace pellamor
