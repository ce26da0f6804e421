// What the simulated Mac is made of: displays and their spaces, hot keys, input, applications, windows, faults.
#pragma once

#include "platform/LoopbackRouting.h"
#include "platform/Workspace.h"

#include <QRectF>
#include <QSizeF>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellamor::sim {

inline constexpr std::int64_t desktopSpaceType = 0;
inline constexpr std::int64_t fullScreenSpaceType = 4;

struct Space {
    std::uint64_t id = 0;
    std::optional<std::string> uuid;
    std::int64_t type = desktopSpaceType;
};

struct Display {
    // The display's UUID, the window server's identifier.
    std::string id;
    std::uint32_t number = 0;
    std::string name;
    bool main = false;
    // Bottom-left-origin screen coordinates.
    QRectF frame;
    QRectF visibleFrame;
    std::vector<Space> spaces;
    std::uint64_t current = 0;
};

struct Hotkey {
    std::uint16_t code = 0;
    std::uint64_t flags = 0;
    bool enabled = true;
};

struct Permissions {
    bool accessibility = true;
    bool postEvents = true;
    bool screenCapture = false;
};

struct Application {
    int pid = 0;
    std::string bundleID;
    std::string name;
    std::string bundlePath;
    ActivationPolicy policy = ActivationPolicy::regular;
    // Seconds since 1970.
    double launched = 0;
    bool terminated = false;
    // "AXEnhancedUserInterface" of its Accessibility element, as assistive software switches it on.
    bool enhancedUserInterface = false;
};

struct Window {
    std::uint32_t number = 0;
    int pid = 0;
    std::string title;
    // The window server's top-left-origin coordinates.
    QRectF frame;
    std::vector<std::uint64_t> spaces;
    std::int64_t layer = 0;
    double alpha = 1;
    bool minimized = false;
    bool fullScreen = false;
    bool canJoinAllSpaces = false;
    std::optional<std::string> document;
    std::string subrole = "AXStandardWindow";
    // Whether Accessibility may move it, and resize it.
    bool movable = true;
    bool resizable = true;
    // The largest size the application accepts; larger sizes written are cut down to it.
    std::optional<QSizeF> maximumSize;
};

// What a person holds down, and when the last input came (uptime).
struct InputState {
    std::uint64_t flags = 0;
    std::set<std::uint16_t> keys;
    std::set<std::uint32_t> buttons;
    double lastInputAt = -600;
    // Event type number → uptime of the last input of that type alone, when later than `lastInputAt`.
    std::map<std::uint32_t, double> lastEventAt;
};

// How a hot key's enabling or disabling goes.
enum class HotkeyChange { applied, fails, ignored };
// How a posted hot key switches the display.
enum class SwitchDelivery { normal, never };
// How the managed display spaces come out of the window server.
enum class SpacesShape { wellFormed, null, notArray, badElement, noDisplayIdentifier };
// How Accessibility writes of a window's position and size go.
enum class FrameWrites { applied, clamped, late, refused, ignored };
// Which of a window's position and size the frame-write fault applies to; the other is applied.
enum class FrameWriteTarget { both, position, size };

// How Accessibility treats the attributes an arrangement reads and writes.
struct AccessibilityFaults {
    FrameWriteTarget frameWriteTarget = FrameWriteTarget::both;
    // Once written, a window's position and size can no longer be read.
    bool framesUnreadableAfterWrite = false;
    // Writing true to "AXEnhancedUserInterface" is answered with success and changes nothing.
    bool enhancedUserInterfaceStaysOff = false;
};

// How the window server's private move operation goes: performed, refused by its initialiser (nothing
// returned), raising an exception, performed after `moveDelay`, or accepted without effect.
enum class WindowMoves { applied, refused, raises, late, never };
// What happens to a window at the moment the move operation is performed, instead of the move.
enum class WindowMoveMeanwhile { none, disappears, changesOwner, changesSpaces };

struct WindowFaults {
    // Applications whose "AXWindows" cannot be read.
    std::set<int> enumerationFails;
    // Windows that stay off screen, and out of Accessibility, although their desktop is active.
    std::set<std::uint32_t> hidden;
    WindowMoves moves = WindowMoves::applied;
    double moveDelay = 0.5;
    WindowMoveMeanwhile meanwhile = WindowMoveMeanwhile::none;
};

// How ScreenCaptureKit answers.
struct CaptureFaults {
    bool listingFails = false;
    bool captureFails = false;
    // Windows left out of the shareable content although they exist.
    std::set<std::uint32_t> unlisted;
    // Seconds each call takes before it answers.
    double delay = 0.05;
};

// How the Dock's Mission Control behaves.
struct MissionControlFaults {
    // Seconds from showing Mission Control until its buttons are usable.
    double buttonDelay = 0.4;
    // Seconds from a press until the desktop is added or removed.
    double changeDelay = 0.2;
    bool buttonNeverUsable = false;
    // The thumbnail row shows one thumbnail more than the display has spaces.
    bool extraThumbnail = false;
    // The thumbnail row lists the display's spaces in reverse order: the same count, other desktops.
    bool reversedThumbnails = false;
    // Each change comes with a new desktop on another display.
    bool unrelatedChange = false;
    bool pressRefused = false;
    // A press is accepted and nothing happens.
    bool changeNeverShows = false;
    // Shown from the start, as if the user had opened it.
    bool openedByUser = false;
};

struct Faults {
    // Seconds between a matching key press and the display's switch.
    double switchDelay = 0.05;
    SwitchDelivery switchDelivery = SwitchDelivery::normal;
    HotkeyChange enableHotkey = HotkeyChange::applied;
    HotkeyChange disableHotkey = HotkeyChange::applied;
    bool eventCreationFails = false;
    std::set<std::string> missingSymbols;
    SpacesShape spaces = SpacesShape::wellFormed;
    // A hot key being switched on makes a new desktop appear first on the first display.
    bool desktopsChangeOnHotkeyEnable = false;
    FrameWrites frameWrites = FrameWrites::applied;
    double frameWriteDelay = 0.3;
    MissionControlFaults missionControl;
    AccessibilityFaults accessibility;
    WindowFaults windows;
    CaptureFaults capture;
};

struct ScriptStep {
    double at = 0;
    std::string action;
    nlohmann::json argument;
};

struct World {
    std::vector<Display> displays;
    bool separateSpaces = true;
    bool darkAppearance = false;
    // User defaults the machine holds already; stored values of the same keys win.
    PlistDictionary defaults;
    std::map<std::uint32_t, Hotkey> hotkeys = defaultHotkeys();
    Permissions permissions;
    std::vector<Application> applications;
    std::string frontmost;
    std::vector<Window> windows;
    InputState input;
    Faults faults;
    std::vector<ScriptStep> script;
    OperatingSystemVersion systemVersion { 14, 5, 0 };
    // Set by tests only: the outside services they stand in for on 127.0.0.1.
    LoopbackRouting loopback;
    // Members kept as written for the parts of the simulation that read them (e.g. "assistant").
    std::map<std::string, nlohmann::json> extensions;

    // Control+1…9 for Switch to Desktop 1…9 (hot keys 118…126), all enabled.
    static std::map<std::uint32_t, Hotkey> defaultHotkeys();
};

} // namespace pellamor::sim
