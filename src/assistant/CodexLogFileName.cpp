#include "assistant/CodexLogFileName.h"

#include "assistant/TextCase.h"
#include "assistant/UtcCalendar.h"
#include "platform/UUID.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace pellamor {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Takes a run of at least one digit off the front of `text`, as a signed 64-bit number.
std::optional<std::int64_t> takeNumber(std::string_view& text)
{
    std::size_t length = 0;
    while (length < text.size() && isDigit(text[length]))
        ++length;
    if (length == 0)
        return std::nullopt;
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + length, value);
    if (error != std::errc() || end != text.data() + length)
        return std::nullopt;
    text.remove_prefix(length);
    return value;
}

bool takeLiteral(std::string_view& text, std::string_view literal)
{
    if (!text.starts_with(literal))
        return false;
    text.remove_prefix(literal.size());
    return true;
}

bool isSessionCharacter(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '-';
}

} // namespace

std::optional<CodexLogFileName> matchCodexLogFileName(std::string_view name, std::int32_t pid)
{
    if (!takeLiteral(name, "codex-desktop-") || name.size() < 36)
        return std::nullopt;
    const std::string_view session = name.substr(0, 36);
    for (char c : session) {
        if (!isSessionCharacter(c))
            return std::nullopt;
    }
    name.remove_prefix(36);
    if (!takeLiteral(name, "-") || !takeLiteral(name, std::to_string(pid)) || !takeLiteral(name, "-t0-i"))
        return std::nullopt;
    auto instance = takeNumber(name);
    if (!instance || !takeLiteral(name, "-"))
        return std::nullopt;
    std::string_view stamp = name.substr(0, 6);
    if (stamp.size() != 6 || name.size() < 7 || name[6] != '-')
        return std::nullopt;
    auto started = takeNumber(stamp);
    if (!started || !stamp.empty())
        return std::nullopt;
    name.remove_prefix(7);
    auto rotation = takeNumber(name);
    if (!rotation || name != ".log" || !UUID::parse(session))
        return std::nullopt;
    return CodexLogFileName { lowercased(session), *instance, *started, *rotation };
}

std::string codexLogFileName(std::string_view sessionUUID, std::int32_t pid, std::int64_t instance,
    std::string_view startStamp, std::int64_t rotation)
{
    return "codex-desktop-" + std::string(sessionUUID) + "-" + std::to_string(pid) + "-t0-i" + std::to_string(instance)
        + "-" + std::string(startStamp) + "-" + std::to_string(rotation) + ".log";
}

std::optional<std::string> utcDayFolder(PlistDate date, int dayOffset)
{
    if (!std::isfinite(date.secondsSince1970) || std::fabs(date.secondsSince1970) > 1e14)
        return std::nullopt;
    const auto days = static_cast<std::int64_t>(std::floor(date.secondsSince1970 / 86400.0)) + dayOffset;
    const CivilDate day = civilFromDays(days);
    char folder[32];
    std::snprintf(folder, sizeof folder, "%04d/%02d/%02d", day.year, day.month, day.day);
    return folder;
}

} // namespace pellamor
