#include "assistant/Localization.h"
#include "services/AppSettingsView.h"
#include "services/UsageAnalytics.h"
#include "services/UsageAnalyticsConfiguration.h"
#include "ui/ControlClick.h"
#include "ui/Label.h"
#include "ui/SwitchControl.h"
#include "ui/SymbolRegistry.h"
#include "support/StackGeometry.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <QComboBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QApplication>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

class AppSettingsViewTest : public ::testing::Test {
protected:
    std::unique_ptr<AppSettingsView> makeView(QSize size = QSize(820, 640))
    {
        auto view = std::make_unique<AppSettingsView>();
        view->resize(size);
        view->show();
        return view;
    }
    void choose(AppSettingsView& view, int index)
    {
        view.languagePicker()->setCurrentIndex(index);
        emit view.languagePicker()->activated(index);
    }
    int languageChanges() const { return languageChanges_; }

    test::WidgetApplication application;
    test::TestMac mac;

private:
    int languageChanges_ = 0;
    ObserverToken observer_ = mac.mac().defaultCenter().addObserver(
        appLanguageDidChange, nullptr, [this](const Notification&) { ++languageChanges_; });
};

TEST_F(AppSettingsViewTest, ThePickerStartsOnTheStoredLanguageOrTheSystemOne)
{
    mac.mac().standardDefaults().set("appLanguage", "en");
    EXPECT_EQ(makeView()->languagePicker()->currentText().toStdString(), "English");
    mac.mac().standardDefaults().set("appLanguage", "de");
    EXPECT_EQ(makeView()->languagePicker()->currentIndex(), 0);
    mac.mac().standardDefaults().remove("appLanguage");
    auto view = makeView();
    EXPECT_EQ(view->languagePicker()->currentText().toStdString(), "Langue du système");
    EXPECT_EQ(view->languagePicker()->itemText(2).toStdString(), "Français");
}

TEST_F(AppSettingsViewTest, ARefusedLanguageChangeGoesBackAndTheNextAcceptedOneHidesTheMessage)
{
    auto view = makeView();
    bool allowed = false;
    view->canChangeLanguage = [&] { return allowed; };
    choose(*view, 1);
    EXPECT_EQ(view->languagePicker()->currentIndex(), 0);
    EXPECT_EQ(AppLocalization::shared().language(), AppLanguage::system);
    EXPECT_FALSE(view->languageStatus()->isHidden());
    EXPECT_EQ(view->languageStatus()->text(), "Attends la fin de l’action en cours avant de changer la langue.");
    EXPECT_EQ(view->languageStatus()->colorRole(), ColorRole::orange);
    EXPECT_EQ(languageChanges(), 0);

    // The language in use again: accepted, nothing to announce.
    allowed = true;
    choose(*view, 0);
    EXPECT_TRUE(view->languageStatus()->isHidden());
    EXPECT_EQ(languageChanges(), 0);
    choose(*view, 2);
    EXPECT_EQ(AppLocalization::shared().language(), AppLanguage::french);
    EXPECT_EQ(mac.mac().standardDefaults().string("appLanguage").value(), std::optional<std::string>("fr"));
    EXPECT_EQ(languageChanges(), 1);
}

TEST_F(AppSettingsViewTest, TheTutorialOpensOnlyWhenTheOwnerAllowsIt)
{
    auto view = makeView();
    int tutorials = 0;
    bool allowed = false;
    view->canShowOnboarding = [&] { return allowed; };
    view->onShowOnboarding = [&] { ++tutorials; };
    clickControl("review-onboarding");
    EXPECT_EQ(tutorials, 0);
    allowed = true;
    clickControl("review-onboarding");
    EXPECT_EQ(tutorials, 1);
}

