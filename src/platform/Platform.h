// The ambient platform: the one installed machine that product code reaches for operating-system services.
#pragma once

#include "platform/Accessibility.h"
#include "platform/EventLoop.h"
#include "platform/EventServices.h"
#include "platform/MainQueue.h"
#include "platform/NotificationCenter.h"
#include "platform/Screens.h"
#include "platform/SerialQueue.h"
#include "platform/SymbolRegistry.h"
#include "platform/UserDefaults.h"
#include "platform/WindowList.h"
#include "platform/Workspace.h"

#include <filesystem>
#include <string>
#include <vector>

namespace pellamor {

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
    virtual SymbolRegistry& symbols() = 0;
    virtual Accessibility& accessibility() = 0;
    virtual EventServices& events() = 0;
    virtual Screens& screens() = 0;
    virtual Workspace& workspace() = 0;
    virtual WindowList& windowList() = 0;

    // System uptime in seconds.
    double uptime() { return eventLoop().now(); }
};

// The installed platform. Calling it with none installed is a programming error.
Platform& platform();

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
