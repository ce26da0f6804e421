#include "sim/CodexLogLines.h"

#include "assistant/UtcCalendar.h"

#include <cstdio>

namespace pellamor::sim {

std::string logTimestamp(std::int64_t milliseconds)
{
    const std::int64_t seconds = milliseconds >= 0 ? milliseconds / 1000 : (milliseconds - 999) / 1000;
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const std::int64_t secondOfDay = seconds - days * 86400;
    const CivilDate date = civilFromDays(days);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", date.year, date.month, date.day,
                  static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
                  static_cast<int>(secondOfDay % 60), static_cast<int>(milliseconds - seconds * 1000));
    return text;
}

std::string readyToShowLine(std::int64_t milliseconds, LogRenderer renderer, std::string_view appearance)
{
    return logTimestamp(milliseconds) + " info [window-manager] window ready-to-show windowId="
           + std::to_string(renderer.window) + " webContentsId=" + std::to_string(renderer.contents)
           + " appearance=" + std::string(appearance);
}

std::string routeChangeLine(std::int64_t milliseconds, LogRenderer renderer, std::string_view routePath)
{
    return logTimestamp(milliseconds)
           + " info [electron-message-handler] IAB_LIFECYCLE received browser sidebar owner sync windowId="
           + std::to_string(renderer.window) + " originWebContentsId=" + std::to_string(renderer.contents)
           + " ownerRoutePath=" + std::string(routePath);
}

std::string performanceSpanLine(std::int64_t milliseconds, LogRenderer renderer, const SpanState& span)
{
    return logTimestamp(milliseconds) + " info [electron-message-handler] client.performance.span name="
           + std::string(span.name) + " outcome=" + std::string(span.outcome)
           + " rendererWindowId=" + std::to_string(renderer.window)
           + " rendererWebContentsId=" + std::to_string(renderer.contents)
           + " rendererWindowAppearance=" + std::string(span.appearance)
           + " rendererWindowFocused=" + std::string(span.focused)
           + " rendererWindowVisible=" + std::string(span.visible) + " durationMs=212";
}

} // namespace pellamor::sim
