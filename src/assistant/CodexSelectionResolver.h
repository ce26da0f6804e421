// Decides which selection counts: the assistant's sidebar when it changes, else its newest verified navigation.
#pragma once

#include "assistant/CodexNavigation.h"
#include "assistant/Models.h"

namespace pellamor {

class CodexSelectionResolver {
public:
    // The snapshot with `selectedID` and `selectionToken` of the selection that counts.
    CodexSnapshot resolve(const CodexSnapshot& snapshot, const CodexNavigationObservation& navigation);

private:
    static CodexSnapshot navigationResult(const CodexSnapshot& snapshot, const CodexNavigationSelection& selection);

    bool initialized_ = false;
    std::optional<std::string> sidebarToken_;
    std::uint64_t verifiedRevision_ = 0;
    bool useSidebar_ = true;
    // After a sidebar change, navigation counts again only once a newer one is verified.
    bool awaitingFreshNavigation_ = false;
};

} // namespace pellamor
