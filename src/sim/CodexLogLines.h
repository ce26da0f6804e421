// The marker lines the assistant writes to its log, as the simulated assistant and the tests write them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pellamor::sim {

// "2026-03-01T09:15:02.417Z" for milliseconds since 1970.
std::string logTimestamp(std::int64_t milliseconds);

struct LogRenderer {
    std::int64_t window = 1;
    std::int64_t contents = 1;
};

// "window ready-to-show" of a window of the given kind ("primary", "quickChat", …).
std::string readyToShowLine(std::int64_t milliseconds, LogRenderer renderer, std::string_view appearance);
// The browser sidebar's owner sync naming the window's route path.
std::string routeChangeLine(std::int64_t milliseconds, LogRenderer renderer, std::string_view routePath);

struct SpanState {
    std::string_view appearance = "primary";
    std::string_view focused = "true";
    std::string_view visible = "true";
    std::string_view name = "thread_navigation";
    std::string_view outcome = "success";
};
std::string performanceSpanLine(std::int64_t milliseconds, LogRenderer renderer, const SpanState& span = {});

} // namespace pellamor::sim
