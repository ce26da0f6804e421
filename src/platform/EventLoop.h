// What drives the main queue: a time source, a wake-up for the next due block, and readable file descriptors.
#pragma once

#include <functional>
#include <memory>
#include <optional>

namespace pellamor {

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // System uptime in seconds, monotonic.
    virtual double now() const = 0;
    // The main queue's earliest due time changed (none: nothing is scheduled). Safe from any thread.
    virtual void wake(std::optional<double> nextDue) = 0;

    class FileSource {
    public:
        virtual ~FileSource() = default;
    };
    // Calls `onReadable` on the main thread whenever `fd` has data; stops when the returned source is destroyed.
    virtual std::unique_ptr<FileSource> watchReadable(int fd, std::function<void()> onReadable) = 0;
};

} // namespace pellamor
