#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "setup/ProjectDesktopSetupView.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"

#include <QAction>
#include <QCoreApplication>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace pellamor {
namespace {

class WindowOverviewArrangementTest : public ::testing::Test {
protected:
    WindowOverviewArrangementTest()
    {
        overview = std::make_unique<WindowOverviewView>();
        overview->resize(880, 850);
        overview->show();
        overview->onStatusMessage = [this](const std::string& text, bool error) {
            statuses.push_back(text);
            lastIsError = error;
        };
        overview->setOverviewVisible(true);
        settle();
        // Library cards laid out after the last render get their flags from the next one.
        overview->updateControls();
    }
    ~WindowOverviewArrangementTest() override { overview->shutdown(); }

    static sim::World arrangementWorld()
    {
        return test::world()
            .display("D1", { 1 })
            .display("D2", { 11, 12 })
            .application(501, "com.openai.codex", "Codex")
            .application(600, "com.example.zed", "Zed")
            .window(1, 501, QRectF(0, 0, 800, 600), { 1 })
            .window(61, 600, QRectF(1100, 80, 700, 500), { 11 })
            .window(62, 600, QRectF(1100, 80, 700, 500), { 12 });
    }
    void settle(double seconds = 0.2)
    {
        mac.advance(seconds);
        QCoreApplication::sendPostedEvents();
    }
    WindowThumbnail* card(std::uint32_t window) const
    {
        auto cards = overview->cards(window);
        auto found = std::find_if(cards.begin(), cards.end(), [](auto* shown) { return shown->isVisible(); });
        return found == cards.end() ? nullptr : *found;
    }
    bool logged(const std::string& part)
    {
        const auto& lines = mac.mac().log().lines();
        return std::any_of(lines.begin(), lines.end(), [&](const auto& line) { return line.find(part) != std::string::npos; });
    }
    bool said(const std::string& text) const { return std::find(statuses.begin(), statuses.end(), text) != statuses.end(); }

    test::WidgetApplication application;
    test::TestMac mac { arrangementWorld() };
    std::unique_ptr<WindowOverviewView> overview;
    std::vector<std::string> statuses;
    bool lastIsError = false;
};

TEST_F(WindowOverviewArrangementTest, ALayoutOnTheShownDesktopIsAppliedOnTheWindowsScreen)
{
    WindowThumbnail* shown = card(61);
    ASSERT_TRUE(shown);
    ASSERT_TRUE(shown->isEditable());
    shown->choosePlacement(static_cast<int>(WindowArrangement::left));
    EXPECT_TRUE(overview->busy());
    EXPECT_TRUE(said("Préparation de cette fenêtre de Zed…"));
    settle(3);
    EXPECT_FALSE(overview->busy());
    EXPECT_FALSE(lastIsError) << statuses.back();
    EXPECT_EQ(statuses.back(), "Zed : disposition « Demi-écran gauche » appliquée.");
    EXPECT_TRUE(logged("window-frame window=61"));
    EXPECT_FALSE(logged("current-space"));
}

TEST_F(WindowOverviewArrangementTest, AWindowOnAnotherDesktopHasItsDesktopOpenedFirst)
{
    WindowThumbnail* hidden = card(62);
    ASSERT_TRUE(hidden);
    hidden->choosePlacement(static_cast<int>(WindowArrangement::maximize));
    settle(5);
    EXPECT_TRUE(said("Ouverture du Bureau 3 pour disposer cette fenêtre de Zed…"));
    EXPECT_TRUE(logged("current-space display=D2 space=12"));
    EXPECT_TRUE(logged("window-frame window=62"));
    EXPECT_FALSE(lastIsError) << statuses.back();
}

TEST_F(WindowOverviewArrangementTest, WithoutAccessibilityNothingIsOpenedOrWritten)
{
    mac.world().permissions.accessibility = false;
    card(62)->choosePlacement(static_cast<int>(WindowArrangement::maximize));
    EXPECT_FALSE(overview->busy());
    EXPECT_TRUE(lastIsError);
    EXPECT_EQ(statuses.back(), "Autorise l’accessibilité pour disposer les fenêtres.");
    settle(3);
    EXPECT_FALSE(logged("current-space"));
    EXPECT_FALSE(logged("window-frame"));
}

TEST_F(WindowOverviewArrangementTest, ASecondActionIsRefusedWhileOneRuns)
{
    card(61)->choosePlacement(static_cast<int>(WindowArrangement::left));
    std::size_t before = statuses.size();
    EXPECT_FALSE(overview->start());
    EXPECT_EQ(statuses.size(), before + 1);
    EXPECT_EQ(statuses.back(), "Une autre action est en cours. Réessaie dans un instant.");
    settle(3);
    EXPECT_EQ(statuses.back(), "Zed : disposition « Demi-écran gauche » appliquée.");
}

} // namespace
} // namespace pellamor
