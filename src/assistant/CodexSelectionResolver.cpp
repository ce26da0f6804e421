#include "assistant/CodexSelectionResolver.h"

namespace pellamor {

CodexSnapshot CodexSelectionResolver::resolve(
    const CodexSnapshot& snapshot, const CodexNavigationObservation& navigation)
{
    const bool navigationIsNone = navigation.selection.is(CodexNavigationSelection::Kind::none);
    if (!initialized_) {
        initialized_ = true;
        sidebarToken_ = snapshot.sidebarSelectionToken;
        verifiedRevision_ = navigation.verifiedRevision;
        useSidebar_ = navigationIsNone;
        return useSidebar_ ? snapshot : navigationResult(snapshot, navigation.selection);
    }
    if (snapshot.sidebarSelectionToken != sidebarToken_) {
        sidebarToken_ = snapshot.sidebarSelectionToken;
        verifiedRevision_ = navigation.verifiedRevision;
        useSidebar_ = true;
        awaitingFreshNavigation_ = true;
        return snapshot;
    }
    if (navigation.verifiedRevision != verifiedRevision_) {
        verifiedRevision_ = navigation.verifiedRevision;
        useSidebar_ = false;
        awaitingFreshNavigation_ = false;
        return navigationResult(snapshot, navigation.selection);
    }
    if (!useSidebar_)
        return navigationResult(snapshot, navigation.selection);
    if (awaitingFreshNavigation_ || navigationIsNone)
        return snapshot;
    useSidebar_ = false;
    return navigationResult(snapshot, navigation.selection);
}

CodexSnapshot CodexSelectionResolver::navigationResult(
    const CodexSnapshot& snapshot, const CodexNavigationSelection& selection)
{
    CodexSnapshot result = snapshot;
    result.selectedID.reset();
    result.selectionToken.reset();
    if (!selection.is(CodexNavigationSelection::Kind::localThread))
        return result;
    const std::string* project = snapshot.localThreadProjects->find(selection.threadID());
    if (!project)
        return result;
    result.selectedID = *project;
    result.selectionToken = "thread:local:" + selection.threadID();
    return result;
}

} // namespace pellamor
