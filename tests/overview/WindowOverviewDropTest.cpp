#include "desktops/ScreenPlacement.h"
#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "platform/Platform.h"
#include "platform/SkyLight.h"
#include "setup/ProjectDesktopSetupView.h"
#include "setup/WindowDragType.h"
#include "sim/SymbolTable.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"
#include "ui/DraggingInfo.h"
#include "windows/WindowReturnDestination.h"

#include <QCoreApplication>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace pellamor {
namespace {

// D1 is the assistant's screen (desktop 1); D2 holds desktops 2 and 3, D3 desktop 4; the project owns desktop 3.
sim::World dropWorld()
{
    sim::World world = test::world()
                           .display("D1", { 1 })
                           .display("D2", { 11, 12 })
                           .display("D3", { 21 })
                           .application(501, "com.openai.codex", "Codex")
                           .application(600, "com.example.zed", "Zed")
                           .window(1, 501, QRectF(0, 0, 800, 600), { 1 })
                           .window(61, 600, QRectF(100, 40, 700, 500), { 1 })
                           .window(62, 600, QRectF(1100, 40, 700, 500), { 11 })
                           .window(63, 600, QRectF(2100, 40, 700, 500), { 21 });
    for (auto& application : world.applications)
        application.launched = 1.7e9;
    return world;
}

struct Status {
    std::string text;
    bool error = false;
    friend bool operator==(const Status&, const Status&) = default;
    friend void PrintTo(const Status& status, std::ostream* out)
    {
        *out << (status.error ? "error: " : "plain: ") << status.text;
    }
};

class WindowOverviewDropTest : public ::testing::Test {
protected:
    WindowOverviewDropTest()
    {
        AssistantScreenConfiguration { AssistantApp::codex, "D1" }.save(platform().standardDefaults());
        mac.mac().release();
        project.id = "a";
        project.name = "Project a";
        project.desktops = { 3 };
        project.path = "~/a";
        makeOverview();
    }
    ~WindowOverviewDropTest() override { overview->shutdown(); }

    // A new overview, as at launch, with project a selected.
    void makeOverview()
    {
        if (overview)
            overview->shutdown();
        overview = std::make_unique<WindowOverviewView>();
        overview->resize(880, 850);
        overview->show();
        overview->onUserInteraction = [this] { ++interactions; };
        overview->projectAssignments = [this](const std::vector<NativeDesktopState>&) {
            return std::vector<OverviewProjectAssignment> { project };
        };
        overview->onStatusMessage = [this](const std::string& text, bool error) { statuses.push_back({ text, error }); };
        overview->prepareProjectDisplay = [this](const std::string&, const std::string& display, auto completion) {
            preparedDisplays.push_back(display);
            pendingPreparation = std::move(completion);
            if (prepareAtOnce)
                answerPreparation();
        };
        overview->validateProjectDisplay = [this](const ProjectDisplayPreparation&) { return validation; };
        overview->commitProjectDisplay = [this](const ProjectDisplayPreparation& preparation, auto completion) {
            commits.push_back(preparation);
            completion(commitFailure);
        };
        overview->setOverviewVisible(true);
        settle();
        overview->setupView()->commitProjectSelection("a");
        settle();
    }

