#include "desktops/DesktopSwitchingSession.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "platform/Platform.h"

namespace pellamor {

namespace {
const double verificationInterval = 0.01;

std::string restorationFailure()
{
    return L("La commande système n’a pas pu être rétablie. Ferme puis relance l’app.");
}

std::string changedMeanwhile()
{
    return L("Le changement a été annulé car l’autorisation, la commande ou les bureaux ont changé.");
}
} // namespace

std::shared_ptr<DesktopSwitchingSession> DesktopSwitchingSession::make(
    std::shared_ptr<DesktopSwitchingEnvironment> environment, Now now, Schedule schedule)
{
    if (!now)
        now = [] { return platform().uptime(); };
    if (!schedule)
        schedule = [](double delay, std::function<void()> block) {
            platform().mainQueue().asyncAfter(delay, std::move(block));
        };
    return std::make_shared<DesktopSwitchingSession>(std::move(environment), std::move(now), std::move(schedule));
}

DesktopSwitchingSession::DesktopSwitchingSession(
    std::shared_ptr<DesktopSwitchingEnvironment> environment, Now now, Schedule schedule)
    : environment_(std::move(environment))
    , now_(std::move(now))
    , schedule_(std::move(schedule))
{
}

bool DesktopSwitchingSession::restore(Request& request)
{
    DesktopSwitchingEnvironment& environment = *environment_;
    if (!environment.setEnabled(request.hotkey, false) || environment.isEnabled(request.hotkey))
        return false;
    request.restoreNeeded = false;
    return true;
}

void DesktopSwitchingSession::select(int desktop, std::optional<std::uint64_t> expectedSpaceID,
    std::optional<std::string> expectedDisplay, std::optional<std::string> expectedUUID, Completion completion)
{
    DesktopSwitchingEnvironment& environment = *environment_;
    auto refuse = [&completion](std::string message) { completion(MissionControlResult::failed(std::move(message))); };
    if (stopped_ || active_)
        return refuse(L("Un changement est déjà en cours."));
    if (restorationPending_) {
        if (restorationPending_->restoreNeeded && !restore(*restorationPending_))
            return refuse(restorationFailure());
        restorationPending_.reset();
    }
    if (!environment.authorized())
        return refuse(L("L’autorisation Accessibilité est nécessaire."));
    auto hotkey = DesktopTargets::hotkeyID(desktop);
    if (!environment.available() || !hotkey)
        return refuse(L("Cette version de macOS ne fournit pas la commande de changement de bureau."));
    auto target = environment.target(desktop);
    if (!target)
        return refuse(L("Le Bureau %@ n’existe pas. Crée-le dans Mission Control ou choisis un autre bureau.",
            std::to_string(desktop)));
    if ((expectedSpaceID && *expectedSpaceID != target->spaceID)
        || (expectedDisplay && !equalIgnoringCase(*expectedDisplay, target->display))
        || (expectedUUID && !equalIgnoringCase(*expectedUUID, target->spaceUUID.value_or(""))))
        return refuse(L("Les bureaux ont changé. L’ouverture a été annulée."));
    if (target->currentSpaceID == target->spaceID)
        return completion(MissionControlResult::sent());
    auto shortcut = environment.shortcut(*hotkey);
    if (!shortcut)
        return refuse(L("La commande du Bureau %@ est indisponible sur ce Mac.", std::to_string(desktop)));
    if (!environment.keysReleased(*shortcut))
        return refuse(L("Relâche les touches du clavier, puis réessaie."));

    auto request = std::make_shared<Request>();
    request->desktop = desktop;
    request->hotkey = *hotkey;
    request->target = *target;
    request->shortcut = *shortcut;
    request->deadline = now_() + deliveryTimeout;
    request->completion = std::move(completion);
    active_ = request;
    if (environment.isEnabled(*hotkey))
        return advance(request);
    request->restoreNeeded = true;
    request->readyAt = now_() + preparationDelay;
    if (environment.setEnabled(*hotkey, true) && environment.isEnabled(*hotkey))
        return schedule(request, preparationDelay);
    finish(request, MissionControlResult::failed(L("macOS n’a pas pu préparer le changement de bureau.")));
}

bool DesktopSwitchingSession::stillCurrent(const NativeDesktopState& fresh, const Request& request)
{
    if (fresh.spaceID != request.target.spaceID || fresh.display != request.target.display)
        return false;
    return !request.target.spaceUUID || equalIgnoringCase(*request.target.spaceUUID, fresh.spaceUUID.value_or(""));
}

void DesktopSwitchingSession::advance(const std::shared_ptr<Request>& request)
{
    if (request != active_ || stopped_)
        return;
    DesktopSwitchingEnvironment& environment = *environment_;
    if (request->posted) {
        if (environment.currentSpace(request->target.display) == request->target.spaceID)
            return finish(request, MissionControlResult::sent());
        if (now_() < request->deadline)
            return schedule(request, verificationInterval);
        return finish(request,
            MissionControlResult::failed(L("macOS n’a pas confirmé le changement de bureau. Le suivi a été arrêté.")));
    }
    double now = now_();
    if (now >= request->deadline)
        return finish(request, MissionControlResult::failed(L("macOS n’a pas pu préparer le changement de bureau.")));
    if (now < request->readyAt)
        return schedule(request, request->readyAt - now);
    std::optional<NativeDesktopState> fresh;
    bool unchanged = environment.available() && environment.authorized()
        && environment.shortcut(request->hotkey) == request->shortcut && environment.isEnabled(request->hotkey)
        && (fresh = environment.target(request->desktop)) && stillCurrent(*fresh, *request);
    if (!unchanged)
        return finish(request, MissionControlResult::failed(changedMeanwhile()));
    if (!environment.keysReleased(request->shortcut))
        return finish(request, MissionControlResult::failed(L("Relâche les touches du clavier, puis réessaie.")));
    if (fresh->currentSpaceID == fresh->spaceID)
        return finish(request, MissionControlResult::sent());
    request->posted = true;
    bool posted = environment.post(request->shortcut);
    if (request != active_ || stopped_)
        return;
    if (posted)
        return schedule(request, verificationInterval);
    finish(request,
        MissionControlResult::failed(
            L("La commande du Bureau %@ est indisponible sur ce Mac.", std::to_string(request->desktop))));
}

void DesktopSwitchingSession::schedule(const std::shared_ptr<Request>& request, double after)
{
    std::weak_ptr<DesktopSwitchingSession> weakSession = weak_from_this();
    std::weak_ptr<Request> weakRequest = request;
    schedule_(after, [weakSession, weakRequest] {
        auto session = weakSession.lock();
        auto request = weakRequest.lock();
        if (session && request)
            session->advance(request);
    });
}

void DesktopSwitchingSession::finish(std::shared_ptr<Request> request, MissionControlResult result)
{
    if (request != active_)
        return;
    if (request->restoreNeeded && !restore(*request)) {
        restorationPending_ = request;
        result = MissionControlResult::failed(restorationFailure());
    }
    active_.reset();
    Completion completion = std::move(request->completion);
    request->completion = nullptr;
    completion(std::move(result));
}

void DesktopSwitchingSession::cancel()
{
    if (active_)
        finish(active_, MissionControlResult::cancelled());
}

void DesktopSwitchingSession::shutdown()
{
    stopped_ = true;
    if (active_)
        finish(active_, MissionControlResult::cancelled());
    if (!restorationPending_)
        return;
    if (!restorationPending_->restoreNeeded || restore(*restorationPending_))
        restorationPending_.reset();
}

} // namespace pellamor
