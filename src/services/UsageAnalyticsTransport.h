// How usage uploads reach the analytics service: an interface, and its HTTPS sender.
#pragma once

#include "platform/URLSession.h"

#include <functional>
#include <memory>

namespace pellamor {

class UsageAnalyticsTransport {
public:
    virtual ~UsageAnalyticsTransport() = default;
    // The completion runs once on the main thread, true when the service confirmed the upload; cancelling the
    // returned task ends it as a failure.
    virtual std::shared_ptr<URLSessionTask> send(const URLRequest& request, std::function<void(bool)> completion)
        = 0;
};

class HTTPSUsageAnalyticsTransport final : public UsageAnalyticsTransport {
public:
    HTTPSUsageAnalyticsTransport();

    std::shared_ptr<URLSessionTask> send(const URLRequest& request, std::function<void(bool)> completion) override;

    // Accepted only as HTTP 200 whose JSON body holds the integers "code" 200 and "events_ingested" 1.
    static bool validate(const URLLoadResult& result);

private:
    // Destroyed with the transport, cancelling what is outstanding.
    std::unique_ptr<URLSession> session_;
};

} // namespace pellamor