    void settle(double seconds = 0.05)
    {
        mac.advance(seconds);
        QCoreApplication::sendPostedEvents();
    }
    void answerPreparation()
    {
        NativeDesktopState desktop { 12, mac.world().displays[1].current, "D2", std::nullopt };
        for (const NativeDesktopState& known : overview->desktops()) {
            if (known.spaceID == 12)
                desktop = known;
        }
        ProjectDisplayPreparation preparation { UUID::random(), "a", "D2", desktop, false, false };
        auto completion = std::move(pendingPreparation);
        pendingPreparation = nullptr;
        completion(preparation, std::nullopt);
    }
    DraggingInfo drag(std::uint32_t window, std::string content = {})
    {
        WindowThumbnail* card = overview->cards(window).back();
        if (content.empty())
            content = overview->token() + ":" + std::to_string(window) + ":" + std::to_string(card->source());
        DraggingInfo info;
        info.types = { QString::fromLatin1(windowDragType) };
        info.source = card;
        info.stringForType = [content](const QString&) -> std::optional<std::string> { return content; };
        return info;
    }
    bool drop(std::uint32_t window, const std::string& display = "D2")
    {
        ProjectDesktopSetupView& panel = *overview->setupView();
        DraggingInfo info = drag(window);
        if (!panel.canDropOnDisplay(info, display))
            return false;
        panel.onDropOnDisplay(info, display);
        return true;
    }
    // Project b owns the given desktops besides project a.
    void addProjectB(std::vector<int> desktops)
    {
        OverviewProjectAssignment other = project;
        other.id = "b";
        other.name = "Project b";
        other.desktops = std::move(desktops);
        overview->projectAssignments = [this, other](const std::vector<NativeDesktopState>&) {
            return std::vector<OverviewProjectAssignment> { project, other };
        };
        overview->refreshClicked();
        settle();
    }
    bool loggedFrom(std::size_t first, const std::string& part)
    {
        const auto& lines = mac.mac().log().lines();
        return std::any_of(lines.begin() + std::ptrdiff_t(std::min(first, lines.size())), lines.end(),
            [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }
    // The window dropped on the project's desktop, then given another frame there.
    void placeThenReframe(const QRectF& frame, std::uint32_t window = 61)
    {
        ASSERT_TRUE(drop(window));
        settle(1);
        mac.mac().window(window)->frame = frame;
        overview->refreshClicked();
        settle();
    }
    std::vector<std::uint64_t> spacesOf(std::uint32_t window) { return mac.mac().window(window)->spaces; }
    Status last() const { return statuses.empty() ? Status {} : statuses.back(); }

    test::WidgetApplication application;
    test::TestMac mac { dropWorld() };
    OverviewProjectAssignment project;
    std::unique_ptr<WindowOverviewView> overview;
    std::vector<Status> statuses;
    std::vector<std::string> preparedDisplays;
    std::function<void(std::optional<ProjectDisplayPreparation>, std::optional<std::string>)> pendingPreparation;
    bool prepareAtOnce = true;
    std::optional<std::string> validation;
    std::optional<std::string> commitFailure;
    std::vector<ProjectDisplayPreparation> commits;
    int interactions = 0;
};

TEST_F(WindowOverviewDropTest, ADropMovesTheWindowCommitsOpensItsDesktopAndRemembersWhereItCameFrom)
{
    int before = interactions;
    std::vector<std::uint64_t> listedWhenPlaced;
    overview->onStatusMessage = [&](const std::string& text, bool error) {
        statuses.push_back({ text, error });
        if (text != "Fenêtre placée. Ouverture de son bureau…" || !overview->inventoryHasLoaded())
            return;
        const auto& records = overview->records();
        auto placed = std::find_if(records.begin(), records.end(), [](const DesktopWindow& w) { return w.id == 61; });
        if (placed != records.end())
            listedWhenPlaced = placed->spaces;
    };
    ASSERT_TRUE(drop(61));
    EXPECT_EQ(interactions, before + 1) << "a drop is an interaction";
    settle(1);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    EXPECT_EQ(listedWhenPlaced, std::vector<std::uint64_t> { 12 }) << "the list shows the move as soon as it is confirmed";
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(mac.world().displays[1].current, 12u);
    EXPECT_FALSE(overview->busy());
    EXPECT_TRUE(last().text.find("Zed ajouté au projet sur") == 0) << last().text;
    EXPECT_FALSE(last().error);
    EXPECT_TRUE(std::find(statuses.begin(), statuses.end(), Status { "Fenêtre placée. Ouverture de son bureau…", false })
        != statuses.end());
    ASSERT_EQ(overview->returnOrigins().entries().size(), 1u);
    EXPECT_EQ(overview->returnOrigins().entries().front().desktop.spaceID, 1u);
    EXPECT_EQ(overview->returnOrigins().entries().front().frame, QRectF(100, 40, 700, 500));
    EXPECT_TRUE(mac.mac().standardDefaults().data(WindowReturnOrigins::defaultsKey));
}

TEST_F(WindowOverviewDropTest, AConfirmedMoveForgetsTheWindowsPreviewTakenBeforeIt)
{
    mac.world().permissions.screenCapture = true;
    overview->refreshPermissionStatus();
    overview->cards(61).back()->accessibilityPerformPress();
    settle(0.2);
    ASSERT_TRUE(overview->cachedImage(61));
    overview->dismissPreview();
    ASSERT_TRUE(drop(61));
    settle(1);
    ASSERT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    EXPECT_FALSE(overview->cachedImage(61));
}

TEST_F(WindowOverviewDropTest, OnlyTheExactItemOfALiveCardOfThisOverviewIsAccepted)
{
    ProjectDesktopSetupView& panel = *overview->setupView();
    std::string exact = overview->token() + ":61:1";
    EXPECT_TRUE(panel.canDropOnDisplay(drag(61, exact), "D2"));
    EXPECT_FALSE(panel.canDropOnDisplay(drag(61, exact + "0"), "D2"));
    EXPECT_FALSE(panel.canDropOnDisplay(drag(61, "x" + exact.substr(1)), "D2"));
    // The assistant's screen and an unknown screen take no window.
    EXPECT_FALSE(panel.canDropOnDisplay(drag(61), "D1"));
    EXPECT_FALSE(panel.canDropOnDisplay(drag(61), "D9"));
    panel.onDropOnDisplay(drag(61, exact + "0"), "D2");
    EXPECT_TRUE(preparedDisplays.empty());
    // A card of another overview is refused even when it carries this overview's exact item.
    WindowOverviewView other;
    other.projectAssignments = overview->projectAssignments;
    other.setOverviewVisible(true);
    settle();
    ASSERT_FALSE(other.cards(61).empty());
    DraggingInfo foreign = drag(61, exact);
    foreign.source = other.cards(61).back();
    ASSERT_EQ(other.cards(61).back()->source(), 1u);
    EXPECT_FALSE(panel.canDropOnDisplay(foreign, "D2"));
    panel.onDropOnDisplay(foreign, "D2");
    EXPECT_TRUE(preparedDisplays.empty());
    other.shutdown();
    // The same window number now owned by another process is no longer the card's window.
    mac.mac().window(61)->pid = 501;
    overview->refreshClicked();
    settle();
    DraggingInfo stale = drag(61);
    stale.source = overview->cards(61).front();
    EXPECT_EQ(overview->cards(61).front()->record().pid, 600);
    EXPECT_FALSE(panel.canDropOnDisplay(stale, "D2"));
}

TEST_F(WindowOverviewDropTest, WithoutAProjectOrSomeoneToPrepareItsScreenADropDoesNothing)
{
    overview->prepareProjectDisplay = nullptr;
    std::size_t shown = statuses.size();
    ASSERT_TRUE(drop(61));
    EXPECT_FALSE(overview->busy());
    EXPECT_EQ(statuses.size(), shown);

    overview->projectAssignments = [](const std::vector<NativeDesktopState>&) {
        return std::vector<OverviewProjectAssignment> {};
    };
    overview->refreshClicked();
    settle();
    EXPECT_FALSE(overview->setupView()->canDropOnDisplay(drag(61), "D2"));
    settle(1);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
}

TEST_F(WindowOverviewDropTest, TheSelectedWindowGoesToAScreenAsADroppedOneWould)
{
    overview->cards(61).back()->accessibilityPerformPress();
    overview->dismissPreview();
    ProjectDesktopSetupView& panel = *overview->setupView();
    EXPECT_FALSE(panel.canMoveSelectionToDisplay("D1")) << "the assistant's screen";
    panel.onMoveSelectionToDisplay("D1");
    EXPECT_TRUE(preparedDisplays.empty());
    ASSERT_TRUE(panel.canMoveSelectionToDisplay("D2"));
    panel.onMoveSelectionToDisplay("D2");
    EXPECT_EQ(preparedDisplays, std::vector<std::string> { "D2" });
    settle(1);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    EXPECT_TRUE(last().text.find("Zed ajouté au projet sur") == 0) << last().text;
}

TEST_F(WindowOverviewDropTest, WithoutAnOwnerToCommitTheScreenTheMovedWindowIsReportedUnassigned)
{
    overview->commitProjectDisplay = nullptr;
    ASSERT_TRUE(drop(61));
    settle(1);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    EXPECT_EQ(last(),
        (Status { "La fenêtre a été déplacée, mais le projet n’a pas pu être associé à cet écran.", true }));
    EXPECT_FALSE(overview->busy());
}

TEST_F(WindowOverviewDropTest, AWindowAlreadyOnTheProjectsDesktopOfThatScreenIsRefusedUnlessItIsTheFallback)
{
    mac.mac().window(62)->spaces = { 12 };
    overview->refreshClicked();
    settle();
    EXPECT_FALSE(drop(62));
    project.usingAssistantFallback = true;
    project.fallbackDesktop = 3;
    overview->refreshClicked();
    settle();
    const DesktopWindow& record = overview->cards(62).back()->record();
    EXPECT_EQ(record.spaces, std::vector<std::uint64_t> { 12 });
    EXPECT_TRUE(overview->canOrganize(record, 12, "D2"));
    EXPECT_TRUE(overview->setupView()->canDropOnDisplay(drag(62), "D2"));
    // Dropped there, it is where it should be: nothing moves and nothing is committed.
    ASSERT_TRUE(drop(62));
    EXPECT_EQ(last(), (Status { "La fenêtre est déjà sur ce bureau.", false }));
    settle(1);
    EXPECT_EQ(last(), (Status { "La fenêtre est déjà sur ce bureau.", false }));
    EXPECT_FALSE(overview->busy());
    EXPECT_TRUE(commits.empty());
}

TEST_F(WindowOverviewDropTest, AWindowMovedBetweenTheProjectsOwnDesktopsGetsNoOrigin)
{
    project.desktops = { 3, 4 };
    overview->refreshClicked();
    settle();
    ASSERT_TRUE(drop(63));
    settle(1);
    EXPECT_EQ(spacesOf(63), std::vector<std::uint64_t> { 12 });
    EXPECT_TRUE(overview->returnOrigins().entries().empty());
}

TEST_F(WindowOverviewDropTest, WhileTheOwnerRefusesTheDropIsAPlainRefusalAndNothingIsPrepared)
{
    overview->beginAction = [] { return false; };
    ASSERT_TRUE(drop(61));
    EXPECT_EQ(last(), (Status { "Une autre action est en cours. Réessaie dans un instant.", false }));
    EXPECT_TRUE(preparedDisplays.empty());
    EXPECT_FALSE(overview->busy());

    // A refusal of its own is the owner's reason, as an error.
    overview->beginAction = [] { return ActionAdmission(false, "Raison du propriétaire."); };
    ASSERT_TRUE(drop(61));
    EXPECT_EQ(last(), (Status { "Raison du propriétaire.", true }));
    EXPECT_TRUE(preparedDisplays.empty());
    EXPECT_FALSE(overview->busy());
}

TEST_F(WindowOverviewDropTest, WhileAnActionRunsNoScreenAcceptsADrop)
{
    prepareAtOnce = false;
    ASSERT_TRUE(drop(61));
    EXPECT_EQ(last(), (Status { "Préparation de cet écran pour le projet…", false }));
    EXPECT_FALSE(overview->setupView()->canDropOnDisplay(drag(61), "D2"));
    // Refused quietly: no "another action" line over the running one.
    std::size_t shown = statuses.size();
    overview->setupView()->onDropOnDisplay(drag(62), "D2");
    EXPECT_EQ(statuses.size(), shown);
    EXPECT_EQ(preparedDisplays.size(), 1u);
}

TEST_F(WindowOverviewDropTest, AnotherProjectSelectedWhileTheScreenIsPreparedStopsTheDrop)
{
    addProjectB({ 4 });
    prepareAtOnce = false;
    ASSERT_TRUE(drop(61));
    ProjectDesktopSetupView& panel = *overview->setupView();
    // The panel refuses a choice while busy; whatever changed it, the drop must notice.
    panel.setBusy(false);
    panel.commitProjectSelection(std::string("b"));
    ASSERT_EQ(panel.selectedProjectID(), std::optional<std::string>("b"));
    answerPreparation();
    EXPECT_EQ(last(), (Status { "Les écrans ont changé. Réessaie le déplacement.", true }));
    EXPECT_FALSE(overview->busy());
    settle(1);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    EXPECT_TRUE(commits.empty());
}

TEST_F(WindowOverviewDropTest, APreparationFailureEndsTheActionWithTheOwnersTextOrTheScreenText)
{
    prepareAtOnce = false;
    ASSERT_TRUE(drop(61));
    pendingPreparation(std::nullopt, std::string("Impossible de lire les bureaux de ce Mac."));
    EXPECT_EQ(last(), (Status { "Impossible de lire les bureaux de ce Mac.", true }));
    ASSERT_TRUE(drop(61));
    pendingPreparation(std::nullopt, std::nullopt);
    EXPECT_EQ(last(), (Status { "Cet écran n’est plus disponible. Choisis un écran connecté.", true }));
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
}

TEST_F(WindowOverviewDropTest, AWindowClosedWhileItsScreenIsPreparedIsNotMoved)
{
    prepareAtOnce = false;
    ASSERT_TRUE(drop(61));
    mac.mac().closeWindow(61);
    answerPreparation();
    EXPECT_EQ(last(), (Status { "Les bureaux ou la fenêtre ont changé. Actualise la vue puis réessaie.", true }));
    EXPECT_FALSE(overview->busy());
    settle(1);
    EXPECT_TRUE(commits.empty());
}

TEST_F(WindowOverviewDropTest, QuittingBeforeTheWindowMovedSaysNothingAndMovesNothing)
{
    ASSERT_TRUE(drop(61));
    std::size_t shown = statuses.size();
    overview->shutdown();
    settle(3);
    EXPECT_EQ(statuses.size(), shown);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    EXPECT_TRUE(commits.empty());
}

TEST_F(WindowOverviewDropTest, APreparationThatArrivesAfterTheActionEndedChangesNothing)
{
    prepareAtOnce = false;
    ASSERT_TRUE(drop(61));
    auto ended = pendingPreparation;
    overview->finish("", false);
    // The completion of an ended action is inert.
    answerPreparation();
    EXPECT_EQ(last(), (Status { "", false }));
    EXPECT_FALSE(overview->busy());

    // So it is while a later drop waits for its own preparation.
    ASSERT_TRUE(drop(62));
    auto current = std::move(pendingPreparation);
    ended(std::nullopt, std::string("Impossible de lire les bureaux de ce Mac."));
    pendingPreparation = ended;
    answerPreparation();
    EXPECT_TRUE(overview->busy());
    EXPECT_EQ(last(), (Status { "Préparation de cet écran pour le projet…", false }));
    settle(1);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    EXPECT_EQ(spacesOf(62), std::vector<std::uint64_t> { 11 });
    pendingPreparation = std::move(current);
    answerPreparation();
    settle(1);
    EXPECT_EQ(spacesOf(62), std::vector<std::uint64_t> { 12 });
    EXPECT_EQ(commits.size(), 1u);
}

TEST_F(WindowOverviewDropTest, DesktopsChangedJustBeforeTheMoveStopIt)
{
    overview->validateProjectDisplay = [this](const ProjectDisplayPreparation&) {
        mac.mac().addSpace("D2", 2);
        return std::optional<std::string>();
    };
    ASSERT_TRUE(drop(61));
    settle(1);
    EXPECT_EQ(last(), (Status { "Les bureaux ou la fenêtre ont changé. Actualise la vue puis réessaie.", true }));
    settle(1);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    EXPECT_TRUE(commits.empty());
}

TEST_F(WindowOverviewDropTest, APreparationMadeStaleBeforeTheMoveStopsItWithTheOwnersText)
{
    validation = "Action annulée.";
    ASSERT_TRUE(drop(61));
    settle(1);
    EXPECT_EQ(last(), (Status { "Action annulée.", true }));
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    EXPECT_TRUE(overview->returnOrigins().entries().empty());
}

TEST_F(WindowOverviewDropTest, AMoveThatArrivesLateStillCompletesOneThatNeverArrivesFailsWithNothingCommitted)
{
    mac.world().faults.windows.moves = sim::WindowMoves::late;
    mac.world().faults.windows.moveDelay = 1.9;
    ASSERT_TRUE(drop(61));
    settle(1.8);
    EXPECT_TRUE(overview->busy());
    settle(1);
    EXPECT_TRUE(last().text.find("Zed ajouté au projet sur") == 0) << last().text;

    mac.world().faults.windows.moves = sim::WindowMoves::never;
    ASSERT_TRUE(drop(62));
    settle(2.4);
    EXPECT_TRUE(overview->busy());
    settle(0.2);
    EXPECT_EQ(last(), (Status { "macOS n’a pas confirmé le déplacement. Actualise pour vérifier le bureau de la fenêtre.",
                          true }));
    EXPECT_EQ(commits.size(), 1u);
    EXPECT_EQ(spacesOf(62), std::vector<std::uint64_t> { 11 });
}

// The window server goes on answering the window's old desktop for a while once the move session saw it arrive:
// the overview looks again every 0.05 s, for 2 s at most.
TEST_F(WindowOverviewDropTest, AMoveTheWindowServerStillDeniesIsCheckedAgainForTwoSeconds)
{
    auto original = platform()
                        .frameworks()
                        .open(skylight::frameworkPath)
                        ->function<skylight::CopySpacesForWindows>("SLSCopySpacesForWindows");
    std::uint32_t denied = 61;
    bool arrivalSeen = false;
    double deniedUntil = 0;
    mac.mac().symbolTable().add(skylight::frameworkPath, "SLSCopySpacesForWindows",
        std::function<skylight::CopySpacesForWindows>(
            [&](skylight::ConnectionID connection, std::int32_t mask, const PlistArray& windows) {
                auto answer = original(connection, mask, windows);
                const std::uint64_t* number = windows.size() == 1 ? windows.front().asUnsigned() : nullptr;
                if (!number || *number != denied || spacesOf(denied) != std::vector<std::uint64_t> { 12 })
                    return answer;
                if (!std::exchange(arrivalSeen, true) || platform().uptime() >= deniedUntil)
                    return answer;
                return std::optional<PlistValue>(PlistArray { std::uint64_t { 1 } });
            }));
    makeOverview();

    double dropped = platform().uptime();
    deniedUntil = dropped + 0.04;
    ASSERT_TRUE(drop(61));
    settle(0.03);
    ASSERT_TRUE(arrivalSeen);
    EXPECT_TRUE(commits.empty());
    settle(0.049);
    EXPECT_TRUE(commits.empty());
    settle(0.002);
    EXPECT_EQ(commits.size(), 1u) << "seen at the first look after the denial";
    settle(1);
    EXPECT_TRUE(last().text.find("Zed ajouté au projet sur") == 0) << last().text;

    denied = 62;
    arrivalSeen = false;
    deniedUntil = 1e9;
    ASSERT_TRUE(drop(62));
    settle(0.03);
    ASSERT_TRUE(arrivalSeen);
    settle(1.99);
    EXPECT_TRUE(overview->busy());
    settle(0.07);
    EXPECT_EQ(last(),
        (Status { "macOS n’a pas confirmé le déplacement. Actualise pour vérifier où se trouve la fenêtre.", true }));
    EXPECT_FALSE(overview->busy());
    EXPECT_EQ(commits.size(), 1u);

    // An action ended while it looks again stops the looking.
    mac.mac().window(62)->spaces = { 11 };
    overview->refreshClicked();
    settle();
    arrivalSeen = false;
    ASSERT_TRUE(drop(62));
    settle(0.5);
    ASSERT_TRUE(arrivalSeen);
    overview->finish("Arrêté.", false);
    settle(2);
    EXPECT_EQ(last(), (Status { "Arrêté.", false }));
    EXPECT_EQ(commits.size(), 1u);
}

TEST_F(WindowOverviewDropTest, AWindowThatJoinsTheTargetButStaysOnItsDesktopIsNeverConfirmed)
{
    mac.world().faults.windows.meanwhile = sim::WindowMoveMeanwhile::changesSpaces;
    ASSERT_TRUE(drop(61));
    settle(2.4);
    EXPECT_TRUE(overview->busy());
    EXPECT_EQ(spacesOf(61), (std::vector<std::uint64_t> { 1, 12 }));
    settle(0.2);
    // The move session gives up first, with its own text.
    EXPECT_EQ(last(),
        (Status { "macOS n’a pas confirmé le déplacement. Actualise pour vérifier le bureau de la fenêtre.", true }));
    settle(3);
    EXPECT_TRUE(commits.empty());
    EXPECT_TRUE(overview->returnOrigins().entries().empty());
}

TEST_F(WindowOverviewDropTest, ACommitFailureAndAShownDesktopEachEndWithTheirText)
{
    mac.mac().setCurrentSpace("D2", 12);
    overview->refreshClicked();
    settle();
    commitFailure = "Le projet ou le bureau a changé. Actualise la liste puis réessaie.";
    ASSERT_TRUE(drop(61));
    settle(1);
    EXPECT_EQ(last(), (Status { "La fenêtre a été déplacée, mais l’affectation au projet a échoué. Le projet ou le "
                                "bureau a changé. Actualise la liste puis réessaie.",
                          true }));
    // The origin recorded before the commit stays.
    EXPECT_EQ(overview->returnOrigins().entries().size(), 1u);

    commitFailure.reset();
    ASSERT_TRUE(drop(62));
    settle(1);
    EXPECT_TRUE(last().text.find("Zed ajouté au projet sur") == 0) << last().text;
    EXPECT_TRUE(std::find(statuses.begin(), statuses.end(), Status { "Fenêtre placée. Ouverture de son bureau…", false })
        == statuses.end());
}

TEST_F(WindowOverviewDropTest, AWindowThatLeavesItsNewDesktopBeforeItIsShownIsPlacedButItsDesktopNotOpened)
{
    overview->commitProjectDisplay = [this](const ProjectDisplayPreparation& preparation, auto completion) {
        commits.push_back(preparation);
        mac.mac().window(61)->spaces = { 11 };
        completion(std::nullopt);
    };
    ASSERT_TRUE(drop(61));
    settle(3);
    const Status notShown { "La fenêtre est placée et affectée au projet, mais son bureau n’a pas pu être affiché. "
                            "Le bureau de destination ou la fenêtre a changé. Actualise la liste.",
        true };
    EXPECT_EQ(last(), notShown);
    EXPECT_EQ(mac.world().displays[1].current, 11u) << "no desktop was opened";
    EXPECT_FALSE(overview->busy());

    // Nor is it when the window closed meanwhile.
    overview->commitProjectDisplay = [this](const ProjectDisplayPreparation& preparation, auto completion) {
        commits.push_back(preparation);
        std::erase_if(mac.world().windows, [](const sim::Window& window) { return window.number == 62; });
        completion(std::nullopt);
    };
    ASSERT_TRUE(drop(62));
    settle(3);
    EXPECT_EQ(last(), notShown);
    EXPECT_EQ(mac.world().displays[1].current, 11u);
}

TEST_F(WindowOverviewDropTest, ASwitchThatLandsWithoutTheWindowThereIsNotConfirmed)
{
    overview->commitProjectDisplay = [this](const ProjectDisplayPreparation& preparation, auto completion) {
        commits.push_back(preparation);
        // Another application takes the window away while its desktop is being opened.
        platform().mainQueue().asyncAfter(0.01, [this] { mac.mac().window(61)->spaces = { 1 }; });
        completion(std::nullopt);
    };
    ASSERT_TRUE(drop(61));
    settle(3);
    EXPECT_EQ(mac.world().displays[1].current, 12u);
    EXPECT_EQ(last(), (Status { "La fenêtre est placée et affectée au projet, mais son bureau n’a pas pu être affiché. "
                                "macOS n’a pas confirmé l’ouverture du bureau de destination.",
                          true }));
}

TEST_F(WindowOverviewDropTest, AccessibilityWithdrawnAfterTheCommitLeavesTheWindowPlacedAndSaysWhyNothingOpened)
{
    overview->commitProjectDisplay = [this](const ProjectDisplayPreparation& preparation, auto completion) {
        commits.push_back(preparation);
        mac.world().permissions.accessibility = false;
        completion(std::nullopt);
    };
    ASSERT_TRUE(drop(61));
    settle(3);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    EXPECT_EQ(commits.size(), 1u);
    EXPECT_EQ(mac.world().displays[1].current, 11u) << "no shortcut reaches the desktop without Accessibility";
    EXPECT_FALSE(overview->busy());
    EXPECT_TRUE(last().error);
    EXPECT_EQ(last().text.rfind("La fenêtre est placée et affectée au projet, mais son bureau n’a pas pu être affiché.", 0),
        0u)
        << last().text;
}

// Quitting cancels a placement: neither its desktop is opened nor a status shown, whether the commit answers
// after it or the desktop was being opened.
TEST_F(WindowOverviewDropTest, APlacementCancelledByQuittingOpensNothingAndSaysNothing)
{
    std::function<void(std::optional<std::string>)> pendingCommit;
    overview->commitProjectDisplay = [&](const ProjectDisplayPreparation& preparation, auto completion) {
        commits.push_back(preparation);
        pendingCommit = std::move(completion);
    };
    ASSERT_TRUE(drop(61));
    settle(1);
    ASSERT_TRUE(pendingCommit);
    std::size_t shown = statuses.size();
    overview->shutdown();
    pendingCommit(std::nullopt);
    settle(3);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    EXPECT_EQ(mac.world().displays[1].current, 11u);
    EXPECT_EQ(statuses.size(), shown);

    // Desktop 3's shortcut is off: the switch waits while it is turned on, and quitting turns it off again.
    makeOverview();
    mac.world().hotkeys[120].enabled = false;
    ASSERT_TRUE(drop(62));
    settle(0.1);
    ASSERT_EQ(last(), (Status { "Fenêtre placée. Ouverture de son bureau…", false }));
    ASSERT_TRUE(mac.world().hotkeys[120].enabled);
    shown = statuses.size();
    overview->shutdown();
    settle(3);
    EXPECT_EQ(spacesOf(62), std::vector<std::uint64_t> { 12 });
    EXPECT_EQ(mac.world().displays[1].current, 11u);
    EXPECT_FALSE(mac.world().hotkeys[120].enabled);
    EXPECT_EQ(statuses.size(), shown);
}

TEST_F(WindowOverviewDropTest, AReturnedWindowGoesBackToItsDesktopAndFrameAndItsOriginIsForgotten)
{
    placeThenReframe(QRectF(1200, 100, 500, 400));
    ASSERT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    ASSERT_TRUE(overview->setupView()->canReturnToLibrary(drag(61)));
    EXPECT_FALSE(overview->setupView()->canReturnToLibrary(drag(61, "x")));
    ASSERT_TRUE(overview->start());
    EXPECT_FALSE(overview->setupView()->canReturnToLibrary(drag(61))) << "while another action runs";
    Status before = last();
    overview->setupView()->onReturnToLibrary(drag(61));
    settle(1);
    EXPECT_EQ(last(), before) << "a return arriving anyway does nothing";
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    overview->finish("", false);
    settle();
    int interactionsBefore = interactions;
    overview->setupView()->onReturnToLibrary(drag(61));
    EXPECT_EQ(interactions, interactionsBefore + 1) << "a return is an interaction";
    settle(3);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    EXPECT_EQ(mac.mac().window(61)->frame, QRectF(100, 40, 700, 500));
    EXPECT_EQ(last(), (Status { "Zed est revenu dans Toutes les fenêtres.", false }));
    EXPECT_TRUE(overview->returnOrigins().entries().empty());
}

TEST_F(WindowOverviewDropTest, AReturnFromADesktopNoLongerTheProjectsIsRefused)
{
    placeThenReframe(QRectF(1200, 100, 500, 400));
    ASSERT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    overview->setupView()->onReturnToLibrary(drag(61));
    project.desktops = { 2 };
    settle(3);
    EXPECT_EQ(last(), (Status { "L’écran ou le bureau d’origine n’est plus disponible pour cette fenêtre.", true }));
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
}

TEST_F(WindowOverviewDropTest, AWindowReturnedToADesktopNotShownStillGetsItsFrameBack)
{
    placeThenReframe(QRectF(1200, 100, 500, 400), 62);
    ASSERT_EQ(spacesOf(62), std::vector<std::uint64_t> { 12 });
    overview->setupView()->onReturnToLibrary(drag(62));
    settle(3);
    EXPECT_EQ(spacesOf(62), std::vector<std::uint64_t> { 11 });
    EXPECT_EQ(mac.world().displays[1].current, 12u) << "its desktop is not shown";
    EXPECT_EQ(mac.mac().window(62)->frame, QRectF(1100, 40, 700, 500));
    EXPECT_EQ(last(), (Status { "Zed est revenu dans Toutes les fenêtres.", false }));
}

TEST_F(WindowOverviewDropTest, AReturnRefusedBeforeItStartsLeavesTheWindowAndTheNextDropAlone)
{
    ASSERT_TRUE(drop(61));
    settle(1);
    ASSERT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    overview->refreshClicked();
    settle();
    int begun = 0;
    overview->beginAction = [&] {
        ++begun;
        return ActionAdmission(false);
    };


    mac.world().applications[1].terminated = true;
    overview->setupView()->onReturnToLibrary(drag(61));
    EXPECT_EQ(last(), (Status { "La position d’origine de cette fenêtre n’est plus disponible.", true }));
    EXPECT_EQ(begun, 0);
    mac.world().applications[1].terminated = false;

    overview->setupView()->onReturnToLibrary(drag(61));
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(last(), (Status { "Une autre action est en cours. Réessaie dans un instant.", false }));
    settle(1);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
    EXPECT_EQ(overview->returnOrigins().entries().size(), 1u);

    // The refused return leaves nothing behind for the next drop.
    overview->beginAction = nullptr;
    ASSERT_TRUE(drop(62));
    settle(1);
    EXPECT_EQ(spacesOf(62), std::vector<std::uint64_t> { 12 });
    EXPECT_TRUE(last().text.find("Zed ajouté au projet sur") == 0) << last().text;
}

TEST_F(WindowOverviewDropTest, QuittingWhileAReturnedWindowsFrameIsRestoredSaysNothing)
{
    placeThenReframe(QRectF(1200, 100, 500, 400));
    mac.world().faults.frameWrites = sim::FrameWrites::late;
    mac.world().faults.frameWriteDelay = 1;
    overview->setupView()->onReturnToLibrary(drag(61));
    settle(0.2);
    ASSERT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    ASSERT_TRUE(overview->busy());
    std::size_t shown = statuses.size();
    overview->shutdown();
    settle(3);
    EXPECT_EQ(statuses.size(), shown);
    EXPECT_EQ(overview->returnOrigins().entries().size(), 1u) << "kept, since the frame was not put back";
}

TEST_F(WindowOverviewDropTest, AReturnedWindowWithinSixPointsOfItsFrameIsNotResized)
{
    placeThenReframe(QRectF(106, 34, 694, 506));
    std::size_t before = mac.mac().log().lines().size();
    overview->setupView()->onReturnToLibrary(drag(61));
    settle(3);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    EXPECT_FALSE(loggedFrom(before, "window-frame"));
    EXPECT_EQ(mac.mac().window(61)->frame, QRectF(106, 34, 694, 506));
    EXPECT_EQ(last(), (Status { "Zed est revenu dans Toutes les fenêtres.", false }));
    EXPECT_TRUE(overview->returnOrigins().entries().empty());
}

TEST_F(WindowOverviewDropTest, AWindowReturnsToAnotherProjectsDesktopButNeverToOneOfTheSelectedProjects)
{
    addProjectB({ 2 });
    // Lists the windows of project b too.
    overview->setupView()->toggleUnassignedFilter();
    ASSERT_TRUE(drop(62));
    settle(1);
    ASSERT_EQ(spacesOf(62), std::vector<std::uint64_t> { 12 });
    ASSERT_EQ(overview->returnOrigins().entries().size(), 1u);
    overview->setupView()->onReturnToLibrary(drag(62));
    settle(3);
    EXPECT_EQ(spacesOf(62), std::vector<std::uint64_t> { 11 });
    EXPECT_EQ(last(), (Status { "Zed est revenu dans Toutes les fenêtres.", false }));

    ASSERT_TRUE(drop(62));
    settle(1);
    ASSERT_EQ(spacesOf(62), std::vector<std::uint64_t> { 12 });
    project.desktops = { 2, 3 };
    overview->refreshClicked();
    settle();
    overview->setupView()->onReturnToLibrary(drag(62));
    settle(3);
    EXPECT_EQ(spacesOf(62), std::vector<std::uint64_t> { 12 });
    EXPECT_EQ(last(), (Status { "L’écran ou le bureau d’origine n’est plus disponible pour cette fenêtre.", true }));
}

// Zed turns into a background application while its window travels back: the window is back, its frame cannot
// be put back.
TEST_F(WindowOverviewDropTest, AReturnedWindowNoLongerListedAsAnApplicationsWindowKeepsItsOrigin)
{
    ASSERT_TRUE(drop(61));
    settle(1);
    mac.world().faults.windows.moves = sim::WindowMoves::late;
    mac.world().faults.windows.moveDelay = 0.5;
    overview->setupView()->onReturnToLibrary(drag(61));
    settle(0.2);
    ASSERT_TRUE(overview->busy());
    mac.world().applications[1].policy = ActivationPolicy::accessory;
    settle(3);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    EXPECT_EQ(last(), (Status { "Zed est revenu dans Toutes les fenêtres. La position d’origine de cette fenêtre n’est "
                                "plus disponible.",
                          true }));
    EXPECT_EQ(overview->returnOrigins().entries().size(), 1u);
}

TEST_F(WindowOverviewDropTest, AReturnThatCannotRestoreTheFrameKeepsTheOriginAndSaysWhy)
{
    ASSERT_TRUE(drop(61));
    settle(1);
    mac.mac().window(61)->frame = QRectF(1200, 100, 500, 400);
    mac.world().permissions.accessibility = false;
    overview->refreshClicked();
    settle();
    overview->setupView()->onReturnToLibrary(drag(61));
    settle(3);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    EXPECT_EQ(last(), (Status { "Zed est revenu dans Toutes les fenêtres. Son bureau est rétabli. Autorise "
                                "l’accessibilité pour restaurer aussi sa taille et sa position.",
                          true }));
    EXPECT_EQ(overview->returnOrigins().entries().size(), 1u);
}

TEST_F(WindowOverviewDropTest, AWindowWithoutOriginGoesToTheAssistantsScreenUnlessThatDesktopIsAProjects)
{
    project.desktops = { 3, 4 };
    overview->refreshClicked();
    settle();
    overview->setupView()->onReturnToLibrary(drag(63));
    settle(3);
    EXPECT_EQ(spacesOf(63), std::vector<std::uint64_t> { 1 });
    EXPECT_EQ(last(), (Status { "Zed est revenu dans Toutes les fenêtres, sur l’écran de l’assistant.", false }));
    EXPECT_TRUE(mac.mac().standardDefaults().data(WindowReturnOrigins::defaultsKey)) << "the origins are written back";

    mac.mac().window(63)->spaces = { 21 };
    project.desktops = { 1, 3, 4 };
    overview->refreshClicked();
    settle();
    overview->setupView()->onReturnToLibrary(drag(63));
    settle(3);
    EXPECT_EQ(spacesOf(63), std::vector<std::uint64_t> { 21 });
    EXPECT_EQ(last(), (Status { "L’écran ou le bureau d’origine n’est plus disponible pour cette fenêtre.", true }));
}

// A wrong type, a value that does not parse, one invalid entry among good ones.
TEST_F(WindowOverviewDropTest, AnUnreadableStoredValueIsSetAsideAndOriginsAreRecordedAgain)
{
    UserDefaults& defaults = mac.mac().standardDefaults();
    WindowReturnOrigins good;
    ASSERT_TRUE(good.recordOriginal({ 62, 600, "com.example.zed", 1.7e9 }, overview->desktops()[1], QRectF(0, 0, 9, 9)));
    std::string data = *good.encodedData();
    std::string entry = data.substr(12, data.size() - 12 - 15);
    std::string bad = entry;
    bad.replace(bad.find("\"pid\":600"), 9, "\"pid\":0");
    std::string mixed = R"({"entries":[)" + entry + "," + bad + R"(],"version":1})";
    ASSERT_TRUE(WindowReturnOrigins::decode(data));
    std::vector<PlistValue> unreadables { PlistValue("texte"), PlistValue(PlistData { '{' }),
        PlistValue(PlistData(mixed.begin(), mixed.end())) };
    for (const PlistValue& unreadable : unreadables) {
        SCOPED_TRACE(&unreadable - unreadables.data());
        defaults.set(WindowReturnOrigins::defaultsKey, unreadable);
        makeOverview();
        EXPECT_TRUE(overview->returnOrigins().entries().empty());
        std::vector<std::string> aside;
        for (const auto& [key, value] : mac.defaultsAfterRestart()->dictionaryRepresentation()) {
            if (key.rfind(WindowReturnOrigins::unreadableKeyPrefix, 0) == 0 && value == unreadable)
                aside.push_back(key);
        }
        ASSERT_EQ(aside.size(), 1u) << "kept under a key of its own";
        EXPECT_EQ(aside.front().size(), std::string(WindowReturnOrigins::unreadableKeyPrefix).size() + 36);

        ASSERT_TRUE(drop(61));
        settle(1);
        ASSERT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 });
        Lookup<PlistData> written = mac.defaultsAfterRestart()->data(WindowReturnOrigins::defaultsKey);
        ASSERT_TRUE(written) << "recorded and written again";
        auto stored = WindowReturnOrigins::decode(std::string(written->begin(), written->end()));
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->entries().size(), 1u);
        overview->setupView()->onReturnToLibrary(drag(61));
        settle(3);
        EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
        EXPECT_EQ(last(), (Status { "Zed est revenu dans Toutes les fenêtres.", false })) << "to its recorded origin";
        EXPECT_EQ(mac.defaultsAfterRestart()->object(aside.front()), unreadable) << "never deleted";
    }
}

