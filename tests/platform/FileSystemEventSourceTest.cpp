#include "platform/FileSystemEventSource.h"

#include "support/TestMac.h"

#include <fstream>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

int inotifyInstances()
{
    int count = 0;
    for (auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        count += std::filesystem::read_symlink(entry.path(), error).string() == "anon_inode:inotify" ? 1 : 0;
    }
    return count;
}

class FileSystemEventSourceTest : public ::testing::Test {
protected:
    std::filesystem::path file(const std::string& name)
    {
        auto path = mac.home() / name;
        std::ofstream(path) << "start";
        return path;
    }
    static void append(const std::filesystem::path& path) { std::ofstream(path, std::ios::app) << "more"; }

    test::TestMac mac;
};

TEST_F(FileSystemEventSourceTest, ASourceThatEndsLeavesNoEventToTheNextOne)
{
    auto first = file("first"), second = file("second");
    int firstCalls = 0, secondCalls = 0;
    auto source = FileSystemEventSource::open(first, FileEvent::write, [&](unsigned) { ++firstCalls; });
    ASSERT_TRUE(source);
    // Pending, never read: the source ends with an event of its own in the kernel's queue.
    append(first);
    source.reset();

    source = FileSystemEventSource::open(second, FileEvent::write, [&](unsigned events) {
        EXPECT_EQ(events, FileEvent::write);
        ++secondCalls;
    });
    ASSERT_TRUE(source);
    mac.advance(0.1);
    EXPECT_EQ(firstCalls + secondCalls, 0);
    append(first);
    append(second);
    mac.advance(0.1);
    EXPECT_EQ(firstCalls, 0);
    EXPECT_EQ(secondCalls, 1);
}

TEST_F(FileSystemEventSourceTest, AWriteAPermissionChangeAndARenameAreToldApart)
{
    auto watched = file("watched");
    std::vector<unsigned> seen;
    auto source = FileSystemEventSource::open(
        watched, FileEvent::write | FileEvent::attribute | FileEvent::rename,
        [&](unsigned events) { seen.push_back(events); });
    ASSERT_TRUE(source);
    append(watched);
    mac.advance(0.1);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), FileEvent::write);
    seen.clear();
    std::filesystem::permissions(watched, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    mac.advance(0.1);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), FileEvent::attribute);
    seen.clear();
    std::filesystem::rename(watched, mac.home() / "renamed");
    mac.advance(0.1);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), FileEvent::rename);
}

TEST_F(FileSystemEventSourceTest, ManySourcesEndedAtOnceKeepOnlyAFewInstancesOpen)
{
    auto watched = file("watched");
    const int before = inotifyInstances();
    std::vector<std::unique_ptr<FileSystemEventSource>> sources;
    for (int i = 0; i < 20; ++i)
        sources.push_back(FileSystemEventSource::open(watched, FileEvent::write, [](unsigned) { }));
    EXPECT_GE(inotifyInstances(), before + 20 - 8);
    sources.clear();
    EXPECT_LE(inotifyInstances(), before + 8);

    // A source opened afterwards still hears its file.
    int calls = 0;
    auto source = FileSystemEventSource::open(watched, FileEvent::write, [&](unsigned) { ++calls; });
    append(watched);
    mac.advance(0.1);
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace pellamor