TEST_F(AppSettingsViewTest, TheDetailsButtonTogglesTheRowsItsTitleAndItsValue)
{
    auto view = makeView();
    QPushButton* button = view->privacyButton();
    EXPECT_FALSE(view->privacyDetailsVisible());
    EXPECT_EQ(button->text().toStdString(), "Voir les détails");
    clickControl("privacy-details");
    EXPECT_TRUE(view->privacyDetailsVisible());
    EXPECT_EQ(button->text().toStdString(), "Masquer les détails");
    EXPECT_EQ(button->accessibleDescription().toStdString(), "Détails affichés");
    clickControl("privacy-details");
    EXPECT_FALSE(view->privacyDetailsVisible());
    EXPECT_EQ(button->text().toStdString(), "Voir les détails");
    EXPECT_EQ(button->accessibleDescription().toStdString(), "Détails masqués");
    ASSERT_FALSE(button->icon().isNull());
    EXPECT_EQ(button->iconSize().width(), SymbolRegistry::image("chevron.down", 10, Qt::black).width() + 6);
    EXPECT_EQ(view->scrollView()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(view->scrollView()->frameShape(), QFrame::NoFrame);
    EXPECT_FALSE(view->scrollView()->viewport()->autoFillBackground());
    EXPECT_FALSE(view->document()->autoFillBackground());
    EXPECT_EQ(button->layoutDirection(), Qt::RightToLeft) << "the chevron follows the title";
    QImage chevron = button->icon().pixmap(button->iconSize()).toImage();
    for (int x = 0; x < 6; ++x) {
        for (int y = 0; y < chevron.height(); ++y)
            ASSERT_EQ(qAlpha(chevron.pixel(x, y)), 0) << "the room before the chevron stays clear";
    }
}

TEST_F(AppSettingsViewTest, ShowingPrivacyScrollsTheCardNearTheTopWithoutPassingTheEnd)
{
    // Tall enough for the whole page: nothing to scroll.
    auto tall = makeView(QSize(820, 3000));
    tall->showPrivacy();
    EXPECT_TRUE(tall->privacyDetailsVisible());
    EXPECT_EQ(tall->scrollView()->verticalScrollBar()->value(), 0);

    auto view = makeView(QSize(820, 400));
    view->showPrivacy();
    QScrollBar* scroller = view->scrollView()->verticalScrollBar();
    int cardTop = view->privacyCard()->mapTo(view->document(), QPoint(0, 0)).y();
    int end = view->document()->height() - view->scrollView()->viewport()->height();
    ASSERT_GT(end, 0);
    EXPECT_EQ(scroller->value(), std::min(end, cardTop - 40));
    EXPECT_EQ(scroller->value(), cardTop - 40);
    EXPECT_TRUE(view->privacyButton()->hasFocus() || !view->isActiveWindow());
    // In the main window's tab, the privacy settings take the keyboard.
    QWidget window;
    auto* embedded = new AppSettingsView();
    embedded->setParent(&window);
    window.resize(820, 400);
    embedded->resize(820, 400);
    window.show();
    QApplication::setActiveWindow(&window);
    embedded->showPrivacy();
    EXPECT_TRUE(embedded->privacyButton()->hasFocus());

    // Low enough that the card's top cannot come up to 40 points below the top: the end of the page.
    int pageHeight = tall->document()->heightForWidth(tall->document()->width());
    int tallCard = tall->privacyCard()->mapTo(tall->document(), QPoint(0, 0)).y();
    auto low = makeView(QSize(820, pageHeight - (tallCard - 40) / 2));
    low->showPrivacy();
    int lowEnd = low->document()->height() - low->scrollView()->viewport()->height();
    int lowCard = low->privacyCard()->mapTo(low->document(), QPoint(0, 0)).y();
    ASSERT_GT(lowEnd, 0);
    ASSERT_LT(lowEnd, lowCard - 40);
    EXPECT_EQ(low->scrollView()->verticalScrollBar()->value(), lowEnd);
}
TEST_F(AppSettingsViewTest, EachTextStandsUnderItsTitleAndEachRowUnderTheLast)
{
    auto view = makeView();
    EXPECT_EQ(test::stackGaps(test::labelShowing(view.get(), "Réglages")->parentWidget()), std::vector<int> { 5 });
    for (const char* title : { "Langue de l’app", "Prise en main", "Mesure d’utilisation facultative" })
        EXPECT_EQ(test::stackGaps(test::labelShowing(view.get(), title)->parentWidget()), std::vector<int> { 4 }) << title;
    // The hidden language message and privacy details take no room.
    for (const char* control : { "review-onboarding", "privacy-details" }) {
        QWidget* rows = view->findChild<QWidget*>(control)->parentWidget()->parentWidget();
        EXPECT_EQ(test::stackGaps(rows), (std::vector<int> { 15, 15 })) << control;
    }
    // Shown, the privacy details stand evenly apart.
    view->showPrivacy();
    EXPECT_EQ(test::stackGaps(view->findChild<QWidget*>("privacy-details-rows")), std::vector<int>(7, 14));
    EXPECT_EQ(test::stackGaps(test::labelShowing(view.get(), "Identifiant temporaire")->parentWidget()),
        std::vector<int> { 4 });
}

TEST_F(AppSettingsViewTest, WithoutAnalyticsConfigurationTheSwitchIsOffDisabledAndSaysSo)
{
    mac.mac().standardDefaults().set(UsageAnalytics::consentKey, "v1:old");
    auto view = makeView();
    EXPECT_FALSE(view->usageAnalyticsSwitch()->isEnabled());
    EXPECT_FALSE(view->usageAnalyticsSwitch()->isOn());
    EXPECT_TRUE(view->usageAnalyticsSwitch()->accessibleDescription().startsWith("Pour mesurer l’usage de l’app"))
        << "the switch reads its description out";
    EXPECT_EQ(view->usageAnalyticsStatus()->text(),
        "Indisponible dans cette version. Aucun événement d’utilisation n’est envoyé.");
    EXPECT_EQ(view->findChild<Label*>("usage-analytics-retention"), nullptr);
}

TEST_F(AppSettingsViewTest, TheConsentSwitchStoresAndWithdrawsConsentForTheBundledConfiguration)
{
    auto configuration = UsageAnalyticsConfiguration::make("0123456789abcdef0123456789ABCDEF", "EU", 30);
    ASSERT_TRUE(configuration);
    UserDefaults& defaults = mac.mac().standardDefaults();
    // Consent given for another retention period counts for nothing.
    defaults.set(UsageAnalytics::consentKey, "v1:0123456789abcdef0123456789ABCDEF:EU:31");
    mac.mac().shared<UsageAnalytics>([&] {
        return std::make_unique<UsageAnalytics>(
            configuration, defaults, nullptr, [] { return PlistDate {}; }, [] { return 0.0; });
    });
    auto view = makeView();
    SwitchControl* consent = view->usageAnalyticsSwitch();
    EXPECT_TRUE(consent->isEnabled());
    EXPECT_FALSE(consent->isOn());
    EXPECT_EQ(view->usageAnalyticsStatus()->text(), "Désactivé. Aucun événement d’utilisation n’est envoyé.");
    auto* retention = view->findChild<Label*>("usage-analytics-retention");
    ASSERT_NE(retention, nullptr);
    EXPECT_EQ(retention->text(), "Conservation des événements chez Amplitude : 30 jours.");
    EXPECT_EQ(retention->colorRole(), ColorRole::secondaryLabel);

    clickControl("usage-analytics-consent");
    EXPECT_TRUE(consent->isOn());
    EXPECT_EQ(defaults.string(UsageAnalytics::consentKey).value(),
        std::optional<std::string>(configuration->consentScope()));
    EXPECT_EQ(view->usageAnalyticsStatus()->text(), "Activé avec ton accord. Tu peux désactiver ce partage à tout moment.");
    EXPECT_TRUE(makeView()->usageAnalyticsSwitch()->isOn());

    clickControl("usage-analytics-consent");
    EXPECT_FALSE(consent->isOn());
    EXPECT_FALSE(defaults.objectExists(UsageAnalytics::consentKey));
    EXPECT_EQ(view->usageAnalyticsStatus()->text(), "Désactivé. Aucun événement d’utilisation n’est envoyé.");
}

} // namespace
} // namespace pellamor
