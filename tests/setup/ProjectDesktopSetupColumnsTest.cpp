#include "setup/ProjectDesktopSetupView.h"
#include "assistant/Localization.h"
#include "setup/ProjectDisplayDropView.h"
#include "setup/SetupControls.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "ui/ColorTable.h"
#include "ui/DraggingInfo.h"
#include "ui/Label.h"
#include "ui/SymbolView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDropEvent>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <map>

namespace pellamor {
namespace {

OverviewProjectAssignment project(const std::string& id, std::vector<int> desktops)
{
    OverviewProjectAssignment row;
    row.id = id;
    row.name = "Projet " + id;
    row.desktops = std::move(desktops);
    return row;
}

DesktopWindow window(std::uint32_t id, const std::string& application, std::uint64_t space,
    const std::string& title = "Document")
{
    DesktopWindow w;
    w.id = id;
    w.pid = 100;
    w.application = application;
    w.bundleID = "com.example." + application;
    w.title = title;
    w.frame = QRectF(0, 0, 800, 600);
    w.spaces = { space };
    return w;
}

struct Card {
    std::uint32_t id;
    bool onDisplay;
    bool showsIdentity;
    int number;
    std::uint64_t source;
};

// Screens D1 (desktops 1, 2) and D2 (desktop 3); project "a" owns desktop 2, project "b" desktop 3.
class ProjectDesktopSetupColumnsTest : public ::testing::Test {
protected:
    ProjectDesktopSetupColumnsTest()
    {
        host.resize(820, 800);
        panel = new ProjectDesktopSetupView(std::nullopt, &host);
        panel->setGeometry(0, 0, 820, 800);
        panel->makeWindowCard = [this](const DesktopWindow& w, std::uint64_t source, int number, bool onDisplay,
                                    bool identity) -> QWidget* {
            auto* view = new QWidget;
            made[view] = { w.id, onDisplay, identity, number, source };
            return view;
        };
        panel->canMoveSelectionToDisplay = [](const std::string&) { return true; };
        panel->onMoveSelectionToDisplay = [this](const std::string& display) { moved.push_back(display); };
        host.show();
    }

    void feed(std::optional<std::uint32_t> selected = {})
    {
        panel->update(desktops, windows, assignments, names, reserved, false, loaded, selected, order);
        QCoreApplication::sendPostedEvents();
    }
    // The cards of the last build, top to bottom.
    std::vector<Card> shownCards(QWidget* document) const
    {
        std::vector<std::pair<int, Card>> found;
        for (auto* child : document->findChildren<QWidget*>()) {
            auto at = made.find(child);
            if (at != made.end())
                found.emplace_back(child->mapTo(document, QPoint(0, 0)).y(), at->second);
        }
        std::stable_sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.first < b.first; });
        std::vector<Card> result;
        for (auto& [y, card] : found)
            result.push_back(card);
        return result;
    }
    std::vector<std::uint32_t> libraryIDs() const
    {
        std::vector<std::uint32_t> ids;
        for (const Card& card : shownCards(panel->library()))
            ids.push_back(card.id);
        return ids;
    }
    QList<ProjectDisplayDropView*> screenCards() const
    {
        return panel->canvas()->findChildren<ProjectDisplayDropView*>(Qt::FindDirectChildrenOnly);
    }
    static std::vector<std::string> texts(const QWidget* view)
    {
        std::vector<std::string> found;
        for (auto* label : view->findChildren<Label*>())
            found.push_back(label->text());
        return found;
    }
    std::vector<std::string> libraryTexts() const { return texts(panel->library()); }

    test::WidgetApplication application;
    test::TestMac mac;
    QWidget host;
    ProjectDesktopSetupView* panel;
    bool loaded = true;
    std::optional<std::string> reserved;
    std::vector<std::string> order { "D1", "D2" };
    std::map<std::string, std::string> names { { "D1", "Gauche" }, { "D2", "Droite" } };
    std::vector<NativeDesktopState> desktops { { 1, 1, "D1", std::nullopt }, { 2, 1, "D1", std::nullopt },
        { 3, 3, "D2", std::nullopt } };
    std::vector<OverviewProjectAssignment> assignments { project("a", { 2 }), project("b", { 3 }) };
    std::vector<DesktopWindow> windows;
    std::map<QWidget*, Card> made;
    std::vector<std::string> moved;
};

