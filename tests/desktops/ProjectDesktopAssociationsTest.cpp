#include "desktops/ProjectDesktopAssociations.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

using Inventory = std::vector<NativeDesktopState>;
using Association = ProjectDesktopAssociation;

// Displays A (desktops 1, 2, current 1) and B (desktops 3, 4, current 4).
const Inventory inventory
    = { { 1, 1, "A", "U1" }, { 2, 1, "A", "U2" }, { 3, 4, "B", "U3" }, { 4, 4, "B", std::nullopt } };

ProjectDesktopAssociations store(
    std::map<std::string, std::vector<Association>> targets, std::set<std::string> unresolved = {})
{
    ProjectDesktopAssociations associations;
    associations.targets = std::move(targets);
    associations.unresolvedProjects = std::move(unresolved);
    return associations;
}

TEST(ProjectDesktopAssociationsTest, IdentityByUUIDOtherwiseBySpaceIDOnTheSameDisplay)
{
    NativeDesktopState renumbered { 77, 77, "a", "u1" };
    EXPECT_TRUE(Association(1, "A", "U1").denotes(renumbered));
    EXPECT_FALSE(Association(1, "A", "U1").denotes({ 1, 1, "A", std::nullopt }));
    EXPECT_FALSE(Association(1, "A", "U1").denotes({ 1, 1, "B", "U1" }));
    EXPECT_TRUE(Association(4, "b", std::nullopt).denotes({ 4, 4, "B", "anything" }));
    EXPECT_FALSE(Association(4, "B", std::nullopt).denotes({ 5, 4, "B", std::nullopt }));
    EXPECT_FALSE(Association(0, "B", std::nullopt).denotes({ 0, 4, "B", std::nullopt }));
    EXPECT_FALSE(Association(4, " B", std::nullopt).denotes({ 4, 4, " B", std::nullopt }));
}

TEST(ProjectDesktopAssociationsTest, ResolvedTargetsAreTheProjectsDesktopsPresentNowUpToNine)
{
    auto associations = store({ { "p", { Association(3, "b", "u3"), Association(99, "A", "gone") } } });
    auto resolved = associations.resolvedTargets("p", inventory);
    ASSERT_EQ(resolved.size(), 1u);
    EXPECT_EQ(resolved[0], (ProjectDesktopSwitchTarget { 3, inventory[2] }));
    EXPECT_TRUE(associations.resolvedTargets("P", inventory).empty());
    Inventory twelve;
    for (std::uint64_t id = 1; id <= 11; ++id)
        twelve.push_back({ id, 1, "A", std::nullopt });
    twelve.push_back({ 12, 12, "B", std::nullopt });
    auto far = store({ { "p", { Association(10, "A", std::nullopt) } } });
    EXPECT_TRUE(far.resolvedTargets("p", twelve).empty());
    // Beyond desktop 9 the project falls back, and the fallback's number is not limited to nine.
    EXPECT_EQ(far.assistantFallback("p", twelve, "b"), (AssistantFallbackTarget { "B", 12 }));
}

TEST(ProjectDesktopAssociationsTest, UnusableInventoriesStopEveryOperation)
{
    auto associations = store({ { "p", { Association(1, "A", "U1") } } });
    std::vector<Inventory> unusable = {
        {},
        { { 1, 0, "A", std::nullopt } },
        { { 0, 1, "A", std::nullopt } },
        { { 1, 1, "A", std::nullopt }, { 1, 1, "B", std::nullopt } },
        { { 1, 1, "A", "x" }, { 2, 1, "A", "X" } },
        { { 1, 1, "A", std::nullopt }, { 2, 2, "B", std::nullopt }, { 3, 1, "a", std::nullopt } },
        { { 1, 1, "A\n", std::nullopt } },
        { { 1, 1, "A", "\t" } },
    };
    for (const Inventory& bad : unusable) {
        EXPECT_FALSE(ProjectDesktopAssociations::valid(bad));
        EXPECT_TRUE(associations.resolvedTargets("p", bad).empty());
        ProjectDesktopAssociations copy = associations;
        EXPECT_FALSE(copy.assign("p", 1, bad));
        EXPECT_FALSE(copy.migrate({ { "q", 1 } }, bad));
        EXPECT_EQ(copy, associations);
    }
    EXPECT_TRUE(ProjectDesktopAssociations::valid(inventory));
}

