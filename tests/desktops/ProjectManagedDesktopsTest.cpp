#include "desktops/ProjectManagedDesktops.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

NativeDesktopState desktop(
    std::uint64_t id, std::string display, std::optional<std::string> uuid, std::uint64_t current)
{
    return { id, current, std::move(display), std::move(uuid) };
}

TEST(ProjectManagedDesktopsTest, RecordsOnceReplacesForTheSameProjectAndRefusesAnother)
{
    ProjectManagedDesktops list;
    EXPECT_TRUE(list.markCreated("p", desktop(5, "D", "U5", 1)));
    EXPECT_TRUE(list.markCreated("p", desktop(6, "d", "u5", 1)));
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.entries[0].identity.spaceID, 6u);
    EXPECT_FALSE(list.markCreated("q", desktop(5, "D", "U5", 1)));
    EXPECT_FALSE(list.markCreated(" p", desktop(7, "D", "U7", 1)));
    EXPECT_EQ(list.entries.size(), 1u);
}

TEST(ProjectManagedDesktopsTest, RefusesADesktopWithoutUUIDThatCouldNeverBeForgotten)
{
    ProjectManagedDesktops list;
    EXPECT_FALSE(list.markCreated("p", desktop(5, "D", std::nullopt, 1)));
    EXPECT_FALSE(list.markCreated("p", desktop(5, "D", " ", 1)));
    EXPECT_TRUE(list.entries.empty());
}

TEST(ProjectManagedDesktopsTest, ForgetsAndResolvesByDisplayAndUUIDWhateverTheSpaceID)
{
    ProjectManagedDesktops list;
    list.markCreated("p", desktop(5, "D", "U5", 1));
    list.markCreated("p", desktop(6, "D", "U6", 1));
    std::vector<NativeDesktopState> inventory = { desktop(1, "d", std::nullopt, 1), desktop(42, "d", "u6", 1) };
    EXPECT_EQ(list.entries[1].resolve(inventory), inventory[1]);
    EXPECT_FALSE(list.entries[0].resolve(inventory));
    list.remove(desktop(99, "E", "U5", 1));
    EXPECT_EQ(list.entries.size(), 2u) << "another display";
    list.remove(desktop(99, "d", "u5", 1));
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.entries[0].identity.spaceUUID, "U6");
}

TEST(ProjectManagedDesktopsTest, OffersEmptyCreatedDesktopsFromTheEndKeepingOnePerDisplay)
{
    // Display A shows a full-screen space: its current id is none of its desktops.
    std::vector<NativeDesktopState> inventory = {
        desktop(1, "R", "UR", 1),
        desktop(2, "A", "U2", 99),
        desktop(3, "A", "U3", 99),
        desktop(4, "A", "U4", 99),
        desktop(5, "B", "U5", 5),
        desktop(6, "B", std::nullopt, 5),
    };
    ProjectManagedDesktops list;
    for (auto index : { 1, 2, 3, 4, 0 })
        ASSERT_TRUE(list.markCreated("p", inventory[std::size_t(index)]));
    ProjectDesktopAssociations associations;
    std::set<std::uint64_t> empty = { 1, 2, 3, 4, 5, 6 };
    auto offered = list.eligibleCleanup(inventory, associations, empty, std::string("r"));
    std::vector<std::uint64_t> ids;
    for (const auto& entry : offered)
        ids.push_back(entry.identity.spaceID);
    EXPECT_EQ(ids, (std::vector<std::uint64_t> { 4, 3 })) << "not the reserved one, the current one, nor the last of A";

    associations.targets["q"] = { ProjectDesktopAssociation(4, "A", std::nullopt) };
    offered = list.eligibleCleanup(inventory, associations, empty, std::string("R"));
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0].identity.spaceID, 3u) << "a desktop another project uses is skipped";
    EXPECT_EQ(offered[1].identity.spaceID, 2u);

    EXPECT_TRUE(list.eligibleCleanup(inventory, associations, std::nullopt, std::string("R")).empty());
    EXPECT_TRUE(list.eligibleCleanup(inventory, associations, empty, std::nullopt).empty());
}

TEST(ProjectManagedDesktopsTest, EncodesVersionOneWithSortedKeysAndDecodesItBack)
{
    ProjectManagedDesktops list;
    list.markCreated("p", desktop(5, "D", "U5", 1));
    list.entries.push_back({ "q", ProjectDesktopAssociation(6, "D", std::nullopt) });
    auto data = list.encodedData();
    ASSERT_TRUE(data);
    EXPECT_EQ(*data,
        R"({"entries":[{"identity":{"display":"D","spaceID":5,"spaceUUID":"U5"},"projectID":"p"},)"
        R"({"identity":{"display":"D","spaceID":6},"projectID":"q"}],"version":1})");
    EXPECT_EQ(ProjectManagedDesktops::decode(*data), list);
}

TEST(ProjectManagedDesktopsTest, RefusesMalformedStoredDataWhole)
{
    const char* identity = R"({"display":"D","spaceID":5,"spaceUUID":"U5"})";
    auto document = [&](std::string entries, std::string version = "1") {
        return R"({"entries":[)" + entries + R"(],"version":)" + version + "}";
    };
    auto entry = [](std::string identity, std::string project = R"("p")") {
        return R"({"identity":)" + identity + R"(,"projectID":)" + project + "}";
    };
    EXPECT_TRUE(ProjectManagedDesktops::decode(document(entry(identity))));
    EXPECT_TRUE(ProjectManagedDesktops::decode(document(entry(R"({"display":"D","spaceID":5,"spaceUUID":null})"))));
    // Without UUIDs, two entries are one desktop only with the same id on the same display.
    const std::string bare = entry(R"({"display":"D","spaceID":5})");
    EXPECT_TRUE(ProjectManagedDesktops::decode(document(bare + "," + entry(R"({"display":"D","spaceID":6})"))));
    EXPECT_TRUE(ProjectManagedDesktops::decode(document(bare + "," + entry(R"({"display":"E","spaceID":5})"))));
    const std::vector<std::string> malformed = {
        "",
        "[]",
        R"({"entries":[]})",
        R"({"version":1})",
        document(entry(identity), "2"),
        document(entry(identity), "1.5"),
        document(entry(identity), "\"1\""),
        document(entry(identity) + "," + entry(R"({"display":"d","spaceID":6,"spaceUUID":"u5"})", R"("q")")),
        document(bare + "," + entry(R"({"display":"d","spaceID":5})", R"("q")")),
        document(entry(R"({"display":"D","spaceID":0})")),
        document(entry(R"({"display":"D","spaceID":-5})")),
        document(entry(R"({"display":"D","spaceID":5.5})")),
        document(entry(R"({"display":" D","spaceID":5})")),
        document(entry(R"({"spaceID":5})")),
        document(entry(R"({"display":"D","spaceID":5,"spaceUUID":""})")),
        document(entry(identity, R"("")")),
        document(entry(identity, "7")),
        document(R"({"identity":{"display":"D","spaceID":5}})"),
    };
    for (const auto& data : malformed)
        EXPECT_FALSE(ProjectManagedDesktops::decode(data)) << data;
}

} // namespace
} // namespace pellamor
