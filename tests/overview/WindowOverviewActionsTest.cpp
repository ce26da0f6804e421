#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "setup/ProjectDesktopSetupView.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"

#include <QAction>
#include <QLineEdit>
#include <QCoreApplication>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace pellamor {
namespace {

class WindowOverviewActionsTest : public ::testing::Test {
protected:
    WindowOverviewActionsTest()
    {
        overview = std::make_unique<WindowOverviewView>();
        overview->resize(880, 850);
        overview->show();
        overview->onUserInteraction = [this] { ++interactions; };
        overview->projectAssignments = [](const std::vector<NativeDesktopState>&) {
            OverviewProjectAssignment row;
            row.id = "a";
            row.name = "Alpha";
            row.path = "~/a";
            return std::vector<OverviewProjectAssignment> { row };
        };
        overview->onStatusMessage = [this](const std::string& text, bool error) {
            statuses.push_back(text);
            errors.push_back(error);
            lastIsError = error;
        };
        overview->setOverviewVisible(true);
        settle();
    }
    ~WindowOverviewActionsTest() override { overview->shutdown(); }

    static sim::World actionsWorld()
    {
        return test::world()
            .display("D1", { 1 })
            .display("D2", { 11, 12 })
            .application(501, "com.openai.codex", "Codex")
            .application(600, "com.example.zed", "Zed")
            .window(1, 501, QRectF(0, 0, 800, 600), { 1 })
            .window(61, 600, QRectF(1100, 80, 700, 500), { 11 })
            .window(62, 600, QRectF(1100, 80, 700, 500), { 12 })
            // The left half of D2's visible area, 4 points off.
            .window(63, 600, QRectF(1004, 25, 500, 771), { 11 });
    }
    void settle(double seconds = 0.2)
    {
        mac.advance(seconds);
        QCoreApplication::sendPostedEvents();
    }
    WindowThumbnail* card(std::uint32_t window) const
    {
        auto cards = overview->cards(window);
        auto found = std::find_if(cards.begin(), cards.end(), [](auto* shown) { return shown->isVisible(); });
        return found == cards.end() ? nullptr : *found;
    }
    bool logged(const std::string& part)
    {
        const auto& lines = mac.mac().log().lines();
        return std::any_of(lines.begin(), lines.end(), [&](const auto& line) { return line.find(part) != std::string::npos; });
    }
    DesktopWindow record(std::uint32_t window) const
    {
        auto found = std::find_if(overview->records().begin(), overview->records().end(),
            [&](const DesktopWindow& shown) { return shown.id == window; });
        return found == overview->records().end() ? DesktopWindow {} : *found;
    }
    // Until the layout is being written; false if it never is.
    bool placing()
    {
        for (int step = 0; step < 40 && !said("Zed : placement « Demi-écran gauche » en cours…"); ++step)
            settle(0.01);
        return said("Zed : placement « Demi-écran gauche » en cours…");
    }
    bool said(const std::string& text) const { return std::find(statuses.begin(), statuses.end(), text) != statuses.end(); }

