#include "overview/OverviewInventoryRules.h"
#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "setup/ProjectDesktopSetupView.h"
#include "setup/SetupPermissionStatusView.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"
#include "ui/Label.h"
#include "ui/Popover.h"
#include "ui/SymbolButton.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <gtest/gtest.h>
#include <set>
#include <memory>

namespace pellamor {
namespace {

sim::World overviewWorld()
{
    sim::World world = test::world()
                           .display("D1", { 1, 2 })
                           .display("D2", { 11, 12 })
                           .application(501, "com.openai.codex", "Codex")
                           .application(600, "com.example.zed", "Zed")
                           .application(700, "com.example.atom", "Atom")
                           .window(1, 501, QRectF(0, 0, 800, 600), { 1 })
                           .window(61, 600, QRectF(1100, 40, 700, 500), { 11 })
                           .window(62, 600, QRectF(1100, 40, 700, 500), { 12 })
                           .window(71, 700, QRectF(100, 40, 700, 500), { 2 });
    world.windows[1].title = "Notes 10";
    world.windows[2].title = "Notes 2";
    return world;
}

OverviewProjectAssignment project(const std::string& id, std::vector<int> desktops)
{
    OverviewProjectAssignment row;
    row.id = id;
    row.name = "Project " + id;
    row.desktops = std::move(desktops);
    row.path = "~/" + id;
    return row;
}

class WindowOverviewTest : public ::testing::Test {
protected:
    WindowOverviewTest()
    {
        overview = std::make_unique<WindowOverviewView>();
        overview->resize(880, 850);
        overview->show();
        overview->projectAssignments = [this](const std::vector<NativeDesktopState>&) {
            ++assignmentReads;
            return assignments;
        };
        overview->onUserInteraction = [this] { ++interactions; };
    }
    ~WindowOverviewTest() override { overview->shutdown(); }

    void settle(double seconds = 0.05)
    {
        mac.advance(seconds);
        QCoreApplication::sendPostedEvents();
    }
    std::vector<std::uint32_t> listed() const
    {
        std::vector<std::uint32_t> ids;
        for (const auto& record : overview->records())
            ids.push_back(record.id);
        return ids;
    }

    test::WidgetApplication application;
    test::TestMac mac { overviewWorld() };
    std::vector<OverviewProjectAssignment> assignments { project("a", { 4 }), project("b", {}) };
    int assignmentReads = 0;
    int interactions = 0;
    std::unique_ptr<WindowOverviewView> overview;
};

TEST_F(WindowOverviewTest, NothingIsReadUntilTheTabIsShownThenEveryFiveSecondsUntilHidden)
{
    settle(12);
    EXPECT_EQ(assignmentReads, 0);
    overview->setOverviewVisible(true);
    settle();
    EXPECT_TRUE(overview->inventoryHasLoaded());
    // The assistant's window is kept here; the panel leaves it out.
    EXPECT_EQ(listed(), std::vector<std::uint32_t>({ 71, 1, 62, 61 }));
    int reads = assignmentReads;
    settle(5);
    EXPECT_GT(assignmentReads, reads);
    overview->setOverviewVisible(false);
    reads = assignmentReads;
    mac.world().permissions.screenCapture = true;
    settle(15);
    EXPECT_FALSE(overview->refresh());
    EXPECT_EQ(assignmentReads, reads);
    EXPECT_EQ(overview->setupView()->previewPermission()->currentAuthorization(), true) << "asked for, read at once";
    mac.world().permissions.screenCapture = false;
    settle(15);
    EXPECT_EQ(overview->setupView()->previewPermission()->currentAuthorization(), true) << "nothing runs while hidden";
    overview->setOverviewVisible(true);
    EXPECT_EQ(overview->setupView()->previewPermission()->currentAuthorization(), false);
    // Nor is anything read during an action.
    settle();
    ASSERT_TRUE(overview->start());
    reads = assignmentReads;
    overview->configurationChanged();
    EXPECT_FALSE(overview->refresh());
    EXPECT_EQ(assignmentReads, reads);
}

TEST_F(WindowOverviewTest, HidingTheTabDuringAReadDropsItsResult)
{
    overview->setOverviewVisible(true);
    overview->setOverviewVisible(false);
    settle();
    EXPECT_FALSE(overview->inventoryHasLoaded());
    EXPECT_TRUE(overview->records().empty());
}

TEST_F(WindowOverviewTest, AnUnchangedRefreshNeitherUpdatesThePanelNorRedrawsButAFinishDoes)
{
    overview->setOverviewVisible(true);
    settle();
    int generation = overview->generation();
    int rebuilt = overview->setupView()->rebuildCount();
    settle(5);
    EXPECT_EQ(overview->generation(), generation);
    EXPECT_EQ(overview->setupView()->rebuildCount(), rebuilt);
    overview->configurationChanged();
    settle();
    EXPECT_GT(overview->generation(), generation) << "a changed configuration redraws whatever the data";
    generation = overview->generation();
    overview->refreshClicked();
    EXPECT_GT(overview->generation(), generation) << "and so does the refresh button";
    generation = overview->generation();

    int ended = 0;
    overview->endAction = [&] { ++ended; };
    overview->finish("Fenêtre déplacée.", false);
    EXPECT_EQ(ended, 1);
    EXPECT_GT(overview->generation(), generation);
    EXPECT_EQ(overview->statusMessage(), "Fenêtre déplacée.");
}

TEST_F(WindowOverviewTest, TheRefreshButtonReadsAgainAndSaysSoUnlessTheDesktopsCannotBeRead)
{
    std::vector<std::pair<std::string, bool>> said;
    overview->onStatusMessage = [&](const std::string& text, bool error) { said.emplace_back(text, error); };
    int projectReads = 0;
    overview->refreshProjects = [&] { ++projectReads; };
    overview->setOverviewVisible(true);
    settle();
    int reads = assignmentReads;
    overview->setupView()->refreshButton()->click();
    EXPECT_EQ(projectReads, 1);
    EXPECT_GT(assignmentReads, reads);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back(), std::make_pair(std::string("Liste des bureaux et fenêtres actualisée."), false));

