// The main window: its tabs, identified by name, and closing it asks the owner to quit.
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>

class QTabWidget;

namespace pellamor {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();

    std::function<void()> onClose;

    // The menu bar is drawn in the window here, so it is added to the size asked for the content.
    void resizeContent(QSize size);

protected:
    void closeEvent(QCloseEvent* event) override;
};

// The identifier of each tab is kept on its page.
void addIdentifiedTab(QTabWidget* tabs, QWidget* page, const std::string& identifier, const std::string& label);
// None when no tab is selected.
std::string selectedTabIdentifier(const QTabWidget* tabs);
void selectTab(QTabWidget* tabs, const std::string& identifier);

} // namespace pellamor
