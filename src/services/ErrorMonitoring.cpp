#include "services/ErrorMonitoring.h"

#include "platform/SentrySDK.h"

namespace pellamor {
namespace {

std::string lastPathComponent(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

void reduceToLastComponent(std::optional<std::string>& path)
{
    if (path)
        path = lastPathComponent(*path);
}

} // namespace

void ErrorMonitoring::start(std::optional<SentryConfiguration> configuration, const FeedbackMetadata& metadata)
{
    if (!configuration)
        return;
    SentrySDK::start([&](SentryOptions& options) {
        options.dsn = configuration->dsn;
        options.environment = configuration->environment;
        options.releaseName = metadata.release();
        options.dist = metadata.build;
        options.debug = false;
        options.sendDefaultPii = false;
        options.enableUncaughtNSExceptionReporting = true;
        options.enableMemoryIntrospection = false;
        options.enableAutoSessionTracking = false;
        options.enableAutoPerformanceTracing = false;
        options.enableNetworkTracking = false;
        options.enableNetworkBreadcrumbs = false;
        options.enableAutoBreadcrumbTracking = false;
        options.enableCaptureFailedRequests = false;
        options.enableFileIOTracing = false;
        options.enableCoreDataTracing = false;
        options.enableAppHangTracking = false;
        options.enableLogs = false;
        options.enableMetrics = false;
        options.enableSwizzling = false;
        options.maxBreadcrumbs = 0;
        options.beforeSend = sanitize;
    });
}

void ErrorMonitoring::stop()
{
    SentrySDK::close();
}

bool ErrorMonitoring::isStarted()
{
    return SentrySDK::isEnabled();
}

std::string ErrorMonitoring::associateReportedError(const std::string& source)
{
    SentryEvent event;
    event.level = SentryLevel::error;
    event.message = SentryMessage { "User reported an application error" };
    event.tags = std::map<std::string, std::string> { { "feedback.source", source } };
    // All reports of one source group together.
    event.fingerprint = std::vector<std::string> { "user-reported-application-error", source };
    return SentrySDK::capture(std::move(event));
}

std::optional<SentryEvent> ErrorMonitoring::sanitize(SentryEvent event)
{
    event.user = SentryUser { std::nullopt, std::nullopt, std::nullopt, "0.0.0.0" };
    event.serverName.reset();
    event.request.reset();
    event.extra.reset();
    event.breadcrumbs.reset();
    event.transaction.reset();
    event.message = SentryMessage { "Pellamor diagnostic" };
    event.modules.reset();
    if (event.tags) {
        std::map<std::string, std::string> kept;
        if (auto source = event.tags->find("feedback.source"); source != event.tags->end())
            kept.insert(*source);
        event.tags = kept;
    }

    nlohmann::json os = nlohmann::json::object();
    if (event.contexts) {
        auto former = event.contexts->find("os");
        if (former != event.contexts->end() && former->second.is_object()) {
            for (const char* key : { "name", "version", "build", "kernel_version" }) {
                if (former->second.contains(key))
                    os[key] = former->second[key];
            }
        }
    }
    event.contexts = std::map<std::string, nlohmann::json> { { "os", os } };

    if (event.exceptions) {
        for (SentryException& exception : *event.exceptions) {
            exception.value = "Crash diagnostic (message omitted)";
            if (exception.mechanism) {
                exception.mechanism->data.reset();
                exception.mechanism->description.reset();
            }
            clean(exception.stacktrace);
        }
    }
    if (event.threads) {
        for (SentryThread& thread : *event.threads) {
            thread.name.reset();
            clean(thread.stacktrace);
        }
    }
    clean(event.stacktrace);
    if (event.debugMeta) {
        for (SentryDebugMeta& image : *event.debugMeta)
            reduceToLastComponent(image.codeFile);
    }
    return event;
}

void ErrorMonitoring::clean(std::optional<SentryStacktrace>& stacktrace)
{
    if (!stacktrace)
        return;
    for (SentryFrame& frame : stacktrace->frames) {
        frame.vars.reset();
        frame.contextLine.reset();
        reduceToLastComponent(frame.fileName);
        reduceToLastComponent(frame.package);
        reduceToLastComponent(frame.module);
    }
}

} // namespace pellamor
