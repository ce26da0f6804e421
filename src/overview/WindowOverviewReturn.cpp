// A window of the selected project sent back where it came from: its destination, the checks just before the
// move, and the frame it had before its first move given back once it is there.
#include "overview/WindowOverview.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "overview/OverviewInventoryRules.h"
#include "platform/Platform.h"
#include "setup/ProjectDesktopSetupView.h"
#include "windows/NativeWindowArrangementEnvironment.h"
#include "windows/WindowArrangementSession.h"

#include <algorithm>

namespace pellamor {
namespace {

std::string originGoneText()
{
    return L("La position d’origine de cette fenêtre n’est plus disponible.");
}

std::string destinationGoneText()
{
    return L("L’écran ou le bureau d’origine n’est plus disponible pour cette fenêtre.");
}

} // namespace

std::optional<WindowReturnDestinationResult> WindowOverviewView::returnDestination(
    const WindowReturnIdentity& identity, const std::vector<NativeDesktopState>& inventory) const
{
    AssistantScreenConfiguration configuration = readConfiguration();
    std::vector<OverviewProjectAssignment> assignments = assignmentsFor(inventory);
    if (returnOrigins_.origin(identity)) {
        std::optional<std::string> project = setupView_->selectedProjectID();
        std::erase_if(assignments,
            [&](const OverviewProjectAssignment& assignment) { return !project || assignment.id != *project; });
    }
    return returnOrigins_.destination(identity, inventory, configuration.monitorID, configuration.assistant.bundleID(),
        OverviewInventoryRules::projectSpaceIDs(assignments, inventory));
}

void WindowOverviewView::returnToLibrary(const DesktopWindow& window, std::uint64_t source)
{
    const OverviewProjectAssignment* assignment = selectedAssignment();
    if (!visible_ || busy_ || !assignment || window.spaces != std::vector<std::uint64_t> { source }
        || !OverviewInventoryRules::projectSpaceIDs({ *assignment }, desktops_).count(source))
        return;
    std::string projectID = assignment->id;
    onUserInteraction();
    std::optional<WindowReturnIdentity> identity = returnIdentity(window);
    std::optional<std::vector<NativeDesktopState>> fresh = identity ? readDesktops() : std::nullopt;
    auto current = fresh ? std::find_if(fresh->begin(), fresh->end(),
                               [&](const NativeDesktopState& desktop) { return desktop.spaceID == source; })
                         : std::vector<NativeDesktopState>::iterator {};
    std::optional<WindowReturnDestinationResult> destination;
    if (fresh && current != fresh->end())
        destination = returnDestination(*identity, *fresh);
    if (!destination) {
        showStatus(originGoneText(), true);
        return;
    }
    const auto* found = std::get_if<WindowReturnDestination>(&*destination);
    if (!found) {
        showStatus(destinationGoneText(), true);
        return;
    }
    if (auto refusal = restriction(window, source, found->desktop.spaceID, *fresh, true)) {
        showStatus(*refusal, true);
        return;
    }
    ProjectDesktopAssociation from(*current);
    if (!start() || !actionRequest_)
        return;
    AXElementRef resolved;
    if (platform().accessibility().isProcessTrusted() && runtime_)
        resolved = runtime_->accessibilityWindow(window);
    returnAction_ = ReturnAction { *identity, projectID, from, *found, resolved };
    desktops_ = std::move(*fresh);
    move(window, source, found->desktop.spaceID, *actionRequest_);
}

std::optional<std::string> WindowOverviewView::returnValidation(const DesktopWindow& record) const
{
    const ReturnAction& action = *returnAction_;
    if (setupView_->selectedProjectID() != action.projectID || returnIdentity(record) != action.identity)
        return destinationGoneText();
    std::optional<std::vector<NativeDesktopState>> fresh = readDesktops();
    if (!fresh || !projectAssignments)
        return destinationGoneText();
    auto source = std::find_if(fresh->begin(), fresh->end(),
        [&](const NativeDesktopState& desktop) { return desktop.spaceID == action.source.spaceID; });
    if (source == fresh->end() || !ProjectDisplayWorkspace::matches(action.source, *source))
        return destinationGoneText();
    std::vector<OverviewProjectAssignment> assignments = projectAssignments(*fresh);
    auto assignment = std::find_if(assignments.begin(), assignments.end(),
        [&](const OverviewProjectAssignment& candidate) { return candidate.id == action.projectID; });
    if (assignment == assignments.end()
        || !OverviewInventoryRules::projectSpaceIDs({ *assignment }, *fresh).count(action.source.spaceID))
        return destinationGoneText();
    std::optional<WindowReturnDestinationResult> now = returnDestination(action.identity, *fresh);
    const auto* destination = now ? std::get_if<WindowReturnDestination>(&*now) : nullptr;
    if (!destination || destination->desktop.spaceID != action.destination.desktop.spaceID
        || !ProjectDisplayWorkspace::matches(ProjectDesktopAssociation(action.destination.desktop), destination->desktop))
        return destinationGoneText();
    return std::nullopt;
}

void WindowOverviewView::restoreReturnedWindow(
    const DesktopWindow& record, const ReturnAction& action, const std::string& request)
{
    const std::optional<QRectF>& frame = action.destination.frame;
    if (!frame) {
        returnEnded(record, action, request, std::nullopt);
        return;
    }
    std::optional<DesktopWindow> now = runtime_ ? runtime_->window(record) : std::nullopt;
    if (!now) {
        returnEnded(record, action, request, originGoneText());
        return;
    }
    if (WindowArrangementSession::frameMatches(now->frame, *frame, WindowArrangementSession::tolerance)) {
        returnEnded(record, action, request, std::nullopt);
        return;
    }
    std::vector<ConnectedMonitor> monitors = ConnectedMonitor::read();
    auto monitor = std::find_if(monitors.begin(), monitors.end(),
        [&](const ConnectedMonitor& candidate) { return equalIgnoringCase(candidate.id, action.destination.desktop.display); });
    if (!platform().accessibility().isProcessTrusted() || monitor == monitors.end()) {
        returnEnded(record, action, request,
            L("Son bureau est rétabli. Autorise l’accessibilité pour restaurer aussi sa taille et sa position."));
        return;
    }
    QPointer<WindowOverviewView> self(this);
    auto environment = std::make_shared<NativeWindowArrangementEnvironment>(runtime_, *now,
        WindowArrangement::center, *monitor, action.resolvedWindow, *frame,
        [self, record, identity = action.identity, request]() -> std::optional<std::string> {
            if (self && self->isCurrent(request) && self->returnIdentity(record) == identity)
                return std::nullopt;
            return L("Déplacement annulé.");
        });
    arrangementSession_ = WindowArrangementSession::make(environment);
    arrangementSession_->start([self, record, action, request](std::optional<std::string> problem) {
        if (!self)
            return;
        self->arrangementSession_.reset();
        self->returnEnded(record, action, request, problem);
    });
}

void WindowOverviewView::returnEnded(const DesktopWindow& record, const ReturnAction& action,
    const std::string& request, const std::optional<std::string>& problem)
{
    if (!isCurrent(request))
        return;
    std::string message = action.destination.restoresOriginal
        ? L("%@ est revenu dans Toutes les fenêtres.", record.application)
        : L("%@ est revenu dans Toutes les fenêtres, sur l’écran de l’assistant.", record.application);
    // The origin is forgotten only once the window is fully back; a frame left unrestored keeps it.
    std::optional<std::string> trouble = problem;
    if (!problem) {
        returnOrigins_.remove(action.identity);
        if (!storeReturnOrigins())
            trouble = unsavedOriginText();
    }
    publishConfirmedMove(record, action.destination.desktop.spaceID);
    setupView_->revealReturnedWindow(record);
    if (trouble)
        finish(message + " " + *trouble, true);
    else
        finish(message, false);
}

} // namespace pellamor
