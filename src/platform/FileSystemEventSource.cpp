#include "platform/FileSystemEventSource.h"

#include "platform/Platform.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pellamor {

namespace {

constexpr unsigned entryChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

std::uint32_t watchMask(unsigned events, bool directory)
{
    std::uint32_t mask = IN_UNMOUNT;
    if (events & FileEvent::write)
        mask |= directory ? entryChanges : IN_MODIFY;
    if (events & FileEvent::extend)
        mask |= IN_MODIFY;
    if (events & FileEvent::attribute)
        mask |= IN_ATTRIB;
    if (events & FileEvent::rename)
        mask |= IN_MOVE_SELF;
    if (events & FileEvent::deletion)
        mask |= IN_DELETE_SELF;
    return mask;
}

// What one kernel event means; events about a folder's entries carry their name.
unsigned meaning(const inotify_event& event, bool directory)
{
    if (event.mask & IN_Q_OVERFLOW)
        return ~0u;
    if (event.len > 0)
        return (event.mask & entryChanges) ? FileEvent::write : 0;
    unsigned events = 0;
    if ((event.mask & IN_MODIFY) && !directory)
        events |= FileEvent::write | FileEvent::extend;
    if (event.mask & IN_ATTRIB)
        events |= FileEvent::attribute;
    if (event.mask & IN_MOVE_SELF)
        events |= FileEvent::rename;
    if (event.mask & IN_DELETE_SELF)
        events |= FileEvent::deletion;
    if (event.mask & (IN_UNMOUNT | IN_IGNORED))
        events |= FileEvent::revoke;
    return events;
}

void drain(int fd)
{
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        ssize_t length = ::read(fd, buffer, sizeof buffer);
        if (length <= 0 && !(length < 0 && errno == EINTR))
            return;
    }
}

// Closing an inotify instance waits for the kernel to retire its watches, a grace period of milliseconds that
// grows to tens of them on a busy machine; a watched file that is replaced re-creates its source in the middle
// of the reaction. So a source that ends removes its watch (which does not wait) and leaves its emptied instance
// to the next source.
class Instances {
public:
    int take()
    {
        std::lock_guard lock(mutex_);
        if (free_.empty())
            return ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        int fd = free_.back();
        free_.pop_back();
        return fd;
    }
    void give(int fd, int watch)
    {
        if (watch >= 0)
            ::inotify_rm_watch(fd, watch);
        drain(fd);
        std::lock_guard lock(mutex_);
        if (free_.size() < kept) {
            free_.push_back(fd);
            return;
        }
        ::close(fd);
    }

private:
    // Instances kept for the next sources; any more are closed.
    static constexpr std::size_t kept = 8;
    std::mutex mutex_;
    std::vector<int> free_;
};

Instances& instances()
{
    static Instances shared;
    return shared;
}

} // namespace

std::unique_ptr<FileSystemEventSource> FileSystemEventSource::open(const std::filesystem::path& path,
                                                                   unsigned events, Handler handler)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return nullptr;
    bool directory = S_ISDIR(status.st_mode);
    int fd = instances().take();
    if (fd < 0)
        return nullptr;
    int watch = ::inotify_add_watch(fd, path.c_str(), watchMask(events, directory));
    if (watch < 0) {
        instances().give(fd, -1);
        return nullptr;
    }
    return std::unique_ptr<FileSystemEventSource>(
        new FileSystemEventSource(fd, watch, events, directory, std::move(handler)));
}

FileSystemEventSource::FileSystemEventSource(int fd, int watch, unsigned events, bool directory, Handler handler)
    : fd_(fd)
    , watch_(watch)
    , events_(events)
    , directory_(directory)
    , handler_(std::move(handler))
{
    readable_ = platform().eventLoop().watchReadable(fd_, [this] { readEvents(); });
}

FileSystemEventSource::~FileSystemEventSource()
{
    readable_.reset();
    instances().give(fd_, watch_);
}

void FileSystemEventSource::readEvents()
{
    unsigned fired = 0;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        ssize_t length = ::read(fd_, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset + ssize_t(sizeof(inotify_event)) <= length;) {
            inotify_event event;
            std::memcpy(&event, buffer + offset, sizeof event);
            fired |= meaning(event, directory_);
            offset += ssize_t(sizeof(inotify_event) + event.len);
        }
    }
    fired &= events_;
    if (!fired)
        return;
    // The handler may destroy this source.
    auto handler = handler_;
    handler(fired);
}

} // namespace pellamor
