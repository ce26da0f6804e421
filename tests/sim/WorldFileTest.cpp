#include "sim/WorldFile.h"

#include "support/TemporaryDirectory.h"

#include <fstream>
#include <sys/stat.h>

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
    = R"("displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 100, 100], "spaces": [{ "id": 5 }] }])";

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
            R"({"displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 100], "spaces": [{ "id": 5 }] }]})"),
        "displays[0].frame: expected [x, y, width, height]");
    EXPECT_EQ(
        faultOf(
            R"({"displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 1, 1], "spaces": [{ "id": 0 }] }]})"),
        "displays[0].spaces[0].id: must not be 0");
    EXPECT_EQ(
        faultOf(
            R"({"displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 1, 1], "spaces": [{ "id": 5 }], "current": 6 }]})"),
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
            R"({"displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 1, 1], "spaces": [{ "id": 5, "type": 18446744073709551615 }] }]})"),
        "displays[0].spaces[0].type: expected a whole number")
        << "read as a signed number it would wrap round to -1";
    EXPECT_EQ(faultOf(std::string("{") + oneDisplay + R"(, "idleSeconds": -5})"), "idleSeconds: must not be negative")
        << "the last input would lie in the future";
    EXPECT_EQ(faultOf(std::string("{") + oneDisplay + R"(, "faults": { "frameWriteDelay": -1 }})"),
        "faults.frameWriteDelay: must not be negative");
}

std::string withDisplay(const std::string& display, const std::string& more = "")
{
    return R"({"displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 1, 1], )"
        + display + "}]" + more + "}";
}

const char* const twoApplications = R"(, "applications": [{ "pid": 7, "bundleID": "a", "name": "A" }])";

TEST(WorldFileTest, WhatNoMacCouldReportIsRefusedNamingTheMember)
{
    EXPECT_EQ(faultOf(R"({"displays": [{ "id": "D1", "number": 1, "name": "A", "frame": [0, 0, 1, 1], "spaces": [{ "id": 5 }] }]})"),
        "displays[0].id: expected a UUID such as 37D8832A-2D66-02CA-B9F7-8F30A301B230");
    EXPECT_EQ(faultOf(R"({"displays": [
        { "id": "AAAAAAAA-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 1, 1], "spaces": [{ "id": 5 }] },
        { "id": "aaaaaaaa-1111-1111-1111-111111111111", "number": 2, "name": "B", "frame": [1, 0, 1, 1], "spaces": [{ "id": 6 }] }]})"),
        "displays[1].id: used by two displays");
    EXPECT_EQ(faultOf(withDisplay(R"("spaces": [{ "id": 5, "type": 2 }])")),
        "displays[0].spaces[0].type: expected 0 (a desktop) or 4 (full screen)");
    EXPECT_EQ(faultOf(withDisplay(R"("spaces": [{ "id": 5, "uuid": "first" }])")),
        "displays[0].spaces[0].uuid: expected a UUID such as 37D8832A-2D66-02CA-B9F7-8F30A301B230");
    EXPECT_EQ(faultOf(withDisplay(R"("spaces": [{ "id": 5 }])",
                  std::string(twoApplications) + R"(, "windows": [{ "number": 1, "pid": 7, "frame": [0, 0, 1, 1], "spaces": [5, 6] }])")),
        "windows[0].spaces[1]: no display has that space");
    EXPECT_EQ(faultOf(withDisplay(R"("spaces": [{ "id": 5 }])",
                  std::string(twoApplications) + R"(, "windows": [{ "number": 1, "pid": 8, "frame": [0, 0, 1, 1], "spaces": [5] }])")),
        "windows[0].pid: no application has that pid");
    EXPECT_EQ(faultOf(withDisplay(R"("spaces": [{ "id": 5 }])",
                  std::string(twoApplications)
                      + R"(, "windows": [{ "number": 1, "pid": 7, "frame": [0, 0, 1, 1], "spaces": [5], "alpha": 1.5 }])")),
        "windows[0].alpha: expected a number from 0 to 1");
    EXPECT_EQ(faultOf(withDisplay(R"("spaces": [{ "id": 5 }])", R"(, "script": [{ "at": 1e308, "quit": true }])")),
        "script[0].at: must be at most 31536000 (a year)");
    EXPECT_EQ(faultOf(withDisplay(R"("spaces": [{ "id": 5 }])",
                  R"(, "assistant": { "projects": [{ "id": "p", "name": "P" }], "selected": "q" })")),
        "assistant.selected: no project has that id");
    EXPECT_TRUE(std::holds_alternative<World>(readWorldText(withDisplay(R"("spaces": [{ "id": 5 }, { "id": 6, "uuid": "9d3c6a52-4e1b-4c8e-9e0a-2b1f6c7d8e01", "type": 4 }])",
        std::string(twoApplications) + R"(, "windows": [{ "number": 1, "pid": 7, "frame": [0, 0, 1, 1], "spaces": [6], "alpha": 0 }])"))))
        << "a first desktop without UUID, a full-screen space and a transparent window are all a Mac has";
}

TEST(WorldFileTest, DeepNestingIsRefusedWithoutExhaustingTheStack)
{
    const std::string deep = std::string(20000, '[') + std::string(20000, ']');
    EXPECT_EQ(faultOf(withDisplay(R"("spaces": [{ "id": 5 }])", R"(, "defaults": { "a": )" + deep + "}")),
        "defaults: nested deeper than 32 levels");
    EXPECT_EQ(faultOf(deep), "the world: nested deeper than 32 levels");
}

TEST(WorldFileTest, OnlyARegularFileOfBoundedSizeIsRead)
{
    auto fileFault = [](const std::filesystem::path& path) {
        auto reading = readWorldFile(path);
        auto message = std::get_if<std::string>(&reading);
        return message ? *message : "";
    };
    EXPECT_EQ(fileFault("/dev/zero"), "not a regular file");
    EXPECT_EQ(fileFault(std::filesystem::temp_directory_path()), "a folder, not a world file");
    test::TemporaryDirectory folder;
    EXPECT_EQ(fileFault(folder.path() / "none.json"), "no such file");
    ASSERT_EQ(::mkfifo((folder.path() / "pipe.json").c_str(), 0600), 0);
    EXPECT_EQ(fileFault(folder.path() / "pipe.json"), "not a regular file");
    std::ofstream(folder.path() / "large.json") << "{}";
    std::filesystem::resize_file(folder.path() / "large.json", std::uintmax_t { 17 } << 20);
    EXPECT_EQ(fileFault(folder.path() / "large.json"), "larger than 16 MiB");
}

TEST(WorldFileTest, SpacesAreUniqueOverAllDisplays)
{
    EXPECT_EQ(faultOf(R"({"displays": [
        { "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 1, 1], "spaces": [{ "id": 5 }] },
        { "id": "22222222-2222-2222-2222-222222222222", "number": 2, "name": "B", "frame": [1, 0, 1, 1], "spaces": [{ "id": 5 }] }]})"),
        "displays[1].spaces: space 5 appears twice");
}

} // namespace
} // namespace pellamor::sim
