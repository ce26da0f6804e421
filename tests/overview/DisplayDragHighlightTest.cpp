#include "overview/DisplayDragHighlight.h"
#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "setup/ProjectDesktopSetupView.h"
#include "sim/SimulatedMac.h"
#include "sim/WindowServer.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

sim::World threeScreens()
{
    sim::World world = test::world()
                           .display("D1", { 1 })
                           .display("D2", { 11 })
                           .display("D3", { 21 })
                           .application(600, "com.example.zed", "Zed")
                           .window(61, 600, QRectF(1100, 40, 700, 500), { 11 })
                           .window(62, 600, QRectF(100, 40, 700, 500), { 1 });
    // Above the main screen and a little to its right, taller than it.
    world.displays[1].frame = QRectF(200, 800, 1440, 900);
    world.displays[1].visibleFrame = QRectF(200, 800, 1440, 875);
    return world;
}

class DisplayDragHighlightTest : public ::testing::Test {
protected:
    bool shownOn(const DisplayDragHighlight& shown, const std::string& display) const
    {
        return shown.displayID() == display && shown.panel() && shown.panel()->isVisible();
    }

    test::WidgetApplication application;
    test::TestMac mac { threeScreens() };
    DisplayDragHighlight highlight;
};

TEST_F(DisplayDragHighlightTest, CoversTheWholeScreenInTopLeftCoordinatesAndFloatsOverEverything)
{
    highlight.show("d2");
    ASSERT_TRUE(shownOn(highlight, "D2"));
    // Flipped about the main screen's top (800): the full frame, not its visible part.
    EXPECT_EQ(highlight.panel()->geometry(), QRect(200, -900, 1440, 900));
    EXPECT_TRUE(highlight.panel()->isWindow());
    EXPECT_TRUE(highlight.panel()->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(highlight.panel()->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(highlight.panel()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(highlight.panel()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(highlight.panel()->isActiveWindow());

    auto attributes = mac.mac().windowServer().ownWindowAttributes(highlight.panel());
    ASSERT_TRUE(attributes);
    EXPECT_EQ(attributes->level, 1000);
    EXPECT_EQ(attributes->collectionBehavior, 337u);
    EXPECT_TRUE(attributes->ignoresMouseEvents);
    EXPECT_FALSE(attributes->shared);

    // Moving to another screen reuses the one panel.
    QWidget* panel = highlight.panel();
    highlight.show("D3");
    EXPECT_TRUE(shownOn(highlight, "D3"));
    EXPECT_EQ(highlight.panel(), panel);
    EXPECT_EQ(panel->geometry(), QRect(2000, 0, 1000, 800));
}

// Counts the times a window is brought to the front.
class Raises final : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::ZOrderChange)
            ++count;
        return false;
    }
};

TEST_F(DisplayDragHighlightTest, TheBorderIsBroughtToTheFrontEachTimeItMoves)
{
    highlight.show("D1");
    Raises raises;
    highlight.panel()->installEventFilter(&raises);
    QWidget other;
    other.show();
    highlight.show("D2");
    EXPECT_EQ(raises.count, 1);
    highlight.show("D2");
    EXPECT_EQ(raises.count, 1) << "already in place";
}

TEST_F(DisplayDragHighlightTest, ADrawnBorderIsRedAtTheEdgeAndClearInside)
{
    highlight.show("D1");
    QImage image(highlight.panel()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    highlight.panel()->render(&image);
    EXPECT_EQ(QColor(image.pixel(3, 400)).red(), 255);
    EXPECT_EQ(qAlpha(image.pixel(3, 400)), 255);
    EXPECT_EQ(qAlpha(image.pixel(500, 400)), 0);
    EXPECT_EQ(qAlpha(image.pixel(10, 400)), 0);
}

TEST_F(DisplayDragHighlightTest, HidingNamesTheShownScreenOrNone)
{
    highlight.show("D2");
    highlight.hide(std::string("D3"));
    EXPECT_TRUE(shownOn(highlight, "D2"));
    highlight.hide(std::string("d2"));
    EXPECT_FALSE(highlight.displayID());
    EXPECT_FALSE(highlight.panel()->isVisible());

    highlight.show("D2");
    highlight.hide();
    EXPECT_FALSE(highlight.displayID());
    EXPECT_FALSE(highlight.panel()->isVisible());

    // A screen that is not connected hides the border that was shown.
    highlight.show("D2");
    highlight.show("D9");
    EXPECT_FALSE(highlight.displayID());
    EXPECT_FALSE(highlight.panel()->isVisible());
}

TEST_F(DisplayDragHighlightTest, AScreenChangeHidesTheBorder)
{
    highlight.show("D2");
    mac.mac().disconnectDisplay("D3");
    EXPECT_FALSE(highlight.displayID());
    EXPECT_FALSE(highlight.panel()->isVisible());
    highlight.show("D2");
    EXPECT_TRUE(shownOn(highlight, "D2"));
}

TEST_F(DisplayDragHighlightTest, TheServerForgetsADestroyedWindow)
{
    auto window = std::make_unique<QWidget>();
    const QWidget* gone = window.get();
    mac.mac().windowServer().setOwnWindowAttributes(*window, { 1000, 1, true, false });
    ASSERT_TRUE(mac.mac().windowServer().ownWindowAttributes(gone));
    window.reset();
    EXPECT_FALSE(mac.mac().windowServer().ownWindowAttributes(gone));
}

class OverviewDragHighlightTest : public DisplayDragHighlightTest {
protected:
    OverviewDragHighlightTest()
    {
        overview->resize(880, 850);
        overview->show();
        overview->projectAssignments = [](const std::vector<NativeDesktopState>&) {
            OverviewProjectAssignment row;
            row.id = "a";
            row.name = "Project a";
            row.desktops = { 2 };
            row.path = "~/a";
            return std::vector { row };
        };
        overview->setOverviewVisible(true);
        settle();
        overview->setupView()->commitProjectSelection(std::string("a"));
        settle();
    }
    ~OverviewDragHighlightTest() override { overview->shutdown(); }

    void settle()
    {
        mac.advance(0.05);
        QCoreApplication::sendPostedEvents();
    }
    WindowThumbnail* startDrag()
    {
        std::vector<WindowThumbnail*> cards = overview->cards(62);
        if (cards.empty())
            return nullptr;
        cards.front()->onDraggingChange(true);
        return cards.front();
    }
    void hover(const std::string& display, bool hovering)
    {
        overview->setupView()->onDisplayDragHover(display, hovering);
    }
    const DisplayDragHighlight& shown() const { return overview->displayDragHighlight(); }

    std::unique_ptr<WindowOverviewView> overview = std::make_unique<WindowOverviewView>();
};

TEST_F(OverviewDragHighlightTest, FollowsTheHoveredScreenOnlyDuringACardDrag)
{
    hover("D2", true);
    EXPECT_FALSE(shown().displayID());

    WindowThumbnail* card = startDrag();
    ASSERT_TRUE(card);
    hover("D2", true);
    EXPECT_TRUE(shownOn(shown(), "D2"));
    // Entering the next card before the previous one reports leaving keeps only the hovered screen.
    hover("D3", true);
    hover("D2", false);
    EXPECT_TRUE(shownOn(shown(), "D3"));
    hover("D3", false);
    EXPECT_FALSE(shown().displayID());

    hover("D2", true);
    mac.mac().disconnectDisplay("D3");
    EXPECT_FALSE(shown().displayID());
    hover("D2", true);
    EXPECT_TRUE(shownOn(shown(), "D2"));

    card->onDraggingChange(false);
    EXPECT_FALSE(shown().displayID());
}

TEST_F(OverviewDragHighlightTest, HiddenWhenTheProjectChangesOrTheOverviewGoesAway)
{
    startDrag();
    hover("D2", true);
    ASSERT_TRUE(shown().displayID());
    overview->setupView()->onProjectChange(std::string("a"));
    EXPECT_FALSE(shown().displayID());

    hover("D2", true);
    hover("D2", true);
    ASSERT_TRUE(shown().displayID());
    overview->setOverviewVisible(false);
    EXPECT_FALSE(shown().displayID());
    hover("D2", true);
    EXPECT_FALSE(shown().displayID());
}

TEST_F(OverviewDragHighlightTest, AnActionStartHidesItAndKeepsItHiddenWhileBusy)
{
    overview->beginAction = [] { return false; };
    startDrag();
    hover("D2", true);
    ASSERT_TRUE(shown().displayID());
    EXPECT_FALSE(overview->start());
    EXPECT_FALSE(shown().displayID()) << "even a refused start";
    overview->beginAction = nullptr;

    startDrag();
    hover("D2", true);
    ASSERT_TRUE(shown().displayID());
    ASSERT_TRUE(overview->start());
    EXPECT_FALSE(shown().displayID());
    hover("D3", true);
    EXPECT_FALSE(shown().displayID());
}

TEST_F(OverviewDragHighlightTest, TheWindowLosingKeyStatusResizedOrMovedToAnotherScreenHidesIt)
{
    startDrag();
    for (QEvent::Type change : { QEvent::WindowDeactivate, QEvent::ScreenChangeInternal }) {
        hover("D2", true);
        ASSERT_TRUE(shown().displayID());
        QEvent event(change);
        QCoreApplication::sendEvent(overview.get(), &event);
        EXPECT_FALSE(shown().displayID()) << change;
    }
    hover("D2", true);
    overview->resize(900, 850);
    EXPECT_FALSE(shown().displayID());
}

} // namespace
} // namespace pellamor