    test::WidgetApplication application;
    test::TestMac mac { actionsWorld() };
    std::unique_ptr<WindowOverviewView> overview;
    std::vector<std::string> statuses;
    std::vector<bool> errors;
    bool lastIsError = false;
    int interactions = 0;
};

TEST_F(WindowOverviewActionsTest, CardsMadeBetweenRendersHaveTheirFlagsAndLayoutFromTheStart)
{
    WindowThumbnail* before = card(61);
    ASSERT_NE(before, nullptr);
    ASSERT_TRUE(before->isEditable());
    overview->setupView()->searchField()->setText("Zed");
    WindowThumbnail* rebuilt = card(61);
    ASSERT_NE(rebuilt, nullptr);
    ASSERT_NE(rebuilt, before) << "the search rebuilds the library";
    EXPECT_TRUE(rebuilt->isEditable()) << "its layouts menu works without waiting for the next refresh";
    EXPECT_FALSE(rebuilt->currentArrangement()) << "a free frame shows no layout";
    ASSERT_NE(card(63), nullptr);
    EXPECT_EQ(card(63)->currentArrangement(), WindowArrangement(WindowArrangement::left))
        << "within 6 points of the left half of its own screen";
}

TEST_F(WindowOverviewActionsTest, ALayoutOnTheShownDesktopIsAppliedOnTheWindowsScreen)
{
    WindowThumbnail* shown = card(61);
    ASSERT_TRUE(shown);
    ASSERT_TRUE(shown->isEditable());
    shown->choosePlacement(static_cast<int>(WindowArrangement::left));
    EXPECT_EQ(interactions, 1) << "a layout is an interaction";
    EXPECT_TRUE(overview->busy());
    EXPECT_TRUE(said("Préparation de cette fenêtre de Zed…"));
    settle(3);
    EXPECT_FALSE(overview->busy());
    EXPECT_FALSE(lastIsError) << statuses.back();
    EXPECT_EQ(statuses.back(), "Zed : disposition « Demi-écran gauche » appliquée.");
    EXPECT_TRUE(logged("window-frame window=61"));
    EXPECT_FALSE(logged("current-space"));
}

TEST_F(WindowOverviewActionsTest, ALayoutNamesTheApplicationAsItIsCalledNow)
{
    for (sim::Application& running : mac.world().applications)
        if (running.pid == 600)
            running.bundlePath = "/Applications/Zed Preview.app";
    card(61)->choosePlacement(static_cast<int>(WindowArrangement::left));
    EXPECT_TRUE(said("Préparation de cette fenêtre de Zed Preview…")) << statuses.back();
    settle(3);
    EXPECT_EQ(statuses.back(), "Zed Preview : disposition « Demi-écran gauche » appliquée.");
}

TEST_F(WindowOverviewActionsTest, AWindowOnAnotherDesktopHasItsDesktopOpenedFirst)
{
    WindowThumbnail* hidden = card(62);
    ASSERT_TRUE(hidden);
    hidden->choosePlacement(static_cast<int>(WindowArrangement::maximize));
    settle(5);
    auto opening = std::find(statuses.begin(), statuses.end(), "Ouverture du Bureau 3 pour disposer cette fenêtre de Zed…");
    ASSERT_NE(opening, statuses.end());
    EXPECT_FALSE(errors[static_cast<std::size_t>(opening - statuses.begin())]);
    EXPECT_TRUE(logged("current-space display=D2 space=12"));
    EXPECT_TRUE(logged("window-frame window=62"));
    EXPECT_FALSE(lastIsError) << statuses.back();
}

TEST_F(WindowOverviewActionsTest, WithoutAccessibilityNothingIsOpenedOrWritten)
{
    mac.world().permissions.accessibility = false;
    card(62)->choosePlacement(static_cast<int>(WindowArrangement::maximize));
    EXPECT_FALSE(overview->busy());
    EXPECT_TRUE(lastIsError);
    EXPECT_EQ(statuses.back(), "Autorise l’accessibilité pour disposer les fenêtres.");
    settle(3);
    EXPECT_FALSE(logged("current-space"));
    EXPECT_FALSE(logged("window-frame"));
}

TEST_F(WindowOverviewActionsTest, AnApplicationThatRefusesAccessibilityToTheWindowEndsTheLayoutNamingIt)
{
    DesktopWindow shown = record(61);
    mac.world().faults.windows.hidden = { 61 };
    card(61)->choosePlacement(static_cast<int>(WindowArrangement::left));
    settle(3);
    EXPECT_FALSE(overview->busy());
    EXPECT_TRUE(lastIsError);
    EXPECT_EQ(statuses.back(), "Zed ne permet pas d’accéder à cette fenêtre pour la disposer, même sur son bureau.");
    EXPECT_FALSE(logged("window-frame"));

    // Asked again once it has been hidden for longer than a second, it is still found and named the same way.
    statuses.clear();
    overview->arrange(shown, 11, WindowArrangement::left);
    settle(3);
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), "Zed ne permet pas d’accéder à cette fenêtre pour la disposer, même sur son bureau.");
    EXPECT_FALSE(logged("window-frame"));
}

TEST_F(WindowOverviewActionsTest, AFinishedLayoutForgetsTheWindowsPreview)
{
    mac.world().permissions.screenCapture = true;
    overview->refreshPermissionStatus();
    card(61)->accessibilityPerformPress();
    settle();
    ASSERT_TRUE(overview->cachedImage(61));
    overview->dismissPreview();
    card(61)->choosePlacement(static_cast<int>(WindowArrangement::left));
    settle(3);
    ASSERT_EQ(statuses.back(), "Zed : disposition « Demi-écran gauche » appliquée.");
    EXPECT_FALSE(overview->cachedImage(61));
}

TEST_F(WindowOverviewActionsTest, ALayoutMacOSNeverAppliesEndsInErrorAndOneStoppedAtShutdownSaysNothing)
{
    mac.world().faults.frameWrites = sim::FrameWrites::ignored;
    card(61)->choosePlacement(static_cast<int>(WindowArrangement::left));
    settle(3);
    EXPECT_FALSE(overview->busy());
    EXPECT_TRUE(lastIsError);
    EXPECT_EQ(statuses.back(),
        "La fenêtre mesure 700 × 500 pt au lieu des 500 × 775 pt demandés. L’application n’a pas appliqué la taille demandée.");

    card(61)->choosePlacement(static_cast<int>(WindowArrangement::left));
    ASSERT_TRUE(placing());
    std::size_t before = statuses.size();
    overview->shutdown();
    settle(3);
    EXPECT_EQ(statuses.size(), before);
}

