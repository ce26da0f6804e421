#include "assistant/CodexSelectionResolver.h"
#include "assistant/SelectionTracker.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

CodexSnapshot sidebarOn(const std::string& projectID)
{
    CodexSnapshot snapshot;
    snapshot.projects = std::vector<Project> { { "a", "A", {} }, { "b", "B", {} } };
    snapshot.selectedID = projectID;
    snapshot.selectionToken = "project:" + projectID;
    snapshot.sidebarSelectionToken = "project:local:" + projectID;
    snapshot.localThreadProjects = ThreadProjects { { "thread-a", "a" }, { "thread-b", "b" } };
    return snapshot;
}

CodexNavigationObservation navigation(CodexNavigationSelection selection, std::uint64_t verified)
{
    return { std::move(selection), verified + 1, verified };
}

class ResolverTest : public ::testing::Test {
protected:
    CodexSelectionResolver resolver;
    std::optional<std::string> token(const CodexSnapshot& snapshot, const CodexNavigationObservation& observed)
    {
        const CodexSnapshot resolved = resolver.resolve(snapshot, observed);
        EXPECT_EQ(resolved.sidebarSelectionToken, snapshot.sidebarSelectionToken);
        EXPECT_EQ(resolved.projects, snapshot.projects);
        return resolved.selectionToken;
    }
};

TEST_F(ResolverTest, FirstReadWithoutNavigationUsesTheSidebarUntilANavigationIsVerified)
{
    EXPECT_EQ(token(sidebarOn("a"), navigation(CodexNavigationSelection::none(), 0)), "project:a");
    // Still nothing from the log.
    EXPECT_EQ(token(sidebarOn("a"), navigation(CodexNavigationSelection::none(), 0)), "project:a");
    // A newly verified navigation wins.
    const CodexSnapshot resolved
        = resolver.resolve(sidebarOn("a"), navigation(CodexNavigationSelection::localThread("thread-b"), 1));
    EXPECT_EQ(resolved.selectedID, "b");
    EXPECT_EQ(resolved.selectionToken, "thread:local:thread-b");
    // From then on every navigation state counts, unverified ones as no project.
    EXPECT_EQ(token(sidebarOn("a"), navigation(CodexNavigationSelection::pending(), 1)), std::nullopt);
    EXPECT_EQ(token(sidebarOn("a"), navigation(CodexNavigationSelection::ambiguous(), 1)), std::nullopt);
}

TEST_F(ResolverTest, FirstReadWithNavigationUsesIt)
{
    EXPECT_EQ(token(sidebarOn("a"), navigation(CodexNavigationSelection::localThread("thread-b"), 4)),
        "thread:local:thread-b");
    CodexSelectionResolver pending;
    EXPECT_EQ(
        pending.resolve(sidebarOn("a"), navigation(CodexNavigationSelection::pending(), 0)).selectedID, std::nullopt);
}

TEST_F(ResolverTest, SidebarChangeWinsUntilANewerNavigationIsVerified)
{
    token(sidebarOn("a"), navigation(CodexNavigationSelection::localThread("thread-b"), 3));
    // The user picks another project in the sidebar.
    EXPECT_EQ(token(sidebarOn("a2"), navigation(CodexNavigationSelection::localThread("thread-b"), 3)), "project:a2");
    // Navigation states with the same verified revision are ignored until a newer one is verified.
    EXPECT_EQ(token(sidebarOn("a2"), navigation(CodexNavigationSelection::pending(), 3)), "project:a2");
    EXPECT_EQ(token(sidebarOn("a2"), navigation(CodexNavigationSelection::localThread("thread-b"), 3)), "project:a2");
    EXPECT_EQ(token(sidebarOn("a2"), navigation(CodexNavigationSelection::localThread("thread-a"), 4)),
        "thread:local:thread-a");
}

