#include "windows/WindowInventoryReader.h"

#include "platform/Platform.h"
#include "windows/WindowSpaceRuntime.h"

namespace pellamor {

class WindowInventoryReader::Worker {
public:
    explicit Worker(std::function<Provider()> makeProvider)
        : makeProvider_(std::move(makeProvider))
    {
    }

    Provider& provider()
    {
        if (!provider_)
            provider_ = makeProvider_();
        return *provider_;
    }

private:
    std::function<Provider()> makeProvider_;
    std::optional<Provider> provider_;
};

WindowInventoryReader::WindowInventoryReader(std::function<Provider()> makeProvider)
    : worker_(std::make_shared<Worker>(std::move(makeProvider)))
{
}

void WindowInventoryReader::request(const std::optional<std::string>& context, Completion completion)
{
    if (context) {
        const std::optional<Request>& current = pending_ ? pending_ : active_;
        if (current && current->revision == revision_ && current->context == context)
            return;
    }
    ++revision_;
    pending_ = Request { revision_, context, std::move(completion) };
    beginNextRead();
}

void WindowInventoryReader::cancel()
{
    ++revision_;
    pending_.reset();
}

void WindowInventoryReader::updateCaptureTitle(
    std::uint32_t id, std::int32_t pid, const std::optional<std::string>& title)
{
    platform().backgroundQueue().async(
        [worker = worker_, id, pid, title] { worker->provider().updateCaptureTitle(id, pid, title); });
}

void WindowInventoryReader::beginNextRead()
{
    if (active_ || !pending_)
        return;
    active_ = std::move(pending_);
    pending_.reset();
    MainQueue& mainQueue = platform().mainQueue();
    platform().backgroundQueue().async([worker = worker_, weak = weak_from_this(), &mainQueue] {
        std::optional<Snapshot> snapshot = worker->provider().read();
        mainQueue.post([weak, snapshot = std::move(snapshot)]() mutable {
            if (auto reader = weak.lock())
                reader->finishRead(std::move(snapshot));
        });
    });
}

void WindowInventoryReader::finishRead(std::optional<Snapshot> snapshot)
{
    Request finished = std::move(*active_);
    active_.reset();
    if (finished.revision == revision_)
        finished.completion(std::move(snapshot));
    beginNextRead();
}

WindowInventoryReader::Provider WindowInventoryReader::nativeProvider()
{
    std::shared_ptr<WindowSpaceRuntime> runtime = WindowSpaceRuntime::make();
    Provider provider;
    provider.read = [runtime]() -> std::optional<Snapshot> {
        if (!runtime)
            return std::nullopt;
        auto before = runtime->desktops();
        if (!before)
            return std::nullopt;
        auto windows = runtime->windows(false, true);
        auto after = runtime->desktops();
        if (!after || *after != *before)
            return std::nullopt;
        return Snapshot { std::move(*before), std::move(windows) };
    };
    provider.updateCaptureTitle
        = [runtime](std::uint32_t id, std::int32_t pid, const std::optional<std::string>& title) {
              if (runtime)
                  runtime->updateCaptureTitle(id, pid, title);
          };
    return provider;
}

} // namespace pellamor
