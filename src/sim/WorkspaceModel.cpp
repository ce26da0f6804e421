#include "sim/WorkspaceModel.h"

#include "sim/SimulatedMac.h"

namespace pellamor::sim {

RunningApplication WorkspaceModel::describe(const Application& application)
{
    RunningApplication running;
    running.pid = application.pid;
    running.bundleIdentifier = application.bundleID;
    running.localizedName = application.name;
    running.bundlePath = application.bundlePath;
    running.activationPolicy = application.policy;
    running.launchDate = PlistDate { application.launched };
    running.terminated = application.terminated;
    running.active = !application.terminated && application.bundleID == mac_.world().frontmost;
    return running;
}

std::vector<RunningApplication> WorkspaceModel::runningApplications()
{
    std::vector<RunningApplication> list;
    for (const Application& application : mac_.world().applications)
        list.push_back(describe(application));
    return list;
}

std::vector<RunningApplication> WorkspaceModel::runningApplications(const std::string& bundleIdentifier)
{
    std::vector<RunningApplication> list;
    for (const Application& application : mac_.world().applications)
        if (application.bundleID == bundleIdentifier)
            list.push_back(describe(application));
    return list;
}

std::optional<RunningApplication> WorkspaceModel::runningApplication(int pid)
{
    // Asked by the window inventory off the main thread.
    std::lock_guard lock(mac_.modelMutex());
    if (Application* application = mac_.application(pid))
        return describe(*application);
    return std::nullopt;
}

std::optional<RunningApplication> WorkspaceModel::frontmostApplication()
{
    Application* application = mac_.application(mac_.world().frontmost);
    if (!application || application->terminated)
        return std::nullopt;
    return describe(*application);
}

bool WorkspaceModel::openURL(const std::string& url)
{
    mac_.log().openURL(url);
    return true;
}

} // namespace pellamor::sim
