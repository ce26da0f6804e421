#include "windows/NativeWindowArrangementAccessEnvironment.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "platform/Platform.h"
#include "windows/ArrangementScreens.h"

#include <algorithm>

namespace pellamor {

namespace {
const double messagingTimeout = 0.3;
} // namespace

NativeWindowArrangementAccessEnvironment::NativeWindowArrangementAccessEnvironment(
    std::shared_ptr<WindowSpaceRuntime> runtime, DesktopWindow record, std::uint64_t source,
    std::vector<NativeDesktopState> inventory, ConnectedMonitor monitor,
    std::shared_ptr<MissionControlSwitcher> switcher, WillOpen willOpen, Validation validation)
    : runtime_(std::move(runtime))
    , record_(std::move(record))
    , source_(source)
    , inventory_(std::move(inventory))
    , monitor_(std::move(monitor))
    , configuration_(ArrangementScreens::currentConfiguration())
    , switcher_(std::move(switcher))
    , willOpen_(std::move(willOpen))
    , validation_(std::move(validation))
{
}

std::string NativeWindowArrangementAccessEnvironment::inaccessibleMessage()
{
    return L("%@ ne permet pas d’accéder à cette fenêtre pour la disposer, même sur son bureau.", record_.application);
}

bool NativeWindowArrangementAccessEnvironment::desktopsChanged() const
{
    std::optional<std::vector<NativeDesktopState>> desktops = runtime_ ? runtime_->desktops() : std::nullopt;
    if (!desktops || desktops->size() != inventory_.size())
        return true;
    for (std::size_t index = 0; index < desktops->size(); ++index) {
        const NativeDesktopState& now = (*desktops)[index];
        const NativeDesktopState& planned = inventory_[index];
        if (now.spaceID != planned.spaceID || now.display != planned.display)
            return true;
        // Only the window's own display may change its active desktop: opening it does just that.
        if (!equalIgnoringCase(now.display, monitor_.id) && now.currentSpaceID != planned.currentSpaceID)
            return true;
    }
    return !ArrangementScreens::stillConnected(monitor_, ConnectedMonitor::read())
        || ArrangementScreens::currentConfiguration() != configuration_;
}

std::optional<std::string> NativeWindowArrangementAccessEnvironment::validate()
{
    if (!platform().accessibility().isProcessTrusted())
        return L("Autorise l’accessibilité pour disposer cette fenêtre.");
    if (!runtime_ || !runtime_->identifiesOwner(record_) || runtime_->spaces(record_.id) != record_.spaces)
        return L("Cette fenêtre a été fermée ou a changé de bureau. La disposition a été arrêtée.");
    if (desktopsChanged())
        return L("Les bureaux ou les écrans ont changé. La disposition a été arrêtée.");
    if (validation_)
        return validation_();
    return std::nullopt;
}

bool NativeWindowArrangementAccessEnvironment::accessibilityAvailable()
{
    resolvedWindow = runtime_ ? runtime_->accessibilityWindow(record_) : nullptr;
    if (!resolvedWindow)
        return false;
    resolvedWindow->setMessagingTimeout(messagingTimeout);
    return true;
}

bool NativeWindowArrangementAccessEnvironment::sourceIsActive()
{
    std::optional<std::vector<NativeDesktopState>> desktops = runtime_ ? runtime_->desktops() : std::nullopt;
    if (!desktops)
        return false;
    auto found = std::find_if(desktops->begin(), desktops->end(),
        [&](const NativeDesktopState& desktop) { return desktop.spaceID == source_; });
    return found != desktops->end() && found->currentSpaceID == source_;
}

void NativeWindowArrangementAccessEnvironment::openSource(OpeningCompletion completion)
{
    if (auto problem = validate())
        return completion(problem);
    auto found = std::find_if(inventory_.begin(), inventory_.end(),
        [&](const NativeDesktopState& desktop) { return desktop.spaceID == source_; });
    if (found == inventory_.end())
        return completion(L("Le bureau de cette fenêtre est indisponible."));
    int number = static_cast<int>(found - inventory_.begin()) + 1;
    if (willOpen_)
        willOpen_(number);
    switcher_->select(number, source_, found->display, found->spaceUUID,
        [completion = std::move(completion)](MissionControlResult result) {
            switch (result.kind()) {
            case MissionControlResult::Kind::sent:
                return completion(std::nullopt);
            case MissionControlResult::Kind::cancelled:
                return completion(L("Ouverture du bureau annulée."));
            case MissionControlResult::Kind::failed:
                return completion(result.message());
            }
        });
}

void NativeWindowArrangementAccessEnvironment::cancelOpening()
{
    switcher_->cancel();
}

} // namespace pellamor
