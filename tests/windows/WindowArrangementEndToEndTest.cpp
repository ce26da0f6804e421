#include "windows/ArrangementFixture.h"

#include "desktops/SystemRestorations.h"
#include "sim/AccessibilityTree.h"

#include <algorithm>

namespace pellamor {
namespace {

using test::onHiddenDesktop;
using test::onMain;
using test::onSecond;

class WindowArrangementEndToEndTest : public test::ArrangementFixture {
protected:
    int frameLines()
    {
        auto lines = log();
        return static_cast<int>(std::count_if(
            lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("window-frame", 0) == 0; }));
    }
};

TEST_F(WindowArrangementEndToEndTest, EachLayoutLandsInTheVisibleAreaOfASecondScreen)
{
    // The second screen's visible area in top-left coordinates: x 1060, y 800 − (−300 + 875) = 225.
    const std::vector<std::pair<WindowArrangement, QRectF>> expected {
        { WindowArrangement::topLeft, QRectF(1060, 225, 570, 437.5) },
        { WindowArrangement::topRight, QRectF(1630, 225, 570, 437.5) },
        { WindowArrangement::bottomLeft, QRectF(1060, 662.5, 570, 437.5) },
        { WindowArrangement::bottomRight, QRectF(1630, 662.5, 570, 437.5) },
        { WindowArrangement::left, QRectF(1060, 225, 570, 875) },
        { WindowArrangement::right, QRectF(1630, 225, 570, 875) },
        { WindowArrangement::top, QRectF(1060, 225, 1140, 437.5) },
        { WindowArrangement::bottom, QRectF(1060, 662.5, 1140, 437.5) },
        { WindowArrangement::center, QRectF(1060, 443.75, 1140, 437.5) },
        { WindowArrangement::maximize, QRectF(1060, 225, 1140, 875) },
    };
    for (auto& [arrangement, frame] : expected) {
        EXPECT_EQ(arrange(onSecond, arrangement), std::nullopt) << arrangement.rawValue();
        EXPECT_EQ(window(onSecond).frame, frame) << arrangement.rawValue();
    }
    EXPECT_EQ(log().back(), "window-frame window=41 frame=1060,225,1140,875");
    // A hung application holds the main thread no longer than this.
    EXPECT_EQ(mac.mac().accessibilityTree().windowElement(onSecond)->messagingTimeout(), 0.3);
}

TEST_F(WindowArrangementEndToEndTest, ClampedLateAndDroppedWritesStillArriveThroughTheSecondSizeAndTheReapply)
{
    // Maximised on the larger second screen, the first size write is cut to the main screen the window is on;
    // the size written again after the move is taken in full.
    faults().frameWrites = sim::FrameWrites::clamped;
    EXPECT_EQ(arrange(onMain, WindowArrangement::maximize), std::nullopt);
    EXPECT_EQ(window(onMain).frame, QRectF(1060, 225, 1140, 875));

    faults().frameWrites = sim::FrameWrites::late;
    faults().frameWriteDelay = 0.6;
    EXPECT_EQ(arrange(onSecond, WindowArrangement::left), std::nullopt);
    EXPECT_EQ(window(onSecond).frame, QRectF(1060, 225, 570, 875));

    // The application drops the first request; only the one re-apply, 0.15 s later, can place it.
    faults().frameWrites = sim::FrameWrites::ignored;
    mac.mac().mainQueue().asyncAfter(0.1, [this] { faults().frameWrites = sim::FrameWrites::applied; });
    EXPECT_EQ(arrange(onSecond, WindowArrangement::right), std::nullopt);
    EXPECT_EQ(window(onSecond).frame, QRectF(1630, 225, 570, 875));
}

TEST_F(WindowArrangementEndToEndTest, TimeOutsSayWhatTheWindowDid)
{
    window(onSecond).maximumSize = QSizeF(400.4, 2000);
    EXPECT_EQ(arrange(onSecond, WindowArrangement::left),
        "La fenêtre mesure 400 × 875 pt au lieu des 570 × 875 pt demandés. L’application n’a pas appliqué la taille "
        "demandée.");
    window(onSecond).maximumSize.reset();

    faults().frameWrites = sim::FrameWrites::ignored;
    faults().accessibility.frameWriteTarget = sim::FrameWriteTarget::position;
    EXPECT_EQ(arrange(onSecond, WindowArrangement::right),
        "La fenêtre n’a pas atteint la position demandée. Actualise pour voir sa position actuelle, puis réessaie.");

    faults().frameWrites = sim::FrameWrites::applied;
    faults().accessibility.framesUnreadableAfterWrite = true;
    EXPECT_EQ(arrange(onMain, WindowArrangement::right),
        "macOS n’a pas permis de vérifier la taille et la position de cette fenêtre. Actualise puis réessaie.");
}

TEST_F(WindowArrangementEndToEndTest, FullScreenAndMinimizedWindowsAreRefusedBeforeAnyWrite)
{
    window(onSecond).fullScreen = true;
    EXPECT_EQ(arrange(onSecond, WindowArrangement::left), "Quitte le plein écran avant de disposer cette fenêtre.");
    window(onSecond).fullScreen = false;
    window(onSecond).minimized = true;
    EXPECT_EQ(arrange(onSecond, WindowArrangement::left), "Ouvre la fenêtre réduite depuis le Dock, puis réessaie.");
    window(onSecond).minimized = false;
    window(onSecond).resizable = false;
    EXPECT_EQ(arrange(onSecond, WindowArrangement::left),
        "Notes ne permet pas de modifier la position ou la taille de cette fenêtre.");
    EXPECT_EQ(frameLines(), 0);
}

TEST_F(WindowArrangementEndToEndTest, TheEnhancedInterfaceIsOffOnlyForTheArrangement)
{
    mac.world().applications[0].enhancedUserInterface = true;
    EXPECT_EQ(arrange(onSecond, WindowArrangement::top), std::nullopt);
    EXPECT_TRUE(mac.world().applications[0].enhancedUserInterface);
    auto lines = log();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "enhanced-user-interface pid=301 enabled=false");
    EXPECT_EQ(lines.back(), "enhanced-user-interface pid=301 enabled=true");

