// Where and how usage analytics are sent, read from the bundle's "UsageAnalyticsConfiguration.plist".
#pragma once

#include "platform/Bundle.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pellamor {

struct UsageAnalyticsConfiguration {
    enum class Region { eu, us };

    // 32 hexadecimal digits.
    std::string apiKey;
    Region region = Region::eu;
    // 1 to 365.
    int retentionDays = 0;

    // None unless the key has 32 hexadecimal digits, the region is exactly "EU" or "US" and the retention is 1
    // to 365 days.
    static std::optional<UsageAnalyticsConfiguration> make(
        const std::string& apiKey, const std::string& region, std::int64_t retentionDays);
    // The strings "APIKey" and "Region" and the integer "RetentionDays"; none when anything is amiss.
    static std::optional<UsageAnalyticsConfiguration> load(const Bundle& bundle = Bundle::main());

    // "EU" or "US".
    std::string regionCode() const;
    // The service's HTTP API for the region.
    std::string endpoint() const;
    // What the user's consent is bound to: "v1:<key>:<region>:<days>".
    std::string consentScope() const;
};

} // namespace pellamor
