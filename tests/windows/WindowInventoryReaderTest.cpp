#include "windows/WindowInventoryReader.h"

#include "platform/SkyLight.h"
#include "sim/SymbolTable.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace pellamor {
namespace {

using Snapshot = WindowInventoryReader::Snapshot;

test::WorldBuilder machine()
{
    return test::world()
        .display("D1", { 11, 12 })
        .display("D2", { 21 })
        .application(301, "com.example.notes", "Notes")
        .window(40, 301, QRectF(100, 100, 400, 300), { 11 })
        .window(41, 301, QRectF(100, 100, 400, 300), { 21 });
}

// Completions record what they were given, by name.
struct Deliveries {
    std::vector<std::pair<std::string, std::optional<Snapshot>>> received;
    WindowInventoryReader::Completion operator()(std::string name)
    {
        return [this, name](std::optional<Snapshot> snapshot) { received.emplace_back(name, std::move(snapshot)); };
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> list;
        for (const auto& entry : received)
            list.push_back(entry.first);
        return list;
    }
};

class WindowInventoryReaderTest : public ::testing::Test {
protected:
    test::TestMac mac { machine() };
    std::shared_ptr<WindowInventoryReader> reader = std::make_shared<WindowInventoryReader>();
    Deliveries deliveries;
};

TEST_F(WindowInventoryReaderTest, ASnapshotHoldsTheDesktopsAndTheWindows)
{
    reader->request("refresh", deliveries("first"));
    EXPECT_TRUE(deliveries.received.empty());
    mac.advance(0);
    ASSERT_EQ(deliveries.names(), std::vector<std::string> { "first" });
    const auto& snapshot = deliveries.received[0].second;
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->desktops.size(), 3u);
    ASSERT_EQ(snapshot->windows.size(), 2u);
    EXPECT_EQ(snapshot->windows[1].spaces, std::vector<std::uint64_t> { 21 });
}

TEST_F(WindowInventoryReaderTest, AWindowConfirmedHiddenIsLeftOut)
{
    mac.world().faults.windows.hidden = { 40 };
    reader->request("first", deliveries("first"));
    mac.advance(1.5);
    reader->request("second", deliveries("second"));
    mac.advance(0);
    ASSERT_EQ(deliveries.names(), (std::vector<std::string> { "first", "second" }));
    ASSERT_TRUE(deliveries.received[1].second);
    ASSERT_EQ(deliveries.received[1].second->windows.size(), 1u);
    EXPECT_EQ(deliveries.received[1].second->windows[0].id, 41u);
}

TEST_F(WindowInventoryReaderTest, TheNewestRequestWins)
{
    reader->request("a", deliveries("a"));
    reader->request("b", deliveries("b"));
    reader->request("c", deliveries("c"));
    mac.advance(0);
    EXPECT_EQ(deliveries.names(), std::vector<std::string> { "c" });
}

TEST_F(WindowInventoryReaderTest, ADuplicateContextIsDroppedUntilTheRevisionMoves)
{
    reader->request("tab", deliveries("running"));
    reader->request("tab", deliveries("duplicate of the running one"));
    reader->request(std::nullopt, deliveries("without context"));
    reader->request(std::nullopt, deliveries("without context again"));
    reader->request("tab", deliveries("waiting"));
    reader->request("tab", deliveries("duplicate of the waiting one"));
    mac.advance(0);
    EXPECT_EQ(deliveries.names(), std::vector<std::string> { "waiting" });

    reader->request("tab", deliveries("next"));
    reader->cancel();
    reader->request("tab", deliveries("after cancel"));
    mac.advance(0);
    EXPECT_EQ(deliveries.names(), (std::vector<std::string> { "waiting", "after cancel" }));
}

TEST_F(WindowInventoryReaderTest, CancelDropsTheResultInFlight)
{
    reader->request("tab", deliveries("cancelled"));
    reader->cancel();
    mac.advance(0);
    EXPECT_TRUE(deliveries.received.empty());
    reader->request("tab", deliveries("fresh"));
    mac.advance(0);
    EXPECT_EQ(deliveries.names(), std::vector<std::string> { "fresh" });
    EXPECT_TRUE(deliveries.received[0].second);
}

TEST_F(WindowInventoryReaderTest, ADesktopChangeDuringTheReadMakesTheSnapshotAbsent)
{
    // The desktops change while the windows are read: on the first question about a window's Spaces.
    auto original = platform()
                        .frameworks()
                        .open(skylight::frameworkPath)
                        ->function<skylight::CopySpacesForWindows>("SLSCopySpacesForWindows");
    bool changed = false;
    mac.mac().symbolTable().add(skylight::frameworkPath, "SLSCopySpacesForWindows",
        std::function<skylight::CopySpacesForWindows>(
            [&](skylight::ConnectionID connection, std::int32_t mask, const PlistArray& windows) {
                if (!changed)
                    mac.mac().addSpace("D2", 9);
                changed = true;
                return original(connection, mask, windows);
            }));
    reader->request("tab", deliveries("changed"));
    mac.advance(0);
    ASSERT_EQ(deliveries.names(), std::vector<std::string> { "changed" });
    EXPECT_FALSE(deliveries.received[0].second);
    reader->request("tab", deliveries("settled"));
    mac.advance(0);
    EXPECT_TRUE(deliveries.received[1].second);
}

