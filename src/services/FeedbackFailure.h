// Why a feedback report was not sent, with the text the form shows.
#pragma once

#include <string>

namespace pellamor {

struct FeedbackFailure {
    enum class Kind {
        // The draft breaks a rule, or a send is running; `message` says which.
        invalid,
        notConfigured,
        network,
        rejected,
        rateLimited,
        // The report could not be written as JSON.
        unencodable,
    };
    Kind kind = Kind::network;
    std::string message;

    static FeedbackFailure invalid(std::string message) { return { Kind::invalid, std::move(message) }; }
    std::string errorDescription() const;
    friend bool operator==(const FeedbackFailure&, const FeedbackFailure&) = default;
};

} // namespace pellamor
