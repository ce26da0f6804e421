// Preparing a project's screen, cleaning up the desktops created for it, and the resets, through the delegate
// on the simulated Mac.
#include "app/ProjectAssignmentReset.h"
#include "app/ScriptDrive.h"
#include "app/StoredAssociations.h"
#include "e2e/ShellFixture.h"
#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "platform/Platform.h"
#include "platform/SkyLight.h"
#include "setup/ProjectDesktopSetupView.h"
#include "setup/WindowDragType.h"
#include "sim/MissionControl.h"
#include "sim/SymbolTable.h"
#include "sim/WindowServer.h"
#include "ui/Alert.h"
#include "ui/DraggingInfo.h"
#include "ui/SwitchControl.h"
#include "ui/SymbolButton.h"
#include "ui/Label.h"
#include "ui/SheetHost.h"
#include "windows/WindowSpaceRuntime.h"

#include <QCoreApplication>

#include <sstream>

namespace pellamor {
namespace {

using test::contentDisplay;

class DesktopManagementFlowTest : public test::ShellFixture {
protected:
    std::ostringstream script;

    void setContentDesktops(std::vector<std::uint64_t> spaces)
    {
        mac.world().displays[1] = test::desktopDisplay(
            contentDisplay, 2, "Écran de contenu", QRectF(1440, 0, 1920, 1080), "BBBBBBBB", std::move(spaces));
    }

    // A Finder window on each of these desktops.
    void occupy(std::vector<std::uint64_t> spaces)
    {
        for (std::uint64_t space : spaces) {
            sim::Window window;
            window.number = std::uint32_t(5000 + space);
            window.pid = 200;
            window.frame = QRectF(1500, 100, 600, 400);
            window.spaces = { space };
            mac.world().windows.push_back(window);
        }
    }

    std::string prepare(const std::string& project, const std::string& display = contentDisplay, double wait = 5)
    {
        script.str("");
        ScriptDrive::prepareDisplay(*delegate, project, display, script);
        mac.advance(wait);
        return script.str();
    }

    std::vector<std::uint64_t> contentSpaces() const
    {
        std::vector<std::uint64_t> ids;
        for (const auto& space : const_cast<test::TestMac&>(mac).world().displays[1].spaces)
            ids.push_back(space.id);
        return ids;
    }

    ProjectManagedDesktops storedManagedDesktops()
    {
        Lookup<PlistData> data = defaults().data(managedDesktopsKey);
        if (!data)
            return {};
        return ProjectManagedDesktops::decode(std::string(data->begin(), data->end())).value_or(ProjectManagedDesktops {});
    }

    AlertSheet* alert() { return qobject_cast<AlertSheet*>(SheetHost::attachedSheet(delegate->window.get())); }

    // Zed's window 61 on desktop 1, dropped from the windows tab on the content screen for project A.
    void dropZedOnTheContentScreen()
    {
        mac.world().applications.push_back(
            { 600, "com.example.zed", "Zed", "/Applications/Zed.app", ActivationPolicy::regular, 1.7e9 });
        sim::Window zed;
        zed.number = 61;
        zed.pid = 600;
        zed.frame = QRectF(100, 40, 700, 500);
        zed.spaces = { 1 };
        mac.world().windows.push_back(zed);
        launch();
        selectTab(delegate->tabs, "windows");
        WindowOverviewView& overview = *delegate->windowOverview;
        overview.setupView()->commitProjectSelection("project-a");
        QCoreApplication::sendPostedEvents();
        mac.advance(0.1);
        ASSERT_FALSE(overview.cards(61).empty());
        WindowThumbnail* card = overview.cards(61).back();
        DraggingInfo info;
        info.types = { QString::fromLatin1(windowDragType) };
        info.source = card;
        std::string content = overview.token() + ":61:" + std::to_string(card->source());
        info.stringForType = [content](const QString&) -> std::optional<std::string> { return content; };
        mac.settingsFile().failSaves = true;
        ASSERT_TRUE(overview.setupView()->canDropOnDisplay(info, contentDisplay));
        overview.setupView()->onDropOnDisplay(info, contentDisplay);
        mac.advance(5);
    }
    // Switching on for project B; every content desktop taken and Mission Control refusing the press.
    void launchSwitchingWhereNoDesktopCanBeMade()
    {
        occupy({ 11, 12 });
        associateProjectB();
        mac.world().faults.missionControl.pressRefused = true;
        launch();
        ASSERT_TRUE(delegate->isEnabled);
    }
    // Project B's content screen prepared with every desktop of it taken, Mission Control's change landing
    // `changeDelay` seconds after the press: the creation gives up unconfirmed, and the watch starts.
    void giveUpALateCreation(double changeDelay)
    {
        occupy({ 11, 12 });
        mac.world().faults.missionControl.changeDelay = changeDelay;
        launch();
        EXPECT_EQ(
            prepare("project-b").rfind("app: display-refused project=project-b message=macOS n’a pas confirmé", 0),
            0u);
    }
    // The content screen plugged back in, holding a desktop of its own.
    void reconnectContentDisplay()
    {
        mac.mac().connectDisplay(test::desktopDisplay(
            contentDisplay, 2, "Écran de contenu", QRectF(1440, 0, 1920, 1080), "BBBBBBBB", { 40 }));
    }
    // Project B's content screen prepared, Mission Control shown and its add button pressed once usable.
    void pressAddForProjectB()
    {
        ScriptDrive::prepareDisplay(*delegate, "project-b", contentDisplay, script);
        while (!mac.mac().missionControl().isShown())
            mac.advance(0.1);
        mac.advance(0.5);
    }
    std::vector<std::uint64_t> zedSpaces() { return mac.mac().window(61)->spaces; }
    bool statusIsRed() { return delegate->windowOverview->setupView()->status()->colorRole() == ColorRole::red; }
};

TEST_F(DesktopManagementFlowTest, AnAssignmentTheSettingsDoNotTakeIsUndoneAndTheDropSaysSo)
{
    dropZedOnTheContentScreen();
    ASSERT_EQ(zedSpaces().size(), 1u);
    EXPECT_NE(zedSpaces().front(), 1u) << "the window stays where it was moved";
    WindowOverviewView& overview = *delegate->windowOverview;
    EXPECT_EQ(overview.statusMessage(),
        "La fenêtre a été déplacée, mais l’affectation au projet a échoué. Les réglages n’ont pas pu être "
        "enregistrés. L’affectation précédente est conservée. La position d’origine de cette fenêtre n’a pas pu être "
        "enregistrée dans les réglages.");
    EXPECT_TRUE(statusIsRed());
    EXPECT_FALSE(delegate->desktopAssociations.targets.count("project-a")) << "memory holds what the file holds";
    EXPECT_FALSE(readStoredAssociations(defaults()).associations.targets.count("project-a"));
    EXPECT_EQ(overview.returnOrigins().entries().size(), 1u) << "kept for the return while the app runs";

    // The next write of the settings does not store the undone assignment either.
    mac.settingsFile().failSaves = false;
    defaults().set("unrelated", true);
    StoredAssociations restarted = readStoredAssociations(*mac.defaultsAfterRestart());
    EXPECT_FALSE(restarted.invalid);
    EXPECT_FALSE(restarted.associations.targets.count("project-a"));
    EXPECT_TRUE(mac.defaultsAfterRestart()->data(WindowReturnOrigins::defaultsKey)) << "the origin is written with it";
}

TEST_F(DesktopManagementFlowTest, ACreatedDesktopTheSettingsDoNotTakeTakesNoWindowAndIsStillCleanedUp)
{
    occupy({ 11, 12 });
    dropZedOnTheContentScreen();
    ASSERT_EQ(contentSpaces().size(), 3u) << "a desktop was created";
    EXPECT_EQ(zedSpaces(), std::vector<std::uint64_t> { 1 });
    EXPECT_EQ(delegate->windowOverview->statusMessage(),
        "Les réglages n’ont pas pu être enregistrés. Le bureau créé pour cet écran sera retiré s’il reste vide.");
    EXPECT_TRUE(statusIsRed());
    ASSERT_EQ(delegate->managedDesktops.entries.size(), 1u) << "kept in memory for the cleanup";
    EXPECT_FALSE(mac.defaultsAfterRestart()->objectExists(managedDesktopsKey));

    mac.advance(5);
    mac.advance(5);
    mac.advance(3);
    EXPECT_EQ(contentSpaces().size(), 2u) << "the cleanup removed it";
}

TEST_F(DesktopManagementFlowTest, AScreenIsPreparedWithAnEmptyDesktopElseANewOne)
{
    occupy({ 11 });
    launch();
    EXPECT_EQ(prepare("project-a"),
        "app: display-prepared project=project-a display=" + contentDisplay + " space=12 created=false\n");
    EXPECT_FALSE(delegate->isExecuting) << "the lock is given back";

    // Every desktop of the screen is taken now: a new one is made through Mission Control and recorded.
    occupy({ 12 });
    newLogLines();
    std::string answer = prepare("project-b");
    ASSERT_EQ(contentSpaces().size(), 3u);
    std::uint64_t created = contentSpaces().back();
    EXPECT_EQ(answer, "app: display-prepared project=project-b display=" + contentDisplay + " space="
            + std::to_string(created) + " created=true\n");
    std::vector<std::string> lines = newLogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                  "space-added display=" + contentDisplay + " space=" + std::to_string(created)),
        lines.end());
    ProjectManagedDesktops stored = storedManagedDesktops();
    ASSERT_EQ(stored.entries.size(), 1u);
    EXPECT_EQ(stored.entries[0].projectID, "project-b");
    EXPECT_EQ(stored.entries[0].identity.spaceID, created);
}