TEST_F(ProjectDesktopSetupColumnsTest, SectionsAreOrderedBySizeThenNameAndSinglesShowTheirApplication)
{
    windows = { window(1, "Solo", 1), window(2, "Bravo", 1), window(3, "alpha", 1), window(4, "Zulu", 1),
        window(5, "Bravo", 1), window(6, "alpha", 1), window(7, "Zulu", 1), window(8, "Bravo", 1),
        window(9, "alpha", 1), window(10, "Zulu", 1), window(11, "Zulu", 1), window(12, "Autre", 1) };
    feed();
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 4, 7, 10, 11, 3, 6, 9, 2, 5, 8, 12, 1 }));
    for (const Card& card : shownCards(panel->library()))
        EXPECT_EQ(card.showsIdentity, card.id == 1 || card.id == 12) << card.id;
    ASSERT_EQ(panel->applicationSectionButtons().size(), 3u);
    EXPECT_EQ(panel->applicationSectionButtons()[0]->title(), "Zulu · 4");
    // Made while the panel is on screen: each header shows at once.
    for (auto* header : panel->applicationSectionButtons()) {
        EXPECT_TRUE(header->isVisible()) << header->title();
        EXPECT_TRUE(header->toolTip().contains("Replier")) << header->title();
    }
    QList<SymbolView*> icons = panel->library()->findChildren<SymbolView*>(Qt::FindDirectChildrenOnly);
    EXPECT_EQ(icons.size(), 3);
    for (auto* icon : icons)
        EXPECT_TRUE(icon->isVisible()) << "each header's icon shows too";
    EXPECT_EQ(panel->visibleApplicationSections().size(), 3u);
    // Two groups of one window are not separated; the last big group and the first single are.
    EXPECT_EQ(panel->library()->findChildren<QWidget*>("library-separator").size(), 3u);
    for (auto* line : panel->library()->findChildren<QWidget*>("library-separator"))
        EXPECT_TRUE(line->isVisible());
    EXPECT_FALSE(panel->toggleSectionsButton()->isHidden());

    // Two applications of one name stay apart, in the order of their bundle identifiers.
    windows = { window(1, "Twin", 1), window(2, "Twin", 1) };
    windows[0].bundleID = "com.zulu.twin";
    windows[1].bundleID = "com.alpha.twin";
    feed();
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 2, 1 }));
    std::vector<Card> cards = shownCards(panel->library());
    EXPECT_EQ(std::make_pair(cards.front().number, cards.front().source), std::make_pair(1, std::uint64_t { 1 }));

    // A window on several desktops names none.
    windows[1].spaces = { 1, 99 };
    feed();
    cards = shownCards(panel->library());
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(std::make_pair(cards.front().number, cards.front().source), std::make_pair(0, std::uint64_t { 0 }));
}

TEST_F(ProjectDesktopSetupColumnsTest, TheFilterHidesAssignedWindowsAndTheProjectsOwnAreNeverListed)
{
    windows = { window(1, "Free", 1), window(2, "Mine", 2), window(3, "Theirs", 3) };
    feed();
    EXPECT_EQ(panel->libraryTitle()->text(), "Non affectées · 1");
    EXPECT_TRUE(panel->libraryTitle()->toolTip().contains("Non affectées · 1")) << "whole, however narrow the column";
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 1 }));
    EXPECT_EQ(panel->unassignedFilterButton()->accessibleName(), "Afficher toutes les fenêtres")
        << "the control says what it does from the start";
    EXPECT_TRUE(panel->unassignedFilterButton()->toolTip().contains("Afficher toutes les fenêtres"));
    panel->unassignedFilterButton()->click();
    EXPECT_EQ(panel->libraryTitle()->text(), "Toutes les fenêtres · 3");
    EXPECT_TRUE(panel->unassignedFilterButton()->isChecked());
    EXPECT_EQ(panel->unassignedFilterButton()->accessibleName(), "Afficher uniquement les fenêtres non affectées");
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 1, 2, 3 }));

    panel->commitProjectSelection(std::string("a"));
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 1, 3 }));
    panel->toggleUnassignedFilter();
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 1 }));
    EXPECT_FALSE(panel->unassignedFilterButton()->isChecked());

    // A toggle refused while busy puts the control back as it was.
    panel->setBusy(true);
    panel->unassignedFilterButton()->toggle();
    panel->toggleUnassignedFilter();
    EXPECT_FALSE(panel->unassignedFilterButton()->isChecked());
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 1 }));

    // A tenth desktop is beyond the shortcuts, so a project cannot hold it: its windows stay unassigned.
    panel->setBusy(false);
    for (std::uint64_t space = 4; space <= 10; ++space)
        desktops.push_back({ space, 3, "D2", std::nullopt });
    assignments.push_back(project("c", { 10 }));
    windows.push_back(window(4, "Far", 10));
    feed();
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 4, 1 }));
}

