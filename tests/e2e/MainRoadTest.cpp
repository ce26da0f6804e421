#include "desktops/SystemRestorations.h"
#include "e2e/ShellFixture.h"
#include "overview/WindowOverview.h"
#include "setup/ProjectDesktopSetupView.h"
#include "sim/SimulatedMac.h"
#include "ui/Alert.h"
#include "ui/Label.h"
#include "ui/SheetHost.h"
#include "ui/SwitchControl.h"

#include <QPushButton>
#include <QTest>
#include <algorithm>

namespace pellamor::test {
namespace {

bool contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

const std::string switchedToB = "current-space display=" + contentDisplay + " space=12";

class MainRoadTest : public ShellFixture { };

TEST_F(MainRoadTest, TheAssistantSelectingAProjectBringsItsDesktopForward)
{
    associateProjectB();
    launch();
    ASSERT_TRUE(delegate->isEnabled);
    newLogLines();

    writeState("project-b");
    mac.advance(1);
    std::vector<std::string> lines = newLogLines();
    EXPECT_TRUE(contains(lines, switchedToB));
    EXPECT_FALSE(
        std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("hotkey", 0) == 0; }));
    EXPECT_EQ(status(), "B → Bureau 3 : bureau ouvert.");
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_TRUE(delegate->isEnabled);
    EXPECT_TRUE(delegate->reportErrorButton->isHidden());
}

