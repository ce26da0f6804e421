// Switches one display to desktop N with the system's shortcut and proves it, one switch at a time.
#pragma once

#include "desktops/DesktopModel.h"
#include "desktops/MissionControlResult.h"

#include <functional>
#include <memory>

namespace pellamor {

// How the switching session sees macOS.
class DesktopSwitchingEnvironment {
public:
    virtual ~DesktopSwitchingEnvironment() = default;

    virtual bool available() = 0;
    virtual bool authorized() = 0;
    virtual std::optional<NativeDesktopState> target(int number) = 0;
    virtual std::optional<std::uint64_t> currentSpace(const std::string& display) = 0;
    virtual std::optional<NativeShortcut> shortcut(std::uint32_t hotkey) = 0;
    virtual bool isEnabled(std::uint32_t hotkey) = 0;
    // True on success.
    virtual bool setEnabled(std::uint32_t hotkey, bool enabled) = 0;
    virtual bool keysReleased(const NativeShortcut& shortcut) = 0;
    // True when the key events were made and posted.
    virtual bool post(const NativeShortcut& shortcut) = 0;
};

class DesktopSwitchingSession : public std::enable_shared_from_this<DesktopSwitchingSession> {
public:
    using Completion = std::function<void(MissionControlResult)>;
    using Now = std::function<double()>;
    using Schedule = std::function<void(double delay, std::function<void()> block)>;

    static constexpr double preparationDelay = 0.15;
    static constexpr double deliveryTimeout = 2.5;

    // `now` and `schedule` default to the platform's uptime and main queue.
    static std::shared_ptr<DesktopSwitchingSession> make(
        std::shared_ptr<DesktopSwitchingEnvironment> environment, Now now = nullptr, Schedule schedule = nullptr);

    // The completion runs exactly once, possibly before this returns.
    void select(int desktop, std::optional<std::uint64_t> expectedSpaceID, std::optional<std::string> expectedDisplay,
        std::optional<std::string> expectedUUID, Completion completion);
    void cancel();
    // Ends the session for good, switching off again any hot key it switched on.
    void shutdown();

    DesktopSwitchingSession(std::shared_ptr<DesktopSwitchingEnvironment> environment, Now now, Schedule schedule);

private:
    struct Request {
        int desktop = 0;
        std::uint32_t hotkey = 0;
        NativeDesktopState target;
        NativeShortcut shortcut;
        double deadline = 0;
        Completion completion;
        // The session switched the hot key on and must switch it off again.
        bool restoreNeeded = false;
        bool posted = false;
        double readyAt = 0;
    };

    void advance(const std::shared_ptr<Request>& request);
    void finish(std::shared_ptr<Request> request, MissionControlResult result);
    void schedule(const std::shared_ptr<Request>& request, double after);
    // Switches a pending hot key off again; false when it is still on.
    bool restore(Request& request);
    bool stillCurrent(const NativeDesktopState& fresh, const Request& request);

    std::shared_ptr<DesktopSwitchingEnvironment> environment_;
    Now now_;
    Schedule schedule_;
    std::shared_ptr<Request> active_;
    std::shared_ptr<Request> restorationPending_;
    bool stopped_ = false;
};

} // namespace pellamor
