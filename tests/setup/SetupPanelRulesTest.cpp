#include "setup/SetupPanelRules.h"
#include "support/TestMac.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

using namespace SetupPanelRules;

NativeDesktopState desktop(std::uint64_t space, const std::string& display)
{
    return { space, space, display, std::nullopt };
}

OverviewProjectAssignment project(const std::string& id, const std::string& name, std::vector<int> desktops = {})
{
    OverviewProjectAssignment row;
    row.id = id;
    row.name = name;
    row.desktops = std::move(desktops);
    return row;
}

class SetupPanelRulesTest : public ::testing::Test {
protected:
    test::TestMac mac;
};

TEST_F(SetupPanelRulesTest, TheScreenOrderKeepsTheFirstOfIdsEqualIgnoringCase)
{
    std::vector<NativeDesktopState> desktops { desktop(1, "A"), desktop(2, "a"), desktop(3, "B") };
    std::map<std::string, std::string> names { { "C", "Third" }, { "", "Nameless" }, { "b", "Second" } };
    EXPECT_EQ(displayOrder(std::nullopt, desktops, names), std::vector<std::string>({ "A", "B", "C" }));
    EXPECT_EQ(displayOrder(std::vector<std::string> { "x", "", "X", "y" }, desktops, names),
        std::vector<std::string>({ "x", "y" }));
}

TEST_F(SetupPanelRulesTest, AScreenNameFallsBackToAnyCaseThenToItsNumber)
{
    std::map<std::string, std::string> names { { "ABC", "Upper" }, { "Abc", "Mixed" }, { "abc", "Lower" } };
    std::vector<std::string> order { "first", "aBC", "third" };
    EXPECT_EQ(displayName("Abc", names, order), "Mixed");
    // Several keys differ only by case: the first in plain order is taken, whatever the map held before.
    EXPECT_EQ(displayName("aBC", names, order), "Upper");
    EXPECT_EQ(displayName("third", names, order), "Écran 3");
    EXPECT_EQ(displayName("elsewhere", names, order), "Écran 1");
}

TEST_F(SetupPanelRulesTest, ConfiguredProjectsLeaveOutAFallbackOnlyProjectAndSortNumbersByValue)
{
    OverviewProjectAssignment fallbackOnly = project("f", "Fallback", { 2 });
    fallbackOnly.usingAssistantFallback = true;
    fallbackOnly.fallbackDesktop = 2;
    OverviewProjectAssignment unavailable = fallbackOnly;
    unavailable.id = "u";
    unavailable.name = "Unavailable";
    unavailable.unavailable = true;
    std::vector<OverviewProjectAssignment> rows { project("p10", "P10", { 3 }), project("p2", "P2", { 4 }),
        fallbackOnly, unavailable, project("none", "None"), project("far", "Far", { 10 }),
        project("b", "Same", { 1 }), project("a", "Same", { 1 }) };
    std::vector<std::string> ids;
    for (const auto& row : configuredProjects(rows))
        ids.push_back(row.id);
    EXPECT_EQ(ids, std::vector<std::string>({ "p2", "p10", "a", "b", "u" }));

    EXPECT_TRUE(isAssistantFallback(fallbackOnly, 2));
    EXPECT_FALSE(isAssistantFallback(fallbackOnly, 3));
    EXPECT_FALSE(isAssistantFallback(project("p", "P", { 2 }), 2)) << "a desktop of its own is no fallback";
}

TEST_F(SetupPanelRulesTest, TheLinkedDesktopSkipsTheReservedScreenTheFallbackAndNumbersBeyondNine)
{
    std::vector<NativeDesktopState> desktops { desktop(11, "A"), desktop(12, "A"), desktop(21, "B"),
        desktop(22, "B") };
    OverviewProjectAssignment row = project("p", "P", { 2, 4 });
    EXPECT_EQ(linkedDesktop(row, "a", desktops, std::nullopt)->spaceID, 12u);
    EXPECT_EQ(linkedDesktop(row, "B", desktops, std::nullopt)->spaceID, 22u);
    EXPECT_FALSE(linkedDesktop(row, "B", desktops, std::string("b")));
    row.usingAssistantFallback = true;
    row.fallbackDesktop = 4;
    EXPECT_FALSE(linkedDesktop(row, "B", desktops, std::nullopt));

    std::vector<NativeDesktopState> many;
    for (std::uint64_t space = 1; space <= 10; ++space)
        many.push_back(desktop(space, "A"));
    EXPECT_FALSE(linkedDesktop(project("p", "P", { 10 }), "A", many, std::nullopt));
}

