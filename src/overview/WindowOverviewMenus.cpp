// The menus open anywhere in the application: while one tracks, previews close and refreshes and the owner's
// maintenance wait.
#include "overview/WindowOverview.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>

namespace pellamor {

namespace {

// Passes every event on; reports menus shown and hidden.
class MenuTrackingMonitor final : public QObject {
public:
    MenuTrackingMonitor(std::function<void(QMenu*)> began, std::function<void(QMenu*)> ended)
        : began_(std::move(began))
        , ended_(std::move(ended))
    {
        qApp->installEventFilter(this);
    }
    ~MenuTrackingMonitor() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() != QEvent::Show && event->type() != QEvent::Hide)
            return false;
        if (auto* menu = qobject_cast<QMenu*>(receiver))
            (event->type() == QEvent::Show ? began_ : ended_)(menu);
        return false;
    }

private:
    std::function<void(QMenu*)> began_;
    std::function<void(QMenu*)> ended_;
};

} // namespace

void WindowOverviewView::installMenuTracking()
{
    QPointer<WindowOverviewView> self(this);
    menuTracking_ = std::make_unique<MenuTrackingMonitor>(
        [self](QMenu* menu) {
            if (self)
                self->menuTrackingBegan(menu);
        },
        [self](QMenu* menu) {
            if (self)
                self->menuTrackingEnded(menu);
        });
}

void WindowOverviewView::menuTrackingBegan(QObject* menu)
{
    if (!visible_)
        return;
    // A menu deleted while shown may never report its hiding.
    if (trackedMenus_.insert(menu).second)
        connect(menu, &QObject::destroyed, this, [this, menu] { trackedMenus_.erase(menu); });
    dismissPreview();
}

void WindowOverviewView::menuTrackingEnded(QObject* menu)
{
    trackedMenus_.erase(menu);
}

} // namespace pellamor
