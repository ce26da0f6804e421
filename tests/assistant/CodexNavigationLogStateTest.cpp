#include "assistant/CodexNavigationLogState.h"

#include "sim/CodexLogLines.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

using Kind = CodexNavigationSelection::Kind;
using sim::LogRenderer;
using sim::SpanState;

constexpr std::int64_t start = 1'780'000'000'000;
constexpr LogRenderer mainWindow { 1, 7 };
constexpr LogRenderer otherWindow { 2, 9 };
const std::string thread = "3F2504E0-4F89-11D3-9A0C-0305E82C3301";
const std::string threadPath = "/local/" + thread;
const std::string threadID = "3f2504e0-4f89-11d3-9a0c-0305e82c3301";

CodexNavigationObservation observed(CodexNavigationSelection selection, std::uint64_t revision, std::uint64_t verified)
{
    return { std::move(selection), revision, verified };
}

class NavigationLogTest : public ::testing::Test {
protected:
    CodexNavigationLogState state;

    void feed(const std::string& line) { state.consume(line); }
    // A primary window shows a route and its navigation span follows `delay` milliseconds later.
    void navigate(LogRenderer renderer, const std::string& path, std::int64_t at, std::int64_t delay = 400)
    {
        feed(sim::routeChangeLine(at, renderer, path));
        feed(sim::performanceSpanLine(at + delay, renderer));
    }
};

TEST_F(NavigationLogTest, RouteChangeThenFocusedSuccessSpanVerifiesTheConversation)
{
    feed(sim::readyToShowLine(start, mainWindow, "primary"));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::none(), 0, 0));
    feed(sim::routeChangeLine(start + 100, mainWindow, threadPath));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::pending(), 1, 0));
    feed(sim::performanceSpanLine(start + 500, mainWindow));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::localThread(threadID), 2, 2));
}

TEST_F(NavigationLogTest, VerificationWindowIsThreeSecondsAfterTheRouteChange)
{
    feed(sim::readyToShowLine(start, mainWindow, "primary"));
    feed(sim::routeChangeLine(start, mainWindow, threadPath));
    feed(sim::performanceSpanLine(start + 3001, mainWindow));
    feed(sim::performanceSpanLine(start - 1, mainWindow));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::pending());
    feed(sim::performanceSpanLine(start + 3000, mainWindow));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::localThread(threadID));
}

TEST_F(NavigationLogTest, OnlyAFocusedVisibleSuccessfulThreadNavigationVerifies)
{
    feed(sim::readyToShowLine(start, mainWindow, "primary"));
    feed(sim::routeChangeLine(start, mainWindow, threadPath));
    for (SpanState span :
        { SpanState { .focused = "false" }, SpanState { .visible = "false" }, SpanState { .focused = "maybe" },
            SpanState { .name = "thread_open" }, SpanState { .outcome = "failure" } })
        feed(sim::performanceSpanLine(start + 100, mainWindow, span));
    feed(sim::performanceSpanLine(start + 100, otherWindow));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::pending());
    feed(sim::performanceSpanLine(start + 200, mainWindow));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::localThread(threadID));
}

TEST_F(NavigationLogTest, VerifiedWindowLosingFocusOrVisibilityMakesTheSelectionAmbiguous)
{
    navigate(mainWindow, threadPath, start);
    const auto verified = state.observation();
    feed(sim::performanceSpanLine(start + 1000, mainWindow, SpanState { .visible = "false", .name = "other" }));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::ambiguous(), verified.revision + 1, 2));

    // The same route verified again by the same window brings the selection back.
    navigate(mainWindow, threadPath, start + 2000);
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::localThread(threadID), 5, 5));
}

TEST_F(NavigationLogTest, AVerifiedWindowThatStopsBeingPrimaryIsVerifiedNoMore)
{
    navigate(mainWindow, threadPath, start);
    feed(sim::readyToShowLine(start + 500, mainWindow, "hud"));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::ambiguous());
    // A new window's navigation is followed again, as when nothing was verified.
    feed(sim::routeChangeLine(start + 600, otherWindow, "/a"));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::pending());
}

