#include "sim/MacLog.h"

#include <charconv>
#include <cmath>

namespace pellamor::sim {

namespace {
std::string flag(bool value)
{
    return value ? "true" : "false";
}
} // namespace

std::string formatNumber(double value)
{
    if (std::isnan(value))
        return "nan";
    // The longest fixed text of a double: -5e-324, "-0." and 324 digits; -1.8e308 takes 310 characters.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    return text == "-0" ? "0" : text;
}

void MacLog::write(std::string line)
{
    if (stream_) {
        // In one piece: a reader of the stream, timing the line, is woken once and never finds half of it.
        const std::string whole = "mac: " + line + '\n';
        stream_->write(whole.data(), static_cast<std::streamsize>(whole.size()));
        stream_->flush();
    }
    lines_.push_back(std::move(line));
}

void MacLog::currentSpace(const std::string& display, std::uint64_t space)
{
    write("current-space display=" + display + " space=" + std::to_string(space));
}

void MacLog::spaceAdded(const std::string& display, std::uint64_t space)
{
    write("space-added display=" + display + " space=" + std::to_string(space));
}

void MacLog::spaceRemoved(const std::string& display, std::uint64_t space)
{
    write("space-removed display=" + display + " space=" + std::to_string(space));
}

void MacLog::windowSpaces(std::uint32_t window, const std::vector<std::uint64_t>& spaces)
{
    std::string line = "window-spaces window=";
    line.append(std::to_string(window)).append(" spaces=");
    for (std::size_t index = 0; index < spaces.size(); ++index)
        line.append(index == 0 ? "" : ",").append(std::to_string(spaces[index]));
    write(line);
}

void MacLog::windowClosed(std::uint32_t window)
{
    write("window-closed window=" + std::to_string(window));
}

void MacLog::windowFrame(std::uint32_t window, const QRectF& frame)
{
    write("window-frame window=" + std::to_string(window) + " frame=" + formatNumber(frame.x()) + ","
        + formatNumber(frame.y()) + "," + formatNumber(frame.width()) + "," + formatNumber(frame.height()));
}

void MacLog::hotkey(std::uint32_t id, bool enabled)
{
    write("hotkey id=" + std::to_string(id) + " enabled=" + flag(enabled));
}

void MacLog::keyPosted(std::uint16_t code, std::uint64_t flags, bool down)
{
    write("key-posted code=" + std::to_string(code) + " flags=" + std::to_string(flags) + " down=" + flag(down));
}

void MacLog::missionControl(bool shown)
{
    write("mission-control shown=" + flag(shown));
}

void MacLog::frontmost(const std::string& bundleID)
{
    write("frontmost bundle=" + bundleID);
}

void MacLog::openURL(const std::string& url)
{
    write("open-url url=" + url);
}

void MacLog::enhancedUserInterface(int pid, bool enabled)
{
    write("enhanced-user-interface pid=" + std::to_string(pid) + " enabled=" + (enabled ? "true" : "false"));
}

} // namespace pellamor::sim
