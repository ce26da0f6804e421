// One started crash-reporting SDK: its options, its worker thread (the before-send hook, envelopes, the crash
// records of earlier runs) and its HTTPS sender on the main thread.
#pragma once

#include "platform/MainQueue.h"
#include "platform/SentryEventSources.h"
#include "platform/SentrySDK.h"
#include "platform/URLSession.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace pellamor {

class SentryClient : public std::enable_shared_from_this<SentryClient> {
public:
    struct Destination {
        std::string endpoint;
        std::string publicKey;
    };
    // Any http or https DSN with a key and a project; none otherwise.
    static std::optional<Destination> destination(const std::string& dsn);

    // Main thread; `start` then sends what crashed in earlier runs and installs the crash handler.
    SentryClient(SentryOptions options, Destination destination);
    ~SentryClient();
    SentryClient(const SentryClient&) = delete;
    SentryClient& operator=(const SentryClient&) = delete;

    void start();
    const SentryOptions& options() const { return options_; }
    // Main thread.
    std::string capture(SentryEvent event);

private:
    struct Job {
        SentryEvent event;
        // The crash record the event comes from, deleted once the service accepted it.
        std::optional<std::filesystem::path> record;
    };

    void enqueue(Job job);
    void work();
    void sendPendingCrashes();
    void process(Job job);
    void deliver(std::string envelope, std::optional<std::filesystem::path> record);

    SentryOptions options_;
    Destination destination_;
    SentryEnvironment environment_;
    std::filesystem::path crashFolder_;
    MainQueue& mainQueue_;
    std::unique_ptr<URLSession> session_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace pellamor
