#include "platform/URLSession.h"

#include "support/LoopbackHTTPSServer.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <gtest/gtest.h>
#include <optional>

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

} // namespace
} // namespace pellamor
