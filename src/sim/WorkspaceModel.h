// The simulated workspace: the world's applications as running applications, and the frontmost one.
#pragma once

#include "platform/Workspace.h"

namespace pellamor::sim {

class SimulatedMac;
struct Application;

class WorkspaceModel final : public Workspace {
public:
    explicit WorkspaceModel(SimulatedMac& mac)
        : mac_(mac)
    {
    }

    std::vector<RunningApplication> runningApplications() override;
    std::vector<RunningApplication> runningApplications(const std::string& bundleIdentifier) override;
    std::optional<RunningApplication> runningApplication(int pid) override;
    std::optional<RunningApplication> frontmostApplication() override;
    bool openURL(const std::string& url) override;

private:
    RunningApplication describe(const Application& application);

    SimulatedMac& mac_;
};

} // namespace pellamor::sim
