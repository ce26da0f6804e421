#include "desktops/ScreenPlacement.h"
#include "sim/ClassRegistry.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"
#include "windows/ManualTime.h"
#include "windows/NativeWindowMove.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

using Outcome = std::optional<std::optional<std::string>>;
const Outcome arrivedOutcome = std::optional<std::string>();

class WindowMoveTest : public ::testing::Test {
protected:
    WindowMoveTest()
    {
        AssistantScreenConfiguration { AssistantApp::codex, "D2" }.save(platform().standardDefaults());
        mac.mac().release();
    }

    test::TestMac mac { test::world()
                            .display("D1", { 11, 12 })
                            .display("D2", { 21, 22 })
                            .application(301, "com.example.notes", "Notes")
                            .application(501, "com.openai.codex", "Codex")
                            .window(40, 301, QRectF(100, 100, 400, 300), { 11 })
                            .window(41, 501, QRectF(100, 100, 400, 300), { 21 }) };
    std::shared_ptr<WindowSpaceRuntime> runtime = WindowSpaceRuntime::make();
    DesktopWindow record = runtime->windows(false, true).front();
    std::vector<NativeDesktopState> inventory = *runtime->desktops();
    std::function<std::optional<std::string>()> validation;
    std::shared_ptr<WindowMoveSession> session;
    int completions = 0;
    Outcome outcome;

    std::shared_ptr<NativeWindowMoveEnvironment> environment(std::uint64_t source = 11, std::uint64_t target = 12)
    {
        return std::make_shared<NativeWindowMoveEnvironment>(runtime, record, source, target, inventory, validation);
    }
    void start(std::shared_ptr<WindowMoveEnvironment> moveEnvironment)
    {
        session = std::make_shared<WindowMoveSession>(std::move(moveEnvironment));
        session->start([this](const std::optional<std::string>& message) {
            ++completions;
            outcome = message;
        });
    }
    Outcome move(std::uint64_t source = 11, std::uint64_t target = 12, double seconds = 6)
    {
        start(environment(source, target));
        mac.advance(seconds);
        EXPECT_EQ(completions, 1);
        return outcome;
    }
    bool moveWasLogged()
    {
        const auto& lines = mac.mac().log().lines();
        return std::any_of(lines.begin(), lines.end(),
            [](const std::string& line) { return line.rfind("window-spaces window=40", 0) == 0; });
    }
    sim::Window& window() { return *mac.mac().window(40); }
};

TEST_F(WindowMoveTest, TheWindowMovesWithoutSwitchingAndArrivalIsConfirmed)
{
    start(environment());
    mac.advance(0.029);
    EXPECT_EQ(completions, 0);
    mac.advance(0.001);
    EXPECT_EQ(outcome, arrivedOutcome);
    EXPECT_EQ(window().spaces, std::vector<std::uint64_t> { 12 });
    EXPECT_EQ(mac.mac().log().lines().back(), "window-spaces window=40 spaces=12");
    EXPECT_EQ(mac.mac().world().displays[0].current, 11u);
    // Nothing runs again, not even a cancel afterwards.
    session->cancel();
    mac.advance(5);
    EXPECT_EQ(completions, 1);
}

TEST_F(WindowMoveTest, HeldInputDelaysTheMoveForAtMostThreeSeconds)
{
    mac.mac().hold(0x20000, {}, {});
    EXPECT_EQ(move(), Outcome("Relâche les touches et le bouton de la souris, puis réessaie."));
    EXPECT_FALSE(moveWasLogged());

    completions = 0;
    mac.mac().hold(0, {}, { 2 });
    start(environment());
    mac.advance(1);
    EXPECT_EQ(completions, 0);
    mac.mac().release();
    mac.advance(0.1);
    EXPECT_EQ(outcome, arrivedOutcome);
}

TEST_F(WindowMoveTest, ValidationRefusesEachUnsafeMoveBeforeRequestingIt)
{
    auto changed = "Les bureaux ou l’écran réservé ont changé. Actualise puis réessaie.";
    EXPECT_EQ(move(11, 11), Outcome("La fenêtre est déjà sur ce bureau."));
    completions = 0;
    EXPECT_EQ(move(99, 12), Outcome(changed));
    completions = 0;
    EXPECT_EQ(move(11, 99), Outcome(changed));
    completions = 0;
    window().spaces = { 12 };
    EXPECT_EQ(move(), Outcome("La fenêtre est déjà sur ce bureau."));
    completions = 0;
    window().spaces = { 11, 12 };
    EXPECT_EQ(move(),
        Outcome("Cette fenêtre est sur plusieurs bureaux, en plein écran, ou a changé de bureau. Actualise la vue."));
    completions = 0;
    window().spaces = {};
    EXPECT_EQ(move(), Outcome("macOS ne permet pas de vérifier le bureau de cette fenêtre. Réessaie dans un instant."));
    completions = 0;
    window().spaces = { 11 };
    window().pid = 501;
    EXPECT_EQ(move(), Outcome("macOS ne permet pas de vérifier cette fenêtre. Réessaie dans un instant."));
    completions = 0;
    window().pid = 301;
    validation = [] { return std::optional<std::string>("Le projet a changé."); };
    EXPECT_EQ(move(), Outcome("Le projet a changé."));
    completions = 0;
    validation = nullptr;
    inventory.pop_back();
    EXPECT_EQ(move(), Outcome(changed));
    EXPECT_FALSE(moveWasLogged());
}

