#include "windows/WindowArrangementAccessSession.h"

#include "windows/ManualTime.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

const char* const inaccessible = "Notes ne permet pas d’accéder à cette fenêtre pour la disposer, même sur son bureau.";
const char* const unconfirmed
    = "macOS n’a pas confirmé l’ouverture du bureau de cette fenêtre. Actualise puis réessaie.";

class FakeAccess : public WindowArrangementAccessEnvironment {
public:
    std::optional<std::string> validation;
    bool available = false;
    bool active = false;
    // What opening the desktop changes when the switch answers.
    bool activeAfterOpening = true;
    bool availableAfterOpening = true;
    int openings = 0;
    int cancellations = 0;
    bool inCall = false;
    // The switcher answers inside `openSource`, as when the desktop is already shown or the switch is refused.
    std::optional<std::optional<std::string>> answerAtOnce;
    OpeningCompletion pending;
    std::vector<std::string> calls;
    // Runs inside each check, once it is noted in `calls`.
    std::function<void(const std::string& call)> during;

    std::string inaccessibleMessage() override { return inaccessible; }
    std::optional<std::string> validate() override
    {
        note("validate");
        return validation;
    }
    bool accessibilityAvailable() override
    {
        note("available");
        return available;
    }
    bool sourceIsActive() override
    {
        note("active");
        return active;
    }
    void openSource(OpeningCompletion completion) override
    {
        ++openings;
        pending = std::move(completion);
        if (answerAtOnce) {
            inCall = true;
            answer(*answerAtOnce);
            inCall = false;
        }
    }
    void cancelOpening() override
    {
        ++cancellations;
        calls.push_back("cancel-opening");
        // As the switcher does, the cancelled switch answers at once.
        if (auto answer = std::exchange(pending, nullptr))
            answer("Ouverture du bureau annulée.");
    }
    void note(const std::string& call)
    {
        calls.push_back(call);
        if (during)
            during(call);
    }
    // The switcher's answer; `sent` makes the desktop active.
    void answer(std::optional<std::string> message)
    {
        if (!message) {
            active = activeAfterOpening;
            available = availableAfterOpening;
        }
        std::exchange(pending, nullptr)(message);
    }
};

class WindowArrangementAccessSessionTest : public ::testing::Test {
protected:
    test::ManualTime time;
    std::shared_ptr<FakeAccess> environment = std::make_shared<FakeAccess>();
    std::shared_ptr<WindowArrangementAccessSession> session
        = WindowArrangementAccessSession::make(environment, time.now(), time.schedule());
    std::vector<std::optional<std::string>> results;

    void start()
    {
        session->start([this](std::optional<std::string> message) {
            EXPECT_FALSE(environment->inCall) << "completed from inside an environment call";
            EXPECT_FALSE(environment->pending) << "completed with a desktop switch still under way";
            results.push_back(message);
        });
    }
    std::vector<std::optional<std::string>> one(std::optional<std::string> message) { return { message }; }
};

TEST_F(WindowArrangementAccessSessionTest, TheDesktopIsOpenedAndTheElementAwaited)
{
    environment->availableAfterOpening = false;
    start();
    EXPECT_EQ(
        environment->calls, (std::vector<std::string> { "validate", "available", "active", "validate", "active" }));
    ASSERT_EQ(environment->openings, 1);
    // The switch answers late, yet within the opening time; from then on only the access time counts.
    time.runUntil(2.9);
    environment->answer(std::nullopt);
    time.runUntil(3.5);
    EXPECT_TRUE(results.empty());
    environment->available = true;
    time.runUntil(3.6);
    EXPECT_EQ(results, one(std::nullopt));
}

// Answered before any desktop is opened: the element is reachable already, the window's desktop is active yet
// the element is not, or the validation refuses.
TEST_F(WindowArrangementAccessSessionTest, WhatTheFirstChecksSettleOpensNoDesktop)
{
    environment->available = true;
    start();
    EXPECT_EQ(results, one(std::nullopt));
    EXPECT_EQ(environment->calls, (std::vector<std::string> { "validate", "available" }));

    auto active = std::make_shared<FakeAccess>();
    active->active = true;
    std::vector<std::optional<std::string>> got;
    WindowArrangementAccessSession::make(active, time.now(), time.schedule())->start([&](auto message) {
        got.push_back(message);
    });
    EXPECT_EQ(got, one(inaccessible));
    EXPECT_EQ(active->openings, 0);

    auto refused = std::make_shared<FakeAccess>();
    refused->validation = "Les bureaux ou les écrans ont changé. La disposition a été arrêtée.";
    got.clear();
    WindowArrangementAccessSession::make(refused, time.now(), time.schedule())->start([&](auto message) {
        got.push_back(message);
    });
    EXPECT_EQ(got, one("Les bureaux ou les écrans ont changé. La disposition a été arrêtée."));
    EXPECT_EQ(refused->calls, std::vector<std::string> { "validate" });
    time.runUntil(5);
    EXPECT_EQ(environment->openings + active->openings + refused->openings, 0);
    EXPECT_EQ(results.size() + got.size(), 2u);
}

