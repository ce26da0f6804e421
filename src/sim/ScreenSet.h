// The simulated screens: one per display of the world, in the world's order.
#pragma once

#include "platform/Screens.h"

namespace pellamor::sim {

class SimulatedMac;

class ScreenSet final : public Screens {
public:
    explicit ScreenSet(SimulatedMac& mac)
        : mac_(mac)
    {
    }

    std::vector<Screen> screens() override;
    bool screensHaveSeparateSpaces() override;
    std::optional<std::string> displayUUID(std::uint32_t displayNumber) override;
    bool isMainDisplay(std::uint32_t displayNumber) override;
    std::uint32_t mainDisplayID() override;

private:
    SimulatedMac& mac_;
};

} // namespace pellamor::sim
