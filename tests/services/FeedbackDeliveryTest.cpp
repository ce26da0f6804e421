#include "services/FeedbackService.h"

#include "support/LoopbackHTTPSServer.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

const std::string host = "o17.ingest.de.sentry.io";
const std::string dsn = "https://0123456789abcdef0123456789ABCDEF@" + host + "/17";
const FeedbackMetadata metadata { "1.2", "34", "14.5.0" };

SentryConfiguration configuration()
{
    return *SentryConfiguration::make(dsn, "test");
}

TEST(FeedbackSubmissionTest, TheEnvelopeIsBuiltByteForByte)
{
    test::TestMac mac;
    FeedbackDraft draft { FeedbackKind::bug, "  é🙂\nfin  ", " moi@exemple.fr ", "Erreur / détail\n",
        "automatic_switching" };
    auto built = FeedbackSubmission::make(draft, configuration(), metadata, std::string("4c1f"),
        PlistDate { 1700000000.75 }, *UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
    ASSERT_TRUE(std::holds_alternative<FeedbackSubmission>(built));
    const FeedbackSubmission& submission = std::get<FeedbackSubmission>(built);
    EXPECT_EQ(submission.id, "e621e1f8c36c495a93fc0c247a3e6e5f");

    std::string event = "{\"contexts\":{\"feedback\":{\"associated_event_id\":\"4c1f\","
                        "\"contact_email\":\"moi@exemple.fr\",\"message\":\"[bug] é🙂\\nfin\\n\\nReported error:\\n"
                        "Erreur \\/ détail\\n\",\"source\":\"custom\"},\"os\":{\"name\":\"macOS\",\"version\":\"14.5.0\"}},"
                        "\"dist\":\"34\",\"environment\":\"test\",\"event_id\":\"e621e1f8c36c495a93fc0c247a3e6e5f\","
                        "\"platform\":\"cocoa\",\"release\":\"pellamor@1.2+34\",\"tags\":{\"feedback.kind\":\"bug\","
                        "\"feedback.source\":\"automatic_switching\"},\"timestamp\":\"2023-11-14T22:13:20Z\","
                        "\"type\":\"feedback\",\"user\":{\"ip_address\":\"0.0.0.0\"}}";
    // "length" counts bytes: "é" and "🙂" are six of them for two characters.
    EXPECT_EQ(event.size(), 500u);
    std::string expected = "{\"event_id\":\"e621e1f8c36c495a93fc0c247a3e6e5f\",\"dsn\":\"https:\\/\\/"
                           "0123456789abcdef0123456789ABCDEF@o17.ingest.de.sentry.io\\/17\"}\n"
                           "{\"type\":\"feedback\",\"length\":500}\n"
        + event + "\n";
    EXPECT_EQ(submission.request.body, expected);
    EXPECT_EQ(submission.request.url, "https://o17.ingest.de.sentry.io/api/17/envelope/");
    EXPECT_EQ(submission.request.method, "POST");
    EXPECT_EQ(submission.request.timeoutInterval, 20);
}

TEST(FeedbackSubmissionTest, OnlyABugCarriesTheErrorAndItsEvent)
{
    test::TestMac mac;
    auto body = [](FeedbackDraft draft) {
        auto built = FeedbackSubmission::make(
            draft, configuration(), metadata, std::string("4c1f"), PlistDate { 0 }, UUID::random());
        return std::get<FeedbackSubmission>(built).request.body;
    };
    std::string improvement = body({ FeedbackKind::improvement, " Idée ", "   ", "Erreur" });
    EXPECT_NE(improvement.find("\"message\":\"[improvement] Idée\""), std::string::npos);
    EXPECT_EQ(improvement.find("associated_event_id"), std::string::npos);
    EXPECT_EQ(improvement.find("Erreur"), std::string::npos);
    EXPECT_EQ(improvement.find("contact_email"), std::string::npos);
    std::string bug = body({ FeedbackKind::bug, " Panne " });
    EXPECT_NE(bug.find("\"message\":\"[bug] Panne\",\"source\""), std::string::npos);
    auto invalid = FeedbackSubmission::make({ FeedbackKind::bug, " " }, configuration(), metadata, std::nullopt,
        PlistDate { 0 }, UUID::random());
    EXPECT_EQ(std::get<FeedbackFailure>(invalid).kind, FeedbackFailure::Kind::invalid);
}

TEST(FeedbackSubmissionTest, TextThatIsNotUTF8IsRefusedInTheUsersLanguage)
{
    auto failure = [](const std::string& languages) {
        test::TestMac mac({ languages });
        auto built = FeedbackSubmission::make({ FeedbackKind::bug, "Panne", "", "Erreur \xff" }, configuration(), metadata,
            std::nullopt, PlistDate { 0 }, UUID::random());
        const FeedbackFailure& refused = std::get<FeedbackFailure>(built);
        EXPECT_EQ(refused.kind, FeedbackFailure::Kind::unencodable);
        return refused.errorDescription();
    };
    EXPECT_EQ(failure("fr-FR"),
        "Le message n’a pas pu être préparé pour l’envoi. Ton texte est conservé. Contacte le support.");
    EXPECT_EQ(failure("en-GB"), "The message could not be prepared for sending. Your text is kept. Contact support.");
}

class FeedbackDeliveryTest : public ::testing::Test {
protected:
    void SetUp() override { server.serve(mac, { host }); }

    std::optional<FeedbackResult> sendAndWait(FeedbackService& service, const FeedbackDraft& draft,
        std::function<std::optional<std::string>()> associate = {})
    {
        std::optional<FeedbackResult> result;
        service.send(draft, std::move(associate), [&](FeedbackResult outcome) { result = std::move(outcome); });
        test::pumpUntil(mac, [&] { return result.has_value(); });
        return result;
    }

    std::optional<FeedbackFailure::Kind> failureOf(std::optional<FeedbackResult> result)
    {
        if (!result)
            return std::nullopt;
        if (auto* failure = std::get_if<FeedbackFailure>(&*result))
            return failure->kind;
        return std::nullopt;
    }

    test::WidgetApplication application;
    test::TestMac mac;
    test::LoopbackHTTPSServer server;
    FeedbackDraft draft { FeedbackKind::bug, "Écran noir" };
};

TEST_F(FeedbackDeliveryTest, TheServerReceivesOneEnvelopeForTheServiceHost)
{
    FeedbackService service(configuration(), metadata);
    auto result = sendAndWait(service, draft);
    ASSERT_TRUE(result && std::holds_alternative<std::string>(*result));
    ASSERT_EQ(server.requests().size(), 1u);
    const test::ReceivedRequest& request = server.requests()[0];
    // No language, agent or encoding header tells the service more about the user.
    EXPECT_EQ(request.raw.substr(0, request.raw.size() - request.body.size()),
        "POST /api/17/envelope/ HTTP/1.1\r\nHost: " + host
            + "\r\nContent-Type: application/x-sentry-envelope\r\nX-Sentry-Auth: Sentry sentry_version=7,"
              "sentry_key=0123456789abcdef0123456789ABCDEF,sentry_client=pellamor/1\r\nContent-Length: "
            + std::to_string(request.body.size()) + "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(request.body.substr(0, 46), "{\"event_id\":\"" + std::get<std::string>(*result) + "\"");
    EXPECT_FALSE(service.isSending());
}

TEST_F(FeedbackDeliveryTest, AnAnswerArrivingAfterTheServiceWentCallsNothing)
{
    struct HeldTransport : FeedbackTransport {
        void send(const URLRequest&, std::function<void(std::optional<FeedbackFailure>)> completion) override
        {
            held = std::move(completion);
        }
        std::function<void(std::optional<FeedbackFailure>)> held;
    };
    auto transport = std::make_shared<HeldTransport>();
    bool answered = false;
    {
        FeedbackService service(configuration(), metadata, transport);
        service.send(draft, {}, [&](FeedbackResult) { answered = true; });
    }
    ASSERT_TRUE(transport->held);
    transport->held(std::nullopt);
    EXPECT_FALSE(answered);
}

TEST_F(FeedbackDeliveryTest, StatusesMapToOutcomes)
{
    struct Case {
        int status;
        std::optional<FeedbackFailure::Kind> failure;
    };
    using Kind = FeedbackFailure::Kind;
    for (Case c : std::vector<Case> { { 200, std::nullopt }, { 299, std::nullopt }, { 300, Kind::rejected },
             { 400, Kind::rejected }, { 413, Kind::rejected }, { 500, Kind::rejected }, { 429, Kind::rateLimited } }) {
        FeedbackService service(configuration(), metadata);
        server.script({ test::ScriptedReply::answering(c.status) });
        auto result = sendAndWait(service, draft);
        ASSERT_TRUE(result) << c.status;
        EXPECT_EQ(failureOf(result), c.failure) << c.status;
    }
}

TEST_F(FeedbackDeliveryTest, RedirectsAreRefusedAndNothingIsKeptBetweenRequests)
{
    for (int status : { 301, 302, 307, 308 }) {
        FeedbackService service(configuration(), metadata);
        std::size_t before = server.requests().size();
        server.script({ test::ScriptedReply::answering(status, { { "Location", "https://" + host + "/elsewhere" } }) });
        EXPECT_EQ(failureOf(sendAndWait(service, draft)), FeedbackFailure::Kind::rejected) << status;
        test::pumpFor(mac, 0.05);
        EXPECT_EQ(server.requests().size(), before + 1) << status;
    }

    FeedbackService service(configuration(), metadata);
    server.script({ test::ScriptedReply::answering(401, { { "WWW-Authenticate", "Basic realm=\"x\"" } }),
        test::ScriptedReply::answering(500, { { "Set-Cookie", "session=secret; Path=/" } }) });
    EXPECT_EQ(failureOf(sendAndWait(service, draft)), FeedbackFailure::Kind::rejected);
    EXPECT_EQ(failureOf(sendAndWait(service, draft)), FeedbackFailure::Kind::rejected);
    EXPECT_TRUE(sendAndWait(service, draft));
    ASSERT_EQ(server.requests().size(), 7u);
    for (std::size_t i = 4; i < 7; ++i) {
        EXPECT_FALSE(server.requests()[i].hasHeader("Authorization"));
        EXPECT_FALSE(server.requests()[i].hasHeader("Cookie"));
    }
}

TEST_F(FeedbackDeliveryTest, AnUnconfirmedSendIsANetworkFailure)
{
    FeedbackService service(configuration(), metadata);
    server.script({ test::ScriptedReply::close() });
    EXPECT_EQ(failureOf(sendAndWait(service, draft)), FeedbackFailure::Kind::network);
    std::size_t dropped = server.requests().size();
    EXPECT_EQ(dropped, 1u);

    server.script({ test::ScriptedReply::hang() });
    std::optional<FeedbackResult> result;
    service.send(draft, {}, [&](FeedbackResult outcome) { result = outcome; });
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return server.requests().size() == dropped + 1; }));
    mac.advance(19.5);
    test::pumpFor(mac, 0.05);
    EXPECT_FALSE(result);
    mac.advance(1);
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return result.has_value(); }));
    EXPECT_EQ(failureOf(result), FeedbackFailure::Kind::network);

    test::LoopbackHTTPSServer untrusted(false);
    untrusted.serve(mac, { host });
    EXPECT_EQ(failureOf(sendAndWait(service, draft)), FeedbackFailure::Kind::network);
    EXPECT_TRUE(untrusted.requests().empty());
}

