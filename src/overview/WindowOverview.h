// The overview of the "windows" tab: the tracking band, the setup panel's status and the shell's callbacks.
#pragma once

#include "desktops/DesktopModel.h"
#include "desktops/MissionControl.h"
#include "desktops/OverviewProjectAssignment.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

namespace pellamor {

class Label;
class SwitchControl;

class WindowOverviewView : public QWidget {
    Q_OBJECT
public:
    explicit WindowOverviewView(QWidget* parent = nullptr);

    void setTrackingControls(QWidget* band, SwitchControl* toggle);
    void updateResetState(bool enabled);
    void updateTrackingState(bool enabled);
    void configurationChanged();
    // Shown: refreshes while its tab is shown; hidden: closes what is transient.
    void setOverviewVisible(bool visible);
    void setMaintenanceBusy(bool busy);
    bool isInteracting() const { return busy_; }
    void showResetStatus(const std::string& text, bool error);
    void shutdown();

    bool overviewVisible() const { return visible_; }
    bool resetEnabled() const { return resetEnabled_; }
    bool trackingEnabled() const { return trackingEnabled_; }
    int configurationRevision() const { return configurationRevision_; }
    bool isShutDown() const { return shutDown_; }

    std::function<void()> onUserInteraction = [] {};
    std::function<void(const std::string& text, bool isError)> onStatusMessage;
    std::function<std::vector<OverviewProjectAssignment>(const std::vector<NativeDesktopState>& inventory)>
        projectAssignments;
    std::function<void()> refreshProjects;
    std::function<void()> onShowPrivacy;
    std::function<void()> onClearProjectAssignments;
    std::function<void()> onDeleteAllDesktops;
    std::function<void(const std::string& projectID, std::function<void(std::optional<std::string>)> completion)>
        removeUnavailableProject;
    std::function<bool()> beginAction;
    std::function<void()> endAction;

private:
    // Opens a window's desktop; its own, apart from the one automatic switching uses.
    MissionControlSwitcher desktopSwitcher_;
    QWidget* bandSlot_;
    Label* status_;
    bool visible_ = false;
    bool busy_ = false;
    bool maintenanceBusy_ = false;
    bool resetEnabled_ = false;
    bool trackingEnabled_ = false;
    bool shutDown_ = false;
    int configurationRevision_ = 0;
};

} // namespace pellamor
