// What a feedback report carries: its kind, the user's draft, the application's metadata, the service address.
#pragma once

#include "platform/PlistValue.h"

#include <optional>
#include <string>

namespace pellamor {

enum class FeedbackKind { bug, improvement, feature };

std::string feedbackKindRawValue(FeedbackKind kind);

struct FeedbackDraft {
    FeedbackKind kind = FeedbackKind::bug;
    std::string message;
    std::string email;
    std::string errorText;
    std::string source = "help";
    friend bool operator==(const FeedbackDraft&, const FeedbackDraft&) = default;
};

struct FeedbackMetadata {
    std::string version;
    std::string build;
    std::string osVersion;

    // From the bundle's information; "unknown" for what it lacks.
    static FeedbackMetadata current();
    static FeedbackMetadata fromInfo(const PlistDictionary& info, std::string osVersion);
};

// The crash-reporting service's address; none when the bundle configures none.
struct SentryConfiguration {
    std::string dsn;
    std::string environment;

    static std::optional<SentryConfiguration> load();
};

} // namespace pellamor
