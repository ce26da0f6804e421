#include "desktops/ProjectDesktopAssociations.h"
#include "e2e/ExecutableProcess.h"
#include "platform/FileDefaultsStorage.h"
#include "windows/WindowReturnDestination.h"
#include "support/TemporaryDirectory.h"

#include <QImage>
#include <QProcess>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace pellamor::test {
namespace {

struct Outcome {
    int status;
    std::string errors;
    // The user defaults the run left behind.
    PlistDictionary defaults;

    std::string stored(const std::string& key) const
    {
        Lookup<PlistData> data = lookupData(defaults, key);
        return data ? std::string(data->begin(), data->end()) : std::string();
    }
};

Outcome runWorld(const std::string& world)
{
    TemporaryDirectory home;
    QProcess process;
    startOnWorld(process, home.path(), world);
    // A real process on the real clock; the script quits after a few seconds at most.
    EXPECT_TRUE(process.waitForFinished(20000));
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardError().toStdString(),
        FileDefaultsStorage(FileDefaultsStorage::standardPath(home.path())).load() };
}

const char* const displays
    = R"("displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "main": true, "frame": [0, 0, 800, 600], "spaces": [{ "id": 1 }] }])";

TEST(ExecutableTest, TheScriptRunsAndQuitEndsWithStatusZero)
{
    Outcome run = runWorld(std::string("{") + displays + R"(,
        "applications": [{ "pid": 501, "bundleID": "com.openai.codex", "name": "Codex" }],
        "script": [{ "at": 0.2, "activate": "com.openai.codex" }, { "at": 0.4, "quit": true }] })");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("mac: frontmost bundle=com.openai.codex\n"), std::string::npos) << run.errors;
}

TEST(ExecutableTest, TheScriptClicksControlsByTheirIdentifier)
{
    Outcome run = runWorld(std::string("{") + displays + R"(,
        "script": [{ "at": 0.2, "click": "automatic-switching-toggle" }, { "at": 0.3, "click": "no-such-control" },
                   { "at": 0.5, "quit": true }] })");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors.find("no control automatic-switching-toggle"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("app: script-failed step=1 reason=no control no-such-control\n"), std::string::npos)
        << run.errors;
}

// The map's middle falls between the two cards: only a click aimed at a card selects its screen.
TEST(ExecutableTest, TheScriptClicksAScreenOfTheMapAndNamesWhatItCannotClick)
{
    Outcome run = runWorld(R"({ "displays": [
    { "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "main": true, "frame": [0, 0, 800, 600], "spaces": [{ "id": 1 }] },
    { "id": "22222222-2222-2222-2222-222222222222", "number": 2, "name": "B", "frame": [800, 0, 800, 600], "spaces": [{ "id": 2 }] }],
  "defaults": { "assistantScreenID": "11111111-1111-1111-1111-111111111111", "onboardingIntroductionSeen": true },
  "script": [{ "at": 0.3, "tab": "screens" },
             { "at": 0.4, "click": { "control": "assistant-screen-map", "screen": "22222222-2222-2222-2222-222222222222" } },
             { "at": 0.5, "click": { "control": "assistant-screen-map", "screen": "99999999-9999-9999-9999-999999999999" } },
             { "at": 0.6, "click": { "control": "place-assistant", "screen": "22222222-2222-2222-2222-222222222222" } },
             { "at": 0.7, "click": "open-feedback" }, { "at": 0.8, "click": "send-feedback" },
             { "at": 1.0, "quit": true }] })");
    EXPECT_EQ(run.status, 0) << run.errors;
    Lookup<std::string> screen = lookupString(run.defaults, "assistantScreenID");
    ASSERT_TRUE(screen) << run.errors;
    EXPECT_EQ(*screen, "22222222-2222-2222-2222-222222222222");
    for (const char* failed : { "app: script-failed step=2 reason=no screen 99999999-9999-9999-9999-999999999999 on "
                                "assistant-screen-map\n",
             "app: script-failed step=3 reason=place-assistant is not a screen map\n",
             // No feedback is sent from a build without a service to send it to.
             "app: script-failed step=5 reason=send-feedback is disabled\n" })
        EXPECT_NE(run.errors.find(failed), std::string::npos) << run.errors;
    for (const char* reached : { "step=1 ", "step=4 " })
        EXPECT_EQ(run.errors.find(reached), std::string::npos) << run.errors;
}

