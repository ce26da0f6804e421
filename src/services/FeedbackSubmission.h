// A feedback report as it leaves: one "feedback" envelope posted to the crash-reporting service.
#pragma once

#include "platform/PlistValue.h"
#include "platform/URLSession.h"
#include "platform/UUID.h"
#include "services/FeedbackFailure.h"
#include "services/FeedbackModel.h"
#include "services/SentryConfiguration.h"

#include <optional>
#include <string>
#include <variant>

namespace pellamor {

struct FeedbackSubmission {
    // 32 lower-case hexadecimal digits.
    std::string id;
    FeedbackDraft draft;
    URLRequest request;

    // `invalid` when the draft breaks a rule, `unencodable` when a text is not valid UTF-8.
    static std::variant<FeedbackSubmission, FeedbackFailure> make(const FeedbackDraft& draft,
        const SentryConfiguration& configuration, const FeedbackMetadata& metadata,
        const std::optional<std::string>& associatedEventID, PlistDate now, const UUID& id);
};

// "Sentry sentry_version=7,sentry_key=<key>,sentry_client=pellamor/1".
std::string sentryAuthHeader(const std::string& publicKey);

} // namespace pellamor
