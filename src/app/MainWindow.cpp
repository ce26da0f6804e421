#include "app/MainWindow.h"

#include "platform/Platform.h"
#include "ui/PlainText.h"

#include <QCloseEvent>
#include <QTabWidget>

namespace pellamor {
namespace {

constexpr const char* identifierProperty = "tabIdentifier";

} // namespace

MainWindow::MainWindow()
{
    setObjectName("main-window");
    // On every desktop: it follows the user from desktop to desktop and never keeps one occupied.
    namespace behavior = windowCollectionBehavior;
    platform().windowList().setOwnWindowAttributes(*this,
        { .level = normalWindowLevel,
            .collectionBehavior = behavior::canJoinAllSpaces | behavior::managed | behavior::participatesInCycle
                | behavior::fullScreenAuxiliary | behavior::canJoinAllApplications });
}

void MainWindow::resizeContent(QSize size)
{
    int menuHeight = menuWidget() ? menuWidget()->sizeHint().height() : 0;
    resize(size.width(), size.height() + menuHeight);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (onClose)
        onClose();
}

void addIdentifiedTab(QTabWidget* tabs, QWidget* page, const std::string& identifier, const std::string& label)
{
    page->setProperty(identifierProperty, QString::fromStdString(identifier));
    tabs->addTab(page, PlainText::title(label));
}

std::string selectedTabIdentifier(const QTabWidget* tabs)
{
    const QWidget* page = tabs ? tabs->currentWidget() : nullptr;
    return page ? page->property(identifierProperty).toString().toStdString() : std::string();
}

void selectTab(QTabWidget* tabs, const std::string& identifier)
{
    for (int index = 0; index < tabs->count(); ++index) {
        if (tabs->widget(index)->property(identifierProperty).toString().toStdString() == identifier) {
            tabs->setCurrentIndex(index);
            return;
        }
    }
}

} // namespace pellamor
