// The ambient platform: the one installed machine that product code reaches for operating-system services.
#pragma once

#include "platform/Accessibility.h"
#include "platform/EventLoop.h"
#include "platform/EventServices.h"
#include "platform/MainQueue.h"
#include "platform/NotificationCenter.h"
#include "platform/ObjectRuntime.h"
#include "platform/ScreenCaptureKit.h"
#include "platform/Screens.h"
#include "platform/SerialQueue.h"
#include "platform/FrameworkLoader.h"
#include "platform/LoopbackRouting.h"
#include "platform/UserDefaults.h"
#include "platform/WindowList.h"
#include "platform/Workspace.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <typeindex>
#include <vector>

namespace pellamor {

// Posted on the default centre when the appearance changes between light and dark.
inline constexpr const char* interfaceThemeChangedNotification = "AppleInterfaceThemeChangedNotification";
// Posted on the default centre when the application becomes the active one again.
inline constexpr const char* applicationDidBecomeActiveNotification = "NSApplicationDidBecomeActiveNotification";

class Platform {
public:
    virtual ~Platform() = default;

    virtual EventLoop& eventLoop() = 0;
    virtual MainQueue& mainQueue() = 0;
    // The serial background queue "fr.local.pellamor.window-inventory".
    virtual SerialQueue& backgroundQueue() = 0;
    virtual UserDefaults& standardDefaults() = 0;
    virtual NotificationCenter& defaultCenter() = 0;
    virtual NotificationCenter& workspaceCenter() = 0;
    // The folder that holds the application's resources; empty when there is none.
    virtual std::filesystem::path resourcesDirectory() = 0;
    virtual std::filesystem::path homeDirectory() = 0;
    virtual std::vector<std::string> preferredLanguages() = 0;

    // Frameworks opened and their functions bound by name.
    virtual FrameworkLoader& frameworks() = 0;
    virtual Accessibility& accessibility() = 0;
    virtual EventServices& events() = 0;
    virtual Screens& screens() = 0;
    virtual Workspace& workspace() = 0;
    virtual WindowList& windowList() = 0;
    // Classes of the loaded frameworks, by name.
    virtual ObjectRuntime& objectRuntime() = 0;
    virtual ScreenCaptureKit& screenCapture() = 0;
    // The interface appearance the user chose: dark or light.
    virtual bool darkAppearance() = 0;
    // The running system's version: major, minor, patch.
    virtual OperatingSystemVersion operatingSystemVersion() = 0;
    // Outside host names this machine answers from its own loopback address; empty on a real machine.
    virtual LoopbackRouting loopbackRouting() = 0;

    // System uptime in seconds.
    double uptime() { return eventLoop().now(); }
    // This process's id.
    static int processIdentifier();

    // The one T of this machine, made by `make` (returning a std::unique_ptr<T>) on first use, thread-safely,
    // and destroyed with the machine: what macOS keeps process-wide lives as long as the installed machine.
    template <class T, class Make> T& shared(Make make)
    {
        std::lock_guard lock(sharedMutex_);
        auto& slot = shared_[std::type_index(typeid(T))];
        if (!slot)
            slot = std::shared_ptr<T>(make());
        return *static_cast<T*>(slot.get());
    }

private:
    std::recursive_mutex sharedMutex_;
    std::map<std::type_index, std::shared_ptr<void>> shared_;
};

// The installed platform. Calling it with none installed is a programming error.
Platform& platform();
// Whether a platform is installed.
bool hasPlatform();

// Installs a platform for its lifetime and restores the previous one afterwards.
class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& installed);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* previous_;
};

} // namespace pellamor
