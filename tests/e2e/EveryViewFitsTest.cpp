// Every tab, sheet and popover on a busy Mac, French and English, light and dark: at the window's smallest size no
// text is cut without an ellipsis. With PELLAMOR_SCREENSHOT_DIR set, each view is also saved there as PNG at the
// smallest, the first and a large size.
#include "app/AppDelegate.h"
#include "e2e/CrowdedShell.h"
#include "app/MainWindow.h"
#include "app/WindowSnapshot.h"
#include "overview/WindowOverview.h"
#include "platform/FileContents.h"
#include "services/AppSettingsView.h"
#include "services/Onboarding.h"
#include "setup/ProjectDesktopSetupView.h"
#include "setup/ScreenSettingsView.h"
#include "setup/SetupControls.h"
#include "support/CrowdedWorld.h"
#include "support/TestMac.h"
#include "support/TextFit.h"
#include "support/WidgetApplication.h"
#include "ui/ColorTable.h"
#include "ui/Popover.h"
#include "ui/Label.h"
#include "ui/SegmentedControl.h"
#include "ui/SheetHost.h"
#include "ui/SymbolButton.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QTabWidget>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <gtest/gtest.h>
#include <tuple>

namespace pellamor {
namespace {

using test::Variant;

constexpr QSize smallest(820, 800);

// Screens of different sizes, the last one small on the map; some windows on no project’s desktop, one of them (in
// a group of the library) with a title too long for a card.
sim::World world(const test::Crowd& crowd)
{
    sim::World world = test::crowdedWorld(crowd);
    const std::array<QRectF, 3> frames { QRectF(0, 0, 2560, 1440), QRectF(2560, 0, 1512, 982),
        QRectF(4072, 0, 1024, 768) };
    for (std::size_t index = 0; index < frames.size(); ++index) {
        world.displays[index].frame = frames[index];
        world.displays[index].visibleFrame = frames[index].adjusted(0, 0, 0, -25);
    }
    world.displays[1].name = "Built-in Retina Display";
    world.windows[4].title = "Revue de la proposition d’architecture pour la synchronisation des bureaux — brouillon";
    return world;
}

class EveryViewFitsTest : public test::CrowdedShell {
protected:
    EveryViewFitsTest()
        : CrowdedShell({ 35, 10, 8, 4, std::get<0>(GetParam()) }, world({ 35, 10, 8, 4, std::get<0>(GetParam()) }))
    {
        delegate.applicationDidFinishLaunching();
        settle();
    }

    static std::vector<QSize> sizes()
    {
        if (!std::getenv("PELLAMOR_SCREENSHOT_DIR"))
            return { smallest };
        return { smallest, QSize(880, 850), QSize(1600, 1000) };
    }
    void resize(QSize size)
    {
        delegate.window->resizeContent(size);
        settle();
    }
    // Checked at the smallest size; saved at every size.
    void look(QSize size, const std::string& view, QWidget* root = nullptr)
    {
        if (!root)
            root = SheetHost::attachedSheet(delegate.window.get());
        if (!root)
            root = delegate.window.get();
        if (size == smallest) {
            EXPECT_EQ(test::clippedTexts(root), std::vector<std::string> {}) << view;
        }
        const char* folder = std::getenv("PELLAMOR_SCREENSHOT_DIR");
        if (!folder)
            return;
        std::string name = std::string(folder) + "/" + language() + "-" + (crowd.dark ? "dark" : "light")
            + "-" + std::to_string(size.width()) + "x" + std::to_string(size.height()) + "-" + view + ".png";
        QImage picture = root == delegate.window.get() || SheetHost::attachedSheet(delegate.window.get())
            ? windowSnapshot(delegate.window.get())
            : root->grab().toImage();
        picture.save(QString::fromStdString(name), "PNG");
    }

};

// A narrow library column shortens its title's words, never its count.
void expectLibraryCountShown(const ProjectDesktopSetupView& panel)
{
    QString title = QString::fromStdString(panel.libraryTitle()->text());
    QString count = title.mid(title.lastIndexOf(QStringLiteral(" · ")));
    EXPECT_TRUE(panel.libraryTitle()->shownLines().front().endsWith(count))
        << panel.libraryTitle()->shownLines().front().toStdString();
}

// The most frequent colour of a control's picture: what is behind its title.
QColor background(QWidget* control)
{
    QImage picture = control->grab().toImage();
    std::map<QRgb, int> counts;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            ++counts[picture.pixel(x, y)];
    return QColor(std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
    })->first);
}

double distance(QColor first, QColor second)
{
    return std::hypot(first.red() - second.red(), first.green() - second.green(), first.blue() - second.blue());
}

