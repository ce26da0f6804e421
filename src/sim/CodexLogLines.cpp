#include "sim/CodexLogLines.h"

#include "platform/ISO8601Date.h"

namespace pellamor::sim {

std::string logTimestamp(std::int64_t milliseconds)
{
    return formatISO8601Date(PlistDate { static_cast<double>(milliseconds) / 1000.0 }, true).value_or("");
}

std::string readyToShowLine(std::int64_t milliseconds, LogRenderer renderer, std::string_view appearance)
{
    return logTimestamp(milliseconds)
        + " info [window-manager] window ready-to-show windowId=" + std::to_string(renderer.window)
        + " webContentsId=" + std::to_string(renderer.contents) + " appearance=" + std::string(appearance);
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
        + std::string(span.name) + " outcome=" + std::string(span.outcome) + " rendererWindowId="
        + std::to_string(renderer.window) + " rendererWebContentsId=" + std::to_string(renderer.contents)
        + " rendererWindowAppearance=" + std::string(span.appearance) + " rendererWindowFocused="
        + std::string(span.focused) + " rendererWindowVisible=" + std::string(span.visible) + " durationMs=212";
}

} // namespace pellamor::sim
