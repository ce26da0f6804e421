#include "desktops/DesktopModel.h"

#include "desktops/DesktopRuntime.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

PlistDictionary space(PlistValue id, PlistValue type = 0, std::optional<PlistValue> uuid = std::nullopt)
{
    PlistDictionary dictionary { { "ManagedSpaceID", id }, { "type", type } };
    if (uuid)
        dictionary["uuid"] = *uuid;
    return dictionary;
}

PlistDictionary display(const std::string& id, PlistValue current, PlistArray spaces)
{
    return { { "Display Identifier", id }, { "Current Space", PlistDictionary { { "ManagedSpaceID", current } } },
        { "Spaces", spaces } };
}

TEST(DesktopModelTest, TheInventoryListsOrdinaryDesktopsOfAllDisplaysInOrder)
{
    auto desktops = NativeDesktopState::inventory({
        display("A", 2, { space(1, 0, "U1"), space(2, 0, ""), space(9, 4, "FS") }),
        display("B", 0u, { space(3u, 0, 7) }),
        display("C", 4, { space(8, 4) }),
    });
    ASSERT_TRUE(desktops);
    EXPECT_EQ(*desktops,
        (std::vector<NativeDesktopState> {
            { 1, 2, "A", "U1" }, { 2, 2, "A", std::nullopt }, { 3, 0, "B", std::nullopt } }));
}

TEST(DesktopModelTest, AnyMalformedPartMakesTheWholeInventoryNone)
{
    PlistDictionary good = display("A", 1, { space(1) });
    auto without = [&](const char* key) {
        PlistDictionary copy = good;
        copy.erase(key);
        return copy;
    };
    std::vector<std::vector<PlistDictionary>> faulty = {
        {},
        { display("A", 1, { space(8, 4) }) },
        { good, display("B", 1, { space(1) }) },
        { display("A", 1, { space(0) }) },
        { display("A", 1, { space(-1) }) },
        { display("A", 1, { space(1.5) }) },
        { display("A", 1, { space(true) }) },
        { display("A", 1, { space(1, "0") }) },
        { display("A", 1, { space(1, 0.0) }) },
        { display("A", 1, { PlistValue("space") }) },
        { without("Display Identifier") },
        { without("Spaces") },
        { without("Current Space") },
        { { { "Display Identifier", 5 }, { "Current Space", PlistDictionary { { "ManagedSpaceID", 1 } } },
            { "Spaces", PlistArray {} } } },
        { { { "Display Identifier", "A" }, { "Current Space", PlistDictionary {} },
            { "Spaces", PlistArray { space(1) } } } },
    };
    for (std::size_t index = 0; index < faulty.size(); ++index)
        EXPECT_FALSE(NativeDesktopState::inventory(faulty[index])) << "case " << index;
    EXPECT_TRUE(NativeDesktopState::inventory({ display("A", 0, { space(5) }), display("B", 0, {}) }));
}

TEST(DesktopModelTest, NumbersHotKeysAndResolution)
{
    EXPECT_EQ(DesktopTargets::hotkeyID(0), std::nullopt);
    EXPECT_EQ(DesktopTargets::hotkeyID(1), 118u);
    EXPECT_EQ(DesktopTargets::hotkeyID(9), 126u);
    EXPECT_EQ(DesktopTargets::hotkeyID(10), std::nullopt);
    std::vector<PlistDictionary> three = { display("A", 1, { space(1), space(2), space(3) }) };
    EXPECT_EQ(NativeDesktopState::resolve(3, three)->spaceID, 3u);
    EXPECT_FALSE(NativeDesktopState::resolve(4, three));
    PlistArray twelve;
    for (int id = 1; id <= 12; ++id)
        twelve.push_back(space(id));
    EXPECT_FALSE(NativeDesktopState::resolve(10, { display("A", 1, twelve) }));
    EXPECT_EQ(NativeDesktopState::resolve(9, { display("A", 1, twelve) })->spaceID, 9u);
}

TEST(DesktopModelTest, ShortcutsMustBeTypable)
{
    EXPECT_EQ(NativeShortcut::make(18, 0x40000), (NativeShortcut { 18, 0x40000 }));
    EXPECT_FALSE(NativeShortcut::make(18, 0));
    EXPECT_TRUE(NativeShortcut::make(122, 0));
    EXPECT_TRUE(NativeShortcut::make(90, 0x20000));
    EXPECT_FALSE(NativeShortcut::make(18, 0x40000 | 0x10000));
    EXPECT_TRUE(NativeShortcut::make(83, 0x40000 | 0x200000));
    for (std::uint64_t flags : { 0ull, 0x40000ull, 0x100000ull })
        EXPECT_FALSE(NativeShortcut::make(55, flags));
    EXPECT_FALSE(NativeShortcut::make(128, 0x40000));
    EXPECT_FALSE(NativeShortcut::make(18, 0x40000 | 0x100));
}

