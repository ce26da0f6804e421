#include "services/FeedbackTransport.h"

namespace pellamor {

std::optional<FeedbackFailure> HTTPSFeedbackTransport::validate(int status)
{
    if (status == 429)
        return FeedbackFailure { FeedbackFailure::Kind::rateLimited, {} };
    if (status >= 200 && status <= 299)
        return std::nullopt;
    return FeedbackFailure { FeedbackFailure::Kind::rejected, {} };
}

void HTTPSFeedbackTransport::send(
    const URLRequest& request, std::function<void(std::optional<FeedbackFailure>)> completion)
{
    if (!session_)
        session_ = std::make_unique<URLSession>(URLSessionConfiguration { 20, 30, {}, 0 });
    session_->dataTask(request, [completion = std::move(completion)](URLLoadResult result) {
        // A refused redirect arrives here as its own 3xx answer.
        if (auto* response = std::get_if<HTTPResponse>(&result))
            return completion(validate(response->statusCode));
        completion(FeedbackFailure { FeedbackFailure::Kind::network, {} });
    });
}

} // namespace pellamor
