#include "sim/AccessibilityTree.h"

#include "platform/HIServices.h"
#include "sim/DisplayGeometry.h"
#include "sim/SimulatedMac.h"
#include "sim/SymbolTable.h"

#include <QUrl>

#include <algorithm>

namespace pellamor::sim {

bool AccessibilityTree::isProcessTrusted()
{
    return mac_.world().permissions.accessibility;
}

bool AccessibilityTree::isProcessTrustedWithOptions(bool prompt)
{
    bool trusted = mac_.world().permissions.accessibility;
    if (prompt && !trusted)
        ++prompts;
    return trusted;
}

AXElementRef AccessibilityTree::createApplication(int pid)
{
    return applicationElement(pid);
}

void AccessibilityTree::registerSymbols()
{
    mac_.symbolTable().add(hiservices::frameworkPath, "_AXUIElementGetWindow",
        std::function<hiservices::GetWindow>([this](const AXElementRef& element, std::uint32_t* number) {
            std::lock_guard lock(mac_.modelMutex());
            for (const auto& [candidate, window] : windows_) {
                if (window != element)
                    continue;
                if (!mac_.window(candidate))
                    return AXError::invalidUIElement;
                if (number)
                    *number = candidate;
                return AXError::success;
            }
            return AXError::illegalArgument;
        }));
}

std::shared_ptr<AccessibilityElement> AccessibilityTree::applicationElement(int pid)
{
    std::lock_guard lock(mac_.modelMutex());
    auto& element = applications_[pid];
    if (element)
        return element;
    SimulatedMac& mac = mac_;
    element = std::make_shared<AccessibilityElement>(pid, [&mac, pid] {
        Application* application = mac.application(pid);
        return application && !application->terminated;
    });
    element->setGuard(&mac_.modelMutex());
    element->setConstant("AXRole", "AXApplication");
    element->setAttribute("AXTitle", [&mac, pid]() -> AXResult<AXValue> { return mac.application(pid)->name; });
    element->setAttribute("AXWindows", [this, pid] { return windowsOf(pid, false); });
    element->setAttribute("AXMainWindow", [this, pid] { return windowsOf(pid, true); });
    element->setAttribute(
        "AXEnhancedUserInterface",
        [&mac, pid]() -> AXResult<AXValue> { return mac.application(pid)->enhancedUserInterface; },
        [this, pid](const AXValue& value) { return writeEnhancedUserInterface(pid, value); });
    for (auto& extend : applicationExtensions)
        extend(*element, pid);
    return element;
}

AXResult<AXValue> AccessibilityTree::windowsOf(int pid, bool mainOnly)
{
    if (mac_.world().faults.windows.enumerationFails.count(pid))
        return AXError::cannotComplete;
    AXValue::Array windows;
    for (const Window& window : mac_.world().windows) {
        bool hidden = mac_.world().faults.windows.hidden.count(window.number);
        if (window.pid != pid || !mac_.isOnCurrentSpace(window) || hidden)
            continue;
        if (mainOnly && !window.minimized)
            return AXValue(windowElement(window.number));
        windows.push_back(windowElement(window.number));
    }
    if (mainOnly)
        return AXError::noValue;
    return AXValue(windows);
}

std::shared_ptr<AccessibilityElement> AccessibilityTree::windowElement(std::uint32_t number)
{
    std::lock_guard lock(mac_.modelMutex());
    auto& element = windows_[number];
    if (element)
        return element;
    SimulatedMac& mac = mac_;
    Window* window = mac.window(number);
    element = std::make_shared<AccessibilityElement>(
        window ? window->pid : 0, [&mac, number] { return mac.window(number) != nullptr; });
    element->setGuard(&mac_.modelMutex());
    element->setConstant("AXRole", "AXWindow");
    element->setAttribute("AXSubrole", [&mac, number]() -> AXResult<AXValue> { return mac.window(number)->subrole; });
    element->setAttribute("AXTitle", [&mac, number]() -> AXResult<AXValue> { return mac.window(number)->title; });
    element->setAttribute(
        "AXFullScreen", [&mac, number]() -> AXResult<AXValue> { return mac.window(number)->fullScreen; });
    element->setAttribute("AXDocument", [&mac, number]() -> AXResult<AXValue> {
        const std::optional<std::string>& document = mac.window(number)->document;
        if (!document)
            return AXError::noValue;
        return QUrl::fromLocalFile(QString::fromStdString(*document)).toString(QUrl::FullyEncoded).toStdString();
    });
    element->setAttribute(
        "AXMinimized", [&mac, number]() -> AXResult<AXValue> { return mac.window(number)->minimized; });
    auto movable = [&mac, number] { return mac.window(number)->movable; };
    auto resizable = [&mac, number] { return mac.window(number)->movable && mac.window(number)->resizable; };
    element->setAttribute(
        "AXPosition", [this, number] { return readFrame(number, true); },
        [this, number](const AXValue& value) { return writeFrame(number, value, true); }, movable);
    element->setAttribute(
        "AXSize", [this, number] { return readFrame(number, false); },
        [this, number](const AXValue& value) { return writeFrame(number, value, false); }, resizable);
    return element;
}

AXResult<AXValue> AccessibilityTree::readFrame(std::uint32_t number, bool position)
{
    if (mac_.world().faults.accessibility.framesUnreadableAfterWrite && writtenFrames_.count(number))
        return AXError::cannotComplete;
    const QRectF& frame = mac_.window(number)->frame;
    return position ? AXValue(frame.topLeft()) : AXValue(frame.size());
}

AXError AccessibilityTree::writeEnhancedUserInterface(int pid, const AXValue& value)
{
    const bool* enabled = value.as<bool>();
    if (!enabled)
        return AXError::illegalArgument;
    if (*enabled && mac_.world().faults.accessibility.enhancedUserInterfaceStaysOff)
        return AXError::success;
    Application* application = mac_.application(pid);
    if (application->enhancedUserInterface == *enabled)
        return AXError::success;
    application->enhancedUserInterface = *enabled;
    mac_.log().enhancedUserInterface(pid, *enabled);
    return AXError::success;
}

AXError AccessibilityTree::writeFrame(std::uint32_t number, const AXValue& value, bool position)
{
    const QPointF* point = value.as<QPointF>();
    const QSizeF* size = value.as<QSizeF>();
    if ((position && !point) || (!position && !size))
        return AXError::illegalArgument;
    const Faults& faults = mac_.world().faults;
    FrameWriteTarget target = faults.accessibility.frameWriteTarget;
    FrameWrites fault = target == FrameWriteTarget::both || (target == FrameWriteTarget::position) == position
        ? faults.frameWrites
        : FrameWrites::applied;
    if (fault == FrameWrites::refused)
        return AXError::cannotComplete;
    writtenFrames_.insert(number);
    if (fault == FrameWrites::ignored)
        return AXError::success;
    // Writes not yet applied count, so that a late position and a late size do not undo each other.
    auto pending = pendingFrames_.find(number);
    QRectF frame = pending != pendingFrames_.end() ? pending->second : mac_.window(number)->frame;
    const std::optional<QSizeF>& maximum = mac_.window(number)->maximumSize;
    if (position)
        frame.moveTopLeft(*point);
    else
        frame.setSize(maximum ? size->boundedTo(*maximum) : *size);
    if (fault == FrameWrites::clamped && !mac_.world().displays.empty()) {
        const Display* main = nullptr;
        for (const Display& display : mac_.world().displays)
            if (display.main || !main)
                main = &display;
        double mainTop = main->frame.y() + main->frame.height();
        QRectF area = visibleArea(*main, mainTop);
        for (const Display& display : mac_.world().displays)
            if (visibleArea(display, mainTop).contains(frame.topLeft()))
                area = visibleArea(display, mainTop);
        frame = clampInto(frame, area);
    }
    if (fault == FrameWrites::late) {
        pendingFrames_[number] = frame;
        mac_.mainQueue().asyncAfter(faults.frameWriteDelay, [this, number, frame] {
            auto pending = pendingFrames_.find(number);
            if (pending != pendingFrames_.end() && pending->second == frame)
                pendingFrames_.erase(pending);
            if (mac_.window(number))
                mac_.setWindowFrame(number, frame);
        });
        return AXError::success;
    }
    mac_.setWindowFrame(number, frame);
    return AXError::success;
}

} // namespace pellamor::sim
