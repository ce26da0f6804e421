#include "desktops/DesktopResetSession.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

using Inventory = std::vector<NativeDesktopState>;
using Status = DesktopResetOutcome::Status;

NativeDesktopState desktop(std::uint64_t space, std::uint64_t current, std::string display)
{
    return { space, current, std::move(display), "U-" + std::to_string(space) };
}

std::vector<std::uint64_t> ids(const Inventory& inventory)
{
    std::vector<std::uint64_t> answer;
    for (const auto& entry : inventory)
        answer.push_back(entry.spaceID);
    return answer;
}

TEST(DesktopResetPlanTest, KeepsEachDisplaysCurrentDesktopElseItsFirst)
{
    auto plan = DesktopResetPlan::make({ desktop(1, 2, "A"), desktop(2, 2, "A"), desktop(3, 9, "B"), desktop(4, 9, "B") });
    ASSERT_TRUE(plan);
    EXPECT_EQ(ids(plan->retained), (std::vector<std::uint64_t> { 2, 3 })) << "B's current desktop is not its own";
    EXPECT_EQ(ids(plan->targets), (std::vector<std::uint64_t> { 1, 4 }));
    EXPECT_EQ(plan->displayCount(), 2u);
    EXPECT_TRUE(DesktopResetPlan::make({ desktop(1, 1, "A"), desktop(3, 3, "B") })->targets.empty());
}

TEST(DesktopResetPlanTest, RefusesInventoriesItCannotPlanSafely)
{
    EXPECT_FALSE(DesktopResetPlan::make({}));
    EXPECT_FALSE(DesktopResetPlan::make({ desktop(0, 0, "A") }));
    EXPECT_FALSE(DesktopResetPlan::make({ desktop(1, 1, "A"), desktop(1, 1, "B") }));
    EXPECT_FALSE(DesktopResetPlan::make({ desktop(1, 1, " ") }));
    auto blankUUID = desktop(2, 1, "A");
    blankUUID.spaceUUID = "  ";
    EXPECT_FALSE(DesktopResetPlan::make({ desktop(1, 1, "A"), blankUUID }));
    auto sameUUID = desktop(2, 1, "A");
    sameUUID.spaceUUID = "u-1";
    EXPECT_FALSE(DesktopResetPlan::make({ desktop(1, 1, "A"), sameUUID }));
    EXPECT_FALSE(DesktopResetPlan::make({ desktop(1, 1, "A"), desktop(2, 2, "B"), desktop(3, 1, "a") }))
        << "a display's desktops split by another display's";
}

// Removes through a scripted remover over an inventory the test controls.
class DesktopResetSessionTest : public ::testing::Test {
protected:
    Inventory machine { desktop(1, 1, "A"), desktop(2, 1, "A"), desktop(3, 1, "A"), desktop(4, 4, "B"),
        desktop(5, 4, "B") };
    std::optional<Inventory> readable = machine;
    std::function<void(DesktopManagementResult)> pending;
    std::uint64_t asked = 0;
    int cancels = 0;
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    std::optional<DesktopResetOutcome> outcome;
    std::shared_ptr<DesktopResetSession> session;

    void SetUp() override
    {
        session = std::make_shared<DesktopResetSession>(
            *DesktopResetPlan::make(machine), [this] { return readable; },
            [this](std::uint64_t space, std::function<void(DesktopManagementResult)> completion) {
                asked = space;
                pending = std::move(completion);
            },
            [this] { ++cancels; });
    }

    void start(bool confirmed = true)
    {
        session->start(
            confirmed, [this](std::size_t removed, std::size_t total) { progress.emplace_back(removed, total); },
            [this](DesktopResetOutcome result) { outcome = std::move(result); });
    }

    // The machine loses the desktop asked for, and the remover reports it.
    void removeAsked()
    {
        Inventory before = machine;
        std::erase_if(machine, [&](const auto& d) { return d.spaceID == asked; });
        readable = machine;
        std::exchange(pending, nullptr)(DesktopManagementResult::changed(before, machine));
    }
};

TEST_F(DesktopResetSessionTest, RemovesEveryTargetInOrderWithProgress)
{
    session->cancel();
    EXPECT_FALSE(outcome) << "nothing to stop before the start";
    start();
    EXPECT_EQ(asked, 2u);
    removeAsked();
    machine[0].currentSpaceID = 3;
    readable = machine;
    removeAsked();
    removeAsked();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->status, Status::completed);
    EXPECT_EQ(ids(outcome->removed), (std::vector<std::uint64_t> { 2, 3, 5 }));
    EXPECT_EQ(ids(outcome->lastVerifiedInventory), (std::vector<std::uint64_t> { 1, 4 }));
    EXPECT_EQ(progress, (std::vector<std::pair<std::size_t, std::size_t>> { { 1, 3 }, { 2, 3 }, { 3, 3 } }));

    std::optional<DesktopResetOutcome> second;
    session->start(true, nullptr, [&](DesktopResetOutcome result) { second = result; });
    ASSERT_TRUE(second && second->failure);
    EXPECT_EQ(second->failure->kind, DesktopResetFailureKind::alreadyStarted);
}

