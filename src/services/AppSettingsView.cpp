#include "services/AppSettingsView.h"

#include "assistant/Localization.h"
#include "services/UsageAnalytics.h"
#include "ui/AppearanceSurface.h"
#include "ui/PlainText.h"
#include "ui/SeparatorLine.h"
#include "ui/SwitchControl.h"
#include "ui/SymbolRegistry.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace pellamor {
namespace {

int languageIndex(AppLanguage language)
{
    auto found = std::find(appLanguageAllCases.begin(), appLanguageAllCases.end(), language);
    return found == appLanguageAllCases.end() ? 0 : static_cast<int>(found - appLanguageAllCases.begin());
}

// A title and its description taking the free width, the control at its natural size on the trailing side.
QWidget* settingsRow(const std::string& title, const std::string& description, QWidget* control)
{
    QWidget* texts = AppInterface::stack({ AppInterface::label(title, 13, FontWeight::medium),
                                             AppInterface::label(description, 12, FontWeight::regular, true) },
        true, 4);
    texts->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    control->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return AppInterface::stack({ texts, control }, false, 24);
}

QWidget* section(const std::string& title, QWidget* card)
{
    QWidget* header
        = AppInterface::stack({ AppInterface::label(title, 13, FontWeight::semibold), AppInterface::spacer() }, false, 8);
    return AppInterface::stack({ header, card }, true, 9);
}

QWidget* detailRow(const std::string& title, const std::string& text)
{
    return AppInterface::stack({ AppInterface::label(title, 12, FontWeight::semibold),
                                   AppInterface::label(text, 12, FontWeight::regular, true) },
        true, 4);
}

// The chevron with room on its leading side, so that it does not touch the title it follows.
QPixmap chevron(bool up)
{
    QPixmap symbol = SymbolRegistry::image(up ? "chevron.up" : "chevron.down", 10, ColorTable::color(ColorRole::label));
    QPixmap padded(symbol.width() + 6, symbol.height());
    padded.fill(Qt::transparent);
    QPainter(&padded).drawPixmap(6, 0, symbol);
    return padded;
}

QPushButton* roundedButton(const std::string& title, const char* identifier)
{
    auto* button = new QPushButton(PlainText::title(title));
    button->setObjectName(identifier);
    return button;
}

} // namespace

AppSettingsView::AppSettingsView()
    : languagePicker_(new QComboBox)
    , languageStatus_(AppInterface::label({}, 12))
    , scrollView_(new QScrollArea)
    , document_(new QWidget)
    , privacyButton_(roundedButton(L("Voir les détails"), "privacy-details"))
    , usageAnalyticsSwitch_(new SwitchControl)
    , usageAnalyticsStatus_(AppInterface::label({}, 12, FontWeight::regular, true))
{
    QWidget* header = AppInterface::stack({ AppInterface::label(L("Réglages"), 24, FontWeight::bold),
                                              AppInterface::label(L("Langue, aide et confidentialité, au même endroit."),
                                                  13, FontWeight::regular, true) },
        true, 5);
    QWidget* page = AppInterface::stack({ header, generalSection(), privacySection() }, true, 24);
    auto* documentLayout = new QVBoxLayout(document_);
    documentLayout->setContentsMargins(26, 24, 26, 26);
    documentLayout->addWidget(page);
    documentLayout->addStretch(1);

    scrollView_->setObjectName("settings-scroll-view");
    scrollView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollView_->setFrameShape(QFrame::NoFrame);
    scrollView_->setWidgetResizable(true);
    scrollView_->setWidget(document_);
    scrollView_->viewport()->setAutoFillBackground(false);
    document_->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollView_);
}

