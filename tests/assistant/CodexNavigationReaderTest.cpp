#include "assistant/CodexNavigationReader.h"

#include "assistant/CodexLogFileName.h"
#include "sim/CodexLogLines.h"
#include "support/TemporaryDirectory.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pellamor {
namespace {

namespace fs = std::filesystem;
using Kind = CodexNavigationSelection::Kind;

constexpr std::int32_t pid = 4242;
constexpr double now = 1'780'000'000.5; // 2026-05-28, mid-day UTC
constexpr std::int64_t lineTime = 1'779'999'000'000;
const std::string session = "A1B2C3D4-0000-4000-8000-00000000ABCD";
const std::string thread = "3f2504e0-4f89-11d3-9a0c-0305e82c3301";

std::string verifiedNavigation(const std::string& conversation, std::int64_t at = lineTime)
{
    const sim::LogRenderer window { 1, 7 };
    return sim::readyToShowLine(at, window, "primary") + "\n"
        + sim::routeChangeLine(at + 10, window, "/local/" + conversation) + "\n"
        + sim::performanceSpanLine(at + 400, window) + "\n";
}

std::string filler(std::size_t bytes)
{
    const std::string line = sim::logTimestamp(lineTime) + " info [renderer] painted frame in 4ms\n";
    std::string text;
    while (text.size() + line.size() <= bytes)
        text += line;
    text.append(bytes - text.size() - 1, 'x');
    return text + "\n";
}

class NavigationReaderTest : public ::testing::Test {
protected:
    test::TemporaryDirectory root;
    std::optional<CodexProcessIdentity> process = CodexProcessIdentity { pid, PlistDate { now - 3600 } };
    CodexNavigationReader reader { root.path(), [this] { return process; }, [] { return PlistDate { now }; } };

    fs::path logFile(int rotation, const std::string& folder = "", const std::string& uuid = session, int instance = 1)
    {
        const fs::path directory = folder.empty() ? root.path() : root.path() / folder;
        fs::create_directories(directory);
        return directory / codexLogFileName(uuid, pid, instance, "093000", rotation);
    }
    static void append(const fs::path& file, const std::string& text)
    {
        std::ofstream(file, std::ios::binary | std::ios::app) << text;
    }
    static void setModified(const fs::path& file, double seconds)
    {
        const timespec times[2] = { { 0, UTIME_OMIT },
            { static_cast<time_t>(seconds),
                static_cast<long>((seconds - static_cast<double>(static_cast<time_t>(seconds))) * 1e9) } };
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    }
    CodexNavigationObservation read() { return reader.read(); }
};

TEST_F(NavigationReaderTest, FollowsAVerifiedNavigationAppendedToTheLog)
{
    const fs::path file = logFile(0, *utcDayFolder(PlistDate { now }, 0));
    append(file, filler(2000));
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::none(), 1, 0 }));
    EXPECT_EQ(reader.currentLogURL(), file);

    append(file, verifiedNavigation(thread));
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::localThread(thread), 3, 3 }));
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::localThread(thread), 3, 3 }));
}

TEST_F(NavigationReaderTest, NoProcessOrSeveralResetsOnceAndForgetsTheLogFile)
{
    const auto running = process;
    process.reset();
    EXPECT_EQ(read(), CodexNavigationObservation {}) << "nothing was followed, so nothing is discarded";
    process = running;
    const fs::path file = logFile(0);
    append(file, verifiedNavigation(thread));
    EXPECT_EQ(read().selection, CodexNavigationSelection::localThread(thread));

    process.reset();
    const auto afterReset = read();
    EXPECT_EQ(afterReset, (CodexNavigationObservation { CodexNavigationSelection::ambiguous(), 4, 3 }));
    EXPECT_EQ(reader.currentLogURL(), std::nullopt);
    EXPECT_EQ(read(), afterReset);

    // Another process finds no file of its own.
    process = CodexProcessIdentity { pid + 1, std::nullopt };
    EXPECT_EQ(read().revision, 5u);
    EXPECT_EQ(reader.currentLogURL(), std::nullopt);
}

TEST_F(NavigationReaderTest, BacklogLargerThanOneSliceReadsOnlyItsTailAndTurnsAmbiguous)
{
    const fs::path file = logFile(0);
    append(file, filler(600'000));
    // Once for the new session, once for the skipped history.
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::ambiguous(), 2, 0 }));

    // The slice's first line is dropped because it began mid-line; the navigation after it counts.
    append(file, filler(600'000) + verifiedNavigation(thread));
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::localThread(thread), 5, 5 }));
}

TEST_F(NavigationReaderTest, LaunchDateAdmitsFilesUpToOneSecondOlder)
{
    const double launched = now - 60.25;
    process = CodexProcessIdentity { pid, PlistDate { launched } };
    const fs::path old = logFile(0);
    append(old, verifiedNavigation(thread));
    setModified(old, launched - 1.001);
    read();
    EXPECT_EQ(reader.currentLogURL(), std::nullopt);

    setModified(old, launched - 1.0);
    EXPECT_EQ(read().selection, CodexNavigationSelection::localThread(thread));
    EXPECT_EQ(reader.currentLogURL(), old);

    process = CodexProcessIdentity { pid, std::nullopt };
    setModified(old, 1000);
    read();
    EXPECT_EQ(reader.currentLogURL(), old);
}

