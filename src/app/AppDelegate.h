// The application delegate: owns every long-lived part of the system, starts and stops it, runs automatic
// switching and builds the menus and the main window.
#pragma once

#include "app/DesktopResetProgressSheet.h"
#include "app/StoredAssociations.h"
#include "app/UnconfirmedCreation.h"
#include "assistant/CodexStateReader.h"
#include "assistant/CodexStateWatcher.h"
#include "assistant/Models.h"
#include "assistant/SelectionTracker.h"
#include "desktops/MissionControl.h"
#include "desktops/MissionControlCreator.h"
#include "desktops/DesktopManager.h"
#include "desktops/DesktopResetSession.h"
#include "desktops/NativeDesktopManagementDriver.h"
#include "desktops/ProjectDisplayWorkspace.h"
#include "desktops/OverviewProjectAssignment.h"
#include "desktops/ProjectDesktopAssociations.h"
#include "desktops/ProjectDesktopSwitching.h"
#include "desktops/ProjectManagedDesktops.h"
#include "platform/NotificationCenter.h"
#include "platform/Timer.h"
#include "services/FeedbackService.h"
#include "services/FeedbackWindowController.h"
#include "services/Onboarding.h"

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QPushButton;
class QTabWidget;

namespace pellamor {

class AppSettingsView;
class Label;
class MainWindow;
class SwitchControl;
class SymbolView;
class WindowOverviewView;

struct ReportableError {
    std::string text;
    std::string source;
};

class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate();
    ~AppDelegate() override;

