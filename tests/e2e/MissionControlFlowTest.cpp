#include "desktops/DesktopManager.h"
#include "desktops/MissionControlCreator.h"
#include "sim/MissionControl.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

// The manager's driver with no rules of its own: every add and remove goes straight to Mission Control.
class CreatorDriver : public DesktopManagementDriver {
public:
    explicit CreatorDriver(std::shared_ptr<MissionControlCreator> creator)
        : creator_(std::move(creator))
    {
    }

    std::optional<std::vector<NativeDesktopState>> inventory() override { return creator_->inventory(); }
    std::optional<std::string> validate(const std::string&, std::optional<std::uint64_t>) override
    {
        return std::nullopt;
    }
    void add(const std::string& display, Validating validating, Completion completion) override
    {
        creator_->add(display, std::move(validating), std::move(completion));
    }
    void remove(std::uint64_t space, const std::string& display, Validating validating, Completion completion) override
    {
        creator_->remove(space, display, std::move(validating), std::move(completion));
    }
    void close() override { creator_->close(); }

private:
    std::shared_ptr<MissionControlCreator> creator_;
};

class MissionControlFlowTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world()
                            .display("DISPLAY-A", { 1, 2 })
                            .fullScreen(9)
                            .display("DISPLAY-B", { 3 })
                            .application(40, "com.example.editor", "Editor")
                            .window(7, 40, QRectF(0, 0, 500, 400), { 2 }) };
    sim::MissionControlFaults& faults = mac.world().faults.missionControl;
    std::shared_ptr<MissionControlCreator> creator = std::make_shared<MissionControlCreator>();
    std::shared_ptr<DesktopManager> manager
        = std::make_shared<DesktopManager>(std::make_shared<CreatorDriver>(creator));
    std::optional<DesktopManagementResult> result;
    double startedAt = 0;

    DesktopManager::Completion record()
    {
        startedAt = mac.clock().now();
        return [this](DesktopManagementResult r) {
            EXPECT_FALSE(result) << "a second completion";
            result = std::move(r);
        };
    }

    // Uptime of the first log line that starts with `line`, counted from the request.
    std::optional<double> loggedAt(const std::string& line)
    {
        auto found = std::find_if(
            logTimes.begin(), logTimes.end(), [&](auto& entry) { return entry.second.rfind(line, 0) == 0; });
        if (found == logTimes.end())
            return std::nullopt;
        return found->first - startedAt;
    }

    // Advances in small steps, noting when each log line appeared.
    void run(double seconds)
    {
        for (double passed = 0; passed < seconds; passed += 0.01) {
            mac.advance(0.01);
            const auto& lines = mac.mac().log().lines();
            while (seen < lines.size())
                logTimes.emplace_back(mac.clock().now(), lines[seen++]);
        }
    }

    std::string failure()
    {
        if (!result || !result->asFailed())
            return "<no failure>";
        return result->asFailed()->message;
    }

    std::vector<std::pair<double, std::string>> logTimes;
    std::size_t seen = 0;
};

TEST_F(MissionControlFlowTest, AddsADesktopAfterQuietTimeAndDwellThenClosesMissionControl)
{
    faults.buttonDelay = 0;
    faults.changeDelay = 0;
    manager->create("DISPLAY-A", record());
    run(2);
    ASSERT_TRUE(result && result->asChanged()) << failure();
    auto shown = loggedAt("mission-control shown=true");
    auto added = loggedAt("space-added display=DISPLAY-A space=10");
    ASSERT_TRUE(shown && added);
    EXPECT_NEAR(*shown, 0.3, 0.02) << "release noted at 0.1 s, 0.15 s of quiet, shown at the third poll";
    EXPECT_GE(*added - *shown, 0.3 - 1e-9) << "dwell";
    EXPECT_LE(*added - *shown, 0.45);
    EXPECT_TRUE(loggedAt("mission-control shown=false")) << "closed by the creator that opened it";
    const auto& after = result->asChanged()->after;
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[2].spaceID, 10u);
    EXPECT_EQ(after[2].display, "DISPLAY-A");
    EXPECT_TRUE(after[2].spaceUUID);
}

