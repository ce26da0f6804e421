#include "desktops/MissionControlCreator.h"

#include "assistant/Localization.h"
#include "desktops/MissionControlDock.h"
#include "platform/Platform.h"

#include <algorithm>

namespace pellamor {

namespace {

bool inputHeld()
{
    auto& events = platform().events();
    if (events.flagsState(EventSourceState::hidSystem) & NativeShortcut::modifiers)
        return true;
    for (std::uint32_t button : { 0u, 1u, 2u }) {
        if (events.buttonState(EventSourceState::hidSystem, button))
            return true;
    }
    return false;
}

} // namespace

std::string MissionControlCreator::Operation::word() const
{
    return removing ? L("suppression") : L("création");
}

std::string MissionControlCreator::Operation::unavailableText() const
{
    return removing ? L("macOS n’a pas pu préparer la suppression de ce bureau. Réessaie.")
                    : L("macOS n’a pas pu préparer un bureau sur cet écran. Réessaie.");
}

MissionControlCreator::MissionControlCreator()
    : runtime_(DesktopRuntime::make())
    , dockLibrary_(platform().frameworks().open(dock::applicationServicesPath))
{
}

std::optional<std::vector<PlistDictionary>> MissionControlCreator::displays() const
{
    if (!runtime_)
        return std::nullopt;
    return runtime_->displays();
}

std::optional<std::vector<NativeDesktopState>> MissionControlCreator::inventory()
{
    auto read = displays();
    if (!read)
        return std::nullopt;
    return NativeDesktopState::inventory(*read);
}

void MissionControlCreator::add(const std::string& display, Validating validating, Completion completion)
{
    begin(Operation {}, display, std::move(validating), std::move(completion));
}

void MissionControlCreator::remove(
    std::uint64_t space, const std::string& display, Validating validating, Completion completion)
{
    begin(Operation { space }, display, std::move(validating), std::move(completion));
}

std::function<dock::SendNotification> MissionControlCreator::sendNotification() const
{
    if (!dockLibrary_)
        return {};
    return dockLibrary_->function<dock::SendNotification>("CoreDockSendNotification");
}

std::optional<NativeDesktopTopology> MissionControlCreator::topology()
{
    auto read = displays();
    if (!read)
        return std::nullopt;
    return NativeDesktopTopology::make(*read);
}

void MissionControlCreator::begin(
    Operation operation, const std::string& display, Validating validating, Completion completion)
{
    if (active_) {
        completion(L("Une modification des bureaux est déjà en cours."));
        return;
    }
    if (!platform().accessibility().isProcessTrusted()) {
        completion(L("Autorise l’accessibilité pour modifier les bureaux, puis réessaie."));
        return;
    }
    if (auto message = validating()) {
        completion(message);
        return;
    }
    auto before = topology();
    if (!before || !before->index(display) || !MissionControlDock::displayID(display) || !sendNotification()) {
        completion(L("La %@ de bureau est indisponible sur cette version de macOS.", operation.word()));
        return;
    }
    if (operation.removing) {
        if (auto message = removalRestriction(*operation.removing, display, *before)) {
            completion(message);
            return;
        }
    }
    ++generation_;
    active_ = std::make_shared<Request>(Request { generation_, display, operation, std::move(*before),
        std::move(validating), std::move(completion), MissionControlPreparation(platform().uptime()) });
    schedule(active_, &MissionControlCreator::waitForButton);
}

std::optional<std::string> MissionControlCreator::removalRestriction(
    std::uint64_t space, const std::string& display, const NativeDesktopTopology& topology)
{
    auto position = topology.index(display);
    if (!position || !topology.thumbnailIndex(space, display))
        return L("Le bureau à supprimer a changé. Actualise la vue.");
    const auto& shown = topology.displays[*position];
    auto desktops = std::count_if(shown.spaces.begin(), shown.spaces.end(), [](const auto& s) { return s.type == 0; });
    if (desktops <= 1)
        return L("Le dernier bureau de cet écran doit être conservé.");
    auto current = runtime_ ? runtime_->currentSpace(shown.identifier) : std::nullopt;
    if (!current)
        return L("Impossible de vérifier le bureau actif sur cet écran.");
    if (*current == space)
        return L("Affiche un autre bureau avant de supprimer celui-ci.");
    return std::nullopt;
}

std::optional<std::string> MissionControlCreator::validation(const Request& request)
{
    if (!platform().accessibility().isProcessTrusted())
        return L("L’autorisation Accessibilité a été retirée.");
    if (auto message = request.validating())
        return message;
    auto now = topology();
    if (!now || *now != request.before)
        return L("La liste des bureaux a changé. Actualise la vue puis réessaie.");
    if (request.operation.removing)
        return removalRestriction(*request.operation.removing, request.display, *now);
    return std::nullopt;
}

bool MissionControlCreator::isLive(const std::shared_ptr<Request>& request) const
{
    return active_ == request && request->token == generation_;
}

void MissionControlCreator::schedule(const std::shared_ptr<Request>& request, Step step)
{
    if (!isLive(request))
        return;
    work_.cancel();
    std::weak_ptr<MissionControlCreator> weakSelf = shared_from_this();
    std::weak_ptr<Request> weakRequest = request;
    work_ = platform().mainQueue().asyncAfter(MissionControlPreparation::pollInterval, [weakSelf, weakRequest, step] {
        auto self = weakSelf.lock();
        auto request = weakRequest.lock();
        if (self && request)
            ((*self).*step)(request);
    });
}

AXElementRef MissionControlCreator::findButton(const Request& request)
{
    auto displayID = MissionControlDock::displayID(request.display);
    auto missionControl = displayID ? MissionControlDock::missionControlElement() : nullptr;
    if (!missionControl)
        return nullptr;
    if (request.operation.removing)
        return MissionControlDock::thumbnail(
            missionControl, *displayID, *request.operation.removing, request.display, request.before);
    return MissionControlDock::addButton(missionControl, *displayID);
}

void MissionControlCreator::waitForButton(const std::shared_ptr<Request>& request)
{
    if (!isLive(request))
        return;
    if (auto message = validation(*request)) {
        finish(request, message);
        return;
    }
    AXElementRef readyButton;
    if (request->preparation.awaitingButton()) {
        if (auto button = findButton(*request)) {
            button->setMessagingTimeout(MissionControlPreparation::messagingTimeout);
            if (MissionControlDock::isReady(button, request->operation.action()))
                readyButton = button;
            if (auto message = validation(*request)) {
                finish(request, message);
                return;
            }
        }
    }
    if (!isLive(request))
        return;

    using Kind = MissionControlPreparation::Decision::Kind;
    auto decision = request->preparation.advance(platform().uptime(), inputHeld(), readyButton != nullptr);
    switch (decision.kind) {
    case Kind::failed:
        if (decision.failure == MissionControlPreparation::Failure::inputHeld)
            finish(request, L("Relâche les touches et le bouton de la souris, puis réessaie."));
        else
            finish(request, request->operation.unavailableText());
        return;
    case Kind::wait:
        schedule(request, &MissionControlCreator::waitForButton);
        return;
    case Kind::open:
        open(request);
        return;
    case Kind::perform:
        // The row may list the desktops in another order than the window server: never press another one.
        if (const auto& removing = request->operation.removing; readyButton && removing) {
            auto described = MissionControlDock::describedNumber(readyButton);
            if (described && described != request->before.desktopNumber(*removing, request->display)) {
                finish(request, request->operation.unavailableText());
                return;
            }
        }
        if (readyButton && isLive(request)
            && readyButton->performAction(request->operation.action()) == AXError::success) {
            waitForResult(request);
            return;
        }
        finish(request, L("macOS n’a pas autorisé la %@ du bureau.", request->operation.word()));
        return;
    }
}

void MissionControlCreator::open(const std::shared_ptr<Request>& request)
{
    // Mission Control the user already opened is used as it is.
    if (!MissionControlDock::missionControlElement()) {
        auto send = sendNotification();
        if (!send) {
            finish(
                request, L("La %@ de bureau est indisponible sur cette version de macOS.", request->operation.word()));
            return;
        }
        openedMissionControl_ = true;
        send("com.apple.expose.awake", 0);
    }
    schedule(request, &MissionControlCreator::waitForButton);
}

void MissionControlCreator::waitForResult(const std::shared_ptr<Request>& request)
{
    if (!isLive(request))
        return;
    if (auto now = topology()) {
        const auto& removing = request->operation.removing;
        bool confirmed = removing ? now->confirmsRemoval(*removing, request->display, request->before)
                                  : now->confirmsAddition(request->display, request->before);
        if (confirmed) {
            finish(request, std::nullopt);
            return;
        }
        if (*now != request->before) {
            finish(request,
                L("La liste des bureaux a changé pendant la %@. Actualise pour vérifier le résultat.",
                    request->operation.word()));
            return;
        }
    }
    if (platform().uptime() < request->preparation.confirmationDeadline.value_or(0)) {
        schedule(request, &MissionControlCreator::waitForResult);
        return;
    }
    finish(request, L("macOS n’a pas confirmé la %@. Actualise pour vérifier les bureaux.", request->operation.word()));
}

void MissionControlCreator::finish(const std::shared_ptr<Request>& request, std::optional<std::string> message)
{
    if (!isLive(request))
        return;
    active_.reset();
    work_.cancel();
    work_ = {};
    // Mission Control stays shown until close().
    request->completion(std::move(message));
}

void MissionControlCreator::close()
{
    ++generation_;
    active_.reset();
    work_.cancel();
    work_ = {};
    if (openedMissionControl_ && MissionControlDock::missionControlElement()) {
        if (auto send = sendNotification())
            send("com.apple.expose.awake", 0);
    }
    openedMissionControl_ = false;
}

} // namespace pellamor
