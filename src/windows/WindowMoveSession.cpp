#include "windows/WindowMoveSession.h"

#include "assistant/Localization.h"
#include "windows/SessionTiming.h"

namespace pellamor {

WindowMoveSession::WindowMoveSession(
    std::shared_ptr<WindowMoveEnvironment> environment, std::function<double()> now, Schedule schedule)
    : environment_(std::move(environment))
    , now_(now ? std::move(now) : SessionTiming::uptime())
    , schedule_(schedule ? std::move(schedule) : SessionTiming::mainQueue())
{
}

template <class Call> auto WindowMoveSession::environmentCall(Call call)
{
    ++callDepth_;
    auto result = call();
    if (--callDepth_ == 0 && parked_) {
        auto deliver = std::move(parked_);
        parked_ = nullptr;
        deliver();
    }
    return result;
}

bool WindowMoveSession::isStill(std::uint64_t generation, State state) const
{
    return generation_ == generation && state_ == state && completion_;
}

void WindowMoveSession::start(Completion completion)
{
    if (state_ != State::idle) {
        completion(L("Ce déplacement a déjà été demandé."));
        return;
    }
    completion_ = std::move(completion);
    state_ = State::waiting;
    ++generation_;
    deadline_ = now_() + inputWaitLimit;
    scheduleStep(&WindowMoveSession::waitForInput);
}

void WindowMoveSession::scheduleStep(void (WindowMoveSession::*step)())
{
    schedule_(pollInterval, [weak = weak_from_this(), generation = generation_, step] {
        auto session = weak.lock();
        if (!session || session->generation_ != generation || !session->completion_)
            return;
        (session.get()->*step)();
    });
}

void WindowMoveSession::waitForInput()
{
    if (state_ != State::waiting)
        return;
    const std::uint64_t generation = generation_;
    if (!environmentCall([&] { return environment_->desktopUnchanged(); })) {
        finish(L("Les bureaux ou l’écran réservé ont changé. Actualise puis réessaie."));
        return;
    }
    if (!isStill(generation, State::waiting))
        return;
    if (environmentCall([&] { return environment_->inputHeld(); })) {
        if (!isStill(generation, State::waiting))
            return;
        if (now_() < deadline_) {
            scheduleStep(&WindowMoveSession::waitForInput);
            return;
        }
        finish(L("Relâche les touches et le bouton de la souris, puis réessaie."));
        return;
    }
    auto refusal = environmentCall([&] { return environment_->validate(); });
    if (!isStill(generation, State::waiting))
        return;
    if (refusal) {
        finish(*refusal);
        return;
    }
    state_ = State::verifying;
    deadline_ = now_() + arrivalLimit;
    auto failure = environmentCall([&] { return environment_->requestMove(); });
    if (!isStill(generation, State::verifying))
        return;
    if (failure) {
        finish(*failure);
        return;
    }
    verify();
}

void WindowMoveSession::verify()
{
    if (state_ != State::verifying)
        return;
    const std::uint64_t generation = generation_;
    if (!environmentCall([&] { return environment_->desktopUnchanged(); })) {
        // clang-format off
        finish(L("Le bureau actif ou l’écran réservé a changé pendant le déplacement. Actualise pour vérifier la position de la fenêtre."));
        // clang-format on
        return;
    }
    if (!isStill(generation, State::verifying))
        return;
    if (environmentCall([&] { return environment_->arrived(); })) {
        finish(std::nullopt);
        return;
    }
    if (!isStill(generation, State::verifying))
        return;
    if (now_() < deadline_) {
        scheduleStep(&WindowMoveSession::verify);
        return;
    }
    finish(L("macOS n’a pas confirmé le déplacement. Actualise pour vérifier le bureau de la fenêtre."));
}

void WindowMoveSession::cancel()
{
    if (state_ == State::verifying)
        finish(L("Le suivi du déplacement a été annulé. Actualise pour vérifier le bureau de la fenêtre."));
    else
        finish(L("Déplacement annulé."));
}

void WindowMoveSession::finish(std::optional<std::string> message)
{
    if (!completion_)
        return;
    Completion completion = std::move(completion_);
    completion_ = nullptr;
    state_ = State::finished;
    ++generation_;
    if (callDepth_ > 0) {
        parked_ = [completion = std::move(completion), message = std::move(message)] { completion(message); };
        return;
    }
    completion(message);
}

} // namespace pellamor
