// The controller behind the "windows" tab: it holds the live model the setup panel shows (desktops, windows,
// projects, permissions, window cards), refreshes it every 5 seconds while the tab is shown, answers the
// panel's callbacks and ends every window action once.
#pragma once

#include "desktops/DesktopModel.h"
#include "desktops/MissionControl.h"
#include "desktops/OverviewProjectAssignment.h"
#include "desktops/ProjectDesktopSwitchTarget.h"
#include "desktops/ProjectDisplayWorkspace.h"
#include "desktops/ScreenPlacement.h"
#include "overview/DisplayDragHighlight.h"
#include "platform/NotificationCenter.h"
#include "platform/ScreenCaptureKit.h"
#include "platform/Timer.h"
#include "windows/DesktopWindow.h"
#include "windows/WindowArrangement.h"
#include "windows/WindowInventoryReader.h"
#include "windows/WindowReturnDestination.h"
#include "windows/WindowSpaceRuntime.h"
#include "ui/Popover.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace pellamor {

class ProjectDesktopSetupView;
class SwitchControl;
class NativeWindowArrangementAccessEnvironment;
class WindowArrangementAccessSession;
class WindowHoverPreview;
class WindowPreviewHoverSession;
class WindowThumbnail;
class WindowMoveSession;
class WindowArrangementSession;
class WindowPlacementCompletionResult;
class WindowPlacementCompletionSession;
struct DraggingInfo;

// The owner's answer to an action about to start. A refusal with a reason shows that reason as an error; one
// without says that another action runs.
struct ActionAdmission {
    ActionAdmission(bool admitted, std::optional<std::string> reason = std::nullopt)
        : admitted(admitted)
        , reason(std::move(reason))
    {
    }
    explicit operator bool() const { return admitted; }

    bool admitted;
    std::optional<std::string> reason;
};

class WindowOverviewView : public QWidget {
    Q_OBJECT
public:
    static constexpr double refreshInterval = 5.0;

    explicit WindowOverviewView(QWidget* parent = nullptr);
    ~WindowOverviewView() override;

    std::function<std::vector<OverviewProjectAssignment>(const std::vector<NativeDesktopState>& inventory)>
        projectAssignments;
    std::function<void(const std::string& projectID, const std::string& display,
        std::function<void(std::optional<ProjectDisplayPreparation>, std::optional<std::string>)> completion)>
        prepareProjectDisplay;
    std::function<std::optional<std::string>(const ProjectDisplayPreparation& preparation)> validateProjectDisplay;
    std::function<void(const ProjectDisplayPreparation& preparation,
        std::function<void(std::optional<std::string>)> completion)>
        commitProjectDisplay;
    std::function<void(const std::string& projectID, std::function<void(std::optional<std::string>)> completion)>
        removeUnavailableProject;
    std::function<void(const std::string& projectID, std::function<void(MissionControlResult)> completion)>
        openProjectDesktops;
    std::function<ActionAdmission()> beginAction;
    std::function<void()> endAction;
    std::function<void()> refreshProjects;
    std::function<void(const std::string& text, bool isError)> onStatusMessage;
    std::function<void()> onUserInteraction = [] {};
    std::function<void()> onShowPrivacy;
    std::function<void()> onClearProjectAssignments;
    std::function<void()> onDeleteAllDesktops;
    // The application's desktop switcher, through which a window's desktop is opened for a layout; the owner
    // installs its own so that this switch and the owner's never run together.
    std::shared_ptr<MissionControlSwitcher> sharedSwitcher = std::make_shared<MissionControlSwitcher>();

    void setTrackingControls(QWidget* controls, SwitchControl* toggle);
    void updateTrackingState(bool enabled);
    void updateResetState(bool enabled);
    void showResetStatus(const std::string& text, bool error);
    // Shown: refreshes now and every 5 seconds; hidden: stops and closes what is transient.
    void setOverviewVisible(bool visible);
    void configurationChanged();
    bool isInteracting() const;
    void setMaintenanceBusy(bool busy);
    void shutdown();

    // Ends the running window action: tokens dropped, the owner told, a forced refresh, then the status line.
    void finish(const std::string& text, bool error);
    // True when a refresh was carried out.
    bool refresh();
    void refreshClicked();
    void showStatus(const std::string& text, bool error);

