// Adds or removes one desktop at a time through a driver and accepts only the exact expected change.
#pragma once

#include "desktops/DesktopManagement.h"

#include <memory>

namespace pellamor {

class DesktopManager : public std::enable_shared_from_this<DesktopManager> {
public:
    using Completion = std::function<void(DesktopManagementResult)>;

    explicit DesktopManager(std::shared_ptr<DesktopManagementDriver> driver);
    ~DesktopManager();
    DesktopManager(const DesktopManager&) = delete;
    DesktopManager& operator=(const DesktopManager&) = delete;

    // The completion runs exactly once, never while a driver call is on the stack.
    void create(const std::string& display, Completion completion);
    void remove(std::uint64_t space, Completion completion);
    void cancel();

private:
    struct Create {
        std::string display;
    };
    struct Remove {
        std::uint64_t space;
    };
    using Operation = std::variant<Create, Remove>;
    enum class Phase { preparing, native, verifying, finished };
    struct Request {
        Operation operation;
        Completion completion;
        std::vector<NativeDesktopState> before;
        std::string display;
        std::optional<std::uint64_t> removing;
        Phase phase = Phase::preparing;
        bool startedDriver = false;
        std::optional<DesktopManagementResult> result;
    };

    void start(Operation operation, Completion completion);
    std::optional<std::string> target(Request& request) const;
    std::optional<std::string> validate(const std::shared_ptr<Request>& request);
    std::optional<std::string> rereadInventory(const std::shared_ptr<Request>& request);
    void startDriver(const std::shared_ptr<Request>& request);
    void driverFinished(const std::shared_ptr<Request>& request, std::optional<std::string> failure);
    bool confirms(const Request& request, const std::vector<NativeDesktopState>& after) const;
    bool isLive(const std::shared_ptr<Request>& request) const;
    static std::optional<std::string> cancelledText();
    void finish(const std::shared_ptr<Request>& request, DesktopManagementResult result);
    void completeIfFinished();
    template <class Call> auto driverCall(Call call);

    std::shared_ptr<DesktopManagementDriver> driver_;
    std::shared_ptr<Request> active_;
    int driverCallDepth_ = 0;
};

} // namespace pellamor
