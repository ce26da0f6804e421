// The one serial background queue; results come back on the main queue.
#pragma once

#include "platform/MainQueue.h"

#include <functional>
#include <memory>
#include <string>

namespace pellamor {

class SerialQueue {
public:
    virtual ~SerialQueue() = default;
    virtual const std::string& label() const = 0;
    // Runs `work` off the main thread, one block at a time in submission order.
    virtual void async(std::function<void()> work) = 0;

    // Runs `work` in the background, then `done` with its result on `mainQueue`.
    template <class Result>
    void run(MainQueue& mainQueue, std::function<Result()> work, std::function<void(Result)> done)
    {
        async([&mainQueue, work = std::move(work), done = std::move(done)]() mutable {
            auto result = std::make_shared<Result>(work());
            mainQueue.post([done = std::move(done), result] { done(std::move(*result)); });
        });
    }
};

} // namespace pellamor
