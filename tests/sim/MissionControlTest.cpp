#include "sim/MissionControl.h"

#include "platform/Dock.h"
#include "sim/WorldFile.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <gtest/gtest.h>

namespace pellamor::sim {
namespace {

class MissionControlTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world()
                            .display("D1", { 11, 12 })
                            .fullScreen(19)
                            .display("D2", { 21 })
                            .application(501, "com.example.editor", "Editor")
                            .window(7, 501, QRectF(10, 20, 300, 200), { 12 }) };
    MissionControlFaults& faults = mac.world().faults.missionControl;

    void notify()
    {
        auto dock = platform().frameworks().open(dock::applicationServicesPath);
        ASSERT_TRUE(dock);
        auto send = dock->function<dock::SendNotification>("CoreDockSendNotification");
        ASSERT_TRUE(send);
        send("com.apple.expose.awake", 0);
    }

    static std::vector<AXElementRef> children(const AXElementRef& element)
    {
        std::vector<AXElementRef> found;
        auto value = element->copyAttributeValue("AXChildren");
        if (value && value->as<AXValue::Array>())
            for (const auto& child : *value->as<AXValue::Array>())
                found.push_back(*child.as<AXElementRef>());
        return found;
    }

    static std::string identifier(const AXElementRef& element)
    {
        auto value = element->copyAttributeValue("AXIdentifier");
        return value && value->as<std::string>() ? *value->as<std::string>() : "";
    }

    static std::string description(const AXElementRef& element)
    {
        auto value = element->copyAttributeValue("AXDescription");
        if (!value)
            return value.error() == AXError::noValue ? "<no value>" : "<error " + std::to_string(int(value.error())) + ">";
        return value->as<std::string>() ? *value->as<std::string>() : "<not text>";
    }

    AXElementRef dock()
    {
        auto docks = platform().workspace().runningApplications("com.apple.dock");
        return docks.empty() ? nullptr : platform().accessibility().createApplication(docks.front().pid);
    }

    // mc → mc.display (by index) → mc.spaces
    AXElementRef spaces(std::size_t display)
    {
        auto mc = children(dock());
        return mc.empty() ? nullptr : children(children(mc[0]).at(display)).at(0);
    }
};

TEST_F(MissionControlTest, TheNotificationShowsAndHidesTheDocksElements)
{
    ASSERT_TRUE(dock()) << "the Dock always runs";
    EXPECT_TRUE(children(dock()).empty());
    notify();
    auto mc = children(dock());
    ASSERT_EQ(mc.size(), 1u);
    EXPECT_EQ(identifier(mc[0]), "mc");
    auto displays = children(mc[0]);
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(identifier(displays[1]), "mc.display");
    EXPECT_EQ(*displays[1]->copyAttributeValue("AXDisplayID")->as<std::int64_t>(), 2);
    auto row = children(spaces(0));
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(identifier(row[0]), "mc.spaces.add");
    EXPECT_EQ(children(row[1]).size(), 3u) << "one thumbnail per space, the full-screen one included";
    notify();
    EXPECT_TRUE(children(dock()).empty());
    EXPECT_EQ(mc[0]->copyAttributeValue("AXChildren").error(), AXError::invalidUIElement);
    EXPECT_EQ(mac.mac().log().lines(),
        (std::vector<std::string> { "mission-control shown=true", "mission-control shown=false" }));
}

TEST_F(MissionControlTest, ButtonsBecomeUsableAfterTheDelayAndAddAfterTheLastDesktop)
{
    notify();
    auto add = children(spaces(0))[0];
    EXPECT_FALSE(*add->copyAttributeValue("AXEnabled")->as<bool>());
    mac.advance(faults.buttonDelay);
    EXPECT_TRUE(*add->copyAttributeValue("AXEnabled")->as<bool>());
    EXPECT_EQ(add->performAction("AXPress"), AXError::success);
    mac.advance(faults.changeDelay);
    const auto& desktops = mac.world().displays[0].spaces;
    ASSERT_EQ(desktops.size(), 4u);
    EXPECT_EQ(desktops[2].type, desktopSpaceType);
    EXPECT_EQ(desktops[3].id, 19u) << "full-screen spaces stay last";
    EXPECT_TRUE(desktops[2].uuid);
}

