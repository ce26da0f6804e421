#include "platform/QtEventLoop.h"

#include "platform/MainQueue.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QThread>
#include <cmath>

namespace pellamor {

namespace {

class SocketSource final : public EventLoop::FileSource {
public:
    SocketSource(int fd, std::function<void()> onReadable) : notifier_(fd, QSocketNotifier::Read)
    {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [onReadable = std::move(onReadable)] { onReadable(); });
    }

private:
    QSocketNotifier notifier_;
};

} // namespace

QtEventLoop::QtEventLoop()
{
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (queue_)
            queue_->runDue();
    });
}

double QtEventLoop::now() const
{
    return double(clock_.nsecsElapsed()) / 1e9;
}

void QtEventLoop::wake(std::optional<double> nextDue)
{
    if (!nextDue)
        return;
    double due = *nextDue;
    if (QThread::currentThread() == thread()) {
        arm(due);
        return;
    }
    QMetaObject::invokeMethod(this, [this, due] { arm(due); }, Qt::QueuedConnection);
}

void QtEventLoop::arm(double nextDue)
{
    int delay = int(std::ceil(std::max(0.0, nextDue - now()) * 1000));
    if (timer_.isActive() && timer_.remainingTime() <= delay)
        return;
    timer_.start(delay);
}

std::unique_ptr<EventLoop::FileSource> QtEventLoop::watchReadable(int fd, std::function<void()> onReadable)
{
    return std::make_unique<SocketSource>(fd, std::move(onReadable));
}

} // namespace pellamor
