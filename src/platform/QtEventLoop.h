// Runs the main queue on the Qt event loop with the monotonic clock, for the executable.
#pragma once

#include "platform/EventLoop.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace pellamor {

class MainQueue;

class QtEventLoop final : public QObject, public EventLoop {
    Q_OBJECT
public:
    QtEventLoop();
    // The queue whose due blocks this loop runs; set once, before anything is scheduled.
    void attach(MainQueue& queue) { queue_ = &queue; }

    double now() const override;
    void wake(std::optional<double> nextDue) override;
    std::unique_ptr<FileSource> watchReadable(int fd, std::function<void()> onReadable) override;

private:
    void arm(double nextDue);

    QElapsedTimer clock_;
    QTimer timer_;
    MainQueue* queue_ = nullptr;
};

} // namespace pellamor
