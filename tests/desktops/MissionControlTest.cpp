#include "desktops/MissionControl.h"

#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

class MissionControlTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world().display("D1", { 11, 12 }).display("D2", { 21, 22 }) };
    MissionControlSwitcher switcher;
    std::vector<MissionControlResult> results;

    void select(int desktop, std::optional<std::uint64_t> space = std::nullopt,
        std::optional<std::string> display = std::nullopt, std::optional<std::string> uuid = std::nullopt)
    {
        switcher.select(
            desktop, space, display, uuid, [this](MissionControlResult result) { results.push_back(result); });
    }

    std::vector<std::string> log() const { return const_cast<test::TestMac&>(mac).mac().log().lines(); }
    std::uint64_t current(std::size_t display) { return mac.world().displays[display].current; }
    bool hotkeyEnabled(std::uint32_t id) { return mac.world().hotkeys.at(id).enabled; }
    static MissionControlResult failed(const char* text) { return MissionControlResult::failed(text); }
};

TEST_F(MissionControlTest, AnEnabledHotKeyIsPostedAndTheSwitchConfirmed)
{
    select(4, 22, "d2", "uuid-22");
    EXPECT_TRUE(results.empty());
    mac.advance(0.04);
    EXPECT_TRUE(results.empty());
    mac.advance(0.02);
    ASSERT_EQ(results, std::vector { MissionControlResult::sent() });
    EXPECT_EQ(current(1), 22u);
    EXPECT_EQ(log(),
        (std::vector<std::string> { "key-posted code=21 flags=262144 down=true",
            "key-posted code=21 flags=0 down=false", "current-space display=D2 space=22" }));
}

TEST_F(MissionControlTest, ADisabledHotKeyIsOnOnlyForTheSwitch)
{
    mac.world().hotkeys.at(119).enabled = false;
    select(2);
    EXPECT_TRUE(hotkeyEnabled(119));
    mac.advance(0.149);
    EXPECT_EQ(log(), std::vector<std::string> { "hotkey id=119 enabled=true" });
    mac.advance(0.001);
    EXPECT_EQ(log().size(), 3u);
    mac.advance(0.06);
    ASSERT_EQ(results, std::vector { MissionControlResult::sent() });
    EXPECT_FALSE(hotkeyEnabled(119));
    EXPECT_EQ(log().back(), "hotkey id=119 enabled=false");
    EXPECT_EQ(current(0), 12u);
}

TEST_F(MissionControlTest, ATargetAlreadyShownIsSentAtOnceWithoutTouchingAnything)
{
    mac.world().hotkeys.at(118).enabled = false;
    select(1, 11);
    EXPECT_EQ(results, std::vector { MissionControlResult::sent() });
    EXPECT_TRUE(log().empty());
}

TEST_F(MissionControlTest, RefusalsComeInTheirOrder)
{
    mac.world().permissions.accessibility = false;
    mac.world().faults.missingSymbols.insert("SLSMainConnectionID");
    MissionControlSwitcher unavailable;
    unavailable.select(1, {}, {}, {}, [this](MissionControlResult result) { results.push_back(result); });
    select(0);
    mac.world().permissions.accessibility = true;
    mac.world().permissions.postEvents = false;
    select(2);
    mac.world().permissions.postEvents = true;
    unavailable.select(2, {}, {}, {}, [this](MissionControlResult result) { results.push_back(result); });
    select(0);
    select(10);
    select(5);
    select(2, 99);
    select(2, 12, "D2");
    select(2, 12, "d1", "UUID-11");
    mac.world().hotkeys.erase(119);
    select(2, 12, "d1", "UUID-12");
    mac.world().hotkeys[119] = { 19, 0, true }; // no Control, Option or Command: not a shortcut
    select(2);
    mac.world().hotkeys[119] = { 19, 0x40000, true };
    mac.mac().hold(0x20000, {}, {});
    select(2);
    mac.mac().hold(0, { 19 }, {});
    select(2);
    const char* unsupported = "Cette version de macOS ne fournit pas la commande de changement de bureau.";
    const char* changed = "Les bureaux ont changé. L’ouverture a été annulée.";
    const char* noCommand = "La commande du Bureau 2 est indisponible sur ce Mac.";
    const char* release = "Relâche les touches du clavier, puis réessaie.";
    EXPECT_EQ(results,
        (std::vector { failed("L’autorisation Accessibilité est nécessaire."),
            failed("L’autorisation Accessibilité est nécessaire."),
            failed("L’autorisation Accessibilité est nécessaire."), failed(unsupported), failed(unsupported),
            failed(unsupported),
            failed("Le Bureau 5 n’existe pas. Crée-le dans Mission Control ou choisis un autre bureau."),
            failed(changed), failed(changed), failed(changed), failed(noCommand), failed(noCommand), failed(release),
            failed(release) }));
    EXPECT_TRUE(log().empty());
}

