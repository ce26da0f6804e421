#include "overview/WindowOverview.h"

#include "assistant/Localization.h"
#include "overview/OverviewInventoryRules.h"
#include "overview/WindowHoverPreview.h"
#include "overview/WindowThumbnail.h"
#include "platform/Platform.h"
#include "platform/UUID.h"
#include "setup/ProjectDesktopSetupView.h"
#include "ui/Popover.h"
#include "ui/SwitchControl.h"
#include "windows/WindowArrangementAccessSession.h"
#include "windows/WindowArrangementSession.h"
#include "windows/WindowMoveSession.h"
#include "windows/WindowPlacementCompletion.h"

#include <QEvent>
#include <QMenu>
#include <QVBoxLayout>
#include <cmath>

namespace pellamor {
namespace {

// Empty when nothing is stored. A value that does not decode is set aside under a key of its own, never
// written over, and the origins start again from none.
WindowReturnOrigins storedReturnOrigins()
{
    UserDefaults& defaults = platform().standardDefaults();
    std::optional<PlistValue> stored = defaults.object(WindowReturnOrigins::defaultsKey);
    if (!stored)
        return {};
    if (const PlistData* data = stored->asData()) {
        if (auto decoded = WindowReturnOrigins::decode(
                std::string_view(reinterpret_cast<const char*>(data->data()), data->size())))
            return *decoded;
    }
    // Both changes reach the file in one write, or wait in memory for the next one: the value is never lost.
    defaults.set(WindowReturnOrigins::unreadableKeyPrefix + UUID::random().uuidString(), *stored);
    defaults.remove(WindowReturnOrigins::defaultsKey);
    return {};
}

} // namespace

WindowOverviewView::WindowOverviewView(QWidget* parent)
    : QWidget(parent)
    , runtime_(WindowSpaceRuntime::make())
    , inventoryReader_(std::make_shared<WindowInventoryReader>())
    , token_(UUID::random().uuidString())
    , setupView_(new ProjectDesktopSetupView(std::nullopt, this))
    , trackingControls_(new QWidget)
    , hoverPreview_(std::make_unique<WindowHoverPreview>())
    , returnOrigins_(storedReturnOrigins())
{
    auto* stack = new QVBoxLayout(trackingControls_);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    installPanelCallbacks();
    installPreviewHandlers();
    installShortcutHandlers();
    installMenuTracking();
    refreshPermissionStatus();
    QPointer<WindowOverviewView> self(this);
    observers_.push_back(platform().defaultCenter().addObserver(
        applicationDidBecomeActiveNotification, nullptr, [self](const Notification&) {
            if (self)
                self->refreshPermissionStatus();
        }));
    updateControls();
}

WindowOverviewView::~WindowOverviewView()
{
    timer_.reset();
    // The panel's cards tell this controller when they go; they must go while it is whole.
    delete setupView_;
    setupView_ = nullptr;
    dismissPreview();
    if (trackingPopover_) {
        trackingPopover_->onDidClose = nullptr;
        trackingPopover_->close();
        delete trackingPopover_.data();
    }
    delete trackingControls_;
}

bool WindowOverviewView::event(QEvent* event)
{
    // The window resigning key or moving to another screen leaves the preview and the border pointing at
    // places that no longer hold.
    if (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::ScreenChangeInternal)
        windowGeometryChanged();
    return QWidget::event(event);
}

void WindowOverviewView::windowGeometryChanged()
{
    dismissPreview();
    displayDragHighlight_.hide();
}

void WindowOverviewView::resizeEvent(QResizeEvent*)
{
    windowGeometryChanged();
    setupView_->setGeometry(24, 22, std::max(width() - 48, 0), std::max(height() - 40, 0));
}

void WindowOverviewView::installPanelCallbacks()
{
    QPointer<WindowOverviewView> self(this);
    ProjectDesktopSetupView& panel = *setupView_;
    panel.onActions = [self](QWidget* button) {
        if (self && self->visible_ && !self->busy_)
            self->showOverviewActions(button);
    };
    panel.onRefresh = [self] {
        if (self)
            self->refreshClicked();
    };
    panel.onTrackingDetails = [self](QWidget* button) {
        if (self)
            self->toggleTrackingPopover(button);
    };
    panel.onPrivacy = [self] {
        if (!self || self->busy_)
            return;
        self->onUserInteraction();
        self->dismissPreview();
        self->closeTrackingPopover();
        if (self && self->onShowPrivacy)
            self->onShowPrivacy();
    };
    auto reset = [self](std::function<void()> WindowOverviewView::*action) {
        return [self, action] {
            if (!self || !self->visible_ || self->busy_ || self->draggingWindow_ || !self->resetActionsEnabled_)
                return;
            self->dismissPreview();
            self->setupView_->dismissProjectChooser(false);
            self->closeTrackingPopover();
            self->onUserInteraction();
            if (self && self.data()->*action)
                (self.data()->*action)();
        };
    };
    panel.onClearProjectAssignments = reset(&WindowOverviewView::onClearProjectAssignments);
    panel.onDeleteAllDesktops = reset(&WindowOverviewView::onDeleteAllDesktops);
    panel.onProjectPickerVisibilityChange = [self](bool isOpen) {
        if (self)
            self->projectPickerVisibilityChanged(isOpen);
    };
    panel.onProjectChange = [self](const std::optional<std::string>&) {
        if (self)
            self->projectChanged();
    };
    panel.onDisplayDragHover = [self](const std::string& display, bool hovering) {
        if (!self)
            return;
        if (hovering && self->visible_ && !self->busy_ && self->draggingWindow_)
            self->displayDragHighlight_.show(display);
        else
            self->displayDragHighlight_.hide(display);
    };
    panel.makeWindowCard = [self](const DesktopWindow& window, std::uint64_t source, int number, bool isOnDisplay,
                               bool showsApplicationIdentity) -> QWidget* {
        if (!self)
            return new QWidget;
        return self->makeWindowCard(window, source, number, isOnDisplay, showsApplicationIdentity);
    };
    installDropCallbacks();
}

void WindowOverviewView::setTrackingControls(QWidget* controls, SwitchControl* toggle)
{
    QLayout* stack = trackingControls_->layout();
    while (QLayoutItem* item = stack->takeAt(0)) {
        if (QWidget* old = item->widget()) {
            old->hide();
            old->deleteLater();
        }
        delete item;
    }
    if (controls)
        stack->addWidget(controls);
    setupView_->setTrackingSwitch(toggle);
}

void WindowOverviewView::updateTrackingState(bool enabled)
{
    setupView_->updateTrackingState(enabled);
}

void WindowOverviewView::updateResetState(bool enabled)
{
    resetActionsEnabled_ = enabled;
    setupView_->updateResetState(enabled && visible_ && !busy_);
}

void WindowOverviewView::showResetStatus(const std::string& text, bool error)
{
    setupView_->showResetStatus(text, error);
}

void WindowOverviewView::setOverviewVisible(bool visible)
{
    if (visible) {
        visible_ = true;
        timer_.reset();
        setupView_->updateResetState(resetActionsEnabled_ && !busy_);
        refresh();
        QPointer<WindowOverviewView> self(this);
        timer_ = std::make_unique<RepeatingTimer>(platform().mainQueue(), refreshInterval, 0, [self] {
            if (self)
                self->periodicRefresh();
        });
        return;
    }
    visible_ = false;
    timer_.reset();
    displayDragHighlight_.hide();
    dismissPreview();
    trackedMenus_.clear();
    setupView_->updateResetState(false);
    setupView_->dismissProjectChooser(false);
    choosingProject_ = false;
    cancelInventory();
    closeTrackingPopover();
    ++generation_;
}

void WindowOverviewView::periodicRefresh()
{
    refreshPermissionStatus();
    if (busy_ || hoveredTile_ || draggingWindow_ || choosingProject_ || !trackedMenus_.empty())
        return;
    refresh();
}

void WindowOverviewView::configurationChanged()
{
    cancelInventory();
    dismissPreview();
    signature_.clear();
    if (visible_)
        refresh();
}

bool WindowOverviewView::isInteracting() const
{
    return busy_ || draggingWindow_ || choosingProject_ || trackingPopover_ || hoveredTile_ || !trackedMenus_.empty();
}

void WindowOverviewView::setMaintenanceBusy(bool busy)
{
    if (busy) {
        if (isInteracting())
            return;
        maintenanceBusy_ = true;
        busy_ = true;
        displayDragHighlight_.hide();
        cancelInventory();
        updateControls();
        return;
    }
    if (!maintenanceBusy_)
        return;
    maintenanceBusy_ = false;
    busy_ = false;
    signature_.clear();
    updateControls();
    if (visible_)
        refresh();
}

void WindowOverviewView::shutdown()
{
    if (shutDown_)
        return;
    actionRequest_.reset();
    managementRequest_.reset();
    arrangementRequest_.reset();
    if (auto session = std::exchange(arrangementAccessSession_, nullptr))
        session->cancel();
    if (auto session = std::exchange(arrangementSession_, nullptr))
        session->cancel();
    if (auto session = std::exchange(moveSession_, nullptr))
        session->cancel();
    if (auto session = std::exchange(placementCompletionSession_, nullptr))
        session->cancel();
    setOverviewVisible(false);
    switcher_.shutdown();
    shutDown_ = true;
}

void WindowOverviewView::cancelInventory()
{
    inventoryReader_->cancel();
    inventoryHasLoaded_ = false;
}

std::optional<std::vector<NativeDesktopState>> WindowOverviewView::readDesktops() const
{
    if (!runtime_)
        return std::nullopt;
    auto desktops = runtime_->desktops();
    if (!desktops || desktops->empty())
        return std::nullopt;
    return desktops;
}

AssistantScreenConfiguration WindowOverviewView::readConfiguration() const
{
    return AssistantScreenConfiguration::runtime(ConnectedMonitor::read(), platform().standardDefaults());
}

std::vector<OverviewProjectAssignment> WindowOverviewView::assignmentsFor(
    const std::vector<NativeDesktopState>& desktops) const
{
    return projectAssignments ? projectAssignments(desktops) : std::vector<OverviewProjectAssignment> {};
}

bool WindowOverviewView::refresh()
{
    refreshPermissionStatus();
    if (!visible_ || busy_) {
        cancelInventory();
        return false;
    }
    if (choosingProject_ || draggingWindow_)
        return false;
    std::optional<std::vector<NativeDesktopState>> read = readDesktops();
    if (!read) {
        cancelInventory();
        showStatus(L("La liste des bureaux est indisponible sur cette version de macOS."), true);
        return false;
    }
    if (*read != desktops_)
        inventoryHasLoaded_ = false;
    desktops_ = std::move(*read);
    AssistantScreenConfiguration configuration = readConfiguration();
    projectSnapshot_ = assignmentsFor(desktops_);
    if (trackingPopover_)
        return true;
    renderInventory(configuration);
    std::string context = OverviewInventoryRules::inventoryContext(desktops_, configuration, projectSnapshot_);
    QPointer<WindowOverviewView> self(this);
    std::string signature = signature_;
    std::vector<NativeDesktopState> desktops = desktops_;
    inventoryReader_->request(context + signature_,
        [self, signature, desktops, context](std::optional<WindowInventoryReader::Snapshot> snapshot) {
            if (self)
                self->inventoryArrived(std::move(snapshot), signature, desktops, context);
        });
    return true;
}

void WindowOverviewView::inventoryArrived(std::optional<WindowInventoryReader::Snapshot> snapshot,
    const std::string& signature, const std::vector<NativeDesktopState>& desktops, const std::string& context)
{
    if (!visible_ || busy_ || choosingProject_ || trackingPopover_ || hoveredTile_ || draggingWindow_
        || !trackedMenus_.empty())
        return;
    if (signature_ != signature || !snapshot || !runtime_)
        return;
    std::optional<std::vector<NativeDesktopState>> fresh = readDesktops();
    if (!fresh)
        return;
    AssistantScreenConfiguration configuration = readConfiguration();
    std::string freshContext
        = OverviewInventoryRules::inventoryContext(*fresh, configuration, assignmentsFor(*fresh));
    if (snapshot->desktops != desktops || freshContext != context) {
        refresh();
        return;
    }
    records_ = std::move(snapshot->windows);
    OverviewInventoryRules::sortWindows(records_);
    inventoryHasLoaded_ = true;
    renderInventory(configuration);
}

void WindowOverviewView::finish(const std::string& text, bool error)
{
    managementRequest_.reset();
    displayPreparation_.reset();
    returnAction_.reset();
    actionRequest_.reset();
    arrangementRequest_.reset();
    arrangementAccessSession_.reset();
    arrangementAccess_.reset();
    if (auto session = std::exchange(placementCompletionSession_, nullptr))
        session->cancel();
    busy_ = false;
    if (endAction)
        endAction();
    signature_.clear();
    refresh();
    showStatus(text, error);
}

void WindowOverviewView::showStatus(const std::string& text, bool error)
{
    statusMessage_ = text;
    setupView_->showStatus(text, error);
    if (onStatusMessage)
        onStatusMessage(text, error);
}

void WindowOverviewView::refreshClicked()
{
    if (!visible_ || busy_)
        return;
    onUserInteraction();
    dismissPreview();
    images_.clear();
    if (refreshProjects)
        refreshProjects();
    signature_.clear();
    if (refresh())
        showStatus(L("Liste des bureaux et fenêtres actualisée."), false);
}

const OverviewProjectAssignment* WindowOverviewView::selectedAssignment() const
{
    const auto& project = setupView_->selectedProjectID();
    if (!project)
        return nullptr;
    for (const auto& assignment : projectSnapshot_) {
        if (assignment.id == *project)
            return &assignment;
    }
    return nullptr;
}

void WindowOverviewView::showOverviewActions(QWidget* button)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const OverviewProjectAssignment* assignment = selectedAssignment();
    if (assignment && (assignment->unavailable || assignment->usingAssistantFallback) && removeUnavailableProject) {
        QAction* item = menu->addAction(QString::fromStdString(L("Retirer les associations indisponibles")));
        item->setObjectName("remove-unavailable-associations");
        QPointer<WindowOverviewView> self(this);
        std::string projectID = assignment->id;
        connect(item, &QAction::triggered, this, [self, projectID] {
            if (!self || !self->visible_ || self->busy_ || self->setupView_->selectedProjectID() != projectID)
                return;
            self->onUserInteraction();
            self->removeUnavailableSelection(projectID, [](std::optional<std::string>) {});
        });
    }
    if (menu->actions().isEmpty()) {
        delete menu;
        return;
    }
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void WindowOverviewView::toggleTrackingPopover(QWidget* button)
{
    if (!visible_ || busy_ || !button->window())
        return;
    onUserInteraction();
    dismissPreview();
    cancelInventory();
    if (trackingPopover_) {
        trackingPopover_->close();
        return;
    }
    int width = std::min(std::max(this->width() - 32, 320), 430);
    trackingControls_->resize(width, 170);
    int height = std::max(static_cast<int>(std::ceil(trackingControls_->sizeHint().height())), 96);
    auto* popover = new Popover(trackingControls_);
    popover->setContentSize(QSize(width, height));
    QPointer<WindowOverviewView> self(this);
    popover->onDidClose = [self] {
        if (self)
            self->trackingPopoverClosed();
    };
    trackingPopover_ = popover;
    QPoint buttonTop = button->mapTo(this, QPoint(0, 0));
    popover->show(this, QRect(std::max(this->width() - width - 16, 16), buttonTop.y(), width, button->height()));
}

void WindowOverviewView::closeTrackingPopover()
{
    if (trackingPopover_)
        trackingPopover_->close();
}

void WindowOverviewView::trackingPopoverClosed()
{
    if (trackingPopover_)
        trackingPopover_->deleteLater();
    trackingPopover_ = nullptr;
    if (!visible_)
        return;
    QPointer<WindowOverviewView> self(this);
    platform().mainQueue().async([self] {
        if (self && self->visible_)
            self->refresh();
    });
}

void WindowOverviewView::projectPickerVisibilityChanged(bool isOpen)
{
    if (isOpen == choosingProject_)
        return;
    choosingProject_ = isOpen;
    if (isOpen) {
        dismissPreview();
        inventoryReader_->cancel();
        return;
    }
    QPointer<WindowOverviewView> self(this);
    platform().mainQueue().async([self] {
        if (self && self->visible_ && !self->choosingProject_)
            self->refresh();
    });
}

void WindowOverviewView::projectChanged()
{
    onUserInteraction();
    displayDragHighlight_.hide();
    dismissPreview();
    selected_.reset();
    updateControls();
    showStatus(L("Glisse une fenêtre sur un écran pour l’ajouter au projet."), false);
}

} // namespace pellamor
