#include "windows/NativeWindowArrangementEnvironment.h"

#include "assistant/Localization.h"
#include "desktops/SystemRestorations.h"
#include "platform/Platform.h"
#include "windows/ArrangementScreens.h"

#include <algorithm>
#include <cmath>

namespace pellamor {

namespace {

const double messagingTimeout = 0.3;
const char* const enhancedUserInterface = "AXEnhancedUserInterface";

bool isTrue(const AXElementRef& element, const char* attribute)
{
    auto value = element->copyAttributeValue(attribute);
    const bool* flag = value ? value->as<bool>() : nullptr;
    return flag && *flag;
}

bool isSettable(const AXElementRef& element, const char* attribute)
{
    auto settable = element->isAttributeSettable(attribute);
    return settable && settable.value();
}

bool isReadable(const QRectF& rect)
{
    return isFiniteRect(rect) && rect.width() > 0 && rect.height() > 0;
}

} // namespace

NativeWindowArrangementEnvironment::NativeWindowArrangementEnvironment(std::shared_ptr<WindowSpaceRuntime> runtime,
    DesktopWindow record, WindowArrangement arrangement, ConnectedMonitor monitor, AXElementRef resolvedWindow,
    std::optional<QRectF> restoredFrame, Validation validation)
    : runtime_(std::move(runtime))
    , record_(std::move(record))
    , arrangement_(arrangement)
    , restoredFrame_(restoredFrame)
    , monitor_(std::move(monitor))
    , validation_(std::move(validation))
    , inventory_(runtime_ ? runtime_->desktops() : std::nullopt)
    , configuration_(ArrangementScreens::currentConfiguration())
    , application_(platform().accessibility().createApplication(record_.pid))
{
    application_->setMessagingTimeout(messagingTimeout);
    if (!runtime_ || !platform().accessibility().isProcessTrusted())
        return;
    window_ = resolvedWindow ? std::move(resolvedWindow) : runtime_->accessibilityWindow(record_);
    if (window_)
        window_->setMessagingTimeout(messagingTimeout);
}

std::string NativeWindowArrangementEnvironment::inaccessible() const
{
    return L("%@ ne permet pas d’accéder à cette fenêtre pour la disposer.", record_.application);
}

std::optional<std::string> NativeWindowArrangementEnvironment::validate()
{
    if (!platform().accessibility().isProcessTrusted())
        return L("Autorise l’accessibilité pour disposer cette fenêtre.");
    if (!window_)
        return inaccessible();
    if (runtime_->windowID(window_) != record_.id || !runtime_->identifiesOwner(record_)
        || runtime_->spaces(record_.id) != record_.spaces)
        return L("Cette fenêtre n’est plus accessible ou a changé de bureau. Actualise puis réessaie.");
    if (!inventory_ || runtime_->desktops() != inventory_
        || !ArrangementScreens::stillConnected(monitor_, ConnectedMonitor::read())
        || ArrangementScreens::currentConfiguration() != configuration_)
        return L("Les bureaux ou les écrans ont changé. La disposition a été arrêtée.");
    if (validation_)
        return validation_();
    return std::nullopt;
}

std::optional<std::string> NativeWindowArrangementEnvironment::prepare()
{
    if (!window_)
        return inaccessible();
    if (isTrue(window_, "AXFullScreen"))
        return L("Quitte le plein écran avant de disposer cette fenêtre.");
    if (isTrue(window_, "AXMinimized"))
        return L("Ouvre la fenêtre réduite depuis le Dock, puis réessaie.");
    std::optional<QRectF> current = actualFrame();
    std::vector<ConnectedMonitor> monitors = ConnectedMonitor::read();
    auto main = std::find_if(monitors.begin(), monitors.end(), [](auto& monitor) { return monitor.isMain; });
    auto screen
        = std::find_if(monitors.begin(), monitors.end(), [&](auto& monitor) { return monitor.id == monitor_.id; });
    if (!current || main == monitors.end() || screen == monitors.end())
        return L("macOS ne permet pas de lire la position ou la taille de cette fenêtre.");
    if (!isSettable(window_, "AXSize") || !isSettable(window_, "AXPosition"))
        return L("%@ ne permet pas de modifier la position ou la taille de cette fenêtre.", record_.application);

    originalFrame_ = current;
    QRectF area
        = WindowPlacementGeometry::accessibilityRect(screen->visibleFrame, main->frame.y() + main->frame.height());
    std::optional<QRectF> desired = target(area, *current);
    if (!desired)
        return L("La position d’origine de cette fenêtre n’est plus disponible.");
    desired_ = *desired;

    if (isTrue(application_, enhancedUserInterface)) {
        // Assistive software's enhanced interface makes some applications animate or refuse frame changes.
        restoreEnhancedUI_ = true;
        owner_ = SystemRestorations::runningInstance(record_.pid)
                     .value_or(SystemRestorations::ApplicationInstance { record_.pid, record_.bundleID, std::nullopt });
        SystemRestorations::recordEnhancedInterface(owner_);
        application_->setAttributeValue(enhancedUserInterface, false);
    }
    return std::nullopt;
}

std::optional<QRectF> NativeWindowArrangementEnvironment::target(const QRectF& area, const QRectF& current) const
{
    if (!restoredFrame_)
        return arrangement_.rect(current.size(), area);
    if (!isReadable(*restoredFrame_))
        return std::nullopt;
    double width = std::min(restoredFrame_->width(), area.width());
    double height = std::min(restoredFrame_->height(), area.height());
    double x = std::min(std::max(restoredFrame_->x(), area.left()), area.right() - width);
    double y = std::min(std::max(restoredFrame_->y(), area.top()), area.bottom() - height);
    return QRectF(x, y, width, height);
}

std::optional<std::string> NativeWindowArrangementEnvironment::writeSize()
{
    if (!window_)
        return L("Cette fenêtre n’est plus accessible.");
    if (window_->setAttributeValue("AXSize", desired_.size()) != AXError::success)
        return L("%@ a refusé la taille demandée.", record_.application);
    return std::nullopt;
}

std::optional<std::string> NativeWindowArrangementEnvironment::writePosition()
{
    if (!window_)
        return L("Cette fenêtre n’est plus accessible.");
    if (window_->setAttributeValue("AXPosition", desired_.topLeft()) == AXError::success)
        return std::nullopt;
    // A size already taken without its position would leave the window half arranged.
    if (!validate() && originalFrame_)
        window_->setAttributeValue("AXSize", originalFrame_->size());
    return L("%@ a refusé la position. La taille précédente a été redemandée.", record_.application);
}

std::optional<QRectF> NativeWindowArrangementEnvironment::actualFrame()
{
    if (!window_)
        return std::nullopt;
    auto position = window_->copyAttributeValue("AXPosition");
    auto size = window_->copyAttributeValue("AXSize");
    const QPointF* origin = position ? position->as<QPointF>() : nullptr;
    const QSizeF* extent = size ? size->as<QSizeF>() : nullptr;
    if (!origin || !extent)
        return std::nullopt;
    QRectF frame(*origin, *extent);
    if (!isReadable(frame))
        return std::nullopt;
    return frame;
}

std::optional<std::string> NativeWindowArrangementEnvironment::cleanup()
{
    if (!restoreEnhancedUI_)
        return std::nullopt;
    restoreEnhancedUI_ = false;
    std::optional<RunningApplication> running = platform().workspace().runningApplication(record_.pid);
    if (running && !running->terminated && running->bundleIdentifier.value_or("") == record_.bundleID.value_or("")) {
        application_->setAttributeValue(enhancedUserInterface, true);
        // Left recorded: the next launch tries again while this instance runs.
        if (!isTrue(application_, enhancedUserInterface))
            return L("%@ n’a pas confirmé le rétablissement de son état d’accessibilité.", record_.application);
    }
    SystemRestorations::forgetEnhancedInterface(owner_);
    return std::nullopt;
}

} // namespace pellamor
