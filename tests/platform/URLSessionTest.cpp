#include "platform/URLSession.h"

#include "support/LoopbackHTTPSServer.h"
#include "support/TestCertificates.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace pellamor {
namespace {

TEST(URLSessionTest, AnAddressThatIsNotAWellFormedWebAddressIsRefusedWithoutConnecting)
{
    test::WidgetApplication application;
    test::TestMac mac;
    test::LoopbackHTTPSServer server;
    server.serve(mac, { "service.example" });
    URLSession session({});
    for (const char* url : { "https://service.example/a b", "ftp://service.example/", "https:///envelope" }) {
        std::optional<URLLoadResult> result;
        auto task = session.dataTask({ url }, [&](URLLoadResult outcome) { result = outcome; });
        ASSERT_TRUE(test::pumpUntil(mac, [&] { return result.has_value(); })) << url;
        const URLError* error = std::get_if<URLError>(&*result);
        ASSERT_TRUE(error) << url;
        EXPECT_EQ(*error, URLError::cannotConnect) << url;
    }
    test::pumpFor(mac, 0.1);
    EXPECT_TRUE(server.requests().empty());
}

TEST(URLSessionTest, ACertificateWhoseAlternativeNamesLeaveTheHostOutIsRefusedBeforeAByteIsSent)
{
    test::WidgetApplication application;
    test::TestMac mac;
    const test::TestCertificates& certificates = test::TestCertificates::shared();
    test::LoopbackHTTPSServer server(certificates.commonNameLeaf, certificates.leafKey);
    const std::string host = test::TestCertificates::commonNameHost;
    server.serve(mac, { host });
    URLSession session({});
    std::vector<URLLoadResult> results;
    URLRequest request { "https://" + host + "/envelope", "POST", {}, "{}" };
    auto task = session.dataTask(request, [&](URLLoadResult outcome) { results.push_back(outcome); });
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return !results.empty(); }));
    test::pumpFor(mac, 0.1);
    ASSERT_EQ(results.size(), 1u);
    const URLError* error = std::get_if<URLError>(&results[0]);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, URLError::secureConnectionFailed);
    EXPECT_EQ(server.receivedBytes(), 0u);
}

} // namespace
} // namespace pellamor
