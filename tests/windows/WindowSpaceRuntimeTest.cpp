#include "windows/WindowSpaceRuntime.h"

#include "sim/AccessibilityTree.h"
#include "sim/SymbolTable.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"
#include "windows/WindowDescription.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

const QRectF frame(100, 100, 400, 300);

class WindowSpaceRuntimeTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world()
                            .display("D1", { 11, 12 })
                            .display("D2", { 21, 22 })
                            .application(301, "com.example.notes", "Notes")
                            .application(302, "com.example.mail", "Mail")
                            .window(40, 301, frame, { 11 })
                            .window(41, 302, frame, { 21 })
                            .window(42, 301, frame, { 12 }) };
    std::shared_ptr<WindowSpaceRuntime> runtime = WindowSpaceRuntime::make();

    std::vector<std::uint32_t> listed(bool includeHidden = false)
    {
        std::vector<std::uint32_t> numbers;
        for (const DesktopWindow& window : runtime->windows(includeHidden, true))
            numbers.push_back(window.id);
        return numbers;
    }
    std::string titleOf(std::uint32_t number, bool readMetadata = true)
    {
        for (const DesktopWindow& window : runtime->windows(false, readMetadata))
            if (window.id == number)
                return window.title;
        return "<not listed>";
    }
    sim::Window& window(std::uint32_t number) { return *mac.mac().window(number); }
};

TEST_F(WindowSpaceRuntimeTest, ListsOrdinaryWindowsOfOtherRegularApplicationsOnSomeDesktop)
{
    auto windows = runtime->windows(false, true);
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0],
        (DesktopWindow { 40, 301, "Notes", "com.example.notes", "Window 40", frame, { 11 }, std::nullopt, false }));
    // A window on a desktop that is not current has no Accessibility element, hence no metadata.
    EXPECT_EQ(windows[2].isMinimized, std::nullopt);

    mac.world().applications.push_back({ Platform::processIdentifier(), "fr.local.pellamor", "Pellamor", "" });
    mac.world().applications.push_back(
        { 303, "com.example.agent", "Agent", "/Applications/Agent.app", ActivationPolicy::accessory });
    auto add = [&](std::uint32_t number, int pid, QRectF bounds, std::vector<std::uint64_t> spaces, int layer = 0) {
        sim::Window extra = window(40);
        extra.number = number;
        extra.pid = pid;
        extra.frame = bounds;
        extra.spaces = spaces;
        extra.layer = layer;
        mac.world().windows.push_back(extra);
    };
    add(50, Platform::processIdentifier(), frame, { 11 });
    add(51, 303, frame, { 11 });
    add(52, 301, QRectF(0, 0, 59, 300), { 11 });
    add(53, 301, QRectF(0, 0, 400, 39.5), { 11 });
    add(54, 301, frame, {});
    add(55, 301, frame, { 11 }, 3);
    add(56, 999, frame, { 11 });
    add(57, 301, QRectF(0, 0, 60, 40), { 11 });
    EXPECT_EQ(listed(), (std::vector<std::uint32_t> { 40, 41, 42, 57 }));
}

TEST_F(WindowSpaceRuntimeTest, ABoundsDictionaryThatIsNotFiniteOrAnOwnerThatIsNoProcessLeavesTheWindowOut)
{
    // Bounds the world file cannot hold: the window server's own list is replaced for this test.
    auto list = platform().windowList().copyWindowInfo(windowListOption::excludeDesktopElements, 0);
    ASSERT_TRUE(list);
    PlistDictionary broken = *list->front().asDictionary();
    broken[windowKey::bounds] = PlistDictionary { { "X", std::numeric_limits<double>::quiet_NaN() }, { "Y", 0 },
        { "Width", 400 }, { "Height", 300 } };
    PlistDictionary huge = *list->front().asDictionary();
    huge[windowKey::bounds] = PlistDictionary { { "X", 0 }, { "Y", 0 },
        { "Width", std::numeric_limits<double>::infinity() }, { "Height", 300 } };
    EXPECT_FALSE(WindowDescription::parse(broken));
    EXPECT_FALSE(WindowDescription::parse(huge));
    EXPECT_TRUE(WindowDescription::parse(*list->front().asDictionary()));
    // Nor is one whose owner is missing or not a process number.
    PlistDictionary ownerless = *list->front().asDictionary();
    ownerless.erase(windowKey::ownerPID);
    EXPECT_FALSE(WindowDescription::parse(ownerless));
    PlistDictionary farOwner = *list->front().asDictionary();
    farOwner[windowKey::ownerPID] = std::int64_t { 2147483648 };
    EXPECT_FALSE(WindowDescription::parse(farOwner));
    farOwner[windowKey::ownerPID] = std::int64_t { 2147483647 };
    EXPECT_TRUE(WindowDescription::parse(farOwner));
}