TEST(ExecutableTest, TheScriptResizesTheWindowAndItsScreenshotShowsTheOnboardingSheet)
{
    TemporaryDirectory pictures;
    std::filesystem::path withSheet = pictures.path() / "sheet.png";
    std::filesystem::path without = pictures.path() / "window.png";
    Outcome run = runWorld(std::string("{") + displays + R"(,
        "script": [{ "at": 0.2, "resize": [820, 800] }, { "at": 0.4, "screenshot": ")" + withSheet.string() + R"(" },
                   { "at": 0.5, "click": "onboarding-skip" }, { "at": 0.6, "screenshot": ")" + without.string() + R"(" },
                   { "at": 0.8, "quit": true }] })");
    EXPECT_EQ(run.status, 0) << run.errors;
    QImage sheet(QString::fromStdString(withSheet.string()));
    QImage window(QString::fromStdString(without.string()));
    ASSERT_FALSE(sheet.isNull());
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(sheet.size() / sheet.devicePixelRatio(), QSize(820, 800));
    EXPECT_EQ(window.size(), sheet.size());
    // The onboarding covers the middle of the window, not its left edge.
    QRect middle(300, 200, 200, 200);
    EXPECT_NE(sheet.copy(middle), window.copy(middle));
    QRect edge(0, 200, 40, 200);
    EXPECT_EQ(sheet.copy(edge), window.copy(edge));

    Outcome refused = runWorld(std::string("{") + displays + R"(, "script": [{ "at": 0.2, "resize": [820] }] })");
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.errors.find("script[0].resize: expected [width, height]"), std::string::npos) << refused.errors;
}

TEST(ExecutableTest, AMalformedWorldStopsTheStartNamingTheMember)
{
    Outcome run = runWorld(
        std::string("{") + displays + R"(, "windows": [{ "number": 1, "pid": 2, "frame": "wide", "spaces": [] }] })");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.errors.find("windows[0].frame: expected [x, y, width, height]"), std::string::npos) << run.errors;
}

// Desktop 2 of the content screen is project B's; its shortcut is off, so a switch to it turns the shortcut on.
const char* const switchingWorld = R"({
    "displays": [
        { "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "main": true,
          "frame": [0, 0, 800, 600], "spaces": [{ "id": 1 }] },
        { "id": "22222222-2222-2222-2222-222222222222", "number": 2, "name": "B", "frame": [800, 0, 800, 600],
          "spaces": [{ "id": 2 }, { "id": 3 }], "current": 3 }],
    "hotkeys": { "118": { "code": 18, "flags": 262144 }, "119": { "code": 19, "flags": 262144, "enabled": false },
                 "120": { "code": 20, "flags": 262144 } },
    "applications": [{ "pid": 501, "bundleID": "com.openai.codex", "name": "Codex" }],
    "frontmost": "com.openai.codex",
    "faults": { "switchDelay": 60 },
    "defaults": { "projectDesktops": { "b": 2 } },
    "assistant": { "projects": [{ "id": "a", "name": "A" }, { "id": "b", "name": "B" }], "selected": "a" },
    "script": [{ "at": 0.3, "assistant": { "select": "b" } }] })";

