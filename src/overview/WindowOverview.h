// The controller behind the "windows" tab: it holds the live model the setup panel shows (desktops, windows,
// projects, permissions, window cards), refreshes it every 5 seconds while the tab is shown, answers the
// panel's callbacks and ends every window action once.
#pragma once

#include "desktops/DesktopModel.h"
#include "desktops/MissionControl.h"
#include "desktops/OverviewProjectAssignment.h"
#include "desktops/ScreenPlacement.h"
#include "overview/DisplayDragHighlight.h"
#include "platform/NotificationCenter.h"
#include "platform/Timer.h"
#include "windows/DesktopWindow.h"
#include "windows/WindowInventoryReader.h"
#include "windows/WindowSpaceRuntime.h"
#include "ui/Popover.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

class ProjectDesktopSetupView;
class SwitchControl;
class WindowThumbnail;

class WindowOverviewView : public QWidget {
    Q_OBJECT
public:
    static constexpr double refreshInterval = 5.0;

    explicit WindowOverviewView(QWidget* parent = nullptr);
    ~WindowOverviewView() override;

    std::function<std::vector<OverviewProjectAssignment>(const std::vector<NativeDesktopState>& inventory)>
        projectAssignments;
    std::function<void(const std::string& projectID, std::function<void(std::optional<std::string>)> completion)>
        removeUnavailableProject;
    std::function<bool()> beginAction;
    std::function<void()> endAction;
    std::function<void()> refreshProjects;
    std::function<void(const std::string& text, bool isError)> onStatusMessage;
    std::function<void()> onUserInteraction = [] {};
    std::function<void()> onShowPrivacy;
    std::function<void()> onClearProjectAssignments;
    std::function<void()> onDeleteAllDesktops;

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

    // The cards' four flags and the panel's controls, from the current state.
    void updateControls();
    void renderInventory(const AssistantScreenConfiguration& configuration);
    WindowThumbnail* makeWindowCard(const DesktopWindow& window, std::uint64_t source, int number, bool isOnDisplay,
        bool showsApplicationIdentity);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void installPanelCallbacks();
    void periodicRefresh();
    void refreshPermissionStatus();
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
