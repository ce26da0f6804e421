#include "app/MainWindow.h"

#include "ui/Alert.h"
#include "ui/ControlClick.h"
#include "ui/Label.h"
#include "ui/SheetHost.h"
#include "assistant/Localization.h"
#include "e2e/ShellFixture.h"
#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "platform/Bundle.h"
#include "services/AppSettingsView.h"
#include "services/UsageAnalytics.h"
#include "setup/ProjectDesktopSetupView.h"
#include "setup/ScreenSettingsView.h"
#include "ui/SwitchControl.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QPushButton>
#include <QTabWidget>
#include <QCloseEvent>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

namespace pellamor::test {
namespace {

class MainWindowTest : public ShellFixture {
protected:
    ~MainWindowTest() override { AppLocalization::shared().setLanguage(AppLanguage::system); }
};

TEST_F(MainWindowTest, ALanguageChangeRebuildsTheWindowOnTheSameTabUnlessASheetIsOpen)
{
    launch();
    QTabWidget* before = delegate->tabs;
    delegate->showAbout();
    AppLocalization::shared().setLanguage(AppLanguage::english);
    EXPECT_EQ(delegate->tabs, before) << "a sheet holds the rebuild back";
    qobject_cast<AlertSheet*>(SheetHost::attachedSheet(delegate->window.get()))->respond(alertFirstButtonReturn);

    selectTab(delegate->tabs, "privacy");
    QPointer<WindowOverviewView> oldOverview = delegate->windowOverview;
    AppLocalization::shared().setLanguage(AppLanguage::french);
    mac.advance(0.01);
    EXPECT_NE(delegate->windowOverview, oldOverview);
    EXPECT_TRUE(!oldOverview || oldOverview->isShutDown());
    EXPECT_EQ(selectedTabIdentifier(delegate->tabs), "privacy");
    EXPECT_EQ(status(), "Langue modifiée.");
    EXPECT_EQ(delegate->tabs->tabText(2), "Réglages");
}

TEST_F(MainWindowTest, WhileAnActionRunsTheViewsAreLockedAndTheLanguageAndTheSwitchWait)
{
    associateProjectB();
    launch();
    ASSERT_TRUE(delegate->isEnabled);
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    auto* screens = delegate->window->findChild<ScreenSettingsView*>();
    ASSERT_NE(screens, nullptr);
    EXPECT_FALSE(screens->canChangeConfiguration());
    EXPECT_EQ(screens->placementBlockingReason(), "Une autre action est en cours. Réessaie dans un instant.");
    EXPECT_FALSE(delegate->settingsView->canChangeLanguage());
    EXPECT_FALSE(delegate->settingsView->canShowOnboarding());
    delegate->windowOverview->onShowPrivacy();
    EXPECT_EQ(selectedTabIdentifier(delegate->tabs), "windows");

    QTabWidget* before = delegate->tabs;
    AppLocalization::shared().setLanguage(AppLanguage::english);
    mac.advance(0.01);
    EXPECT_EQ(delegate->tabs, before) << "the window is not rebuilt under the running action";
    EXPECT_FALSE(delegate->toggle->isEnabled());
    // Pressed all the same (it was pressed just before it was disabled): nothing stops, the switch shows it.
    delegate->toggle->setOn(false);
    delegate->toggleTracking();
    EXPECT_TRUE(delegate->isEnabled) << "the switch waits too";
    EXPECT_TRUE(delegate->toggle->isOn());

    delegate->windowOverview->endAction();
    EXPECT_TRUE(screens->canChangeConfiguration());
    EXPECT_EQ(screens->placementBlockingReason(), std::nullopt);
    EXPECT_TRUE(delegate->settingsView->canChangeLanguage());
    delegate->windowOverview->onShowPrivacy();
    EXPECT_EQ(selectedTabIdentifier(delegate->tabs), "privacy");
}

TEST_F(MainWindowTest, AnotherDesktopShownIsReadAgainAtOnceAndAMinimisedWindowStaysSo)
{
    launch();
    selectTab(delegate->tabs, "windows");
    mac.advance(0.1);
    auto shown = [this] {
        for (const NativeDesktopState& desktop : delegate->windowOverview->desktops()) {
            if (desktop.spaceID == 12)
                return desktop.currentSpaceID;
        }
        return std::uint64_t(0);
    };
    EXPECT_EQ(shown(), 11u);
    mac.mac().setCurrentSpace(contentDisplay, 12);
    EXPECT_EQ(shown(), 12u);

    delegate->window->showMinimized();
    mac.mac().setCurrentSpace(contentDisplay, 11);
    EXPECT_EQ(shown(), 11u);
    EXPECT_TRUE(delegate->window->isMinimized());
}

TEST_F(MainWindowTest, AFormClosedUnsentIsReopenedAsTheUserLeftIt)
{
    launch();
    delegate->reportBug();
    ASSERT_NE(delegate->feedbackController, nullptr);
    delegate->feedbackController->window()->findChild<QPlainTextEdit*>("feedback-message")->setPlainText("Écran noir");
    delegate->feedbackController->window()->findChild<QPushButton*>("close-feedback")->click();
    mac.advance(0.01);
    ASSERT_TRUE(delegate->feedbackDraft);
    delegate->suggestImprovement();
    ASSERT_NE(delegate->feedbackController, nullptr);
    FeedbackDraft reopened = delegate->feedbackController->draft();
    EXPECT_EQ(reopened.kind, FeedbackKind::bug);
    EXPECT_EQ(reopened.message, "Écran noir");
    EXPECT_EQ(reopened.source, "help");
}

TEST_F(MainWindowTest, TheReportButtonFollowsErrorsOfEachSource)
{
    launch();
    auto* version = delegate->window->findChild<Label*>("current-app-version");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(),
        L("Version %@ · build %@", Bundle::main().shortVersion().value_or("unknown"),
            Bundle::main().buildVersion().value_or("unknown")));
    EXPECT_TRUE(delegate->reportErrorButton->isHidden());
    delegate->windowOverview->onStatusMessage("Déplacement refusé", true);
    EXPECT_FALSE(delegate->reportErrorButton->isHidden());
    delegate->showStatus("Tout va bien", false);
    EXPECT_FALSE(delegate->reportErrorButton->isHidden());
    delegate->reportCurrentError();
    ASSERT_NE(delegate->feedbackController, nullptr);
    EXPECT_EQ(delegate->feedbackController->draft().errorText, "Déplacement refusé");
    EXPECT_EQ(delegate->feedbackController->draft().source, "project_displays");
    delegate->windowOverview->onStatusMessage("Fenêtre déplacée", false);
    EXPECT_TRUE(delegate->reportErrorButton->isHidden());
}

TEST_F(MainWindowTest, SheetsEndOnlyThroughTheirOwnButtons)
{
    launch();
    auto escapeAndClose = [&](QWidget* sheet) {
        QTest::keyClick(sheet, Qt::Key_Escape);
        QCloseEvent fromTheWindowManager;
        QSpontaneKeyEvent::setSpontaneous(&fromTheWindowManager);
        QCoreApplication::sendEvent(sheet, &fromTheWindowManager);
        EXPECT_EQ(SheetHost::attachedSheet(delegate->window.get()), sheet);
        EXPECT_TRUE(sheet->isVisible());
    };
    delegate->showAbout();
    escapeAndClose(SheetHost::attachedSheet(delegate->window.get()));
    ASSERT_TRUE(clickControl("alert-button-0"));
    EXPECT_FALSE(SheetHost::hasAttachedSheet(delegate->window.get()));

    // The form's "Fermer" has Escape as its key equivalent, whichever window is active.
    delegate->reportBug();
    ASSERT_NE(delegate->feedbackController, nullptr);
    QWidget* form = delegate->feedbackController->window();
    QCloseEvent closedByTheWindowManager;
    QSpontaneKeyEvent::setSpontaneous(&closedByTheWindowManager);
    QCoreApplication::sendEvent(form, &closedByTheWindowManager);
    EXPECT_TRUE(form->isVisible());
    delegate->window->activateWindow();
    QTest::keyClick(form->findChild<QWidget*>("feedback-message"), Qt::Key_Escape);
    EXPECT_FALSE(SheetHost::hasAttachedSheet(delegate->window.get()));
    mac.advance(0.01);
    EXPECT_EQ(delegate->feedbackController, nullptr);

    // The onboarding's "Plus tard" has Escape as its key equivalent; the window manager still cannot close it.
    delegate->showOnboarding();
    ASSERT_NE(delegate->onboarding, nullptr);
    QWidget* onboarding = delegate->onboarding->window();
    QCloseEvent fromTheWindowManager;
    QSpontaneKeyEvent::setSpontaneous(&fromTheWindowManager);
    QCoreApplication::sendEvent(onboarding, &fromTheWindowManager);
    EXPECT_TRUE(onboarding->isVisible());
    QTest::keyClick(onboarding, Qt::Key_Escape);
    EXPECT_FALSE(SheetHost::hasAttachedSheet(delegate->window.get()));
    mac.advance(0.01);
    EXPECT_EQ(delegate->onboarding, nullptr);

    delegate->showAbout();
    EXPECT_TRUE(SheetHost::hasAttachedSheet(delegate->window.get()));
}

TEST_F(MainWindowTest, TheBandCountsConfiguredProjects)
{
    launch();
    EXPECT_EQ(delegate->countLabel->text(), "0 configurés / 2 projets");
    associateProjectB();
    delegate.reset();
    launch();
    EXPECT_EQ(delegate->countLabel->text(), "1 configurés / 2 projets");
    delegate->projects.resize(1);
    delegate->updateTrackingControls();
    EXPECT_EQ(delegate->countLabel->text(), "0 configuré / 1 projet");
    delegate->projects.clear();
    delegate->updateTrackingControls();
    EXPECT_EQ(delegate->countLabel->text(), "0 configurés / 0 projets");
    EXPECT_EQ(
        delegate->currentLabel->text(), "Aucun projet Codex disponible. Ouvre Codex, puis clique sur Actualiser.");
}

TEST_F(MainWindowTest, ClosingTheWindowShutsDownOnceAndRestoresNothingItDidNotChange)
{
    associateProjectB();
    launch();
    ASSERT_TRUE(delegate->isEnabled);
    delegate->window->close();
    EXPECT_TRUE(delegate->isTerminating);
    EXPECT_FALSE(UsageAnalytics::shared().isRunning());
    EXPECT_TRUE(delegate->windowOverview->isShutDown());
    EXPECT_FALSE(delegate->timer->isValid());
    EXPECT_FALSE(delegate->stateWatcher);
    std::string before = status();
    mac.world().permissions.accessibility = false;
    delegate->applicationDidBecomeActive();
    EXPECT_EQ(status(), before) << "nothing is checked again while quitting";
    writeState("project-b");
    mac.advance(2);
    EXPECT_FALSE(std::any_of(mac.mac().log().lines().begin(), mac.mac().log().lines().end(),
        [](const std::string& line) { return line.rfind("key-posted", 0) == 0; }));
}

TEST_F(MainWindowTest, TheOverviewOpensAProjectsDesktopsThroughTheShell)
{
    associateProjectB();
    launch();
    newLogLines();
    std::optional<MissionControlResult> result;
    auto record = [&](MissionControlResult answer) { result = answer; };
    delegate->windowOverview->openProjectDesktops("project-b", record);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->kind(), MissionControlResult::Kind::cancelled) << "only under the overview's action lock";

