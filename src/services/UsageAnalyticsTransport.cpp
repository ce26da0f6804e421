#include "services/UsageAnalyticsTransport.h"

#include <nlohmann/json.hpp>

namespace pellamor {
namespace {

// The service's receipt is a few dozen bytes.
constexpr std::size_t maximumReceiptBytes = 64 * 1024;

bool holdsInteger(const nlohmann::json& receipt, const char* key, std::int64_t expected)
{
    auto found = receipt.find(key);
    return found != receipt.end() && found->is_number_integer() && found->get<std::int64_t>() == expected;
}

} // namespace

HTTPSUsageAnalyticsTransport::HTTPSUsageAnalyticsTransport()
    : session_(std::make_unique<URLSession>(
        URLSessionConfiguration { 10, 10, { { "User-Agent", "Pellamor-Usage/1" } }, maximumReceiptBytes }))
{
}

std::shared_ptr<URLSessionTask> HTTPSUsageAnalyticsTransport::send(
    const URLRequest& request, std::function<void(bool)> completion)
{
    return session_->dataTask(
        request, [completion = std::move(completion)](URLLoadResult result) { completion(validate(result)); });
}

bool HTTPSUsageAnalyticsTransport::validate(const URLLoadResult& result)
{
    const HTTPResponse* response = std::get_if<HTTPResponse>(&result);
    if (!response || response->statusCode != 200)
        return false;
    nlohmann::json receipt = nlohmann::json::parse(response->body, nullptr, false);
    return receipt.is_object() && holdsInteger(receipt, "code", 200) && holdsInteger(receipt, "events_ingested", 1);
}

} // namespace pellamor
