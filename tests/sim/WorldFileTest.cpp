#include "sim/WorldFile.h"

#include <gtest/gtest.h>

namespace pellamor::sim {
namespace {

std::string faultOf(const std::string& text)
{
    auto reading = readWorldText(text);
    auto message = std::get_if<std::string>(&reading);
    return message ? *message : "";
}

const char* const oneDisplay
    = R"("displays": [{ "id": "D1", "number": 1, "name": "A", "frame": [0, 0, 100, 100], "spaces": [{ "id": 5 }] }])";

TEST(WorldFileTest, TheDemoWorldReadsWithEveryMember)
{
    auto reading = readWorldFile(std::filesystem::path(PELLAMOR_SOURCE_RESOURCES) / "demo-world.json");
    ASSERT_TRUE(std::holds_alternative<World>(reading)) << std::get<std::string>(reading);
    const World& world = std::get<World>(reading);
    ASSERT_EQ(world.displays.size(), 2u);
    EXPECT_TRUE(world.displays[0].main);
    EXPECT_EQ(world.displays[1].spaces.back().type, fullScreenSpaceType);
    EXPECT_EQ(world.hotkeys.size(), 9u);
    EXPECT_EQ(world.hotkeys.at(118).code, 18);
    EXPECT_EQ(world.hotkeys.at(118).flags, 0x40000u);
    EXPECT_FALSE(world.script.empty());
}

TEST(WorldFileTest, DefaultsFillWhatIsLeftOut)
{
    auto reading = readWorldText(std::string("{") + oneDisplay + "}");
    ASSERT_TRUE(std::holds_alternative<World>(reading));
    const World& world = std::get<World>(reading);
    EXPECT_EQ(world.displays[0].current, 5u);
    EXPECT_EQ(world.displays[0].visibleFrame, world.displays[0].frame);
    EXPECT_TRUE(world.separateSpaces);
    EXPECT_TRUE(world.permissions.accessibility);
    EXPECT_EQ(world.faults.switchDelivery, SwitchDelivery::normal);
}

TEST(WorldFileTest, AMalformedWorldNamesTheMember)
{
    EXPECT_EQ(faultOf("[]"), "the world must be a JSON object");
    EXPECT_EQ(faultOf("{"), "not valid JSON");
    EXPECT_EQ(faultOf("{}"), "displays: missing");
    EXPECT_EQ(
        faultOf(
            R"({"displays": [{ "id": "D1", "number": 1, "name": "A", "frame": [0, 0, 100], "spaces": [{ "id": 5 }] }]})"),
        "displays[0].frame: expected [x, y, width, height]");
    EXPECT_EQ(
        faultOf(
            R"({"displays": [{ "id": "D1", "number": 1, "name": "A", "frame": [0, 0, 1, 1], "spaces": [{ "id": 0 }] }]})"),
        "displays[0].spaces[0].id: must not be 0");
    EXPECT_EQ(
        faultOf(
            R"({"displays": [{ "id": "D1", "number": 1, "name": "A", "frame": [0, 0, 1, 1], "spaces": [{ "id": 5 }], "current": 6 }]})"),
        "displays[0].current: not one of the display's spaces");
    EXPECT_EQ(faultOf(std::string("{") + oneDisplay + R"(, "frontmost": "com.example.none"})"),
        "frontmost: no application has that bundle identifier");
    EXPECT_EQ(faultOf(std::string("{") + oneDisplay + R"(, "faults": { "switch": "sometimes" }})"),
        "faults.switch: expected one of \"normal\", \"never\"");
    EXPECT_EQ(faultOf(std::string("{") + oneDisplay + R"(, "script": [{ "at": 1, "quit": true, "release": true }]})"),
        "script[0].release: a step holds one action only");
    EXPECT_EQ(faultOf(std::string("{") + oneDisplay + R"(, "hotkeys": { "x118": {} }})"),
        "hotkeys.x118: hot key ids are whole numbers");
    EXPECT_EQ(faultOf(std::string("{") + oneDisplay + R"(, "colour": "blue"})"), "colour: unknown member");
    EXPECT_EQ(faultOf(std::string("{") + oneDisplay
                  + R"(, "windows": [{ "number": 1, "pid": 2, "frame": [0, 0, 1, 1], "spaces": [-1] }]})"),
        "windows[0].spaces[0]: expected a whole number from 0 to 18446744073709551615");
    EXPECT_EQ(
        faultOf(
            R"({"displays": [{ "id": "D1", "number": 1, "name": "A", "frame": [0, 0, 1, 1], "spaces": [{ "id": 5, "type": 18446744073709551615 }] }]})"),
        "displays[0].spaces[0].type: expected a whole number")
        << "read as a signed number it would wrap round to -1";
    EXPECT_EQ(faultOf(std::string("{") + oneDisplay + R"(, "idleSeconds": -5})"), "idleSeconds: must not be negative")
        << "the last input would lie in the future";
    EXPECT_EQ(faultOf(std::string("{") + oneDisplay + R"(, "faults": { "frameWriteDelay": -1 }})"),
        "faults.frameWriteDelay: must not be negative");
}

TEST(WorldFileTest, SpacesAreUniqueOverAllDisplays)
{
    EXPECT_EQ(faultOf(R"({"displays": [
        { "id": "D1", "number": 1, "name": "A", "frame": [0, 0, 1, 1], "spaces": [{ "id": 5 }] },
        { "id": "D2", "number": 2, "name": "B", "frame": [1, 0, 1, 1], "spaces": [{ "id": 5 }] }]})"),
        "displays[1].spaces: space 5 appears twice");
}

} // namespace
} // namespace pellamor::sim
