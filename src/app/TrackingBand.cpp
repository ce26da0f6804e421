// The tracking band of the application delegate: its controls, the status line and the reportable error.
#include "app/AppDelegate.h"

#include "ui/AppearanceSurface.h"
#include "ui/PlainText.h"
#include "ui/SwitchControl.h"
#include "ui/SymbolView.h"
#include "assistant/Localization.h"
#include "overview/WindowOverview.h"

#include <QPushButton>

namespace pellamor {

void AppDelegate::showStatus(const std::string& text, bool error)
{
    statusLabel->setText(text);
    statusLabel->setToolTipText(text);
    statusLabel->setColorRole(error ? ColorRole::red : ColorRole::secondaryLabel);
    updateReportableError(error ? std::optional<std::string>(text) : std::nullopt, "automatic_switching");
}

void AppDelegate::updateReportableError(std::optional<std::string> text, const std::string& source)
{
    if (text)
        reportableError = ReportableError{*text, source};
    else if (reportableError && reportableError->source == source)
        reportableError.reset();
    if (!reportErrorButton)
        return;
    reportErrorButton->setHidden(!reportableError);
    reportErrorButton->setToolTip(reportableError ? PlainText::toolTip(reportableError->text) : QString());
}

void AppDelegate::updateRequirements()
{
    if (permissionsGranted()) {
        requirementLabel->setText(L("Autorisée · prête pour le changement de bureaux."));
        requirementLabel->setColorRole(ColorRole::secondaryLabel);
        return;
    }
    requirementLabel->setText(L("Autorisation nécessaire pour ouvrir les bureaux associés."));
    requirementLabel->setColorRole(ColorRole::orange);
}

void AppDelegate::updateTrackingControls()
{
    bool idle = !isExecuting && !isTerminating;
    if (windowOverview)
        windowOverview->updateResetState(idle);
    toggle->setEnabled(idle);
    toggle->setOn(isEnabled);
    if (windowOverview)
        windowOverview->updateTrackingState(isEnabled);
    modeLabel->setText(isEnabled ? L("Changement automatique activé") : L("Changement automatique désactivé"));
    activityDot->setTint(isEnabled ? ColorRole::green : ColorRole::secondaryLabel);
    updateRequirements();

    std::size_t configured = std::count_if(projects.begin(), projects.end(),
                                           [this](const Project& project) { return hasAssociation(project.id); });
    std::string current = projects.empty()
                              ? L("Aucun projet Codex disponible. Ouvre Codex, puis clique sur Actualiser.")
                              : L("Le suivi concerne tous tes projets configurés dans Codex.");
    currentLabel->setText(current);
    currentLabel->setToolTipText(current);
    if (projects.size() == 1)
        countLabel->setText(L("%@ configuré / 1 projet", std::to_string(configured)));
    else
        countLabel->setText(L("%@ configurés / %@ projets", std::to_string(configured), std::to_string(projects.size())));
}

QWidget* AppDelegate::buildTrackingControls()
{
    activityDot->setAccessibleName(PlainText::text(L("État du suivi")));
    activityDot->setPointSize(9);
    activityDot->setFixedWidth(12);
    activityDot->setObjectName("tracking-activity");
    modeLabel->setFontSize(15, FontWeight::semibold);
    modeLabel->setObjectName("tracking-mode");
    currentLabel->setFontSize(12);
    currentLabel->setColorRole(ColorRole::secondaryLabel);
    currentLabel->setMaximumLines(2);
    currentLabel->setObjectName("tracking-scope");
    countLabel->setFontSize(12, FontWeight::medium);
    countLabel->setColorRole(ColorRole::secondaryLabel);
    countLabel->setObjectName("tracking-count");

    QPointer<AppDelegate> self(this);
    toggle->setObjectName("automatic-switching-toggle");
    toggle->onAction = [self] {
        if (self)
            self->toggleTracking();
    };
    toggle->setAccessibilityLabel(L("Activer le changement de bureau pour tous les projets configurés"));
    toggle->setToolTipText(L("Ouvrir un projet ou une conversation dans Codex affiche son bureau associé."));
    toggle->setAccessibilityHelp(L("Réagit au projet ou à la conversation ouverte dans Codex. Le suivi s’active par défaut à chaque ouverture, dès que la configuration est prête. Tu peux le désactiver pour la session en cours."));

    QWidget* header = AppInterface::stack({activityDot, modeLabel, AppInterface::spacer()}, false, 9);
    statusLabel->setFontSize(12);
    statusLabel->setMaximumLines(4);
    statusLabel->setObjectName("tracking-status");
    requirementLabel->setFontSize(11);
    requirementLabel->setMaximumLines(2);
    requirementLabel->setObjectName("tracking-requirement");
    QWidget* band = AppInterface::stack({header, currentLabel, countLabel, statusLabel, requirementLabel}, true, 10);
    QWidget* card = AppInterface::card(band, QMargins(14, 12, 14, 12));
    card->setObjectName("tracking-band");
    updateTrackingControls();
    return card;
}

} // namespace pellamor
