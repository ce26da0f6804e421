#include "windows/WindowArrangementAccessSession.h"

#include "assistant/Localization.h"

namespace pellamor {

namespace {

std::string openingUnconfirmed()
{
    return L("macOS n’a pas confirmé l’ouverture du bureau de cette fenêtre. Actualise puis réessaie.");
}

} // namespace

std::shared_ptr<WindowArrangementAccessSession> WindowArrangementAccessSession::make(
    std::shared_ptr<WindowArrangementAccessEnvironment> environment, SessionTiming::Now now,
    SessionTiming::Schedule schedule)
{
    return std::make_shared<WindowArrangementAccessSession>(std::move(environment),
        now ? std::move(now) : SessionTiming::uptime(), schedule ? std::move(schedule) : SessionTiming::mainQueue());
}

WindowArrangementAccessSession::WindowArrangementAccessSession(
    std::shared_ptr<WindowArrangementAccessEnvironment> environment, SessionTiming::Now now,
    SessionTiming::Schedule schedule)
    : environment_(std::move(environment))
    , now_(std::move(now))
    , schedule_(std::move(schedule))
{
}

WindowArrangementAccessSession::~WindowArrangementAccessSession()
{
    if (openingOutstanding_)
        environment_->cancelOpening();
}

template <class Call> auto WindowArrangementAccessSession::call(Call&& body)
{
    ++environmentCallDepth_;
    auto result = body(*environment_);
    --environmentCallDepth_;
    completeIfFinished();
    return result;
}

bool WindowArrangementAccessSession::goesOn(std::uint64_t generation) const
{
    return generation_ == generation && state_ != State::idle && state_ != State::finished && completion_;
}

void WindowArrangementAccessSession::start(Completion completion)
{
    if (state_ != State::idle) {
        completion(L("L’accès à cette fenêtre a déjà été demandé."));
        return;
    }
    auto self = weak_from_this().lock();
    completion_ = std::move(completion);
    state_ = State::probing;
    std::uint64_t generation = ++generation_;
    if (!probeAtStart(generation))
        return;

    state_ = State::opening;
    openingOutstanding_ = true;
    std::weak_ptr<WindowArrangementAccessSession> weak = weak_from_this();
    call([weak, generation](WindowArrangementAccessEnvironment& environment) {
        environment.openSource([weak, generation](std::optional<std::string> message) {
            auto session = weak.lock();
            if (session && session->generation_ == generation && session->state_ == State::opening
                && session->completion_)
                session->openingAnswered(std::move(message));
        });
        return true;
    });
    if (goesOn(generation) && state_ == State::opening)
        scheduleJob(openingTimeout, &WindowArrangementAccessSession::openingTimedOut);
}

bool WindowArrangementAccessSession::probeAtStart(std::uint64_t generation)
{
    // Each environment answer may end the session from inside the call; `goesOn` notices.
    auto validate = [this, generation] {
        auto problem = call([](WindowArrangementAccessEnvironment& environment) { return environment.validate(); });
        if (goesOn(generation) && problem)
            finish(problem);
        return goesOn(generation);
    };
    auto sourceActive = [this, generation] {
        bool active
            = call([](WindowArrangementAccessEnvironment& environment) { return environment.sourceIsActive(); });
        if (goesOn(generation) && active)
            finish(environment_->inaccessibleMessage());
        return goesOn(generation);
    };
    if (!validate())
        return false;
    bool available
        = call([](WindowArrangementAccessEnvironment& environment) { return environment.accessibilityAvailable(); });
    if (!goesOn(generation))
        return false;
    if (available) {
        finish(std::nullopt);
        return false;
    }
    return sourceActive() && validate() && sourceActive();
}

void WindowArrangementAccessSession::openingAnswered(std::optional<std::string> message)
{
    openingOutstanding_ = false;
    state_ = State::waiting;
    pendingJob_.reset();
    if (message)
        return finish(message);
    accessDeadline_ = now_() + accessTime;
    probe();
}

void WindowArrangementAccessSession::probe()
{
    if (state_ != State::waiting)
        return;
    std::uint64_t generation = generation_;
    auto problem = call([](WindowArrangementAccessEnvironment& environment) { return environment.validate(); });
    if (!goesOn(generation))
        return;
    if (problem)
        return finish(problem);
    bool active = call([](WindowArrangementAccessEnvironment& environment) { return environment.sourceIsActive(); });
    if (!goesOn(generation))
        return;
    if (!active)
        return finish(sourceConfirmed_ ? L("Le bureau de cette fenêtre n’est plus actif. Actualise puis réessaie.")
                                       : openingUnconfirmed());
    sourceConfirmed_ = true;
    bool available
        = call([](WindowArrangementAccessEnvironment& environment) { return environment.accessibilityAvailable(); });
    if (!goesOn(generation))
        return;
    if (available)
        return finish(std::nullopt);
    if (now_() < accessDeadline_)
        return scheduleJob(probeInterval, &WindowArrangementAccessSession::probe);
    finish(environment_->inaccessibleMessage());
}

void WindowArrangementAccessSession::openingTimedOut()
{
    finish(openingUnconfirmed());
}

void WindowArrangementAccessSession::scheduleJob(double delay, Step step)
{
    std::uint64_t job = ++jobSequence_;
    pendingJob_ = job;
    std::weak_ptr<WindowArrangementAccessSession> weak = weak_from_this();
    std::uint64_t generation = generation_;
    State scheduledIn = state_;
    schedule_(delay, [weak, generation, scheduledIn, job, step] {
        auto session = weak.lock();
        if (!session || session->generation_ != generation || session->state_ != scheduledIn || !session->completion_
            || session->pendingJob_ != job)
            return;
        session->pendingJob_.reset();
        ((*session).*step)();
    });
}

void WindowArrangementAccessSession::cancel()
{
    auto self = weak_from_this().lock();
    finish(L("L’accès à la fenêtre a été annulé."));
}

void WindowArrangementAccessSession::finish(std::optional<std::string> message)
{
    if (state_ == State::finished)
        return;
    finishedProblem_ = std::move(message);
    state_ = State::finished;
    ++generation_;
    pendingJob_.reset();
    completeIfFinished();
}

void WindowArrangementAccessSession::completeIfFinished()
{
    if (state_ != State::finished || environmentCallDepth_ != 0 || delivered_)
        return;
    delivered_ = true;
    Completion completion = std::move(completion_);
    completion_ = nullptr;
    if (openingOutstanding_) {
        openingOutstanding_ = false;
        environment_->cancelOpening();
    }
    if (completion)
        completion(finishedProblem_);
}

} // namespace pellamor
