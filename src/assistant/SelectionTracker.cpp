#include "assistant/SelectionTracker.h"

namespace pellamor {

bool SelectionTracker::rebaseIfNeeded(const std::optional<std::string>& token)
{
    if (!needsRebase_)
        return false;
    committed_ = token;
    needsRebase_ = false;
    return true;
}

std::optional<std::string> SelectionTracker::update(const std::optional<std::string>& token)
{
    if (rebaseIfNeeded(token) || token == committed_)
        return std::nullopt;
    committed_ = token;
    return token;
}

} // namespace pellamor
