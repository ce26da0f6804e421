#include "services/ErrorMonitoring.h"

#include "platform/CrashCapture.h"
#include "platform/CrashRecord.h"
#include "platform/FileContents.h"
#include "platform/SentrySDK.h"
#include "support/LoopbackHTTPSServer.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pellamor {
namespace {

const std::string host = "o17.ingest.us.sentry.io";

nlohmann::json eventOf(const test::ReceivedRequest& request)
{
    std::string body = request.body;
    std::size_t second = body.find('\n', body.find('\n') + 1);
    return nlohmann::json::parse(body.substr(second + 1, body.size() - second - 2));
}

TEST(ErrorMonitoringScrubTest, AnEventLeavesWithoutPersonalOrEnvironmentData)
{
    SentryEvent event;
    event.user = SentryUser { "42", "moi@exemple.fr", "moi", "192.168.1.2" };
    event.serverName = "MacBook-de-Moi";
    event.request = nlohmann::json { { "url", "https://x" } };
    event.extra = nlohmann::json { { "secret", 1 } };
    event.breadcrumbs = std::vector<nlohmann::json> { { { "message", "clic" } } };
    event.transaction = "launch";
    event.message = SentryMessage { "Impossible d’ouvrir /Users/moi/Projets/secret" };
    event.modules = std::map<std::string, std::string> { { "QtCore", "6.4" } };
    event.tags = std::map<std::string, std::string> { { "feedback.source", "help" }, { "os.name", "macOS" },
        { "feedback.sourceX", "x" } };
    event.contexts = std::map<std::string, nlohmann::json> {
        { "os", { { "name", "macOS" }, { "version", "14.5.0" }, { "build", "23F79" }, { "kernel_version", "23.5" },
                    { "rooted", false }, { "type", "os" } } },
        { "device", { { "model", "Mac15,3" } } }, { "custom", { { "path", "/Users/moi" } } } };
    SentryFrame frame;
    frame.fileName = "/Users/moi/src/Pellamor/AppDelegate.cpp";
    frame.module = "/Applications/Pellamor.app/Contents/MacOS/Pellamor";
    frame.vars = nlohmann::json { { "password", "x" } };
    frame.contextLine = "open(\"/Users/moi\")";
    SentryFrame bare;
    bare.function = "main";
    SentryException exception { "NSException", "Fichier /Users/moi/secret introuvable",
        SentryMechanism { "nsexception", false, "Fichier /Users/moi/secret", nlohmann::json { { "k", "v" } } },
        SentryStacktrace { { frame, bare } } };
    event.exceptions = std::vector<SentryException> { exception };
    event.threads = std::vector<SentryThread> { { 1, "/Users/moi/worker", true, true, SentryStacktrace { { frame } } } };
    event.stacktrace = SentryStacktrace { { frame } };
    event.debugMeta = std::vector<SentryDebugMeta> { { "macho", "id", "/Users/moi/lib/libx.dylib", 1, 2 } };

    std::optional<SentryEvent> kept = ErrorMonitoring::sanitize(event);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->user->ipAddress, "0.0.0.0");
    EXPECT_FALSE(kept->user->email || kept->user->userID || kept->user->username);
    EXPECT_FALSE(kept->serverName || kept->request || kept->extra || kept->breadcrumbs || kept->transaction
        || kept->modules);
    EXPECT_EQ(kept->message->formatted, "Pellamor diagnostic");
    EXPECT_EQ(*kept->tags, (std::map<std::string, std::string> { { "feedback.source", "help" } }));
    ASSERT_EQ(kept->contexts->size(), 1u);
    EXPECT_EQ(kept->contexts->at("os"), (nlohmann::json { { "name", "macOS" }, { "version", "14.5.0" },
                                            { "build", "23F79" }, { "kernel_version", "23.5" } }));
    const SentryException& scrubbed = kept->exceptions->at(0);
    EXPECT_EQ(scrubbed.value, "Crash diagnostic (message omitted)");
    EXPECT_FALSE(scrubbed.mechanism->data || scrubbed.mechanism->description);
    const SentryFrame& cleaned = scrubbed.stacktrace->frames[0];
    EXPECT_EQ(cleaned.fileName, "AppDelegate.cpp");
    EXPECT_EQ(cleaned.module, "Pellamor");
    EXPECT_FALSE(cleaned.vars || cleaned.contextLine || scrubbed.stacktrace->frames[1].package);
    EXPECT_FALSE(kept->threads->at(0).name);
    EXPECT_EQ(kept->threads->at(0).stacktrace->frames[0].fileName, "AppDelegate.cpp");
    EXPECT_EQ(kept->stacktrace->frames[0].fileName, "AppDelegate.cpp");
    EXPECT_EQ(kept->debugMeta->at(0).codeFile, "libx.dylib");

