#include "desktops/ScreenPlacement.h"

#include "desktops/AssistantWindowPlacer.h"
#include "sim/AccessibilityTree.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

const int codexPID = 501;

class ScreenPlacementTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world()
                            .display("D1", { 11, 12 })
                            .display("D2", { 21 })
                            .application(codexPID, "com.openai.codex", "Codex")
                            .window(7, codexPID, QRectF(100, 100, 400, 300), { 11 }) };
    UserDefaults& defaults = platform().standardDefaults();

    std::vector<ConnectedMonitor> monitors() { return ConnectedMonitor::read(); }
    std::optional<std::string> load() { return AssistantScreenConfiguration::load(monitors(), defaults).monitorID; }
    std::optional<std::string> runtime()
    {
        return AssistantScreenConfiguration::runtime(monitors(), defaults).monitorID;
    }
    std::string placed(const std::string& screen = "D2")
    {
        auto result = AssistantWindowPlacer::place(AssistantApp::codex, screen);
        if (auto error = std::get_if<Error>(&result)) {
            EXPECT_EQ(error->domain, "ScreenPlacement");
            EXPECT_EQ(error->code, 1);
            return error->localizedDescription;
        }
        return std::get<std::string>(result);
    }
};

TEST_F(ScreenPlacementTest, MonitorsComeFromTheScreensWithANumberAndAUUID)
{
    auto list = monitors();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].id, "D1");
    EXPECT_TRUE(list[0].isMain);
    EXPECT_EQ(list[1].frame, QRectF(1000, 0, 1000, 800));
    EXPECT_EQ(list[1].visibleFrame, QRectF(1000, 0, 1000, 775));
    mac.world().displays[1].name = "Built-in Retina Display";
    EXPECT_EQ(monitors()[1].displayName(), "MacBook");
    mac.world().displays[1].number = 0;
    ASSERT_EQ(monitors().size(), 1u) << "a screen without a number";
    EXPECT_EQ(monitors()[0].id, "D1");
    mac.world().displays[1].number = 2;
    mac.world().displays[0].id.clear();
    ASSERT_EQ(monitors().size(), 1u) << "a display the system knows no UUID for";
    EXPECT_EQ(monitors()[0].id, "D2");
}

TEST_F(ScreenPlacementTest, TheStoredConfigurationFallsBackInItsOrder)
{
    EXPECT_EQ(load(), "D1");
    defaults.set("assistantMonitorChoices", PlistDictionary { { "claude", "D2" } });
    EXPECT_EQ(load(), "D2");
    defaults.set("selectedAssistant", "codex");
    EXPECT_EQ(load(), "D1");
    defaults.set("assistantMonitorChoices", PlistDictionary { { "codex", "X" }, { "claude", 4 } });
    EXPECT_EQ(load(), "D1");
    defaults.set("assistantMonitorChoices", PlistDictionary { { "codex", "X" } });
    EXPECT_EQ(load(), "X");
    defaults.set("assistantScreenID", "gone");
    EXPECT_EQ(load(), "gone");
    EXPECT_EQ(AssistantScreenConfiguration::load({}, UserDefaults()).monitorID, std::nullopt);
    AssistantScreenConfiguration { AssistantApp::claude, std::nullopt }.save(defaults);
    EXPECT_EQ(*defaults.string("selectedAssistant"), "codex");
    EXPECT_FALSE(defaults.objectExists("assistantScreenID"));
    AssistantScreenConfiguration { AssistantApp::codex, "D2" }.save(defaults);
    EXPECT_EQ(*defaults.string("assistantScreenID"), "D2");
}

TEST_F(ScreenPlacementTest, AtRunTimeADisconnectedScreenGivesWayToTheAssistantsWindows)
{
    defaults.set("assistantScreenID", "d2");
    EXPECT_EQ(runtime(), "D2");
    defaults.set("assistantScreenID", "gone");
    EXPECT_EQ(runtime(), "D1");
    mac.world().windows[0].frame = QRectF(1200, 100, 400, 300);
    EXPECT_EQ(runtime(), "D2");
    mac.world().windows[0].alpha = 0;
    EXPECT_EQ(runtime(), "D1");
    mac.world().windows[0].alpha = 1;
    mac.world().windows[0].layer = 3;
    EXPECT_EQ(runtime(), "D1");
    mac.world().windows[0].layer = 0;
    mac.world().applications[0].terminated = true;
    EXPECT_EQ(runtime(), "D1");
}