TEST_F(WindowArrangementAccessSessionTest, AnUnansweredSwitchTimesOutAndIsCancelledFirst)
{
    start();
    time.runUntil(2.99);
    EXPECT_TRUE(results.empty());
    time.runUntil(3.0);
    EXPECT_EQ(results, one(unconfirmed));
    EXPECT_EQ(environment->cancellations, 1);
}

TEST_F(WindowArrangementAccessSessionTest, TheDesktopMustBeAndStayActive)
{
    environment->activeAfterOpening = false;
    start();
    environment->answer(std::nullopt);
    EXPECT_EQ(results, one(unconfirmed));

    auto fake = std::make_shared<FakeAccess>();
    fake->availableAfterOpening = false;
    std::vector<std::optional<std::string>> got;
    auto confirmed = WindowArrangementAccessSession::make(fake, time.now(), time.schedule());
    confirmed->start([&](auto message) { got.push_back(message); });
    fake->answer(std::nullopt);
    fake->active = false;
    time.runUntil(0.1);
    EXPECT_EQ(got, one("Le bureau de cette fenêtre n’est plus actif. Actualise puis réessaie."));
}

TEST_F(WindowArrangementAccessSessionTest, RefusalsOfTheSwitchAndOfValidationArePassedOn)
{
    start();
    environment->answer("Un changement est déjà en cours.");
    EXPECT_EQ(results, one("Un changement est déjà en cours."));
    EXPECT_EQ(environment->cancellations, 0);

    auto fake = std::make_shared<FakeAccess>();
    fake->availableAfterOpening = false;
    std::vector<std::optional<std::string>> got;
    auto validated = WindowArrangementAccessSession::make(fake, time.now(), time.schedule());
    validated->start([&](auto message) { got.push_back(message); });
    fake->answer(std::nullopt);
    fake->validation = "Les bureaux ou les écrans ont changé. La disposition a été arrêtée.";
    time.runUntil(time.time + 0.1);
    EXPECT_EQ(got, one("Les bureaux ou les écrans ont changé. La disposition a été arrêtée."));
}

TEST_F(WindowArrangementAccessSessionTest, AnAnswerInsideTheOpeningCallCompletesAfterIt)
{
    environment->answerAtOnce = std::optional<std::string>();
    start();
    EXPECT_EQ(results, one(std::nullopt));
    time.runUntil(5);
    EXPECT_EQ(results.size(), 1u) << "the opening time-out must not be armed once the switch answered";

    auto fake = std::make_shared<FakeAccess>();
    fake->answerAtOnce = std::optional<std::string>("Le bureau de cette fenêtre est indisponible.");
    std::vector<std::optional<std::string>> got;
    WindowArrangementAccessSession::make(fake, time.now(), time.schedule())->start([&](auto message) {
        EXPECT_FALSE(fake->inCall);
        got.push_back(message);
    });
    EXPECT_EQ(got, one("Le bureau de cette fenêtre est indisponible."));
}

TEST_F(WindowArrangementAccessSessionTest, CancelWhileOpeningCancelsTheSwitchFirst)
{
    start();
    session->cancel();
    EXPECT_EQ(results, one("L’accès à la fenêtre a été annulé."));
    EXPECT_EQ(environment->calls.back(), "cancel-opening");
    time.runUntil(5);
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(WindowArrangementAccessSessionTest, ASecondStartIsRefusedAndReleaseCancelsTheSwitch)
{
    start();
    std::optional<std::string> second;
    session->start([&](std::optional<std::string> message) { second = message; });
    EXPECT_EQ(second, "L’accès à cette fenêtre a déjà été demandé.");
    session.reset();
    EXPECT_EQ(environment->cancellations, 1);
    EXPECT_TRUE(results.empty());
}

TEST_F(WindowArrangementAccessSessionTest, ACancelFromInsideAnyCheckIsTheLastThingTheSessionDoes)
{
    // Before the desktop is opened ("available" once), then while the element is awaited.
    struct Case {
        std::string call;
        long occurrence;
    };
    for (const auto& [call, occurrence] :
        { Case { "available", 1 }, Case { "validate", 3 }, Case { "active", 3 }, Case { "available", 2 } }) {
        SCOPED_TRACE(call + " #" + std::to_string(occurrence));
        auto fake = std::make_shared<FakeAccess>();
        fake->availableAfterOpening = false;
        auto cancelled = WindowArrangementAccessSession::make(fake, time.now(), time.schedule());
        int scheduledAtCancel = 0;
        fake->during = [&](const std::string& now) {
            if (now == call && std::count(fake->calls.begin(), fake->calls.end(), call) == occurrence) {
                cancelled->cancel();
                scheduledAtCancel = time.scheduled;
            }
        };
        std::vector<std::optional<std::string>> got;
        cancelled->start([&](auto message) { got.push_back(message); });
        if (fake->pending)
            fake->answer(std::nullopt);
        EXPECT_EQ(got, one("L’accès à la fenêtre a été annulé."));
        EXPECT_EQ(fake->openings, occurrence > 1 ? 1 : 0);
        EXPECT_EQ(fake->calls.back(), call);
        EXPECT_EQ(time.scheduled, scheduledAtCancel) << "nothing is scheduled after the cancel";
        time.runUntil(time.time + 5);
        EXPECT_EQ(got.size(), 1u);
    }
}

} // namespace
} // namespace pellamor
