// A transient popover: a rounded panel over its anchor's window, placed below the anchor. A mouse or key press
// outside it, another window becoming active or the application going inactive asks `shouldClose`; the owner keeps
// its content, which the popover never deletes.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>

class QWidget;

namespace pellamor {

// The event that would close a transient popover.
struct PopoverEvent {
    bool leftMouseDown = false;
    QPointer<QWidget> window;
    QPoint globalPosition;
};

class Popover : public QObject {
    Q_OBJECT
public:
    explicit Popover(QWidget* content);
    ~Popover() override;

    // Asked before a transient close, with the event or none; absent answers yes.
    std::function<bool(const std::optional<PopoverEvent>&)> shouldClose;
    std::function<void()> onDidClose;

    void setContentSize(QSize size);
    QSize contentSize() const { return contentSize_; }
    // Below the rectangle, given in the anchor's coordinates, inside the anchor's window.
    void show(QWidget* anchor, QRect rect);
    // Closes it and tells `onDidClose` once; nothing when it is not shown.
    void close();
    bool isShown() const { return frame_ != nullptr; }
    QWidget* content() const { return content_; }
    // The panel drawn around the content; null while closed.
    QWidget* frame() const { return frame_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    void release();
    bool isInside(const QWidget* widget) const;
    void askToClose(const std::optional<PopoverEvent>& event);

    QPointer<QWidget> content_;
    QPointer<QWidget> frame_;
    QPointer<QWidget> anchor_;
    QRect anchorRect_;
    QSize contentSize_;
};

} // namespace pellamor
