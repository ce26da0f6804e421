// The simulated assistant: writes its state file and its navigation log as the running assistant would.
#pragma once

#include "platform/PlistValue.h"
#include "sim/AssistantWorld.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace pellamor::sim {

class SimulatedAssistant {
public:
    // `now` gives the date of log lines and day folders; empty: the current date.
    SimulatedAssistant(std::filesystem::path home, AssistantWorld world, std::function<PlistDate()> now = {});

    std::filesystem::path statePath() const;
    // The log file of the latest navigation; none before the first.
    const std::optional<std::filesystem::path>& logPath() const { return logPath_; }
    const AssistantWorld& world() const { return world_; }

    // At launch: the state file, unless one exists. False when it could not be written.
    bool writeStateIfMissing();
    // Selects the project in the sidebar and replaces the state file. False for an unknown project or a failed write.
    bool select(const std::string& projectID);
    // Appends a verified navigation of the main window to the conversation, to the log of process `pid`.
    bool navigate(const std::string& conversationUUID, std::int32_t pid);

private:
    bool writeState() const;
    nlohmann::json stateDocument() const;
    std::filesystem::path currentLog(std::int32_t pid);

    std::filesystem::path home_;
    AssistantWorld world_;
    std::function<PlistDate()> now_;
    std::string session_;
    std::optional<std::int32_t> logPID_;
    std::optional<std::filesystem::path> logPath_;
    bool windowShown_ = false;
};

} // namespace pellamor::sim
