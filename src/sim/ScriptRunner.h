// The world's script: timed actions, each run by the handler registered under its member name.
#pragma once

#include "sim/World.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace pellamor::sim {

class SimulatedMac;

class ScriptRunner {
public:
    using Block = std::function<void()>;
    // Reads a step's argument into what the step does, or says what is wrong with it.
    using Action = std::function<std::variant<Block, std::string>(const nlohmann::json& argument)>;

    // Registers "activate", "hold", "release", "screenshot" and "quit".
    explicit ScriptRunner(SimulatedMac& mac);

    void registerAction(const std::string& name, Action action);

    // Checks every step, then schedules each at its time since launch. The message names the faulty member,
    // e.g. "script[2].activate: no application has that bundle identifier"; nothing is scheduled then.
    std::optional<std::string> start(const std::vector<ScriptStep>& steps);

    // The index of the step running now, for the messages of its action.
    std::size_t runningStep() const { return runningStep_; }

    // Saves the main window as a PNG file; false when it could not.
    std::function<bool(const std::filesystem::path&)> onScreenshot;
    // Ends the application normally.
    std::function<void()> onQuit;

private:
    void registerBuiltins();

    SimulatedMac& mac_;
    std::map<std::string, Action> actions_;
    std::size_t runningStep_ = 0;
};

} // namespace pellamor::sim
