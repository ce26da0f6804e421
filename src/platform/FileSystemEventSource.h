// Kernel file-system events on one file or folder, delivered on the main thread.
#pragma once

#include "platform/EventLoop.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace pellamor {

// Kinds of change, combined as a bit set. On a folder, `write` means an entry was added, removed or renamed.
struct FileEvent {
    static constexpr unsigned write = 1;
    static constexpr unsigned extend = 2;
    static constexpr unsigned attribute = 4;
    static constexpr unsigned rename = 8;
    static constexpr unsigned deletion = 16;
    // The watch ended: the volume went away or the watched object is gone for good.
    static constexpr unsigned revoke = 32;
};

class FileSystemEventSource {
public:
    // Receives the set of events that fired, never an empty one. It may destroy the source.
    using Handler = std::function<void(unsigned events)>;

    // Watches the object `path` names now (following it when it is renamed) for `events`; none when it cannot
    // be watched, for example because it does not exist.
    static std::unique_ptr<FileSystemEventSource> open(const std::filesystem::path& path, unsigned events,
                                                       Handler handler);
    // Cancels: no handler call afterwards, and the kernel watch is removed.
    ~FileSystemEventSource();
    FileSystemEventSource(const FileSystemEventSource&) = delete;
    FileSystemEventSource& operator=(const FileSystemEventSource&) = delete;

private:
    FileSystemEventSource(int fd, int watch, unsigned events, bool directory, Handler handler);
    void readEvents();

    int fd_;
    int watch_;
    unsigned events_;
    bool directory_;
    Handler handler_;
    std::unique_ptr<EventLoop::FileSource> readable_;
};

} // namespace pellamor
