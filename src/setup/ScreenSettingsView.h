// The "Ton assistant" pane: the assistant, its dedicated screen chosen on a pop-up or on the screen map, and
// the placement of the assistant's window there.
#pragma once

#include "desktops/ScreenPlacement.h"
#include "platform/NotificationCenter.h"
#include "ui/ColorTable.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;

namespace pellamor {

class Label;
class ScreenMapView;
class SegmentedControl;

class ScreenSettingsView : public QWidget {
    Q_OBJECT
public:
    explicit ScreenSettingsView(QWidget* parent = nullptr);

    // Asked before a newly chosen assistant or screen is saved; false keeps the saved configuration.
    std::function<bool()> canChangeConfiguration = [] { return true; };
    // A text refuses to place the assistant's window and is shown instead.
    std::function<std::optional<std::string>()> placementBlockingReason;

    // What the pane shows, for its owner's tests.
    const AssistantScreenConfiguration& configuration() const { return configuration_; }
    ScreenMapView* map() const { return map_; }
    QComboBox* monitorPicker() const { return monitorPicker_; }
    SegmentedControl* assistantPicker() const { return assistantPicker_; }
    QPushButton* placeButton() const { return placeButton_; }
    Label* summary() const { return summary_; }
    Label* spacesNote() const { return spacesNote_; }
    Label* status() const { return status_; }

private:
    void build();
    void refresh();
    void updateConfiguration(AssistantScreenConfiguration proposed);
    void changeAssistant();
    void changeMonitor();
    void place();
    void showStatus(const std::string& text, ColorRole colour);

    AssistantScreenConfiguration configuration_;
    std::vector<ConnectedMonitor> monitors_;
    ScreenMapView* map_;
    SegmentedControl* assistantPicker_;
    QComboBox* monitorPicker_;
    Label* summary_;
    Label* trackingNote_;
    Label* roleNote_;
    Label* spacesNote_;
    QPushButton* placeButton_;
    Label* status_;
    std::vector<ObserverToken> observers_;
};

} // namespace pellamor
