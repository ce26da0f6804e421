// The windows tab on a busy Mac, at the window's smallest size and a large one, light and dark, French and
// English: nothing clipped or overlapping. With PELLAMOR_SCREENSHOT_DIR set, each state is saved there as PNG.
#include "app/AppDelegate.h"
#include "e2e/CrowdedShell.h"
#include "app/MainWindow.h"
#include "app/ScriptDrive.h"
#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "platform/FileContents.h"
#include "services/Onboarding.h"
#include "setup/ProjectDesktopSetupView.h"
#include "setup/ProjectDisplayDropView.h"
#include "setup/SetupControls.h"
#include "setup/ProjectSetupChooser.h"
#include "setup/SetupPrimaryButton.h"
#include "ui/Popover.h"
#include "support/CrowdedWorld.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "ui/ColorTable.h"
#include "ui/DraggingInfo.h"
#include "ui/Label.h"
#include "ui/SystemFont.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QPushButton>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <tuple>

namespace pellamor {
namespace {

using test::Variant;

class WindowsTabScreenshotTest : public test::CrowdedShell {
protected:
    WindowsTabScreenshotTest()
        : CrowdedShell({ 120, 25, 30, 3, std::get<0>(GetParam()) },
            test::crowdedWorld({ 120, 25, 30, 3, std::get<0>(GetParam()) }))
    {
    }

    void save(QSize size, const char* state, QWidget* shown = nullptr)
    {
        const char* folder = std::getenv("PELLAMOR_SCREENSHOT_DIR");
        if (!folder)
            return;
        std::string name = std::string(folder) + "/windows-tab-" + (crowd.dark ? "dark" : "light") + "-"
            + std::get<1>(GetParam()) + "-" + std::to_string(size.width()) + "x" + std::to_string(size.height())
            + "-" + state + ".png";
        (shown ? shown : delegate.window.get())->grab().save(QString::fromStdString(name), "PNG");
    }

};

void expectNothingClipped(ProjectDesktopSetupView& panel)
{
    for (QAbstractButton* button : panel.findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&panel) || button->width() == 0 || !qobject_cast<QPushButton*>(button))
            continue;
        if (button->text().isEmpty())
            continue;
        // The title and the image with the style's smallest padding.
        double needed = textWidth(button->text().replace(QStringLiteral("&&"), QStringLiteral("&")).toStdString(),
                            button->font())
            + (button->icon().isNull() ? 0 : button->iconSize().width() + 4) + 8;
        EXPECT_GE(button->width(), needed) << button->objectName().toStdString() << " " << button->text().toStdString();
    }
    // One-line labels that do not truncate by design show their whole text.
    for (Label* label : { panel.titleLabel(), panel.trackingState(), panel.shortcutsLabel() }) {
        if (!label->isVisibleTo(&panel))
            continue;
        EXPECT_GE(label->width(), textWidth(label->text(), label->font())) << label->text();
    }
    const SetupPanelLayout& layout = panel.currentLayout();
    EXPECT_FALSE(layout.title.intersects(layout.refresh));
    EXPECT_FALSE(layout.trackingTitle.intersects(layout.trackingState));
    EXPECT_LE(layout.canvasScroll.bottom(), layout.status.top());
    EXPECT_LE(layout.libraryScroll.bottom(), layout.status.top());
    EXPECT_LE(layout.status.bottom(), layout.permissionDivider.top());
    EXPECT_FALSE(layout.previewPermission.intersects(layout.privacy));
    EXPECT_FALSE(layout.accessibilityPermission.intersects(layout.privacy));
    EXPECT_FALSE(layout.clearAssignments.intersects(layout.deleteDesktops));
    EXPECT_LE(layout.deleteDesktops.bottom(), panel.height());
    EXPECT_LE(layout.accessibilityPermission.right(), panel.width());
}

