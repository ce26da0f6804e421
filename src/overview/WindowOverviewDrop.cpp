// A window card dropped on a screen of the selected project: the drag checks, the action gate, the live
// re-check against the window server, the screen prepared by the owner and the move started.
#include "overview/WindowOverview.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "overview/OverviewInventoryRules.h"
#include "overview/WindowThumbnail.h"
#include "platform/Platform.h"
#include "platform/UUID.h"
#include "setup/ProjectDesktopSetupView.h"
#include "setup/WindowDragType.h"
#include "ui/DraggingInfo.h"
#include "windows/NativeWindowMove.h"
#include "windows/WindowMoveSession.h"
#include "windows/WindowOrganizationPolicy.h"

#include <algorithm>

namespace pellamor {
namespace {

std::string changedText()
{
    return L("Les bureaux ou la fenêtre ont changé. Actualise la vue puis réessaie.");
}

std::string screenGoneText()
{
    return L("Cet écran n’est plus disponible. Choisis un écran connecté.");
}

std::vector<std::uint64_t> spaceIDs(const std::vector<NativeDesktopState>& desktops)
{
    std::vector<std::uint64_t> ids;
    for (const NativeDesktopState& desktop : desktops)
        ids.push_back(desktop.spaceID);
    return ids;
}

const NativeDesktopState* matching(
    const std::vector<NativeDesktopState>& desktops, const ProjectDesktopAssociation& identity)
{
    auto found = std::find_if(desktops.begin(), desktops.end(),
        [&](const NativeDesktopState& desktop) { return ProjectDisplayWorkspace::matches(identity, desktop); });
    return found == desktops.end() ? nullptr : &*found;
}

} // namespace

void WindowOverviewView::installDropCallbacks()
{
    QPointer<WindowOverviewView> self(this);
    ProjectDesktopSetupView& panel = *setupView_;
    panel.canDropOnDisplay = [self](const DraggingInfo& info, const std::string& display) {
        if (!self)
            return false;
        auto dragged = self->dragRecord(info);
        return dragged && self->canOrganize(dragged->first, dragged->second, display);
    };
    panel.onDropOnDisplay = [self](const DraggingInfo& info, const std::string& display) {
        if (!self)
            return;
        auto dragged = self->dragRecord(info);
        if (dragged && self->canOrganize(dragged->first, dragged->second, display))
            self->moveToDisplay(dragged->first, dragged->second, display);
    };
    auto selectedRecord = [self]() -> std::optional<std::pair<DesktopWindow, std::uint64_t>> {
        if (!self || !self->selected_)
            return std::nullopt;
        auto [window, source] = *self->selected_;
        for (const DesktopWindow& record : self->records_) {
            if (record.id == window)
                return std::make_pair(record, source);
        }
        return std::nullopt;
    };
    panel.canReturnToLibrary = [self](const DraggingInfo& info) {
        if (!self || !self->visible_ || self->busy_)
            return false;
        auto dragged = self->dragRecord(info);
        const OverviewProjectAssignment* assignment = self->selectedAssignment();
        if (!dragged || !assignment)
            return false;
        const auto& [window, source] = *dragged;
        return window.spaces == std::vector<std::uint64_t> { source }
            && OverviewInventoryRules::projectSpaceIDs({ *assignment }, self->desktops_).count(source)
            && window.bundleID.value_or("") != self->readConfiguration().assistant.bundleID();
    };
    panel.onReturnToLibrary = [self](const DraggingInfo& info) {
        if (!self)
            return;
        if (auto dragged = self->dragRecord(info))
            self->returnToLibrary(dragged->first, dragged->second);
    };
    panel.canMoveSelectionToDisplay = [self, selectedRecord](const std::string& display) {
        auto chosen = selectedRecord();
        return chosen && self->canOrganize(chosen->first, chosen->second, display);
    };
    panel.onMoveSelectionToDisplay = [self, selectedRecord](const std::string& display) {
        auto chosen = selectedRecord();
        if (chosen && self->canOrganize(chosen->first, chosen->second, display))
            self->moveToDisplay(chosen->first, chosen->second, display);
    };
}

std::optional<std::pair<DesktopWindow, std::uint64_t>> WindowOverviewView::dragRecord(const DraggingInfo& info) const
{
    auto* card = qobject_cast<WindowThumbnail*>(info.source.data());
    if (!card || card->token() != token_)
        return std::nullopt;
    // Rebuilt rather than parsed: only the exact item this card put on the pasteboard is accepted.
    std::string expected = token_ + ":" + std::to_string(card->record().id) + ":" + std::to_string(card->source());
    if (info.string(QString::fromLatin1(windowDragType)) != expected)
        return std::nullopt;
    auto record = std::find_if(records_.begin(), records_.end(), [&](const DesktopWindow& known) {
        return known.id == card->record().id && known.pid == card->record().pid;
    });
    if (record == records_.end())
        return std::nullopt;
    return std::make_pair(*record, card->source());
}

std::optional<std::string> WindowOverviewView::restriction(const DesktopWindow& window, std::uint64_t source,
    std::uint64_t destination, const std::vector<NativeDesktopState>& desktops, bool returningToLibrary) const
{
    AssistantScreenConfiguration configuration = readConfiguration();
    return WindowOrganizationPolicy::restriction(window, source, destination, desktops, configuration.monitorID,
        configuration.assistant.bundleID(), platform().screens().screensHaveSeparateSpaces(), returningToLibrary);
}

bool WindowOverviewView::canOrganize(const DesktopWindow& window, std::uint64_t source, const std::string& display) const
{
    if (!visible_ || busy_)
        return false;
    const OverviewProjectAssignment* assignment = selectedAssignment();
    if (!assignment)
        return false;
    std::vector<ConnectedMonitor> monitors = ConnectedMonitor::read();
    if (std::none_of(monitors.begin(), monitors.end(),
            [&](const ConnectedMonitor& monitor) { return equalIgnoringCase(monitor.id, display); }))
        return false;
    auto destination = std::find_if(desktops_.begin(), desktops_.end(),
        [&](const NativeDesktopState& desktop) { return equalIgnoringCase(desktop.display, display); });
    if (destination == desktops_.end() || restriction(window, source, destination->spaceID, desktops_, false))
        return false;
    auto current = std::find_if(desktops_.begin(), desktops_.end(),
        [&](const NativeDesktopState& desktop) { return desktop.spaceID == source; });
    if (current == desktops_.end() || !equalIgnoringCase(current->display, display))
        return true;
    int number = int(current - desktops_.begin()) + 1;
    const auto& numbers = assignment->desktops;
    if (std::find(numbers.begin(), numbers.end(), number) == numbers.end())
        return true;
    // The assistant-screen fallback is no real desktop of the project on this screen.
    return assignment->usingAssistantFallback && assignment->fallbackDesktop == number;
}

bool WindowOverviewView::start()
{
    displayDragHighlight_.hide();
    ActionAdmission admission = busy_ ? ActionAdmission(false) : beginAction ? beginAction() : ActionAdmission(true);
    if (!admission) {
        if (admission.reason)
            showStatus(*admission.reason, true);
        else
            showStatus(L("Une autre action est en cours. Réessaie dans un instant."), false);
        return false;
    }
    dismissPreview();
    busy_ = true;
    actionRequest_ = UUID::random().uuidString();
    ++generation_;
    cancelInventory();
    updateControls();
    for (auto& [number, cards] : thumbnails_) {
        for (const auto& card : cards) {
            if (card)
                card->setCanDrag(false);
        }
    }
    return true;
}

bool WindowOverviewView::isCurrent(const std::string& request) const
{
    return busy_ && actionRequest_ == request;
}

std::variant<WindowOverviewView::LiveRecord, std::string> WindowOverviewView::liveRecord(const DesktopWindow& window,
    std::uint64_t source, std::uint64_t destination, bool requiresAccessibility) const
{
    if (requiresAccessibility && !platform().accessibility().isProcessTrusted())
        return L("Autorise l’accessibilité pour disposer les fenêtres.");
    std::optional<std::vector<NativeDesktopState>> fresh = runtime_ ? runtime_->desktops() : std::nullopt;
    if (!fresh || spaceIDs(*fresh) != spaceIDs(desktops_))
        return changedText();
    std::optional<DesktopWindow> now;
    if (requiresAccessibility) {
        for (DesktopWindow& candidate : runtime_->windows(true, true)) {
            if (candidate.id == window.id && candidate.pid == window.pid && candidate.bundleID == window.bundleID) {
                now = std::move(candidate);
                break;
            }
        }
    } else {
        now = runtime_->window(window);
    }
    if (!now)
        return changedText();
    if (displayPreparation_) {
        ProjectDesktopAssociation prepared(displayPreparation_->desktop);
        // One and the same desktop: the space id alone can be reused, the UUID alone can move.
        bool present = std::any_of(fresh->begin(), fresh->end(), [&](const NativeDesktopState& desktop) {
            return desktop.spaceID == prepared.spaceID && ProjectDisplayWorkspace::matches(prepared, desktop);
        });
        if (!present)
            return L("Les écrans ont changé. Réessaie le déplacement.");
    }
    if (auto refusal = restriction(*now, source, destination, *fresh, returnAction_.has_value()))
        return *refusal;
    return LiveRecord { std::move(*now), std::move(*fresh) };
}

void WindowOverviewView::moveToDisplay(const DesktopWindow& window, std::uint64_t source, const std::string& display)
{
    std::optional<std::string> projectID = setupView_->selectedProjectID();
    if (!projectID || !prepareProjectDisplay)
        return;
    if (!start() || !actionRequest_)
        return;
    std::string request = *actionRequest_;
    onUserInteraction();
    showStatus(L("Préparation de cet écran pour le projet…"), false);
    QPointer<WindowOverviewView> self(this);
    prepareProjectDisplay(*projectID, display,
        [self, request, projectID = *projectID, window, source](
            std::optional<ProjectDisplayPreparation> preparation, std::optional<std::string> error) {
            if (self)
                self->preparationArrived(request, projectID, window, source, std::move(preparation), std::move(error));
        });
}

void WindowOverviewView::preparationArrived(const std::string& request, const std::string& projectID,
    const DesktopWindow& window, std::uint64_t source, std::optional<ProjectDisplayPreparation> preparation,
    std::optional<std::string> error)
{
    if (!isCurrent(request))
        return;
    std::optional<std::vector<NativeDesktopState>> fresh = preparation ? readDesktops() : std::nullopt;
    if (!fresh) {
        finish(error.value_or(screenGoneText()), true);
        return;
    }
    if (!matching(*fresh, ProjectDesktopAssociation(preparation->desktop))
        || setupView_->selectedProjectID() != projectID) {
        finish(L("Les écrans ont changé. Réessaie le déplacement."), true);
        return;
    }
    displayPreparation_ = preparation;
    desktops_ = std::move(*fresh);
    move(window, source, preparation->desktop.spaceID, request);
}

void WindowOverviewView::move(
    const DesktopWindow& window, std::uint64_t source, std::uint64_t target, const std::string& request)
{
    if (!isCurrent(request))
        return;
    auto live = liveRecord(window, source, target, false);
    if (auto* failure = std::get_if<std::string>(&live)) {
        finish(*failure, true);
        return;
    }
    if (source == target) {
        finish(L("La fenêtre est déjà sur ce bureau."), false);
        return;
    }
    if (!runtime_) {
        finish(L("Le service de fenêtres est indisponible."), true);
        return;
    }
    LiveRecord checked = std::get<LiveRecord>(std::move(live));
    QPointer<WindowOverviewView> self(this);
    DesktopWindow record = checked.window;
    auto environment = std::make_shared<NativeWindowMoveEnvironment>(runtime_, record, source, target,
        checked.desktops, [self, record, source, target, request]() -> std::optional<std::string> {
            if (!self)
                return L("Déplacement annulé.");
            return self->moveValidation(record, source, target, request);
        });
    moveSession_ = std::make_shared<WindowMoveSession>(environment);
    showStatus(L("Déplacement de cette fenêtre de %@…", record.application), false);
    moveSession_->start([self, record, source, target, inventory = checked.desktops, request](
                            const std::optional<std::string>& error) {
        if (self)
            self->moveCompleted(record, source, target, inventory, request, error);
    });
}

} // namespace pellamor
