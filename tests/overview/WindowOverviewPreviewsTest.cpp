#include "overview/WindowHoverPreview.h"
#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "setup/ProjectDesktopSetupView.h"
#include "sim/AccessibilityTree.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"
#include "ui/SwitchControl.h"
#include "ui/SymbolButton.h"

#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace pellamor {
namespace {

sim::World previewWorld()
{
    sim::World world = test::world()
                           .display("D1", { 1, 2 })
                           .application(501, "com.openai.codex", "Codex")
                           .application(600, "com.example.zed", "Zed")
                           .window(1, 501, QRectF(0, 0, 800, 600), { 1 })
                           .window(61, 600, QRectF(100, 40, 700, 500), { 1 })
                           .window(62, 600, QRectF(100, 40, 400, 300), { 1 })
                           .window(63, 600, QRectF(100, 40, 2000, 120), { 2 });
    world.permissions.screenCapture = true;
    return world;
}

class WindowOverviewPreviewsTest : public ::testing::Test {
protected:
    WindowOverviewPreviewsTest()
    {
        overview = std::make_unique<WindowOverviewView>();
        overview->resize(880, 850);
        overview->show();
        overview->onUserInteraction = [this] { ++interactions; };
        overview->projectAssignments = [this](const std::vector<NativeDesktopState>&) {
            ++assignmentReads;
            OverviewProjectAssignment project;
            project.id = "a";
            project.name = "Project a";
            project.path = "~/a";
            return std::vector<OverviewProjectAssignment> { project };
        };
        overview->setOverviewVisible(true);
        settle();
        overview->setupView()->commitProjectSelection(std::string("a"));
        settle();
    }
    ~WindowOverviewPreviewsTest() override { overview->shutdown(); }

    void settle(double seconds = 0.2)
    {
        mac.advance(seconds);
        QCoreApplication::sendPostedEvents();
    }
    WindowThumbnail* libraryCard(std::uint32_t window) const
    {
        auto cards = overview->cards(window);
        auto found = std::find_if(
            cards.begin(), cards.end(), [](auto* card) { return !card->isOnDisplay() && card->isVisible(); });
        return found == cards.end() ? nullptr : *found;
    }
    // A keyboard press: the preview does not follow the pointer.
    void activate(std::uint32_t window)
    {
        WindowThumbnail* card = libraryCard(window);
        ASSERT_TRUE(card);
        card->accessibilityPerformPress();
    }
    std::string previewStatus() const { return overview->hoverPreview().statusText(); }

