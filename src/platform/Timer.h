// A repeating timer on the main queue; it stops when invalidated or destroyed.
#pragma once

#include "platform/MainQueue.h"

#include <functional>
#include <memory>

namespace pellamor {

class RepeatingTimer {
public:
    // Fires every `interval` seconds from now; `tolerance` is how late a firing may be to save wake-ups.
    RepeatingTimer(MainQueue& queue, double interval, double tolerance, std::function<void()> fire);
    ~RepeatingTimer();
    RepeatingTimer(const RepeatingTimer&) = delete;
    RepeatingTimer& operator=(const RepeatingTimer&) = delete;

    void invalidate();
    bool isValid() const { return state_->valid; }
    double interval() const { return state_->interval; }
    double tolerance() const { return tolerance_; }

private:
    struct State {
        MainQueue& queue;
        double interval;
        double nextFire;
        bool valid = true;
        std::function<void()> fire;
        WorkItem pending;
    };
    static void arm(const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_;
    double tolerance_;
};

} // namespace pellamor