    result.reset();
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    delegate->windowOverview->openProjectDesktops("project-b", record);
    mac.advance(3);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->kind(), MissionControlResult::Kind::sent);
    auto lines = newLogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "current-space display=" + contentDisplay + " space=12"), lines.end());
    delegate->windowOverview->endAction();
}

TEST_F(MainWindowTest, AWindowIsReachedForALayoutThroughTheShellsOwnDesktopSwitcher)
{
    mac.world().applications.push_back(
        { 600, "com.example.zed", "Zed", "/Applications/Zed.app", ActivationPolicy::regular, 1.7e9 });
    sim::Window notes;
    notes.number = 62;
    notes.pid = 600;
    notes.title = "Notes";
    notes.frame = QRectF(1500, 40, 700, 500);
    notes.spaces = { 12 };
    mac.world().windows.push_back(notes);
    launch();
    selectTab(delegate->tabs, "windows");
    mac.advance(0.2);
    QCoreApplication::sendPostedEvents();
    WindowOverviewView& overview = *delegate->windowOverview;
    ASSERT_FALSE(overview.cards(62).empty());
    WindowThumbnail* card = overview.cards(62).front();
    ASSERT_TRUE(card->isEditable());
    card->choosePlacement(static_cast<int>(WindowArrangement::maximize));
    ASSERT_TRUE(overview.busy());
    EXPECT_EQ(overview.statusMessage(), "Ouverture du Bureau 3 pour disposer cette fenêtre de Zed…");
    // Cancelling the shell's switch is cancelling this one: there is only one.
    delegate->desktopSwitcher->cancel();
    mac.advance(2);
    EXPECT_FALSE(overview.busy());
    EXPECT_EQ(overview.statusMessage(), "Ouverture du bureau annulée.");
}

