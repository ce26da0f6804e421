// The workspace: running applications, the frontmost one, opening links, and its notifications.
#pragma once

#include "platform/PlistValue.h"

#include <optional>
#include <string>
#include <vector>

namespace pellamor {

// Posted on the workspace centre; user info "pid" (integer) and "bundleIdentifier" (string, when known).
inline constexpr const char* didActivateApplicationNotification = "NSWorkspaceDidActivateApplicationNotification";
inline constexpr const char* activeSpaceDidChangeNotification = "NSWorkspaceActiveSpaceDidChangeNotification";

enum class ActivationPolicy { regular, accessory, prohibited };

struct RunningApplication {
    int pid = 0;
    std::optional<std::string> bundleIdentifier;
    std::string localizedName;
    std::optional<std::string> bundlePath;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    std::optional<PlistDate> launchDate;
    bool terminated = false;
    bool active = false;
};

class Workspace {
public:
    virtual ~Workspace() = default;

    virtual std::vector<RunningApplication> runningApplications() = 0;
    virtual std::vector<RunningApplication> runningApplications(const std::string& bundleIdentifier) = 0;
    virtual std::optional<RunningApplication> runningApplication(int pid) = 0;
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // False when nothing could open it.
    virtual bool openURL(const std::string& url) = 0;
};

} // namespace pellamor
