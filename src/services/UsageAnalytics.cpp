#include "services/UsageAnalytics.h"

#include "platform/ISO8601Date.h"
#include "platform/JSONEncoding.h"
#include "platform/Platform.h"

#include <cmath>

namespace pellamor {

UsageAnalytics& UsageAnalytics::shared()
{
    return platform().shared<UsageAnalytics>([] {
        return std::make_unique<UsageAnalytics>(UsageAnalyticsConfiguration::load(), platform().standardDefaults(),
            nullptr, currentDate, [] { return platform().uptime(); });
    });
}

UsageAnalytics::UsageAnalytics(std::optional<UsageAnalyticsConfiguration> configuration, UserDefaults& defaults,
    std::shared_ptr<UsageAnalyticsTransport> transport, std::function<PlistDate()> now,
    std::function<double()> uptime)
    : configuration_(std::move(configuration))
    , defaults_(defaults)
    , transport_(transport ? std::move(transport) : std::make_shared<HTTPSUsageAnalyticsTransport>())
    , now_(std::move(now))
    , uptime_(std::move(uptime))
{
}

std::optional<int> UsageAnalytics::retentionDays() const
{
    if (!configuration_)
        return std::nullopt;
    return configuration_->retentionDays;
}

bool UsageAnalytics::isEnabled() const
{
    return configuration_ && defaults_.string(consentKey).valueOr("") == configuration_->consentScope();
}

void UsageAnalytics::start()
{
    if (didStart_)
        return;
    didStart_ = true;
    isRunning_ = true;
    if (!isEnabled())
        return;
    sessionID_ = UUID::random().uuidString();
    submit(UsageEvent::opened);
}

void UsageAnalytics::stop()
{
    isRunning_ = false;
    discardPending();
}

void UsageAnalytics::setEnabled(bool enabled)
{
    if (!enabled) {
        defaults_.remove(consentKey);
        return discardPending();
    }
    if (!configuration_ || isEnabled())
        return;
    discardPending();
    defaults_.set(consentKey, configuration_->consentScope());
    // Consent given while running counts from now on: no "app_opened" for this launch.
    if (isRunning_)
        sessionID_ = UUID::random().uuidString();
}

void UsageAnalytics::recordInteraction()
{
    if (!isRunning_ || !isEnabled() || !sessionID_)
        return;
    double now = uptime_();
    if (lastInteraction_ && now - *lastInteraction_ < interactionInterval)
        return;
    // A dropped event does not start the spacing.
    if (submit(UsageEvent::interacted))
        lastInteraction_ = now;
}

// The upload's bytes, as the platform's default JSON encoder writes them: members in the order below, "/"
// escaped, no spaces.
bool UsageAnalytics::submit(UsageEvent event)
{
    if (!isRunning_ || !isEnabled() || !sessionID_ || requests_.size() >= maximumUploads)
        return false;
    nlohmann::ordered_json entry;
    entry["event_type"] = event == UsageEvent::opened ? "app_opened" : "app_interacted";
    entry["time"] = std::int64_t(std::floor(now_().secondsSince1970)) * 1000;
    entry["device_id"] = *sessionID_;
    entry["insert_id"] = UUID::random().uuidString();
    nlohmann::ordered_json upload;
    upload["api_key"] = configuration_->apiKey;
    upload["events"] = nlohmann::ordered_json::array({ entry });
    std::optional<std::string> body = encodeJSON(upload);
    if (!body)
        return false;

    URLRequest request;
    request.url = configuration_->endpoint();
    request.method = "POST";
    request.timeoutInterval = 10;
    request.headers = { { "Content-Type", "application/json" }, { "User-Agent", "Pellamor-Usage/1" } };
    request.body = std::move(*body);

    UUID id = UUID::random();
    requests_[id] = std::make_shared<Upload>();
    std::weak_ptr<UsageAnalytics*> weak = self_;
    UUID generation = generation_;
    platform().mainQueue().async([weak, id, generation, request = std::move(request)]() mutable {
        if (auto self = weak.lock())
            (*self)->startUpload(id, generation, std::move(request));
    });
    return true;
}

void UsageAnalytics::startUpload(const UUID& id, const UUID& generation, URLRequest request)
{
    auto found = requests_.find(id);
    if (found == requests_.end() || found->second->cancelled || !isEnabled() || !isRunning_
        || generation != generation_)
        return;
    std::weak_ptr<UsageAnalytics*> weak = self_;
    // Failures are dropped: never retried, never shown.
    found->second->task = transport_->send(request, [weak, id](bool) {
        if (auto self = weak.lock())
            (*self)->requests_.erase(id);
    });
}

void UsageAnalytics::discardPending()
{
    generation_ = UUID::random();
    for (auto& [id, upload] : requests_) {
        upload->cancelled = true;
        if (upload->task)
            upload->task->cancel();
    }
    requests_.clear();
    sessionID_.reset();
    lastInteraction_.reset();
}

} // namespace pellamor
