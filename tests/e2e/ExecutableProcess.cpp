#include "e2e/ExecutableProcess.h"

#include <fstream>
#include <signal.h>

namespace pellamor::test {

namespace {

// The executable beside the test programs' folder, as the build lays them out.
std::filesystem::path executable()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" / "pellamor";
}

} // namespace

void startOnWorld(QProcess& process, const std::filesystem::path& home, const std::string& world)
{
    std::filesystem::path file = home / "world.json";
    std::ofstream(file) << world;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PELLAMOR_WORLD", QString::fromStdString(file.string()));
    environment.insert("HOME", QString::fromStdString(home.string()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(executable().string()), {});
}

bool signalRunning(const QProcess& process, int number)
{
    qint64 id = process.processId();
    return process.state() == QProcess::Running && id > 0 && ::kill(static_cast<pid_t>(id), number) == 0;
}

} // namespace pellamor::test
