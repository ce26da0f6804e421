// Virtual time for tests: nothing runs until the test advances the clock.
#pragma once

#include "platform/EventLoop.h"
#include "platform/MainQueue.h"

#include <map>

namespace pellamor::test {

class VirtualClock final : public EventLoop {
public:
    explicit VirtualClock(double start = 1000) : now_(start) {}
    void attach(MainQueue& queue) { queue_ = &queue; }

    double now() const override { return now_; }
    void wake(std::optional<double>) override {}
    std::unique_ptr<FileSource> watchReadable(int fd, std::function<void()> onReadable) override;

    // Moves time forward, running every due block in order at its own time; readable files are
    // noticed first and at each step.
    void advance(double seconds);
    // Runs what is due now without moving time.
    void runPending() { advance(0); }
    // Moves time forward without running anything, as a process stalled that long sees it on waking; what fell
    // due meanwhile runs at the next advance.
    void jump(double seconds) { now_ += seconds > 0 ? seconds : 0; }

private:
    class Source;
    void pollFiles();

    double now_;
    MainQueue* queue_ = nullptr;
    std::map<int, std::function<void()>> sources_;
    int nextSourceID_ = 0;
};

} // namespace pellamor::test
