// Opt-in minimal usage analytics; this build has no analytics configuration, so nothing is ever sent.
#pragma once

#include <optional>

namespace pellamor {

class UsageAnalytics {
public:
    static UsageAnalytics& shared();
    static constexpr const char* consentKey = "minimalUsageAnalyticsConsentV1";

    // Once per launch.
    void start() { running_ = true; }
    void stop() { running_ = false; }
    // Without a configuration there is nowhere to send the interaction.
    void recordInteraction() { }
    bool isRunning() const { return running_; }
    // Without a configuration there is nothing to consent to.
    bool isAvailable() const { return false; }
    bool isEnabled() const { return false; }
    std::optional<int> retentionDays() const { return std::nullopt; }
    // Withdrawing removes any consent stored; giving it needs a configuration.
    void setEnabled(bool enabled);

private:
    bool running_ = false;
};

} // namespace pellamor