TEST_F(ProjectDesktopSetupColumnsTest, EmptyListsSayWhy)
{
    loaded = false;
    feed();
    EXPECT_EQ(panel->libraryTitle()->text(), "Non affectées · 0");
    EXPECT_EQ(libraryTexts(), (std::vector<std::string> { "Chargement des fenêtres…" }));
    EXPECT_TRUE(panel->library()->findChild<Label*>()->isVisible()) << "made while the panel is on screen, it shows";
    loaded = true;
    windows = { window(1, "Theirs", 3) };
    feed();
    EXPECT_EQ(libraryTexts(), (std::vector<std::string> { "Toutes les fenêtres sont déjà affectées à un projet." }));
    windows.clear();
    feed();
    EXPECT_EQ(libraryTexts(), (std::vector<std::string> { "Aucune fenêtre disponible." }));
}

TEST_F(ProjectDesktopSetupColumnsTest, SearchIgnoresAccentsAndCaseAndKeepsItsOwnCollapsedSections)
{
    windows = { window(1, "Éditeur", 1, "Café noir"), window(2, "Éditeur", 1, "Thé"), window(3, "Terminal", 1),
        window(4, "Terminal", 1, "cafe") };
    feed();
    panel->searchField()->setText("  CAFE ");
    EXPECT_EQ(panel->libraryQuery(), "CAFE");
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 1, 4 }));
    EXPECT_EQ(panel->libraryTitle()->text(), "Non affectées · 4");
    EXPECT_TRUE(panel->visibleApplicationSections().empty());

    panel->searchField()->setText("edit");
    ASSERT_EQ(panel->applicationSectionButtons().size(), 1u);
    panel->toggleSection(panel->applicationSectionButtons()[0]);
    EXPECT_EQ(panel->searchCollapsedApplications().size(), 1u);
    EXPECT_TRUE(panel->collapsedApplications().empty());
    EXPECT_EQ(panel->toggleSectionsButton()->symbolName(), "chevron.down.2");

    panel->searchField()->setText("");
    EXPECT_TRUE(panel->searchCollapsedApplications().empty());
    EXPECT_EQ(libraryIDs().size(), 4u);

    panel->searchField()->setText("zzz");
    EXPECT_EQ(libraryTexts(), (std::vector<std::string> { "Aucune fenêtre ne correspond à la recherche." }));
    EXPECT_TRUE(panel->toggleSectionsButton()->isHidden() || !panel->toggleSectionsButton()->isEnabled());
}

