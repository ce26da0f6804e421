// Sets one window's frame through an environment and checks that it took it, once, with a single completion.
#pragma once

#include "windows/SessionTiming.h"

#include <QRectF>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellamor {

// How the arrangement sees macOS. Every answer that is a message is a refusal or failure; none goes on.
class WindowArrangementEnvironment {
public:
    virtual ~WindowArrangementEnvironment() = default;

    // The target frame, known once `prepare` went well.
    virtual QRectF desired() = 0;
    virtual std::optional<std::string> validate() = 0;
    virtual std::optional<std::string> prepare() = 0;
    virtual std::optional<std::string> writeSize() = 0;
    virtual std::optional<std::string> writePosition() = 0;
    virtual std::optional<QRectF> actualFrame() = 0;
    // Puts back what `prepare` changed for the time of the arrangement.
    virtual std::optional<std::string> cleanup() = 0;
};

class WindowArrangementSession : public std::enable_shared_from_this<WindowArrangementSession> {
public:
    // None: the window took the frame.
    using Completion = std::function<void(std::optional<std::string>)>;
    using Now = SessionTiming::Now;
    using Schedule = SessionTiming::Schedule;

    static constexpr double tolerance = 6.0;
    static constexpr double verificationTime = 1.5;
    static constexpr double tickInterval = 0.05;
    // Just under three ticks, so that the re-apply comes on the third tick despite rounding.
    static constexpr double correctionDelay = 0.149999;

    // `now` and `schedule` default to the platform's uptime and main queue.
    static std::shared_ptr<WindowArrangementSession> make(
        std::shared_ptr<WindowArrangementEnvironment> environment, Now now = nullptr, Schedule schedule = nullptr);
    WindowArrangementSession(std::shared_ptr<WindowArrangementEnvironment> environment, Now now, Schedule schedule);
    ~WindowArrangementSession();
    WindowArrangementSession(const WindowArrangementSession&) = delete;
    WindowArrangementSession& operator=(const WindowArrangementSession&) = delete;

    // The completion runs exactly once, after the environment's cleanup, never inside an environment call.
    void start(Completion completion);
    void cancel();

    // Both readable (finite, positive size) and within `tolerance` on each of the four numbers.
    static bool frameMatches(const QRectF& a, const QRectF& b, double tolerance);

private:
    enum class State { idle, applying, verifying, finished };

    template <class Call> auto call(Call&& body);
    bool goesOn(std::uint64_t generation) const;
    // False when the session stopped meanwhile.
    bool apply(std::uint64_t generation);
    void verify();
    void scheduleTick();
    void finish(std::optional<std::string> message);
    void completeIfFinished();
    std::string timeoutMessage(const std::optional<QRectF>& frame) const;

    std::shared_ptr<WindowArrangementEnvironment> environment_;
    Now now_;
    Schedule schedule_;
    QRectF desired_;
    State state_ = State::idle;
    Completion completion_;
    std::uint64_t generation_ = 0;
    double verificationStarted_ = 0;
    double deadline_ = 0;
    int consecutiveMatches_ = 0;
    bool corrected_ = false;
    std::uint64_t tickSequence_ = 0;
    std::optional<std::uint64_t> pendingTick_;
    int environmentCallDepth_ = 0;
    bool cleaned_ = false;
    std::optional<std::string> finishedProblem_;
};

} // namespace pellamor
