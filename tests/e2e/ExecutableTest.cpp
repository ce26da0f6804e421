#include "support/TemporaryDirectory.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace pellamor::test {
namespace {

// The executable beside the test programs' folder, as the build lays them out.
std::filesystem::path executable()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" / "pellamor";
}

struct Outcome {
    int status;
    std::string errors;
};

Outcome runWorld(const std::string& world)
{
    TemporaryDirectory home;
    std::filesystem::path file = home.path() / "world.json";
    std::ofstream(file) << world;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PELLAMOR_WORLD", QString::fromStdString(file.string()));
    environment.insert("HOME", QString::fromStdString(home.path().string()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(executable().string()), {});
    // A real process on the real clock; the script quits after a fraction of a second.
    EXPECT_TRUE(process.waitForFinished(60000));
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardError().toStdString() };
}

const char* const displays
    = R"("displays": [{ "id": "D1", "number": 1, "name": "A", "main": true, "frame": [0, 0, 800, 600], "spaces": [{ "id": 1 }] }])";

TEST(ExecutableTest, TheScriptRunsAndQuitEndsWithStatusZero)
{
    Outcome run = runWorld(std::string("{") + displays + R"(,
        "applications": [{ "pid": 501, "bundleID": "com.openai.codex", "name": "Codex" }],
        "script": [{ "at": 0.2, "activate": "com.openai.codex" }, { "at": 0.4, "quit": true }] })");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("mac: frontmost bundle=com.openai.codex\n"), std::string::npos) << run.errors;
}

TEST(ExecutableTest, TheScriptClicksControlsByTheirIdentifier)
{
    Outcome run = runWorld(std::string("{") + displays + R"(,
        "script": [{ "at": 0.2, "click": "automatic-switching-toggle" }, { "at": 0.3, "click": "no-such-control" },
                   { "at": 0.5, "quit": true }] })");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors.find("no control automatic-switching-toggle"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("app: script-failed step=1 reason=no control no-such-control\n"), std::string::npos)
        << run.errors;
}

TEST(ExecutableTest, AMalformedWorldStopsTheStartNamingTheMember)
{
    Outcome run = runWorld(
        std::string("{") + displays + R"(, "windows": [{ "number": 1, "pid": 2, "frame": "wide", "spaces": [] }] })");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.errors.find("windows[0].frame: expected [x, y, width, height]"), std::string::npos) << run.errors;
}

} // namespace
} // namespace pellamor::test
