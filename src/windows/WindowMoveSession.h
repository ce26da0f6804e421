// Moves one window to another desktop without switching: waits until keys and mouse buttons are let go,
// validates, requests the move once and polls until the window has arrived. Completes exactly once.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellamor {

// The macOS edge of one move.
class WindowMoveEnvironment {
public:
    virtual ~WindowMoveEnvironment() = default;
    virtual bool inputHeld() = 0;
    // None when the move may go ahead; otherwise why not, in French.
    virtual std::optional<std::string> validate() = 0;
    virtual std::optional<std::string> requestMove() = 0;
    virtual bool arrived() = 0;
    virtual bool desktopUnchanged() = 0;
};

class WindowMoveSession : public std::enable_shared_from_this<WindowMoveSession> {
public:
    // None when the window arrived; otherwise what went wrong, in French.
    using Completion = std::function<void(const std::optional<std::string>& message)>;
    using Schedule = std::function<void(double delay, std::function<void()> block)>;

    // Made with std::make_shared: scheduled steps hold the session weakly. Without `now` and `schedule`, the
    // platform's uptime and main queue.
    explicit WindowMoveSession(std::shared_ptr<WindowMoveEnvironment> environment,
        std::function<double()> now = nullptr, Schedule schedule = nullptr);

    // A second start gets "Ce déplacement a déjà été demandé." at once; the first move goes on.
    void start(Completion completion);
    void cancel();

    static constexpr double pollInterval = 0.03;
    static constexpr double inputWaitLimit = 3.0;
    static constexpr double arrivalLimit = 2.5;

private:
    enum class State { idle, waiting, verifying, finished };

    void scheduleStep(void (WindowMoveSession::*step)());
    void waitForInput();
    void verify();
    void finish(std::optional<std::string> message);
    // Runs one call into the environment; a completion due meanwhile waits until the call has returned.
    template <class Call> auto environmentCall(Call call);
    bool isStill(std::uint64_t generation, State state) const;

    std::shared_ptr<WindowMoveEnvironment> environment_;
    std::function<double()> now_;
    Schedule schedule_;
    State state_ = State::idle;
    Completion completion_;
    std::uint64_t generation_ = 0;
    double deadline_ = 0;
    int callDepth_ = 0;
    // A completion that came due during an environment call, with its message.
    std::function<void()> parked_;
};

} // namespace pellamor