TEST_P(WindowsTabScreenshotTest, ThePanelFitsAtTheSmallestAndALargeSize)
{
    delegate.applicationDidFinishLaunching();
    settle();
    ASSERT_TRUE(delegate.windowOverview);
    ProjectDesktopSetupView& panel = *delegate.windowOverview->setupView();
    EXPECT_EQ(panel.records().size(), 120u);
    panel.commitProjectSelection(std::string("p-1"));
    settle();
    for (QSize size : { QSize(820, 800), QSize(1600, 1000) }) {
        delegate.window->resize(size);
        settle();
        expectNothingClipped(panel);
        save(size, "project");
    }
    delegate.window->resize(QSize(820, 800));
    settle();
    panel.toggleProjectSetup();
    ASSERT_TRUE(panel.projectPopover() && panel.projectPopover()->isShown());
    QTest::keyClicks(panel.projectChooser()->searchField(), "equ");
    settle();
    // The popover lies inside the window, below the button that opened it.
    QRect popover(panel.projectPopover()->frame()->mapTo(delegate.window.get(), QPoint(0, 0)),
        panel.projectPopover()->frame()->size());
    EXPECT_TRUE(delegate.window->rect().contains(popover));
    EXPECT_GE(popover.top(), panel.setupProjectButton()->mapTo(delegate.window.get(), QPoint(0, 0)).y());
    EXPECT_EQ(panel.projectChooser()->rows().size(), 10u);
    save(QSize(820, 800), "chooser");
}

// Cards of a panel's column that a person can see.
std::vector<WindowThumbnail*> shownCards(QWidget* column)
{
    std::vector<WindowThumbnail*> shown;
    for (auto* card : column->findChildren<WindowThumbnail*>())
        if (card->isVisibleTo(column))
            shown.push_back(card);
    return shown;
}

TEST_P(WindowsTabScreenshotTest, ASelectedWindowAndCardsInMidDragShowWhereTheyWouldGo)
{
    delegate.applicationDidFinishLaunching();
    settle();
    WindowOverviewView& overview = *delegate.windowOverview;
    ProjectDesktopSetupView& panel = *overview.setupView();
    panel.commitProjectSelection(std::string("p-1"));
    // Every window of the crowd is on some project's desktop: the library lists them all.
    panel.toggleUnassignedFilter();
    for (QSize size : { QSize(820, 800), QSize(1600, 1000) }) {
        delegate.window->resize(size);
        settle();
        std::vector<WindowThumbnail*> library = shownCards(panel.library());
        std::vector<WindowThumbnail*> placed = shownCards(panel.canvas());
        auto screens = panel.canvas()->findChildren<ProjectDisplayDropView*>();
        ASSERT_FALSE(library.empty());
        ASSERT_FALSE(placed.empty());
        ASSERT_FALSE(screens.empty());

        QTest::mouseClick(library.front(), Qt::LeftButton);
        settle();
        EXPECT_TRUE(std::any_of(panel.moveButtons().begin(), panel.moveButtons().end(),
            [](SetupActionButton* button) { return button->isEnabled(); }));
        expectNothingClipped(panel);
        save(size, "selected");
        if (QMenu* menu = placed.front()->cardMenu()) {
            menu->adjustSize();
            save(size, "card-menu", menu);
        }

        ProjectDisplayDropView* screen = screens.front();
        ScriptDrive::dragCard(*shownCards(panel.library()).front(), [&](const DraggingInfo& info) {
            EXPECT_TRUE(screen->draggingUpdated(info));
            EXPECT_EQ(overview.displayDragHighlight().displayID(), screen->display);
            save(size, "dragging");
            screen->draggingExited();
            return false;
        });
        EXPECT_FALSE(overview.displayDragHighlight().displayID());

        QWidget* column = panel.library()->parentWidget();
        QPointF location = column->mapTo(&panel, column->rect().center());
        ScriptDrive::dragCard(*placed.front(), [&](const DraggingInfo& info) {
            EXPECT_TRUE(panel.returnDragUpdated(info, location));
            save(size, "returning");
            panel.returnDragExited();
            return false;
        });
        EXPECT_FALSE(panel.returnHighlighted());
    }
}

INSTANTIATE_TEST_SUITE_P(LightDarkFrenchEnglish, WindowsTabScreenshotTest,
    ::testing::Combine(::testing::Bool(), ::testing::Values(std::string("fr"), std::string("en"))));

} // namespace
} // namespace pellamor