TEST_F(SetupPanelRulesTest, TheFingerprintTellsApartTextsThatASeparatorWouldConfuse)
{
    std::vector<NativeDesktopState> desktops { desktop(1, "A") };
    std::vector<std::pair<std::string, std::string>> screens { { "A", "Screen" } };
    std::optional<std::string> reserved, selected;
    auto print = [&](const std::vector<DesktopWindow>& records, const std::vector<OverviewProjectAssignment>& rows) {
        std::vector<const DesktopWindow*> shown;
        for (const auto& record : records)
            shown.push_back(&record);
        return fingerprint({ desktops, rows, screens, reserved, true, selected, shown });
    };
    DesktopWindow one { 7, 1, "Editor", std::string("com.editor"), "a|b", QRectF(0, 0, 10, 10), { 1 } };
    DesktopWindow other = one;
    other.application = "Editor|a";
    other.title = "b";
    EXPECT_NE(print({ one }, {}), print({ other }, {}));
    EXPECT_NE(print({}, { project("x|y", "z") }), print({}, { project("x", "y|z") }));
    EXPECT_EQ(print({ one }, {}), print({ one }, {}));

    // Every field counts: the minimized state, a space, the document.
    DesktopWindow minimized = one;
    minimized.isMinimized = false;
    EXPECT_NE(print({ one }, {}), print({ minimized }, {}));
    DesktopWindow document = one;
    document.documentName = "";
    EXPECT_NE(print({ one }, {}), print({ document }, {}));
    std::string before = print({ one }, {});
    selected = "p";
    EXPECT_NE(print({ one }, {}), before);
}

TEST_F(SetupPanelRulesTest, AnyChangeAPanelWouldShowChangesTheFingerprint)
{
    std::vector<NativeDesktopState> desktops { desktop(1, "A"), desktop(2, "A") };
    std::vector<std::pair<std::string, std::string>> screens { { "A", "Screen" } };
    std::optional<std::string> reserved, selected = std::string("p");
    OverviewProjectAssignment row = project("p", "P", { 2 });
    row.path = "~/p";
    row.fallbackDesktop = 1;
    DesktopWindow record { 7, 1, "Editor", std::string("com.editor"), "Notes", QRectF(0, 0, 10, 10), { 1 } };
    auto print = [&](const OverviewProjectAssignment& shownRow, const DesktopWindow& shownRecord, bool loaded = true) {
        std::vector<OverviewProjectAssignment> rows { shownRow };
        std::vector<const DesktopWindow*> shown { &shownRecord };
        return fingerprint({ desktops, rows, screens, reserved, loaded, selected, shown });
    };
    const std::string base = print(row, record);
    EXPECT_NE(print(row, record, false), base);

    auto changedRecord = [&](auto change) {
        DesktopWindow changed = record;
        change(changed);
        return print(row, changed);
    };
    EXPECT_NE(changedRecord([](DesktopWindow& w) { w.application = "Other"; }), base) << "application";
    EXPECT_NE(changedRecord([](DesktopWindow& w) { w.id = 8; }), base) << "id";
    EXPECT_NE(changedRecord([](DesktopWindow& w) { w.pid = 2; }), base) << "pid";
    EXPECT_NE(changedRecord([](DesktopWindow& w) { w.bundleID.reset(); }), base) << "bundle";
    EXPECT_NE(changedRecord([](DesktopWindow& w) { w.title = "Other"; }), base) << "title";
    EXPECT_NE(changedRecord([](DesktopWindow& w) { w.frame.moveLeft(1); }), base) << "x";
    EXPECT_NE(changedRecord([](DesktopWindow& w) { w.frame.moveTop(1); }), base) << "y";
    EXPECT_NE(changedRecord([](DesktopWindow& w) { w.frame.setWidth(11); }), base) << "width";
    EXPECT_NE(changedRecord([](DesktopWindow& w) { w.frame.setHeight(11); }), base) << "height";
    EXPECT_NE(changedRecord([](DesktopWindow& w) { w.spaces = { 2 }; }), base) << "space";

    auto changedRow = [&](auto change) {
        OverviewProjectAssignment changed = row;
        change(changed);
        return print(changed, record);
    };
    EXPECT_NE(changedRow([](OverviewProjectAssignment& r) { r.id = "q"; }), base) << "project id";
    EXPECT_NE(changedRow([](OverviewProjectAssignment& r) { r.name = "Q"; }), base) << "name";
    EXPECT_NE(changedRow([](OverviewProjectAssignment& r) { r.desktops = { 1 }; }), base) << "desktop";
    EXPECT_NE(changedRow([](OverviewProjectAssignment& r) { r.path = "~/q"; }), base) << "path";
    EXPECT_NE(changedRow([](OverviewProjectAssignment& r) { r.unavailable = true; }), base) << "unavailable";
    EXPECT_NE(changedRow([](OverviewProjectAssignment& r) { r.usingAssistantFallback = true; }), base);
    EXPECT_NE(changedRow([](OverviewProjectAssignment& r) { r.fallbackDesktop = 2; }), base) << "fallback";
    EXPECT_NE(changedRow([](OverviewProjectAssignment& r) { r.fallbackDesktop.reset(); }), base);
    EXPECT_NE(changedRow([](OverviewProjectAssignment& r) { r.fallbackDesktop = 0; }),
        changedRow([](OverviewProjectAssignment& r) { r.fallbackDesktop.reset(); }))
        << "no fallback is not desktop 0";

    desktops[1].currentSpaceID = 1;
    EXPECT_NE(print(row, record), base) << "current desktop";
    desktops[1] = desktop(2, "A");
    desktops[1].spaceUUID = "U";
    EXPECT_NE(print(row, record), base) << "desktop identity";
    desktops[1] = desktop(2, "A");
    screens[0].second = "Renamed";
    EXPECT_NE(print(row, record), base) << "screen name";
    screens[0].second = "Screen";
    reserved = "A";
    EXPECT_NE(print(row, record), base) << "reserved screen";
    reserved.reset();
    EXPECT_EQ(print(row, record), base);
}

} // namespace
} // namespace pellamor