TEST_F(MissionControlTest, RemovingADesktopMovesItsWindowsToTheNeighbour)
{
    mac.world().displays[0].current = 12;
    notify();
    auto thumbnail = children(children(spaces(0))[1])[1];
    EXPECT_EQ(thumbnail->performAction("AXRemoveDesktop"), AXError::success);
    mac.advance(faults.changeDelay);
    EXPECT_EQ(mac.world().displays[0].spaces.size(), 2u);
    EXPECT_EQ(mac.mac().window(7)->spaces, std::vector<std::uint64_t> { 11 });
    EXPECT_EQ(mac.world().displays[0].current, 19u);
}

TEST_F(MissionControlTest, AWindowAlreadyOnTheNeighbourIsListedThereOnce)
{
    mac.world().windows[0].spaces = { 12, 19, 11 };
    notify();
    children(children(spaces(0))[1])[1]->performAction("AXRemoveDesktop");
    mac.advance(faults.changeDelay);
    EXPECT_EQ(mac.mac().window(7)->spaces, (std::vector<std::uint64_t> { 11, 19 }));
}

TEST_F(MissionControlTest, FaultsChangeWhatThePressDoes)
{
    faults.extraThumbnail = true;
    faults.pressRefused = true;
    notify();
    auto row = children(children(spaces(0))[1]);
    EXPECT_EQ(row.size(), 4u);
    EXPECT_EQ(row[0]->performAction("AXRemoveDesktop"), AXError::cannotComplete);

    faults.pressRefused = false;
    faults.changeNeverShows = true;
    EXPECT_EQ(children(spaces(1))[0]->performAction("AXPress"), AXError::success);
    mac.advance(1);
    EXPECT_EQ(mac.world().displays[1].spaces.size(), 1u);

    faults.changeNeverShows = false;
    faults.unrelatedChange = true;
    children(spaces(1))[0]->performAction("AXPress");
    mac.advance(1);
    EXPECT_EQ(mac.world().displays[1].spaces.size(), 2u);
    EXPECT_EQ(mac.world().displays[0].spaces.size(), 4u) << "a desktop appeared on the other display too";
}

TEST_F(MissionControlTest, ThumbnailsNameTheirDesktopWhereverTheRowPutsThem)
{
    faults.reversedThumbnails = true;
    notify();
    auto row = children(children(spaces(0))[1]);
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(description(row[0]), "<no value>") << "a full-screen space without a window";
    EXPECT_EQ(description(row[1]), "Bureau 2");
    EXPECT_EQ(description(row[2]), "Bureau 1");
    EXPECT_EQ(description(children(children(spaces(1))[1])[0]), "Bureau 1") << "numbered on its own display";
    mac.mac().setWindowSpaces(7, { 19 });
    EXPECT_EQ(description(row[0]), "Editor") << "named after the application shown full screen";

    mac.mac().removeSpace(11);
    EXPECT_EQ(description(row[1]), "Bureau 1") << "renumbered with the display's desktops";
    EXPECT_EQ(description(row[2]), "<no value>") << "its desktop is gone";

    test::TestMac english(test::world().display("D1", { 11, 12 }), { "en-US" });
    notify();
    EXPECT_EQ(description(children(children(spaces(0))[1])[1]), "Desktop 2") << "in the machine's language";
}

TEST(MissionControlWorldTest, FaultsReadFromTheWorldFile)
{
    auto reading = readWorldText(R"({ "displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 100, 100],
        "spaces": [{ "id": 5 }] }], "faults": { "missionControl": { "buttonDelay": 1, "button": "never",
        "thumbnails": "extra", "press": "refused", "change": "never", "unrelatedChange": true,
        "openedByUser": true } } })");
    auto world = std::get_if<World>(&reading);
    ASSERT_TRUE(world);
    const auto& faults = world->faults.missionControl;
    EXPECT_EQ(faults.buttonDelay, 1);
    EXPECT_TRUE(faults.buttonNeverUsable && faults.extraThumbnail && faults.pressRefused && faults.changeNeverShows
        && faults.unrelatedChange && faults.openedByUser);
    auto bad = readWorldText(R"({ "displays": [], "faults": { "missionControl": { "press": "maybe" } } })");
    ASSERT_TRUE(std::get_if<std::string>(&bad));
    EXPECT_NE(std::get<std::string>(bad).find("faults.missionControl.press"), std::string::npos);
}

} // namespace
} // namespace pellamor::sim