TEST_F(ProjectDesktopSetupColumnsTest, CollapsingHidesCardsAndTogglingAllFlipsEverySection)
{
    windows = { window(1, "Alpha", 1), window(2, "Alpha", 1), window(3, "Beta", 1), window(4, "Beta", 1),
        window(5, "Solo", 1) };
    feed();
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(panel->toggleSectionsButton()->isVisible());
    EXPECT_LE(panel->unassignedFilterButton()->geometry().right(), panel->toggleSectionsButton()->geometry().left())
        << "the filter makes room for the sections' button";
    QApplication::setActiveWindow(&host);
    SetupApplicationSectionButton* alpha = panel->applicationSectionButtons()[0];
    alpha->setFocus();
    EXPECT_EQ(alpha->accessibleDescription().toStdString(), "Replier Alpha");
    alpha->click();
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 3, 4, 5 }));
    EXPECT_TRUE(panel->applicationSectionButtons()[0]->hasFocus()) << "the rebuilt header keeps the focus";
    EXPECT_FALSE(panel->applicationSectionButtons()[1]->hasFocus());
    EXPECT_EQ(panel->applicationSectionButtons()[0]->symbolName(), "chevron.right");
    EXPECT_TRUE(panel->applicationSectionButtons()[0]->isVisible()) << "a collapsed section can still be opened";
    EXPECT_TRUE(panel->applicationSectionButtons()[0]->isFlat()) << "a header reads as a title, not a button";
    // The old header is gone: pressing it again changes nothing.
    panel->toggleSection(alpha);
    EXPECT_EQ(panel->collapsedApplications().size(), 1u);
    // A header pressed without the focus leaves the focus where it was.
    panel->searchField()->setFocus();
    panel->applicationSectionButtons()[0]->click();
    EXPECT_TRUE(panel->searchField()->hasFocus());
    panel->applicationSectionButtons()[0]->click();
    ASSERT_EQ(panel->collapsedApplications().size(), 1u);

    EXPECT_EQ(panel->toggleSectionsButton()->accessibleName().toStdString(), "Tout replier");
    panel->toggleSectionsButton()->click();
    EXPECT_EQ(libraryIDs(), (std::vector<std::uint32_t> { 5 }));
    EXPECT_EQ(panel->collapsedApplications().size(), 2u);
    EXPECT_EQ(panel->toggleSectionsButton()->accessibleName().toStdString(), "Tout déplier");
    EXPECT_TRUE(panel->toggleSectionsButton()->toolTip().contains("Tout déplier"));
    panel->toggleAllSections();
    EXPECT_EQ(libraryIDs().size(), 5u);

    panel->setBusy(true);
    panel->toggleAllSections();
    EXPECT_TRUE(panel->collapsedApplications().empty());
    EXPECT_FALSE(panel->applicationSectionButtons()[0]->isEnabled());
    EXPECT_FALSE(panel->toggleSectionsButton()->isEnabled());
}

TEST_F(ProjectDesktopSetupColumnsTest, AReturnedWindowIsShownExpandedAndScrolledTo)
{
    for (std::uint32_t id = 1; id <= 20; ++id)
        windows.push_back(window(id, id <= 18 ? "Many" : "Other" + std::to_string(id), 1));
    windows.push_back(window(30, "Target", 1));
    windows.push_back(window(31, "Target", 1));
    feed();
    std::string key = ProjectDesktopSetupView::sectionKey(windows.back());
    for (auto* header : panel->applicationSectionButtons()) {
        if (header->applicationKey == key)
            panel->toggleSection(header);
    }
    ASSERT_EQ(panel->collapsedApplications().count(key), 1u);
    panel->searchField()->setText("Many");
    ASSERT_EQ(panel->libraryQuery(), "Many");
    panel->revealReturnedWindow(windows.back());
    EXPECT_TRUE(panel->searchField()->text().isEmpty()) << "a search would hide it";
    feed();
    EXPECT_FALSE(panel->returnedWindowToReveal());
    EXPECT_TRUE(panel->collapsedApplications().empty());
    auto ids = libraryIDs();
    EXPECT_NE(std::find(ids.begin(), ids.end(), 31u), ids.end());
    // Many (18 cards) then Target's header and first card: the second card starts 56 points lower.
    int cardY = 2 + 30 + 18 * 56 + 12 + 30 + 56;
    QScrollBar* bar = qobject_cast<QScrollArea*>(panel->library()->parentWidget()->parentWidget())->verticalScrollBar();
    EXPECT_EQ(bar->value(), std::min(cardY - 32, bar->maximum()));
    EXPECT_GT(bar->value(), 0);
}

TEST_F(ProjectDesktopSetupColumnsTest, ScreenCardsGrowWithTheirWindowsAndNoProjectMeansNoCards)
{
    windows = { window(1, "A", 2), window(2, "B", 2), window(3, "C", 2), window(4, "D", 1) };
    feed();
    EXPECT_EQ(panel->canvas()->height(), 100);
    EXPECT_TRUE(screenCards().empty());
    EXPECT_TRUE(panel->moveButtons().empty());

    panel->commitProjectSelection(std::string("a"));
    EXPECT_EQ(panel->canvasTitle()->text(), "Écrans de Projet a");
    auto screens = screenCards();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_TRUE(screens[0]->active());
    EXPECT_EQ(screens[0]->height(), 354);
    EXPECT_FALSE(screens[1]->active());
    EXPECT_EQ(screens[1]->height(), 160);
    EXPECT_EQ(screens[1]->y(), screens[0]->y() + 354 + 18);
    EXPECT_EQ(texts(screens[0]), (std::vector<std::string> { "Gauche", "Utilisé par ce projet · 3 fenêtres" }));
    EXPECT_EQ(texts(screens[1]),
        (std::vector<std::string> { "Droite", "Prêt à recevoir des fenêtres", "Glisse une fenêtre sur cet écran" }));
    int onScreen = 0;
    for (const Card& card : shownCards(panel->canvas()))
        onScreen += card.onDisplay && card.number == 2 ? 1 : 0;
    EXPECT_EQ(onScreen, 3);
    EXPECT_EQ(panel->canvas()->height(), 2 + 354 + 18 + 160 + 18);
    names["D1"] = "Écran large";
    feed();
    EXPECT_EQ(texts(screenCards()[0]).front(), "Écran large") << "a renamed screen alone redraws its card";
}