    // Switched back on failure too, and a switch that does not take is added to the outcome.
    faults().accessibility.enhancedUserInterfaceStaysOff = true;
    window(onSecond).maximumSize = QSizeF(300, 300);
    EXPECT_EQ(arrange(onSecond, WindowArrangement::bottom),
        "La fenêtre mesure 300 × 300 pt au lieu des 1140 × 438 pt demandés. L’application n’a pas appliqué la taille "
        "demandée.\nNotes n’a pas confirmé le rétablissement de son état d’accessibilité.");
    window(onSecond).maximumSize.reset();
    mac.world().applications[0].enhancedUserInterface = true;
    EXPECT_EQ(arrange(onSecond, WindowArrangement::top),
        "La disposition a été appliquée, mais un réglage temporaire n’a pas pu être rétabli. Notes n’a pas "
        "confirmé le rétablissement de son état d’accessibilité.");
}

TEST_F(WindowArrangementEndToEndTest, TheEnhancedInterfaceIsRecordedWhileOffForALaunchAfterAKill)
{
    mac.world().applications[0].enhancedUserInterface = true;
    mac.world().applications[0].launched = 1234.25;
    UserDefaults& defaults = mac.mac().standardDefaults();
    EXPECT_EQ(arrange(onSecond, WindowArrangement::top), std::nullopt);
    EXPECT_FALSE(defaults.objectExists(SystemRestorations::enhancedInterfacesKey)) << "forgotten once put back";

    // Killed after the preparation: no cleanup runs.
    NativeWindowArrangementEnvironment(runtime, record(onSecond), WindowArrangement::left, monitor("D2"), nullptr,
        std::nullopt, nullptr)
        .prepare();
    ASSERT_FALSE(mac.world().applications[0].enhancedUserInterface);
    EXPECT_EQ(defaults.object(SystemRestorations::enhancedInterfacesKey),
        PlistValue(PlistArray { PlistDictionary {
            { "pid", test::notesPid }, { "bundleID", std::string("com.example.notes") }, { "launched", 1234.25 } } }));
    SystemRestorations::restoreRecorded();
    EXPECT_TRUE(mac.world().applications[0].enhancedUserInterface);
    EXPECT_FALSE(defaults.objectExists(SystemRestorations::enhancedInterfacesKey));

    // A restoration that does not take stays recorded, from the cleanup as from a launch.
    faults().accessibility.enhancedUserInterfaceStaysOff = true;
    EXPECT_NE(arrange(onSecond, WindowArrangement::top), std::nullopt);
    SystemRestorations::restoreRecorded();
    EXPECT_TRUE(defaults.objectExists(SystemRestorations::enhancedInterfacesKey));
    faults().accessibility.enhancedUserInterfaceStaysOff = false;
    SystemRestorations::restoreRecorded();
    EXPECT_TRUE(mac.world().applications[0].enhancedUserInterface);
    EXPECT_FALSE(defaults.objectExists(SystemRestorations::enhancedInterfacesKey));
}

