#include "windows/WindowPlacementCompletion.h"

#include <gtest/gtest.h>
#include <vector>

namespace pellamor {
namespace {

using Result = WindowPlacementCompletionResult;

class WindowPlacementCompletionTest : public ::testing::Test {
protected:
    std::vector<std::string> steps;
    WindowPlacementCompletionSession::CommitCompletion commitReport;
    WindowPlacementCompletionSession::OpenCompletion openReport;
    std::vector<Result> results;
    std::shared_ptr<WindowPlacementCompletionSession> session = std::make_shared<WindowPlacementCompletionSession>(
        [this](auto report) {
            steps.push_back("commit");
            commitReport = report;
        },
        [this](auto report) {
            steps.push_back("open");
            openReport = report;
        },
        [this] { steps.push_back("cancel opening"); });

    void start()
    {
        session->start([this](const Result& result) {
            steps.push_back("result");
            results.push_back(result);
        });
    }
};

TEST_F(WindowPlacementCompletionTest, CommitsThenOpens)
{
    start();
    EXPECT_EQ(steps, std::vector<std::string> { "commit" });
    commitReport(std::nullopt);
    EXPECT_EQ(steps, (std::vector<std::string> { "commit", "open" }));
    openReport(MissionControlResult::sent());
    EXPECT_EQ(results, std::vector<Result> { Result::completed() });
    // Late or repeated answers change nothing.
    openReport(MissionControlResult::failed("Trop tard"));
    commitReport("Trop tard");
    session->cancel();
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(WindowPlacementCompletionTest, FailuresCarryTheirStepsMessages)
{
    start();
    commitReport("Le projet a changé.");
    EXPECT_EQ(results, std::vector<Result> { Result::commitFailed("Le projet a changé.") });
    EXPECT_EQ(steps, (std::vector<std::string> { "commit", "result" }));

    results.clear();
    session = std::make_shared<WindowPlacementCompletionSession>([](auto report) { report(std::nullopt); },
        [](auto report) { report(MissionControlResult::failed("Raté")); }, [] {});
    start();
    EXPECT_EQ(results, std::vector<Result> { Result::openingFailed("Raté") });
    EXPECT_TRUE(results[0].committed());

    results.clear();
    session = std::make_shared<WindowPlacementCompletionSession>([](auto report) { report(std::nullopt); },
        [](auto report) { report(MissionControlResult::cancelled()); }, [] {});
    start();
    EXPECT_EQ(results, std::vector<Result> { Result::cancelled(true) });
}

TEST_F(WindowPlacementCompletionTest, ACancelBeforeStartNeverCommits)
{
    session->cancel();
    start();
    EXPECT_EQ(results, std::vector<Result> { Result::cancelled(false) });
    EXPECT_EQ(steps, std::vector<std::string> { "result" });
}

TEST_F(WindowPlacementCompletionTest, ACancelWhileCommittingTakesEffectWhenTheCommitReports)
{
    start();
    session->cancel();
    EXPECT_TRUE(results.empty());
    commitReport(std::nullopt);
    EXPECT_EQ(results, std::vector<Result> { Result::cancelled(true) });
    EXPECT_EQ(steps, (std::vector<std::string> { "commit", "result" }));

    results.clear();
    steps.clear();
    session = std::make_shared<WindowPlacementCompletionSession>(
        [this](auto report) { commitReport = report; }, [](auto) { FAIL() << "opened"; }, [] {});
    start();
    session->cancel();
    commitReport("Le projet a changé.");
    EXPECT_EQ(results, std::vector<Result> { Result::cancelled(false) });
}

TEST_F(WindowPlacementCompletionTest, ACancelWhileOpeningCancelsTheSwitchFirst)
{
    start();
    commitReport(std::nullopt);
    session->cancel();
    EXPECT_EQ(steps, (std::vector<std::string> { "commit", "open", "cancel opening", "result" }));
    EXPECT_EQ(results, std::vector<Result> { Result::cancelled(true) });
    openReport(MissionControlResult::sent());
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(WindowPlacementCompletionTest, ASecondStartIsIgnoredAndAReleasedSessionDeliversNothing)
{
    start();
    bool secondCalled = false;
    session->start([&](const Result&) { secondCalled = true; });
    commitReport(std::nullopt);
    openReport(MissionControlResult::sent());
    EXPECT_FALSE(secondCalled);
    EXPECT_EQ(results.size(), 1u);

    results.clear();
    auto released = std::make_shared<WindowPlacementCompletionSession>(
        [this](auto report) { commitReport = report; }, [](auto) {}, [] {});
    released->start([this](const Result& result) { results.push_back(result); });
    released.reset();
    commitReport("Trop tard");
    EXPECT_TRUE(results.empty());
}

} // namespace
} // namespace pellamor