TEST_F(DesktopManagementFlowTest, UnreadableStoredAssociationsRefuseWithTheirOwnText)
{
    defaults().set(desktopIdentitiesKey, "pas des données");
    launch();
    EXPECT_EQ(prepare("project-a"),
        "app: display-refused project=project-a message=Les associations enregistrées sont illisibles. Elles sont "
        "conservées ; ferme puis relance l’app.\n");
    EXPECT_FALSE(delegate->isExecuting);
}

// The window server lists the main window like any other; shown on every desktop, it keeps none occupied,
// not even the desktop of the screen it was taken to.
TEST_F(DesktopManagementFlowTest, TheMainWindowOnEveryDesktopLeavesTheEmptyOneToReuse)
{
    occupy({ 12 });
    launch();
    std::optional<OwnWindowAttributes> declared = mac.mac().windowServer().ownWindowAttributes(delegate->window.get());
    ASSERT_TRUE(declared);
    EXPECT_EQ(declared->level, normalWindowLevel);
    EXPECT_EQ(declared->collectionBehavior, 0x40125u);
    delegate->window->move(1600, 100);
    std::shared_ptr<WindowSpaceRuntime> runtime = WindowSpaceRuntime::make();
    std::optional<std::vector<std::uint32_t>> onCurrent = runtime->windowsInSpace(11);
    ASSERT_TRUE(onCurrent && onCurrent->size() == 1u) << "the main window is listed";
    EXPECT_EQ(*platform().windowList().createDescriptions(*onCurrent)->front().find(windowKey::ownerPID)->asInteger(),
        Platform::processIdentifier());
    EXPECT_EQ(prepare("project-a"),
        "app: display-prepared project=project-a display=" + contentDisplay + " space=11 created=false\n");
}

// The window server can fail to list the desktops at any moment: a list that cannot be read once the screen's
// desktop is chosen hands nothing over.
TEST_F(DesktopManagementFlowTest, DesktopsUnreadableAsTheChosenOneIsHandedOverCancelThePreparation)
{
    auto original = platform()
                        .frameworks()
                        .open(skylight::frameworkPath)
                        ->function<skylight::CopyManagedDisplaySpaces>("SLSCopyManagedDisplaySpaces");
    mac.mac().symbolTable().add(skylight::frameworkPath, "SLSCopyManagedDisplaySpaces",
        std::function<skylight::CopyManagedDisplaySpaces>([&](skylight::ConnectionID connection) {
            bool choosing = delegate && delegate->displayPreparationRequest && !delegate->pendingDisplayPreparation;
            return choosing ? std::optional<PlistValue>() : original(connection);
        }));
    associateProjectB();
    launch();
    EXPECT_EQ(prepare("project-b"), "app: display-refused project=project-b message=Action annulée.\n");
    EXPECT_FALSE(delegate->isExecuting) << "the lock is given back";
    EXPECT_FALSE(delegate->pendingDisplayPreparation);
}

TEST_F(DesktopManagementFlowTest, TheNinthDesktopIsTakenButNoneIsMadePastIt)
{
    setContentDesktops({ 11, 12, 13, 14, 15, 16, 17, 18 });
    occupy({ 11, 12, 13, 14, 15, 16, 17 });
    launch();
    EXPECT_EQ(prepare("project-b"),
        "app: display-prepared project=project-b display=" + contentDisplay + " space=18 created=false\n");
    occupy({ 18 });
    EXPECT_EQ(prepare("project-a"),
        "app: display-refused project=project-a message=" + messageKey(ProjectDisplayWorkspaceError::desktopLimit)
            + "\n");
    EXPECT_EQ(contentSpaces().size(), 8u);
}