TEST_F(ScreenPlacementTest, TheScreenHoldingMostOfTheWindowsWinsAndTiesGoToTheMainScreen)
{
    std::vector<ConnectedMonitor> list = { { "A", "A", QRectF(0, 0, 100, 100), {}, false },
        { "B", "B", QRectF(100, 0, 100, 100), {}, true }, { "C", "C", QRectF(200, 0, 100, 100), {}, false } };
    using AssistantRuntimeScreenSelection::monitorID;
    EXPECT_EQ(monitorID(std::nullopt, {}, {}), std::nullopt);
    EXPECT_EQ(monitorID("c", list, {}), "C");
    EXPECT_EQ(monitorID(std::nullopt, list, {}), "B");
    EXPECT_EQ(monitorID(std::nullopt, list, { QRectF(50, 0, 100, 50) }), "B");
    EXPECT_EQ(monitorID(std::nullopt, list, { QRectF(150, 0, 100, 50) }), "B");
    list[1].isMain = false;
    EXPECT_EQ(monitorID(std::nullopt, list, { QRectF(150, 0, 100, 50) }), "B");
    EXPECT_EQ(
        monitorID(std::nullopt, list, { QRectF(210, 0, 10, 10), QRectF(0, 0, 50, 50), QRectF(220, 0, 50, 50) }), "A");
    EXPECT_EQ(monitorID(std::nullopt, list, { QRectF(1000, 1000, 10, 10), QRectF(0, 0, -5, 5) }), "A");
    // Frames are compared in top-left coordinates flipped at the reference's top.
    list = { { "Low", "L", QRectF(0, 0, 100, 100), {}, true }, { "High", "H", QRectF(0, 100, 100, 100), {}, false } };
    EXPECT_EQ(monitorID(std::nullopt, list, { QRectF(0, -90, 50, 50) }), "High");
}

TEST_F(ScreenPlacementTest, EligibilityComparesTheDedicatedScreenExactlyAndExplainsEachRefusal)
{
    std::vector<NativeDesktopState> desktops = { { 11, 11, "D1", "UUID-11" }, { 21, 21, "D2", "UUID-21" } };
    AssistantScreenConfiguration configuration { AssistantApp::codex, "D1" };
    EXPECT_EQ(configuration.eligibility(1, desktops, monitors()), DesktopScreenEligibility::reserved());
    EXPECT_EQ(configuration.eligibility(2, desktops, monitors()), DesktopScreenEligibility::content("D2"));
    configuration.monitorID = "d1";
    EXPECT_EQ(configuration.eligibility(2, desktops, monitors()), DesktopScreenEligibility::missingAssistantScreen());
    configuration.monitorID = "D1";
    mac.world().separateSpaces = false;
    EXPECT_EQ(configuration.eligibility(2, desktops, monitors()), DesktopScreenEligibility::sharedSpaces());
    EXPECT_EQ(configuration.blockingReason(DesktopScreenEligibility::content("D2")), std::nullopt);
    EXPECT_EQ(configuration.blockingReason(DesktopScreenEligibility::reserved()),
        "Cet écran est réservé à Codex. Choisis un écran de contenu.");
    EXPECT_EQ(configuration.blockingReason(DesktopScreenEligibility::missingAssistantScreen()),
        "L’écran dédié à Codex est déconnecté. Choisis un écran dans Ton assistant.");
    EXPECT_EQ(configuration.blockingReason(DesktopScreenEligibility::unreadable()),
        "Impossible d’identifier l’écran de destination. Actualise puis réessaie.");
}