TEST_F(MissionControlFlowTest, RemovesADesktopAndItsWindowsMoveToTheNeighbour)
{
    manager->remove(2, record());
    run(3);
    ASSERT_TRUE(result && result->asChanged()) << failure();
    EXPECT_EQ(result->asChanged()->after.size(), 2u);
    EXPECT_EQ(mac.mac().window(7)->spaces, std::vector<std::uint64_t> { 1 });
    EXPECT_TRUE(loggedAt("space-removed display=DISPLAY-A space=2"));
}

TEST_F(MissionControlFlowTest, WaitsForTheButtonToBecomeUsable)
{
    faults.buttonDelay = 2;
    manager->create("DISPLAY-B", record());
    run(4);
    ASSERT_TRUE(result && result->asChanged()) << failure();
    EXPECT_GE(*loggedAt("space-added") - *loggedAt("mission-control shown=true"), 2);
}

TEST_F(MissionControlFlowTest, GivesUpWhenInputStaysHeldForTheReleaseWindow)
{
    mac.mac().hold(0x40000, {}, {});
    manager->create("DISPLAY-A", record());
    run(2.95);
    EXPECT_FALSE(result);
    run(0.2);
    EXPECT_EQ(failure(), "Relâche les touches et le bouton de la souris, puis réessaie.");
    EXPECT_FALSE(loggedAt("mission-control")) << "Mission Control never shown";
}

TEST_F(MissionControlFlowTest, GivesUpWithoutAUsableButtonWithinTheButtonWindow)
{
    faults.buttonNeverUsable = true;
    manager->create("DISPLAY-A", record());
    run(6.2);
    EXPECT_FALSE(result);
    run(0.3);
    EXPECT_EQ(failure(), "macOS n’a pas pu préparer un bureau sur cet écran. Réessaie.");
    EXPECT_TRUE(loggedAt("mission-control shown=false"));
}

TEST_F(MissionControlFlowTest, AMouseButtonHeldKeepsThePressBackUntilTheButtonWindowEnds)
{
    faults.buttonDelay = 0;
    manager->create("DISPLAY-A", record());
    run(0.35);
    ASSERT_TRUE(loggedAt("mission-control shown=true"));
    mac.mac().hold(0, {}, { 0 });
    run(7);
    EXPECT_EQ(failure(), "macOS n’a pas pu préparer un bureau sur cet écran. Réessaie.");
    EXPECT_FALSE(loggedAt("space-added"));
}

TEST_F(MissionControlFlowTest, ReportsAnUnrelatedChangeDuringTheOperation)
{
    faults.unrelatedChange = true;
    manager->create("DISPLAY-A", record());
    run(3);
    EXPECT_EQ(failure(), "La liste des bureaux a changé pendant la création. Actualise pour vérifier le résultat.");
}

TEST_F(MissionControlFlowTest, ReportsAChangeThatNeverShowsAfterTheConfirmationWindow)
{
    faults.changeNeverShows = true;
    faults.buttonDelay = 0;
    manager->create("DISPLAY-A", record());
    run(3.5);
    EXPECT_FALSE(result) << "still within 3.0 s of the press";
    run(0.3);
    EXPECT_EQ(failure(), "macOS n’a pas confirmé la création. Actualise pour vérifier les bureaux.");
}

TEST_F(MissionControlFlowTest, ReportsARefusedPress)
{
    faults.pressRefused = true;
    manager->remove(2, record());
    run(3);
    EXPECT_EQ(failure(), "macOS n’a pas autorisé la suppression du bureau.");
}

TEST_F(MissionControlFlowTest, FindsNoThumbnailWhenTheRowDoesNotMatchTheDesktops)
{
    faults.extraThumbnail = true;
    manager->remove(2, record());
    run(7);
    EXPECT_EQ(failure(), "macOS n’a pas pu préparer la suppression de ce bureau. Réessaie.");
}

