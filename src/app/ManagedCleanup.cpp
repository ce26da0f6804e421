// The cleanup of the desktops the app created for projects: one empty desktop removed per pass, only while
// the user is idle and nothing else runs.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "desktops/ScreenPlacement.h"
#include "overview/WindowOverview.h"
#include "platform/Platform.h"
#include "ui/SheetHost.h"

#include <cmath>

namespace pellamor {
namespace {

constexpr double cleanupInterval = 5.0;
constexpr double idleThreshold = 8.0;
constexpr double emptyDuration = 4.0;
constexpr double retryDelay = 60.0;

constexpr EventType idleEventTypes[] = { EventType::keyDown, EventType::keyUp, EventType::flagsChanged,
    EventType::mouseMoved, EventType::leftMouseDown, EventType::leftMouseUp, EventType::rightMouseDown,
    EventType::rightMouseUp, EventType::otherMouseDown, EventType::otherMouseUp, EventType::leftMouseDragged,
    EventType::rightMouseDragged, EventType::otherMouseDragged, EventType::scrollWheel, EventType::tabletPointer,
    EventType::tabletProximity };

std::optional<std::string> reservedScreen()
{
    return AssistantScreenConfiguration::runtime(ConnectedMonitor::read(), platform().standardDefaults()).monitorID;
}

bool contains(const std::vector<ProjectManagedDesktop>& entries, const ProjectManagedDesktop& entry)
{
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

} // namespace

void AppDelegate::startCleanupTimer()
{
    QPointer<AppDelegate> self(this);
    cleanupTimer = std::make_unique<RepeatingTimer>(platform().mainQueue(), cleanupInterval, 0, [self] {
        if (self)
            self->cleanupManagedProjectDisplays();
    });
}

bool AppDelegate::userIsIdleForCleanup() const
{
    if (managedCleanupSuspended || platform().uptime() < cleanupRetryAfter)
        return false;
    EventServices& events = platform().events();
    if (events.flagsState(EventSourceState::hidSystem) & NativeShortcut::modifiers)
        return false;
    for (std::uint32_t button : { 0u, 1u, 2u }) {
        if (events.buttonState(EventSourceState::hidSystem, button))
            return false;
    }
    for (EventType type : idleEventTypes) {
        double seconds = events.secondsSinceLastEventType(EventSourceState::hidSystem, type);
        if (!std::isfinite(seconds) || !(seconds >= idleThreshold))
            return false;
    }
    return true;
}

void AppDelegate::cleanupManagedProjectDisplays()
{
    bool ready = !isExecuting && !isTerminating && managedDesktopsReadable && !managedDesktops.entries.empty()
        && platform().accessibility().isProcessTrusted() && userIsIdleForCleanup()
        && !(windowOverview && windowOverview->isInteracting()) && !SheetHost::hasAttachedSheet(window.get())
        && refreshDesktopAssociations() && associationInventory;
    if (!ready) {
        emptyManagedSince.clear();
        return;
    }
    std::vector<NativeDesktopState> inventory = *associationInventory;
    std::optional<std::string> reserved = reservedScreen();
    std::optional<std::set<std::uint64_t>> empty = desktopManagementDriver().emptyDesktopSpaces(inventory);
    std::vector<ProjectManagedDesktop> eligible
        = managedDesktops.eligibleCleanup(inventory, desktopAssociations, empty, reserved);

    double now = platform().uptime();
    std::map<std::string, double> since;
    for (const ProjectManagedDesktop& entry : eligible) {
        if (!entry.identity.spaceUUID)
            continue;
        auto known = emptyManagedSince.find(*entry.identity.spaceUUID);
        since[*entry.identity.spaceUUID] = known == emptyManagedSince.end() ? now : known->second;
    }
    emptyManagedSince = since;

    auto chosen = std::find_if(eligible.begin(), eligible.end(), [&](const ProjectManagedDesktop& entry) {
        return entry.identity.spaceUUID && now - since[*entry.identity.spaceUUID] >= emptyDuration;
    });
    if (chosen == eligible.end())
        return;
    std::optional<NativeDesktopState> desktop = chosen->resolve(inventory);
    if (!desktop)
        return;

    isExecuting = true;
    if (windowOverview)
        windowOverview->setMaintenanceBusy(true);
    updateTrackingControls();
    QPointer<AppDelegate> self(this);
    ProjectManagedDesktop entry = *chosen;
    NativeDesktopState target = *desktop;
    desktopManagementDriver().additionalValidation = [self, entry, target](const std::string& display,
                                                         std::optional<std::uint64_t> space) {
        if (!self)
            return std::optional<std::string>(L("Action annulée."));
        return self->cleanupValidation(entry, target, display, space);
    };
    manageDesktop(std::nullopt, target.spaceID, [self](std::optional<std::string> failure) {
        if (self)
            self->cleanupFinished(std::move(failure));
    });
}

std::optional<std::string> AppDelegate::cleanupValidation(const ProjectManagedDesktop& entry,
    const NativeDesktopState& desktop, const std::string& display, std::optional<std::uint64_t> space)
{
    std::string cancelled = L("Action annulée.");
    if (!isExecuting || isTerminating || !userIsIdleForCleanup() || !space || *space != desktop.spaceID
        || !equalIgnoringCase(display, desktop.display))
        return cancelled;
    std::optional<std::vector<NativeDesktopState>> inventory = desktopCreator->inventory();
    std::optional<NativeDesktopState> resolved = inventory ? entry.resolve(*inventory) : std::nullopt;
    if (!resolved || resolved->spaceID != *space || !contains(managedDesktops.entries, entry))
        return cancelled;
    std::vector<ProjectManagedDesktop> eligible = managedDesktops.eligibleCleanup(*inventory, desktopAssociations,
        desktopManagementDriver().emptyDesktopSpaces(*inventory), reservedScreen());
    if (!contains(eligible, entry))
        return cancelled;
    return std::nullopt;
}

void AppDelegate::cleanupFinished(std::optional<std::string> failure)
{
    if (failure)
        cleanupRetryAfter = platform().uptime() + retryDelay;
    desktopManagementDriver().additionalValidation = nullptr;
    emptyManagedSince.clear();
    isExecuting = false;
    if (windowOverview)
        windowOverview->setMaintenanceBusy(false);
    updateTrackingControls();
    if (windowOverview)
        windowOverview->configurationChanged();
    startTrackingByDefaultIfReady();
    if (isEnabled)
        poll();
}

} // namespace pellamor
