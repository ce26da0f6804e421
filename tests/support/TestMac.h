// A fresh simulated Mac on virtual time with a temporary home folder, installed for one test.
#pragma once

#include "platform/Platform.h"
#include "sim/SimulatedMac.h"
#include "support/TemporaryDirectory.h"
#include "support/VirtualClock.h"

#include <optional>

namespace pellamor::test {

class TestMac {
public:
    explicit TestMac(std::vector<std::string> preferredLanguages = {"fr-FR"});
    // On that world; its "mac:" lines are kept in `mac().log()` rather than printed.
    explicit TestMac(sim::World world, std::vector<std::string> preferredLanguages = {"fr-FR"});

    sim::SimulatedMac& mac() { return *mac_; }
    sim::World& world() { return mac_->world(); }
    VirtualClock& clock() { return clock_; }
    const std::filesystem::path& home() const { return home_.path(); }
    void advance(double seconds) { clock_.advance(seconds); }

private:
    TemporaryDirectory home_;
    VirtualClock clock_;
    std::unique_ptr<sim::SimulatedMac> mac_;
    std::optional<ScopedPlatform> installed_;
};

} // namespace pellamor::test
