// The progress of a removal of every extra desktop, shown as a sheet with a stop button.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>

#include "ui/Label.h"
#include <QProgressBar>


namespace pellamor {

class AlertSheet;

class DesktopResetProgressSheet {
public:
    explicit DesktopResetProgressSheet(std::size_t total);
    ~DesktopResetProgressSheet();
    DesktopResetProgressSheet(const DesktopResetProgressSheet&) = delete;
    DesktopResetProgressSheet& operator=(const DesktopResetProgressSheet&) = delete;

    // `onStop` runs when the user presses "Arrêter", never after finish().
    void begin(QWidget* window, std::function<void()> onStop);
    void update(std::size_t removed, std::size_t total);
    void finish();

    QWidget* accessory() const { return accessory_; }
    bool isFinished() const { return finished_; }

private:
    // The sheet owns these once shown and may delete them before this object goes.
    QPointer<QWidget> accessory_;
    QPointer<Label> label_;
    QPointer<QProgressBar> progress_;
    QPointer<AlertSheet> sheet_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool finished_ = false;
};

} // namespace pellamor
