// SIGTERM and SIGINT turned into a call on the event loop, so that they run the same ordered shutdown as quitting.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace pellamor {

class TerminationSignals {
public:
    // One instance per process: it owns the two signals' handlers until it is destroyed.
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    std::function<void()> onTerminate;

private:
    void drain();

    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace pellamor
