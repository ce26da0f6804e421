// The one sender of feedback reports; without a configuration it cannot send.
#pragma once

#include "services/FeedbackModel.h"

#include <optional>

namespace pellamor {

class FeedbackService {
public:
    FeedbackService(std::optional<SentryConfiguration> configuration = SentryConfiguration::load(),
        FeedbackMetadata metadata = FeedbackMetadata::current());

    bool isConfigured() const { return configuration_.has_value(); }
    const FeedbackMetadata& metadata() const { return metadata_; }

private:
    std::optional<SentryConfiguration> configuration_;
    FeedbackMetadata metadata_;
};

} // namespace pellamor
