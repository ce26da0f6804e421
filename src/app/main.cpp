// Program entry: the application delegate on the simulated Mac loaded from the world file.
#include "app/AppDelegate.h"
#include "ui/AppearanceSurface.h"
#include "ui/ColorTable.h"
#include "app/MainWindow.h"
#include "app/ScriptSteps.h"
#include "app/TerminationSignals.h"
#include "app/WindowSnapshot.h"
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

// The offscreen platform says so for every raise or size hint of a window; what it leaves out changes nothing
// there, and the lines would read as errors among the simulated Mac's.
QtMessageHandler standardHandler = nullptr;

void quietPlatformChatter(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (standardHandler)
        return standardHandler(type, context, message);
    std::cerr << qFormatLogMessage(type, context, message).toStdString() << std::endl;
}

} // namespace

int main(int argc, char* argv[])
{
    // Large blocks (the assistant's state file and what reading it takes) straight from the system, so that
    // freeing them gives the memory back instead of leaving the heap at its peak.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    standardHandler = qInstallMessageHandler(quietPlatformChatter);
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
    QObject::connect(&application, &QGuiApplication::applicationStateChanged,
        [&delegate, &mac](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive)
                return;
            mac.defaultCenter().post(pellamor::applicationDidBecomeActiveNotification);
            delegate.applicationDidBecomeActive();
        });
    pellamor::ColorTable::appearanceChanged();
    if (std::optional<QPixmap> icon = pellamor::AppInterface::brandImage())
        QApplication::setWindowIcon(QIcon(*icon));
    pellamor::ObserverToken appearance = mac.defaultCenter().addObserver(pellamor::interfaceThemeChangedNotification,
        nullptr, [](const pellamor::Notification&) { pellamor::ColorTable::appearanceChanged(); });

    pellamor::registerInterfaceSteps(mac.script(), delegate);
    mac.script().onScreenshot = [&delegate](const std::filesystem::path& path) {
        return delegate.window
            && pellamor::windowSnapshot(delegate.window.get()).save(QString::fromStdString(path.string()), "PNG");
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
