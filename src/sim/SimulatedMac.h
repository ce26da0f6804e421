// The simulated Mac: the platform services of this machine, over an event loop supplied by the caller.
#pragma once

#include "platform/Platform.h"

#include <memory>

namespace pellamor::sim {

struct MacSetup {
    std::filesystem::path home;
    std::filesystem::path resources;
    std::vector<std::string> preferredLanguages;
    // None: the defaults live in memory only.
    std::unique_ptr<DefaultsStorage> defaultsStorage;
    // True: background work runs on a thread of its own; false: on the main queue, for virtual time.
    bool threadedBackground = false;
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
    std::filesystem::path homeDirectory() override { return home_; }
    std::vector<std::string> preferredLanguages() override { return preferredLanguages_; }

private:
    EventLoop& loop_;
    MainQueue mainQueue_;
    std::unique_ptr<SerialQueue> background_;
    UserDefaults defaults_;
    NotificationCenter defaultCenter_;
    NotificationCenter workspaceCenter_;
    std::filesystem::path home_;
    std::filesystem::path resources_;
    std::vector<std::string> preferredLanguages_;
};

} // namespace pellamor::sim
