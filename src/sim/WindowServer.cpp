#include "sim/WindowServer.h"

#include "platform/SkyLight.h"
#include "sim/SimulatedMac.h"
#include "sim/SymbolTable.h"

#include <QCoreApplication>

#include <algorithm>
#include <set>

namespace pellamor::sim {

namespace {

const skylight::CGError success = 0;
const skylight::CGError failure = 1000;
const skylight::ConnectionID mainConnection = 0x1A2B;
// The modifier bits a hot key is matched on: Shift, Control, Option, Command, keypad, secondary Fn.
const std::uint64_t matchedFlags = 0xBE0000;
const std::uint32_t firstDesktopHotkey = 118;
const std::uint32_t lastDesktopHotkey = 126;

PlistDictionary spaceDictionary(const Space& space)
{
    PlistDictionary dictionary { { "ManagedSpaceID", space.id }, { "id64", space.id }, { "type", space.type } };
    if (space.uuid)
        dictionary["uuid"] = *space.uuid;
    return dictionary;
}

// The positive integers of an array of numbers; anything else is not a window or a Space.
std::set<std::uint64_t> positiveIntegers(const PlistArray& values)
{
    std::set<std::uint64_t> numbers;
    for (const PlistValue& value : values) {
        if (auto unsignedValue = value.asUnsigned())
            numbers.insert(*unsignedValue);
        else if (auto integer = value.asInteger(); integer && *integer > 0)
            numbers.insert(static_cast<std::uint64_t>(*integer));
    }
    numbers.erase(0);
    return numbers;
}

} // namespace

WindowServer::WindowServer(SimulatedMac& mac)
    : mac_(mac)
    , ownWindows_(mac)
{
    registerSymbols();
}

void WindowServer::registerSymbols()
{
    SymbolTable& table = mac_.symbolTable();
    const std::string path = skylight::frameworkPath;
    table.add(path, "CGSGetSymbolicHotKeyValue",
        std::function<skylight::GetSymbolicHotKeyValue>(
            [this](std::uint32_t id, std::uint16_t*, std::uint64_t* code, std::uint64_t* flags) {
                auto found = mac_.world().hotkeys.find(id);
                if (found == mac_.world().hotkeys.end())
                    return failure;
                if (code)
                    *code = found->second.code;
                if (flags)
                    *flags = found->second.flags;
                return success;
            }));
    table.add(
        path, "CGSIsSymbolicHotKeyEnabled", std::function<skylight::IsSymbolicHotKeyEnabled>([this](std::uint32_t id) {
            auto found = mac_.world().hotkeys.find(id);
            return found != mac_.world().hotkeys.end() && found->second.enabled;
        }));
    table.add(path, "CGSSetSymbolicHotKeyEnabled",
        std::function<skylight::SetSymbolicHotKeyEnabled>([this](std::uint32_t id, bool enabled) {
            if (!mac_.world().hotkeys.count(id))
                return failure;
            const Faults& faults = mac_.world().faults;
            HotkeyChange change = enabled ? faults.enableHotkey : faults.disableHotkey;
            if (change == HotkeyChange::fails)
                return failure;
            if (change == HotkeyChange::applied)
                mac_.setHotkeyEnabled(id, enabled);
            return success;
        }));
    table.add(path, "SLSMainConnectionID", std::function<skylight::MainConnectionID>([] { return mainConnection; }));
    table.add(path, "SLSCopyManagedDisplaySpaces",
        std::function<skylight::CopyManagedDisplaySpaces>([this](skylight::ConnectionID connection) {
            if (connection != mainConnection)
                return std::optional<PlistValue>();
            return managedDisplaySpaces();
        }));
    table.add(path, "SLSCopySpacesForWindows",
        std::function<skylight::CopySpacesForWindows>(
            [this](skylight::ConnectionID connection, std::int32_t, const PlistArray& windows) {
                if (connection != mainConnection)
                    return std::optional<PlistValue>();
                return spacesOfWindows(windows);
            }));
    table.add(path, "SLSCopyWindowsWithOptionsAndTags",
        std::function<skylight::CopyWindowsWithOptionsAndTags>([this](skylight::ConnectionID connection,
                                                                   std::uint32_t, const PlistArray& spaces,
                                                                   std::uint32_t, std::uint64_t*, std::uint64_t*) {
            if (connection != mainConnection)
                return std::optional<PlistValue>();
            return windowsOfSpaces(spaces);
        }));
}

std::optional<PlistValue> WindowServer::managedDisplaySpaces()
{
    std::lock_guard lock(mac_.modelMutex());
    SpacesShape shape = mac_.world().faults.spaces;
    if (shape == SpacesShape::null)
        return std::nullopt;
    if (shape == SpacesShape::notArray)
        return PlistValue(PlistDictionary { { "Spaces", PlistArray {} } });
    PlistArray displays;
    const std::vector<Display>& world = mac_.world().displays;
    // Without separate Spaces, macOS lists one set of spaces, named "Main", that of the main display.
    bool shared = !mac_.world().separateSpaces;
    auto main = std::find_if(world.begin(), world.end(), [](const Display& d) { return d.main; });
    for (const Display& display : world) {
        if (shared && &display != (main == world.end() ? &world.front() : &*main))
            continue;
        PlistDictionary entry;
        if (shape != SpacesShape::noDisplayIdentifier)
            entry["Display Identifier"] = shared ? std::string("Main") : display.id;
        PlistArray spaces;
        Space current { display.current, std::nullopt, desktopSpaceType };
        for (const Space& space : display.spaces) {
            spaces.push_back(spaceDictionary(space));
            if (space.id == display.current)
                current = space;
        }
        entry["Current Space"] = spaceDictionary(current);
        entry["Spaces"] = spaces;
        displays.push_back(entry);
    }
    if (shape == SpacesShape::badElement)
        displays.push_back(PlistValue("not a display"));
    return PlistValue(displays);
}

void WindowServer::keyPressed(const KeyboardEvent& event)
{
    if (!event.keyDown())
        return;
    for (auto& [id, hotkey] : mac_.world().hotkeys) {
        if (id < firstDesktopHotkey || id > lastDesktopHotkey || !hotkey.enabled || hotkey.code != event.keyCode()
            || (hotkey.flags & matchedFlags) != (event.flags() & matchedFlags))
            continue;
        const Faults& faults = mac_.world().faults;
        if (faults.switchDelivery == SwitchDelivery::never)
            return;
        Display* holder = nullptr;
        const Space* target = mac_.desktop(static_cast<int>(id - firstDesktopHotkey + 1), &holder);
        if (!target)
            return;
        std::string display = holder->id;
        std::uint64_t space = target->id;
        // The switch lands later, on whatever display holds that space by then.
        mac_.mainQueue().asyncAfter(faults.switchDelay, [this, display, space] {
            Display* holder = mac_.displayHolding(space);
            if (holder && holder->id == display)
                mac_.setCurrentSpace(display, space);
        });
        return;
    }
}

PlistDictionary WindowServer::describe(const Window& window, const Application& owner, bool onScreen)
{
    PlistDictionary entry {
        { windowKey::number, static_cast<std::int64_t>(window.number) },
        { windowKey::ownerPID, window.pid },
        { windowKey::ownerName, owner.name },
        { windowKey::layer, window.layer },
        { windowKey::bounds, dictionaryFromRect(window.frame) },
        { windowKey::alpha, window.alpha },
    };
    // Titles of other applications' windows need the screen-capture permission.
    if (mac_.world().permissions.screenCapture)
        entry[windowKey::name] = window.title;
    if (onScreen)
        entry[windowKey::isOnscreen] = true;
    return entry;
}

bool WindowServer::isOnScreen(const Window& window)
{
    bool hidden = mac_.world().faults.windows.hidden.count(window.number);
    return !window.minimized && !hidden && mac_.isOnCurrentSpace(window);
}

PlistDictionary WindowServer::describe(const OwnWindows::Shown& window, bool onScreen)
{
    // Our own windows' titles need no permission.
    PlistDictionary entry {
        { windowKey::number, static_cast<std::int64_t>(window.number) },
        { windowKey::ownerPID, Platform::processIdentifier() },
        { windowKey::ownerName, QCoreApplication::applicationName().toStdString() },
        { windowKey::layer, window.layer },
        { windowKey::bounds, dictionaryFromRect(window.frame) },
        { windowKey::alpha, 1.0 },
        { windowKey::name, window.title },
    };
    if (onScreen)
        entry[windowKey::isOnscreen] = true;
    return entry;
}

bool WindowServer::isOnScreen(const OwnWindows::Shown& window)
{
    return window.allSpaces
        || std::any_of(window.spaces.begin(), window.spaces.end(), [this](std::uint64_t space) { return mac_.isCurrent(space); });
}

std::optional<PlistArray> WindowServer::copyWindowInfo(std::uint32_t options, std::uint32_t relativeToWindow)
{
    std::lock_guard lock(mac_.modelMutex());
    bool onScreenOnly = options & windowListOption::onScreenOnly;
    bool excludeDesktop = options & windowListOption::excludeDesktopElements;
    bool includeOnly = options & windowListOption::includingWindow && !onScreenOnly;
    PlistArray list;
    for (const Window& window : mac_.world().windows) {
        Application* owner = mac_.application(window.pid);
        if (!owner || owner->terminated)
            continue;
        bool onScreen = isOnScreen(window);
        if (onScreenOnly && !onScreen)
            continue;
        if (excludeDesktop && window.layer < 0)
            continue;
        if (includeOnly && window.number != relativeToWindow)
            continue;
        list.push_back(describe(window, *owner, onScreen));
    }
    for (const OwnWindows::Shown& window : ownWindows_.shown()) {
        bool onScreen = isOnScreen(window);
        if ((onScreenOnly && !onScreen) || (excludeDesktop && window.layer < 0)
            || (includeOnly && window.number != relativeToWindow))
            continue;
        list.push_back(describe(window, onScreen));
    }
    return list;
}

std::optional<PlistArray> WindowServer::createDescriptions(const std::vector<std::uint32_t>& windows)
{
    std::lock_guard lock(mac_.modelMutex());
    PlistArray list;
    std::vector<OwnWindows::Shown> own = ownWindows_.shown();
    for (std::uint32_t number : windows) {
        Window* window = mac_.window(number);
        Application* owner = window ? mac_.application(window->pid) : nullptr;
        if (owner && !owner->terminated)
            list.push_back(describe(*window, *owner, isOnScreen(*window)));
        auto mine = std::find_if(own.begin(), own.end(), [&](const auto& shown) { return shown.number == number; });
        if (!window && mine != own.end())
            list.push_back(describe(*mine, isOnScreen(*mine)));
    }
    return list;
}

std::optional<PlistValue> WindowServer::spacesOfWindows(const PlistArray& windows)
{
    std::lock_guard lock(mac_.modelMutex());
    std::vector<std::uint64_t> spaces;
    std::vector<OwnWindows::Shown> own = ownWindows_.shown();
    for (std::uint64_t number : positiveIntegers(windows)) {
        Window* window = number <= UINT32_MAX ? mac_.window(static_cast<std::uint32_t>(number)) : nullptr;
        auto mine = std::find_if(own.begin(), own.end(), [&](const auto& shown) { return shown.number == number; });
        const std::vector<std::uint64_t>* held = window ? &window->spaces : mine != own.end() ? &mine->spaces : nullptr;
        if (!held)
            continue;
        for (std::uint64_t space : *held)
            if (std::find(spaces.begin(), spaces.end(), space) == spaces.end())
                spaces.push_back(space);
    }
    return PlistValue(PlistArray(spaces.begin(), spaces.end()));
}

std::optional<PlistValue> WindowServer::windowsOfSpaces(const PlistArray& spaces)
{
    std::lock_guard lock(mac_.modelMutex());
    std::set<std::uint64_t> wanted = positiveIntegers(spaces);
    PlistArray windows;
    for (const Window& window : mac_.world().windows) {
        Application* owner = mac_.application(window.pid);
        if (!owner || owner->terminated)
            continue;
        // A window on every space is held by each of them.
        bool held = (window.canJoinAllSpaces && !wanted.empty()) || std::any_of(
            window.spaces.begin(), window.spaces.end(), [&](std::uint64_t space) { return wanted.count(space); });
        if (held)
            windows.push_back(static_cast<std::int64_t>(window.number));
    }
    for (const OwnWindows::Shown& window : ownWindows_.shown()) {
        if (std::any_of(window.spaces.begin(), window.spaces.end(), [&](std::uint64_t space) { return wanted.count(space); }))
            windows.push_back(static_cast<std::int64_t>(window.number));
    }
    return PlistValue(windows);
}

bool WindowServer::preflightScreenCaptureAccess()
{
    return mac_.world().permissions.screenCapture;
}

bool WindowServer::requestScreenCaptureAccess()
{
    return mac_.world().permissions.screenCapture;
}

void WindowServer::setOwnWindowAttributes(const QObject& window, const OwnWindowAttributes& attributes)
{
    ownWindows_.setAttributes(window, attributes);
}

std::optional<OwnWindowAttributes> WindowServer::ownWindowNumbered(std::uint32_t window)
{
    return ownWindows_.numbered(window);
}

std::optional<OwnWindowAttributes> WindowServer::ownWindowAttributes(const QObject* window) const
{
    return ownWindows_.declared(window);
}

} // namespace pellamor::sim