QWidget* AppSettingsView::generalSection()
{
    languagePicker_->setObjectName("app-language");
    languagePicker_->addItems(
        { PlainText::text(L("Langue du système")), QStringLiteral("English"), QStringLiteral("Français") });
    languagePicker_->setCurrentIndex(languageIndex(AppLocalization::shared().language()));
    languagePicker_->setAccessibleName(PlainText::text(L("Langue de l’app")));
    languagePicker_->setFixedWidth(190);
    connect(languagePicker_, &QComboBox::activated, this, [this](int) { languageChanged(); });

    languageStatus_->setObjectName("app-language-status");
    languageStatus_->setColorRole(ColorRole::orange);
    languageStatus_->hide();

    QPushButton* tutorial = roundedButton(L("Revoir le tutoriel"), "review-onboarding");
    connect(tutorial, &QPushButton::clicked, this, [this] { showOnboarding(); });

    QWidget* rows = AppInterface::stack(
        { settingsRow(L("Langue de l’app"), L("S’applique immédiatement, uniquement dans cette app."), languagePicker_),
            languageStatus_, new SeparatorLine,
            settingsRow(L("Prise en main"), L("Retrouve les autorisations macOS et les premiers pas."), tutorial) },
        true, 15);
    return section(L("Général"), AppInterface::card(rows));
}

QWidget* AppSettingsView::privacySection()
{
    privacyButton_->setLayoutDirection(Qt::RightToLeft);
    privacyButton_->setToolTip(PlainText::toolTip(L("Afficher les données utilisées et les services qui les reçoivent.")));
    connect(privacyButton_, &QPushButton::clicked, this, [this] { setPrivacyDetailsVisible(!privacyDetailsVisible()); });

    std::vector<QWidget*> details { new SeparatorLine };
    details.push_back(detailRow(L("Ce que reçoit Amplitude"),
        L("Uniquement les ouvertures et les interactions avec cette app, leur heure et un identifiant aléatoire. Aucune identité, aucun nom de projet ou de fenêtre, aucun texte saisi, aucune conversation, aucune capture ni aucune activité dans d’autres apps n’est envoyé. Aucun enregistrement de session.")));
    details.push_back(detailRow(L("Identifiant temporaire"),
        L("Sur ce Mac, l’identifiant reste uniquement en mémoire et change à chaque lancement. Il n’est lié à aucun compte et ne permet pas de reconnaître tes envois d’un lancement à l’autre.")));
    details.push_back(detailRow(L("Quand tu désactives le partage"),
        L("Les prochains envois s’arrêtent et les événements en attente sont abandonnés. Les événements déjà transmis ne sont pas supprimés par ce réglage.")));
    details.push_back(detailRow(L("Adresse IP et connexion"),
        L("L’adresse IP n’est pas ajoutée aux événements. Amplitude, destinataire de la connexion, peut toutefois voir l’adresse IP réseau lors de la transmission.")));
    details.push_back(detailRow(L("Aperçus des fenêtres"),
        L("Les images sont utilisées sur ce Mac, en mémoire. Elles ne sont ni enregistrées sur disque ni envoyées à un service.")));
    details.push_back(detailRow(L("Diagnostics de plantage"),
        L("Des diagnostics techniques sont envoyés automatiquement à Sentry. Cette intégration retire les noms de projets, chemins complets et textes d’erreur, et n’ajoute aucune capture d’écran ni statistique d’utilisation.")));
    details.push_back(detailRow(L("Bugs et suggestions"),
        L("Tu choisis le texte envoyé à Sentry et peux modifier l’erreur proposée avant l’envoi. L’email est facultatif. Les versions de l’app et de macOS accompagnent le message.")));
    privacyDetails_ = AppInterface::stack(details, true, 14);
    privacyDetails_->setObjectName("privacy-details-rows");
    setPrivacyDetailsVisible(false);

    QWidget* rows = AppInterface::stack(
        { settingsRow(L("Tes données et les services utilisés"),
              L("Aperçus locaux, diagnostics de plantage via Sentry et mesure d’utilisation facultative via Amplitude."),
              privacyButton_),
            new SeparatorLine, analyticsBlock(), privacyDetails_ },
        true, 15);
    privacyCard_ = AppInterface::card(rows);
    privacyCard_->setObjectName("privacy-section");
    privacyCard_->setAccessibleName(PlainText::text(L("Confidentialité")));
    return section(L("Confidentialité"), privacyCard_);
}

