#include "sim/SimulatedAssistant.h"

#include "assistant/CodexLogFileName.h"
#include "platform/FileContents.h"
#include "platform/UUID.h"
#include "sim/CodexLogLines.h"

#include <QDateTime>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace pellamor::sim {

namespace {

using nlohmann::json;

// The one main window of the simulated assistant.
constexpr LogRenderer mainWindow { 1, 1 };
// How long the simulated navigation takes, from route change to its span.
constexpr std::int64_t navigationMilliseconds = 240;

PlistDate currentDate()
{
    return PlistDate { static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0 };
}

std::int64_t milliseconds(PlistDate date)
{
    return std::llround(date.secondsSince1970 * 1000.0);
}

} // namespace

SimulatedAssistant::SimulatedAssistant(std::filesystem::path home, AssistantWorld world, std::function<PlistDate()> now)
    : home_(std::move(home))
    , world_(std::move(world))
    , now_(now ? std::move(now) : std::function<PlistDate()>(currentDate))
    , session_(UUID::random().uuidString())
{
}

std::filesystem::path SimulatedAssistant::statePath() const
{
    return home_ / ".codex/.codex-global-state.json";
}

bool SimulatedAssistant::writeStateIfMissing()
{
    std::error_code ignored;
    if (std::filesystem::exists(statePath(), ignored))
        return true;
    return writeState();
}

bool SimulatedAssistant::select(const std::string& projectID)
{
    const bool known = std::any_of(world_.projects.begin(), world_.projects.end(),
        [&](const AssistantProject& project) { return project.id == projectID; });
    if (!known)
        return false;
    world_.selected = projectID;
    return writeState();
}

json SimulatedAssistant::stateDocument() const
{
    json projects = json::object();
    for (const AssistantProject& project : world_.projects)
        projects[project.id] = { { "id", project.id }, { "name", project.name }, { "rootPaths", project.rootPaths } };
    json hosts = json::object();
    json assignments = json::object();
    for (const auto& [conversation, project] : world_.conversations) {
        hosts[conversation] = "local";
        assignments[conversation] = { { "projectKind", "local" }, { "projectId", project } };
    }
    json document = { { "local-projects", projects }, { "thread-project-membership-host-ids", hosts },
        { "thread-project-assignments", assignments } };
    if (world_.selected)
        document["selected-project"] = { { "type", "local" }, { "projectId", *world_.selected } };
    return document;
}

bool SimulatedAssistant::writeState() const
{
    return writeFileAtomically(statePath(), stateDocument().dump(2));
}

std::filesystem::path SimulatedAssistant::currentLog(std::int32_t pid)
{
    if (logPath_ && logPID_ == pid)
        return *logPath_;
    // A new process starts a logging session of its own, in today's folder.
    const PlistDate now = now_();
    const auto seconds = static_cast<std::int64_t>(std::floor(now.secondsSince1970));
    const std::int64_t secondOfDay = (seconds % 86400 + 86400) % 86400;
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%02d", static_cast<int>(secondOfDay / 3600),
        static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60));
    const std::filesystem::path folder
        = home_ / "Library/Logs/com.openai.codex" / utcDayFolder(now, 0).value_or("1970/01/01");
    if (pid != logPID_)
        session_ = UUID::random().uuidString();
    logPID_ = pid;
    windowShown_ = false;
    logPath_ = folder / codexLogFileName(session_, pid, 1, stamp, 0);
    return *logPath_;
}

bool SimulatedAssistant::navigate(const std::string& conversationUUID, std::int32_t pid)
{
    const std::filesystem::path file = currentLog(pid);
    std::error_code failure;
    std::filesystem::create_directories(file.parent_path(), failure);
    if (failure)
        return false;
    const std::int64_t at = milliseconds(now_());
    std::string lines;
    if (!windowShown_)
        lines += readyToShowLine(at, mainWindow, "primary") + "\n";
    lines += routeChangeLine(at, mainWindow, "/local/" + conversationUUID) + "\n";
    lines += performanceSpanLine(at + navigationMilliseconds, mainWindow) + "\n";
    std::ofstream log(file, std::ios::binary | std::ios::app);
    log << lines;
    log.flush();
    if (!log)
        return false;
    windowShown_ = true;
    return true;
}

} // namespace pellamor::sim