TEST(ProjectDesktopAssociationsTest, FallbackToTheDedicatedDisplaysCurrentDesktop)
{
    auto associations = store({ { "onA", { Association(1, "A", "U1") } }, { "onB", { Association(3, "B", "U3") } },
                                  { "gone", { Association(8, "B", std::nullopt) } } },
        { "old" });
    EXPECT_EQ(associations.assistantFallback("onB", inventory, "a"), std::nullopt);
    EXPECT_EQ(associations.assistantFallback("onA", inventory, "a"), (AssistantFallbackTarget { "A", 1 }));
    EXPECT_EQ(associations.assistantFallback("gone", inventory, "a"), (AssistantFallbackTarget { "A", 1 }));
    EXPECT_EQ(associations.assistantFallback("old", inventory, "b"), (AssistantFallbackTarget { "B", 4 }));
    EXPECT_EQ(associations.assistantFallback("nobody", inventory, "a"), std::nullopt);
    EXPECT_EQ(associations.assistantFallback("old", inventory, std::nullopt), std::nullopt);
    EXPECT_EQ(associations.assistantFallback("old", inventory, "C"), std::nullopt);
    Inventory fullScreen = { { 1, 9, "A", std::nullopt }, { 2, 9, "A", std::nullopt } };
    EXPECT_EQ(associations.assistantFallback("old", fullScreen, "A"), (AssistantFallbackTarget { "A", std::nullopt }));
    Inventory disagreeing = { { 1, 1, "A", std::nullopt }, { 2, 2, "A", std::nullopt } };
    EXPECT_EQ(associations.assistantFallback("old", disagreeing, "A"), std::nullopt);
}

TEST(ProjectDesktopAssociationsTest, ResolvingEveryProjectAtOnceChecksTheStoreOnceAndAnswersAsEachProjectAlone)
{
    auto associations = store({ { "onA", { Association(1, "A", "U1") } },
                                  { "both", { Association(3, "B", "U3"), Association(2, "a", "u2") } },
                                  { "gone", { Association(8, "B", std::nullopt) } } },
        { "old" });
    for (std::optional<std::string> dedicated : { std::optional<std::string>("a"), std::optional<std::string>("B"),
             std::optional<std::string>(), std::optional<std::string>(" A") }) {
        std::uint64_t before = ProjectDesktopAssociations::validityChecks();
        auto all = associations.resolveAll(inventory, dedicated);
        EXPECT_EQ(ProjectDesktopAssociations::validityChecks() - before, 1u);
        ASSERT_EQ(all.size(), 4u);
        for (const auto& [projectID, resolution] : all) {
            EXPECT_EQ(resolution.targets, associations.resolvedTargets(projectID, inventory)) << projectID;
            EXPECT_EQ(resolution.fallback, associations.assistantFallback(projectID, inventory, dedicated))
                << projectID << " " << dedicated.value_or("none");
        }
    }
    EXPECT_TRUE(associations.resolveAll({}, "A").empty());
    auto invalid = store({ { "p", { Association(1, "A", "U1") } } }, { "p" });
    EXPECT_TRUE(invalid.resolveAll(inventory, "A").empty());
}

TEST(ProjectDesktopAssociationsTest, AssignReplacesInPlaceAppendsOrClears)
{
    auto associations = store({ { "p", { Association(1, "A", "U1"), Association(3, "B", "U3") } } }, { "q" });
    ASSERT_TRUE(associations.assign("p", 2, inventory));
    EXPECT_EQ(associations.targets["p"], (std::vector { Association(2, "A", "U2"), Association(3, "B", "U3") }));
    ASSERT_TRUE(associations.assign("q", 4, inventory));
    EXPECT_EQ(associations.targets["q"], std::vector { Association(4, "B", std::nullopt) });
    EXPECT_TRUE(associations.unresolvedProjects.empty());
    ASSERT_TRUE(associations.assign("r", 2, inventory));
    EXPECT_EQ(associations.targets["p"][0], associations.targets["r"][0]);
    auto before = associations;
    EXPECT_FALSE(associations.assign("p", 5, inventory));
    EXPECT_FALSE(associations.assign("p", 10, inventory));
    EXPECT_FALSE(associations.assign("p", -1, inventory));
    EXPECT_FALSE(associations.assign("", 1, inventory));
    EXPECT_EQ(associations, before);
    EXPECT_TRUE(associations.assign("nobody", 0, inventory));
    EXPECT_EQ(associations, before);
    EXPECT_TRUE(associations.assign("p", 0, {}));
    EXPECT_FALSE(associations.targets.count("p"));
}

