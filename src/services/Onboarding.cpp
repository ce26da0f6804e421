#include "services/Onboarding.h"

#include "assistant/Localization.h"
#include "platform/Platform.h"
#include "ui/AppearanceSurface.h"
#include "ui/PlainText.h"
#include "ui/SeparatorLine.h"
#include "ui/SheetHost.h"

#include <QBoxLayout>
#include <QPushButton>

namespace pellamor {
namespace {

constexpr const char* screenCaptureSettingsURL
    = "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture";

QWidget* tutorialStep(const std::string& number, const std::string& title, const std::string& text)
{
    Label* digit = AppInterface::label(number, 19, FontWeight::semibold);
    digit->setColorRole(ColorRole::accent);
    digit->setFixedWidth(24);
    digit->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QWidget* texts = AppInterface::stack(
        { AppInterface::label(title, 15, FontWeight::semibold), AppInterface::label(text, 13, FontWeight::regular, true) },
        true, 6);
    auto* step = new QWidget;
    auto* layout = new QHBoxLayout(step);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    layout->addWidget(digit, 0, Qt::AlignTop);
    layout->addWidget(texts, 1, Qt::AlignTop);
    return step;
}

QWidget* permissionCard(const std::string& title, const std::string& text, Label* status, QPushButton* action)
{
    QWidget* row = AppInterface::stack({ status, AppInterface::spacer(), action }, false, 12);
    return AppInterface::card(AppInterface::stack({ AppInterface::label(title, 15, FontWeight::semibold),
                                                      AppInterface::label(text, 13, FontWeight::regular, true), row },
        true, 10));
}

bool accessibilityGranted()
{
    return platform().accessibility().isProcessTrusted() && platform().events().preflightPostEventAccess();
}

bool screenCaptureGranted()
{
    return platform().windowList().preflightScreenCaptureAccess();
}

} // namespace

std::optional<OnboardingPage> onboardingPageFromRawValue(int rawValue)
{
    if (rawValue < 0 || rawValue > 2)
        return std::nullopt;
    return static_cast<OnboardingPage>(rawValue);
}

OnboardingProgress::OnboardingProgress(UserDefaults& defaults)
    : defaults_(defaults)
{
}

bool OnboardingProgress::shouldPresentOnLaunch() const
{
    return !defaults_.boolean(seenKey).valueOr(false);
}

void OnboardingProgress::advance()
{
    if (page_ == OnboardingPage::welcome)
        page_ = OnboardingPage::permissions;
    else if (page_ == OnboardingPage::permissions)
        page_ = OnboardingPage::tutorial;
}

void OnboardingProgress::goBack()
{
    if (page_ == OnboardingPage::tutorial)
        page_ = OnboardingPage::permissions;
    else if (page_ == OnboardingPage::permissions)
        page_ = OnboardingPage::welcome;
}

void OnboardingProgress::finish()
{
    defaults_.set(seenKey, true);
}

OnboardingController::OnboardingController(
    std::function<void()> requestAccessibility, std::function<void(std::optional<std::string>)> onFinish)
    : progress_(platform().standardDefaults())
    , requestAccessibility_(std::move(requestAccessibility))
    , onFinish_(std::move(onFinish))
    , window_(new SheetDialog)
{
    accessibilityStatus_ = AppInterface::label({}, 12);
    accessibilityStatus_->setObjectName("onboarding-accessibility-status");
    captureStatus_ = AppInterface::label({}, 12);
    captureStatus_->setObjectName("onboarding-capture-status");
    // One line each: beside a spacer, a wrapping label would be squeezed onto two.
    accessibilityStatus_->setWrapping(false);
    captureStatus_->setWrapping(false);
    window_->setObjectName("onboarding");
    window_->onCancel = [this] { finish(std::nullopt); };
    window_->setWindowTitle(PlainText::text(L("Prise en main")));
    // Taller than 610 points only when the page's texts need it, so that nothing is cut off.
    window_->setFixedWidth(650);
    auto* layout = new QVBoxLayout(window_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    render();
}

OnboardingController::~OnboardingController()
{
    // The labels may sit outside any page right now.
    for (Label* status : { accessibilityStatus_.data(), captureStatus_.data() }) {
        if (status && !status->parent())
            delete status;
    }
    if (!window_)
        return;
    SheetHost::endSheet(window_);
    // Later, because the owner may release the controller from one of the sheet's own buttons.
    window_->deleteLater();
}

void OnboardingController::present(QWidget* window)
{
    if (window_)
        SheetHost::beginSheet(window, window_);
}

QPushButton* OnboardingController::button(const std::string& title, const char* identifier, std::function<void()> action)
{
    auto* made = new QPushButton(PlainText::title(title));
    made->setObjectName(identifier);
    made->setAutoDefault(false);
    made->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QObject::connect(made, &QPushButton::clicked, window_, std::move(action));
    return made;
}

void OnboardingController::render()
{
    if (!window_)
        return;
    accessibilityButton_ = nullptr;
    captureButton_ = nullptr;
    // The status labels outlive the page they were shown on.
    accessibilityStatus_->setParent(nullptr);
    captureStatus_->setParent(nullptr);
    if (content_) {
        content_->hide();
        content_->setParent(nullptr);
        // Later, since the page may change from one of the old page's buttons.
        content_->deleteLater();
    }

    auto* surface = new AppearanceSurface({ ColorRole::windowBackground }, 0, std::nullopt, 1.0);
    std::string step = std::to_string(static_cast<int>(progress_.page()) + 1);
    Label* stepLabel = AppInterface::label(L("Étape %@ sur 3", step), 12, FontWeight::medium, true);
    stepLabel->setObjectName("onboarding-step");
    QWidget* content = AppInterface::stack({ stepLabel, pageContent() }, true, 20);

    QPushButton* previous = button(L("Précédent"), "onboarding-previous", [this] { previousPage(); });
    previous->setHidden(progress_.page() == OnboardingPage::welcome);
    QPushButton* later = button(L("Plus tard"), "onboarding-skip", [this] { finish(std::nullopt); });
    QPushButton* next = button(progress_.page() == OnboardingPage::tutorial ? L("Configurer mes écrans") : L("Continuer"),
        "onboarding-next", [this] { nextPage(); });
    next->setDefault(true);
    QWidget* buttons = AppInterface::stack({ previous, AppInterface::spacer(), later, next }, false, 12);
    QWidget* footer = AppInterface::stack({ new SeparatorLine, buttons }, true, 18);

    auto* layout = new QVBoxLayout(surface);
    layout->setContentsMargins(30, 24, 30, 24);
    layout->setSpacing(0);
    layout->addWidget(content);
    layout->addStretch(1);
    layout->addSpacing(24);
    layout->addWidget(footer);
    window_->layout()->addWidget(surface);
    surface->show();
    content_ = surface;
    window_->layout()->activate();
    window_->resize(650, std::max(610, surface->heightForWidth(650)));
    next->setFocus(Qt::OtherFocusReason);
    refreshPermissions();
}

QWidget* OnboardingController::pageContent()
{
    switch (progress_.page()) {
    case OnboardingPage::welcome:
        return welcomePage();
    case OnboardingPage::permissions:
        return permissionsPage();
    case OnboardingPage::tutorial:
        return tutorialPage();
    }
    return welcomePage();
}

QWidget* OnboardingController::welcomePage()
{
    QWidget* flow = AppInterface::stack({ AppInterface::label(L("Ton projet Codex"), 17, FontWeight::semibold),
                                            AppInterface::spacer(),
                                            AppInterface::label("→", 22, FontWeight::regular, true),
                                            AppInterface::spacer(),
                                            AppInterface::label(L("Ses fenêtres sur tes écrans"), 17, FontWeight::semibold) },
        false, 16);
    QWidget* card = AppInterface::card(
        AppInterface::stack({ flow,
                                AppInterface::label(L("Quand tu changes de projet dans Codex, l’app retrouve ses fenêtres sur les écrans que tu as choisis."), 15) },
            true, 18),
        QMargins(22, 24, 22, 24));
    return AppInterface::stack(
        { AppInterface::header(L("Tes projets, sur les bons écrans."), L("Bienvenue dans Pellamor."), "rectangle.3.group",
              false),
            card,
            AppInterface::label(L("Le suivi fonctionne avec tes projets et conversations Codex. Claude sera pris en charge plus tard."),
                13, FontWeight::regular, true),
            AppInterface::label(L("Ce guide prépare les autorisations et ton premier projet. Le suivi automatique s’active par défaut dès que la configuration est prête."),
                13, FontWeight::regular, true) },
        true, 22);
}

QWidget* OnboardingController::permissionsPage()
{
    accessibilityButton_ = button(L("Ouvrir les réglages macOS…"), "onboarding-authorize-accessibility",
        [this] { authorizeAccessibility(); });
    accessibilityButton_->setAccessibleName(PlainText::text(L("Autoriser l’Accessibilité dans les réglages macOS")));
    captureButton_ = button(L("Activer les aperçus…"), "onboarding-authorize-capture", [this] { authorizeCapture(); });
    captureButton_->setAccessibleName(PlainText::text(L("Autoriser les aperçus de fenêtres")));
    return AppInterface::stack(
        { AppInterface::header(L("Les autorisations utiles."), L("Tu gardes le contrôle dans les réglages de macOS."),
              "hand.raised", false),
            permissionCard(L("Accessibilité · nécessaire"),
                L("Pour afficher les fenêtres du bon projet et les déplacer entre les écrans. Active Pellamor dans la liste, puis reviens ici."),
                accessibilityStatus_, accessibilityButton_),
            permissionCard(L("Enregistrement de l’écran · facultatif"),
                L("Pour voir les aperçus dans « Configurer les écrans du projet ». Le suivi des projets fonctionne sans cette autorisation."),
                captureStatus_, captureButton_),
            AppInterface::label(L("Tu peux continuer et accorder ces autorisations plus tard. Si macOS te demande de relancer l’app, tes choix seront conservés."),
                12, FontWeight::regular, true) },
        true, 16);
}

QWidget* OnboardingController::tutorialPage()
{
    QWidget* steps = AppInterface::stack(
        { tutorialStep("1", L("Choisis tes écrans"),
              L("Dans « Ton assistant », choisis l’écran dédié à Codex. Garde un autre écran pour tes projets.")),
            tutorialStep("2", L("Organise ton premier projet"),
                L("Dans « Configurer les écrans du projet », choisis un projet et glisse ses fenêtres de la liste de droite vers un écran. Au premier dépôt, l’app réutilise un bureau vide ou en crée un.")),
            tutorialStep("3", L("Retrouve tes projets"),
                L("Le suivi automatique s’active par défaut. Ouvre un projet ou une conversation dans Codex pour retrouver ses fenêtres sur les écrans choisis. Tu peux le désactiver en haut de la vue.")) },
        true, 22);
    return AppInterface::stack(
        { AppInterface::header(L("Trois gestes pour commencer."), L("Les choix sont enregistrés au fur et à mesure."),
              "sparkles", false),
            AppInterface::card(steps),
            AppInterface::label(L("Tu retrouveras ce guide dans Réglages → Prise en main."), 12, FontWeight::regular, true) },
        true, 20);
}

void OnboardingController::refreshPermissions()
{
    if (progress_.page() != OnboardingPage::permissions)
        return;
    bool accessibility = accessibilityGranted();
    bool capture = screenCaptureGranted();
    accessibilityStatus_->setText(
        accessibility ? L("Autorisation accordée") : L("À autoriser pour organiser les fenêtres"));
    accessibilityStatus_->setColorRole(accessibility ? ColorRole::green : ColorRole::secondaryLabel);
    captureStatus_->setText(capture ? L("Autorisation accordée") : L("Non activée · facultatif"));
    captureStatus_->setColorRole(capture ? ColorRole::green : ColorRole::secondaryLabel);
    if (accessibilityButton_)
        accessibilityButton_->setEnabled(!accessibility);
    if (captureButton_)
        captureButton_->setEnabled(!capture);
}

void OnboardingController::previousPage()
{
    progress_.goBack();
    render();
}

void OnboardingController::nextPage()
{
    if (progress_.page() == OnboardingPage::tutorial) {
        finish("screens");
        return;
    }
    progress_.advance();
    render();
}

void OnboardingController::authorizeAccessibility()
{
    if (requestAccessibility_)
        requestAccessibility_();
    refreshPermissions();
}

void OnboardingController::authorizeCapture()
{
    if (!screenCaptureGranted()) {
        platform().windowList().requestScreenCaptureAccess();
        if (!screenCaptureGranted())
            platform().workspace().openURL(screenCaptureSettingsURL);
    }
    refreshPermissions();
}

void OnboardingController::finish(std::optional<std::string> tab)
{
    if (isFinished_ || !window_)
        return;
    isFinished_ = true;
    progress_.finish();
    SheetHost::endSheet(window_);
    if (onFinish_)
        onFinish_(std::move(tab));
}

} // namespace pellamor
