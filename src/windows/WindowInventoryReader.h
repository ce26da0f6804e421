// Reads all desktops and all windows of other applications on the background queue and hands the snapshot back
// on the main thread; a newer request or a cancellation silently drops older results.
#pragma once

#include "desktops/DesktopModel.h"
#include "windows/DesktopWindow.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

class WindowInventoryReader : public std::enable_shared_from_this<WindowInventoryReader> {
public:
    struct Snapshot {
        std::vector<NativeDesktopState> desktops;
        std::vector<DesktopWindow> windows;
        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };
    // What the background queue reads through; made on that queue, on first use.
    struct Provider {
        std::function<std::optional<Snapshot>()> read;
        std::function<void(std::uint32_t id, std::int32_t pid, const std::optional<std::string>& title)>
            updateCaptureTitle;
    };
    using Completion = std::function<void(std::optional<Snapshot>)>;

    // Made with std::make_shared: deliveries hold the reader weakly. Nothing is read yet.
    explicit WindowInventoryReader(std::function<Provider()> makeProvider = nativeProvider);

    // Main thread only. A request with the context of the one waiting or running at the current revision is
    // dropped; otherwise it replaces the waiting one, whose completion is then never called.
    void request(const std::optional<std::string>& context, Completion completion);
    // Main thread only: drops the waiting request and the result of the running one.
    void cancel();
    // Main thread only; forwarded to the provider on the background queue.
    void updateCaptureTitle(std::uint32_t id, std::int32_t pid, const std::optional<std::string>& title);

    // Desktops, then windows (without hidden ones, with Accessibility metadata), then desktops again: no snapshot
    // unless both desktop readings agree. Must be made on the background queue.
    static Provider nativeProvider();

private:
    struct Request {
        std::uint64_t revision = 0;
        std::optional<std::string> context;
        Completion completion;
    };
    // Touched only on the background queue.
    class Worker;

    void beginNextRead();
    void finishRead(std::optional<Snapshot> snapshot);

    std::shared_ptr<Worker> worker_;
    std::uint64_t revision_ = 0;
    std::optional<Request> pending_;
    std::optional<Request> active_;
};

} // namespace pellamor
