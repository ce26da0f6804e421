// Opt-in minimal usage analytics: with the user's consent for this exact configuration, one "app_opened" per
// launch and at most one "app_interacted" every 30 seconds of uptime, each carrying only its name, a whole-second
// time, a per-launch identifier and an event identifier. Main thread only.
#pragma once

#include "platform/PlistValue.h"
#include "platform/UUID.h"
#include "platform/UserDefaults.h"
#include "services/UsageAnalyticsConfiguration.h"
#include "services/UsageAnalyticsTransport.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace pellamor {

class UsageAnalytics {
public:
    static constexpr const char* consentKey = "minimalUsageAnalyticsConsentV1";
    static constexpr double interactionInterval = 30.0;
    // Uploads in flight beyond which an event is dropped.
    static constexpr std::size_t maximumUploads = 2;

    // The machine's one instance: the bundle's configuration, the standard defaults, an HTTPS transport.
    static UsageAnalytics& shared();

    // A null transport means an HTTPS one.
    UsageAnalytics(std::optional<UsageAnalyticsConfiguration> configuration, UserDefaults& defaults,
        std::shared_ptr<UsageAnalyticsTransport> transport, std::function<PlistDate()> now,
        std::function<double()> uptime);
    UsageAnalytics(const UsageAnalytics&) = delete;
    UsageAnalytics& operator=(const UsageAnalytics&) = delete;

    bool isAvailable() const { return configuration_.has_value(); }
    std::optional<int> retentionDays() const;
    // Consent given for the current configuration exactly.
    bool isEnabled() const;
    bool isRunning() const { return isRunning_; }

    // Once per process, even after stop(); sends "app_opened" when consent is given.
    void start();
    void stop();
    void setEnabled(bool enabled);
    void recordInteraction();

private:
    enum class UsageEvent { opened, interacted };
    struct Upload {
        std::shared_ptr<URLSessionTask> task;
        bool cancelled = false;
    };

    bool submit(UsageEvent event);
    void startUpload(const UUID& id, const UUID& generation, URLRequest request);
    void discardPending();

    std::optional<UsageAnalyticsConfiguration> configuration_;
    UserDefaults& defaults_;
    std::shared_ptr<UsageAnalyticsTransport> transport_;
    std::function<PlistDate()> now_;
    std::function<double()> uptime_;
    bool didStart_ = false;
    bool isRunning_ = false;
    std::optional<std::string> sessionID_;
    std::optional<double> lastInteraction_;
    UUID generation_ = UUID::random();
    std::map<UUID, std::shared_ptr<Upload>> requests_;
    // Scheduled blocks hold this weakly, so that none outlives the object.
    std::shared_ptr<UsageAnalytics*> self_ = std::make_shared<UsageAnalytics*>(this);
};

} // namespace pellamor
