// DSN rules: any text gives a configuration whose parts are those of the text, or none.
#include "platform/URLComponents.h"
#include "services/SentryConfiguration.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string dsn(reinterpret_cast<const char*>(data), size);
    std::optional<pellamor::URLComponents> url = pellamor::URLComponents::parse(dsn);
    if (url && url->scheme.empty())
        std::abort();
    auto configuration = pellamor::SentryConfiguration::make(dsn, "production");
    if (!configuration)
        return 0;
    if (!url || configuration->dsn != dsn || configuration->publicKey.size() != 32 || url->port || url->query
        || url->fragment || url->password || !configuration->endpoint.starts_with("https://" + *url->host + "/api/")
        || !configuration->endpoint.ends_with("/envelope/"))
        std::abort();
    return 0;
}
