#include "platform/Timer.h"

#include <algorithm>
#include <cmath>

namespace pellamor {

RepeatingTimer::RepeatingTimer(MainQueue& queue, double interval, double tolerance, std::function<void()> fire)
    : state_(std::make_shared<State>(State{queue, std::max(interval, 0.0001), 0, true, std::move(fire), {}}))
    , tolerance_(tolerance)
{
    state_->nextFire = queue.now() + state_->interval;
    arm(state_);
}

RepeatingTimer::~RepeatingTimer()
{
    invalidate();
}

void RepeatingTimer::invalidate()
{
    state_->valid = false;
    state_->pending.cancel();
}

void RepeatingTimer::arm(const std::shared_ptr<State>& state)
{
    std::weak_ptr<State> weak = state;
    state->pending = state->queue.asyncAfter(state->nextFire - state->queue.now(), [weak] {
        auto state = weak.lock();
        if (!state || !state->valid)
            return;
        // Missed firings are skipped, not replayed, as a run-loop timer does.
        double now = state->queue.now();
        state->nextFire += state->interval * std::max(1.0, std::floor((now - state->nextFire) / state->interval) + 1);
        arm(state);
        auto fire = state->fire;
        fire();
    });
}

} // namespace pellamor