TEST_F(DesktopManagementFlowTest, TheAssistantsScreenIsRefusedWithItsText)
{
    launch();
    EXPECT_EQ(prepare("project-a", test::mainDisplay),
        "app: display-refused project=project-a message=Cet écran est réservé à Codex. Dépose la fenêtre sur un "
        "autre écran.\n");
    EXPECT_EQ(mac.world().displays[0].spaces.size(), 1u);
}

TEST_F(DesktopManagementFlowTest, WithoutSeparateSpacesNoScreenIsPrepared)
{
    occupy({ 11, 12 });
    mac.world().separateSpaces = false;
    launch();
    EXPECT_EQ(prepare("project-a"),
        "app: display-refused project=project-a message=Les écrans ont changé. Réessaie le déplacement.\n");
    EXPECT_EQ(contentSpaces().size(), 2u) << "no desktop made";
    EXPECT_TRUE(storedManagedDesktops().entries.empty());
}

TEST_F(DesktopManagementFlowTest, ASecondPreparationMakesTheFirstStaleButItsDesktopIsStillRecorded)
{
    occupy({ 11, 12 });
    launch();
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    std::vector<std::optional<std::string>> answers;
    auto keep = [&](std::optional<ProjectDisplayPreparation>, std::optional<std::string> message) {
        answers.push_back(message);
    };
    delegate->prepareProjectDisplay("project-a", contentDisplay, keep);
    mac.advance(0.2);
    delegate->prepareProjectDisplay("project-b", contentDisplay, keep);
    mac.advance(5);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0], "Une modification des bureaux est déjà en cours.") << "the second asked while the first ran";
    EXPECT_EQ(answers[1], "Action annulée.");
    ASSERT_EQ(contentSpaces().size(), 3u);
    ProjectManagedDesktops stored = storedManagedDesktops();
    ASSERT_EQ(stored.entries.size(), 1u) << "recorded so that the cleanup can remove it";
    EXPECT_EQ(stored.entries[0].projectID, "project-a");
    delegate->windowOverview->endAction();
}

// A commit on a preparation whose desktop has gone since is refused once, and nothing is assigned.
TEST_F(DesktopManagementFlowTest, ACommitOnADesktopGoneSinceItsPreparationIsRefusedOnce)
{
    occupy({ 11 });
    launch();
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    std::optional<ProjectDisplayPreparation> prepared;
    delegate->prepareProjectDisplay("project-a", contentDisplay,
        [&](std::optional<ProjectDisplayPreparation> preparation, std::optional<std::string>) { prepared = preparation; });
    ASSERT_TRUE(prepared);
    ASSERT_EQ(prepared->desktop.spaceID, 12u);
    setContentDesktops({ 11 });
    std::vector<std::optional<std::string>> answers;
    delegate->commitProjectDisplay(*prepared, [&](std::optional<std::string> failure) { answers.push_back(failure); });
    mac.advance(1);
    EXPECT_EQ(answers, (std::vector<std::optional<std::string>> {
                           "La fenêtre a été déplacée, mais le projet n’a pas pu être associé à cet écran." }));
    EXPECT_FALSE(delegate->desktopAssociations.targets.count("project-a"));
    delegate->windowOverview->endAction();
}

// Mission Control's change comes with a new desktop on the assistant's screen: the creation cannot be confirmed,
// yet the content screen's one new desktop is the project's, recorded for the cleanup.
TEST_F(DesktopManagementFlowTest, ADesktopMadeWhileAnotherAppearsIsStillRecorded)
{
    occupy({ 11, 12 });
    mac.world().faults.missionControl.unrelatedChange = true;
    launch();
    EXPECT_EQ(prepare("project-b"),
        "app: display-refused project=project-b message=La liste des bureaux a changé pendant la création. Actualise "
        "pour vérifier le résultat.\n");
    ASSERT_EQ(contentSpaces().size(), 3u);
    ProjectManagedDesktops stored = storedManagedDesktops();
    ASSERT_EQ(stored.entries.size(), 1u);
    EXPECT_EQ(stored.entries[0].projectID, "project-b");
    EXPECT_EQ(stored.entries[0].identity.spaceID, contentSpaces().back());
    EXPECT_FALSE(delegate->isExecuting);
}

// A screen connected just after the press, and Mission Control's change landing only after the creation gave up.
TEST_F(DesktopManagementFlowTest, ADesktopThatAppearsAfterTheCreationGaveUpIsStillRecorded)
{
    occupy({ 11, 12 });
    mac.world().faults.missionControl.changeDelay = 2;
    launch();
    ScriptDrive::prepareDisplay(*delegate, "project-b", contentDisplay, script);
    while (!mac.mac().missionControl().isShown())
        mac.advance(0.1);
    mac.advance(1); // pressed once the button became usable
    mac.mac().connectDisplay(test::desktopDisplay(
        "33333333-3333-3333-3333-333333333333", 3, "Projecteur", QRectF(3360, 0, 1280, 720), "CCCCCCCC", { 21 }));
    mac.advance(0.5);
    EXPECT_EQ(script.str(),
        "app: display-refused project=project-b message=La liste des bureaux a changé pendant la création. Actualise "
        "pour vérifier le résultat.\n");
    ASSERT_EQ(contentSpaces().size(), 2u) << "not there yet";
    mac.advance(2);
    ASSERT_EQ(contentSpaces().size(), 3u);
    ProjectManagedDesktops stored = storedManagedDesktops();
    ASSERT_EQ(stored.entries.size(), 1u);
    EXPECT_EQ(stored.entries[0].identity.spaceID, contentSpaces().back());

    // Unconfirmed once the confirmation window passed; the change lands a little later.
    occupy({ contentSpaces().back() });
    mac.world().faults.missionControl.changeDelay = 5;
    EXPECT_EQ(prepare("project-a", contentDisplay, 5),
        "app: display-refused project=project-a message=macOS n’a pas confirmé la création. Actualise pour vérifier "
        "les bureaux.\n");
    ASSERT_EQ(contentSpaces().size(), 3u);
    mac.advance(2);
    ASSERT_EQ(contentSpaces().size(), 4u);
    stored = storedManagedDesktops();
    ASSERT_EQ(stored.entries.size(), 2u);
    EXPECT_EQ(stored.entries[1].projectID, "project-a");
    EXPECT_EQ(stored.entries[1].identity.spaceID, contentSpaces().back());
}