    // Application lifecycle.
    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void applicationDidBecomeActive();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }
    // The standard quit action: the shutdown sequence, then the event loop ends.
    void terminate();

    // Observers.
    void screenLayoutChanged();
    void languageChanged();
    void applicationActivated(const Notification& notification);
    void activeSpaceChanged();
    void showOnboarding();

    // Automatic switching.
    void toggleTracking();
    void startTracking(bool automatically);
    void stopTracking();
    void startTrackingByDefaultIfReady();
    void poll();
    std::optional<std::string> preflight(std::set<int> desktops, bool configured);
    void runDesktop(const Project& project);
    void refreshProjects();
    bool refreshDesktopAssociations(std::optional<std::vector<NativeDesktopState>> inventory = std::nullopt);
    // Why the refresh of the associations failed, in the words the user needs.
    std::string associationRefreshFailure() const;
    bool hasAssociation(const std::string& projectID) const;
    std::set<int> assignedDesktops() const;
    void ensureNavigationWatch();
    void showStatus(const std::string& text, bool error);
    void updateReportableError(std::optional<std::string> text, const std::string& source);
    void showProblem(const std::string& message);
    void updateTrackingControls();
    void updateRequirements();
    QWidget* buildTrackingControls();
    void requestAccessibility();

    // Menus, main window and their actions.
    void buildMenu();
    void buildWindow();
    void showAbout();
    void showSettings();
    void reportBug();
    void suggestImprovement();
    void requestFeature();
    void reportCurrentError();
    void presentFeedback(FeedbackKind kind, const std::string& error, const std::string& source);
    void tabViewDidSelect();
    std::vector<OverviewProjectAssignment> projectAssignments() const;

    // A project's screen made ready for a window drop, and the overview's desktop operations; each needs the
    // action lock taken by the overview.
    using MessageCompletion = std::function<void(std::optional<std::string>)>;
    void prepareProjectDisplay(const std::string& projectID, const std::string& display,
        std::function<void(std::optional<ProjectDisplayPreparation>, std::optional<std::string>)> completion);
    std::optional<std::string> validateProjectDisplay(const ProjectDisplayPreparation& preparation);
    void commitProjectDisplay(const ProjectDisplayPreparation& preparation, MessageCompletion completion);
    void assignFromOverview(const std::string& projectID, std::uint64_t space, bool shouldAssign,
        std::optional<ProjectDesktopAssociation> expectedIdentity, MessageCompletion completion);
    std::optional<std::string> finishAssociationChange(const ProjectDesktopAssociations& previous,
        const std::vector<NativeDesktopState>& inventory, const std::string& message);
    // No space: a desktop is added on the display.
    void manageDesktop(std::optional<std::string> display, std::optional<std::uint64_t> removing,
        MessageCompletion completion);
    void openProjectFromOverview(const std::string& projectID, std::function<void(MissionControlResult)> completion);
    void removeUnavailableProject(const std::string& projectID, MessageCompletion completion);

    // Cleanup of the desktops created for projects.
    void cleanupManagedProjectDisplays();
    bool userIsIdleForCleanup() const;

    // The resets.
    bool beginSettingsReset();
    void endSettingsReset();
    void confirmSettingsReset(const std::string& title, const std::string& message, const std::string& action,
        std::function<void()> confirmed);
    void confirmClearProjectAssignments();
    void confirmDeleteAllDesktops();
    void startDesktopReset(const DesktopResetPlan& plan);

    // Created on first use.
    NativeDesktopManagementDriver& desktopManagementDriver();
    DesktopManager& desktopManager();

    // Stored state, as the rest of the shell and its tests read it.
    std::unique_ptr<MainWindow> window;
    QPointer<QTabWidget> tabs;
    QPointer<WindowOverviewView> windowOverview;
    QPointer<AppSettingsView> settingsView;
    std::unique_ptr<OnboardingController> onboarding;
    QPointer<SwitchControl> toggle;
    QPointer<Label> countLabel;
    QPointer<Label> modeLabel;
    QPointer<Label> currentLabel;
    QPointer<Label> requirementLabel;
    QPointer<Label> statusLabel;
    QPointer<SymbolView> activityDot;
    QPointer<QPushButton> reportErrorButton;

    std::vector<Project> projects;
    std::optional<std::string> selectedID;
    CodexStateReader stateReader;
    bool stateReadable = false;
    std::optional<double> readFailureSince;
    SelectionTracker tracker;
    std::map<std::string, std::vector<int>> associations;
    ProjectDesktopAssociations desktopAssociations;
    std::optional<std::vector<NativeDesktopState>> associationInventory;
    std::set<std::string> fallbackProjects;
    std::map<std::string, int> fallbackDesktopNumbers;
    std::optional<std::string> runtimeAssistantDisplay;
    std::optional<LegacyAssociations> legacyAssociations;
    std::optional<std::vector<NativeDesktopState>> legacyDesktopInventory;
    bool associationDataInvalid = false;
    ProjectManagedDesktops managedDesktops;
    bool managedDesktopsReadable = true;
    bool isEnabled = false;
    bool shouldStartTrackingByDefault = true;
    std::unique_ptr<RepeatingTimer> timer;
    std::unique_ptr<CodexStateWatcher> stateWatcher;
    std::unique_ptr<CodexStateWatcher> navigationWatcher;
    std::optional<std::filesystem::path> watchedNavigationURL;
    // The reason of the process activity held while switching is on.
    std::optional<std::string> trackingActivity;
    bool isExecuting = false;
    bool isTerminating = false;
    bool isResetting = false;
    // Shared with the overview, which opens a window's desktop through it before a layout.
    std::shared_ptr<MissionControlSwitcher> desktopSwitcher = std::make_shared<MissionControlSwitcher>();
    std::shared_ptr<MissionControlCreator> desktopCreator = std::make_shared<MissionControlCreator>();
    std::optional<UUID> displayPreparationRequest;
    std::optional<ProjectDisplayPreparation> pendingDisplayPreparation;
    std::unique_ptr<RepeatingTimer> cleanupTimer;
    // Desktop UUID → uptime since when that created desktop has been seen eligible for removal.
    std::map<std::string, double> emptyManagedSince;
    double cleanupRetryAfter = 0;
    bool managedCleanupSuspended = false;
    std::shared_ptr<DesktopResetSession> desktopResetSession;
    std::shared_ptr<NativeDesktopManagementDriver> desktopResetDriver;
    std::shared_ptr<DesktopManager> desktopResetManager;
    std::unique_ptr<DesktopResetProgressSheet> desktopResetProgress;
    FeedbackService feedbackService;
    std::unique_ptr<FeedbackWindowController> feedbackController;
    std::optional<FeedbackDraft> feedbackDraft;
    std::optional<ReportableError> reportableError;

