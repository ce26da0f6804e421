#include "setup/SetupPanelLayout.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

SetupPanelMeasures measures(double width, double height = 800)
{
    SetupPanelMeasures m;
    m.width = width;
    m.height = height;
    m.title = 300;
    m.refreshTitle = 70;
    m.actionsShown = true;
    m.trackingState = 50;
    m.setupTitle = 140;
    m.shortcutsLabel = 70;
    m.otherTitle = 40;
    m.filterTitle = 40;
    m.previewPermission = 100;
    m.accessibilityPermission = 120;
    m.permissionTitle = 120;
    m.privacyTitle = 90;
    m.clearTitle = 220;
    m.deleteTitle = 190;
    m.resetTitle = 90;
    return m;
}

TEST(SetupPanelLayoutTest, TheLibraryTakesAThirdOfTheWidthBetween230And310)
{
    SetupPanelLayout at820 = setupPanelLayout(measures(820));
    EXPECT_NEAR(at820.libraryWidth, 278.8, 1e-9);
    EXPECT_NEAR(at820.canvasWidth, 517.2, 1e-9);
    EXPECT_NEAR(at820.libraryScroll.x(), 541.2, 1e-9);
    EXPECT_EQ(setupPanelLayout(measures(600)).libraryWidth, 230);
    EXPECT_EQ(setupPanelLayout(measures(1000)).libraryWidth, 310);
    // The canvas never narrows below 180 points, even when both columns no longer fit.
    EXPECT_EQ(setupPanelLayout(measures(300)).canvasWidth, 180);
}

TEST(SetupPanelLayoutTest, ATitleThatDoesNotFitBesideTheButtonsPushesThemAndTheBandDown)
{
    // Buttons: 108 refresh + 96 actions; the title fits when 204 + 300 + 22 <= width.
    SetupPanelLayout wide = setupPanelLayout(measures(526));
    EXPECT_TRUE(wide.titleOnButtonLine);
    EXPECT_EQ(wide.title, QRectF(0, 1, 526 - 204 - 16, 29));
    EXPECT_EQ(wide.refresh, QRectF(322, 0, 108, 28));
    EXPECT_EQ(wide.actions, QRectF(438, 0, 88, 28));
    EXPECT_EQ(wide.band.y(), 42);

    SetupPanelLayout narrow = setupPanelLayout(measures(525));
    EXPECT_FALSE(narrow.titleOnButtonLine);
    EXPECT_EQ(narrow.title, QRectF(0, 1, 525, 29));
    EXPECT_EQ(narrow.refresh.y(), 34);
    EXPECT_EQ(narrow.band.y(), 76);

    // Without the actions button the title has 96 points more.
    SetupPanelMeasures hidden = measures(526 - 96);
    hidden.actionsShown = false;
    EXPECT_TRUE(setupPanelLayout(hidden).titleOnButtonLine);
    EXPECT_EQ(setupPanelLayout(hidden).actions.width(), 0);
}

TEST(SetupPanelLayoutTest, TheBandPlacesTheSwitchDetailsAndStateFromTheRight)
{
    SetupPanelLayout layout = setupPanelLayout(measures(820));
    EXPECT_EQ(layout.band, QRectF(0, 42, 820, 50));
    EXPECT_EQ(layout.trackingSwitch, QRectF(766, 54, 42, 26));
    EXPECT_EQ(layout.trackingDetails, QRectF(732, 53, 26, 28));
    EXPECT_EQ(layout.trackingState, QRectF(732 - 62 - 8, 59, 62, 18));
    EXPECT_EQ(layout.trackingTitle, QRectF(12, 49, 662 - 26, 18));
    EXPECT_EQ(layout.shortcutsRow, QRectF(0, 106, 820, 34));
}