// Only Mission Control's own change is taken for the project's: neither one that lands long after the creation
// gave up, nor a desktop the user adds before the press.
TEST_F(DesktopManagementFlowTest, ADesktopTheCreationCannotHaveMadeIsNotRecorded)
{
    giveUpALateCreation(20);
    mac.advance(20);
    ASSERT_EQ(contentSpaces().size(), 3u);
    EXPECT_TRUE(storedManagedDesktops().entries.empty());

    occupy({ contentSpaces().back() });
    script.str("");
    ScriptDrive::prepareDisplay(*delegate, "project-a", contentDisplay, script);
    mac.advance(0.2);
    mac.mac().addSpace(contentDisplay, 3);
    mac.advance(10);
    EXPECT_EQ(script.str().rfind("app: display-refused project=project-a message=La liste des bureaux a changé.", 0), 0u)
        << script.str();
    EXPECT_EQ(contentSpaces().size(), 4u);
    EXPECT_TRUE(storedManagedDesktops().entries.empty());
}

// The display comes back with a desktop of a new id, as macOS may give it: that one is the display's own.
TEST_F(DesktopManagementFlowTest, ADisplayThatComesBackDuringTheWatchBringsNoCreatedDesktop)
{
    giveUpALateCreation(30);
    mac.mac().disconnectDisplay(contentDisplay);
    mac.advance(0.2);
    reconnectContentDisplay();
    mac.advance(10);
    EXPECT_TRUE(storedManagedDesktops().entries.empty());
}

// The asked display leaves before the creation gives up, the usual order since its leaving is what makes the
// creation fail, and comes back with a desktop of its own; Mission Control's change lands 6 s after the press.
class DisplayLeavingDuringACreationTest : public DesktopManagementFlowTest,
                                          public ::testing::WithParamInterface<std::pair<double, double>> { };

TEST_P(DisplayLeavingDuringACreationTest, BringsBackNoCreatedDesktop)
{
    auto [gone, back] = GetParam();
    occupy({ 11, 12 });
    mac.world().faults.missionControl.changeDelay = 6;
    launch();
    pressAddForProjectB();
    mac.advance(gone);
    mac.mac().disconnectDisplay(contentDisplay);
    mac.advance(back);
    EXPECT_EQ(script.str(),
        "app: display-refused project=project-b message=La liste des bureaux a changé pendant la création. Actualise "
        "pour vérifier le résultat.\n");
    reconnectContentDisplay();
    mac.advance(15);
    EXPECT_EQ(contentSpaces().size(), 2u) << "its own desktop, then Mission Control's";
    EXPECT_TRUE(delegate->managedDesktops.entries.empty());
    EXPECT_TRUE(storedManagedDesktops().entries.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Timings, DisplayLeavingDuringACreationTest, ::testing::Values(std::pair(1.5, 0.5), std::pair(2.5, 1.0)));

// The watch ends with the app: Mission Control's change landing while it quits is not taken for the project's.
TEST_F(DesktopManagementFlowTest, ALateCreationLandingAsTheAppQuitsIsNotRecorded)
{
    giveUpALateCreation(6);
    ASSERT_EQ(contentSpaces().size(), 2u) << "not there yet";
    delegate->applicationWillTerminate();
    mac.advance(10);
    ASSERT_EQ(contentSpaces().size(), 3u);
    EXPECT_TRUE(storedManagedDesktops().entries.empty());
}

// The display's desktops are replaced while the watch runs, the system reporting the screen change before the
// new desktop list, or after it.
class DesktopsReplacedDuringTheWatchTest : public DesktopManagementFlowTest,
                                           public ::testing::WithParamInterface<bool> { };

TEST_P(DesktopsReplacedDuringTheWatchTest, LeaveNothingRecorded)
{
    bool screenChangeFirst = GetParam();
    giveUpALateCreation(30);
    if (screenChangeFirst)
        mac.mac().defaultCenter().post(screenParametersChangedNotification);
    setContentDesktops({ 40 });
    mac.advance(0.7);
    if (!screenChangeFirst)
        mac.mac().defaultCenter().post(screenParametersChangedNotification);
    mac.advance(10);
    EXPECT_TRUE(storedManagedDesktops().entries.empty());
}

INSTANTIATE_TEST_SUITE_P(Orders, DesktopsReplacedDuringTheWatchTest, ::testing::Bool());

// Mission Control's change lands 7 s after the press and someone adds a desktop on that display 1 s after the
// creation gave up: neither can be told to be the created one, so the first, taken for it, is given up again.
TEST_F(DesktopManagementFlowTest, ADesktopAddedBesideALateCreationIsNotTakenForIt)
{
    occupy({ 11, 12 });
    mac.world().faults.missionControl.changeDelay = 7;
    launch();
    pressAddForProjectB();
    while (script.str().empty())
        mac.advance(0.1);
    EXPECT_EQ(script.str().rfind("app: display-refused project=project-b message=macOS n’a pas confirmé", 0), 0u);
    mac.advance(1);
    mac.mac().addSpace(contentDisplay, 2);
    mac.advance(15);
    EXPECT_EQ(contentSpaces().size(), 4u);
    EXPECT_TRUE(delegate->managedDesktops.entries.empty());
    EXPECT_TRUE(storedManagedDesktops().entries.empty());
}

// The window moved there occupies the desktop chosen for being empty: the commit still stands, but only for
// the preparation in force and a desktop no other project took meanwhile.
TEST_F(DesktopManagementFlowTest, ACommitStandsOnTheDesktopTheMovedWindowNowOccupies)
{
    launch();
    selectTab(delegate->tabs, "windows");
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    std::optional<ProjectDisplayPreparation> prepared;
    delegate->prepareProjectDisplay("project-a", contentDisplay,
        [&](std::optional<ProjectDisplayPreparation> preparation, std::optional<std::string>) { prepared = preparation; });
    ASSERT_TRUE(prepared && prepared->requiresEmpty);
    occupy({ prepared->desktop.spaceID });
    ProjectDisplayPreparation stale = *prepared;
    stale.token = UUID::random();
    std::optional<std::string> committed = "not called";
    delegate->commitProjectDisplay(stale, [&](std::optional<std::string> message) { committed = message; });
    const std::string refused = "La fenêtre a été déplacée, mais le projet n’a pas pu être associé à cet écran.";
    EXPECT_EQ(committed, refused);
    EXPECT_FALSE(delegate->desktopAssociations.targets.count("project-a"));

    delegate->desktopAssociations.targets["project-b"] = { ProjectDesktopAssociation(prepared->desktop) };
    delegate->commitProjectDisplay(*prepared, [&](std::optional<std::string> message) { committed = message; });
    EXPECT_EQ(committed, refused) << "given to B meanwhile";
    EXPECT_FALSE(delegate->desktopAssociations.targets.count("project-a"));
    delegate->desktopAssociations.targets.erase("project-b");

    delegate->commitProjectDisplay(*prepared, [&](std::optional<std::string> message) { committed = message; });
    EXPECT_FALSE(committed) << *committed;
    ASSERT_TRUE(delegate->desktopAssociations.targets.count("project-a"));
    EXPECT_EQ(delegate->desktopAssociations.targets["project-a"].front().spaceID, prepared->desktop.spaceID);
    // The overview draws from the associations as they stand after the commit.
    auto rows = delegate->projectAssignments();
    auto row = std::find_if(rows.begin(), rows.end(), [](const auto& each) { return each.id == "project-a"; });
    ASSERT_NE(row, rows.end());
    EXPECT_EQ(row->desktops, std::vector<int> { prepared->desktop.spaceID == 11 ? 2 : 3 });
    mac.advance(0.1);
    const std::vector<OverviewProjectAssignment>& shown = delegate->windowOverview->projectSnapshot();
    auto shownRow = std::find_if(shown.begin(), shown.end(), [](const auto& each) { return each.id == "project-a"; });
    ASSERT_NE(shownRow, shown.end());
    EXPECT_EQ(shownRow->desktops, std::vector<int> { prepared->desktop.spaceID == 11 ? 2 : 3 }) << "the windows tab too";

    delegate->windowOverview->endAction();
}

// The first screen given to a project would start the switching as the action ends, unless the user opened
// the project's desktops by hand meanwhile.
TEST_F(DesktopManagementFlowTest, OpeningTheDesktopsByHandKeepsTheSwitchingOff)
{
    launch();
    ASSERT_FALSE(delegate->isEnabled);
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    std::optional<ProjectDisplayPreparation> prepared;
    delegate->prepareProjectDisplay("project-b", contentDisplay,
        [&](std::optional<ProjectDisplayPreparation> preparation, std::optional<std::string>) { prepared = preparation; });
    ASSERT_TRUE(prepared);
    std::optional<std::string> committed = "not called";
    delegate->commitProjectDisplay(*prepared, [&](std::optional<std::string> message) { committed = message; });
    ASSERT_FALSE(committed) << *committed;
    std::optional<MissionControlResult> opened;
    delegate->openProjectFromOverview("project-b", [&](MissionControlResult result) { opened = result; });
    mac.advance(3);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->kind(), MissionControlResult::Kind::sent) << opened->message();
    delegate->windowOverview->endAction();
    mac.advance(1);
    EXPECT_FALSE(delegate->isEnabled);
}

