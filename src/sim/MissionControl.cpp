#include "sim/MissionControl.h"

#include "platform/Dock.h"
#include "sim/AccessibilityTree.h"
#include "sim/SimulatedMac.h"
#include "sim/SymbolTable.h"

#include <algorithm>

namespace pellamor::sim {

namespace {

const char* const dockBundleID = "com.apple.dock";

AXValue::Array elements(const std::vector<std::shared_ptr<AccessibilityElement>>& list)
{
    return AXValue::Array(list.begin(), list.end());
}

} // namespace

MissionControl::MissionControl(SimulatedMac& mac)
    : mac_(mac)
{
    World& world = mac_.world();
    // macOS always runs the Dock.
    Application* dock = mac_.application(dockBundleID);
    if (!dock) {
        int pid = 1;
        for (const Application& application : world.applications)
            pid = std::max(pid, application.pid + 1);
        world.applications.push_back({ pid, dockBundleID, "Dock", "/System/Library/CoreServices/Dock.app",
            ActivationPolicy::accessory, mac_.uptime(), false });
        dock = &world.applications.back();
    }
    dockPid_ = dock->pid;
    mac_.symbolTable().add(dock::applicationServicesPath, "CoreDockSendNotification",
        std::function<dock::SendNotification>([this](const std::string& name, std::int32_t) {
            if (name == "com.apple.expose.awake")
                toggle();
        }));
    mac_.accessibilityTree().applicationExtensions.push_back([this](AccessibilityElement& element, int pid) {
        if (pid == dockPid_)
            element.setAttribute("AXChildren", [this] { return dockChildren(); });
    });
    if (world.faults.missionControl.openedByUser) {
        shown_ = true;
        shownAt_ = mac_.uptime();
        ++showing_;
    }
}

void MissionControl::toggle()
{
    shown_ = !shown_;
    if (shown_) {
        shownAt_ = mac_.uptime();
        ++showing_;
    }
    root_.reset();
    displays_.clear();
    thumbnails_.clear();
    mac_.log().missionControl(shown_);
}

AXResult<AXValue> MissionControl::dockChildren()
{
    if (!shown_)
        return AXValue(AXValue::Array {});
    if (!root_) {
        root_ = makeElement("mc");
        root_->setAttribute("AXChildren", [this]() -> AXResult<AXValue> {
            std::vector<Element> children;
            for (const Display& display : mac_.world().displays)
                children.push_back(displayElement(display.id));
            return AXValue(elements(children));
        });
    }
    return AXValue(AXValue::Array { root_ });
}

MissionControl::Element MissionControl::makeElement(const std::string& identifier)
{
    auto showing = showing_;
    auto element
        = std::make_shared<AccessibilityElement>(dockPid_, [this, showing] { return shown_ && showing_ == showing; });
    element->setConstant("AXIdentifier", identifier);
    return element;
}

MissionControl::Element MissionControl::displayElement(const std::string& id)
{
    auto& element = displays_[id];
    if (element)
        return element;
    element = makeElement("mc.display");
    const Display* display = mac_.display(id);
    element->setConstant("AXDisplayID", std::int64_t(display ? display->number : 0));

    auto add = makeElement("mc.spaces.add");
    add->setConstant("AXRole", "AXButton");
    add->setAttribute("AXEnabled", [this]() -> AXResult<AXValue> { return buttonsUsable(); });
    add->setAction("AXPress", [this, id] { return press(id, [this, id] { addDesktop(id); }); });

    auto list = makeElement("mc.spaces.list");
    list->setAttribute("AXChildren", [this, id] { return thumbnails(id); });

    auto spaces = makeElement("mc.spaces");
    spaces->setConstant("AXChildren", AXValue::Array { add, list });
    element->setConstant("AXChildren", AXValue::Array { spaces });
    return element;
}

AXResult<AXValue> MissionControl::thumbnails(const std::string& id)
{
    const Display* display = mac_.display(id);
    if (!display)
        return AXError::invalidUIElement;
    std::vector<Element> row;
    for (const Space& space : display->spaces)
        row.push_back(thumbnail(space.id));
    if (mac_.world().faults.missionControl.extraThumbnail)
        row.push_back(thumbnail(0));
    if (mac_.world().faults.missionControl.reversedThumbnails)
        std::reverse(row.begin(), row.end());
    return AXValue(elements(row));
}

MissionControl::Element MissionControl::thumbnail(std::uint64_t space)
{
    auto& element = thumbnails_[space];
    if (element)
        return element;
    element = makeElement("mc.spaces.list.item");
    element->setConstant("AXRole", "AXButton");
    element->setAttribute("AXDescription", [this, space] { return description(space); });
    element->setAttribute("AXEnabled", [this]() -> AXResult<AXValue> { return buttonsUsable(); });
    element->setAction("AXRemoveDesktop", [this, space] {
        Display* holder = mac_.displayHolding(space);
        if (!holder)
            return AXError::invalidUIElement;
        return press(holder->id, [this, space] { removeDesktop(space); });
    });
    return element;
}

AXResult<AXValue> MissionControl::description(std::uint64_t space)
{
    const Display* display = mac_.displayHolding(space);
    if (!display)
        return AXError::noValue;
    int number = 0;
    for (const Space& other : display->spaces) {
        if (other.type == desktopSpaceType)
            ++number;
        if (other.id != space)
            continue;
        if (other.type == desktopSpaceType)
            return AXValue(desktopWord() + " " + std::to_string(number));
        break;
    }
    // A full-screen space is named after the application of its window.
    for (const Window& window : mac_.world().windows) {
        const Application* owner = mac_.application(window.pid);
        if (owner && std::find(window.spaces.begin(), window.spaces.end(), space) != window.spaces.end())
            return AXValue(owner->name);
    }
    return AXError::noValue;
}

std::string MissionControl::desktopWord()
{
    auto languages = mac_.preferredLanguages();
    return !languages.empty() && languages.front().rfind("fr", 0) == 0 ? "Bureau" : "Desktop";
}

bool MissionControl::buttonsUsable() const
{
    const auto& faults = mac_.world().faults.missionControl;
    return !faults.buttonNeverUsable && mac_.uptime() >= shownAt_ + faults.buttonDelay;
}

AXError MissionControl::press(const std::string& display, std::function<void()> change)
{
    const auto& faults = mac_.world().faults.missionControl;
    if (faults.pressRefused)
        return AXError::cannotComplete;
    if (faults.changeNeverShows)
        return AXError::success;
    mac_.mainQueue().asyncAfter(faults.changeDelay, [this, display, change = std::move(change)] {
        change();
        if (mac_.world().faults.missionControl.unrelatedChange)
            unrelatedChange(display);
    });
    return AXError::success;
}

void MissionControl::addDesktop(const std::string& id)
{
    Display* display = mac_.display(id);
    if (!display)
        return;
    // After the last ordinary desktop: full-screen spaces stay at the end.
    std::size_t position = 0;
    for (std::size_t index = 0; index < display->spaces.size(); ++index)
        if (display->spaces[index].type == desktopSpaceType)
            position = index + 1;
    mac_.addSpace(id, position);
}

void MissionControl::removeDesktop(std::uint64_t space)
{
    std::size_t position = 0;
    Display* display = mac_.displayHolding(space, &position);
    if (!display)
        return;
    // Its windows go to the nearest other desktop of the display, the one before it first.
    std::optional<std::uint64_t> neighbour;
    for (std::size_t index = 0; index < display->spaces.size(); ++index) {
        const Space& other = display->spaces[index];
        if (other.type != desktopSpaceType || other.id == space)
            continue;
        if (!neighbour || index < position)
            neighbour = other.id;
    }
    if (!neighbour)
        return;
    for (Window& window : mac_.world().windows) {
        // A window already on the neighbour as well stays listed there once.
        std::vector<std::uint64_t> spaces;
        for (std::uint64_t on : window.spaces) {
            std::uint64_t moved = on == space ? *neighbour : on;
            if (std::find(spaces.begin(), spaces.end(), moved) == spaces.end())
                spaces.push_back(moved);
        }
        mac_.setWindowSpaces(window.number, spaces);
    }
    mac_.removeSpace(space);
}

void MissionControl::unrelatedChange(const std::string& display)
{
    auto& displays = mac_.world().displays;
    auto other = std::find_if(displays.begin(), displays.end(), [&](const Display& d) { return d.id != display; });
    if (other != displays.end())
        mac_.addSpace(other->id, other->spaces.size());
    else
        mac_.addSpace(display, 0);
}

} // namespace pellamor::sim
