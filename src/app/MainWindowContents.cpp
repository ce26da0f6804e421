// The menus and the main window of the application delegate: tabs, footer, overview callbacks and actions.
#include "app/AppDelegate.h"

#include "ui/Alert.h"
#include "ui/AppConstants.h"
#include "ui/AppearanceSurface.h"
#include "app/MainWindow.h"
#include "ui/PlainText.h"
#include "app/ReleaseLater.h"
#include "ui/SheetHost.h"
#include "ui/SwitchControl.h"
#include "ui/SymbolView.h"
#include "assistant/Localization.h"
#include "overview/WindowOverview.h"
#include "platform/Bundle.h"
#include "platform/Platform.h"
#include "services/AppSettingsView.h"
#include "services/UsageAnalytics.h"
#include "setup/ScreenSettingsView.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace pellamor {
namespace {

QAction* addItem(QMenu* menu, const std::string& title, const char* identifier, std::function<void()> action,
                 QKeySequence shortcut = {})
{
    QAction* item = menu->addAction(PlainText::title(title));
    item->setObjectName(identifier);
    item->setShortcut(shortcut);
    QObject::connect(item, &QAction::triggered, menu, [action = std::move(action)] { action(); });
    return item;
}

// The standard edit actions go to the focused text control, as the responder chain would; without one they do
// nothing (asking another widget for the slot would only print a warning among the log lines).
std::function<void()> editAction(const char* slot)
{
    return [slot] {
        QWidget* focused = QApplication::focusWidget();
        if (qobject_cast<QLineEdit*>(focused) || qobject_cast<QTextEdit*>(focused)
            || qobject_cast<QPlainTextEdit*>(focused))
            QMetaObject::invokeMethod(focused, slot);
    };
}

std::string abbreviatedPath(const std::string& path)
{
    std::string home = platform().homeDirectory().string();
    if (home.empty() || path.compare(0, home.size(), home) != 0)
        return path;
    if (path.size() == home.size() || path[home.size()] == '/')
        return std::string("~").append(path, home.size());
    return path;
}

std::string bundleShortVersion() { return Bundle::main().shortVersion().value_or(""); }

} // namespace

void AppDelegate::ensureWindow()
{
    if (window)
        return;
    window = std::make_unique<MainWindow>();
    QPointer<AppDelegate> self(this);
    window->onClose = [self] {
        if (self)
            self->terminate();
    };
}

void AppDelegate::buildMenu()
{
    QPointer<AppDelegate> self(this);
    auto call = [self](void (AppDelegate::*action)()) {
        return [self, action] {
            if (self)
                (self.data()->*action)();
        };
    };
    auto* bar = new QMenuBar;
    QMenu* application = bar->addMenu(PlainText::title(appName));
    addItem(application, L("À propos de %@", std::string(appName)), "menu-about", call(&AppDelegate::showAbout));
    application->addSeparator();
    addItem(application, L("Réglages…"), "menu-settings", call(&AppDelegate::showSettings), QKeySequence("Ctrl+,"));
    application->addSeparator();
    addItem(application, L("Quitter %@", std::string(appName)), "menu-quit", call(&AppDelegate::terminate),
            QKeySequence("Ctrl+Q"));
    QMenu* edit = bar->addMenu(PlainText::title(L("Édition")));
    addItem(edit, L("Couper"), "menu-cut", editAction("cut"), QKeySequence("Ctrl+X"));
    addItem(edit, L("Copier"), "menu-copy", editAction("copy"), QKeySequence("Ctrl+C"));
    addItem(edit, L("Coller"), "menu-paste", editAction("paste"), QKeySequence("Ctrl+V"));
    addItem(edit, L("Tout sélectionner"), "menu-select-all", editAction("selectAll"), QKeySequence("Ctrl+A"));
    QMenu* help = bar->addMenu(PlainText::title(L("Aide")));
    addItem(help, L("Signaler un bug…"), "menu-report-bug", call(&AppDelegate::reportBug));
    addItem(help, L("Proposer une amélioration…"), "menu-suggest-improvement", call(&AppDelegate::suggestImprovement));
    addItem(help, L("Demander une fonctionnalité…"), "menu-request-feature", call(&AppDelegate::requestFeature));
    ensureWindow();
    window->setMenuBar(bar);
}

