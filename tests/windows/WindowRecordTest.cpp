#include "platform/WindowList.h"
#include "support/TestMac.h"
#include "windows/DesktopWindow.h"
#include "windows/WindowArrangement.h"
#include "windows/WindowOrganizationPolicy.h"
#include "windows/WindowOwnerIdentification.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace pellamor {
namespace {

DesktopWindow record(std::uint32_t id = 40, std::int32_t pid = 300, std::optional<std::string> bundleID = "com.example")
{
    return DesktopWindow { id, pid, "Example", bundleID, "Notes", QRectF(0, 0, 200, 100), { 5 }, std::nullopt,
        std::nullopt };
}

PlistDictionary description(
    PlistValue number, PlistValue owner, PlistValue layer = 0, QRectF bounds = QRectF(10, 20, 300, 200))
{
    return { { windowKey::number, number }, { windowKey::ownerPID, owner }, { windowKey::layer, layer },
        { windowKey::bounds, dictionaryFromRect(bounds) } };
}

TEST(WindowTitleTest, TheFirstNonBlankCandidateWinsTrimmed)
{
    test::TestMac mac;
    EXPECT_EQ(DesktopWindow::resolvedTitle("   ", "  Notes\n", "Capture", "doc.txt"), "Notes");
    EXPECT_EQ(DesktopWindow::resolvedTitle(std::nullopt, std::nullopt, " \t", "doc.txt"), "doc.txt");
    EXPECT_EQ(DesktopWindow::resolvedTitle(std::nullopt, " ", std::nullopt, "\n"), "Fenêtre sans titre");
}

TEST(WindowTitleTest, TheUntitledTextIsLocalised)
{
    test::TestMac mac({ "en-GB" });
    EXPECT_EQ(DesktopWindow::resolvedTitle(std::nullopt, std::nullopt, std::nullopt, std::nullopt), "Untitled window");
}

TEST(WindowOwnerIdentificationTest, PositiveIntegersAreNonBooleanNumbersAboveZero)
{
    auto positive = [](PlistValue value) { return WindowOwnerIdentification::positiveInteger(&value); };
    EXPECT_EQ(positive(42), 42u);
    EXPECT_EQ(positive(42.0), 42u);
    EXPECT_EQ(positive(std::uint64_t { 18446744073709551615u }), 18446744073709551615u);
    EXPECT_EQ(positive(true), std::nullopt);
    EXPECT_EQ(positive(0), std::nullopt);
    EXPECT_EQ(positive(-3), std::nullopt);
    EXPECT_EQ(positive(4.5), std::nullopt);
    EXPECT_EQ(positive(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(positive(1e300), std::nullopt);
    EXPECT_EQ(positive("42"), std::nullopt);
    EXPECT_EQ(WindowOwnerIdentification::positiveInteger(nullptr), std::nullopt);
}

TEST(WindowOwnerIdentificationTest, MatchingNeedsOneDescriptionOfTheRunningOwner)
{
    auto matches
        = [](const DesktopWindow& window, WindowDescriptions descriptions, std::optional<std::int32_t> pid = 300,
              std::optional<std::string> bundle = "com.example", bool terminated = false) {
              return WindowOwnerIdentification::matches(window, descriptions, pid, bundle, terminated);
          };
    std::vector<PlistDictionary> one { description(40, 300) };
    EXPECT_TRUE(matches(record(), one));
    EXPECT_FALSE(matches(record(0), one));
    EXPECT_FALSE(matches(record(), one, std::nullopt));
    EXPECT_FALSE(matches(record(), one, 301));
    EXPECT_FALSE(matches(record(), one, 300, "com.example", true));
    EXPECT_FALSE(matches(record(), one, 300, "com.other"));
    EXPECT_FALSE(matches(record(), std::nullopt));
    EXPECT_FALSE(matches(record(), std::vector<PlistDictionary> { description(40, 300), description(40.0, 300) }));
    EXPECT_FALSE(matches(record(), std::vector<PlistDictionary> { description(40, 301) }));
    EXPECT_FALSE(matches(record(), std::vector<PlistDictionary> { description(41, 300) }));
    // An owner without a bundle identifier matches a record that holds the empty text, not one that holds none.
    EXPECT_TRUE(matches(record(40, 300, ""), one, 300, std::nullopt));
    EXPECT_FALSE(matches(record(40, 300, std::nullopt), one, 300, std::nullopt));
}

TEST(WindowOwnerIdentificationTest, RefreshedRecordTakesTheCurrentBoundsAndSpaces)
{
    auto refreshed = [](PlistDictionary described, std::optional<std::vector<std::uint64_t>> spaces = { { 7 } },
                         bool regular = true, std::int32_t ownPID = 1) {
        return WindowOwnerIdentification::refreshedRecord(
            record(), std::vector<PlistDictionary> { described }, 300, "com.example", false, regular, ownPID, spaces);
    };
    auto fresh = refreshed(description(40, 300));
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->frame, QRectF(10, 20, 300, 200));
    EXPECT_EQ(fresh->spaces, std::vector<std::uint64_t> { 7 });
    EXPECT_EQ(fresh->title, "Notes");

    EXPECT_TRUE(refreshed(description(40, 300, 0, QRectF(0, 0, 60, 40))));
    EXPECT_FALSE(refreshed(description(40, 300, 0, QRectF(0, 0, 59.9, 200))));
    EXPECT_FALSE(refreshed(description(40, 300, 0, QRectF(0, 0, 200, 39))));
    EXPECT_FALSE(refreshed(description(40, 300, 0, QRectF(std::nan(""), 0, 200, 100))));
    EXPECT_FALSE(refreshed(description(40, 300, 0, QRectF(0, 0, std::numeric_limits<double>::infinity(), 100))));
    EXPECT_FALSE(refreshed(description(40, 300, 3)));
    EXPECT_FALSE(refreshed(description(40, 300, false)));
    PlistDictionary noLayer = description(40, 300);
    noLayer.erase(windowKey::layer);
    EXPECT_FALSE(refreshed(noLayer));
    EXPECT_FALSE(refreshed(description(40, 300), std::vector<std::uint64_t> { 7, 0 }));
    EXPECT_FALSE(refreshed(description(40, 300), std::vector<std::uint64_t> {}));
    EXPECT_FALSE(refreshed(description(40, 300), std::nullopt));
    EXPECT_FALSE(refreshed(description(40, 300), { { 7 } }, false));
    EXPECT_FALSE(refreshed(description(40, 300), { { 7 } }, true, 300));
}

TEST(WindowArrangementTest, TitlesAndRawValuesRoundTrip)
{
    test::TestMac mac({ "en-GB" });
    for (auto value : WindowArrangement::allCases) {
        WindowArrangement arrangement(value);
        EXPECT_EQ(WindowArrangement::fromRawValue(arrangement.rawValue()), arrangement);
    }
    EXPECT_EQ(WindowArrangement(WindowArrangement::left).rawValue(), "Demi-écran gauche");
    EXPECT_EQ(WindowArrangement(WindowArrangement::left).title(), "Left half");
    EXPECT_EQ(WindowArrangement::fromRawValue("Left half"), std::nullopt);
    EXPECT_EQ(WindowArrangement::fromRawValue("demi-écran gauche"), std::nullopt);
}

TEST(WindowArrangementTest, RectanglesAreFractionsOfTheArea)
{
    QRectF area(0, 25, 1440, 875);
    EXPECT_EQ(
        WindowArrangement(WindowArrangement::bottomRight).rect(QSizeF(10, 10), area), QRectF(720, 462.5, 720, 437.5));
    EXPECT_EQ(WindowArrangement(WindowArrangement::maximize).rect(QSizeF(10, 10), area), area);
    EXPECT_EQ(WindowArrangement(WindowArrangement::top).rect(QSizeF(10, 10), QRectF(-1000, 100, 1000, 800)),
        QRectF(-1000, 100, 1000, 400));
    EXPECT_EQ(WindowArrangement(WindowArrangement::center).rect(QSizeF(400, 300), area), QRectF(520, 312.5, 400, 300));
    EXPECT_EQ(WindowArrangement(WindowArrangement::center).zone(), QRectF(0.25, 0.25, 0.5, 0.5));
    EXPECT_EQ(WindowArrangement(WindowArrangement::topRight).zone(), QRectF(0.5, 0, 0.5, 0.5));
}

TEST(WindowArrangementTest, DetectionTriesCenterLastAndAcceptsTheTolerance)
{
    QRectF area(0, 25, 1440, 875);
    EXPECT_EQ(WindowArrangement::detected(QRectF(6, 31, 714, 869), area), WindowArrangement::left);
    EXPECT_EQ(WindowArrangement::detected(QRectF(6.1, 25, 720, 875), area), std::nullopt);
    // Half the area's size in its middle is also what centring a half-size window gives.
    EXPECT_EQ(WindowArrangement::detected(QRectF(360, 243.75, 720, 437.5), area), WindowArrangement::center);
    // A maximised frame is also "its own size, centred".
    EXPECT_EQ(WindowArrangement::detected(QRectF(0, 25, 1440, 875), area), WindowArrangement::maximize);
    EXPECT_EQ(WindowArrangement::detected(QRectF(2, 27.5, 1436, 870), area, 0), WindowArrangement::center);
    EXPECT_EQ(WindowArrangement::detected(QRectF(100, 100, 0, 300), area), std::nullopt);
    EXPECT_EQ(WindowArrangement::detected(QRectF(100, 100, 300, 300), QRectF()), std::nullopt);
    EXPECT_EQ(WindowArrangement::detected(QRectF(0, 0, 10, 10), area), std::nullopt);
}

class WindowOrganizationPolicyTest : public ::testing::Test {
protected:
    test::TestMac mac;
    std::vector<NativeDesktopState> desktops { { 5, 5, "D1", "U5" }, { 6, 5, "D1", "U6" }, { 9, 9, "D2", "U9" } };

    std::optional<std::string> restriction(const DesktopWindow& window, std::uint64_t destination,
        bool returning = false, bool separate = true, std::optional<std::string> reserved = "d2")
    {
        return WindowOrganizationPolicy::restriction(
            window, 5, destination, desktops, reserved, "com.openai.codex", separate, returning);
    }
};

TEST_F(WindowOrganizationPolicyTest, RulesAnswerInTheirOrder)
{
    DesktopWindow window = record();
    DesktopWindow assistant = record(41, 301, "com.openai.codex");
    EXPECT_EQ(restriction(window, 6), std::nullopt);
    EXPECT_EQ(restriction(assistant, 6, false, false),
        "Active « Les écrans disposent d’espaces distincts » dans les réglages macOS.");
    auto disconnected = "L’écran réservé à l’assistant est déconnecté ou indisponible. Vérifie Ton assistant.";
    EXPECT_EQ(restriction(assistant, 6, false, true, std::nullopt), disconnected);
    EXPECT_EQ(restriction(assistant, 6, false, true, "D3"), disconnected);
    EXPECT_EQ(
        restriction(assistant, 6), "La fenêtre de l’assistant est protégée. Utilise Ton assistant pour la placer.");
    // The assistant's bundle identifier is compared exactly.
    EXPECT_EQ(restriction(record(41, 301, "com.OpenAI.codex"), 6), std::nullopt);
    auto moved = "Cette fenêtre est sur plusieurs bureaux, en plein écran, ou a changé de bureau. Actualise la vue.";
    DesktopWindow twoSpaces = window;
    twoSpaces.spaces = { 5, 6 };
    EXPECT_EQ(restriction(twoSpaces, 6), moved);
    EXPECT_EQ(restriction(window, 77), moved);
    desktops.erase(desktops.begin());
    EXPECT_EQ(restriction(window, 6), moved);
}

TEST_F(WindowOrganizationPolicyTest, TheReservedScreenTakesOnlyWindowsReturningToTheLibrary)
{
    EXPECT_EQ(restriction(record(), 9), "Les bureaux de l’écran réservé à l’assistant sont protégés.");
    EXPECT_EQ(restriction(record(), 9, true), std::nullopt);
}

} // namespace
} // namespace pellamor
