#include "sim/SimulatedMac.h"

#include "platform/ThreadSerialQueue.h"
#include "sim/AccessibilityTree.h"
#include "sim/AssistantInstallation.h"
#include "sim/ClassRegistry.h"
#include "sim/DisplayGeometry.h"
#include "sim/EventSource.h"
#include "sim/MissionControl.h"
#include "sim/ScreenCaptureService.h"
#include "sim/ScreenSet.h"
#include "sim/ScriptRunner.h"
#include "sim/SymbolTable.h"
#include "sim/WindowMoveOperation.h"
#include "sim/WindowServer.h"
#include "sim/WorkspaceModel.h"

#include <algorithm>
#include <cstdio>

namespace pellamor::sim {

namespace {
const char* const backgroundLabel = "fr.local.pellamor.window-inventory";
}

SimulatedMac::SimulatedMac(EventLoop& loop, MacSetup setup)
    : loop_(loop)
    , mainQueue_(loop)
    , defaults_(std::move(setup.defaultsStorage))
    , home_(std::move(setup.home))
    , resources_(std::move(setup.resources))
    , preferredLanguages_(std::move(setup.preferredLanguages))
    , world_(std::move(setup.world))
    , log_(setup.logStream)
    , launchedAt_(loop.now())
{
    if (setup.threadedBackground)
        background_ = std::make_unique<ThreadSerialQueue>(backgroundLabel);
    else
        background_ = std::make_unique<MainThreadSerialQueue>(backgroundLabel, mainQueue_);
    for (const auto& [key, value] : world_.defaults) {
        if (!defaults_.objectExists(key))
            defaults_.set(key, value);
    }
    // The world counts the last input back from launch.
    world_.input.lastInputAt += launchedAt_;
    symbols_ = std::make_unique<SymbolTable>(world_.faults.missingSymbols);
    classes_ = std::make_unique<ClassRegistry>(world_.faults.missingSymbols);
    windowServer_ = std::make_unique<WindowServer>(*this);
    screenCapture_ = std::make_unique<ScreenCaptureService>(*this);
    events_ = std::make_unique<EventSource>(*this, *windowServer_);
    accessibility_ = std::make_unique<AccessibilityTree>(*this);
    screens_ = std::make_unique<ScreenSet>(*this);
    workspace_ = std::make_unique<WorkspaceModel>(*this);
    script_ = std::make_unique<ScriptRunner>(*this);
    missionControl_ = std::make_unique<MissionControl>(*this);
    assistant_ = installSimulatedAssistant(*this);
    windowMoves_ = std::make_unique<WindowMoveOperation>(*this);
}

SimulatedMac::~SimulatedMac()
{
    releaseSharedObjects();
}

FrameworkLoader& SimulatedMac::frameworks()
{
    return *symbols_;
}

Accessibility& SimulatedMac::accessibility()
{
    return *accessibility_;
}

EventServices& SimulatedMac::events()
{
    return *events_;
}

Screens& SimulatedMac::screens()
{
    return *screens_;
}

Workspace& SimulatedMac::workspace()
{
    return *workspace_;
}

WindowList& SimulatedMac::windowList()
{
    return *windowServer_;
}

ObjectRuntime& SimulatedMac::objectRuntime()
{
    return *classes_;
}

ScreenCaptureKit& SimulatedMac::screenCapture()
{
    return *screenCapture_;
}

Display* SimulatedMac::display(const std::string& id)
{
    for (Display& display : world_.displays)
        if (display.id == id)
            return &display;
    return nullptr;
}

Window* SimulatedMac::window(std::uint32_t number)
{
    for (Window& window : world_.windows)
        if (window.number == number)
            return &window;
    return nullptr;
}

Application* SimulatedMac::application(int pid)
{
    for (Application& application : world_.applications)
        if (application.pid == pid)
            return &application;
    return nullptr;
}

Application* SimulatedMac::application(const std::string& bundleID)
{
    Application* terminated = nullptr;
    for (Application& application : world_.applications) {
        if (application.bundleID != bundleID)
            continue;
        if (!application.terminated)
            return &application;
        terminated = terminated ? terminated : &application;
    }
    return terminated;
}

Display* SimulatedMac::displayHolding(std::uint64_t space, std::size_t* position)
{
    for (Display& display : world_.displays)
        for (std::size_t index = 0; index < display.spaces.size(); ++index)
            if (display.spaces[index].id == space) {
                if (position)
                    *position = index;
                return &display;
            }
    return nullptr;
}

const Space* SimulatedMac::desktop(int number, Display** holder)
{
    int counted = 0;
    for (Display& display : world_.displays)
        for (const Space& space : display.spaces) {
            if (space.type != desktopSpaceType || ++counted != number)
                continue;
            if (holder)
                *holder = &display;
            return &space;
        }
    return nullptr;
}

bool SimulatedMac::isCurrent(std::uint64_t space)
{
    Display* holder = displayHolding(space);
    return holder && holder->current == space;
}

bool SimulatedMac::isOnCurrentSpace(const Window& window)
{
    if (window.canJoinAllSpaces)
        return true;
    return std::any_of(window.spaces.begin(), window.spaces.end(), [this](std::uint64_t space) { return isCurrent(space); });
}

void SimulatedMac::setCurrentSpace(const std::string& id, std::uint64_t space)
{
    {
        std::lock_guard lock(modelMutex_);
        Display* target = display(id);
        if (!target || target->current == space)
            return;
        target->current = space;
        log_.currentSpace(id, space);
    }
    workspaceCenter_.post(activeSpaceDidChangeNotification);
}

std::uint64_t SimulatedMac::addSpace(const std::string& id, std::size_t position)
{
    std::lock_guard lock(modelMutex_);
    Display* target = display(id);
    if (!target)
        return 0;
    Space space{freshSpaceID(), freshUUID(), desktopSpaceType};
    position = std::min(position, target->spaces.size());
    target->spaces.insert(target->spaces.begin() + static_cast<std::ptrdiff_t>(position), space);
    log_.spaceAdded(id, space.id);
    return space.id;
}

void SimulatedMac::removeSpace(std::uint64_t space)
{
    std::string holderID;
    std::uint64_t neighbour = 0;
    {
        std::lock_guard lock(modelMutex_);
        std::size_t position = 0;
        Display* holder = displayHolding(space, &position);
        if (!holder || holder->spaces.size() < 2)
            return;
        holder->spaces.erase(holder->spaces.begin() + static_cast<std::ptrdiff_t>(position));
        log_.spaceRemoved(holder->id, space);
        if (holder->current != space)
            return;
        holderID = holder->id;
        neighbour = holder->spaces[std::min(position, holder->spaces.size() - 1)].id;
    }
    setCurrentSpace(holderID, neighbour);
}

void SimulatedMac::setWindowSpaces(std::uint32_t number, std::vector<std::uint64_t> spaces)
{
    std::lock_guard lock(modelMutex_);
    Window* target = window(number);
    if (!target || target->spaces == spaces)
        return;
    target->spaces = std::move(spaces);
    log_.windowSpaces(number, target->spaces);
}

void SimulatedMac::setWindowFrame(std::uint32_t number, const QRectF& frame)
{
    std::lock_guard lock(modelMutex_);
    Window* target = window(number);
    if (!target || target->frame == frame)
        return;
    target->frame = frame;
    log_.windowFrame(number, frame);
}

void SimulatedMac::closeWindow(std::uint32_t number)
{
    std::lock_guard lock(modelMutex_);
    auto found = std::find_if(world_.windows.begin(), world_.windows.end(),
                              [number](const Window& window) { return window.number == number; });
    if (found == world_.windows.end())
        return;
    world_.windows.erase(found);
    log_.windowClosed(number);
}

void SimulatedMac::changeWindowOwner(std::uint32_t number)
{
    std::lock_guard lock(modelMutex_);
    Window* target = window(number);
    if (!target)
        return;
    int highest = target->pid;
    for (const Application& application : world_.applications) {
        highest = std::max(highest, application.pid);
        if (application.pid != target->pid && !application.terminated) {
            target->pid = application.pid;
            return;
        }
    }
    target->pid = highest + 1;
}

void SimulatedMac::setHotkeyEnabled(std::uint32_t id, bool enabled)
{
    auto found = world_.hotkeys.find(id);
    if (found == world_.hotkeys.end() || found->second.enabled == enabled)
        return;
    found->second.enabled = enabled;
    log_.hotkey(id, enabled);
    if (enabled && world_.faults.desktopsChangeOnHotkeyEnable && !world_.displays.empty())
        addSpace(world_.displays.front().id, 0);
}

bool SimulatedMac::activate(const std::string& bundleID)
{
    int pid = 0;
    {
        std::lock_guard lock(modelMutex_);
        Application* target = application(bundleID);
        if (!target || target->terminated)
            return false;
        pid = target->pid;
        world_.frontmost = bundleID;
        log_.frontmost(bundleID);
    }
    workspaceCenter_.post(didActivateApplicationNotification, nullptr, {{"pid", pid}, {"bundleIdentifier", bundleID}});
    return true;
}

void SimulatedMac::hold(std::uint64_t flags, std::set<std::uint16_t> keys, std::set<std::uint32_t> buttons)
{
    world_.input.flags = flags;
    world_.input.keys = std::move(keys);
    world_.input.buttons = std::move(buttons);
    world_.input.lastInputAt = uptime();
}

void SimulatedMac::release()
{
    hold(0, {}, {});
}

void SimulatedMac::input(EventType type)
{
    std::lock_guard lock(modelMutex_);
    world_.input.lastEventAt[static_cast<std::uint32_t>(type)] = uptime();
}

void SimulatedMac::connectDisplay(Display display)
{
    {
        std::lock_guard lock(modelMutex_);
        world_.displays.push_back(std::move(display));
    }
    notifyScreensChanged();
}

std::optional<std::string> SimulatedMac::canConnect(const Display& display) const
{
    for (const Display& connected : world_.displays) {
        if (connected.id == display.id)
            return "a display with that id is connected";
        if (connected.number == display.number)
            return "a display with that number is connected";
        for (const Space& space : connected.spaces)
            for (const Space& added : display.spaces)
                if (space.id == added.id)
                    return "space " + std::to_string(space.id) + " is in use";
    }
    return std::nullopt;
}

void SimulatedMac::disconnectDisplay(const std::string& id)
{
    std::vector<std::pair<std::uint32_t, QRectF>> moved;
    std::uint64_t target = 0;
    {
        std::lock_guard lock(modelMutex_);
        auto found = std::find_if(world_.displays.begin(), world_.displays.end(),
                                  [&](const Display& display) { return display.id == id; });
        if (found == world_.displays.end())
            return;
        const Display gone = *found;
        world_.displays.erase(found);
        if (!world_.displays.empty())
            moved = windowsLeaving(gone, target);
    }
    for (const auto& [number, frame] : moved) {
        setWindowSpaces(number, {target});
        setWindowFrame(number, frame);
    }
    notifyScreensChanged();
}

std::vector<std::pair<std::uint32_t, QRectF>> SimulatedMac::windowsLeaving(const Display& gone, std::uint64_t& target)
{
    // As macOS does, the windows of the display's desktops move to the current desktop of the main display
    // (the first one becomes main when the main one goes), keeping their place relative to the screen.
    auto main = std::find_if(world_.displays.begin(), world_.displays.end(),
                             [](const Display& display) { return display.main; });
    if (main == world_.displays.end()) {
        main = world_.displays.begin();
        main->main = true;
    }
    const Display& oldMain = gone.main ? gone : *main;
    const double mainTop = oldMain.frame.y() + oldMain.frame.height();
    const QRectF from = topLeftArea(gone.frame, mainTop);
    const QRectF into = visibleArea(*main, mainTop);
    target = main->current;
    std::vector<std::pair<std::uint32_t, QRectF>> moved;
    for (const Window& window : world_.windows) {
        bool there = std::any_of(window.spaces.begin(), window.spaces.end(), [&](std::uint64_t space) {
            return std::any_of(
                gone.spaces.begin(), gone.spaces.end(), [&](const Space& held) { return held.id == space; });
        });
        if (there)
            moved.emplace_back(window.number, clampInto(window.frame.translated(into.topLeft() - from.topLeft()), into));
    }
    return moved;
}

void SimulatedMac::notifyScreensChanged()
{
    defaultCenter_.post(screenParametersChangedNotification);
}

std::uint64_t SimulatedMac::freshSpaceID()
{
    // The window server never hands out an id again, not even the id of a desktop removed since.
    for (const Display& display : world_.displays)
        for (const Space& space : display.spaces)
            lastSpaceID_ = std::max(lastSpaceID_, space.id);
    return ++lastSpaceID_;
}

std::string SimulatedMac::freshUUID()
{
    char text[40];
    std::snprintf(text, sizeof text, "5EED0000-0000-4000-8000-%012llX", static_cast<unsigned long long>(++uuidCounter_));
    return text;
}

} // namespace pellamor::sim
