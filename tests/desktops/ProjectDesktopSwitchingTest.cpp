#include "desktops/ProjectDesktopSwitching.h"

#include "desktops/DesktopRuntime.h"
#include "desktops/MissionControl.h"
#include "desktops/ProjectDesktopAssociations.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

using Targets = std::vector<ProjectDesktopSwitchTarget>;

// The session as the application wires it: associations over the live inventory, the desktop switcher.
class ProjectDesktopSwitchingTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world().display("D1", { 11, 12 }).display("D2", { 21, 22 }).display("D3", { 31, 32 }) };
    std::shared_ptr<DesktopRuntime> runtime = DesktopRuntime::make();
    MissionControlSwitcher switcher;
    ProjectDesktopAssociations associations;
    int resolves = 0;
    std::vector<MissionControlResult> results;
    std::shared_ptr<ProjectDesktopSwitchingSession> session = ProjectDesktopSwitchingSession::make(
        [this](const std::string& projectID) -> std::optional<Targets> {
            ++resolves;
            auto displays = runtime->displays();
            auto inventory = displays ? NativeDesktopState::inventory(*displays) : std::nullopt;
            if (!inventory)
                return std::nullopt;
            return associations.resolvedTargets(projectID, *inventory);
        },
        [this](const ProjectDesktopSwitchTarget& target, ProjectDesktopSwitchingSession::Completion completion) {
            switcher.select(target.number, target.desktop.spaceID, target.desktop.display, target.desktop.spaceUUID,
                std::move(completion));
        },
        [this] { switcher.cancel(); });

    void SetUp() override
    {
        associations.targets["p"] = { { 12, "D1", "UUID-12" }, { 22, "D2", "UUID-22" }, { 31, "D3", "UUID-31" } };
    }
    void activate()
    {
        session->activate("p", [this](MissionControlResult result) { results.push_back(result); });
    }
    std::vector<std::string> switches()
    {
        std::vector<std::string> lines;
        for (const std::string& line : mac.mac().log().lines())
            if (line.rfind("current-space", 0) == 0)
                lines.push_back(line);
        return lines;
    }
};

const MissionControlResult changed = MissionControlResult::failed("Les bureaux ont changé. L’ouverture a été annulée.");

TEST_F(ProjectDesktopSwitchingTest, EveryDisplayThatDoesNotShowTheProjectIsSwitchedInTurn)
{
    activate();
    mac.advance(1);
    ASSERT_EQ(results, std::vector { MissionControlResult::sent() });
    EXPECT_EQ(switches(),
        (std::vector<std::string> { "current-space display=D1 space=12", "current-space display=D2 space=22" }));
    EXPECT_EQ(resolves, 4);
    resolves = 0;
    activate();
    EXPECT_EQ(results.back(), MissionControlResult::sent());
    EXPECT_EQ(resolves, 4);
}

TEST_F(ProjectDesktopSwitchingTest, AVanishedDisplayIsSkipped)
{
    activate();
    mac.advance(0.03);
    mac.world().displays.pop_back();
    mac.advance(1);
    EXPECT_EQ(results, std::vector { MissionControlResult::sent() });
    EXPECT_EQ(switches().size(), 2u);
}

TEST_F(ProjectDesktopSwitchingTest, ADesktopThatMovedToAnotherDisplayIsNoLongerTheProjectsOne)
{
    activate();
    mac.advance(0.03);
    // Desktop 22 leaves D2 for D3 while D1 is switching: its association names D2, so D2 is skipped.
    mac.world().displays[1].spaces.pop_back();
    mac.world().displays[2].spaces.push_back({ 22, "UUID-22", 0 });
    mac.advance(1);
    EXPECT_EQ(results, std::vector { MissionControlResult::sent() });
    EXPECT_EQ(switches(), std::vector<std::string> { "current-space display=D1 space=12" });
}

TEST_F(ProjectDesktopSwitchingTest, DesktopsRenumberedBetweenStepsAreFollowedByIdentity)
{
    activate();
    mac.advance(0.03);
    mac.mac().addSpace("D1", 0);
    mac.advance(1);
    EXPECT_EQ(results, std::vector { MissionControlResult::sent() });
    EXPECT_EQ(switches(),
        (std::vector<std::string> { "current-space display=D1 space=12", "current-space display=D2 space=22" }));
    EXPECT_EQ(mac.mac().log().lines()[4], "key-posted code=23 flags=262144 down=true");
}

TEST_F(ProjectDesktopSwitchingTest, ASwitchThatFailsEndsTheActivationWithItsResult)
{
    mac.world().faults.switchDelivery = sim::SwitchDelivery::never;
    activate();
    mac.advance(3);
    EXPECT_EQ(results,
        std::vector {
            MissionControlResult::failed("macOS n’a pas confirmé le changement de bureau. Le suivi a été arrêté.") });
}

TEST_F(ProjectDesktopSwitchingTest, CancelWhileASwitchRunsCancelsItOnceAndCompletesOnce)
{
    mac.world().hotkeys.at(119).enabled = false;
    activate();
    activate();
    EXPECT_EQ(results, std::vector { MissionControlResult::failed("Un changement est déjà en cours.") });
    mac.advance(0.05);
    session->cancel();
    session->cancel();
    mac.advance(1);
    EXPECT_EQ(results,
        (std::vector {
            MissionControlResult::failed("Un changement est déjà en cours."), MissionControlResult::cancelled() }));
    EXPECT_TRUE(switches().empty());
    EXPECT_FALSE(mac.world().hotkeys.at(119).enabled);
}

