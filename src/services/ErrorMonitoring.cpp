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

std::string ErrorMonitoring::associateReportedError(const std::string&)
{
    return std::string(32, '0');
}

bool ErrorMonitoring::isStarted()
{
    return started;
}

} // namespace pellamor
