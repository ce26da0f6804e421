#include "platform/SentryClient.h"

#include "platform/Bundle.h"
#include "platform/CrashCapture.h"
#include "platform/FileContents.h"
#include "platform/ISO8601Date.h"
#include "platform/JSONEncoding.h"
#include "platform/Platform.h"
#include "platform/URLComponents.h"

#include <chrono>

namespace pellamor {

std::optional<SentryClient::Destination> SentryClient::destination(const std::string& dsn)
{
    std::optional<URLComponents> url = URLComponents::parse(dsn);
    if (!url || (url->scheme != "https" && url->scheme != "http") || !url->host || url->host->empty() || !url->user
        || url->user->empty() || url->path.size() < 2)
        return std::nullopt;
    std::string project = url->path.substr(url->path.rfind('/') + 1);
    if (project.empty())
        return std::nullopt;
    std::string authority = *url->host + (url->port ? ":" + *url->port : "");
    return Destination { url->scheme + "://" + authority + "/api/" + project + "/envelope/", *url->user };
}

SentryClient::SentryClient(SentryOptions options, Destination destination)
    : options_(std::move(options))
    , destination_(std::move(destination))
    , environment_(SentryEnvironment::current())
    , mainQueue_(platform().mainQueue())
{
    if (!options_.cacheDirectoryPath.empty()) {
        crashFolder_ = options_.cacheDirectoryPath / "Crashes";
        return;
    }
    std::string identifier = lookupString(Bundle::main().infoDictionary(), "CFBundleIdentifier").valueOr("app");
    crashFolder_ = platform().homeDirectory() / "Library/Caches" / identifier / "Crashes";
}

SentryClient::~SentryClient()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
    if (options_.enableCrashHandler)
        CrashCapture::uninstall();
}

void SentryClient::start()
{
    worker_ = std::thread([this] { work(); });
    if (options_.enableCrashHandler)
        CrashCapture::install(crashFolder_);
}

std::string SentryClient::capture(SentryEvent event)
{
    if (event.eventID.empty())
        event.eventID = newEventID();
    if (event.timestamp == 0)
        event.timestamp = currentDate().secondsSince1970;
    if (options_.attachStacktrace && !event.threads)
        event.threads = std::vector<SentryThread> { currentThread() };
    if (!event.debugMeta)
        event.debugMeta = loadedImages();
    std::string id = event.eventID;
    enqueue({ std::move(event), std::nullopt });
    return id;
}

void SentryClient::enqueue(Job job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void SentryClient::work()
{
    sendPendingCrashes();
    for (;;) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_)
            return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        process(std::move(job));
    }
}

// Records of earlier runs, oldest first; an unreadable one is deleted, since it would never read better.
void SentryClient::sendPendingCrashes()
{
    std::error_code error;
    std::vector<std::filesystem::path> records;
    for (const auto& entry : std::filesystem::directory_iterator(crashFolder_, error)) {
        std::filesystem::path path = entry.path();
        if (path.extension() == ".partial")
            std::filesystem::remove(path, error);
        else if (path.extension() == ".record")
            records.push_back(path);
    }
    std::sort(records.begin(), records.end());
    for (const std::filesystem::path& path : records) {
        FileRead read = readFileContents(path, CrashRecord::maximumBytes);
        std::optional<CrashRecord> record
            = read.status == FileRead::Status::read ? CrashRecord::parse(read.contents) : std::nullopt;
        if (!record) {
            std::filesystem::remove(path, error);
            continue;
        }
        auto written = std::filesystem::last_write_time(path, error);
        double timestamp = error ? currentDate().secondsSince1970
                                 : std::chrono::duration<double>(std::chrono::file_clock::to_sys(written)
                                       .time_since_epoch()).count();
        process({ crashEvent(*record, timestamp), path });
    }
}

void SentryClient::process(Job job)
{
    SentryEvent event = std::move(job.event);
    event.releaseName = event.releaseName ? event.releaseName : options_.releaseName;
    event.dist = event.dist ? event.dist : options_.dist;
    event.environment = event.environment ? event.environment : options_.environment;
    fillEvent(event, environment_);
    if (options_.beforeSend) {
        std::optional<SentryEvent> kept = options_.beforeSend(std::move(event));
        if (!kept)
            return;
        event = std::move(*kept);
    }
    std::optional<std::string> payload = encodeSortedJSON(event.serialize());
    if (!payload)
        return;
    nlohmann::ordered_json header;
    header["event_id"] = event.eventID;
    header["dsn"] = options_.dsn;
    header["sent_at"] = formatISO8601Date(currentDate(), true).value_or("");
    nlohmann::ordered_json item;
    item["type"] = "event";
    item["length"] = payload->size();
    item["content_type"] = "application/json";
    std::optional<std::string> headerLine = encodeJSON(header);
    std::optional<std::string> itemLine = encodeJSON(item);
    if (!headerLine || !itemLine)
        return;
    std::string envelope = *headerLine + "\n" + *itemLine + "\n" + *payload + "\n";
    std::weak_ptr<SentryClient> weak = weak_from_this();
    mainQueue_.post([weak, envelope = std::move(envelope), record = std::move(job.record)]() mutable {
        if (auto client = weak.lock())
            client->deliver(std::move(envelope), std::move(record));
    });
}

void SentryClient::deliver(std::string envelope, std::optional<std::filesystem::path> record)
{
    if (!session_)
        session_ = std::make_unique<URLSession>(URLSessionConfiguration { 30, 60, {}, 0 });
    URLRequest request { destination_.endpoint, "POST",
        { { "Content-Type", "application/x-sentry-envelope" },
            { "X-Sentry-Auth",
                "Sentry sentry_version=7,sentry_key=" + destination_.publicKey
                    + ",sentry_client=pellamor.sentry-stand-in/1" } },
        std::move(envelope), 30 };
    session_->dataTask(std::move(request), [record = std::move(record)](URLLoadResult result) {
        auto* response = std::get_if<HTTPResponse>(&result);
        bool accepted = response && response->statusCode >= 200 && response->statusCode <= 299;
        // Kept otherwise, for the next start.
        if (record && accepted) {
            std::error_code error;
            std::filesystem::remove(*record, error);
        }
    });
}

} // namespace pellamor