    test::WidgetApplication application;
    test::TestMac mac { previewWorld() };
    int assignmentReads = 0;
    int interactions = 0;
    std::unique_ptr<WindowOverviewView> overview;
};

TEST(WindowCaptureSizeTest, HeightKeepsTheProportionsWithinOneToSixHundredPixels)
{
    EXPECT_EQ(WindowOverviewView::captureHeight(700, 500), 314);
    EXPECT_EQ(WindowOverviewView::captureHeight(10, 2000), 600);
    EXPECT_EQ(WindowOverviewView::captureHeight(2000, 1), 1);
    EXPECT_EQ(WindowOverviewView::captureHeight(0, 1), 440);
    EXPECT_EQ(WindowOverviewView::captureHeight(1, std::numeric_limits<double>::infinity()), 600);
    EXPECT_EQ(WindowOverviewView::captureHeight(1, std::nan("")), 1);
    EXPECT_EQ(WindowOverviewView::captureHeight(1, -5), 1);
}

TEST_F(WindowOverviewPreviewsTest, ACaptureFillsThePreviewAndIsReusedForTenSeconds)
{
    int before = interactions;
    activate(61);
    EXPECT_EQ(interactions, before + 1) << "opening a preview is an interaction";
    EXPECT_EQ(overview->hoverPreview().representedWindowID(), 61u);
    EXPECT_EQ(previewStatus(), "Chargement de l’aperçu…");
    EXPECT_TRUE(overview->capturing());
    settle();
    EXPECT_FALSE(overview->capturing());
    ASSERT_TRUE(overview->cachedImage(61));
    EXPECT_EQ(overview->cachedImage(61)->size(), QSize(440, 314));
    EXPECT_TRUE(overview->hoverPreview().showsImage());
    EXPECT_TRUE(libraryCard(61)->cachedImage());

    overview->dismissPreview();
    settle(5);
    activate(61);
    EXPECT_FALSE(overview->capturing());
    EXPECT_TRUE(overview->hoverPreview().showsImage());
    // Any action that starts closes it, and so does a reset asked for or a press on a card.
    ASSERT_TRUE(overview->start());
    EXPECT_FALSE(overview->hoveredTile());
    EXPECT_FALSE(overview->hoverPreview().representedWindowID());
    overview->finish("", false);
    activate(61);
    overview->updateResetState(true);
    overview->setupView()->onClearProjectAssignments();
    EXPECT_FALSE(overview->hoverPreview().representedWindowID()) << "a reset";
    activate(61);
    ASSERT_TRUE(overview->hoverPreview().representedWindowID());
    libraryCard(61)->onPreviewDismiss();
    EXPECT_FALSE(overview->hoverPreview().representedWindowID()) << "a press";

    overview->dismissPreview();
    settle(6);
    activate(61);
    EXPECT_TRUE(overview->capturing());

    // The refresh button forgets every image, however fresh.
    settle();
    ASSERT_TRUE(overview->cachedImage(61));
    overview->refreshClicked();
    EXPECT_FALSE(overview->cachedImage(61));
}

TEST_F(WindowOverviewPreviewsTest, TheImageOfAWindowThatClosedIsForgottenAtTheNextRender)
{
    activate(61);
    settle();
    activate(62);
    settle();
    overview->dismissPreview();
    ASSERT_TRUE(overview->cachedImage(61));
    ASSERT_TRUE(overview->cachedImage(62));
    std::erase_if(mac.world().windows, [](const sim::Window& window) { return window.number == 61; });
    overview->refresh();
    settle();
    EXPECT_FALSE(overview->cachedImage(61));
    EXPECT_TRUE(overview->cachedImage(62));
}

TEST_F(WindowOverviewPreviewsTest, AnOpenPreviewHoldsThePeriodicRefreshSoItIsNeitherRedrawnNorCapturedAgain)
{
    activate(61);
    settle();
    ASSERT_TRUE(overview->cachedImage(61));
    // The inventory changes while the preview stays open, beyond the image's ten seconds.
    mac.mac().window(62)->title = "Renamed";
    int reads = assignmentReads;
    settle(11);
    EXPECT_EQ(assignmentReads, reads) << "nothing read again";
    EXPECT_TRUE(overview->hoveredTile()) << "no redraw closed it";
    EXPECT_FALSE(overview->capturing());
    EXPECT_TRUE(overview->hoverPreview().showsImage());
}

TEST_F(WindowOverviewPreviewsTest, EachWindowIsCapturedInItsOwnProportions)
{
    activate(62);
    settle();
    ASSERT_TRUE(overview->cachedImage(62));
    EXPECT_EQ(overview->cachedImage(62)->size(), QSize(440, 330));
    overview->dismissPreview();
    activate(63);
    settle();
    ASSERT_TRUE(overview->cachedImage(63));
    EXPECT_EQ(overview->cachedImage(63)->size(), QSize(440, 26));
}

TEST_F(WindowOverviewPreviewsTest, ACaptureThatArrivesAfterTheCardChangedIsDropped)
{
    activate(61);
    ASSERT_TRUE(overview->capturing());
    activate(62);
    settle();
    EXPECT_FALSE(overview->cachedImage(61));
    EXPECT_TRUE(overview->cachedImage(62));
    EXPECT_EQ(overview->hoverPreview().representedWindowID(), 62u);

    overview->dismissPreview();
    settle(11);
    activate(62);
    overview->setOverviewVisible(false);
    EXPECT_FALSE(overview->hoverPreview().representedWindowID());
    settle();
    EXPECT_FALSE(overview->capturing());
}

TEST_F(WindowOverviewPreviewsTest, FailuresShowTheirTextAndCacheNothing)
{
    mac.world().faults.capture.unlisted = { 61 };
    activate(61);
    settle();
    EXPECT_EQ(previewStatus(), "Cette fenêtre ne fournit pas d’aperçu.");
    EXPECT_FALSE(overview->cachedImage(61));

    overview->dismissPreview();
    mac.world().faults.capture.unlisted.clear();
    mac.world().faults.capture.captureFails = true;
    activate(61);
    settle();
    EXPECT_EQ(previewStatus(), "Aperçu indisponible pour cette fenêtre.");
    EXPECT_FALSE(overview->cachedImage(61));

    overview->dismissPreview();
    mac.world().faults.capture.listingFails = true;
    activate(61);
    settle();
    EXPECT_EQ(previewStatus(), "Aperçu indisponible pour cette fenêtre.");
    EXPECT_FALSE(overview->capturing());
}

TEST_F(WindowOverviewPreviewsTest, WithoutPermissionOrOnAnOlderSystemNothingIsCaptured)
{
    mac.world().systemVersion = { 13, 6, 0 };
    activate(61);
    EXPECT_EQ(previewStatus(), "Les aperçus nécessitent macOS 14 ou plus récent.");
    EXPECT_FALSE(overview->capturing());

    overview->dismissPreview();
    mac.world().systemVersion = { 14, 5, 0 };
    mac.world().permissions.screenCapture = false;
    activate(61);
    EXPECT_EQ(previewStatus(), "Autorise les aperçus pour voir cette fenêtre.");
    EXPECT_FALSE(overview->capturing());
}

TEST_F(WindowOverviewPreviewsTest, APreviewOpenedByThePointerEndsWhenThePointerLeavesTheCard)
{
    WindowThumbnail* card = libraryCard(61);
    ASSERT_TRUE(card);
    ASSERT_FALSE(overview->window()->hasMouseTracking());
    QCursor::setPos(card->mapToGlobal(card->rect().center()));
    card->onActivate(true);
    ASSERT_EQ(overview->hoveredTile(), card);
    EXPECT_TRUE(overview->window()->hasMouseTracking()) << "moves reach the preview without a button held";
    settle(0.1);
    EXPECT_EQ(overview->hoveredTile(), card) << "the pointer is still on it";
    QCursor::setPos(overview->mapToGlobal(QPoint(2, 2)));
    settle(0.1);
    EXPECT_FALSE(overview->hoveredTile());
    EXPECT_FALSE(overview->hoverPreview().representedWindowID());
    EXPECT_FALSE(overview->window()->hasMouseTracking()) << "the window tracks the mouse as it did before";

    // A preview asked for from the keyboard next does not follow the pointer left on the first card.
    QCursor::setPos(card->mapToGlobal(card->rect().center()));
    card->onActivate(true);
    ASSERT_EQ(overview->hoveredTile(), card);
    activate(62);
    settle(0.1);
    EXPECT_EQ(overview->hoveredTile(), libraryCard(62));
    EXPECT_EQ(overview->hoverPreview().representedWindowID(), 62u);

    // A mouse move off the card ends it at once, wherever the pointer was last read.
    overview->dismissPreview();
    card->onActivate(true);
    ASSERT_EQ(overview->hoveredTile(), card);
    QPointF away(2, 2);
    QMouseEvent move(QEvent::MouseMove, away, overview->mapToGlobal(away), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(overview.get(), &move);
    EXPECT_FALSE(overview->hoveredTile());
}

TEST_F(WindowOverviewPreviewsTest, LeavingTheShownCardOrAnEventForAnotherWindowClosesThePreview)
{
    activate(61);
    libraryCard(62)->onPreviewHover(false);
    EXPECT_EQ(overview->hoveredTile(), libraryCard(61)) << "leaving another card";
    libraryCard(61)->onPreviewHover(false);
    EXPECT_FALSE(overview->hoveredTile());

    activate(61);
    QObject plain;
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(&plain, &enter);
    EXPECT_TRUE(overview->hoveredTile()) << "an event for no widget";
    QWidget other;
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&other, &move);
    EXPECT_FALSE(overview->hoveredTile());
}

TEST_F(WindowOverviewPreviewsTest, AKeyboardPreviewFollowsThePointerFromItsFirstEvent)
{
    QCursor::setPos(overview->mapToGlobal(QPoint(2, 2)));
    activate(61);
    settle(0.1);
    ASSERT_TRUE(overview->hoveredTile()) << "the pointer is not followed yet";
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(overview.get(), &enter);
    EXPECT_FALSE(overview->hoveredTile()) << "the pointer is off the card";
}

TEST_F(WindowOverviewPreviewsTest, AReadArrivingWhileAPreviewIsOpenIsDropped)
{
    mac.mac().window(62)->title = "Renamed";
    overview->refresh();
    activate(61);
    settle();
    EXPECT_TRUE(overview->hoveredTile());
    auto renamed = std::find_if(overview->records().begin(), overview->records().end(),
        [](const DesktopWindow& window) { return window.title == "Renamed"; });
    EXPECT_EQ(renamed, overview->records().end());
}

TEST_F(WindowOverviewPreviewsTest, TypingOrScrollingClosesThePreview)
{
    activate(61);
    ASSERT_TRUE(overview->hoveredTile());
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QCoreApplication::sendEvent(overview->setupView(), &key);
    EXPECT_FALSE(overview->hoveredTile());
    EXPECT_FALSE(overview->hoverPreview().representedWindowID());
}

TEST_F(WindowOverviewPreviewsTest, AnythingThatTakesTheWindowOrTheTabElsewhereClosesThePreview)
{
    for (QEvent::Type change : { QEvent::WindowDeactivate, QEvent::ScreenChangeInternal }) {
        activate(62);
        ASSERT_TRUE(overview->hoveredTile());
        QEvent event(change);
        QCoreApplication::sendEvent(overview->window(), &event);
        EXPECT_FALSE(overview->hoveredTile()) << change;
        EXPECT_FALSE(overview->hoverPreview().representedWindowID()) << change;
        EXPECT_FALSE(overview->capturing()) << change;
    }
    activate(62);
    ASSERT_TRUE(overview->hoveredTile());
    overview->configurationChanged();
    EXPECT_FALSE(overview->hoveredTile()) << "nor does one outlive a changed configuration";
    overview->setTrackingControls(new QWidget, new SwitchControl);
    activate(62);
    ASSERT_TRUE(overview->hoveredTile());
    overview->setupView()->onTrackingDetails(overview->setupView()->trackingDetailsButton());
    EXPECT_FALSE(overview->hoveredTile()) << "or the tracking details opening";
    overview->setupView()->onTrackingDetails(overview->setupView()->trackingDetailsButton());
    activate(62);
    ASSERT_TRUE(overview->hoveredTile());
    overview->setupView()->onProjectPickerVisibilityChange(true);
    EXPECT_FALSE(overview->hoveredTile()) << "or the project chooser opening";
    overview->setupView()->onProjectPickerVisibilityChange(false);
    activate(62);
    ASSERT_TRUE(overview->hoveredTile());
    overview->setupView()->commitProjectSelection(std::nullopt);
    EXPECT_FALSE(overview->hoveredTile()) << "or the project changed";
}

TEST_F(WindowOverviewPreviewsTest, RevokingCaptureClosesThePreviewAndDropsEveryImage)
{
    activate(61);
    settle();
    ASSERT_TRUE(libraryCard(61)->cachedImage());
    overview->showStatus("Les fenêtres réduites peuvent ne pas fournir d’image.", false);
    activate(61);
    mac.world().permissions.screenCapture = false;
    settle(5);
    EXPECT_FALSE(overview->hoverPreview().representedWindowID());
    EXPECT_FALSE(overview->cachedImage(61));
    for (WindowThumbnail* card : overview->cards(61))
        EXPECT_FALSE(card->cachedImage());
    EXPECT_EQ(overview->statusMessage(), "Autorise les aperçus pour afficher le contenu des fenêtres.");
}

TEST_F(WindowOverviewPreviewsTest, AskingForCaptureOpensItsPaneAndHintsUntilItIsGranted)
{
    std::vector<bool> errors;
    overview->onStatusMessage = [&](const std::string&, bool error) { errors.push_back(error); };
    mac.world().permissions.screenCapture = false;
    overview->refreshPermissionStatus();
    const auto& lines = mac.mac().log().lines();
    overview->setMaintenanceBusy(true);
    ASSERT_TRUE(overview->busy());
    int before = interactions;
    overview->setupView()->onAuthorizePreviews();
    overview->setupView()->onAuthorizeAccessibility();
    EXPECT_EQ(interactions, before);
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("open-url") != std::string::npos;
    })) << "nothing is opened while busy";
    overview->setMaintenanceBusy(false);
    overview->setupView()->onAuthorizePreviews();
    EXPECT_EQ(interactions, before + 1);
    ASSERT_FALSE(errors.empty());
    EXPECT_FALSE(errors.back()) << "a hint, not an error";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("open-url url=x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture")
            != std::string::npos;
    }));
    EXPECT_EQ(overview->statusMessage(),
        "Active Pellamor dans Capture d’écran, puis reviens ici. Si macOS le demande, quitte et relance l’app.");
    mac.world().permissions.screenCapture = true;
    settle(5);
    EXPECT_EQ(overview->statusMessage(), "Les fenêtres réduites peuvent ne pas fournir d’image.");

    overview->setupView()->onAuthorizeAccessibility();
    EXPECT_EQ(interactions, before + 2);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("Privacy_Accessibility") != std::string::npos;
    }));
    // Another status line is left as it is.
    overview->showStatus("Fenêtre déplacée.", false);
    mac.world().permissions.screenCapture = false;
    settle(5);
    EXPECT_EQ(overview->statusMessage(), "Fenêtre déplacée.");
}