private:
    // Every stored project resolved against the association inventory (none without one).
    const std::map<std::string, ProjectResolution>& resolvedProjects() const;
    // A project's resolved desktops that are not on the dedicated screen.
    std::vector<ProjectDesktopSwitchTarget> targets(const std::string& projectID) const;
    std::vector<ProjectDesktopSwitchTarget> targets(const ProjectResolution& resolution) const;
    ProjectDesktopSwitchingSession& projectSwitcher();
    std::optional<std::string> blockingReason(int number);
    bool permissionsGranted() const;
    void installOverviewCallbacks(WindowOverviewView& overview);
    void createBandControls(const std::string& status);
    // After a change of projects or screens: stops switching that can no longer run, or starts it by itself.
    void recheckTracking();
    // Stops both file watchers and ends the process activity.
    void stopWatching();
    void bringWindowForward();
    void ensureWindow();
    void migrateLegacyAssociations(const std::vector<NativeDesktopState>& inventory);
    void startCleanupTimer();
    // The shutdown steps of desktop management: preparation, managers, reset, progress sheet.
    void shutdownDesktopManagement();
    void finishPreparation(const UUID& token, const std::string& projectID, const std::string& display,
        const NativeDesktopState& desktop, bool created, bool requiresEmpty,
        const std::function<void(std::optional<ProjectDisplayPreparation>, std::optional<std::string>)>& completion);
    void createdDesktopFinished(const UUID& token, const std::string& projectID, const std::string& display,
        const std::vector<NativeDesktopState>& before, std::optional<std::string> failure,
        const std::function<void(std::optional<ProjectDisplayPreparation>, std::optional<std::string>)>& completion);
    bool preparationIsCurrent(const ProjectDisplayPreparation& preparation) const;
    // Why the preparation no longer holds; `checksEmptiness` false once the window was moved there.
    std::optional<std::string> preparationRefusal(const ProjectDisplayPreparation& preparation, bool checksEmptiness);
    void desktopChangeFinished(const std::optional<std::uint64_t>& removing,
        const std::vector<NativeDesktopState>& inventory, DesktopManagementResult result,
        const MessageCompletion& completion);
    std::optional<std::string> cleanupValidation(const ProjectManagedDesktop& entry, const NativeDesktopState& desktop,
        const std::string& display, std::optional<std::uint64_t> space);
    void cleanupFinished(std::optional<std::string> failure);
    void clearProjectAssignments();
    void desktopResetProgressed(std::size_t removed);
    void desktopResetFinished(const DesktopResetOutcome& outcome);
    void showResetResult(const std::string& text, bool error);
    // The store and the list of created desktops written as they are now (each only when it encodes); the
    // list's write is false when the settings did not take it.
    void writeAssociationStore();
    bool writeManagedDesktops();
    // The committed selection taken from the assistant's state as it is now; read errors leave it as it was.
    bool rebaseTrackerOnCurrentSelection();

    // What `resolvedProjects` answered, with what it was resolved from; `revision` counts the resolutions.
    struct ResolvedAssociations {
        ProjectDesktopAssociations store;
        std::vector<NativeDesktopState> inventory;
        std::optional<std::string> assistantDisplay;
        std::map<std::string, ProjectResolution> projects;
        std::uint64_t revision = 0;
    };
    mutable ResolvedAssociations resolved_;
    // The resolution `associations` and the fallback fields were derived from; 0 when they were cleared.
    std::uint64_t derivedRevision_ = 0;

    // After a creation that Mission Control could not confirm: records the desktop that can only be the created
    // one, now or as soon as it appears, and withdraws it when a reading shows it may be another; any later
    // desktop operation ends the watch.
    void recordUnconfirmedCreation(const std::string& projectID, const std::string& display,
        const std::vector<NativeDesktopState>& before, const std::string& failure);
    void watchUnconfirmedCreation();

    std::shared_ptr<ProjectDesktopSwitchingSession> projectSwitcher_;
    std::shared_ptr<NativeDesktopManagementDriver> desktopManagementDriver_;
    std::shared_ptr<DesktopManager> desktopManager_;
    std::size_t desktopResetApplied_ = 0;
    std::vector<ObserverToken> observers_;
    WorkItem unconfirmedCreationWatch_;
    std::optional<UnconfirmedCreation> unconfirmedCreation_;
};

} // namespace pellamor