TEST_F(WindowArrangementEndToEndTest, ARefusedPositionPutsTheOriginalSizeBack)
{
    faults().frameWrites = sim::FrameWrites::refused;
    faults().accessibility.frameWriteTarget = sim::FrameWriteTarget::position;
    EXPECT_EQ(arrange(onSecond, WindowArrangement::maximize),
        "Notes a refusé la position. La taille précédente a été redemandée.");
    EXPECT_EQ(window(onSecond).frame, QRectF(1300, 400, 600, 400));
    EXPECT_EQ(log(),
        (std::vector<std::string> {
            "window-frame window=41 frame=1300,400,1140,875", "window-frame window=41 frame=1300,400,600,400" }));
}

TEST_F(WindowArrangementEndToEndTest, ARememberedFrameIsBroughtInsideTheScreen)
{
    EXPECT_EQ(arrange(onSecond, WindowArrangement::center, "D2", QRectF(2000, 100, 1500, 500)), std::nullopt);
    EXPECT_EQ(window(onSecond).frame, QRectF(1060, 225, 1140, 500));
    EXPECT_EQ(arrange(onSecond, WindowArrangement::center, "D2", QRectF(1100, 300, 0, 500)),
        "La position d’origine de cette fenêtre n’est plus disponible.");
}

TEST_F(WindowArrangementEndToEndTest, RefusalsWhenTheWindowOrTheMachineIsNotAsPlanned)
{
    EXPECT_EQ(arrange(onHiddenDesktop, WindowArrangement::left),
        "Notes ne permet pas d’accéder à cette fenêtre pour la disposer.");
    mac.world().permissions.accessibility = false;
    EXPECT_EQ(arrange(onSecond, WindowArrangement::left), "Autorise l’accessibilité pour disposer cette fenêtre.");
    mac.world().permissions.accessibility = true;

    // A desktop added while the arrangement is being verified stops it.
    faults().frameWrites = sim::FrameWrites::late;
    mac.mac().mainQueue().asyncAfter(0.1, [this] { mac.mac().addSpace("D1", 2); });
    EXPECT_EQ(arrange(onSecond, WindowArrangement::left),
        "Les bureaux ou les écrans ont changé. La disposition a été arrêtée.");
    faults().frameWrites = sim::FrameWrites::applied;

    DesktopWindow moved = record(onSecond);
    mac.mac().setWindowSpaces(onSecond, { 21, 22 });
    auto environment = std::make_shared<NativeWindowArrangementEnvironment>(
        runtime, moved, WindowArrangement::left, monitor("D2"), nullptr, std::nullopt, nullptr);
    EXPECT_EQ(
        environment->validate(), "Cette fenêtre n’est plus accessible ou a changé de bureau. Actualise puis réessaie.");

    // Without the window server's calls there is no runtime: a refusal, not a crash.
    NativeWindowArrangementEnvironment withoutRuntime(
        nullptr, moved, WindowArrangement::left, monitor("D2"), nullptr, std::nullopt, nullptr);
    EXPECT_EQ(withoutRuntime.validate(), "Notes ne permet pas d’accéder à cette fenêtre pour la disposer.");
    EXPECT_EQ(withoutRuntime.prepare(), "Notes ne permet pas d’accéder à cette fenêtre pour la disposer.");
}

} // namespace
} // namespace pellamor
