#include "desktops/NativeDesktopManagementDriver.h"

#include "platform/Platform.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"
#include "windows/WindowSpaceRuntime.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

using Policy = NativeDesktopManagementDriver::RemovalPolicy;
using Spaces = std::set<std::uint64_t>;

// Display A is the assistant's; B and C take content. Terminal (regular) has a window on 5, a menu-bar
// helper (accessory) one on 6.
class NativeDesktopManagementDriverTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world()
            .display("A", { 1, 2 })
            .display("B", { 4, 5, 6 })
            .display("C", { 7 })
            .application(602, "com.apple.Terminal", "Terminal")
            .application(700, "com.example.helper", "Helper")
            .window(3201, 602, QRectF(1100, 100, 500, 400), { 5 })
            .window(7001, 700, QRectF(1100, 100, 500, 400), { 6 }) };
    std::shared_ptr<MissionControlCreator> creator = std::make_shared<MissionControlCreator>();
    std::vector<std::optional<std::string>> completions;

    void SetUp() override
    {
        mac.world().applications[1].policy = ActivationPolicy::accessory;
        platform().standardDefaults().set("assistantScreenID", "A");
    }

    // With the window server read through a runtime, as the application gives it.
    std::shared_ptr<NativeDesktopManagementDriver> driver(Policy policy = Policy::emptyContentDesktops)
    {
        auto made = std::make_shared<NativeDesktopManagementDriver>(creator, policy);
        std::shared_ptr<WindowSpaceRuntime> runtime = WindowSpaceRuntime::make();
        made->windowServer.windowsInSpace = [runtime](std::uint64_t space) { return runtime->windowsInSpace(space); };
        made->windowServer.windowInformation = [runtime] { return runtime->allDescriptions(); };
        return made;
    }

    DesktopManagementDriver::Completion record()
    {
        return [this](std::optional<std::string> message) { completions.push_back(std::move(message)); };
    }

    static DesktopManagementDriver::Validating allow()
    {
        return [] { return std::optional<std::string>(); };
    }
};

TEST_F(NativeDesktopManagementDriverTest, NormalPolicyProtectsTheAssistantScreenAndRemovesOnlyEmptyDesktops)
{
    auto normal = driver();
    EXPECT_EQ(normal->validate("B", std::nullopt), std::nullopt) << "adding on a content screen";
    EXPECT_EQ(normal->validate("a", std::nullopt), "Les bureaux de l’écran réservé à l’assistant sont protégés.");
    EXPECT_EQ(normal->validate("B", 6), std::nullopt) << "an accessory application's window does not count";
    EXPECT_EQ(normal->validate("B", 5),
        "Déplace les fenêtres de ce bureau avant de le supprimer, y compris les fenêtres réduites.");
    EXPECT_EQ(normal->validate("C", 7), "Le dernier bureau d’un écran doit être conservé.");
    EXPECT_EQ(normal->validate("B", 7), "Ce bureau a changé. Actualise la liste avant de le supprimer.");
    EXPECT_EQ(normal->validate("Z", std::nullopt), "L’écran de ce bureau est indisponible. Actualise la liste.");
    mac.world().displays[2].number = 1; // no screen answers for C any more, though its desktops are listed
    EXPECT_EQ(normal->validate("C", std::nullopt), "L’écran de ce bureau est indisponible. Actualise la liste.");
    mac.world().displays[2].number = 3;
    EXPECT_EQ(normal->validate("b", std::nullopt), "L’écran de ce bureau est indisponible. Actualise la liste.")
        << "the inventory names displays exactly";

    normal->additionalValidation = [](const std::string&, std::optional<std::uint64_t>) {
        return std::optional<std::string>("Refusé par le propriétaire.");
    };
    mac.world().permissions.accessibility = false;
    EXPECT_EQ(normal->validate("B", 6), "Refusé par le propriétaire.");
    normal->additionalValidation = nullptr;
    EXPECT_EQ(normal->validate("B", 6), "Autorise l’accessibilité pour ajouter ou supprimer un bureau.");
    mac.world().permissions.accessibility = true;

    mac.world().separateSpaces = false;
    EXPECT_EQ(normal->validate("B", std::nullopt),
        "Active « Les écrans disposent d’espaces distincts » dans Bureau et Dock pour garder l’écran de l’assistant "
        "fixe.");
}