// The project the assistant shows once a desktop change ends, even a failed one, is where the switching starts from.
TEST_F(DesktopManagementFlowTest, AProjectChosenWhileADesktopIsMadeIsNotSwitchedTo)
{
    launchSwitchingWhereNoDesktopCanBeMade();
    ScriptDrive::prepareDisplay(*delegate, "project-a", contentDisplay, script);
    writeState("project-b");
    mac.advance(5);
    ASSERT_TRUE(delegate->isEnabled);
    EXPECT_EQ(mac.world().displays[1].current, 11u);
    writeState("project-a");
    mac.advance(1);
    writeState("project-b");
    mac.advance(1);
    EXPECT_EQ(mac.world().displays[1].current, 12u) << "a later choice still switches";
}

// A new desktop is made only when it can be recorded for the cleanup, and only under the action lock.
TEST_F(DesktopManagementFlowTest, NoDesktopIsMadeThatCouldNotBeRecorded)
{
    occupy({ 11, 12 });
    defaults().set(managedDesktopsKey, PlistData { 'x' });
    launch();
    const std::string cannot = "Impossible de préparer cet écran pour le moment. Actualise la liste puis réessaie.";
    std::optional<std::string> answer;
    delegate->prepareProjectDisplay("project-a", contentDisplay,
        [&](std::optional<ProjectDisplayPreparation>, std::optional<std::string> message) { answer = message; });
    EXPECT_EQ(answer, cannot) << "without the lock";
    EXPECT_EQ(prepare("project-a"), "app: display-refused project=project-a message=" + cannot + "\n");
    EXPECT_EQ(contentSpaces().size(), 2u);
    EXPECT_EQ(*defaults().data(managedDesktopsKey), PlistData { 'x' });
}

// An assignment made while switching is on is checked like the switch: a refusal stops the switching and says why.
TEST_F(DesktopManagementFlowTest, AnAssignmentThatTheSwitchingCannotServeStopsIt)
{
    associateProjectB();
    launch();
    ASSERT_TRUE(delegate->isEnabled);
    mac.world().permissions.postEvents = false;
    ScriptDrive::prepareDisplay(*delegate, "project-a", contentDisplay, script);
    EXPECT_EQ(script.str(), "app: display-prepared project=project-a display=" + contentDisplay + " space=11 created=false\n");
    EXPECT_FALSE(delegate->isEnabled);
    EXPECT_EQ(status(), "Choix enregistré. Suivi arrêté : Autorise Pellamor dans les réglages Accessibilité de macOS, "
                        "puis reviens ici.");
    EXPECT_EQ(delegate->statusLabel->colorRole(), ColorRole::red);
}

// A creation that failed on desktops that can no longer be read leaves nothing the switching could trust.
TEST_F(DesktopManagementFlowTest, AFailedCreationOnUnreadableDesktopsStopsTheSwitching)
{
    launchSwitchingWhereNoDesktopCanBeMade();
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    std::optional<std::string> answer;
    bool enabledWhenAnswered = true;
    delegate->prepareProjectDisplay("project-a", contentDisplay,
        [&](std::optional<ProjectDisplayPreparation>, std::optional<std::string> message) {
            answer = message;
            enabledWhenAnswered = delegate->isEnabled;
        });
    for (int step = 0; step < 50 && !mac.mac().missionControl().isShown(); ++step)
        mac.advance(0.05);
    mac.world().faults.spaces = sim::SpacesShape::null;
    mac.advance(5);
    EXPECT_EQ(answer, "L’action n’a pas pu être vérifiée. Le suivi est arrêté ; actualise la liste des bureaux.");
    EXPECT_FALSE(enabledWhenAnswered);
    delegate->windowOverview->endAction();
}