TEST_F(NavigationLogTest, AnotherPrimaryWindowReportingFocusDropsTheVerifiedWindow)
{
    feed(sim::readyToShowLine(start, otherWindow, "primary"));
    navigate(mainWindow, threadPath, start);
    // Focus reported by a window that is not primary changes nothing.
    feed(sim::performanceSpanLine(start + 900, LogRenderer { 3, 3 }, SpanState { .appearance = "hud", .name = "idle" }));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::localThread(threadID));
    feed(sim::performanceSpanLine(start + 1000, otherWindow, SpanState { .name = "idle" }));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::ambiguous());
}

TEST_F(NavigationLogTest, ContenderLeavingAsNonPrimaryRestoresTheVerifiedSelection)
{
    feed(sim::readyToShowLine(start, mainWindow, "primary"));
    feed(sim::readyToShowLine(start, otherWindow, "primary"));
    navigate(mainWindow, threadPath, start);
    feed(sim::routeChangeLine(start + 1000, otherWindow, "/local/11111111-2222-3333-4444-555555555555"));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::pending(), 3, 2));
    feed(sim::readyToShowLine(start + 1100, otherWindow, "quickChat"));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::localThread(threadID), 4, 2));
}

TEST_F(NavigationLogTest, RepeatOfTheVerifiedRouteChangesNothingButReverifiesAfterAContender)
{
    feed(sim::readyToShowLine(start, otherWindow, "primary"));
    navigate(mainWindow, threadPath, start);
    feed(sim::routeChangeLine(start + 1000, mainWindow, threadPath));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::localThread(threadID), 2, 2));
    feed(sim::performanceSpanLine(start + 1200, mainWindow));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::localThread(threadID), 2, 2));

    feed(sim::routeChangeLine(start + 2000, otherWindow, "/settings"));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::pending());
    navigate(mainWindow, threadPath, start + 2100);
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::localThread(threadID), 4, 4));
}

TEST_F(NavigationLogTest, OnlyTheLaterOfTwoRouteChangesOfOneWindowCanBeVerified)
{
    feed(sim::readyToShowLine(start, mainWindow, "primary"));
    feed(sim::routeChangeLine(start, mainWindow, "/local/11111111-2222-3333-4444-555555555555"));
    navigate(mainWindow, threadPath, start + 100);
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::localThread(threadID));
}

TEST_F(NavigationLogTest, RouteChangesOfUnknownAndNonPrimaryWindows)
{
    feed(sim::readyToShowLine(start, otherWindow, "detached"));
    feed(sim::routeChangeLine(start, otherWindow, threadPath));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::none());

    // A window never recorded counts while no window is verified, not afterwards.
    navigate(LogRenderer { 5, 5 }, threadPath, start);
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::localThread(threadID));
    feed(sim::routeChangeLine(start + 1000, LogRenderer { 6, 6 }, "/local/11111111-2222-3333-4444-555555555555"));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::localThread(threadID));
}

TEST_F(NavigationLogTest, LineAndPathLimits)
{
    feed(sim::readyToShowLine(start, mainWindow, "primary"));
    std::string padded = sim::routeChangeLine(start, mainWindow, threadPath) + " pad=";
    padded.append(8192 - padded.size() + 1, 'x');
    feed(padded);
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::none());
    padded.pop_back();
    ASSERT_EQ(padded.size(), 8192u);
    feed(padded);
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::pending());

    CodexNavigationLogState paths;
    paths.consume(sim::routeChangeLine(start, mainWindow, "/" + std::string(256, 'p')));
    EXPECT_EQ(paths.observation().selection, CodexNavigationSelection::none());
    paths.consume(sim::routeChangeLine(start, mainWindow, "relative/path"));
    EXPECT_EQ(paths.observation().selection, CodexNavigationSelection::none());
    paths.consume(sim::routeChangeLine(start, mainWindow, "/" + std::string(255, 'p')));
    EXPECT_EQ(paths.observation().selection, CodexNavigationSelection::pending());
}

