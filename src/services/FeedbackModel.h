// What a feedback report carries: its kind, the user's draft and whether it may be sent, the application's
// version, build and system version.
#pragma once

#include "platform/PlistValue.h"
// trimmedText, shared with the window titles.
#include "windows/DesktopWindow.h"

#include <array>
#include <optional>
#include <string>

namespace pellamor {

enum class FeedbackKind { bug, improvement, feature };

inline constexpr std::array<FeedbackKind, 3> allFeedbackKinds { FeedbackKind::bug, FeedbackKind::improvement,
    FeedbackKind::feature };

std::string feedbackKindRawValue(FeedbackKind kind);
// Exactly "bug", "improvement" or "feature".
std::optional<FeedbackKind> feedbackKindFromRawValue(const std::string& rawValue);
std::string feedbackKindTitle(FeedbackKind kind);
std::string feedbackKindPrompt(FeedbackKind kind);

struct FeedbackDraft {
    FeedbackDraft(FeedbackKind kind = FeedbackKind::bug, std::string message = {}, std::string email = {},
        std::string errorText = {}, std::string source = "help")
        : kind(kind)
        , message(std::move(message))
        , email(std::move(email))
        , errorText(std::move(errorText))
        , source(std::move(source))
    {
    }

    FeedbackKind kind = FeedbackKind::bug;
    std::string message;
    std::string email;
    // Only meaningful for a bug.
    std::string errorText;
    // Where the form was opened from: "help", "automatic_switching", "project_displays", "startup".
    std::string source = "help";

    // The first rule the draft breaks, as a message for the user; none when it may be sent.
    std::optional<std::string> validationError() const;

    // Texts compare by canonical equivalence, as the user sees them.
    friend bool operator==(const FeedbackDraft& a, const FeedbackDraft& b);
};

// User-perceived characters (grapheme clusters).
std::size_t perceivedLength(const std::string& text);

struct FeedbackMetadata {
    std::string version;
    std::string build;
    std::string osVersion;

    // "pellamor@" + version + "+" + build.
    std::string release() const { return "pellamor@" + version + "+" + build; }

    // From the main bundle's information, "unknown" for what it lacks, and the running system.
    static FeedbackMetadata current();
    static FeedbackMetadata fromInfo(const PlistDictionary& info, std::string osVersion);

    friend bool operator==(const FeedbackMetadata&, const FeedbackMetadata&) = default;
};

} // namespace pellamor
