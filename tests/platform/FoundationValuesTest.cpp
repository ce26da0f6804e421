#include "platform/HostLanguages.h"
#include "platform/ISO8601Date.h"
#include "platform/UUID.h"

#include <gtest/gtest.h>
#include <set>

namespace pellamor {
namespace {

TEST(UUIDTest, RandomIdentifiersAreVersionFourAndDistinct)
{
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        auto text = UUID::random().uuidString();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
        EXPECT_EQ(text, UUID::parse(text)->uuidString());
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(UUIDTest, ParsesEitherCaseToCanonicalUpperCaseAndRefusesTheRest)
{
    auto id = UUID::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->uuidString(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(id, UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
    for (auto bad : { "", "E621E1F8C36C495A93FC0C247A3E6E5F", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}",
             "E621E1F8-C36C-495A-93FC-0C247A3E6E5G", "E621E1F8-C36C-495A-93FC0-C247A3E6E5F",
             " E621E1F8-C36C-495A-93FC-0C247A3E6E5F" })
        EXPECT_FALSE(UUID::parse(bad)) << bad;
}

TEST(ISO8601DateTest, ReadsUTCOffsetsAndFractionsAndWritesUTC)
{
    EXPECT_EQ(parseISO8601Date("1970-01-01T00:00:00Z")->secondsSince1970, 0);
    EXPECT_EQ(parseISO8601Date("2024-05-01T14:30:00+02:00")->secondsSince1970, 1714566600);
    EXPECT_EQ(parseISO8601Date("2024-05-01T11:00:00-0130")->secondsSince1970, 1714566600);
    EXPECT_NEAR(parseISO8601Date("1969-12-31T23:59:59.250Z")->secondsSince1970, -0.75, 1e-9);
    EXPECT_EQ(parseISO8601Date("2024-02-29T00:00:00Z")->secondsSince1970, 1709164800);
    EXPECT_EQ(*formatISO8601Date(PlistDate { 1714566600 }), "2024-05-01T12:30:00Z");
    EXPECT_EQ(*formatISO8601Date(PlistDate { -0.75 }, true), "1969-12-31T23:59:59.250Z");
    EXPECT_EQ(*formatISO8601Date(PlistDate { -62167219200.0 }), "0000-01-01T00:00:00Z");
    EXPECT_FALSE(formatISO8601Date(PlistDate { 253402300800.0 }));
}

TEST(ISO8601DateTest, RefusesImpossibleOrIncompleteDates)
{
    for (auto bad : { "2023-02-29T00:00:00Z", "2024-13-01T00:00:00Z", "2024-04-31T00:00:00Z", "2024-05-01T24:00:00Z",
             "2024-05-01T12:60:00Z", "2024-05-01T12:00:60Z", "2024-05-01T12:00:00", "2024-05-01 12:00:00Z",
             "2024-05-01T12:00:00.Z", "2024-05-01T12:00:00+2", "2024-05-01T12:00:00Zjunk", "24-05-01T12:00:00Z", "" })
        EXPECT_FALSE(parseISO8601Date(bad)) << bad;
}

TEST(HostLanguagesTest, TakesLANGUAGEThenLANGAsIdentifiers)
{
    EXPECT_EQ(preferredLanguagesFrom("fr_CA:en", "de_DE.UTF-8"), (std::vector<std::string> { "fr-CA", "en", "de-DE" }));
    EXPECT_EQ(preferredLanguagesFrom(nullptr, "fr_FR.UTF-8@euro"), std::vector<std::string> { "fr-FR" });
    EXPECT_EQ(preferredLanguagesFrom("::fr", "fr"), std::vector<std::string> { "fr" });
    EXPECT_TRUE(preferredLanguagesFrom("", "C.UTF-8").empty());
    EXPECT_TRUE(preferredLanguagesFrom(nullptr, "POSIX").empty());
}

} // namespace
} // namespace pellamor
