#include "services/FeedbackModel.h"

#include "platform/Bundle.h"
#include "platform/FileContents.h"
#include "platform/PropertyList.h"

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
    return { lookupString(info, "CFBundleShortVersionString").valueOr("unknown"),
        lookupString(info, "CFBundleVersion").valueOr("unknown"), std::move(osVersion) };
}

FeedbackMetadata FeedbackMetadata::current()
{
    return fromInfo(Bundle::main().infoDictionary(), "unknown");
}

std::optional<SentryConfiguration> SentryConfiguration::load()
{
    std::optional<std::filesystem::path> url = Bundle::main().url("SentryConfiguration", "plist");
    if (!url)
        return std::nullopt;
    FileRead file = readFileContents(*url, maxPropertyListBytes);
    std::optional<PlistValue> value
        = file.status == FileRead::Status::read ? parsePropertyList(file.contents) : std::nullopt;
    const PlistDictionary* fields = value ? value->asDictionary() : nullptr;
    if (!fields)
        return std::nullopt;
    Lookup<std::string> dsn = lookupString(*fields, "DSN");
    Lookup<std::string> environment = lookupString(*fields, "Environment");
    if (!dsn || !environment)
        return std::nullopt;
    return SentryConfiguration { *dsn, *environment };
}

} // namespace pellamor