TEST_F(NavigationReaderTest, ReadsTheLastFourFilesOfTheSessionInNameOrder)
{
    std::vector<fs::path> files;
    for (int rotation = 0; rotation < 6; ++rotation) {
        files.push_back(logFile(rotation));
        append(files.back(), rotation < 2 ? verifiedNavigation(thread) : filler(100));
        setModified(files.back(), now - 100 + rotation);
    }
    setModified(files[0], now - 1);
    const auto observation = read();
    EXPECT_EQ(observation.selection, CodexNavigationSelection::none()) << "the first two files are not read";
    EXPECT_EQ(reader.currentLogURL(), files[0]);

    // The day folders sort after the root; a conversation there is read last and wins.
    const fs::path today = logFile(0, *utcDayFolder(PlistDate { now }, 0), session, 0);
    append(today, verifiedNavigation(thread, lineTime + 5000));
    setModified(today, now);
    EXPECT_EQ(read().selection, CodexNavigationSelection::localThread(thread));
    EXPECT_EQ(reader.currentLogURL(), today);
}

TEST_F(NavigationReaderTest, FindsTodayAndTheTwoDaysBeforeOnly)
{
    const std::string other = "11111111-2222-3333-4444-555555555555";
    const fs::path tooOld = logFile(0, *utcDayFolder(PlistDate { now }, -3));
    append(tooOld, verifiedNavigation(thread));
    read();
    EXPECT_EQ(reader.currentLogURL(), std::nullopt);

    const fs::path twoDaysAgo = logFile(0, *utcDayFolder(PlistDate { now }, -2));
    append(twoDaysAgo, verifiedNavigation(other));
    EXPECT_EQ(read().selection, CodexNavigationSelection::localThread(other));
    EXPECT_EQ(reader.currentLogURL(), twoDaysAgo);
}

TEST(NavigationReaderDayTest, DayFoldersFollowTheDate)
{
    test::TemporaryDirectory root;
    double today = now;
    CodexNavigationReader reader(
        root.path(),
        [] {
            return CodexProcessIdentity { pid, std::nullopt };
        },
        [&] { return PlistDate { today }; });
    const fs::path tomorrow = root.path() / *utcDayFolder(PlistDate { now }, 1);
    fs::create_directories(tomorrow);
    const fs::path file = tomorrow / codexLogFileName(session, pid, 1, "000100", 0);
    std::ofstream(file) << verifiedNavigation(thread);
    reader.read();
    EXPECT_EQ(reader.currentLogURL(), std::nullopt);
    today += 86400;
    EXPECT_EQ(reader.read().selection, CodexNavigationSelection::localThread(thread));
    today += 3 * 86400;
    reader.read();
    EXPECT_EQ(reader.currentLogURL(), std::nullopt);
}

TEST_F(NavigationReaderTest, RotationPastMidnightKeepsTheHistoryAndFollowsTheNewFile)
{
    const fs::path before = logFile(0, *utcDayFolder(PlistDate { now }, -1));
    append(before, verifiedNavigation(thread));
    setModified(before, now - 10);
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::localThread(thread), 3, 3 }));

    // The assistant goes on in a new file of the same session, in today's folder: nothing is discarded, and the
    // route change read from the old file's renderer can be verified by a span in the new one.
    const std::string other = "6ba7b810-9dad-11d1-80b4-00c04fd430c8";
    const sim::LogRenderer window { 1, 7 };
    const fs::path after = logFile(1, *utcDayFolder(PlistDate { now }, 0));
    append(after, sim::routeChangeLine(lineTime + 5000, window, "/local/" + other) + "\n");
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::pending(), 4, 3 }));
    EXPECT_EQ(reader.currentLogURL(), after);
    append(after, sim::performanceSpanLine(lineTime + 5300, window) + "\n");
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::localThread(other), 5, 5 }));
    EXPECT_EQ(reader.currentLogURL(), after);
}

TEST_F(NavigationReaderTest, ReplacedOrTruncatedFileIsReadAgainFromItsStart)
{
    const fs::path file = logFile(0);
    append(file, verifiedNavigation(thread));
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::localThread(thread), 3, 3 }));

    // Replaced by a new file of the same name.
    const fs::path replacement = root.path() / "replacement";
    append(replacement, filler(300));
    fs::rename(replacement, file);
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::ambiguous(), 4, 3 }));

    append(file, verifiedNavigation(thread));
    EXPECT_EQ(read().selection, CodexNavigationSelection::localThread(thread));

    // Truncated below what was read.
    fs::resize_file(file, 100);
    const auto truncated = read();
    EXPECT_EQ(truncated.selection, CodexNavigationSelection::ambiguous());
    append(file, "\n" + verifiedNavigation(thread));
    const auto again = read();
    EXPECT_EQ(again.selection, CodexNavigationSelection::localThread(thread));
    EXPECT_EQ(again.verifiedRevision, truncated.revision + 2);
}

