#include "ui/Popover.h"

#include "ui/ColorTable.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace pellamor {
namespace {

constexpr int border = 1;

class PopoverFrame : public QWidget {
public:
    using QWidget::QWidget;

protected:
    // A press on its empty parts stays here: passed on to the window behind, it would read as a press outside.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        painter.fillPath(shape, ColorTable::color(ColorRole::controlBackground));
        QColor outline = ColorTable::color(ColorRole::label);
        outline.setAlphaF(0.18f);
        painter.setPen(QPen(outline, 1));
        painter.drawPath(shape);
    }
};

} // namespace

Popover::Popover(QWidget* content)
    : content_(content)
    , contentSize_(content ? content->size() : QSize())
{
}

Popover::~Popover()
{
    release();
}

void Popover::setContentSize(QSize size)
{
    contentSize_ = size;
    if (frame_)
        place();
}

void Popover::show(QWidget* anchor, QRect rect)
{
    if (frame_ || !anchor || !content_)
        return;
    anchor_ = anchor;
    anchorRect_ = rect;
    frame_ = new PopoverFrame(anchor->window());
    frame_->setObjectName("popover");
    content_->setParent(frame_);
    content_->move(border, border);
    content_->show();
    place();
    frame_->show();
    frame_->raise();
    qApp->installEventFilter(this);
}

void Popover::close()
{
    if (!frame_)
        return;
    release();
    if (onDidClose)
        onDidClose();
}

void Popover::release()
{
    if (!frame_)
        return;
    qApp->removeEventFilter(this);
    if (content_) {
        content_->hide();
        content_->setParent(nullptr);
    }
    QWidget* frame = frame_;
    frame_ = nullptr;
    frame->hide();
    frame->deleteLater();
}

void Popover::place()
{
    if (!frame_ || !anchor_ || !content_)
        return;
    QWidget* window = frame_->parentWidget();
    QSize outer = contentSize_ + QSize(2 * border, 2 * border);
    QPoint below = anchor_->mapTo(window, QPoint(anchorRect_.center().x(), anchorRect_.bottom() + 1));
    int x = std::clamp(below.x() - outer.width() / 2, 8, std::max(8, window->width() - outer.width() - 8));
    int y = std::clamp(below.y() + 6, 0, std::max(0, window->height() - outer.height()));
    frame_->setGeometry(QRect(QPoint(x, y), outer));
    content_->resize(contentSize_);
}

bool Popover::isInside(const QWidget* widget) const
{
    return widget == frame_ || frame_->isAncestorOf(widget);
}

void Popover::askToClose(const std::optional<PopoverEvent>& event)
{
    if (!shouldClose || shouldClose(event))
        close();
}

bool Popover::eventFilter(QObject* watched, QEvent* event)
{
    if (!frame_)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        if (!watched->isWidgetType() || isInside(static_cast<QWidget*>(watched)))
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        auto* press = static_cast<QMouseEvent*>(event);
        askToClose(PopoverEvent { press->button() == Qt::LeftButton, widget->window(), press->globalPosition().toPoint() });
        return false;
    }
    case QEvent::KeyPress: {
        // Where the key was typed counts: a key sent into the popover's field stays there, and so does one the
        // field leaves unhandled as it travels on to the widgets behind.
        QWidget* typedInto = watched->isWidgetType() ? static_cast<QWidget*>(watched) : QApplication::focusWidget();
        if (!typedInto || isInside(typedInto))
            return false;
        QWidget* focus = QApplication::focusWidget();
        if (typedInto->isAncestorOf(frame_) && focus && isInside(focus))
            return false;
        askToClose(PopoverEvent { false, typedInto->window(), QCursor::pos() });
        return false;
    }
    case QEvent::WindowActivate: {
        auto* widget = watched->isWidgetType() ? static_cast<QWidget*>(watched) : nullptr;
        if (widget && widget->isWindow() && widget != frame_->window())
            askToClose(PopoverEvent { false, widget, QCursor::pos() });
        return false;
    }
    case QEvent::ApplicationStateChange:
        if (watched == qApp
            && static_cast<QApplicationStateChangeEvent*>(event)->applicationState() != Qt::ApplicationActive)
            askToClose(std::nullopt);
        return false;
    default:
        return false;
    }
}

} // namespace pellamor