TEST_F(ScreenPlacementTest, Geometry)
{
    EXPECT_EQ(WindowPlacementGeometry::accessibilityRect(QRectF(1000, 0, 1000, 775), 800), QRectF(1000, 25, 1000, 775));
    EXPECT_EQ(WindowPlacementGeometry::centered(QSizeF(400, 300), QRectF(0, 0, 1000, 800)), QRectF(300, 250, 400, 300));
    EXPECT_EQ(
        WindowPlacementGeometry::centered(QSizeF(4000, 300), QRectF(10, 0, 1000, 800)), QRectF(10, 250, 1000, 300));
}

TEST_F(ScreenPlacementTest, TheAssistantsWindowIsCentredOnTheChosenScreen)
{
    EXPECT_EQ(placed(), "Codex placé sur Screen D2.");
    EXPECT_EQ(mac.world().windows[0].frame, QRectF(1300, 262.5, 400, 300));
    mac.world().windows[0].frame = QRectF(0, 0, 3000, 300);
    EXPECT_EQ(placed(), "Codex placé sur Screen D2.");
    EXPECT_EQ(mac.world().windows[0].frame, QRectF(1000, 262.5, 1000, 300));
    EXPECT_EQ(mac.mac().accessibilityTree().applicationElement(codexPID)->messagingTimeout(), 0.5);
}

TEST_F(ScreenPlacementTest, PlacementFailuresComeInTheirOrder)
{
    EXPECT_EQ(std::get<Error>(AssistantWindowPlacer::place(AssistantApp::claude, "D2")).localizedDescription,
        "Claude sera disponible dans une prochaine version.");
    EXPECT_EQ(placed("d2"), "L’écran choisi est déconnecté. Rebranche-le ou choisis un autre écran.");
    mac.world().windows[0].fullScreen = true;
    EXPECT_EQ(placed(), "Quitte le plein écran de Codex, puis clique sur Placer.");
    mac.world().windows[0].fullScreen = false;
    mac.world().windows[0].minimized = true;
    mac.world().windows[0].subrole = "AXDialog";
    EXPECT_EQ(placed(), "Aucune fenêtre principale de Codex disponible. Ouvre une fenêtre puis réessaie.");
    mac.world().windows[0].subrole = "AXStandardWindow";
    EXPECT_EQ(placed(), "Rétablis la fenêtre réduite de Codex, puis clique sur Placer.");
    mac.world().windows[0].minimized = false;
    mac.world().windows[0].frame.setWidth(0);
    EXPECT_EQ(placed(), "La taille de la fenêtre de Codex est indisponible.");
    mac.world().windows[0].frame.setWidth(400);
    mac.world().windows[0].movable = false;
    EXPECT_EQ(placed(), "macOS ne permet pas de déplacer cette fenêtre de Codex.");
    mac.world().windows[0].movable = true;
    mac.world().faults.frameWrites = sim::FrameWrites::refused;
    EXPECT_EQ(placed(), "macOS a refusé le déplacement de Codex.");
    mac.world().windows[0].frame.setWidth(3000);
    EXPECT_EQ(placed(), "La fenêtre de Codex est trop grande pour cet écran et ne peut pas être réduite.");
    mac.world().windows[0].frame.setWidth(400);
    mac.world().faults.frameWrites = sim::FrameWrites::late;
    EXPECT_EQ(placed(), "macOS n’a pas confirmé le placement de Codex. Réessaie avec sa fenêtre visible.");
    mac.world().windows.clear();
    EXPECT_EQ(placed(), "Aucune fenêtre principale de Codex disponible. Ouvre une fenêtre puis réessaie.");
    mac.world().applications.clear();
    EXPECT_EQ(placed(), "Ouvre Codex et sa fenêtre, puis clique sur Placer.");
    mac.world().displays[0].main = false;
    EXPECT_EQ(placed(), "L’écran choisi est déconnecté. Rebranche-le ou choisis un autre écran.");
    mac.world().permissions.accessibility = false;
    EXPECT_EQ(placed(), "Autorise Pellamor dans Réglages système → Confidentialité et sécurité → Accessibilité.");
}

} // namespace
} // namespace pellamor
