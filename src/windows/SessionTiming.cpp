#include "windows/SessionTiming.h"

#include "platform/Platform.h"

namespace pellamor {

SessionTiming::Now SessionTiming::uptime()
{
    return [] { return platform().uptime(); };
}

SessionTiming::Schedule SessionTiming::mainQueue()
{
    return
        [](double delay, std::function<void()> block) { platform().mainQueue().asyncAfter(delay, std::move(block)); };
}

} // namespace pellamor
