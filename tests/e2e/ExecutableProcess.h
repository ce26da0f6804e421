// The built executable started as a person would, on a world file written into a fresh home folder.
#pragma once

#include <QProcess>
#include <filesystem>
#include <string>

namespace pellamor::test {

// Writes `world` as the home's world file and starts the executable offscreen with that HOME.
void startOnWorld(QProcess& process, const std::filesystem::path& home, const std::string& world);

} // namespace pellamor::test
