// The two resets of the setup panel: every project assignment erased, or every extra desktop removed, each
// after a confirmation and under the reset lock.
#include "app/AppDelegate.h"

#include "app/DesktopResetProgressSheet.h"
#include "app/MainWindow.h"
#include "app/ProjectAssignmentReset.h"
#include "assistant/Localization.h"
#include "overview/WindowOverview.h"
#include "platform/Platform.h"
#include "ui/Alert.h"
#include "app/ReleaseLater.h"
#include "ui/SheetHost.h"

namespace pellamor {
namespace {

constexpr double cleanupRetryDelay = 60.0;

} // namespace

bool AppDelegate::beginSettingsReset()
{
    if (isExecuting || isTerminating || SheetHost::hasAttachedSheet(window.get())
        || (windowOverview && windowOverview->isInteracting()))
        return false;
    isResetting = true;
    isExecuting = true;
    if (windowOverview)
        windowOverview->setMaintenanceBusy(true);
    updateTrackingControls();
    return true;
}

void AppDelegate::endSettingsReset()
{
    isResetting = false;
    isExecuting = false;
    if (isTerminating)
        return;
    if (windowOverview)
        windowOverview->setMaintenanceBusy(false);
    updateTrackingControls();
    startTrackingByDefaultIfReady();
    if (isEnabled)
        poll();
}

void AppDelegate::confirmSettingsReset(
    const std::string& title, const std::string& message, const std::string& action, std::function<void()> confirmed)
{
    Alert alert;
    alert.style = AlertStyle::warning;
    alert.messageText = title;
    alert.informativeText = message;
    alert.buttons = { L("Annuler"), action };
    alert.returnButton = 0;
    alert.destructiveButton = 1;
    QPointer<AppDelegate> self(this);
    AlertSheet* sheet = AlertSheet::begin(window.get(), std::move(alert), [self, confirmed](int response) {
        if (!self || self->isTerminating)
            return;
        if (response == alertFirstButtonReturn + 1)
            confirmed();
        else
            self->endSettingsReset();
    });
    if (!sheet)
        endSettingsReset();
}

void AppDelegate::showResetResult(const std::string& text, bool error)
{
    if (windowOverview)
        windowOverview->showResetStatus(text, error);
    showStatus(text, error);
}

void AppDelegate::confirmClearProjectAssignments()
{
    if (!beginSettingsReset())
        return;
    QPointer<AppDelegate> self(this);
    confirmSettingsReset(L("Supprimer toutes les affectations ?"),
        L("Tous les liens entre tes projets et leurs bureaux seront supprimés, y compris ceux des écrans déconnectés. Les bureaux, les fenêtres et les fichiers resteront en place. Le changement automatique sera désactivé et ces bureaux ne seront plus supprimés automatiquement par l’app."),
        L("Supprimer les affectations"), [self] {
            if (self)
                self->clearProjectAssignments();
        });
}

void AppDelegate::clearProjectAssignments()
{
    shouldStartTrackingByDefault = false;
    stopTracking();
    if (!ProjectAssignmentReset::clear(platform().standardDefaults())) {
        endSettingsReset();
        showResetResult(L("Impossible d’enregistrer la suppression des affectations. Réessaie."), true);
        return;
    }
    desktopAssociations = ProjectDesktopAssociations();
    managedDesktops = ProjectManagedDesktops();
    managedDesktopsReadable = true;
    associationDataInvalid = false;
    legacyAssociations.reset();
    legacyDesktopInventory.reset();
    associations.clear();
    fallbackProjects.clear();
    fallbackDesktopNumbers.clear();
    displayPreparationRequest.reset();
    pendingDisplayPreparation.reset();
    emptyManagedSince.clear();
    tracker = SelectionTracker();
    refreshDesktopAssociations();
    endSettingsReset();
    if (windowOverview)
        windowOverview->configurationChanged();
    showResetResult(L("Toutes les affectations ont été supprimées. Les bureaux et les fenêtres sont conservés. Le changement automatique est désactivé."),
        false);
}

void AppDelegate::confirmDeleteAllDesktops()
{
    if (!beginSettingsReset())
        return;
    auto refuse = [this](const std::string& text, bool error) {
        endSettingsReset();
        showResetResult(text, error);
    };
    if (!platform().accessibility().isProcessTrusted()) {
        refuse(L("Autorise l’accessibilité pour ajouter ou supprimer un bureau."), true);
        return;
    }
    std::optional<DesktopResetPlan> plan;
    if (refreshDesktopAssociations() && associationInventory)
        plan = DesktopResetPlan::make(*associationInventory);
    if (!plan) {
        refuse(L("Impossible de préparer la suppression des bureaux. Actualise la liste et vérifie les affectations."),
            true);
        return;
    }
    if (plan->targets.empty()) {
        refuse(L("Il reste déjà un seul bureau par écran. Aucun bureau à supprimer."), false);
        return;
    }
    QPointer<AppDelegate> self(this);
    confirmSettingsReset(L("Supprimer tous les bureaux supplémentaires ?"),
        LCount("%@ bureaux supplémentaires seront supprimés sur %@ écran(s) connecté(s), y compris les bureaux personnels et ceux de l’assistant. Un bureau par écran sera conservé. macOS déplacera les fenêtres ouvertes vers les bureaux restants. Les espaces plein écran seront conservés. Les affectations aux bureaux supprimés seront retirées et le changement automatique sera désactivé. Cette suppression ne peut pas être annulée.",
            plan->targets.size(), std::to_string(plan->targets.size()), std::to_string(plan->displayCount())),
        L("Supprimer les bureaux"), [self, plan = *plan] {
            if (self)
                self->startDesktopReset(plan);
        });
}

void AppDelegate::startDesktopReset(const DesktopResetPlan& plan)
{
    if (isTerminating) {
        endSettingsReset();
        return;
    }
    shouldStartTrackingByDefault = false;
    managedCleanupSuspended = true;
    stopTracking();
    displayPreparationRequest.reset();
    pendingDisplayPreparation.reset();
    emptyManagedSince.clear();

    auto creator = std::make_shared<MissionControlCreator>();
    desktopResetDriver = std::make_shared<NativeDesktopManagementDriver>(
        creator, NativeDesktopManagementDriver::RemovalPolicy::confirmedReset);
    desktopResetManager = std::make_shared<DesktopManager>(desktopResetDriver);
    std::weak_ptr<DesktopManager> manager = desktopResetManager;
    desktopResetSession = std::make_shared<DesktopResetSession>(
        plan, [creator] { return creator->inventory(); },
        [manager](std::uint64_t space, std::function<void(DesktopManagementResult)> completion) {
            if (auto live = manager.lock())
                live->remove(space, std::move(completion));
            else
                completion(DesktopManagementResult::cancelled());
        },
        [manager] {
            if (auto live = manager.lock())
                live->cancel();
        });
    std::weak_ptr<DesktopResetSession> session = desktopResetSession;
    QPointer<AppDelegate> self(this);
    desktopResetDriver->additionalValidation
        = [self, session](const std::string& display, std::optional<std::uint64_t> space) -> std::optional<std::string> {
        auto live = session.lock();
        if (!self || self->isTerminating || !live)
            return L("La suppression des bureaux a été arrêtée.");
        if (auto failure = live->validationFailure(display, space))
            return failure->text();
        return std::nullopt;
    };

    desktopResetApplied_ = 0;
    desktopResetProgress = std::make_unique<DesktopResetProgressSheet>(plan.targets.size());
    desktopResetProgress->begin(window.get(), [session] {
        if (auto live = session.lock())
            live->cancel();
    });
    desktopResetSession->start(
        true,
        [self](std::size_t removed, std::size_t) {
            if (self)
                self->desktopResetProgressed(removed);
        },
        [self](DesktopResetOutcome outcome) {
            if (self)
                self->desktopResetFinished(outcome);
        });
}

void AppDelegate::desktopResetProgressed(std::size_t removed)
{
    if (!desktopResetSession)
        return;
    const std::vector<NativeDesktopState>& targets = desktopResetSession->plan().targets;
    // Forgotten in plan order, and written at once, so that a kill midway leaves what matches the machine.
    for (std::size_t index = desktopResetApplied_; index < removed && index < targets.size(); ++index) {
        desktopAssociations.remove(targets[index].spaceID, targets[index].display, targets[index].spaceUUID);
        managedDesktops.remove(targets[index]);
    }
    desktopResetApplied_ = removed;
    writeAssociationStore();
    writeManagedDesktops();
    if (desktopResetProgress)
        desktopResetProgress->update(removed, targets.size());
}

void AppDelegate::desktopResetFinished(const DesktopResetOutcome& outcome)
{
    // The session may report its end from inside its own call; it is released only afterwards.
    releaseLater(std::move(desktopResetSession));
    if (desktopResetDriver)
        desktopResetDriver->additionalValidation = nullptr;
    releaseLater(std::move(desktopResetManager));
    releaseLater(std::move(desktopResetDriver));
    if (desktopResetProgress)
        desktopResetProgress->finish();
    desktopResetProgress.reset();

    emptyManagedSince.clear();
    cleanupRetryAfter = platform().uptime() + cleanupRetryDelay;
    // The removal is over, whatever its outcome: the cleanup resumes after the back-off.
    managedCleanupSuspended = false;
    refreshDesktopAssociations();
    tracker = SelectionTracker();
    endSettingsReset();
    if (isTerminating)
        return;
    if (windowOverview)
        windowOverview->configurationChanged();
    std::string removed = std::to_string(outcome.removed.size());
    std::string planned = std::to_string(outcome.plannedCount);
    switch (outcome.status) {
    case DesktopResetOutcome::Status::completed:
        showResetResult(LCount("%@ bureaux supprimés. Un bureau par écran est conservé et les fenêtres restent ouvertes. Le changement automatique est désactivé.",
                            outcome.removed.size(), removed),
            false);
        return;
    case DesktopResetOutcome::Status::cancelled:
        showResetResult(LCount("Suppression arrêtée : %@ / %@ bureaux supprimés. Les autres bureaux sont conservés.",
                            outcome.plannedCount, removed, planned),
            false);
        return;
    case DesktopResetOutcome::Status::failed:
        showResetResult(LCount("Suppression interrompue : %@ / %@ bureaux supprimés. %@", outcome.plannedCount, removed,
                            planned, outcome.failure ? outcome.failure->text() : std::string()),
            true);
        return;
    }
}

void AppDelegate::shutdownDesktopManagement()
{
    if (cleanupTimer)
        cleanupTimer->invalidate();
    displayPreparationRequest.reset();
    pendingDisplayPreparation.reset();
    desktopManager().cancel();
    if (desktopResetSession)
        desktopResetSession->cancel();
    if (desktopResetManager)
        desktopResetManager->cancel();
    if (desktopResetProgress)
        desktopResetProgress->finish();
}

} // namespace pellamor
