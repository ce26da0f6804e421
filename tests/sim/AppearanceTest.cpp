#include "sim/WorldFile.h"

#include <gtest/gtest.h>

namespace pellamor::sim {
namespace {

const char* worldWith(const char* appearance)
{
    static std::string text;
    text = std::string(R"({"displays": [{"id": "D1", "number": 1, "name": "A", "frame": [0, 0, 100, 100],
        "spaces": [{"id": 1}]}])") + (appearance ? std::string(R"(, "appearance": )") + appearance : "") + "}";
    return text.c_str();
}

TEST(WorldAppearanceTest, LightUnlessTheWorldSaysDarkAndNothingElse)
{
    WorldReading plain = readWorldText(worldWith(nullptr));
    ASSERT_TRUE(std::holds_alternative<World>(plain));
    EXPECT_FALSE(std::get<World>(plain).darkAppearance);
    WorldReading dark = readWorldText(worldWith(R"("dark")"));
    ASSERT_TRUE(std::holds_alternative<World>(dark));
    EXPECT_TRUE(std::get<World>(dark).darkAppearance);
    WorldReading wrong = readWorldText(worldWith(R"("blue")"));
    ASSERT_TRUE(std::holds_alternative<std::string>(wrong));
    EXPECT_NE(std::get<std::string>(wrong).find("appearance"), std::string::npos);
}

} // namespace
} // namespace pellamor::sim
