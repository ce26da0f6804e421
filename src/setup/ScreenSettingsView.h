// The "Ton assistant" pane: the assistant and its dedicated screen.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

namespace pellamor {

class ScreenSettingsView : public QWidget {
    Q_OBJECT
public:
    explicit ScreenSettingsView(QWidget* parent = nullptr);

    // Asked before a newly chosen assistant or screen is saved; false keeps the saved configuration.
    std::function<bool()> canChangeConfiguration = [] { return true; };
    // A text refuses to place the assistant's window and is shown instead.
    std::function<std::optional<std::string>()> placementBlockingReason;
};

} // namespace pellamor
