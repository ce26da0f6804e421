// How a feedback envelope reaches the service: an interface, and its HTTPS sender.
#pragma once

#include "platform/URLSession.h"
#include "services/FeedbackFailure.h"

#include <functional>
#include <memory>
#include <optional>

namespace pellamor {

class FeedbackTransport {
public:
    virtual ~FeedbackTransport() = default;
    // The completion runs once on the main thread: none when the service accepted the envelope.
    virtual void send(const URLRequest& request, std::function<void(std::optional<FeedbackFailure>)> completion)
        = 0;
};

class HTTPSFeedbackTransport final : public FeedbackTransport {
public:
    void send(const URLRequest& request, std::function<void(std::optional<FeedbackFailure>)> completion) override;

    // 429 rate-limited, 2xx accepted, anything else rejected.
    static std::optional<FeedbackFailure> validate(int status);

private:
    // Made on first use: 20 s without progress, 30 s in all; the answer's body is never read.
    std::unique_ptr<URLSession> session_;
};

} // namespace pellamor
