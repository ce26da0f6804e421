// The main queue: blocks run soon or after a delay, in due order, on the main thread; cancellable.
#pragma once

#include "platform/EventLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

namespace pellamor {

// A handle on one scheduled block. Cancelling it is idempotent; an empty handle cancels nothing.
class WorkItem {
public:
    WorkItem() = default;
    void cancel();
    bool isCancelled() const;
    explicit operator bool() const { return static_cast<bool>(cancelled_); }

private:
    friend class MainQueue;
    explicit WorkItem(std::shared_ptr<bool> cancelled) : cancelled_(std::move(cancelled)) {}
    std::shared_ptr<bool> cancelled_;
};

class MainQueue {
public:
    explicit MainQueue(EventLoop& loop) : loop_(loop) {}
    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;

    double now() const { return loop_.now(); }

    WorkItem async(std::function<void()> block) { return asyncAfter(0, std::move(block)); }
    WorkItem asyncAfter(double seconds, std::function<void()> block);
    // Thread-safe: used by background work to hand results back.
    void post(std::function<void()> block) { asyncAfter(0, std::move(block)); }

    // Runs, in order, every block due by now, including those scheduled meanwhile; returns how many ran.
    int runDue();
    std::optional<double> nextDue() const;
    bool isEmpty() const { return !nextDue(); }

    EventLoop& loop() { return loop_; }

private:
    struct Entry {
        double due;
        std::uint64_t sequence;
        std::shared_ptr<bool> cancelled;
        std::shared_ptr<std::function<void()>> block;
        bool operator<(const Entry& other) const
        {
            return due != other.due ? due < other.due : sequence < other.sequence;
        }
    };

    EventLoop& loop_;
    mutable std::mutex mutex_;
    std::set<Entry> entries_;
    std::uint64_t nextSequence_ = 0;
};

} // namespace pellamor
