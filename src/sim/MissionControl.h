// The Dock's Mission Control on the simulated Mac: shown and hidden by the Dock notification, with its
// Accessibility tree of displays, desktop thumbnails, the add button and the remove action.
#pragma once

#include "sim/AccessibilityElement.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace pellamor::sim {

class SimulatedMac;

class MissionControl {
public:
    // Registers "CoreDockSendNotification" and gives the Dock's application element its Mission Control child.
    explicit MissionControl(SimulatedMac& mac);

    bool isShown() const { return shown_; }
    // Shows or hides it, as "com.apple.expose.awake" does.
    void toggle();

private:
    using Element = std::shared_ptr<AccessibilityElement>;

    AXResult<AXValue> dockChildren();
    Element makeElement(const std::string& identifier);
    Element displayElement(const std::string& display);
    AXResult<AXValue> thumbnails(const std::string& display);
    Element thumbnail(std::uint64_t space);
    // What the Dock says of a thumbnail: "Bureau 2" (the word in the machine's language, the desktop's number
    // on its display), or a full-screen space's application.
    AXResult<AXValue> description(std::uint64_t space);
    std::string desktopWord();
    bool buttonsUsable() const;
    AXError press(const std::string& display, std::function<void()> change);
    void addDesktop(const std::string& display);
    void removeDesktop(std::uint64_t space);
    void unrelatedChange(const std::string& display);

    SimulatedMac& mac_;
    bool shown_ = false;
    double shownAt_ = 0;
    // Raised at every showing: the elements of an earlier showing are gone.
    std::uint64_t showing_ = 0;
    Element root_;
    std::map<std::string, Element> displays_;
    std::map<std::uint64_t, Element> thumbnails_;
    int dockPid_ = 0;
};

} // namespace pellamor::sim
