#include "overview/WindowThumbnail.h"
#include "overview/WindowArrangementIcon.h"
#include "setup/WindowDragType.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"
#include "ui/DragSession.h"
#include "ui/SymbolView.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <gtest/gtest.h>
#include <memory>

namespace pellamor {
namespace {

DesktopWindow record(std::optional<bool> minimized = std::nullopt, std::optional<std::string> document = std::nullopt)
{
    return { 4711, 42, "Éditeur", std::string("com.example.editor"), "Notes & plans", QRectF(10, 20, 1280.9, 720.4),
        { 93 }, document, minimized };
}

class WindowThumbnailTest : public ::testing::Test {
protected:
    WindowThumbnailTest()
    {
        setDragRunner([this](QWidget*, QMimeData* data, const QPixmap&, DragOperations allowed) {
            dragged.push_back(data->data(QString::fromLatin1(windowDragType)).toStdString());
            operations.push_back(allowed);
            delete data;
            return Qt::IgnoreAction;
        });
    }
    ~WindowThumbnailTest() override { setDragRunner(nullptr); }

    std::unique_ptr<WindowThumbnail> card(bool onDisplay = true, DesktopWindow shown = record())
    {
        auto made = std::make_unique<WindowThumbnail>(shown, 93, "TOKEN", 4, onDisplay, true);
        made->resize(200, WindowThumbnail::compactHeight);
        made->onSelect = [this] { events.push_back("select"); };
        made->onActivate = [this](bool pointer) { events.push_back(pointer ? "activate-pointer" : "activate-key"); };
        made->onDraggingChange = [this](bool on) { events.push_back(on ? "interaction-on" : "interaction-off"); };
        return made;
    }

