// Exact time for session tests: the test sets the clock and runs what is due, so deadlines fall where it says.
#pragma once

#include "windows/SessionTiming.h"

#include <map>
#include <utility>

namespace pellamor::test {

class ManualTime {
public:
    SessionTiming::Now now()
    {
        return [this] { return time; };
    }
    SessionTiming::Schedule schedule()
    {
        return [this](double delay, std::function<void()> block) {
            ++scheduled;
            blocks.emplace(time + delay, std::move(block));
        };
    }
    // Moves the clock to `until`, running each block due by then at its own time.
    void runUntil(double until)
    {
        while (!blocks.empty() && blocks.begin()->first <= until) {
            auto [due, block] = std::move(*blocks.begin());
            blocks.erase(blocks.begin());
            time = due;
            block();
        }
        time = until;
    }

    double time = 0;
    // Every block ever scheduled, run or not.
    int scheduled = 0;
    std::multimap<double, std::function<void()>> blocks;
};

} // namespace pellamor::test