TEST_F(WindowMoveTest, DesktopsOrReservationChangedSinceThePlanFailTheMove)
{
    auto changed = Outcome("Les bureaux ou l’écran réservé ont changé. Actualise puis réessaie.");
    auto stale = environment();
    mac.mac().addSpace("D2", 5);
    start(stale);
    mac.advance(1);
    EXPECT_EQ(outcome, changed);

    completions = 0;
    inventory = *runtime->desktops();
    stale = environment();
    mac.mac().setCurrentSpace("D2", 22);
    start(stale);
    mac.advance(1);
    EXPECT_EQ(outcome, changed);

    completions = 0;
    inventory = *runtime->desktops();
    stale = environment();
    AssistantScreenConfiguration { AssistantApp::codex, "D1" }.save(platform().standardDefaults());
    start(stale);
    mac.advance(1);
    EXPECT_EQ(outcome, changed);
    EXPECT_FALSE(moveWasLogged());

    // Desktops unreadable when the move was planned, though readable again when it runs.
    AssistantScreenConfiguration { AssistantApp::codex, "D2" }.save(platform().standardDefaults());
    completions = 0;
    outcome.reset();
    mac.world().faults.spaces = sim::SpacesShape::null;
    stale = environment();
    mac.world().faults.spaces = sim::SpacesShape::wellFormed;
    start(stale);
    mac.advance(1);
    EXPECT_EQ(outcome, changed);
    EXPECT_FALSE(moveWasLogged());

    // Unreadable once the move runs: no waiting for held keys first.
    completions = 0;
    outcome.reset();
    stale = environment();
    mac.world().faults.spaces = sim::SpacesShape::null;
    mac.mac().hold(0x20000, {}, {});
    start(stale);
    mac.advance(0.1);
    EXPECT_EQ(outcome, changed);
    EXPECT_FALSE(moveWasLogged());
}

TEST_F(WindowMoveTest, WithoutTheOperationClassNothingIsMoved)
{
    mac.world().faults.missingSymbols = { "SLSBridgedMoveWindowsToManagedSpaceOperation" };
    EXPECT_EQ(move(),
        Outcome("Cette version de macOS ne permet pas le déplacement direct d’une seule fenêtre. Aucun changement de "
                "bureau n’a été effectué."));
    EXPECT_FALSE(PLMBridgeAvailable());
    EXPECT_EQ(PLMBridgeMoveWindow(40, 12), moveBridgeStatus::unavailable);
    EXPECT_EQ(PLMBridgeMoveWindow(0, 12), moveBridgeStatus::invalidArguments);
    EXPECT_EQ(PLMBridgeMoveWindow(40, 0), moveBridgeStatus::invalidArguments);
}

TEST_F(WindowMoveTest, TheOperationClassMustHaveTheExpectedSignatures)
{
    EXPECT_TRUE(PLMBridgeAvailable());
    auto withSignatures = [&](std::vector<std::string> initialiser, std::string initialiserReturn,
                              std::vector<std::string> performer, std::string performerReturn) {
        auto impostor = std::make_shared<RuntimeClass>("SLSBridgedMoveWindowsToManagedSpaceOperation");
        impostor->addMethod("initWithWindows:spaceID:", { initialiserReturn, initialiser, nullptr });
        impostor->addMethod("performWithWMBridgeDelegate", { performerReturn, performer, nullptr });
        mac.mac().classRegistry().add(impostor);
        return PLMBridgeAvailable();
    };
    EXPECT_TRUE(withSignatures({ "@", ":", "@\"NSArray\"", "Q" }, "@", { "@", ":" }, "v"));
    EXPECT_FALSE(withSignatures({ "@", ":", "@", "I" }, "@", { "@", ":" }, "v"));
    EXPECT_FALSE(withSignatures({ "@", ":", "Q", "Q" }, "@", { "@", ":" }, "v"));
    EXPECT_FALSE(withSignatures({ "@", ":", "@" }, "@", { "@", ":" }, "v"));
    EXPECT_FALSE(withSignatures({ "@", ":", "@", "Q" }, "v", { "@", ":" }, "v"));
    EXPECT_FALSE(withSignatures({ "@", ":", "@", "Q" }, "@", { "@", ":", "@" }, "v"));
    EXPECT_FALSE(withSignatures({ "@", ":", "@", "Q" }, "@", { "@", ":" }, "@"));
}

