#include "sim/OwnWindows.h"

#include "sim/DisplayGeometry.h"
#include "sim/SimulatedMac.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace pellamor::sim {

namespace {

// The level of AppKit's pop-up menus.
const std::int64_t popUpMenuLayer = 101;
// A sheet of a sheet of… is attached to a window all the same; deeper chains are not followed.
const int deepestAttachment = 8;

// The display under the frame's centre, else the main display; null without displays.
Display* displayUnder(std::vector<Display>& displays, const QRectF& frame)
{
    auto main = std::find_if(displays.begin(), displays.end(), [](const Display& d) { return d.main; });
    if (main == displays.end())
        main = displays.begin();
    if (main == displays.end())
        return nullptr;
    const double mainTop = main->frame.y() + main->frame.height();
    for (Display& display : displays) {
        if (topLeftArea(display.frame, mainTop).contains(frame.center()))
            return &display;
    }
    return &*main;
}

} // namespace

OwnWindows::OwnWindows(SimulatedMac& mac)
    : mac_(mac)
{
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application)
        return;
    application->installEventFilter(this);
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            track(*widget, true);
    }
}

void OwnWindows::setAttributes(const QObject& window, const OwnWindowAttributes& attributes)
{
    std::lock_guard lock(mac_.modelMutex());
    entry(window).declared = attributes;
}

std::optional<OwnWindowAttributes> OwnWindows::declared(const QObject* window) const
{
    std::lock_guard lock(mac_.modelMutex());
    auto found = entries_.find(window);
    return found == entries_.end() ? std::nullopt : found->second.declared;
}

std::optional<OwnWindowAttributes> OwnWindows::numbered(std::uint32_t number) const
{
    std::lock_guard lock(mac_.modelMutex());
    for (const auto& [window, entry] : entries_) {
        if (number == 0 || entry.number != number)
            continue;
        if (entry.declared)
            return entry.declared;
        // A sheet or dialog travels with the window it is attached to, on that window's Spaces.
        auto parent = entry.parent ? entries_.find(entry.parent) : entries_.end();
        if (parent != entries_.end() && parent->second.declared)
            return OwnWindowAttributes { .collectionBehavior = parent->second.declared->collectionBehavior };
        return OwnWindowAttributes {};
    }
    return std::nullopt;
}

std::vector<OwnWindows::Shown> OwnWindows::shown() const
{
    std::vector<Shown> windows;
    for (const auto& [window, entry] : entries_) {
        if (!entry.shown)
            continue;
        Shown listed { entry.number, entry.declared ? entry.declared->level : 0, entry.frame, entry.title, {}, false };
        if (!entry.declared && entry.popUp)
            listed.layer = popUpMenuLayer;
        listed.spaces = spacesOf(entry, listed.allSpaces);
        windows.push_back(std::move(listed));
    }
    std::sort(windows.begin(), windows.end(), [](const Shown& a, const Shown& b) { return a.number < b.number; });
    return windows;
}

bool OwnWindows::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide && type != QEvent::Move && type != QEvent::Resize
        && type != QEvent::WindowTitleChange)
        return false;
    if (!watched->isWidgetType())
        return false;
    const auto* widget = static_cast<const QWidget*>(watched);
    if (!widget->isWindow())
        return false;
    std::lock_guard lock(mac_.modelMutex());
    if (type == QEvent::Hide)
        entry(*widget).shown = false;
    else
        track(*widget, type == QEvent::Show);
    return false;
}

OwnWindows::Entry& OwnWindows::entry(const QObject& window)
{
    auto [found, inserted] = entries_.try_emplace(&window);
    if (inserted) {
        connect(&window, &QObject::destroyed, this, [this, key = &window] {
            std::lock_guard lock(mac_.modelMutex());
            entries_.erase(key);
        });
    }
    return found->second;
}

void OwnWindows::track(const QWidget& widget, bool showing)
{
    std::lock_guard lock(mac_.modelMutex());
    Entry& tracked = entry(widget);
    std::vector<Display>& displays = mac_.world().displays;
    const Display* before = tracked.shown ? displayUnder(displays, tracked.frame) : nullptr;
    tracked.frame = QRectF(widget.frameGeometry());
    tracked.title = widget.windowTitle().toStdString();
    const QWidget* parent = widget.parentWidget();
    tracked.parent = parent ? parent->window() : nullptr;
    tracked.popUp = widget.windowType() == Qt::Popup || widget.windowType() == Qt::ToolTip;
    if (showing && !tracked.number)
        tracked.number = freshNumber();
    // Shown again, or taken to another display: it lands on that display's current desktop.
    const Display* now = displayUnder(displays, tracked.frame);
    if ((showing && !tracked.shown) || (tracked.shown && now != before))
        tracked.space = now ? now->current : 0;
    tracked.shown = tracked.shown || showing;
}

std::vector<std::uint64_t> OwnWindows::spacesOf(const Entry& entry, bool& allSpaces, int depth) const
{
    auto parent = entry.parent ? entries_.find(entry.parent) : entries_.end();
    if (parent != entries_.end() && depth < deepestAttachment)
        return spacesOf(parent->second, allSpaces, depth + 1);
    std::vector<Display>& displays = mac_.world().displays;
    allSpaces = entry.declared && (entry.declared->collectionBehavior & windowCollectionBehavior::canJoinAllSpaces);
    std::vector<std::uint64_t> spaces;
    if (allSpaces) {
        for (const Display& display : displays)
            for (const Space& space : display.spaces)
                spaces.push_back(space.id);
        return spaces;
    }
    // A desktop removed, or a display gone, since: the window is on the current desktop of the display under it.
    if (mac_.displayHolding(entry.space))
        return { entry.space };
    if (const Display* display = displayUnder(displays, entry.frame))
        spaces.push_back(display->current);
    return spaces;
}

constexpr std::uint32_t firstNumber = 100000;

std::uint32_t OwnWindows::freshNumber()
{
    // Numbers of a range of their own, so that a window the script or a test adds later cannot take one.
    lastNumber_ = std::max(lastNumber_, firstNumber - 1);
    for (const Window& window : mac_.world().windows)
        lastNumber_ = std::max(lastNumber_, window.number);
    return ++lastNumber_;
}

} // namespace pellamor::sim
