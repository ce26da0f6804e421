// Program entry: the Qt application on the simulated Mac.
#include "platform/QtEventLoop.h"
#include "sim/SimulatedMac.h"

#include <QApplication>
#include <QMainWindow>
#include <cstdlib>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    pellamor::QtEventLoop loop;
    pellamor::sim::MacSetup setup;
    if (const char* home = std::getenv("HOME"))
        setup.home = home;
    setup.threadedBackground = true;
    pellamor::sim::SimulatedMac mac(loop, std::move(setup));
    loop.attach(mac.mainQueue());
    pellamor::ScopedPlatform installed(mac);

    QMainWindow window;
    window.setWindowTitle("Pellamor");
    window.resize(880, 850);
    window.show();
    return application.exec();
}