    mac.world().faults.spaces = sim::SpacesShape::null;
    overview->setupView()->refreshButton()->click();
    EXPECT_EQ(said.back(),
        std::make_pair(std::string("La liste des bureaux est indisponible sur cette version de macOS."), true));
    EXPECT_FALSE(overview->inventoryHasLoaded());

    mac.world().faults.spaces = sim::SpacesShape::wellFormed;
    overview->setMaintenanceBusy(true);
    said.clear();
    EXPECT_FALSE(overview->setupView()->refreshButton()->isEnabled());
    overview->refreshClicked();
    EXPECT_TRUE(said.empty()) << "nothing while busy";
    EXPECT_EQ(projectReads, 2);
    overview->setMaintenanceBusy(false);
    EXPECT_TRUE(overview->setupView()->refreshButton()->isEnabled());

    // A maintenance refused during the overview's own action ends nothing of that action.
    ASSERT_TRUE(overview->start());
    overview->setMaintenanceBusy(true);
    overview->setMaintenanceBusy(false);
    EXPECT_FALSE(overview->setupView()->refreshButton()->isEnabled());
}

TEST_F(WindowOverviewTest, ADesktopChangeDropsTheLoadedStateUntilTheNextInventory)
{
    overview->setOverviewVisible(true);
    settle();
    ASSERT_TRUE(overview->inventoryHasLoaded());
    mac.mac().addSpace("D2", 2);
    overview->refresh();
    EXPECT_FALSE(overview->inventoryHasLoaded());
    settle();
    EXPECT_TRUE(overview->inventoryHasLoaded());
}

TEST_F(WindowOverviewTest, MaintenanceHoldsEveryCardAndAFalseWithoutATrueChangesNothing)
{
    overview->setOverviewVisible(true);
    settle();
    overview->setupView()->commitProjectSelection(std::string("a"));
    settle();
    std::vector<WindowThumbnail*> cards = overview->cards(62);
    ASSERT_FALSE(cards.empty());
    EXPECT_TRUE(cards.front()->isInteractive());
    EXPECT_TRUE(cards.front()->canDrag());

    overview->setMaintenanceBusy(true);
    EXPECT_TRUE(overview->busy());
    EXPECT_TRUE(overview->isInteracting());
    for (WindowThumbnail* card : overview->cards(62)) {
        EXPECT_FALSE(card->isInteractive());
        EXPECT_FALSE(card->canDrag());
        EXPECT_FALSE(card->canReturnToLibrary());
        EXPECT_FALSE(card->isEditable());
    }
    std::size_t desktops = overview->desktops().size();
    mac.mac().addSpace("D2", 2);
    overview->setMaintenanceBusy(false);
    EXPECT_FALSE(overview->busy());
    settle();
    EXPECT_EQ(overview->desktops().size(), desktops + 1) << "the shown list is read again once the maintenance ends";
    overview->setMaintenanceBusy(false);
    EXPECT_FALSE(overview->busy());
    ASSERT_TRUE(overview->start());
    for (WindowThumbnail* card : overview->cards(62))
        EXPECT_FALSE(card->canDrag()) << "nor during the overview's own action";
}

TEST_F(WindowOverviewTest, TheResetButtonsOpenOnlyWhenAllowedShownAndIdle)
{
    SymbolButton* clear = overview->setupView()->clearAssignmentsButton();
    SymbolButton* remove = overview->setupView()->deleteDesktopsButton();
    overview->updateResetState(true);
    EXPECT_FALSE(clear->isEnabled()) << "the tab is hidden";
    overview->setOverviewVisible(true);
    settle();
    EXPECT_TRUE(clear->isEnabled());
    EXPECT_TRUE(remove->isEnabled());
    overview->updateResetState(false);
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    overview->updateResetState(true);
    EXPECT_TRUE(remove->isEnabled());
    overview->setMaintenanceBusy(true);
    EXPECT_FALSE(clear->isEnabled());
    overview->setMaintenanceBusy(false);
    EXPECT_TRUE(clear->isEnabled());
    // Pressed with the chooser open, as an assistive technology can, a reset closes the chooser first.
    int clears = 0;
    overview->onClearProjectAssignments = [&] { ++clears; };
    overview->setupView()->toggleProjectSetup();
    ASSERT_TRUE(overview->setupView()->projectPopover());
    clear->click();
    EXPECT_EQ(clears, 1);
    EXPECT_FALSE(overview->setupView()->projectPopover());
    overview->showResetStatus("Suppression annulée.", false);
    EXPECT_EQ(overview->setupView()->status()->text(), "Suppression annulée.");
    overview->setOverviewVisible(false);
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
}

TEST_F(WindowOverviewTest, ASelectionWhoseWindowLeftItsDesktopIsDroppedByTheNextRender)
{
    overview->setOverviewVisible(true);
    settle();
    overview->setupView()->commitProjectSelection(std::string("a"));
    settle();
    std::vector<WindowThumbnail*> cards = overview->cards(62);
    ASSERT_FALSE(cards.empty());
    cards.front()->onSelect();
    ASSERT_TRUE(overview->selected());
    EXPECT_EQ(overview->setupView()->selectedWindowID(), 62u);
    overview->refresh();
    settle();
    EXPECT_EQ(overview->setupView()->selectedWindowID(), 62u) << "a window still on its desktop stays selected";

    mac.world().windows[2].spaces = { 11 };
    overview->refresh();
    settle();
    EXPECT_FALSE(overview->selected());
    EXPECT_FALSE(overview->setupView()->selectedWindowID());
    for (WindowThumbnail* card : overview->cards(62)) {
        if (card->isVisible())
            EXPECT_FALSE(card->selected());
    }

    // Another project chosen drops the selection at once, before any render.
    overview->cards(61).front()->onSelect();
    ASSERT_EQ(overview->setupView()->selectedWindowID(), 61u);
    for (WindowThumbnail* card : overview->cards(62))
        EXPECT_FALSE(card->selected()) << "another window of the same desktop stays unselected";
    overview->setupView()->commitProjectSelection(std::string("b"));
    EXPECT_FALSE(overview->setupView()->selectedWindowID());
}

TEST_F(WindowOverviewTest, AScreenCardOfTheProjectsOwnDesktopCanBeReturned)
{
    overview->setOverviewVisible(true);
    settle();
    overview->setupView()->commitProjectSelection(std::string("a"));
    settle();
    std::vector<WindowThumbnail*> cards = overview->cards(62);
    auto onScreen = std::find_if(cards.begin(), cards.end(), [](auto* card) { return card->isOnDisplay(); });
    ASSERT_NE(onScreen, cards.end());
    EXPECT_TRUE((*onScreen)->canReturnToLibrary());
    // Pressed, it opens its desktop; from its menu, it goes back.
    (*onScreen)->accessibilityPerformPress();
    EXPECT_EQ(overview->statusMessage(), "Ouverture du bureau de cette fenêtre…");
    settle(5);
    ASSERT_FALSE(overview->busy());
    cards = overview->cards(62);
    onScreen = std::find_if(cards.begin(), cards.end(), [](auto* card) { return card->isOnDisplay(); });
    ASSERT_NE(onScreen, cards.end());
    (*onScreen)->returnToLibrary();
    EXPECT_EQ(overview->statusMessage(), "L’écran ou le bureau d’origine n’est plus disponible pour cette fenêtre.")
        << "it came from nowhere";
    // A window on the project's screens is not listed again; one elsewhere is, and has nowhere to return to.
    std::vector<WindowThumbnail*> listed = overview->cards(61);
    auto inLibrary = std::find_if(listed.begin(), listed.end(), [](auto* card) { return !card->isOnDisplay(); });
    ASSERT_NE(inLibrary, listed.end());
    EXPECT_FALSE((*inLibrary)->canReturnToLibrary());
}

TEST_F(WindowOverviewTest, TheActionsButtonShowsOnlyForAProjectThatNeedsItAndItsMenuRemovesTheUnavailable)
{
    std::vector<std::string> removals;
    overview->removeUnavailableProject = [&](const std::string& id, std::function<void(std::optional<std::string>)>) {
        removals.push_back(id);
    };
    std::vector<std::pair<std::string, bool>> said;
    overview->onStatusMessage = [&](const std::string& text, bool error) { said.emplace_back(text, error); };
    overview->setOverviewVisible(true);
    settle();
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.front(), std::make_pair(std::string("Autorise les aperçus pour afficher le contenu des fenêtres."), false));
    overview->setupView()->commitProjectSelection(std::string("a"));
    EXPECT_TRUE(overview->setupView()->actionsButton()->isHidden());
    overview->setupView()->onActions(overview->setupView()->actionsButton());
    EXPECT_FALSE(overview->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
        << "a menu with nothing in it is not shown";
    assignments[0].unavailable = true;
    overview->configurationChanged();
    settle();
    EXPECT_FALSE(overview->setupView()->actionsButton()->isHidden());

    overview->setupView()->actionsButton()->click();
    auto* item = overview->findChild<QAction*>("remove-unavailable-associations");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text().toStdString(), "Retirer les associations indisponibles");
    // Chosen once another project is selected, it removes nothing.
    int before = interactions;
    overview->setupView()->commitProjectSelection(std::string("b"));
    EXPECT_EQ(interactions, before + 1) << "choosing a project is an interaction";
    EXPECT_TRUE(overview->setupView()->actionsButton()->isHidden()) << "at once, for the project chosen";
    item->trigger();
    EXPECT_TRUE(removals.empty());
    EXPECT_EQ(interactions, before + 1);
    overview->setupView()->commitProjectSelection(std::string("a"));
    item->trigger();
    EXPECT_EQ(removals, std::vector<std::string> { "a" });
    EXPECT_EQ(interactions, before + 3) << "so is the removal";
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back(), std::make_pair(std::string("Retrait des associations indisponibles de Project a…"), false));
    EXPECT_TRUE(overview->busy());
    QPointer<QMenu> menu = overview->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(menu);
    menu->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(menu) << "a closed menu is not kept";
}