TEST_F(NavigationLogTest, MalformedRenderersAndRepeatedFieldsAreIgnored)
{
    const std::string prefix = sim::logTimestamp(start) + " info [window-manager] window ready-to-show ";
    for (const char* fields : { "windowId=0 webContentsId=7", "windowId=-1 webContentsId=7",
             "windowId=+ webContentsId=7", "windowId=1x webContentsId=7", "windowId=1 windowId=1 webContentsId=7",
             "windowId=1 webContentsId=99999999999999999999", "windowId=+-1 webContentsId=7" })
        feed(prefix + fields + " appearance=detached");
    feed(sim::routeChangeLine(start, LogRenderer { 1, 7 }, threadPath));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::pending()) << "no kind was recorded";

    CodexNavigationLogState signs;
    signs.consume(prefix + "windowId=+1 webContentsId=07 appearance=detached");
    signs.consume(sim::routeChangeLine(start, LogRenderer { 1, 7 }, threadPath));
    EXPECT_EQ(signs.observation().selection, CodexNavigationSelection::none()) << "+1 and 07 are valid ids";
}

TEST_F(NavigationLogTest, MarkerLinesMissingTheirFieldsAreIgnored)
{
    feed(sim::readyToShowLine(start, mainWindow, "primary"));
    feed(sim::routeChangeLine(start, mainWindow, threadPath));
    const std::string stamp = sim::logTimestamp(start + 100);
    feed(stamp + " info [window-manager] window ready-to-show windowId=1 webContentsId=7");
    feed(stamp + " info [electron-message-handler] client.performance.span name=thread_navigation outcome=success "
                 "rendererWindowAppearance=primary rendererWindowFocused=true rendererWindowVisible=true");
    feed(stamp + " info [electron-message-handler] client.performance.span name=thread_navigation outcome=success "
                 "rendererWindowId=1 rendererWebContentsId=7 rendererWindowFocused=true rendererWindowVisible=true");
    feed(stamp);
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::pending(), 1, 0));
    feed(sim::performanceSpanLine(start + 200, mainWindow));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::localThread(threadID));
}

TEST_F(NavigationLogTest, TimestampsAndPrefixesAreStrict)
{
    const std::string route = " info [electron-message-handler] IAB_LIFECYCLE received browser sidebar owner sync "
                              "windowId=1 originWebContentsId=7 ownerRoutePath=/x";
    for (const char* stamp : { "2026-05-28T10:00:00Z", "2026-02-30T10:00:00.000Z", "2026-05-28 10:00:00.000Z",
             "2026-05-28T24:00:00.000Z", "9999-12-31T23:59:59.999Z", "garbage" })
        feed(stamp + route);
    feed(sim::logTimestamp(start) + " debug" + route.substr(5));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::none());
    feed("2026-05-28T12:00:00.5+02:00" + route);
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::pending());
}

TEST_F(NavigationLogTest, FarApartTimesNeitherVerifyNorOverflow)
{
    feed(sim::readyToShowLine(start, mainWindow, "primary"));
    feed("1680-01-01T00:00:00.000Z info [electron-message-handler] IAB_LIFECYCLE received browser sidebar owner sync "
         "windowId=1 originWebContentsId=7 ownerRoutePath=/a");
    feed("2260-01-01T00:00:00.000Z info [electron-message-handler] client.performance.span name=thread_navigation "
         "outcome=success rendererWindowId=1 rendererWebContentsId=7 rendererWindowAppearance=primary "
         "rendererWindowFocused=true rendererWindowVisible=true");
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::pending());
}

TEST_F(NavigationLogTest, PendingTableOverflowMakesTheSelectionAmbiguous)
{
    for (int window = 1; window <= 16; ++window)
        feed(sim::routeChangeLine(start, LogRenderer { window, 1 }, "/a"));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::pending(), 1, 0));
    feed(sim::routeChangeLine(start, LogRenderer { 17, 1 }, "/a"));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::ambiguous(), 2, 0));
    // The table was emptied: the first window's candidate is gone.
    feed(sim::performanceSpanLine(start + 10, LogRenderer { 1, 1 }));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::ambiguous());
}

