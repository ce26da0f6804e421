// The crash-reporting SDK the application links against, stood in: start with options and a before-send hook,
// capture an event, close. Events are filled as the SDK fills them (contexts, tags, threads, stack frames,
// debug images), passed to the hook on the SDK's own worker thread, and sent as envelopes over HTTPS. Crashes
// are recorded by its crash handler and sent, as fatal events, at the next start.
#pragma once

#include "platform/SentryEvent.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace pellamor {

struct SentryOptions {
    std::string dsn;
    std::string environment = "production";
    std::optional<std::string> releaseName;
    std::optional<std::string> dist;
    // Runs on the SDK's worker thread for every event before it leaves; none drops the event.
    std::function<std::optional<SentryEvent>(SentryEvent)> beforeSend;
    // Signals and std::terminate are recorded and sent at the next start.
    bool enableCrashHandler = true;
    // Events captured by the application carry the current thread's stack.
    bool attachStacktrace = true;
    // Where crash records wait; empty: "$HOME/Library/Caches/<bundle identifier>/Crashes".
    std::filesystem::path cacheDirectoryPath;

    // Accepted with the SDK's defaults and without effect here: this stand-in never logs, adds no personal data
    // of its own, keeps no breadcrumbs, sessions, traces, logs or metrics, watches neither the network, files,
    // databases nor hangs, swizzles nothing and has no Objective-C exceptions (uncaught C++ exceptions reach the
    // crash handler through std::terminate).
    bool debug = false;
    bool sendDefaultPii = false;
    bool enableUncaughtNSExceptionReporting = false;
    bool enableMemoryIntrospection = true;
    bool enableAutoSessionTracking = true;
    bool enableAutoPerformanceTracing = true;
    bool enableNetworkTracking = true;
    bool enableNetworkBreadcrumbs = true;
    bool enableAutoBreadcrumbTracking = true;
    bool enableCaptureFailedRequests = true;
    bool enableFileIOTracing = true;
    bool enableCoreDataTracing = true;
    bool enableAppHangTracking = true;
    bool enableLogs = false;
    bool enableMetrics = true;
    bool enableSwizzling = true;
    unsigned maxBreadcrumbs = 100;
};

class SentrySDK {
public:
    // Main thread. Without a usable DSN the SDK stays off. A second start replaces the first.
    static void start(const std::function<void(SentryOptions&)>& configure);
    // Main thread. The event's id; an event captured while the SDK is off is not sent and gets 32 zeros.
    static std::string capture(SentryEvent event);
    // Main thread. Stops the worker, removes the crash handler and cancels what is still being sent.
    static void close();
    static bool isEnabled();
    // Main thread. What the running SDK was started with; none while it is off.
    static std::optional<SentryOptions> options();
};

} // namespace pellamor