TEST_F(MainWindowTest, AnActionRefusedForUnreadableDesktopsSaysWhyInTheStatusLine)
{
    mac.world().faults.spaces = sim::SpacesShape::null;
    launch();
    WindowOverviewView& overview = *delegate->windowOverview;
    EXPECT_FALSE(overview.start());
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_EQ(overview.statusMessage(), "Impossible de vérifier les bureaux après leur modification. Actualise la liste.");
    EXPECT_EQ(overview.setupView()->status()->colorRole(), ColorRole::red);
    mac.world().faults.spaces = sim::SpacesShape::wellFormed;
    EXPECT_TRUE(overview.beginAction());
    EXPECT_TRUE(delegate->isExecuting);
    overview.endAction();
    EXPECT_FALSE(delegate->isExecuting);
}

TEST_F(MainWindowTest, AnActionRefusedForUnreadableAssociationsSaysSoAndNotThatAnotherRuns)
{
    defaults().set(desktopIdentitiesKey, "pas des données");
    launch();
    WindowOverviewView& overview = *delegate->windowOverview;
    const std::string unreadable
        = "Les associations enregistrées sont illisibles. Elles sont conservées ; ferme puis relance l’app.";
    EXPECT_FALSE(overview.start());
    EXPECT_FALSE(overview.busy());
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_EQ(overview.statusMessage(), unreadable);
    EXPECT_EQ(overview.setupView()->status()->text(), unreadable);
    EXPECT_EQ(overview.setupView()->status()->colorRole(), ColorRole::red);
    ASSERT_TRUE(delegate->reportableError);
    EXPECT_EQ(delegate->reportableError->text, unreadable);
    EXPECT_EQ(status().find("Impossible de vérifier les bureaux"), std::string::npos) << status();
    EXPECT_EQ(*defaults().string(desktopIdentitiesKey), "pas des données");
}

} // namespace
} // namespace pellamor::test