TEST_F(MissionControlTest, ASecondSelectIsRefusedAndTheFirstGoesOn)
{
    select(2);
    select(3);
    ASSERT_EQ(results, std::vector { failed("Un changement est déjà en cours.") });
    mac.advance(0.1);
    EXPECT_EQ(results.back(), MissionControlResult::sent());
    EXPECT_EQ(current(0), 12u);
    EXPECT_EQ(current(1), 21u);
}

TEST_F(MissionControlTest, ASwitchThatNeverShowsStopsTwoAndAHalfSecondsAfterTheRequest)
{
    mac.world().faults.switchDelivery = sim::SwitchDelivery::never;
    mac.world().hotkeys.at(119).enabled = false;
    select(2);
    mac.advance(2.49);
    EXPECT_TRUE(results.empty());
    mac.advance(0.02);
    ASSERT_EQ(
        results, std::vector { failed("macOS n’a pas confirmé le changement de bureau. Le suivi a été arrêté.") });
    EXPECT_FALSE(hotkeyEnabled(119));
}

TEST_F(MissionControlTest, ALateSwitchWithinTheLimitIsConfirmed)
{
    mac.world().faults.switchDelay = 2.3;
    select(3);
    mac.advance(2.4);
    EXPECT_EQ(results, std::vector { MissionControlResult::sent() });
}

TEST_F(MissionControlTest, CancelDuringThePreparationDeliversCancelledOnceAndPostsNothing)
{
    mac.world().hotkeys.at(119).enabled = false;
    select(2);
    mac.advance(0.1);
    switcher.cancel();
    switcher.cancel();
    mac.advance(1);
    EXPECT_EQ(results, std::vector { MissionControlResult::cancelled() });
    EXPECT_EQ(log(), (std::vector<std::string> { "hotkey id=119 enabled=true", "hotkey id=119 enabled=false" }));
}

TEST_F(MissionControlTest, AHotKeyThatCannotBeSwitchedOffIsRetriedBeforeTheNextSwitchAndAtShutdown)
{
    const char* restoration = "La commande système n’a pas pu être rétablie. Ferme puis relance l’app.";
    mac.world().hotkeys.at(119).enabled = false;
    mac.world().faults.disableHotkey = sim::HotkeyChange::fails;
    select(2);
    mac.advance(0.3);
    ASSERT_EQ(results, std::vector { failed(restoration) });
    EXPECT_EQ(current(0), 12u);
    EXPECT_TRUE(hotkeyEnabled(119));
    select(3);
    EXPECT_EQ(results.back(), failed(restoration));
    mac.world().faults.disableHotkey = sim::HotkeyChange::ignored;
    select(3);
    EXPECT_EQ(results.back(), failed(restoration));
    mac.world().faults.disableHotkey = sim::HotkeyChange::applied;
    switcher.shutdown();
    EXPECT_FALSE(hotkeyEnabled(119));
    select(3);
    EXPECT_EQ(results.back(), failed("Un changement est déjà en cours."));
}

TEST_F(MissionControlTest, ShutdownDuringASwitchCancelsItOnceAndLeavesTheHotKeyAsItFoundIt)
{
    mac.world().hotkeys.at(119).enabled = false;
    select(2);
    mac.advance(0.1);
    switcher.shutdown();
    EXPECT_EQ(results, std::vector { MissionControlResult::cancelled() });
    EXPECT_FALSE(hotkeyEnabled(119));
    mac.advance(1);
    EXPECT_EQ(results.size(), 1u);
    EXPECT_EQ(current(0), 11u) << "the step scheduled before the shutdown must not post the key";
}

