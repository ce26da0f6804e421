#include "desktops/ScreenPlacement.h"
#include "setup/ScreenMapView.h"
#include "setup/ScreenSettingsView.h"
#include "ui/ControlClick.h"
#include "ui/Label.h"
#include "ui/SegmentedControl.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

const std::string builtIn = "AAAAAAAA-0000-0000-0000-000000000001";
const std::string external = "BBBBBBBB-0000-0000-0000-000000000002";

sim::World twoScreens()
{
    sim::World world = test::world()
                           .display(builtIn, { 1 })
                           .display(external, { 2, 3 })
                           .application(501, "com.openai.codex", "Codex")
                           .window(900, 501, QRectF(100, 100, 800, 600), { 1 });
    world.displays[0].name = "Built-in Retina Display";
    world.displays[1].name = "DELL U2723QE";
    return world;
}

class ScreenSettingsViewTest : public ::testing::Test {
protected:
    std::unique_ptr<ScreenSettingsView> makePane()
    {
        auto pane = std::make_unique<ScreenSettingsView>();
        pane->resize(820, 700);
        pane->show();
        return pane;
    }
    std::vector<std::string> pickerItems(ScreenSettingsView& pane) const
    {
        std::vector<std::string> items;
        for (int index = 0; index < pane.monitorPicker()->count(); ++index)
            items.push_back(pane.monitorPicker()->itemText(index).toStdString());
        return items;
    }
    void choose(ScreenSettingsView& pane, int index)
    {
        pane.monitorPicker()->setCurrentIndex(index);
        emit pane.monitorPicker()->activated(index);
    }
    std::optional<std::string> storedScreen() { return mac.mac().standardDefaults().string(assistantDefaultsKey::screenID).value(); }
    int changes() const { return changes_; }
    bool placedAnyWindow()
    {
        const auto& lines = mac.mac().log().lines();
        return std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("window-frame", 0) == 0; });
    }

    test::WidgetApplication application;
    test::TestMac mac { twoScreens() };

private:
    int changes_ = 0;
    ObserverToken observer_ = mac.mac().defaultCenter().addObserver(
        assistantScreenConfigurationChanged, nullptr, [this](const Notification&) { ++changes_; });
};

TEST_F(ScreenSettingsViewTest, FirstStartOnOneBuiltInScreenTakesItAndAsksForAnother)
{
    mac.mac().disconnectDisplay(external);
    auto pane = makePane();
    EXPECT_EQ(pane->configuration().monitorID, builtIn);
    EXPECT_EQ(storedScreen(), builtIn);
    EXPECT_EQ(pickerItems(*pane), std::vector<std::string> { "Écran 1 — MacBook" });
    EXPECT_EQ(pane->summary()->text(), "1 écran dédié · 0 écrans de contenu");
    EXPECT_TRUE(pane->placeButton()->isEnabled());
    EXPECT_EQ(pane->placeButton()->text().toStdString(), "Placer Codex");
    // The choices' rows stand 11 points apart, the pane's blocks 16.
    auto gapAbove = [](QWidget* view) {
        QBoxLayout* column = qobject_cast<QBoxLayout*>(view->parentWidget()->layout());
        QWidget* above = column->itemAt(column->indexOf(view) - 1)->widget();
        return view->y() - above->geometry().bottom() - 1;
    };
    QWidget* screenRow = pane->monitorPicker()->parentWidget();
    EXPECT_EQ(gapAbove(screenRow), 11);
    QWidget* layoutCard = pane->summary()->parentWidget()->parentWidget();
    EXPECT_EQ(gapAbove(layoutCard), 16);
    EXPECT_EQ(pane->spacesNote()->text(),
        "Branche un autre écran pour afficher le contenu des projets en gardant l’assistant sur son écran dédié.");
    EXPECT_EQ(pane->spacesNote()->colorRole(), ColorRole::orange);
    EXPECT_EQ(changes(), 0);
}

TEST_F(ScreenSettingsViewTest, TwoScreensCountOneForContentAndTheSpacesNoteFollowsTheSetting)
{
    mac.world().separateSpaces = false;
    auto pane = makePane();
    EXPECT_EQ(pane->summary()->text(), "1 écran dédié · 1 écran de contenu");
    EXPECT_EQ(pane->spacesNote()->colorRole(), ColorRole::orange);
    EXPECT_NE(pane->spacesNote()->text().find("Les écrans disposent d’espaces distincts"), std::string::npos);
    mac.world().separateSpaces = true;
    clickControl("refresh-assistant-screens");
    EXPECT_EQ(pane->spacesNote()->text(), "Espaces distincts activés. Les écrans de contenu peuvent suivre tes projets.");
    EXPECT_EQ(pane->spacesNote()->colorRole(), ColorRole::secondaryLabel);
    EXPECT_EQ(pane->map()->accessibilityValue(),
        "Écran 1, MacBook : Codex, écran dédié. Écran 2, DELL U2723QE : contenu des projets");
}

