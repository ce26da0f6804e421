#include "sim/ScreenCaptureService.h"
#include "sim/WorldFile.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <gtest/gtest.h>

namespace pellamor::sim {
namespace {

class ScreenCaptureTest : public ::testing::Test {
protected:
    test::TestMac mac { world() };

    static World world()
    {
        World world = test::world()
                          .display("D1", { 11, 12 })
                          .application(501, "com.example.editor", "Editor")
                          .application(502, "com.example.mail", "Mail")
                          .window(7, 501, QRectF(10, 20, 400, 300), { 11 })
                          .window(8, 502, QRectF(0, 0, 200, 100), { 12 })
                          .window(9, 4242, QRectF(0, 0, 50, 50), { 11 });
        world.windows[0].title = "Notes.txt";
        world.windows[1].title.clear();
        world.permissions.screenCapture = true;
        return world;
    }

    std::optional<std::vector<ShareableWindow>> list(bool onScreenOnly)
    {
        std::optional<std::optional<std::vector<ShareableWindow>>> answer;
        platform().screenCapture().shareableContent(true, onScreenOnly, [&](auto content) { answer = content; });
        EXPECT_FALSE(answer) << "answers later, never on the caller's stack";
        mac.advance(1);
        return answer.value();
    }

    std::optional<CapturedImage> capture(std::uint32_t window, int width, int height)
    {
        std::optional<std::optional<CapturedImage>> answer;
        platform().screenCapture().captureImage({ window, width, height, false },
                                                [&](auto image) { answer = std::move(image); });
        EXPECT_FALSE(answer);
        mac.advance(1);
        return answer.value();
    }
};

TEST_F(ScreenCaptureTest, ListsWindowsWithTheirOwnersTitlesAndWhetherTheyAreShown)
{
    auto all = list(false);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 3u);
    EXPECT_EQ((*all)[0], (ShareableWindow { 7, 501, "Notes.txt", QRectF(10, 20, 400, 300), true }));
    EXPECT_EQ((*all)[1], (ShareableWindow { 8, 502, std::nullopt, QRectF(0, 0, 200, 100), false }));
    EXPECT_FALSE((*all)[2].owningProcessID) << "a window whose process is not running has no owner";

    auto shown = list(true);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->size(), 2u);
}

TEST_F(ScreenCaptureTest, ThrowsWithoutPermissionBeforeMacOS14AndWhenFaulted)
{
    mac.world().permissions.screenCapture = false;
    EXPECT_FALSE(list(false));
    EXPECT_FALSE(capture(7, 440, 330));

    mac.world().permissions.screenCapture = true;
    mac.world().systemVersion = { 13, 6, 0 };
    EXPECT_FALSE(list(false));

    mac.world().systemVersion = { 14, 0, 0 };
    mac.world().faults.capture.listingFails = true;
    EXPECT_FALSE(list(false));
    EXPECT_TRUE(capture(7, 440, 330));
    mac.world().faults.capture.captureFails = true;
    EXPECT_FALSE(capture(7, 440, 330));
}

TEST_F(ScreenCaptureTest, LeavesOutUnlistedWindows)
{
    mac.world().faults.capture.unlisted = { 7 };
    auto all = list(false);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 2u);
    EXPECT_EQ(all->front().windowID, 8u);
}

TEST_F(ScreenCaptureTest, DrawsTheRequestedSizeInTheApplicationsColour)
{
    auto image = capture(7, 440, 330);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 440);
    EXPECT_EQ(image->height, 330);
    ASSERT_EQ(image->pixels.size(), 440u * 330u);
    std::uint32_t titleBar = image->pixels[3 * 440 + 5];
    std::uint32_t content = image->pixels[200 * 440 + 435];
    EXPECT_NE(titleBar, content) << "a title bar stands out from the content";

    auto other = capture(8, 440, 220);
    ASSERT_TRUE(other);
    EXPECT_NE(other->pixels[3 * 440 + 5], titleBar) << "each application has its own colour";

    auto tiny = capture(7, 1, 1);
    ASSERT_TRUE(tiny);
    EXPECT_EQ(tiny->pixels.size(), 1u);
}

TEST_F(ScreenCaptureTest, RefusesAWindowThatIsGoneOrASizeThatCannotBeDrawn)
{
    EXPECT_FALSE(capture(99, 440, 330));
    EXPECT_FALSE(capture(7, 0, 330));
    EXPECT_FALSE(capture(7, 440, -1));
    EXPECT_FALSE(capture(7, 100000, 100000));
}

TEST(ScreenCaptureWorldTest, FaultsComeFromTheWorldFile)
{
    const std::string display = R"("displays": [{ "id": "6A1F5C3E-7B2D-4E8F-9A0B-1C2D3E4F5A6B", "number": 1,
        "name": "A", "frame": [0, 0, 100, 100], "spaces": [{ "id": 5, "uuid": "0B2C9F3E-1D4A-4C7B-8E6F-5A4B3C2D1E0F" }] }])";
    auto reading = readWorldText("{" + display
        + R"(, "faults": { "capture": { "listing": "fails", "capture": "works", "unlisted": [3, 4], "delay": 2 } }})");
    ASSERT_TRUE(std::holds_alternative<World>(reading)) << std::get<std::string>(reading);
    const CaptureFaults& faults = std::get<World>(reading).faults.capture;
    EXPECT_TRUE(faults.listingFails);
    EXPECT_FALSE(faults.captureFails);
    EXPECT_EQ(faults.unlisted, (std::set<std::uint32_t> { 3, 4 }));
    EXPECT_EQ(faults.delay, 2);

    auto refused = readWorldText("{" + display + R"(, "faults": { "capture": { "capture": "sometimes" } }})");
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_EQ(std::get<std::string>(refused), "faults.capture.capture: expected one of \"works\", \"fails\"");
}

} // namespace
} // namespace pellamor::sim