TEST_F(MissionControlTest, TheNextSelectClearsARestoredHotKeyAndSwitches)
{
    mac.world().hotkeys.at(119).enabled = false;
    mac.world().faults.disableHotkey = sim::HotkeyChange::fails;
    select(2);
    mac.advance(0.3);
    mac.world().faults.disableHotkey = sim::HotkeyChange::applied;
    select(4);
    EXPECT_FALSE(hotkeyEnabled(119));
    mac.advance(0.1);
    EXPECT_EQ(results.back(), MissionControlResult::sent());
}

TEST_F(MissionControlTest, AHotKeyThatCannotBeSwitchedOnFailsThePreparation)
{
    mac.world().hotkeys.at(119).enabled = false;
    mac.world().faults.enableHotkey = sim::HotkeyChange::ignored;
    select(2);
    EXPECT_EQ(results, std::vector { failed("macOS n’a pas pu préparer le changement de bureau.") });
    mac.world().faults.enableHotkey = sim::HotkeyChange::fails;
    select(2);
    EXPECT_EQ(results.back(), failed("macOS n’a pas pu préparer le changement de bureau."));
    EXPECT_TRUE(log().empty());
}

TEST_F(MissionControlTest, DesktopsChangedBeforeTheKeyPressCancelTheSwitch)
{
    mac.world().hotkeys.at(119).enabled = false;
    mac.world().faults.desktopsChangeOnHotkeyEnable = true;
    select(2);
    mac.advance(0.3);
    EXPECT_EQ(results,
        std::vector { failed("Le changement a été annulé car l’autorisation, la commande ou les bureaux "
                             "ont changé.") });
    EXPECT_EQ(current(0), 11u);
    EXPECT_FALSE(hotkeyEnabled(119));
}

TEST_F(MissionControlTest, KeysHeldAreRefusedBeforeADisabledShortcutIsTouched)
{
    mac.world().hotkeys.at(119).enabled = false;
    mac.mac().hold(0, { 19 }, {});
    select(2);
    EXPECT_EQ(results, std::vector { failed("Relâche les touches du clavier, puis réessaie.") });
    EXPECT_TRUE(log().empty()) << "no hot key switched on and off";
}

TEST_F(MissionControlTest, ADesktopWhoseIdentityChangedDuringThePreparationIsNotSwitchedTo)
{
    mac.world().hotkeys.at(119).enabled = false;
    select(2, 12, "D1", "UUID-12");
    mac.advance(0.1);
    // Same space id and display, another desktop: only its UUID tells.
    mac.world().displays[0].spaces[1].uuid = "UUID-99";
    mac.advance(0.3);
    EXPECT_EQ(results,
        std::vector { failed("Le changement a été annulé car l’autorisation, la commande ou les bureaux "
                             "ont changé.") });
    EXPECT_EQ(current(0), 11u);
    EXPECT_FALSE(hotkeyEnabled(119));
}

TEST_F(MissionControlTest, APreparationWokenPastTheDeadlineFailsWithoutPressingTheKey)
{
    mac.world().hotkeys.at(119).enabled = false;
    select(2);
    mac.clock().jump(3);
    mac.clock().runPending();
    EXPECT_EQ(results, std::vector { failed("macOS n’a pas pu préparer le changement de bureau.") });
    for (const std::string& line : log())
        EXPECT_NE(line.rfind("key-posted", 0), 0u) << line;
    EXPECT_FALSE(hotkeyEnabled(119));
}

TEST_F(MissionControlTest, KeysPressedDuringThePreparationOrEventsThatCannotBeMadeStopTheSwitch)
{
    mac.world().hotkeys.at(119).enabled = false;
    select(2);
    mac.mac().hold(0x100000, {}, {});
    mac.advance(0.3);
    EXPECT_EQ(results.back(), failed("Relâche les touches du clavier, puis réessaie."));
    mac.mac().release();
    mac.world().faults.eventCreationFails = true;
    select(2);
    mac.advance(0.3);
    EXPECT_EQ(results.back(), failed("La commande du Bureau 2 est indisponible sur ce Mac."));
    EXPECT_FALSE(hotkeyEnabled(119));
    EXPECT_EQ(current(0), 11u);
}

} // namespace
} // namespace pellamor
