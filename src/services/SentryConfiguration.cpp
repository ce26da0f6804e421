#include "services/SentryConfiguration.h"

#include "platform/URLComponents.h"

#include <algorithm>

namespace pellamor {
namespace {

// Bundle resources are small; a larger file is not a configuration.
constexpr std::size_t maximumConfigurationBytes = 64 * 1024;

bool isServiceHost(const std::string& host)
{
    // A percent escape or any other character outside a DNS name would pass the suffix test, and then be
    // refused by the network layer at every send.
    if (!std::all_of(host.begin(), host.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        }))
        return false;
    // Compared as written: a host in other letter cases is not the service's.
    if (host == sentryDomain)
        return true;
    for (std::string suffix : { ".ingest.", ".ingest.us.", ".ingest.de." }) {
        suffix += sentryDomain;
        if (host.size() > suffix.size() && host.ends_with(suffix))
            return true;
    }
    return false;
}

bool isPublicKey(const std::string& key)
{
    return key.size() == 32 && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

std::optional<std::string> projectID(const std::string& path)
{
    if (path.size() < 2 || path.front() != '/')
        return std::nullopt;
    std::string digits = path.substr(1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return digits;
}

} // namespace

std::optional<SentryConfiguration> SentryConfiguration::make(const std::string& dsn, const std::string& environment)
{
    std::optional<URLComponents> url = URLComponents::parse(dsn);
    if (!url || url->scheme != "https")
        return std::nullopt;
    if (!url->host || !isServiceHost(*url->host))
        return std::nullopt;
    if (url->password || url->port || url->query || url->fragment)
        return std::nullopt;
    if (!url->user || !isPublicKey(*url->user))
        return std::nullopt;
    std::optional<std::string> project = projectID(url->path);
    if (!project)
        return std::nullopt;
    if (environment != "production" && environment != "development" && environment != "test")
        return std::nullopt;
    return SentryConfiguration { dsn, "https://" + *url->host + "/api/" + *project + "/envelope/", *url->user,
        environment };
}

std::optional<SentryConfiguration> SentryConfiguration::load(const Bundle& bundle)
{
    std::optional<PlistDictionary> fields = bundle.dictionaryResource("SentryConfiguration", maximumConfigurationBytes);
    if (!fields)
        return std::nullopt;
    Lookup<std::string> dsn = lookupString(*fields, "DSN");
    Lookup<std::string> environment = lookupString(*fields, "Environment");
    if (!dsn || !environment)
        return std::nullopt;
    return make(*dsn, *environment);
}

} // namespace pellamor
