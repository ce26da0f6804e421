#include "windows/WindowPreviewHoverSession.h"

#include "platform/Platform.h"

namespace pellamor {

WindowPreviewHoverSession::WindowPreviewHoverSession(std::function<QPointF()> pointerLocation,
    std::function<bool(const QPointF&)> containsPoint, std::function<void()> onExit)
    : pointerLocation(std::move(pointerLocation))
    , containsPoint(std::move(containsPoint))
    , onExit(std::move(onExit))
{
}

void WindowPreviewHoverSession::start()
{
    stop();
    isActive_ = true;
    std::int64_t generation = generation_;
    std::weak_ptr<WindowPreviewHoverSession> weak = weak_from_this();
    timer_ = std::make_unique<RepeatingTimer>(platform().mainQueue(), interval, 0, [weak, generation] {
        auto session = weak.lock();
        if (session && session->isActive_ && session->generation_ == generation)
            session->check();
    });
    check();
}

void WindowPreviewHoverSession::stop()
{
    ++generation_;
    isActive_ = false;
    if (timer_)
        timer_->invalidate();
    timer_.reset();
}

void WindowPreviewHoverSession::check(std::optional<QPointF> point)
{
    if (!isActive_)
        return;
    std::int64_t generation = generation_;
    QPointF location = point ? *point : pointerLocation();
    // Each closure may stop or restart the session; a stale check then ends here.
    if (generation_ != generation)
        return;
    bool inside = containsPoint(location);
    if (!isActive_ || generation_ != generation || inside)
        return;
    stop();
    onExit();
}

} // namespace pellamor
