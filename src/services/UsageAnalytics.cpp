#include "services/UsageAnalytics.h"

namespace pellamor {

UsageAnalytics& UsageAnalytics::shared()
{
    static UsageAnalytics instance;
    return instance;
}

} // namespace pellamor
