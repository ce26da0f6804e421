#include "platform/SentrySDK.h"

#include "platform/Platform.h"
#include "platform/SentryClient.h"

namespace pellamor {
namespace {

struct SentryHub {
    std::shared_ptr<SentryClient> client;
};

SentryHub& hub()
{
    return platform().shared<SentryHub>([] { return std::make_unique<SentryHub>(); });
}

} // namespace

void SentrySDK::start(const std::function<void(SentryOptions&)>& configure)
{
    close();
    SentryOptions options;
    configure(options);
    std::optional<SentryClient::Destination> destination = SentryClient::destination(options.dsn);
    if (!destination)
        return;
    hub().client = std::make_shared<SentryClient>(std::move(options), std::move(*destination));
    hub().client->start();
}

std::string SentrySDK::capture(SentryEvent event)
{
    if (!hub().client)
        return std::string(32, '0');
    return hub().client->capture(std::move(event));
}

void SentrySDK::close()
{
    hub().client.reset();
}

bool SentrySDK::isEnabled()
{
    return hub().client != nullptr;
}

std::optional<SentryOptions> SentrySDK::options()
{
    if (!hub().client)
        return std::nullopt;
    return hub().client->options();
}

} // namespace pellamor