TEST_F(WindowSpaceRuntimeTest, ApplicationNamesComeFromTheBundleThenTheNames)
{
    auto& notes = mac.world().applications[0];
    notes.bundlePath = "/Applications/Notes Pro.app";
    EXPECT_EQ(runtime->windows(false, false)[0].application, "Notes Pro");
    notes.bundlePath = "";
    EXPECT_EQ(runtime->windows(false, false)[0].application, "Notes");
    notes.name = "";
    EXPECT_EQ(runtime->windows(false, false)[0].application, "Application");
}

TEST_F(WindowSpaceRuntimeTest, TitlesComeFromEachSourceInOrder)
{
    mac.world().permissions.screenCapture = true;
    window(40).title = "Server name";
    EXPECT_EQ(titleOf(40), "Server name");
    mac.world().permissions.screenCapture = false;
    window(40).title = "  From Accessibility\n";
    EXPECT_EQ(titleOf(40), "From Accessibility");
    window(40).title = "";
    runtime->updateCaptureTitle(40, 301, "  ");
    runtime->updateCaptureTitle(40, 302, "Other process");
    window(40).document = "/Users/me/Plans/Budget%202026.numbers";
    EXPECT_EQ(titleOf(40), "Budget%202026.numbers");
    runtime->updateCaptureTitle(40, 301, "Captured");
    EXPECT_EQ(titleOf(40), "Captured");
    // Without Accessibility the document name is not known either.
    mac.world().permissions.accessibility = false;
    EXPECT_EQ(titleOf(40), "Captured");
}

TEST_F(WindowSpaceRuntimeTest, UntitledWindowsWithoutAnyPermissionSayTheTitleIsUnavailable)
{
    window(40).title = "";
    EXPECT_EQ(titleOf(40), "Fenêtre sans titre");
    mac.world().permissions.accessibility = false;
    EXPECT_EQ(titleOf(40), "Titre indisponible");
    mac.world().permissions.screenCapture = true;
    EXPECT_EQ(titleOf(40), "Fenêtre sans titre");
}

TEST_F(WindowSpaceRuntimeTest, CaptureTitlesAreForgottenWithTheirWindow)
{
    window(40).title = "";
    runtime->updateCaptureTitle(40, 301, "Captured");
    mac.world().applications[0].terminated = true;
    runtime->windows(false, true);
    mac.world().applications[0].terminated = false;
    EXPECT_EQ(titleOf(40), "Fenêtre sans titre");
}

TEST_F(WindowSpaceRuntimeTest, MetadataComesFromAccessibilityOfTheCurrentDesktops)
{
    window(40).minimized = true;
    window(40).document = "/tmp/Rapport final.pages";
    auto windows = runtime->windows(false, true);
    EXPECT_EQ(windows[0].isMinimized, true);
    EXPECT_EQ(windows[0].documentName, "Rapport final.pages");
    EXPECT_EQ(runtime->windows(false, false)[0].isMinimized, std::nullopt);
    mac.world().faults.windows.enumerationFails = { 301 };
    EXPECT_EQ(runtime->windows(false, true)[0].documentName, std::nullopt);
    mac.world().faults.windows.enumerationFails.clear();
    mac.world().faults.missingSymbols.insert("_AXUIElementGetWindow");
    EXPECT_EQ(WindowSpaceRuntime::make()->windows(false, true)[0].documentName, std::nullopt);
}