TEST(ProjectDesktopAssociationsTest, RemoveFallbackKeepsOnlyUsableContentDesktops)
{
    auto associations = store({ { "p", { Association(1, "A", "U1"), Association(3, "B", "U3") } },
                                  { "gone", { Association(8, "B", std::nullopt) } } },
        { "old" });
    EXPECT_FALSE(associations.removeFallback("nobody", inventory, "A"));
    EXPECT_TRUE(associations.removeFallback("p", inventory, "a"));
    EXPECT_EQ(associations.targets["p"], std::vector { Association(3, "B", "U3") });
    EXPECT_FALSE(associations.removeFallback("p", inventory, "A"));
    EXPECT_TRUE(associations.removeFallback("gone", inventory, std::nullopt));
    EXPECT_FALSE(associations.targets.count("gone"));
    EXPECT_TRUE(associations.removeFallback("old", inventory, std::nullopt));
    EXPECT_TRUE(associations.unresolvedProjects.empty());
    EXPECT_FALSE(associations.removeFallback("p", inventory, " A"));
}

TEST(ProjectDesktopAssociationsTest, ForgettingADesktopTouchesEveryProjectThatNamesIt)
{
    auto associations = store({ { "p", { Association(1, "A", "U1") } },
        { "q", { Association(1, "a", "u1"), Association(4, "B", std::nullopt) } },
        { "r", { Association(4, "b", std::nullopt) } } });
    associations.remove(1, "A", "U1");
    associations.remove(4, "B", "whatever");
    EXPECT_EQ(associations.targets, (std::map<std::string, std::vector<Association>> {}));
    EXPECT_TRUE(associations.unresolvedProjects.empty());
    associations = store({ { "p", { Association(1, "A", "U1") } } });
    auto before = associations;
    associations.remove(1, "A", std::nullopt);
    associations.remove(0, "A", "U1");
    associations.remove(1, "", "U1");
    EXPECT_EQ(associations, before);
}

TEST(ProjectDesktopAssociationsTest, MigrationConvertsNumbersWithoutOverwritingIdentities)
{
    auto associations = store({ { "kept", { Association(1, "A", "U1") } } }, { "marked" });
    ASSERT_TRUE(associations.migrate(
        { { "kept", 3 }, { "marked", 2 }, { "none", 0 }, { "new", 3 }, { "beyond", 5 }, { "ten", 10 } }, inventory));
    EXPECT_EQ(associations.targets["kept"], std::vector { Association(1, "A", "U1") });
    EXPECT_EQ(associations.targets["new"], std::vector { Association(3, "B", "U3") });
    EXPECT_EQ(associations.unresolvedProjects, (std::set<std::string> { "beyond", "marked", "ten" }));
    EXPECT_FALSE(associations.targets.count("none"));
    auto before = associations;
    EXPECT_FALSE(associations.migrate({ { "bad\n", 1 } }, inventory));
    EXPECT_EQ(associations, before);

    auto pending = ProjectDesktopAssociations::legacyInventory({ PlistDictionary { { "id", "12" }, { "display", "A" } },
        PlistDictionary { { "id", "+13" }, { "display", "A" } } });
    ASSERT_TRUE(pending);
    EXPECT_EQ(*pending, (Inventory { { 12, 12, "A", std::nullopt }, { 13, 13, "A", std::nullopt } }));
    for (PlistDictionary element :
        { PlistDictionary { { "id", "12" } }, PlistDictionary { { "id", "-1" }, { "display", "A" } },
            PlistDictionary { { "id", "18446744073709551616" }, { "display", "A" } },
            PlistDictionary { { "id", 12 }, { "display", "A" } },
            PlistDictionary { { "id", "1 2" }, { "display", "A" } } })
        EXPECT_FALSE(ProjectDesktopAssociations::legacyInventory({ element }));
}

TEST(ProjectDesktopAssociationsTest, VersionTwoIsWrittenSortedAndCompact)
{
    auto associations = store({ { "proj-b", { Association(4, "B", std::nullopt) } },
                                  { "proj-a", { Association(2, "A", "U2"), Association(3, "B", "U3") } } },
        { "zeta", "alpha" });
    auto data = associations.encodedData();
    ASSERT_TRUE(data);
    EXPECT_EQ(*data,
        R"({"targets":{"proj-a":[{"display":"A","spaceID":2,"spaceUUID":"U2"},)"
        R"({"display":"B","spaceID":3,"spaceUUID":"U3"}],"proj-b":[{"display":"B","spaceID":4}]},)"
        R"("unresolvedProjects":["alpha","zeta"],"version":2})");
    EXPECT_EQ(associations.encodedData(), data);
    EXPECT_EQ(ProjectDesktopAssociations::decode(*data), associations);
    EXPECT_EQ(ProjectDesktopAssociations().encodedData(), R"({"targets":{},"unresolvedProjects":[],"version":2})");
    EXPECT_EQ(store({ { "p", {} } }).encodedData(), std::nullopt);
    EXPECT_EQ(store({ { "p", { Association(1, "A", "") } } }).encodedData(), std::nullopt);
    EXPECT_EQ(store({ { "p", { Association(1, "A", "U1"), Association(2, "a", "U2") } } }).encodedData(), std::nullopt);
    EXPECT_EQ(store({ { "p", { Association(1, "A", "U1") } } }, { "p" }).encodedData(), std::nullopt);
    std::uint64_t large = 18446744073709551615ull;
    auto big = store({ { "p", { Association(large, "A", std::nullopt) } } });
    EXPECT_EQ(ProjectDesktopAssociations::decode(*big.encodedData()), big);
}

