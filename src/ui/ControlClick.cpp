#include "ui/ControlClick.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <map>
#include <QWidget>

namespace pellamor {
namespace {

void sendKey(QWidget* widget, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
}

// The shown control with that identifier, focused, when a person could type into it.
std::pair<ControlOutcome, QWidget*> focusedControl(const std::string& identifier)
{
    QWidget* widget = shownControl(identifier);
    if (!widget)
        return { ControlOutcome::missing, nullptr };
    if (!widget->isEnabled())
        return { ControlOutcome::disabled, nullptr };
    widget->setFocus(Qt::OtherFocusReason);
    return { ControlOutcome::done, widget };
}

QAction* menuItem(const QString& name)
{
    for (QWidget* widget : QApplication::allWidgets()) {
        for (QAction* action : widget->actions()) {
            if (action->objectName() == name)
                return action;
        }
    }
    return nullptr;
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

void clickAt(QWidget& widget, QPointF point)
{
    QPointF global = widget.mapToGlobal(point);
    QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &release);
}

ControlOutcome clickIdentified(const std::string& identifier)
{
    if (QWidget* widget = shownControl(identifier)) {
        if (!widget->isEnabled())
            return ControlOutcome::disabled;
        clickAt(*widget, QRectF(widget->rect()).center());
        return ControlOutcome::done;
    }
    QAction* item = menuItem(QString::fromStdString(identifier));
    if (!item)
        return ControlOutcome::missing;
    if (!item->isEnabled())
        return ControlOutcome::disabled;
    item->trigger();
    return ControlOutcome::done;
}

bool clickControl(const std::string& identifier)
{
    return clickIdentified(identifier) != ControlOutcome::missing;
}

ControlOutcome typeIntoControl(const std::string& identifier, const std::string& text)
{
    auto [outcome, widget] = focusedControl(identifier);
    if (!widget)
        return outcome;
    for (QChar character : QString::fromStdString(text))
        sendKey(widget, 0, QString(character));
    return outcome;
}

ControlOutcome pressKeyInControl(const std::string& identifier, const std::string& key)
{
    static const std::map<std::string, std::pair<int, QString>> keys {
        { "Return", { Qt::Key_Return, QStringLiteral("\r") } },
        { "Escape", { Qt::Key_Escape, QString(QChar(0x1b)) } },
        { "Up", { Qt::Key_Up, QString() } },
        { "Down", { Qt::Key_Down, QString() } },
        { "Space", { Qt::Key_Space, QStringLiteral(" ") } },
    };
    auto found = keys.find(key);
    if (found == keys.end())
        return ControlOutcome::missing;
    auto [outcome, widget] = focusedControl(identifier);
    if (widget)
        sendKey(widget, found->second.first, found->second.second);
    return outcome;
}

} // namespace pellamor