TEST_F(WindowSpaceRuntimeTest, AHiddenWindowIsConfirmedAfterOneSecond)
{
    mac.world().faults.windows.hidden = { 40 };
    mac.clock().advance(99000 - mac.clock().now());
    EXPECT_EQ(listed(), (std::vector<std::uint32_t> { 40, 41, 42 }));
    mac.advance(0.9);
    EXPECT_EQ(listed(), (std::vector<std::uint32_t> { 40, 41, 42 }));
    mac.advance(0.1);
    EXPECT_EQ(listed(), (std::vector<std::uint32_t> { 41, 42 }));
    EXPECT_EQ(listed(true), (std::vector<std::uint32_t> { 40, 41, 42 }));

    // A change of desktops starts the wait again.
    window(40).spaces = { 11, 12 };
    listed();
    window(40).spaces = { 11 };
    EXPECT_EQ(listed(), (std::vector<std::uint32_t> { 40, 41, 42 }));
    mac.advance(0.5);
    window(40).spaces = { 12 };
    mac.mac().world().displays[0].current = 12;
    EXPECT_EQ(listed(), (std::vector<std::uint32_t> { 40, 41, 42 }));
    mac.advance(0.99);
    EXPECT_EQ(listed(), (std::vector<std::uint32_t> { 40, 41, 42 }));
    mac.advance(0.01);
    EXPECT_EQ(listed(), (std::vector<std::uint32_t> { 41, 42 }));

    // Undecided when its application's windows cannot be listed: the verdict so far stands.
    mac.world().faults.windows.enumerationFails = { 301 };
    mac.advance(5);
    EXPECT_EQ(listed(), (std::vector<std::uint32_t> { 41, 42 }));
    mac.world().faults.windows.hidden.clear();
    EXPECT_EQ(listed(), (std::vector<std::uint32_t> { 40, 41, 42 }));
}

TEST_F(WindowSpaceRuntimeTest, HiddenTrackerRulesOnTheirOwn)
{
    EXPECT_EQ(HiddenWindowTracker::candidate(true, true, true, false), false);
    EXPECT_EQ(HiddenWindowTracker::candidate(false, true, true, true), false);
    EXPECT_EQ(HiddenWindowTracker::candidate(false, true, true, false), true);
    EXPECT_EQ(HiddenWindowTracker::candidate(false, false, true, false), std::nullopt);
    EXPECT_EQ(HiddenWindowTracker::candidate(false, true, false, false), std::nullopt);
    HiddenWindowTracker tracker;
    EXPECT_FALSE(tracker.observe(7, 1, { 3 }, true, 100.0));
    EXPECT_FALSE(tracker.observe(7, 1, { 3 }, true, 100.9));
    EXPECT_TRUE(tracker.observe(7, 1, { 3 }, true, 101.0));
    EXPECT_TRUE(tracker.observe(7, 1, { 3 }, std::nullopt, 101.5));
    EXPECT_FALSE(tracker.observe(7, 2, { 3 }, std::nullopt, 101.6));
    EXPECT_FALSE(tracker.observe(7, 2, { 3 }, true, 102.0));
    EXPECT_FALSE(tracker.observe(7, 2, { 3 }, false, 104.0));
    EXPECT_TRUE(tracker.observations.empty());
}

TEST_F(WindowSpaceRuntimeTest, SpacesAndWindowsOfSpacesComeFromTheWindowServer)
{
    window(41).spaces = { 21, 22 };
    EXPECT_EQ(runtime->spaces(41), (std::vector<std::uint64_t> { 21, 22 }));
    EXPECT_EQ(runtime->spaces(77), std::vector<std::uint64_t> {});
    EXPECT_EQ(runtime->windowsInSpace(22), std::vector<std::uint32_t> { 41 });
    EXPECT_EQ(runtime->windowsInSpace(11), std::vector<std::uint32_t> { 40 });
    EXPECT_EQ(runtime->windowsInSpace(0), std::nullopt);
    EXPECT_EQ(runtime->desktops()->size(), 4u);
}

TEST_F(WindowSpaceRuntimeTest, AnyBadWindowNumberOfASpaceMakesTheWholeAnswerAbsent)
{
    PlistArray answer;
    std::uint32_t options = 0;
    mac.mac().symbolTable().add(skylight::frameworkPath, "SLSCopyWindowsWithOptionsAndTags",
        std::function<skylight::CopyWindowsWithOptionsAndTags>(
            [&](skylight::ConnectionID, std::uint32_t, const PlistArray&, std::uint32_t asked, std::uint64_t*,
                std::uint64_t*) {
                options = asked;
                return std::optional<PlistValue>(answer);
            }));
    auto fresh = WindowSpaceRuntime::make();
    answer = { 40, 4294967295.0, std::uint64_t { 7 } };
    EXPECT_EQ(fresh->windowsInSpace(11), (std::vector<std::uint32_t> { 40, 4294967295u, 7 }));
    EXPECT_EQ(options, 7u);
    answer = {};
    EXPECT_EQ(fresh->windowsInSpace(11), std::vector<std::uint32_t> {});
    for (PlistValue bad : { PlistValue(0), PlistValue(std::int64_t { 4294967296 }), PlistValue(40.5), PlistValue(true),
             PlistValue("40"), PlistValue(-1) }) {
        answer = { 40, bad };
        EXPECT_EQ(fresh->windowsInSpace(11), std::nullopt);
    }
}

