#include "platform/MainQueue.h"

namespace pellamor {

void WorkItem::cancel()
{
    if (cancelled_)
        *cancelled_ = true;
}

bool WorkItem::isCancelled() const
{
    return cancelled_ && *cancelled_;
}

WorkItem MainQueue::asyncAfter(double seconds, std::function<void()> block)
{
    auto cancelled = std::make_shared<bool>(false);
    std::optional<double> next;
    {
        std::lock_guard lock(mutex_);
        double due = loop_.now() + (seconds > 0 ? seconds : 0);
        entries_.insert({due, nextSequence_++, cancelled, std::make_shared<std::function<void()>>(std::move(block))});
        next = entries_.begin()->due;
    }
    loop_.wake(next);
    return WorkItem(cancelled);
}

int MainQueue::runDue()
{
    int ran = 0;
    for (;;) {
        Entry entry;
        {
            std::lock_guard lock(mutex_);
            if (entries_.empty() || entries_.begin()->due > loop_.now())
                break;
            entry = *entries_.begin();
            entries_.erase(entries_.begin());
        }
        if (*entry.cancelled)
            continue;
        ++ran;
        (*entry.block)();
    }
    loop_.wake(nextDue());
    return ran;
}

std::optional<double> MainQueue::nextDue() const
{
    std::lock_guard lock(mutex_);
    if (entries_.empty())
        return std::nullopt;
    return entries_.begin()->due;
}

} // namespace pellamor