TEST_F(ProjectDesktopSetupColumnsTest, ACardOnTheFirstDesktopKnowsItsNumberToo)
{
    assignments = { project("a", { 1 }) };
    windows = { window(1, "A", 1) };
    feed();
    panel->commitProjectSelection(std::string("a"));
    auto cards = shownCards(panel->canvas());
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].number, 1);
}

TEST_F(ProjectDesktopSetupColumnsTest, OneWindowOnAScreenIsCountedInTheSingular)
{
    windows = { window(1, "A", 2), window(2, "B", 3), window(3, "C", 3) };
    feed();
    auto subtitles = [this] {
        std::vector<std::string> shown;
        for (auto* screen : screenCards())
            shown.push_back(texts(screen).at(1));
        return shown;
    };
    panel->commitProjectSelection(std::string("a"));
    EXPECT_EQ(subtitles(), (std::vector<std::string> { "Utilisé par ce projet · 1 fenêtre", "Prêt à recevoir des fenêtres" }));
    panel->commitProjectSelection(std::string("b"));
    EXPECT_EQ(subtitles(), (std::vector<std::string> { "Prêt à recevoir des fenêtres", "Utilisé par ce projet · 2 fenêtres" }));

    AppLocalization::shared().setLanguage(AppLanguage::english);
    panel->commitProjectSelection(std::string("a"));
    EXPECT_EQ(subtitles().front(), "Used by this project · 1 window");
    panel->commitProjectSelection(std::string("b"));
    EXPECT_EQ(subtitles().back(), "Used by this project · 2 windows");
}

TEST_F(ProjectDesktopSetupColumnsTest, WithOnlyTheReservedScreenTheCanvasSaysSo)
{
    desktops = { { 1, 1, "D1", std::nullopt }, { 2, 1, "D1", std::nullopt } };
    order = { "D1" };
    reserved = "d1";
    feed();
    panel->commitProjectSelection(std::string("a"));
    EXPECT_TRUE(screenCards().empty());
    EXPECT_FALSE(panel->isEligibleTarget("D1", "a")) << "the reserved screen takes no window";
    EXPECT_EQ(texts(panel->canvas()),
        (std::vector<std::string> {
            "Aucun écran de contenu disponible. L’écran de Codex reste réservé à l’assistant." }));
    EXPECT_EQ(panel->canvas()->height(), 87);

    assignments[0].unavailable = true;
    feed();
    EXPECT_EQ(texts(panel->canvas()),
        (std::vector<std::string> { "Aucun écran de contenu disponible. L’écran de Codex reste réservé à l’assistant.",
            "Certains écrans du projet sont déconnectés. Leur organisation sera conservée à leur retour." }));
    EXPECT_EQ(panel->canvas()->height(), 141);
}

TEST_F(ProjectDesktopSetupColumnsTest, TheCanvasIsLaidOutAtTheWidthSeenButNeverBelow180Points)
{
    windows = { window(1, "A", 2), window(2, "B", 2), window(3, "C", 2) };
    feed();
    panel->commitProjectSelection(std::string("a"));
    QWidget* seen = panel->canvas()->parentWidget();
    ASSERT_LT(seen->width(), seen->parentWidget()->width()) << "the scroll bar takes its part";
    EXPECT_EQ(panel->canvas()->width(), seen->width());

    panel->setGeometry(0, 0, 300, 800);
    QCoreApplication::sendPostedEvents();
    ASSERT_LT(panel->canvas()->parentWidget()->width(), 180);
    EXPECT_EQ(panel->canvas()->width(), 180);
    ASSERT_FALSE(screenCards().empty());
    EXPECT_EQ(screenCards()[0]->width(), 178);
}

