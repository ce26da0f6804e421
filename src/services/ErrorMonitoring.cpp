#include "services/ErrorMonitoring.h"

namespace pellamor {
namespace {

bool started = false;

} // namespace

void ErrorMonitoring::start(std::optional<SentryConfiguration> configuration, const FeedbackMetadata&)
{
    if (!configuration)
        return;
    started = true;
}

void ErrorMonitoring::stop()
{
    started = false;
}

bool ErrorMonitoring::isStarted()
{
    return started;
}

} // namespace pellamor
