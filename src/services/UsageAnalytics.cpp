#include "services/UsageAnalytics.h"

#include "platform/Platform.h"

namespace pellamor {

UsageAnalytics& UsageAnalytics::shared()
{
    static UsageAnalytics instance;
    return instance;
}

void UsageAnalytics::setEnabled(bool enabled)
{
    if (!enabled)
        platform().standardDefaults().remove(consentKey);
}

} // namespace pellamor
