#include "support/TestMac.h"

namespace pellamor::test {
namespace {

class SettingsFileStorage final : public DefaultsStorage {
public:
    explicit SettingsFileStorage(SettingsFile& file) : file_(file) {}
    PlistDictionary load() override { return file_.saved; }
    bool save(const PlistDictionary& values) override
    {
        ++file_.saves;
        if (file_.failSaves)
            return false;
        file_.saved = values;
        return true;
    }

private:
    SettingsFile& file_;
};

} // namespace

TestMac::TestMac(std::vector<std::string> preferredLanguages) : TestMac(sim::World(), std::move(preferredLanguages)) {}

TestMac::TestMac(sim::World world, std::vector<std::string> preferredLanguages)
{
    sim::MacSetup setup;
    setup.world = std::move(world);
    setup.logStream = nullptr;
    setup.home = home_.path();
    setup.resources = PELLAMOR_SOURCE_RESOURCES;
    setup.preferredLanguages = std::move(preferredLanguages);
    setup.defaultsStorage = std::make_unique<SettingsFileStorage>(settingsFile_);
    mac_ = std::make_unique<sim::SimulatedMac>(clock_, std::move(setup));
    clock_.attach(mac_->mainQueue());
    installed_.emplace(*mac_);
}

std::unique_ptr<UserDefaults> TestMac::defaultsAfterRestart() const
{
    auto defaults = std::make_unique<UserDefaults>();
    for (const auto& [key, value] : settingsFile_.saved)
        defaults->set(key, value);
    return defaults;
}

} // namespace pellamor::test
