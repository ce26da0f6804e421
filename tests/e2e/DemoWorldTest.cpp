#include "app/AppDelegate.h"
#include "sim/ScriptRunner.h"
#include "sim/WorldFile.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <gtest/gtest.h>

namespace pellamor::test {
namespace {

sim::World demoWorld()
{
    sim::WorldReading reading
        = sim::readWorldFile(std::filesystem::path(PELLAMOR_SOURCE_RESOURCES) / "demo-world.json");
    EXPECT_TRUE(std::holds_alternative<sim::World>(reading));
    return std::get<sim::World>(reading);
}

TEST(DemoWorldTest, TheDesktopsFollowTheProjectsTheAssistantOpens)
{
    WidgetApplication application;
    TestMac mac(demoWorld());
    auto delegate = std::make_unique<AppDelegate>();
    bool quit = false;
    mac.mac().script().onQuit = [&] {
        quit = true;
        delegate->terminate();
    };
    ASSERT_FALSE(mac.mac().script().start(mac.world().script));
    delegate->applicationDidFinishLaunching();
    mac.advance(10);

    std::vector<std::string> switches;
    for (const std::string& line : mac.mac().log().lines()) {
        if (line.rfind("current-space", 0) == 0)
            switches.push_back(line.substr(line.rfind('=') + 1));
    }
    EXPECT_EQ(switches, (std::vector<std::string> { "8", "4", "8" }));
    EXPECT_TRUE(quit);
    EXPECT_TRUE(delegate->isTerminating);
    delegate.reset();
    mac.advance(0.01);
}

} // namespace
} // namespace pellamor::test