// A signal arriving while a switch waits for the desktop: the shutdown switches the shortcut off again.
TEST(ExecutableTest, TerminationSignalsRunTheShutdownAndRestoreTheShortcut)
{
    for (int number : { SIGTERM, SIGINT }) {
        TemporaryDirectory home;
        QProcess process;
        process.setReadChannel(QProcess::StandardError);
        startOnWorld(process, home.path(), switchingWorld);
        std::string errors;
        while (errors.find("mac: hotkey id=119 enabled=true") == std::string::npos && process.waitForReadyRead(5000))
            errors += process.readAllStandardError().toStdString();
        ASSERT_NE(errors.find("mac: hotkey id=119 enabled=true"), std::string::npos) << errors;
        ASSERT_TRUE(test::signalRunning(process, number)) << errors;
        ASSERT_TRUE(process.waitForFinished(5000));
        errors += process.readAllStandardError().toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << number;
        EXPECT_EQ(process.exitCode(), 0) << number;
        EXPECT_NE(errors.find("mac: hotkey id=119 enabled=false"), std::string::npos) << number << errors;
    }
}

TEST(ExecutableTest, TheScriptWorksTheWindowsTabAndNamesTheStepsThatFindNothing)
{
    Outcome run = runWorld(std::string("{") + displays + R"(,
        "applications": [{ "pid": 501, "bundleID": "com.openai.codex", "name": "Codex" },
                         { "pid": 600, "bundleID": "com.example.zed", "name": "Zed" }],
        "windows": [{ "number": 61, "pid": 600, "title": "Notes", "frame": [10, 10, 400, 300], "spaces": [1] }],
        "assistant": { "projects": [{ "id": "p-a", "name": "Alpha" }, { "id": "p-b", "name": "Béta" }] },
        "script": [{ "at": 0.5, "choose-project": "p-b" }, { "at": 1.5, "select-window": 61 },
                   { "at": 1.6, "choose-project": "p-none" }, { "at": 1.7, "type": { "into": "nowhere", "text": "x" } },
                   { "at": 1.8, "key": { "into": "setup-project-search", "key": "Up" } },
                   { "at": 1.9, "tab": "privacy" }, { "at": 2.0, "select-window": 61 }, { "at": 2.2, "quit": true }] })");
    EXPECT_EQ(run.status, 0) << run.errors;
    for (const char* found : { "step=0 ", "step=1 ", "step=5 " })
        EXPECT_EQ(run.errors.find(found), std::string::npos) << run.errors;
    for (const char* failed : { "app: script-failed step=2 reason=no project p-none\n",
             "app: script-failed step=3 reason=no control nowhere\n",
             "app: script-failed step=4 reason=no control setup-project-search\n",
             "app: script-failed step=6 reason=no control window-card:61\n" })
        EXPECT_NE(run.errors.find(failed), std::string::npos) << run.errors;
}