TEST_F(FeedbackDeliveryTest, TheSameDraftIsTheSameEventUntilConfirmed)
{
    FeedbackService service(configuration(), metadata);
    int asked = 0;
    auto associate = [&]() -> std::optional<std::string> {
        ++asked;
        return "ev" + std::to_string(asked);
    };
    FeedbackDraft bug { FeedbackKind::bug, "Panne", "", "Erreur", "project_displays" };
    server.script({ test::ScriptedReply::answering(500), test::ScriptedReply::answering(429), test::ScriptedReply::answering(200) });
    sendAndWait(service, bug, associate);
    sendAndWait(service, bug, associate);
    auto confirmed = sendAndWait(service, bug, associate);
    ASSERT_EQ(server.requests().size(), 3u);
    EXPECT_EQ(server.requests()[0].body, server.requests()[1].body);
    EXPECT_EQ(server.requests()[1].body, server.requests()[2].body);
    EXPECT_EQ(asked, 1);
    EXPECT_NE(server.requests()[0].body.find("\"associated_event_id\":\"ev1\""), std::string::npos);

    // Confirmed: the same text again is a new event.
    sendAndWait(service, bug, associate);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(server.requests()[3].body.find(std::get<std::string>(*confirmed)), std::string::npos);

    server.script({ test::ScriptedReply::answering(500) });
    sendAndWait(service, bug, associate);
    bug.email = "moi@exemple.fr";
    sendAndWait(service, bug, associate);
    ASSERT_EQ(server.requests().size(), 6u);
    EXPECT_NE(server.requests()[4].body.substr(0, 46), server.requests()[5].body.substr(0, 46));
    EXPECT_EQ(asked, 4);
}