TEST_F(ProjectDesktopSwitchingTest, ReleasingTheSessionCancelsTheSwitchInFlight)
{
    mac.world().hotkeys.at(119).enabled = false;
    activate();
    session.reset();
    mac.advance(1);
    EXPECT_TRUE(results.empty());
    EXPECT_TRUE(switches().empty());
    EXPECT_FALSE(mac.world().hotkeys.at(119).enabled);
}

// The session alone, with closures that answer at once.
struct Script {
    std::vector<std::optional<Targets>> resolutions;
    std::vector<MissionControlResult> answers;
    std::vector<int> selected;
    int cancels = 0;
    std::vector<MissionControlResult> results;

    std::shared_ptr<ProjectDesktopSwitchingSession> make()
    {
        return ProjectDesktopSwitchingSession::make(
            [this](const std::string&) {
                auto next = resolutions.size() > 1 ? resolutions.front() : resolutions.back();
                if (resolutions.size() > 1)
                    resolutions.erase(resolutions.begin());
                return next;
            },
            [this](const ProjectDesktopSwitchTarget& target, ProjectDesktopSwitchingSession::Completion completion) {
                selected.push_back(target.number);
                MissionControlResult answer = answers.empty() ? MissionControlResult::sent() : answers.front();
                if (!answers.empty())
                    answers.erase(answers.begin());
                completion(answer);
                completion(MissionControlResult::cancelled());
            },
            [this] { ++cancels; });
    }
};

ProjectDesktopSwitchTarget target(int number, std::uint64_t space, std::string display,
    std::optional<std::string> uuid = std::nullopt, std::uint64_t current = 1)
{
    return { number, { space, current, std::move(display), std::move(uuid) } };
}

TEST(ProjectDesktopSwitchingSessionTest, ListsAreCheckedBeforeAnythingSwitches)
{
    std::vector<Targets> invalid = {
        { target(1, 5, "A"), target(2, 6, "a") },
        { target(1, 5, "A"), target(1, 6, "B") },
        { target(1, 5, "A"), target(2, 5, "B") },
        { target(1, 5, "A", "U"), target(2, 6, "B", "u") },
        { target(0, 5, "A") },
        { target(10, 5, "A") },
        { target(1, 0, "A") },
        { target(1, 5, "") },
        { target(1, 5, "A", "") },
    };
    for (const Targets& list : invalid) {
        Script script;
        script.resolutions = { list };
        script.make()->activate("p", [&](MissionControlResult result) { script.results.push_back(result); });
        EXPECT_EQ(script.results, std::vector { changed });
        EXPECT_TRUE(script.selected.empty());
    }
    Script unreadable;
    unreadable.resolutions = { std::nullopt };
    unreadable.make()->activate("p", [&](MissionControlResult result) { unreadable.results.push_back(result); });
    EXPECT_EQ(unreadable.results, std::vector { changed });
    Script empty;
    empty.resolutions = { Targets {} };
    empty.make()->activate("p", [&](MissionControlResult result) { empty.results.push_back(result); });
    EXPECT_EQ(empty.results, std::vector { MissionControlResult::sent() });
}

TEST(ProjectDesktopSwitchingSessionTest, SynchronousAnswersAreTakenOnceAndInOrder)
{
    Script script;
    script.resolutions = { Targets { target(1, 5, "A"), target(3, 7, "B", "U7") } };
    auto session = script.make();
    session->activate("p", [&](MissionControlResult result) { script.results.push_back(result); });
    EXPECT_EQ(script.selected, (std::vector<int> { 1, 3 }));
    EXPECT_EQ(script.results, std::vector { MissionControlResult::sent() });

    script.answers = { MissionControlResult::sent(), MissionControlResult::cancelled() };
    script.selected.clear();
    session->activate("p", [&](MissionControlResult result) { script.results.push_back(result); });
    EXPECT_EQ(script.selected, (std::vector<int> { 1, 3 }));
    EXPECT_EQ(script.results.back(), MissionControlResult::cancelled());

    // The stored desktop turns up on a display outside the list: nothing else would catch it, both of the
    // list's displays being gone.
    script.resolutions = { Targets { target(1, 5, "A"), target(2, 7, "B") }, Targets { target(3, 5, "C") } };
    script.selected.clear();
    session->activate("p", [&](MissionControlResult result) { script.results.push_back(result); });
    EXPECT_EQ(script.results.back(), changed);
    EXPECT_TRUE(script.selected.empty());
    // The same with the UUID alone telling it is the stored desktop.
    script.resolutions = { Targets { target(1, 5, "A", "U5") }, Targets { target(3, 8, "C", "u5") } };
    session->activate("p", [&](MissionControlResult result) { script.results.push_back(result); });
    EXPECT_EQ(script.results.back(), changed);
    EXPECT_TRUE(script.selected.empty());

    // The stored desktop's identity changed on its own display.
    script.resolutions = { Targets { target(1, 5, "A") }, Targets { target(1, 5, "A", "new") } };
    session->activate("p", [&](MissionControlResult result) { script.results.push_back(result); });
    EXPECT_EQ(script.results.back(), changed);
}

} // namespace
} // namespace pellamor
