// Program entry: the application delegate on the simulated Mac loaded from the world file.
#include "app/AppDelegate.h"
#include "ui/AppearanceSurface.h"
#include "ui/ColorTable.h"
#include "ui/ControlClick.h"
#include "app/MainWindow.h"
#include "app/ScriptDrive.h"
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

// The script's "click": the control with that identifier, clicked as a person would.
pellamor::sim::ScriptRunner::Action clickAction(const pellamor::sim::ScriptRunner& script)
{
    return [&script](const nlohmann::json& argument) -> std::variant<pellamor::sim::ScriptRunner::Block, std::string> {
        if (!argument.is_string() || argument.get<std::string>().empty())
            return std::string("expected a control identifier");
        std::string identifier = argument.get<std::string>();
        return pellamor::sim::ScriptRunner::Block([&script, identifier] {
            if (!pellamor::clickControl(identifier))
                std::cerr << "app: script-failed step=" << script.runningStep() << " reason=no control " << identifier
                          << std::endl;
        });
    };
}

// The script's "resize": the main window brought to that size, [width, height], never below its minimum.
pellamor::sim::ScriptRunner::Action resizeAction(pellamor::AppDelegate& delegate)
{
    return [&delegate](const nlohmann::json& argument) -> std::variant<pellamor::sim::ScriptRunner::Block, std::string> {
        if (!argument.is_array() || argument.size() != 2 || !argument[0].is_number_unsigned()
            || !argument[1].is_number_unsigned() || argument[0].get<std::uint64_t>() > 10000
            || argument[1].get<std::uint64_t>() > 10000)
            return std::string("expected [width, height] in points, each at most 10000");
        QSize size(argument[0].get<int>(), argument[1].get<int>());
        return pellamor::sim::ScriptRunner::Block([&delegate, size] {
            if (delegate.window)
                delegate.window->resize(size.expandedTo(delegate.window->minimumSize()));
        });
    };
}

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

// The script's "prepare-display" and "reset": the shell's preparation of a project's screen, a reset confirmed.
void registerShellActions(pellamor::sim::ScriptRunner& script, pellamor::AppDelegate& delegate)
{
    using pellamor::sim::ScriptRunner;
    script.registerAction("prepare-display", [&delegate](const nlohmann::json& argument) -> std::variant<ScriptRunner::Block, std::string> {
        bool valid = argument.is_object() && argument.size() == 2 && argument.contains("project")
            && argument.contains("display") && argument["project"].is_string() && argument["display"].is_string();
        if (!valid)
            return std::string("expected { \"project\": <id>, \"display\": <display id> }");
        std::string project = argument["project"].get<std::string>();
        std::string display = argument["display"].get<std::string>();
        return ScriptRunner::Block(
            [&delegate, project, display] { pellamor::ScriptDrive::prepareDisplay(delegate, project, display, std::cerr); });
    });
    script.registerAction("reset", [&delegate](const nlohmann::json& argument) -> std::variant<ScriptRunner::Block, std::string> {
        if (argument != "assignments" && argument != "desktops")
            return std::string("expected \"assignments\" or \"desktops\"");
        auto kind = argument == "assignments" ? pellamor::ScriptDrive::ResetKind::assignments
                                              : pellamor::ScriptDrive::ResetKind::desktops;
        return ScriptRunner::Block([&delegate, kind] { pellamor::ScriptDrive::confirmReset(delegate, kind); });
    });
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

    mac.script().registerAction("click", clickAction(mac.script()));
    pellamor::registerInterfaceSteps(mac.script(), delegate);
    mac.script().registerAction("resize", resizeAction(delegate));
    registerShellActions(mac.script(), delegate);
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