TEST(DesktopModelTest, EligibilityAnswersTheFirstRuleThatApplies)
{
    using Eligibility = DesktopScreenEligibility;
    std::vector<NativeDesktopState> desktops
        = { { 1, 1, "A", std::nullopt }, { 2, 1, "A", std::nullopt }, { 3, 3, "B", std::nullopt } };
    auto eligibility = [&](int number, std::optional<std::vector<NativeDesktopState>> list,
                           std::optional<std::string> assistant, bool separate, bool connected) {
        return DesktopScreenPolicy::eligibility(number, list, assistant, separate, connected);
    };
    EXPECT_EQ(eligibility(0, desktops, "a", true, true), Eligibility::unreadable());
    EXPECT_EQ(eligibility(1, std::nullopt, "a", true, true), Eligibility::unreadable());
    EXPECT_EQ(eligibility(1, std::vector<NativeDesktopState> {}, "a", true, true), Eligibility::unreadable());
    EXPECT_EQ(eligibility(1, desktops, std::nullopt, true, true), Eligibility::missingAssistantScreen());
    EXPECT_EQ(eligibility(1, desktops, "a", false, false), Eligibility::missingAssistantScreen());
    EXPECT_EQ(eligibility(1, desktops, "a", false, true), Eligibility::sharedSpaces());
    EXPECT_EQ(eligibility(2, desktops, "a", true, true), Eligibility::reserved());
    EXPECT_EQ(eligibility(3, desktops, "a", true, true), Eligibility::content("B"));
    EXPECT_EQ(eligibility(9, desktops, "b", true, true), Eligibility::reserved());
    EXPECT_TRUE(Eligibility::content("B").isSelectable());
    EXPECT_FALSE(Eligibility::reserved().isSelectable());
}

TEST(DesktopModelTest, TheRuntimeReadsTheLiveWindowServerAndIsAbsentWithoutItsCalls)
{
    test::TestMac mac(test::world().display("D1", { 11, 12 }).display("D2", { 21 }));
    auto runtime = DesktopRuntime::make();
    ASSERT_TRUE(runtime);
    EXPECT_EQ(runtime->target(3), (NativeDesktopState { 21, 21, "D2", "UUID-21" }));
    EXPECT_EQ(runtime->currentSpace("D1"), 11u);
    EXPECT_EQ(runtime->currentSpace("d1"), std::nullopt);
    EXPECT_EQ(runtime->shortcut(118), (NativeShortcut { 18, 0x40000 }));
    EXPECT_EQ(runtime->shortcut(200), std::nullopt);
    mac.mac().setCurrentSpace("D1", 12);
    EXPECT_EQ(runtime->currentSpace("D1"), 12u);
    mac.world().faults.spaces = sim::SpacesShape::badElement;
    EXPECT_FALSE(runtime->displays());
    mac.world().faults.spaces = sim::SpacesShape::notArray;
    EXPECT_FALSE(runtime->target(1));
    for (const char* symbol : { "CGSGetSymbolicHotKeyValue", "CGSIsSymbolicHotKeyEnabled",
             "CGSSetSymbolicHotKeyEnabled", "SLSMainConnectionID", "SLSCopyManagedDisplaySpaces" }) {
        mac.world().faults.missingSymbols = { symbol };
        EXPECT_FALSE(DesktopRuntime::make()) << symbol;
    }
}

TEST(DesktopModelTest, TheFirstDictionaryOfADisplayAnswersForItsCurrentSpaceEvenWhenUnreadable)
{
    test::TestMac mac(test::world().display("D1", { 11, 12 }));
    auto runtime = DesktopRuntime::make();
    ASSERT_TRUE(runtime);
    auto entry = [](PlistValue current) {
        return PlistValue(PlistDictionary { { "Display Identifier", PlistValue(std::string("D1")) },
            { "Current Space", std::move(current) } });
    };
    const PlistValue readable(PlistDictionary { { "ManagedSpaceID", PlistValue(std::int64_t { 12 }) } });
    runtime->readSpaces = [&](skylight::ConnectionID) {
        return std::optional(PlistValue(PlistArray { entry(PlistValue(std::string("?"))), entry(readable) }));
    };
    EXPECT_EQ(runtime->currentSpace("D1"), std::nullopt) << "a later dictionary of the same display is not asked";
    runtime->readSpaces = [&](skylight::ConnectionID) {
        return std::optional(PlistValue(PlistArray { entry(readable), entry(PlistValue(std::string("?"))) }));
    };
    EXPECT_EQ(runtime->currentSpace("D1"), 12u);
}

} // namespace
} // namespace pellamor
