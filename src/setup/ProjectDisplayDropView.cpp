#include "setup/ProjectDisplayDropView.h"

#include "setup/WindowDragType.h"
#include "ui/ColorTable.h"

#include <QDragEnterEvent>
#include <QPainter>
#include <QPainterPath>

namespace pellamor {

ProjectDisplayDropView::ProjectDisplayDropView(const std::string& display, QWidget* parent)
    : QWidget(parent)
    , display(display)
{
    setAcceptDrops(true);
}

ProjectDisplayDropView::~ProjectDisplayDropView()
{
    // A canvas rebuilt in the middle of a drag deletes its cards: the owner still hears the hover end.
    endDragHover();
}

void ProjectDisplayDropView::setActive(bool active)
{
    active_ = active;
    update();
}

bool ProjectDisplayDropView::draggingUpdated(const DraggingInfo& info)
{
    bool hovering = info.types.contains(QString::fromLatin1(windowDragType));
    if (hovering != dragHovered_) {
        dragHovered_ = hovering;
        if (onDragHover)
            onDragHover(hovering);
    }
    highlighted_ = accepts && accepts(info);
    update();
    return highlighted_;
}

void ProjectDisplayDropView::draggingExited()
{
    endDragHover();
}

bool ProjectDisplayDropView::prepareForDragOperation(const DraggingInfo& info)
{
    endDragHover();
    return accepts && accepts(info);
}

bool ProjectDisplayDropView::performDragOperation(const DraggingInfo& info)
{
    endDragHover();
    return onDrop && onDrop(info);
}

void ProjectDisplayDropView::endDragHover()
{
    highlighted_ = false;
    update();
    if (!dragHovered_)
        return;
    dragHovered_ = false;
    if (onDragHover)
        onDragHover(false);
}

void ProjectDisplayDropView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 10, 10);
    painter.fillPath(shape, ColorTable::color(ColorRole::controlBackground));
    painter.save();
    painter.setClipPath(shape);
    DynamicColor band = active_ ? DynamicColor { ColorRole::accent, 0.07 } : DynamicColor { ColorRole::label, 0.035 };
    painter.fillRect(QRectF(0, 0, width(), std::min(height(), 65)), band.resolved());
    painter.restore();
    if (highlighted_)
        painter.setPen(QPen(ColorTable::color(ColorRole::accent), 3.0));
    else
        painter.setPen(QPen(ColorTable::color(ColorRole::separator), 1.5));
    painter.drawPath(shape);
}

bool ProjectDisplayDropView::event(QEvent* event)
{
    // Taken out of its superview: whoever listens hears the hover end.
    if (event->type() == QEvent::ParentChange && !parentWidget())
        endDragHover();
    return QWidget::event(event);
}

void ProjectDisplayDropView::dragEnterEvent(QDragEnterEvent* event)
{
    // Entering is answered like a movement; the event is taken so that later movements and the drop arrive.
    event->setDropAction(draggingUpdated(draggingInfo(*event)) ? Qt::MoveAction : Qt::IgnoreAction);
    event->accept();
}

void ProjectDisplayDropView::dragMoveEvent(QDragMoveEvent* event)
{
    if (draggingUpdated(draggingInfo(*event))) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        return;
    }
    event->ignore();
}

void ProjectDisplayDropView::dragLeaveEvent(QDragLeaveEvent*)
{
    draggingExited();
}

void ProjectDisplayDropView::dropEvent(QDropEvent* event)
{
    DraggingInfo info = draggingInfo(*event);
    if (!prepareForDragOperation(info) || !performDragOperation(info)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

} // namespace pellamor
