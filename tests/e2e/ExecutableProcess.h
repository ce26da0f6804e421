// The built executable started as a person would, on a world file written into a fresh home folder.
#pragma once

#include <QProcess>
#include <filesystem>
#include <string>

namespace pellamor::test {

// Writes `world` as the home's world file and starts the executable offscreen with that HOME.
void startOnWorld(QProcess& process, const std::filesystem::path& home, const std::string& world);

// Sends `number` to the process if it still runs. An ended process has no id, and signalling id 0 would reach
// every process of the test's own group, the test runner included.
bool signalRunning(const QProcess& process, int number);

} // namespace pellamor::test
