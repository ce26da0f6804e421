#include "assistant/CodexStateWatcher.h"

#include "support/TestMac.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace pellamor {
namespace {

// The kernel watches held by this process: a cancelled source removes its watch but may leave its instance open.
int inotifyWatches()
{
    int count = 0;
    for (auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error).string() != "anon_inode:inotify")
            continue;
        std::ifstream info("/proc/self/fdinfo/" + entry.path().filename().string());
        for (std::string line; std::getline(info, line);)
            count += line.starts_with("inotify wd:") ? 1 : 0;
    }
    return count;
}

class CodexStateWatcherTest : public ::testing::Test {
protected:
    void write(const std::filesystem::path& path, const std::string& contents, bool append = false)
    {
        std::ofstream(path, append ? std::ios::app : std::ios::trunc) << contents;
    }
    // Advances the clock and tells how many calls came meanwhile.
    int callsAfterAdvance()
    {
        int before = calls;
        mac.advance(0.1);
        return calls - before;
    }

    test::TestMac mac;
    std::filesystem::path folder = mac.home() / ".codex";
    std::filesystem::path file = folder / ".codex-global-state.json";
    int calls = 0;
    CodexStateWatcher watcher { [this] { ++calls; } };
};

TEST_F(CodexStateWatcherTest, WatchesTheAssistantStateFileByDefaultAndReportsWrites)
{
    EXPECT_EQ(watcher.url(), mac.home() / ".codex/.codex-global-state.json");
    std::filesystem::create_directory(folder);
    write(file, "{}");
    EXPECT_TRUE(watcher.start());
    EXPECT_EQ(callsAfterAdvance(), 0);
    write(file, "{\"a\":1}", true);
    EXPECT_EQ(callsAfterAdvance(), 1);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read, std::filesystem::perm_options::remove);
    EXPECT_EQ(callsAfterAdvance(), 1);
}

TEST_F(CodexStateWatcherTest, KeepsWatchingAFileReplacedByARename)
{
    std::filesystem::create_directory(folder);
    write(file, "{}");
    ASSERT_TRUE(watcher.start());
    write(folder / "state.tmp", "{\"new\":true}");
    EXPECT_GE(callsAfterAdvance(), 1);
    std::filesystem::rename(folder / "state.tmp", file);
    EXPECT_GE(callsAfterAdvance(), 1);
    write(file, "more", true);
    EXPECT_EQ(callsAfterAdvance(), 1);
}

TEST_F(CodexStateWatcherTest, FollowsAFileDeletedAndCreatedAgain)
{
    std::filesystem::create_directory(folder);
    write(file, "{}");
    ASSERT_TRUE(watcher.start());
    std::filesystem::remove(file);
    EXPECT_GE(callsAfterAdvance(), 1);
    EXPECT_EQ(callsAfterAdvance(), 0);
    write(file, "{}");
    EXPECT_GE(callsAfterAdvance(), 1);
    write(file, "more", true);
    EXPECT_EQ(callsAfterAdvance(), 1);
}

TEST_F(CodexStateWatcherTest, PicksUpAFileCreatedLater)
{
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(watcher.start());
    write(file, "{}");
    EXPECT_GE(callsAfterAdvance(), 1);
    write(file, "more", true);
    EXPECT_EQ(callsAfterAdvance(), 1);
}

TEST_F(CodexStateWatcherTest, WritesThroughTheReplacedFileAreNotReported)
{
    std::filesystem::create_directory(folder);
    write(file, "{}");
    // A writer that still holds the old file after it was replaced.
    std::ofstream stale(file, std::ios::app);
    ASSERT_TRUE(watcher.start());
    write(folder / "state.tmp", "{\"new\":true}");
    std::filesystem::rename(folder / "state.tmp", file);
    EXPECT_GE(callsAfterAdvance(), 1);
    stale << "late" << std::flush;
    EXPECT_EQ(callsAfterAdvance(), 0);
    write(file, "more", true);
    EXPECT_EQ(callsAfterAdvance(), 1);
}

TEST_F(CodexStateWatcherTest, EnsureFileWatchAttachesOnlyWhileTheFolderIsWatched)
{
    std::filesystem::create_directory(folder);
    const int before = inotifyWatches();
    watcher.ensureFileWatch();
    EXPECT_EQ(inotifyWatches(), before);
    EXPECT_FALSE(watcher.start());
    EXPECT_EQ(inotifyWatches(), before + 1);
    write(file, "{}");
    watcher.ensureFileWatch();
    EXPECT_EQ(inotifyWatches(), before + 2);
    watcher.ensureFileWatch();
    EXPECT_EQ(inotifyWatches(), before + 2);
    watcher.stop();
    watcher.ensureFileWatch();
    EXPECT_EQ(inotifyWatches(), before);
}

TEST_F(CodexStateWatcherTest, AMissingFolderIsNotWatchedAtAll)
{
    EXPECT_FALSE(watcher.start());
    std::filesystem::create_directory(folder);
    write(file, "{}");
    EXPECT_EQ(callsAfterAdvance(), 0);
    EXPECT_EQ(inotifyWatches(), 0);
}

TEST_F(CodexStateWatcherTest, RestartingKeepsOneSourceEachAndStopEndsEverything)
{
    std::filesystem::create_directory(folder);
    write(file, "{}");
    int before = inotifyWatches();
    ASSERT_TRUE(watcher.start());
    ASSERT_TRUE(watcher.start());
    EXPECT_EQ(inotifyWatches(), before + 2);
    write(file, "more", true);
    EXPECT_EQ(callsAfterAdvance(), 1);
    watcher.stop();
    EXPECT_EQ(inotifyWatches(), before);
    write(file, "more", true);
    std::filesystem::remove(file);
    EXPECT_EQ(callsAfterAdvance(), 0);
}

TEST_F(CodexStateWatcherTest, TheCallbackMayDestroyTheWatcher)
{
    std::filesystem::create_directory(folder);
    write(file, "{}");
    int ownCalls = 0;
    std::unique_ptr<CodexStateWatcher> owned;
    owned = std::make_unique<CodexStateWatcher>(file, [&] {
        ++ownCalls;
        owned.reset();
    });
    ASSERT_TRUE(owned->start());
    std::filesystem::remove(file);
    mac.advance(0.1);
    EXPECT_EQ(ownCalls, 1);
    EXPECT_FALSE(owned);
}

} // namespace
} // namespace pellamor
