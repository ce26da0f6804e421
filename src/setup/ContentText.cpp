#include "setup/ContentText.h"

#include <cstdio>

namespace pellamor::ContentText {
namespace {

void real(std::string& out, double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    field(out, buffer);
}

} // namespace

void field(std::string& out, std::string_view value)
{
    out += std::to_string(value.size());
    out += ':';
    out += value;
}

void optionalField(std::string& out, const std::optional<std::string>& value)
{
    flag(out, value.has_value());
    if (value)
        field(out, *value);
}

void flag(std::string& out, bool value)
{
    out += value ? 'T' : 'F';
}

void count(std::string& out, std::size_t size)
{
    out += '#';
    out += std::to_string(size);
    out += ';';
}

void desktop(std::string& out, const NativeDesktopState& desktop)
{
    field(out, std::to_string(desktop.spaceID));
    field(out, std::to_string(desktop.currentSpaceID));
    field(out, desktop.display);
    optionalField(out, desktop.spaceUUID);
}

void window(std::string& out, const DesktopWindow& window)
{
    field(out, std::to_string(window.id));
    field(out, std::to_string(window.pid));
    field(out, window.application);
    optionalField(out, window.bundleID);
    field(out, window.title);
    real(out, window.frame.x());
    real(out, window.frame.y());
    real(out, window.frame.width());
    real(out, window.frame.height());
    count(out, window.spaces.size());
    for (auto space : window.spaces)
        field(out, std::to_string(space));
    optionalField(out, window.documentName);
    flag(out, window.isMinimized.has_value());
    if (window.isMinimized)
        flag(out, *window.isMinimized);
}

} // namespace pellamor::ContentText