TEST_F(ScreenSettingsViewTest, FirstStartOnTwoScreensTakesTheMainOneWhereverItIsListed)
{
    mac.world().displays[0].main = false;
    mac.world().displays[1].main = true;
    auto pane = makePane();
    EXPECT_EQ(pane->configuration().monitorID, external);
    EXPECT_EQ(storedScreen(), external);
    EXPECT_EQ(pane->monitorPicker()->currentIndex(), 1);
    EXPECT_EQ(pane->summary()->text(), "1 écran dédié · 1 écran de contenu");
}

TEST_F(ScreenSettingsViewTest, UnpluggingTheDedicatedScreenWhileShownKeepsItSavedAndMarksItDisconnected)
{
    mac.mac().standardDefaults().set(assistantDefaultsKey::screenID, external);
    auto pane = makePane();
    EXPECT_EQ(pane->monitorPicker()->currentIndex(), 1);
    mac.mac().disconnectDisplay(external);
    EXPECT_EQ(pickerItems(*pane), (std::vector<std::string> { "Écran 1 — MacBook", "Écran dédié — déconnecté" }));
    EXPECT_EQ(pane->monitorPicker()->currentIndex(), 1);
    EXPECT_EQ(pane->monitorPicker()->currentData().toString().toStdString(), external);
    EXPECT_EQ(pane->summary()->text(), "Écran dédié déconnecté · 1 écran de contenu");
    EXPECT_FALSE(pane->placeButton()->isEnabled());
    EXPECT_EQ(pane->spacesNote()->text(),
        "Rebranche l’écran dédié ou choisis-en un autre pour reprendre le suivi des projets.");
    EXPECT_EQ(pane->map()->accessibilityValue(), "Écran 1, MacBook : contenu des projets");
    EXPECT_EQ(storedScreen(), external);

    // The disconnected entry is no choice.
    choose(*pane, 1);
    EXPECT_EQ(changes(), 0);
    EXPECT_EQ(storedScreen(), external);

    mac.mac().disconnectDisplay(builtIn);
    EXPECT_EQ(pane->summary()->text(), "Écran dédié déconnecté · 0 écrans de contenu");
}

TEST_F(ScreenSettingsViewTest, ComingBackToTheApplicationReadsTheScreensAgainUntilThePaneIsGone)
{
    auto pane = makePane();
    mac.world().displays[1].name = "LG UltraFine";
    EXPECT_EQ(pickerItems(*pane)[1], "Écran 2 — DELL U2723QE");
    mac.mac().defaultCenter().post(applicationDidBecomeActiveNotification);
    EXPECT_EQ(pickerItems(*pane)[1], "Écran 2 — LG UltraFine");
    pane.reset();
    mac.mac().disconnectDisplay(external);
    mac.mac().defaultCenter().post(applicationDidBecomeActiveNotification);
}

TEST_F(ScreenSettingsViewTest, WithNoScreenAtAllTheOnlyEntryHoldsNoScreenAndChangesNothing)
{
    sim::Display first = mac.world().displays[0];
    sim::Display second = mac.world().displays[1];
    mac.mac().disconnectDisplay(external);
    mac.mac().disconnectDisplay(builtIn);
    auto pane = makePane();
    EXPECT_EQ(pane->configuration().monitorID, std::nullopt);
    EXPECT_EQ(pickerItems(*pane), std::vector<std::string> { "Écran dédié — déconnecté" });
    EXPECT_FALSE(pane->monitorPicker()->itemData(0).isValid());
    choose(*pane, 0);
    EXPECT_EQ(changes(), 0);
    EXPECT_FALSE(pane->placeButton()->isEnabled());

    // Screens that come back give it the main one, wherever it is listed, and keep it.
    first.main = false;
    second.main = true;
    mac.world().displays.push_back(first);
    mac.mac().connectDisplay(second);
    EXPECT_EQ(pane->configuration().monitorID, external);
    EXPECT_EQ(storedScreen(), external);
    EXPECT_TRUE(pane->placeButton()->isEnabled());
}

TEST_F(ScreenSettingsViewTest, ChoosingAScreenSavesAndAnnouncesItEvenWhenItIsTheSavedOne)
{
    auto pane = makePane();
    choose(*pane, 1);
    EXPECT_EQ(storedScreen(), external);
    EXPECT_EQ(changes(), 1);
    EXPECT_EQ(pane->status()->text(),
        "Codex : écran dédié enregistré. Il reste réservé à l’assistant dans « Configurer les écrans du projet ».");
    EXPECT_EQ(pane->status()->colorRole(), ColorRole::secondaryLabel);
    EXPECT_EQ(pane->map()->configuration().monitorID, external);
    choose(*pane, 1);
    EXPECT_EQ(changes(), 2);

    // A click on the map chooses the screen under it.
    ASSERT_TRUE(pane->map()->onSelectMonitor);
    pane->map()->onSelectMonitor(builtIn);
    EXPECT_EQ(storedScreen(), builtIn);
    EXPECT_EQ(pane->monitorPicker()->currentIndex(), 0);
    EXPECT_EQ(changes(), 3);
}