TEST_F(NavigationReaderTest, NewSessionStartsOverWithAnAmbiguousSelection)
{
    const fs::path first = logFile(0);
    append(first, verifiedNavigation(thread));
    setModified(first, now - 10);
    EXPECT_EQ(read().selection, CodexNavigationSelection::localThread(thread));

    const fs::path second = logFile(0, "", "B1B2C3D4-0000-4000-8000-00000000ABCD");
    append(second, filler(100));
    setModified(second, now);
    EXPECT_EQ(read(), (CodexNavigationObservation { CodexNavigationSelection::ambiguous(), 4, 3 }));
    EXPECT_EQ(reader.currentLogURL(), second);
}

TEST_F(NavigationReaderTest, MarkerLineWrittenInTwoPartsIsParsedOnceComplete)
{
    const fs::path file = logFile(0);
    const std::string lines = verifiedNavigation(thread);
    const std::size_t cut = lines.rfind("rendererWindowId");
    append(file, lines.substr(0, cut));
    EXPECT_EQ(read().selection, CodexNavigationSelection::pending());
    append(file, lines.substr(cut));
    EXPECT_EQ(read().selection, CodexNavigationSelection::localThread(thread));
}

TEST_F(NavigationReaderTest, TailOfADroppedUnfinishedLineIsIgnored)
{
    const fs::path file = logFile(0);
    const sim::LogRenderer window { 1, 7 };
    append(file,
        sim::readyToShowLine(lineTime, window, "primary") + "\n"
            + sim::routeChangeLine(lineTime, window, "/local/" + thread) + "\nnot a timestamp yet ");
    read();
    // Its continuation carries a whole span, but the line as a whole begins with garbage.
    append(file, sim::performanceSpanLine(lineTime + 100, window).substr(24) + "\n");
    EXPECT_EQ(read().selection, CodexNavigationSelection::pending());
}

TEST_F(NavigationReaderTest, GarbageNeverBreaksAPass)
{
    const fs::path file = logFile(0);
    std::string garbage(300'000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919 + 13) % 256);
    append(file, garbage + "\n");
    append(file, std::string(1'000'000, 'y'));
    read();
    append(file, "\xff\xfe [window-manager] window ready-to-show \xc3\x28\n" + std::string(20'000, 'z') + "\n");
    read();
    append(file, verifiedNavigation(thread));
    EXPECT_EQ(read().selection, CodexNavigationSelection::localThread(thread));

    fs::remove_all(root.path());
    EXPECT_EQ(read().selection, CodexNavigationSelection::ambiguous());
    EXPECT_EQ(reader.currentLogURL(), std::nullopt);
}

TEST(CodexLogFileNameTest, MatchesOnlyTheRunningProcessesNames)
{
    auto name
        = matchCodexLogFileName("codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4242-t0-i12-093000-3.log", 4242);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->session, "a1b2c3d4-0000-4000-8000-00000000abcd");
    EXPECT_EQ(name->instance, 12);
    EXPECT_EQ(name->started, 93000);
    EXPECT_EQ(name->rotation, 3);
    // Hexadecimal digits in either case, the ends of each range included.
    EXPECT_TRUE(matchCodexLogFileName("codex-desktop-a0f9AF00-0000-4000-8000-00000000abcd-4242-t0-i1-093000-3.log", 4242));
    for (const char* other : {
             "codex-desktop-g0f9AF00-0000-4000-8000-00000000abcd-4242-t0-i1-093000-3.log",
             "codex-desktop-a0f9AG00-0000-4000-8000-00000000abcd-4242-t0-i1-093000-3.log",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4243-t0-i1-093000-3.log",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4242-t1-i1-093000-3.log",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4242-t0-i1-93000-3.log",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4242-t0-i1-0930000-3.log",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4242-t0-i1-093000x3.log",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4242-t0-i1-09300",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4242-t0-i1-093000",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4242-t0-i1-093000-3.log.gz",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4242-t0-i-093000-3.log",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-4242-t0-i99999999999999999999-093000-3.log",
             "codex-desktop-A1B2C3D40-000-4000-8000-00000000ABCD-4242-t0-i1-093000-3.log",
             "codex-desktop-A1B2C3D4-0000-4000-8000-00000000ABCD-42420-t0-i1-093000-3.log",
         })
        EXPECT_FALSE(matchCodexLogFileName(other, 4242)) << other;
}

TEST(CodexLogFileNameTest, DayFoldersAreUTCDays)
{
    EXPECT_EQ(utcDayFolder(PlistDate { 1780000000 }, 0), "2026/05/28");
    EXPECT_EQ(utcDayFolder(PlistDate { 1780000000 }, 4), "2026/06/01");
    EXPECT_EQ(utcDayFolder(PlistDate { -1 }, -1), "1969/12/30");
}

} // namespace
} // namespace pellamor
