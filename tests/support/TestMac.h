// A fresh simulated Mac on virtual time with a temporary home folder, installed for one test.
#pragma once

#include "platform/Platform.h"
#include "sim/SimulatedMac.h"
#include "support/TemporaryDirectory.h"
#include "support/VirtualClock.h"

#include <memory>
#include <optional>

namespace pellamor::test {

// The settings file of a test's machine: what the last save that went through wrote. `failSaves` makes every
// save fail as a full disk makes the file's rename fail, leaving the file as it was.
struct SettingsFile {
    PlistDictionary saved;
    bool failSaves = false;
    // Every save asked for, kept or not.
    int saves = 0;
};

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
    SettingsFile& settingsFile() { return settingsFile_; }
    // The defaults as the next launch would read them from the settings file.
    std::unique_ptr<UserDefaults> defaultsAfterRestart() const;

private:
    TemporaryDirectory home_;
    SettingsFile settingsFile_;
    VirtualClock clock_;
    std::unique_ptr<sim::SimulatedMac> mac_;
    std::optional<ScopedPlatform> installed_;
};

} // namespace pellamor::test
