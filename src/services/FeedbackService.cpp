#include "services/FeedbackService.h"

#include "assistant/Localization.h"
#include "platform/ISO8601Date.h"

namespace pellamor {

FeedbackService::FeedbackService(std::optional<SentryConfiguration> configuration, FeedbackMetadata metadata,
    std::shared_ptr<FeedbackTransport> transport)
    : configuration_(std::move(configuration))
    , metadata_(std::move(metadata))
    , transport_(std::move(transport))
{
}

void FeedbackService::send(const FeedbackDraft& draft, std::function<std::optional<std::string>()> associateError,
    std::function<void(FeedbackResult)> completion)
{
    if (state_->sending)
        return completion(FeedbackFailure::invalid(L("Un envoi est déjà en cours.")));
    if (std::optional<std::string> error = draft.validationError())
        return completion(FeedbackFailure::invalid(*error));
    if (!configuration_)
        return completion(FeedbackFailure { FeedbackFailure::Kind::notConfigured, {} });
    state_->sending = true;
    // The same text sent again after a failure is the same event, so that the service never counts it twice.
    if (!state_->pending || !(state_->pending->draft == draft)) {
        std::optional<std::string> associated
            = draft.kind == FeedbackKind::bug && associateError ? associateError() : std::nullopt;
        auto built = FeedbackSubmission::make(draft, *configuration_, metadata_, associated, currentDate(),
            UUID::random());
        if (auto* failure = std::get_if<FeedbackFailure>(&built)) {
            state_->sending = false;
            return completion(*failure);
        }
        state_->pending = std::get<FeedbackSubmission>(std::move(built));
    }
    std::weak_ptr<State> weak = state_;
    transport_->send(state_->pending->request,
        [weak, completion = std::move(completion)](std::optional<FeedbackFailure> failure) {
            auto state = weak.lock();
            if (!state)
                return;
            state->sending = false;
            if (failure)
                return completion(*failure);
            std::string id = state->pending->id;
            state->pending.reset();
            completion(id);
        });
}

} // namespace pellamor