TEST_F(WindowOverviewTest, TheDetailsButtonOpensAndClosesTheTrackingPopoverAndRefreshesAfter)
{
    QPointer<QWidget> first = new QWidget;
    overview->setTrackingControls(first, new SwitchControl);
    overview->setTrackingControls(new QWidget, new SwitchControl);
    EXPECT_TRUE(first->isHidden()) << "controls given again take the place of the old ones";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(first);
    overview->setOverviewVisible(true);
    settle();
    QWidget* details = overview->setupView()->trackingDetailsButton();
    int before = interactions;
    overview->setupView()->onTrackingDetails(details);
    ASSERT_TRUE(overview->trackingPopover());
    EXPECT_EQ(interactions, before + 1);
    EXPECT_TRUE(overview->isInteracting());
    overview->refreshClicked();
    EXPECT_EQ(interactions, before + 2);
    EXPECT_EQ(overview->statusMessage(), "Liste des bureaux et fenêtres actualisée.");
    int reads = assignmentReads;
    QPointer<Popover> shown = overview->trackingPopover();
    overview->setupView()->onTrackingDetails(details);
    EXPECT_FALSE(overview->trackingPopover());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(shown) << "a closed popover is released";
    settle();
    EXPECT_GT(assignmentReads, reads);

    overview->setupView()->onTrackingDetails(details);
    ASSERT_TRUE(overview->trackingPopover());
    overview->setupView()->onPrivacy();
    EXPECT_FALSE(overview->trackingPopover()) << "the privacy link closes it";
    overview->setupView()->onTrackingDetails(details);
    ASSERT_TRUE(overview->trackingPopover());
    overview->setOverviewVisible(false);
    EXPECT_FALSE(overview->trackingPopover()) << "hiding the tab closes it";
}

