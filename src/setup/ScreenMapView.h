// The clickable schematic of the connected screens, with the assistant's dedicated screen marked.
#pragma once

#include "desktops/ScreenPlacement.h"

#include <QRectF>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

namespace ScreenMapLayout {

struct MonitorRect {
    // Position in the list of screens.
    std::size_t index;
    // In the map's unflipped coordinates: the origin at the bottom left, as in screen coordinates.
    QRectF rect;
};

// Each screen's card, arranged as the screens are and scaled to fit the bounds; none when nothing can be drawn.
std::vector<MonitorRect> monitorRects(const std::vector<ConnectedMonitor>& monitors, const QRectF& bounds);
// The screen whose card holds the point, the first in the list order.
std::optional<std::size_t> monitorAt(
    const std::vector<ConnectedMonitor>& monitors, const QRectF& bounds, const QPointF& point);
bool isDedicated(const ConnectedMonitor& monitor, const AssistantScreenConfiguration& configuration);
// One phrase per screen, joined by ". ".
std::string accessibilityValue(
    const std::vector<ConnectedMonitor>& monitors, const AssistantScreenConfiguration& configuration);

} // namespace ScreenMapLayout

class ScreenMapView : public QWidget {
    Q_OBJECT
public:
    explicit ScreenMapView(QWidget* parent = nullptr);

    const std::vector<ConnectedMonitor>& monitors() const { return monitors_; }
    void setMonitors(std::vector<ConnectedMonitor> monitors);
    const AssistantScreenConfiguration& configuration() const { return configuration_; }
    void setConfiguration(AssistantScreenConfiguration configuration);
    std::function<void(const std::string& monitorID)> onSelectMonitor;
    // The middle of that screen's card, in the view's coordinates; none when the map draws no card for it.
    std::optional<QPointF> screenPoint(const std::string& monitorID) const;

    void setAccessibilityValue(const std::string& value);
    const std::string& accessibilityValue() const { return accessibilityValue_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRectF unflippedBounds() const;
    // A rectangle of the unflipped space in the widget's top-left coordinates.
    QRectF flipped(const QRectF& rect) const;

    std::vector<ConnectedMonitor> monitors_;
    AssistantScreenConfiguration configuration_;
    std::string accessibilityValue_;
};

} // namespace pellamor