TEST_F(WindowOverviewActionsTest, ALayoutEndedWhileItIsVerifiedWritesNoMoreOnceAnotherActionRuns)
{
    // Positions are never taken: the layout would write the size again while it waits for them.
    mac.world().faults.accessibility.frameWriteTarget = sim::FrameWriteTarget::position;
    mac.world().faults.frameWrites = sim::FrameWrites::ignored;
    card(61)->choosePlacement(static_cast<int>(WindowArrangement::left));
    ASSERT_TRUE(placing());
    overview->finish("Arrêtée.", false);
    ASSERT_TRUE(overview->start());
    const QRectF before(1100, 80, 700, 500);
    mac.mac().window(61)->frame = before;
    settle(2);
    EXPECT_EQ(mac.mac().window(61)->frame, before);
    EXPECT_TRUE(overview->busy()) << "the newer action is left running";
    overview->finish("", false);
}

TEST_F(WindowOverviewActionsTest, ASecondActionIsRefusedWhileOneRuns)
{
    card(61)->choosePlacement(static_cast<int>(WindowArrangement::left));
    overview->arrange(record(62), 12, WindowArrangement::maximize);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "Préparation de cette fenêtre de Zed…"), 1);
    ASSERT_TRUE(overview->selected());
    EXPECT_EQ(overview->selected()->first, 61u);
    card(62)->menuForContextRequest();
    EXPECT_EQ(overview->selected()->first, 61u) << "no other card is selected meanwhile";
    std::size_t before = statuses.size();
    EXPECT_FALSE(overview->start());
    EXPECT_EQ(statuses.size(), before + 1);
    EXPECT_EQ(statuses.back(), "Une autre action est en cours. Réessaie dans un instant.");
    settle(3);
    EXPECT_EQ(statuses.back(), "Zed : disposition « Demi-écran gauche » appliquée.");
}

TEST_F(WindowOverviewActionsTest, AShortcutOpensOnlyTheSelectedProjectOnTheNextTurn)
{
    int opened = 0;
    std::function<void(MissionControlResult)> pending;
    overview->openProjectDesktops = [&](const std::string& id, std::function<void(MissionControlResult)> done) {
        EXPECT_EQ(id, "a");
        ++opened;
        pending = std::move(done);
    };
    overview->openProjectFromShortcut("a");
    EXPECT_FALSE(overview->busy());
    overview->setupView()->commitProjectSelection(std::string("a"));
    int before = interactions;
    overview->setupView()->onOpenProjectDesktops("a"); // as the panel's shortcut does
    EXPECT_EQ(interactions, before + 1) << "a shortcut is an interaction";
    EXPECT_TRUE(overview->busy());
    EXPECT_EQ(statuses.back(), "Ouverture des bureaux de Alpha…");
    EXPECT_EQ(opened, 0);
    settle();
    ASSERT_EQ(opened, 1);
    pending(MissionControlResult::sent());
    EXPECT_FALSE(overview->busy());
    EXPECT_EQ(statuses.back(), "Bureaux disponibles de Alpha affichés.");
    EXPECT_FALSE(lastIsError);
    // A late second answer belongs to no running action.
    pending(MissionControlResult::failed("Trop tard."));
    EXPECT_EQ(statuses.back(), "Bureaux disponibles de Alpha affichés.");

    // A cancelled opening is no error; a failed one shows the failure's text as one.
    overview->openProjectFromShortcut("a");
    settle();
    pending(MissionControlResult::cancelled());
    EXPECT_EQ(statuses.back(), "Changement annulé. Tes associations sont conservées.");
    EXPECT_FALSE(lastIsError);
    overview->openProjectFromShortcut("a");
    settle();
    pending(MissionControlResult::failed("macOS n’a pas confirmé l’ouverture des bureaux du projet."));
    EXPECT_EQ(statuses.back(), "macOS n’a pas confirmé l’ouverture des bureaux du projet.");
    EXPECT_TRUE(lastIsError);
    EXPECT_FALSE(overview->busy());

    overview->beginAction = [] { return false; };
    overview->openProjectFromShortcut("a");
    settle();
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(statuses.back(), "Une autre action est en cours. Réessaie dans un instant.");
    EXPECT_FALSE(lastIsError);

    // Quitting before the next turn opens nothing.
    overview->beginAction = nullptr;
    overview->openProjectFromShortcut("a");
    overview->shutdown();
    settle();
    EXPECT_EQ(opened, 3);
}

