#include "services/FeedbackService.h"

namespace pellamor {

FeedbackService::FeedbackService(std::optional<SentryConfiguration> configuration, FeedbackMetadata metadata)
    : configuration_(std::move(configuration))
    , metadata_(std::move(metadata))
{
}

} // namespace pellamor
