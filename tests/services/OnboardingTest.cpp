#include "services/Onboarding.h"
#include "ui/AppearanceSurface.h"
#include "ui/ControlClick.h"
#include "ui/Label.h"
#include "ui/SheetHost.h"
#include "support/StackGeometry.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

class OnboardingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mac.world().permissions = { false, false, false };
        window.show();
    }
    std::unique_ptr<OnboardingController> open()
    {
        auto onboarding = std::make_unique<OnboardingController>(
            [this] { ++accessibilityRequests; }, [this](std::optional<std::string> tab) { finished.push_back(tab); });
        onboarding->present(&window);
        QApplication::setActiveWindow(onboarding->window());
        return onboarding;
    }
    QPushButton* button(OnboardingController& onboarding, const char* identifier)
    {
        return onboarding.window()->findChild<QPushButton*>(identifier);
    }
    std::string text(OnboardingController& onboarding, const char* identifier)
    {
        return onboarding.window()->findChild<Label*>(identifier)->text();
    }
    bool seen() { return !OnboardingProgress(mac.mac().standardDefaults()).shouldPresentOnLaunch(); }

    test::WidgetApplication application;
    test::TestMac mac;
    QWidget window;
    int accessibilityRequests = 0;
    std::vector<std::optional<std::string>> finished;
};

TEST(OnboardingProgressTest, PagesStopAtBothEndsAndOnlyAStoredTrueMeansSeen)
{
    test::TestMac mac;
    UserDefaults& defaults = mac.mac().standardDefaults();
    OnboardingProgress progress(defaults);
    EXPECT_TRUE(progress.shouldPresentOnLaunch());
    defaults.set(OnboardingProgress::seenKey, false);
    EXPECT_TRUE(progress.shouldPresentOnLaunch());
    progress.goBack();
    EXPECT_EQ(progress.page(), OnboardingPage::welcome);
    progress.advance();
    progress.advance();
    progress.advance();
    EXPECT_EQ(progress.page(), OnboardingPage::tutorial);
    progress.goBack();
    EXPECT_EQ(progress.page(), OnboardingPage::permissions);
    progress.finish();
    EXPECT_FALSE(progress.shouldPresentOnLaunch());
    EXPECT_FALSE(OnboardingProgress(defaults).shouldPresentOnLaunch());
    EXPECT_EQ(onboardingPageFromRawValue(0), OnboardingPage::welcome);
    EXPECT_EQ(onboardingPageFromRawValue(2), OnboardingPage::tutorial);
    EXPECT_EQ(onboardingPageFromRawValue(3), std::nullopt);
    EXPECT_EQ(onboardingPageFromRawValue(-1), std::nullopt);
}

TEST_F(OnboardingTest, ContinuingThroughThePagesEndsOnTheScreensTabOnce)
{
    auto onboarding = open();
    EXPECT_EQ(text(*onboarding, "onboarding-step"), "Étape 1 sur 3");
    EXPECT_TRUE(button(*onboarding, "onboarding-previous")->isHidden());
    EXPECT_EQ(button(*onboarding, "onboarding-next")->text().toStdString(), "Continuer");
    clickControl("onboarding-next");
    EXPECT_EQ(onboarding->page(), OnboardingPage::permissions);
    EXPECT_FALSE(button(*onboarding, "onboarding-previous")->isHidden());
    clickControl("onboarding-previous");
    EXPECT_EQ(onboarding->page(), OnboardingPage::welcome);
    clickControl("onboarding-next");
    clickControl("onboarding-next");
    EXPECT_EQ(text(*onboarding, "onboarding-step"), "Étape 3 sur 3");
    EXPECT_EQ(button(*onboarding, "onboarding-next")->text().toStdString(), "Configurer mes écrans");
    EXPECT_FALSE(seen());
    clickControl("onboarding-next");
    EXPECT_EQ(finished, (std::vector<std::optional<std::string>> { "screens" }));
    EXPECT_TRUE(seen());
    EXPECT_FALSE(SheetHost::hasAttachedSheet(&window));
    // The sheet's buttons are still there until the owner releases it; they do nothing more.
    QMetaObject::invokeMethod(button(*onboarding, "onboarding-skip"), "click");
    EXPECT_EQ(finished.size(), 1u);
    // Released, it leaves nothing behind in the window.
    onboarding.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window.findChild<QPushButton*>("onboarding-skip"));
}