TEST(ProjectDesktopAssociationsTest, SlashesAreEscapedAndTextThatIsNotUTF8IsNeverWritten)
{
    auto withPath = store({ { "/Users/me/app", { Association(2, "A", "U2") } } });
    auto data = withPath.encodedData();
    ASSERT_TRUE(data);
    EXPECT_EQ(*data,
        R"({"targets":{"\/Users\/me\/app":[{"display":"A","spaceID":2,"spaceUUID":"U2"}]},)"
        R"("unresolvedProjects":[],"version":2})");
    EXPECT_EQ(ProjectDesktopAssociations::decode(*data), withPath);
    EXPECT_EQ(store({ { "caf\xE9", { Association(2, "A", "U2") } } }).encodedData(), std::nullopt);
}

TEST(ProjectDesktopAssociationsTest, VersionOneIsReadAsListsOfOne)
{
    auto decoded = ProjectDesktopAssociations::decode(
        R"({"version":1,"targets":{"p":{"spaceID":7,"display":"A","spaceUUID":null,"extra":1}},"other":true})");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->targets["p"], std::vector { Association(7, "A", std::nullopt) });
    EXPECT_TRUE(decoded->unresolvedProjects.empty());
    EXPECT_EQ(*decoded->encodedData(),
        R"({"targets":{"p":[{"display":"A","spaceID":7}]},"unresolvedProjects":[],"version":2})");
}

TEST(ProjectDesktopAssociationsTest, EveryMalformedDocumentIsRefusedWhole)
{
    const char* documents[] = {
        "",
        "[]",
        R"({"targets":{}})",
        R"({"version":3,"targets":{}})",
        R"({"version":"2","targets":{}})",
        R"({"version":2.0,"targets":{}})",
        R"({"version":2})",
        R"({"version":2,"targets":[]})",
        R"({"version":2,"targets":{"p":{"spaceID":1,"display":"A"}}})",
        R"({"version":1,"targets":{"p":[{"spaceID":1,"display":"A"}]}})",
        R"({"version":2,"targets":{"p":[]}})",
        R"({"version":2,"targets":{"p":[{"spaceID":0,"display":"A"}]}})",
        R"({"version":2,"targets":{"p":[{"spaceID":-1,"display":"A"}]}})",
        R"({"version":2,"targets":{"p":[{"spaceID":1.5,"display":"A"}]}})",
        R"({"version":2,"targets":{"p":[{"spaceID":1}]}})",
        R"({"version":2,"targets":{"p":[{"spaceID":1,"display":" A"}]}})",
        R"({"version":2,"targets":{"p":[{"spaceID":1,"display":"A","spaceUUID":""}]}})",
        R"({"version":2,"targets":{"p":[{"spaceID":1,"display":"A","spaceUUID":5}]}})",
        R"({"version":2,"targets":{"p":[{"spaceID":1,"display":"A"},{"spaceID":2,"display":"a"}]}})",
        R"({"version":2,"targets":{"p\u0000":[{"spaceID":1,"display":"A"}]}})",
        R"({"version":2,"targets":{"p\u200b":[{"spaceID":1,"display":"A"}]}})",
        R"({"version":2,"targets":{},"unresolvedProjects":["q","q"]})",
        R"({"version":2,"targets":{},"unresolvedProjects":"q"})",
        R"({"version":2,"targets":{},"unresolvedProjects":[1]})",
        R"({"version":2,"targets":{"p":[{"spaceID":1,"display":"A"}]},"unresolvedProjects":["p"]})",
        R"({"version":2,"targets":{"p":[{"spaceID":1,"display":"A"}]},"unresolvedProjects":["ok", " "]})",
        R"({"version":2,"targets":{"p":[{"spaceID":18446744073709551616,"display":"A"}]}})",
        "{\"version\":2,\"targets\":{\"\xff\":[{\"spaceID\":1,\"display\":\"A\"}]}}",
    };
    for (const char* document : documents)
        EXPECT_EQ(ProjectDesktopAssociations::decode(document), std::nullopt) << document;
    EXPECT_TRUE(ProjectDesktopAssociations::decode(R"({"version":2,"targets":{},"unresolvedProjects":null})"));
}

} // namespace
} // namespace pellamor
