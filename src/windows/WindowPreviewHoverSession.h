// Polls the pointer at 60 Hz while a preview is shown and reports, once, that it left the hovered area.
#pragma once

#include "platform/Timer.h"

#include <QPointF>
#include <functional>
#include <memory>
#include <optional>

namespace pellamor {

class WindowPreviewHoverSession : public std::enable_shared_from_this<WindowPreviewHoverSession> {
public:
    static constexpr double interval = 1.0 / 60;

    WindowPreviewHoverSession(std::function<QPointF()> pointerLocation,
        std::function<bool(const QPointF&)> containsPoint, std::function<void()> onExit);
    WindowPreviewHoverSession(const WindowPreviewHoverSession&) = delete;
    WindowPreviewHoverSession& operator=(const WindowPreviewHoverSession&) = delete;

    bool isActive() const { return isActive_; }
    void setActive(bool active) { isActive_ = active; }
    // Checks at once, then on every tick; the session must be owned by a std::shared_ptr.
    void start();
    void stop();
    // Without a point, asks for the pointer's location.
    void check(std::optional<QPointF> point = std::nullopt);

    std::function<QPointF()> pointerLocation;
    std::function<bool(const QPointF&)> containsPoint;
    std::function<void()> onExit;

private:
    std::unique_ptr<RepeatingTimer> timer_;
    std::int64_t generation_ = 0;
    bool isActive_ = false;
};

} // namespace pellamor
