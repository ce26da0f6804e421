#include "setup/ProjectDesktopSetupView.h"
#include "setup/ProjectDisplayDropView.h"
#include "setup/ProjectSetupChooser.h"
#include "setup/SetupControls.h"
#include "setup/SetupPermissionStatusView.h"
#include "setup/SetupPrimaryButton.h"
#include "setup/WindowDragType.h"
#include "support/StackGeometry.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "ui/AppearanceSurface.h"
#include "ui/DraggingInfo.h"
#include "ui/Label.h"
#include "ui/Popover.h"
#include "ui/SwitchControl.h"
#include "ui/SymbolButton.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <set>

namespace pellamor {
namespace {

OverviewProjectAssignment project(const std::string& id, const std::string& name, std::vector<int> desktops = {})
{
    OverviewProjectAssignment row;
    row.id = id;
    row.name = name;
    row.desktops = std::move(desktops);
    row.path = "~/src/" + id;
    return row;
}

DesktopWindow window(std::uint32_t id, const std::string& bundleID, const std::string& title = "Title")
{
    return { id, 10, "App", bundleID, title, QRectF(0, 0, 800, 600), { 1 } };
}

class ProjectDesktopSetupViewTest : public ::testing::Test {
protected:
    ProjectDesktopSetupViewTest()
    {
        host.resize(820, 800);
        panel = new ProjectDesktopSetupView(std::nullopt, &host);
        panel->setGeometry(0, 0, 820, 800);
        panel->onProjectChange = [this](const std::optional<std::string>& id) { changes.push_back(id); };
        panel->onProjectPickerVisibilityChange = [this](bool open) { pickerEvents.push_back(open); };
        host.show();
    }

    void feed(std::vector<DesktopWindow> windows = {}, bool busy = false, std::optional<std::uint32_t> selected = {})
    {
        panel->update(desktops, windows, assignments, { { "D1", "Écran principal" } }, std::nullopt, busy, true,
            selected, std::nullopt);
    }
    void settle()
    {
        QCoreApplication::sendPostedEvents();
        mac.advance(0.01);
    }