    ProjectDesktopSetupView* setupView() const { return setupView_; }
    bool overviewVisible() const { return visible_; }
    bool isShutDown() const { return shutDown_; }
    bool busy() const { return busy_; }
    bool inventoryHasLoaded() const { return inventoryHasLoaded_; }
    const std::vector<NativeDesktopState>& desktops() const { return desktops_; }
    const std::vector<DesktopWindow>& records() const { return records_; }
    const std::vector<OverviewProjectAssignment>& projectSnapshot() const { return projectSnapshot_; }
    const std::optional<std::pair<std::uint32_t, std::uint64_t>>& selected() const { return selected_; }
    const std::string& statusMessage() const { return statusMessage_; }
    const std::string& token() const { return token_; }
    int generation() const { return generation_; }
    bool choosingProject() const { return choosingProject_; }
    bool draggingWindow() const { return draggingWindow_; }
    Popover* trackingPopover() const { return trackingPopover_.data(); }
    const DisplayDragHighlight& displayDragHighlight() const { return displayDragHighlight_; }
    QWidget* trackingControls() const { return trackingControls_; }
    // Every card made for a window number.
    std::vector<WindowThumbnail*> cards(std::uint32_t window) const;
    // Cards made and still shown, by window number.
    const std::map<std::uint32_t, std::vector<QPointer<WindowThumbnail>>>& thumbnails() const { return thumbnails_; }

    // Previews of library cards.
    static constexpr int captureWidth = 440;
    static constexpr double imageReuseAge = 10.0;
    // The capture's height for a window of that size: 440 pixels wide in its proportions, 1…600 high.
    static int captureHeight(double windowWidth, double windowHeight);
    // A library card's activation; `followingPointer` for a pointer click.
    void activateLibraryCard(WindowThumbnail* card, bool followingPointer);
    void dismissPreview();
    void capturePreviews();
    void authorizeCapture();
    void authorizeAccessibility();
    void refreshPermissionStatus();
    WindowHoverPreview& hoverPreview() const { return *hoverPreview_; }
    WindowThumbnail* hoveredTile() const;
    bool capturing() const { return captureTask_ != nullptr; }
    std::optional<QImage> cachedImage(std::uint32_t window) const;

    void openProjectFromShortcut(const std::string& projectID);
    // A screen card's activation: its desktop is shown on its screen.
    void openDesktop(const DesktopWindow& window, std::uint64_t source);
    // A menu shown or hidden anywhere in the application.
    void menuTrackingBegan(QObject* menu);
    void menuTrackingEnded(QObject* menu);
    bool menuTracks() const { return !trackedMenus_.empty(); }
    void removeUnavailableSelection(
        const std::string& projectID, std::function<void(std::optional<std::string>)> completion);
    void finishManagement(
        const std::string& request, const std::string& success, const std::optional<std::string>& problem);
    // A card's layout: the window is reached on its own desktop, then placed on its own screen.
    void arrange(const DesktopWindow& window, std::uint64_t source, WindowArrangement arrangement);

    // The cards' four flags and the panel's controls, from the current state.
    void updateControls();
    void updateCardFlags();
    void renderInventory(const AssistantScreenConfiguration& configuration);
    WindowThumbnail* makeWindowCard(const DesktopWindow& window, std::uint64_t source, int number, bool isOnDisplay,
        bool showsApplicationIdentity);