    SentryEvent plain;
    EXPECT_FALSE(ErrorMonitoring::sanitize(plain)->tags);
    EXPECT_EQ(ErrorMonitoring::sanitize(plain)->contexts->at("os"), nlohmann::json::object());
}

class ErrorMonitoringTest : public ::testing::Test {
protected:
    void SetUp() override { server.serve(mac, { host }); }
    void TearDown() override { ErrorMonitoring::stop(); }
    std::optional<SentryConfiguration> configuration()
    {
        return SentryConfiguration::make("https://0123456789abcdef0123456789abcdef@" + host + "/17", "test");
    }
    std::filesystem::path crashes() { return mac.home() / "Library/Caches/fr.local.pellamor/Crashes"; }
    std::vector<std::filesystem::path> records()
    {
        std::vector<std::filesystem::path> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(crashes(), error))
            found.push_back(entry.path());
        return found;
    }
    // A child process installs the crash handler and dies by `crash` on a thread named with a planted path,
    // where no test framework catches what it throws.
    int crashChild(const std::function<void()>& crash)
    {
        std::filesystem::path folder = crashes();
        pid_t child = fork();
        if (child == 0) {
            if (!CrashCapture::install(folder))
                _exit(3);
            std::thread([&crash] {
                prctl(PR_SET_NAME, "/Users/bob/seq");
                crash();
            }).join();
            _exit(4);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status);
    }

    test::WidgetApplication application;
    test::TestMac mac;
    test::LoopbackHTTPSServer server;
    FeedbackMetadata metadata { "1.2", "34", "14.5.0" };
};

TEST_F(ErrorMonitoringTest, AReportedErrorIsCapturedScrubbedAndSent)
{
    ErrorMonitoring::start(std::nullopt, metadata);
    EXPECT_FALSE(ErrorMonitoring::isStarted());
    EXPECT_EQ(ErrorMonitoring::associateReportedError("help"), std::string(32, '0'));

    ErrorMonitoring::start(configuration(), metadata);
    ASSERT_TRUE(ErrorMonitoring::isStarted());
    std::string id = ErrorMonitoring::associateReportedError("automatic_switching");
    EXPECT_EQ(id.size(), 32u);
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return server.requests().size() == 1; }));
    const test::ReceivedRequest& request = server.requests()[0];
    EXPECT_EQ(request.target, "/api/17/envelope/");
    EXPECT_EQ(request.header("Content-Type"), "application/x-sentry-envelope");
    nlohmann::json event = eventOf(request);
    EXPECT_EQ(event["event_id"], id);
    EXPECT_EQ(event["level"], "error");
    EXPECT_EQ(event["fingerprint"], (nlohmann::json { "user-reported-application-error", "automatic_switching" }));
    EXPECT_EQ(event["tags"], (nlohmann::json { { "feedback.source", "automatic_switching" } }));
    EXPECT_EQ(event["message"]["formatted"], "Pellamor diagnostic");
    EXPECT_EQ(event["release"], "pellamor@1.2+34");
    EXPECT_EQ(event["user"], (nlohmann::json { { "ip_address", "0.0.0.0" } }));
    EXPECT_EQ(event["contexts"].size(), 1u);
    EXPECT_LE(event["contexts"]["os"].size(), 4u);
    EXPECT_FALSE(event.contains("server_name"));
    for (const auto& image : event["debug_meta"]["images"])
        EXPECT_EQ(image["code_file"].get<std::string>().find('/'), std::string::npos);
    for (const auto& thread : event["threads"]["values"]) {
        EXPECT_FALSE(thread.contains("name"));
        for (const auto& frame : thread["stacktrace"]["frames"])
            EXPECT_EQ(frame.value("package", std::string()).find('/'), std::string::npos);
    }
}

// Nothing is collected beyond the events the application captures itself.
TEST_F(ErrorMonitoringTest, TheSDKStartsWithEveryAutomaticCollectionOff)
{
    ErrorMonitoring::start(configuration(), metadata);
    std::optional<SentryOptions> options = SentrySDK::options();
    ASSERT_TRUE(options);
    EXPECT_EQ(options->environment, "test");
    EXPECT_EQ(options->releaseName, "pellamor@1.2+34");
    EXPECT_EQ(options->dist, "34");
    EXPECT_TRUE(options->enableUncaughtNSExceptionReporting);
    EXPECT_TRUE(options->beforeSend);
    EXPECT_EQ(options->maxBreadcrumbs, 0u);
    const std::pair<const char*, bool> collections[] = { { "debug", options->debug },
        { "sendDefaultPii", options->sendDefaultPii }, { "memoryIntrospection", options->enableMemoryIntrospection },
        { "autoSessionTracking", options->enableAutoSessionTracking },
        { "autoPerformanceTracing", options->enableAutoPerformanceTracing },
        { "networkTracking", options->enableNetworkTracking },
        { "networkBreadcrumbs", options->enableNetworkBreadcrumbs },
        { "autoBreadcrumbTracking", options->enableAutoBreadcrumbTracking },
        { "captureFailedRequests", options->enableCaptureFailedRequests },
        { "fileIOTracing", options->enableFileIOTracing }, { "coreDataTracing", options->enableCoreDataTracing },
        { "appHangTracking", options->enableAppHangTracking }, { "logs", options->enableLogs },
        { "metrics", options->enableMetrics }, { "swizzling", options->enableSwizzling } };
    for (const auto& [name, on] : collections)
        EXPECT_FALSE(on) << name;
    ErrorMonitoring::stop();
    EXPECT_FALSE(SentrySDK::options());
}

