// Crash and error reporting through the crash-reporting SDK, with every automatic collection off and every event
// scrubbed before it leaves. It starts only with a configuration.
#pragma once

#include "platform/SentryEvent.h"
#include "services/FeedbackModel.h"
#include "services/SentryConfiguration.h"

#include <optional>
#include <string>

namespace pellamor {

class ErrorMonitoring {
public:
    static void start(std::optional<SentryConfiguration> configuration = SentryConfiguration::load(),
        const FeedbackMetadata& metadata = FeedbackMetadata::current());
    static void stop();
    static bool isStarted();
    // Captures the error event a bug report is about and gives its id.
    static std::string associateReportedError(const std::string& source);
    // The SDK's before-send hook, on its own thread: keeps the event, without personal or environment data.
    static std::optional<SentryEvent> sanitize(SentryEvent event);

private:
    static void clean(std::optional<SentryStacktrace>& stacktrace);
};

} // namespace pellamor