TEST_F(WindowOverviewTest, ResetsRunOnlyWhileTheTabIsShownIdleAndAllowed)
{
    int clears = 0;
    int deletions = 0;
    overview->onClearProjectAssignments = [&] { ++clears; };
    overview->onDeleteAllDesktops = [&] { ++deletions; };
    overview->setOverviewVisible(true);
    settle();
    overview->updateResetState(false);
    overview->setupView()->onClearProjectAssignments();
    overview->setupView()->onDeleteAllDesktops();
    EXPECT_EQ(clears + deletions, 0);
    int before = interactions;
    overview->updateResetState(true);
    overview->setupView()->onClearProjectAssignments();
    overview->setupView()->onDeleteAllDesktops();
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(interactions, before + 2);
    overview->setMaintenanceBusy(true);
    overview->setupView()->onDeleteAllDesktops();
    EXPECT_EQ(deletions, 1);
    overview->setMaintenanceBusy(false);
}

TEST_F(WindowOverviewTest, NoRefreshIsMadeWhileAProjectIsBeingChosen)
{
    overview->setOverviewVisible(true);
    settle();
    overview->showStatus("", false);
    overview->setupView()->onProjectPickerVisibilityChange(true);
    EXPECT_FALSE(overview->refresh());
    overview->refreshClicked();
    EXPECT_EQ(overview->statusMessage(), "");
    int reads = assignmentReads;
    overview->setupView()->onProjectPickerVisibilityChange(false);
    settle();
    EXPECT_GT(assignmentReads, reads) << "a closed chooser reads again";
    overview->refreshClicked();
    EXPECT_EQ(overview->statusMessage(), "Liste des bureaux et fenêtres actualisée.");
    overview->setupView()->onProjectPickerVisibilityChange(true);
    overview->setOverviewVisible(false);
    overview->setOverviewVisible(true);
    EXPECT_TRUE(overview->refresh()) << "hiding the tab ends the choice";
}