TEST_F(WindowSpaceRuntimeTest, AWindowsSpacesAreAskedOverAllSpacesAndReadAsWholeNonNegativeNumbers)
{
    PlistArray answer;
    std::int32_t mask = 0;
    mac.mac().symbolTable().add(skylight::frameworkPath, "SLSCopySpacesForWindows",
        std::function<skylight::CopySpacesForWindows>([&](skylight::ConnectionID, std::int32_t asked, const PlistArray&) {
            mask = asked;
            return std::optional<PlistValue>(answer);
        }));
    auto fresh = WindowSpaceRuntime::make();
    answer = { std::uint64_t { 11 }, std::int64_t { 12 }, 13.0, 0.0 };
    EXPECT_EQ(fresh->spaces(40), (std::vector<std::uint64_t> { 11, 12, 13, 0 }));
    EXPECT_EQ(mask, 7);
    for (PlistValue bad : { PlistValue(0x1p64), PlistValue(-1.0), PlistValue("12"), PlistValue(true) }) {
        answer = { std::uint64_t { 11 }, bad };
        EXPECT_EQ(fresh->spaces(40), std::nullopt);
    }
}

TEST_F(WindowSpaceRuntimeTest, MissingSymbolsDisableOnlyWhatNeedsThem)
{
    mac.world().faults.missingSymbols = { "SLSCopyWindowsWithOptionsAndTags" };
    auto partial = WindowSpaceRuntime::make();
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->windowsInSpace(11), std::nullopt);
    EXPECT_EQ(partial->windows(false, true).size(), 3u);
    mac.world().faults.missingSymbols = { "SLSCopySpacesForWindows" };
    EXPECT_FALSE(WindowSpaceRuntime::make());
    mac.world().faults.missingSymbols = { "SLSMainConnectionID" };
    EXPECT_FALSE(WindowSpaceRuntime::make());
    mac.world().faults.missingSymbols = { skylight::frameworkPath };
    EXPECT_FALSE(WindowSpaceRuntime::make());
}

TEST_F(WindowSpaceRuntimeTest, OwnerChecksAndElementsFollowTheLiveWindow)
{
    DesktopWindow record = runtime->windows(false, true)[0];
    EXPECT_TRUE(runtime->identifiesOwner(record));
    AXElementRef element = runtime->accessibilityWindow(record);
    ASSERT_TRUE(element);
    EXPECT_EQ(runtime->windowID(element), 40u);
    // Finding one window's element may wait longer than reading every window's metadata.
    EXPECT_EQ(mac.mac().accessibilityTree().applicationElement(301)->messagingTimeout(), 0.3);
    runtime->windows(false, true);
    EXPECT_EQ(mac.mac().accessibilityTree().applicationElement(301)->messagingTimeout(), 0.1);
    window(40).frame = QRectF(0, 0, 800, 600);
    window(40).spaces = { 12 };
    auto refreshed = runtime->window(record);
    ASSERT_TRUE(refreshed);
    EXPECT_EQ(refreshed->frame, QRectF(0, 0, 800, 600));
    EXPECT_EQ(refreshed->spaces, std::vector<std::uint64_t> { 12 });
    // No element on a desktop that is not current.
    EXPECT_FALSE(runtime->accessibilityWindow(*refreshed));

    window(40).pid = 302;
    EXPECT_FALSE(runtime->identifiesOwner(record));
    EXPECT_FALSE(runtime->window(record));
    // A window whose owner runs no application at all.
    window(40).pid = 999;
    DesktopWindow orphan = record;
    orphan.pid = 999;
    EXPECT_FALSE(runtime->identifiesOwner(orphan));
    EXPECT_FALSE(runtime->window(orphan));
    window(40).pid = 301;
    mac.world().applications[0].policy = ActivationPolicy::accessory;
    EXPECT_TRUE(runtime->identifiesOwner(record));
    EXPECT_FALSE(runtime->window(record));
    mac.world().applications[0].terminated = true;
    EXPECT_FALSE(runtime->identifiesOwner(record));
    EXPECT_EQ(runtime->descriptions(0), std::nullopt);
}

} // namespace
} // namespace pellamor