namespace pellamor::test {
namespace {

class MenuTest : public ShellFixture { };

TEST_F(MenuTest, MenuItemsReachTheirActions)
{
    launch();
    EXPECT_EQ(delegate->window->windowTitle(), "Pellamor");
    EXPECT_EQ(delegate->window->minimumSize(), QSize(820, 800));
    EXPECT_EQ(delegate->window->centralWidget()->size(), QSize(880, 850));
    std::vector<std::string> tabs;
    for (int index = 0; index < delegate->tabs->count(); ++index) {
        delegate->tabs->setCurrentIndex(index);
        tabs.push_back(selectedTabIdentifier(delegate->tabs));
    }
    EXPECT_EQ(tabs, (std::vector<std::string> { "windows", "screens", "privacy" }));
    selectTab(delegate->tabs, "windows");
    ASSERT_TRUE(clickControl("menu-about"));
    auto* about = qobject_cast<AlertSheet*>(SheetHost::attachedSheet(delegate->window.get()));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->alert().messageText, "Pellamor");
    EXPECT_EQ(about->alert().buttons, std::vector<std::string> { "Fermer" });
    EXPECT_EQ(
        about->alert().informativeText.rfind(
            "Version " + Bundle::main().shortVersion().value_or("") + " · App locale\n\nChoisis l’écran dédié", 0),
        0u);
    about->respond(alertFirstButtonReturn);

    clickControl("menu-settings");
    EXPECT_EQ(selectedTabIdentifier(delegate->tabs), "privacy");
    EXPECT_FALSE(delegate->windowOverview->overviewVisible());
    selectTab(delegate->tabs, "windows");
    EXPECT_TRUE(delegate->windowOverview->overviewVisible());

    clickControl("menu-request-feature");
    ASSERT_NE(delegate->feedbackController, nullptr);
    EXPECT_EQ(delegate->feedbackController->draft().kind, FeedbackKind::feature);
    clickControl("close-feedback");
    mac.advance(0.01);

    clickControl("menu-quit");
    EXPECT_TRUE(delegate->isTerminating);
}

std::vector<std::string> warnings;

void keepWarning(QtMsgType, const QMessageLogContext&, const QString& message)
{
    warnings.push_back(message.toStdString());
}

TEST_F(MenuTest, EditItemsActOnTheFocusedTextFieldAndSilentlyOnNothingElse)
{
    launch();
    auto* field = new QLineEdit("alpha", delegate->window->centralWidget());
    field->show();
    QApplication::setActiveWindow(delegate->window.get());
    field->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), field);
    clickControl("menu-select-all");
    EXPECT_EQ(field->selectedText(), "alpha");
    clickControl("menu-copy");
    clickControl("menu-cut");
    EXPECT_EQ(field->text(), "");
    clickControl("menu-paste");
    clickControl("menu-paste");
    EXPECT_EQ(field->text(), "alphaalpha");

    delegate->tabs->tabBar()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), delegate->tabs->tabBar());
    warnings.clear();
    QtMessageHandler previous = qInstallMessageHandler(keepWarning);
    for (const char* item : { "menu-cut", "menu-copy", "menu-paste", "menu-select-all" })
        clickControl(item);
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, std::vector<std::string> {});
    EXPECT_EQ(field->text(), "alphaalpha");
}

} // namespace
} // namespace pellamor::test
