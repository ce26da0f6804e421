#include "services/FeedbackModel.h"

namespace pellamor {

std::string feedbackKindRawValue(FeedbackKind kind)
{
    switch (kind) {
    case FeedbackKind::bug:
        return "bug";
    case FeedbackKind::improvement:
        return "improvement";
    case FeedbackKind::feature:
        return "feature";
    }
    return "bug";
}

FeedbackMetadata FeedbackMetadata::fromInfo(const PlistDictionary& info, std::string osVersion)
{
    return {lookupString(info, "CFBundleShortVersionString").valueOr("unknown"),
            lookupString(info, "CFBundleVersion").valueOr("unknown"), std::move(osVersion)};
}

FeedbackMetadata FeedbackMetadata::current() { return fromInfo({}, "unknown"); }

std::optional<SentryConfiguration> SentryConfiguration::load() { return std::nullopt; }

} // namespace pellamor
