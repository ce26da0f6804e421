#include "overview/WindowThumbnailAccessibility.h"

#include "overview/WindowThumbnail.h"

#include <QAccessibleActionInterface>
#include <QAccessibleWidget>

namespace pellamor {
namespace {

class WindowThumbnailAccessible : public QAccessibleWidget {
public:
    explicit WindowThumbnailAccessible(WindowThumbnail* card)
        : QAccessibleWidget(card, QAccessible::Button)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.disabled = !card()->isInteractive();
        return state;
    }

    QStringList actionNames() const override { return { pressAction(), showMenuAction() }; }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            card()->accessibilityPerformPress();
        else if (action == showMenuAction())
            card()->accessibilityPerformShowMenu();
    }

private:
    WindowThumbnail* card() const { return static_cast<WindowThumbnail*>(widget()); }
};

QAccessibleInterface* makeAccessible(const QString&, QObject* object)
{
    if (auto* card = qobject_cast<WindowThumbnail*>(object))
        return new WindowThumbnailAccessible(card);
    return nullptr;
}

} // namespace

void installWindowThumbnailAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(makeAccessible);
        return true;
    }();
    (void)installed;
}

} // namespace pellamor