TEST_F(WindowOverviewActionsTest, AWindowsDesktopIsOpenedByItsPositionAmongAllDesktops)
{
    overview->openDesktop(record(62), 12);
    EXPECT_EQ(interactions, 1) << "opening a desktop is an interaction";
    EXPECT_EQ(statuses.back(), "Ouverture du bureau de cette fenêtre…");
    settle(3);
    EXPECT_EQ(statuses.back(), "Le bureau de cette fenêtre est affiché.");
    EXPECT_TRUE(logged("current-space display=D2 space=12"));
}

TEST_F(WindowOverviewActionsTest, AWindowThatLeftItsDesktopStartsNoAction)
{
    DesktopWindow stale = record(62);
    mac.world().windows[2].spaces = { 11 };
    int begun = 0;
    overview->beginAction = [&] { return ++begun > 0; };
    overview->openDesktop(stale, 12);
    EXPECT_EQ(begun, 0);
    EXPECT_TRUE(lastIsError);
    EXPECT_EQ(statuses.back(), "Les bureaux ou la fenêtre ont changé. Actualise la vue puis réessaie.");
}

TEST_F(WindowOverviewActionsTest, AnUnknownOrChangedDesktopOrARefusedActionOpensNothing)
{
    int begun = 0;
    overview->beginAction = [&] { return ++begun > 1; };
    overview->openDesktop(record(62), 99);
    EXPECT_TRUE(lastIsError);
    EXPECT_EQ(statuses.back(), "Les bureaux ou la fenêtre ont changé. Actualise la vue puis réessaie.");

    // Desktop 11 as the overview listed it is no longer on the Mac: same id, another desktop.
    statuses.clear();
    lastIsError = false;
    mac.world().displays[1].spaces[0].uuid = "UUID-OTHER";
    overview->openDesktop(record(61), 11);
    EXPECT_TRUE(lastIsError);
    EXPECT_EQ(statuses, std::vector<std::string> { "Les bureaux ou la fenêtre ont changé. Actualise la vue puis réessaie." });
    EXPECT_EQ(begun, 0);

    overview->openDesktop(record(62), 12);
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(statuses.back(), "Une autre action est en cours. Réessaie dans un instant.");
    settle(3);
    EXPECT_FALSE(logged("current-space display=D2 space=12"));
}

TEST_F(WindowOverviewActionsTest, ADesktopBeyondTheNinthIsNotSwitchedTo)
{
    for (int extra = 0; extra < 8; ++extra)
        mac.mac().addSpace("D1", 100 + extra);
    overview->refresh();
    settle();
    overview->openDesktop(record(62), 12);
    EXPECT_FALSE(overview->busy());
    EXPECT_TRUE(lastIsError);
    settle(3);
    EXPECT_FALSE(logged("current-space display=D2"));
}

TEST_F(WindowOverviewActionsTest, ARemovalForAnUnknownProjectNamesItByItsID)
{
    std::function<void(std::optional<std::string>)> pending;
    int removals = 0;
    overview->removeUnavailableProject = [&](const std::string&, std::function<void(std::optional<std::string>)> done) {
        ++removals;
        pending = std::move(done);
    };
    std::optional<std::optional<std::string>> told;
    overview->removeUnavailableSelection("zz", [&](std::optional<std::string> problem) { told = problem; });
    EXPECT_EQ(statuses.back(), "Retrait des associations indisponibles de zz…");
    ASSERT_TRUE(pending);
    overview->removeUnavailableSelection("a", nullptr);
    EXPECT_EQ(removals, 1) << "no second removal while one runs";
    EXPECT_EQ(statuses.back(), "Une autre action est en cours. Réessaie dans un instant.");
    pending(std::nullopt);
    EXPECT_EQ(statuses.back(), "Les associations indisponibles de zz ont été retirées. Ses autres bureaux sont conservés.");
    EXPECT_FALSE(lastIsError) << "a success is not offered for a report";
    EXPECT_FALSE(overview->busy());
    ASSERT_TRUE(told);
    EXPECT_FALSE(*told);

    overview->removeUnavailableSelection("a", nullptr);
    EXPECT_EQ(statuses.back(), "Retrait des associations indisponibles de Alpha…");
    pending(std::string("Impossible d’enregistrer."));
    EXPECT_EQ(statuses.back(), "Impossible d’enregistrer.");
    EXPECT_TRUE(lastIsError);
    EXPECT_FALSE(overview->busy());

    // Answered after quitting: the caller hears of it, the status does not change.
    told.reset();
    overview->removeUnavailableSelection("a", [&](std::optional<std::string> problem) { told = problem; });
    overview->shutdown();
    pending(std::nullopt);
    EXPECT_EQ(statuses.back(), "Retrait des associations indisponibles de Alpha…");
    EXPECT_TRUE(told);
}

} // namespace
} // namespace pellamor
