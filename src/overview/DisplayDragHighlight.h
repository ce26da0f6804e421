// The red border drawn around the physical screen whose card a window card is dragged over, so the person
// sees on which monitor the window will land.
#pragma once

#include "platform/NotificationCenter.h"

#include <QWidget>
#include <memory>
#include <optional>
#include <string>

namespace pellamor {

class DisplayDragHighlight {
public:
    static constexpr double lineWidth = 6.0;

    DisplayDragHighlight();
    ~DisplayDragHighlight();
    DisplayDragHighlight(const DisplayDragHighlight&) = delete;
    DisplayDragHighlight& operator=(const DisplayDragHighlight&) = delete;

    // Highlights the connected screen whose id matches ignoring case; hides when none does.
    void show(const std::string& display);
    // None hides whatever is shown; a display hides only when it is the one shown.
    void hide(const std::optional<std::string>& display = std::nullopt);

    // The highlighted screen's own id; none when hidden.
    const std::optional<std::string>& displayID() const { return displayID_; }
    // Made on the first show, then reused.
    QWidget* panel() const { return panel_.get(); }

private:
    std::unique_ptr<QWidget> panel_;
    std::optional<std::string> displayID_;
    // A notification already being delivered may still reach a destroyed highlight.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    ObserverToken screenObserver_;
};

} // namespace pellamor