TEST_F(WindowOverviewTest, DesktopsThatChangeDuringAReadAreReadAgainAtOnce)
{
    overview->setOverviewVisible(true);
    settle();
    ASSERT_EQ(overview->desktops().size(), 4u);
    overview->refresh();
    mac.mac().addSpace("D1", 3);
    settle();
    EXPECT_EQ(overview->desktops().size(), 5u) << "not at the next periodic refresh";
    EXPECT_TRUE(overview->inventoryHasLoaded());
    overview->refresh();
    mac.mac().addSpace("D1", 4);
    mac.world().faults.spaces = sim::SpacesShape::null;
    settle();
    EXPECT_EQ(overview->desktops().size(), 5u) << "nor are desktops that can no longer be read";
}

TEST_F(WindowOverviewTest, PermissionsAreReadAgainWhenTheApplicationBecomesActive)
{
    SetupPermissionStatusView* previews = overview->setupView()->previewPermission();
    EXPECT_EQ(previews->currentAuthorization(), false);
    mac.world().permissions.screenCapture = true;
    EXPECT_EQ(previews->currentAuthorization(), false);
    platform().defaultCenter().post(applicationDidBecomeActiveNotification, nullptr);
    EXPECT_EQ(previews->currentAuthorization(), true);
}

TEST(OverviewInventoryRulesTest, WindowsSortByApplicationThenTitleNumbersByValueThenNumber)
{
    auto window = [](std::uint32_t id, const char* application, const char* title) {
        return DesktopWindow { id, 1, application, std::nullopt, title, QRectF(), {} };
    };
    std::vector<DesktopWindow> windows { window(5, "Zed", "A"), window(4, "atom", "Z"), window(3, "Zed", "Notes 10"),
        window(2, "Zed", "Notes 2"), window(9, "Zed", "A"), window(1, "Zed", "A") };
    OverviewInventoryRules::sortWindows(windows);
    std::vector<std::uint32_t> order;
    for (const auto& sorted : windows)
        order.push_back(sorted.id);
    EXPECT_EQ(order, std::vector<std::uint32_t>({ 4, 1, 5, 9, 2, 3 }));
}

