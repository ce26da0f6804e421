#include "sim/WorldFile.h"
#include "support/TestMac.h"

#include <gtest/gtest.h>

namespace pellamor::sim {
namespace {

std::string worldWith(const std::string& member, const char* value)
{
    return std::string(R"({"displays": [{"id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 100, 100],
        "spaces": [{"id": 1}]}])")
        + (value ? ", \"" + member + "\": " + value : "") + "}";
}

TEST(WorldAppearanceTest, LightUnlessTheWorldSaysDarkAndNothingElse)
{
    WorldReading plain = readWorldText(worldWith("appearance", nullptr));
    ASSERT_TRUE(std::holds_alternative<World>(plain));
    EXPECT_FALSE(std::get<World>(plain).darkAppearance);
    WorldReading dark = readWorldText(worldWith("appearance", R"("dark")"));
    ASSERT_TRUE(std::holds_alternative<World>(dark));
    EXPECT_TRUE(std::get<World>(dark).darkAppearance);
    WorldReading wrong = readWorldText(worldWith("appearance", R"("blue")"));
    ASSERT_TRUE(std::holds_alternative<std::string>(wrong));
    EXPECT_NE(std::get<std::string>(wrong).find("appearance"), std::string::npos);
}

TEST(WorldDefaultsTest, StoredDefaultsComeFromTheWorldWithTheirTypes)
{
    WorldReading null = readWorldText(worldWith("defaults", R"({"projectDesktops": {"p": null}})"));
    ASSERT_TRUE(std::holds_alternative<std::string>(null));
    EXPECT_NE(std::get<std::string>(null).find("defaults"), std::string::npos);

    WorldReading reading = readWorldText(worldWith("defaults", R"({"projectDesktops": {"p": 3}, "flag": true})"));
    ASSERT_TRUE(std::holds_alternative<World>(reading));
    test::TestMac mac(std::get<World>(reading));
    Lookup<PlistDictionary> legacy = mac.mac().standardDefaults().dictionary("projectDesktops");
    ASSERT_TRUE(legacy);
    EXPECT_EQ(lookupInteger(*legacy, "p").valueOr(0), 3);
    EXPECT_TRUE(mac.mac().standardDefaults().boolean("flag").valueOr(false));
}

} // namespace
} // namespace pellamor::sim