TEST_F(WindowMoveTest, ARefusedOrRaisingOperationKeepsTheDesktop)
{
    auto refused = Outcome("macOS a refusé de préparer le déplacement. Ton bureau actuel est conservé.");
    mac.world().faults.windows.moves = sim::WindowMoves::refused;
    EXPECT_EQ(move(), refused);
    completions = 0;
    mac.world().faults.windows.moves = sim::WindowMoves::raises;
    EXPECT_EQ(move(), refused);
    EXPECT_FALSE(moveWasLogged());
    EXPECT_EQ(BridgeWindowMoveRuntime::message(7), refused.value());
}

TEST_F(WindowMoveTest, ArrivalMustComeWithinTwoAndAHalfSeconds)
{
    auto unconfirmed
        = Outcome("macOS n’a pas confirmé le déplacement. Actualise pour vérifier le bureau de la fenêtre.");
    mac.world().faults.windows.moves = sim::WindowMoves::late;
    mac.world().faults.windows.moveDelay = 2.4;
    EXPECT_EQ(move(), arrivedOutcome);

    completions = 0;
    window().spaces = { 11 };
    mac.world().faults.windows.moveDelay = 2.6;
    start(environment());
    mac.advance(2.5);
    EXPECT_EQ(completions, 0);
    mac.advance(0.1);
    EXPECT_EQ(outcome, unconfirmed);
    mac.advance(1);
    EXPECT_EQ(window().spaces, std::vector<std::uint64_t> { 12 });

    completions = 0;
    window().spaces = { 11 };
    mac.world().faults.windows.moves = sim::WindowMoves::never;
    EXPECT_EQ(move(), unconfirmed);
}

TEST_F(WindowMoveTest, AWindowThatGoesOrChangesDuringTheMoveIsNotConfirmed)
{
    auto unconfirmed
        = Outcome("macOS n’a pas confirmé le déplacement. Actualise pour vérifier le bureau de la fenêtre.");
    for (auto meanwhile : { sim::WindowMoveMeanwhile::changesSpaces, sim::WindowMoveMeanwhile::changesOwner,
             sim::WindowMoveMeanwhile::disappears }) {
        completions = 0;
        window().spaces = { 11 };
        window().pid = 301;
        mac.world().faults.windows.meanwhile = meanwhile;
        EXPECT_EQ(move(), unconfirmed);
    }
    EXPECT_EQ(mac.mac().log().lines().back(), "window-closed window=40");
}

TEST_F(WindowMoveTest, TheActiveDesktopChangingDuringTheMoveIsReported)
{
    mac.world().faults.windows.moves = sim::WindowMoves::late;
    start(environment());
    mac.advance(0.1);
    mac.mac().setCurrentSpace("D1", 12);
    mac.advance(0.1);
    EXPECT_EQ(outcome,
        Outcome("Le bureau actif ou l’écran réservé a changé pendant le déplacement. Actualise pour vérifier la "
                "position de la fenêtre."));
}

TEST_F(WindowMoveTest, StartAndCancelAnswerOnceEach)
{
    start(environment());
    Outcome second;
    session->start([&](const std::optional<std::string>& message) { second = message; });
    EXPECT_EQ(second, Outcome("Ce déplacement a déjà été demandé."));
    EXPECT_EQ(completions, 0);
    session->cancel();
    EXPECT_EQ(outcome, Outcome("Déplacement annulé."));
    mac.advance(5);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(moveWasLogged());

    completions = 0;
    mac.world().faults.windows.moves = sim::WindowMoves::late;
    start(environment());
    mac.advance(0.1);
    session->cancel();
    EXPECT_EQ(
        outcome, Outcome("Le suivi du déplacement a été annulé. Actualise pour vérifier le bureau de la fenêtre."));
    mac.advance(5);
    EXPECT_EQ(completions, 1);
}

TEST_F(WindowMoveTest, TheEnvironmentRequestsTheMoveOnlyOnce)
{
    auto once = environment();
    EXPECT_EQ(once->requestMove(), std::nullopt);
    EXPECT_EQ(once->requestMove(), "Ce déplacement a déjà été demandé.");
    EXPECT_TRUE(once->arrived());
}