    test::WidgetApplication application;
    test::TestMac mac;
    std::vector<std::string> events;
    std::vector<std::string> dragged;
    std::vector<DragOperations> operations;
};

// The icon as a 2× screen shows it, as pixels.
QImage atTwice(const QIcon& icon, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(WindowArrangementIcon::size, 2, mode).toImage();
}

TEST_F(WindowThumbnailTest, AClickWithoutTravelActivatesAndTravelBeyondFivePointsPreventsIt)
{
    auto shown = card();
    QTest::mousePress(shown.get(), Qt::LeftButton, {}, QPoint(50, 30));
    QTest::mouseMove(shown.get(), QPoint(53, 34));
    QTest::mouseRelease(shown.get(), Qt::LeftButton, {}, QPoint(53, 34));
    EXPECT_EQ(events, std::vector<std::string>({ "interaction-on", "select", "interaction-off", "activate-pointer" }));

    events.clear();
    QTest::mousePress(shown.get(), Qt::LeftButton, {}, QPoint(50, 30));
    QTest::mouseMove(shown.get(), QPoint(56, 30));
    QTest::mouseRelease(shown.get(), Qt::LeftButton, {}, QPoint(56, 30));
    EXPECT_EQ(events, std::vector<std::string>({ "interaction-on", "select", "interaction-off" }));
    EXPECT_TRUE(dragged.empty());

    // Another button let go ends nothing; a press outside the card starts nothing.
    events.clear();
    QTest::mousePress(shown.get(), Qt::LeftButton, {}, QPoint(50, 30));
    QTest::mouseRelease(shown.get(), Qt::RightButton, {}, QPoint(50, 30));
    EXPECT_EQ(events, std::vector<std::string>({ "interaction-on", "select" }));
    QTest::mouseRelease(shown.get(), Qt::LeftButton, {}, QPoint(50, 30));
    EXPECT_EQ(events.back(), "activate-pointer");
    events.clear();
    QTest::mousePress(shown.get(), Qt::LeftButton, {}, QPoint(250, 30));
    EXPECT_TRUE(events.empty());
}

TEST_F(WindowThumbnailTest, ADragCarriesTheTokenTheWindowAndItsSourceAndEndsTheInteraction)
{
    auto shown = card();
    shown->setCanDrag(true);
    QTest::mousePress(shown.get(), Qt::LeftButton, {}, QPoint(50, 30));
    QTest::mouseMove(shown.get(), QPoint(50, 36));
    EXPECT_EQ(dragged, std::vector<std::string>({ "TOKEN:4711:93" }));
    ASSERT_EQ(operations.size(), 1u);
    EXPECT_EQ(operations[0].insideApplication, Qt::MoveAction);
    EXPECT_EQ(operations[0].outsideApplication, Qt::DropActions()) << "other applications' targets can take nothing";
    EXPECT_FALSE(shown->isDraggingWindow());
    EXPECT_FALSE(shown->pointerInteraction());
    QTest::mouseRelease(shown.get(), Qt::LeftButton, {}, QPoint(50, 36));
    EXPECT_EQ(std::count(events.begin(), events.end(), "activate-pointer"), 0);
    EXPECT_EQ(events.back(), "interaction-off");

    // A press given up with Escape starts no drag, however far the pointer then travels.
    dragged.clear();
    QTest::mousePress(shown.get(), Qt::LeftButton, {}, QPoint(50, 30));
    QTest::keyClick(shown.get(), Qt::Key_Escape);
    QTest::mouseMove(shown.get(), QPoint(50, 45));
    EXPECT_TRUE(dragged.empty());
    QTest::mouseRelease(shown.get(), Qt::LeftButton, {}, QPoint(50, 45));
}

TEST_F(WindowThumbnailTest, ACardTakenDownDuringItsDragIsLeftAlone)
{
    auto shown = card();
    shown->setCanDrag(true);
    setDragRunner([&](QWidget*, QMimeData* data, const QPixmap&, DragOperations) {
        delete data;
        shown.reset();
        return Qt::IgnoreAction;
    });
    QTest::mousePress(shown.get(), Qt::LeftButton, {}, QPoint(50, 30));
    QTest::mouseMove(shown.get(), QPoint(50, 36));
    EXPECT_FALSE(shown);
}

TEST_F(WindowThumbnailTest, ReturnOrSpaceActivateOnceAndANonInteractiveCardIgnoresThePointer)
{
    auto shown = card();
    QTest::keyClick(shown.get(), Qt::Key_Return);
    EXPECT_EQ(events, std::vector<std::string>({ "select", "activate-key" }));
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
    QCoreApplication::sendEvent(shown.get(), &repeat);
    EXPECT_EQ(events.size(), 2u) << "a held key activates once";

    events.clear();
    shown->setInteractive(false);
    QTest::mouseClick(shown.get(), Qt::LeftButton, {}, QPoint(50, 30));
    EXPECT_FALSE(shown->accessibilityPerformPress());
    EXPECT_TRUE(events.empty());
    // The menu is still handed out, its items as they were, and the card is drawn as it was.
    EXPECT_EQ(shown->menuForContextRequest(), shown->cardMenu());
    for (QWidget* part : shown->findChildren<QWidget*>())
        EXPECT_TRUE(part->isEnabled()) << part->metaObject()->className();
}

TEST_F(WindowThumbnailTest, AssistiveTechnologiesSeeAButtonThatPressesLikeAKeyAndIsUnavailableWhenHeld)
{
    auto shown = card();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(shown.get());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_FALSE(accessible->state().disabled);
    ASSERT_NE(accessible->actionInterface(), nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(events, (std::vector<std::string> { "select", "activate-key" }));
    EXPECT_TRUE(accessible->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
    accessible->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_EQ(events.back(), "select");
    EXPECT_TRUE(shown->cardMenu()->isVisible()) << "the menu opens as for a Control-click";
    shown->cardMenu()->hide();
    events.clear();
    QTest::mousePress(shown.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(50, 30));
    EXPECT_TRUE(shown->cardMenu()->isVisible());
    EXPECT_EQ(events, std::vector<std::string>({ "select" })) << "a Control-click starts no press";
    shown->cardMenu()->hide();
    events.clear();
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(50, 30), shown->mapToGlobal(QPoint(50, 30)));
    QCoreApplication::sendEvent(shown.get(), &request);
    EXPECT_TRUE(shown->cardMenu()->isVisible());
    EXPECT_EQ(events, std::vector<std::string>({ "select" }));
    shown->cardMenu()->hide();
    events.clear();

    shown->setInteractive(false);
    EXPECT_TRUE(accessible->state().disabled);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(events.empty());
}

TEST_F(WindowThumbnailTest, TheMenuOffersTheTenLayoutsAndAReturnOnlyOnScreenCardsWithAHandler)
{
    auto shown = card();
    ASSERT_EQ(shown->placementItems().size(), 10u);
    EXPECT_EQ(shown->placementItems()[4]->text(), QStringLiteral("Demi-écran gauche"));
    EXPECT_FALSE(shown->placementItems()[0]->isEnabled());
    EXPECT_FALSE(shown->returnItem()->isVisible());

    std::vector<WindowArrangement> arranged;
    int dismissed = 0;
    shown->onArrange = [&](WindowArrangement layout) { arranged.push_back(layout); };
    shown->onPreviewDismiss = [&] { ++dismissed; };
    shown->choosePlacement(9);
    EXPECT_TRUE(arranged.empty());
    shown->setEditable(true);
    shown->choosePlacement(9);
    shown->choosePlacement(10);
    EXPECT_EQ(arranged, std::vector<WindowArrangement>({ WindowArrangement::maximize }));
    EXPECT_EQ(dismissed, 1) << "the card's preview closes as its layout starts";
    QTest::keyClick(shown.get(), Qt::Key_Escape);
    EXPECT_EQ(dismissed, 2) << "and on Escape";

    for (std::size_t tag = 0; tag < WindowArrangement::allCases.size(); ++tag) {
        EXPECT_EQ(atTwice(shown->placementItems()[tag]->icon()),
            atTwice(WindowArrangementIcon::icon(WindowArrangement::allCases[tag])))
            << "item " << tag << " shows its layout's icon, drawn for a 2× screen";
    }
    auto* placementIcon = shown->findChild<SymbolView*>("window-card-placement-icon");
    ASSERT_NE(placementIcon, nullptr);
    EXPECT_EQ(placementIcon->symbolName(), "macwindow");
    shown->setCurrentArrangement(WindowArrangement::left);
    EXPECT_TRUE(shown->placementItems()[4]->isChecked());
    EXPECT_EQ(std::count_if(shown->placementItems().begin(), shown->placementItems().end(),
                  [](QAction* item) { return item->isChecked(); }),
        1);
    EXPECT_EQ(shown->placementSummary(), "Demi-écran gauche");
    auto later = card();
    later->setCurrentArrangement(WindowArrangement::left);
    ASSERT_TRUE(later->cardMenu());
    EXPECT_EQ(std::count_if(later->placementItems().begin(), later->placementItems().end(),
                  [](QAction* item) { return item->isChecked(); }),
        1) << "a menu made once the layout is known checks it too";
    EXPECT_TRUE(later->placementItems()[4]->isChecked());
    EXPECT_EQ(atTwice(placementIcon->icon()), atTwice(WindowArrangementIcon::icon(WindowArrangement::left, ColorRole::accent)))
        << "the placement shows the layout's icon in the accent colour";

    int returned = 0;
    shown->setOnReturnToLibrary([&] { ++returned; });
    EXPECT_TRUE(shown->returnItem()->isVisible());
    EXPECT_FALSE(shown->returnItem()->isEnabled());
    shown->setCanReturnToLibrary(true);
    EXPECT_TRUE(shown->returnItem()->isEnabled());
    shown->returnToLibrary();
    EXPECT_EQ(returned, 1);

    auto library = card(false);
    library->setOnReturnToLibrary([&] { ++returned; });
    library->setCanReturnToLibrary(true);
    EXPECT_FALSE(library->returnItem()->isVisible());
    library->returnToLibrary();
    EXPECT_EQ(returned, 1);
}

TEST_F(WindowThumbnailTest, LabelsSayWhenTheWindowIsMinimizedAndNameItsDocument)
{
    auto plain = card(true, record(false));
    EXPECT_EQ(plain->accessibilityLabel(), "Éditeur — Notes & plans\nBureau 4 · 1280 × 720");
    EXPECT_EQ(plain->placementSummary(), "Disposition libre");

    auto minimized = card(true, record(true, std::string("")));
    EXPECT_EQ(minimized->accessibilityLabel(), "Éditeur — Notes & plans\nBureau 4 · 1280 × 720 · Réduite\nDocument : ");
    EXPECT_EQ(minimized->placementSummary(), "Réduite · Disposition libre");

    auto library = card(false, record(true, std::string("plan.md")));
    EXPECT_EQ(library->accessibilityLabel(), "Éditeur — Notes & plans · Réduite");
    EXPECT_EQ(library->placementItems()[0]->text(), QStringLiteral("Quart supérieur gauche"));
}

TEST(WindowThumbnailIconTest, ACardShowsTheIconOfARunningApplicationAndAScreenCardNoneOtherwise)
{
    test::WidgetApplication application;
    test::TestMac mac { test::world().display("D1", { 93 }).application(42, "com.example.editor", "Éditeur") };
    auto applicationIcon = [](const WindowThumbnail& card) -> SymbolView* {
        for (SymbolView* view : card.findChildren<SymbolView*>())
            if (view->objectName().isEmpty())
                return view;
        return nullptr;
    };
    WindowThumbnail running(record(), 93, "TOKEN", 4, true, true);
    ASSERT_NE(applicationIcon(running), nullptr);
    EXPECT_FALSE(applicationIcon(running)->isEmpty());

    DesktopWindow quit = record();
    quit.pid = 9999;
    WindowThumbnail orphan(quit, 93, "TOKEN", 4, true, true);
    ASSERT_NE(applicationIcon(orphan), nullptr);
    EXPECT_TRUE(applicationIcon(orphan)->isEmpty());
}

} // namespace
} // namespace pellamor
