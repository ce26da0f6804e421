// Calls back whenever one file changes, also when it is replaced, deleted and created again, or created later.
#pragma once

#include "platform/FileSystemEventSource.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

namespace pellamor {

class CodexStateWatcher {
public:
    // Watches "$HOME/.codex/.codex-global-state.json".
    explicit CodexStateWatcher(std::function<void()> changed);
    CodexStateWatcher(std::filesystem::path url, std::function<void()> changed);
    ~CodexStateWatcher();
    CodexStateWatcher(const CodexStateWatcher&) = delete;
    CodexStateWatcher& operator=(const CodexStateWatcher&) = delete;

    // Watches the folder and the file; true when the file itself is watched. Restarts when called again.
    bool start();
    void stop();
    // Watches the file when only its folder is watched (it has appeared since).
    void ensureFileWatch();

    const std::filesystem::path& url() const { return url_; }

private:
    void attachFile();

    std::filesystem::path url_;
    std::function<void()> changed_;
    std::unique_ptr<FileSystemEventSource> fileSource_;
    std::unique_ptr<FileSystemEventSource> directorySource_;
    std::int64_t generation_ = 0;
    // Held weakly by the event handlers, so that a late event after destruction does nothing.
    std::shared_ptr<CodexStateWatcher*> self_;
};

} // namespace pellamor
