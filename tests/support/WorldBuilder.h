// Builds a simulated world in a few readable lines: displays with their desktops, applications, windows.
#pragma once

#include "sim/World.h"

namespace pellamor::test {

class WorldBuilder {
public:
    // A display 1000 × 800 placed right of the previous one; the first is the main display. Its spaces are
    // ordinary desktops with the UUIDs "UUID-<id>"; the first one is current.
    WorldBuilder& display(const std::string& id, std::vector<std::uint64_t> desktops);
    // A full-screen space at the end of the last display.
    WorldBuilder& fullScreen(std::uint64_t space);
    WorldBuilder& current(std::uint64_t space);
    WorldBuilder& application(int pid, const std::string& bundleID, const std::string& name);
    WorldBuilder& window(std::uint32_t number, int pid, QRectF frame, std::vector<std::uint64_t> spaces);
    WorldBuilder& frontmost(const std::string& bundleID);

    const sim::World& world() const { return world_; }
    operator sim::World() const { return world_; }

private:
    sim::World world_;
};

inline WorldBuilder world()
{
    return WorldBuilder();
}

} // namespace pellamor::test
