// The automatic-switching loop of the application delegate: start, stop, poll, pre-flight and the switch.
#include "app/AppDelegate.h"

#include "ui/Alert.h"
#include "ui/AppConstants.h"
#include "ui/Label.h"
#include "app/MainWindow.h"
#include "ui/SwitchControl.h"
#include "assistant/CodexStateReadFailure.h"
#include "assistant/Localization.h"
#include "desktops/ScreenPlacement.h"
#include "overview/WindowOverview.h"
#include "platform/Platform.h"
#include "services/UsageAnalytics.h"

namespace pellamor {
namespace {

std::string unreadableAssociationsMessage()
{
    return L("Les associations enregistrées sont illisibles. Elles sont conservées ; ferme puis relance l’app.");
}

std::string joinedNumbers(const std::vector<int>& numbers)
{
    std::string joined;
    for (int number : numbers)
        joined += (joined.empty() ? "" : ", ") + std::to_string(number);
    return joined;
}

} // namespace

ProjectDesktopSwitchingSession& AppDelegate::projectSwitcher()
{
    if (projectSwitcher_)
        return *projectSwitcher_;
    QPointer<AppDelegate> self(this);
    projectSwitcher_ = ProjectDesktopSwitchingSession::make(
        [self](const std::string& projectID) -> std::optional<std::vector<ProjectDesktopSwitchTarget>> {
            if (!self || self->isTerminating || !self->refreshDesktopAssociations() || !self->associationInventory)
                return std::nullopt;
            return self->targets(projectID);
        },
        [self](const ProjectDesktopSwitchTarget& target, std::function<void(MissionControlResult)> completion) {
            if (!self || self->isTerminating) {
                completion(MissionControlResult::cancelled());
                return;
            }
            if (std::optional<std::string> reason = self->blockingReason(target.number)) {
                completion(MissionControlResult::failed(*reason));
                return;
            }
            self->desktopSwitcher->select(target.number, target.desktop.spaceID, target.desktop.display,
                                         target.desktop.spaceUUID, std::move(completion));
        },
        [self] {
            if (self)
                self->desktopSwitcher->cancel();
        });
    return *projectSwitcher_;
}

std::optional<std::string> AppDelegate::blockingReason(int number)
{
    std::vector<ConnectedMonitor> monitors = ConnectedMonitor::read();
    AssistantScreenConfiguration configuration =
        AssistantScreenConfiguration::runtime(monitors, platform().standardDefaults());
    std::optional<std::vector<NativeDesktopState>> inventory =
        associationInventory ? associationInventory : desktopCreator->inventory();
    return configuration.blockingReason(configuration.eligibility(number, inventory, monitors));
}

bool AppDelegate::permissionsGranted() const
{
    return platform().accessibility().isProcessTrusted() && platform().events().preflightPostEventAccess();
}

void AppDelegate::startTrackingByDefaultIfReady()
{
    if (!shouldStartTrackingByDefault || isEnabled || isExecuting || isTerminating || !stateReadable)
        return;
    for (const Project& project : projects) {
        if (hasAssociation(project.id)) {
            startTracking(true);
            return;
        }
    }
}

void AppDelegate::toggleTracking()
{
    UsageAnalytics::shared().recordInteraction();
    if (isExecuting || isTerminating) {
        updateTrackingControls();
        return;
    }
    shouldStartTrackingByDefault = false;
    if (!toggle->isOn()) {
        stopTracking();
        showStatus(L("Changement automatique désactivé. Tes associations sont conservées."), false);
        return;
    }
    startTracking(false);
}

void AppDelegate::startTracking(bool automatically)
{
    if (isEnabled || isExecuting || isTerminating)
        return;
    std::optional<std::string> message;
    // Unreadable stored associations also make the refresh fail; their own message says what to do.
    if (associationDataInvalid)
        message = unreadableAssociationsMessage();
    if (!message && !refreshDesktopAssociations())
        message = L("Impossible de vérifier les bureaux après leur modification. Actualise avant de réactiver le suivi.");
    if (!message) {
        try {
            CodexSnapshot snapshot = stateReader.read();
            stateReadable = true;
            selectedID = snapshot.selectedID;
            tracker = SelectionTracker(snapshot.selectionToken);
            updateTrackingControls();
        } catch (const std::exception&) {
            message = L("L’état local de Codex est inaccessible. Ouvre Codex puis clique sur Actualiser.");
        }
    }
    if (!message && std::none_of(projects.begin(), projects.end(),
                                 [this](const Project& project) { return hasAssociation(project.id); }))
        message = L("Choisis d’abord un bureau pour au moins un projet.");
    if (!message)
        message = preflight(assignedDesktops(), true);
    if (message) {
        stopTracking();
        if (automatically)
            showStatus(*message, true);
        else
            showProblem(*message);
        return;
    }

    shouldStartTrackingByDefault = false;
    isEnabled = true;
    readFailureSince.reset();
    updateTrackingControls();
    if (timer)
        timer->invalidate();
    trackingActivity = L("Suivre le projet Codex pour ouvrir son bureau");
    QPointer<AppDelegate> self(this);
    if (stateWatcher)
        stateWatcher->stop();
    stateWatcher = std::make_unique<CodexStateWatcher>(stateReader.url(), [self] {
        if (self)
            self->poll();
    });
    stateWatcher->start();
    ensureNavigationWatch();
    timer = std::make_unique<RepeatingTimer>(platform().mainQueue(), 0.5, 0.025, [self] {
        if (self)
            self->poll();
    });
    showStatus(L("Tous tes projets configurés sont suivis. Ouvre un projet ou une de ses conversations dans Codex pour afficher son bureau."),
               false);
}

void AppDelegate::stopTracking()
{
    isEnabled = false;
    if (timer)
        timer->invalidate();
    timer.reset();
    stopWatching();
    readFailureSince.reset();
    if (projectSwitcher_)
        projectSwitcher_->cancel();
    updateTrackingControls();
}

void AppDelegate::stopWatching()
{
    if (stateWatcher)
        stateWatcher->stop();
    stateWatcher.reset();
    if (navigationWatcher)
        navigationWatcher->stop();
    navigationWatcher.reset();
    watchedNavigationURL.reset();
    trackingActivity.reset();
}

void AppDelegate::ensureNavigationWatch()
{
    std::optional<std::filesystem::path> active = stateReader.activeNavigationLogURL();
    if (active == watchedNavigationURL) {
        if (navigationWatcher)
            navigationWatcher->ensureFileWatch();
        return;
    }
    if (navigationWatcher)
        navigationWatcher->stop();
    navigationWatcher.reset();
    watchedNavigationURL = active;
    if (!active)
        return;
    QPointer<AppDelegate> self(this);
    navigationWatcher = std::make_unique<CodexStateWatcher>(*active, [self] {
        if (self)
            self->poll();
    });
    navigationWatcher->start();
}

void AppDelegate::poll()
{
    if (!isEnabled || isExecuting || isTerminating)
        return;
    // Before the refresh, which fails for this reason too but would only say that the desktops are unchecked.
    if (associationDataInvalid) {
        stopTracking();
        showStatus(L("Suivi arrêté. %@", unreadableAssociationsMessage()),
                   true);
        return;
    }
    if (!refreshDesktopAssociations()) {
        stopTracking();
        showStatus(L("Suivi arrêté : impossible de vérifier les bureaux après leur modification."), true);
        return;
    }
    if (stateWatcher)
        stateWatcher->ensureFileWatch();
    CodexSnapshot snapshot;
    try {
        snapshot = stateReader.read();
    } catch (const std::exception&) {
        double now = platform().uptime();
        if (!readFailureSince)
            readFailureSince = now;
        if (now - *readFailureSince >= 1.5) {
            stateReadable = false;
            stopTracking();
            showStatus(L("Suivi arrêté : l’état de Codex n’est plus lisible. Clique sur Actualiser puis réactive le suivi."),
                       true);
        }
        return;
    }
    ensureNavigationWatch();
    readFailureSince.reset();
    stateReadable = true;
    if (snapshot.selectedID != selectedID) {
        selectedID = snapshot.selectedID;
        updateTrackingControls();
    }
    if (tracker.rebaseIfNeeded(snapshot.selectionToken))
        return;
    std::optional<RunningApplication> frontmost = platform().workspace().frontmostApplication();
    if (!frontmost || frontmost->bundleIdentifier != std::optional<std::string>(assistantBundleID))
        return;
    if (!tracker.update(snapshot.selectionToken))
        return;
    if (!snapshot.selectedID)
        return;
    const std::vector<Project>& current = *snapshot.projects;
    auto project = std::find_if(current.begin(), current.end(),
                                [&](const Project& candidate) { return candidate.id == *snapshot.selectedID; });
    if (project == current.end() || !hasAssociation(project->id))
        return;
    if (std::optional<std::string> message = preflight(assignedDesktops(), true)) {
        stopTracking();
        updateRequirements();
        showStatus(L("Suivi arrêté. %@", *message), true);
        return;
    }
    runDesktop(*project);
}

std::optional<std::string> AppDelegate::preflight(std::set<int> desktops, bool configured)
{
    // As in the poll: the refresh would fail too, with a message that says less.
    if (configured && associationDataInvalid)
        return unreadableAssociationsMessage();
    if (!refreshDesktopAssociations())
        return L("Impossible de vérifier les bureaux après leur modification. Actualise la liste.");
    if (!permissionsGranted())
        return L("Autorise Pellamor dans les réglages Accessibilité de macOS, puis reviens ici.");
    if (configured)
        desktops = assignedDesktops();
    for (int number : desktops) {
        if (std::optional<std::string> reason = blockingReason(number))
            return L("Bureau %@ : %@", std::to_string(number), *reason);
    }
    return std::nullopt;
}

std::string AppDelegate::associationRefreshFailure() const
{
    if (associationDataInvalid)
        return unreadableAssociationsMessage();
    return L("Impossible de vérifier les bureaux après leur modification. Actualise la liste.");
}

void AppDelegate::runDesktop(const Project& project)
{
    if (isExecuting || isTerminating)
        return;
    if (!refreshDesktopAssociations() || !associationInventory) {
        stopTracking();
        showStatus(L("Impossible de vérifier les bureaux après leur modification. Actualise la liste."), true);
        return;
    }
    if (!hasAssociation(project.id))
        return;
    if (targets(project.id).empty()) {
        showStatus(L("%@ utilise l’écran de Codex. Son association habituelle est conservée.", project.name), false);
        return;
    }
    if (!permissionsGranted()) {
        stopTracking();
        updateRequirements();
        showStatus(L("Autorise l’accessibilité pour sélectionner les bureaux."), true);
        return;
    }
    isExecuting = true;
    updateTrackingControls();
    showStatus(L("Ouverture des bureaux de %@…", project.name), false);
    QPointer<AppDelegate> self(this);
    projectSwitcher().activate(project.id, [self, project](MissionControlResult result) {
        if (!self || self->isTerminating)
            return;
        self->isExecuting = false;
        self->updateTrackingControls();
        if (result.kind() == MissionControlResult::Kind::cancelled) {
            self->showStatus(L("Changement annulé. Tes associations sont conservées."), false);
            return;
        }
        if (result.kind() == MissionControlResult::Kind::failed) {
            self->stopTracking();
            self->updateRequirements();
            self->showStatus(result.message(), true);
            return;
        }
        self->updateRequirements();
        self->refreshDesktopAssociations();
        std::vector<int> numbers;
        for (const ProjectDesktopSwitchTarget& target : self->targets(project.id))
            numbers.push_back(target.number);
        if (numbers.empty())
            self->showStatus(L("%@ utilise l’écran de Codex. Son association habituelle est conservée.", project.name),
                             false);
        else if (self->fallbackProjects.count(project.id))
            self->showStatus(LCount("%@ → Bureaux %@. Écran de Codex en secours pour les associations indisponibles.",
                                 numbers.size(), project.name, joinedNumbers(numbers)),
                             false);
        else if (numbers.size() == 1)
            self->showStatus(L("%@ → Bureau %@ : bureau ouvert.", project.name, std::to_string(numbers.front())), false);
        else
            self->showStatus(L("%@ → Bureaux %@ : bureaux ouverts.", project.name, joinedNumbers(numbers)), false);
        if (self->isEnabled)
            self->poll();
    });
}

void AppDelegate::refreshProjects()
{
    if (isExecuting || isTerminating)
        return;
    refreshDesktopAssociations();
    CodexSnapshot snapshot;
    try {
        snapshot = stateReader.read();
    } catch (const std::exception& error) {
        stateReadable = false;
        stopTracking();
        showStatus(L("Impossible de lire les projets Codex : %@", localizedDescription(codexStateReadFailure(error))),
                   true);
        return;
    }
    projects = *snapshot.projects;
    selectedID = snapshot.selectedID;
    stateReadable = true;
    readFailureSince.reset();
    tracker = SelectionTracker(snapshot.selectionToken);
    updateTrackingControls();
    if (windowOverview)
        windowOverview->configurationChanged();
    recheckTracking();
}

void AppDelegate::recheckTracking()
{
    if (isEnabled) {
        if (std::optional<std::string> message = preflight(assignedDesktops(), true)) {
            stopTracking();
            showStatus(L("Suivi arrêté. %@", *message), true);
        }
    }
    startTrackingByDefaultIfReady();
}

void AppDelegate::showProblem(const std::string& message)
{
    bool offerAccessibility = !permissionsGranted();
    Alert alert;
    alert.style = AlertStyle::informational;
    alert.messageText = L("Avant de démarrer");
    alert.informativeText = message;
    alert.buttons = {L("Compris")};
    if (offerAccessibility)
        alert.buttons.push_back(L("Autoriser l’accessibilité…"));
    alert.buttons.push_back(L("Signaler cette erreur…"));
    int reportResponse = alertFirstButtonReturn + static_cast<int>(alert.buttons.size()) - 1;
    QPointer<AppDelegate> self(this);
    AlertSheet::begin(window.get(), std::move(alert), [self, message, offerAccessibility, reportResponse](int response) {
        if (!self)
            return;
        if (offerAccessibility && response == alertFirstButtonReturn + 1) {
            self->requestAccessibility();
            return;
        }
        if (response != reportResponse)
            return;
        platform().mainQueue().async([self, message] {
            if (self)
                self->presentFeedback(FeedbackKind::bug, message, "startup");
        });
    });
}

void AppDelegate::requestAccessibility()
{
    UsageAnalytics::shared().recordInteraction();
    platform().accessibility().isProcessTrustedWithOptions(true);
    platform().workspace().openURL("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
    updateRequirements();
    showStatus(L("Dans Accessibilité, active Pellamor, puis reviens ici. L’autorisation sera reconnue automatiquement."),
               false);
}

} // namespace pellamor
