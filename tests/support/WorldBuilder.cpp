#include "support/WorldBuilder.h"

namespace pellamor::test {

WorldBuilder& WorldBuilder::display(const std::string& id, std::vector<std::uint64_t> desktops)
{
    sim::Display display;
    display.id = id;
    display.number = static_cast<std::uint32_t>(world_.displays.size() + 1);
    display.name = "Screen " + id;
    display.main = world_.displays.empty();
    double x = world_.displays.size() * 1000.0;
    display.frame = QRectF(x, 0, 1000, 800);
    display.visibleFrame = QRectF(x, 0, 1000, 775);
    for (std::uint64_t space : desktops)
        display.spaces.push_back(sim::Space { space, "UUID-" + std::to_string(space), sim::desktopSpaceType });
    display.current = desktops.empty() ? 0 : desktops.front();
    world_.displays.push_back(display);
    return *this;
}

WorldBuilder& WorldBuilder::fullScreen(std::uint64_t space)
{
    world_.displays.back().spaces.push_back(
        sim::Space { space, "UUID-" + std::to_string(space), sim::fullScreenSpaceType });
    return *this;
}

WorldBuilder& WorldBuilder::current(std::uint64_t space)
{
    for (sim::Display& display : world_.displays)
        for (const sim::Space& candidate : display.spaces)
            if (candidate.id == space)
                display.current = space;
    return *this;
}

WorldBuilder& WorldBuilder::application(int pid, const std::string& bundleID, const std::string& name)
{
    world_.applications.push_back(sim::Application { pid, bundleID, name, "/Applications/" + name + ".app" });
    return *this;
}

WorldBuilder& WorldBuilder::window(std::uint32_t number, int pid, QRectF frame, std::vector<std::uint64_t> spaces)
{
    sim::Window window;
    window.number = number;
    window.pid = pid;
    window.title = "Window " + std::to_string(number);
    window.frame = frame;
    window.spaces = std::move(spaces);
    world_.windows.push_back(window);
    return *this;
}

WorldBuilder& WorldBuilder::frontmost(const std::string& bundleID)
{
    world_.frontmost = bundleID;
    return *this;
}

} // namespace pellamor::test
