// The crash-reporting service's validated destination, read from the bundle's "SentryConfiguration.plist".
#pragma once

#include "platform/Bundle.h"

#include <optional>
#include <string>

namespace pellamor {

// The service's own domain; a DSN's host is that domain or one of its ingest sub-domains.
inline constexpr const char* sentryDomain = "sentry.io";

struct SentryConfiguration {
    // As configured.
    std::string dsn;
    // Where feedback envelopes go: "https://<host>/api/<project>/envelope/".
    std::string endpoint;
    // 32 hexadecimal digits.
    std::string publicKey;
    // "production", "development" or "test".
    std::string environment;

    // None when a rule fails: an https URL on the service's hosts, a 32-digit key as its user, "/<digits>" as
    // its path, no password, port, query or fragment; a known environment.
    static std::optional<SentryConfiguration> make(const std::string& dsn, const std::string& environment);
    // The bundle's "SentryConfiguration.plist" with the strings "DSN" and "Environment"; none when unusable.
    static std::optional<SentryConfiguration> load(const Bundle& bundle = Bundle::main());

    friend bool operator==(const SentryConfiguration&, const SentryConfiguration&) = default;
};

} // namespace pellamor
