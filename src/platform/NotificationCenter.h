// Synchronous notifications by name, with an optional object filter; observers leave when their token dies.
#pragma once

#include "platform/PlistValue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace pellamor {

struct Notification {
    std::string name;
    const void* object = nullptr;
    PlistDictionary userInfo;
};

// Unregisters its observer when destroyed or reset.
class ObserverToken {
public:
    ObserverToken() = default;
    ObserverToken(ObserverToken&&) noexcept = default;
    ObserverToken& operator=(ObserverToken&& other) noexcept;
    ~ObserverToken() { reset(); }
    void reset();
    explicit operator bool() const { return static_cast<bool>(remove_); }

private:
    friend class NotificationCenter;
    explicit ObserverToken(std::function<void()> remove) : remove_(std::move(remove)) {}
    std::function<void()> remove_;
};

class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    NotificationCenter() : observers_(std::make_shared<Observers>()) {}
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // An empty name observes every notification; a null object observes every sender.
    [[nodiscard]] ObserverToken addObserver(std::string name, const void* object, Handler handler);
    void post(const std::string& name, const void* object = nullptr, PlistDictionary userInfo = {});

private:
    struct Observer {
        std::string name;
        const void* object;
        std::shared_ptr<Handler> handler;
    };
    using Observers = std::map<std::uint64_t, Observer>;

    std::shared_ptr<Observers> observers_;
    std::uint64_t nextID_ = 0;
};

} // namespace pellamor
