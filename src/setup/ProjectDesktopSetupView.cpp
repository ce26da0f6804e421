#include "setup/ProjectDesktopSetupView.h"

#include "assistant/Localization.h"
#include "assistant/TextCase.h"
#include "setup/ProjectSetupChooser.h"
#include "setup/SetupControls.h"
#include "setup/SetupPermissionStatusView.h"
#include "setup/SetupPrimaryButton.h"
#include "setup/WindowDragType.h"
#include "ui/AppearanceSurface.h"
#include "ui/PlainText.h"
#include "ui/SwitchControl.h"
#include "ui/SystemFont.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <cmath>

namespace pellamor {
namespace {

Label* panelLabel(const std::string& text, double size, FontWeight weight, bool secondary, bool oneLine,
    QWidget* parent)
{
    Label* label = AppInterface::label(text, size, weight, secondary);
    label->setParent(parent);
    label->setFont(systemFont(size, weight));
    if (oneLine)
        label->setWrapping(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

SymbolButton* panelButton(const std::string& title, const char* identifier, QWidget* parent)
{
    auto* button = new SymbolButton(title, parent);
    if (identifier)
        button->setObjectName(identifier);
    button->setFont(systemFont(13));
    return button;
}

QScrollArea* documentScroll(SetupDocument* document, QWidget* parent)
{
    auto* scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidget(document);
    scroll->setWidgetResizable(false);
    scroll->viewport()->setAutoFillBackground(false);
    return scroll;
}

} // namespace

const std::set<std::string>& ProjectDesktopSetupView::assistantWindowBundleIDs()
{
    static const std::set<std::string> identifiers { "com.openai.codex", "com.openai.chat" };
    return identifiers;
}

ProjectDesktopSetupView::ProjectDesktopSetupView(std::optional<std::string> preselectedProjectID, QWidget* parent)
    : QWidget(parent)
    , selectedProjectID_(std::move(preselectedProjectID))
{
    buildViews();
    setNeedsLayout();
}

ProjectDesktopSetupView::~ProjectDesktopSetupView()
{
    // A card under a drag reports the hover end while the panel that relays it is still whole.
    endDragHovers(canvas_);
    if (projectPopover_)
        projectPopover_->deleteLater();
    if (projectChooser_)
        projectChooser_->deleteLater();
}

void ProjectDesktopSetupView::buildViews()
{
    QPointer<ProjectDesktopSetupView> self(this);
    auto when = [self](void (ProjectDesktopSetupView::*action)()) {
        return [self, action] {
            if (self)
                (self.data()->*action)();
        };
    };
    titleLabel_ = panelLabel(L("Configurer les écrans du projet"), 20, FontWeight::bold, false, true, this);

    actionsButton_ = panelButton(L("Actions"), "overview-actions", this);
    actionsButton_->setSymbol("ellipsis", 13, ImagePosition::trailing);
    connect(actionsButton_, &QPushButton::clicked, this, [this] {
        if (!busy_ && onActions)
            onActions(actionsButton_);
    });
    refreshButton_ = panelButton(L("Actualiser"), "refresh-project-displays", this);
    refreshButton_->setSymbol("arrow.clockwise", 12);
    connect(refreshButton_, &QPushButton::clicked, this, [this] {
        if (!busy_ && onRefresh)
            onRefresh();
    });

    trackingBand_ = new SetupTrackingBand(this);
    trackingBand_->setObjectName("automatic-switching-section");
    trackingTitle_ = panelLabel(L("Suivi automatique"), 12, FontWeight::semibold, false, true, this);
    trackingTitle_->setObjectName("automatic-switching-title");
    trackingDescription_
        = panelLabel(L("Change de bureau quand tu changes de projet."), 11, FontWeight::regular, true, true, this);
    trackingState_ = panelLabel(L("En pause"), 11, FontWeight::regular, true, true, this);
    trackingState_->setObjectName("automatic-switching-state");
    trackingDetailsButton_ = panelButton(L("Détails"), "automatic-switching-details", this);
    trackingDetailsButton_->setSymbol("info.circle", 14, ImagePosition::only);
    trackingDetailsButton_->setTint(ColorRole::secondaryLabel);
    trackingDetailsButton_->setBordered(false);
    trackingDetailsButton_->setFont(systemFont(12));
    trackingDetailsButton_->setToolTipText(L("État et détails du suivi automatique"));
    trackingDetailsButton_->setAccessibilityLabel(L("État et détails du suivi automatique"));
    trackingDetailsButton_->setEnabled(false);
    connect(trackingDetailsButton_, &QPushButton::clicked, this, [this] {
        if (!busy_ && trackingSwitch_ && onTrackingDetails)
            onTrackingDetails(trackingDetailsButton_);
    });

    shortcutsRow_ = new SetupDocument(this);
    shortcutsRow_->setObjectName("configured-project-shortcuts");
    shortcutsLabel_ = panelLabel(L("Accès rapide"), 11, FontWeight::regular, true, true, shortcutsRow_);
    shortcutsLabel_->hide();
    moreProjects_ = panelButton(L("Autres"), "more-configured-projects", shortcutsRow_);
    moreProjects_->setFont(systemFont(12));
    moreProjects_->setAccessibilityLabel(L("Autres projets configurés"));
    moreMenu_ = new QMenu(moreProjects_);
    // Each overflow project shows its path as the item's tooltip.
    moreMenu_->setToolTipsVisible(true);
    moreProjects_->setMenu(moreMenu_);
    moreProjects_->hide();
    connect(moreMenu_, &QMenu::aboutToShow, this, [this] { overflowMenuOpened(); });
    connect(moreMenu_, &QMenu::aboutToHide, this, [this] { overflowMenuClosed(); });
    setupProjectButton_ = new SetupPrimaryButton(L("Configurer un projet"), shortcutsRow_);
    setupProjectButton_->setSymbol("plus");
    setupProjectButton_->setObjectName("setup-new-project");
    setupProjectButton_->setAccessibilityLabel(L("Configurer un projet"));
    setupProjectButton_->setToolTipText(L("Choisir un projet à configurer"));
    connect(setupProjectButton_, &QAbstractButton::clicked, this, when(&ProjectDesktopSetupView::toggleProjectSetup));

    instructions_ = panelLabel(L("Glisse une fenêtre sur un écran pour l’ajouter au projet, ou vers Toutes les fenêtres pour la remettre à sa place."),
        12, FontWeight::regular, true, false, this);
    instructions_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    canvasTitle_ = panelLabel(L("Écrans du projet"), 14, FontWeight::semibold, false, true, this);
    canvas_ = new SetupDocument;
    canvasScroll_ = documentScroll(canvas_, this);
    canvasScroll_->viewport()->installEventFilter(this);
    libraryTitle_ = panelLabel(L("Toutes les fenêtres"), 14, FontWeight::semibold, false, true, this);
    libraryTitle_->setObjectName("all-windows-title");

    unassignedFilterButton_ = panelButton(L("Toutes"), "unassigned-windows-filter", this);
    unassignedFilterButton_->setFont(systemFont(11, FontWeight::medium));
    unassignedFilterButton_->setCheckable(true);
    unassignedFilterButton_->setAccessibleDescription(
        PlainText::text(L("Inclure les fenêtres déjà affectées à un projet.")));
    unassignedFilterButton_->setSymbol("rectangle.stack", 11);
    connect(unassignedFilterButton_, &QPushButton::clicked, this, [this] { toggleUnassignedFilter(); });
    updateUnassignedFilterControl();
    toggleSectionsButton_ = panelButton({}, "toggle-application-sections", this);
    toggleSectionsButton_->hide();
    connect(toggleSectionsButton_, &QPushButton::clicked, this, [this] { toggleAllSections(); });

    search_ = new QLineEdit(this);
    search_->setObjectName("library-search");
    search_->setPlaceholderText(PlainText::text(L("Rechercher une fenêtre")));
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textChanged, this, [this] {
        if (!busy_)
            rebuildLibrary();
    });
    library_ = new SetupDocument;
    libraryScroll_ = documentScroll(library_, this);
    libraryScroll_->viewport()->installEventFilter(this);
    divider_ = setupSeparator(this);

    status_ = panelLabel({}, 11, FontWeight::regular, true, true, this);
    status_->setObjectName("overview-status");
    permissionDivider_ = setupSeparator(this);
    permissionTitle_ = panelLabel(L("Autorisations macOS"), 11, FontWeight::medium, true, true, this);
    permissionTitle_->setObjectName("macos-permissions-title");
    previewPermission_ = new SetupPermissionStatusView(L("Aperçus"), "eye", L("Autoriser les aperçus…"), this);
    previewPermission_->setObjectName("preview-permission-status");
    previewPermission_->onAction = [self] {
        if (self && !self->busy_ && self->onAuthorizePreviews)
            self->onAuthorizePreviews();
    };
    accessibilityPermission_
        = new SetupPermissionStatusView(L("Accessibilité"), "accessibility", L("Accessibilité…"), this);
    accessibilityPermission_->setObjectName("accessibility-permission-status");
    accessibilityPermission_->onAction = [self] {
        if (self && !self->busy_ && self->onAuthorizeAccessibility)
            self->onAuthorizeAccessibility();
    };
    privacyButton_ = panelButton(L("Confidentialité…"), "privacy-details", this);
    privacyButton_->setBordered(false);
    privacyButton_->setFont(systemFont(11));
    privacyButton_->setTint(ColorRole::link);
    privacyButton_->setAccessibilityLabel(L("Confidentialité…"));
    connect(privacyButton_, &QPushButton::clicked, this, [this] {
        if (!busy_ && onPrivacy)
            onPrivacy();
    });

    resetDivider_ = setupSeparator(this);
    resetTitle_ = panelLabel(L("Réinitialisation"), 11, FontWeight::medium, true, true, this);
    resetTitle_->setObjectName("reset-section-title");
    resetHint_ = panelLabel(L("Une confirmation précède chaque suppression."), 11, FontWeight::regular, true, true, this);
    clearAssignmentsButton_ = panelButton(L("Supprimer toutes les affectations…"), "clear-project-assignments", this);
    clearAssignmentsButton_->setFont(systemFont(12));
    clearAssignmentsButton_->setTint(ColorRole::red);
    std::string clearHelp = L("Dissocie tous les projets. Les bureaux et les fenêtres restent en place.");
    clearAssignmentsButton_->setToolTipText(clearHelp);
    clearAssignmentsButton_->setAccessibleDescription(PlainText::text(clearHelp));
    connect(clearAssignmentsButton_, &QPushButton::clicked, this, [this] {
        if (!busy_ && clearAssignmentsButton_->isEnabled() && onClearProjectAssignments)
            onClearProjectAssignments();
    });
    deleteDesktopsButton_ = panelButton(L("Supprimer tous les bureaux…"), "delete-all-desktops", this);
    deleteDesktopsButton_->setFont(systemFont(12));
    deleteDesktopsButton_->setTint(ColorRole::red);
    std::string deleteHelp = L("Supprime les bureaux supplémentaires sur les écrans connectés. Un bureau par écran et les fenêtres ouvertes sont conservés.");
    deleteDesktopsButton_->setToolTipText(deleteHelp);
    deleteDesktopsButton_->setAccessibleDescription(PlainText::text(deleteHelp));
    connect(deleteDesktopsButton_, &QPushButton::clicked, this, [this] {
        if (!busy_ && deleteDesktopsButton_->isEnabled() && onDeleteAllDesktops)
            onDeleteAllDesktops();
    });

    setAccessibleName(PlainText::text(L("Configurer les écrans du projet")));
    setAcceptDrops(true);
}

void ProjectDesktopSetupView::setNeedsLayout()
{
    if (layoutPending_)
        return;
    layoutPending_ = true;
    QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
}

bool ProjectDesktopSetupView::event(QEvent* event)
{
    if (event->type() == QEvent::LayoutRequest)
        layoutIfNeeded();
    return QWidget::event(event);
}

bool ProjectDesktopSetupView::eventFilter(QObject* watched, QEvent* event)
{
    // A scroll bar that comes or goes, as when the window first shows, narrows or widens a column's document
    // without resizing the panel.
    if (event->type() == QEvent::Resize
        && (watched == canvasScroll_->viewport() || watched == libraryScroll_->viewport()))
        setNeedsLayout();
    return QWidget::eventFilter(watched, event);
}

void ProjectDesktopSetupView::resizeEvent(QResizeEvent*)
{
    layoutPending_ = true;
    layoutIfNeeded();
}

void ProjectDesktopSetupView::layoutIfNeeded()
{
    if (!layoutPending_)
        return;
    layoutPending_ = false;
    layoutViews();
}

SetupPanelMeasures ProjectDesktopSetupView::measures() const
{
    SetupPanelMeasures m;
    m.width = width();
    m.height = height();
    m.title = textWidth(titleLabel_->text(), titleLabel_->font());
    m.refreshTitle = textWidth(refreshButton_->title(), refreshButton_->font());
    m.actionsShown = !actionsButton_->isHidden();
    m.trackingState = textWidth(trackingState_->text(), trackingState_->font());
    m.shortcutMenuOpen = isShortcutMenuOpen_;
    m.setupTitle = textWidth(setupProjectButton_->title(), setupProjectButton_->font());
    m.shortcutsLabel = textWidth(shortcutsLabel_->text(), shortcutsLabel_->font());
    for (const auto* button : shortcutButtons_)
        m.shortcutTitles.push_back(textWidth(button->title(), button->font()));
    m.otherTitle = textWidth(L("Autres"), systemFont(12));
    m.filterTitle = textWidth(unassignedFilterButton_->title(), unassignedFilterButton_->font());
    m.toggleSectionsShown = !toggleSectionsButton_->isHidden();
    m.previewPermission = previewPermission_->preferredWidth();
    m.accessibilityPermission = accessibilityPermission_->preferredWidth();
    m.permissionTitle = textWidth(permissionTitle_->text(), permissionTitle_->font());
    m.privacyTitle = textWidth(privacyButton_->title(), privacyButton_->font());
    m.clearTitle = textWidth(clearAssignmentsButton_->title(), clearAssignmentsButton_->font());
    m.deleteTitle = textWidth(deleteDesktopsButton_->title(), deleteDesktopsButton_->font());
    m.resetTitle = textWidth(resetTitle_->text(), resetTitle_->font());
    return m;
}

void ProjectDesktopSetupView::layoutViews()
{
    ++layoutCount_;
    layout_ = setupPanelLayout(measures());
    auto place = [](QWidget* view, const QRectF& frame) { view->setGeometry(frame.toAlignedRect()); };
    place(titleLabel_, layout_.title);
    place(refreshButton_, layout_.refresh);
    place(actionsButton_, layout_.actions);
    place(trackingBand_, layout_.band);
    if (trackingSwitch_)
        place(trackingSwitch_, layout_.trackingSwitch);
    place(trackingDetailsButton_, layout_.trackingDetails);
    place(trackingState_, layout_.trackingState);
    place(trackingTitle_, layout_.trackingTitle);
    place(trackingDescription_, layout_.trackingDescription);
    place(shortcutsRow_, layout_.shortcutsRow);
    if (layout_.shortcuts)
        layoutShortcutRow(*layout_.shortcuts);
    place(instructions_, layout_.instructions);
    place(canvasTitle_, layout_.canvasTitle);
    place(libraryTitle_, layout_.libraryTitle);
    place(unassignedFilterButton_, layout_.unassignedFilter);
    place(toggleSectionsButton_, layout_.toggleSections);
    place(search_, layout_.search);
    place(permissionDivider_, layout_.permissionDivider);
    place(permissionTitle_, layout_.permissionTitle);
    place(privacyButton_, layout_.privacy);
    place(previewPermission_, layout_.previewPermission);
    place(accessibilityPermission_, layout_.accessibilityPermission);
    place(resetDivider_, layout_.resetDivider);
    place(resetTitle_, layout_.resetTitle);
    place(resetHint_, layout_.resetHint);
    place(clearAssignmentsButton_, layout_.clearAssignments);
    place(deleteDesktopsButton_, layout_.deleteDesktops);
    place(divider_, layout_.divider);
    place(canvasScroll_, layout_.canvasScroll);
    place(libraryScroll_, layout_.libraryScroll);
    place(status_, layout_.status);

    double canvasWidth = canvasScroll_->viewport()->width();
    if (std::abs(canvasWidth - lastCanvasWidth_) > 0.5) {
        lastCanvasWidth_ = canvasWidth;
        rebuildCanvas();
    }
    double libraryWidth = libraryScroll_->viewport()->width();
    if (std::abs(libraryWidth - lastLibraryWidth_) > 0.5) {
        lastLibraryWidth_ = libraryWidth;
        rebuildLibrary();
    }
}

void ProjectDesktopSetupView::setBusy(bool busy)
{
    busy_ = busy;
    if (busy) {
        endDragHovers(canvas_);
        setReturnHighlighted(false);
        dismissProjectChooser(false);
    }
    bool idle = !busy;
    setupProjectButton_->setEnabled(idle);
    for (auto* button : shortcutButtons_)
        button->setEnabled(idle);
    moreProjects_->setEnabled(idle);
    for (QAction* item : moreMenu_->actions())
        item->setEnabled(idle);
    search_->setEnabled(idle);
    actionsButton_->setEnabled(idle);
    refreshButton_->setEnabled(idle);
    unassignedFilterButton_->setEnabled(idle);
    privacyButton_->setEnabled(idle);
    trackingDetailsButton_->setEnabled(idle && trackingSwitch_);
    clearAssignmentsButton_->setEnabled(resetActionsEnabled_ && idle);
    deleteDesktopsButton_->setEnabled(resetActionsEnabled_ && idle);
    previewPermission_->setEnabled(idle);
    accessibilityPermission_->setEnabled(idle);
    updateSectionControls();
    updateMoveButtons();
}

void ProjectDesktopSetupView::updateResetState(bool enabled)
{
    resetActionsEnabled_ = enabled;
    clearAssignmentsButton_->setEnabled(enabled && !busy_);
    deleteDesktopsButton_->setEnabled(enabled && !busy_);
}

void ProjectDesktopSetupView::setTrackingSwitch(SwitchControl* toggle)
{
    if (trackingSwitch_ && trackingSwitch_ != toggle) {
        trackingSwitch_->hide();
        trackingSwitch_->setParent(nullptr);
    }
    trackingSwitch_ = toggle;
    if (!toggle)
        return;
    toggle->setParent(this);
    toggle->setObjectName("automatic-switching-toggle");
    toggle->show();
    toggle->raise();
    trackingDetailsButton_->setEnabled(!busy_);
    updateTrackingState(toggle->isOn());
    setNeedsLayout();
}

void ProjectDesktopSetupView::updateTrackingState(bool enabled)
{
    std::string state = enabled ? L("Activé") : L("En pause");
    trackingState_->setText(state);
    trackingState_->setColorRole(enabled ? ColorRole::accent : ColorRole::secondaryLabel);
    trackingState_->setAccessibleName(PlainText::text(L("Suivi automatique") + " · " + state));
    setNeedsLayout();
}

void ProjectDesktopSetupView::setActionsAvailable(bool available)
{
    if (actionsButton_->isHidden() == !available)
        return;
    actionsButton_->setHidden(!available);
    setNeedsLayout();
}

void ProjectDesktopSetupView::updatePermissions(bool previewsAllowed, bool accessibilityAllowed)
{
    previewPermission_->update(previewsAllowed);
    accessibilityPermission_->update(accessibilityAllowed);
}

void ProjectDesktopSetupView::showStatus(const std::string& text, bool error)
{
    status_->setText(text);
    status_->setColorRole(error ? ColorRole::red : ColorRole::secondaryLabel);
    status_->setAccessibleName(PlainText::text(text));
    status_->setToolTipText(text);
}

void ProjectDesktopSetupView::showResetStatus(const std::string& text, bool error)
{
    showStatus(text, error);
}

void ProjectDesktopSetupView::revealReturnedWindow(const DesktopWindow& window)
{
    returnedWindowToReveal_ = window.id;
    {
        QSignalBlocker quiet(search_);
        search_->clear();
    }
    libraryQuery_.clear();
    searchCollapsedApplications_.clear();
    collapsedApplications_.erase(sectionKey(window));
    contentRevision_.clear();
}

void ProjectDesktopSetupView::updateSelection(std::optional<std::uint32_t> windowID, std::optional<std::uint64_t> source)
{
    selectedWindowID_ = windowID;
    selectedSource_ = source;
    updateMoveButtons();
}

} // namespace pellamor
