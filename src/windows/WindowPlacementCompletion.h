// Completes a confirmed window placement: commits the project's desktop, then opens it, exactly once.
#pragma once

#include "desktops/MissionControlResult.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellamor {

class WindowPlacementCompletionResult {
public:
    enum class Kind { commitFailed, openingFailed, cancelled, completed };

    // Nothing was committed.
    static WindowPlacementCompletionResult commitFailed(std::string message)
    {
        return { Kind::commitFailed, std::move(message), false };
    }
    // Committed, but the desktop switch failed.
    static WindowPlacementCompletionResult openingFailed(std::string message)
    {
        return { Kind::openingFailed, std::move(message), true };
    }
    static WindowPlacementCompletionResult cancelled(bool committed) { return { Kind::cancelled, {}, committed }; }
    static WindowPlacementCompletionResult completed() { return { Kind::completed, {}, true }; }

    Kind kind() const { return kind_; }
    // The failure's message; empty otherwise.
    const std::string& message() const { return message_; }
    bool committed() const { return committed_; }

    friend bool operator==(const WindowPlacementCompletionResult&, const WindowPlacementCompletionResult&) = default;

private:
    WindowPlacementCompletionResult(Kind kind, std::string message, bool committed)
        : kind_(kind)
        , message_(std::move(message))
        , committed_(committed)
    {
    }

    Kind kind_;
    std::string message_;
    bool committed_;
};

class WindowPlacementCompletionSession : public std::enable_shared_from_this<WindowPlacementCompletionSession> {
public:
    using CommitCompletion = std::function<void(const std::optional<std::string>& message)>;
    using OpenCompletion = std::function<void(const MissionControlResult& result)>;
    using Completion = std::function<void(const WindowPlacementCompletionResult& result)>;

    // Made with std::make_shared: the steps handed to `commit` and `open` hold the session weakly.
    WindowPlacementCompletionSession(std::function<void(CommitCompletion)> commit,
        std::function<void(OpenCompletion)> open, std::function<void()> cancelOpening);

    // The completion runs exactly once, unless the session is released first; a second start does nothing.
    void start(Completion completion);
    void cancel();

private:
    enum class Phase { idle, committing, opening, finished };

    void commitReported(const std::optional<std::string>& message);
    void openingReported(const MissionControlResult& result);
    void deliver(const WindowPlacementCompletionResult& result);

    std::function<void(CommitCompletion)> commit_;
    std::function<void(OpenCompletion)> open_;
    std::function<void()> cancelOpening_;
    Phase phase_ = Phase::idle;
    bool cancellationRequested_ = false;
    Completion completion_;
};

} // namespace pellamor
