#include "services/FeedbackSubmission.h"

#include "platform/ISO8601Date.h"
#include "platform/JSONEncoding.h"
#include "windows/DesktopWindow.h"


namespace pellamor {
namespace {

std::string feedbackMessage(const FeedbackDraft& draft)
{
    std::string text = "[" + feedbackKindRawValue(draft.kind) + "] " + trimmedText(draft.message);
    if (draft.kind == FeedbackKind::bug && !draft.errorText.empty())
        text += "\n\nReported error:\n" + draft.errorText;
    return text;
}

} // namespace

std::string sentryAuthHeader(const std::string& publicKey)
{
    return "Sentry sentry_version=7,sentry_key=" + publicKey + ",sentry_client=pellamor/1";
}

// The envelope's bytes: three lines of compact JSON, each ended by one line feed. Text is written as raw UTF-8
// with "/" escaped as "\/" and control characters as JSON escapes, as the platform's serialiser writes it; the
// event's members are sorted at every level, the two headers keep the order written here.
std::variant<FeedbackSubmission, FeedbackFailure> FeedbackSubmission::make(const FeedbackDraft& draft,
    const SentryConfiguration& configuration, const FeedbackMetadata& metadata,
    const std::optional<std::string>& associatedEventID, PlistDate now, const UUID& id)
{
    if (std::optional<std::string> error = draft.validationError())
        return FeedbackFailure::invalid(*error);
    std::string eventID = id.hexString();

    nlohmann::json feedback { { "message", feedbackMessage(draft) }, { "source", "custom" } };
    std::string email = trimmedText(draft.email);
    if (!email.empty())
        feedback["contact_email"] = email;
    if (draft.kind == FeedbackKind::bug && associatedEventID)
        feedback["associated_event_id"] = *associatedEventID;
    std::optional<std::string> timestamp = formatISO8601Date(now);
    if (!timestamp)
        return FeedbackFailure { FeedbackFailure::Kind::unencodable, {} };
    nlohmann::json event {
        { "event_id", eventID },
        { "type", "feedback" },
        { "platform", "cocoa" },
        { "timestamp", *timestamp },
        { "release", metadata.release() },
        { "dist", metadata.build },
        { "environment", configuration.environment },
        { "tags", { { "feedback.kind", feedbackKindRawValue(draft.kind) }, { "feedback.source", draft.source } } },
        { "contexts", { { "feedback", feedback }, { "os", { { "name", "macOS" }, { "version", metadata.osVersion } } } } },
        { "user", { { "ip_address", "0.0.0.0" } } },
    };
    std::optional<std::string> eventLine = encodeSortedJSON(event);
    if (!eventLine)
        return FeedbackFailure { FeedbackFailure::Kind::unencodable, {} };
    nlohmann::ordered_json envelopeHeader;
    envelopeHeader["event_id"] = eventID;
    envelopeHeader["dsn"] = configuration.dsn;
    nlohmann::ordered_json itemHeader;
    itemHeader["type"] = "feedback";
    itemHeader["length"] = eventLine->size();
    std::optional<std::string> envelopeLine = encodeJSON(envelopeHeader);
    std::optional<std::string> itemLine = encodeJSON(itemHeader);
    if (!envelopeLine || !itemLine)
        return FeedbackFailure { FeedbackFailure::Kind::unencodable, {} };

    URLRequest request;
    request.url = configuration.endpoint;
    request.method = "POST";
    request.timeoutInterval = 20;
    request.body = *envelopeLine + "\n" + *itemLine + "\n" + *eventLine + "\n";
    request.headers = { { "Content-Type", "application/x-sentry-envelope" },
        { "X-Sentry-Auth", sentryAuthHeader(configuration.publicKey) } };
    return FeedbackSubmission { eventID, draft, std::move(request) };
}

} // namespace pellamor