TEST_F(WindowMoveTest, ACancelFromInsideAnEnvironmentCallCompletesAfterTheCallReturns)
{
    bool insideValidation = false;
    bool completedInside = true;
    validation = [&] {
        insideValidation = true;
        session->cancel();
        insideValidation = false;
        return std::optional<std::string>();
    };
    session = std::make_shared<WindowMoveSession>(environment());
    session->start([&](const std::optional<std::string>& message) {
        ++completions;
        completedInside = insideValidation;
        outcome = message;
    });
    mac.advance(1);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(completedInside);
    EXPECT_EQ(outcome, Outcome("Déplacement annulé."));
    EXPECT_FALSE(moveWasLogged());
}

// Answers as scripted and names each call made to it.
class ScriptedMoveEnvironment : public WindowMoveEnvironment {
public:
    bool held = false;
    std::vector<std::string> calls;
    std::function<void(const std::string& call)> during;

    bool inputHeld() override { return note("inputHeld"), held; }
    std::optional<std::string> validate() override { return note("validate"), std::nullopt; }
    std::optional<std::string> requestMove() override { return note("requestMove"), std::nullopt; }
    bool arrived() override { return note("arrived"), false; }
    bool desktopUnchanged() override { return note("desktopUnchanged"), true; }

private:
    void note(const std::string& call)
    {
        calls.push_back(call);
        if (during)
            during(call);
    }
};

TEST(WindowMoveSessionTest, ACancelFromInsideAnyEnvironmentCallIsTheLastThingTheMoveDoes)
{
    struct Case {
        std::string call;
        long occurrence;
        bool held;
    };
    for (const auto& [call, occurrence, held] : { Case { "desktopUnchanged", 1, false }, Case { "inputHeld", 1, true },
             Case { "requestMove", 1, false }, Case { "desktopUnchanged", 2, false }, Case { "arrived", 1, false } }) {
        SCOPED_TRACE(call + " #" + std::to_string(occurrence));
        auto environment = std::make_shared<ScriptedMoveEnvironment>();
        environment->held = held;
        test::ManualTime time;
        auto session = std::make_shared<WindowMoveSession>(environment, time.now(), time.schedule());
        int scheduledAtCancel = 0;
        environment->during = [&](const std::string& now) {
            if (now == call && std::count(environment->calls.begin(), environment->calls.end(), call) == occurrence) {
                session->cancel();
                scheduledAtCancel = time.scheduled;
            }
        };
        int completions = 0;
        session->start([&](const std::optional<std::string>&) { ++completions; });
        time.runUntil(1);
        EXPECT_EQ(completions, 1);
        ASSERT_FALSE(environment->calls.empty());
        EXPECT_EQ(environment->calls.back(), call);
        EXPECT_EQ(std::count(environment->calls.begin(), environment->calls.end(), call), occurrence);
        EXPECT_EQ(time.scheduled, scheduledAtCancel) << "nothing is scheduled after the cancel";
    }
}

TEST(WindowMoveIdentificationTest, LayoutsNeedWellFormedDisplaysWithDistinctIds)
{
    auto display = [](PlistValue identifier, PlistArray spaces, PlistValue current) {
        return PlistDictionary { { "Display Identifier", identifier }, { "Spaces", spaces },
            { "Current Space", PlistDictionary { { "ManagedSpaceID", current } } } };
    };
    auto space = [](PlistValue id) { return PlistValue(PlistDictionary { { "ManagedSpaceID", id } }); };
    std::vector<PlistDictionary> good { display("A", { space(1), space(2) }, 2), display("B", { space(3) }, 3) };
    EXPECT_EQ(WindowMoveIdentification::layout(good),
        (WindowMoveIdentification::Layout { { "A", { 1, 2 } }, { "B", { 3 } } }));
    EXPECT_EQ(WindowMoveIdentification::activeSpaces(good),
        (WindowMoveIdentification::ActiveSpaces { { "A", 2 }, { "B", 3 } }));
    EXPECT_FALSE(WindowMoveIdentification::layout({}));
    EXPECT_FALSE(WindowMoveIdentification::layout({ display("A", { space(1) }, 1), display("A", { space(2) }, 2) }));
    EXPECT_FALSE(WindowMoveIdentification::layout({ display("A", { space(1) }, 1), display("B", { space(1) }, 1) }));
    EXPECT_FALSE(WindowMoveIdentification::layout({ display("", { space(1) }, 1) }));
    EXPECT_FALSE(WindowMoveIdentification::layout({ display("A", {}, 1) }));
    EXPECT_FALSE(WindowMoveIdentification::layout({ display("A", { space(true) }, 1) }));
    EXPECT_FALSE(WindowMoveIdentification::layout({ display("A", { space(0) }, 1) }));
    EXPECT_FALSE(WindowMoveIdentification::activeSpaces({ display("A", { space(1) }, "1") }));
    EXPECT_FALSE(WindowMoveIdentification::activeSpaces({ display(7, { space(1) }, 1) }));
}

} // namespace
} // namespace pellamor