TEST_F(FeedbackDeliveryTest, RefusalsComeAtOnceAndSendNothing)
{
    FeedbackService service(configuration(), metadata);
    std::vector<FeedbackResult> results;
    test::ScriptedReply slow = test::ScriptedReply::answering(200);
    slow.delayMilliseconds = 50;
    server.script({ slow, test::ScriptedReply::answering(200) });
    service.send(draft, {}, [&](FeedbackResult outcome) { results.push_back(outcome); });
    service.send(draft, {}, [&](FeedbackResult outcome) { results.push_back(outcome); });
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(std::get<FeedbackFailure>(results[0]).errorDescription(), "Un envoi est déjà en cours.");
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return results.size() == 2; }));
    EXPECT_TRUE(std::holds_alternative<std::string>(results[1]));

    FeedbackService unconfigured(std::nullopt, metadata);
    EXPECT_EQ(failureOf(sendAndWait(unconfigured, draft)), FeedbackFailure::Kind::notConfigured);
    EXPECT_EQ(failureOf(sendAndWait(service, { FeedbackKind::bug, "  " })), FeedbackFailure::Kind::invalid);
    test::pumpFor(mac, 0.05);
    EXPECT_EQ(server.requests().size(), 1u);
    // A text that cannot be encoded leaves no send in progress.
    EXPECT_EQ(failureOf(sendAndWait(service, { FeedbackKind::bug, "Panne", "", "Erreur \xff" })),
        FeedbackFailure::Kind::unencodable);
    auto next = sendAndWait(service, { FeedbackKind::improvement, "Plus de raccourcis" });
    ASSERT_TRUE(next);
    EXPECT_TRUE(std::holds_alternative<std::string>(*next));
    EXPECT_EQ(server.requests().size(), 2u);
}

} // namespace
} // namespace pellamor
