// The one sender of feedback reports: validates, sends one report at a time, and re-sends an unconfirmed
// report unchanged when the same draft is sent again.
#pragma once

#include "services/FeedbackFailure.h"
#include "services/FeedbackModel.h"
#include "services/FeedbackSubmission.h"
#include "services/FeedbackTransport.h"
#include "services/SentryConfiguration.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace pellamor {

// The confirmed report's event id, or why it was not sent.
using FeedbackResult = std::variant<std::string, FeedbackFailure>;

class FeedbackService {
public:
    explicit FeedbackService(std::optional<SentryConfiguration> configuration = SentryConfiguration::load(),
        FeedbackMetadata metadata = FeedbackMetadata::current(),
        std::shared_ptr<FeedbackTransport> transport = std::make_shared<HTTPSFeedbackTransport>());

    const std::optional<SentryConfiguration>& configuration() const { return configuration_; }
    bool isConfigured() const { return configuration_.has_value(); }
    const FeedbackMetadata& metadata() const { return metadata_; }
    bool isSending() const { return state_->sending; }

    // Main thread. The completion runs once: at once for a refusal (busy, invalid, not configured), else when
    // the transport answers. `associateError` gives the id of an error event to link; it is asked only for a
    // bug, and only when a new report is built.
    void send(const FeedbackDraft& draft, std::function<std::optional<std::string>()> associateError,
        std::function<void(FeedbackResult)> completion);

private:
    struct State {
        bool sending = false;
        // The last built report the service has not confirmed.
        std::optional<FeedbackSubmission> pending;
    };

    std::optional<SentryConfiguration> configuration_;
    FeedbackMetadata metadata_;
    std::shared_ptr<FeedbackTransport> transport_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace pellamor