    test::WidgetApplication application;
    test::TestMac mac;
    QWidget host;
    ProjectDesktopSetupView* panel;
    std::vector<NativeDesktopState> desktops { { 1, 1, "D1", std::nullopt }, { 2, 1, "D1", std::nullopt } };
    std::vector<OverviewProjectAssignment> assignments { project("a", "Alpha", { 2 }), project("b", "Beta") };
    std::vector<std::optional<std::string>> changes;
    std::vector<bool> pickerEvents;
};

TEST_F(ProjectDesktopSetupViewTest, TheAssistantsWindowsAreNeverListed)
{
    feed({ window(1, "COM.OpenAI.Codex"), window(2, "com.openai.chat"), window(3, "com.example.editor") });
    ASSERT_EQ(panel->records().size(), 1u);
    EXPECT_EQ(panel->records().front().id, 3u);
}

TEST_F(ProjectDesktopSetupViewTest, AnUnchangedFingerprintRebuildsNothingButBusyStillClosesTheChooser)
{
    feed({ window(3, "com.example.editor") });
    int rebuilt = panel->rebuildCount();
    feed({ window(3, "com.example.editor") }, false, 3u);
    EXPECT_EQ(panel->rebuildCount(), rebuilt);
    EXPECT_EQ(panel->selectedWindowID(), 3u);

    panel->toggleProjectSetup();
    ASSERT_TRUE(panel->projectPopover());
    feed({ window(3, "com.example.editor") }, true);
    EXPECT_EQ(panel->rebuildCount(), rebuilt);
    EXPECT_FALSE(panel->projectPopover());
    EXPECT_FALSE(panel->setupProjectButton()->isEnabled());
    EXPECT_FALSE(panel->refreshButton()->isEnabled());

    feed({ window(3, "com.example.editor", "Renamed") });
    EXPECT_EQ(panel->rebuildCount(), rebuilt + 1);
}

TEST_F(ProjectDesktopSetupViewTest, WhileBusyNoControlTakesInputAndTheResetsFollowTheirOwnGateToo)
{
    feed();
    panel->updateResetState(true);
    ASSERT_EQ(panel->shortcutButtons().size(), 1u);
    const std::vector<QWidget*> controls { panel->setupProjectButton(), panel->shortcutButtons().front(),
        panel->moreProjects(), panel->searchField(), panel->actionsButton(), panel->refreshButton(),
        panel->unassignedFilterButton(), panel->privacyButton(), panel->clearAssignmentsButton(),
        panel->deleteDesktopsButton(), panel->previewPermission(), panel->accessibilityPermission() };
    for (QWidget* control : controls)
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    int previewRequests = 0;
    int accessibilityRequests = 0;
    int deletions = 0;
    panel->onAuthorizePreviews = [&] { ++previewRequests; };
    panel->onAuthorizeAccessibility = [&] { ++accessibilityRequests; };
    panel->onDeleteAllDesktops = [&] { ++deletions; };
    panel->setBusy(true);
    for (QWidget* control : controls)
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    panel->previewPermission()->onAction();
    panel->accessibilityPermission()->onAction();
    EXPECT_EQ(previewRequests, 0) << "not even when asked directly";
    EXPECT_EQ(accessibilityRequests, 0);
    panel->updateResetState(true);
    EXPECT_FALSE(panel->clearAssignmentsButton()->isEnabled()) << "not while busy";
    panel->setBusy(false);
    for (QWidget* control : controls)
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    panel->previewPermission()->onAction();
    EXPECT_EQ(previewRequests, 1);
    panel->accessibilityPermission()->onAction();
    EXPECT_EQ(accessibilityRequests, 1);
    panel->deleteDesktopsButton()->click();
    EXPECT_EQ(deletions, 1);

    panel->updateResetState(false);
    EXPECT_FALSE(panel->clearAssignmentsButton()->isEnabled());
    EXPECT_FALSE(panel->deleteDesktopsButton()->isEnabled());
    panel->setBusy(true);
    panel->setBusy(false);
    EXPECT_FALSE(panel->deleteDesktopsButton()->isEnabled()) << "the gate is kept across a busy spell";
    panel->deleteDesktopsButton()->click();
    EXPECT_EQ(deletions, 1);
}

TEST_F(ProjectDesktopSetupViewTest, APanelWithoutContentShowsNoShortcutsAndItsColumnsScrollOnlyDownWithoutAFrame)
{
    ProjectDesktopSetupView fresh(std::nullopt, &host);
    for (SetupDocument* document : { fresh.canvas(), fresh.library() }) {
        auto* scroll = document->parentWidget() ? qobject_cast<QScrollArea*>(document->parentWidget()->parentWidget())
                                                : nullptr;
        ASSERT_TRUE(scroll) << "a new panel's documents already sit in their columns";
        EXPECT_EQ(scroll->frameShape(), QFrame::NoFrame);
        EXPECT_EQ(scroll->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_FALSE(scroll->viewport()->autoFillBackground());
    }
    // Nor does a panel without content show a shortcut row's parts or the sections' control.
    settle();
    EXPECT_FALSE(panel->shortcutsLabel()->isVisible());
    EXPECT_FALSE(panel->moreProjects()->isVisible());
    EXPECT_EQ(panel->moreProjects()->menu(), panel->moreProjectsMenu());
    EXPECT_FALSE(panel->toggleSectionsButton()->isVisible());
}

TEST_F(ProjectDesktopSetupViewTest, ASwitchPutInAnothersPlaceSendsTheOldOneAway)
{
    EXPECT_FALSE(panel->trackingDetailsButton()->isEnabled()) << "no details without a switch";
    EXPECT_TRUE(panel->trackingDetailsButton()->isFlat());
    auto* first = new SwitchControl;
    panel->setTrackingSwitch(first);
    EXPECT_TRUE(panel->trackingDetailsButton()->isEnabled());
    panel->setBusy(true);
    EXPECT_FALSE(panel->trackingDetailsButton()->isEnabled());
    panel->setBusy(false);
    EXPECT_TRUE(panel->trackingDetailsButton()->isEnabled());
    EXPECT_EQ(first->parentWidget(), panel);
    EXPECT_TRUE(first->isVisible());
    auto* second = new SwitchControl;
    panel->setTrackingSwitch(second);
    std::unique_ptr<SwitchControl> away(first);
    EXPECT_EQ(first->parentWidget(), nullptr);
    EXPECT_TRUE(first->isHidden());
    EXPECT_EQ(second->parentWidget(), panel);
    panel->setTrackingSwitch(nullptr);
    std::unique_ptr<SwitchControl> alsoAway(second);
    EXPECT_EQ(second->parentWidget(), nullptr);
    EXPECT_FALSE(panel->trackingSwitch());
}

TEST_F(ProjectDesktopSetupViewTest, ChoosingAProjectCallsBackOnceAndAVanishedOneIsClearedSilently)
{
    feed();
    EXPECT_FALSE(panel->isEligibleTarget("D1", "a")) << "no project chosen yet";
    panel->commitProjectSelection(std::string("a"));
    panel->commitProjectSelection(std::string("a"));
    panel->commitProjectSelection(std::string("unknown"));
    EXPECT_EQ(changes, std::vector<std::optional<std::string>>({ std::string("a") }));
    EXPECT_EQ(panel->linkedDesktop("d1")->spaceID, 2u);
    EXPECT_TRUE(panel->isEligibleTarget("d1", "a"));
    EXPECT_FALSE(panel->isEligibleTarget("D2", "a"));
    EXPECT_FALSE(panel->isEligibleTarget("D1", "b")) << "another project's screen";

    assignments = { project("b", "Beta") };
    feed();
    EXPECT_FALSE(panel->selectedProjectID());
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(ProjectDesktopSetupViewTest, EveryPartStandsWhereTheLayoutPutsIt)
{
    feed();
    QCoreApplication::sendPostedEvents();
    const SetupPanelLayout& layout = panel->currentLayout();
    auto scrollOf = [](QWidget* document) { return document->parentWidget()->parentWidget(); };
    auto named = [&](const char* name) { return panel->findChild<QWidget*>(name); };
    std::vector<std::pair<QWidget*, QRectF>> parts { { panel->titleLabel(), layout.title },
        { panel->refreshButton(), layout.refresh }, { panel->actionsButton(), layout.actions },
        { panel->trackingDetailsButton(), layout.trackingDetails }, { panel->trackingState(), layout.trackingState },
        { panel->shortcutsRow(), layout.shortcutsRow }, { panel->canvasTitle(), layout.canvasTitle },
        { panel->libraryTitle(), layout.libraryTitle },
        { panel->unassignedFilterButton(), layout.unassignedFilter },
        { panel->toggleSectionsButton(), layout.toggleSections }, { panel->searchField(), layout.search },
        { panel->privacyButton(), layout.privacy }, { panel->previewPermission(), layout.previewPermission },
        { panel->accessibilityPermission(), layout.accessibilityPermission },
        { panel->clearAssignmentsButton(), layout.clearAssignments },
        { panel->deleteDesktopsButton(), layout.deleteDesktops }, { scrollOf(panel->canvas()), layout.canvasScroll },
        { scrollOf(panel->library()), layout.libraryScroll }, { panel->status(), layout.status },
        { named("automatic-switching-section"), layout.band }, { named("automatic-switching-title"), layout.trackingTitle },
        { test::labelShowing(panel, "Change de bureau quand tu changes de projet."), layout.trackingDescription },
        { test::labelShowing(panel, "Glisse une fenêtre sur un écran pour l’ajouter au projet, ou vers Toutes les "
                                          "fenêtres pour la remettre à sa place."),
            layout.instructions },
        { named("macos-permissions-title"), layout.permissionTitle }, { named("reset-section-title"), layout.resetTitle },
        { test::labelShowing(panel, "Une confirmation précède chaque suppression."), layout.resetHint } };
    for (const auto& [part, frame] : parts) {
        ASSERT_TRUE(part);
        EXPECT_FALSE(frame.isEmpty());
        EXPECT_EQ(part->geometry(), frame.toAlignedRect()) << part->metaObject()->className();
    }
    std::set<std::pair<int, int>> lines;
    for (auto* line : panel->findChildren<AppearanceSurface*>(Qt::FindDirectChildrenOnly))
        lines.emplace(line->y(), line->height());
    for (const QRectF& divider : { layout.divider, layout.permissionDivider, layout.resetDivider }) {
        QRect frame = divider.toAlignedRect();
        EXPECT_TRUE(lines.count({ frame.y(), frame.height() })) << "a divider at " << frame.y();
    }
    auto* toggle = new SwitchControl;
    panel->setTrackingSwitch(toggle);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(toggle->geometry(), panel->currentLayout().trackingSwitch.toAlignedRect());
    EXPECT_TRUE(layout.titleOnButtonLine) << "a wide panel has room for the title beside its buttons";
    panel->setGeometry(0, 0, 420, 800);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(panel->currentLayout().titleOnButtonLine) << "a narrow one puts it above them";
    EXPECT_LE(panel->titleLabel()->geometry().bottom(), panel->refreshButton()->geometry().top());
}

TEST_F(ProjectDesktopSetupViewTest, ShowingTheActionsButtonTwiceLaysOutOnce)
{
    settle();
    int before = panel->layoutCount();
    SetupDocument* library = panel->library();
    SetupDocument* canvas = panel->canvas();
    panel->setActionsAvailable(false);
    panel->setActionsAvailable(true);
    panel->setActionsAvailable(true);
    settle();
    EXPECT_EQ(panel->layoutCount(), before + 1);
    EXPECT_EQ(panel->library(), library) << "a layout at the same width keeps the window list";
    EXPECT_EQ(panel->canvas(), canvas) << "and the screens";
}

TEST_F(ProjectDesktopSetupViewTest, ConfiguredProjectsGetShortcutsThatOpenTheirDesktops)
{
    std::vector<std::string> opened;
    panel->onOpenProjectDesktops = [&](const std::string& id) { opened.push_back(id); };
    feed();
    ASSERT_EQ(panel->shortcutButtons().size(), 1u);
    EXPECT_EQ(panel->shortcutButtons().front()->objectName(), QStringLiteral("project-shortcut:a"));
    // Pressed by an assistive technology while the chooser is open, the shortcut closes the chooser.
    panel->toggleProjectSetup();
    ASSERT_TRUE(panel->projectPopover());
    panel->shortcutButtons().front()->click();
    EXPECT_FALSE(panel->projectPopover());
    EXPECT_FALSE(panel->setupProjectButton()->isOn());
    EXPECT_EQ(opened, std::vector<std::string>({ "a" }));
    EXPECT_EQ(panel->selectedProjectID(), "a");
    EXPECT_TRUE(panel->shortcutButtons().front()->isChecked());
    panel->setBusy(true);
    panel->commitProjectSelection(std::nullopt);
    EXPECT_EQ(panel->selectedProjectID(), "a") << "no choice while busy";
    panel->setBusy(false);
    panel->commitProjectSelection(std::nullopt);
    EXPECT_FALSE(panel->shortcutButtons().front()->isChecked());
    panel->commitProjectSelection(std::string("a"));
    EXPECT_TRUE(panel->shortcutButtons().front()->isChecked()) << "the shortcut follows the choice";

    panel->openConfiguredProject("b");
    EXPECT_EQ(opened.size(), 1u);

    // A name longer than a shortcut's widest ends in an ellipsis; the overflow menu shows paths as tooltips.
    std::string name = "Un projet au nom vraiment beaucoup trop long pour tenir sur un seul bouton";
    assignments.front().name = name;
    feed();
    settle();
    ASSERT_EQ(panel->shortcutButtons().size(), 1u);
    EXPECT_TRUE(panel->shortcutButtons().front()->text().endsWith(QChar(0x2026)))
        << panel->shortcutButtons().front()->text().toStdString();
    EXPECT_EQ(panel->shortcutButtons().front()->title(), name);
    EXPECT_EQ(panel->findChildren<SetupProjectShortcutButton*>().size(), 1u) << "the old button left at once";
    EXPECT_TRUE(panel->moreProjectsMenu()->toolTipsVisible());
}

TEST_F(ProjectDesktopSetupViewTest, ShortcutsThatDoNotFitGoToTheOverflowMenuWhichOpensThemToo)
{
    std::vector<std::string> opened;
    panel->onOpenProjectDesktops = [&](const std::string& id) { opened.push_back(id); };
    assignments.clear();
    for (int index = 0; index < 12; ++index)
        assignments.push_back(project("p" + std::to_string(index), "Projet numéro " + std::to_string(index), { 2 }));
    feed();
    settle();
    ASSERT_FALSE(panel->moreProjects()->isHidden());
    QList<QAction*> items = panel->moreProjectsMenu()->actions();
    ASSERT_FALSE(items.isEmpty());
    std::size_t visibleShortcuts = std::count_if(panel->shortcutButtons().begin(), panel->shortcutButtons().end(),
        [](auto* button) { return !button->isHidden(); });
    EXPECT_EQ(visibleShortcuts + std::size_t(items.size()), 12u) << "each project once, as a button or in the menu";
    QAction* last = items.back();
    std::string id = last->data().toString().toStdString();
    EXPECT_NE(last->toolTip().toStdString().find("~/src/" + id), std::string::npos) << "its path as tooltip";
    last->trigger();
    EXPECT_EQ(opened, std::vector<std::string> { id });
    EXPECT_EQ(panel->selectedProjectID(), id);
    EXPECT_TRUE(last->isChecked());
    panel->setGeometry(0, 0, 600, 800);
    QCoreApplication::sendPostedEvents();
    ASSERT_GT(panel->moreProjectsMenu()->actions().size(), items.size()) << "a narrower row sends more to the menu";
    for (QAction* item : panel->moreProjectsMenu()->actions())
        EXPECT_EQ(item->isChecked(), item->data().toString().toStdString() == id) << "the menu made anew keeps the choice";

    panel->setBusy(true);
    for (QAction* item : panel->moreProjectsMenu()->actions())
        EXPECT_FALSE(item->isEnabled());
    panel->setBusy(false);
    EXPECT_TRUE(panel->moreProjectsMenu()->actions().front()->isEnabled());
}

TEST_F(ProjectDesktopSetupViewTest, TitlesShowWholeAndTheResetsSayWhatTheyKeep)
{
    feed();
    settle();
    auto advance = [](const QWidget* view, const std::string& text) {
        return QFontMetricsF(view->font()).horizontalAdvance(QString::fromStdString(text));
    };
    for (SymbolButton* button : { panel->privacyButton(), panel->clearAssignmentsButton(), panel->deleteDesktopsButton() })
        EXPECT_GE(button->width(), advance(button, button->title())) << button->title();
    auto* permissions = panel->findChild<Label*>("macos-permissions-title");
    ASSERT_TRUE(permissions);
    EXPECT_GE(permissions->width(), advance(permissions, permissions->text()));
    // The first shortcut starts after the row's label.
    Label* shortcuts = panel->shortcutsLabel();
    ASSERT_FALSE(panel->shortcutButtons().empty());
    EXPECT_GE(panel->shortcutButtons().front()->x(), shortcuts->x() + advance(shortcuts, shortcuts->text()));
    EXPECT_EQ(panel->clearAssignmentsButton()->accessibleDescription().toStdString(),
        "Dissocie tous les projets. Les bureaux et les fenêtres restent en place.");
    EXPECT_EQ(panel->deleteDesktopsButton()->accessibleDescription().toStdString(),
        "Supprime les bureaux supplémentaires sur les écrans connectés. Un bureau par écran et les fenêtres ouvertes "
        "sont conservés.");
    for (SymbolButton* reset : { panel->clearAssignmentsButton(), panel->deleteDesktopsButton() })
        EXPECT_TRUE(reset->toolTip().contains(reset->accessibleDescription())) << "the same help under the pointer";
}

TEST_F(ProjectDesktopSetupViewTest, TheTrackingStateSaysWhetherSwitchingRuns)
{
    panel->updateTrackingState(true);
    EXPECT_EQ(panel->trackingState()->text(), "Activé");
    EXPECT_EQ(panel->trackingState()->colorRole(), ColorRole::accent);
    panel->updateTrackingState(false);
    EXPECT_EQ(panel->trackingState()->text(), "En pause");
    EXPECT_EQ(panel->trackingState()->colorRole(), ColorRole::secondaryLabel);
    EXPECT_EQ(panel->trackingState()->accessibleName().toStdString(), "Suivi automatique · En pause");
    settle();
    int layouts = panel->layoutCount();
    panel->updateTrackingState(true);
    settle();
    EXPECT_EQ(panel->layoutCount(), layouts + 1) << "a longer state is laid out again";

    // A switch put in place says its own state.
    auto* on = new SwitchControl;
    on->setOn(true);
    panel->updateTrackingState(false);
    panel->setTrackingSwitch(on);
    EXPECT_EQ(panel->trackingState()->text(), "Activé");
}

TEST_F(ProjectDesktopSetupViewTest, TheStatusAndThePermissionsSayWhatTheyAreToo)
{
    panel->showResetStatus("Toutes les affectations ont été supprimées.", true);
    EXPECT_EQ(panel->status()->text(), "Toutes les affectations ont été supprimées.");
    EXPECT_EQ(panel->status()->colorRole(), ColorRole::red);
    EXPECT_EQ(panel->status()->accessibleName().toStdString(), "Toutes les affectations ont été supprimées.");
    EXPECT_TRUE(panel->status()->toolTip().contains("Toutes les affectations ont été supprimées."));
    panel->updatePermissions(true, true);
    EXPECT_EQ(panel->previewPermission()->currentAuthorization(), true);
    EXPECT_EQ(panel->accessibilityPermission()->currentAuthorization(), true);
}

TEST_F(ProjectDesktopSetupViewTest, TheSetupButtonOpensAndClosesTheChooserWithOneClickEach)
{
    feed();
    SetupPrimaryButton* button = panel->setupProjectButton();
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(panel->projectPopover());
    EXPECT_TRUE(panel->projectPopover()->isShown());
    EXPECT_TRUE(button->isOn());
    // The press on the button does not close the popover; the button's own click does.
    QPointer<Popover> popover = panel->projectPopover();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(panel->projectPopover());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(popover) << "a closed chooser is not kept";
    EXPECT_FALSE(button->isOn());
    EXPECT_EQ(pickerEvents, std::vector<bool>({ true, false }));

    // A press elsewhere closes it.
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mousePress(panel->refreshButton(), Qt::LeftButton);
    EXPECT_FALSE(panel->projectPopover());
    EXPECT_EQ(pickerEvents, std::vector<bool>({ true, false, true, false }));
}

TEST_F(ProjectDesktopSetupViewTest, TheChooserClosesOnAnyEventOutsideItButKeysTypedIntoIt)
{
    feed();
    QApplication::setActiveWindow(&host);
    auto open = [this] {
        pickerEvents.clear();
        panel->toggleProjectSetup();
        EXPECT_TRUE(panel->projectPopover() && panel->projectPopover()->isShown());
    };
    auto expectClosed = [this](const char* by) {
        EXPECT_FALSE(panel->projectPopover()) << by;
        EXPECT_FALSE(panel->setupProjectButton()->isOn()) << by;
        EXPECT_EQ(pickerEvents, std::vector<bool>({ true, false })) << by;
    };

    open();
    QLineEdit* search = panel->projectChooser()->searchField();
    ASSERT_TRUE(search->hasFocus());
    QTest::keyClicks(search, "Be");
    // A key the field leaves alone travels on to the window behind the popover: it was still typed into it.
    QTest::keyClick(search, Qt::Key_F5);
    EXPECT_TRUE(panel->projectPopover());
    QTest::mouseClick(panel->projectChooser(), Qt::LeftButton, {}, QPoint(200, 4));
    EXPECT_TRUE(panel->projectPopover());
    EXPECT_EQ(pickerEvents, std::vector<bool>({ true }));
    panel->dismissProjectChooser(false);

    open();
    panel->searchField()->setFocus();
    QTest::keyClick(panel->searchField(), Qt::Key_A);
    expectClosed("a key typed outside");

    open();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    expectClosed("another window becoming key");
    other.hide();
    QApplication::setActiveWindow(&host);

    open();
    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QCoreApplication::sendEvent(qApp, &inactive);
    expectClosed("the application resigning active");

    open();
    QTest::mouseClick(panel->refreshButton(), Qt::RightButton);
    expectClosed("a right click");
}

TEST_F(ProjectDesktopSetupViewTest, AChoiceFromAnEarlierOpeningIsIgnored)
{
    feed();
    panel->toggleProjectSetup();
    QPointer<ProjectSetupChooserViewController> first = panel->projectChooser();
    QPointer<Popover> firstPopover = panel->projectPopover();
    auto choose = first->onChoose;
    auto cancel = first->onCancel;
    panel->toggleProjectSetup();
    panel->toggleProjectSetup();
    choose("a");
    cancel();
    EXPECT_FALSE(panel->selectedProjectID());
    ASSERT_TRUE(panel->projectPopover());
    // Nor does the earlier popover speak for the current one.
    panel->popoverDidClose(firstPopover);
    ASSERT_TRUE(panel->projectPopover());
    PopoverEvent onButton { true, panel->window(),
        panel->setupProjectButton()->mapToGlobal(panel->setupProjectButton()->rect().center()) };
    EXPECT_FALSE(panel->popoverShouldClose(panel->projectPopover(), onButton)) << "the button's own click closes it";
    EXPECT_TRUE(panel->popoverShouldClose(firstPopover, onButton));
    QWidget other;
    EXPECT_TRUE(panel->popoverShouldClose(panel->projectPopover(), PopoverEvent { true, &other, onButton.globalPosition }));

    // An id that vanished meanwhile leaves the popover open and the selection as it was.
    panel->projectChooser()->onChoose("gone");
    EXPECT_TRUE(panel->projectPopover());
    panel->projectChooser()->onChoose("b");
    EXPECT_EQ(panel->selectedProjectID(), "b");
    EXPECT_FALSE(panel->projectPopover());

    panel->toggleProjectSetup();
    pickerEvents.clear();
    panel->projectChooser()->onCancel();
    EXPECT_FALSE(panel->projectPopover());
    EXPECT_EQ(pickerEvents, std::vector<bool> { false });
}

TEST_F(ProjectDesktopSetupViewTest, APanelDestroyedWithItsChooserOpenTakesTheChooserAlong)
{
    feed();
    panel->toggleProjectSetup();
    QPointer<ProjectSetupChooserViewController> chooser = panel->projectChooser();
    QPointer<Popover> popover = panel->projectPopover();
    ASSERT_TRUE(chooser && popover);
    delete panel;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(chooser);
    EXPECT_FALSE(popover);
    panel = new ProjectDesktopSetupView(std::nullopt, &host);
}

TEST_F(ProjectDesktopSetupViewTest, TurningBusyOrDestroyingThePanelMidHoverReportsTheHoverEnd)
{
    feed();
    panel->commitProjectSelection(std::string("a"));
    std::vector<std::pair<std::string, bool>> hovers;
    panel->onDisplayDragHover = [&](const std::string& display, bool hovering) { hovers.emplace_back(display, hovering); };
    auto* card = panel->canvas()->findChild<ProjectDisplayDropView*>();
    ASSERT_TRUE(card);
    DraggingInfo info;
    info.types = QStringList { QString::fromLatin1(windowDragType) };
    panel->canDropOnDisplay = [](const DraggingInfo&, const std::string&) { return true; };
    EXPECT_TRUE(card->draggingUpdated(info));
    // Turning busy ends the hover and the highlight, and says so once.
    panel->setBusy(true);
    EXPECT_FALSE(card->highlighted());
    EXPECT_FALSE(card->dragHovered());
    EXPECT_EQ(hovers, (std::vector<std::pair<std::string, bool>> { { "D1", true }, { "D1", false } }));
    panel->setBusy(false);
    EXPECT_EQ(hovers.size(), 2u);
    hovers.clear();
    card->draggingUpdated(info);
    delete panel;
    panel = nullptr;
    EXPECT_EQ(hovers, (std::vector<std::pair<std::string, bool>> { { "D1", true }, { "D1", false } }));
}

TEST_F(ProjectDesktopSetupViewTest, AnOwnerThatTurnsBusyWhenThePickerOpensKeepsThePopoverHidden)
{
    feed();
    panel->onProjectPickerVisibilityChange = [this](bool open) {
        if (open)
            panel->setBusy(true);
    };
    panel->toggleProjectSetup();
    EXPECT_FALSE(panel->projectPopover());
    EXPECT_TRUE(panel->busy());
}

TEST_F(ProjectDesktopSetupViewTest, AScreenCardHandsItsOwnerOnlyTheDropsItAllows)
{
    feed();
    panel->commitProjectSelection(std::string("a"));
    auto* card = panel->canvas()->findChild<ProjectDisplayDropView*>();
    ASSERT_TRUE(card);
    DraggingInfo info;
    bool allowed = true;
    std::vector<std::string> dropped;
    panel->canDropOnDisplay = [&](const DraggingInfo&, const std::string&) { return allowed; };
    EXPECT_FALSE(card->performDragOperation(info)) << "no one to take it";
    panel->onDropOnDisplay = [&](const DraggingInfo&, const std::string& display) { dropped.push_back(display); };
    allowed = false;
    EXPECT_FALSE(card->performDragOperation(info));
    EXPECT_TRUE(dropped.empty());
    allowed = true;
    EXPECT_TRUE(card->performDragOperation(info));
    EXPECT_EQ(dropped, std::vector<std::string> { "D1" });
}

TEST_F(ProjectDesktopSetupViewTest, AnOpenPickerFollowsTheProjectsAndTheOverflowMenuKeepsItsShortcutsWhileOpen)
{
    feed();
    panel->toggleProjectSetup();
    ASSERT_TRUE(panel->projectChooser());
    assignments.push_back(project("c", "Gamma", { 1 }));
    feed();
    EXPECT_EQ(panel->projectChooser()->projects().size(), 3u);
    panel->dismissProjectChooser(false);
    ASSERT_EQ(panel->shortcutProjects().size(), 2u);

    pickerEvents.clear();
    QMenu* menu = panel->moreProjectsMenu();
    emit menu->aboutToShow();
    EXPECT_EQ(pickerEvents, std::vector<bool> { true });
    assignments.push_back(project("d", "Delta", { 1 }));
    feed();
    EXPECT_EQ(panel->shortcutProjects().size(), 2u) << "not under an open menu";
    std::vector<std::pair<QRect, bool>> placed;
    for (auto* button : panel->shortcutButtons())
        placed.emplace_back(button->geometry(), button->isHidden());
    QList<QAction*> items = menu->actions();
    panel->setGeometry(0, 0, 200, 800);
    QCoreApplication::sendPostedEvents();
    for (std::size_t i = 0; i < placed.size(); ++i) {
        QWidget* button = panel->shortcutButtons()[i];
        EXPECT_EQ(std::make_pair(button->geometry(), button->isHidden()), placed[i]) << "nor moved";
    }
    EXPECT_EQ(menu->actions(), items) << "nor the open menu's items replaced";
    settle();
    int layouts = panel->layoutCount();
    emit menu->aboutToHide();
    EXPECT_EQ(pickerEvents, std::vector<bool> { true });
    settle();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(panel->shortcutProjects().size(), 3u);
    EXPECT_GT(panel->layoutCount(), layouts) << "the new shortcuts are laid out";
    EXPECT_EQ(pickerEvents, std::vector<bool>({ true, false }));

    // A menu reopened before the close is handled: only the last close counts.
    pickerEvents.clear();
    emit menu->aboutToShow();
    emit menu->aboutToHide();
    emit menu->aboutToShow();
    emit menu->aboutToHide();
    settle();
    EXPECT_EQ(pickerEvents, std::vector<bool>({ true, true, false }));
}

} // namespace
} // namespace pellamor
