#include "sim/ScreenSet.h"

#include "sim/SimulatedMac.h"

namespace pellamor::sim {

std::vector<Screen> ScreenSet::screens()
{
    std::vector<Screen> screens;
    for (const Display& display : mac_.world().displays)
        screens.push_back(
            Screen { { { "NSScreenNumber", display.number } }, display.name, display.frame, display.visibleFrame });
    return screens;
}

bool ScreenSet::screensHaveSeparateSpaces()
{
    return mac_.world().separateSpaces;
}

std::optional<std::string> ScreenSet::displayUUID(std::uint32_t displayNumber)
{
    for (const Display& display : mac_.world().displays)
        if (display.number == displayNumber)
            return display.id;
    return std::nullopt;
}

bool ScreenSet::isMainDisplay(std::uint32_t displayNumber)
{
    for (const Display& display : mac_.world().displays)
        if (display.number == displayNumber)
            return display.main;
    return false;
}

std::uint32_t ScreenSet::mainDisplayID()
{
    for (const Display& display : mac_.world().displays)
        if (display.main)
            return display.number;
    return 0;
}

} // namespace pellamor::sim