TEST_F(OnboardingTest, EveryPageHasThePlainHeaderAndItsTextsInPlace)
{
    ASSERT_TRUE(AppInterface::brandImage()) << "the icon a branded header would show";
    auto onboarding = open();
    QWidget* sheet = onboarding->window();
    auto badge = [&] { return sheet->findChild<AppearanceSurface*>("header-badge")->fillColor; };
    EXPECT_EQ(badge(), (DynamicColor { ColorRole::accent, 0.08 }));
    // The project, an arrow and its windows side by side, above the sentence that explains them.
    QWidget* flow = test::labelShowing(sheet, "Ton projet Codex")->parentWidget();
    EXPECT_EQ(test::stackGaps(flow, Qt::Horizontal), (std::vector<int> { 16, 16, 16, 16 }));
    EXPECT_EQ(test::stackGaps(flow->parentWidget()), std::vector<int> { 18 });
    EXPECT_EQ(test::stackGaps(flow->parentWidget()->parentWidget()->parentWidget()), std::vector<int>(3, 22));
    EXPECT_EQ(sheet->focusWidget(), button(*onboarding, "onboarding-next")) << "Return and Space go on";

    clickControl("onboarding-next");
    EXPECT_EQ(badge(), (DynamicColor { ColorRole::accent, 0.08 }));
    // Back, the free room, later and next, 12 apart under a separator 18 above them.
    QWidget* buttons = button(*onboarding, "onboarding-next")->parentWidget();
    EXPECT_EQ(test::stackGaps(buttons, Qt::Horizontal), (std::vector<int> { 12, 12, 12 }));
    EXPECT_EQ(test::stackGaps(buttons->parentWidget()), std::vector<int> { 18 });
    clickControl("onboarding-next");
    EXPECT_EQ(badge(), (DynamicColor { ColorRole::accent, 0.08 }));
    QWidget* texts = test::labelShowing(sheet, "Choisis tes écrans")->parentWidget();
    EXPECT_EQ(test::stackGaps(texts), std::vector<int> { 6 });
    Label* digit = test::labelShowing(sheet, "1");
    ASSERT_TRUE(digit);
    EXPECT_TRUE(digit->isVisible());
    EXPECT_LT(digit->mapTo(sheet, QPoint(0, 0)).x(), texts->mapTo(sheet, QPoint(0, 0)).x()) << "each step's number leads it";
    EXPECT_EQ(test::stackGaps(texts->parentWidget()->parentWidget()), (std::vector<int> { 22, 22 }));
    EXPECT_EQ(test::stackGaps(texts->parentWidget()->parentWidget()->parentWidget()->parentWidget()),
        (std::vector<int> { 20, 20 }));
}

TEST_F(OnboardingTest, EscapeSkipsFromAnyPageAndReturnGoesOn)
{
    auto onboarding = open();
    QTest::keyClick(onboarding->window(), Qt::Key_Return);
    EXPECT_EQ(onboarding->page(), OnboardingPage::permissions);
    QTest::keyClick(onboarding->window(), Qt::Key_Return);
    QTest::keyClick(onboarding->window(), Qt::Key_Return);
    EXPECT_EQ(finished, (std::vector<std::optional<std::string>> { "screens" }));

    auto second = open();
    clickControl("onboarding-next");
    QTest::keyClick(second->window(), Qt::Key_Escape);
    EXPECT_EQ(finished, (std::vector<std::optional<std::string>> { "screens", std::nullopt }));
    EXPECT_TRUE(seen());

    // Return goes on whichever button has the focus; released midway, the sheet leaves the window.
    auto third = open();
    for (auto* control : third->window()->findChildren<QPushButton*>())
        EXPECT_FALSE(control->autoDefault()) << control->objectName().toStdString();
    third.reset();
    EXPECT_FALSE(SheetHost::hasAttachedSheet(&window));
}