TEST_F(MainRoadTest, PollsCheckTheStoredAssociationsOnlyWhenTheyChange)
{
    const ProjectDesktopAssociation desktop3 { 12, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000012" };
    auto checksOverTenPolls = [&](int stored) {
        ProjectDesktopAssociations store;
        store.targets["project-b"] = { desktop3 };
        for (int index = 0; index < stored; ++index)
            store.targets["project-" + std::to_string(index)] = { desktop3 };
        std::optional<std::string> data = store.encodedData();
        defaults().set(desktopIdentitiesKey, PlistData(data->begin(), data->end()));
        delegate.reset();
        launch();
        EXPECT_TRUE(delegate->isEnabled);
        std::uint64_t before = ProjectDesktopAssociations::validityChecks();
        mac.advance(5);
        return ProjectDesktopAssociations::validityChecks() - before;
    };
    std::uint64_t few = checksOverTenPolls(5);
    EXPECT_EQ(checksOverTenPolls(300), few);
    EXPECT_EQ(few, 0u);

    // A change is checked once, and what the polls derive follows it.
    delegate->desktopAssociations.targets.erase("project-7");
    std::uint64_t before = ProjectDesktopAssociations::validityChecks();
    mac.advance(0.6);
    EXPECT_EQ(ProjectDesktopAssociations::validityChecks() - before, 1u);
    EXPECT_FALSE(delegate->associations.count("project-7"));
    EXPECT_EQ(delegate->associations["project-8"], std::vector<int> { 3 });
    EXPECT_EQ(delegate->assignedDesktops(), std::set<int> { 3 });
}

TEST_F(MainRoadTest, ADisabledShortcutIsEnabledForTheSwitchAndLeftAsFound)
{
    mac.world().hotkeys[120].enabled = false;
    associateProjectB();
    launch();
    newLogLines();
    writeState("project-b");
    mac.advance(1);
    std::vector<std::string> lines = newLogLines();
    EXPECT_TRUE(contains(lines, switchedToB));
    EXPECT_TRUE(contains(lines, "hotkey id=120 enabled=true"));
    EXPECT_TRUE(contains(lines, "hotkey id=120 enabled=false"));
    EXPECT_FALSE(mac.world().hotkeys[120].enabled);
    EXPECT_EQ(status(), "B → Bureau 3 : bureau ouvert.");
}

TEST_F(MainRoadTest, ASelectionMadeInTheBackgroundSwitchesWhenTheAssistantComesForward)
{
    mac.world().frontmost = "com.apple.finder";
    associateProjectB();
    launch();
    newLogLines();
    writeState("project-b");
    mac.advance(2);
    EXPECT_FALSE(contains(newLogLines(), switchedToB));

    mac.mac().activate("com.openai.codex");
    mac.advance(1);
    EXPECT_TRUE(contains(newLogLines(), switchedToB));
    EXPECT_EQ(status(), "B → Bureau 3 : bureau ouvert.");
}

TEST_F(MainRoadTest, AProjectChosenRightAfterOneOpenedFromTheOverviewIsSwitchedTo)
{
    associateProjectB();
    launch();
    ASSERT_TRUE(delegate->isEnabled);
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    std::optional<MissionControlResult> answer;
    delegate->openProjectFromOverview("project-b", [&](MissionControlResult result) { answer = result; });
    mac.advance(2);
    ASSERT_TRUE(answer);
    delegate->windowOverview->endAction();
    mac.mac().setCurrentSpace(contentDisplay, 11);
    newLogLines();
    writeState("project-b");
    mac.advance(1);
    EXPECT_TRUE(contains(newLogLines(), switchedToB)) << "the choice after the opening is a choice of its own";
}

TEST_F(MainRoadTest, AProjectWithoutAssociationIsPassedOverSilently)
{
    associateProjectB();
    writeState("project-b");
    launch();
    std::string before = status();
    writeState("project-a");
    mac.advance(1);
    EXPECT_EQ(status(), before);
    newLogLines();
    writeState("project-b");
    mac.advance(1);
    EXPECT_TRUE(contains(newLogLines(), switchedToB));
}

TEST_F(MainRoadTest, AStateFileUnreadableForOneAndAHalfSecondsStopsSwitching)
{
    associateProjectB();
    launch();
    writeRawState("{ not json");
    mac.advance(1.4);
    EXPECT_TRUE(delegate->isEnabled);
    mac.advance(0.6);
    EXPECT_FALSE(delegate->isEnabled);
    EXPECT_EQ(
        status(), "Suivi arrêté : l’état de Codex n’est plus lisible. Clique sur Actualiser puis réactive le suivi.");
    EXPECT_FALSE(delegate->reportErrorButton->isHidden());
}

TEST_F(MainRoadTest, AFailedSwitchStopsSwitchingWithAReportableError)
{
    mac.world().faults.switchDelivery = sim::SwitchDelivery::never;
    associateProjectB();
    launch();
    writeState("project-b");
    mac.advance(4);
    EXPECT_FALSE(delegate->isEnabled);
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_EQ(delegate->statusLabel->colorRole(), ColorRole::red);
    ASSERT_TRUE(delegate->reportableError);
    EXPECT_EQ(delegate->reportableError->source, "automatic_switching");
    EXPECT_FALSE(delegate->reportErrorButton->isHidden());
}

TEST_F(MainRoadTest, ACancelledSwitchKeepsTheAssociationsAndPollsNoMore)
{
    mac.world().faults.switchDelay = 1;
    associateProjectB();
    launch();
    writeState("project-b");
    mac.advance(0.6);
    ASSERT_TRUE(delegate->isExecuting);
    delegate->stopTracking();
    mac.advance(0.1);
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_EQ(status(), "Changement annulé. Tes associations sont conservées.");
    EXPECT_TRUE(delegate->desktopAssociations.targets.count("project-b"));
}

TEST_F(MainRoadTest, UnreadableStoredAssociationsAreKeptAndRefuseSwitching)
{
    defaults().set(desktopIdentitiesKey, "pas des données");
    launch();
    EXPECT_TRUE(delegate->associationDataInvalid);
    EXPECT_FALSE(delegate->isEnabled);
    EXPECT_EQ(*defaults().string(desktopIdentitiesKey), "pas des données");

    QTest::mouseClick(delegate->toggle.data(), Qt::LeftButton);
    auto* sheet = qobject_cast<AlertSheet*>(SheetHost::attachedSheet(delegate->window.get()));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->alert().messageText, "Avant de démarrer");
    EXPECT_EQ(sheet->alert().informativeText,
        "Les associations enregistrées sont illisibles. Elles sont conservées ; ferme puis relance l’app.");
    sheet->respond(alertFirstButtonReturn + 1);
    mac.advance(0.01);
    EXPECT_NE(delegate->feedbackController, nullptr);
    EXPECT_EQ(delegate->feedbackController->draft().source, "startup");
}

} // namespace
} // namespace pellamor::test

