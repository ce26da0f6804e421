#include "windows/NativeWindowMove.h"

#include "assistant/Localization.h"
#include "desktops/ScreenPlacement.h"
#include "platform/Platform.h"
#include "windows/WindowDescription.h"

#include <algorithm>
#include <set>

namespace pellamor {

namespace {

std::optional<std::string> displayIdentifier(const PlistDictionary& display)
{
    const PlistValue* value = descriptionValue(display, "Display Identifier");
    const std::string* identifier = value ? value->asString() : nullptr;
    if (!identifier || identifier->empty())
        return std::nullopt;
    return *identifier;
}

std::optional<std::uint64_t> managedSpaceID(const PlistValue& space)
{
    const PlistDictionary* dictionary = space.asDictionary();
    if (!dictionary)
        return std::nullopt;
    return WindowOwnerIdentification::positiveInteger(descriptionValue(*dictionary, "ManagedSpaceID"));
}

std::string changedDesktopsMessage()
{
    return L("Les bureaux ou l’écran réservé ont changé. Actualise puis réessaie.");
}

} // namespace

std::optional<WindowMoveIdentification::Layout> WindowMoveIdentification::layout(
    const std::vector<PlistDictionary>& displays)
{
    Layout layout;
    std::set<std::uint64_t> seen;
    for (const PlistDictionary& display : displays) {
        auto identifier = displayIdentifier(display);
        const PlistValue* spacesValue = descriptionValue(display, "Spaces");
        const PlistArray* spaces = spacesValue ? spacesValue->asArray() : nullptr;
        if (!identifier || !spaces || spaces->empty() || layout.count(*identifier))
            return std::nullopt;
        std::vector<std::uint64_t>& ids = layout[*identifier];
        for (const PlistValue& space : *spaces) {
            auto id = managedSpaceID(space);
            if (!id || !seen.insert(*id).second)
                return std::nullopt;
            ids.push_back(*id);
        }
    }
    if (layout.empty())
        return std::nullopt;
    return layout;
}

std::optional<WindowMoveIdentification::ActiveSpaces> WindowMoveIdentification::activeSpaces(
    const std::vector<PlistDictionary>& displays)
{
    ActiveSpaces active;
    for (const PlistDictionary& display : displays) {
        auto identifier = displayIdentifier(display);
        const PlistValue* current = descriptionValue(display, "Current Space");
        auto id = current ? managedSpaceID(*current) : std::nullopt;
        if (!identifier || !id)
            return std::nullopt;
        active[*identifier] = *id;
    }
    return active;
}

NativeWindowMoveEnvironment::NativeWindowMoveEnvironment(std::shared_ptr<WindowSpaceRuntime> runtime,
    DesktopWindow record, std::uint64_t source, std::uint64_t target, std::vector<NativeDesktopState> inventory,
    std::function<std::optional<std::string>()> validation)
    : runtime_(std::move(runtime))
    , desktopRuntime_(DesktopRuntime::make())
    , bridge_(BridgeWindowMoveRuntime::make())
    , record_(std::move(record))
    , source_(source)
    , target_(target)
    , inventory_(std::move(inventory))
    , validation_(std::move(validation))
    , reservation_(currentReservation())
{
    auto displays = desktopRuntime_ ? desktopRuntime_->displays() : std::nullopt;
    if (displays) {
        expectedLayout_ = WindowMoveIdentification::layout(*displays);
        expectedActiveSpaces_ = WindowMoveIdentification::activeSpaces(*displays);
    }
}

NativeWindowMoveEnvironment::Reservation NativeWindowMoveEnvironment::currentReservation()
{
    auto configuration = AssistantScreenConfiguration::runtime(ConnectedMonitor::read(), platform().standardDefaults());
    return Reservation { configuration.monitorID, configuration.assistant.bundleID() };
}

bool NativeWindowMoveEnvironment::inputHeld()
{
    EventServices& events = platform().events();
    if (events.flagsState(EventSourceState::hidSystem) & NativeShortcut::modifiers)
        return true;
    for (std::uint32_t button : { 0u, 1u, 2u })
        if (events.buttonState(EventSourceState::hidSystem, button))
            return true;
    return false;
}

bool NativeWindowMoveEnvironment::desktopUnchanged()
{
    if (!expectedLayout_ || !expectedActiveSpaces_ || !desktopRuntime_)
        return false;
    auto displays = desktopRuntime_->displays();
    if (!displays)
        return false;
    return WindowMoveIdentification::layout(*displays) == expectedLayout_
        && WindowMoveIdentification::activeSpaces(*displays) == expectedActiveSpaces_
        && currentReservation() == reservation_;
}

std::optional<std::string> NativeWindowMoveEnvironment::windowProblem() const
{
    if (!runtime_->identifiesOwner(record_))
        return L("macOS ne permet pas de vérifier cette fenêtre. Réessaie dans un instant.");
    auto spaces = runtime_->spaces(record_.id);
    if (!spaces || spaces->empty())
        return L("macOS ne permet pas de vérifier le bureau de cette fenêtre. Réessaie dans un instant.");
    if (*spaces == std::vector<std::uint64_t> { source_ })
        return std::nullopt;
    if (*spaces == std::vector<std::uint64_t> { target_ })
        return L("La fenêtre est déjà sur ce bureau.");
    return L("Cette fenêtre est sur plusieurs bureaux, en plein écran, ou a changé de bureau. Actualise la vue.");
}

std::optional<std::string> NativeWindowMoveEnvironment::validate()
{
    if (!bridge_)
        // clang-format off
        return L("Cette version de macOS ne permet pas le déplacement direct d’une seule fenêtre. Aucun changement de bureau n’a été effectué.");
        // clang-format on
    if (!desktopUnchanged())
        return changedDesktopsMessage();
    auto desktops = runtime_->desktops();
    if (!desktops || *desktops != inventory_)
        return changedDesktopsMessage();
    if (source_ == target_)
        return L("La fenêtre est déjà sur ce bureau.");
    auto isCurrent = [&](std::uint64_t space) {
        return std::any_of(desktops->begin(), desktops->end(),
            [space](const NativeDesktopState& desktop) { return desktop.spaceID == space; });
    };
    if (!isCurrent(source_) || !isCurrent(target_))
        return changedDesktopsMessage();
    if (auto problem = windowProblem())
        return problem;
    return validation_ ? validation_() : std::nullopt;
}

std::optional<std::string> NativeWindowMoveEnvironment::requestMove()
{
    if (requested_)
        return L("Ce déplacement a déjà été demandé.");
    requested_ = true;
    if (!desktopUnchanged())
        return changedDesktopsMessage();
    if (auto problem = windowProblem())
        return problem;
    if (!bridge_)
        return L("Le service de déplacement direct est indisponible.");
    return bridge_->move(record_.id, target_);
}

bool NativeWindowMoveEnvironment::arrived()
{
    if (!runtime_->identifiesOwner(record_))
        return false;
    return runtime_->spaces(record_.id) == std::vector<std::uint64_t> { target_ };
}

} // namespace pellamor
