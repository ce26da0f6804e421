// The delegate's desktop operations for the overview: a project's screen made ready for a window drop, the
// commit of its association, opening a project's desktops, and adding or removing one desktop.
#include "app/AppDelegate.h"

#include "app/DesktopDriverWindows.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "desktops/ScreenPlacement.h"
#include "overview/WindowOverview.h"
#include "platform/Platform.h"
#include "ui/AppConstants.h"

namespace pellamor {
namespace {

using PreparationCompletion = std::function<void(std::optional<ProjectDisplayPreparation>, std::optional<std::string>)>;

std::string cancelledText()
{
    return L("Action annulée.");
}

std::string screensChangedText()
{
    return L("Les écrans ont changé. Réessaie le déplacement.");
}

std::string cannotPrepareText()
{
    return L("Impossible de préparer cet écran pour le moment. Actualise la liste puis réessaie.");
}

std::optional<std::string> runtimeAssistantScreen()
{
    return AssistantScreenConfiguration::runtime(ConnectedMonitor::read(), platform().standardDefaults()).monitorID;
}

// The position of the first desktop the identity denotes.
std::optional<std::size_t> firstMatch(
    const std::vector<NativeDesktopState>& inventory, const ProjectDesktopAssociation& identity)
{
    for (std::size_t i = 0; i < inventory.size(); ++i) {
        if (ProjectDisplayWorkspace::matches(identity, inventory[i]))
            return i;
    }
    return std::nullopt;
}

bool isKnownProject(const std::vector<Project>& projects, const std::string& projectID)
{
    return std::any_of(projects.begin(), projects.end(), [&](const Project& p) { return p.id == projectID; });
}

} // namespace

NativeDesktopManagementDriver& AppDelegate::desktopManagementDriver()
{
    if (!desktopManagementDriver_) {
        desktopManagementDriver_ = std::make_shared<NativeDesktopManagementDriver>(
            desktopCreator, NativeDesktopManagementDriver::RemovalPolicy::emptyContentDesktops);
        connectDriverWindows(*desktopManagementDriver_);
    }
    return *desktopManagementDriver_;
}

DesktopManager& AppDelegate::desktopManager()
{
    if (!desktopManager_) {
        desktopManagementDriver();
        desktopManager_ = std::make_shared<DesktopManager>(desktopManagementDriver_);
    }
    return *desktopManager_;
}

void AppDelegate::writeAssociationStore()
{
    if (std::optional<std::string> data = desktopAssociations.encodedData())
        platform().standardDefaults().set(desktopIdentitiesKey, PlistData(data->begin(), data->end()));
}

bool AppDelegate::writeManagedDesktops()
{
    if (!managedDesktopsReadable)
        return true;
    std::optional<std::string> data = managedDesktops.encodedData();
    return !data || platform().standardDefaults().set(managedDesktopsKey, PlistData(data->begin(), data->end()));
}

bool AppDelegate::rebaseTrackerOnCurrentSelection()
{
    try {
        tracker = SelectionTracker(stateReader.read().selectionToken);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void AppDelegate::prepareProjectDisplay(
    const std::string& projectID, const std::string& display, PreparationCompletion completion)
{
    if (!isExecuting || isTerminating || !isKnownProject(projects, projectID) || !refreshDesktopAssociations()
        || !associationInventory) {
        completion(std::nullopt, cannotPrepareText());
        return;
    }
    UUID token = UUID::random();
    displayPreparationRequest = token;
    pendingDisplayPreparation.reset();

    std::vector<ConnectedMonitor> monitors = ConnectedMonitor::read();
    auto screen = std::find_if(
        monitors.begin(), monitors.end(), [&](const ConnectedMonitor& m) { return equalIgnoringCase(m.id, display); });
    if (screen == monitors.end() || !platform().screens().screensHaveSeparateSpaces()) {
        completion(std::nullopt, screensChangedText());
        return;
    }
    std::vector<NativeDesktopState> inventory = *associationInventory;
    std::optional<std::string> reserved = runtimeAssistantScreen();
    ProjectDisplayPlan plan = ProjectDisplayWorkspace::plan(
        projectID, display, inventory, desktopAssociations, reserved, std::nullopt);
    auto* blocked = std::get_if<ProjectDisplayPlan::Blocked>(&plan.value);
    if (blocked && blocked->error == ProjectDisplayWorkspaceError::unknownEmptyDesktops)
        plan = ProjectDisplayWorkspace::plan(projectID, display, inventory, desktopAssociations, reserved,
            desktopManagementDriver().emptyDesktopSpaces(inventory));

    if (auto* existing = std::get_if<ProjectDisplayPlan::Existing>(&plan.value)) {
        finishPreparation(token, projectID, display, existing->desktop, false, false, completion);
        return;
    }
    if (auto* reuse = std::get_if<ProjectDisplayPlan::ReuseEmpty>(&plan.value)) {
        finishPreparation(token, projectID, display, reuse->desktop, false, true, completion);
        return;
    }
    if (auto* refused = std::get_if<ProjectDisplayPlan::Blocked>(&plan.value)) {
        completion(std::nullopt, messageKey(refused->error));
        return;
    }
    if (!managedDesktopsReadable) {
        completion(std::nullopt, cannotPrepareText());
        return;
    }
    // The display as the window server names it, whatever the letter case of the request.
    std::string creationDisplay = std::get<ProjectDisplayPlan::Create>(plan.value).display;
    QPointer<AppDelegate> self(this);
    manageDesktop(creationDisplay, std::nullopt,
        [self, token, projectID, display, before = inventory, completion](std::optional<std::string> failure) {
            if (!self) {
                completion(std::nullopt, cancelledText());
                return;
            }
            self->createdDesktopFinished(token, projectID, display, before, std::move(failure), completion);
        });
}

void AppDelegate::createdDesktopFinished(const UUID& token, const std::string& projectID, const std::string& display,
    const std::vector<NativeDesktopState>& before, std::optional<std::string> failure,
    const PreparationCompletion& completion)
{
    bool stale = displayPreparationRequest != token || !isExecuting;
    if (failure) {
        recordUnconfirmedCreation(projectID, display, before, *failure);
        completion(std::nullopt, stale ? cancelledText() : *failure);
        return;
    }
    std::optional<std::vector<NativeDesktopState>> inventory = desktopCreator->inventory();
    if (!inventory) {
        completion(std::nullopt, cancelledText());
        return;
    }
    std::vector<NativeDesktopState> added = desktopsAdded(*inventory, display, before);
    if (added.size() != 1) {
        completion(std::nullopt, stale ? cancelledText() : screensChangedText());
        return;
    }
    // Recorded even when the request went stale meanwhile, so that the cleanup can still remove it.
    if (!managedDesktops.markCreated(projectID, added.front())) {
        completion(std::nullopt, stale ? cancelledText() : cannotPrepareText());
        return;
    }
    bool saved = writeManagedDesktops();
    if (stale) {
        completion(std::nullopt, cancelledText());
        return;
    }
    // Kept in memory all the same, so that the cleanup can remove it; no window goes onto a desktop that the
    // next launch would not know.
    if (!saved) {
        completion(std::nullopt,
            L("Les réglages n’ont pas pu être enregistrés. Le bureau créé pour cet écran sera retiré s’il reste vide."));
        return;
    }
    finishPreparation(token, projectID, display, added.front(), true, true, completion);
}

void AppDelegate::finishPreparation(const UUID& token, const std::string& projectID, const std::string& display,
    const NativeDesktopState& desktop, bool created, bool requiresEmpty, const PreparationCompletion& completion)
{
    std::optional<std::vector<NativeDesktopState>> inventory;
    if (displayPreparationRequest == token && isExecuting && !isTerminating)
        inventory = desktopCreator->inventory();
    std::optional<std::size_t> match = inventory ? firstMatch(*inventory, ProjectDesktopAssociation(desktop)) : std::nullopt;
    if (!match || !isKnownProject(projects, projectID)) {
        completion(std::nullopt, cancelledText());
        return;
    }
    std::vector<ConnectedMonitor> monitors = ConnectedMonitor::read();
    AssistantScreenConfiguration configuration =
        AssistantScreenConfiguration::runtime(monitors, platform().standardDefaults());
    int number = int(*match) + 1;
    if (auto reason = configuration.blockingReason(configuration.eligibility(number, inventory, monitors))) {
        completion(std::nullopt, *reason);
        return;
    }
    ProjectDisplayPreparation preparation { token, projectID, display, (*inventory)[*match], created, requiresEmpty };
    pendingDisplayPreparation = preparation;
    completion(preparation, std::nullopt);
}

bool AppDelegate::preparationIsCurrent(const ProjectDisplayPreparation& preparation) const
{
    return isExecuting && !isTerminating && pendingDisplayPreparation == preparation
        && displayPreparationRequest == preparation.token;
}

std::optional<std::string> AppDelegate::validateProjectDisplay(const ProjectDisplayPreparation& preparation)
{
    return preparationRefusal(preparation, true);
}

std::optional<std::string> AppDelegate::preparationRefusal(
    const ProjectDisplayPreparation& preparation, bool checksEmptiness)
{
    if (!preparationIsCurrent(preparation) || !isKnownProject(projects, preparation.projectID)
        || !refreshDesktopAssociations() || !associationInventory)
        return cancelledText();
    std::optional<SpaceIDSet> empty;
    if (preparation.requiresEmpty && checksEmptiness)
        empty = desktopManagementDriver().emptyDesktopSpaces(*associationInventory);
    else if (preparation.requiresEmpty)
        empty = SpaceIDSet { preparation.desktop.spaceID };
    if (auto error = ProjectDisplayWorkspace::validatePreparation(
            preparation, *associationInventory, desktopAssociations, runtimeAssistantScreen(), empty))
        return messageKey(*error);
    return std::nullopt;
}

void AppDelegate::commitProjectDisplay(const ProjectDisplayPreparation& preparation, MessageCompletion completion)
{
    // Whatever the caller did before, the commit stands only on a preparation that still holds; but the
    // window moved there now occupies a desktop chosen for being empty, so its emptiness is not asked again.
    // Any refusal here comes after the move: it says so.
    std::string refused = L("La fenêtre a été déplacée, mais le projet n’a pas pu être associé à cet écran.");
    if (preparationRefusal(preparation, false)) {
        completion(refused);
        return;
    }
    std::optional<std::vector<NativeDesktopState>> inventory = desktopCreator->inventory();
    std::optional<std::size_t> match
        = inventory ? firstMatch(*inventory, ProjectDesktopAssociation(preparation.desktop)) : std::nullopt;
    if (!match || (*inventory)[*match].spaceID != preparation.desktop.spaceID) {
        completion(refused);
        return;
    }
    const NativeDesktopState& entry = (*inventory)[*match];
    assignFromOverview(
        preparation.projectID, entry.spaceID, true, ProjectDesktopAssociation(entry), std::move(completion));
}

void AppDelegate::assignFromOverview(const std::string& projectID, std::uint64_t space, bool,
    std::optional<ProjectDesktopAssociation> expectedIdentity, MessageCompletion completion)
{
    std::string changed = L("Le projet ou le bureau a changé. Actualise la liste puis réessaie.");
    if (!isExecuting || !isKnownProject(projects, projectID) || !refreshDesktopAssociations() || !associationInventory
        || associationInventory->empty()) {
        completion(changed);
        return;
    }
    std::vector<NativeDesktopState> inventory = *associationInventory;
    auto entry = std::find_if(
        inventory.begin(), inventory.end(), [&](const NativeDesktopState& d) { return d.spaceID == space; });
    int number = int(entry - inventory.begin()) + 1;
    if (entry == inventory.end() || !DesktopTargets::isSupported(number)) {
        completion(changed);
        return;
    }
    if (expectedIdentity && !ProjectDisplayWorkspace::matches(*expectedIdentity, *entry)) {
        completion(screensChangedText());
        return;
    }
    std::vector<ConnectedMonitor> monitors = ConnectedMonitor::read();
    AssistantScreenConfiguration configuration =
        AssistantScreenConfiguration::runtime(monitors, platform().standardDefaults());
    if (auto reason = configuration.blockingReason(configuration.eligibility(number, inventory, monitors))) {
        completion(reason);
        return;
    }
    ProjectDesktopAssociations previous = desktopAssociations;
    if (!desktopAssociations.assign(projectID, number, inventory)) {
        completion(L("L’affectation de ce projet a changé. Actualise la liste."));
        return;
    }
    completion(finishAssociationChange(
        previous, inventory, L("Écran associé au projet. Les autres écrans sont conservés.")));
}

std::optional<std::string> AppDelegate::finishAssociationChange(const ProjectDesktopAssociations& previous,
    const std::vector<NativeDesktopState>& inventory, const std::string& message)
{
    std::optional<std::string> data = desktopAssociations.encodedData();
    if (!data) {
        desktopAssociations = previous;
        return L("Impossible de vérifier les bureaux. L’affectation précédente est conservée.");
    }
    // A store the file did not take is not kept either: the app goes on with what the next launch reads.
    if (!platform().standardDefaults().setOrRevert(desktopIdentitiesKey, PlistData(data->begin(), data->end()))) {
        desktopAssociations = previous;
        return L("Les réglages n’ont pas pu être enregistrés. L’affectation précédente est conservée.");
    }
    refreshDesktopAssociations(inventory);
    updateTrackingControls();
    if (windowOverview)
        windowOverview->configurationChanged();
    rebaseTrackerOnCurrentSelection();
    if (isEnabled) {
        if (std::optional<std::string> reason = preflight(assignedDesktops(), true)) {
            stopTracking();
            showStatus(L("Choix enregistré. Suivi arrêté : %@", *reason), true);
            return std::nullopt;
        }
    }
    showStatus(message, false);
    return std::nullopt;
}

void AppDelegate::manageDesktop(
    std::optional<std::string> display, std::optional<std::uint64_t> removing, MessageCompletion completion)
{
    std::optional<std::vector<NativeDesktopState>> inventory;
    if (isExecuting && !isTerminating && refreshDesktopAssociations())
        inventory = desktopCreator->inventory();
    if (!inventory) {
        completion(L("Impossible de lire les bureaux de ce Mac."));
        return;
    }
    unconfirmedCreationWatch_.cancel();
    unconfirmedCreation_.reset();
    QPointer<AppDelegate> self(this);
    auto finished = [self, removing, inventory = *inventory, completion](DesktopManagementResult result) {
        if (self)
            self->desktopChangeFinished(removing, inventory, std::move(result), completion);
    };
    if (removing)
        desktopManager().remove(*removing, std::move(finished));
    else
        desktopManager().create(display.value_or(std::string()), std::move(finished));
}

void AppDelegate::desktopChangeFinished(const std::optional<std::uint64_t>& removing,
    const std::vector<NativeDesktopState>& inventory, DesktopManagementResult result,
    const MessageCompletion& completion)
{
    if (const auto* changed = result.asChanged()) {
        auto entry = std::find_if(inventory.begin(), inventory.end(),
            [&](const NativeDesktopState& d) { return removing && d.spaceID == *removing; });
        if (entry != inventory.end()) {
            desktopAssociations.remove(entry->spaceID, entry->display, entry->spaceUUID);
            writeAssociationStore();
            managedDesktops.remove(*entry);
            writeManagedDesktops();
        }
        refreshDesktopAssociations(changed->after);
    } else {
        std::optional<std::vector<NativeDesktopState>> now = desktopCreator->inventory();
        if (!now) {
            if (isTerminating)
                return;
            stopTracking();
            completion(L("L’action n’a pas pu être vérifiée. Le suivi est arrêté ; actualise la liste des bureaux."));
            return;
        }
        refreshDesktopAssociations(now);
    }
    if (isTerminating)
        return;
    updateTrackingControls();
    rebaseTrackerOnCurrentSelection();
    if (isEnabled) {
        if (std::optional<std::string> reason = preflight(assignedDesktops(), true)) {
            stopTracking();
            showStatus(L("Suivi arrêté : %@", *reason), true);
        }
    }
    if (const auto* failed = result.asFailed())
        completion(failed->message);
    else if (result.isCancelled())
        completion(cancelledText());
    else
        completion(std::nullopt);
}

void AppDelegate::openProjectFromOverview(
    const std::string& projectID, std::function<void(MissionControlResult)> completion)
{
    if (!isExecuting || isTerminating || !isKnownProject(projects, projectID)) {
        completion(MissionControlResult::cancelled());
        return;
    }
    if (!isEnabled)
        shouldStartTrackingByDefault = false;
    std::string unverified = L("Impossible de vérifier les bureaux après leur modification. Actualise la liste.");
    std::string unavailable
        = L("Aucun bureau de ce projet n’est disponible. Rebranche son écran ou affecte une fenêtre à un écran.");
    if (!refreshDesktopAssociations() || !associationInventory) {
        completion(MissionControlResult::failed(unverified));
        return;
    }
    std::vector<ProjectDesktopSwitchTarget> found = targets(projectID);
    if (found.empty()) {
        completion(MissionControlResult::failed(unavailable));
        return;
    }
    std::set<int> numbers;
    for (const ProjectDesktopSwitchTarget& target : found)
        numbers.insert(target.number);
    if (std::optional<std::string> reason = preflight(numbers, false)) {
        completion(MissionControlResult::failed(*reason));
        return;
    }
    rebaseTrackerOnCurrentSelection();
    QPointer<AppDelegate> self(this);
    projectSwitcher().activate(projectID, [self, projectID, completion, unverified, unavailable](MissionControlResult result) {
        if (!self || self->isTerminating) {
            completion(MissionControlResult::cancelled());
            return;
        }
        if (!self->rebaseTrackerOnCurrentSelection())
            self->tracker.rebaseOnNextObservation();
        self->updateRequirements();
        if (result.kind() != MissionControlResult::Kind::sent) {
            completion(result);
            return;
        }
        if (!self->refreshDesktopAssociations() || !self->associationInventory) {
            completion(MissionControlResult::failed(unverified));
            return;
        }
        std::vector<ProjectDesktopSwitchTarget> opened = self->targets(projectID);
        if (opened.empty()) {
            completion(MissionControlResult::failed(unavailable));
            return;
        }
        bool allCurrent = std::all_of(opened.begin(), opened.end(), [](const ProjectDesktopSwitchTarget& target) {
            return target.desktop.currentSpaceID == target.desktop.spaceID;
        });
        if (!allCurrent) {
            completion(MissionControlResult::failed(L("macOS n’a pas confirmé l’ouverture des bureaux du projet.")));
            return;
        }
        if (self->windowOverview)
            self->windowOverview->configurationChanged();
        completion(MissionControlResult::sent());
    });
}

void AppDelegate::removeUnavailableProject(const std::string& projectID, MessageCompletion completion)
{
    if (isTerminating) {
        completion(L("Association annulée."));
        return;
    }
    if (!isExecuting || !isKnownProject(projects, projectID) || !refreshDesktopAssociations()
        || !associationInventory) {
        completion(L("Le projet ou le bureau a changé. Actualise la liste puis réessaie."));
        return;
    }
    std::vector<NativeDesktopState> inventory = *associationInventory;
    ProjectDesktopAssociations previous = desktopAssociations;
    if (!desktopAssociations.removeFallback(projectID, inventory, runtimeAssistantDisplay)) {
        completion(L("L’affectation de ce projet a changé. Actualise la liste."));
        return;
    }
    completion(finishAssociationChange(
        previous, inventory, L("Associations indisponibles retirées. Les autres bureaux du projet sont conservés.")));
}

} // namespace pellamor