namespace pellamor::test {
namespace {

const std::string thirdDisplay = "33333333-3333-3333-3333-333333333333";

class SwitchingEdgesTest : public ShellFixture {
protected:
    void associateProjectB(std::vector<ProjectDesktopAssociation> desktops)
    {
        ProjectDesktopAssociations store;
        store.targets["project-b"] = std::move(desktops);
        std::optional<std::string> data = store.encodedData();
        ASSERT_TRUE(data);
        defaults().set(desktopIdentitiesKey, PlistData(data->begin(), data->end()));
    }
    void associateProjectB(std::uint64_t space, const std::string& display, const std::string& uuid)
    {
        associateProjectB({ ProjectDesktopAssociation { space, display, uuid } });
    }
};

TEST_F(SwitchingEdgesTest, TerminatingDuringASwitchRestoresTheShortcutItEnabled)
{
    mac.world().hotkeys[120].enabled = false;
    mac.world().faults.switchDelay = 1;
    ShellFixture::associateProjectB();
    launch();
    writeState("project-b");
    mac.advance(0.7);
    ASSERT_TRUE(delegate->isExecuting);
    ASSERT_TRUE(mac.world().hotkeys[120].enabled);
    delegate->terminate();
    mac.advance(2);
    EXPECT_FALSE(mac.world().hotkeys[120].enabled);
    EXPECT_TRUE(delegate->isTerminating);
}

// Killed in effect: the delegate goes without its shutdown, and a fresh one launches on the same machine.
TEST_F(SwitchingEdgesTest, AShortcutLeftOnByAKillIsSwitchedOffAtTheNextLaunchAndOnlyThen)
{
    mac.world().hotkeys[120].enabled = false;
    mac.world().faults.switchDelay = 1;
    ShellFixture::associateProjectB();
    launch();
    writeState("project-b");
    mac.advance(0.7);
    ASSERT_TRUE(delegate->isExecuting);
    ASSERT_TRUE(mac.world().hotkeys[120].enabled);
    std::optional<PlistValue> recorded = defaults().object(SystemRestorations::shortcutsKey);
    EXPECT_EQ(recorded, PlistValue(PlistArray { 120 }));
    // Destroying the delegate closes its window, which runs the shutdown; a kill would have left this.
    delegate.reset();
    mac.advance(2);
    EXPECT_FALSE(defaults().objectExists(SystemRestorations::shortcutsKey)) << "forgotten once switched off";
    mac.world().hotkeys[120].enabled = true;
    defaults().set(SystemRestorations::shortcutsKey, *recorded);

    launch();
    EXPECT_FALSE(mac.world().hotkeys[120].enabled);
    EXPECT_FALSE(defaults().objectExists(SystemRestorations::shortcutsKey));

    // Without a record a launch leaves the shortcuts as the user set them.
    mac.world().hotkeys[120].enabled = true;
    delegate.reset();
    newLogLines();
    launch();
    EXPECT_TRUE(mac.world().hotkeys[120].enabled);
    for (const std::string& line : newLogLines())
        EXPECT_NE(line.rfind("hotkey", 0), 0u) << line;
}

TEST_F(SwitchingEdgesTest, ARecordOfAShortcutThatIsNotSwitchToDesktopLeavesThatShortcutAlone)
{
    mac.world().hotkeys[64] = { 49, 1048576, true };
    mac.world().hotkeys[60] = { 49, 262144, true };
    mac.world().hotkeys[126].enabled = true;
    defaults().set(SystemRestorations::shortcutsKey, PlistArray { 64, 60, 126 });
    launch();
    EXPECT_TRUE(mac.world().hotkeys[64].enabled);
    EXPECT_TRUE(mac.world().hotkeys[60].enabled);
    EXPECT_FALSE(mac.world().hotkeys[126].enabled) << "desktop 9's";
    EXPECT_FALSE(defaults().objectExists(SystemRestorations::shortcutsKey));
}

TEST_F(SwitchingEdgesTest, UnreadableRestorationRecordsAreDroppedWithOneWritePerList)
{
    PlistArray unreadable;
    for (int record = 0; record < 2000; ++record)
        unreadable.push_back(std::to_string(record));
    defaults().set(SystemRestorations::shortcutsKey, unreadable);
    // One application whose interface does not come back: its record stays for the next launch.
    mac.world().applications.push_back(
        { 300, "com.example.notes", "Notes", "/Applications/Notes.app", ActivationPolicy::regular, 1000.5 });
    mac.world().faults.accessibility.enhancedUserInterfaceStaysOff = true;
    PlistValue pending = PlistDictionary {
        { "pid", 300 }, { "bundleID", std::string("com.example.notes") }, { "launched", 1000.5 } };
    unreadable.push_back(pending);
    defaults().set(SystemRestorations::enhancedInterfacesKey, unreadable);
    const int before = mac.settingsFile().saves;
    SystemRestorations::restoreRecorded();
    EXPECT_EQ(mac.settingsFile().saves - before, 2);
    EXPECT_FALSE(defaults().objectExists(SystemRestorations::shortcutsKey));
    EXPECT_EQ(defaults().object(SystemRestorations::enhancedInterfacesKey), PlistValue(PlistArray { pending }));
}

TEST_F(SwitchingEdgesTest, ARestorationValueThatIsNotAListIsRemoved)
{
    defaults().set(SystemRestorations::shortcutsKey, PlistValue(std::int64_t { 120 }));
    defaults().set(SystemRestorations::enhancedInterfacesKey, PlistDictionary { { "pid", 300 } });
    launch();
    EXPECT_FALSE(defaults().objectExists(SystemRestorations::shortcutsKey));
    EXPECT_FALSE(defaults().objectExists(SystemRestorations::enhancedInterfacesKey));
}

TEST_F(SwitchingEdgesTest, AnEnhancedInterfaceLeftOffIsSwitchedOnAgainForTheSameInstanceOnly)
{
    mac.world().applications.push_back(
        { 300, "com.example.notes", "Notes", "/Applications/Notes.app", ActivationPolicy::regular, 1000.5 });
    auto record = [](double launched) {
        return PlistValue(PlistArray { PlistDictionary {
            { "pid", 300 }, { "bundleID", std::string("com.example.notes") }, { "launched", launched } } });
    };
    defaults().set(SystemRestorations::enhancedInterfacesKey, record(1000.5));
    launch();
    EXPECT_TRUE(mac.world().applications.back().enhancedUserInterface);
    EXPECT_FALSE(defaults().objectExists(SystemRestorations::enhancedInterfacesKey));

    // Another launch of the application under the same pid is not the one that was changed.
    mac.world().applications.back().enhancedUserInterface = false;
    defaults().set(SystemRestorations::enhancedInterfacesKey, record(999));
    delegate.reset();
    launch();
    EXPECT_FALSE(mac.world().applications.back().enhancedUserInterface);
    EXPECT_FALSE(defaults().objectExists(SystemRestorations::enhancedInterfacesKey));
}

TEST_F(SwitchingEdgesTest, AProjectOnlyOnTheAssistantsScreenIsNotSwitched)
{
    associateProjectB(1, mainDisplay, "AAAAAAAA-0000-0000-0000-000000000001");
    launch();
    ASSERT_TRUE(delegate->isEnabled);
    newLogLines();
    writeState("project-b");
    mac.advance(1);
    EXPECT_EQ(status(), "B utilise l’écran de Codex. Son association habituelle est conservée.");
    for (const std::string& line : newLogLines())
        EXPECT_NE(line.rfind("key-posted", 0), 0u) << line;
}

TEST_F(SwitchingEdgesTest, TheAssistantComingForwardWhileSwitchingIsOffSwitchesNothing)
{
    mac.world().frontmost = "com.apple.finder";
    ShellFixture::associateProjectB();
    launch();
    writeState("project-b");
    mac.advance(1);
    delegate->stopTracking();
    newLogLines();
    mac.mac().activate("com.openai.codex");
    mac.advance(1);
    for (const std::string& line : newLogLines())
        EXPECT_NE(line.rfind("key-posted", 0), 0u) << line;
}

TEST_F(SwitchingEdgesTest, ADesktopThatIsGoneFallsBackToTheAssistantsScreenInTheRows)
{
    associateProjectB(99, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000099");
    launch();
    std::vector<OverviewProjectAssignment> rows = delegate->projectAssignments();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (OverviewProjectAssignment { "project-a", "A", {}, "~/src/a", false, false, std::nullopt }));
    EXPECT_EQ(rows[1], (OverviewProjectAssignment { "project-b", "B", { 1 }, "Projet local", false, true, 1 }));

    // Without the dedicated screen's desktops to stand in, the same association is only unavailable.
    mac.world().faults.spaces = sim::SpacesShape::null;
    delegate->refreshDesktopAssociations();
    rows = delegate->projectAssignments();
    EXPECT_EQ(rows[1], (OverviewProjectAssignment { "project-b", "B", {}, "Projet local", true, false, std::nullopt }));
}

TEST_F(SwitchingEdgesTest, OpeningAProjectOnlyOnTheAssistantsScreenFromTheOverviewOpensNothing)
{
    associateProjectB(1, mainDisplay, "AAAAAAAA-0000-0000-0000-000000000001");
    launch();
    std::optional<MissionControlResult> answer;
    delegate->openProjectFromOverview("project-b", [&](MissionControlResult result) { answer = result; });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->kind(), MissionControlResult::Kind::cancelled) << "without the action lock";