TEST_F(DesktopResetSessionTest, StopsWithAnExactCountWhenCancelledOrFailing)
{
    start();
    removeAsked();
    removeAsked();
    // The third removal is in flight when the user stops, and its desktop goes all the same.
    std::erase_if(machine, [](const auto& d) { return d.spaceID == 5; });
    readable = machine;
    session->cancel();
    EXPECT_EQ(cancels, 1);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->status, Status::cancelled);
    EXPECT_EQ(ids(outcome->removed), (std::vector<std::uint64_t> { 2, 3, 5 })) << "reconciled";
    pending(DesktopManagementResult::cancelled());
    EXPECT_EQ(outcome->removed.size(), 3u) << "a late completion changes nothing";
}

TEST_F(DesktopResetSessionTest, ARemoverGivingUpStopsWithWhatReallyWent)
{
    start();
    removeAsked();
    std::erase_if(machine, [&](const auto& d) { return d.spaceID == asked; });
    readable = machine;
    pending(DesktopManagementResult::cancelled());
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->status, Status::cancelled);
    EXPECT_EQ(ids(outcome->removed), (std::vector<std::uint64_t> { 2, 3 }));
    EXPECT_EQ(progress.back(), std::make_pair(std::size_t { 2 }, std::size_t { 3 }));
}

TEST_F(DesktopResetSessionTest, EachStepIsVerifiedAgainstTheInventory)
{
    start();
    removeAsked();
    pending(DesktopManagementResult::failed("Refusé."));
    ASSERT_TRUE(outcome && outcome->failure);
    EXPECT_EQ(outcome->failure->text(), "Refusé.");
    EXPECT_EQ(outcome->removed.size(), 1u);
    EXPECT_EQ(outcome->plannedCount, 3u);

    SetUp();
    outcome.reset();
    start();
    Inventory before = machine;
    machine.erase(machine.begin() + 3); // another desktop than the target went away
    std::exchange(pending, nullptr)(DesktopManagementResult::changed(before, machine));
    ASSERT_TRUE(outcome && outcome->failure);
    EXPECT_EQ(outcome->failure->kind, DesktopResetFailureKind::unverifiedRemoval);

    SetUp();
    outcome.reset();
    readable.reset();
    start();
    ASSERT_TRUE(outcome && outcome->failure);
    EXPECT_EQ(outcome->failure->kind, DesktopResetFailureKind::inventoryUnavailable);

    SetUp();
    outcome.reset();
    start(false);
    ASSERT_TRUE(outcome && outcome->failure);
    EXPECT_EQ(outcome->failure->kind, DesktopResetFailureKind::notConfirmed);
}

TEST_F(DesktopResetSessionTest, ADesktopAppearingBetweenTwoRemovalsStopsTheReset)
{
    start();
    Inventory before = machine;
    std::erase_if(machine, [&](const auto& d) { return d.spaceID == asked; });
    readable = machine;
    readable->push_back(desktop(6, 4, "B"));
    std::exchange(pending, nullptr)(DesktopManagementResult::changed(before, machine));
    ASSERT_TRUE(outcome && outcome->failure);
    EXPECT_EQ(outcome->failure->kind, DesktopResetFailureKind::topologyChanged);
    EXPECT_EQ(ids(outcome->removed), (std::vector<std::uint64_t> { 2 }));
    EXPECT_FALSE(pending) << "no further removal asked for";
}

TEST_F(DesktopResetSessionTest, TheDriversLastCheckSeesOnlyThePendingTargetOnAnUnchangedMachine)
{
    EXPECT_EQ(session->validationFailure("A", 2)->kind, DesktopResetFailureKind::inactive);
    start();
    EXPECT_EQ(session->validationFailure("A", 2), std::nullopt);
    EXPECT_EQ(session->validationFailure("B", 2)->kind, DesktopResetFailureKind::topologyChanged);
    EXPECT_EQ(session->validationFailure("A", 3)->kind, DesktopResetFailureKind::topologyChanged);
    EXPECT_EQ(session->validationFailure("A", std::nullopt)->kind, DesktopResetFailureKind::topologyChanged);
    readable->pop_back();
    EXPECT_EQ(session->validationFailure("A", 2)->kind, DesktopResetFailureKind::topologyChanged);
    readable.reset();
    EXPECT_EQ(session->validationFailure("A", 2)->kind, DesktopResetFailureKind::inventoryUnavailable);
}

TEST_F(DesktopResetSessionTest, AStopArrivingWhileTheInventoryIsReadRemovesNothing)
{
    bool stopDuringRead = true;
    session = std::make_shared<DesktopResetSession>(
        *DesktopResetPlan::make(machine),
        [this, &stopDuringRead] {
            if (std::exchange(stopDuringRead, false))
                session->cancel();
            return readable;
        },
        [this](std::uint64_t space, std::function<void(DesktopManagementResult)> completion) {
            asked = space;
            pending = std::move(completion);
        },
        [this] { ++cancels; });
    start();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->status, Status::cancelled);
    EXPECT_TRUE(outcome->removed.empty());
    EXPECT_EQ(asked, 0u) << "no removal was asked for";
    EXPECT_FALSE(pending);
}

TEST_F(DesktopResetSessionTest, ReleasedWhileRemovingCancelsTheRemoval)
{
    start();
    session.reset();
    EXPECT_EQ(cancels, 1);
}

} // namespace
} // namespace pellamor