QWidget* AppSettingsView::analyticsBlock()
{
    std::string description = L("Pour mesurer l’usage de l’app, envoie à Amplitude les ouvertures, les interactions et leur heure, avec un identifiant aléatoire renouvelé à chaque lancement. Aucun contenu.");
    usageAnalyticsSwitch_->setObjectName("usage-analytics-consent");
    usageAnalyticsSwitch_->setAccessibilityLabel(L("Autoriser la mesure d’utilisation facultative"));
    usageAnalyticsSwitch_->setAccessibilityHelp(description);
    usageAnalyticsSwitch_->onAction = [this] { usageAnalyticsChanged(); };
    usageAnalyticsStatus_->setObjectName("usage-analytics-status");

    std::vector<QWidget*> views { settingsRow(L("Mesure d’utilisation facultative"), description, usageAnalyticsSwitch_),
        usageAnalyticsStatus_ };
    if (std::optional<int> days = UsageAnalytics::shared().retentionDays()) {
        Label* retention = AppInterface::label(
            LCount("Conservation des événements chez Amplitude : %@ jours.", std::size_t(*days), std::to_string(*days)),
            12, FontWeight::regular, true);
        retention->setObjectName("usage-analytics-retention");
        views.push_back(retention);
    }
    QWidget* block = AppInterface::stack(views, true, 8);
    refreshUsageAnalytics();
    return block;
}

void AppSettingsView::languageChanged()
{
    int index = languagePicker_->currentIndex();
    if (index < 0 || index >= static_cast<int>(appLanguageAllCases.size()))
        return;
    if (canChangeLanguage()) {
        languageStatus_->setText({});
        languageStatus_->hide();
        AppLocalization::shared().setLanguage(appLanguageAllCases[static_cast<std::size_t>(index)]);
        return;
    }
    languagePicker_->setCurrentIndex(languageIndex(AppLocalization::shared().language()));
    languageStatus_->setText(L("Attends la fin de l’action en cours avant de changer la langue."));
    languageStatus_->show();
}

void AppSettingsView::showOnboarding()
{
    if (canShowOnboarding() && onShowOnboarding)
        onShowOnboarding();
}

void AppSettingsView::usageAnalyticsChanged()
{
    UsageAnalytics::shared().setEnabled(usageAnalyticsSwitch_->isOn());
    refreshUsageAnalytics();
}

void AppSettingsView::refreshUsageAnalytics()
{
    UsageAnalytics& analytics = UsageAnalytics::shared();
    usageAnalyticsSwitch_->setEnabled(analytics.isAvailable());
    usageAnalyticsSwitch_->setOn(analytics.isEnabled());
    if (!analytics.isAvailable())
        usageAnalyticsStatus_->setText(L("Indisponible dans cette version. Aucun événement d’utilisation n’est envoyé."));
    else if (analytics.isEnabled())
        usageAnalyticsStatus_->setText(L("Activé avec ton accord. Tu peux désactiver ce partage à tout moment."));
    else
        usageAnalyticsStatus_->setText(L("Désactivé. Aucun événement d’utilisation n’est envoyé."));
}

bool AppSettingsView::privacyDetailsVisible() const
{
    return !privacyDetails_->isHidden();
}

void AppSettingsView::setPrivacyDetailsVisible(bool visible)
{
    privacyDetails_->setHidden(!visible);
    privacyButton_->setText(PlainText::title(visible ? L("Masquer les détails") : L("Voir les détails")));
    QPixmap image = chevron(visible);
    privacyButton_->setIcon(QIcon(image));
    privacyButton_->setIconSize(image.size());
    privacyButton_->setAccessibleDescription(PlainText::text(visible ? L("Détails affichés") : L("Détails masqués")));
}

void AppSettingsView::layoutDocument()
{
    document_->layout()->activate();
    QSize viewport = scrollView_->viewport()->size();
    int height = document_->hasHeightForWidth() ? document_->heightForWidth(viewport.width())
                                                : document_->sizeHint().height();
    document_->resize(viewport.width(), std::max(viewport.height(), height));
}

void AppSettingsView::showPrivacy()
{
    setPrivacyDetailsVisible(true);
    layoutDocument();
    QRectF card(privacyCard_->mapTo(document_, QPoint(0, 0)), privacyCard_->size());
    int maximum = std::max(0, document_->height() - scrollView_->viewport()->height());
    int wanted = std::max(0, static_cast<int>(card.top()) - 40);
    scrollView_->verticalScrollBar()->setValue(std::min(maximum, wanted));
    if (window() != this)
        privacyButton_->setFocus(Qt::OtherFocusReason);
}

} // namespace pellamor
