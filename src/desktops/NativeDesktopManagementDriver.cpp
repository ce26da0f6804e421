#include "desktops/NativeDesktopManagementDriver.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "platform/Platform.h"
#include "platform/WindowList.h"

namespace pellamor {

namespace {

NativeDesktopManagementDriver::ScreenFrames framesOf(const std::vector<ConnectedMonitor>& monitors)
{
    NativeDesktopManagementDriver::ScreenFrames frames;
    for (const auto& monitor : monitors)
        frames[monitor.id] = monitor.frame;
    return frames;
}

bool onDisplay(const NativeDesktopState& desktop, const std::string& display)
{
    return desktop.display == display;
}

// Position by position the same desktops; the current desktop may differ between the two readings.
bool sameDesktopIdentities(const std::vector<NativeDesktopState>& inventory, const std::vector<NativeDesktopState>& list)
{
    if (list.empty() || inventory.size() != list.size())
        return false;
    std::set<std::uint64_t> ids;
    for (const auto& desktop : list) {
        if (desktop.spaceID == 0 || desktop.display.empty() || !ids.insert(desktop.spaceID).second)
            return false;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (inventory[i].spaceID != list[i].spaceID || inventory[i].display != list[i].display
            || inventory[i].spaceUUID != list[i].spaceUUID)
            return false;
    }
    return true;
}

std::string currentDesktopChanged()
{
    return L("Le bureau actif a changé. La suppression a été arrêtée. Réessaie depuis le bureau à conserver.");
}

} // namespace

namespace DesktopSpaceOccupancy {

namespace {
enum class WindowOccupancy { occupied, ignored, unknown };
} // namespace

std::optional<std::set<std::uint64_t>> emptySpaces(const std::vector<std::uint64_t>& spaces,
    const std::function<std::optional<std::vector<std::uint32_t>>(std::uint64_t space)>& windowsInSpace,
    const std::function<std::optional<bool>(std::uint32_t window)>& isOccupyingWindow)
{
    if (spaces.empty())
        return std::nullopt;
    std::set<std::uint64_t> distinct;
    for (auto space : spaces) {
        if (space == 0 || !distinct.insert(space).second)
            return std::nullopt;
    }
    std::map<std::uint32_t, WindowOccupancy> verdicts;
    std::set<std::uint64_t> empty;
    for (auto space : spaces) {
        auto windows = windowsInSpace(space);
        if (!windows)
            return std::nullopt;
        bool occupied = false;
        bool unknown = false;
        for (auto window : *windows) {
            if (window == 0)
                return std::nullopt;
            auto known = verdicts.find(window);
            if (known == verdicts.end()) {
                auto verdict = isOccupyingWindow(window);
                auto occupancy = !verdict ? WindowOccupancy::unknown
                    : *verdict            ? WindowOccupancy::occupied
                                          : WindowOccupancy::ignored;
                known = verdicts.emplace(window, occupancy).first;
            }
            occupied = occupied || known->second == WindowOccupancy::occupied;
            unknown = unknown || known->second == WindowOccupancy::unknown;
        }
        if (occupied)
            continue;
        if (unknown)
            return std::nullopt;
        empty.insert(space);
    }
    return empty;
}

std::optional<bool> occupies(const PlistDictionary* description, int ownPID,
    const std::function<std::optional<bool>(std::uint32_t window)>& ownWindowJoinsAllSpaces)
{
    if (!description)
        return std::nullopt;
    auto layer = description->find(windowKey::layer);
    auto layerValue = layer == description->end() ? std::nullopt : numberValue(layer->second);
    if (!layerValue)
        return std::nullopt;
    if (*layerValue != 0)
        return false;
    auto owner = description->find(windowKey::ownerPID);
    auto pid = owner == description->end() ? std::nullopt : numberValue(owner->second);
    if (!pid || *pid < 1)
        return std::nullopt;
    if (int(*pid) == ownPID) {
        auto number = description->find(windowKey::number);
        auto window = number == description->end() ? std::nullopt : wholeNumber(number->second);
        auto joinsAllSpaces = window ? ownWindowJoinsAllSpaces(std::uint32_t(*window)) : std::nullopt;
        return !joinsAllSpaces || !*joinsAllSpaces;
    }
    auto application = platform().workspace().runningApplication(int(*pid));
    if (!application || application->terminated)
        return std::nullopt;
    return application->activationPolicy == ActivationPolicy::regular;
}

} // namespace DesktopSpaceOccupancy

NativeDesktopManagementDriver::NativeDesktopManagementDriver(
    std::shared_ptr<MissionControlCreator> creator, RemovalPolicy removalPolicy)
    : creator_(std::move(creator))
    , removalPolicy_(removalPolicy)
{
    if (removalPolicy_ == RemovalPolicy::confirmedReset)
        resetScreenFrames_ = framesOf(ConnectedMonitor::read());
}

std::optional<std::vector<NativeDesktopState>> NativeDesktopManagementDriver::inventory()
{
    return creator_->inventory();
}

std::uint64_t NativeDesktopManagementDriver::begin()
{
    ++generation_;
    auto monitors = ConnectedMonitor::read();
    if (removalPolicy_ == RemovalPolicy::emptyContentDesktops)
        configuration_ = AssistantScreenConfiguration::runtime(monitors, platform().standardDefaults());
    screenFrames_ = framesOf(monitors);
    return generation_;
}

std::optional<std::string> NativeDesktopManagementDriver::validate(
    const std::string& display, std::optional<std::uint64_t> removing)
{
    if (additionalValidation) {
        if (auto message = additionalValidation(display, removing))
            return message;
    }
    if (!platform().accessibility().isProcessTrustedWithOptions(false))
        return L("Autorise l’accessibilité pour ajouter ou supprimer un bureau.");
    return structuralRestriction(display, removing);
}

std::optional<std::string> NativeDesktopManagementDriver::normalHead(
    const std::vector<ConnectedMonitor>& monitors, const std::string& display)
{
    if (!platform().screens().screensHaveSeparateSpaces())
        return L("Active « Les écrans disposent d’espaces distincts » dans Bureau et Dock pour garder l’écran de l’assistant fixe.");
    auto runtime = AssistantScreenConfiguration::runtime(monitors, platform().standardDefaults());
    bool connected = runtime.monitorID
        && std::any_of(monitors.begin(), monitors.end(), [&](const auto& m) { return m.id == *runtime.monitorID; });
    if (!connected)
        return L("L’écran réservé à l’assistant est déconnecté. Vérifie Ton assistant.");
    if (equalIgnoringCase(display, *runtime.monitorID))
        return L("Les bureaux de l’écran réservé à l’assistant sont protégés.");
    if (configuration_ && screenFrames_
        && (!configuration_->monitorID || *configuration_->monitorID != *runtime.monitorID
            || configuration_->assistant != runtime.assistant || framesOf(monitors) != *screenFrames_))
        return L("Les écrans ou leur réservation ont changé. L’action a été arrêtée.");
    return std::nullopt;
}

std::optional<std::string> NativeDesktopManagementDriver::resetHead(
    const std::vector<ConnectedMonitor>& monitors, std::optional<std::uint64_t> space)
{
    if (!platform().screens().screensHaveSeparateSpaces())
        return L("Pour supprimer les bureaux de tous les écrans, active « Les écrans disposent d’espaces distincts » dans Bureau et Dock, puis reconnecte-toi à macOS.");
    if (!space)
        return L("Cette action permet uniquement de supprimer les bureaux supplémentaires.");
    if (!resetScreenFrames_ || framesOf(monitors) != *resetScreenFrames_)
        return L("Les écrans ont changé. La suppression des bureaux a été arrêtée.");
    return std::nullopt;
}

std::optional<std::string> NativeDesktopManagementDriver::structuralRestriction(
    const std::string& display, std::optional<std::uint64_t> space)
{
    auto monitors = ConnectedMonitor::read();
    bool normal = removalPolicy_ == RemovalPolicy::emptyContentDesktops;
    if (auto message = normal ? normalHead(monitors, display) : resetHead(monitors, space))
        return message;

    bool connected
        = std::any_of(monitors.begin(), monitors.end(), [&](const auto& m) { return equalIgnoringCase(m.id, display); });
    auto inventory = connected ? creator_->inventory() : std::nullopt;
    if (!inventory || std::none_of(inventory->begin(), inventory->end(), [&](const auto& d) { return onDisplay(d, display); }))
        return L("L’écran de ce bureau est indisponible. Actualise la liste.");
    if (!space)
        return std::nullopt;
    auto entry = std::find_if(inventory->begin(), inventory->end(),
        [&](const auto& d) { return d.spaceID == *space && onDisplay(d, display); });
    if (entry == inventory->end())
        return L("Ce bureau a changé. Actualise la liste avant de le supprimer.");
    if (std::count_if(inventory->begin(), inventory->end(), [&](const auto& d) { return onDisplay(d, display); }) < 2)
        return L("Le dernier bureau d’un écran doit être conservé.");

    if (!normal)
        return entry->currentSpaceID == *space ? std::optional(currentDesktopChanged()) : std::nullopt;
    auto empty = emptyDesktopSpaces(*inventory);
    if (!empty)
        return L("Impossible de vérifier les fenêtres de ce bureau.");
    if (!empty->count(*space))
        return L("Déplace les fenêtres de ce bureau avant de le supprimer, y compris les fenêtres réduites.");
    return std::nullopt;
}

DesktopManagementDriver::Completion NativeDesktopManagementDriver::guarded(std::uint64_t token, Completion completion)
{
    std::weak_ptr<NativeDesktopManagementDriver> weakSelf = shared_from_this();
    return [weakSelf, token, completion = std::move(completion)](std::optional<std::string> message) {
        auto self = weakSelf.lock();
        if (self && self->generation_ == token)
            completion(std::move(message));
    };
}

void NativeDesktopManagementDriver::add(const std::string& display, Validating validating, Completion completion)
{
    auto token = begin();
    creator_->add(display, std::move(validating), guarded(token, std::move(completion)));
}

void NativeDesktopManagementDriver::remove(
    std::uint64_t space, const std::string& display, Validating validating, Completion completion)
{
    auto token = begin();
    if (auto message = validating()) {
        completion(message);
        return;
    }
    auto inventory = creator_->inventory();
    if (!inventory) {
        completion(L("Ce bureau n’est plus disponible."));
        return;
    }
    auto entry = std::find_if(inventory->begin(), inventory->end(),
        [&](const auto& d) { return d.spaceID == space && onDisplay(d, display); });
    if (entry == inventory->end()) {
        completion(L("Ce bureau n’est plus disponible."));
        return;
    }
    if (entry->currentSpaceID != space) {
        proceed(token, space, display, std::move(validating), std::move(completion));
        return;
    }
    if (removalPolicy_ == RemovalPolicy::confirmedReset) {
        completion(currentDesktopChanged());
        return;
    }
    leaveCurrentDesktop(token, *inventory, std::size_t(entry - inventory->begin()), std::move(validating),
        std::move(completion));
}

void NativeDesktopManagementDriver::leaveCurrentDesktop(std::uint64_t token,
    const std::vector<NativeDesktopState>& inventory, std::size_t position, Validating validating,
    Completion completion)
{
    const auto& removing = inventory[position];
    std::optional<std::size_t> nearest;
    for (std::size_t i = 0; i < inventory.size(); ++i) {
        if (!onDisplay(inventory[i], removing.display) || inventory[i].spaceID == removing.spaceID)
            continue;
        auto distance = [&](std::size_t at) { return at > position ? at - position : position - at; };
        if (!nearest || distance(i) < distance(*nearest))
            nearest = i;
    }
    int number = nearest ? int(*nearest) + 1 : 0;
    if (!DesktopTargets::isSupported(number)) {
        completion(L("Ouvre un autre bureau de cet écran avant de supprimer celui-ci."));
        return;
    }
    std::weak_ptr<NativeDesktopManagementDriver> weakSelf = shared_from_this();
    auto space = removing.spaceID;
    auto display = removing.display;
    switcher_.select(number, inventory[*nearest].spaceID, display, std::nullopt,
        [weakSelf, token, space, display, validating, completion](MissionControlResult result) {
            auto self = weakSelf.lock();
            if (!self || self->generation_ != token)
                return;
            switch (result.kind()) {
            case MissionControlResult::Kind::sent:
                self->proceed(token, space, display, validating, completion);
                return;
            case MissionControlResult::Kind::cancelled:
                completion(L("Suppression annulée."));
                return;
            case MissionControlResult::Kind::failed:
                completion(result.message());
                return;
            }
        });
}

void NativeDesktopManagementDriver::proceed(
    std::uint64_t token, std::uint64_t space, const std::string& display, Validating validating, Completion completion)
{
    if (generation_ != token)
        return;
    if (auto message = validating()) {
        completion(message);
        return;
    }
    creator_->remove(space, display, std::move(validating), guarded(token, std::move(completion)));
}

void NativeDesktopManagementDriver::close()
{
    ++generation_;
    switcher_.cancel();
    creator_->close();
    configuration_.reset();
    screenFrames_.reset();
}

std::optional<std::set<std::uint64_t>> NativeDesktopManagementDriver::emptyDesktopSpaces(
    const std::vector<NativeDesktopState>& desktops)
{
    auto before = creator_->inventory();
    if (!before || !sameDesktopIdentities(*before, desktops))
        return std::nullopt;
    auto empty = readEmptyDesktopSpaces(desktops);
    if (!empty)
        empty = readEmptyDesktopSpaces(desktops);
    if (!empty)
        return std::nullopt;
    auto after = creator_->inventory();
    if (!after || !sameDesktopIdentities(*after, desktops))
        return std::nullopt;
    return empty;
}

std::optional<std::set<std::uint64_t>> NativeDesktopManagementDriver::readEmptyDesktopSpaces(
    const std::vector<NativeDesktopState>& desktops)
{
    if (!windowServer.isAvailable())
        return std::nullopt;
    std::map<std::uint64_t, std::vector<std::uint32_t>> held;
    std::vector<std::uint64_t> spaces;
    for (const auto& desktop : desktops) {
        auto windows = windowServer.windowsInSpace(desktop.spaceID);
        if (!windows)
            return std::nullopt;
        held[desktop.spaceID] = std::move(*windows);
        spaces.push_back(desktop.spaceID);
    }
    auto list = windowServer.windowInformation();
    if (!list)
        return std::nullopt;
    std::map<std::uint32_t, PlistDictionary> descriptions;
    for (const auto& element : *list) {
        const auto* description = element.asDictionary();
        if (!description)
            return std::nullopt;
        auto number = description->find(windowKey::number);
        auto window = number == description->end() ? std::nullopt : wholeNumber(number->second);
        if (window && *window != 0)
            descriptions[std::uint32_t(*window)] = *description;
    }
    int ownPID = Platform::processIdentifier();
    return DesktopSpaceOccupancy::emptySpaces(
        spaces, [&](std::uint64_t space) { return std::optional(held[space]); },
        [&](std::uint32_t window) {
            auto found = descriptions.find(window);
            return DesktopSpaceOccupancy::occupies(
                found == descriptions.end() ? nullptr : &found->second, ownPID, ownWindowJoinsAllSpaces);
        });
}

} // namespace pellamor
