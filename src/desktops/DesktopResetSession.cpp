#include "desktops/DesktopResetSession.h"

#include "assistant/Localization.h"

namespace pellamor {

std::string DesktopResetFailure::text() const
{
    switch (kind) {
    case DesktopResetFailureKind::removalFailed:
        return message;
    case DesktopResetFailureKind::notConfirmed:
    case DesktopResetFailureKind::alreadyStarted:
    case DesktopResetFailureKind::inactive:
        return L("La suppression des bureaux a été arrêtée.");
    case DesktopResetFailureKind::inventoryUnavailable:
        return L("Impossible de lire les bureaux de ce Mac.");
    case DesktopResetFailureKind::topologyChanged:
        return L("La liste des bureaux a changé. La suppression a été arrêtée. Vérifie les bureaux puis réessaie.");
    case DesktopResetFailureKind::unverifiedRemoval:
        return L("La dernière suppression n’a pas pu être vérifiée. Actualise les bureaux avant de réessayer.");
    }
    return message;
}

DesktopResetSession::DesktopResetSession(
    DesktopResetPlan plan, Inventory inventory, Remove remove, std::function<void()> cancelRemoval)
    : plan_(std::move(plan))
    , inventory_(std::move(inventory))
    , remove_(std::move(remove))
    , cancelRemoval_(std::move(cancelRemoval))
    , expected_(plan_.before)
{
}

DesktopResetSession::~DesktopResetSession()
{
    if (phase_ == Phase::running && pending_ && cancelRemoval_)
        cancelRemoval_();
}

DesktopResetOutcome DesktopResetSession::outcome(
    DesktopResetOutcome::Status status, std::optional<DesktopResetFailure> failure) const
{
    return { status, std::move(failure), removed_, expected_, plan_.targets.size() };
}

void DesktopResetSession::start(bool confirmed, Progress progress, Completion completion)
{
    if (phase_ != Phase::ready) {
        completion(outcome(DesktopResetOutcome::Status::failed, DesktopResetFailure { DesktopResetFailureKind::alreadyStarted, {} }));
        return;
    }
    progress_ = std::move(progress);
    completion_ = std::move(completion);
    phase_ = Phase::running;
    if (!confirmed) {
        finish(DesktopResetOutcome::Status::failed, DesktopResetFailure { DesktopResetFailureKind::notConfirmed, {} });
        return;
    }
    advance();
}

void DesktopResetSession::advance()
{
    if (phase_ != Phase::running)
        return;
    auto inventory = inventory_();
    if (phase_ != Phase::running)
        return;
    if (!inventory) {
        finish(DesktopResetOutcome::Status::failed, DesktopResetFailure { DesktopResetFailureKind::inventoryUnavailable, {} });
        return;
    }
    if (!DesktopResetPlan::sameIdentities(*inventory, expected_)) {
        finish(DesktopResetOutcome::Status::failed, DesktopResetFailure { DesktopResetFailureKind::topologyChanged, {} });
        return;
    }
    auto index = removed_.size();
    if (index >= plan_.targets.size()) {
        finish(DesktopResetOutcome::Status::completed);
        return;
    }
    auto target = plan_.targets[index];
    pending_ = Pending { index, target };
    std::weak_ptr<DesktopResetSession> weakSelf = shared_from_this();
    remove_(target.spaceID, [weakSelf, index, target](DesktopManagementResult result) {
        if (auto self = weakSelf.lock())
            self->removalFinished(index, target, std::move(result));
    });
}

std::vector<NativeDesktopState> DesktopResetSession::expectedWithout(const NativeDesktopState& target) const
{
    auto expected = expected_;
    std::erase_if(expected, [&](const auto& d) { return d.spaceID == target.spaceID; });
    return expected;
}

void DesktopResetSession::removalFinished(
    std::size_t index, const NativeDesktopState& target, DesktopManagementResult result)
{
    if (phase_ != Phase::running || !pending_ || pending_->index != index)
        return;
    if (auto failed = result.asFailed()) {
        phase_ = Phase::stopping;
        reconcile();
        finish(DesktopResetOutcome::Status::failed, DesktopResetFailure { DesktopResetFailureKind::removalFailed, failed->message });
        return;
    }
    if (result.isCancelled()) {
        phase_ = Phase::stopping;
        reconcile();
        finish(DesktopResetOutcome::Status::cancelled);
        return;
    }
    const auto& changed = *result.asChanged();
    if (!DesktopResetPlan::sameIdentities(changed.before, expected_)
        || !DesktopResetPlan::sameIdentities(changed.after, expectedWithout(target))) {
        finish(DesktopResetOutcome::Status::failed, DesktopResetFailure { DesktopResetFailureKind::unverifiedRemoval, {} });
        return;
    }
    record(target, changed.after);
    advance();
}

void DesktopResetSession::record(const NativeDesktopState& target, std::vector<NativeDesktopState> after)
{
    expected_ = std::move(after);
    removed_.push_back(target);
    pending_.reset();
    if (progress_)
        progress_(removed_.size(), plan_.targets.size());
}

void DesktopResetSession::reconcile()
{
    if (!pending_)
        return;
    auto target = pending_->target;
    auto inventory = inventory_();
    if (inventory && DesktopResetPlan::sameIdentities(*inventory, expectedWithout(target)))
        record(target, std::move(*inventory));
}

void DesktopResetSession::cancel()
{
    if (phase_ != Phase::running)
        return;
    phase_ = Phase::stopping;
    if (pending_ && cancelRemoval_)
        cancelRemoval_();
    reconcile();
    finish(DesktopResetOutcome::Status::cancelled);
}

void DesktopResetSession::finish(DesktopResetOutcome::Status status, std::optional<DesktopResetFailure> failure)
{
    if (phase_ != Phase::running && phase_ != Phase::stopping)
        return;
    phase_ = Phase::finished;
    pending_.reset();
    progress_ = nullptr;
    auto completion = std::move(completion_);
    completion_ = nullptr;
    if (completion)
        completion(outcome(status, std::move(failure)));
}

std::optional<DesktopResetFailure> DesktopResetSession::validationFailure(
    const std::string& display, std::optional<std::uint64_t> removing)
{
    if (phase_ != Phase::running || !pending_)
        return DesktopResetFailure { DesktopResetFailureKind::inactive, {} };
    auto index = pending_->index;
    if (display != pending_->target.display || !removing || *removing != pending_->target.spaceID)
        return DesktopResetFailure { DesktopResetFailureKind::topologyChanged, {} };
    auto inventory = inventory_();
    if (phase_ != Phase::running || !pending_ || pending_->index != index)
        return DesktopResetFailure { DesktopResetFailureKind::inactive, {} };
    if (!inventory)
        return DesktopResetFailure { DesktopResetFailureKind::inventoryUnavailable, {} };
    if (!DesktopResetPlan::sameIdentities(*inventory, expected_))
        return DesktopResetFailure { DesktopResetFailureKind::topologyChanged, {} };
    return std::nullopt;
}

} // namespace pellamor
