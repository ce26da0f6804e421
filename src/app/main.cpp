// Program entry: the Qt application on the simulated Mac loaded from the world file.
#include "platform/Bundle.h"
#include "platform/FileDefaultsStorage.h"
#include "platform/HostLanguages.h"
#include "platform/QtEventLoop.h"
#include "sim/ScriptRunner.h"
#include "sim/SimulatedMac.h"
#include "sim/WorldFile.h"
#include "sim/WorldLocation.h"

#include <QApplication>
#include <QMainWindow>
#include <QPixmap>
#include <cstdlib>
#include <iostream>

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
    std::filesystem::path worldFile = pellamor::sim::worldPath(setup.resources);
    auto world = pellamor::sim::readWorldFile(worldFile);
    if (auto message = std::get_if<std::string>(&world)) {
        std::cerr << "pellamor: world " << worldFile.string() << ": " << *message << '\n';
        return 2;
    }
    setup.world = std::get<pellamor::sim::World>(std::move(world));
    auto script = setup.world.script;
    pellamor::sim::SimulatedMac mac(loop, std::move(setup));
    loop.attach(mac.mainQueue());
    pellamor::ScopedPlatform installed(mac);

    QMainWindow window;
    window.setWindowTitle("Pellamor");
    window.resize(880, 850);
    window.show();

    mac.script().onScreenshot = [&window](const std::filesystem::path& path) {
        return window.grab().save(QString::fromStdString(path.string()), "PNG");
    };
    mac.script().onQuit = [] { QCoreApplication::exit(0); };
    if (auto message = mac.script().start(script)) {
        std::cerr << "pellamor: world " << worldFile.string() << ": " << *message << '\n';
        return 2;
    }
    return application.exec();
}
