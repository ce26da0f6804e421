// Program entry: the application delegate on the simulated Mac loaded from the world file.
#include "app/AppDelegate.h"
#include "ui/AppearanceSurface.h"
#include "ui/ColorTable.h"
#include "ui/ControlClick.h"
#include "app/MainWindow.h"
#include "app/TerminationSignals.h"
#include "platform/Bundle.h"
#include "platform/FileDefaultsStorage.h"
#include "platform/HostLanguages.h"
#include "platform/QtEventLoop.h"
#include "sim/ScriptRunner.h"
#include "sim/SimulatedMac.h"
#include "sim/WorldFile.h"
#include "sim/WorldLocation.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdlib>
#include <malloc.h>
#include <iostream>

namespace {

// The script's "click": the control with that identifier, clicked as a person would.
pellamor::sim::ScriptRunner::Action clickAction()
{
    return [](const nlohmann::json& argument) -> std::variant<pellamor::sim::ScriptRunner::Block, std::string> {
        if (!argument.is_string() || argument.get<std::string>().empty())
            return std::string("expected a control identifier");
        std::string identifier = argument.get<std::string>();
        return pellamor::sim::ScriptRunner::Block([identifier] {
            if (!pellamor::clickControl(identifier))
                std::cerr << "pellamor: script click: no control " << identifier << '\n';
        });
    };
}

} // namespace

int main(int argc, char* argv[])
{
    // Large blocks (the assistant's state file and what reading it takes) straight from the system, so that
    // freeing them gives the memory back instead of leaving the heap at its peak.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
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

    pellamor::AppDelegate delegate;
    QApplication::setQuitOnLastWindowClosed(delegate.applicationShouldTerminateAfterLastWindowClosed());
    QObject::connect(
        &application, &QCoreApplication::aboutToQuit, [&delegate] { delegate.applicationWillTerminate(); });
    QObject::connect(&application, &QGuiApplication::applicationStateChanged, [&delegate](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            delegate.applicationDidBecomeActive();
    });
    pellamor::ColorTable::appearanceChanged();
    if (std::optional<QPixmap> icon = pellamor::AppInterface::brandImage())
        QApplication::setWindowIcon(QIcon(*icon));
    pellamor::ObserverToken appearance = mac.defaultCenter().addObserver(pellamor::interfaceThemeChangedNotification,
        nullptr, [](const pellamor::Notification&) { pellamor::ColorTable::appearanceChanged(); });

    mac.script().registerAction("click", clickAction());
    mac.script().onScreenshot = [&delegate](const std::filesystem::path& path) {
        return delegate.window && delegate.window->grab().save(QString::fromStdString(path.string()), "PNG");
    };
    mac.script().onQuit = [&delegate] { delegate.terminate(); };
    pellamor::TerminationSignals termination;
    termination.onTerminate = [&delegate] { delegate.terminate(); };
    if (auto message = mac.script().start(script)) {
        std::cerr << "pellamor: world " << worldFile.string() << ": " << *message << '\n';
        return 2;
    }
    delegate.applicationDidFinishLaunching();
    if (std::getenv("PELLAMOR_REPORT_SHOWN")) {
        // For the start-up measurement: the first turn of the loop after the window was shown.
        mac.mainQueue().async([] { std::cerr << "pellamor: main window shown" << std::endl; });
    }
    return application.exec();
}
