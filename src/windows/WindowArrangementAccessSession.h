// Makes a window reachable through Accessibility before it is arranged: at once, or by opening its desktop
// first and waiting until its element shows up.
#pragma once

#include "windows/SessionTiming.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellamor {

// How reaching a window sees macOS.
class WindowArrangementAccessEnvironment {
public:
    using OpeningCompletion = std::function<void(std::optional<std::string>)>;

    virtual ~WindowArrangementAccessEnvironment() = default;

    // Why the window cannot be reached although its desktop is active.
    virtual std::string inaccessibleMessage() = 0;
    virtual std::optional<std::string> validate() = 0;
    virtual bool accessibilityAvailable() = 0;
    virtual bool sourceIsActive() = 0;
    // Opens the window's desktop; none means the switch was sent.
    virtual void openSource(OpeningCompletion completion) = 0;
    virtual void cancelOpening() = 0;
};

class WindowArrangementAccessSession : public std::enable_shared_from_this<WindowArrangementAccessSession> {
public:
    // None: the window is reachable.
    using Completion = std::function<void(std::optional<std::string>)>;

    static constexpr double openingTimeout = 3.0;
    static constexpr double accessTime = 1.5;
    static constexpr double probeInterval = 0.1;

    static std::shared_ptr<WindowArrangementAccessSession> make(
        std::shared_ptr<WindowArrangementAccessEnvironment> environment, SessionTiming::Now now = nullptr,
        SessionTiming::Schedule schedule = nullptr);
    WindowArrangementAccessSession(std::shared_ptr<WindowArrangementAccessEnvironment> environment,
        SessionTiming::Now now, SessionTiming::Schedule schedule);
    ~WindowArrangementAccessSession();
    WindowArrangementAccessSession(const WindowArrangementAccessSession&) = delete;
    WindowArrangementAccessSession& operator=(const WindowArrangementAccessSession&) = delete;

    // The completion runs exactly once, never inside an environment call, after any desktop switch still
    // under way was cancelled.
    void start(Completion completion);
    void cancel();

private:
    enum class State { idle, probing, opening, waiting, finished };
    using Step = void (WindowArrangementAccessSession::*)();

    template <class Call> auto call(Call&& body);
    bool goesOn(std::uint64_t generation) const;
    // Steps 2 to 5 of the start: none to go on and open the desktop.
    bool probeAtStart(std::uint64_t generation);
    void openingAnswered(std::optional<std::string> message);
    void probe();
    void openingTimedOut();
    void scheduleJob(double delay, Step step);
    void finish(std::optional<std::string> message);
    void completeIfFinished();

    std::shared_ptr<WindowArrangementAccessEnvironment> environment_;
    SessionTiming::Now now_;
    SessionTiming::Schedule schedule_;
    State state_ = State::idle;
    Completion completion_;
    std::uint64_t generation_ = 0;
    double accessDeadline_ = 0;
    bool sourceConfirmed_ = false;
    bool openingOutstanding_ = false;
    int environmentCallDepth_ = 0;
    std::optional<std::string> finishedProblem_;
    bool delivered_ = false;
    std::uint64_t jobSequence_ = 0;
    std::optional<std::uint64_t> pendingJob_;
};

} // namespace pellamor
