#include "desktops/MissionControl.h"

#include "desktops/NativeDesktopSwitchingEnvironment.h"

namespace pellamor {

MissionControlSwitcher::MissionControlSwitcher()
    : environment_(std::make_shared<NativeDesktopSwitchingEnvironment>())
{
}

DesktopSwitchingSession& MissionControlSwitcher::session()
{
    if (!session_)
        session_ = DesktopSwitchingSession::make(environment_);
    return *session_;
}

void MissionControlSwitcher::select(int desktop, std::optional<std::uint64_t> expectedSpaceID,
    std::optional<std::string> expectedDisplay, std::optional<std::string> expectedUUID,
    DesktopSwitchingSession::Completion completion)
{
    session().select(
        desktop, expectedSpaceID, std::move(expectedDisplay), std::move(expectedUUID), std::move(completion));
}

void MissionControlSwitcher::cancel()
{
    session().cancel();
}

void MissionControlSwitcher::shutdown()
{
    session().shutdown();
}

} // namespace pellamor
