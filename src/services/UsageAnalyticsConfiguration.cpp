#include "services/UsageAnalyticsConfiguration.h"


#include <algorithm>

namespace pellamor {
namespace {

constexpr std::size_t maximumConfigurationBytes = 64 * 1024;

} // namespace

std::optional<UsageAnalyticsConfiguration> UsageAnalyticsConfiguration::make(
    const std::string& apiKey, const std::string& region, std::int64_t retentionDays)
{
    bool hexadecimal = apiKey.size() == 32 && std::all_of(apiKey.begin(), apiKey.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
    if (!hexadecimal || retentionDays < 1 || retentionDays > 365)
        return std::nullopt;
    if (region != "EU" && region != "US")
        return std::nullopt;
    return UsageAnalyticsConfiguration { apiKey, region == "EU" ? Region::eu : Region::us, int(retentionDays) };
}

std::optional<UsageAnalyticsConfiguration> UsageAnalyticsConfiguration::load(const Bundle& bundle)
{
    std::optional<PlistDictionary> fields = bundle.dictionaryResource("UsageAnalyticsConfiguration", maximumConfigurationBytes);
    if (!fields)
        return std::nullopt;
    Lookup<std::string> key = lookupString(*fields, "APIKey");
    Lookup<std::string> region = lookupString(*fields, "Region");
    Lookup<std::int64_t> days = lookupInteger(*fields, "RetentionDays");
    if (!key || !region || !days)
        return std::nullopt;
    return make(*key, *region, *days);
}

std::string UsageAnalyticsConfiguration::regionCode() const
{
    return region == Region::eu ? "EU" : "US";
}

std::string UsageAnalyticsConfiguration::endpoint() const
{
    return region == Region::eu ? "https://api.eu.amplitude.com/2/httpapi" : "https://api2.amplitude.com/2/httpapi";
}

std::string UsageAnalyticsConfiguration::consentScope() const
{
    return "v1:" + apiKey + ":" + regionCode() + ":" + std::to_string(retentionDays);
}

} // namespace pellamor
