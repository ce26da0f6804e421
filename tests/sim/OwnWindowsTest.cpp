#include "platform/Platform.h"
#include "sim/SimulatedMac.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"
#include "windows/WindowSpaceRuntime.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace pellamor::sim {
namespace {

using Numbers = std::vector<std::uint32_t>;
using Spaces = std::vector<std::uint64_t>;

// Display A (main, 0…1000 wide) holds desktops 1 and 2, display B (1000…2000) desktops 4 and 5.
class OwnWindowsTest : public ::testing::Test {
protected:
    test::WidgetApplication application;
    test::TestMac mac { test::world()
            .display("A", { 1, 2 })
            .display("B", { 4, 5 })
            .application(602, "com.apple.Terminal", "Terminal")
            .window(3201, 602, QRectF(100, 100, 500, 400), { 1 }) };
    std::shared_ptr<WindowSpaceRuntime> runtime = WindowSpaceRuntime::make();
    WindowList& list = platform().windowList();

    // Our windows' descriptions, by number.
    std::map<std::uint32_t, PlistDictionary> ours(std::uint32_t options = windowListOption::all)
    {
        std::map<std::uint32_t, PlistDictionary> found;
        std::optional<PlistArray> all = list.copyWindowInfo(options, nullWindowID);
        for (const PlistValue& value : *all) {
            const PlistDictionary& description = *value.asDictionary();
            if (*description.at(windowKey::ownerPID).asInteger() == Platform::processIdentifier())
                found[std::uint32_t(*description.at(windowKey::number).asInteger())] = description;
        }
        return found;
    }

    static std::unique_ptr<QWidget> shown(QRect geometry, Qt::WindowFlags flags = {}, QWidget* parent = nullptr)
    {
        auto widget = std::make_unique<QWidget>(parent, flags);
        widget->setWindowTitle("Pellamor");
        widget->setGeometry(geometry);
        widget->show();
        return widget;
    }
};

TEST_F(OwnWindowsTest, AShownWindowIsListedOnTheDesktopItWasShownOn)
{
    auto window = shown(QRect(100, 100, 400, 300));
    auto listed = ours();
    ASSERT_EQ(listed.size(), 1u);
    const std::uint32_t number = listed.begin()->first;
    EXPECT_EQ(number, 100000u) << "numbered in a range of their own, above the world's windows";
    const PlistDictionary& description = listed.begin()->second;
    EXPECT_EQ(*description.at(windowKey::layer).asInteger(), 0);
    EXPECT_EQ(rectFromDictionary(description.at(windowKey::bounds)), QRectF(window->frameGeometry()));
    EXPECT_EQ(*description.at(windowKey::name).asString(), "Pellamor") << "our own titles need no permission";
    EXPECT_TRUE(*description.at(windowKey::isOnscreen).asBool());
    EXPECT_EQ(runtime->windowsInSpace(1), (Numbers { 3201, number }));
    EXPECT_EQ(runtime->windowsInSpace(2), Numbers {});
    EXPECT_EQ(runtime->spaces(number), Spaces { 1 });
    EXPECT_EQ(runtime->descriptions(number)->size(), 1u);
    EXPECT_EQ(list.ownWindowNumbered(number), OwnWindowAttributes {}) << "nothing declared: the defaults";
    EXPECT_EQ(list.ownWindowNumbered(3201), std::nullopt) << "another application's window";
    EXPECT_EQ(runtime->windows(false, false).size(), 1u) << "the inventory leaves our windows out";

    mac.mac().setCurrentSpace("A", 2);
    EXPECT_EQ(runtime->spaces(number), Spaces { 1 }) << "it stays on its desktop";
    EXPECT_TRUE(ours(windowListOption::onScreenOnly).empty());

    window->move(1200, 100);
    EXPECT_EQ(runtime->spaces(number), Spaces { 4 }) << "taken to B, it joins B's current desktop";
    window->move(1300, 100);
    mac.mac().setCurrentSpace("B", 5);
    EXPECT_EQ(runtime->spaces(number), Spaces { 4 });
    mac.mac().removeSpace(4);
    EXPECT_EQ(runtime->spaces(number), Spaces { 5 }) << "its desktop removed: on its display's current one";

    window->hide();
    EXPECT_TRUE(ours().empty());
    EXPECT_EQ(runtime->windowsInSpace(5), Numbers {});
    EXPECT_TRUE(list.ownWindowNumbered(number)) << "the number stays while the window lives";
    window->show();
    EXPECT_EQ(ours().begin()->first, number);
    window.reset();
    EXPECT_TRUE(ours().empty());
    EXPECT_EQ(list.ownWindowNumbered(number), std::nullopt);
}

TEST_F(OwnWindowsTest, AWindowThatJoinsAllSpacesIsOnEveryDesktopWithItsSheets)
{
    auto window = shown(QRect(100, 100, 400, 300));
    OwnWindowAttributes everywhere { normalWindowLevel, windowCollectionBehavior::canJoinAllSpaces };
    list.setOwnWindowAttributes(*window, everywhere);
    auto sheet = shown(QRect(120, 100, 300, 200), Qt::Sheet, window.get());
    auto listed = ours();
    ASSERT_EQ(listed.size(), 2u);
    const std::uint32_t number = listed.begin()->first;
    const std::uint32_t sheetNumber = listed.rbegin()->first;
    EXPECT_EQ(runtime->windowsInSpace(5), (Numbers { number, sheetNumber }));
    EXPECT_EQ(runtime->spaces(sheetNumber), (Spaces { 1, 2, 4, 5 }));
    EXPECT_EQ(list.ownWindowNumbered(number), everywhere);
    mac.mac().setCurrentSpace("A", 2);
    EXPECT_EQ(ours(windowListOption::onScreenOnly).size(), 2u);

    auto menu = shown(QRect(100, 100, 100, 100), Qt::Popup);
    auto highlight = shown(QRect(100, 100, 100, 100), Qt::Tool);
    list.setOwnWindowAttributes(*highlight, { screenSaverWindowLevel, 0 });
    listed = ours();
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(*listed.at(sheetNumber + 1).at(windowKey::layer).asInteger(), 101) << "a pop-up menu";
    EXPECT_EQ(*listed.at(sheetNumber + 2).at(windowKey::layer).asInteger(), screenSaverWindowLevel);
}

} // namespace
} // namespace pellamor::sim
