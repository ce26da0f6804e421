#include "sim/ScreenSet.h"

#include "sim/SimulatedMac.h"

namespace pellamor::sim {

std::vector<Screen> ScreenSet::screens()
{
    // No display has the number 0: a screen numbered so in a test stands for one without "NSScreenNumber".
    std::vector<Screen> screens;
    for (const Display& display : mac_.world().displays) {
        PlistDictionary description;
        if (display.number != 0)
            description["NSScreenNumber"] = display.number;
        screens.push_back(Screen { std::move(description), display.name, display.frame, display.visibleFrame });
    }
    return screens;
}

bool ScreenSet::screensHaveSeparateSpaces()
{
    return mac_.world().separateSpaces;
}

std::optional<std::string> ScreenSet::displayUUID(std::uint32_t displayNumber)
{
    for (const Display& display : mac_.world().displays)
        if (displayNumber != 0 && display.number == displayNumber && !display.id.empty())
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
