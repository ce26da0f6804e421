// Alerts shown as sheets: a style, texts and buttons answered with 1000 for the first button, 1001, …
#pragma once

#include "ui/SheetHost.h"

#include <QPixmap>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

enum class AlertStyle { warning, informational, critical };

inline constexpr int alertFirstButtonReturn = 1000;

struct Alert {
    AlertStyle style = AlertStyle::warning;
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons;
    std::optional<QPixmap> icon;
    // Shown under the texts; the sheet takes ownership.
    QWidget* accessoryView = nullptr;
    // The button that Return presses.
    std::size_t returnButton = 0;
    // A button drawn as destructive.
    std::optional<std::size_t> destructiveButton;
};

// The presented alert. Clicking a button, or `respond`, ends the sheet and calls the completion once.
class AlertSheet : public SheetDialog {
    Q_OBJECT
public:
    // Null, calling nothing, when the window already has a sheet.
    static AlertSheet* begin(QWidget* window, Alert alert, std::function<void(int response)> completion = {});

    const Alert& alert() const { return alert_; }
    void respond(int response);

private:
    AlertSheet(Alert alert, std::function<void(int)> completion);

    Alert alert_;
    std::function<void(int)> completion_;
};

} // namespace pellamor
