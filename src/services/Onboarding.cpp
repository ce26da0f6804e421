#include "services/Onboarding.h"

#include "ui/AppearanceSurface.h"
#include "ui/PlainText.h"
#include "ui/SheetHost.h"
#include "assistant/Localization.h"
#include "platform/Platform.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace pellamor {

OnboardingController::OnboardingController(
    std::function<void()> requestAccessibility, std::function<void(std::optional<std::string>)> onFinish)
    : requestAccessibility_(std::move(requestAccessibility))
    , onFinish_(std::move(onFinish))
    , window_(new SheetDialog)
{
    window_->setObjectName("onboarding");
    window_->setWindowTitle(PlainText::text(L("Prise en main")));
    window_->resize(650, 610);

    accessibilityStatus_ = AppInterface::label({}, 12);
    accessibilityStatus_->setObjectName("onboarding-accessibility-status");
    auto* authorize = new QPushButton(PlainText::title(L("Ouvrir les réglages macOS…")));
    authorize->setObjectName("onboarding-authorize-accessibility");
    QObject::connect(authorize, &QPushButton::clicked, window_, [this] {
        if (requestAccessibility_)
            requestAccessibility_();
        refreshPermissions();
    });
    auto* later = new QPushButton(PlainText::title(L("Plus tard")));
    later->setObjectName("onboarding-skip");
    QObject::connect(later, &QPushButton::clicked, window_, [this] { finish(std::nullopt); });
    auto* next = new QPushButton(PlainText::title(L("Configurer mes écrans")));
    next->setObjectName("onboarding-finish");
    QObject::connect(next, &QPushButton::clicked, window_, [this] { finish("screens"); });

    auto* layout = new QVBoxLayout(window_);
    layout->setContentsMargins(30, 24, 30, 24);
    layout->addWidget(AppInterface::header(
        L("Tes projets, sur les bons écrans."), L("Bienvenue dans Pellamor."), "rectangle.3.group", false));
    layout->addWidget(AppInterface::card(
        AppInterface::stack({ AppInterface::label(L("Accessibilité · nécessaire"), 15, FontWeight::semibold),
                                accessibilityStatus_, authorize },
            true, 10)));
    layout->addStretch();
    layout->addWidget(AppInterface::stack({ later, AppInterface::spacer(), next }, false, 12));
    refreshPermissions();
}

OnboardingController::~OnboardingController()
{
    if (!window_)
        return;
    SheetHost::endSheet(window_);
    // Later, because the owner may release the controller from one of the sheet's own buttons.
    window_->deleteLater();
}

void OnboardingController::present(QWidget* window)
{
    SheetHost::beginSheet(window, window_);
}

void OnboardingController::refreshPermissions()
{
    bool allowed = platform().accessibility().isProcessTrusted();
    accessibilityStatus_->setText(allowed ? L("Autorisé") : L("À activer"));
    accessibilityStatus_->setColorRole(allowed ? ColorRole::green : ColorRole::orange);
}

void OnboardingController::finish(std::optional<std::string> tab)
{
    if (isFinished_)
        return;
    isFinished_ = true;
    OnboardingProgress(platform().standardDefaults()).finish();
    SheetHost::endSheet(window_);
    if (onFinish_)
        onFinish_(std::move(tab));
}

} // namespace pellamor