TEST_F(NativeDesktopManagementDriverTest, UnreadableWindowsNeverCountAsEmpty)
{
    auto normal = driver();
    auto information = normal->windowServer.windowInformation;
    normal->windowServer.windowsInSpace = [](std::uint64_t space) -> std::optional<std::vector<std::uint32_t>> {
        if (space == 4)
            return std::nullopt;
        return std::vector<std::uint32_t> {};
    };
    EXPECT_EQ(normal->validate("B", 6), "Impossible de vérifier les fenêtres de ce bureau.");

    int reads = 0;
    normal->windowServer.windowsInSpace = [&](std::uint64_t) -> std::optional<std::vector<std::uint32_t>> {
        if (++reads == 1)
            return std::nullopt;
        return std::vector<std::uint32_t> {};
    };
    EXPECT_EQ(normal->validate("B", 6), std::nullopt) << "a reading that fails once is read again";

    normal->windowServer.windowInformation = [] { return std::optional<PlistArray>(); };
    EXPECT_EQ(normal->validate("B", 6), "Impossible de vérifier les fenêtres de ce bureau.")
        << "no window information";
    normal->windowServer.windowInformation = [&] {
        auto list = information();
        list->push_back(PlistValue("not a window"));
        return list;
    };
    EXPECT_EQ(normal->validate("B", 6), "Impossible de vérifier les fenêtres de ce bureau.") << "not all dictionaries";
    normal->windowServer.windowInformation = information;
    EXPECT_EQ(normal->validate("B", 6), std::nullopt);

    auto unconnected = std::make_shared<NativeDesktopManagementDriver>(creator, Policy::emptyContentDesktops);
    EXPECT_EQ(unconnected->validate("B", 6), "Impossible de vérifier les fenêtres de ce bureau.")
        << "without a window-server runtime";
}

TEST_F(NativeDesktopManagementDriverTest, WithoutScreensTheAssistantScreenIsDisconnected)
{
    auto normal = driver();
    for (const char* display : { "A", "B", "C" })
        mac.mac().disconnectDisplay(display);
    EXPECT_EQ(normal->validate("B", std::nullopt), "L’écran réservé à l’assistant est déconnecté. Vérifie Ton assistant.");
}

TEST_F(NativeDesktopManagementDriverTest, ScreensChangedDuringAnOperationStopIt)
{
    auto normal = driver();
    EXPECT_EQ(normal->validate("B", std::nullopt), std::nullopt);
    normal->add("B", allow(), record());
    EXPECT_EQ(normal->validate("B", std::nullopt), std::nullopt);
    mac.world().displays[2].frame.translate(0, 100);
    EXPECT_EQ(normal->validate("B", std::nullopt), "Les écrans ou leur réservation ont changé. L’action a été arrêtée.");
    normal->close();
    EXPECT_EQ(normal->validate("B", std::nullopt), std::nullopt) << "nothing captured once closed";

    normal->add("B", allow(), record());
    platform().standardDefaults().set("assistantScreenID", "C");
    EXPECT_EQ(normal->validate("B", std::nullopt), "Les écrans ou leur réservation ont changé. L’action a été arrêtée.");
    normal->close();
    mac.advance(10);
    EXPECT_TRUE(completions.empty()) << "a closed operation never completes";
}