TEST_F(ResolverTest, SidebarChangeInTheSameReadAsANewVerificationWins)
{
    token(sidebarOn("a"), navigation(CodexNavigationSelection::none(), 0));
    // The verification may predate the sidebar change, so the sidebar is what the user did last.
    EXPECT_EQ(token(sidebarOn("b"), navigation(CodexNavigationSelection::localThread("thread-a"), 1)), "project:b");
    EXPECT_EQ(token(sidebarOn("b"), navigation(CodexNavigationSelection::localThread("thread-a"), 1)), "project:b");
    EXPECT_EQ(token(sidebarOn("b"), navigation(CodexNavigationSelection::localThread("thread-a"), 2)),
        "thread:local:thread-a");

    // A sidebar that loses its selection is a change too; two reads without one are not.
    CodexSnapshot cleared = sidebarOn("b");
    cleared.selectedID.reset();
    cleared.selectionToken.reset();
    cleared.sidebarSelectionToken.reset();
    EXPECT_EQ(token(cleared, navigation(CodexNavigationSelection::localThread("thread-a"), 2)), std::nullopt);
    EXPECT_EQ(token(cleared, navigation(CodexNavigationSelection::pending(), 2)), std::nullopt);
    EXPECT_EQ(token(cleared, navigation(CodexNavigationSelection::localThread("thread-b"), 3)),
        "thread:local:thread-b");
}

TEST_F(ResolverTest, SidebarModeWithoutAwaitingSwitchesToAnyNavigationState)
{
    token(sidebarOn("a"), navigation(CodexNavigationSelection::none(), 0));
    // Without a sidebar change to honour, any navigation state other than none takes over.
    EXPECT_EQ(token(sidebarOn("a"), navigation(CodexNavigationSelection::pending(), 0)), std::nullopt);
    EXPECT_EQ(token(sidebarOn("a"), navigation(CodexNavigationSelection::none(), 0)), std::nullopt)
        << "navigation mode stays until the sidebar changes";
}

TEST_F(ResolverTest, NavigationToAConversationOfNoKnownProjectSelectsNothing)
{
    const CodexSnapshot resolved
        = resolver.resolve(sidebarOn("a"), navigation(CodexNavigationSelection::localThread("thread-x"), 1));
    EXPECT_EQ(resolved.selectedID, std::nullopt);
    EXPECT_EQ(resolved.selectionToken, std::nullopt);
    EXPECT_EQ(token(sidebarOn("a"), navigation(CodexNavigationSelection::unsupported(), 2)), std::nullopt);
}

TEST(SelectionTrackerTest, ReportsEachChangeOnce)
{
    SelectionTracker tracker(std::string("project:a"));
    EXPECT_EQ(tracker.update(std::string("project:a")), std::nullopt);
    EXPECT_EQ(tracker.update(std::string("project:b")), "project:b");
    EXPECT_EQ(tracker.update(std::string("project:b")), std::nullopt);
    EXPECT_EQ(tracker.update(std::nullopt), std::nullopt);
    EXPECT_EQ(tracker.committed(), std::nullopt);
    EXPECT_EQ(tracker.update(std::string("project:b")), "project:b");
}

TEST(SelectionTrackerTest, RebaseTakesTheNextTokenWithoutReportingIt)
{
    SelectionTracker tracker(std::string("project:a"));
    EXPECT_FALSE(tracker.rebaseIfNeeded(std::string("project:z")));
    EXPECT_EQ(tracker.committed(), "project:a");

    tracker.rebaseOnNextObservation();
    EXPECT_TRUE(tracker.rebaseIfNeeded(std::string("project:c")));
    EXPECT_FALSE(tracker.rebaseIfNeeded(std::string("project:d")));
    EXPECT_EQ(tracker.committed(), "project:c");

    tracker.rebaseOnNextObservation();
    EXPECT_EQ(tracker.update(std::string("project:d")), std::nullopt);
    EXPECT_EQ(tracker.update(std::string("project:d")), std::nullopt);
    EXPECT_EQ(tracker.update(std::string("project:a")), "project:a");
}

} // namespace
} // namespace pellamor
