#include "services/UsageAnalytics.h"

#include "support/LoopbackHTTPSServer.h"
#include "support/TemporaryDirectory.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <QRegularExpression>
#include <fstream>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

const std::string apiKey = "0123456789abcdef0123456789ABCDEF";

// Holds every upload until the test answers it.
class HeldTransport final : public UsageAnalyticsTransport {
public:
    struct Sent {
        URLRequest request;
        std::function<void(bool)> completion;
    };
    class Task final : public URLSessionTask {
    public:
        void cancel() override { cancelled = true; }
        bool cancelled = false;
    };

    std::shared_ptr<URLSessionTask> send(const URLRequest& request, std::function<void(bool)> completion) override
    {
        sent.push_back({ request, std::move(completion) });
        auto task = std::make_shared<Task>();
        tasks.push_back(task);
        return task;
    }
    std::string eventType(std::size_t index) const
    {
        return nlohmann::json::parse(sent.at(index).request.body)["events"][0]["event_type"];
    }

    std::vector<Sent> sent;
    std::vector<std::shared_ptr<Task>> tasks;
};

class UsageAnalyticsTest : public ::testing::Test {
protected:
    std::unique_ptr<UsageAnalytics> make(std::shared_ptr<UsageAnalyticsTransport> transport, int retention = 30)
    {
        return std::make_unique<UsageAnalytics>(UsageAnalyticsConfiguration::make(apiKey, "EU", retention),
            mac.mac().standardDefaults(), std::move(transport), [this] { return PlistDate { date }; },
            [this] { return uptime; });
    }
    void consent() { mac.mac().standardDefaults().set(UsageAnalytics::consentKey, "v1:" + apiKey + ":EU:30"); }

    test::WidgetApplication application;
    test::TestMac mac;
    double date = 1700000000.9;
    double uptime = 100;
    std::shared_ptr<HeldTransport> held = std::make_shared<HeldTransport>();
};

TEST_F(UsageAnalyticsTest, TheExactUploadReachesTheServiceOnlyWithConsent)
{
    test::LoopbackHTTPSServer server;
    server.serve(mac, { "api.eu.amplitude.com" });
    server.script({ test::ScriptedReply::answering(200) });
    auto analytics = make(nullptr);
    analytics->start();
    test::pumpFor(mac, 0.1);
    EXPECT_TRUE(server.requests().empty());

    auto consented = make(nullptr);
    consent();
    EXPECT_TRUE(consented->isEnabled());
    consented->start();
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return server.requests().size() == 1; }));
    const test::ReceivedRequest& request = server.requests()[0];
    // No language, encoding or other header tells the service more about the user.
    EXPECT_EQ(request.raw.substr(0, request.raw.size() - request.body.size()),
        "POST /2/httpapi HTTP/1.1\r\nHost: api.eu.amplitude.com\r\nContent-Type: application/json\r\n"
        "User-Agent: Pellamor-Usage/1\r\nContent-Length: "
            + std::to_string(request.body.size()) + "\r\nConnection: close\r\n\r\n");
    std::string uuid = "[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}";
    // The fraction of a second is dropped, never carried up.
    QRegularExpression expected(QString::fromStdString("^\\{\"api_key\":\"" + apiKey
        + "\",\"events\":\\[\\{\"event_type\":\"app_opened\",\"time\":1700000000000,\"device_id\":\"" + uuid
        + "\",\"insert_id\":\"" + uuid + "\"\\}\\]\\}$"));
    EXPECT_TRUE(expected.match(QString::fromStdString(request.body)).hasMatch()) << request.body;
}

TEST_F(UsageAnalyticsTest, OnlyAnExactReceiptConfirmsAnUpload)
{
    auto answer = [](int status, std::string body) { return URLLoadResult(HTTPResponse { status, std::move(body) }); };
    EXPECT_TRUE(HTTPSUsageAnalyticsTransport::validate(answer(200, R"({"code":200,"events_ingested":1,"x":[]})")));
    for (const URLLoadResult& result : { answer(200, R"({"code":200,"events_ingested":0})"),
             answer(202, R"({"code":200,"events_ingested":1})"), answer(200, R"({"code":"200","events_ingested":1})"),
             answer(200, R"({"code":200,"events_ingested":1.5})"), answer(200, R"({"code":200})"),
             answer(200, R"([200,1])"), answer(200, "OK"), answer(200, ""), answer(301, ""),
             URLLoadResult(URLError::timedOut) })
        EXPECT_FALSE(HTTPSUsageAnalyticsTransport::validate(result));

    test::LoopbackHTTPSServer server;
    server.serve(mac, { "api2.amplitude.com" });
    auto redirect = test::ScriptedReply::answering(302, { { "Location", "https://api2.amplitude.com/x" } });
    auto receipt = test::ScriptedReply::answering(200);
    receipt.body = R"({"code":200,"events_ingested":1})";
    receipt.chunked = true;
    // The receipt may fill 64 KiB, not a byte more.
    auto filling = [&](std::size_t size) {
        auto reply = receipt;
        reply.chunked = false;
        const std::string start = R"({"code":200,"events_ingested":1,"x":")";
        reply.body = start + std::string(size - start.size() - 2, 'x') + R"("})";
        return reply;
    };
    server.script({ redirect, receipt, filling(64 * 1024), filling(64 * 1024 + 1) });
    HTTPSUsageAnalyticsTransport transport;
    std::vector<bool> outcomes;
    URLRequest request { "https://api2.amplitude.com/2/httpapi", "POST", { { "Content-Type", "application/json" } },
        "{}", 10 };
    transport.send(request, [&](bool ok) { outcomes.push_back(ok); });
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return outcomes.size() == 1; }));
    transport.send(request, [&](bool ok) { outcomes.push_back(ok); });
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return outcomes.size() == 2; }));
    for (std::size_t sent = 3; sent <= 4; ++sent) {
        transport.send(request, [&](bool ok) { outcomes.push_back(ok); });
        ASSERT_TRUE(test::pumpUntil(mac, [&] { return outcomes.size() == sent; }));
    }
    EXPECT_EQ(outcomes, (std::vector<bool> { false, true, true, false }));
    EXPECT_EQ(server.requests().size(), 4u);
}