void AppDelegate::buildWindow()
{
    QPointer<AppDelegate> self(this);
    ensureWindow();
    window->setWindowTitle(PlainText::text(appName));
    window->setMinimumSize(820, 800);

    auto* newTabs = new QTabWidget;
    newTabs->setObjectName("main-tabs");
    auto* overview = new WindowOverviewView;
    windowOverview = overview;
    installOverviewCallbacks(*overview);
    overview->setTrackingControls(buildTrackingControls(), toggle);
    addIdentifiedTab(newTabs, overview, "windows", L("Configurer les écrans du projet"));

    auto* screens = new ScreenSettingsView;
    screens->canChangeConfiguration = [self] { return self && !self->isExecuting; };
    screens->placementBlockingReason = [self]() -> std::optional<std::string> {
        if (self && self->isExecuting)
            return L("Une autre action est en cours. Réessaie dans un instant.");
        return std::nullopt;
    };
    addIdentifiedTab(newTabs, screens, "screens", L("Ton assistant"));

    auto* settings = new AppSettingsView;
    settingsView = settings;
    auto settingsAllowed = [self] {
        return self && !self->isExecuting && !SheetHost::hasAttachedSheet(self->window.get());
    };
    settings->canChangeLanguage = settingsAllowed;
    settings->canShowOnboarding = settingsAllowed;
    settings->onShowOnboarding = [self] {
        UsageAnalytics::shared().recordInteraction();
        if (self)
            self->showOnboarding();
    };
    addIdentifiedTab(newTabs, settings, "privacy", L("Réglages"));
    selectTab(newTabs, "windows");
    tabs = newTabs;
    connect(newTabs, &QTabWidget::currentChanged, this, [this] { tabViewDidSelect(); });

    auto* feedback = new QPushButton(PlainText::title(L("Signaler un bug ou proposer une idée…")));
    feedback->setObjectName("open-feedback");
    connect(feedback, &QPushButton::clicked, this, [this] { reportBug(); });
    // The first build takes the button made with the delegate; a rebuild needs a new one.
    if (!reportErrorButton || reportErrorButton->parent())
        reportErrorButton = new QPushButton;
    reportErrorButton->setText(PlainText::title(L("Signaler cette erreur…")));
    reportErrorButton->setObjectName("report-current-error");
    connect(reportErrorButton, &QPushButton::clicked, this, [this] { reportCurrentError(); });
    updateReportableError(std::nullopt, {});
    FeedbackMetadata metadata = FeedbackMetadata::current();
    Label* version = AppInterface::label(L("Version %@ · build %@", metadata.version, metadata.build), 11,
                                         FontWeight::regular, true);
    version->setObjectName("current-app-version");
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    version->setWrapping(false);
    version->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    QWidget* footer = AppInterface::stack({feedback, reportErrorButton, AppInterface::spacer(), version}, false, 10);

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 12, 0, 12);
    layout->setSpacing(8);
    auto* tabRow = new QHBoxLayout;
    tabRow->setContentsMargins(12, 0, 12, 0);
    tabRow->addWidget(newTabs);
    layout->addLayout(tabRow, 1);
    auto* footerRow = new QHBoxLayout;
    footerRow->setContentsMargins(20, 0, 20, 0);
    footerRow->addWidget(footer);
    layout->addLayout(footerRow);
    // Later, since a rebuild can start from a control of the old content.
    QWidget* old = window->takeCentralWidget();
    if (old)
        old->deleteLater();
    window->setCentralWidget(content);
    if (!old) {
        window->resizeContent(QSize(880, 850));
        if (QScreen* screen = QGuiApplication::primaryScreen())
            window->move(screen->availableGeometry().center() - window->rect().center());
    }

    QPointer<WindowOverviewView> built(overview);
    platform().mainQueue().async([self, built] {
        if (!self || !built || built != self->windowOverview || !self->window->isVisible())
            return;
        built->setOverviewVisible(selectedTabIdentifier(self->tabs) == "windows");
    });
}

