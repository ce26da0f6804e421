#include "sim/ScriptRunner.h"
#include "sim/WorldFile.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <gtest/gtest.h>

namespace pellamor::sim {
namespace {

const char* const oneDisplay
    = R"({"displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 100, 100], "spaces": [{ "id": 5 }] }])";

std::variant<World, std::string> withFaults(const std::string& faults)
{
    return readWorldText(std::string(oneDisplay) + R"(, "faults": { "windows": )" + faults + "}}");
}

TEST(WindowFaultsTest, TheWorldFileSetsEveryWindowFault)
{
    auto reading = withFaults(
        R"({ "enumerationFails": [301], "hidden": [40, 41], "move": "late", "moveDelay": 2, "duringMove": "changesOwner" })");
    ASSERT_TRUE(std::holds_alternative<World>(reading)) << std::get<std::string>(reading);
    const WindowFaults& faults = std::get<World>(reading).faults.windows;
    EXPECT_EQ(faults.enumerationFails, std::set<int> { 301 });
    EXPECT_EQ(faults.hidden, (std::set<std::uint32_t> { 40, 41 }));
    EXPECT_EQ(faults.moves, WindowMoves::late);
    EXPECT_EQ(faults.moveDelay, 2);
    EXPECT_EQ(faults.meanwhile, WindowMoveMeanwhile::changesOwner);

    EXPECT_EQ(std::get<std::string>(withFaults(R"({ "move": "sometimes" })")),
        R"(faults.windows.move: expected one of "applied", "refused", "raises", "late", "never")");
    EXPECT_EQ(std::get<std::string>(withFaults(R"({ "hidden": [-1] })")),
        "faults.windows.hidden[0]: expected a whole number from 0 to 4294967295");
    EXPECT_EQ(
        std::get<std::string>(withFaults(R"({ "moveDelay": -1 })")), "faults.windows.moveDelay: must not be negative");
    EXPECT_EQ(std::get<std::string>(withFaults(R"({ "slow": true })")), "faults.windows.slow: unknown member");
}

class WindowScriptTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world()
                            .display("D1", { 11, 12 })
                            .application(301, "com.example.notes", "Notes")
                            .window(40, 301, QRectF(0, 0, 400, 300), { 11 }) };
};

TEST_F(WindowScriptTest, AnotherApplicationMovesAndClosesWindows)
{
    ASSERT_EQ(mac.mac().script().start(
                  { { 1, "move-window", { { "window", 40 }, { "space", 12 } } }, { 2, "close-window", 40 } }),
        std::nullopt);
    mac.advance(1);
    EXPECT_EQ(mac.mac().log().lines().back(), "window-spaces window=40 spaces=12");
    mac.advance(1);
    EXPECT_EQ(mac.mac().log().lines().back(), "window-closed window=40");
    EXPECT_EQ(mac.mac().window(40), nullptr);
}

TEST_F(WindowScriptTest, WindowStepsAreCheckedAtStart)
{
    auto& script = mac.mac().script();
    EXPECT_EQ(script.start({ { 1, "move-window", { { "window", 41 }, { "space", 12 } } } }),
        "script[0].move-window: window: no window has that number");
    EXPECT_EQ(script.start({ { 1, "move-window", { { "window", 40 }, { "space", 13 } } } }),
        "script[0].move-window: space: no display has that space");
    EXPECT_EQ(script.start({ { 1, "move-window", { { "window", 40 } } } }),
        R"(script[0].move-window: expected { "window", "space" })");
    EXPECT_EQ(script.start({ { 1, "close-window", "40" } }), "script[0].close-window: no window has that number");
}

} // namespace
} // namespace pellamor::sim