TEST_F(WindowOverviewPreviewsTest, AccessibilityIsAskedForOnlyWhenMissingAndThePrivacyLinkClosesThePreviewFirst)
{
    int& prompts = mac.mac().accessibilityTree().prompts;
    overview->setupView()->onAuthorizeAccessibility();
    EXPECT_EQ(prompts, 0) << "already granted";
    mac.world().permissions.accessibility = false;
    overview->setupView()->onAuthorizeAccessibility();
    EXPECT_EQ(prompts, 1);

    int shown = 0;
    overview->onShowPrivacy = [&] { ++shown; };
    activate(61);
    ASSERT_TRUE(overview->hoveredTile());
    int before = interactions;
    overview->setupView()->privacyButton()->click();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(interactions, before + 1);
    EXPECT_FALSE(overview->hoveredTile());
    overview->setMaintenanceBusy(true);
    ASSERT_TRUE(overview->busy());
    overview->setupView()->onPrivacy();
    EXPECT_EQ(shown, 1) << "not while busy";
    overview->setMaintenanceBusy(false);
}

TEST_F(WindowOverviewPreviewsTest, AMenuShownAnywhereClosesThePreviewAndHoldsMaintenanceUntilItGoes)
{
    activate(61);
    ASSERT_TRUE(overview->hoveredTile());
    auto* menu = new QMenu;
    menu->addAction("Item");
    menu->popup(QPoint(10, 10));
    EXPECT_FALSE(overview->hoveredTile());
    EXPECT_TRUE(overview->isInteracting());
    int reads = assignmentReads;
    settle(6);
    EXPECT_EQ(assignmentReads, reads) << "the periodic refresh waits for the menu";
    overview->setMaintenanceBusy(true);
    EXPECT_FALSE(overview->busy());
    activate(61);
    EXPECT_FALSE(overview->hoveredTile());
    // Deleted while shown: no menu is left tracking.
    delete menu;
    EXPECT_FALSE(overview->isInteracting());
    overview->setMaintenanceBusy(true);
    EXPECT_TRUE(overview->busy());
    overview->setMaintenanceBusy(false);

    // With the tab hidden, a menu holds nothing.
    overview->setOverviewVisible(false);
    QMenu later;
    later.addAction("Item");
    later.popup(QPoint(10, 10));
    EXPECT_FALSE(overview->menuTracks());
}

} // namespace
} // namespace pellamor