// A screen's creation that leaves the switching unable to serve its desktops stops it.
TEST_F(DesktopManagementFlowTest, AFailedCreationThatTheSwitchingCannotFollowStopsIt)
{
    launchSwitchingWhereNoDesktopCanBeMade();
    ScriptDrive::prepareDisplay(*delegate, "project-a", contentDisplay, script);
    mac.world().permissions.postEvents = false;
    mac.advance(5);
    EXPECT_FALSE(delegate->isEnabled);
    EXPECT_EQ(status(), "Suivi arrêté : Autorise Pellamor dans les réglages Accessibilité de macOS, puis reviens ici.");
}

// The cleanup: a desktop created for project A on the content screen, empty.
class ManagedCleanupTest : public DesktopManagementFlowTest {
protected:
    void SetUp() override
    {
        setContentDesktops({ 11, 12, 13 });
        occupy({ 11, 12 });
        ProjectManagedDesktops managed;
        managed.markCreated("project-a", { 13, 11, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000013" });
        std::string data = *managed.encodedData();
        defaults().set(managedDesktopsKey, PlistData(data.begin(), data.end()));
    }

    bool removed() { return contentSpaces().size() == 2; }
};

TEST_F(ManagedCleanupTest, RemovesACreatedDesktopThatStayedEmptyWhileTheUserIsIdle)
{
    ProjectDesktopAssociations store;
    store.targets["project-a"]
        = { ProjectDesktopAssociation { 13, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000013" } };
    std::string stored = *store.encodedData();
    defaults().set(desktopIdentitiesKey, PlistData(stored.begin(), stored.end()));
    launch();
    selectTab(delegate->tabs, "windows");
    mac.advance(5); // first pass: eligible from now on
    EXPECT_FALSE(removed());
    mac.advance(5); // 5 s later: old enough
    // While it runs, neither the switch nor the resets take a click; after, both do again.
    int stepsWhileRemoving = 0;
    for (int step = 0; step < 30; ++step) {
        mac.advance(0.1);
        if (!delegate->isExecuting)
            continue;
        ++stepsWhileRemoving;
        EXPECT_FALSE(delegate->toggle->isEnabled());
        EXPECT_FALSE(delegate->windowOverview->setupView()->clearAssignmentsButton()->isEnabled());
    }
    EXPECT_GT(stepsWhileRemoving, 0);
    EXPECT_TRUE(removed());
    EXPECT_TRUE(delegate->toggle->isEnabled());
    std::vector<std::string> lines = newLogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "space-removed display=" + contentDisplay + " space=13"),
        lines.end());
    EXPECT_TRUE(storedManagedDesktops().entries.empty());
    EXPECT_TRUE(readStoredAssociations(*mac.defaultsAfterRestart()).associations.targets.empty())
        << "its assignment is forgotten with it";
    EXPECT_FALSE(delegate->isExecuting);
    // The windows tab shows the screen without it at once.
    QCoreApplication::sendPostedEvents();
    const std::vector<NativeDesktopState>& shown = delegate->windowOverview->desktops();
    EXPECT_TRUE(std::none_of(shown.begin(), shown.end(), [](const NativeDesktopState& desktop) { return desktop.spaceID == 13; }));
}

TEST_F(ManagedCleanupTest, NeverRemovesOneThatHoldsAWindow)
{
    occupy({ 13 });
    launch();
    mac.advance(30);
    EXPECT_FALSE(removed());
}

TEST_F(ManagedCleanupTest, WaitsWhileInputIsHeldOrRecent)
{
    launch();
    mac.mac().hold(0, {}, { 0 });
    mac.advance(30);
    EXPECT_FALSE(removed()) << "a mouse button held";
    mac.mac().release();
    for (int i = 0; i < 6; ++i) {
        mac.mac().input(EventType::scrollWheel);
        mac.advance(5);
    }
    EXPECT_FALSE(removed()) << "a scroll every 5 s";
    mac.advance(8 + 5 + 5 + 3);
    EXPECT_TRUE(removed());
}

// The passes run every 5 s from launch: the one after an input exactly 8 s old counts the user idle, one after
// an input 7.5 s old does not.
TEST_F(ManagedCleanupTest, EightSecondsWithoutInputIsIdleEnough)
{
    launch();
    auto at = [&](double time) { mac.advance(time - platform().uptime()); };
    at(1002.5);
    mac.mac().input(EventType::mouseMoved);
    at(1016.9);
    EXPECT_FALSE(removed()) << "idle only from the pass at 1015";
    at(1017);
    mac.mac().input(EventType::keyDown);
    at(1029.9);
    EXPECT_FALSE(removed()) << "the pass at 1020 saw fresh input";
    at(1033);
    EXPECT_TRUE(removed()) << "idle at 1025, removed at 1030";
}

TEST_F(ManagedCleanupTest, WaitsWhileAModifierIsHeld)
{
    launch();
    mac.mac().hold(0x40000, {}, {});
    mac.advance(30);
    EXPECT_FALSE(removed());
    mac.mac().release();
    mac.advance(8 + 5 + 5 + 3);
    EXPECT_TRUE(removed());
}

TEST_F(ManagedCleanupTest, KeepsTheLastDesktopOfADisplay)
{
    setContentDesktops({ 13 });
    launch();
    mac.advance(30);
    EXPECT_EQ(contentSpaces().size(), 1u);
}

TEST_F(ManagedCleanupTest, RemovesOnePerPass)
{
    setContentDesktops({ 11, 12, 13, 14 });
    occupy({ 11 });
    ProjectManagedDesktops managed;
    managed.markCreated("project-a", { 13, 11, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000013" });
    managed.markCreated("project-b", { 14, 11, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000014" });
    std::string data = *managed.encodedData();
    defaults().set(managedDesktopsKey, PlistData(data.begin(), data.end()));
    launch();
    mac.advance(13);
    EXPECT_EQ(contentSpaces(), (std::vector<std::uint64_t> { 11, 12, 13 })) << "the last of the inventory first";
    mac.advance(10);
    EXPECT_EQ(contentSpaces(), (std::vector<std::uint64_t> { 11, 12 }));
}

TEST_F(ManagedCleanupTest, AfterAFailureWaitsAMinute)
{
    mac.world().faults.missionControl.pressRefused = true;
    launch();
    mac.advance(13);
    ASSERT_FALSE(removed());
    ASSERT_GT(delegate->cleanupRetryAfter, 0);
    mac.world().faults.missionControl.pressRefused = false;
    mac.advance(45);
    EXPECT_FALSE(removed()) << "still within the minute";
    mac.advance(30);
    EXPECT_TRUE(removed());
}

// A managed desktop the failed removal left is cleaned up again, but only a minute after the reset.
TEST_F(ManagedCleanupTest, ResumesAMinuteAfterAReset)
{
    mac.world().faults.missionControl.pressRefused = true;
    launch();
    ASSERT_TRUE(ScriptDrive::confirmReset(*delegate, ScriptDrive::ResetKind::desktops));
    for (int step = 0; step < 300 && delegate->isExecuting; ++step)
        mac.advance(0.1);
    ASSERT_FALSE(delegate->isExecuting);
    double ended = platform().uptime();
    mac.world().faults.missionControl.pressRefused = false;
    mac.advance(ended + 59.9 - platform().uptime());
    EXPECT_FALSE(removed());
    mac.advance(60 + 5 + 5 + 3 - 59.9);
    EXPECT_TRUE(removed());
}

// The row lists the screen's desktops the other way round: at the created desktop's place stands the user's
// desktop 2, with its window.
TEST_F(ManagedCleanupTest, NeverPressesTheThumbnailOfAnotherDesktop)
{
    mac.world().faults.missionControl.reversedThumbnails = true;
    launch();
    mac.advance(13);
    EXPECT_EQ(contentSpaces(), (std::vector<std::uint64_t> { 11, 12, 13 }));
    EXPECT_EQ(mac.mac().window(5011)->spaces, std::vector<std::uint64_t> { 11 });
    EXPECT_GT(delegate->cleanupRetryAfter, 0) << "a failed removal";
    EXPECT_EQ(storedManagedDesktops().entries.size(), 1u);
    EXPECT_FALSE(delegate->isExecuting);
}

class ResetFlowTest : public DesktopManagementFlowTest {
protected:
    bool statusIsError() const { return delegate->statusLabel->colorRole() == ColorRole::red; }

    // The removal of the extra desktops refused in red, without a confirmation, and nothing removed.
    void expectRemovalRefusedAtOnce(const std::string& text)
    {
        delegate->confirmDeleteAllDesktops();
        EXPECT_FALSE(alert());
        EXPECT_EQ(status(), text);
        EXPECT_TRUE(statusIsError());
        EXPECT_FALSE(delegate->isExecuting);
        EXPECT_EQ(contentSpaces().size(), 2u);
    }

    // The content screen's five desktops being removed, until that many are left.
    void removeExtraDesktopsUntil(std::size_t left)
    {
        setContentDesktops({ 11, 12, 13, 14, 15 });
        launch();
        ASSERT_TRUE(ScriptDrive::confirmReset(*delegate, ScriptDrive::ResetKind::desktops));
        while (contentSpaces().size() > left)
            mac.advance(0.1);
    }
};

TEST_F(ResetFlowTest, ClearingAssignmentsEmptiesTheStoreAndTheLegacyKeys)
{
    associateProjectB();
    defaults().set(pendingDesktopAssignmentsKey, PlistDictionary { { "project-a", std::int64_t(2) } });
    launch();
    ASSERT_TRUE(ScriptDrive::confirmReset(*delegate, ScriptDrive::ResetKind::assignments));
    Lookup<PlistData> data = defaults().data(desktopIdentitiesKey);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->begin(), data->end()), *ProjectDesktopAssociations().encodedData());
    EXPECT_FALSE(defaults().objectExists(pendingDesktopAssignmentsKey));
    EXPECT_TRUE(delegate->desktopAssociations.targets.empty());
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_EQ(status(), "Toutes les affectations ont été supprimées. Les bureaux et les fenêtres sont conservés. Le "
                        "changement automatique est désactivé.");
    EXPECT_FALSE(statusIsError());
    EXPECT_FALSE(delegate->reportableError);
    EXPECT_TRUE(delegate->toggle->isEnabled());
}

// A reset the settings file refuses keeps every assignment, in memory and on disk, and says so in red.
TEST_F(ResetFlowTest, ClearingAssignmentsThatCannotBeSavedKeepsThemAndSaysSo)
{
    associateProjectB();
    launch();
    const ProjectDesktopAssociations before = delegate->desktopAssociations;
    ASSERT_FALSE(before.targets.empty());
    mac.settingsFile().failSaves = true;
    ASSERT_TRUE(ScriptDrive::confirmReset(*delegate, ScriptDrive::ResetKind::assignments));
    EXPECT_EQ(status(), "Impossible d’enregistrer la suppression des affectations. Réessaie.");
    EXPECT_TRUE(statusIsError());
    EXPECT_EQ(delegate->desktopAssociations.targets, before.targets);
    EXPECT_TRUE(defaults().data(desktopIdentitiesKey));
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_TRUE(delegate->windowOverview->setupView()->clearAssignmentsButton()->isEnabled());
}

TEST_F(ResetFlowTest, NothingToRemoveOrNoReadablePlanIsSaidWithoutAsking)
{
    setContentDesktops({ 11 });
    launch();
    delegate->confirmDeleteAllDesktops();
    EXPECT_FALSE(alert());
    EXPECT_EQ(status(), "Il reste déjà un seul bureau par écran. Aucun bureau à supprimer.");
    EXPECT_FALSE(statusIsError());
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_TRUE(delegate->windowOverview->setupView()->clearAssignmentsButton()->isEnabled());
}

TEST_F(ResetFlowTest, UnreadableAssociationsLeaveNoPlanForTheRemoval)
{
    defaults().set(desktopIdentitiesKey, "pas des données");
    launch();
    expectRemovalRefusedAtOnce(
        "Impossible de préparer la suppression des bureaux. Actualise la liste et vérifie les affectations.");
}

TEST_F(ResetFlowTest, NoResetIsOfferedOverAnotherSheet)
{
    associateProjectB();
    launch();
    Alert other;
    other.messageText = "Autre";
    other.buttons = { "OK" };
    AlertSheet* sheet = AlertSheet::begin(delegate->window.get(), std::move(other), [](int) {});
    ASSERT_TRUE(sheet);
    delegate->confirmClearProjectAssignments();
    delegate->confirmDeleteAllDesktops();
    EXPECT_EQ(alert(), sheet);
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_FALSE(delegate->desktopAssociations.targets.empty());
    sheet->respond(alertFirstButtonReturn);
}

TEST_F(ResetFlowTest, AFailedWriteOfTheClearedStoreKeepsWhatWasStored)
{
    class RefusingStorage : public DefaultsStorage {
    public:
        PlistDictionary load() override { return { { desktopIdentitiesKey, PlistData { 'x' } } }; }
        bool save(const PlistDictionary&) override { return false; }
    };
    UserDefaults refusing(std::make_unique<RefusingStorage>());
    EXPECT_FALSE(ProjectAssignmentReset::clear(refusing));
    EXPECT_EQ(*refusing.data(desktopIdentitiesKey), PlistData { 'x' });
}

TEST_F(ResetFlowTest, CancellingTheConfirmationChangesNothing)
{
    associateProjectB();
    launch();
    delegate->confirmClearProjectAssignments();
    ASSERT_TRUE(alert());
    EXPECT_EQ(alert()->alert().buttons.front(), "Annuler");
    EXPECT_EQ(alert()->alert().returnButton, 0u);
    alert()->respond(alertFirstButtonReturn);
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_FALSE(delegate->desktopAssociations.targets.empty());
}

TEST_F(ResetFlowTest, AConfirmationAnsweredWhileQuittingChangesNothing)
{
    associateProjectB();
    launch();
    delegate->confirmClearProjectAssignments();
    QPointer<AlertSheet> sheet = alert();
    ASSERT_TRUE(sheet);
    delegate->applicationWillTerminate();
    if (sheet)
        sheet->respond(alertFirstButtonReturn + 1);
    EXPECT_TRUE(readStoredAssociations(defaults()).associations.targets.count("project-b"));
    EXPECT_TRUE(delegate->desktopAssociations.targets.count("project-b"));
}

TEST_F(ResetFlowTest, RemovingEveryExtraDesktopKeepsOnePerDisplay)
{
    setContentDesktops({ 11, 12, 13, 14 });
    mac.world().displays[1].current = 11;
    associateProjectB();
    defaults().set(managedDesktopsKey, PlistData { 'x' });
    launch();
    ASSERT_TRUE(ScriptDrive::confirmReset(*delegate, ScriptDrive::ResetKind::desktops));
    ASSERT_TRUE(alert()) << "the progress sheet";
    EXPECT_EQ(alert()->alert().messageText, "Suppression des bureaux…");
    EXPECT_EQ(alert()->alert().informativeText, "Laisse la suppression se terminer sans changer de bureau ni débrancher "
                                                "d’écran. Tu peux arrêter les suppressions restantes.");
    EXPECT_EQ(alert()->alert().buttons, std::vector<std::string> { "Arrêter" });
    auto progressText = [&] {
        auto* shown = alert() ? alert()->findChild<QWidget*>("desktop-reset-progress") : nullptr;
        auto* label = shown ? shown->findChild<Label*>() : nullptr;
        return label ? label->text() : std::string("<none>");
    };
    EXPECT_EQ(progressText(), "0 / 3 bureaux supprimés");
    for (int step = 0; step < 100 && progressText() == "0 / 3 bureaux supprimés"; ++step)
        mac.advance(0.05);
    EXPECT_EQ(progressText(), "1 / 3 bureaux supprimés");
    mac.advance(20);
    EXPECT_EQ(contentSpaces(), (std::vector<std::uint64_t> { 11 }));
    EXPECT_EQ(status(), "3 bureaux supprimés. Un bureau par écran est conservé et les fenêtres restent ouvertes. Le "
                        "changement automatique est désactivé.");
    EXPECT_FALSE(statusIsError());
    EXPECT_TRUE(delegate->desktopAssociations.targets.empty()) << "the removed desktop's association is forgotten";
    EXPECT_EQ(*defaults().data(managedDesktopsKey), PlistData { 'x' }) << "an unreadable record is not overwritten";
    EXPECT_FALSE(delegate->isExecuting);
    EXPECT_FALSE(delegate->managedCleanupSuspended) << "the cleanup resumes after the back-off";
    EXPECT_FALSE(alert());
}

TEST_F(ResetFlowTest, StoppingMidwayGivesTheExactCount)
{
    removeExtraDesktopsUntil(3);
    ASSERT_TRUE(alert());
    alert()->respond(alertFirstButtonReturn);
    mac.advance(10);
    EXPECT_EQ(contentSpaces().size(), 3u);
    EXPECT_EQ(status(), "Suppression arrêtée : 2 / 4 bureaux supprimés. Les autres bureaux sont conservés.");
    EXPECT_FALSE(statusIsError());
}

TEST_F(ResetFlowTest, QuittingMidwayStopsTheRemovals)
{
    removeExtraDesktopsUntil(4);
    delegate->applicationWillTerminate();
    EXPECT_FALSE(alert()) << "the progress sheet closes";
    mac.advance(20);
    EXPECT_EQ(contentSpaces().size(), 4u);
    EXPECT_FALSE(mac.mac().missionControl().isShown());
}

TEST_F(ResetFlowTest, AFailedRemovalIsReported)
{
    setContentDesktops({ 11, 12, 13 });
    mac.world().faults.missionControl.pressRefused = true;
    launch();
    ASSERT_TRUE(ScriptDrive::confirmReset(*delegate, ScriptDrive::ResetKind::desktops));
    mac.advance(20);
    EXPECT_EQ(contentSpaces().size(), 3u);
    EXPECT_EQ(status().rfind("Suppression interrompue : 0 / 2 bureaux supprimés. ", 0), 0u) << status();
    EXPECT_TRUE(statusIsError());
}

TEST_F(ResetFlowTest, WithoutAccessibilityNoRemovalIsOffered)
{
    mac.world().permissions.accessibility = false;
    launch();
    expectRemovalRefusedAtOnce("Autorise l’accessibilité pour ajouter ou supprimer un bureau.");
}

// Desktop 3 of the screen is at its place in the reversed row; desktop 4 is not, and is refused.
TEST_F(ResetFlowTest, AThumbnailOfAnotherDesktopIsRefusedAndTheCountStaysTrue)
{
    setContentDesktops({ 11, 12, 13 });
    mac.world().faults.missionControl.reversedThumbnails = true;
    launch();
    ASSERT_TRUE(ScriptDrive::confirmReset(*delegate, ScriptDrive::ResetKind::desktops));
    mac.advance(20);
    EXPECT_EQ(contentSpaces(), (std::vector<std::uint64_t> { 11, 13 }));
    EXPECT_EQ(status().rfind("Suppression interrompue : 1 / 2 bureaux supprimés. ", 0), 0u) << status();
}

} // namespace
} // namespace pellamor
