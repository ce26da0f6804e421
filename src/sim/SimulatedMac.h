// The simulated Mac: the platform services of this machine, over an event loop supplied by the caller.
#pragma once

#include "platform/Platform.h"
#include "sim/MacLog.h"
#include "sim/World.h"

#include <iostream>
#include <memory>
#include <mutex>

namespace pellamor::sim {

class AccessibilityTree;
class ClassRegistry;
class EventSource;
class MissionControl;
class ScreenCaptureService;
class ScreenSet;
class ScriptRunner;
class SimulatedAssistant;
class SymbolTable;
class WindowMoveOperation;
class WindowServer;
class WorkspaceModel;

struct MacSetup {
    std::filesystem::path home;
    std::filesystem::path resources;
    std::vector<std::string> preferredLanguages;
    // None: the defaults live in memory only.
    std::unique_ptr<DefaultsStorage> defaultsStorage;
    // True: background work runs on a thread of its own; false: on the main queue, for virtual time.
    bool threadedBackground = false;
    World world;
    // Where the "mac:" lines go; null keeps them only in the log's memory.
    std::ostream* logStream = &std::cerr;
};

class SimulatedMac : public Platform {
public:
    SimulatedMac(EventLoop& loop, MacSetup setup);
    ~SimulatedMac() override;

    EventLoop& eventLoop() override { return loop_; }
    MainQueue& mainQueue() override { return mainQueue_; }
    SerialQueue& backgroundQueue() override { return *background_; }
    UserDefaults& standardDefaults() override { return defaults_; }
    NotificationCenter& defaultCenter() override { return defaultCenter_; }
    NotificationCenter& workspaceCenter() override { return workspaceCenter_; }
    std::filesystem::path resourcesDirectory() override { return resources_; }
    // A test's bundle of other resources.
    void setResourcesDirectory(std::filesystem::path folder) { resources_ = std::move(folder); }
    std::filesystem::path homeDirectory() override { return home_; }
    std::vector<std::string> preferredLanguages() override { return preferredLanguages_; }
    FrameworkLoader& frameworks() override;
    Accessibility& accessibility() override;
    EventServices& events() override;
    Screens& screens() override;
    Workspace& workspace() override;
    WindowList& windowList() override;
    ObjectRuntime& objectRuntime() override;
    ScreenCaptureKit& screenCapture() override;
    bool darkAppearance() override { return world_.darkAppearance; }
    OperatingSystemVersion operatingSystemVersion() override { return world_.systemVersion; }
    LoopbackRouting loopbackRouting() override { return world_.loopback; }

    // The model. Tests may change it directly; such changes are not logged.
    World& world() { return world_; }
    MacLog& log() { return log_; }
    // Held while the model changes, and by services that may be asked off the main thread (the window list,
    // the managed display spaces) while they read it.
    std::recursive_mutex& modelMutex() { return modelMutex_; }
    ScriptRunner& script() { return *script_; }
    // The assistant of the world's "assistant" member; null when it has none.
    SimulatedAssistant* assistant() { return assistant_.get(); }
    SymbolTable& symbolTable() { return *symbols_; }
    ClassRegistry& classRegistry() { return *classes_; }
    AccessibilityTree& accessibilityTree() { return *accessibility_; }
    MissionControl& missionControl() { return *missionControl_; }
    WindowServer& windowServer() { return *windowServer_; }
    // Uptime when the machine was made, from which script times count.
    double launchedAt() const { return launchedAt_; }

    // Lookups in the model; null when there is no such thing.
    Display* display(const std::string& id);
    Window* window(std::uint32_t number);
    Application* application(int pid);
    Application* application(const std::string& bundleID);
    // The display that holds the space, with the space's position among its spaces.
    Display* displayHolding(std::uint64_t space, std::size_t* position = nullptr);
    // The ordinary desktop numbered N over all displays (1-based), or null.
    const Space* desktop(int number, Display** holder = nullptr);
    bool isCurrent(std::uint64_t space);
    // On a current space of its display, or on every space.
    bool isOnCurrentSpace(const Window& window);

    // Changes a person would see: each is logged and notified as macOS does.
    void setCurrentSpace(const std::string& display, std::uint64_t space);
    // Inserts an ordinary desktop with a fresh id and UUID at `position` (clamped to the end).
    std::uint64_t addSpace(const std::string& display, std::size_t position);
    void removeSpace(std::uint64_t space);
    void setWindowSpaces(std::uint32_t window, std::vector<std::uint64_t> spaces);
    void setWindowFrame(std::uint32_t window, const QRectF& frame);
    void closeWindow(std::uint32_t window);
    // The window passes to the first other running application, else to a process that runs no application.
    void changeWindowOwner(std::uint32_t window);
    void setHotkeyEnabled(std::uint32_t id, bool enabled);
    // False when no running application has that bundle identifier.
    bool activate(const std::string& bundleID);
    void hold(std::uint64_t flags, std::set<std::uint16_t> keys, std::set<std::uint32_t> buttons);
    void release();
    // Fresh input of one event type, as a person's key press, click or scroll would be.
    void input(EventType type);
    // A display plugged in (after the others) or unplugged, with the screen-parameters notification.
    void connectDisplay(Display display);
    // Why the display cannot join the machine now (its id or a space id in use), none when it can.
    std::optional<std::string> canConnect(const Display& display) const;
    // Its windows move to the main display's current desktop.
    void disconnectDisplay(const std::string& id);

    std::uint64_t freshSpaceID();
    std::string freshUUID();

private:
    void notifyScreensChanged();
    // Under the model lock: where the windows of a display that went end up; `target` the desktop they join.
    std::vector<std::pair<std::uint32_t, QRectF>> windowsLeaving(const Display& gone, std::uint64_t& target);

    EventLoop& loop_;
    MainQueue mainQueue_;
    std::unique_ptr<SerialQueue> background_;
    UserDefaults defaults_;
    NotificationCenter defaultCenter_;
    NotificationCenter workspaceCenter_;
    std::filesystem::path home_;
    std::filesystem::path resources_;
    std::vector<std::string> preferredLanguages_;
    World world_;
    std::recursive_mutex modelMutex_;
    MacLog log_;
    double launchedAt_;
    std::uint64_t uuidCounter_ = 0;
    std::uint64_t lastSpaceID_ = 0;
    std::unique_ptr<SymbolTable> symbols_;
    std::unique_ptr<ClassRegistry> classes_;
    std::unique_ptr<WindowServer> windowServer_;
    std::unique_ptr<ScreenCaptureService> screenCapture_;
    std::unique_ptr<EventSource> events_;
    std::unique_ptr<AccessibilityTree> accessibility_;
    std::unique_ptr<ScreenSet> screens_;
    std::unique_ptr<WorkspaceModel> workspace_;
    std::unique_ptr<ScriptRunner> script_;
    std::unique_ptr<MissionControl> missionControl_;
    std::unique_ptr<SimulatedAssistant> assistant_;
    std::unique_ptr<WindowMoveOperation> windowMoves_;
};

} // namespace pellamor::sim