TEST(SetupPanelLayoutTest, ShortcutsAreCappedAndTheRestOverflowsBehindTheOthersButton)
{
    SetupPanelMeasures m = measures(820);
    SetupPanelLayout empty = setupPanelLayout(m);
    ASSERT_TRUE(empty.shortcuts);
    EXPECT_EQ(empty.shortcuts->setupButton, QRectF(0, 0, 192, 34));
    EXPECT_FALSE(empty.shortcuts->more);

    m.shortcutTitles = { 60, 400 };
    SetupPanelLayout two = setupPanelLayout(m);
    ASSERT_TRUE(two.shortcuts);
    EXPECT_EQ(two.shortcuts->setupButton.x(), 820 - 192);
    EXPECT_EQ(*two.shortcuts->shortcuts[0], QRectF(88, 4, 102, 26));
    EXPECT_EQ(*two.shortcuts->shortcuts[1], QRectF(196, 4, 190, 26));
    EXPECT_TRUE(two.shortcuts->overflow.empty());

    // Room 88…616 holds four buttons of 132 only when the overflow button is not needed: 4 × 132 + 18 > 528.
    m.shortcutTitles = { 90, 90, 90, 90 };
    SetupPanelLayout four = setupPanelLayout(m);
    int shown = 0;
    for (const auto& frame : four.shortcuts->shortcuts)
        shown += frame.has_value();
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(four.shortcuts->overflow, std::vector<std::size_t>({ 3 }));
    ASSERT_TRUE(four.shortcuts->more);
    EXPECT_EQ(*four.shortcuts->more, QRectF(88 + 3 * 138, 4, 72, 26));

    // Four buttons exactly as wide as the room all show, without the overflow button: 4 × 127.5 + 18 = 528.
    m.shortcutTitles = { 85.5, 85.5, 85.5, 85.5 };
    SetupPanelLayout exact = setupPanelLayout(m);
    EXPECT_TRUE(exact.shortcuts->overflow.empty());
    EXPECT_FALSE(exact.shortcuts->more);

    // Once one button has gone to the overflow, a later narrow one goes too.
    m.shortcutTitles = { 100, 400, 400, 10 };
    SetupPanelLayout ordered = setupPanelLayout(m);
    EXPECT_EQ(ordered.shortcuts->overflow, std::vector<std::size_t>({ 2, 3 }));

    m.shortcutMenuOpen = true;
    EXPECT_FALSE(setupPanelLayout(m).shortcuts);
}

TEST(SetupPanelLayoutTest, TheBottomBlocksStayBelowTheColumnTitlesAndStackWhenNarrow)
{
    SetupPanelLayout tall = setupPanelLayout(measures(820, 800));
    EXPECT_TRUE(tall.permissionsOnOneRow);
    EXPECT_FALSE(tall.resetButtonsStacked);
    EXPECT_EQ(tall.permissionDivider.y(), 800 - 42 - 72);
    EXPECT_EQ(tall.deleteDesktops, QRectF(260, 800 - 72 + 34, 220, 28));
    EXPECT_EQ(tall.status.y(), 686 - 26);
    EXPECT_EQ(tall.canvasScroll.bottom(), 686 - 31);

    // A short panel: the permissions start 60 below the column titles and the columns shrink to nothing.
    SetupPanelLayout shortPanel = setupPanelLayout(measures(820, 200));
    double columns = shortPanel.canvasTitle.y();
    EXPECT_EQ(shortPanel.permissionDivider.y(), columns + 60);
    EXPECT_EQ(shortPanel.canvasScroll.height(), 0);
    EXPECT_EQ(shortPanel.libraryScroll.height(), 0);

    // Narrower than both reset buttons: the second goes 32 points lower and the block grows to 104.
    SetupPanelLayout narrow = setupPanelLayout(measures(400, 800));
    EXPECT_TRUE(narrow.resetButtonsStacked);
    EXPECT_FALSE(narrow.permissionsOnOneRow);
    EXPECT_EQ(narrow.permissionDivider.y(), 800 - 66 - 104);
    EXPECT_EQ(narrow.deleteDesktops.y(), narrow.clearAssignments.y() + 32);
    EXPECT_EQ(narrow.deleteDesktops.x(), 0);
    EXPECT_EQ(narrow.previewPermission.y(), narrow.permissionDivider.y() + 35);
}

} // namespace
} // namespace pellamor
