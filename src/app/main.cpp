// Program entry: the Qt application on the simulated Mac.
#include "platform/Bundle.h"
#include "platform/FileDefaultsStorage.h"
#include "platform/HostLanguages.h"
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
    setup.resources = pellamor::Bundle::locateResources(QCoreApplication::applicationDirPath().toStdString());
    setup.preferredLanguages = pellamor::hostPreferredLanguages();
    setup.defaultsStorage
        = std::make_unique<pellamor::FileDefaultsStorage>(pellamor::FileDefaultsStorage::standardPath(setup.home));
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