TEST_F(ProjectDesktopSetupColumnsTest, BothColumnsFollowTheirScrollBarComingOrGoing)
{
    for (std::uint32_t id = 1; id <= 20; ++id)
        windows.push_back(window(id, "A", id % 2 ? 1 : 2));
    feed();
    panel->commitProjectSelection(std::string("a"));
    for (QWidget* document : { panel->library(), panel->canvas() }) {
        SCOPED_TRACE(document == panel->library() ? "library" : "canvas");
        auto* scroll = qobject_cast<QScrollArea*>(document->parentWidget()->parentWidget());
        ASSERT_TRUE(scroll->verticalScrollBar()->isVisible());
        // The bar goes and comes back while the panel keeps its size, as when the window first shows.
        for (auto policy : { Qt::ScrollBarAlwaysOff, Qt::ScrollBarAsNeeded }) {
            scroll->setVerticalScrollBarPolicy(policy);
            QCoreApplication::sendPostedEvents();
            EXPECT_EQ(scroll->widget()->width(), scroll->viewport()->width());
        }
    }
}

TEST_F(ProjectDesktopSetupColumnsTest, LibraryCardsThatOutgrowTheColumnLeaveRoomForItsBar)
{
    windows = { window(1, "A", 1) };
    feed();
    auto* scroll = qobject_cast<QScrollArea*>(panel->library()->parentWidget()->parentWidget());
    ASSERT_FALSE(scroll->verticalScrollBar()->isVisible());
    for (std::uint32_t id = 2; id <= 30; ++id)
        windows.push_back(window(id, "A", 1));
    feed();
    ASSERT_TRUE(scroll->verticalScrollBar()->isVisible());
    for (QWidget* card : panel->library()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_LT(card->geometry().right(), scroll->viewport()->width());
}

TEST_F(ProjectDesktopSetupColumnsTest, MoveButtonsNeedASelectionElsewhereAndAnIdlePanel)
{
    windows = { window(1, "A", 2), window(2, "B", 1) };
    feed();
    panel->commitProjectSelection(std::string("a"));
    ASSERT_EQ(panel->moveButtons().size(), 2u);
    EXPECT_TRUE(panel->moveButtons()[0]->isHidden());

    panel->updateSelection(1, 2);
    SetupActionButton* here = panel->moveButtons()[0];
    SetupActionButton* there = panel->moveButtons()[1];
    EXPECT_FALSE(here->isHidden());
    EXPECT_FALSE(here->isEnabled());
    EXPECT_TRUE(there->isEnabled());
    panel->moveSelection(here);
    panel->moveSelection(there);
    EXPECT_EQ(moved, (std::vector<std::string> { "D2" }));

    panel->setBusy(true);
    EXPECT_FALSE(there->isEnabled());
    panel->moveSelection(there);
    EXPECT_EQ(moved.size(), 1u);
    panel->setBusy(false);
    panel->canMoveSelectionToDisplay = nullptr;
    panel->updateSelection(2, 1);
    EXPECT_FALSE(there->isEnabled());
}

TEST_F(ProjectDesktopSetupColumnsTest, ACardCountsForItsScreenAndTheGapsForTheReturnArea)
{
    feed();
    panel->commitProjectSelection(std::string("a"));
    auto screens = screenCards();
    ASSERT_EQ(screens.size(), 2u);
    QPoint header = screens[0]->mapTo(panel, QPoint(20, 10));
    EXPECT_FALSE(panel->isReturnDropLocation(header));
    QPoint gap = screens[1]->mapTo(panel, QPoint(20, -9));
    EXPECT_TRUE(panel->isReturnDropLocation(gap));
    QPoint library = panel->library()->mapTo(panel, QPoint(10, 10));
    EXPECT_TRUE(panel->isReturnDropLocation(library));
    EXPECT_FALSE(panel->isReturnDropLocation(panel->status()->geometry().center()));
}

TEST_F(ProjectDesktopSetupColumnsTest, TheReturnAreaTakesADropOnlyWithAProjectWhenIdleAndWhenTheOwnerAgrees)
{
    int returned = 0;
    bool ownerAgrees = true;
    panel->canReturnToLibrary = [&](const DraggingInfo&) { return ownerAgrees; };
    panel->onReturnToLibrary = [&](const DraggingInfo&) { ++returned; };
    DraggingInfo info;
    feed();
    QPointF library = panel->library()->mapTo(panel, QPoint(10, 10));
    EXPECT_FALSE(panel->returnDragUpdated(info, library)) << "no project selected";
    EXPECT_FALSE(panel->performReturnDrop(info, library));

    panel->commitProjectSelection(std::string("a"));
    EXPECT_TRUE(panel->returnDragUpdated(info, library));
    EXPECT_TRUE(panel->returnHighlighted());
    panel->setBusy(true);
    EXPECT_FALSE(panel->returnHighlighted()) << "busy ends the highlight";
    EXPECT_FALSE(panel->returnDragUpdated(info, library));
    EXPECT_FALSE(panel->performReturnDrop(info, library));
    panel->setBusy(false);
    ownerAgrees = false;
    EXPECT_FALSE(panel->returnDragUpdated(info, library));
    ownerAgrees = true;
    EXPECT_FALSE(panel->performReturnDrop(info, panel->status()->geometry().center()));
    EXPECT_EQ(returned, 0);
    EXPECT_TRUE(panel->performReturnDrop(info, library));
    EXPECT_EQ(returned, 1);
    EXPECT_FALSE(panel->returnHighlighted());
}

TEST_F(ProjectDesktopSetupColumnsTest, TheDragEventsOverTheReturnAreaAnswerTheSourceAndTintTheColumn)
{
    int returned = 0;
    bool ownerAgrees = false;
    panel->canReturnToLibrary = [&](const DraggingInfo&) { return ownerAgrees; };
    panel->onReturnToLibrary = [&](const DraggingInfo&) { ++returned; };
    feed();
    panel->commitProjectSelection(std::string("a"));
    QCoreApplication::sendPostedEvents();
    QMimeData data;
    QPointF library = panel->library()->mapTo(panel, QPoint(10, 10));
    auto answer = [](const QDropEvent& event) { return event.isAccepted() && event.dropAction() == Qt::MoveAction; };
    auto enter = [&] {
        QDragEnterEvent event(library.toPoint(), Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(panel, &event);
        return answer(event);
    };
    auto move = [&] {
        // Qt hands a movement over already taken when the last one was.
        QDragMoveEvent event(library.toPoint(), Qt::MoveAction, &data, Qt::LeftButton, {});
        event.accept();
        QCoreApplication::sendEvent(panel, &event);
        return answer(event);
    };
    auto drop = [&] {
        QDropEvent event(library, Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(panel, &event);
        return answer(event);
    };
    QImage plain = panel->grab().toImage();
    EXPECT_FALSE(enter());
    EXPECT_FALSE(drop());
    EXPECT_EQ(returned, 0);

    ownerAgrees = true;
    EXPECT_TRUE(enter());
    ownerAgrees = false;
    EXPECT_FALSE(move());
    EXPECT_FALSE(panel->returnHighlighted());
    ownerAgrees = true;
    EXPECT_TRUE(move());
    ASSERT_TRUE(panel->returnHighlighted());
    // The column is framed in the accent from just above its title and tinted inside.
    QImage tinted = panel->grab().toImage();
    int x = panel->library()->mapTo(panel, QPoint(panel->library()->width() / 2, 0)).x();
    int top = panel->libraryTitle()->geometry().top() - 4;
    QColor accent = ColorTable::color(ColorRole::accent);
    EXPECT_EQ(tinted.pixelColor(x, top - 2), plain.pixelColor(x, top - 2));
    EXPECT_EQ(tinted.pixelColor(x, top - 1), accent);
    EXPECT_EQ(tinted.pixelColor(x, top), accent);
    QColor under = plain.pixelColor(x, top + 2);
    QColor inside = tinted.pixelColor(x, top + 2);
    EXPECT_NEAR(inside.red(), under.red() * 0.92 + accent.red() * 0.08, 1.5);
    EXPECT_NEAR(inside.green(), under.green() * 0.92 + accent.green() * 0.08, 1.5);
    EXPECT_NEAR(inside.blue(), under.blue() * 0.92 + accent.blue() * 0.08, 1.5);

    EXPECT_TRUE(drop());
    EXPECT_EQ(returned, 1);
    EXPECT_FALSE(panel->returnHighlighted());
}

} // namespace
} // namespace pellamor
