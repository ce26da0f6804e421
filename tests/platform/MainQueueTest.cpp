#include "platform/Timer.h"
#include "support/TestMac.h"

#include <gtest/gtest.h>

#include <vector>

namespace pellamor {
namespace {

class MainQueueTest : public ::testing::Test {
protected:
    test::TestMac mac;
    MainQueue& queue = mac.mac().mainQueue();
};

TEST_F(MainQueueTest, RunsDueBlocksInTimeThenSubmissionOrder)
{
    std::vector<int> order;
    queue.asyncAfter(0.2, [&] { order.push_back(3); });
    queue.async([&] { order.push_back(1); });
    queue.async([&] { order.push_back(2); });
    queue.asyncAfter(0.1, [&] { order.push_back(4); });
    mac.advance(0.05);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    mac.advance(0.2);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 4, 3}));
}

TEST_F(MainQueueTest, BlocksSeeTheirOwnDueTimeAndChainedDelaysAddUp)
{
    double start = queue.now();
    std::vector<double> seen;
    queue.asyncAfter(0.15, [&] {
        seen.push_back(queue.now() - start);
        queue.asyncAfter(0.01, [&] { seen.push_back(queue.now() - start); });
    });
    mac.advance(1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NEAR(seen[0], 0.15, 1e-9);
    EXPECT_NEAR(seen[1], 0.16, 1e-9);
    EXPECT_NEAR(queue.now() - start, 1, 1e-9);
}

TEST_F(MainQueueTest, CancelledBlocksNeverRun)
{
    bool ran = false;
    WorkItem item = queue.asyncAfter(1, [&] { ran = true; });
    item.cancel();
    item.cancel();
    mac.advance(2);
    EXPECT_FALSE(ran);
    EXPECT_TRUE(item.isCancelled());
    EXPECT_FALSE(WorkItem().isCancelled());
}

TEST_F(MainQueueTest, RepeatingTimerFiresAtItsIntervalUntilInvalidated)
{
    int fired = 0;
    auto timer = std::make_unique<RepeatingTimer>(queue, 0.5, 0.025, [&] { ++fired; });
    mac.advance(0.49);
    EXPECT_EQ(fired, 0);
    mac.advance(0.01);
    EXPECT_EQ(fired, 1);
    mac.advance(2);
    EXPECT_EQ(fired, 5);
    timer->invalidate();
    mac.advance(2);
    EXPECT_EQ(fired, 5);
    timer.reset();
    mac.advance(2);
    EXPECT_EQ(fired, 5);
}

TEST_F(MainQueueTest, ARepeatingTimerSkipsTheFiringsMissedDuringAStall)
{
    int fired = 0;
    RepeatingTimer timer(queue, 0.5, 0.025, [&] { ++fired; });
    mac.clock().jump(10);
    mac.clock().runPending();
    EXPECT_EQ(fired, 1) << "one poll after the stall, not twenty";
    mac.advance(0.49);
    EXPECT_EQ(fired, 1);
    mac.advance(0.02);
    EXPECT_EQ(fired, 2) << "still on the original half-second grid";
}

TEST_F(MainQueueTest, TimerInvalidatedFromItsOwnBlockStops)
{
    int fired = 0;
    RepeatingTimer timer(queue, 1, 0, [&] {
        ++fired;
        timer.invalidate();
    });
    mac.advance(5);
    EXPECT_EQ(fired, 1);
}

TEST_F(MainQueueTest, BackgroundResultsComeBackOnTheMainQueue)
{
    std::vector<int> results;
    mac.mac().backgroundQueue().run<int>(queue, [] { return 42; }, [&](int value) { results.push_back(value); });
    EXPECT_TRUE(results.empty());
    mac.advance(0);
    EXPECT_EQ(results, std::vector<int>{42});
}

} // namespace
} // namespace pellamor
