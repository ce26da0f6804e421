#include "platform/ThreadSerialQueue.h"

namespace pellamor {

ThreadSerialQueue::ThreadSerialQueue(std::string label) : label_(std::move(label)), worker_([this] { drain(); }) {}

ThreadSerialQueue::~ThreadSerialQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

void ThreadSerialQueue::async(std::function<void()> work)
{
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void ThreadSerialQueue::drain()
{
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (pending_.empty())
                return;
            work = std::move(pending_.front());
            pending_.pop_front();
        }
        work();
    }
}

} // namespace pellamor