TEST_P(EveryViewFitsTest, EveryTabShowsItsTexts)
{
    ProjectDesktopSetupView& panel = *delegate.windowOverview->setupView();
    // As launched, before any resize lays the columns out again.
    EXPECT_EQ(test::clippedTexts(delegate.window.get()), std::vector<std::string> {});
    for (QSize size : sizes()) {
        resize(size);
        selectTab(delegate.tabs, "windows");
        settle();
        look(size, "windows");
        panel.commitProjectSelection(std::string("p-1"));
        settle();
        look(size, "windows-project");
        expectLibraryCountShown(panel);
        panel.toggleUnassignedFilter();
        settle();
        look(size, "windows-all");
        expectLibraryCountShown(panel);
        panel.toggleUnassignedFilter();
        selectTab(delegate.tabs, "screens");
        settle();
        look(size, "screens");
        selectTab(delegate.tabs, "privacy");
        settle();
        look(size, "privacy");
        delegate.settingsView->showPrivacy();
        settle();
        look(size, "privacy-details");
    }
}

TEST_P(EveryViewFitsTest, TheAssistantTabShowsWholeAtTheFirstSize)
{
    resize(QSize(880, 850));
    selectTab(delegate.tabs, "screens");
    settle();
    auto* scroll = delegate.window->findChild<QScrollArea*>("assistant-scroll-view");
    ASSERT_TRUE(scroll);
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    // The last buttons keep the pane's bottom margin.
    auto* refresh = scroll->findChild<QPushButton*>("refresh-assistant-screens");
    EXPECT_LE(refresh->mapTo(scroll->viewport(), QPoint(0, refresh->height())).y(), scroll->viewport()->height() - 20);
}

TEST_P(EveryViewFitsTest, ASelectedControlReadsAsSelected)
{
    ProjectDesktopSetupView& panel = *delegate.windowOverview->setupView();
    panel.commitProjectSelection(std::string("p-1"));
    selectTab(delegate.tabs, "windows");
    settle();
    auto shortcut = std::find_if(panel.shortcutButtons().begin(), panel.shortcutButtons().end(),
        [](SetupProjectShortcutButton* button) { return button->projectID == "p-1"; });
    ASSERT_NE(shortcut, panel.shortcutButtons().end());
    ASSERT_TRUE((*shortcut)->isChecked());
    QColor selected = background(*shortcut);
    (*shortcut)->setChecked(false);
    EXPECT_GT(distance(selected, background(*shortcut)), 60) << selected.name().toStdString();

    selectTab(delegate.tabs, "screens");
    settle();
    auto* screens = delegate.window->findChild<ScreenSettingsView*>();
    QWidget* codex = screens->assistantPicker()->segmentButton(0);
    ASSERT_EQ(screens->assistantPicker()->selectedSegment(), 0);
    selected = background(codex);
    screens->assistantPicker()->setSelectedSegment(-1);
    EXPECT_GT(distance(selected, background(codex)), 60) << selected.name().toStdString();
}

TEST_P(EveryViewFitsTest, EverySheetAndPopoverShowsItsTexts)
{
    ProjectDesktopSetupView& panel = *delegate.windowOverview->setupView();
    for (QSize size : sizes()) {
        resize(size);
        selectTab(delegate.tabs, "windows");
        settle();
        delegate.presentFeedback(FeedbackKind::bug, "Le bureau 4 n’a pas pu être créé.", "project_displays");
        settle();
        look(size, "feedback");
        delegate.feedbackController->closeForm();
        settle();
        delegate.feedbackDraft.reset();
        delegate.showAbout();
        settle();
        look(size, "about");
        if (auto* sheet = dynamic_cast<SheetDialog*>(SheetHost::attachedSheet(delegate.window.get())))
            SheetHost::endSheet(sheet);
        settle();
        delegate.showOnboarding();
        settle();
        look(size, "onboarding");
        ASSERT_TRUE(delegate.onboarding);
        delegate.onboarding.reset();
        settle();
        panel.toggleProjectSetup();
        settle();
        ASSERT_TRUE(panel.projectPopover());
        look(size, "chooser", panel.projectPopover()->frame());
        panel.projectPopover()->close();
        settle();
        panel.trackingDetailsButton()->click();
        settle();
        ASSERT_TRUE(delegate.windowOverview->trackingPopover());
        look(size, "tracking", delegate.windowOverview->trackingPopover()->frame());
        delegate.windowOverview->trackingPopover()->close();
        settle();
    }
}

INSTANTIATE_TEST_SUITE_P(LightDarkFrenchEnglish, EveryViewFitsTest,
    ::testing::Combine(::testing::Bool(), ::testing::Values(std::string("fr"), std::string("en"))),
    [](const ::testing::TestParamInfo<Variant>& info) {
        return std::string(std::get<0>(info.param) ? "Dark" : "Light") + (std::get<1>(info.param) == "en" ? "English" : "French");
    });

} // namespace
} // namespace pellamor