TEST_F(ErrorMonitoringTest, TheHookRunsOnTheSDKsOwnThread)
{
    std::optional<std::thread::id> hookThread;
    SentrySDK::start([&](SentryOptions& options) {
        options.dsn = configuration()->dsn;
        options.enableCrashHandler = false;
        options.beforeSend = [&](SentryEvent) -> std::optional<SentryEvent> {
            hookThread = std::this_thread::get_id();
            return std::nullopt;
        };
    });
    SentrySDK::capture(SentryEvent {});
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return hookThread.has_value(); }));
    EXPECT_NE(*hookThread, std::this_thread::get_id());
    test::pumpFor(mac, 0.05);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(ErrorMonitoringTest, ACrashIsRecordedAndSentScrubbedOnceAtTheNextStart)
{
    EXPECT_EQ(crashChild([] { std::raise(SIGSEGV); }), SIGSEGV);
    EXPECT_EQ(crashChild([] { std::abort(); }), SIGABRT);
    EXPECT_EQ(crashChild([] { throw std::runtime_error("cannot open /Users/bob/secret-project"); }), SIGABRT);
    ASSERT_EQ(records().size(), 3u);
    std::vector<int> caught;
    for (const auto& path : records()) {
        auto record = CrashRecord::parse(readFileContents(path, CrashRecord::maximumBytes).contents);
        ASSERT_TRUE(record) << path;
        EXPECT_EQ(record->threadName, "/Users/bob/seq");
        EXPECT_FALSE(record->frames.empty());
        caught.push_back(record->signal);
    }
    std::sort(caught.begin(), caught.end());
    EXPECT_EQ(caught, (std::vector<int> { SIGABRT, SIGABRT, SIGSEGV }));
    std::filesystem::path corrupt = crashes() / "crash-0.record";
    std::ofstream(corrupt) << "pellamor-crash 1\nkind signal\n";

    // Refused: every record stays for the next start; the corrupt one is gone.
    server.script(std::vector<test::ScriptedReply>(3, test::ScriptedReply::answering(500)));
    ErrorMonitoring::start(configuration(), metadata);
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return server.requests().size() == 3; }));
    test::pumpFor(mac, 0.1);
    ErrorMonitoring::stop();
    EXPECT_EQ(records().size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(corrupt));

    ErrorMonitoring::start(configuration(), metadata);
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return server.requests().size() == 6 && records().empty(); }));
    std::string executableFolder = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
    std::vector<std::string> types;
    for (std::size_t i = 3; i < 6; ++i) {
        const std::string& raw = server.requests()[i].raw;
        EXPECT_EQ(raw.find("secret"), std::string::npos);
        EXPECT_EQ(raw.find("/Users/bob"), std::string::npos);
        EXPECT_EQ(raw.find(executableFolder), std::string::npos);
        nlohmann::json event = eventOf(server.requests()[i]);
        EXPECT_EQ(event["level"], "fatal");
        EXPECT_EQ(event["message"]["formatted"], "Pellamor diagnostic");
        EXPECT_EQ(event["user"], (nlohmann::json { { "ip_address", "0.0.0.0" } }));
        EXPECT_FALSE(event.contains("tags") && !event["tags"].empty());
        EXPECT_LE(event["contexts"]["os"].size(), 4u);
        const nlohmann::json& exception = event["exception"]["values"][0];
        EXPECT_EQ(exception["value"], "Crash diagnostic (message omitted)");
        EXPECT_FALSE(exception["mechanism"].contains("data"));
        types.push_back(exception["type"]);
    }
    std::sort(types.begin(), types.end());
    EXPECT_EQ(types, (std::vector<std::string> { "SIGABRT", "SIGSEGV", "std::runtime_error" }));

    ErrorMonitoring::stop();
    ErrorMonitoring::start(configuration(), metadata);
    test::pumpFor(mac, 0.2);
    EXPECT_EQ(server.requests().size(), 6u);
}

} // namespace
} // namespace pellamor
