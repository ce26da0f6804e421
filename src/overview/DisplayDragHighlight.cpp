#include "overview/DisplayDragHighlight.h"

#include "desktops/ScreenPlacement.h"
#include "platform/Platform.h"
#include "desktops/CleanText.h"

#include <QPainter>
#include <algorithm>

namespace pellamor {
namespace {

class DisplayBorderPanel final : public QWidget {
public:
    DisplayBorderPanel()
        : QWidget(nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                  | Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        platform().windowList().setOwnWindowAttributes(*this,
            { screenSaverWindowLevel,
                windowCollectionBehavior::canJoinAllSpaces | windowCollectionBehavior::stationary
                    | windowCollectionBehavior::ignoresCycle | windowCollectionBehavior::fullScreenAuxiliary,
                true, false });
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(QColor(255, 59, 48));
        pen.setWidthF(DisplayDragHighlight::lineWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        const double inset = DisplayDragHighlight::lineWidth / 2;
        painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }
};

// The screen's frame in Qt's top-left global coordinates, flipped about the main screen's top.
QRect globalFrame(const ConnectedMonitor& monitor, const std::vector<ConnectedMonitor>& monitors)
{
    auto main = std::find_if(monitors.begin(), monitors.end(), [](const auto& each) { return each.isMain; });
    const QRectF mainFrame = main != monitors.end() ? main->frame : monitor.frame;
    return WindowPlacementGeometry::accessibilityRect(monitor.frame, mainFrame.y() + mainFrame.height()).toRect();
}

} // namespace

DisplayDragHighlight::DisplayDragHighlight()
{
    std::weak_ptr<bool> alive = alive_;
    screenObserver_ = platform().defaultCenter().addObserver(
        screenParametersChangedNotification, nullptr, [this, alive](const Notification&) {
            if (alive.lock())
                hide();
        });
}

DisplayDragHighlight::~DisplayDragHighlight()
{
    screenObserver_.reset();
    if (panel_)
        panel_->hide();
}

void DisplayDragHighlight::show(const std::string& display)
{
    const auto monitors = ConnectedMonitor::read();
    auto monitor = std::find_if(monitors.begin(), monitors.end(),
        [&](const ConnectedMonitor& each) { return equalIgnoringCase(each.id, display); });
    if (monitor == monitors.end()) {
        hide();
        return;
    }
    const QRect frame = globalFrame(*monitor, monitors);
    if (displayID_ == monitor->id && panel_ && panel_->isVisible() && panel_->geometry() == frame)
        return;
    if (!panel_)
        panel_ = std::make_unique<DisplayBorderPanel>();
    panel_->setGeometry(frame);
    panel_->update();
    displayID_ = monitor->id;
    panel_->show();
    panel_->raise();
}

void DisplayDragHighlight::hide(const std::optional<std::string>& display)
{
    if (display && !(displayID_ && equalIgnoringCase(*displayID_, *display)))
        return;
    if (panel_)
        panel_->hide();
    displayID_.reset();
}

} // namespace pellamor
