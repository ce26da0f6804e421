// The names of the assistant's log files and of the UTC day folders that hold them.
#pragma once

#include "platform/PlistValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellamor {

// What a log file's name tells: "codex-desktop-<UUID>-<pid>-t0-i<instance>-<six-digit start>-<rotation>.log".
struct CodexLogFileName {
    std::string session; // the UUID, lower-cased
    std::int64_t instance = 0;
    std::int64_t started = 0;
    std::int64_t rotation = 0;
};

// The parts of a log file name written by the process `pid`; none when the name is not of that form.
std::optional<CodexLogFileName> matchCodexLogFileName(std::string_view name, std::int32_t pid);

// The log file name of a session, as the assistant writes it.
std::string codexLogFileName(std::string_view sessionUUID, std::int32_t pid, std::int64_t instance,
    std::string_view startStamp, std::int64_t rotation);

// "%04d/%02d/%02d" of the UTC day `dayOffset` days from `date`; none for a date out of the calendar's reach.
std::optional<std::string> utcDayFolder(PlistDate date, int dayOffset);

} // namespace pellamor