TEST_F(NativeDesktopManagementDriverTest, ResetPolicyRemovesAnyExtraDesktopWhileTheScreensStayAsTheyWere)
{
    auto reset = driver(Policy::confirmedReset);
    EXPECT_EQ(reset->validate("B", std::nullopt),
        "Cette action permet uniquement de supprimer les bureaux supplémentaires.");
    EXPECT_EQ(reset->validate("A", 2), std::nullopt) << "the assistant's screen and occupied desktops included";
    EXPECT_EQ(reset->validate("B", 5), std::nullopt);
    EXPECT_EQ(reset->validate("B", 4),
        "Le bureau actif a changé. La suppression a été arrêtée. Réessaie depuis le bureau à conserver.");
    EXPECT_EQ(reset->validate("C", 7), "Le dernier bureau d’un écran doit être conservé.");
    EXPECT_EQ(reset->validate("Z", 7), "L’écran de ce bureau est indisponible. Actualise la liste.");

    mac.world().displays[1].frame.setWidth(1200);
    EXPECT_EQ(reset->validate("B", 5), "Les écrans ont changé. La suppression des bureaux a été arrêtée.");
    mac.world().separateSpaces = false;
    EXPECT_EQ(reset->validate("B", 5),
        "Pour supprimer les bureaux de tous les écrans, active « Les écrans disposent d’espaces distincts » dans "
        "Bureau et Dock, puis reconnecte-toi à macOS.");
}

TEST_F(NativeDesktopManagementDriverTest, EmptyDesktopsAnswerOnlyForTheWholeInventory)
{
    auto normal = driver();
    auto inventory = *creator->inventory();
    EXPECT_EQ(normal->emptyDesktopSpaces(inventory), (Spaces { 1, 2, 4, 6, 7 }));
    EXPECT_EQ(normal->emptyDesktopSpaces({ inventory.begin(), inventory.end() - 1 }), std::nullopt);
    auto reordered = inventory;
    std::swap(reordered[0], reordered[1]);
    EXPECT_EQ(normal->emptyDesktopSpaces(reordered), std::nullopt);
    auto otherUUID = inventory;
    otherUUID[3].spaceUUID = "UUID-other";
    EXPECT_EQ(normal->emptyDesktopSpaces(otherUUID), std::nullopt);
    auto current = inventory;
    current[3].currentSpaceID = 5;
    EXPECT_EQ(normal->emptyDesktopSpaces(current), (Spaces { 1, 2, 4, 6, 7 })) << "the current desktop is not compared";

    // A regular application's window shown on every space occupies every desktop.
    mac.world().windows[0].canJoinAllSpaces = true;
    EXPECT_EQ(normal->emptyDesktopSpaces(inventory), Spaces {});
    // Its owner quits: the window server no longer lists it.
    mac.world().applications[0].terminated = true;
    EXPECT_EQ(normal->emptyDesktopSpaces(inventory), (Spaces { 1, 2, 4, 5, 6, 7 }));
}

TEST_F(NativeDesktopManagementDriverTest, DesktopsThatChangeWhileTheWindowsAreReadGiveNoAnswer)
{
    auto normal = driver();
    auto inventory = *creator->inventory();
    auto read = normal->windowServer.windowsInSpace;
    normal->windowServer.windowsInSpace = [&](std::uint64_t space) {
        mac.mac().removeSpace(6);
        return read(space);
    };
    EXPECT_EQ(normal->emptyDesktopSpaces(inventory), std::nullopt) << "a desktop removed meanwhile";

    mac.world().displays[1].spaces.push_back({ 6, "UUID-6", sim::desktopSpaceType });
    auto without = inventory;
    without.erase(std::find_if(without.begin(), without.end(), [](const auto& d) { return d.spaceID == 6; }));
    EXPECT_EQ(normal->emptyDesktopSpaces(without), std::nullopt) << "the list matches only the second reading";
}