// A card dragged onto a content screen lands on the desktop prepared there, which is opened when not shown.
TEST(ExecutableTest, ADraggedWindowLandsOnTheProjectsDesktopOfThatScreen)
{
    Outcome run = runWorld(R"({ "displays": [
    { "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "main": true, "frame": [0, 0, 800, 600], "spaces": [{ "id": 1 }] },
    { "id": "22222222-2222-2222-2222-222222222222", "number": 2, "name": "B", "frame": [800, 0, 800, 600], "spaces": [{ "id": 2 }] },
    { "id": "33333333-3333-3333-3333-333333333333", "number": 3, "name": "C", "frame": [1600, 0, 800, 600], "spaces": [{ "id": 3 }, { "id": 4 }], "current": 3 }],
  "applications": [{ "pid": 501, "bundleID": "com.openai.codex", "name": "Codex" },
                   { "pid": 600, "bundleID": "com.example.zed", "name": "Zed", "launched": 1700000000 }],
  "frontmost": "com.openai.codex",
  "windows": [{ "number": 1, "pid": 501, "title": "Codex", "frame": [0, 0, 800, 600], "spaces": [1] },
              { "number": 61, "pid": 600, "title": "Notes", "frame": [10, 10, 400, 300], "spaces": [1] },
              { "number": 62, "pid": 600, "title": "Draft", "frame": [1610, 10, 400, 300], "spaces": [3] }],
  "defaults": { "assistantScreenID": "11111111-1111-1111-1111-111111111111", "projectDesktops": { "p-b": 4 } },
  "assistant": { "projects": [{ "id": "p-a", "name": "Alpha" }, { "id": "p-b", "name": "Beta" }] },
  "script": [{ "at": 0.5, "choose-project": "p-b" },
             { "at": 1.5, "drag-window": { "window": 61, "to-display": "22222222-2222-2222-2222-222222222222" } },
             { "at": 4.0, "drag-window": { "window": 62, "to-display": "33333333-3333-3333-3333-333333333333" } },
             { "at": 6.0, "drag-window": { "window": 62, "to-display": "11111111-1111-1111-1111-111111111111" } },
             { "at": 6.5, "quit": true }] })");
    EXPECT_EQ(run.status, 0) << run.errors;
    std::size_t first = run.errors.find("mac: window-spaces window=61 spaces=2\n");
    std::size_t second = run.errors.find("mac: window-spaces window=62 spaces=4\n");
    EXPECT_NE(first, std::string::npos) << run.errors;
    EXPECT_NE(second, std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("mac: current-space display=33333333-3333-3333-3333-333333333333 space=4\n", second),
        std::string::npos)
        << run.errors;
    // The assistant's screen offers no place to drop on.
    EXPECT_NE(run.errors.find("step=3 reason=no control project-display:11111111"), std::string::npos) << run.errors;
    auto stored = ProjectDesktopAssociations::decode(run.stored(ProjectDesktopAssociations::defaultsKey));
    ASSERT_TRUE(stored) << run.errors;
    std::set<std::uint64_t> spaces;
    for (const ProjectDesktopAssociation& association : stored->targets["p-b"])
        spaces.insert(association.spaceID);
    EXPECT_EQ(spaces, (std::set<std::uint64_t> { 2, 4 })) << "the empty desktop reused on B is the project's";
}

// A window dropped where the project has no desktop and none is empty gets a new one; dropped back on the
// library, it returns to its own desktop and frame and its origin is forgotten. (Its desktop has a UUID: a
// desktop without one cannot be recorded as an origin.)
TEST(ExecutableTest, AWindowDraggedOntoANewDesktopAndBackReturnsWhereItWas)
{
    Outcome run = runWorld(R"({ "displays": [
    { "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "main": true, "frame": [0, 0, 800, 600], "spaces": [{ "id": 1, "uuid": "AAAAAAAA-0000-0000-0000-000000000001" }] },
    { "id": "22222222-2222-2222-2222-222222222222", "number": 2, "name": "B", "frame": [800, 0, 800, 600], "spaces": [{ "id": 2 }] },
    { "id": "33333333-3333-3333-3333-333333333333", "number": 3, "name": "C", "frame": [1600, 0, 800, 600], "spaces": [{ "id": 3 }, { "id": 4 }] }],
  "applications": [{ "pid": 501, "bundleID": "com.openai.codex", "name": "Codex" },
                   { "pid": 600, "bundleID": "com.example.zed", "name": "Zed", "launched": 1700000000 }],
  "frontmost": "com.openai.codex",
  "windows": [{ "number": 1, "pid": 501, "title": "Codex", "frame": [0, 0, 800, 600], "spaces": [1] },
              { "number": 61, "pid": 600, "title": "Notes", "frame": [10, 10, 400, 300], "spaces": [1] },
              { "number": 63, "pid": 600, "title": "Busy", "frame": [810, 10, 300, 200], "spaces": [2] }],
  "defaults": { "assistantScreenID": "11111111-1111-1111-1111-111111111111", "projectDesktops": { "p-b": 4 },
                "onboardingIntroductionSeen": true },
  "assistant": { "projects": [{ "id": "p-a", "name": "Alpha" }, { "id": "p-b", "name": "Beta" }] },
  "script": [{ "at": 0.5, "choose-project": "p-b" },
             { "at": 1.5, "drag-window": { "window": 61, "to-display": "22222222-2222-2222-2222-222222222222" } },
             { "at": 5.0, "window-menu": { "window": 61, "item": "Demi-écran gauche" } },
             { "at": 6.0, "drag-window": { "window": 61, "to-library": true } },
             { "at": 8.0, "drag-window": { "window": 63, "to-library": true } },
             { "at": 8.5, "quit": true }] })");
    EXPECT_EQ(run.status, 0) << run.errors;
    std::size_t created = run.errors.find("mac: space-added display=22222222-2222-2222-2222-222222222222 space=5\n");
    ASSERT_NE(created, std::string::npos) << run.errors;
    std::size_t moved = run.errors.find("mac: window-spaces window=61 spaces=5\n", created);
    ASSERT_NE(moved, std::string::npos) << run.errors;
    std::size_t opened = run.errors.find("mac: current-space display=22222222-2222-2222-2222-222222222222 space=5\n", moved);
    ASSERT_NE(opened, std::string::npos) << run.errors;
    std::size_t arranged = run.errors.find("mac: window-frame window=61 frame=800,0,400,600\n", opened);
    ASSERT_NE(arranged, std::string::npos) << run.errors;
    std::size_t returned = run.errors.find("mac: window-spaces window=61 spaces=1\n", arranged);
    ASSERT_NE(returned, std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("mac: window-frame window=61 frame=10,10,400,300\n", returned), std::string::npos)
        << run.errors;
    // A window that is on none of the project's desktops has nowhere to return from.
    EXPECT_NE(run.errors.find("app: drop-refused window=63 target=library\n"), std::string::npos) << run.errors;
    auto origins = WindowReturnOrigins::decode(run.stored(WindowReturnOrigins::defaultsKey));
    ASSERT_TRUE(origins) << run.errors;
    EXPECT_TRUE(origins->entries().empty());
}

