// Removes every extra desktop of a plan, one at a time, each removal verified against the inventory before the
// next one starts; stops with an exact account of what went away.
#pragma once

#include "desktops/DesktopManagement.h"
#include "desktops/DesktopResetPlan.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace pellamor {

enum class DesktopResetFailureKind {
    removalFailed,
    notConfirmed,
    alreadyStarted,
    inactive,
    inventoryUnavailable,
    topologyChanged,
    unverifiedRemoval,
};

struct DesktopResetFailure {
    DesktopResetFailureKind kind;
    // The remover's own message, for `removalFailed` only.
    std::string message;

    // The French text shown to the user.
    std::string text() const;

    friend bool operator==(const DesktopResetFailure&, const DesktopResetFailure&) = default;
};

struct DesktopResetOutcome {
    enum class Status { failed, completed, cancelled };
    Status status = Status::completed;
    std::optional<DesktopResetFailure> failure;
    // Removed and verified, in removal order.
    std::vector<NativeDesktopState> removed;
    std::vector<NativeDesktopState> lastVerifiedInventory;
    std::size_t plannedCount = 0;
};

class DesktopResetSession : public std::enable_shared_from_this<DesktopResetSession> {
public:
    using Inventory = std::function<std::optional<std::vector<NativeDesktopState>>()>;
    using Remove = std::function<void(std::uint64_t space, std::function<void(DesktopManagementResult)> completion)>;
    using Progress = std::function<void(std::size_t removed, std::size_t total)>;
    using Completion = std::function<void(DesktopResetOutcome)>;

    DesktopResetSession(DesktopResetPlan plan, Inventory inventory, Remove remove, std::function<void()> cancelRemoval);
    ~DesktopResetSession();
    DesktopResetSession(const DesktopResetSession&) = delete;
    DesktopResetSession& operator=(const DesktopResetSession&) = delete;

    void start(bool confirmed, Progress progress, Completion completion);
    // Stops after the removal in flight.
    void cancel();
    // The check the removal driver runs immediately before it acts.
    std::optional<DesktopResetFailure> validationFailure(const std::string& display, std::optional<std::uint64_t> removing);

    const DesktopResetPlan& plan() const { return plan_; }

private:
    enum class Phase { ready, running, stopping, finished };
    struct Pending {
        std::size_t index;
        NativeDesktopState target;
    };

    void advance();
    void removalFinished(std::size_t index, const NativeDesktopState& target, DesktopManagementResult result);
    std::vector<NativeDesktopState> expectedWithout(const NativeDesktopState& target) const;
    void record(const NativeDesktopState& target, std::vector<NativeDesktopState> after);
    void reconcile();
    void finish(DesktopResetOutcome::Status status, std::optional<DesktopResetFailure> failure = std::nullopt);
    DesktopResetOutcome outcome(DesktopResetOutcome::Status status, std::optional<DesktopResetFailure> failure) const;

    DesktopResetPlan plan_;
    Inventory inventory_;
    Remove remove_;
    std::function<void()> cancelRemoval_;
    Phase phase_ = Phase::ready;
    std::vector<NativeDesktopState> expected_;
    std::vector<NativeDesktopState> removed_;
    std::optional<Pending> pending_;
    Progress progress_;
    Completion completion_;
};

} // namespace pellamor