void AppDelegate::installOverviewCallbacks(WindowOverviewView& overview)
{
    QPointer<AppDelegate> self(this);
    overview.onUserInteraction = [] { UsageAnalytics::shared().recordInteraction(); };
    overview.sharedSwitcher = desktopSwitcher;
    overview.onStatusMessage = [self](const std::string& text, bool isError) {
        if (self)
            self->updateReportableError(isError ? std::optional<std::string>(text) : std::nullopt, "project_displays");
    };
    overview.projectAssignments = [self](const std::vector<NativeDesktopState>&) {
        return self ? self->projectAssignments() : std::vector<OverviewProjectAssignment>{};
    };
    overview.refreshProjects = [self] {
        if (self)
            self->refreshProjects();
    };
    overview.onShowPrivacy = [self] {
        if (!self || self->isExecuting || self->isTerminating || SheetHost::hasAttachedSheet(self->window.get()))
            return;
        selectTab(self->tabs, "privacy");
        self->bringWindowForward();
        if (self->settingsView)
            self->settingsView->showPrivacy();
    };
    overview.beginAction = [self]() -> ActionAdmission {
        if (!self || self->isExecuting || self->isTerminating)
            return false;
        if (!self->refreshDesktopAssociations())
            return { false, self->associationRefreshFailure() };
        self->isExecuting = true;
        self->updateTrackingControls();
        return true;
    };
    overview.onClearProjectAssignments = [self] {
        if (self)
            self->confirmClearProjectAssignments();
    };
    overview.onDeleteAllDesktops = [self] {
        if (self)
            self->confirmDeleteAllDesktops();
    };
    overview.removeUnavailableProject = [self](const std::string& projectID, AppDelegate::MessageCompletion completion) {
        if (!self) {
            completion(L("Association annulée."));
            return;
        }
        self->removeUnavailableProject(projectID, std::move(completion));
    };
    overview.openProjectDesktops = [self](const std::string& projectID, auto completion) {
        if (!self) {
            completion(MissionControlResult::cancelled());
            return;
        }
        self->openProjectFromOverview(projectID, std::move(completion));
    };
    overview.prepareProjectDisplay = [self](const std::string& projectID, const std::string& display,
                                         auto completion) {
        if (!self) {
            completion(std::nullopt, L("Action annulée."));
            return;
        }
        self->prepareProjectDisplay(projectID, display, std::move(completion));
    };
    overview.validateProjectDisplay = [self](const ProjectDisplayPreparation& preparation) {
        return self ? self->validateProjectDisplay(preparation) : std::optional<std::string>(L("Action annulée."));
    };
    overview.commitProjectDisplay = [self](const ProjectDisplayPreparation& preparation, auto completion) {
        if (!self) {
            completion(L("Action annulée."));
            return;
        }
        self->commitProjectDisplay(preparation, std::move(completion));
    };
    overview.endAction = [self] {
        if (!self || self->isResetting)
            return;
        self->displayPreparationRequest.reset();
        self->pendingDisplayPreparation.reset();
        self->isExecuting = false;
        self->updateTrackingControls();
        self->startTrackingByDefaultIfReady();
        if (self->isEnabled)
            self->poll();
    };
}

std::vector<OverviewProjectAssignment> AppDelegate::projectAssignments() const
{
    std::vector<OverviewProjectAssignment> rows;
    const std::map<std::string, ProjectResolution>& resolutions = resolvedProjects();
    for (const Project& project : projects) {
        OverviewProjectAssignment row;
        row.id = project.id;
        row.name = project.name;
        if (auto found = associations.find(project.id); found != associations.end())
            row.desktops = found->second;
        row.path = project.roots.empty() ? L("Projet local") : abbreviatedPath(project.roots.front());
        bool fallback = fallbackProjects.count(project.id) != 0;
        if (associationInventory) {
            auto stored = desktopAssociations.targets.find(project.id);
            auto resolved = resolutions.find(project.id);
            bool missing = stored != desktopAssociations.targets.end()
                && (resolved == resolutions.end() || resolved->second.targets.size() < stored->second.size());
            row.unavailable = (desktopAssociations.unresolvedProjects.count(project.id) || missing) && !fallback;
        } else {
            row.unavailable = hasAssociation(project.id) && !fallback;
        }
        row.usingAssistantFallback = fallback;
        if (auto number = fallbackDesktopNumbers.find(project.id); number != fallbackDesktopNumbers.end())
            row.fallbackDesktop = number->second;
        rows.push_back(std::move(row));
    }
    return rows;
}

