// After the window server moved a dropped window: the overview's own confirmation, the window's origin
// remembered, then the project's desktop committed and opened, ending in one status line.
#include "overview/WindowOverview.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "overview/OverviewInventoryRules.h"
#include "platform/Platform.h"
#include "setup/ProjectDesktopSetupView.h"
#include "windows/WindowMoveSession.h"
#include "windows/WindowOrganizationPolicy.h"
#include "windows/WindowPlacementCompletion.h"

#include <algorithm>

namespace pellamor {
namespace {

constexpr double confirmationInterval = 0.05;
constexpr double confirmationLimit = 2.0;

std::string cancelledMoveText()
{
    return L("Déplacement annulé.");
}

// The status line of a finished placement and its error flag.
std::pair<std::string, bool> placementOutcome(
    const DesktopWindow& record, const std::string& screen, const WindowPlacementCompletionResult& result)
{
    using Kind = WindowPlacementCompletionResult::Kind;
    switch (result.kind()) {
    case Kind::completed:
        return { L("%@ ajouté au projet sur %@. Son bureau est maintenant affiché.", record.application, screen), false };
    case Kind::cancelled:
        return { result.committed()
                ? L("La fenêtre est placée et affectée au projet. L’ouverture de son bureau a été annulée.")
                : L("La fenêtre a été déplacée. La finalisation du placement a été annulée."),
            false };
    case Kind::commitFailed:
        return { L("La fenêtre a été déplacée, mais l’affectation au projet a échoué. %@", result.message()), true };
    case Kind::openingFailed:
        return { L("La fenêtre est placée et affectée au projet, mais son bureau n’a pas pu être affiché. %@",
                     result.message()),
            true };
    }
    return {};
}

} // namespace

std::optional<std::string> WindowOverviewView::moveValidation(
    const DesktopWindow& record, std::uint64_t source, std::uint64_t target, const std::string& request) const
{
    if (!isCurrent(request))
        return cancelledMoveText();
    if (returnAction_) {
        if (auto refusal = returnValidation(record))
            return refusal;
    } else {
        if (!displayPreparation_ || !validateProjectDisplay)
            return cancelledMoveText();
        if (auto refusal = validateProjectDisplay(*displayPreparation_))
            return refusal;
    }
    auto live = liveRecord(record, source, target, false);
    if (auto* failure = std::get_if<std::string>(&live))
        return *failure;
    return std::nullopt;
}

void WindowOverviewView::moveCompleted(const DesktopWindow& record, std::uint64_t source, std::uint64_t target,
    const std::vector<NativeDesktopState>& inventory, const std::string& request,
    const std::optional<std::string>& error)
{
    if (actionRequest_ != request || !busy_)
        return;
    moveSession_.reset();
    if (error) {
        finish(*error, true);
        return;
    }
    verifyMove(record, source, target, inventory, request, platform().uptime() + confirmationLimit);
}

void WindowOverviewView::verifyMove(const DesktopWindow& record, std::uint64_t source, std::uint64_t target,
    const std::vector<NativeDesktopState>& inventory, const std::string& request, double deadline)
{
    if (!isCurrent(request))
        return;
    std::optional<std::vector<std::uint64_t>> spaces = runtime_ ? runtime_->spaces(record.id) : std::nullopt;
    if (!spaces || *spaces != std::vector<std::uint64_t> { target }) {
        if (deadline <= platform().uptime()) {
            finish(L("macOS n’a pas confirmé le déplacement. Actualise pour vérifier où se trouve la fenêtre."), true);
            return;
        }
        QPointer<WindowOverviewView> self(this);
        platform().mainQueue().asyncAfter(
            confirmationInterval, [self, record, source, target, inventory, request, deadline] {
                if (self)
                    self->verifyMove(record, source, target, inventory, request, deadline);
            });
        return;
    }
    selected_ = std::make_pair(record.id, target);
    images_.erase(record.id);
    publishConfirmedMove(record, target);
    if (returnAction_) {
        setupView_->revealReturnedWindow(record);
        renderInventory(readConfiguration());
        restoreReturnedWindow(record, *returnAction_, request);
        return;
    }
    bool originSaved = recordOrigin(record, source, inventory);
    completePlacement(record, request, originSaved);
}

void WindowOverviewView::publishConfirmedMove(const DesktopWindow& record, std::uint64_t target)
{
    std::optional<DesktopWindow> now = runtime_ ? runtime_->window(record) : std::nullopt;
    if (!now || now->spaces != std::vector<std::uint64_t> { target }) {
        inventoryHasLoaded_ = false;
        return;
    }
    auto known = std::find_if(records_.begin(), records_.end(),
        [&](const DesktopWindow& window) { return window.id == record.id && window.pid == record.pid; });
    if (known != records_.end()) {
        DesktopWindow moved = record;
        moved.frame = now->frame;
        moved.spaces = { target };
        *known = std::move(moved);
    }
    inventoryHasLoaded_ = true;
}

std::optional<WindowReturnIdentity> WindowOverviewView::returnIdentity(const DesktopWindow& record) const
{
    std::optional<RunningApplication> owner = platform().workspace().runningApplication(record.pid);
    if (!owner || owner->terminated || owner->bundleIdentifier.value_or("") != record.bundleID.value_or("")
        || !owner->launchDate)
        return std::nullopt;
    return WindowReturnIdentity { record.id, record.pid, record.bundleID.value_or(""),
        owner->launchDate->secondsSince1970 };
}

bool WindowOverviewView::recordOrigin(
    const DesktopWindow& record, std::uint64_t source, const std::vector<NativeDesktopState>& inventory)
{
    std::optional<std::string> projectID = setupView_->selectedProjectID();
    if (!projectAssignments || !projectID)
        return true;
    std::vector<OverviewProjectAssignment> assignments = projectAssignments(inventory);
    auto assignment = std::find_if(assignments.begin(), assignments.end(),
        [&](const OverviewProjectAssignment& candidate) { return candidate.id == *projectID; });
    // A window that only moves between the project's own desktops keeps no origin.
    if (assignment == assignments.end()
        || OverviewInventoryRules::projectSpaceIDs({ *assignment }, inventory).count(source))
        return true;
    std::optional<WindowReturnIdentity> identity = returnIdentity(record);
    auto desktop = std::find_if(inventory.begin(), inventory.end(),
        [&](const NativeDesktopState& candidate) { return candidate.spaceID == source; });
    if (!identity || desktop == inventory.end())
        return true;
    returnOrigins_.recordOriginal(*identity, *desktop, record.frame);
    return storeReturnOrigins();
}

bool WindowOverviewView::storeReturnOrigins()
{
    std::optional<std::string> data = returnOrigins_.encodedData();
    return !data
        || platform().standardDefaults().set(WindowReturnOrigins::defaultsKey, PlistData(data->begin(), data->end()));
}

std::string WindowOverviewView::unsavedOriginText()
{
    return L("La position d’origine de cette fenêtre n’a pas pu être enregistrée dans les réglages.");
}

void WindowOverviewView::completePlacement(const DesktopWindow& record, const std::string& request, bool originSaved)
{
    if (!displayPreparation_ || !commitProjectDisplay) {
        finish(L("La fenêtre a été déplacée, mais le projet n’a pas pu être associé à cet écran."), true);
        return;
    }
    ProjectDisplayPreparation preparation = *displayPreparation_;
    QPointer<WindowOverviewView> self(this);
    auto commit = [commit = commitProjectDisplay, preparation](
                      WindowPlacementCompletionSession::CommitCompletion completion) {
        commit(preparation, [completion](std::optional<std::string> text) { completion(text); });
    };
    auto open = [self, record, preparation, request](WindowPlacementCompletionSession::OpenCompletion completion) {
        if (!self) {
            completion(MissionControlResult::cancelled());
            return;
        }
        self->openMovedWindow(record, preparation, request, std::move(completion));
    };
    auto cancelOpening = [self] {
        if (self)
            self->switcher_.cancel();
    };
    placementCompletionSession_ = std::make_shared<WindowPlacementCompletionSession>(commit, open, cancelOpening);
    placementCompletionSession_->start(
        [self, record, preparation, request, originSaved](const WindowPlacementCompletionResult& result) {
            if (self)
                self->placementFinished(record, preparation, request, result, originSaved);
        });
}

void WindowOverviewView::openMovedWindow(const DesktopWindow& record, const ProjectDisplayPreparation& preparation,
    const std::string& request, std::function<void(const MissionControlResult&)> completion)
{
    if (!isCurrent(request) || returnAction_) {
        completion(MissionControlResult::cancelled());
        return;
    }
    std::optional<ProjectDesktopSwitchTarget> target = movedWindowTarget(record, preparation);
    if (!target) {
        completion(MissionControlResult::failed(L("Le bureau de destination ou la fenêtre a changé. Actualise la liste.")));
        return;
    }
    publishConfirmedMove(record, target->desktop.spaceID);
    if (target->desktop.currentSpaceID == target->desktop.spaceID) {
        completion(MissionControlResult::sent());
        return;
    }
    showStatus(L("Fenêtre placée. Ouverture de son bureau…"), false);
    QPointer<WindowOverviewView> self(this);
    switcher_.select(target->number, target->desktop.spaceID, target->desktop.display, target->desktop.spaceUUID,
        [self, record, preparation, request, completion](MissionControlResult result) {
            if (!self || !self->isCurrent(request)) {
                completion(MissionControlResult::cancelled());
                return;
            }
            if (result.kind() == MissionControlResult::Kind::sent) {
                std::optional<ProjectDesktopSwitchTarget> shown = self->movedWindowTarget(record, preparation);
                if (!shown || shown->desktop.currentSpaceID != shown->desktop.spaceID)
                    result = MissionControlResult::failed(L("macOS n’a pas confirmé l’ouverture du bureau de destination."));
            }
            completion(result);
        });
}

std::optional<ProjectDesktopSwitchTarget> WindowOverviewView::movedWindowTarget(
    const DesktopWindow& record, const ProjectDisplayPreparation& preparation) const
{
    if (!platform().screens().screensHaveSeparateSpaces())
        return std::nullopt;
    std::vector<ConnectedMonitor> monitors = ConnectedMonitor::read();
    auto connected = [&](const std::string& display) {
        return std::any_of(monitors.begin(), monitors.end(),
            [&](const ConnectedMonitor& monitor) { return equalIgnoringCase(monitor.id, display); });
    };
    AssistantScreenConfiguration configuration = readConfiguration();
    const std::optional<std::string>& reserved = configuration.monitorID;
    if (!reserved || !connected(*reserved) || equalIgnoringCase(preparation.display, *reserved)
        || !connected(preparation.display) || setupView_->selectedProjectID() != preparation.projectID)
        return std::nullopt;
    std::optional<std::vector<NativeDesktopState>> desktops = readDesktops();
    if (!desktops)
        return std::nullopt;
    auto found = std::find_if(desktops->begin(), desktops->end(),
        [&](const NativeDesktopState& desktop) { return desktop.spaceID == preparation.desktop.spaceID; });
    int number = int(found - desktops->begin()) + 1;
    if (found == desktops->end() || !ProjectDisplayWorkspace::matches(ProjectDesktopAssociation(preparation.desktop), *found)
        || !DesktopTargets::isSupported(number))
        return std::nullopt;
    std::optional<DesktopWindow> window = runtime_->window(record);
    if (!window || window->spaces != std::vector<std::uint64_t> { found->spaceID })
        return std::nullopt;
    if (WindowOrganizationPolicy::restriction(*window, found->spaceID, found->spaceID, *desktops, reserved,
            configuration.assistant.bundleID(), true, false))
        return std::nullopt;
    if (!projectAssignments)
        return std::nullopt;
    std::vector<OverviewProjectAssignment> assignments = projectAssignments(*desktops);
    auto assignment = std::find_if(assignments.begin(), assignments.end(),
        [&](const OverviewProjectAssignment& candidate) { return candidate.id == preparation.projectID; });
    if (assignment == assignments.end()
        || !OverviewInventoryRules::projectSpaceIDs({ *assignment }, *desktops).count(found->spaceID))
        return std::nullopt;
    return ProjectDesktopSwitchTarget { number, *found };
}

void WindowOverviewView::placementFinished(const DesktopWindow& record, const ProjectDisplayPreparation& preparation,
    const std::string& request, const WindowPlacementCompletionResult& result, bool originSaved)
{
    if (!isCurrent(request))
        return;
    placementCompletionSession_.reset();
    publishConfirmedMove(record, preparation.desktop.spaceID);
    std::string screen = L("Écran");
    for (const ConnectedMonitor& monitor : ConnectedMonitor::read()) {
        if (equalIgnoringCase(monitor.id, preparation.display)) {
            screen = monitor.displayName();
            break;
        }
    }
    auto [text, error] = placementOutcome(record, screen, result);
    // Tried once more, since the settings may take writes again by now; the window stays where it is.
    if (!originSaved && !storeReturnOrigins()) {
        text += " " + unsavedOriginText();
        error = true;
    }
    finish(text, error);
}

} // namespace pellamor
