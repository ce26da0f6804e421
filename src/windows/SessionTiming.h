// The clock and scheduler a window session runs on: by default the platform's uptime and main queue.
#pragma once

#include <functional>

namespace pellamor::SessionTiming {

// Seconds of system uptime.
using Now = std::function<double()>;
// Runs the block on the main queue after the delay in seconds.
using Schedule = std::function<void(double delay, std::function<void()> block)>;

Now uptime();
Schedule mainQueue();

} // namespace pellamor::SessionTiming