TEST_F(WindowOverviewDropTest, AnOriginTheSettingsDoNotTakeIsKeptForItsReturnAndTheStatusSaysSo)
{
    const std::string unsaved = "La position d’origine de cette fenêtre n’a pas pu être enregistrée dans les réglages.";
    mac.settingsFile().failSaves = true;
    ASSERT_TRUE(drop(61));
    settle(1);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 12 }) << "the window stays where it was moved";
    EXPECT_EQ(last(),
        (Status { "Zed ajouté au projet sur Screen D2. Son bureau est maintenant affiché. " + unsaved, true }));
    EXPECT_EQ(overview->returnOrigins().entries().size(), 1u);
    EXPECT_FALSE(mac.defaultsAfterRestart()->objectExists(WindowReturnOrigins::defaultsKey));

    overview->setupView()->onReturnToLibrary(drag(61));
    settle(3);
    EXPECT_EQ(spacesOf(61), std::vector<std::uint64_t> { 1 });
    EXPECT_EQ(mac.mac().window(61)->frame, QRectF(100, 40, 700, 500)) << "returned to its origin from memory";
    EXPECT_EQ(last(), (Status { "Zed est revenu dans Toutes les fenêtres. " + unsaved, true }));
    EXPECT_TRUE(overview->returnOrigins().entries().empty());

    // Settings that take writes again by the time the commit ends: the origin is written then.
    overview->commitProjectDisplay = [this](const ProjectDisplayPreparation&, auto completion) {
        mac.settingsFile().failSaves = false;
        completion(std::nullopt);
    };
    mac.settingsFile().failSaves = true;
    ASSERT_TRUE(drop(61));
    settle(1);
    EXPECT_EQ(last(), (Status { "Zed ajouté au projet sur Screen D2. Son bureau est maintenant affiché.", false }));
    Lookup<PlistData> written = mac.defaultsAfterRestart()->data(WindowReturnOrigins::defaultsKey);
    ASSERT_TRUE(written);
    EXPECT_EQ(WindowReturnOrigins::decode(std::string(written->begin(), written->end()))->entries().size(), 1u);
}

} // namespace
} // namespace pellamor
