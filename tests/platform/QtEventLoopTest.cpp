#include "platform/QtEventLoop.h"

#include "platform/FileSystemEventSource.h"
#include "sim/SimulatedMac.h"
#include "support/TemporaryDirectory.h"
#include "support/WidgetApplication.h"

#include <QCoreApplication>
#include <fstream>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

// The executable's loop: file events and queued blocks arrive through Qt, without waiting on a clock.
class QtEventLoopTest : public ::testing::Test {
protected:
    QtEventLoopTest()
    {
        test::ensureWidgetApplication();
        loop.attach(mac->mainQueue());
    }
    template <class Condition> bool processUntil(Condition condition)
    {
        for (int i = 0; i < 1000 && !condition(); ++i)
            QCoreApplication::processEvents();
        return condition();
    }

    QtEventLoop loop;
    test::TemporaryDirectory folder;
    std::unique_ptr<sim::SimulatedMac> mac = std::make_unique<sim::SimulatedMac>(loop, setup());

    sim::MacSetup setup()
    {
        sim::MacSetup setup;
        setup.home = folder.path();
        setup.logStream = nullptr;
        return setup;
    }
    ScopedPlatform installed { *mac };
};

TEST_F(QtEventLoopTest, RunsQueuedBlocksAndDeliversFileEventsToASourceThatEndsItself)
{
    bool ran = false;
    mac->mainQueue().async([&] { ran = true; });
    EXPECT_TRUE(processUntil([&] { return ran; }));

    auto file = folder.path() / "watched";
    std::ofstream(file) << "a";
    unsigned seen = 0;
    std::unique_ptr<FileSystemEventSource> source;
    source = FileSystemEventSource::open(file, FileEvent::write | FileEvent::deletion, [&](unsigned events) {
        seen |= events;
        source.reset();
    });
    ASSERT_TRUE(source);
    std::ofstream(file, std::ios::app) << "b";
    EXPECT_TRUE(processUntil([&] { return !source; }));
    EXPECT_EQ(seen, FileEvent::write);
}

} // namespace
} // namespace pellamor