// The one mismatch the count check cannot see: the thumbnail at the desktop's place belongs to another one,
// and only its description tells.
TEST_F(MissionControlFlowTest, AThumbnailRowInAnotherOrderIsNeverPressed)
{
    mac.world().displays[0].spaces.insert(
        mac.world().displays[0].spaces.begin() + 2, { 4, "UUID-4", sim::desktopSpaceType });
    faults.reversedThumbnails = true;
    manager->remove(2, record());
    run(2);
    EXPECT_EQ(failure(), "macOS n’a pas pu préparer la suppression de ce bureau. Réessaie.");
    EXPECT_FALSE(loggedAt("space-removed"));
    EXPECT_EQ(mac.world().displays[0].spaces.size(), 4u);
    EXPECT_EQ(mac.mac().window(7)->spaces, std::vector<std::uint64_t> { 2 });
    EXPECT_FALSE(mac.mac().missionControl().isShown());
}

TEST_F(MissionControlFlowTest, RefusesASecondOperationWhileOneRuns)
{
    manager->create("DISPLAY-A", record());
    std::optional<DesktopManagementResult> second;
    manager->create("DISPLAY-B", [&](DesktopManagementResult r) { second = r; });
    ASSERT_TRUE(second && second->asFailed());
    EXPECT_EQ(second->asFailed()->message, "Une modification des bureaux est déjà en cours.");
    std::optional<std::string> direct;
    creator->add(
        "DISPLAY-B", [] { return std::nullopt; }, [&](auto message) { direct = message; });
    EXPECT_EQ(direct, "Une modification des bureaux est déjà en cours.");
    run(3);
    EXPECT_TRUE(result && result->asChanged());
}

TEST_F(MissionControlFlowTest, KeepsTheLastAndTheCurrentDesktopOfADisplay)
{
    manager->remove(3, record());
    EXPECT_EQ(failure(), "Conserve au moins un bureau sur cet écran.");
    result.reset();
    manager->remove(1, record());
    EXPECT_EQ(failure(), "Affiche un autre bureau avant de supprimer celui-ci.");

    // A full-screen space is no desktop: the creator itself keeps the display's only desktop.
    mac.world().displays[1].spaces.push_back({ 11, "UUID-11", sim::fullScreenSpaceType });
    std::optional<std::string> message;
    creator->remove(
        3, "DISPLAY-B", [] { return std::nullopt; }, [&](auto m) { message = m; });
    EXPECT_EQ(message, "Le dernier bureau de cet écran doit être conservé.");
    EXPECT_FALSE(loggedAt("mission-control"));
}

TEST_F(MissionControlFlowTest, LeavesMissionControlOpenWhenTheUserOpenedIt)
{
    faults.buttonDelay = 0;
    mac.mac().missionControl().toggle();
    manager->create("DISPLAY-A", record());
    run(3);
    ASSERT_TRUE(result && result->asChanged()) << failure();
    EXPECT_TRUE(mac.mac().missionControl().isShown());
    auto notified = std::count_if(
        logTimes.begin(), logTimes.end(), [](auto& entry) { return entry.second.rfind("mission-control", 0) == 0; });
    EXPECT_EQ(notified, 1) << "only the user's own opening";
}

TEST_F(MissionControlFlowTest, CancelEndsTheOperationAndClosesMissionControl)
{
    manager->create("DISPLAY-A", record());
    run(0.4);
    manager->cancel();
    ASSERT_TRUE(result && result->isCancelled());
    EXPECT_FALSE(mac.mac().missionControl().isShown());
    run(3);
    EXPECT_FALSE(loggedAt("space-added"));
}

TEST_F(MissionControlFlowTest, MainNamesTheMainDisplay)
{
    faults.buttonDelay = 0;
    // As macOS names the one set of spaces when displays do not have separate Spaces.
    mac.world().separateSpaces = false;
    manager->create("Main", record());
    run(2);
    ASSERT_TRUE(result && result->asChanged()) << failure();
}

} // namespace
} // namespace pellamor