    ASSERT_TRUE(delegate->windowOverview->beginAction());
    newLogLines();
    answer.reset();
    delegate->openProjectFromOverview("project-b", [&](MissionControlResult result) { answer = result; });
    mac.advance(2);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->kind(), MissionControlResult::Kind::failed);
    EXPECT_EQ(answer->message(),
        "Aucun bureau de ce projet n’est disponible. Rebranche son écran ou affecte une fenêtre à un écran.");
    for (const std::string& line : newLogLines())
        EXPECT_NE(line.rfind("key-posted", 0), 0u) << line;
    delegate->windowOverview->endAction();
}

TEST_F(SwitchingEdgesTest, OpeningFromTheOverviewWithUnreadableDesktopsOrWithoutAccessibilityIsRefused)
{
    associateProjectB(12, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000012");
    launch();
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    std::optional<MissionControlResult> answer;
    auto open = [&] {
        answer.reset();
        newLogLines();
        delegate->openProjectFromOverview("project-b", [&](MissionControlResult result) { answer = result; });
        mac.advance(3);
        return answer ? answer->message() : std::string("<no answer>");
    };
    mac.world().faults.spaces = sim::SpacesShape::null;
    EXPECT_EQ(open(), "Impossible de vérifier les bureaux après leur modification. Actualise la liste.");
    mac.world().faults.spaces = sim::SpacesShape::wellFormed;
    // A switch the checks before it refuse is not tried.
    mac.world().permissions.accessibility = false;
    std::vector<MissionControlResult> answers;
    newLogLines();
    delegate->openProjectFromOverview("project-b", [&](MissionControlResult result) { answers.push_back(result); });
    mac.advance(3);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].kind(), MissionControlResult::Kind::failed);
    EXPECT_EQ(answers[0].message(), "Autorise Pellamor dans les réglages Accessibilité de macOS, puis reviens ici.");
    for (const std::string& line : newLogLines())
        EXPECT_NE(line.rfind("key-posted", 0), 0u) << line;
    mac.world().permissions.accessibility = true;

    EXPECT_EQ(open(), "");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->kind(), MissionControlResult::Kind::sent);
    delegate->windowOverview->endAction();
}

