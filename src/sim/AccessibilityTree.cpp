#include "sim/AccessibilityTree.h"

#include "platform/HIServices.h"
#include "sim/SimulatedMac.h"
#include "sim/SymbolTable.h"

#include <QUrl>

#include <algorithm>

namespace pellamor::sim {

namespace {

// A display's visible area in top-left coordinates, whose origin is the main display's top-left corner.
QRectF visibleArea(const Display& display, double mainTop)
{
    const QRectF& visible = display.visibleFrame;
    return QRectF(visible.x(), mainTop - (visible.y() + visible.height()), visible.width(), visible.height());
}

QRectF clampInto(QRectF frame, const QRectF& area)
{
    frame.setWidth(std::min(frame.width(), area.width()));
    frame.setHeight(std::min(frame.height(), area.height()));
    frame.moveLeft(std::clamp(frame.x(), area.left(), area.left() + area.width() - frame.width()));
    frame.moveTop(std::clamp(frame.y(), area.top(), area.top() + area.height() - frame.height()));
    return frame;
}

} // namespace

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
        if (window.pid != pid || !mac_.isOnCurrentSpace(window) || mac_.world().faults.windows.hidden.count(window.number))
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
    element->setAttribute(
        "AXPosition", [&mac, number]() -> AXResult<AXValue> { return mac.window(number)->frame.topLeft(); },
        [this, number](const AXValue& value) { return writeFrame(number, value, true); }, movable);
    element->setAttribute(
        "AXSize", [&mac, number]() -> AXResult<AXValue> { return mac.window(number)->frame.size(); },
        [this, number](const AXValue& value) { return writeFrame(number, value, false); }, movable);
    return element;
}

AXError AccessibilityTree::writeFrame(std::uint32_t number, const AXValue& value, bool position)
{
    const QPointF* point = value.as<QPointF>();
    const QSizeF* size = value.as<QSizeF>();
    if ((position && !point) || (!position && !size))
        return AXError::illegalArgument;
    const Faults& faults = mac_.world().faults;
    if (faults.frameWrites == FrameWrites::refused)
        return AXError::cannotComplete;
    if (faults.frameWrites == FrameWrites::ignored)
        return AXError::success;
    // Writes not yet applied count, so that a late position and a late size do not undo each other.
    auto pending = pendingFrames_.find(number);
    QRectF frame = pending != pendingFrames_.end() ? pending->second : mac_.window(number)->frame;
    if (position)
        frame.moveTopLeft(*point);
    else
        frame.setSize(*size);
    if (faults.frameWrites == FrameWrites::clamped && !mac_.world().displays.empty()) {
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
    if (faults.frameWrites == FrameWrites::late) {
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
