// Crash and error reporting; it starts only with a configuration.
#pragma once

#include "services/FeedbackModel.h"
#include "services/SentryConfiguration.h"

#include <optional>

namespace pellamor {

class ErrorMonitoring {
public:
    static void start(std::optional<SentryConfiguration> configuration = SentryConfiguration::load(),
        const FeedbackMetadata& metadata = FeedbackMetadata::current());
    static void stop();
    static bool isStarted();
};

} // namespace pellamor