// Any change of what the rows show asks for a new inventory: the assistant's screen and every assignment field.
TEST(OverviewInventoryRulesTest, TheContextChangesWithTheAssistantsScreenAndEachAssignment)
{
    const OverviewProjectAssignment a { "project-a", "A", { 2 }, "~/src/a", false, false, std::nullopt };
    auto context = [](std::optional<std::string> monitor, std::vector<OverviewProjectAssignment> rows) {
        return OverviewInventoryRules::inventoryContext({}, { AssistantApp::codex, std::move(monitor) }, rows);
    };
    std::set<std::string> seen { context(std::nullopt, { a }), context("A", { a }), context("B", { a }) };
    auto changed = a;
    changed.desktops = { 3 };
    seen.insert(context("A", { changed }));
    changed = a;
    changed.fallbackDesktop = 1;
    seen.insert(context("A", { changed }));
    changed = a;
    changed.unavailable = true;
    seen.insert(context("A", { changed }));
    EXPECT_EQ(seen.size(), 6u);
    auto b = a;
    b.id = "project-b";
    EXPECT_EQ(context("A", { a, b }), context("A", { b, a })) << "rows in id order";
}

TEST(OverviewInventoryRulesTest, NamesThatDifferOnlyInCaseStillGiveOneOrderWhateverTheInput)
{
    std::vector<DesktopWindow> windows { { 1, 10, "Zed", std::nullopt, "b", QRectF(), { 1 } },
        { 2, 11, "zed", std::nullopt, "a", QRectF(), { 1 } }, { 3, 10, "Zed", std::nullopt, "a", QRectF(), { 1 } } };
    std::sort(windows.begin(), windows.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    do {
        std::vector<DesktopWindow> sorted = windows;
        OverviewInventoryRules::sortWindows(sorted);
        std::vector<std::uint32_t> ids;
        for (const DesktopWindow& window : sorted)
            ids.push_back(window.id);
        EXPECT_EQ(ids, (std::vector<std::uint32_t> { 3, 1, 2 }));
    } while (std::next_permutation(
        windows.begin(), windows.end(), [](const auto& a, const auto& b) { return a.id < b.id; }));
}

TEST(OverviewInventoryRulesTest, ProjectSpacesSkipNumbersOutsideTheInventoryAndTheFallback)
{
    std::vector<NativeDesktopState> desktops;
    for (std::uint64_t space = 1; space <= 10; ++space)
        desktops.push_back({ space * 10, 10, "D", std::nullopt });
    OverviewProjectAssignment row = project("a", { 0, 2, 10, 11, 3 });
    row.usingAssistantFallback = true;
    row.fallbackDesktop = 3;
    EXPECT_EQ(OverviewInventoryRules::projectSpaceIDs({ row }, desktops), std::set<std::uint64_t>({ 20 }));
    row.usingAssistantFallback = false;
    EXPECT_EQ(OverviewInventoryRules::projectSpaceIDs({ row }, desktops), std::set<std::uint64_t>({ 20, 30 }));
}

} // namespace
} // namespace pellamor
