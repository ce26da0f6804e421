// What reaching and arranging a window keep checking about the screens: the dedicated-screen configuration in
// force and whether a screen is still connected as it was.
#pragma once

#include "desktops/ScreenPlacement.h"

#include <vector>

namespace pellamor::ArrangementScreens {

// The dedicated screen and assistant to act on now, from the connected screens and the standard defaults.
AssistantScreenConfiguration currentConfiguration();
// The screen, by its exact id, is among the connected ones with the same frame.
bool stillConnected(const ConnectedMonitor& monitor, const std::vector<ConnectedMonitor>& connected);

} // namespace pellamor::ArrangementScreens
