#include "ui/ControlClick.h"
#include "ui/SheetHost.h"
#include "assistant/Localization.h"
#include "services/AppSettingsView.h"
#include "services/FeedbackService.h"
#include "services/FeedbackWindowController.h"
#include "services/Onboarding.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

class SupportViewsTest : public ::testing::Test {
protected:
    void SetUp() override { window.show(); }
    test::WidgetApplication application;
    test::TestMac mac;
    QWidget window;
    FeedbackService service { std::nullopt, FeedbackMetadata { "1.2", "34", "14.5.0" } };
};

TEST_F(SupportViewsTest, FeedbackFormKeepsOnlyADraftWorthKeeping)
{
    std::vector<std::optional<FeedbackDraft>> closed;
    FeedbackWindowController form({ FeedbackKind::improvement, "", "", "Erreur", "project_displays" }, service);
    form.onClose = [&](std::optional<FeedbackDraft> draft) { closed.push_back(draft); };
    form.present(&window);
    EXPECT_EQ(SheetHost::attachedSheet(&window), form.window());
    EXPECT_FALSE(form.window()->findChild<QPushButton*>("send-feedback")->isEnabled());
    EXPECT_TRUE(clickControl("close-feedback"));
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_FALSE(closed[0]);
    EXPECT_FALSE(SheetHost::hasAttachedSheet(&window));

    FeedbackWindowController second({ FeedbackKind::improvement, "", "", "Erreur", "project_displays" }, service);
    second.onClose = [&](std::optional<FeedbackDraft> draft) { closed.push_back(draft); };
    second.present(&window);
    second.window()->findChild<QPlainTextEdit*>("feedback-message")->setPlainText("  Une idée  ");
    clickControl("close-feedback");
    ASSERT_EQ(closed.size(), 2u);
    ASSERT_TRUE(closed[1]);
    EXPECT_EQ(
        *closed[1], (FeedbackDraft { FeedbackKind::improvement, "  Une idée  ", "", "Erreur", "project_displays" }));
}

TEST_F(SupportViewsTest, OnboardingFinishesOnceAndIsRemembered)
{
    UserDefaults& defaults = mac.mac().standardDefaults();
    defaults.set(OnboardingProgress::seenKey, "yes");
    EXPECT_TRUE(OnboardingProgress(defaults).shouldPresentOnLaunch());
    defaults.remove(OnboardingProgress::seenKey);
    EXPECT_TRUE(OnboardingProgress(defaults).shouldPresentOnLaunch());

    std::vector<std::optional<std::string>> finished;
    OnboardingController onboarding([] {}, [&](std::optional<std::string> tab) { finished.push_back(tab); });
    onboarding.present(&window);
    clickControl("onboarding-finish");
    clickControl("onboarding-skip");
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0], std::optional<std::string>("screens"));
    EXPECT_FALSE(OnboardingProgress(defaults).shouldPresentOnLaunch());
    EXPECT_FALSE(SheetHost::hasAttachedSheet(&window));
}

TEST_F(SupportViewsTest, SettingsAskBeforeChangingLanguageOrShowingTheTutorial)
{
    AppSettingsView settings;
    settings.show();
    int tutorials = 0;
    bool allowed = false;
    settings.canShowOnboarding = [&] { return allowed; };
    settings.canChangeLanguage = [&] { return allowed; };
    settings.onShowOnboarding = [&] { ++tutorials; };
    clickControl("review-onboarding");
    EXPECT_EQ(tutorials, 0);
    allowed = true;
    clickControl("review-onboarding");
    EXPECT_EQ(tutorials, 1);

    AppLanguage before = AppLocalization::shared().language();
    auto* picker = settings.findChild<QComboBox*>("app-language");
    allowed = false;
    int other = before == AppLanguage::english ? 2 : 1;
    picker->setCurrentIndex(other);
    emit picker->activated(other);
    EXPECT_EQ(AppLocalization::shared().language(), before);
    EXPECT_NE(picker->currentIndex(), other);

    EXPECT_FALSE(settings.privacyDetailsVisible());
    settings.showPrivacy();
    EXPECT_TRUE(settings.privacyDetailsVisible());
}

TEST_F(SupportViewsTest, ClicksReachOnlyEnabledControls)
{
    auto* button = new QPushButton("Bouton", &window);
    button->setObjectName("some-button");
    button->show();
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    EXPECT_TRUE(clickControl("some-button"));
    button->setEnabled(false);
    EXPECT_TRUE(clickControl("some-button"));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(clickControl("no-such-control"));
}

} // namespace
} // namespace pellamor

namespace pellamor {
namespace {

TEST_F(SupportViewsTest, OnboardingPermissionLineFollowsTheAccessibilityTrust)
{
    mac.world().permissions.accessibility = false;
    OnboardingController onboarding([] {}, [](std::optional<std::string>) {});
    auto* status = onboarding.window()->findChild<QLabel*>("onboarding-accessibility-status");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text().toStdString(), "À activer");
    mac.world().permissions.accessibility = true;
    onboarding.refreshPermissions();
    EXPECT_EQ(status->text().toStdString(), "Autorisé");
}

} // namespace
} // namespace pellamor
