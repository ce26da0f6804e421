#include "assistant/Localization.h"
#include "e2e/ShellFixture.h"
#include "overview/WindowOverview.h"
#include "services/AppSettingsView.h"
#include "services/Onboarding.h"
#include "setup/ScreenSettingsView.h"
#include "ui/ControlClick.h"
#include "ui/Label.h"
#include "ui/SheetHost.h"

#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

namespace pellamor::test {
namespace {

class SettingsFlowTest : public ShellFixture {
protected:
    void chooseLanguage(int index)
    {
        QComboBox* picker = delegate->settingsView->languagePicker();
        picker->setCurrentIndex(index);
        emit picker->activated(index);
    }
    std::string tabTitle(int index) const { return delegate->tabs->tabText(index).toStdString(); }
};

TEST_F(SettingsFlowTest, ALanguageChangeWaitsForTheRunningActionThenRebuildsTheWindowOnTheSameTab)
{
    launch();
    selectTab(delegate->tabs, "privacy");
    ASSERT_TRUE(delegate->windowOverview->beginAction());
    chooseLanguage(1);
    EXPECT_EQ(AppLocalization::shared().language(), AppLanguage::system);
    EXPECT_EQ(delegate->settingsView->languagePicker()->currentIndex(), 0);
    EXPECT_FALSE(delegate->settingsView->languageStatus()->isHidden());
    EXPECT_EQ(tabTitle(2), "Réglages");

    delegate->windowOverview->endAction();
    QPointer<AppSettingsView> before = delegate->settingsView;
    chooseLanguage(1);
    mac.advance(0.01);
    EXPECT_EQ(AppLocalization::shared().language(), AppLanguage::english);
    EXPECT_NE(delegate->settingsView, before);
    EXPECT_EQ(selectedTabIdentifier(delegate->tabs), "privacy");
    EXPECT_EQ(tabTitle(0), "Set up the project’s screens");
    EXPECT_EQ(tabTitle(1), "Your assistant");
    EXPECT_EQ(tabTitle(2), "Settings");
    EXPECT_EQ(delegate->settingsView->languagePicker()->currentText().toStdString(), "English");
    EXPECT_TRUE(delegate->settingsView->languageStatus()->isHidden());
    auto* pane = delegate->tabs->findChild<ScreenSettingsView*>();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->summary()->text(), "1 dedicated screen · 1 content screen");
}

TEST_F(SettingsFlowTest, TheOnboardingShowsAtTheFirstLaunchOnlyAndReopensFromTheSettings)
{
    defaults().set(OnboardingProgress::seenKey, false);
    launch();
    ASSERT_TRUE(delegate->onboarding);
    ASSERT_TRUE(clickControl("onboarding-next"));
    ASSERT_TRUE(clickControl("onboarding-next"));
    ASSERT_TRUE(clickControl("onboarding-next"));
    mac.advance(0.01);
    EXPECT_FALSE(delegate->onboarding);
    EXPECT_FALSE(SheetHost::hasAttachedSheet(delegate->window.get()));
    EXPECT_EQ(selectedTabIdentifier(delegate->tabs), "screens");

    delegate.reset();
    launch();
    EXPECT_FALSE(delegate->onboarding);
    selectTab(delegate->tabs, "privacy");
    ASSERT_TRUE(clickControl("review-onboarding"));
    ASSERT_TRUE(delegate->onboarding);
    EXPECT_EQ(delegate->onboarding->page(), OnboardingPage::welcome);
    // A second request while the sheet is open is refused without a word.
    ASSERT_TRUE(clickControl("review-onboarding"));
    EXPECT_EQ(SheetHost::attachedSheet(delegate->window.get()), delegate->onboarding->window());
}

TEST_F(SettingsFlowTest, TheAssistantPaneFollowsItsScreenUnpluggedWhileTheApplicationRuns)
{
    launch();
    selectTab(delegate->tabs, "screens");
    auto* pane = delegate->tabs->findChild<ScreenSettingsView*>();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->configuration().monitorID, mainDisplay);
    mac.mac().disconnectDisplay(mainDisplay);
    EXPECT_EQ(pane->summary()->text(), "Écran dédié déconnecté · 1 écran de contenu");
    EXPECT_FALSE(pane->placeButton()->isEnabled());
}

} // namespace
} // namespace pellamor::test
