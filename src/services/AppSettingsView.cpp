#include "services/AppSettingsView.h"

#include "ui/AppearanceSurface.h"
#include "ui/PlainText.h"
#include "assistant/Localization.h"

#include <QComboBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace pellamor {
namespace {

int languageIndex(AppLanguage language)
{
    auto found = std::find(appLanguageAllCases.begin(), appLanguageAllCases.end(), language);
    return found == appLanguageAllCases.end() ? 0 : static_cast<int>(found - appLanguageAllCases.begin());
}

} // namespace

AppSettingsView::AppSettingsView()
{
    auto* tutorial = new QPushButton(PlainText::title(L("Revoir le tutoriel")));
    tutorial->setObjectName("review-onboarding");
    connect(tutorial, &QPushButton::clicked, this, [this] {
        if (canShowOnboarding && !canShowOnboarding())
            return;
        if (onShowOnboarding)
            onShowOnboarding();
    });
    auto* languagePicker = new QComboBox;
    languagePicker->setObjectName("app-language");
    languagePicker->addItems({PlainText::text(L("Langue du système")), QStringLiteral("English"),
                              QStringLiteral("Français")});
    languagePicker->setCurrentIndex(languageIndex(AppLocalization::shared().language()));
    connect(languagePicker, &QComboBox::activated, this, [this, languagePicker](int index) {
        AppLanguage chosen = appLanguageAllCases[static_cast<std::size_t>(qBound(0, index, 2))];
        if (chosen == AppLocalization::shared().language())
            return;
        if (canChangeLanguage && !canChangeLanguage()) {
            languagePicker->setCurrentIndex(languageIndex(AppLocalization::shared().language()));
            return;
        }
        AppLocalization::shared().setLanguage(chosen);
    });
    QWidget* general = AppInterface::card(AppInterface::stack(
        {AppInterface::label(L("Langue de l’app"), 13, FontWeight::medium), languagePicker,
         AppInterface::label(L("Prise en main"), 13, FontWeight::medium),
         AppInterface::label(L("Retrouve les autorisations macOS et les premiers pas."), 12, FontWeight::regular, true),
         tutorial},
        true, 4));

    privacyButton_ = new QPushButton(PlainText::title(L("Voir les détails")));
    privacyButton_->setObjectName("privacy-details");
    connect(privacyButton_, &QPushButton::clicked, this, [this] { setPrivacyDetailsVisible(!privacyDetailsVisible()); });
    privacyDetails_ = AppInterface::stack(
        {AppInterface::label(L("Diagnostics de plantage"), 12, FontWeight::semibold),
         AppInterface::label(L("Des diagnostics techniques sont envoyés automatiquement à Sentry. Cette intégration retire les noms de projets, chemins complets et textes d’erreur, et n’ajoute aucune capture d’écran ni statistique d’utilisation."),
                             12, FontWeight::regular, true)},
        true, 4);
    privacyDetails_->hide();
    privacyCard_ = AppInterface::card(AppInterface::stack(
        {AppInterface::label(L("Tes données et les services utilisés"), 13, FontWeight::medium), privacyButton_,
         privacyDetails_},
        true, 15));
    privacyCard_->setObjectName("privacy-section");

    auto* page = AppInterface::stack(
        {AppInterface::label(L("Réglages"), 24, FontWeight::bold),
         AppInterface::label(L("Langue, aide et confidentialité, au même endroit."), 13, FontWeight::regular, true),
         AppInterface::label(L("Général"), 13, FontWeight::semibold), general,
         AppInterface::label(L("Confidentialité"), 13, FontWeight::semibold), privacyCard_, AppInterface::spacer()},
        true, 24);
    page->setContentsMargins(26, 24, 26, 26);

    scrollView_ = new QScrollArea;
    scrollView_->setObjectName("settings-scroll-view");
    scrollView_->setWidgetResizable(true);
    scrollView_->setFrameShape(QFrame::NoFrame);
    scrollView_->setWidget(page);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollView_);
}

bool AppSettingsView::privacyDetailsVisible() const { return !privacyDetails_->isHidden(); }

void AppSettingsView::setPrivacyDetailsVisible(bool visible) { privacyDetails_->setHidden(!visible); }

void AppSettingsView::showPrivacy()
{
    setPrivacyDetailsVisible(true);
    scrollView_->widget()->adjustSize();
    scrollView_->verticalScrollBar()->setValue(privacyCard_->y());
}

} // namespace pellamor
