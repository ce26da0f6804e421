// The executable killed outright while it removes or creates desktops: what the settings file holds afterwards
// still decodes and names only desktops that exist.
#include "e2e/ExecutableProcess.h"
#include "desktops/ProjectDesktopAssociations.h"
#include "desktops/ProjectManagedDesktops.h"
#include "platform/FileContents.h"
#include "platform/PropertyList.h"
#include "support/TemporaryDirectory.h"

#include <QElapsedTimer>
#include <QProcess>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace pellamor::test {
namespace {

// Two projects get a new desktop each on the content screen, then every extra desktop is removed: the second
// removal takes the first project's.
const char* const world = R"({
    "displays": [
        { "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "main": true,
          "frame": [0, 0, 800, 600], "spaces": [{ "id": 1, "uuid": "AAAAAAAA-0000-0000-0000-000000000001" }] },
        { "id": "22222222-2222-2222-2222-222222222222", "number": 2, "name": "B", "frame": [800, 0, 800, 600],
          "spaces": [{ "id": 2, "uuid": "AAAAAAAA-0000-0000-0000-000000000002" }, { "id": 3, "uuid": "AAAAAAAA-0000-0000-0000-000000000003" }] }],
    "applications": [{ "pid": 501, "bundleID": "com.openai.codex", "name": "Codex" },
                     { "pid": 602, "bundleID": "com.apple.Terminal", "name": "Terminal" }],
    "windows": [{ "number": 10, "pid": 602, "frame": [900, 50, 400, 300], "spaces": [2, 3] }],
    "defaults": { "assistantScreenID": "11111111-1111-1111-1111-111111111111", "onboardingIntroductionSeen": true },
    "assistant": { "projects": [{ "id": "p-a", "name": "Alpha" }, { "id": "p-b", "name": "Beta" }] },
    "script": [
        { "at": 0.3, "prepare-display": { "project": "p-a", "display": "22222222-2222-2222-2222-222222222222" } },
        { "at": 3, "prepare-display": { "project": "p-b", "display": "22222222-2222-2222-2222-222222222222" } },
        { "at": 6, "reset": "desktops" },
        { "at": 30, "quit": true }]
})";

class KilledDuringDesktopChangesTest : public ::testing::Test {
protected:
    TemporaryDirectory home;
    std::string errors;
    std::set<std::uint64_t> existing { 1, 2, 3 };

    // Runs until `line` has appeared `count` times, waits `after` seconds, then kills the process.
    void runAndKill(const std::string& line, int count, int afterMilliseconds)
    {
        QProcess process;
        startOnWorld(process, home.path(), world);
        QElapsedTimer clock;
        clock.start();
        std::optional<qint64> seenAt;
        while (clock.elapsed() < 40000 && process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(20);
            errors += process.readAllStandardError().toStdString();
            if (!seenAt && occurrences(line) >= count)
                seenAt = clock.elapsed();
            if (seenAt && clock.elapsed() - *seenAt >= afterMilliseconds)
                break;
        }
        ASSERT_TRUE(seenAt) << errors;
        ASSERT_TRUE(test::signalRunning(process, SIGKILL)) << "ended before it was killed\n" << errors;
        process.waitForFinished(5000);
        errors += process.readAllStandardError().toStdString();
        std::istringstream lines(errors);
        for (std::string logged; std::getline(lines, logged);) {
            std::uint64_t space = 0;
            if (std::sscanf(logged.c_str(), "mac: space-added display=%*s space=%lu", &space) == 1)
                existing.insert(space);
            if (std::sscanf(logged.c_str(), "mac: space-removed display=%*s space=%lu", &space) == 1)
                existing.erase(space);
        }
    }

    int occurrences(const std::string& line) const
    {
        int count = 0;
        for (std::size_t at = errors.find(line); at != std::string::npos; at = errors.find(line, at + 1))
            ++count;
        return count;
    }

    PlistDictionary stored()
    {
        FileRead file = readFileContents(home.path() / "Library" / "Preferences" / "fr.local.pellamor.plist", 1 << 20);
        EXPECT_EQ(file.status, FileRead::Status::read);
        auto value = parsePropertyList(file.contents);
        EXPECT_TRUE(value && value->asDictionary()) << "the settings file still parses";
        return value && value->asDictionary() ? *value->asDictionary() : PlistDictionary {};
    }

    template <class Decoded> std::optional<Decoded> decoded(const PlistDictionary& values, const std::string& key)
    {
        auto found = values.find(key);
        if (found == values.end())
            return Decoded {};
        const PlistData* data = found->second.asData();
        EXPECT_TRUE(data) << key;
        return data ? Decoded::decode(std::string(data->begin(), data->end())) : std::nullopt;
    }

    void expectConsistent()
    {
        PlistDictionary values = stored();
        auto store = decoded<ProjectDesktopAssociations>(values, "projectDesktopIdentities");
        auto created = decoded<ProjectManagedDesktops>(values, "automaticallyCreatedProjectDesktops");
        ASSERT_TRUE(store) << "the association store decodes";
        ASSERT_TRUE(created) << "the list of created desktops decodes";
        for (const auto& [project, desktops] : store->targets)
            for (const auto& desktop : desktops)
                EXPECT_TRUE(existing.count(desktop.spaceID)) << project << " keeps removed desktop " << desktop.spaceID;
        for (const auto& entry : created->entries)
            EXPECT_TRUE(existing.count(entry.identity.spaceID)) << "created desktop " << entry.identity.spaceID;
    }
};

TEST_F(KilledDuringDesktopChangesTest, DuringTheRemovalOfEveryExtraDesktop)
{
    runAndKill("mac: space-removed", 2, 600);
    ASSERT_EQ(occurrences("app: display-prepared"), 2) << errors;
    expectConsistent();
    PlistDictionary values = stored();
    EXPECT_TRUE(values.count("projectDesktopIdentities"));
}

TEST_F(KilledDuringDesktopChangesTest, RightAfterAPreparationCreatedItsDesktop)
{
    runAndKill("mac: space-added", 1, 0);
    expectConsistent();
}

TEST_F(KilledDuringDesktopChangesTest, AfterAPreparationWasCommitted)
{
    runAndKill("app: display-prepared", 1, 300);
    expectConsistent();
    auto created = decoded<ProjectManagedDesktops>(stored(), "automaticallyCreatedProjectDesktops");
    ASSERT_TRUE(created);
    ASSERT_EQ(created->entries.size(), 1u) << errors;
    EXPECT_EQ(created->entries[0].projectID, "p-a");
}

} // namespace
} // namespace pellamor::test
