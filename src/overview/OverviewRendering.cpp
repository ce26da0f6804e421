// What the panel shows of the controller's model: the redraw when the render signature changed, the default
// status line, the panel's controls and the four flags of every window card.
#include "overview/WindowOverview.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "overview/OverviewInventoryRules.h"
#include "overview/WindowThumbnail.h"
#include "platform/Platform.h"
#include "setup/ProjectDesktopSetupView.h"
#include "windows/WindowOrganizationPolicy.h"

#include <algorithm>

namespace pellamor {

void WindowOverviewView::renderInventory(const AssistantScreenConfiguration& configuration)
{
    auto known = [this](std::uint32_t window) {
        return std::any_of(records_.begin(), records_.end(), [&](const auto& record) { return record.id == window; });
    };
    if (selected_) {
        auto still = std::find_if(records_.begin(), records_.end(), [&](const auto& r) { return r.id == selected_->first; });
        if (still == records_.end()
            || std::find(still->spaces.begin(), still->spaces.end(), selected_->second) == still->spaces.end())
            selected_.reset();
    }
    std::erase_if(images_, [&](const auto& entry) { return !known(entry.first); });
    std::string signature = OverviewInventoryRules::renderSignature(
        OverviewInventoryRules::inventoryContext(desktops_, configuration, projectSnapshot_), records_,
        inventoryHasLoaded_);
    // While the redraw waits the old signature stays, so that the next render with these data still redraws.
    bool redraw = signature != signature_ && !trackingPopover_ && !choosingProject_ && !draggingWindow_;
    if (redraw) {
        signature_ = std::move(signature);
        dismissPreview();
        ++generation_;
        cardMonitors_ = ConnectedMonitor::read();
        cardConfiguration_ = AssistantScreenConfiguration::runtime(ConnectedMonitor::read(), platform().standardDefaults());
        std::map<std::string, std::string> names;
        std::vector<std::string> order;
        for (const auto& monitor : cardMonitors_) {
            names[monitor.id] = monitor.displayName();
            order.push_back(monitor.id);
        }
        setupView_->update(desktops_, records_, projectSnapshot_, names, cardConfiguration_->monitorID, busy_,
            inventoryHasLoaded_, selected_ ? std::optional(selected_->first) : std::nullopt, order);
        updateControls();
    }
    updateControls();
    if (statusMessage_.empty()) {
        showStatus(platform().windowList().preflightScreenCaptureAccess()
                ? L("Les fenêtres réduites peuvent ne pas fournir d’image.")
                : L("Autorise les aperçus pour afficher le contenu des fenêtres."),
            false);
    }
    capturePreviews();
}

void WindowOverviewView::updateControls()
{
    setupView_->setBusy(busy_);
    setupView_->updateResetState(resetActionsEnabled_ && visible_ && !busy_);
    const OverviewProjectAssignment* assignment = selectedAssignment();
    setupView_->setActionsAvailable(removeUnavailableProject && assignment
        && (assignment->unavailable || assignment->usingAssistantFallback));
    setupView_->updateSelection(selected_ ? std::optional(selected_->first) : std::nullopt,
        selected_ ? std::optional(selected_->second) : std::nullopt);
    updateCardFlags();
}

WindowOverviewView::CardRules WindowOverviewView::cardRules(const AssistantScreenConfiguration& configuration) const
{
    CardRules rules { selectedAssignment(), {}, configuration.monitorID, configuration.assistant.bundleID(),
        platform().screens().screensHaveSeparateSpaces(), setupView_->selectedProjectID().has_value() };
    if (rules.assignment)
        rules.projectSpaces = OverviewInventoryRules::projectSpaceIDs({ *rules.assignment }, desktops_);
    return rules;
}

void WindowOverviewView::applyCardFlags(WindowThumbnail& card, const CardRules& rules) const
{
    const DesktopWindow& window = card.record();
    std::uint64_t source = card.source();
    auto allowed = [&](std::uint64_t destination) {
        return !WindowOrganizationPolicy::restriction(window, source, destination, desktops_, rules.reservedDisplay,
            rules.assistant, rules.separateSpaces, false);
    };
    card.setInteractive(!busy_);
    card.setCanDrag(!busy_ && rules.hasProject
        && std::any_of(desktops_.begin(), desktops_.end(),
            [&](const NativeDesktopState& desktop) { return allowed(desktop.spaceID); }));
    card.setCanReturnToLibrary(card.isOnDisplay() && !busy_ && rules.assignment && window.spaces.size() == 1
        && window.spaces.front() == source && rules.projectSpaces.count(source)
        && window.bundleID.value_or("") != rules.assistant);
    card.setEditable(!busy_ && window.isMinimized != true && allowed(source));
}

void WindowOverviewView::updateCardFlags()
{
    CardRules rules = cardRules(
        AssistantScreenConfiguration::runtime(ConnectedMonitor::read(), platform().standardDefaults()));
    for (auto& [number, cards] : thumbnails_) {
        for (const auto& card : cards) {
            if (card)
                applyCardFlags(*card, rules);
        }
    }
}

std::optional<WindowArrangement> WindowOverviewView::shownArrangement(
    const DesktopWindow& window, std::uint64_t source) const
{
    auto desktop = std::find_if(desktops_.begin(), desktops_.end(),
        [&](const NativeDesktopState& candidate) { return candidate.spaceID == source; });
    if (desktop == desktops_.end())
        return std::nullopt;
    auto screen = std::find_if(cardMonitors_.begin(), cardMonitors_.end(),
        [&](const ConnectedMonitor& monitor) { return equalIgnoringCase(monitor.id, desktop->display); });
    auto main = std::find_if(
        cardMonitors_.begin(), cardMonitors_.end(), [](const ConnectedMonitor& monitor) { return monitor.isMain; });
    if (screen == cardMonitors_.end() || main == cardMonitors_.end())
        return std::nullopt;
    return WindowArrangement::detected(window.frame,
        WindowPlacementGeometry::accessibilityRect(screen->visibleFrame, main->frame.y() + main->frame.height()),
        arrangementTolerance);
}

WindowThumbnail* WindowOverviewView::makeWindowCard(
    const DesktopWindow& window, std::uint64_t source, int number, bool isOnDisplay, bool showsApplicationIdentity)
{
    // Cards the panel took down are forgotten before a new one joins them.
    for (auto entry = thumbnails_.begin(); entry != thumbnails_.end();) {
        std::erase_if(entry->second, [](const auto& kept) { return !kept || !kept->parentWidget(); });
        entry = entry->second.empty() ? thumbnails_.erase(entry) : std::next(entry);
    }
    auto* card = new WindowThumbnail(window, source, token_, number, isOnDisplay, showsApplicationIdentity);
    // Made between renders too (a project chosen, a search typed): the card is right from the start.
    applyCardFlags(*card,
        cardRules(cardConfiguration_
                ? *cardConfiguration_
                : AssistantScreenConfiguration::runtime(ConnectedMonitor::read(), platform().standardDefaults())));
    if (std::optional<WindowArrangement> arrangement = shownArrangement(window, source))
        card->setCurrentArrangement(arrangement);
    card->setSelected(selected_ && selected_->first == window.id && selected_->second == source);
    QPointer<WindowOverviewView> self(this);
    card->onSelect = [self, window, source] {
        if (self)
            self->selectCard(window, source);
    };
    card->onDraggingChange = [self](bool interacting) {
        if (!self)
            return;
        self->draggingWindow_ = interacting;
        if (!interacting)
            self->displayDragHighlight_.hide();
    };
    if (isOnDisplay) {
        card->setOnReturnToLibrary([self, window, source] {
            if (self)
                self->returnToLibrary(window, source);
        });
    }
    card->onArrange = [self, window, source](WindowArrangement arrangement) {
        if (self)
            self->arrange(window, source, arrangement);
    };
    installPreviewCallbacks(card);
    thumbnails_[window.id].push_back(card);
    return card;
}

void WindowOverviewView::selectCard(const DesktopWindow& window, std::uint64_t source)
{
    if (busy_)
        return;
    selected_ = std::make_pair(window.id, source);
    for (auto& [number, cards] : thumbnails_) {
        for (const auto& card : cards) {
            if (card)
                card->setSelected(card->record().id == window.id && card->source() == source);
        }
    }
    updateControls();
}

std::vector<WindowThumbnail*> WindowOverviewView::cards(std::uint32_t window) const
{
    std::vector<WindowThumbnail*> shown;
    if (auto found = thumbnails_.find(window); found != thumbnails_.end()) {
        for (const auto& card : found->second) {
            if (card)
                shown.push_back(card);
        }
    }
    return shown;
}

} // namespace pellamor
