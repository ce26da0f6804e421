// The desktop switcher the rest of the system holds: one switch at a time, over the macOS environment.
#pragma once

#include "desktops/DesktopSwitchingSession.h"
#include "desktops/MissionControlResult.h"

#include <memory>

namespace pellamor {

class MissionControlSwitcher {
public:
    MissionControlSwitcher();

    // The expectations refuse a switch when desktop N is no longer the desktop the caller means.
    void select(int desktop, std::optional<std::uint64_t> expectedSpaceID, std::optional<std::string> expectedDisplay,
        std::optional<std::string> expectedUUID, DesktopSwitchingSession::Completion completion);
    void cancel();
    // Once, when the application terminates.
    void shutdown();

private:
    DesktopSwitchingSession& session();

    std::shared_ptr<DesktopSwitchingEnvironment> environment_;
    std::shared_ptr<DesktopSwitchingSession> session_;
};

} // namespace pellamor
