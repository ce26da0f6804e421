#include "windows/ArrangementScreens.h"

#include "platform/Platform.h"

#include <algorithm>

namespace pellamor {

AssistantScreenConfiguration ArrangementScreens::currentConfiguration()
{
    return AssistantScreenConfiguration::runtime(ConnectedMonitor::read(), platform().standardDefaults());
}

bool ArrangementScreens::stillConnected(const ConnectedMonitor& monitor, const std::vector<ConnectedMonitor>& connected)
{
    return std::any_of(connected.begin(), connected.end(), [&](const ConnectedMonitor& candidate) {
        return candidate.id == monitor.id && candidate.frame == monitor.frame;
    });
}

} // namespace pellamor