TEST_F(NativeDesktopManagementDriverTest, TheVerdictOfEachWindowDecidesItsDesktops)
{
    using Windows = std::map<std::uint64_t, std::vector<std::uint32_t>>;
    Windows windows { { 1, {} }, { 2, { 10 } }, { 3, { 11, 12 } }, { 4, { 12 } } };
    std::map<std::uint32_t, std::optional<bool>> verdicts { { 10, false }, { 11, true }, { 12, std::nullopt } };
    std::map<std::uint32_t, int> asked;
    auto inSpace = [&](std::uint64_t space) -> std::optional<std::vector<std::uint32_t>> {
        auto found = windows.find(space);
        return found == windows.end() ? std::nullopt : std::optional(found->second);
    };
    auto occupying = [&](std::uint32_t window) {
        ++asked[window];
        return verdicts[window];
    };
    EXPECT_EQ(DesktopSpaceOccupancy::emptySpaces({ 1, 2, 3 }, inSpace, occupying), (Spaces { 1, 2 }))
        << "an occupied window outweighs an unknown one";
    EXPECT_EQ(DesktopSpaceOccupancy::emptySpaces({ 1, 2, 3, 4 }, inSpace, occupying), std::nullopt)
        << "an unknown window without an occupied one leaves the whole answer open";
    EXPECT_EQ(asked[12], 2) << "asked once per reading, shared between desktops";
    EXPECT_EQ(DesktopSpaceOccupancy::emptySpaces({}, inSpace, occupying), std::nullopt);
    EXPECT_EQ(DesktopSpaceOccupancy::emptySpaces({ 1, 1 }, inSpace, occupying), std::nullopt);
    EXPECT_EQ(DesktopSpaceOccupancy::emptySpaces({ 0, 1 }, inSpace, occupying), std::nullopt);
    EXPECT_EQ(DesktopSpaceOccupancy::emptySpaces({ 1, 9 }, inSpace, occupying), std::nullopt);
    windows[1] = { 0 };
    verdicts[0] = false;
    EXPECT_EQ(DesktopSpaceOccupancy::emptySpaces({ 1 }, inSpace, occupying), std::nullopt) << "window number 0";
}

TEST_F(NativeDesktopManagementDriverTest, WhoseWindowOccupiesADesktop)
{
    auto own = [](std::optional<bool> joinsAllSpaces) {
        return [joinsAllSpaces](std::uint32_t) { return joinsAllSpaces; };
    };
    auto described = [](std::optional<PlistValue> layer, std::optional<PlistValue> pid) {
        PlistDictionary description { { "kCGWindowNumber", std::int64_t(42) } };
        if (layer)
            description["kCGWindowLayer"] = *layer;
        if (pid)
            description["kCGWindowOwnerPID"] = *pid;
        return description;
    };
    int self = 4242;
    auto verdict = [&](const PlistDictionary& description, std::optional<bool> joins = std::nullopt) {
        return DesktopSpaceOccupancy::occupies(&description, self, own(joins));
    };
    EXPECT_EQ(DesktopSpaceOccupancy::occupies(nullptr, self, own(std::nullopt)), std::nullopt);
    EXPECT_EQ(verdict(described(std::nullopt, std::int64_t(602))), std::nullopt);
    EXPECT_EQ(verdict(described(PlistValue("0"), std::int64_t(602))), std::nullopt);
    EXPECT_EQ(verdict(described(std::int64_t(25), std::int64_t(602))), false) << "menu bar and other layers";
    EXPECT_EQ(verdict(described(std::int64_t(0), std::nullopt)), std::nullopt);
    mac.world().applications.push_back({ 0, "com.example.zero", "Zero" });
    EXPECT_EQ(verdict(described(std::int64_t(0), std::int64_t(0))), std::nullopt) << "no process has pid 0";
    EXPECT_EQ(verdict(described(std::int64_t(0), std::int64_t(602))), true);
    EXPECT_EQ(verdict(described(std::int64_t(0), std::int64_t(700))), false) << "accessory";
    mac.world().applications[1].policy = ActivationPolicy::prohibited;
    EXPECT_EQ(verdict(described(std::int64_t(0), std::int64_t(700))), false) << "prohibited";
    EXPECT_EQ(verdict(described(std::int64_t(0), std::int64_t(999))), std::nullopt) << "no such application";
    mac.world().applications[0].terminated = true;
    EXPECT_EQ(verdict(described(std::int64_t(0), std::int64_t(602))), std::nullopt) << "its owner quit";

    auto mine = described(std::int64_t(0), std::int64_t(self));
    EXPECT_EQ(verdict(mine, true), false) << "the main window shown on every desktop";
    EXPECT_EQ(verdict(mine, false), true);
    EXPECT_EQ(verdict(mine, std::nullopt), true) << "a window AppKit does not know";
}