void AppDelegate::tabViewDidSelect()
{
    if (windowOverview)
        windowOverview->setOverviewVisible(selectedTabIdentifier(tabs) == "windows");
}

void AppDelegate::showSettings()
{
    UsageAnalytics::shared().recordInteraction();
    selectTab(tabs, "privacy");
    bringWindowForward();
}

void AppDelegate::showAbout()
{
    UsageAnalytics::shared().recordInteraction();
    Alert alert;
    alert.style = AlertStyle::informational;
    alert.messageText = appName;
    alert.informativeText = L("Version %@ · App locale\n\nChoisis l’écran dédié à Codex dans Ton assistant. Claude sera disponible dans une prochaine version. Les autres écrans accueillent le contenu des projets.\n\nDans Configurer les écrans du projet, choisis un projet puis glisse ses fenêtres sur les écrans. L’app utilise un bureau vide disponible ou en crée un, puis conserve ce choix pour le projet. Clique sur une fenêtre dans Toutes les fenêtres pour afficher son contenu jusqu’à la sortie de la souris. Sur un écran du projet, le clic gauche rejoint son bureau et le clic droit permet de modifier son emplacement. La fenêtre de Codex reste protégée.\n\nLes bureaux créés automatiquement sont nettoyés lorsqu’ils sont vides et ne sont plus affichés. Tes bureaux personnels sont conservés. Actualiser reste dans l’en-tête, et le suivi automatique dispose de son propre bandeau. Les autorisations macOS et l’accès à la confidentialité sont regroupés en bas de la vue. Le suivi fonctionne avec Codex et s’arrête à la fermeture.",
                  bundleShortVersion());
    alert.buttons = {L("Fermer")};
    alert.icon = AppInterface::brandImage();
    AlertSheet::begin(window.get(), std::move(alert));
}

void AppDelegate::reportBug()
{
    UsageAnalytics::shared().recordInteraction();
    presentFeedback(FeedbackKind::bug, "", "help");
}

void AppDelegate::suggestImprovement()
{
    UsageAnalytics::shared().recordInteraction();
    presentFeedback(FeedbackKind::improvement, "", "help");
}

void AppDelegate::requestFeature()
{
    UsageAnalytics::shared().recordInteraction();
    presentFeedback(FeedbackKind::feature, "", "help");
}

void AppDelegate::reportCurrentError()
{
    if (!reportableError)
        return;
    UsageAnalytics::shared().recordInteraction();
    ReportableError error = *reportableError;
    presentFeedback(FeedbackKind::bug, error.text, error.source);
}

void AppDelegate::presentFeedback(FeedbackKind kind, const std::string& error, const std::string& source)
{
    if (SheetHost::hasAttachedSheet(window.get()))
        return;
    FeedbackDraft draft = feedbackDraft.value_or(FeedbackDraft{kind, "", "", error, source});
    feedbackController = std::make_unique<FeedbackWindowController>(draft, feedbackService);
    QPointer<AppDelegate> self(this);
    feedbackController->onClose = [self](std::optional<FeedbackDraft> kept) {
        if (!self)
            return;
        self->feedbackDraft = std::move(kept);
        releaseLater(std::move(self->feedbackController));
    };
    feedbackController->present(window.get());
}

void AppDelegate::languageChanged()
{
    if (!window || isExecuting || SheetHost::hasAttachedSheet(window.get()))
        return;
    std::string selected = selectedTabIdentifier(tabs);
    if (selected.empty())
        selected = "windows";
    if (windowOverview)
        windowOverview->shutdown();
    windowOverview = nullptr;
    toggle = new SwitchControl;
    createBandControls(L("Langue modifiée."));
    buildMenu();
    buildWindow();
    selectTab(tabs, selected);
    updateTrackingControls();
}

} // namespace pellamor
