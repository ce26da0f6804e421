#include "assistant/CodexStateWatcher.h"

#include "platform/Platform.h"

namespace pellamor {

CodexStateWatcher::CodexStateWatcher(std::function<void()> changed)
    : CodexStateWatcher(platform().homeDirectory() / ".codex/.codex-global-state.json", std::move(changed))
{
}

CodexStateWatcher::CodexStateWatcher(std::filesystem::path url, std::function<void()> changed)
    : url_(std::move(url))
    , changed_(std::move(changed))
    , self_(std::make_shared<CodexStateWatcher*>(this))
{
}

CodexStateWatcher::~CodexStateWatcher()
{
    stop();
}

bool CodexStateWatcher::start()
{
    stop();
    std::weak_ptr<CodexStateWatcher*> weak = self_;
    directorySource_ = FileSystemEventSource::open(
        url_.parent_path(), FileEvent::write | FileEvent::rename | FileEvent::deletion | FileEvent::revoke,
        [weak](unsigned) {
            auto self = weak.lock();
            if (!self || !(*self)->directorySource_)
                return;
            auto& watcher = **self;
            watcher.attachFile();
            auto changed = watcher.changed_;
            changed();
        });
    if (!directorySource_)
        return false;
    attachFile();
    return fileSource_ != nullptr;
}

void CodexStateWatcher::attachFile()
{
    ++generation_;
    fileSource_.reset();
    std::weak_ptr<CodexStateWatcher*> weak = self_;
    auto generation = generation_;
    fileSource_ = FileSystemEventSource::open(
        url_,
        FileEvent::write | FileEvent::extend | FileEvent::attribute | FileEvent::rename | FileEvent::deletion
            | FileEvent::revoke,
        [weak, generation](unsigned events) {
            auto self = weak.lock();
            if (!self || (*self)->generation_ != generation || !(*self)->fileSource_)
                return;
            auto& watcher = **self;
            // The path may now name another file.
            if (events & (FileEvent::rename | FileEvent::deletion | FileEvent::revoke))
                watcher.attachFile();
            auto changed = watcher.changed_;
            changed();
        });
}

void CodexStateWatcher::stop()
{
    ++generation_;
    fileSource_.reset();
    directorySource_.reset();
}

void CodexStateWatcher::ensureFileWatch()
{
    if (!fileSource_ && directorySource_)
        attachFile();
}

} // namespace pellamor
