#include "setup/ContentText.h"

#include <cstdint>
#include <cstring>

namespace pellamor::ContentText {
namespace {

// Fixed-width bytes: unambiguous without a length, and no formatting to pay for.
template <class T> void raw(std::string& out, T value)
{
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.append(bytes, sizeof value);
}

} // namespace

void field(std::string& out, std::string_view value)
{
    raw<std::uint64_t>(out, value.size());
    out += value;
}

void number(std::string& out, std::int64_t value)
{
    raw(out, value);
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
    raw<std::uint64_t>(out, size);
}

void desktop(std::string& out, const NativeDesktopState& desktop)
{
    raw(out, desktop.spaceID);
    raw(out, desktop.currentSpaceID);
    field(out, desktop.display);
    optionalField(out, desktop.spaceUUID);
}

void window(std::string& out, const DesktopWindow& window)
{
    raw(out, window.id);
    raw(out, window.pid);
    field(out, window.application);
    optionalField(out, window.bundleID);
    field(out, window.title);
    raw(out, window.frame.x());
    raw(out, window.frame.y());
    raw(out, window.frame.width());
    raw(out, window.frame.height());
    count(out, window.spaces.size());
    for (auto space : window.spaces)
        raw(out, space);
    optionalField(out, window.documentName);
    flag(out, window.isMinimized.has_value());
    if (window.isMinimized)
        flag(out, *window.isMinimized);
}

} // namespace pellamor::ContentText
