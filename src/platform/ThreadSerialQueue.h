// A serial queue on a thread of its own, for the executable.
#pragma once

#include "platform/SerialQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace pellamor {

class ThreadSerialQueue final : public SerialQueue {
public:
    explicit ThreadSerialQueue(std::string label);
    ~ThreadSerialQueue() override;

    const std::string& label() const override { return label_; }
    void async(std::function<void()> work) override;

private:
    void drain();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> pending_;
    bool stopping_ = false;
    std::thread worker_;
};

// A serial queue that runs its blocks on the main queue, for tests on virtual time.
class MainThreadSerialQueue final : public SerialQueue {
public:
    MainThreadSerialQueue(std::string label, MainQueue& mainQueue) : label_(std::move(label)), mainQueue_(mainQueue) {}
    const std::string& label() const override { return label_; }
    void async(std::function<void()> work) override { mainQueue_.post(std::move(work)); }

private:
    std::string label_;
    MainQueue& mainQueue_;
};

} // namespace pellamor
