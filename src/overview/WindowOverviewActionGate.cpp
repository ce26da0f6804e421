// How every window action of the overview opens, and the re-check it runs against the window server before it
// touches a window.
#include "overview/WindowOverview.h"

#include "assistant/Localization.h"
#include "overview/WindowThumbnail.h"
#include "platform/Platform.h"
#include "platform/UUID.h"
#include "windows/WindowOrganizationPolicy.h"

#include <algorithm>

namespace pellamor {

namespace {

Error organizationError(const std::string& text)
{
    return Error { "WindowOrganization", 1, text };
}

std::vector<std::uint64_t> spaceIDs(const std::vector<NativeDesktopState>& desktops)
{
    std::vector<std::uint64_t> ids;
    for (const auto& desktop : desktops)
        ids.push_back(desktop.spaceID);
    return ids;
}

} // namespace

bool WindowOverviewView::start()
{
    if (busy_ || (beginAction && !beginAction())) {
        showStatus(L("Une autre action est en cours. Réessaie dans un instant."), false);
        return false;
    }
    dismissPreview();
    busy_ = true;
    actionRequest_ = UUID::random().uuidString();
    ++generation_;
    cancelInventory();
    updateControls();
    for (auto& [number, shown] : thumbnails_) {
        for (const auto& card : shown) {
            if (card)
                card->setCanDrag(false);
        }
    }
    return true;
}

std::variant<WindowOverviewView::LiveRecord, Error> WindowOverviewView::liveRecord(
    const DesktopWindow& window, std::uint64_t source, std::uint64_t destination, bool requiresAccessibility)
{
    if (requiresAccessibility && !platform().accessibility().isProcessTrusted())
        return organizationError(L("Autorise l’accessibilité pour disposer les fenêtres."));
    std::string changed = L("Les bureaux ou la fenêtre ont changé. Actualise la vue puis réessaie.");
    std::optional<std::vector<NativeDesktopState>> fresh = runtime_ ? runtime_->desktops() : std::nullopt;
    if (!fresh || spaceIDs(*fresh) != spaceIDs(desktops_))
        return organizationError(changed);
    std::optional<DesktopWindow> now;
    if (requiresAccessibility) {
        for (auto& candidate : runtime_->windows(true, true)) {
            if (candidate.id == window.id && candidate.pid == window.pid && candidate.bundleID == window.bundleID) {
                now = std::move(candidate);
                break;
            }
        }
    } else {
        now = runtime_->window(window);
    }
    if (!now)
        return organizationError(changed);
    AssistantScreenConfiguration configuration = readConfiguration();
    if (auto refusal = WindowOrganizationPolicy::restriction(*now, source, destination, *fresh,
            configuration.monitorID, configuration.assistant.bundleID(),
            platform().screens().screensHaveSeparateSpaces(), false))
        return organizationError(*refusal);
    return LiveRecord { std::move(*now), std::move(*fresh) };
}

} // namespace pellamor
