#include "desktops/NativeDesktopTopology.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

PlistDictionary space(PlistValue id, PlistValue type = 0)
{
    return { { "ManagedSpaceID", std::move(id) }, { "type", std::move(type) } };
}

PlistDictionary display(std::string identifier, PlistArray spaces)
{
    return { { "Display Identifier", std::move(identifier) }, { "Spaces", std::move(spaces) } };
}

NativeDesktopTopology topology(std::vector<NativeDesktopTopology::Display> displays)
{
    return NativeDesktopTopology { std::move(displays) };
}

TEST(NativeDesktopTopologyTest, ReadsEverySpaceWithItsTypeInOrder)
{
    auto read = NativeDesktopTopology::make({
        display("AAA", { space(10), space(11u, 4), space(12.0) }),
        display("BBB", { space(20, 4) }),
    });
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, topology({ { "AAA", { { 10, 0 }, { 11, 4 }, { 12, 0 } } }, { "BBB", { { 20, 4 } } } }));
}

TEST(NativeDesktopTopologyTest, RefusesTheWholeSnapshotOnAnyMalformedPart)
{
    using Displays = std::vector<PlistDictionary>;
    const std::vector<Displays> malformed = {
        {},
        { display("AAA", {}) },
        { display(" \n", { space(1) }) },
        { display("AAA", { space(1) }), display("AAA", { space(2) }) },
        { display("AAA", { space(true) }) },
        { display("AAA", { space(1.5) }) },
        { display("AAA", { space(-1) }) },
        { display("AAA", { space(0) }) },
        { display("AAA", { space("1") }) },
        { display("AAA", { space(1, false) }) },
        { display("AAA", { space(1, -4) }) },
        { display("AAA", { space(1) }), display("BBB", { space(1) }) },
        { display("AAA", { PlistValue(1) }) },
        { { { "Display Identifier", 3 }, { "Spaces", PlistArray { space(1) } } } },
        { { { "Display Identifier", "AAA" } } },
        { display("AAA", { PlistDictionary { { "ManagedSpaceID", 1 } } }) },
    };
    for (std::size_t i = 0; i < malformed.size(); ++i)
        EXPECT_FALSE(NativeDesktopTopology::make(malformed[i])) << "case " << i;
}

TEST(NativeDesktopTopologyTest, FindsDisplaysIgnoringCaseAndThumbnailsAmongAllSpaces)
{
    auto snapshot = topology({ { "aaa-1", { { 10, 0 } } }, { "BBB-2", { { 20, 4 }, { 21, 0 }, { 22, 0 } } } });
    EXPECT_EQ(snapshot.index("bbb-2"), 1u);
    EXPECT_FALSE(snapshot.index("ccc"));
    EXPECT_EQ(snapshot.thumbnailIndex(22, "bbb-2"), 2u);
    EXPECT_FALSE(snapshot.thumbnailIndex(20, "BBB-2")) << "a full-screen space has no desktop thumbnail";
    EXPECT_FALSE(snapshot.thumbnailIndex(10, "BBB-2"));
    EXPECT_EQ(snapshot.desktopNumber(22, "bbb-2"), 2u) << "counted among the display's desktops only";
    EXPECT_EQ(snapshot.desktopNumber(10, "AAA-1"), 1u);
    EXPECT_FALSE(snapshot.desktopNumber(20, "BBB-2"));
    EXPECT_FALSE(snapshot.desktopNumber(10, "BBB-2"));
}

TEST(NativeDesktopTopologyTest, ConfirmsOnlyOneNewDesktopAfterTheDisplaysLastDesktop)
{
    auto before = topology({ { "A", { { 1, 0 }, { 2, 4 } } }, { "B", { { 5, 0 } } } });
    EXPECT_TRUE(
        topology({ { "A", { { 1, 0 }, { 9, 0 }, { 2, 4 } } }, { "B", { { 5, 0 } } } }).confirmsAddition("a", before))
        << "landing before a full-screen space is fine";
    EXPECT_FALSE(
        topology({ { "A", { { 9, 0 }, { 1, 0 }, { 2, 4 } } }, { "B", { { 5, 0 } } } }).confirmsAddition("A", before));
    EXPECT_FALSE(
        topology({ { "A", { { 1, 0 }, { 2, 4 }, { 9, 4 } } }, { "B", { { 5, 0 } } } }).confirmsAddition("A", before));
    EXPECT_FALSE(
        topology({ { "A", { { 1, 0 }, { 9, 0 }, { 2, 4 } } }, { "B", { { 6, 0 } } } }).confirmsAddition("A", before))
        << "another display changed too";
    EXPECT_FALSE(topology({ { "A", { { 1, 0 }, { 9, 0 }, { 8, 0 }, { 2, 4 } } }, { "B", { { 5, 0 } } } })
                     .confirmsAddition("A", before));
    EXPECT_FALSE(
        topology({ { "a", { { 1, 0 }, { 9, 0 }, { 2, 4 } } }, { "B", { { 5, 0 } } } }).confirmsAddition("A", before))
        << "identifiers are compared exactly between snapshots";
    EXPECT_FALSE(before.confirmsAddition("A", before));
    EXPECT_FALSE(
        topology({ { "A", { { 2, 4 }, { 1, 0 }, { 9, 0 } } }, { "B", { { 5, 0 } } } }).confirmsAddition("A", before))
        << "the display's other spaces reordered";
}

TEST(NativeDesktopTopologyTest, NeverConfirmsAnAdditionOnADisplayItDoesNotKnow)
{
    EXPECT_FALSE(NativeDesktopTopology {}.confirmsAddition("A", NativeDesktopTopology {}));
    auto before = topology({ { "A", { { 1, 0 } } } });
    EXPECT_FALSE(topology({ { "A", { { 1, 0 } } } }).confirmsAddition("Z", before));
}

TEST(NativeDesktopTopologyTest, ConfirmsExactlyTheRemovedDesktop)
{
    auto before = topology({ { "A", { { 1, 0 }, { 2, 0 }, { 3, 4 } } }, { "B", { { 5, 0 }, { 6, 0 } } } });
    EXPECT_TRUE(
        topology({ { "A", { { 1, 0 }, { 3, 4 } } }, { "B", { { 5, 0 }, { 6, 0 } } } }).confirmsRemoval(2, "a", before));
    EXPECT_FALSE(
        topology({ { "A", { { 1, 0 }, { 3, 4 } } }, { "B", { { 6, 0 }, { 5, 0 } } } }).confirmsRemoval(2, "A", before))
        << "another display reordered";
    EXPECT_FALSE(
        topology({ { "A", { { 2, 0 }, { 3, 4 } } }, { "B", { { 5, 0 }, { 6, 0 } } } }).confirmsRemoval(2, "A", before));
    EXPECT_FALSE(
        topology({ { "A", { { 1, 0 }, { 2, 0 } } }, { "B", { { 5, 0 }, { 6, 0 } } } }).confirmsRemoval(3, "A", before))
        << "a full-screen space is no desktop to remove";
    auto lonely = topology({ { "A", { { 1, 0 }, { 3, 4 } } } });
    EXPECT_FALSE(topology({ { "A", { { 3, 4 } } } }).confirmsRemoval(1, "A", lonely));
}

} // namespace
} // namespace pellamor