TEST_F(NativeDesktopManagementDriverTest, RemovingADisplaysCurrentDesktopLeavesItForTheNearestFirst)
{
    mac.world().displays[1].current = 5;
    mac.world().windows.clear();
    auto normal = driver();
    normal->remove(5, "B", allow(), record());
    mac.advance(10);
    ASSERT_EQ(completions, (std::vector<std::optional<std::string>> { std::nullopt }));
    EXPECT_EQ(mac.world().displays[1].current, 4u) << "4 and 6 are as near; the earlier is chosen";
    EXPECT_EQ(mac.world().displays[1].spaces.size(), 2u);

    auto reset = driver(Policy::confirmedReset);
    reset->remove(4, "B", allow(), record());
    EXPECT_EQ(completions.back(),
        "Le bureau actif a changé. La suppression a été arrêtée. Réessaie depuis le bureau à conserver.");
    reset->remove(99, "B", allow(), record());
    EXPECT_EQ(completions.back(), "Ce bureau n’est plus disponible.");
}

TEST_F(NativeDesktopManagementDriverTest, ARemovalStopsAtTheFirstRefusalAndTellsIt)
{
    auto normal = driver();
    normal->remove(6, "B", [] { return std::optional<std::string>("Refusé."); }, record());
    int checks = 0;
    normal->remove(6, "B", [&checks] { return ++checks == 1 ? std::nullopt : std::optional<std::string>("Trop tard."); },
        record());
    mac.world().faults.spaces = sim::SpacesShape::notArray;
    normal->remove(6, "B", allow(), record());
    mac.world().faults.spaces = sim::SpacesShape::wellFormed;
    // Leaving the current desktop first needs the right to post the switch's keys.
    mac.world().displays[1].current = 6;
    mac.world().permissions.postEvents = false;
    normal->remove(6, "B", allow(), record());
    mac.advance(10);
    EXPECT_EQ(completions,
        (std::vector<std::optional<std::string>> { "Refusé.", "Trop tard.", "Ce bureau n’est plus disponible.",
            "L’autorisation Accessibilité est nécessaire." }));
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(mac.world().displays[1].spaces.size(), 3u);
    EXPECT_EQ(mac.world().displays[1].current, 6u);
}

TEST_F(NativeDesktopManagementDriverTest, ACurrentDesktopWithoutANumberedNeighbourIsKept)
{
    test::TestMac wide { test::world()
            .display("A", { 1 })
            .display("B", { 2, 3, 4, 5, 6, 7, 8, 9 })
            .display("C", { 10, 11 })
            .current(11) };
    platform().standardDefaults().set("assistantScreenID", "A");
    auto normal = std::make_shared<NativeDesktopManagementDriver>(
        std::make_shared<MissionControlCreator>(), Policy::emptyContentDesktops);
    normal->remove(11, "C", allow(), record());
    EXPECT_EQ(completions.back(), "Ouvre un autre bureau de cet écran avant de supprimer celui-ci.");
}

TEST_F(NativeDesktopManagementDriverTest, ClosingDuringTheSwitchAwayDropsTheRemoval)
{
    mac.world().displays[1].current = 5;
    mac.world().faults.switchDelay = 1;
    auto normal = driver();
    normal->remove(5, "B", allow(), record());
    mac.advance(0.3);
    normal->close();
    mac.advance(10);
    EXPECT_TRUE(completions.empty());
    EXPECT_EQ(mac.world().displays[1].spaces.size(), 3u);
}

} // namespace
} // namespace pellamor