TEST_F(UsageAnalyticsTest, ConsentGivenLaterSendsOnlyInteractionsSpacedByUptime)
{
    auto analytics = make(held);
    analytics->start();
    analytics->recordInteraction();
    consent();
    analytics->recordInteraction();
    mac.advance(0);
    EXPECT_TRUE(held->sent.empty());

    mac.mac().standardDefaults().remove(UsageAnalytics::consentKey);
    analytics->setEnabled(true);
    EXPECT_TRUE(analytics->isEnabled());
    analytics->recordInteraction();
    mac.advance(0);
    ASSERT_EQ(held->sent.size(), 1u);
    EXPECT_EQ(held->eventType(0), "app_interacted");
    held->sent[0].completion(true);

    uptime += 29.9;
    analytics->recordInteraction();
    uptime += 0.1;
    analytics->recordInteraction();
    mac.advance(0);
    ASSERT_EQ(held->sent.size(), 2u);
    analytics->start();
    mac.advance(0);
    EXPECT_EQ(held->sent.size(), 2u);
}

TEST_F(UsageAnalyticsTest, AThirdUploadIsDroppedWithoutStartingTheSpacing)
{
    consent();
    auto analytics = make(held);
    analytics->start();
    // Right after "app_opened", the first interaction goes at once.
    analytics->recordInteraction();
    mac.advance(0);
    ASSERT_EQ(held->sent.size(), 2u);
    EXPECT_EQ(held->eventType(0), "app_opened");
    EXPECT_EQ(held->eventType(1), "app_interacted");
    uptime += 31;
    analytics->recordInteraction();
    mac.advance(0);
    EXPECT_EQ(held->sent.size(), 2u);
    held->sent[0].completion(false);
    uptime += 1;
    analytics->recordInteraction();
    mac.advance(0);
    EXPECT_EQ(held->sent.size(), 3u);
}

TEST_F(UsageAnalyticsTest, WithdrawingOrStoppingDiscardsWhatWaits)
{
    consent();
    auto analytics = make(held);
    analytics->start();
    analytics->setEnabled(false);
    mac.advance(0);
    EXPECT_TRUE(held->sent.empty());
    EXPECT_FALSE(mac.mac().standardDefaults().objectExists(UsageAnalytics::consentKey));

    analytics->setEnabled(true);
    analytics->recordInteraction();
    mac.advance(0);
    ASSERT_EQ(held->sent.size(), 1u);
    analytics->stop();
    EXPECT_TRUE(held->tasks[0]->cancelled);
    analytics->recordInteraction();
    mac.advance(0);
    EXPECT_EQ(held->sent.size(), 1u);
    EXPECT_FALSE(analytics->isRunning());
}

TEST_F(UsageAnalyticsTest, ConsentIsBoundToTheExactConfiguration)
{
    consent();
    EXPECT_TRUE(make(held, 30)->isEnabled());
    EXPECT_FALSE(make(held, 31)->isEnabled());
    EXPECT_EQ(make(held, 31)->retentionDays(), 31);
    EXPECT_EQ(UsageAnalyticsConfiguration::make(apiKey, "US", 1)->endpoint(), "https://api2.amplitude.com/2/httpapi");
    EXPECT_FALSE(UsageAnalyticsConfiguration::make(apiKey.substr(1) + "g", "EU", 30));
    EXPECT_FALSE(UsageAnalyticsConfiguration::make(apiKey, "eu", 30));
    EXPECT_FALSE(UsageAnalyticsConfiguration::make(apiKey, "EU", 0));
    EXPECT_FALSE(UsageAnalyticsConfiguration::make(apiKey, "EU", 366));
    EXPECT_TRUE(UsageAnalyticsConfiguration::make(apiKey, "EU", 365)) << "a year is the longest retention";

    UsageAnalytics unconfigured(std::nullopt, mac.mac().standardDefaults(), held, [] { return PlistDate {}; },
        [] { return 0.0; });
    EXPECT_FALSE(unconfigured.isAvailable());
    EXPECT_FALSE(unconfigured.isEnabled());
    unconfigured.setEnabled(true);
    EXPECT_EQ(mac.mac().standardDefaults().string(UsageAnalytics::consentKey).valueOr(""), "v1:" + apiKey + ":EU:30");

    test::TemporaryDirectory folder;
    // Up to 64 KiB are read.
    auto write = [&](std::size_t size, const std::string& keyName = "APIKey") {
        const std::string start = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict><key>" + keyName
            + "</key><string>" + apiKey + "</string><key>Region</key><string>US</string>"
              "<key>RetentionDays</key><integer>90</integer></dict></plist>";
        std::ofstream(folder.path() / "UsageAnalyticsConfiguration.plist") << start << std::string(size - start.size(), '\n');
        return UsageAnalyticsConfiguration::load(Bundle(folder.path()));
    };
    auto loaded = write(64 * 1024);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->consentScope(), "v1:" + apiKey + ":US:90");
    EXPECT_FALSE(write(64 * 1024 + 1));
    EXPECT_FALSE(write(1024, "Key")) << "no key, no configuration";
    EXPECT_FALSE(UsageAnalyticsConfiguration::load(Bundle(std::filesystem::path())));
}

} // namespace
} // namespace pellamor