TEST_F(ScreenSettingsViewTest, AChangeRefusedWhileAnActionRunsPutsThePickersBack)
{
    auto pane = makePane();
    pane->canChangeConfiguration = [] { return false; };
    choose(*pane, 1);
    EXPECT_EQ(storedScreen(), builtIn);
    EXPECT_EQ(pane->monitorPicker()->currentIndex(), 0);
    EXPECT_EQ(changes(), 0);
    EXPECT_EQ(pane->status()->text(), "Attends la fin de l’opération en cours avant de modifier l’écran dédié.");
    EXPECT_EQ(pane->status()->colorRole(), ColorRole::orange);

    // The coming assistant is never chosen, even when the change would be allowed.
    pane->canChangeConfiguration = [] { return true; };
    EXPECT_FALSE(pane->assistantPicker()->isEnabled(1));
    EXPECT_EQ(pane->assistantPicker()->label(1), "Claude · À venir");
    pane->assistantPicker()->setSelectedSegment(1);
    pane->assistantPicker()->onAction();
    EXPECT_EQ(pane->assistantPicker()->selectedSegment(), 0);
    EXPECT_EQ(pane->configuration().assistant, AssistantApp::codex);
    EXPECT_EQ(changes(), 0);

    // Codex chosen is saved as such, also over what an earlier version stored.
    mac.mac().standardDefaults().set(assistantDefaultsKey::selectedAssistant, std::string("claude"));
    pane->assistantPicker()->setSelectedSegment(0);
    pane->assistantPicker()->onAction();
    EXPECT_EQ(mac.mac().standardDefaults().string(assistantDefaultsKey::selectedAssistant).value(), "codex");
    EXPECT_EQ(changes(), 1);
}

TEST_F(ScreenSettingsViewTest, PlacingShowsTheBlockingReasonTheConfirmationOrTheError)
{
    mac.mac().standardDefaults().set(assistantDefaultsKey::screenID, external);
    auto pane = makePane();
    pane->placementBlockingReason = [] { return std::optional<std::string>("Une autre action est en cours. Réessaie dans un instant."); };
    clickControl("place-assistant");
    EXPECT_EQ(pane->status()->text(), "Une autre action est en cours. Réessaie dans un instant.");
    EXPECT_EQ(pane->status()->colorRole(), ColorRole::orange);
    EXPECT_FALSE(placedAnyWindow());

    pane->placementBlockingReason = [] { return std::optional<std::string>(); };
    clickControl("place-assistant");
    EXPECT_EQ(pane->status()->colorRole(), ColorRole::green);
    EXPECT_EQ(pane->status()->text(), "Codex placé sur DELL U2723QE.");
    EXPECT_TRUE(placedAnyWindow());

    mac.world().permissions.accessibility = false;
    clickControl("place-assistant");
    EXPECT_EQ(pane->status()->colorRole(), ColorRole::red);
    EXPECT_EQ(pane->status()->text(),
        "Autorise Pellamor dans Réglages système → Confidentialité et sécurité → Accessibilité.");
}

TEST_F(ScreenSettingsViewTest, AStoredIdDifferingOnlyInCaseShowsDisconnectedHereWhileSwitchingStillFindsIt)
{
    std::string lower = external;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    mac.mac().standardDefaults().set(assistantDefaultsKey::screenID, lower);
    auto pane = makePane();
    EXPECT_EQ(pane->summary()->text(), "Écran dédié déconnecté · 2 écrans de contenu");
    EXPECT_FALSE(pane->placeButton()->isEnabled());
    EXPECT_EQ(AssistantScreenConfiguration::runtime(ConnectedMonitor::read(), mac.mac().standardDefaults()).monitorID,
        external);
    // Choosing the screen again stores its exact id and puts the pane right.
    choose(*pane, 1);
    EXPECT_EQ(storedScreen(), external);
    EXPECT_EQ(pane->summary()->text(), "1 écran dédié · 1 écran de contenu");
}

TEST_F(ScreenSettingsViewTest, TheSettingsLinksOpenThroughTheWorkspace)
{
    auto pane = makePane();
    clickControl("open-displays-settings");
    clickControl("open-accessibility-settings");
    const auto& lines = mac.mac().log().lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "open-url url=x-apple.systempreferences:com.apple.Displays-Settings.extension");
    EXPECT_EQ(lines.back(), "open-url url=x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
}

} // namespace
} // namespace pellamor
