#include "windows/WindowPlacementCompletion.h"

namespace pellamor {

WindowPlacementCompletionSession::WindowPlacementCompletionSession(std::function<void(CommitCompletion)> commit,
    std::function<void(OpenCompletion)> open, std::function<void()> cancelOpening)
    : commit_(std::move(commit))
    , open_(std::move(open))
    , cancelOpening_(std::move(cancelOpening))
{
}

void WindowPlacementCompletionSession::start(Completion completion)
{
    if (phase_ != Phase::idle)
        return;
    completion_ = std::move(completion);
    if (cancellationRequested_) {
        deliver(WindowPlacementCompletionResult::cancelled(false));
        return;
    }
    phase_ = Phase::committing;
    commit_([weak = weak_from_this()](const std::optional<std::string>& message) {
        if (auto session = weak.lock())
            session->commitReported(message);
    });
}

void WindowPlacementCompletionSession::commitReported(const std::optional<std::string>& message)
{
    if (phase_ != Phase::committing)
        return;
    if (message) {
        deliver(cancellationRequested_ ? WindowPlacementCompletionResult::cancelled(false)
                                       : WindowPlacementCompletionResult::commitFailed(*message));
        return;
    }
    if (cancellationRequested_) {
        deliver(WindowPlacementCompletionResult::cancelled(true));
        return;
    }
    phase_ = Phase::opening;
    open_([weak = weak_from_this()](const MissionControlResult& result) {
        if (auto session = weak.lock())
            session->openingReported(result);
    });
}

void WindowPlacementCompletionSession::openingReported(const MissionControlResult& result)
{
    if (phase_ != Phase::opening)
        return;
    switch (result.kind()) {
    case MissionControlResult::Kind::sent:
        deliver(WindowPlacementCompletionResult::completed());
        return;
    case MissionControlResult::Kind::cancelled:
        deliver(WindowPlacementCompletionResult::cancelled(true));
        return;
    case MissionControlResult::Kind::failed:
        deliver(WindowPlacementCompletionResult::openingFailed(result.message()));
        return;
    }
}

void WindowPlacementCompletionSession::cancel()
{
    switch (phase_) {
    case Phase::idle:
    case Phase::committing:
        cancellationRequested_ = true;
        return;
    case Phase::opening: {
        phase_ = Phase::finished;
        Completion completion = std::move(completion_);
        completion_ = nullptr;
        cancelOpening_();
        if (completion)
            completion(WindowPlacementCompletionResult::cancelled(true));
        return;
    }
    case Phase::finished:
        return;
    }
}

void WindowPlacementCompletionSession::deliver(const WindowPlacementCompletionResult& result)
{
    phase_ = Phase::finished;
    Completion completion = std::move(completion_);
    completion_ = nullptr;
    if (completion)
        completion(result);
}

} // namespace pellamor
