// The application delegate: owns every long-lived part of the system, starts and stops it, runs automatic
// switching and builds the menus and the main window.
#pragma once

#include "app/StoredAssociations.h"
#include "assistant/CodexStateReader.h"
#include "assistant/CodexStateWatcher.h"
#include "assistant/Models.h"
#include "assistant/SelectionTracker.h"
#include "desktops/MissionControl.h"
#include "desktops/MissionControlCreator.h"
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
    MissionControlSwitcher desktopSwitcher;
    MissionControlCreator desktopCreator;
    FeedbackService feedbackService;
    std::unique_ptr<FeedbackWindowController> feedbackController;
    std::optional<FeedbackDraft> feedbackDraft;
    std::optional<ReportableError> reportableError;

private:
    ProjectDesktopSwitchingSession& projectSwitcher();
    std::vector<ProjectDesktopSwitchTarget> targets(
        const std::string& projectID, const std::vector<NativeDesktopState>& inventory) const;
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

    std::shared_ptr<ProjectDesktopSwitchingSession> projectSwitcher_;
    std::vector<ObserverToken> observers_;
};

} // namespace pellamor
