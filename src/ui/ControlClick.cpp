#include "ui/ControlClick.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace pellamor {
namespace {

void sendClick(QWidget* widget)
{
    QPointF centre = QRectF(widget->rect()).center();
    QPointF global = widget->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

} // namespace

bool clickControl(const std::string& identifier)
{
    QString name = QString::fromStdString(identifier);
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->objectName() == name && widget->isVisible()) {
            sendClick(widget);
            return true;
        }
    }
    for (QWidget* widget : QApplication::allWidgets()) {
        for (QAction* action : widget->actions()) {
            if (action->objectName() == name) {
                if (action->isEnabled())
                    action->trigger();
                return true;
            }
        }
    }
    return false;
}

} // namespace pellamor