TEST_F(NavigationLogTest, ThirtyThirdRendererEmptiesBothTablesYetVerificationWorksAtOnce)
{
    navigate(mainWindow, threadPath, start);
    for (int window = 100; window < 132; ++window)
        feed(sim::readyToShowLine(start + 500, LogRenderer { window, 1 }, "hud"));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::ambiguous(), 3, 2));
    for (int window = 200; window < 240; ++window)
        feed(sim::readyToShowLine(start + 600, LogRenderer { window, 1 }, "hud"));
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::ambiguous(), 3, 2))
        << "overflowing again while ambiguous is no new observation";
    navigate(mainWindow, threadPath, start + 1000);
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::localThread(threadID), 5, 5));
}

TEST_F(NavigationLogTest, UnknownWindowKindsAreNotRecorded)
{
    feed(sim::readyToShowLine(start, mainWindow, "Primary"));
    feed(sim::readyToShowLine(start, otherWindow, "primary"));
    navigate(otherWindow, threadPath, start);
    // The main window has no kind, so its route change while another is verified changes nothing.
    feed(sim::routeChangeLine(start + 1000, mainWindow, "/settings"));
    EXPECT_EQ(state.observation().selection, CodexNavigationSelection::localThread(threadID));
}

TEST(NavigationLogPathTest, LocalThreadRoutes)
{
    EXPECT_EQ(CodexNavigationLogState::localThread(threadPath), threadID);
    EXPECT_EQ(CodexNavigationLogState::localThread(threadPath + "?realtimeVoiceHostId=local"), threadID);
    for (const std::string& other : { threadPath + "?realtimeVoiceHostId=remote", threadPath + "#top", threadPath + "x",
             "/remote/" + thread, "/local/" + thread.substr(1),
             std::string("/local/3F2504E0x4F89-11D3-9A0C-0305E82C3301"), threadPath + "?" })
        EXPECT_EQ(CodexNavigationLogState::localThread(other), std::nullopt) << other;
}

TEST_F(NavigationLogTest, VerifiedRouteThatIsNoLocalConversationIsUnsupported)
{
    navigate(mainWindow, threadPath + "?voice=1", start);
    EXPECT_EQ(state.observation(), observed(CodexNavigationSelection::unsupported(), 2, 2));
}

TEST(NavigationLogPrefixTest, UnfinishedLinesWorthHoldingBack)
{
    using State = CodexNavigationLogState;
    EXPECT_TRUE(State::isPotentialMetadataPrefix("2"));
    EXPECT_TRUE(State::isPotentialMetadataPrefix("2026-05-28T1"));
    EXPECT_TRUE(State::isPotentialMetadataPrefix("2026-05-28T10:00:00.000Z"));
    EXPECT_FALSE(State::isPotentialMetadataPrefix(""));
    EXPECT_FALSE(State::isPotentialMetadataPrefix("2026-05-28T10:00:00.000Z0"));
    EXPECT_FALSE(State::isPotentialMetadataPrefix("2026/05"));
    const std::string stamp = sim::logTimestamp(start);
    EXPECT_TRUE(State::isPotentialMetadataPrefix(stamp + " "));
    EXPECT_TRUE(State::isPotentialMetadataPrefix(stamp + " info [electron-mes"));
    EXPECT_TRUE(State::isPotentialMetadataPrefix(stamp + " info [window-manager] window ready-to-show windowId=1"));
    EXPECT_FALSE(State::isPotentialMetadataPrefix(stamp + " warn [window-manager]"));
    EXPECT_FALSE(State::isPotentialMetadataPrefix("2026-99-28T10:00:00.000Z info"));
    EXPECT_FALSE(State::isPotentialMetadataPrefix(
        stamp + " info [window-manager] window ready-to-show " + std::string(8200, 'x')));
}

} // namespace
} // namespace pellamor