TEST_F(OnboardingTest, PermissionLinesFollowWhatIsGrantedMidway)
{
    auto onboarding = open();
    clickControl("onboarding-next");
    EXPECT_EQ(text(*onboarding, "onboarding-accessibility-status"), "À autoriser pour organiser les fenêtres");
    EXPECT_EQ(text(*onboarding, "onboarding-capture-status"), "Non activée · facultatif");
    EXPECT_TRUE(button(*onboarding, "onboarding-authorize-accessibility")->isEnabled());
    // The two permission cards stand one above the other, their lines aligned on the left.
    QCoreApplication::sendPostedEvents();
    QWidget* sheet = onboarding->window();
    auto* accessibility = sheet->findChild<Label*>("onboarding-accessibility-status");
    QPoint accessibilityAt = accessibility->mapTo(sheet, QPoint());
    QPoint captureAt = sheet->findChild<Label*>("onboarding-capture-status")->mapTo(sheet, QPoint());
    EXPECT_EQ(captureAt.x(), accessibilityAt.x());
    EXPECT_GT(captureAt.y(), accessibilityAt.y() + accessibility->height());

    // Trusted for Accessibility, but events cannot be posted yet: still to allow.
    mac.world().permissions.accessibility = true;
    onboarding->refreshPermissions();
    EXPECT_EQ(text(*onboarding, "onboarding-accessibility-status"), "À autoriser pour organiser les fenêtres");
    EXPECT_TRUE(button(*onboarding, "onboarding-authorize-accessibility")->isEnabled());

    mac.world().permissions.postEvents = true;
    clickControl("onboarding-authorize-accessibility");
    EXPECT_EQ(accessibilityRequests, 1);
    auto* status = onboarding->window()->findChild<Label*>("onboarding-accessibility-status");
    EXPECT_EQ(status->text(), "Autorisation accordée");
    EXPECT_EQ(status->colorRole(), ColorRole::green);
    EXPECT_FALSE(button(*onboarding, "onboarding-authorize-accessibility")->isEnabled());
    EXPECT_EQ(text(*onboarding, "onboarding-capture-status"), "Non activée · facultatif");
    EXPECT_TRUE(button(*onboarding, "onboarding-authorize-capture")->isEnabled());

    // Going forth and back renders the page again with the same lines, once the left page is gone.
    clickControl("onboarding-next");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    mac.world().permissions.accessibility = false;
    onboarding->refreshPermissions();
    EXPECT_EQ(status->text(), "Autorisation accordée");
    clickControl("onboarding-previous");
    EXPECT_EQ(status->text(), "À autoriser pour organiser les fenêtres");
}

TEST_F(OnboardingTest, AskingForPreviewsOpensTheirSettingsOnlyWhenTheRequestLeavesThemOff)
{
    auto onboarding = open();
    clickControl("onboarding-next");
    clickControl("onboarding-authorize-capture");
    const auto& lines = mac.mac().log().lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "open-url url=x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture");
    std::size_t logged = lines.size();
    mac.world().permissions.screenCapture = true;
    onboarding->refreshPermissions();
    EXPECT_EQ(text(*onboarding, "onboarding-capture-status"), "Autorisation accordée");
    EXPECT_FALSE(button(*onboarding, "onboarding-authorize-capture")->isEnabled());
    EXPECT_EQ(lines.size(), logged);
}

} // namespace
} // namespace pellamor
