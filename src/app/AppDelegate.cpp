#include "app/AppDelegate.h"

#include "ui/AppConstants.h"
#include "ui/Label.h"
#include "app/MainWindow.h"
#include "app/ReleaseLater.h"
#include "ui/SheetHost.h"
#include "ui/SwitchControl.h"
#include "ui/SymbolView.h"
#include "assistant/CodexNavigationReader.h"
#include "assistant/Localization.h"
#include "desktops/SystemRestorations.h"
#include "overview/WindowOverview.h"
#include "platform/Platform.h"
#include "services/ErrorMonitoring.h"
#include "services/UsageAnalytics.h"

#include <QApplication>
#include <QPushButton>

namespace pellamor {
namespace {

std::unique_ptr<CodexNavigationReading> defaultNavigationReader()
{
    return std::make_unique<CodexNavigationReader>(std::nullopt, []() -> std::optional<CodexProcessIdentity> {
        std::vector<RunningApplication> running = platform().workspace().runningApplications(assistantBundleID);
        std::erase_if(running, [](const RunningApplication& application) { return application.terminated; });
        if (running.size() != 1)
            return std::nullopt;
        return CodexProcessIdentity { running.front().pid, running.front().launchDate };
    });
}

} // namespace

AppDelegate::AppDelegate()
    : stateReader(std::nullopt, defaultNavigationReader())
    , feedbackService(SentryConfiguration::load(), FeedbackMetadata::current())
{
    toggle = new SwitchControl;
    createBandControls(L("Choisis un projet, puis glisse ses fenêtres sur les écrans."));
    reportErrorButton = new QPushButton;
}

AppDelegate::~AppDelegate()
{
    // Controls that never made it into a window have no parent to release them.
    for (QWidget* control : std::initializer_list<QWidget*> { toggle, countLabel, modeLabel, currentLabel,
             requirementLabel, statusLabel, activityDot, reportErrorButton }) {
        if (control && !control->parent())
            delete control;
    }
}

void AppDelegate::createBandControls(const std::string& status)
{
    countLabel = new Label;
    modeLabel = new Label(isEnabled ? L("Changement automatique activé") : L("Changement automatique désactivé"));
    currentLabel = new Label(L("Lecture des projets…"));
    requirementLabel = new Label;
    statusLabel = new Label(status);
    activityDot = new SymbolView("circle.fill", 9);
}

void AppDelegate::applicationDidFinishLaunching()
{
    UserDefaults& defaults = platform().standardDefaults();
    ErrorMonitoring::start(SentryConfiguration::load(), FeedbackMetadata::current());
    defaults.remove("productAnalyticsEnabled");
    defaults.remove("productAnalyticsState");
    // Before any switch or arrangement: what a run that was killed left changed in the system.
    SystemRestorations::restoreRecorded();
    UsageAnalytics::shared().start();

    StoredAssociations stored = readStoredAssociations(defaults);
    desktopAssociations = std::move(stored.associations);
    legacyAssociations = std::move(stored.legacyAssociations);
    legacyDesktopInventory = std::move(stored.legacyDesktopInventory);
    associationDataInvalid = stored.invalid;
    StoredManagedDesktops managed = readStoredManagedDesktops(defaults);
    managedDesktops = std::move(managed.desktops);
    managedDesktopsReadable = managed.readable;

    refreshDesktopAssociations();
    buildMenu();
    buildWindow();

    QPointer<AppDelegate> self(this);
    NotificationCenter& center = platform().defaultCenter();
    NotificationCenter& workspace = platform().workspaceCenter();
    observers_.push_back(
        center.addObserver("AssistantScreenConfigurationChanged", nullptr, [self](const Notification&) {
            if (self)
                self->screenLayoutChanged();
        }));
    observers_.push_back(center.addObserver(screenParametersChangedNotification, nullptr, [self](const Notification&) {
        if (self)
            self->screenLayoutChanged();
    }));
    observers_.push_back(center.addObserver("PellamorLanguageDidChange", nullptr, [self](const Notification&) {
        if (self)
            self->languageChanged();
    }));
    observers_.push_back(
        workspace.addObserver(didActivateApplicationNotification, nullptr, [self](const Notification& notification) {
            if (self)
                self->applicationActivated(notification);
        }));
    observers_.push_back(workspace.addObserver(activeSpaceDidChangeNotification, nullptr, [self](const Notification&) {
        if (self)
            self->activeSpaceChanged();
    }));
    startCleanupTimer();

    refreshProjects();
    bringWindowForward();
    if (OnboardingProgress(defaults).shouldPresentOnLaunch()) {
        platform().mainQueue().async([self] {
            if (self)
                self->showOnboarding();
        });
    }
}

void AppDelegate::bringWindowForward()
{
    window->show();
    window->raise();
    window->activateWindow();
}

void AppDelegate::showOnboarding()
{
    if (isExecuting || isTerminating || SheetHost::hasAttachedSheet(window.get()) || onboarding)
        return;
    QPointer<AppDelegate> self(this);
    onboarding = std::make_unique<OnboardingController>(
        [self] {
            if (self)
                self->requestAccessibility();
        },
        [self](std::optional<std::string> tab) {
            if (!self)
                return;
            releaseLater(std::move(self->onboarding));
            if (tab)
                selectTab(self->tabs, *tab);
            self->updateRequirements();
        });
    onboarding->present(window.get());
}

void AppDelegate::screenLayoutChanged()
{
    if (!windowOverview || isExecuting || isTerminating)
        return;
    refreshDesktopAssociations();
    updateTrackingControls();
    windowOverview->configurationChanged();
    recheckTracking();
}

void AppDelegate::activeSpaceChanged()
{
    if (isTerminating)
        return;
    if (window && window->isVisible() && !window->isMinimized())
        window->raise();
    screenLayoutChanged();
}

void AppDelegate::applicationActivated(const Notification& notification)
{
    if (!isEnabled)
        return;
    Lookup<std::string> bundleID = lookupString(notification.userInfo, "bundleIdentifier");
    if (bundleID && *bundleID == assistantBundleID)
        poll();
}

void AppDelegate::applicationDidBecomeActive()
{
    if (!window)
        return;
    if (onboarding)
        onboarding->refreshPermissions();
    screenLayoutChanged();
}

void AppDelegate::terminate()
{
    applicationWillTerminate();
    QCoreApplication::quit();
}

void AppDelegate::applicationWillTerminate()
{
    if (isTerminating)
        return;
    isTerminating = true;
    UsageAnalytics::shared().stop();
    observers_.clear();
    if (timer)
        timer->invalidate();
    stopWatching();
    shutdownDesktopManagement();
    if (projectSwitcher_)
        projectSwitcher_->cancel();
    desktopSwitcher->shutdown();
    if (windowOverview)
        windowOverview->shutdown();
    ErrorMonitoring::stop();
}

} // namespace pellamor