TEST_F(WindowInventoryReaderTest, UnreadableDesktopsOrMissingSymbolsGiveNoSnapshot)
{
    mac.world().faults.spaces = sim::SpacesShape::null;
    reader->request("tab", deliveries("unreadable"));
    mac.advance(0);
    EXPECT_FALSE(deliveries.received.at(0).second);
    mac.world().faults.spaces = sim::SpacesShape::wellFormed;
    mac.world().faults.missingSymbols = { "SLSCopySpacesForWindows" };
    auto without = std::make_shared<WindowInventoryReader>();
    without->request("tab", deliveries("no runtime"));
    mac.advance(0);
    EXPECT_FALSE(deliveries.received.at(1).second);
}

TEST_F(WindowInventoryReaderTest, CaptureTitlesReachTheReadingRuntime)
{
    mac.world().windows[0].title = "";
    reader->updateCaptureTitle(40, 301, "Captured");
    reader->request("tab", deliveries("titled"));
    mac.advance(0);
    EXPECT_EQ(deliveries.received.at(0).second->windows[0].title, "Captured");
}

TEST_F(WindowInventoryReaderTest, AReleasedReaderDeliversNothing)
{
    reader->request("tab", deliveries("released"));
    reader.reset();
    mac.advance(0);
    EXPECT_TRUE(deliveries.received.empty());
}

// On the executable's real background thread, with a provider whose reads wait at a gate the test opens.
class ThreadedInventoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::MacSetup setup;
        setup.world = machine();
        setup.logStream = nullptr;
        setup.home = home.path();
        setup.resources = PELLAMOR_SOURCE_RESOURCES;
        setup.threadedBackground = true;
        mac = std::make_unique<sim::SimulatedMac>(clock, std::move(setup));
        clock.attach(mac->mainQueue());
        installed.emplace(*mac);
    }
    void TearDown() override
    {
        open(1000);
        // Waits for the queue to drain before the machine goes.
        std::mutex drained;
        std::condition_variable done;
        bool finished = false;
        mac->backgroundQueue().async([&] {
            std::lock_guard lock(drained);
            finished = true;
            done.notify_one();
        });
        std::unique_lock lock(drained);
        done.wait(lock, [&] { return finished; });
    }

    WindowInventoryReader::Provider gatedProvider()
    {
        auto native = WindowInventoryReader::nativeProvider();
        readerThread = std::this_thread::get_id();
        return { [this, native] {
                    std::unique_lock lock(gate);
                    ++started;
                    changed.notify_all();
                    changed.wait(lock, [&] { return opened > 0; });
                    --opened;
                    lock.unlock();
                    return native.read();
                },
            native.updateCaptureTitle };
    }
    void open(int reads)
    {
        std::lock_guard lock(gate);
        opened += reads;
        changed.notify_all();
    }
    void waitUntilStarted(int reads)
    {
        std::unique_lock lock(gate);
        changed.wait(lock, [&] { return started >= reads; });
    }
    // Runs the main queue until `count` deliveries arrived, or gives up after five seconds.
    void deliverUntil(std::size_t count)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (deliveries.received.size() < count && std::chrono::steady_clock::now() < deadline) {
            clock.runPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    // Lets every read so far finish and hands their results over.
    void settle()
    {
        open(100);
        for (int turn = 0; turn < 50; ++turn) {
            clock.runPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    test::TemporaryDirectory home;
    test::VirtualClock clock;
    std::unique_ptr<sim::SimulatedMac> mac;
    std::optional<ScopedPlatform> installed;
    std::mutex gate;
    std::condition_variable changed;
    int started = 0;
    int opened = 0;
    std::thread::id readerThread;
    Deliveries deliveries;
};

TEST_F(ThreadedInventoryTest, RevisionRulesHoldAcrossTheBackgroundThread)
{
    auto reader = std::make_shared<WindowInventoryReader>([this] { return gatedProvider(); });
    reader->request("tab", deliveries("in flight"));
    waitUntilStarted(1);
    EXPECT_NE(readerThread, std::this_thread::get_id());
    reader->request("tab", deliveries("duplicate"));
    reader->request("a", deliveries("replaced"));
    reader->request("b", deliveries("newest"));
    open(2);
    deliverUntil(1);
    settle();
    ASSERT_EQ(deliveries.names(), std::vector<std::string> { "newest" });
    EXPECT_TRUE(deliveries.received[0].second);

    reader->request("tab", deliveries("cancelled"));
    waitUntilStarted(3);
    reader->cancel();
    reader->request("tab", deliveries("after cancel"));
    open(2);
    deliverUntil(2);
    settle();
    EXPECT_EQ(deliveries.names(), (std::vector<std::string> { "newest", "after cancel" }));
}

TEST_F(ThreadedInventoryTest, ADesktopAddedWhileTheThreadReadsDropsTheSnapshot)
{
    auto original = mac->frameworks()
                        .open(skylight::frameworkPath)
                        ->function<skylight::CopySpacesForWindows>("SLSCopySpacesForWindows");
    std::atomic<bool> added = false;
    mac->symbolTable().add(skylight::frameworkPath, "SLSCopySpacesForWindows",
        std::function<skylight::CopySpacesForWindows>(
            [&](skylight::ConnectionID connection, std::int32_t mask, const PlistArray& windows) {
                if (!added.exchange(true))
                    mac->addSpace("D1", 9);
                return original(connection, mask, windows);
            }));
    auto reader = std::make_shared<WindowInventoryReader>();
    reader->request("tab", deliveries("changed"));
    deliverUntil(1);
    ASSERT_EQ(deliveries.names(), std::vector<std::string> { "changed" });
    EXPECT_FALSE(deliveries.received[0].second);
}

} // namespace
} // namespace pellamor
