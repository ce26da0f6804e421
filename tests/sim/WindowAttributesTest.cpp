#include "sim/AccessibilityTree.h"
#include "sim/WorldFile.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <gtest/gtest.h>

namespace pellamor::sim {
namespace {

class WindowAttributesTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world()
                            .display("D1", { 11 })
                            .application(501, "com.example.notes", "Notes")
                            .window(7, 501, QRectF(10, 20, 300, 200), { 11 }) };
    AXElementRef application = platform().accessibility().createApplication(501);
    AXElementRef window = mac.mac().accessibilityTree().windowElement(7);
    Faults& faults = mac.world().faults;

    bool enhanced() { return *application->copyAttributeValue("AXEnhancedUserInterface")->as<bool>(); }
};

TEST_F(WindowAttributesTest, EnhancedUserInterfaceIsReadWrittenAndLogged)
{
    mac.world().applications[0].enhancedUserInterface = true;
    EXPECT_TRUE(application->isAttributeSettable("AXEnhancedUserInterface").value());
    EXPECT_EQ(application->setAttributeValue("AXEnhancedUserInterface", false), AXError::success);
    EXPECT_FALSE(enhanced());
    EXPECT_EQ(application->setAttributeValue("AXEnhancedUserInterface", 1), AXError::illegalArgument);
    faults.accessibility.enhancedUserInterfaceStaysOff = true;
    EXPECT_EQ(application->setAttributeValue("AXEnhancedUserInterface", true), AXError::success);
    EXPECT_FALSE(enhanced());
    faults.accessibility.enhancedUserInterfaceStaysOff = false;
    EXPECT_EQ(application->setAttributeValue("AXEnhancedUserInterface", true), AXError::success);
    EXPECT_TRUE(enhanced());
    EXPECT_EQ(mac.mac().log().lines(),
        (std::vector<std::string> {
            "enhanced-user-interface pid=501 enabled=false", "enhanced-user-interface pid=501 enabled=true" }));
}

TEST_F(WindowAttributesTest, SizeWritesFollowResizabilityAndTheMaximumSize)
{
    mac.world().windows[0].resizable = false;
    EXPECT_TRUE(window->isAttributeSettable("AXPosition").value());
    EXPECT_FALSE(window->isAttributeSettable("AXSize").value());
    EXPECT_EQ(window->setAttributeValue("AXSize", QSizeF(500, 400)), AXError::cannotComplete);
    mac.world().windows[0].resizable = true;
    mac.world().windows[0].maximumSize = QSizeF(400, 1000);
    EXPECT_EQ(window->setAttributeValue("AXSize", QSizeF(500, 400)), AXError::success);
    EXPECT_EQ(mac.world().windows[0].frame, QRectF(10, 20, 400, 400));
}

TEST_F(WindowAttributesTest, AFrameFaultCanTouchThePositionAlone)
{
    faults.frameWrites = FrameWrites::refused;
    faults.accessibility.frameWriteTarget = FrameWriteTarget::position;
    EXPECT_EQ(window->setAttributeValue("AXSize", QSizeF(500, 400)), AXError::success);
    EXPECT_EQ(window->setAttributeValue("AXPosition", QPointF(0, 0)), AXError::cannotComplete);
    faults.accessibility.frameWriteTarget = FrameWriteTarget::size;
    EXPECT_EQ(window->setAttributeValue("AXPosition", QPointF(0, 0)), AXError::success);
    EXPECT_EQ(window->setAttributeValue("AXSize", QSizeF(50, 40)), AXError::cannotComplete);
    EXPECT_EQ(mac.world().windows[0].frame, QRectF(0, 0, 500, 400));
}

TEST_F(WindowAttributesTest, FramesCanBecomeUnreadableOnceWritten)
{
    faults.accessibility.framesUnreadableAfterWrite = true;
    EXPECT_TRUE(window->copyAttributeValue("AXPosition"));
    EXPECT_EQ(window->setAttributeValue("AXPosition", QPointF(0, 0)), AXError::success);
    EXPECT_EQ(window->copyAttributeValue("AXPosition").error(), AXError::cannotComplete);
    EXPECT_EQ(window->copyAttributeValue("AXSize").error(), AXError::cannotComplete);
}

TEST(WindowAttributesWorldTest, TheWorldFileSetsThem)
{
    auto reading = readWorldText(R"({
        "displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 100, 100], "spaces": [{ "id": 5 }] }],
        "applications": [{ "pid": 2, "bundleID": "b", "name": "B", "enhancedUserInterface": true }],
        "windows": [{ "number": 1, "pid": 2, "frame": [0, 0, 1, 1], "spaces": [5], "resizable": false,
                      "maximumSize": [640, 480] }],
        "faults": { "accessibility": { "frameWriteTarget": "size", "framesAfterWrite": "unreadable",
                                       "enhancedUserInterfaceRestore": "ignored" } } })");
    ASSERT_TRUE(std::holds_alternative<World>(reading)) << std::get<std::string>(reading);
    const World& world = std::get<World>(reading);
    EXPECT_TRUE(world.applications[0].enhancedUserInterface);
    EXPECT_FALSE(world.windows[0].resizable);
    EXPECT_EQ(world.windows[0].maximumSize, QSizeF(640, 480));
    EXPECT_EQ(world.faults.accessibility.frameWriteTarget, FrameWriteTarget::size);
    EXPECT_TRUE(world.faults.accessibility.framesUnreadableAfterWrite);
    EXPECT_TRUE(world.faults.accessibility.enhancedUserInterfaceStaysOff);

    auto bad = readWorldText(R"({
        "displays": [{ "id": "11111111-1111-1111-1111-111111111111", "number": 1, "name": "A", "frame": [0, 0, 100, 100], "spaces": [{ "id": 5 }] }],
        "windows": [{ "number": 1, "pid": 2, "frame": [0, 0, 1, 1], "spaces": [5], "maximumSize": [0, 480] }] })");
    ASSERT_TRUE(std::holds_alternative<std::string>(bad));
    EXPECT_EQ(std::get<std::string>(bad), "windows[0].maximumSize: width and height must be greater than 0");
}

} // namespace
} // namespace pellamor::sim
