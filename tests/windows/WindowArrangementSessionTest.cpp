#include "windows/WindowArrangementSession.h"

#include "windows/ManualTime.h"

#include <gtest/gtest.h>
#include <limits>

namespace pellamor {
namespace {

const QRectF target(100, 50, 800, 400);

class FakeArrangement : public WindowArrangementEnvironment {
public:
    QRectF desiredFrame = target;
    std::optional<std::string> validation;
    std::optional<std::string> preparation;
    std::optional<std::string> positionRefusal;
    std::optional<std::string> cleanupProblem;
    // The frame read at a time; the default follows the writes at once.
    std::function<std::optional<QRectF>(double)> frameAt;
    std::function<void()> duringSizeWrite;
    std::function<void()> duringValidation;
    std::vector<std::string> calls;
    bool inCall = false;
    int cleanups = 0;
    const double* time = nullptr;

    QRectF desired() override { return desiredFrame; }
    std::optional<std::string> validate() override
    {
        if (duringValidation)
            duringValidation();
        return record("validate", validation);
    }
    std::optional<std::string> prepare() override { return record("prepare", preparation); }
    std::optional<std::string> writeSize() override
    {
        inCall = true;
        if (duringSizeWrite)
            duringSizeWrite();
        inCall = false;
        return record("size", std::nullopt);
    }
    std::optional<std::string> writePosition() override { return record("position", positionRefusal); }
    std::optional<QRectF> actualFrame() override
    {
        calls.push_back("read");
        return frameAt ? frameAt(*time) : std::optional<QRectF>(target);
    }
    std::optional<std::string> cleanup() override
    {
        ++cleanups;
        calls.push_back("cleanup");
        return cleanupProblem;
    }

    int count(const std::string& call) const { return static_cast<int>(std::count(calls.begin(), calls.end(), call)); }

private:
    std::optional<std::string> record(const char* call, std::optional<std::string> answer)
    {
        calls.push_back(call);
        return answer;
    }
};

class WindowArrangementSessionTest : public ::testing::Test {
protected:
    test::ManualTime time;
    std::shared_ptr<FakeArrangement> environment = [this] {
        auto fake = std::make_shared<FakeArrangement>();
        fake->time = &time.time;
        return fake;
    }();
    std::shared_ptr<WindowArrangementSession> session
        = WindowArrangementSession::make(environment, time.now(), time.schedule());
    std::vector<std::optional<std::string>> results;

