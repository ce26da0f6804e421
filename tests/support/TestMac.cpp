#include "support/TestMac.h"

namespace pellamor::test {

TestMac::TestMac(std::vector<std::string> preferredLanguages) : TestMac(sim::World(), std::move(preferredLanguages)) {}

TestMac::TestMac(sim::World world, std::vector<std::string> preferredLanguages)
{
    sim::MacSetup setup;
    setup.world = std::move(world);
    setup.logStream = nullptr;
    setup.home = home_.path();
    setup.resources = PELLAMOR_SOURCE_RESOURCES;
    setup.preferredLanguages = std::move(preferredLanguages);
    mac_ = std::make_unique<sim::SimulatedMac>(clock_, std::move(setup));
    clock_.attach(mac_->mainQueue());
    installed_.emplace(*mac_);
}

} // namespace pellamor::test
