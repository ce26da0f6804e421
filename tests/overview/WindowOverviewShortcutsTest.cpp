#include "overview/WindowOverview.h"
#include "setup/ProjectDesktopSetupView.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"

#include <QCoreApplication>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace pellamor {
namespace {

class WindowOverviewShortcutsTest : public ::testing::Test {
protected:
    WindowOverviewShortcutsTest()
    {
        overview = std::make_unique<WindowOverviewView>();
        overview->resize(880, 850);
        overview->show();
        overview->projectAssignments = [](const std::vector<NativeDesktopState>&) {
            OverviewProjectAssignment row;
            row.id = "a";
            row.name = "Alpha";
            row.path = "~/a";
            return std::vector<OverviewProjectAssignment> { row };
        };
        overview->onStatusMessage = [this](const std::string& text, bool error) {
            statuses.push_back(text);
            lastIsError = error;
        };
        overview->setOverviewVisible(true);
        settle();
    }
    ~WindowOverviewShortcutsTest() override { overview->shutdown(); }

    static sim::World shortcutWorld()
    {
        return test::world()
            .display("D1", { 1 })
            .display("D2", { 11, 12 })
            .application(501, "com.openai.codex", "Codex")
            .application(600, "com.example.zed", "Zed")
            .window(1, 501, QRectF(0, 0, 800, 600), { 1 })
            .window(62, 600, QRectF(1100, 80, 700, 500), { 12 });
    }
    void settle(double seconds = 0.2)
    {
        mac.advance(seconds);
        QCoreApplication::sendPostedEvents();
    }
    DesktopWindow record(std::uint32_t window) const
    {
        auto found = std::find_if(overview->records().begin(), overview->records().end(),
            [&](const DesktopWindow& shown) { return shown.id == window; });
        return found == overview->records().end() ? DesktopWindow {} : *found;
    }

    test::WidgetApplication application;
    test::TestMac mac { shortcutWorld() };
    std::unique_ptr<WindowOverviewView> overview;
    std::vector<std::string> statuses;
    bool lastIsError = false;
};

TEST_F(WindowOverviewShortcutsTest, AShortcutOpensOnlyTheSelectedProjectOnTheNextTurn)
{
    int opened = 0;
    std::function<void(MissionControlResult)> pending;
    overview->openProjectDesktops = [&](const std::string& id, std::function<void(MissionControlResult)> done) {
        EXPECT_EQ(id, "a");
        ++opened;
        pending = std::move(done);
    };
    overview->openProjectFromShortcut("a");
    EXPECT_FALSE(overview->busy());
    overview->setupView()->commitProjectSelection(std::string("a"));
    overview->openProjectFromShortcut("a");
    EXPECT_TRUE(overview->busy());
    EXPECT_EQ(statuses.back(), "Ouverture des bureaux de Alpha…");
    EXPECT_EQ(opened, 0);
    settle();
    ASSERT_EQ(opened, 1);
    pending(MissionControlResult::sent());
    EXPECT_FALSE(overview->busy());
    EXPECT_EQ(statuses.back(), "Bureaux disponibles de Alpha affichés.");
    // A late second answer belongs to no running action.
    pending(MissionControlResult::failed("Trop tard."));
    EXPECT_EQ(statuses.back(), "Bureaux disponibles de Alpha affichés.");

    overview->beginAction = [] { return false; };
    overview->openProjectFromShortcut("a");
    settle();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(statuses.back(), "Une autre action est en cours. Réessaie dans un instant.");
    EXPECT_FALSE(lastIsError);
}

TEST_F(WindowOverviewShortcutsTest, AWindowsDesktopIsOpenedByItsPositionAmongAllDesktops)
{
    overview->openDesktop(record(62), 12);
    EXPECT_EQ(statuses.back(), "Ouverture du bureau de cette fenêtre…");
    settle(3);
    EXPECT_EQ(statuses.back(), "Le bureau de cette fenêtre est affiché.");
    const auto& lines = mac.mac().log().lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
        [](const std::string& line) { return line.find("current-space display=D2 space=12") != std::string::npos; }));
}

TEST_F(WindowOverviewShortcutsTest, AWindowThatLeftItsDesktopStartsNoAction)
{
    DesktopWindow stale = record(62);
    mac.world().windows[1].spaces = { 11 };
    int begun = 0;
    overview->beginAction = [&] { return ++begun > 0; };
    overview->openDesktop(stale, 12);
    EXPECT_EQ(begun, 0);
    EXPECT_TRUE(lastIsError);
    EXPECT_EQ(statuses.back(), "Les bureaux ou la fenêtre ont changé. Actualise la vue puis réessaie.");
}

TEST_F(WindowOverviewShortcutsTest, ADesktopBeyondTheNinthIsNotSwitchedTo)
{
    for (int extra = 0; extra < 8; ++extra)
        mac.mac().addSpace("D1", 100 + extra);
    overview->refresh();
    settle();
    overview->openDesktop(record(62), 12);
    EXPECT_FALSE(overview->busy());
    EXPECT_TRUE(lastIsError);
    settle(3);
    const auto& lines = mac.mac().log().lines();
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(),
        [](const std::string& line) { return line.find("current-space display=D2") != std::string::npos; }));
}

TEST_F(WindowOverviewShortcutsTest, ARemovalForAnUnknownProjectNamesItByItsID)
{
    std::function<void(std::optional<std::string>)> pending;
    overview->removeUnavailableProject = [&](const std::string&, std::function<void(std::optional<std::string>)> done) {
        pending = std::move(done);
    };
    std::optional<std::optional<std::string>> told;
    overview->removeUnavailableSelection("zz", [&](std::optional<std::string> problem) { told = problem; });
    EXPECT_EQ(statuses.back(), "Retrait des associations indisponibles de zz…");
    ASSERT_TRUE(pending);
    pending(std::nullopt);
    EXPECT_EQ(statuses.back(), "Les associations indisponibles de zz ont été retirées. Ses autres bureaux sont conservés.");
    EXPECT_FALSE(overview->busy());
    ASSERT_TRUE(told);
    EXPECT_FALSE(*told);
}

} // namespace
} // namespace pellamor