    // Dropping a window on a screen of the selected project.
    std::optional<std::pair<DesktopWindow, std::uint64_t>> dragRecord(const DraggingInfo& info) const;
    bool canOrganize(const DesktopWindow& window, std::uint64_t source, const std::string& display) const;
    void moveToDisplay(const DesktopWindow& window, std::uint64_t source, const std::string& display);
    // Sends a window of the selected project back where it came from.
    void returnToLibrary(const DesktopWindow& window, std::uint64_t source);
    // Opens a window action; false (with its status line) while another one runs.
    bool start();
    const WindowReturnOrigins& returnOrigins() const { return returnOrigins_; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void installPanelCallbacks();
    // What a card's four flags are decided from, read once for a pass over the cards.
    struct CardRules {
        const OverviewProjectAssignment* assignment;
        std::set<std::uint64_t> projectSpaces;
        std::optional<std::string> reservedDisplay;
        std::string assistant;
        bool separateSpaces;
        bool hasProject;
    };
    CardRules cardRules(const AssistantScreenConfiguration& configuration) const;
    void applyCardFlags(WindowThumbnail& card, const CardRules& rules) const;
    // The layout the window's frame shows on its desktop's screen, 6 points either way.
    std::optional<WindowArrangement> shownArrangement(const DesktopWindow& window, std::uint64_t source) const;
    static constexpr double arrangementTolerance = 6.0;
    void windowGeometryChanged();
    void periodicRefresh();
    struct CaptureTask;
    struct CachedImage {
        QImage image;
        double capturedAt = 0;
    };
    void installPreviewHandlers();
    void installShortcutHandlers();
    void installMenuTracking();
    void installPreviewCallbacks(WindowThumbnail* card);
    void startPreviewTracking(bool followingPointer);
    void showPreview(WindowThumbnail* card, const std::optional<std::string>& status);
    bool previewContains(const QPointF& point) const;
    void previewEvent(QObject* receiver, QEvent* event);
    bool captureIsCurrent(const CaptureTask& task);
    // True when the capture goes no further: its failure shown while still current, the task ended.
    bool captureStopped(const CaptureTask& task, bool failed);
    void captureListed(const std::shared_ptr<CaptureTask>& task, std::optional<std::vector<ShareableWindow>> content);
    void captureArrived(const std::shared_ptr<CaptureTask>& task, std::optional<CapturedImage> image);
    void showCaptureFailure(const std::string& text);
    void endCapture(const CaptureTask& task);
    void performArrangement(const DesktopWindow& window, std::uint64_t source, WindowArrangement arrangement);
    void arrangementReached(const DesktopWindow& window, std::uint64_t source, WindowArrangement arrangement,
        const ConnectedMonitor& monitor, const std::string& request, std::optional<std::string> problem);
    std::optional<std::string> arrangementCheck(
        const DesktopWindow& window, std::uint64_t source, const std::string& request);
    void dropImages();
    void inventoryArrived(std::optional<WindowInventoryReader::Snapshot> snapshot, const std::string& signature,
        const std::vector<NativeDesktopState>& desktops, const std::string& context);
    std::optional<std::vector<NativeDesktopState>> readDesktops() const;
    AssistantScreenConfiguration readConfiguration() const;
    std::vector<OverviewProjectAssignment> assignmentsFor(const std::vector<NativeDesktopState>& desktops) const;
    const OverviewProjectAssignment* selectedAssignment() const;
    void showOverviewActions(QWidget* button);
    void toggleTrackingPopover(QWidget* button);
    void closeTrackingPopover();
    void trackingPopoverClosed();
    void projectPickerVisibilityChanged(bool isOpen);
    void projectChanged();
    void selectCard(const DesktopWindow& window, std::uint64_t source);
    void cancelInventory();

    struct ReturnAction {
        WindowReturnIdentity identity;
        std::string projectID;
        ProjectDesktopAssociation source;
        WindowReturnDestination destination;
        AXElementRef resolvedWindow;
    };
    struct LiveRecord {
        DesktopWindow window;
        std::vector<NativeDesktopState> desktops;
    };
    // The window and desktops re-read now, or why the action must not touch the window.
    std::variant<LiveRecord, std::string> liveRecord(const DesktopWindow& window, std::uint64_t source,
        std::uint64_t destination, bool requiresAccessibility) const;
    std::optional<std::string> restriction(const DesktopWindow& window, std::uint64_t source,
        std::uint64_t destination, const std::vector<NativeDesktopState>& desktops, bool returningToLibrary) const;
    bool isCurrent(const std::string& request) const;
    void installDropCallbacks();
    void preparationArrived(const std::string& request, const std::string& projectID, const DesktopWindow& window,
        std::uint64_t source, std::optional<ProjectDisplayPreparation> preparation,
        std::optional<std::string> error);
    void move(const DesktopWindow& window, std::uint64_t source, std::uint64_t target, const std::string& request);
    std::optional<std::string> moveValidation(const DesktopWindow& record, std::uint64_t source,
        std::uint64_t target, const std::string& request) const;
    void moveCompleted(const DesktopWindow& record, std::uint64_t source, std::uint64_t target,
        const std::vector<NativeDesktopState>& inventory, const std::string& request,
        const std::optional<std::string>& error);
    void verifyMove(const DesktopWindow& record, std::uint64_t source, std::uint64_t target,
        const std::vector<NativeDesktopState>& inventory, const std::string& request, double deadline);
    std::optional<WindowReturnDestinationResult> returnDestination(
        const WindowReturnIdentity& identity, const std::vector<NativeDesktopState>& inventory) const;
    std::optional<std::string> returnValidation(const DesktopWindow& record) const;
    void restoreReturnedWindow(const DesktopWindow& record, const ReturnAction& action, const std::string& request);
    void returnEnded(const DesktopWindow& record, const ReturnAction& action, const std::string& request,
        const std::optional<std::string>& problem);
    void publishConfirmedMove(const DesktopWindow& record, std::uint64_t target);
    std::optional<WindowReturnIdentity> returnIdentity(const DesktopWindow& record) const;
    // False when an origin was recorded but the settings did not take it.
    bool recordOrigin(
        const DesktopWindow& record, std::uint64_t source, const std::vector<NativeDesktopState>& inventory);
    // False when the settings did not take the origins; memory keeps them for the next write.
    bool storeReturnOrigins();
    // Said after the status of an action whose origins the settings did not take.
    static std::string unsavedOriginText();
    void completePlacement(const DesktopWindow& record, const std::string& request, bool originSaved);
    void openMovedWindow(const DesktopWindow& record, const ProjectDisplayPreparation& preparation,
        const std::string& request, std::function<void(const MissionControlResult&)> completion);
    std::optional<ProjectDesktopSwitchTarget> movedWindowTarget(
        const DesktopWindow& record, const ProjectDisplayPreparation& preparation) const;
    void placementFinished(const DesktopWindow& record, const ProjectDisplayPreparation& preparation,
        const std::string& request, const WindowPlacementCompletionResult& result, bool originSaved);

    std::shared_ptr<WindowSpaceRuntime> runtime_;
    std::shared_ptr<WindowInventoryReader> inventoryReader_;
    MissionControlSwitcher switcher_;
    std::string token_;
    ProjectDesktopSetupView* setupView_;
    QWidget* trackingControls_;
    QPointer<Popover> trackingPopover_;
    std::unique_ptr<RepeatingTimer> timer_;
    std::vector<ObserverToken> observers_;
    std::map<std::uint32_t, std::vector<QPointer<WindowThumbnail>>> thumbnails_;
    DisplayDragHighlight displayDragHighlight_;
    std::unique_ptr<WindowHoverPreview> hoverPreview_;
    std::shared_ptr<WindowPreviewHoverSession> hoverSession_;
    QPointer<WindowThumbnail> hoveredTile_;
    std::unique_ptr<QObject> previewEventMonitor_;
    QPointer<QWidget> previewMouseWindow_;
    std::optional<bool> previousMouseMovedEvents_;
    std::shared_ptr<CaptureTask> captureTask_;
    std::map<std::uint32_t, CachedImage> images_;
    std::unique_ptr<QObject> menuTracking_;
    std::set<QObject*> trackedMenus_;
    std::optional<std::string> arrangementRequest_;
    std::shared_ptr<WindowArrangementAccessSession> arrangementAccessSession_;
    std::shared_ptr<NativeWindowArrangementAccessEnvironment> arrangementAccess_;
    int hoverTicket_ = 0;
    std::shared_ptr<WindowMoveSession> moveSession_;
    std::shared_ptr<WindowPlacementCompletionSession> placementCompletionSession_;
    std::shared_ptr<WindowArrangementSession> arrangementSession_;
    std::optional<ProjectDisplayPreparation> displayPreparation_;
    std::optional<ReturnAction> returnAction_;
    WindowReturnOrigins returnOrigins_;

    std::vector<NativeDesktopState> desktops_;
    std::vector<DesktopWindow> records_;
    std::vector<OverviewProjectAssignment> projectSnapshot_;
    std::optional<std::pair<std::uint32_t, std::uint64_t>> selected_;
    std::optional<std::pair<bool, bool>> permissionSnapshot_;
    std::optional<std::string> actionRequest_;
    std::optional<std::string> managementRequest_;
    std::string statusMessage_;
    std::string signature_;
    std::optional<AssistantScreenConfiguration> cardConfiguration_;
    std::vector<ConnectedMonitor> cardMonitors_;
    bool resetActionsEnabled_ = true;
    bool inventoryHasLoaded_ = false;
    bool maintenanceBusy_ = false;
    bool draggingWindow_ = false;
    bool choosingProject_ = false;
    bool visible_ = false;
    bool busy_ = false;
    bool shutDown_ = false;
    int generation_ = 0;
};

} // namespace pellamor
