#include "ui/ControlClick.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <map>
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


void sendKey(QWidget* widget, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
}

} // namespace

QWidget* shownControl(const std::string& identifier)
{
    QString name = QString::fromStdString(identifier);
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->objectName() == name && widget->isVisible())
            return widget;
    }
    return nullptr;
}

bool isControlShown(const std::string& identifier)
{
    return shownControl(identifier) != nullptr;
}

bool typeIntoControl(const std::string& identifier, const std::string& text)
{
    QWidget* widget = shownControl(identifier);
    if (!widget)
        return false;
    widget->setFocus(Qt::OtherFocusReason);
    for (QChar character : QString::fromStdString(text))
        sendKey(widget, 0, QString(character));
    return true;
}

bool pressKeyInControl(const std::string& identifier, const std::string& key)
{
    static const std::map<std::string, std::pair<int, QString>> keys {
        { "Return", { Qt::Key_Return, QStringLiteral("\r") } },
        { "Escape", { Qt::Key_Escape, QString(QChar(0x1b)) } },
        { "Up", { Qt::Key_Up, QString() } },
        { "Down", { Qt::Key_Down, QString() } },
        { "Space", { Qt::Key_Space, QStringLiteral(" ") } },
    };
    auto found = keys.find(key);
    QWidget* widget = shownControl(identifier);
    if (found == keys.end() || !widget)
        return false;
    widget->setFocus(Qt::OtherFocusReason);
    sendKey(widget, found->second.first, found->second.second);
    return true;
}

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