TEST_F(SwitchingEdgesTest, ASwitchFromTheOverviewAnswersOnceWhenItFailsOrTheAppQuits)
{
    mac.world().faults.switchDelivery = sim::SwitchDelivery::never;
    associateProjectB(12, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000012");
    launch();
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    std::vector<MissionControlResult> answers;
    delegate->openProjectFromOverview("project-b", [&](MissionControlResult result) { answers.push_back(result); });
    mac.advance(4);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].kind(), MissionControlResult::Kind::failed);
    EXPECT_EQ(answers[0].message(), "macOS n’a pas confirmé le changement de bureau. Le suivi a été arrêté.");
    delegate->windowOverview->endAction();

    // Quitting mid-switch answers once, cancelled.
    mac.world().faults.switchDelivery = sim::SwitchDelivery::normal;
    mac.world().faults.switchDelay = 1;
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    answers.clear();
    delegate->openProjectFromOverview("project-b", [&](MissionControlResult result) { answers.push_back(result); });
    mac.advance(0.2);
    delegate->applicationWillTerminate();
    mac.advance(2);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].kind(), MissionControlResult::Kind::cancelled);
}

TEST_F(SwitchingEdgesTest, RemovingTheUnavailableAssociationsKeepsTheOthers)
{
    associateProjectB({ { 12, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000012" },
        { 21, thirdDisplay, "CCCCCCCC-0000-0000-0000-000000000021" } });
    launch();
    std::vector<std::optional<std::string>> answers;
    auto keep = [&](std::optional<std::string> message) { answers.push_back(message); };
    const std::string changed = "Le projet ou le bureau a changé. Actualise la liste puis réessaie.";
    delegate->removeUnavailableProject("project-b", keep);
    EXPECT_EQ(answers.back(), changed) << "without the action lock";

    ASSERT_TRUE(delegate->windowOverview->beginAction());
    delegate->removeUnavailableProject("project-z", keep);
    EXPECT_EQ(answers.back(), changed) << "an unknown project";
    mac.world().faults.spaces = sim::SpacesShape::null;
    delegate->removeUnavailableProject("project-b", keep);
    EXPECT_EQ(answers.back(), changed) << "unreadable desktops";
    EXPECT_EQ(delegate->desktopAssociations.targets["project-b"].size(), 2u);

    mac.world().faults.spaces = sim::SpacesShape::wellFormed;
    delegate->removeUnavailableProject("project-b", keep);
    EXPECT_EQ(answers.back(), std::nullopt);
    EXPECT_EQ(status(), "Associations indisponibles retirées. Les autres bureaux du projet sont conservés.");
    ASSERT_EQ(delegate->desktopAssociations.targets["project-b"].size(), 1u);
    EXPECT_EQ(delegate->desktopAssociations.targets["project-b"].front().spaceID, 12u);
    Lookup<PlistData> stored = defaults().data(desktopIdentitiesKey);
    ASSERT_TRUE(stored);
    auto decoded = ProjectDesktopAssociations::decode(std::string(stored->begin(), stored->end()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->targets["project-b"].size(), 1u) << "written as shown";

    delegate->removeUnavailableProject("project-b", keep);
    EXPECT_EQ(answers.back(), "L’affectation de ce projet a changé. Actualise la liste.") << "nothing left to remove";
    delegate->windowOverview->endAction();
}

TEST_F(SwitchingEdgesTest, APartlyAvailableProjectOpensWhatItHasWithTheAssistantsScreenStandingIn)
{
    associateProjectB({ { 12, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000012" },
        { 21, thirdDisplay, "CCCCCCCC-0000-0000-0000-000000000021" } });
    launch();
    ASSERT_TRUE(delegate->isEnabled);
    writeState("project-b");
    mac.advance(1);
    EXPECT_TRUE(contains(newLogLines(), switchedToB));
    EXPECT_EQ(status(), "B → Bureaux 3. Écran de Codex en secours pour les associations indisponibles.");
}

TEST_F(SwitchingEdgesTest, DesktopsOnTwoContentScreensAreAllOpenedAndNamed)
{
    mac.world().displays.push_back(
        desktopDisplay(thirdDisplay, 3, "Troisième écran", QRectF(3360, 0, 1920, 1080), "CCCCCCCC", { 21, 22 }));
    associateProjectB({ { 12, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000012" },
        { 22, thirdDisplay, "CCCCCCCC-0000-0000-0000-000000000022" } });
    launch();
    ASSERT_TRUE(delegate->isEnabled);
    newLogLines();
    writeState("project-b");
    mac.advance(2);
    std::vector<std::string> lines = newLogLines();
    EXPECT_TRUE(contains(lines, switchedToB));
    EXPECT_TRUE(contains(lines, "current-space display=" + thirdDisplay + " space=22"));
    EXPECT_EQ(status(), "B → Bureaux 3, 5 : bureaux ouverts.");
}

TEST_F(SwitchingEdgesTest, AScreenChangeThatBlocksSwitchingStopsItWithTheReason)
{
    ShellFixture::associateProjectB();
    launch();
    ASSERT_TRUE(delegate->isEnabled);
    Label* band = delegate->windowOverview->setupView()->trackingState();
    EXPECT_EQ(band->text(), "Activé");
    mac.world().permissions.accessibility = false;
    mac.mac().defaultCenter().post("AssistantScreenConfigurationChanged");
    EXPECT_FALSE(delegate->isEnabled);
    EXPECT_FALSE(delegate->toggle->isOn());
    EXPECT_EQ(band->text(), "En pause") << "the windows tab's band follows";
    EXPECT_EQ(status(), "Suivi arrêté. Autorise Pellamor dans les réglages Accessibilité de macOS, puis reviens ici.");
    EXPECT_EQ(delegate->statusLabel->colorRole(), ColorRole::red);
    EXPECT_TRUE(delegate->desktopAssociations.targets.count("project-b"));

    // Once allowed again, the next change does not restart it: the automatic start happens once a launch.
    mac.world().permissions.accessibility = true;
    mac.mac().defaultCenter().post("AssistantScreenConfigurationChanged");
    EXPECT_FALSE(delegate->isEnabled);
}

} // namespace
} // namespace pellamor::test

namespace pellamor::test {
namespace {

class StartProblemTest : public ShellFixture { };

TEST_F(StartProblemTest, WithoutAccessibilityTheSheetOffersToAskForIt)
{
    mac.world().permissions.accessibility = false;
    associateProjectB();
    launch();
    EXPECT_FALSE(delegate->isEnabled);
    EXPECT_EQ(delegate->requirementLabel->text(), "Autorisation nécessaire pour ouvrir les bureaux associés.");
    QTest::mouseClick(delegate->toggle.data(), Qt::LeftButton);
    auto* sheet = qobject_cast<AlertSheet*>(SheetHost::attachedSheet(delegate->window.get()));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->alert().informativeText,
        "Autorise Pellamor dans les réglages Accessibilité de macOS, puis reviens ici.");
    ASSERT_EQ(sheet->alert().buttons.size(), 3u);
    newLogLines();
    sheet->respond(alertFirstButtonReturn + 1);
    std::vector<std::string> lines = newLogLines();
    EXPECT_TRUE(std::any_of(
        lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("open-url", 0) == 0; }));
    EXPECT_EQ(status(),
        "Dans Accessibilité, active Pellamor, puis reviens ici. L’autorisation sera reconnue automatiquement.");
    EXPECT_FALSE(delegate->toggle->isOn());
}

TEST_F(StartProblemTest, ARefusedPressOfTheSwitchLeavesTheStartToTheUser)
{
    mac.world().permissions.accessibility = false;
    associateProjectB();
    launch();
    QTest::mouseClick(delegate->toggle.data(), Qt::LeftButton);
    auto* sheet = qobject_cast<AlertSheet*>(SheetHost::attachedSheet(delegate->window.get()));
    ASSERT_NE(sheet, nullptr);
    sheet->respond(alertFirstButtonReturn);
    mac.world().permissions.accessibility = true;
    mac.mac().defaultCenter().post("AssistantScreenConfigurationChanged");
    mac.advance(1);
    EXPECT_FALSE(delegate->isEnabled) << "only the user's switch starts it now";
    EXPECT_FALSE(delegate->toggle->isOn());
}

} // namespace
} // namespace pellamor::test
