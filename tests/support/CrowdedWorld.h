// A busy Mac for the windows tab: three displays (the first dedicated to the assistant), many windows of many
// applications, many projects, some of them with a desktop of a content display.
#pragma once

#include "sim/World.h"

#include <string>

namespace pellamor::test {

struct Crowd {
    int windows = 120;
    int applications = 25;
    int projects = 30;
    int desktopsPerDisplay = 3;
    bool dark = false;
};

sim::World crowdedWorld(const Crowd& crowd);
// The assistant's state file listing the crowd's projects, as the assistant writes it.
std::string crowdedAssistantState(const Crowd& crowd);

} // namespace pellamor::test