    void start()
    {
        session->start([this](std::optional<std::string> message) {
            EXPECT_FALSE(environment->inCall) << "completed from inside an environment call";
            EXPECT_EQ(environment->calls.back(), "cleanup") << "completed before the cleanup";
            results.push_back(message);
        });
    }
    std::vector<std::optional<std::string>> one(std::optional<std::string> message) { return { message }; }
};

TEST_F(WindowArrangementSessionTest, TwoMatchingReadsInARowSucceed)
{
    start();
    EXPECT_TRUE(results.empty());
    EXPECT_EQ(environment->calls,
        (std::vector<std::string> { "validate", "prepare", "validate", "size", "validate", "position", "validate",
            "size", "validate", "read" }));
    time.runUntil(0.05);
    EXPECT_EQ(results, one(std::nullopt));
    EXPECT_EQ(environment->cleanups, 1);
}

TEST_F(WindowArrangementSessionTest, AMismatchStartsTheCountAgain)
{
    // Matching at 0, off at 0.05, matching from 0.1 on: success needs 0.1 and 0.15.
    environment->frameAt = [](double now) {
        return std::optional<QRectF>(now > 0.01 && now < 0.09 ? QRectF(0, 0, 800, 400) : target.adjusted(6, -6, 6, -6));
    };
    start();
    time.runUntil(0.1);
    EXPECT_TRUE(results.empty());
    time.runUntil(0.16);
    EXPECT_EQ(results, one(std::nullopt));
    EXPECT_EQ(environment->count("position"), 1) << "a match at the third tick needs no re-apply";
}

TEST_F(WindowArrangementSessionTest, AWindowThatNeverMovesIsReappliedOnceThenTimesOut)
{
    environment->frameAt = [](double) { return std::optional<QRectF>(QRectF(0, 0, 800, 400)); };
    start();
    time.runUntil(0.1);
    EXPECT_EQ(environment->count("position"), 1);
    time.runUntil(0.16);
    EXPECT_EQ(environment->count("position"), 2);
    time.runUntil(1.45);
    EXPECT_TRUE(results.empty());
    time.runUntil(1.6);
    EXPECT_EQ(environment->count("position"), 2);
    EXPECT_EQ(results,
        one("La fenêtre n’a pas atteint la position demandée. Actualise pour voir sa position actuelle, puis "
            "réessaie."));
}

TEST_F(WindowArrangementSessionTest, EachTimeOutNamesWhatWentWrong)
{
    struct Case {
        std::function<std::optional<QRectF>(double)> frameAt;
        std::string message;
    };
    std::vector<Case> cases {
        { [](double) { return std::nullopt; },
            "macOS n’a pas permis de vérifier la taille et la position de cette fenêtre. Actualise puis réessaie." },
        { [](double) { return std::optional<QRectF>(QRectF(100, 50, 600.4, 399.5)); },
            "La fenêtre mesure 600 × 400 pt au lieu des 800 × 400 pt demandés. L’application n’a pas appliqué la "
            "taille demandée." },
        // Halves go to the even neighbour, as "%.0f" writes them.
        { [](double) { return std::optional<QRectF>(QRectF(100, 50, 438.5, 300.5)); },
            "La fenêtre mesure 438 × 300 pt au lieu des 800 × 400 pt demandés. L’application n’a pas appliqué la "
            "taille demandée." },
        // A size off by exactly the tolerance is the size asked for; the position is what went wrong.
        { [](double) { return std::optional<QRectF>(QRectF(130, 50, 806, 406)); },
            "La fenêtre n’a pas atteint la position demandée. Actualise pour voir sa position actuelle, puis "
            "réessaie." },
        // A size read as unusable counts as no frame at all.
        { [](double) { return std::optional<QRectF>(QRectF(100, 50, std::numeric_limits<double>::infinity(), 400)); },
            "macOS n’a pas permis de vérifier la taille et la position de cette fenêtre. Actualise puis réessaie." },
        // Right only from the deadline on: one match is not two.
        { [](double now) { return std::optional<QRectF>(now >= 1.5 ? target : QRectF(0, 0, 10, 10)); },
            "La taille et la position de la fenêtre ne se sont pas stabilisées. Actualise puis réessaie." },
    };
    for (const Case& each : cases) {
        auto fake = std::make_shared<FakeArrangement>();
        fake->time = &time.time;
        fake->frameAt = each.frameAt;
        std::vector<std::optional<std::string>> got;
        auto timed = WindowArrangementSession::make(fake, time.now(), time.schedule());
        double started = time.time;
        timed->start([&got](std::optional<std::string> message) { got.push_back(message); });
        time.runUntil(started + 1.49);
        EXPECT_TRUE(got.empty());
        time.runUntil(started + 1.6);
        EXPECT_EQ(got, one(each.message));
        time.time = 0;
    }
}

TEST_F(WindowArrangementSessionTest, RefusalsBeforeWritingEndIt)
{
    environment->preparation = "Quitte le plein écran avant de disposer cette fenêtre.";
    start();
    EXPECT_EQ(results, one("Quitte le plein écran avant de disposer cette fenêtre."));
    EXPECT_EQ(environment->count("size"), 0);

    auto invalid = std::make_shared<FakeArrangement>();
    invalid->desiredFrame = QRectF(0, 0, 0, 400);
    std::vector<std::optional<std::string>> got;
    WindowArrangementSession::make(invalid, time.now(), time.schedule())->start([&](auto message) {
        got.push_back(message);
    });
    EXPECT_EQ(got, one("La disposition demandée n’est pas valide. Actualise puis réessaie."));
    EXPECT_EQ(invalid->count("size"), 0);
}

TEST_F(WindowArrangementSessionTest, ACleanupProblemIsAddedToTheOutcome)
{
    environment->cleanupProblem = "Notes n’a pas confirmé le rétablissement de son état d’accessibilité.";
    start();
    time.runUntil(0.05);
    EXPECT_EQ(results,
        one("La disposition a été appliquée, mais un réglage temporaire n’a pas pu être rétabli. Notes n’a pas "
            "confirmé le rétablissement de son état d’accessibilité."));

    auto refused = std::make_shared<FakeArrangement>();
    refused->positionRefusal = "Notes a refusé la position. La taille précédente a été redemandée.";
    refused->cleanupProblem = "Notes n’a pas confirmé le rétablissement de son état d’accessibilité.";
    std::vector<std::optional<std::string>> got;
    WindowArrangementSession::make(refused, time.now(), time.schedule())->start([&](auto message) {
        got.push_back(message);
    });
    EXPECT_EQ(got,
        one("Notes a refusé la position. La taille précédente a été redemandée.\nNotes n’a pas confirmé le "
            "rétablissement de son état d’accessibilité."));
}

TEST_F(WindowArrangementSessionTest, CancelOrAFinishFromInsideACallCompletesOnceAfterTheCall)
{
    start();
    session->cancel();
    session->cancel();
    EXPECT_EQ(results, one("Disposition annulée. Actualise pour vérifier la position de la fenêtre."));
    time.runUntil(2);
    EXPECT_EQ(results.size(), 1u);
    EXPECT_EQ(environment->cleanups, 1);

    auto reentrant = std::make_shared<FakeArrangement>();
    auto inner = WindowArrangementSession::make(reentrant, time.now(), time.schedule());
    reentrant->duringSizeWrite = [&] { inner->cancel(); };
    std::vector<std::optional<std::string>> got;
    inner->start([&](auto message) {
        EXPECT_FALSE(reentrant->inCall);
        got.push_back(message);
    });
    EXPECT_EQ(got, one("Disposition annulée. Actualise pour vérifier la position de la fenêtre."));
    EXPECT_EQ(reentrant->count("position"), 0) << "nothing is written once the session finished";

    auto early = std::make_shared<FakeArrangement>();
    auto checking = WindowArrangementSession::make(early, time.now(), time.schedule());
    early->duringValidation = [&] { checking->cancel(); };
    got.clear();
    checking->start([&](auto message) { got.push_back(message); });
    EXPECT_EQ(got, one("Disposition annulée. Actualise pour vérifier la position de la fenêtre."));
    EXPECT_EQ(early->count("prepare"), 0) << "a session cancelled while it checks goes no further";
    EXPECT_EQ(early->count("size"), 0);
}

// While the frame is verified: in its validation, its read, or the one re-apply of a window that did not move.
TEST_F(WindowArrangementSessionTest, ACancelFromInsideTheVerificationIsTheLastThingTheSessionDoes)
{
    for (const std::string moment : { "validate", "read", "size" }) {
        SCOPED_TRACE(moment);
        auto fake = std::make_shared<FakeArrangement>();
        fake->time = &time.time;
        auto verifying = WindowArrangementSession::make(fake, time.now(), time.schedule());
        int scheduledAtCancel = 0;
        std::vector<std::string> callsAtCancel;
        // A read is noted before its answer, a check or write after its hook.
        auto cancelAt = [&](const std::string& call, int noted) {
            if (call == moment && fake->count(call) == noted) {
                verifying->cancel();
                scheduledAtCancel = time.scheduled;
                callsAtCancel = fake->calls;
            }
        };
        fake->duringValidation = [&] { cancelAt("validate", 4); };
        fake->duringSizeWrite = [&] { cancelAt("size", 2); };
        fake->frameAt = [&](double) {
            cancelAt("read", 1);
            return std::optional<QRectF>(QRectF(0, 0, 800, 400));
        };
        std::vector<std::optional<std::string>> got;
        verifying->start([&](auto message) { got.push_back(message); });
        time.runUntil(time.time + 0.2);
        EXPECT_EQ(got, one("Disposition annulée. Actualise pour vérifier la position de la fenêtre."));
        ASSERT_FALSE(callsAtCancel.empty());
        if (moment != "read")
            callsAtCancel.push_back(moment);
        callsAtCancel.push_back("cleanup");
        EXPECT_EQ(fake->calls, callsAtCancel) << "only the cleanup follows the cancel";
        EXPECT_EQ(time.scheduled, scheduledAtCancel) << "nothing is scheduled after the cancel";
        time.runUntil(time.time + 2);
        time.time = 0;
    }

    // Cancelled before it started: cleaned up once, with no one to tell, and never started.
    auto unstarted = std::make_shared<FakeArrangement>();
    auto never = WindowArrangementSession::make(unstarted, time.now(), time.schedule());
    never->cancel();
    EXPECT_EQ(unstarted->calls, std::vector<std::string> { "cleanup" });
    std::optional<std::string> refused;
    never->start([&](std::optional<std::string> message) { refused = message; });
    EXPECT_EQ(refused, "Cette disposition a déjà été demandée.");
    never.reset();
    EXPECT_EQ(unstarted->cleanups, 1);
}

TEST_F(WindowArrangementSessionTest, ASecondStartIsRefusedAndReleaseCleansUp)
{
    start();
    std::optional<std::string> second;
    session->start([&](std::optional<std::string> message) { second = message; });
    EXPECT_EQ(second, "Cette disposition a déjà été demandée.");
    session.reset();
    EXPECT_EQ(environment->cleanups, 1);
    time.runUntil(2);
    EXPECT_TRUE(results.empty()) << "a released session delivers nothing";
}

TEST(WindowArrangementFrameTest, FramesMatchWithinTheToleranceOnly)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(WindowArrangementSession::frameMatches(target, target.adjusted(6, -6, 6, 0), 6));
    EXPECT_FALSE(WindowArrangementSession::frameMatches(target, target.adjusted(6.01, 0, 6.01, 0), 6));
    EXPECT_FALSE(WindowArrangementSession::frameMatches(target, QRectF(100, 50, 0, 400), 6));
    EXPECT_FALSE(WindowArrangementSession::frameMatches(target, QRectF(nan, 50, 800, 400), 6));
    EXPECT_FALSE(WindowArrangementSession::frameMatches(target, target, -1));
    EXPECT_FALSE(WindowArrangementSession::frameMatches(target, target, nan));
}

} // namespace
} // namespace pellamor