TEST(ExecutableTest, TheScriptAppliesALayoutFromACardsMenuAndClicksAProjectShortcut)
{
    Outcome run = runWorld(R"({ "displays": [
    { "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "main": true, "frame": [0, 0, 800, 600], "spaces": [{ "id": 1 }] },
    { "id": "33333333-3333-3333-3333-333333333333", "number": 3, "name": "C", "frame": [800, 0, 800, 600], "spaces": [{ "id": 3 }, { "id": 4 }], "current": 3 }],
  "applications": [{ "pid": 501, "bundleID": "com.openai.codex", "name": "Codex" },
                   { "pid": 600, "bundleID": "com.example.zed", "name": "Zed", "launched": 1700000000 }],
  "frontmost": "com.openai.codex",
  "windows": [{ "number": 1, "pid": 501, "title": "Codex", "frame": [0, 0, 800, 600], "spaces": [1] },
              { "number": 62, "pid": 600, "title": "Draft", "frame": [810, 10, 400, 300], "spaces": [3] }],
  "defaults": { "assistantScreenID": "11111111-1111-1111-1111-111111111111", "projectDesktops": { "p-b": 3 },
                "onboardingIntroductionSeen": true },
  "assistant": { "projects": [{ "id": "p-a", "name": "Alpha" }, { "id": "p-b", "name": "Beta" }] },
  "script": [{ "at": 0.5, "choose-project": "p-b" },
             { "at": 1.5, "window-menu": { "window": 62, "item": "Demi-écran gauche" } },
             { "at": 2.5, "window-menu": { "window": 62, "item": "Nulle part" } },
             { "at": 2.7, "window-menu": { "window": 62, "item": "Remettre à sa place" } },
             { "at": 3.0, "shortcut": "p-b" },
             { "at": 4.0, "quit": true }] })");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("mac: window-frame window=62 frame=800,0,400,600\n"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("step=2 reason=no menu item Nulle part"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("step=3 reason=no menu item Remettre à sa place"), std::string::npos)
        << "the item the card hides is none\n" << run.errors;
    EXPECT_NE(run.errors.find("mac: current-space display=33333333-3333-3333-3333-333333333333 space=4\n"),
        std::string::npos)
        << "the shortcut opens the project's desktop\n" << run.errors;
}

} // namespace
} // namespace pellamor::test
